#include "tests/journeys/journey_fixture.h"

#include "canvastools/canvas_input_state.h"
#include "core/brush_list.h"
#include "core/clipboard.h"
#include "core/document.h"
#include "core/document_lifecycle.h"
#include "core/drawing_file.h"
#include "core/gradient_edit.h"
#include "core/history.h"
#include "core/path_builder.h"
#include "mainwindow/main_state.h"
#include "movie/canvas_movie.h"
#include "movie/movie_writer.h"
#include "platform/forms/file_dialogs.h"
#include "platform/forms/menus.h"
#include "platform/forms/message_box.h"
#include "platform/forms/modal_dialog.h"
#include "platform/forms/window_placement.h"
#include "tests/support/drawing_files.h"
#include "tests/support/test_support.h"
#include "toolwindows/folder_gui.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QMenuBar>
#include <QMimeData>
#include <QMouseEvent>
#include <QRegularExpression>
#include <QScrollBar>
#include <QStyleOptionSlider>
#include <QTest>
#include <QUrl>
#include <QWheelEvent>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>

namespace journeys {
namespace {

int Channel(Rgb colour, int shift)
{
    return static_cast<int>((colour >> shift) & 0xFF);
}

void ResetModules()
{
    core::ResetDocumentForTest();
    core::ResetHistoryForTest();
    core::ResetLifecycleForTest();
    core::ResetBrushesForTest();
    core::ResetClipboardForTest();
    core::ResetPathBuilderForTest();
    core::ResetGradientEditForTest();
    movie::ResetWriterForTest();
    movie::ResetCanvasMovieForTest();
    mainwindow::ResetMainStateForTest();
    canvastools::ResetInputForTest();
    toolwindows::ResetFolderBrowserForTest();
}

}  // namespace

bool Near(Rgb a, Rgb b, int tolerance)
{
    for (int shift : {0, 8, 16}) {
        if (std::abs(Channel(a, shift) - Channel(b, shift)) > tolerance) {
            return false;
        }
    }
    return true;
}

QString PlainCaption(QString caption)
{
    static const QRegularExpression mnemonic(QStringLiteral("\\(&.\\)"));
    caption.remove(mnemonic);
    caption.remove(QLatin1Char('&'));
    if (caption.endsWith(QStringLiteral("..."))) {
        caption.chop(3);
    }
    return caption.trimmed();
}

void Journey::SetUp()
{
    // A program folder of this journey's own: settings, data files and movies start fresh.
    const testing::TestInfo *info = testing::UnitTest::GetInstance()->current_test_info();
    runFolder_ = testsupport::Home().string();
    folder_ = (testsupport::Home() / "journeys" / (std::string(info->test_suite_name()) + "." + info->name())).string();
    std::filesystem::remove_all(folder_);
    std::filesystem::create_directories(folder_);
    setenv("QUILLARK_HOME", folder_.c_str(), 1);

    platform::SetMessageBoxHook([this](const platform::MessageBoxRequest &request) {
        messageTexts.push_back(request.prompt);
        if (messageAnswers_.empty()) {
            return (request.style & 7) == platform::kMbOkOnly ? int(platform::kMbOk) : int(platform::kMbNo);
        }
        int answer = messageAnswers_.front();
        messageAnswers_.pop_front();
        return answer;
    });
    platform::SetFileDialogHook([this](platform::FileDialogKind, platform::OpenFileName &record) {
        std::string answer;
        if (!fileAnswers_.empty()) {
            answer = fileAnswers_.front();
            fileAnswers_.pop_front();
        }
        record.lpstrFile = QString::fromStdString(answer);
        record.lpstrFileTitle = QString::fromStdString(std::filesystem::path(answer).filename().string());
        return answer.empty() ? 0 : 1;
    });
    platform::SetModalDialogHook([this](QDialog &dialog) {
        dialogsShown.push_back(dialog.metaObject()->className());
        if (!dialogAnswers_.empty()) {
            auto work = std::move(dialogAnswers_.front());
            dialogAnswers_.pop_front();
            work(dialog);
        }
    });
    platform::SetPopupMenuHook([this](QMenu *menu) -> QAction * {
        if (popupAnswers_.empty()) {
            return nullptr;
        }
        std::vector<QString> path = std::move(popupAnswers_.front());
        popupAnswers_.pop_front();
        QMenu *current = menu;
        QAction *action = nullptr;
        for (const QString &caption : path) {
            action = current ? FindAction(current, caption) : nullptr;
            if (!action) {
                ADD_FAILURE() << "no pop-up menu item " << caption.toStdString();
                return nullptr;
            }
            current = action->menu();
        }
        if (!action->isEnabled()) {
            ADD_FAILURE() << "pop-up menu item " << path.back().toStdString() << " is disabled";
        }
        return action;
    });
    StartWindow();
}

void Journey::TearDown()
{
    EXPECT_TRUE(popupAnswers_.empty()) << "a pop-up menu the journey answered never opened";
    window.reset();
    platform::SetMessageBoxHook(nullptr);
    platform::SetFileDialogHook(nullptr);
    platform::SetModalDialogHook(nullptr);
    platform::SetPopupMenuHook(nullptr);
    setenv("QUILLARK_HOME", runFolder_.c_str(), 1);
}

void Journey::StartWindow(const QString &commandLine)
{
    window.reset();
    ResetModules();
    window = std::make_unique<mainwindow::DrawGUI>();
    window->Form_Load(commandLine);
    window->resize(1000, 760);
    window->show();
    QApplication::processEvents();
}

bool Journey::QuitWindow()
{
    bool closed = window->close();
    QApplication::processEvents();
    if (closed) {
        window.reset();
    }
    return closed;
}

QPoint Journey::At(int32_t xTwips, int32_t yTwips) const
{
    int32_t xs = 0;
    int32_t ys = 0;
    window->PosTwipToScr(xs, ys, xTwips, yTwips);
    return QPoint(xs, ys);
}

void Journey::Press(QWidget *widget, QPoint at, Qt::MouseButton button, Qt::KeyboardModifiers modifiers)
{
    // As under a window system: a press activates its window, and a widget that takes the focus
    // on clicks gets the keyboard.
    if (QApplication::activeWindow() != widget->window()) {
        QApplication::setActiveWindow(widget->window());
    }
    if ((widget->focusPolicy() & Qt::ClickFocus) == Qt::ClickFocus && widget->isEnabled()) {
        widget->setFocus(Qt::MouseFocusReason);
    }
    QMouseEvent event(QEvent::MouseButtonPress, QPointF(at), widget->mapToGlobal(QPointF(at)), button, button,
                      modifiers);
    QApplication::sendEvent(widget, &event);
}

void Journey::MoveTo(QWidget *widget, QPoint at, Qt::MouseButtons held, Qt::KeyboardModifiers modifiers)
{
    QMouseEvent event(QEvent::MouseMove, QPointF(at), widget->mapToGlobal(QPointF(at)), Qt::NoButton, held,
                      modifiers);
    QApplication::sendEvent(widget, &event);
}

void Journey::Release(QWidget *widget, QPoint at, Qt::MouseButton button, Qt::KeyboardModifiers modifiers)
{
    QMouseEvent event(QEvent::MouseButtonRelease, QPointF(at), widget->mapToGlobal(QPointF(at)), button,
                      Qt::NoButton, modifiers);
    QApplication::sendEvent(widget, &event);
    QApplication::processEvents();
}

void Journey::Click(QWidget *widget, QPoint at, Qt::MouseButton button, Qt::KeyboardModifiers modifiers)
{
    MoveTo(widget, at, Qt::NoButton, modifiers);
    Press(widget, at, button, modifiers);
    Release(widget, at, button, modifiers);
}

void Journey::PressAndMove(const std::vector<QPoint> &points, Qt::MouseButton button,
                           Qt::KeyboardModifiers modifiers)
{
    QWidget *canvas = window->Picture1;
    MoveTo(canvas, points.front(), Qt::NoButton, modifiers);
    Press(canvas, points.front(), button, modifiers);
    for (size_t i = 1; i < points.size(); ++i) {
        // A hand moves the mouse in small steps: a few pixels between two events.
        QPoint from = points[i - 1];
        QPoint to = points[i];
        int steps = std::max(1, std::max(std::abs(to.x() - from.x()), std::abs(to.y() - from.y())) / 4);
        for (int s = 1; s <= steps; ++s) {
            QPoint p = from + (to - from) * s / steps;
            MoveTo(canvas, p, button, modifiers);
        }
    }
}

void Journey::Drag(const std::vector<QPoint> &points, Qt::MouseButton button, Qt::KeyboardModifiers modifiers)
{
    PressAndMove(points, button, modifiers);
    Release(window->Picture1, points.back(), button, modifiers);
}

void Journey::ClickCanvas(QPoint at, Qt::MouseButton button, Qt::KeyboardModifiers modifiers)
{
    Click(window->Picture1, at, button, modifiers);
}

void Journey::Key(int key, Qt::KeyboardModifiers modifiers)
{
    window->Picture1->setFocus();
    QTest::keyClick(window->Picture1, static_cast<Qt::Key>(key), modifiers);
    QApplication::processEvents();
}

void Journey::DrawUnselectedRectangle(QPoint from, QPoint to)
{
    DrawRectangle(from, to);
    Key(Qt::Key_Escape);
}

void Journey::ChooseTool(int tool)
{
    QAbstractButton *button = window->Option1[static_cast<size_t>(tool)];
    QTest::mouseClick(button, Qt::LeftButton, Qt::NoModifier, button->rect().center());
    QApplication::processEvents();
}

void Journey::ToolButtonMenu(int tool, std::initializer_list<QString> captions)
{
    AnswerPopup(captions);
    QAbstractButton *button = window->Option1[static_cast<size_t>(tool)];
    Click(button, button->rect().center(), Qt::RightButton);
}

void Journey::ClickCheck(QWidget *check)
{
    QTest::mouseClick(check, Qt::LeftButton, Qt::NoModifier, QPoint(6, check->height() / 2));
    QApplication::processEvents();
}

void Journey::ChooseStyle(StyleRow row)
{
    Click(window->PicStatus, QPoint(29, static_cast<int>(row)));
}

void Journey::SetRealtime(bool on)
{
    if ((window->Check1->Value() == 1) != on) {
        ClickCheck(window->Check1);
    }
    ASSERT_EQ(window->Check1->Value() == 1, on);
    ASSERT_EQ(canvastools::Input().RealtimeMode, on);
}

void Journey::PickColor(Rgb colour, Qt::MouseButton button)
{
    // Palette cell (column, row): red 255 - 51 * (column / 6), green 255 - 51 * row,
    // blue 255 - 51 * (column % 6); cells are 8 x 11 pixels between grid lines.
    auto step = [&](int shift) {
        int level = Channel(colour, shift);
        EXPECT_EQ(level % 51, 0) << "not a palette colour";
        return (255 - level) / 51;
    };
    const int column = step(16) * 6 + step(0);
    const int row = step(8);
    Click(window->PicPicker, QPoint(column * 8 + 4, row * 11 + 5), button);
}

void Journey::DrawRectangle(QPoint from, QPoint to)
{
    ChooseTool(canvastools::kToolRectangle);
    Drag({from, to});
    ExpectDocumentShownWhenDrawn("a rectangle drawn");
}

void Journey::Wheel(int notches)
{
    QWidget *canvas = window->Picture1;
    const QPointF at(canvas->width() / 2, canvas->height() / 2);
    QWheelEvent event(at, canvas->mapToGlobal(at), QPoint(), QPoint(0, 120 * notches), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(canvas, &event);
    QApplication::processEvents();
}

void Journey::ClickScrollBar(QScrollBar *bar, QStyle::SubControl part)
{
    const QRect area = ScrollBarPart(bar, part);
    ASSERT_FALSE(area.isEmpty()) << "no such part of the scroll bar";
    QTest::mouseClick(bar, Qt::LeftButton, Qt::NoModifier, area.center());
    QApplication::processEvents();
}

QRect Journey::ScrollBarPart(const QScrollBar *bar, QStyle::SubControl part) const
{
    QStyleOptionSlider option;
    option.initFrom(bar);
    option.orientation = bar->orientation();
    option.minimum = bar->minimum();
    option.maximum = bar->maximum();
    option.sliderPosition = bar->sliderPosition();
    option.sliderValue = bar->value();
    option.singleStep = bar->singleStep();
    option.pageStep = bar->pageStep();
    option.upsideDown = bar->invertedAppearance();
    return bar->style()->subControlRect(QStyle::CC_ScrollBar, &option, part, bar);
}

void Journey::TypeIntoCombo(QComboBox *combo, const QString &text)
{
    combo->setFocus();
    QTest::keyClick(combo, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(combo, text);
    QTest::keyClick(combo, Qt::Key_Return);
    QApplication::processEvents();
}

void Journey::DropOnCanvas(const QStringList &files, QPoint at)
{
    QMimeData data;
    QList<QUrl> urls;
    for (const QString &file : files) {
        urls << QUrl::fromLocalFile(file);
    }
    data.setUrls(urls);
    QWidget *canvas = window->Picture1;
    QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(canvas, &enter);
    ASSERT_TRUE(enter.isAccepted()) << "the canvas refuses the files";
    QDropEvent drop(QPointF(at), Qt::CopyAction, &data, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(canvas, &drop);
    QApplication::processEvents();
}

QAction *Journey::FindAction(QMenu *menu, const QString &caption)
{
    for (QAction *action : menu->actions()) {
        if (PlainCaption(action->text()) == caption) {
            return action;
        }
    }
    return nullptr;
}

void Journey::Menu(std::initializer_list<QString> captions)
{
    QMenuBar *bar = window->menuBar();
    QMenu *menu = nullptr;
    QAction *action = nullptr;
    for (QAction *top : bar->actions()) {
        if (top->isVisible() && PlainCaption(top->text()) == *captions.begin()) {
            menu = top->menu();
        }
    }
    ASSERT_NE(menu, nullptr) << "no menu " << captions.begin()->toStdString();
    for (auto caption = captions.begin() + 1; caption != captions.end(); ++caption) {
        emit menu->aboutToShow();  // the menu brings its items up to date as it opens
        action = FindAction(menu, *caption);
        ASSERT_NE(action, nullptr) << "no menu item " << caption->toStdString();
        ASSERT_TRUE(action->isEnabled() && action->isVisible()) << caption->toStdString() << " is unavailable";
        if (action->menu()) {
            menu = action->menu();
        }
    }
    action->trigger();
    QApplication::processEvents();
}

void Journey::Undo(bool byKey)
{
    if (byKey) {
        Key(Qt::Key_Z, Qt::ControlModifier);
    } else {
        Menu({QStringLiteral("編集"), QStringLiteral("元に戻す")});
    }
}

void Journey::Redo(bool byKey)
{
    if (byKey) {
        Key(Qt::Key_Y, Qt::ControlModifier);
    } else {
        Menu({QStringLiteral("編集"), QStringLiteral("やり直す")});
    }
}

void Journey::ExpectUndoRedo(const std::function<bool()> &before, const std::function<bool()> &after)
{
    ASSERT_TRUE(after()) << "the step is not shown to begin with";
    for (bool byKey : {false, true}) {
        const char *how = byKey ? "Ctrl+Z / Ctrl+Y" : "the Edit menu";
        Undo(byKey);
        EXPECT_TRUE(before()) << "undo by " << how << " does not show the canvas as before the step";
        ExpectDocumentShownWhenDrawn(std::string("undone by ") + how);
        Redo(byKey);
        EXPECT_TRUE(after()) << "redo by " << how << " does not show the step again";
        ExpectDocumentShownWhenDrawn(std::string("redone by ") + how);
    }
}

void Journey::AnswerPopup(std::initializer_list<QString> captions)
{
    popupAnswers_.emplace_back(captions);
}

void Journey::AnswerFileDialog(const std::string &path)
{
    fileAnswers_.push_back(path);
}

void Journey::AnswerMessage(int answer)
{
    messageAnswers_.push_back(answer);
}

void Journey::AnswerDialog(std::function<void(QDialog &)> work)
{
    dialogAnswers_.push_back(std::move(work));
}

QImage Journey::Canvas() const
{
    return window->Picture1->grab().toImage().convertToFormat(QImage::Format_RGB32);
}

QRect Journey::CanvasUncovered() const
{
    QRect uncovered = window->Picture1->rect();
    if (window->HScroll1->isVisible()) {
        uncovered.setBottom(std::min(uncovered.bottom(), window->HScroll1->geometry().top() - 1));
    }
    if (window->VScroll1->isVisible()) {
        uncovered.setRight(std::min(uncovered.right(), window->VScroll1->geometry().left() - 1));
    }
    return uncovered;
}

Rgb Journey::PixelAt(QPoint at) const
{
    return Canvas().pixel(at) & 0xFFFFFFu;
}

int Journey::CountColor(QRect area, Rgb colour, int tolerance) const
{
    return CountColor(Canvas(), area, colour, tolerance);
}

int Journey::CountColor(const QImage &image, QRect area, Rgb colour, int tolerance) const
{
    area = area.normalized().intersected(image.rect());
    int count = 0;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            count += Near(image.pixel(x, y) & 0xFFFFFFu, colour, tolerance) ? 1 : 0;
        }
    }
    return count;
}

bool Journey::ShowsAt(int32_t xTwips, int32_t yTwips, Rgb colour, int tolerance) const
{
    return ShowsAt(Canvas(), xTwips, yTwips, colour, tolerance);
}

bool Journey::ShowsAt(const QImage &canvas, int32_t xTwips, int32_t yTwips, Rgb colour, int tolerance) const
{
    const QPoint at = At(xTwips, yTwips);
    return CountColor(canvas, QRect(at - QPoint(2, 2), QSize(5, 5)), colour, tolerance) >= 13;
}

namespace {

// The rectangle of a path's anchors (curves lie within it), grown by half its line.
QRectF Reach(const core::PathRecord &path)
{
    QRectF bounds;
    for (const core::AnchorPoint &anchor : path.Anchors) {
        bounds |= QRectF(anchor.X, anchor.Y, 0.001, 0.001);
    }
    const double half = path.LineMode != 0 ? path.LineWidth / 2.0 : 0.0;
    return bounds.adjusted(-half, -half, half, half);
}

// Whether the point lies inside the path's polygon (even-odd) and at least margin from its sides.
bool WellInside(const core::PathRecord &path, QPointF point, double margin)
{
    bool inside = false;
    const size_t n = path.Anchors.size();
    for (size_t i = 0; i < n; ++i) {
        const QPointF a(path.Anchors[i].X, path.Anchors[i].Y);
        const QPointF b(path.Anchors[(i + 1) % n].X, path.Anchors[(i + 1) % n].Y);
        if ((a.y() > point.y()) != (b.y() > point.y()) &&
            point.x() < a.x() + (point.y() - a.y()) * (b.x() - a.x()) / (b.y() - a.y())) {
            inside = !inside;
        }
        const QPointF side = b - a;
        const double length2 = QPointF::dotProduct(side, side);
        const double t = length2 > 0 ? std::clamp(QPointF::dotProduct(point - a, side) / length2, 0.0, 1.0) : 0.0;
        const QPointF nearest = a + side * t;
        if (std::hypot(point.x() - nearest.x(), point.y() - nearest.y()) < margin) {
            return false;
        }
    }
    return inside;
}

}  // namespace

void Journey::ExpectDocumentShown(const std::string &step) const
{
    const core::Document &doc = core::Doc();
    const core::CanvasSettings &settings = doc.CurrentSettings;
    if (settings.BackgroundFlag == 1) {
        return;
    }
    // Points are kept 3 screen pixels clear of edges and lines (at any zoom), 6 of the selection
    // frames, their handles and the selected anchors' marks.
    const double pixelsPerTwip = (At(20000, 0).x() - At(0, 0).x()) / 20000.0;
    const double margin = 3 / pixelsPerTwip;
    const double frameMargin = 2 * margin;
    const QRectF canvas =
        QRectF(0, 0, settings.Width * 20.0, settings.Height * 20.0).adjusted(margin, margin, -margin, -margin);
    const QImage shown = Canvas();
    const QRect picture = CanvasUncovered().adjusted(4, 4, -4, -4);
    std::vector<QRectF> reaches;  // of every path, grown by the margin
    std::vector<QRectF> frames;  // about the selected paths and about all of them together
    std::vector<QPointF> marks;
    QRectF selection;
    for (int32_t i = 1; i <= doc.DocPathCount(); ++i) {
        const core::PathRecord &path = doc.DocPaths[static_cast<size_t>(i)];
        const QRectF reach = Reach(path);
        reaches.push_back(reach.adjusted(-margin, -margin, margin, margin));
        if (path.blSelected) {
            frames.push_back(reach);
            selection |= reach;
            for (const core::AnchorPoint &anchor : path.Anchors) {
                marks.emplace_back(anchor.X, anchor.Y);
            }
        }
    }
    if (!selection.isNull()) {
        frames.push_back(selection);
    }
    auto clearOfOverlays = [&](QPointF point) {
        if (!canvas.contains(point) || !picture.contains(At(int32_t(point.x()), int32_t(point.y())))) {
            return false;
        }
        const bool nearMark = std::any_of(marks.begin(), marks.end(), [&](QPointF mark) {
            return std::abs(mark.x() - point.x()) < frameMargin && std::abs(mark.y() - point.y()) < frameMargin;
        });
        return !nearMark && std::none_of(frames.begin(), frames.end(), [&](const QRectF &frame) {
            const QRectF outer = frame.adjusted(-frameMargin, -frameMargin, frameMargin, frameMargin);
            const QRectF inner = frame.adjusted(frameMargin, frameMargin, -frameMargin, -frameMargin);
            return outer.contains(point) && !inner.contains(point);
        });
    };
    // The points of the area, between the sides of the rectangles that may bar it, that pass: the
    // middles of the cells the sides cut the area into (so every free cell has one).
    auto pointsIn = [&](const QRectF &area, const std::vector<const QRectF *> &barring, const core::PathRecord *path,
                        const std::function<bool(QPointF)> &passes) {
        std::vector<double> xs = {area.left(), area.right()};
        std::vector<double> ys = {area.top(), area.bottom()};
        auto addSides = [&](const QRectF &r, double grow) {
            xs.insert(xs.end(), {r.left() - grow, r.right() + grow});
            ys.insert(ys.end(), {r.top() - grow, r.bottom() + grow});
        };
        for (const QRectF *r : barring) {
            addSides(*r, 0);
        }
        for (const QRectF &frame : frames) {
            addSides(frame, frameMargin);
            addSides(frame, -frameMargin);
        }
        if (path != nullptr) {
            for (const core::AnchorPoint &anchor : path->Anchors) {
                xs.push_back(anchor.X);
                ys.push_back(anchor.Y);
            }
        }
        for (std::vector<double> *sides : {&xs, &ys}) {
            std::sort(sides->begin(), sides->end());
            sides->erase(std::unique(sides->begin(), sides->end()), sides->end());
        }
        std::vector<QPointF> points;
        for (size_t j = 0; j + 1 < ys.size(); ++j) {
            for (size_t i = 0; i + 1 < xs.size(); ++i) {
                const QPointF point((xs[i] + xs[i + 1]) / 2, (ys[j] + ys[j + 1]) / 2);
                if (area.contains(point) && passes(point)) {
                    points.push_back(point);
                }
            }
        }
        return points;
    };
    auto barredBy = [&](QPointF point, const std::vector<const QRectF *> &barring) {
        return std::any_of(barring.begin(), barring.end(), [&](const QRectF *r) { return r->contains(point); });
    };
    auto expectShown = [&](const std::vector<QPointF> &points, Rgb colour, const std::string &what) {
        const auto wrong = std::find_if(points.begin(), points.end(), [&](QPointF point) {
            return !ShowsAt(shown, int32_t(point.x()), int32_t(point.y()), colour);
        });
        if (wrong != points.end()) {
            const QPoint at = At(int32_t(wrong->x()), int32_t(wrong->y()));
            ADD_FAILURE() << step << ": " << what << " not in its colour " << std::hex << colour << " at twips ("
                          << std::dec << wrong->x() << ", " << wrong->y() << "), shown " << std::hex
                          << (shown.pixel(at) & 0xFFFFFFu) << std::dec << " (" << points.size() << " places looked at)";
        }
    };
    // Drawings of many paths over one another are looked at only where few paths meet.
    constexpr size_t kMostBarring = 40;
    for (int32_t i = 1; i <= doc.DocPathCount(); ++i) {
        const core::PathRecord &path = doc.DocPaths[static_cast<size_t>(i)];
        const bool polygon = std::all_of(path.Anchors.begin(), path.Anchors.end(),
                                         [](const core::AnchorPoint &a) { return a.AnchorKind == 0; });
        if (path.IsHidden() || !path.blClosed || path.blCompound || path.FillType != core::kFillSolid ||
            path.FillColor >> 24 != 0xFF || !polygon || path.Anchors.size() < 3) {
            continue;
        }
        const QRectF &reach = reaches[static_cast<size_t>(i - 1)];
        std::vector<const QRectF *> later;
        for (size_t k = static_cast<size_t>(i); k < reaches.size() && later.size() <= kMostBarring; ++k) {
            if (reaches[k].intersects(reach)) {
                later.push_back(&reaches[k]);
            }
        }
        if (later.size() > kMostBarring) {
            continue;
        }
        const double inset = margin + (path.LineMode != 0 ? path.LineWidth / 2.0 : 0.0);
        const std::vector<QPointF> inside = pointsIn(reach, later, &path, [&](QPointF p) {
            return WellInside(path, p, inset) && !barredBy(p, later) && clearOfOverlays(p);
        });
        const uint32_t c = path.FillColor;
        expectShown(inside, (c & 0xFF) << 16 | (c & 0xFF00) | (c >> 16 & 0xFF), "path " + std::to_string(i));
    }
    if (reaches.size() <= kMostBarring) {
        std::vector<const QRectF *> all;
        for (const QRectF &reach : reaches) {
            all.push_back(&reach);
        }
        const std::vector<QPointF> bare =
            pointsIn(canvas, all, nullptr, [&](QPointF p) { return !barredBy(p, all) && clearOfOverlays(p); });
        expectShown(bare, Rgb{settings.BackColorR} << 16 | Rgb{settings.BackColorG} << 8 | settings.BackColorB,
                    "the canvas");
    }
}

void Journey::ExpectDocumentShownWhenDrawn(const std::string &step) const
{
    if (!window->ShockwaveFlash1.RenderPending()) {
        ExpectDocumentShown(step);
    }
}

int Journey::CountAlong(const std::vector<QPoint> &points, Rgb colour, int radius, int tolerance) const
{
    QImage image = Canvas();
    std::vector<uint8_t> seen(static_cast<size_t>(image.width()) * static_cast<size_t>(image.height()));
    int count = 0;
    for (size_t i = 0; i + 1 < points.size(); ++i) {
        QPoint from = points[i];
        QPoint to = points[i + 1];
        int steps = std::max(1, std::max(std::abs(to.x() - from.x()), std::abs(to.y() - from.y())));
        for (int s = 0; s <= steps; ++s) {
            QPoint c = from + (to - from) * s / steps;
            for (int y = c.y() - radius; y <= c.y() + radius; ++y) {
                for (int x = c.x() - radius; x <= c.x() + radius; ++x) {
                    if (!image.rect().contains(x, y)) {
                        continue;
                    }
                    uint8_t &visited = seen[static_cast<size_t>(y) * static_cast<size_t>(image.width()) + x];
                    if (visited) {
                        continue;
                    }
                    visited = 1;
                    count += Near(image.pixel(x, y) & 0xFFFFFFu, colour, tolerance) ? 1 : 0;
                }
            }
        }
    }
    return count;
}

int Journey::CountNear(QPoint at, Rgb colour, int radius, int tolerance) const
{
    return CountColor(QRect(at - QPoint(radius, radius), at + QPoint(radius, radius)), colour, tolerance);
}

QRect Journey::BoundsOf(QRect area, Rgb colour, int tolerance) const
{
    QImage image = Canvas();
    area = area.normalized().intersected(image.rect());
    QRect bounds;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            if (Near(image.pixel(x, y) & 0xFFFFFFu, colour, tolerance)) {
                bounds |= QRect(x, y, 1, 1);
            }
        }
    }
    return bounds;
}

int Journey::CountInk(QRect area, int tolerance) const
{
    area = area.normalized();
    QImage image = Canvas();
    return area.intersected(image.rect()).width() * area.intersected(image.rect()).height() -
           CountColor(image, area, kWhite, tolerance);
}

QRect Journey::AreaTwips(int32_t left, int32_t top, int32_t right, int32_t bottom) const
{
    return QRect(At(left, top), At(right, bottom)).normalized();
}

QString Journey::Caption() const
{
    return window->windowTitle();
}

std::string Journey::File(const std::string &name) const
{
    return folder_ + "/" + name;
}

core::PathRecord Journey::Square(int left, int top, int size, Rgb fill)
{
    const int32_t l = left * 20;
    const int32_t t = top * 20;
    const int32_t r = (left + size) * 20;
    const int32_t b = (top + size) * 20;
    core::PathRecord path;
    path.Anchors = {{l, t, core::kOnCurve}, {r, t, core::kOnCurve}, {r, b, core::kOnCurve}, {l, b, core::kOnCurve}};
    path.blClosed = true;
    path.LineMode = 0;
    path.FillType = core::kFillSolid;
    // Screen 0xRRGGBB to the drawing's 0xAABBGGRR.
    path.FillColor = 0xFF000000u | ((fill & 0xFF) << 16) | (fill & 0xFF00) | ((fill >> 16) & 0xFF);
    path.GradColor = 0xFFFFFFFFu;
    path.GradCenterX = (l + r) / 2;
    path.GradCenterY = (t + b) / 2;
    path.GradRatioX = path.GradRatioY = float(r - l) / 32768.0f;
    return path;
}

std::string Journey::WriteDrawing(const std::string &name, const std::vector<core::PathRecord> &paths,
                                  const core::CanvasSettings &settings)
{
    return testsupport::WriteDrawing(File(name), paths, settings);
}

void Journey::OpenDrawing(const std::string &path)
{
    AnswerFileDialog(path);
    Menu({QStringLiteral("ファイル"), QStringLiteral("ファイルを開く")});
    ExpectDocumentShownWhenDrawn("opened");
}

void Journey::Type(QWidget *box, const QString &text, bool enter)
{
    box->setFocus();
    QTest::keyClick(box, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(box, text);
    if (enter) {
        QTest::keyClick(box, Qt::Key_Return);
    }
    QApplication::processEvents();
}

WindowManagerFrame::WindowManagerFrame()
{
    platform::SetWindowFrameForTest(&frame_);
}

WindowManagerFrame::~WindowManagerFrame()
{
    platform::SetWindowFrameForTest(nullptr);
}

void RealtimeJourney::SetUp()
{
    Journey::SetUp();
    SetRealtime(GetParam());
}

std::string RealtimeName(const testing::TestParamInfo<bool> &info)
{
    return info.param ? "Realtime" : "Quick";
}

}  // namespace journeys
