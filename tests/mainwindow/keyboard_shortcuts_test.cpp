#include "canvastools/canvas_input.h"
#include "platform/forms/key_codes.h"
#include "tests/mainwindow/main_window_fixture.h"

#include <QTest>

using canvastools::Input;
using testsupport::MainWindowFixture;

namespace {

constexpr int kShift = platform::kShiftMask;
constexpr int kCtrl = platform::kCtrlMask;
constexpr int kAlt = platform::kAltMask;

class KeyboardShortcuts : public MainWindowFixture {
protected:
    void Up(int key, int shift = 0) { window->Form_KeyUp(key, shift); }

    void Zoom(const char *percent)
    {
        window->Combo2->SetText(QString::fromLatin1(percent));
        window->Combo2_Click();
    }
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

TEST_F(KeyboardShortcuts, LettersToggleTheDisplayBoxes)
{
    Up('R', kCtrl | kShift);
    Up('B');
    Up('F');
    Up('G');
    EXPECT_EQ(window->Check1->Value(), 1);
    EXPECT_EQ(window->Check3->Value(), 1);
    EXPECT_EQ(window->Check4->Value(), 1);
    EXPECT_EQ(window->Check6->Value(), 1);
    EXPECT_EQ(window->Check5->Value(), 0);
    Up('G', kCtrl);
    EXPECT_EQ(window->Check5->Value(), 1);
    EXPECT_EQ(window->Check6->Value(), 1);
    Up('B', kAlt);
    EXPECT_EQ(window->Check3->Value(), 0);
}

TEST_F(KeyboardShortcuts, CtrlLettersOpenAndCloseTheToolWindows)
{
    const mainwindow::DrawGuiMenus &m = window->menus;
    Up('F', kCtrl);
    Up('P', kCtrl | kShift);
    Up('E', kCtrl);
    Up('H', kCtrl);
    Up('T', kCtrl);
    for (platform::MenuItem *item :
         {m.mnuDispFolderGUI, m.mnuDispPathGUI, m.mnuDispPositionGUI, m.mnuDispBrushGUI, m.mnuDispGradientGUI}) {
        EXPECT_TRUE(item->Checked()) << item->Caption().toStdString();
    }
    EXPECT_EQ(mainwindow::Main().FolderToolBoxVisible, 1);
    EXPECT_EQ(window->Check4->Value(), 0);  // Ctrl+F is not the underlay box
    Up('P');
    Up('E', kShift);
    EXPECT_TRUE(m.mnuDispPathGUI->Checked());
    EXPECT_TRUE(m.mnuDispPositionGUI->Checked());
    Up('T', kCtrl);
    EXPECT_FALSE(m.mnuDispGradientGUI->Checked());
    // Ctrl+Q and Ctrl+W change nothing here.
    Up('Q', kCtrl);
    Up('W', kCtrl);
    EXPECT_TRUE(core::Lifecycle().CurrentFileName.empty());
}

TEST_F(KeyboardShortcuts, UTogglesDrawingOutsideTheCanvasWithoutModifiers)
{
    AddRectangle(-4000, -4000, -2000, -2000, 0xFF0000FF);
    movie::MakeCanvasMovie();
    ASSERT_EQ(core::Doc().CurrentSettings.DrawOutsideFlag, 1);
    EXPECT_LT(core::Doc().ViewExtent.Left, 0);
    Up('U', kShift);
    EXPECT_EQ(core::Doc().CurrentSettings.DrawOutsideFlag, 1);
    Up('U');
    EXPECT_EQ(core::Doc().CurrentSettings.DrawOutsideFlag, 0);
    EXPECT_EQ(core::Doc().ViewExtent.Left, 0);  // the canvas movie was made again
    Up('U');
    EXPECT_EQ(core::Doc().CurrentSettings.DrawOutsideFlag, 1);
    EXPECT_LT(core::Doc().ViewExtent.Left, 0);
}

TEST_F(KeyboardShortcuts, PageKeysStepTheZoomByHalvesWithinItsLimits)
{
    Zoom("750");
    Up(platform::kVkPageUp);
    EXPECT_EQ(core::Doc().ZoomRate, 8.0f);
    EXPECT_EQ(window->Combo2->Text(), QStringLiteral("800%"));
    Up(platform::kVkPageUp);
    EXPECT_EQ(core::Doc().ZoomRate, 8.0f);
    Zoom("100");
    Up(platform::kVkPageDown);
    EXPECT_EQ(core::Doc().ZoomRate, 0.5f);
    Up(platform::kVkPageDown);
    EXPECT_EQ(core::Doc().ZoomRate, 0.5f);
    EXPECT_EQ(window->Combo2->Text(), QStringLiteral("50%"));
    Zoom("33");
    Up(platform::kVkPageUp);
    EXPECT_EQ(window->Combo2->Text(), QStringLiteral("83%"));
}

TEST_F(KeyboardShortcuts, DigitKeysChooseTheTools)
{
    const int16_t expected[10] = {9, 2, 1, 3, 0, 6, 4, 5, 7, 8};
    for (int digit = 0; digit <= 8; ++digit) {
        Up('0' + digit);
        EXPECT_EQ(Input().CurrentTool, expected[digit]) << digit;
        EXPECT_TRUE(window->Option1[static_cast<size_t>(expected[digit])]->Value());
    }
    // The text tool opens its window; cancelled without a text, the select tool comes back.
    Up('9');
    EXPECT_EQ(modalDialogs, (std::vector<std::string>{"toolwindows::PolygonGUI", "toolwindows::TextFontGUI"}));
    EXPECT_EQ(Input().CurrentTool, canvastools::kToolSelect);
    Up(platform::kVkOemMinus);
    EXPECT_EQ(Input().CurrentTool, canvastools::kToolBrush);

    Input().DragArmed = true;  // a button held on the canvas
    Up('1');
    Up(platform::kVkOemMinus, kShift);
    EXPECT_EQ(Input().CurrentTool, canvastools::kToolBrush);
    EXPECT_TRUE(popups.empty());
}

TEST_F(KeyboardShortcuts, RepeatedToolKeysSwitchPenAndBrushModes)
{
    Up('5');
    ASSERT_EQ(Input().CurrentTool, canvastools::kToolPen);
    EXPECT_EQ(Input().PenCurveMode, 0);
    Up('5');
    EXPECT_EQ(Input().PenCurveMode, 1);
    Up('5', kShift);
    EXPECT_EQ(Input().PenCurveMode, 0);

    Up(platform::kVkOemMinus, kShift);  // from another tool: the menu, then the brush
    ASSERT_EQ(popups.size(), 1u);
    EXPECT_EQ(popups[0], window->menus.mnuBrush);
    EXPECT_EQ(Input().CurrentTool, canvastools::kToolBrush);
    EXPECT_EQ(Input().BrushEraseSwap, 0);
    Up(platform::kVkOemMinus);
    EXPECT_EQ(Input().BrushEraseSwap, 1);
    Up(platform::kVkOemMinus, kShift);  // only the menu
    EXPECT_EQ(popups.size(), 2u);
    EXPECT_EQ(Input().BrushEraseSwap, 1);
    Up(platform::kVkOemMinus, kCtrl);
    EXPECT_EQ(Input().BrushEraseSwap, 1);
}

TEST_F(KeyboardShortcuts, SevenChoosesTheEllipseWithAnchorsByTheModifiers)
{
    Up('7');
    EXPECT_EQ(Input().CurrentTool, canvastools::kToolEllipse);
    EXPECT_EQ(Input().EllipseAnchorCount, 8);
    Up('7', kShift | kCtrl);
    EXPECT_EQ(Input().EllipseAnchorCount, 32);
    Up('7');
    EXPECT_EQ(Input().EllipseAnchorCount, 32);
    Up('7', kShift | kCtrl | kAlt);
    EXPECT_EQ(Input().EllipseAnchorCount, 64);
    Up('7', kAlt);
    EXPECT_EQ(Input().EllipseAnchorCount, 40);
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

TEST_F(KeyboardShortcuts, KeysReachTheHandlersUnlessATextBoxTakesThem)
{
    window->show();
    QApplication::setActiveWindow(window.get());
    window->Picture1->setFocus();
    QTest::keyClick(window->Picture1, Qt::Key_2);
    EXPECT_EQ(Input().CurrentTool, canvastools::kToolAnchorEdit);
    QTest::keyClick(window->Picture1, Qt::Key_R);
    EXPECT_EQ(window->Check1->Value(), 1);
    window->keyPreview->SetEnabled(false);
    QTest::keyClick(window->Picture1, Qt::Key_1);
    EXPECT_EQ(Input().CurrentTool, canvastools::kToolAnchorEdit);
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

TEST_F(KeyboardShortcuts, SemicolonAndPlusStepTheSelectedAnchorsWithThePathEditTool)
{
    AddRectangle(0, 0, 400, 400, 0xFF0000FF);
    core::Doc().SelectedAnchors.push_back(core::AnchorRef{1, 0});
    Up(platform::kVkOem1);  // the select tool: nothing
    EXPECT_EQ(core::Doc().SelectedAnchors[1].AnchorIndex, 0);
    Input().CurrentTool = canvastools::kToolAnchorEdit;
    Up(platform::kVkOem1);
    EXPECT_EQ(core::Doc().SelectedAnchors[1].AnchorIndex, 1);
    Up(platform::kVkOemPlus);
    Up(platform::kVkOemPlus);
    EXPECT_EQ(core::Doc().SelectedAnchors[1].AnchorIndex, 3);  // round past the first anchor
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
