#include "canvastools/grid_snap.h"
#include "canvastools/selection_overlay.h"
#include "canvastools/status_line.h"
#include "tests/canvastools/canvas_fixture.h"

using canvastools::Input;
using core::Doc;

namespace {

class GridSnapTest : public testsupport::CanvasFixture {};

TEST_F(GridSnapTest, SnapsWithinTheGridPowerOnEachAxis)
{
    window->Check6->SetValue(1);
    auto snapX = [](int32_t x) {
        int32_t y = 0;
        canvastools::SnapGrid(x, y);
        return x;
    };
    EXPECT_EQ(snapX(390), 400);
    EXPECT_EQ(snapX(130), 0);
    EXPECT_EQ(snapX(200), 200);
    EXPECT_EQ(snapX(-390), -400);
    EXPECT_EQ(snapX(-130), 0);
    EXPECT_EQ(snapX(2147483647), 2147483600);  // 47 past the last grid line that fits
    Doc().CurrentSettings.GridWidth = 1200000000;
    EXPECT_EQ(snapX(2147483647), 2147483647);  // its grid line 2400000000 does not fit: saturated
    Doc().CurrentSettings.GridWidth = 400;

    Doc().CurrentSettings.GridHeight = 0;  // no division by zero: that axis just does not snap
    int32_t x = 390, y = 390;
    canvastools::SnapGrid(x, y);
    EXPECT_EQ(x, 400);
    EXPECT_EQ(y, 390);
}

TEST_F(GridSnapTest, SnappingFollowsTheCheckBoxesAndTheOption)
{
    int32_t x = 390, y = 10;
    canvastools::SnapGrid(x, y);
    EXPECT_EQ(x, 390);  // snap box off
    window->Check6->SetValue(1);
    mainwindow::Main().NotSnapInvisibleGrid = 1;
    canvastools::SnapGrid(x, y);
    EXPECT_EQ(x, 390);  // the grid is hidden and must be visible
    mainwindow::Main().NotSnapInvisibleGrid = 0;
    canvastools::SnapGrid(x, y);
    EXPECT_EQ(x, 400);
    EXPECT_EQ(y, 0);
}

TEST_F(GridSnapTest, GridDistanceIsSignedNearALineAndTheRemainderElsewhere)
{
    window->Check6->SetValue(1);
    int32_t d = 7;
    EXPECT_TRUE(canvastools::GetGridDistance(390, 0, 1, d));
    EXPECT_EQ(d, -10);
    EXPECT_TRUE(canvastools::GetGridDistance(0, -130, 2, d));
    EXPECT_EQ(d, -130);
    EXPECT_FALSE(canvastools::GetGridDistance(200, 0, 1, d));
    EXPECT_EQ(d, 200);
    d = 7;
    EXPECT_FALSE(canvastools::GetGridDistance(390, 0, 3, d));
    EXPECT_EQ(d, 7);
}

TEST_F(GridSnapTest, MoveSelectedPathMovesTheSelectionOrEverything)
{
    int32_t a = AddSquare(0, 0, 100, true);
    int32_t b = AddSquare(500, 500, 100);
    EXPECT_TRUE(canvastools::MoveSelectedPath(10, -20, false));
    EXPECT_EQ(Path(a).Anchors[2], (core::AnchorPoint{110, 80, 0}));
    EXPECT_EQ(Path(a).GradCenterY, 30);
    EXPECT_EQ(Path(b).Anchors[0].X, 500);
    EXPECT_TRUE(canvastools::MoveSelectedPath(1, 1, true));
    EXPECT_EQ(Path(b).Anchors[0].X, 501);
    core::DeselectAllPaths();
    EXPECT_FALSE(canvastools::MoveSelectedPath(5, 5, false));
    EXPECT_EQ(Path(a).Anchors[0].X, 11);
}

class OverlayTest : public testsupport::CanvasFixture {};

TEST_F(OverlayTest, FrameHandlesAndTheirHitTest)
{
    canvastools::CalcSelectedRect();
    EXPECT_EQ(Input().HandlePoints[0].X, 16777215);
    EXPECT_EQ(Input().HandlePoints[8].X, -16777215);
    EXPECT_EQ(Input().HandlePoints[4].X, 0);
    AddSquare(1000, 1000, 1001, true);
    AddSquare(5000, 5000, 10);  // not selected
    canvastools::CalcSelectedRect();
    EXPECT_EQ(Input().SelectedPathCount, 1);
    EXPECT_EQ(Input().HandlePoints[4].X, 1500);  // 1500.5 rounds half to even
    EXPECT_EQ(Input().HandlePoints[8].Y, 2001);
    EXPECT_EQ(canvastools::HitTestHandle(1000, 1059), 1);
    EXPECT_EQ(canvastools::HitTestHandle(1000, 1060), 0);  // exactly 60 twips away: no hit
    EXPECT_EQ(canvastools::HitTestHandle(1500, 1500), 0);  // the centre is never a handle
    Doc().ZoomRate = 2.0f;
    EXPECT_EQ(canvastools::HitTestHandle(1000, 1031), 0);
}

TEST_F(OverlayTest, TheLaterOfTwoHandlesInReachWins)
{
    AddSquare(1000, 1000, 40, true);
    canvastools::CalcSelectedRect();
    EXPECT_EQ(canvastools::HitTestHandle(1020, 1020), 9);
}

TEST_F(OverlayTest, InvertedDrawingsVanishWhenDrawnTwice)
{
    int32_t a = AddSquare(1000, 1000, 1000);
    window->DispShape(1);
    QImage clean = window->Picture1->Image().copy();
    canvastools::DrawSelectionBand(500, 500, 3000, 2500);
    EXPECT_NE(window->Picture1->Image(), clean);
    canvastools::DrawSelectionBand(500, 500, 3000, 2500);
    EXPECT_EQ(window->Picture1->Image(), clean);
    window->Picture1->SetDrawWidth(2);
    canvastools::DrawPathEdge(a, true, false);
    EXPECT_NE(window->Picture1->Image(), clean);
    canvastools::DrawPathEdge(a, true, false);
    EXPECT_EQ(window->Picture1->Image(), clean);
}

TEST_F(OverlayTest, SelectedPathsDrawTheirFrameAndWriteTheStatusFields)
{
    AddSquare(1000, 2000, 3000, true);
    canvastools::SetStatusText(QStringLiteral("short"));
    window->DispShape(0);
    QString status = canvastools::StatusText();
    EXPECT_EQ(status.size(), canvastools::kStatusWidth);  // padded, never written past the end
    EXPECT_TRUE(status.startsWith(QStringLiteral("short")));
    EXPECT_EQ(status.mid(11, 9), QStringLiteral("[50,100] "));
    EXPECT_EQ(status.mid(20, 9), QStringLiteral("[150x150]"));
    // A handle box at the bottom-right corner is drawn over the picture in white.
    int32_t xs = 0, ys = 0;
    window->PosTwipToScr(xs, ys, 4000, 5000);
    EXPECT_EQ(window->Picture1->Point(xs + 1, ys + 1), 0xFFFFFF);
}

TEST_F(OverlayTest, AnchorListTogglesAndKeepsOrder)
{
    std::vector<core::AnchorRef> pairs{{1, 0}, {1, 2}, {2, 1}};
    canvastools::ToggleAnchorList(pairs, 3);
    ASSERT_EQ(Doc().SelectedAnchorCount(), 3);
    canvastools::ToggleAnchorList({{1, 2}}, 1);
    ASSERT_EQ(Doc().SelectedAnchorCount(), 2);
    EXPECT_EQ(Doc().SelectedAnchors[2], (core::AnchorRef{2, 1}));
    canvastools::ToggleSelectedAnchor(1, 0, false);  // present, kept
    EXPECT_EQ(Doc().SelectedAnchorCount(), 2);
    canvastools::ToggleSelectedAnchor(1, 0, true);
    EXPECT_EQ(Doc().SelectedAnchorCount(), 1);
    canvastools::ToggleSelectedAnchor(3, 3, true);  // absent: appended
    EXPECT_EQ(Doc().SelectedAnchors.back(), (core::AnchorRef{3, 3}));
}

TEST_F(OverlayTest, AnchorBandPreviewKeepsTheListAndTheFinalBandTogglesOnce)
{
    AddSquare(1000, 1000, 1000);
    canvastools::SelectAnchorsInRect(900, 900, 1100, 1100, false);
    canvastools::SelectAnchorsInRect(900, 900, 1100, 1100, false);
    EXPECT_EQ(Doc().SelectedAnchorCount(), 0);
    canvastools::SelectAnchorsInRect(900, 900, 2100, 1100, true);
    ASSERT_EQ(Doc().SelectedAnchorCount(), 2);
    EXPECT_EQ(Doc().SelectedAnchors[2], (core::AnchorRef{1, 1}));
}

}  // namespace
