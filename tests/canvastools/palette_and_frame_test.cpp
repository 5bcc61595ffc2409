#include "canvastools/status_line.h"
#include "canvastools/tool_palette.h"
#include "movie/canvas_movie.h"
#include "tests/canvastools/canvas_fixture.h"

#include "platform/forms/key_codes.h"

using canvastools::Input;
using core::Doc;
using testsupport::kAlt;
using testsupport::kCtrl;
using testsupport::kLeft;
using testsupport::kRight;
using testsupport::kShift;

namespace {

class ToolPaletteTest : public testsupport::CanvasFixture {};

TEST_F(ToolPaletteTest, ClickingThePenOrBrushAgainSwitchesItsMode)
{
    ChooseTool(canvastools::kToolPen);
    EXPECT_EQ(Input().PenCurveMode, 0);
    EXPECT_TRUE(canvastools::GetToolDescription(canvastools::kToolPen).startsWith(QStringLiteral("[直線の描画]")));
    canvastools::Option1_MouseDown(canvastools::kToolPen, kLeft, 0);  // a press on the current pen
    EXPECT_EQ(Input().PenCurveMode, 1);
    EXPECT_TRUE(canvastools::GetToolDescription(canvastools::kToolPen).startsWith(QStringLiteral("[曲線の描画]")));
    mainwindow::Main().UseToolIcons = 0;
    canvastools::SetToolButtonFace(0, 2);
    EXPECT_EQ(window->Option1[canvastools::kToolPen]->text(), QStringLiteral("～"));

    ChooseTool(canvastools::kToolBrush);
    EXPECT_EQ(Input().BrushEraseSwap, 0);
    ChooseTool(canvastools::kToolBrush);
    EXPECT_EQ(Input().BrushEraseSwap, 1);
    EXPECT_EQ(window->Option1[canvastools::kToolBrush]->text(), QStringLiteral("消しｺﾞﾑ"));
    EXPECT_TRUE(canvastools::GetToolDescription(canvastools::kToolBrush).startsWith(QStringLiteral("[消しゴムツール](1)")));
}

TEST_F(ToolPaletteTest, ChoosingAToolClearsHitsAndTheSelection)
{
    AddSquare(0, 0, 100, true);
    Doc().HitPath = 3;
    Doc().SelectedAnchors.push_back({1, 1});
    ChooseTool(canvastools::kToolAnchorEdit);
    EXPECT_EQ(Doc().HitPath, 0);
    EXPECT_EQ(Doc().SelectedAnchorCount(), 0);
    EXPECT_EQ(core::CountSelectedPaths(), 0);
    EXPECT_EQ(Input().CurrentTool, canvastools::kToolAnchorEdit);
}

TEST_F(ToolPaletteTest, HintsCarryTheToolSettings)
{
    Doc().CurrentSettings.OptimizeFlag = 3;
    EXPECT_EQ(canvastools::GetToolDescription(0),
              QStringLiteral("[自由曲線の描画]　自動適用：弱い最適化(60) 強い最適化(30) "));
    Input().RectangleKind = 1;
    Input().RectangleCornerSize = 0.5f;
    EXPECT_EQ(canvastools::GetToolDescription(4), QStringLiteral("[矩形の描画] (角丸) 100%"));
    Input().RectangleCornerSize = 0.6f;
    EXPECT_EQ(canvastools::GetToolDescription(4), QStringLiteral("[矩形の描画] (角丸) 0.6px"));
    Input().RectangleKind = 0;
    EXPECT_EQ(canvastools::GetToolDescription(4), QStringLiteral("[矩形の描画] ﾎﾞﾀﾝ上で右ｸﾘｯｸ：矩形の種類選択"));
    EXPECT_EQ(canvastools::GetToolDescription(5), QStringLiteral("[楕円の描画]　ｱﾝｶｰ8個　ﾎﾞﾀﾝ上で右ｸﾘｯｸ：ｱﾝｶｰ数選択"));
    Doc().CurrentSettings.FloodQuality = 4;
    EXPECT_EQ(canvastools::GetToolDescription(9), QStringLiteral("[バケツツール] 品質:カスタム　精度(2) 隙間(7) 鋭角(30)"));
    EXPECT_EQ(canvastools::GetToolDescription(11), QString());

    canvastools::Option1_MouseMove(canvastools::kToolSelect);
    EXPECT_TRUE(canvastools::StatusText().startsWith(QStringLiteral("[パスの選択]")));
    EXPECT_EQ(window->Option1[canvastools::kToolSelect]->toolTip(), canvastools::StatusText());
}

TEST_F(ToolPaletteTest, EllipseButtonSetsTheCountByModifiersAndOffersItsMenu)
{
    canvastools::Option1_MouseDown(canvastools::kToolEllipse, kLeft, kShift | kCtrl);
    EXPECT_EQ(Input().EllipseAnchorCount, 32);
    canvastools::Option1_MouseDown(canvastools::kToolEllipse, kRight, 0);
    EXPECT_EQ(Input().EllipseAnchorCount, 32);  // kept without a modifier
    ASSERT_EQ(popups.size(), 1u);
    EXPECT_EQ(popups[0], window->menus.mnuCircle);
    EXPECT_EQ(window->menus.mnuSelectCircle->UBound(), 7);
    EXPECT_EQ(window->menus.mnuSelectCircle->Item(3)->Caption(), QStringLiteral("&4　32アンカー"));
    EXPECT_EQ(canvastools::BuildEllipseAnchorMenu(), 3);
    window->menus.mnuSelectCircle->Item(7)->Trigger();
    EXPECT_EQ(Input().EllipseAnchorCount, 64);
    Input().EllipseAnchorCount = 12;
    EXPECT_EQ(canvastools::BuildEllipseAnchorMenu(), 0);  // no item has 12 anchors
}

TEST_F(ToolPaletteTest, CursorsFollowTheToolUnlessTheOptionKeepsTheArrow)
{
    canvastools::SetToolCursor(canvastools::kToolFreehand);
    EXPECT_EQ(window->Picture1->cursor().shape(), Qt::BitmapCursor);
    canvastools::SetToolCursor(canvastools::kToolSelect);
    EXPECT_EQ(window->Picture1->cursor().shape(), Qt::ArrowCursor);
    mainwindow::Main().NotChangeCursor = 1;
    for (int tool = 0; tool <= 10; ++tool) {
        canvastools::SetToolCursor(tool);
        EXPECT_EQ(window->Picture1->cursor().shape(), Qt::ArrowCursor) << tool;
    }
}

TEST_F(ToolPaletteTest, IconAndTextLayouts)
{
    canvastools::ChangeIcons(1);
    auto geometry = [&](int i) { return window->Option1[static_cast<size_t>(i)]->geometry(); };
    EXPECT_EQ(geometry(2), QRect(0, 0, 50, 25));   // select: full width on top
    EXPECT_EQ(geometry(1), QRect(0, 25, 25, 25));  // anchor edit, gradient
    EXPECT_EQ(geometry(3), QRect(25, 25, 25, 25));
    EXPECT_EQ(geometry(0), QRect(0, 50, 25, 25));  // freehand, pen
    EXPECT_EQ(geometry(6), QRect(25, 50, 25, 25));
    EXPECT_EQ(geometry(10), QRect(25, 125, 25, 25));
    EXPECT_TRUE(window->Option1[0]->text().isEmpty());
    EXPECT_EQ(canvastools::ToolButtonPanel()->height(), 154);
    EXPECT_EQ(window->Check4->geometry(), QRect(25, 20, 25, 24));

    canvastools::ChangeIcons(0);
    EXPECT_EQ(geometry(2), QRect(0, 0, 50, 17));
    EXPECT_EQ(geometry(1), QRect(0, 17, 50, 17));
    EXPECT_EQ(geometry(0), QRect(0, 51, 50, 17));
    EXPECT_EQ(geometry(10), QRect(0, 170, 50, 17));
    EXPECT_EQ(window->Option1[9]->text(), QStringLiteral("バケツ"));
    EXPECT_EQ(window->Check5->text(), QStringLiteral("Grid"));
    EXPECT_EQ(window->Check6->geometry(), QRect(30, 44, 20, 24));
    QWidget *palette = canvastools::ToolButtonPanel();
    EXPECT_EQ(palette->height(), 191);
    EXPECT_EQ(canvastools::DisplayCheckPanel()->y(), palette->y() + 191 + 1);
    EXPECT_EQ(window->Combo2->y(), canvastools::DisplayCheckPanel()->geometry().bottom() + 3);
}

class CanvasFrameTest : public testsupport::CanvasFixture {};

TEST_F(CanvasFrameTest, ArrowKeysNudgeTheSelectionOneUndoStepEach)
{
    int32_t a = AddSquare(1000, 1000, 100, true);
    Doc().CurrentSettings.GridWidth = 401;
    int32_t before = HistoryPos();
    canvastools::Picture1_KeyDown(platform::kVkRight, 0);
    EXPECT_EQ(Path(a).Anchors[0].X, 1200);
    canvastools::Picture1_KeyDown(platform::kVkLeft, 0);
    EXPECT_EQ(Path(a).Anchors[0].X, 1000);
    canvastools::Picture1_KeyDown(platform::kVkDown, kShift);
    EXPECT_EQ(Path(a).Anchors[0].Y, 1020);
    canvastools::Picture1_KeyDown(platform::kVkUp, kCtrl);
    EXPECT_EQ(Path(a).Anchors[0].Y, 1019);
    canvastools::Picture1_KeyDown(platform::kVkUp, kShift | kCtrl);  // half a grid step
    EXPECT_EQ(Path(a).Anchors[0].Y, 819);
    EXPECT_EQ(HistoryPos(), before + 5);

    canvastools::Picture1_KeyDown('A', 0);
    core::DeselectAllPaths();
    canvastools::Picture1_KeyDown(platform::kVkRight, 0);
    EXPECT_EQ(HistoryPos(), before + 5);  // other keys and an empty selection record nothing
}

TEST_F(CanvasFrameTest, ArrowKeysMoveSelectedAnchorsWithTheAnchorTool)
{
    int32_t a = AddSquare(1000, 1000, 100);
    ChooseTool(canvastools::kToolAnchorEdit);
    Doc().SelectedAnchors.push_back({a, 2});
    Doc().SelectedAnchors.push_back({a + 5, 0});  // a stale entry is passed over
    canvastools::Picture1_KeyDown(platform::kVkLeft, kCtrl);
    EXPECT_EQ(Path(a).Anchors[2].X, 1099);
    EXPECT_EQ(Path(a).Anchors[1].X, 1100);
}

TEST_F(CanvasFrameTest, AHintStaysForFourMovesThenCoordinatesFollow)
{
    canvastools::SetStatusText(QStringLiteral("hint"));
    for (int i = 0; i < 4; ++i) {
        Move(0, 0, 2000, 400);
        EXPECT_EQ(canvastools::StatusText(), QStringLiteral("hint")) << i;
    }
    Move(0, 0, 2000, 400);
    QString status = canvastools::StatusText();
    EXPECT_TRUE(status.startsWith(QStringLiteral("(100,20)")));
    EXPECT_EQ(status.size(), 80);
    Move(0, 0, -20, 40);
    EXPECT_TRUE(canvastools::StatusText().startsWith(QStringLiteral("(-1,2)")));
}

TEST_F(CanvasFrameTest, AltDragPansAndAltRightClickCentres)
{
    window->resize(500, 450);
    Doc().CurrentSettings.Width = 2000;
    Doc().CurrentSettings.Height = 2000;
    movie::MakeCanvasMovie();  // the scroll ranges follow the extent the canvas movie shows
    window->FormResizeSub();
    ASSERT_GT(window->HScroll1->Max(), 100);
    QPointF p = Screen(2000, 2000);
    canvastools::Picture1_MouseDown(kLeft, kAlt, float(p.x()), float(p.y()));
    EXPECT_TRUE(Input().PanActive);
    EXPECT_EQ(window->Picture1->cursor().shape(), Qt::SizeAllCursor);
    canvastools::Picture1_MouseMove(kLeft, kAlt, float(p.x() - 30), float(p.y() - 10));
    EXPECT_EQ(window->HScroll1->Value(), 30);
    EXPECT_EQ(window->VScroll1->Value(), 10);
    canvastools::Picture1_MouseUp(kLeft, kAlt, 0, 0);
    EXPECT_FALSE(Input().PanActive);
    EXPECT_EQ(Doc().DocPathCount(), 0);

    canvastools::Picture1_MouseDown(kRight, kAlt, -100000.0f, 0);  // centring stops at the range
    EXPECT_EQ(window->HScroll1->Value(), window->HScroll1->Min());
}

TEST_F(CanvasFrameTest, CtrlAltDragMovesAndScalesTheUnderlayWithoutAnUndoStep)
{
    Doc().CurrentSettings.BackgroundFlag = 1;
    window->Check3->SetValue(1);
    Doc().ZoomRate = 4.0f;
    int32_t before = HistoryPos();
    canvastools::Picture1_MouseDown(kLeft, kCtrl | kAlt, 100, 100);
    for (int i = 1; i <= 8; ++i) {  // quarter pixels add up
        canvastools::Picture1_MouseMove(kLeft, kCtrl | kAlt, 100.0f + i, 100);
    }
    EXPECT_EQ(Doc().CurrentSettings.BackgroundX, 2);
    EXPECT_EQ(Doc().CurrentSettings.BackgroundY, 0);
    canvastools::Picture1_MouseMove(kRight, kCtrl | kAlt, -100000.0f, 100);
    EXPECT_GT(Doc().CurrentSettings.BackgroundScale, 0.0f);  // never shrinks to nothing
    EXPECT_TRUE(canvastools::StatusText().startsWith(QStringLiteral("下絵 : (2,0) x")));
    EXPECT_TRUE(window->windowTitle().endsWith(QStringLiteral(" *")));
    EXPECT_EQ(HistoryPos(), before);

    window->Check3->SetValue(0);  // underlay hidden: the tool gets the press
    ChooseTool(canvastools::kToolFreehand);
    Doc().ZoomRate = 1.0f;
    Drag(kLeft, kCtrl | kAlt, {{1000, 1000}, {2000, 1000}});
    EXPECT_EQ(Doc().DocPathCount(), 1);
}

}  // namespace
