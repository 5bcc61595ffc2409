#include "canvastools/pen_tools.h"
#include "canvastools/tool_palette.h"
#include "tests/canvastools/canvas_fixture.h"

using canvastools::Input;
using core::Doc;
using testsupport::kLeft;
using testsupport::kRight;

namespace {

class PenToolsTest : public testsupport::CanvasFixture {};

TEST_F(PenToolsTest, FreehandStrokeBuildsControlPointsAndOneUndoStep)
{
    ChooseTool(canvastools::kToolFreehand);
    Input().CurrentLineWidth = 1.5f;
    int32_t before = HistoryPos();
    Drag(kLeft, 0, {{1000, 1000}, {1400, 1000}, {1800, 1400}, {2200, 2000}});
    ASSERT_EQ(Doc().DocPathCount(), 1);
    const core::PathRecord &path = Path(1);
    // The release adds no anchor of its own: one per press and move.
    ASSERT_EQ(path.AnchorMax(), 3);
    for (const core::AnchorPoint &anchor : path.Anchors) {
        EXPECT_EQ(anchor.AnchorKind, core::kControlPoint);
    }
    EXPECT_EQ(path.Anchors[3], (core::AnchorPoint{2200, 2000, 1}));
    EXPECT_EQ(path.LineWidth, 30);
    EXPECT_FALSE(path.blClosed);
    EXPECT_EQ(HistoryPos(), before + 1);
    EXPECT_FALSE(Input().DragArmed);
    EXPECT_EQ(Input().CurrentTool, canvastools::kToolFreehand);  // freehand stays chosen
}

TEST_F(PenToolsTest, FreehandClosesNearItsStartOnlyWithAFill)
{
    ChooseTool(canvastools::kToolFreehand);
    Drag(kLeft, 0, {{1000, 1000}, {2000, 1000}, {2000, 2000}, {1040, 1000}});
    EXPECT_FALSE(Path(1).blClosed);  // no fill: stays open with every anchor
    EXPECT_EQ(Path(1).AnchorMax(), 3);

    Input().NewFillType = core::kFillSolid;
    Drag(kLeft, 0, {{1000, 1000}, {2000, 1000}, {2000, 2000}, {1040, 1000}});
    EXPECT_TRUE(Path(2).blClosed);
    EXPECT_EQ(Path(2).AnchorMax(), 2);  // the return to the start is dropped

    // At zoom 0.5 the closing reach doubles to 160 twips.
    Doc().ZoomRate = 0.5f;
    Drag(kLeft, 0, {{1000, 1000}, {2000, 1000}, {2000, 2000}, {1000, 1140}});
    EXPECT_TRUE(Path(3).blClosed);
}

TEST_F(PenToolsTest, PenPlacesStraightAndCurvedAnchorsAndEndsOnTheLastAnchor)
{
    ChooseTool(canvastools::kToolPen);
    Click(kLeft, 0, 1000, 1000);
    Move(0, 0, 1500, 1200);  // rubber band only: the document keeps one anchor
    EXPECT_EQ(Path(1).AnchorMax(), 0);
    Click(kRight, 0, 2000, 1000);   // right button: the other kind, a control point
    Click(kLeft, 0, 3000, 2000);
    EXPECT_EQ(Input().DragMode, 1);
    int32_t before = HistoryPos();
    Click(kLeft, 0, 3000, 2000);    // on the last anchor: ends the path
    ASSERT_EQ(Doc().DocPathCount(), 1);
    const core::PathRecord &path = Path(1);
    ASSERT_EQ(path.AnchorMax(), 2);
    EXPECT_EQ(path.Anchors[0], (core::AnchorPoint{1000, 1000, 0}));
    EXPECT_EQ(path.Anchors[1], (core::AnchorPoint{2000, 1000, 1}));
    EXPECT_EQ(path.Anchors[2], (core::AnchorPoint{3000, 2000, 0}));
    EXPECT_FALSE(path.blClosed);
    EXPECT_EQ(HistoryPos(), before + 1);
    EXPECT_EQ(Input().DragMode, 0);
    EXPECT_EQ(Input().CurrentTool, canvastools::kToolSelect);  // back to the select tool
}

TEST_F(PenToolsTest, EscapeOrAnotherToolEndsThePathOpen)
{
    Input().NewFillType = core::kFillSolid;
    ChooseTool(canvastools::kToolPen);
    Click(kLeft, 0, 1000, 1000);
    Click(kLeft, 0, 3000, 1000);
    Click(kLeft, 0, 1020, 1000);
    int32_t before = HistoryPos();
    canvastools::EndPenPath();
    EXPECT_EQ(Input().DragMode, 0);
    EXPECT_FALSE(Input().DragArmed);
    EXPECT_FALSE(Path(1).blClosed);
    EXPECT_EQ(Path(1).AnchorMax(), 2);
    EXPECT_EQ(HistoryPos(), before + 1);

    ChooseTool(canvastools::kToolPen);  // choosing the pen again: a fresh path (in curves)
    Click(kLeft, 0, 5000, 5000);
    Click(kLeft, 0, 6000, 5000);
    ChooseTool(canvastools::kToolFreehand);
    EXPECT_EQ(Doc().DocPathCount(), 2);
    EXPECT_EQ(Path(2).AnchorMax(), 1);
    EXPECT_FALSE(core::IsBuildingPath());
}

TEST_F(PenToolsTest, APenPathEndedOnItsFirstClickIsRemoved)
{
    ChooseTool(canvastools::kToolPen);
    int32_t before = HistoryPos();
    Click(kLeft, 0, 1000, 1000);
    Click(kLeft, 0, 1000, 1000);  // a double click on one spot ends the path of one anchor
    EXPECT_EQ(Doc().DocPathCount(), 0);
    EXPECT_EQ(HistoryPos(), before);
    EXPECT_EQ(Input().DragMode, 0);
}

}  // namespace
