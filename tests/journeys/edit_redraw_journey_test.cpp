// Every edit of a path shows on the canvas at once, and undo and redo show each state again:
// a square recoloured, moved and turned back by undo and redo.
#include "tests/journeys/journey_fixture.h"

namespace journeys {
namespace {

constexpr Rgb kRed = 0xFF0000;
constexpr Rgb kBlue = 0x0000FF;

class EditRedraw : public Journey {
protected:
    // Every pixel of the area (canvas pixels) shows the colour.
    bool All(Rgb colour, double left, double top, double right, double bottom)
    {
        const QRect area(AtPixel(left, top), AtPixel(right, bottom));
        return CountColor(area, colour, 8) == area.width() * area.height();
    }
};

TEST_F(EditRedraw, ARecolouredAndMovedSquareShowsEachStateThroughUndoAndRedo)
{
    ChooseStyle(kFillOnly);
    PickColor(kRed, Qt::RightButton);
    DrawRectangle(AtPixel(40, 40), AtPixel(140, 140));
    ASSERT_TRUE(All(kRed, 50, 50, 130, 130));

    PickColor(kBlue, Qt::RightButton);  // the selected square takes the fill colour
    EXPECT_TRUE(All(kBlue, 50, 50, 130, 130));
    ExpectUndoRedo([&] { return All(kRed, 50, 50, 130, 130); }, [&] { return All(kBlue, 50, 50, 130, 130); });

    Drag({AtPixel(40, 60), AtPixel(90, 100), AtPixel(140, 160)});  // by an edge: moved by (100, 100)
    EXPECT_TRUE(All(kBlue, 150, 150, 230, 230));
    EXPECT_TRUE(All(kWhite, 50, 50, 130, 130));
    ExpectUndoRedo([&] { return All(kBlue, 50, 50, 130, 130) && All(kWhite, 150, 150, 230, 230); },
                   [&] { return All(kBlue, 150, 150, 230, 230) && All(kWhite, 50, 50, 130, 130); });
}

}  // namespace
}  // namespace journeys
