// Turning the selection in depth: from the snapshot every time, about the centre of
// the untransformed frame, anchors, gradient centre and frame handles alike.
#include "canvastools/canvas_input_state.h"
#include "canvastools/turn_in_depth.h"
#include "canvastools/selection_overlay.h"
#include "core/document.h"

#include <gtest/gtest.h>

namespace testsupport {
namespace {

using canvastools::Input;
using canvastools::PathTransform3D;
using core::AnchorPoint;
using core::Doc;

class TurnInDepthTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        core::ResetDocumentForTest();
        canvastools::ResetInputForTest();
        Doc().CurrentSettings.Width = 320;
    }
    // A selected square 101 twips wide (its centre 50.5 rounds to 50) with a gradient, snapshot taken.
    int32_t OddSquare(bool selected = true)
    {
        core::PathRecord path;
        path.Anchors = {{0, 0, 0}, {101, 0, 0}, {101, 101, 0}, {0, 101, 1}};
        path.blClosed = true;
        path.GradCenterX = 30;
        path.GradCenterY = 10;
        path.GradAngle = 15;
        path.blSelected = selected;
        Doc().DocPaths.push_back(path);
        core::SavePathSnapshot();
        return Doc().DocPathCount();
    }
    const core::PathRecord &Path(int32_t i) const { return Doc().DocPaths[static_cast<size_t>(i)]; }
    static std::pair<int32_t, int32_t> Handle(size_t i) { return {Input().HandlePoints[i].X, Input().HandlePoints[i].Y}; }
};

TEST_F(TurnInDepthTest, QuarterTurnAboutTheFrameCentreMovesAnchorsGradientAndHandles)
{
    int32_t i = OddSquare();
    Input().HandlePoints[4] = {9999, -9999};  // whatever the overlay left there is not the pivot
    PathTransform3D(90, 0, 0, 100);
    // About (50, 50): x' = 100 - y, y' = x.
    std::vector<AnchorPoint> expected = {{100, 0, 0}, {100, 101, 0}, {-1, 101, 0}, {-1, 0, 1}};
    EXPECT_EQ(Path(i).Anchors, expected);
    EXPECT_EQ(Path(i).GradCenterX, 90);
    EXPECT_EQ(Path(i).GradCenterY, 30);
    EXPECT_EQ(Path(i).GradAngle, 105.0f);
    EXPECT_EQ(Handle(0), std::make_pair(100, 0));
    EXPECT_EQ(Handle(8), std::make_pair(-1, 101));
    EXPECT_EQ(Handle(4), std::make_pair(50, 50));

    // Previews never accumulate: each starts again from the snapshot.
    PathTransform3D(90, 0, 0, 100);
    EXPECT_EQ(Path(i).Anchors, expected);
    EXPECT_EQ(Path(i).GradAngle, 105.0f);
    PathTransform3D(0, 0, 0, 50);
    EXPECT_EQ(Path(i).Anchors[1], (AnchorPoint{101, 0, 0}));
    EXPECT_EQ(Path(i).GradAngle, 15.0f);
}

TEST_F(TurnInDepthTest, DepthTurnsAreOrthographicWithoutPerspective)
{
    int32_t i = OddSquare();
    PathTransform3D(0, 60, 0, 0);  // x := 50 + (x - 50) cos 60, the single-precision cosine just below 0.5
    EXPECT_EQ(Path(i).Anchors[0].X, 25);
    EXPECT_EQ(Path(i).Anchors[1].X, 75);
    EXPECT_EQ(Path(i).Anchors[1].Y, 0);

    // A large square seen in perspective: the side turned away shrinks towards the centre, the
    // side turned towards the viewer grows.
    Doc().CurrentSettings.Width = 1000;
    Doc().DocPaths[static_cast<size_t>(i)].Anchors = {{0, 0, 0}, {20000, 0, 0}, {20000, 20000, 0}, {0, 20000, 0}};
    core::SavePathSnapshot();
    PathTransform3D(0, 60, 0, 100);
    EXPECT_GT(Path(i).Anchors[1].Y, 0);
    EXPECT_LT(Path(i).Anchors[0].Y, 0);
}

}  // namespace
}  // namespace testsupport
