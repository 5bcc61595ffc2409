// Keys as a hand types them: Esc and Enter in a tool window whose text box has the keyboard, a
// Ctrl shortcut whose Ctrl comes up before its letter, menus worked by their access keys, and the
// faces of the display toggles the keys switch.
#include "canvastools/canvas_input_state.h"
#include "core/document.h"
#include "mainwindow/canvas_properties_dialog.h"
#include "mainwindow/preferences_dialog.h"
#include "platform/forms/controls.h"
#include "tests/journeys/journey_fixture.h"
#include "toolwindows/folder_gui.h"
#include "toolwindows/polygon_window.h"
#include "toolwindows/text_window.h"

#include <QApplication>
#include <QCursor>
#include <QDialog>
#include <QKeyEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QWindow>

#include <algorithm>
#include <map>

using canvastools::kToolPolygon;
using canvastools::kToolSelect;

namespace journeys {
namespace {

// What the shape window a digit key opens shows in its first text field.
QString FirstField(QDialog &dialog)
{
    if (auto *polygon = qobject_cast<toolwindows::PolygonGUI *>(&dialog)) {
        return polygon->Text1->Text();
    }
    if (auto *text = qobject_cast<toolwindows::TextFontGUI *>(&dialog)) {
        return text->Text1->toPlainText();
    }
    return QStringLiteral("?");
}

// The modal dialog on the screen as the active window, the keyboard where it puts it.
void ShowActive(QDialog &dialog)
{
    dialog.show();
    QApplication::setActiveWindow(&dialog);
    QApplication::processEvents();
}

struct ShapeWindowKey {
    const char *name;
    Qt::Key key;
    QString fieldOnReopening;  // a cancelled window comes back with this
};

class EscInAShapeWindow : public Journey, public testing::WithParamInterface<ShapeWindowKey> {};

// Fresh start, pointer over the canvas: the key opens the window with the keyboard in its first
// field, and Esc there cancels it at once; the next press of the key opens it afresh.
TEST_P(EscInAShapeWindow, CancelsItOnItsFirstOpening)
{
    const ShapeWindowKey &param = GetParam();
    bool shownWithFocus = false;
    bool openAfterEsc = true;
    AnswerDialog([&](QDialog &dialog) {
        ShowActive(dialog);
        QWidget *focus = dialog.focusWidget();
        shownWithFocus = focus != nullptr && focus != &dialog;
        QTest::keyClick(focus ? focus : &dialog, Qt::Key_Escape);
        openAfterEsc = dialog.isVisible();
    });
    MoveTo(window->Picture1, AtPixel(160, 160));
    Key(param.key);
    EXPECT_TRUE(shownWithFocus);
    EXPECT_FALSE(openAfterEsc);
    // Cancelled: no shape tool is left chosen.
    EXPECT_TRUE(window->Option1[kToolSelect]->isChecked());

    QString field = QStringLiteral("(not opened)");
    AnswerDialog([&](QDialog &dialog) { field = FirstField(dialog); });
    Key(param.key);
    EXPECT_EQ(field, param.fieldOnReopening);
}

const ShapeWindowKey kShapeWindowKeys[] = {{"Polygon", Qt::Key_8, QStringLiteral("5")},
                                            {"Text", Qt::Key_9, QString()}};
std::string ShapeWindowName(const testing::TestParamInfo<ShapeWindowKey> &info)
{
    return info.param.name;
}

INSTANTIATE_TEST_SUITE_P(Keyboard, EscInAShapeWindow, testing::ValuesIn(kShapeWindowKeys), ShapeWindowName);

class ShapeWindowAtThePointer : public Journey, public testing::WithParamInterface<ShapeWindowKey> {};

// Under a window manager's frame the window's outer top-left corner is at the pointer, on its
// first opening as on the next.
TEST_P(ShapeWindowAtThePointer, OpensWithItsFrameAtThePointerEveryTime)
{
    const WindowManagerFrame frame;
    const QPoint pointer(200, 150);
    QCursor::setPos(pointer);
    for (int opening = 1; opening <= 2; ++opening) {
        SCOPED_TRACE(testing::Message() << "opening " << opening);
        QPoint client;
        AnswerDialog([&](QDialog &dialog) {
            ShowActive(dialog);  // shown and framed
            client = dialog.geometry().topLeft();
        });
        MoveTo(window->Picture1, AtPixel(160, 160));
        Key(GetParam().key);
        ASSERT_EQ(dialogsShown.size(), size_t(opening));
        EXPECT_EQ(client, pointer + frame.ClientOffset());
    }
}

INSTANTIATE_TEST_SUITE_P(Keyboard, ShapeWindowAtThePointer, testing::ValuesIn(kShapeWindowKeys), ShapeWindowName);

// Where Tab takes the keyboard from キャンセル in the text window: true when to a control that
// shows within the window.
bool TabFromCancelStaysInView(toolwindows::TextFontGUI &window)
{
    window.Command2->setFocus();
    QTest::keyClick(window.Command2, Qt::Key_Tab);
    QWidget *focus = window.focusWidget();
    if (!focus || !focus->isVisible()) {
        return false;
    }
    const QRect shown(focus->mapTo(&window, QPoint(0, 0)), focus->size());
    return window.rect().contains(shown);
}

class TextWindowFolding : public Journey {};

// Folded, the text window's layout panel shows nothing and takes no keys: Tab goes round the
// controls in view; unfolded, Tab reaches the panel's controls too, and folded again no more.
TEST_F(TextWindowFolding, TheFoldedPanelTakesNoKeys)
{
    std::vector<bool> inView;
    AnswerDialog([&](QDialog &dialog) {
        ShowActive(dialog);
        auto &text = dynamic_cast<toolwindows::TextFontGUI &>(dialog);
        inView.push_back(TabFromCancelStaysInView(text));
        for (int unfold : {1, 0}) {
            QTest::mouseClick(text.Check4, Qt::LeftButton);
            ASSERT_EQ(text.Check4->Value(), unfold);
            inView.push_back(TabFromCancelStaysInView(text));
            inView.push_back(text.Frame1->isAncestorOf(text.focusWidget()));
        }
    });
    MoveTo(window->Picture1, AtPixel(160, 160));
    Key(Qt::Key_9);
    EXPECT_EQ(inView, (std::vector<bool>{true, true, true, true, false}));
}

class EscInAMenuDialog : public Journey, public testing::WithParamInterface<const char *> {};

// Esc typed into a dialog's text box cancels the dialog as from any of its other controls.
TEST_P(EscInAMenuDialog, CancelsItFromItsTextBox)
{
    bool typedInto = false;
    bool openAfterEsc = true;
    AnswerDialog([&](QDialog &dialog) {
        ShowActive(dialog);
        auto *box = dialog.findChild<platform::TextBox *>();
        ASSERT_NE(box, nullptr);
        box->setFocus();
        QTest::keyClicks(box, QStringLiteral("7"));
        typedInto = box->Text().contains(QLatin1Char('7'));
        QTest::keyClick(box, Qt::Key_Escape);
        openAfterEsc = dialog.isVisible();
    });
    Menu({QStringLiteral("ファイル"), QString::fromUtf8(GetParam())});
    ASSERT_EQ(dialogsShown.size(), 1u);
    EXPECT_TRUE(typedInto);
    EXPECT_FALSE(openAfterEsc);
}

INSTANTIATE_TEST_SUITE_P(Keyboard, EscInAMenuDialog, testing::Values("キャンバスのプロパティ", "詳細設定"),
                         [](const testing::TestParamInfo<const char *> &info) {
                             return std::string(info.index == 0 ? "CanvasProperties" : "Preferences");
                         });

struct EnterKey {
    const char *name;
    Qt::Key key;
    Qt::KeyboardModifiers modifiers;
};

class EnterInADialog : public Journey, public testing::WithParamInterface<EnterKey> {
protected:
    void PressEnter(QWidget *box) { QTest::keyClick(box, GetParam().key, GetParam().modifiers); }
};

// Key 8 opens the polygon window with the keyboard in its corner box: the count typed there and
// Enter press OK, and the next polygon drawn has that many corners.
TEST_P(EnterInADialog, PressesOKInThePolygonWindow)
{
    bool openAfterEnter = true;
    AnswerDialog([&](QDialog &dialog) {
        ShowActive(dialog);
        auto *box = qobject_cast<platform::TextBox *>(dialog.focusWidget());
        ASSERT_NE(box, nullptr) << "the corner box does not have the keyboard";
        box->selectAll();
        QTest::keyClicks(box, QStringLiteral("6"));
        PressEnter(box);
        openAfterEnter = dialog.isVisible();
    });
    MoveTo(window->Picture1, AtPixel(160, 160));
    Key(Qt::Key_8);
    EXPECT_FALSE(openAfterEnter);
    ASSERT_TRUE(window->Option1[kToolPolygon]->isChecked());
    Drag({AtPixel(80, 60), AtPixel(280, 260)});
    ASSERT_EQ(core::Doc().DocPathCount(), 1);
    EXPECT_EQ(core::Doc().DocPaths[1].Anchors.size(), 12u) << "not a six-pointed star";
}

// The canvas width typed into its box and Enter: OK, the canvas is as wide as typed.
TEST_P(EnterInADialog, PressesOKInTheCanvasProperties)
{
    bool openAfterEnter = true;
    AnswerDialog([&](QDialog &dialog) {
        ShowActive(dialog);
        auto &properties = dynamic_cast<mainwindow::CanvasGUI &>(dialog);
        Type(properties.Text1, QStringLiteral("400"));
        PressEnter(properties.Text1);
        openAfterEnter = dialog.isVisible();
    });
    ASSERT_EQ(core::Doc().CurrentSettings.Width, 320);
    Menu({QStringLiteral("ファイル"), QStringLiteral("キャンバスのプロパティ")});
    EXPECT_FALSE(openAfterEnter);
    EXPECT_EQ(core::Doc().CurrentSettings.Width, 400);
}

// The display quality stepped with the arrow keys in its list and Enter: OK, the quality is kept.
TEST_P(EnterInADialog, PressesOKFromAListOfTheCanvasProperties)
{
    const int16_t quality = core::Doc().CurrentSettings.Quality;
    bool openAfterEnter = true;
    AnswerDialog([&](QDialog &dialog) {
        ShowActive(dialog);
        auto &properties = dynamic_cast<mainwindow::CanvasGUI &>(dialog);
        properties.Combo1->setFocus();
        QTest::keyClick(properties.Combo1, quality == 0 ? Qt::Key_Down : Qt::Key_Up);
        PressEnter(properties.Combo1);
        openAfterEnter = dialog.isVisible();
    });
    Menu({QStringLiteral("ファイル"), QStringLiteral("キャンバスのプロパティ")});
    EXPECT_FALSE(openAfterEnter);
    EXPECT_EQ(core::Doc().CurrentSettings.Quality, quality == 0 ? 1 : quality - 1);
}

INSTANTIATE_TEST_SUITE_P(Keyboard, EnterInADialog,
                         testing::Values(EnterKey{"Return", Qt::Key_Return, Qt::NoModifier},
                                         EnterKey{"KeypadEnter", Qt::Key_Enter, Qt::KeypadModifier}),
                         [](const testing::TestParamInfo<EnterKey> &info) { return info.param.name; });

// Keys typed to the main window as the window system delivers them: to an open menu, to the menu
// bar while it has the keyboard, else to the control with the focus.
class MenuKeys : public Journey {
protected:
    void SetUp() override
    {
        Journey::SetUp();
        QApplication::setActiveWindow(window.get());
        window->Picture1->setFocus();
        QApplication::processEvents();
    }
    void Down(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        QTest::keyPress(window->windowHandle(), key, modifiers);
        QApplication::processEvents();
    }
    void Up(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        QTest::keyRelease(window->windowHandle(), key, modifiers);
        QApplication::processEvents();
    }
    void Stroke(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        Down(key, modifiers);
        Up(key, modifiers);
    }
    // Alt held while the letter goes down and up: the menu bar's menu with that access key opens.
    void OpenMenuByKey(Qt::Key letter)
    {
        Down(Qt::Key_Alt, Qt::AltModifier);
        Stroke(letter, Qt::AltModifier);
        Up(Qt::Key_Alt);
        ASSERT_NE(QApplication::activePopupWidget(), nullptr) << "no menu opened";
    }
};

// View > フォルダ管理ツール by F opens the browser and nothing else: the underlay-in-front toggle
// that F switches on the canvas stays off.
TEST_F(MenuKeys, AnItemChosenByItsAccessKeyOnlyRunsTheItem)
{
    OpenMenuByKey(Qt::Key_V);
    Stroke(Qt::Key_F);
    ASSERT_NE(toolwindows::FolderWindow(), nullptr);
    EXPECT_TRUE(toolwindows::FolderWindow()->isVisible());
    EXPECT_EQ(window->Check4->Value(), 0);

    // Edit > やり直す by R brings the undone rectangle back; real-time drawing, which R switches,
    // stays as it was.
    QApplication::setActiveWindow(window.get());
    window->Picture1->setFocus();
    const QRect area(AtPixel(40, 40), AtPixel(120, 120));
    DrawUnselectedRectangle(area.topLeft(), area.bottomRight());
    ASSERT_GT(CountInk(area), 0);
    Undo();
    ASSERT_EQ(CountInk(area), 0);
    const int realtime = window->Check1->Value();
    OpenMenuByKey(Qt::Key_E);
    Stroke(Qt::Key_R);
    EXPECT_GT(CountInk(area), 0);
    EXPECT_EQ(window->Check1->Value(), realtime);
}

// Esc closes the Edit menu opened by Alt+E, and Esc again leaves the menu bar: the rectangle stays
// selected, and the arrow keys then move it.
TEST_F(MenuKeys, EscClosingAMenuKeepsTheSelection)
{
    DrawRectangle(AtPixel(40, 40), AtPixel(120, 120));
    ASSERT_TRUE(core::Doc().DocPaths[1].blSelected);
    const int32_t left = core::Doc().DocPaths[1].Anchors[0].X;
    OpenMenuByKey(Qt::Key_E);
    Stroke(Qt::Key_Escape);
    EXPECT_EQ(QApplication::activePopupWidget(), nullptr);
    EXPECT_TRUE(core::Doc().DocPaths[1].blSelected);
    Stroke(Qt::Key_Escape);
    EXPECT_TRUE(core::Doc().DocPaths[1].blSelected);
    ASSERT_EQ(QApplication::focusWidget(), window->Picture1);
    Stroke(Qt::Key_Right);
    EXPECT_GT(core::Doc().DocPaths[1].Anchors[0].X, left);
}

class Keyboard : public Journey {
protected:
    // The toggle's face as the screen shows it.
    static QImage Face(QWidget *toggle) { return toggle->grab().toImage().convertToFormat(QImage::Format_RGB32); }
    // The colour most of the face's pixels have.
    static Rgb MainColour(const QImage &face)
    {
        std::map<Rgb, int> counts;
        for (int y = 0; y < face.height(); ++y) {
            for (int x = 0; x < face.width(); ++x) {
                ++counts[face.pixel(x, y) & 0xFFFFFFu];
            }
        }
        return std::max_element(counts.begin(), counts.end(),
                                [](const auto &a, const auto &b) { return a.second < b.second; })
            ->first;
    }
};

// Five presses of the right arrow key queued at once, as a key held down queues them faster than
// the canvas is drawn: the canvas shows the rectangle at its last place, and each press is an
// undo step of its own.
TEST_F(Keyboard, ArrowKeysQueuedAtOnceShowTheLastPlaceAndUndoOneByOne)
{
    DrawRectangle(AtPixel(40, 40), AtPixel(120, 120));
    ASSERT_TRUE(core::Doc().DocPaths[1].blSelected);
    const int32_t left = core::Doc().DocPaths[1].Anchors[0].X;
    const double step = core::Doc().CurrentSettings.GridWidth / 2 / 20.0;  // pixels per press
    window->Picture1->setFocus();
    for (int press = 0; press < 5; ++press) {
        QApplication::postEvent(window->Picture1, new QKeyEvent(QEvent::KeyPress, Qt::Key_Right, Qt::NoModifier,
                                                                QString(), press > 0));
    }
    QApplication::postEvent(window->Picture1, new QKeyEvent(QEvent::KeyRelease, Qt::Key_Right, Qt::NoModifier));
    QApplication::processEvents();
    EXPECT_EQ(core::Doc().DocPaths[1].Anchors[0].X, left + 5 * core::Doc().CurrentSettings.GridWidth / 2);
    Key(Qt::Key_Escape);  // no selection frame over the picture
    // Ink of the rectangle's left edge where it stands after some presses, and in the band of
    // its inside beside that edge (the rectangle has no fill).
    auto edgeAt = [this, step](int presses) {
        const double x = 40 + presses * step;
        return std::pair{CountInk(QRect(AtPixel(x - 2, 60), AtPixel(x + 2, 100))),
                         CountInk(QRect(AtPixel(x + 4, 60), AtPixel(x + step - 4, 100)))};
    };
    EXPECT_GT(edgeAt(5).first, 0) << "the rectangle five steps right";
    for (int presses = 0; presses < 5; ++presses) {
        EXPECT_EQ(edgeAt(presses).first, 0) << "nothing left " << presses << " steps right";
    }
    for (int presses = 4; presses >= 0; --presses) {
        Undo();
        EXPECT_EQ(core::Doc().DocPaths[1].Anchors[0].X, left + presses * core::Doc().CurrentSettings.GridWidth / 2);
        EXPECT_GT(edgeAt(presses).first, 0) << presses;
        EXPECT_EQ(edgeAt(presses).second, 0) << presses;
        EXPECT_EQ(edgeAt(presses + 1).first, 0) << presses;
    }
}

// Ctrl goes down, F goes down, Ctrl comes up, then F: the key went down as Ctrl+F.
TEST_F(Keyboard, AQuickCtrlFOpensTheFileBrowserAndLeavesTheFrontToggle)
{
    QWidget *canvas = window->Picture1;
    canvas->setFocus();
    ASSERT_EQ(window->Check4->Value(), 0);
    QTest::keyPress(canvas, Qt::Key_F, Qt::ControlModifier);  // Ctrl goes down first
    QTest::keyRelease(canvas, Qt::Key_Control);
    QTest::keyRelease(canvas, Qt::Key_F);
    QApplication::processEvents();
    ASSERT_NE(toolwindows::FolderWindow(), nullptr);
    EXPECT_TRUE(toolwindows::FolderWindow()->isVisible());
    EXPECT_EQ(window->Check4->Value(), 0);

    // Back in the main window, F alone still toggles the front option.
    QApplication::setActiveWindow(window.get());
    Key(Qt::Key_F);
    EXPECT_EQ(window->Check4->Value(), 1);
}

// In icon mode the front toggle, switched on by F, looks switched on the way the underlay
// toggle switched on by B does: its face keeps the light face colour, not a dark one.
TEST_F(Keyboard, TheFrontToggleOnLooksLikeTheOtherTogglesOn)
{
    AnswerDialog([](QDialog &dialog) {
        auto &preferences = dynamic_cast<mainwindow::PreferenceGUI &>(dialog);
        preferences.Check9->SetValue(1);
        preferences.Command1->click();
    });
    Menu({QStringLiteral("ファイル"), QStringLiteral("詳細設定")});
    const Rgb frontOff = MainColour(Face(window->Check4));
    Key(Qt::Key_B);
    Key(Qt::Key_F);
    ASSERT_EQ(window->Check3->Value(), 1);
    ASSERT_EQ(window->Check4->Value(), 1);
    const Rgb underlayOn = MainColour(Face(window->Check3));
    const Rgb frontOn = MainColour(Face(window->Check4));
    EXPECT_TRUE(Near(frontOn, underlayOn, 24)) << std::hex << frontOn << " " << underlayOn;
    EXPECT_FALSE(Near(frontOn, frontOff, 4)) << "the face shows no change";
}

}  // namespace
}  // namespace journeys
