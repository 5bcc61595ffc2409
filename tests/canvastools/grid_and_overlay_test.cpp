#include "canvastools/grid_snap.h"
#include "canvastools/selection_overlay.h"
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

TEST_F(OverlayTest, TheFrameMovesWithTheSelectedPathsAsIfFoundAgain)
{
    AddSquare(1000, 1000, 1001, true);
    AddSquare(5000, 7000, 10, true);
    AddSquare(-3000, 200, 10);  // not selected
    canvastools::CalcSelectedRect();
    // The handles after each move (of the selected paths, or of all), then after the frame is
    // found again from the anchors.
    auto handlesAfter = [](int32_t dx, int32_t dy, bool all) {
        canvastools::MoveSelectedPath(dx, dy, all);
        canvastools::CalcSelectedRect();
        const auto moved = Input().HandlePoints;
        core::ChangeDocPath(1);  // a new mark: the frame is no longer current
        canvastools::CalcSelectedRect();
        return std::make_pair(moved, Input().HandlePoints);
    };
    const struct {
        int32_t dx, dy;
        bool all;
    } moves[] = {{200, -35, false}, {-7, 0, true}, {16770000, 0, false}, {-16775000, -2, false},
                 {2147480000, 3, false}, {-2147483647, -2147483647, true}, {20, 40, false}};
    for (const auto &move : moves) {
        SCOPED_TRACE(move.dx);
        const auto [moved, found] = handlesAfter(move.dx, move.dy, move.all);
        for (size_t h = 0; h < found.size(); ++h) {
            EXPECT_EQ(moved[h].X, found[h].X) << h;
            EXPECT_EQ(moved[h].Y, found[h].Y) << h;
        }
        EXPECT_EQ(Input().SelectedPathCount, 2);
    }
}

}  // namespace

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
