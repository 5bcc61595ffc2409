#include "canvastools/gradient_tool.h"
#include "canvastools/selection_overlay.h"
#include "canvastools/tool_palette.h"
#include "tests/canvastools/canvas_fixture.h"

using canvastools::Input;
using core::Doc;
using testsupport::kCtrl;
using testsupport::kLeft;
using testsupport::kRight;

namespace {

constexpr float kRatio = 2000.0f / 32768.0f;  // 1000 twips from the centre to a size handle

class GradientToolTest : public testsupport::CanvasFixture {
protected:
    void SetUp() override
    {
        CanvasFixture::SetUp();
        ChooseTool(canvastools::kToolGradient);
        square = AddGradientSquare(1000, 1000);
        Edit(square).blSelected = true;
        window->DispShape(1);
    }

    // A 2000-twip square with a linear gradient centred on it.
    int32_t AddGradientSquare(int32_t left, int32_t top)
    {
        int32_t i = AddSquare(left, top, 2000);
        core::PathRecord &path = Edit(i);
        path.FillType = core::kFillLinear;
        path.GradCenterX = left + 1000;
        path.GradCenterY = top + 1000;
        path.GradRatioX = path.GradRatioY = kRatio;
        core::StartHistoryWithDocument();
        return i;
    }
    core::PathRecord &Edit(int32_t i) { return Doc().DocPaths.at(static_cast<size_t>(i)); }

    int32_t square = 0;
};

TEST_F(GradientToolTest, CentreDragMovesTheCentreInOneStep)
{
    int32_t before = HistoryPos();
    Drag(kLeft, 0, {{2000, 2000}, {2100, 2050}, {2300, 2100}});
    EXPECT_EQ(Path(square).GradCenterX, 2300);
    EXPECT_EQ(Path(square).GradCenterY, 2100);
    EXPECT_EQ(Path(square).Anchors[0], (core::AnchorPoint{1000, 1000, 0}));
    EXPECT_EQ(HistoryPos(), before + 1);
    EXPECT_FALSE(Input().DragArmed);
}

TEST_F(GradientToolTest, RotationHandleTurnsTheGradientFromTheSnapshot)
{
    int32_t before = HistoryPos();
    Drag(kLeft, 0, {{2000, 1600}, {2300, 1700}, {2400, 2000}});  // a quarter turn clockwise
    EXPECT_FLOAT_EQ(Path(square).GradAngle, 90.0f);
    EXPECT_EQ(HistoryPos(), before + 1);
}

TEST_F(GradientToolTest, SizeHandlesScaleBothAxesCtrlEvensThemRightButtonOnlyOne)
{
    Drag(kLeft, 0, {{3000, 2000}, {3500, 2000}, {4000, 2000}});  // twice the distance
    EXPECT_FLOAT_EQ(Path(square).GradRatioX, 2 * kRatio);
    EXPECT_FLOAT_EQ(Path(square).GradRatioY, 2 * kRatio);

    window->DispShape(1);
    Drag(kRight, 0, {{2000, 4000}, {2000, 3000}});  // the y handle, right button: y alone halves
    EXPECT_FLOAT_EQ(Path(square).GradRatioY, kRatio);
    EXPECT_FLOAT_EQ(Path(square).GradRatioX, 2 * kRatio);

    window->DispShape(1);
    Drag(kLeft, kCtrl, {{2000, 3000}, {2000, 2500}});  // Ctrl alone: x takes y's new size
    EXPECT_FLOAT_EQ(Path(square).GradRatioY, kRatio / 2);
    EXPECT_FLOAT_EQ(Path(square).GradRatioX, kRatio / 2);
}

TEST_F(GradientToolTest, AZeroSizeCanBeDraggedOpenAgain)
{
    Edit(square).GradRatioX = Edit(square).GradRatioY = 0.0f;
    window->DispShape(1);
    // Every size handle sits on the centre; the y-size handle is the last one in reach.
    Drag(kLeft, 0, {{2000, 2000}, {2000, 2820}});
    EXPECT_NEAR(Path(square).GradRatioY, 820.0f / 16384.0f, 1e-6);
    EXPECT_EQ(Path(square).GradRatioX, 0.0f);
    EXPECT_EQ(Path(square).GradCenterY, 2000);
}

TEST_F(GradientToolTest, ADragBackToItsStartRecordsNoStep)
{
    int32_t before = HistoryPos();
    Drag(kLeft, 0, {{3000, 2000}, {3600, 2000}, {3000, 2000}});
    EXPECT_FLOAT_EQ(Path(square).GradRatioX, kRatio);
    Drag(kLeft, 0, {{2000, 2000}, {2500, 2500}, {2000, 2000}});
    Click(kLeft, 0, 2000, 1600);
    EXPECT_EQ(HistoryPos(), before);
}

}  // namespace
