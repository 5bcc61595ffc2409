#include "canvastools/selection_overlay.h"
#include "canvastools/status_line.h"
#include "tests/canvastools/canvas_fixture.h"

#include "core/groups.h"

using canvastools::Input;
using testsupport::kCtrl;
using testsupport::kLeft;
using testsupport::kShift;

namespace {

class SelectToolTest : public testsupport::CanvasFixture {};

TEST_F(SelectToolTest, ClickSelectsCtrlClickAddsAndTogglesEmptyClickClears)
{
    int32_t a = AddSquare(1000, 1000, 1000);
    int32_t b = AddSquare(4000, 1000, 1000);
    int32_t before = HistoryPos();
    Click(kLeft, 0, 1500, 1000);  // on a's top edge
    EXPECT_TRUE(Path(a).blSelected);
    Click(kLeft, kCtrl, 4000, 1500);
    EXPECT_TRUE(Path(a).blSelected);
    EXPECT_TRUE(Path(b).blSelected);
    Click(kLeft, kCtrl, 1500, 1000);  // Ctrl toggles a off
    EXPECT_FALSE(Path(a).blSelected);
    EXPECT_TRUE(Path(b).blSelected);
    Click(kLeft, 0, 1500, 1000);  // a plain click selects only that path
    EXPECT_TRUE(Path(a).blSelected);
    EXPECT_FALSE(Path(b).blSelected);
    Click(kLeft, 0, 8000, 8000);  // empty canvas
    EXPECT_EQ(core::CountSelectedPaths(), 0);
    EXPECT_EQ(HistoryPos(), before);  // selecting records no undo step
}

// A click on a grouped path selects its group: the paths that share its id and are grouped,
// never those released from the group (they keep the id for "group again").
TEST_F(SelectToolTest, ClickOnAGroupedPathSelectsItsGroupButNotItsReleasedPaths)
{
    int32_t a = AddSquare(1000, 1000, 1000, true);
    int32_t b = AddSquare(4000, 1000, 1000, true);
    int32_t c = AddSquare(7000, 1000, 1000, true);
    core::MakeGroup(true);
    core::DeselectAllPaths();
    core::ChangeDocPath(c).blSelected = true;
    core::MakeGroup(false);  // c released, still holding the group's id
    ASSERT_EQ(Path(c).GroupID, Path(a).GroupID);
    Click(kLeft, 0, 8000, 8000);  // empty canvas
    Click(kLeft, 0, 1500, 1000);  // on a's top edge
    EXPECT_TRUE(Path(a).blSelected);
    EXPECT_TRUE(Path(b).blSelected);
    EXPECT_FALSE(Path(c).blSelected);
    Click(kLeft, kCtrl, 1500, 1000);  // Ctrl toggles the group off
    EXPECT_EQ(core::CountSelectedPaths(), 0);
    Click(kLeft, 0, 7500, 1000);  // the released path alone
    EXPECT_FALSE(Path(a).blSelected || Path(b).blSelected);
    EXPECT_TRUE(Path(c).blSelected);
}

TEST_F(SelectToolTest, MovingASelectionIsOneUndoStepAndAlignsItsFrameToTheGrid)
{
    int32_t a = AddSquare(1000, 1000, 1000, true);
    int32_t before = HistoryPos();
    Drag(kLeft, 0, {{1000, 1200}, {1200, 1300}, {1600, 1500}});  // grabbed by its left edge
    EXPECT_EQ(Path(a).Anchors[0], (core::AnchorPoint{1600, 1300, 0}));
    EXPECT_EQ(Path(a).GradCenterX, 2100);
    EXPECT_EQ(HistoryPos(), before + 1);
    core::UndoHistory();
    EXPECT_EQ(Path(a).Anchors[0], (core::AnchorPoint{1000, 1000, 0}));

    // With snapping the frame line nearest to a grid line lands on it. Moved by (340, 160) the
    // frame's x lines 1340, 1840, 2340 lie 140, -160, -60 from the grid (400, tolerance 170): the
    // right edge goes to 2400. Its y lines 1160, 1660, 2160 lie -40, 60, 160 off: the top wins.
    window->Check6->SetValue(1);
    Drag(kLeft, 0, {{1000, 1200}, {1340, 1360}});
    EXPECT_EQ(Path(a).Anchors[0], (core::AnchorPoint{1400, 1200, 0}));
}

TEST_F(SelectToolTest, ClickOnAPathThatChangesNothingRecordsNoStep)
{
    AddSquare(1000, 1000, 1000, true);
    int32_t before = HistoryPos();
    Drag(kLeft, 0, {{1500, 1000}, {1500, 1000}});
    EXPECT_EQ(HistoryPos(), before);
    // A handle press and release without a move does not either.
    canvastools::CalcSelectedRect();
    Drag(kLeft, 0, {{2000, 2000}, {2000, 2000}});
    EXPECT_EQ(HistoryPos(), before);
    EXPECT_FALSE(Input().DragArmed);
}

TEST_F(SelectToolTest, CornerHandleScalesFromTheOppositeCorner)
{
    int32_t a = AddSquare(1000, 1000, 1000, true);
    window->DispShape(0);  // the frame's handles
    int32_t before = HistoryPos();
    Drag(kLeft, 0, {{2000, 2000}, {2500, 2400}, {3000, 3000}});
    EXPECT_EQ(Path(a).Anchors[0], (core::AnchorPoint{1000, 1000, 0}));
    EXPECT_EQ(Path(a).Anchors[2], (core::AnchorPoint{3000, 3000, 0}));
    EXPECT_EQ(Path(a).GradCenterX, 2000);
    EXPECT_EQ(HistoryPos(), before + 1);
}

TEST_F(SelectToolTest, ShiftDragOnAHandleRotatesAboutTheCentre)
{
    int32_t a = AddSquare(1000, 1000, 1000, true);
    window->DispShape(0);
    // Handle 6 at (2000, 1500) dragged round the centre (1500, 1500) to straight below it.
    Move(0, 0, 2000, 1500);
    Down(kLeft, kShift, 2000, 1500);
    Move(kLeft, kShift, 1500, 2000);
    EXPECT_EQ(canvastools::StatusText().mid(11, 6), QStringLiteral("[+90ﾟ]"));
    Up(kLeft, kShift, 1500, 2000);
    EXPECT_EQ(Path(a).Anchors[0], (core::AnchorPoint{2000, 1000, 0}));
    EXPECT_EQ(Path(a).Anchors[1], (core::AnchorPoint{2000, 2000, 0}));
    EXPECT_FLOAT_EQ(Path(a).GradAngle, 90.0f);
    EXPECT_EQ(Path(a).GradCenterX, 1500);
}

TEST_F(SelectToolTest, ShiftCtrlDragOnASideHandleSkews)
{
    int32_t a = AddSquare(1000, 1000, 1000, true);
    window->DispShape(0);
    int32_t before = HistoryPos();
    // Handle 8 (bottom middle) pulled sideways: the bottom edge slides, the top stays.
    Drag(kLeft, kShift | kCtrl, {{1500, 2000}, {2000, 2000}});
    EXPECT_EQ(Path(a).Anchors[0], (core::AnchorPoint{1000, 1000, 0}));
    EXPECT_EQ(Path(a).Anchors[2], (core::AnchorPoint{2500, 2000, 0}));
    EXPECT_EQ(Path(a).Anchors[3], (core::AnchorPoint{1500, 2000, 0}));
    EXPECT_EQ(HistoryPos(), before + 1);  // a pure skew is a change too
}

}  // namespace

TEST_F(SelectToolTest, SelectionOutlinesAreDrawnWhereTheyReachThePicture)
{
    // One square crosses the picture's right edge, the other lies wholly beyond it.
    const int w = window->Picture1->Image().width();
    int32_t crossX = 0, outX = 0, top = 0;
    window->PosScrToTwip(float(w - 20), 100.0f, crossX, top);
    window->PosScrToTwip(float(w + 200), 100.0f, outX, top);
    int32_t crossing = AddSquare(crossX, top, 2000);
    int32_t beyond = AddSquare(outX, top, 2000);
    window->DispShape(0);
    QImage clean = window->Picture1->Image().copy();
    core::Doc().DocPaths[static_cast<size_t>(beyond)].blSelected = true;
    window->DispShape(0);
    EXPECT_EQ(window->Picture1->Image(), clean);  // nothing of it reaches the picture
    core::Doc().DocPaths[static_cast<size_t>(beyond)].blSelected = false;
    core::Doc().DocPaths[static_cast<size_t>(crossing)].blSelected = true;
    window->DispShape(0);
    QPoint corner = Screen(crossX, top + 1000).toPoint();
    EXPECT_NE(window->Picture1->Image().pixel(corner), clean.pixel(corner));  // its left edge is inverted
}
