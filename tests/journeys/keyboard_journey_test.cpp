// Keys as a hand types them: Esc in a tool window whose text box has the keyboard, a Ctrl
// shortcut whose Ctrl comes up before its letter, and the faces of the display toggles the keys
// switch.
#include "canvastools/canvas_input_state.h"
#include "mainwindow/preferences_dialog.h"
#include "platform/forms/controls.h"
#include "tests/journeys/journey_fixture.h"
#include "toolwindows/folder_gui.h"
#include "toolwindows/polygon_window.h"
#include "toolwindows/text_window.h"

#include <QApplication>
#include <QDialog>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

#include <algorithm>
#include <map>

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

INSTANTIATE_TEST_SUITE_P(Keyboard, EscInAShapeWindow,
                         testing::Values(ShapeWindowKey{"Polygon", Qt::Key_8, QStringLiteral("5")},
                                         ShapeWindowKey{"Text", Qt::Key_9, QString()}),
                         [](const testing::TestParamInfo<ShapeWindowKey> &info) { return info.param.name; });

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
