// Two rectangles of one colour drawn side by side, as two paths and made one compound path: where
// they meet, inside a screen pixel at 150 %, the canvas shows their colour with no lighter seam.
#include "tests/journeys/journey_fixture.h"

#include <QComboBox>

namespace journeys {
namespace {

constexpr Rgb kNavy = 0x000066;

class FillSeam : public Journey {
protected:
    // The columns of the canvas picture between the rectangles' tops and bottoms (a few pixels in
    // from each) that hold a pixel other than the fill's colour, between picture columns left
    // and right.
    std::vector<int> ColumnsWithOtherPixels(int left, int right, int top, int bottom) const
    {
        const QImage image = Canvas();
        std::vector<int> columns;
        for (int x = left; x <= right; ++x) {
            for (int y = top; y <= bottom; ++y) {
                if ((image.pixel(x, y) & 0xFFFFFFu) != kNavy) {
                    columns.push_back(x);
                    break;
                }
            }
        }
        return columns;
    }
};

TEST_F(FillSeam, AbuttingRectanglesShowNoSeamAsTwoPathsOrOneCompoundPath)
{
    TypeIntoCombo(window->Combo2, QStringLiteral("150%"));
    ChooseStyle(kFillOnly);
    PickColor(kNavy, Qt::RightButton);
    // The second rectangle starts at the very picture position where the first ended, so both
    // share that edge in the drawing; at 150 % it falls inside a screen pixel.
    const QPoint topLeft = AtPixel(40, 40);
    const QPoint shared = AtPixel(101, 140);
    const QPoint bottomRight = AtPixel(160, 140);
    const int top = topLeft.y() + 3;
    const int bottom = shared.y() - 3;
    const int left = topLeft.x() + 3;
    const int right = bottomRight.x() - 3;
    DrawRectangle(topLeft, shared);
    Key(Qt::Key_Escape);
    // Alone, the first rectangle covers part of the screen column its right edge lies in.
    const std::vector<int> edge = ColumnsWithOtherPixels(left, right, top, bottom);
    ASSERT_FALSE(edge.empty());
    ASSERT_NEAR(edge.front(), shared.x(), 1);
    const QImage alone = Canvas();
    EXPECT_NE(alone.pixel(edge.front(), top) & 0xFFFFFFu, kWhite) << "the shared edge should lie inside a pixel";
    EXPECT_NE(alone.pixel(edge.front(), top) & 0xFFFFFFu, kNavy);
    DrawRectangle(QPoint(shared.x(), topLeft.y()), bottomRight);
    Key(Qt::Key_Escape);
    // Two paths: the second covers the rest of the pixel they share, and no white shows there.
    EXPECT_TRUE(ColumnsWithOtherPixels(left, right, top, bottom).empty());

    // One compound path: its fills are drawn together and the shared pixel is fully covered.
    // (Edges away from the middles of the selection frame's sides, where its handles are.)
    ClickCanvas(AtPixel(40, 60));
    ClickCanvas(AtPixel(160, 60), Qt::LeftButton, Qt::ControlModifier);
    AnswerPopup({"複合パス", "複合パス化する"});
    ClickCanvas(AtPixel(40, 60), Qt::RightButton);
    ASSERT_TRUE(PopupsAnswered());
    Key(Qt::Key_Escape);
    EXPECT_TRUE(ColumnsWithOtherPixels(left, right, top, bottom).empty());
    // The rectangles' outer edges still meet the white canvas where they did, down their whole height.
    for (int x : {topLeft.x() - 3, bottomRight.x() + 3}) {
        const QRect beside(QPoint(x, top), QPoint(x, bottom));
        EXPECT_EQ(CountColor(beside, kWhite, 0), beside.height()) << "column " << x;
    }

    // Undone, the two paths are back, still with no seam.
    Undo();
    Key(Qt::Key_Escape);
    EXPECT_TRUE(ColumnsWithOtherPixels(left, right, top, bottom).empty());
}

}  // namespace
}  // namespace journeys
