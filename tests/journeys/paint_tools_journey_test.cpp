// Painting tools: the bucket fills a closed outline, the brush paints a band of its width and
// the eraser cuts through a filled shape, each undone and redone, with real-time drawing on and off.
#include "canvastools/canvas_input_state.h"
#include "tests/journeys/journey_fixture.h"

using canvastools::kToolBrush;
using canvastools::kToolBucket;

namespace journeys {
namespace {

constexpr Rgb kCyan = 0x00FFFF;  // the fill colour a new window starts with
// The second round brush of the brush button's menu, 20 canvas pixels across.
const char *const kBrush20 = "2　丸(20px)";
constexpr int kBrushWidth = 20;

class PaintTools : public RealtimeJourney {
protected:
    // The screen pixels of one canvas pixel.
    int Pixels(int canvasPixels) const { return AtPixel(canvasPixels, 0).x() - AtPixel(0, 0).x(); }

    // How many pixels of the colour a column crosses between two canvas rows at canvas x.
    int ColumnCount(double x, double top, double bottom, Rgb colour) const
    {
        return CountColor(QRect(AtPixel(x, top), AtPixel(x, bottom)), colour, 8);
    }

    // Every pixel of the canvas row between two canvas x positions has the colour.
    bool RowAll(double y, double left, double right, Rgb colour) const
    {
        QRect row(AtPixel(left, y), AtPixel(right, y));
        return CountColor(row, colour, 8) == row.width() * row.height();
    }
};

TEST_P(PaintTools, TheBucketFillsTheInsideOfAClosedOutline)
{
    DrawUnselectedRectangle(AtPixel(100, 100), AtPixel(300, 260));
    ChooseStyle(kFillOnly);
    ChooseTool(kToolBucket);
    // (The drawing's page is 320 x 320 canvas pixels, grey around it.)
    const QRect inside(AtPixel(106, 106), AtPixel(294, 254));
    ASSERT_EQ(CountColor(inside, kWhite, 8), inside.width() * inside.height());
    ClickCanvas(AtPixel(200, 180));

    EXPECT_EQ(CountColor(inside, kCyan, 8), inside.width() * inside.height());
    // Outside the outline the canvas stays white, and the outline stays black.
    EXPECT_EQ(CountInk(QRect(AtPixel(60, 60), AtPixel(300, 94))), 0);
    EXPECT_EQ(CountInk(QRect(AtPixel(306, 100), AtPixel(316, 260))), 0);
    EXPECT_GT(CountAlong({AtPixel(100, 180), AtPixel(100, 240)}, kBlack), 50);
    EXPECT_EQ(canvastools::Input().CurrentTool, kToolBucket);

    ExpectUndoRedo([&] { return CountColor(inside, kWhite, 8) == inside.width() * inside.height(); },
                   [&] { return CountColor(inside, kCyan, 8) == inside.width() * inside.height(); });
}

TEST_P(PaintTools, TheBrushPaintsABandOfItsWidthAlongTheStroke)
{
    ChooseStyle(kFillOnly);
    ToolButtonMenu(kToolBrush, {QString::fromUtf8(kBrush20)});
    ChooseTool(kToolBrush);
    PressAndMove({AtPixel(60, 120), AtPixel(260, 120)});
    if (GetParam()) {
        EXPECT_TRUE(RowAll(120, 62, 250, kCyan)) << "real-time drawing shows the band while it is painted";
    } else {
        // The quick preview leaves the brush's outline at each step of the stroke.
        EXPECT_GT(CountInk(QRect(AtPixel(70, 108), AtPixel(250, 132))), 100);
    }
    Release(window->Picture1, AtPixel(260, 120));

    // The band's middle is painted from end to end, and across it is as wide as the brush.
    EXPECT_TRUE(RowAll(120, 62, 258, kCyan));
    for (double x : {80.0, 160.0, 240.0}) {
        EXPECT_NEAR(ColumnCount(x, 90, 150, kCyan), Pixels(kBrushWidth), 3) << "at x " << x;
    }
    // Nothing beyond the brush's reach past the stroke's ends, above or below it.
    EXPECT_EQ(CountInk(QRect(AtPixel(20, 90), AtPixel(46, 150))), 0);
    EXPECT_EQ(CountInk(QRect(AtPixel(274, 90), AtPixel(310, 150))), 0);
    EXPECT_EQ(CountInk(QRect(AtPixel(60, 134), AtPixel(260, 160))), 0);
    EXPECT_TRUE(CaptionModified());

    // A second stroke adds a band of its own and keeps the first.
    Drag({AtPixel(180, 180), AtPixel(180, 300)});
    EXPECT_NEAR(CountColor(QRect(AtPixel(160, 240), AtPixel(200, 240)), kCyan, 8), Pixels(kBrushWidth), 3);
    EXPECT_TRUE(RowAll(120, 62, 258, kCyan));

    ExpectUndoRedo([&] { return CountInk(QRect(AtPixel(160, 190), AtPixel(200, 290))) == 0 && RowAll(120, 62, 258, kCyan); },
                   [&] { return ColumnCount(180, 190, 290, kCyan) > 90 * Pixels(1); });
}

TEST_P(PaintTools, TheEraserCutsAwayTheFilledShapeWhereItPasses)
{
    ChooseStyle(kLineAndFill);
    DrawUnselectedRectangle(AtPixel(100, 100), AtPixel(300, 260));
    ToolButtonMenu(kToolBrush, {QString::fromUtf8(kBrush20)});
    ChooseTool(kToolBrush);
    ASSERT_TRUE(RowAll(180, 104, 296, kCyan));

    // With the brush face the right button erases: a band across the shape, outline included.
    Drag({AtPixel(60, 180), AtPixel(316, 180)}, Qt::RightButton);
    EXPECT_TRUE(RowAll(180, 90, 310, kWhite));
    EXPECT_NEAR(ColumnCount(200, 150, 210, kWhite), Pixels(kBrushWidth), 3);
    EXPECT_TRUE(RowAll(130, 104, 296, kCyan)) << "the shape away from the band stays filled";
    EXPECT_TRUE(RowAll(230, 104, 296, kCyan));
    EXPECT_GT(CountAlong({AtPixel(100, 110), AtPixel(100, 160)}, kBlack), 40);

    // Clicking the brush button again makes it the eraser: now the left button erases.
    ChooseTool(kToolBrush);
    EXPECT_EQ(canvastools::Input().BrushEraseSwap, 1);
    Drag({AtPixel(200, 60), AtPixel(200, 300)});
    EXPECT_TRUE(RowAll(130, 214, 296, kCyan));
    EXPECT_TRUE(CountColor(QRect(AtPixel(200, 110), AtPixel(200, 250)), kWhite, 8) > 130 * Pixels(1));
    EXPECT_NEAR(CountColor(QRect(AtPixel(170, 130), AtPixel(230, 130)), kWhite, 8), Pixels(kBrushWidth), 3);

    ExpectUndoRedo([&] { return RowAll(130, 104, 296, kCyan) && RowAll(180, 90, 310, kWhite); },
                   [&] { return RowAll(130, 104, 186, kCyan) && RowAll(130, 192, 208, kWhite); });
    Undo();
    Undo();
    EXPECT_TRUE(RowAll(180, 104, 296, kCyan)) << "undoing both strokes gives the whole shape back";
}

INSTANTIATE_TEST_SUITE_P(RealtimeOffAndOn, PaintTools, testing::Bool(), RealtimeName);

}  // namespace
}  // namespace journeys
