#include "canvastools/tool_palette.h"
#include "core/groups.h"
#include "tests/canvastools/canvas_fixture.h"

#include <algorithm>

using canvastools::Input;
using core::Doc;
using testsupport::kLeft;
using testsupport::kRight;

namespace {

constexpr int32_t kSquareBrush = 5;  // corners 100 twips from its origin

class BucketBrushTest : public testsupport::CanvasFixture {
protected:
    void SetUp() override
    {
        CanvasFixture::SetUp();
        core::SetupDefaultBrushes();
        core::Brushes().CurrentBrush = kSquareBrush;
    }

    core::PathRecord &Edit(int32_t i) { return Doc().DocPaths.at(static_cast<size_t>(i)); }

    // A stroke with a move every 50 twips along a straight line (stamps overlap).
    void Stroke(int button, int32_t x1, int32_t y1, int32_t x2, int32_t y2)
    {
        Move(0, 0, x1, y1);
        Down(button, 0, x1, y1);
        int32_t steps = std::max(std::abs(x2 - x1), std::abs(y2 - y1)) / 50;
        for (int32_t k = 1; k <= steps; ++k) {
            Move(button, 0, x1 + (x2 - x1) * k / steps, y1 + (y2 - y1) * k / steps);
        }
        Up(button, 0, x2, y2);
    }

    core::Rect32 Bounds(int32_t i) const
    {
        core::Rect32 r{INT32_MAX, INT32_MAX, INT32_MIN, INT32_MIN};
        for (const core::AnchorPoint &a : Path(i).Anchors) {
            r.Left = std::min(r.Left, a.X);
            r.Top = std::min(r.Top, a.Y);
            r.Right = std::max(r.Right, a.X);
            r.Bottom = std::max(r.Bottom, a.Y);
        }
        return r;
    }
};

TEST_F(BucketBrushTest, BucketClickFillsTheRingAndRecordsItsOwnStep)
{
    Doc().CurrentSettings.Width = Doc().CurrentSettings.Height = 200;
    AddSquare(1000, 1000, 2000);
    ChooseTool(canvastools::kToolBucket);
    Input().NewFillType = core::kFillLinear;
    Input().CurrentColors = {0xFF000001u, 0xFF000002u, 0xFF000003u};
    int32_t before = HistoryPos();
    Click(kLeft, 0, 2000, 2000);
    ASSERT_EQ(Doc().DocPathCount(), 2);
    EXPECT_EQ(Path(2).FillType, core::kFillLinear);
    EXPECT_EQ(Path(2).FillColor, 0xFF000002u);
    core::Rect32 filled = Bounds(2);
    EXPECT_NEAR(filled.Left, 1015, 15);
    EXPECT_NEAR(filled.Right, 2985, 15);
    EXPECT_EQ(HistoryPos(), before + 1);
    EXPECT_EQ(Input().CurrentTool, canvastools::kToolBucket);  // the bucket stays chosen
    EXPECT_FALSE(Input().DragArmed);

    Click(kLeft, 0, 1000, 2000);  // on the outline: nothing, no step
    EXPECT_EQ(Doc().DocPathCount(), 2);
    EXPECT_EQ(HistoryPos(), before + 1);
}

TEST_F(BucketBrushTest, PaintStrokeUnitesItsStampsIntoOnePathAndOneStep)
{
    ChooseTool(canvastools::kToolBrush);
    Input().CurrentColors = {0xFF0000FFu, 0xFF00FF00u, 0xFFFF0000u};
    Input().CurrentLineWidth = 2.0f;
    Input().NewFillType = core::kFillSolid;
    Input().NewLineMode = 0;
    int32_t before = HistoryPos();
    // An empty document: the first stamp and the moves build one new path.
    Stroke(kLeft, 1000, 1000, 2000, 1000);
    ASSERT_EQ(Doc().DocPathCount(), 1);
    const core::PathRecord &stroke = Path(1);
    EXPECT_TRUE(stroke.blClosed);
    EXPECT_EQ(stroke.FillColor, 0xFF00FF00u);
    EXPECT_EQ(stroke.LineColor, 0xFF0000FFu);
    EXPECT_EQ(stroke.LineWidth, 40);
    EXPECT_EQ(stroke.FillType, core::kFillSolid);
    core::Rect32 r = Bounds(1);
    EXPECT_NEAR(r.Left, 929, 2);
    EXPECT_NEAR(r.Right, 2071, 2);
    EXPECT_NEAR(r.Top, 929, 2);
    EXPECT_NEAR(r.Bottom, 1071, 2);
    EXPECT_EQ(HistoryPos(), before + 1);
    EXPECT_FALSE(Input().DragArmed);
    EXPECT_EQ(Input().CurrentTool, canvastools::kToolBrush);
}

TEST_F(BucketBrushTest, RightButtonErasesAndTheToolButtonSwapsTheButtons)
{
    int32_t square = AddSquare(1000, 1000, 2000);
    Edit(square).FillType = core::kFillSolid;
    ChooseTool(canvastools::kToolBrush);
    int32_t before = HistoryPos();
    Stroke(kRight, 500, 2000, 3500, 2000);  // cuts the square in two
    EXPECT_EQ(Doc().DocPathCount(), 2);
    for (int32_t i = 1; i <= 2; ++i) {
        core::Rect32 r = Bounds(i);
        EXPECT_TRUE(r.Bottom <= 1930 || r.Top >= 2070) << i;
    }
    EXPECT_EQ(HistoryPos(), before + 1);

    ChooseTool(canvastools::kToolBrush);  // the second click swaps: the left button erases now
    EXPECT_EQ(Input().BrushEraseSwap, 1);
    Stroke(kLeft, 2000, 500, 2000, 3500);  // and each half in two
    EXPECT_EQ(Doc().DocPathCount(), 4);
    EXPECT_EQ(HistoryPos(), before + 2);
    Stroke(kRight, 6000, 6000, 6500, 6000);  // and the right button paints
    EXPECT_EQ(Doc().DocPathCount(), 5);
}

}  // namespace
