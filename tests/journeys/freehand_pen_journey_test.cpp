// Freehand and pen strokes: what the hand draws stays on the canvas once the path is finished,
// whichever way it is finished, with real-time drawing on and off.
#include "canvastools/canvas_input_state.h"
#include "core/document.h"
#include "tests/journeys/journey_fixture.h"

using canvastools::kToolFreehand;
using canvastools::kToolPen;
using canvastools::kToolSelect;

namespace journeys {
namespace {

constexpr Rgb kCyan = 0x00FFFF;  // the fill colour a new window starts with

class FreehandPen : public RealtimeJourney {
protected:
    // A pen path of straight anchors clicked at the canvas pixels, not yet finished.
    void ClickPenAnchors(const std::vector<QPoint> &points)
    {
        for (QPoint p : points) {
            ClickCanvas(p);
        }
    }
};

TEST_P(FreehandPen, AFreehandStrokeStaysOnTheCanvasAfterTheRelease)
{
    ChooseTool(kToolFreehand);
    const std::vector<QPoint> stroke = {AtPixel(40, 60), AtPixel(140, 60), AtPixel(220, 160)};
    ASSERT_EQ(CountAlong(stroke, kBlack), 0);
    Drag(stroke);

    // About one black pixel per pixel of length (100 + 128 px) along the 1 pt line, and no ink
    // away from it: above, left of and below the stroke, and right of its slanting part.
    EXPECT_GT(CountAlong(stroke, kBlack), 180);
    const QRect canvasArea(AtPixel(0, 0), AtPixel(319, 319));
    auto nothingElsewhere = [&] {
        for (QRect away : {QRect(AtPixel(0, 0), AtPixel(319, 50)), QRect(AtPixel(0, 0), AtPixel(30, 319)),
                           QRect(AtPixel(0, 70), AtPixel(125, 319)), QRect(AtPixel(0, 172), AtPixel(319, 319)),
                           QRect(AtPixel(190, 40), AtPixel(319, 100)), QRect(AtPixel(232, 0), AtPixel(319, 319))}) {
            if (CountInk(away) != 0) {
                return false;
            }
        }
        return true;
    };
    EXPECT_TRUE(nothingElsewhere());
    EXPECT_TRUE(CaptionModified());
    // The stroke is one undo step.
    ExpectUndoRedo([&] { return CountInk(canvasArea) == 0; },
                   [&] { return CountAlong(stroke, kBlack) > 180 && nothingElsewhere(); });

    // Repainting from the canvas movie alone (a later unrelated redraw) shows the same stroke.
    window->DispShape(0);
    EXPECT_GT(CountAlong(stroke, kBlack), 180);

    // A second stroke keeps the first.
    const std::vector<QPoint> second = {AtPixel(40, 220), AtPixel(240, 220)};
    Drag(second);
    EXPECT_GT(CountAlong(second, kBlack), 160);
    EXPECT_GT(CountAlong(stroke, kBlack), 180);
}

// A click with the freehand tool that does not move makes a path on one point: it shows as the
// dot of its line's round caps, in the line's colour, and nowhere else.
TEST_P(FreehandPen, AClickWithoutAMoveShowsADot)
{
    ChooseTool(kToolFreehand);
    const QPoint at = AtPixel(120, 120);
    Drag({at, at});
    ASSERT_EQ(core::Doc().DocPathCount(), 1);
    EXPECT_GE(CountInk(QRect(at - QPoint(2, 2), at + QPoint(2, 2))), 1);
    EXPECT_EQ(CountInk(QRect(AtPixel(0, 0), AtPixel(319, 100))), 0);
    EXPECT_EQ(CountInk(QRect(AtPixel(0, 140), AtPixel(319, 319))), 0);
}

TEST_P(FreehandPen, AFreehandStrokeEndingAtItsStartIsClosedAndFilled)
{
    ChooseStyle(kLineAndFill);
    ChooseTool(kToolFreehand);
    Drag({AtPixel(60, 60), AtPixel(200, 60), AtPixel(200, 200), AtPixel(60, 200), AtPixel(61, 62)});
    const QRect inside = QRect(AtPixel(80, 80), AtPixel(180, 180));
    EXPECT_EQ(CountColor(inside, kCyan, 8), inside.width() * inside.height());
    EXPECT_GT(CountAlong({AtPixel(60, 60), AtPixel(200, 60)}, kBlack), 120);
}

TEST_P(FreehandPen, APenPathClosedOnItsFirstAnchorIsFilledWithItsOutline)
{
    ChooseStyle(kLineAndFill);
    ChooseTool(kToolPen);
    const std::vector<QPoint> corners = {AtPixel(60, 60), AtPixel(220, 60), AtPixel(220, 200), AtPixel(60, 200)};
    ClickPenAnchors(corners);
    // A click on the first anchor adds the anchor there, a second click on it ends the path,
    // closed since it ends at its start.
    ClickCanvas(corners.front());
    ClickCanvas(corners.front());

    const QRect inside = QRect(AtPixel(80, 80), AtPixel(200, 180));
    EXPECT_EQ(CountColor(inside, kCyan, 8), inside.width() * inside.height());
    EXPECT_GT(CountAlong({corners[0], corners[1], corners[2], corners[3], corners[0]}, kBlack), 500);
    EXPECT_EQ(canvastools::Input().CurrentTool, kToolSelect);  // back to the select tool
    EXPECT_TRUE(CaptionModified());
}

TEST_P(FreehandPen, APenPathEndedWithEscapeOrAnotherToolStaysAsAnOpenOutline)
{
    ChooseTool(kToolPen);
    const std::vector<QPoint> first = {AtPixel(40, 60), AtPixel(200, 60), AtPixel(200, 140)};
    ClickPenAnchors(first);
    Key(Qt::Key_Escape);
    EXPECT_GT(CountAlong(first, kBlack), 200);

    ChooseTool(kToolPen);
    const std::vector<QPoint> second = {AtPixel(40, 240), AtPixel(240, 240)};
    ClickPenAnchors(second);
    ChooseTool(kToolFreehand);
    EXPECT_GT(CountAlong(second, kBlack), 160);
    EXPECT_GT(CountAlong(first, kBlack), 200);
    EXPECT_EQ(core::Doc().DocPathCount(), 2);
}

TEST_P(FreehandPen, APenCurveDraggedFromItsAnchorsBendsTheOutline)
{
    ChooseTool(kToolPen);
    // Left clicks add straight anchors; a right click adds a curve control point.
    ClickCanvas(AtPixel(40, 200));
    ClickCanvas(AtPixel(140, 40), Qt::RightButton);
    ClickCanvas(AtPixel(240, 200));
    Key(Qt::Key_Escape);
    // The quadratic through (140,40) peaks at y = 120 over x = 140; the chord at y = 200 stays empty.
    EXPECT_GT(CountColor(QRect(AtPixel(136, 116), AtPixel(144, 124)), kBlack, 160), 3);
    EXPECT_EQ(CountColor(QRect(AtPixel(100, 196), AtPixel(180, 204)), kBlack, 160), 0);
}

INSTANTIATE_TEST_SUITE_P(RealtimeOffAndOn, FreehandPen, testing::Bool(), RealtimeName);

}  // namespace
}  // namespace journeys
