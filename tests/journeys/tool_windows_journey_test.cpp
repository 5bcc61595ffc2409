// The tool windows opened from the View menu and the selection's pop-up, each used once the way a
// user uses it, checked on the canvas.
#include "canvastools/canvas_input_state.h"
#include "core/document.h"
#include "core/drawing_file.h"
#include "core/gradient_edit.h"
#include "mainwindow/main_state.h"
#include "mainwindow/preferences_dialog.h"
#include "platform/base/program_folder.h"
#include "platform/forms/controls.h"
#include "tests/journeys/journey_fixture.h"
#include "tests/support/test_support.h"
#include "toolwindows/gradient_editor.h"
#include "toolwindows/path_list_window.h"
#include "toolwindows/brush_palette.h"
#include "toolwindows/folder_gui.h"
#include "toolwindows/optimize_window.h"
#include "toolwindows/position_window.h"
#include "toolwindows/preview_window.h"
#include "toolwindows/transform_window.h"

#include <QAbstractButton>
#include <QApplication>
#include <QTest>

#include <cmath>
#include <filesystem>

using canvastools::kToolGradient;
using canvastools::kToolSelect;

namespace journeys {
namespace {

constexpr Rgb kRed = 0xFF0000;
constexpr Rgb kBlue = 0x0000FF;
constexpr Rgb kGreen = 0x00FF00;

class ToolWindows : public Journey {
protected:
    // A drawing of a red square at the left and a blue one at the right, opened.
    void OpenTwoSquares()
    {
        OpenDrawing(WriteDrawing("squares.qlk", {Square(20, 20, 100, kRed), Square(180, 20, 100, kBlue)}));
        ASSERT_EQ(CountColor(RedArea(), kRed, 8), RedArea().width() * RedArea().height());
    }
    QRect RedArea() const { return QRect(AtPixel(30, 30), AtPixel(110, 110)); }
    QRect BlueArea() const { return QRect(AtPixel(190, 30), AtPixel(270, 110)); }
    bool AllOf(QRect area, Rgb colour) const { return CountColor(area, colour, 8) == area.width() * area.height(); }
    // Of the canvas pixels of the area (canvas pixels, whole ones) where `where` holds for the
    // pixel's centre: how many there are and how many show the colour.
    struct Tally {
        int pixels = 0;
        int coloured = 0;
    };
    Tally TallyWhere(QRect canvasArea, const std::function<bool(double, double)> &where, Rgb colour,
                     int tolerance = 40) const
    {
        const QImage image = Canvas();
        Tally tally;
        for (int y = canvasArea.top(); y <= canvasArea.bottom(); ++y) {
            for (int x = canvasArea.left(); x <= canvasArea.right(); ++x) {
                if (where(x + 0.5, y + 0.5)) {
                    ++tally.pixels;
                    tally.coloured += Near(image.pixel(AtPixel(x + 0.5, y + 0.5)) & 0xFFFFFFu, colour, tolerance);
                }
            }
        }
        return tally;
    }

    // Opens the drawing, selects every drawing of its folder in the file browser and plays them
    // as frames from the list's pop-up menu.
    void OpenAnimationPreview(const std::string &drawing)
    {
        Menu({QStringLiteral("表示"), QStringLiteral("フォルダ管理ツール")});
        OpenDrawing(drawing);
        PreviewBrowsedDrawings();
    }
    // In the open file browser: selects every drawing it lists and plays them as frames.
    void PreviewBrowsedDrawings()
    {
        toolwindows::FolderGUI *browser = toolwindows::FolderWindow();
        ASSERT_NE(browser, nullptr);
        QListWidget *list = browser->List1;
        Qt::KeyboardModifiers modifiers = Qt::NoModifier;  // the first entry clicked, the others added with Ctrl
        for (int i = 0; i < list->count(); ++i) {
            if (list->item(i)->text().contains(QStringLiteral(".qlk"))) {
                QTest::mouseClick(list->viewport(), Qt::LeftButton, modifiers,
                                  list->visualItemRect(list->item(i)).center());
                modifiers = Qt::ControlModifier;
            }
        }
        AnswerPopup({QStringLiteral("アニメプレビュー"), QStringLiteral("コマアニメ")});
        QTest::mouseClick(list->viewport(), Qt::RightButton, Qt::ControlModifier,
                          list->visualItemRect(list->item(list->count() - 1)).center());
    }
};

TEST_F(ToolWindows, PathListSelectsHidesAndShowsPathsByTheirRows)
{
    OpenTwoSquares();
    Menu({QStringLiteral("表示"), QStringLiteral("パス管理ツール")});
    toolwindows::PathGUI *list = toolwindows::PathListWindow();
    ASSERT_NE(list, nullptr);
    ASSERT_EQ(list->ListCount(), 2);

    // Row 1 is path 1 (the frontmost path stands on top): the red square.
    QListView *rows = list->List1;
    const QRect row = rows->visualRect(rows->model()->index(1, 0));
    QTest::mouseClick(rows->viewport(), Qt::LeftButton, Qt::NoModifier, row.center());
    QApplication::processEvents();
    ASSERT_TRUE(core::Doc().DocPaths[1].blSelected);
    // The thumbnail shows the red square alone.
    const QImage thumb = list->Picture1->grab().toImage();
    EXPECT_GT(CountColor(thumb, thumb.rect(), kRed, 8), 100);
    EXPECT_EQ(CountColor(thumb, thumb.rect(), kBlue, 8), 0);

    AnswerPopup({QStringLiteral("非表示にする")});
    QTest::mouseClick(rows->viewport(), Qt::RightButton, Qt::NoModifier, row.center());
    EXPECT_EQ(CountColor(RedArea(), kRed, 8), 0);
    EXPECT_TRUE(AllOf(BlueArea(), kBlue));

    AnswerPopup({QStringLiteral("全てのパスを表示")});
    QTest::mouseClick(rows->viewport(), Qt::RightButton, Qt::NoModifier, row.center());
    EXPECT_TRUE(AllOf(RedArea(), kRed));
}

TEST_F(ToolWindows, PathListDrawsTheThumbnailOfALargeSelectionOnceTheWindowIsIdle)
{
    // A red square, and a blue one whose top edge is a fine zigzag of 30,000 anchors.
    core::PathRecord large = Square(180, 20, 100, kBlue);
    const core::AnchorPoint left = large.Anchors[0];
    const core::AnchorPoint right = large.Anchors[1];
    std::vector<core::AnchorPoint> anchors{left};
    for (int k = 1; k < 30000; ++k) {
        anchors.push_back({left.X + (right.X - left.X) * k / 30000, left.Y + k % 2, core::kOnCurve});
    }
    anchors.insert(anchors.end(), large.Anchors.begin() + 1, large.Anchors.end());
    large.Anchors = std::move(anchors);
    OpenDrawing(WriteDrawing("large.qlk", {Square(20, 20, 100, kRed), large}));
    Menu({QStringLiteral("表示"), QStringLiteral("パス管理ツール")});
    toolwindows::PathGUI *list = toolwindows::PathListWindow();
    ASSERT_NE(list, nullptr);
    QListView *rows = list->List1;

    // The red square's row: its thumbnail is drawn at once.
    QTest::mouseClick(rows->viewport(), Qt::LeftButton, Qt::NoModifier,
                      rows->visualRect(rows->model()->index(1, 0)).center());
    QApplication::processEvents();
    QImage thumb = list->Picture1->grab().toImage();
    EXPECT_GT(CountColor(thumb, thumb.rect(), kRed, 8), 100);
    EXPECT_EQ(CountColor(thumb, thumb.rect(), kBlue, 8), 0);

    // The large square added to the selection: the edit ends before its thumbnail is drawn, which
    // shows both squares once the window is idle.
    QTest::mouseClick(rows->viewport(), Qt::LeftButton, Qt::ControlModifier,
                      rows->visualRect(rows->model()->index(0, 0)).center());
    QApplication::processEvents();
    ASSERT_TRUE(core::Doc().DocPaths[1].blSelected && core::Doc().DocPaths[2].blSelected);
    thumb = list->Picture1->grab().toImage();
    EXPECT_EQ(CountColor(thumb, thumb.rect(), kBlue, 8), 0);
    list->FlushThumbnail();
    thumb = list->Picture1->grab().toImage();
    EXPECT_GT(CountColor(thumb, thumb.rect(), kRed, 8), 100);
    EXPECT_GT(CountColor(thumb, thumb.rect(), kBlue, 8), 100);
}

TEST_F(ToolWindows, DoubleClickingAPathsRowHidesItAndShowsItAgain)
{
    OpenTwoSquares();
    Menu({QStringLiteral("表示"), QStringLiteral("パス管理ツール")});
    toolwindows::PathGUI *list = toolwindows::PathListWindow();
    ASSERT_NE(list, nullptr);
    QListView *rows = list->List1;
    const QPoint red = rows->visualRect(rows->model()->index(1, 0)).center();
    // A double click reaches the list as a click, then the second press as a double click.
    auto doubleClick = [&] {
        QTest::mouseClick(rows->viewport(), Qt::LeftButton, Qt::NoModifier, red);
        QTest::mouseDClick(rows->viewport(), Qt::LeftButton, Qt::NoModifier, red);
        QApplication::processEvents();
    };
    doubleClick();
    EXPECT_EQ(CountColor(RedArea(), kRed, 8), 0);
    EXPECT_TRUE(AllOf(BlueArea(), kBlue));
    doubleClick();
    EXPECT_TRUE(AllOf(RedArea(), kRed));
    EXPECT_TRUE(AllOf(BlueArea(), kBlue));
}

TEST_F(ToolWindows, PositionWindowMovesTheSelectionToTheTypedPlace)
{
    OpenTwoSquares();
    ChooseTool(kToolSelect);
    ClickCanvas(AtPixel(20, 70));  // on the square's left edge
    ASSERT_TRUE(core::Doc().DocPaths[1].blSelected);
    Menu({QStringLiteral("表示"), QStringLiteral("数値入力ツール")});
    toolwindows::PositionGUI *position = window->PositionGUI;
    ASSERT_NE(position, nullptr);
    ASSERT_TRUE(position->isVisible());

    // The top-left reference point moved to (20, 180): the red square now lies below.
    QTest::mouseClick(position->Option1[0], Qt::LeftButton);
    Type(position->Text1, QStringLiteral("20"));
    Type(position->Text2, QStringLiteral("180"));
    QTest::mouseClick(position->Command1, Qt::LeftButton);
    QApplication::processEvents();
    EXPECT_EQ(CountColor(RedArea(), kRed, 8), 0);
    EXPECT_TRUE(AllOf(QRect(AtPixel(30, 190), AtPixel(110, 270)), kRed));

    Key(Qt::Key_Z, Qt::ControlModifier);
    EXPECT_TRUE(AllOf(RedArea(), kRed));
}

TEST_F(ToolWindows, GradientEditorGivesTheRampAStopOfTheTypedColour)
{
    core::PathRecord ramp = Square(20, 20, 280, kRed);
    ramp.FillType = core::kFillLinear;
    ramp.GradColor = 0xFFFF0000u;  // blue at the end
    OpenDrawing(WriteDrawing("ramp.qlk", {ramp}));
    const QRect middle(AtPixel(150, 100), AtPixel(156, 140));  // beside the gradient tool's handle lines
    ASSERT_EQ(CountColor(middle, kGreen, 60), 0);

    ChooseTool(kToolGradient);
    ClickCanvas(AtPixel(20, 160));  // on the square's left edge
    ASSERT_TRUE(core::Doc().DocPaths[1].blSelected);
    Menu({QStringLiteral("表示"), QStringLiteral("グラデーション制御")});
    toolwindows::GradationGUI *editor = window->GradationGUI;
    ASSERT_NE(editor, nullptr);
    QTest::mouseClick(editor->Command1, Qt::LeftButton);  // a stop in the middle of the widest gap
    Click(editor->Picture1, QPoint(128, 25));             // its marker on the bar: selected
    QTest::mouseClick(editor->Check1, Qt::LeftButton);    // the edit frame unfolded
    Type(editor->Text3, QStringLiteral("#00FF00"), true);

    // The middle of the ramp turned green; its ends stay red and blue down their whole height, and
    // every column is one colour from top to bottom (above and below the tool's handle lines
    // across the middle).
    EXPECT_EQ(CountColor(middle, kGreen, 60), middle.width() * middle.height());
    const QImage canvas = Canvas();
    for (auto [top, bottom] : {std::pair{24, 154}, {166, 296}}) {
        const QRect leftEnd(AtPixel(22, top), AtPixel(28, bottom)), rightEnd(AtPixel(292, top), AtPixel(298, bottom));
        EXPECT_EQ(CountColor(leftEnd, kRed, 40), leftEnd.width() * leftEnd.height()) << top;
        EXPECT_EQ(CountColor(rightEnd, kBlue, 40), rightEnd.width() * rightEnd.height()) << top;
        for (int x = 22; x <= 298; ++x) {
            if (std::abs(x - 160) <= 4) {
                continue;  // the handle line down the middle
            }
            const QRect column(AtPixel(x + 0.5, top), AtPixel(x + 0.5, bottom));
            const Rgb shown = canvas.pixel(column.topLeft()) & 0xFFFFFFu;
            EXPECT_EQ(CountColor(canvas, column, shown, 6), column.height()) << "column " << x << " from " << top;
        }
    }
}

}  // namespace
}  // namespace journeys

namespace journeys {
namespace {

class ToolWindowsOnTheSelection : public ToolWindows {
protected:
    // The red square selected by a click on its edge, and its pop-up answered with the command.
    void RunOnRedSquare(const QString &command)
    {
        ChooseTool(kToolSelect);
        ClickCanvas(AtPixel(20, 40));  // on its edge, away from the selection handles
        ASSERT_TRUE(core::Doc().DocPaths[1].blSelected);
        AnswerPopup({command});
        ClickCanvas(AtPixel(20, 40), Qt::RightButton);
    }
};

TEST_F(ToolWindowsOnTheSelection, PerspectiveWindowTurnsTheSquareOnTheCanvas)
{
    OpenTwoSquares();
    RunOnRedSquare(QStringLiteral("パース変形"));
    toolwindows::TransformGUI *turn = window->TransformGUI;
    ASSERT_TRUE(turn->isVisible());
    Type(turn->Text1, QStringLiteral("45"));  // turned 45 degrees in its plane: a diamond
    QTest::mouseClick(turn->Command1, Qt::LeftButton);
    EXPECT_FALSE(turn->isVisible());

    // A diamond about the square's centre (70, 70) with its corners 70.7 px away: red up to 4 px inside
    // its edges (above the square too), none from 3 px outside them (a turn of 40 degrees fails this).
    const QRect around(-20, -20, 180, 180);
    auto diamond = [](double within) {
        return [within](double x, double y) { return std::abs(x - 70) + std::abs(y - 70) <= within; };
    };
    auto beyond = [](double from) {
        return [from](double x, double y) { return std::abs(x - 70) + std::abs(y - 70) >= from; };
    };
    const Tally inside = TallyWhere(around, diamond(67), kRed);
    EXPECT_GE(inside.coloured, inside.pixels - 8);  // the frame's side handles stand on its corners
    EXPECT_EQ(TallyWhere(around, beyond(74), kRed).coloured, 0);
    const Tally above = TallyWhere(QRect(50, 8, 41, 11), diamond(62), kRed);  // rows 8..18
    EXPECT_GT(above.pixels, 40);
    EXPECT_EQ(above.coloured, above.pixels) << "the diamond's top reaches above the square";
    EXPECT_TRUE(AllOf(BlueArea(), kBlue));

    Key(Qt::Key_Z, Qt::ControlModifier);
    EXPECT_TRUE(AllOf(RedArea(), kRed));
    EXPECT_EQ(TallyWhere(QRect(20, -20, 101, 39), diamond(200), kRed).coloured, 0) << "nothing above the square";
}

TEST_F(ToolWindowsOnTheSelection, OptimisationWindowThinsTheAnchorsAndKeepsTheShape)
{
    // A disc of 360 anchors, one per degree.
    core::PathRecord disc = Square(0, 0, 1, kRed);
    disc.Anchors.clear();
    for (int degree = 0; degree < 360; ++degree) {
        const double a = degree * 3.14159265358979 / 180.0;
        disc.Anchors.push_back({int32_t(20 * (160 + 100 * std::cos(a))), int32_t(20 * (160 + 100 * std::sin(a))),
                                core::kOnCurve});
    }
    OpenDrawing(WriteDrawing("disc.qlk", {disc}));
    const QRect inside(AtPixel(110, 110), AtPixel(210, 210));
    ASSERT_TRUE(AllOf(inside, kRed));

    ChooseTool(kToolSelect);
    const QPoint edge = AtPixel(160 + 100 * std::cos(0.5), 160 + 100 * std::sin(0.5));  // away from the handles
    ClickCanvas(edge);
    ASSERT_TRUE(core::Doc().DocPaths[1].blSelected);
    AnswerPopup({QStringLiteral("パスを最適化")});
    ClickCanvas(edge, Qt::RightButton);
    toolwindows::OptimizeGUI *optimize = window->OptimizeGUI;
    ASSERT_TRUE(optimize->isVisible());
    Type(optimize->Text1, QStringLiteral("200"));
    Type(optimize->Text2, QStringLiteral("100"));
    QTest::mouseClick(optimize->Command1, Qt::LeftButton);

    EXPECT_LT(core::Doc().DocPaths[1].Anchors.size(), 120u);
    // Thinned to a polygon within the disc (these tolerances leave about six anchors): red everywhere
    // within 84 px of its centre, nowhere beyond 104 px.
    const QRect around(40, 40, 241, 241);
    auto ring = [](double from, double to) {
        return [from, to](double x, double y) {
            const double r = std::hypot(x - 160, y - 160);
            return r >= from && r <= to;
        };
    };
    const Tally shown = TallyWhere(around, ring(0, 84), kRed);
    EXPECT_EQ(shown.coloured, shown.pixels);
    EXPECT_EQ(TallyWhere(around, ring(104, 1000), kRed).coloured, 0);
    EXPECT_TRUE(CaptionModified());
}

TEST_F(ToolWindows, FileBrowserKeepsAPendingChangeAndAppliesIt)
{
    const std::string a = WriteDrawing("a.qlk", {Square(20, 20, 100, kRed)});
    WriteDrawing("b.qlk", {Square(180, 20, 100, kBlue)});
    Menu({QStringLiteral("表示"), QStringLiteral("フォルダ管理ツール")});
    OpenDrawing(a);  // the open browser lists the drawing's folder
    toolwindows::FolderGUI *browser = toolwindows::FolderWindow();
    ASSERT_NE(browser, nullptr);
    auto row = [&](const QString &name) {
        for (int i = 0; i < browser->ListCount(); ++i) {
            if (browser->List1->item(i)->text().contains(name)) {
                return browser->List1->item(i);
            }
        }
        ADD_FAILURE() << "no entry " << name.toStdString();
        return browser->List1->item(0);
    };
    auto doubleClick = [&](const QString &name) {
        QListWidget *list = browser->List1;
        const QPoint at = list->visualItemRect(row(name)).center();
        QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::NoModifier, at);
        QTest::mouseDClick(list->viewport(), Qt::LeftButton, Qt::NoModifier, at);
        QApplication::processEvents();
    };

    // a.qlk gets a stroke, then b.qlk is opened from the list: a's edit becomes a pending change.
    ChooseTool(canvastools::kToolFreehand);
    const std::vector<QPoint> stroke = {AtPixel(40, 200), AtPixel(280, 200)};
    Drag(stroke);
    ASSERT_GT(CountAlong(stroke, kBlack), 200);
    doubleClick(QStringLiteral("b.qlk"));
    EXPECT_TRUE(AllOf(BlueArea(), kBlue));
    EXPECT_EQ(CountAlong(stroke, kBlack), 0);
    EXPECT_TRUE(row(QStringLiteral("a.qlk"))->text().contains(QStringLiteral("●")));

    // Back in a.qlk the stroke is there again.
    doubleClick(QStringLiteral("a.qlk"));
    EXPECT_TRUE(AllOf(RedArea(), kRed));
    EXPECT_GT(CountAlong(stroke, kBlack), 200);

    // Applying all pending changes writes the stroke into a.qlk.
    AnswerPopup({QStringLiteral("全ての変更を適用")});
    const QListWidget *list = browser->List1;
    QTest::mouseClick(list->viewport(), Qt::RightButton, Qt::NoModifier,
                      list->visualItemRect(row(QStringLiteral("a.qlk"))).center());
    ASSERT_FALSE(messageTexts.empty());
    EXPECT_EQ(messageTexts.back(), QStringLiteral("1個のファイルの変更を適用しました。"));
    core::DrawingFileContents contents;
    std::string message;
    ASSERT_TRUE(core::ReadDrawingFile(a, contents, message)) << message;
    EXPECT_EQ(contents.Paths.size(), 3u);
}

TEST_F(ToolWindows, AnimationPreviewPlaysTheSelectedDrawingsAsFrames)
{
    const std::string a = WriteDrawing("a.qlk", {Square(20, 20, 100, kRed)});
    WriteDrawing("b.qlk", {Square(180, 20, 100, kBlue)});
    // The movie is this program's own: a preview movie under the name every program would
    // share stays as another program sharing the folder left it.
    const std::string shared = File(platform::kPreviewMovieName);
    testsupport::WriteAll(shared, "another program's preview");
    OpenAnimationPreview(a);

    toolwindows::PreviewWindow *preview = toolwindows::OpenPreviewWindow();
    ASSERT_NE(preview, nullptr);
    ASSERT_TRUE(preview->isVisible());
    EXPECT_EQ(preview->ShockwaveFlash1->TotalFrames(), 2);
    EXPECT_EQ(testsupport::ReadAll(shared), "another program's preview");
    EXPECT_TRUE(std::filesystem::exists(platform::InstanceFile(platform::kPreviewMovieName)));
    // Stopped, then stepped frame by frame with the slider: red square first, blue square next.
    QTest::mouseClick(preview->Command1, Qt::LeftButton);
    ASSERT_FALSE(preview->ShockwaveFlash1->IsPlaying());
    QImage first = preview->ShockwaveFlash1->grab().toImage();
    EXPECT_GT(CountColor(first, first.rect(), kRed, 8), 5000);
    EXPECT_EQ(CountColor(first, first.rect(), kBlue, 8), 0);
    // A click on the slider's right arrow steps one frame on.
    QScrollBar *slider = preview->HScroll1;
    Click(slider, QPoint(slider->width() - 4, slider->height() / 2));
    QImage second = preview->ShockwaveFlash1->grab().toImage();
    EXPECT_GT(CountColor(second, second.rect(), kBlue, 8), 5000);
    EXPECT_EQ(CountColor(second, second.rect(), kRed, 8), 0);
    // The clicked slider has the keyboard: Left steps back to the red frame, Right on again.
    ASSERT_TRUE(slider->hasFocus());
    QTest::keyClick(slider, Qt::Key_Left);
    QImage back = preview->ShockwaveFlash1->grab().toImage();
    EXPECT_GT(CountColor(back, back.rect(), kRed, 8), 5000);
    EXPECT_EQ(CountColor(back, back.rect(), kBlue, 8), 0);
    QTest::keyClick(slider, Qt::Key_Right);
    QImage forth = preview->ShockwaveFlash1->grab().toImage();
    EXPECT_GT(CountColor(forth, forth.rect(), kBlue, 8), 5000);
}

// Under a window manager's frame the preview opens where it was closed, time after time: its
// frame's left and top are kept, and the frame goes back there.
TEST_F(ToolWindows, AnimationPreviewOpensWhereItWasClosedUnderAWindowFrame)
{
    const WindowManagerFrame frame;
    const std::string a = WriteDrawing("a.qlk", {Square(20, 20, 100, kRed)});
    WriteDrawing("b.qlk", {Square(180, 20, 100, kBlue)});
    const QPoint stored(mainwindow::Main().PreviewWindowLeft, mainwindow::Main().PreviewWindowTop);
    const QPoint client = QPoint(stored.x() / 15, stored.y() / 15) + frame.ClientOffset();
    for (int opening = 1; opening <= 4; ++opening) {
        SCOPED_TRACE(testing::Message() << "opening " << opening);
        if (opening == 1) {
            OpenAnimationPreview(a);
        } else {
            PreviewBrowsedDrawings();
        }
        toolwindows::PreviewWindow *preview = toolwindows::OpenPreviewWindow();
        ASSERT_NE(preview, nullptr);
        QApplication::processEvents();  // shown and framed
        EXPECT_EQ(preview->geometry().topLeft(), client);
        preview->close();  // the close box
        QApplication::processEvents();
        EXPECT_EQ(QPoint(mainwindow::Main().PreviewWindowLeft, mainwindow::Main().PreviewWindowTop), stored);
    }
}

// At one frame a second the preview's clock runs while the movie plays and starts afresh with ▶,
// so the frame shown when playing starts stays a whole second.
TEST_F(ToolWindows, AnimationPreviewsClockStartsAfreshWhenPlayingStarts)
{
    AnswerDialog([](QDialog &dialog) {
        auto &preferences = dynamic_cast<mainwindow::PreferenceGUI &>(dialog);
        preferences.Text1->SetText(QStringLiteral("1"));
        preferences.Command1->click();
    });
    Menu({QStringLiteral("ファイル"), QStringLiteral("詳細設定")});
    const std::string a = WriteDrawing("a.qlk", {Square(20, 20, 100, kRed)});
    WriteDrawing("b.qlk", {Square(180, 20, 100, kBlue)});
    OpenAnimationPreview(a);
    toolwindows::PreviewWindow *preview = toolwindows::OpenPreviewWindow();
    ASSERT_NE(preview, nullptr);
    toolwindows::PreviewPlayer *player = preview->ShockwaveFlash1;
    ASSERT_TRUE(player->IsPlaying());
    EXPECT_TRUE(player->ClockRunning());

    QTest::mouseClick(preview->Command1, Qt::LeftButton);  // stop
    ASSERT_FALSE(player->IsPlaying());
    EXPECT_FALSE(player->ClockRunning());
    QTest::mouseClick(preview->Command1, Qt::LeftButton);  // play
    ASSERT_TRUE(player->IsPlaying());
    EXPECT_TRUE(player->ClockRunning());

    // Played to its last frame it stops, and its clock with it; play starts both again.
    player->ClockTick();
    ASSERT_FALSE(player->IsPlaying());
    EXPECT_FALSE(player->ClockRunning());
    QTest::mouseClick(preview->Command1, Qt::LeftButton);
    ASSERT_TRUE(player->IsPlaying());
    EXPECT_EQ(player->FrameNum(), 0);
    EXPECT_TRUE(player->ClockRunning());
}

// The preview's clocks tick only when the journey says so.
class HeldPreviewTimers {
public:
    HeldPreviewTimers() { toolwindows::HoldPreviewTimers(true); }
    ~HeldPreviewTimers() { toolwindows::HoldPreviewTimers(false); }
    HeldPreviewTimers(const HeldPreviewTimers &) = delete;
    HeldPreviewTimers &operator=(const HeldPreviewTimers &) = delete;
};

// Three drawings played as frames: the window opens on the first, each tick of the clock shows the
// next, the movie stops at the last, and the slider's thumb stands where the frame is.
TEST_F(ToolWindows, AnimationPreviewStepsAFrameATickAndItsSliderShowsTheFrame)
{
    HeldPreviewTimers held;
    const std::string a = WriteDrawing("a.qlk", {Square(20, 20, 100, kRed)});
    WriteDrawing("b.qlk", {Square(180, 20, 100, kBlue)});
    WriteDrawing("c.qlk", {Square(100, 180, 100, kGreen)});
    OpenAnimationPreview(a);
    toolwindows::PreviewWindow *preview = toolwindows::OpenPreviewWindow();
    ASSERT_NE(preview, nullptr);
    ASSERT_EQ(preview->ShockwaveFlash1->TotalFrames(), 3);
    QScrollBar *slider = preview->HScroll1;

    const Rgb frameColour[3] = {kRed, kBlue, kGreen};
    auto tick = [&] {
        preview->ShockwaveFlash1->ClockTick();
        preview->Timer1_Timer();
        QApplication::processEvents();
    };
    // The frame (from 0) the window shows: its picture, number and slider thumb agree on it.
    auto expectFrame = [&](int frame, bool playing) {
        SCOPED_TRACE(testing::Message() << "frame " << frame + 1);
        const QImage shown = preview->ShockwaveFlash1->grab().toImage();
        for (int f = 0; f < 3; ++f) {
            const int ink = CountColor(shown, shown.rect(), frameColour[f], 8);
            EXPECT_TRUE(f == frame ? ink > 5000 : ink == 0) << "frame " << f + 1 << " ink " << ink;
        }
        EXPECT_EQ(preview->Label1->text(), QString::number(frame + 1));
        EXPECT_EQ(preview->Command1Tag(), playing ? QStringLiteral("□") : QStringLiteral("＞"));
        const QRect groove = ScrollBarPart(slider, QStyle::SC_ScrollBarGroove);
        const QRect thumb = ScrollBarPart(slider, QStyle::SC_ScrollBarSlider);
        EXPECT_LE(thumb.width(), groove.width() / 2);
        const int expected = groove.left() + (groove.width() - thumb.width()) * frame / 2 + thumb.width() / 2;
        EXPECT_NEAR(thumb.center().x(), expected, 2);
    };

    preview->Timer1_Timer();
    expectFrame(0, true);
    tick();
    expectFrame(1, true);
    tick();
    expectFrame(2, false);  // the last frame: the player stops by itself
    tick();
    tick();
    expectFrame(2, false);

    // Play at the last frame starts from the first; stopped at the second, play runs to the last.
    QTest::mouseClick(preview->Command1, Qt::LeftButton);
    preview->Timer1_Timer();
    expectFrame(0, true);
    tick();
    QTest::mouseClick(preview->Command1, Qt::LeftButton);
    tick();
    expectFrame(1, false);
    QTest::mouseClick(preview->Command1, Qt::LeftButton);
    tick();
    expectFrame(2, false);
}

}  // namespace
}  // namespace journeys

namespace journeys {
namespace {

TEST_F(ToolWindows, BrushPaletteChoosesTheBrushTheNextStrokePaints)
{
    Menu({QStringLiteral("表示"), QStringLiteral("ブラシ/消しゴム管理ツール")});
    toolwindows::BrushGUI *palette = window->BrushGUI;
    ASSERT_NE(palette, nullptr);
    ASSERT_TRUE(palette->isVisible());
    const int cell = palette->CellSide();
    ASSERT_GT(cell, 0);
    auto inkBeside = [&](int y) {
        // Pixels that are not the white canvas, 12 to 16 pixels below the stroke's line.
        const QRect strip(AtPixel(80, y + 12), AtPixel(240, y + 16));
        return strip.width() * strip.height() - CountColor(strip, kWhite, 8);
    };

    // The first brush (10 pixels round) leaves the strip beside its stroke empty.
    Click(palette->Picture1, QPoint(cell / 2, cell / 2));
    ChooseStyle(kFillOnly);  // strokes filled with the fill colour
    ChooseTool(canvastools::kToolBrush);
    Drag({AtPixel(60, 80), AtPixel(260, 80)});
    EXPECT_EQ(inkBeside(80), 0);
    const QRect onLine(AtPixel(80, 78), AtPixel(240, 82));
    EXPECT_EQ(CountColor(onLine, kWhite, 8), 0);

    // The fourth (40 pixels round) covers it.
    Click(palette->Picture1, QPoint(3 * cell + cell / 2, cell / 2));
    Drag({AtPixel(60, 200), AtPixel(260, 200)});
    const QRect strip(AtPixel(80, 212), AtPixel(240, 216));
    EXPECT_EQ(inkBeside(200), strip.width() * strip.height());
}

}  // namespace
}  // namespace journeys
