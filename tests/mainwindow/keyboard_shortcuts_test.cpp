#include "canvastools/canvas_input.h"
#include "platform/forms/key_codes.h"
#include "tests/mainwindow/main_window_fixture.h"

#include <QPushButton>
#include <QTest>
#include <functional>

using canvastools::Input;
using testsupport::MainWindowFixture;

namespace {

constexpr int kShift = platform::kShiftMask;
constexpr int kCtrl = platform::kCtrlMask;

class KeyboardShortcuts : public MainWindowFixture {
protected:
    void Up(int key, int shift = 0) { window->Form_KeyUp(key, shift); }
};

}  // namespace

TEST_F(KeyboardShortcuts, TheReleaseThatClosesAPopupDoesNothingElse)
{
    Input().PopupShown = true;
    Up('R');
    EXPECT_FALSE(Input().PopupShown);
    EXPECT_EQ(window->Check1->Value(), 0);
    Up('R');
    EXPECT_EQ(window->Check1->Value(), 1);
    EXPECT_TRUE(Input().RealtimeMode);  // the box's own handler ran
}

TEST_F(KeyboardShortcuts, EscapeEndsThePenPathAndDeselects)
{
    AddRectangle(0, 0, 400, 400, 0xFF0000FF, true);
    core::RecordHistory();
    Up('5');
    const int32_t steps = core::History().HistoryPos;
    canvastools::Picture1_MouseDown(platform::kLeftButton, 0, 60, 60);
    canvastools::Picture1_MouseUp(platform::kLeftButton, 0, 60, 60);
    canvastools::Picture1_MouseDown(platform::kLeftButton, 0, 120, 80);
    canvastools::Picture1_MouseUp(platform::kLeftButton, 0, 120, 80);
    ASSERT_GT(Input().DragMode, 0);
    ASSERT_EQ(core::Doc().DocPathCount(), 2);
    core::Doc().DocPaths[1].blSelected = true;
    Up(platform::kVkEscape);
    EXPECT_EQ(Input().DragMode, 0);
    EXPECT_EQ(core::Doc().DocPathCount(), 2);
    EXPECT_FALSE(core::Doc().DocPaths[2].blClosed);
    EXPECT_EQ(core::History().HistoryPos, steps + 1);  // the open path is one step
    EXPECT_EQ(core::CountSelectedPaths(), 0);
}

TEST_F(KeyboardShortcuts, CommaAndPeriodMoveTheSelectionInTheStackingOrderOnEveryPress)
{
    AddRectangle(0, 0, 100, 100, 0xFF000001, true);
    AddRectangle(0, 0, 100, 100, 0xFF000002);
    AddRectangle(0, 0, 100, 100, 0xFF000003);
    core::RecordHistory();
    const int32_t steps = core::History().HistoryPos;
    auto colourAt = [](int i) { return core::Doc().DocPaths[static_cast<size_t>(i)].FillColor; };
    window->Form_KeyDown(platform::kVkOemComma, 0);  // held: one step per repeat
    EXPECT_EQ(colourAt(2), 0xFF000001u);
    window->Form_KeyDown(platform::kVkOemComma, kShift);
    EXPECT_EQ(colourAt(3), 0xFF000001u);
    window->Form_KeyDown(platform::kVkOemPeriod, kCtrl);
    EXPECT_EQ(colourAt(1), 0xFF000001u);
    window->Form_KeyDown(platform::kVkOemComma, kCtrl);
    EXPECT_EQ(colourAt(3), 0xFF000001u);
    window->Form_KeyDown(platform::kVkOemPeriod, kCtrl | kShift);  // not only Ctrl: one step
    EXPECT_EQ(colourAt(2), 0xFF000001u);
    EXPECT_EQ(core::History().HistoryPos, steps + 5);
    window->Form_KeyDown('A', 0);
    window->Form_KeyUp(platform::kVkOemComma, 0);
    EXPECT_EQ(core::History().HistoryPos, steps + 5);
}

TEST_F(KeyboardShortcuts, DeleteAndInsertEditTheAnchorUnderTheCursorWithThePathEditTool)
{
    AddRectangle(0, 0, 400, 400, 0xFF0000FF);
    core::RecordHistory();
    const int32_t steps = core::History().HistoryPos;
    core::Document &doc = core::Doc();
    doc.HitPath = 1;
    doc.HitAnchor = 0;
    Up(platform::kVkDelete);  // the select tool: nothing
    EXPECT_EQ(doc.DocPaths[1].Anchors.size(), 4u);

    Input().CurrentTool = canvastools::kToolAnchorEdit;
    doc.HitPath = 1;
    doc.HitAnchor = 0;
    doc.HitPath2 = 1;  // a segment: Delete needs an anchor
    Up(platform::kVkDelete);
    EXPECT_EQ(doc.DocPaths[1].Anchors.size(), 4u);

    doc.HitAnchor2 = 1;
    Input().DragOriginX = 200;
    Input().DragOriginY = 0;
    Up(platform::kVkInsert);
    EXPECT_EQ(doc.DocPaths[1].Anchors.size(), 5u);
    EXPECT_EQ(core::History().HistoryPos, steps + 1);

    doc.HitPath = 1;
    doc.HitAnchor = 0;
    doc.HitPath2 = 0;
    Up(platform::kVkInsert);  // an anchor: Insert needs a segment
    EXPECT_EQ(doc.DocPaths[1].Anchors.size(), 5u);
    Up(platform::kVkDelete);
    EXPECT_EQ(doc.DocPaths[1].Anchors.size(), 4u);
    EXPECT_EQ(doc.HitPath, 0);
    EXPECT_EQ(core::History().HistoryPos, steps + 2);
}

TEST_F(KeyboardShortcuts, OneKeyPressOpensThePolygonOrTextWindowOnceWhateverClosesIt)
{
    window->show();
    QApplication::setActiveWindow(window.get());
    window->Picture1->setFocus();
    QApplication::processEvents();
    // The window takes the focus as a shown modal window does, then is closed by its Cancel
    // button or by Esc.
    std::function<void(QDialog &)> close;
    platform::SetModalDialogHook([&](QDialog &dialog) {
        modalDialogs.push_back(dialog.metaObject()->className());
        dialog.show();
        QApplication::setActiveWindow(&dialog);
        dialog.setFocus();
        QApplication::processEvents();
        close(dialog);
    });
    const auto cancel = [](QDialog &dialog) {
        for (QPushButton *button : dialog.findChildren<QPushButton *>()) {
            if (button->text() == QStringLiteral("キャンセル")) {
                QTest::mouseClick(button, Qt::LeftButton);
                return;
            }
        }
        FAIL() << "no Cancel button";
    };
    const auto escape = [](QDialog &dialog) { QTest::keyClick(&dialog, Qt::Key_Escape); };
    for (const auto &closer : {std::function<void(QDialog &)>(cancel), std::function<void(QDialog &)>(escape)}) {
        close = closer;
        for (Qt::Key key : {Qt::Key_8, Qt::Key_9}) {
            modalDialogs.clear();
            window->Picture1->setFocus();
            QTest::keyClick(window->Picture1, key);
            QApplication::processEvents();
            EXPECT_EQ(modalDialogs.size(), 1u) << key;
            EXPECT_EQ(Input().CurrentTool, canvastools::kToolSelect);
        }
    }
}
