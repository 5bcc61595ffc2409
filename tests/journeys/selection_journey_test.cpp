// The select tool: a click on a path's edge selects it and shows its frame handles; dragging the
// edge moves the selection, dragging a corner handle scales it, a corner handle with Shift
// rotates it and a side handle with Shift and Ctrl skews it. Each drag is one undo step that the
// Edit menu and its keys take back and redo.
#include "canvastools/canvas_input_state.h"
#include "core/document.h"
#include "tests/journeys/journey_fixture.h"

using canvastools::kToolSelect;

namespace journeys {
namespace {

constexpr Rgb kCyan = 0x00FFFF;  // the fill colour a new window starts with

class Selection : public Journey, public testing::WithParamInterface<bool> {
protected:
    void SetUp() override
    {
        Journey::SetUp();
        SetRealtime(GetParam());
        ChooseStyle(kLineAndFill);
        // A filled square 60..140 px, left unselected.
        DrawRectangle(AtPixel(60, 60), AtPixel(140, 140));
        Key(Qt::Key_Escape);
    }

    // Every pixel of the area (canvas pixels) shows the fill.
    bool Filled(double left, double top, double right, double bottom)
    {
        const QRect area(AtPixel(left, top), AtPixel(right, bottom));
        return CountColor(area, kCyan, 8) == area.width() * area.height();
    }
    // No pixel of the area shows the fill.
    bool Empty(double left, double top, double right, double bottom)
    {
        return CountColor(QRect(AtPixel(left, top), AtPixel(right, bottom)), kCyan, 60) == 0;
    }
    // A frame handle stands at a canvas point: a 5 x 5 box whose black frame holds 3 x 3 white
    // pixels (a white canvas alone is no handle).
    bool HandleAt(double x, double y)
    {
        const QPoint at = AtPixel(x, y);
        return CountColor(QRect(at - QPoint(1, 1), at + QPoint(1, 1)), kWhite, 8) == 9 &&
               CountColor(QRect(at - QPoint(2, 2), at + QPoint(2, 2)), kBlack, 60) == 16;
    }
    // The canvas around a handle's point (the handle and two pixels beyond it).
    QImage Around(std::pair<double, double> point) const
    {
        return Canvas().copy(QRect(AtPixel(point.first, point.second) - QPoint(4, 4), QSize(9, 9)));
    }
    // The frame handles' points of the square: corners and the middles of its sides.
    static constexpr std::pair<double, double> kHandles[] = {{60, 60},  {100, 60},  {140, 60}, {60, 100},
                                                            {140, 100}, {60, 140}, {100, 140}, {140, 140}};
};

TEST_P(Selection, AClickOnTheEdgeShowsTheHandlesAndAClickBesideHidesThem)
{
    ASSERT_TRUE(Filled(70, 70, 130, 130));
    // Unselected, the square's own outline shows where the handles will stand.
    std::vector<QImage> unselected;
    for (auto point : kHandles) {
        unselected.push_back(Around(point));
        EXPECT_FALSE(HandleAt(point.first, point.second)) << point.first << "," << point.second;
        const QImage &seen = unselected.back();
        const int outline = seen.width() * seen.height() - CountColor(seen, seen.rect(), kWhite) -
                            CountColor(seen, seen.rect(), kCyan);
        EXPECT_GT(outline, 4) << "no outline at " << point.first << "," << point.second;
    }
    ClickCanvas(AtPixel(100, 140));  // on the bottom edge
    for (auto [x, y] : kHandles) {
        if (x != 100 || y != 140) {  // the click's own point: the pointer may stand over it
            EXPECT_TRUE(HandleAt(x, y)) << x << "," << y;
        }
    }
    EXPECT_TRUE(Filled(70, 70, 130, 130));  // the fill stays under the frame
    // A click beside takes the handles away: the square shows as it did before it was selected.
    ClickCanvas(AtPixel(250, 250));
    for (size_t i = 0; i < std::size(kHandles); ++i) {
        EXPECT_EQ(Around(kHandles[i]), unselected[i]) << kHandles[i].first << "," << kHandles[i].second;
    }
    // A band dragged over the square selects it too.
    Drag({AtPixel(40, 40), AtPixel(160, 170)});
    EXPECT_TRUE(HandleAt(140, 140));
}

TEST_P(Selection, DraggingTheEdgeMovesTheSquareAndUndoRedoFollow)
{
    Drag({AtPixel(80, 60), AtPixel(130, 110), AtPixel(180, 160)});  // +100, +100 px
    EXPECT_TRUE(Filled(170, 170, 230, 230));
    EXPECT_TRUE(Empty(70, 70, 150, 150));
    EXPECT_TRUE(CaptionModified());

    Menu({"編集", "元に戻す"});
    EXPECT_TRUE(Filled(70, 70, 130, 130));
    EXPECT_TRUE(Empty(170, 170, 230, 230));

    Key(Qt::Key_Y, Qt::ControlModifier);  // redo
    EXPECT_TRUE(Filled(170, 170, 230, 230));
    EXPECT_TRUE(Empty(70, 70, 150, 150));

    Key(Qt::Key_Z, Qt::ControlModifier);  // undo by its key
    EXPECT_TRUE(Filled(70, 70, 130, 130));
    Menu({"編集", "やり直す"});
    EXPECT_TRUE(Filled(170, 170, 230, 230));
}

TEST_P(Selection, AnEdgeIsDraggedWhereTheFrameOfAnEarlierSelectionWas)
{
    // The square was selected while it was drawn; Escape took the selection and its handles away.
    // A press on the middle of its top edge, where the top handle stood, grabs the edge.
    Drag({AtPixel(100, 60), AtPixel(150, 110), AtPixel(200, 160)});
    EXPECT_TRUE(Filled(170, 170, 230, 230));
    EXPECT_TRUE(Empty(70, 70, 150, 150));
}

TEST_P(Selection, DraggingACornerHandleScalesFromTheOppositeCorner)
{
    ClickCanvas(AtPixel(100, 140));
    ASSERT_TRUE(HandleAt(140, 140));
    Drag({AtPixel(140, 140), AtPixel(180, 160), AtPixel(220, 180)});  // 60..220 x 60..180
    EXPECT_TRUE(Filled(70, 70, 210, 170));
    EXPECT_TRUE(Empty(230, 70, 260, 170));
    EXPECT_TRUE(Empty(70, 190, 210, 220));
    EXPECT_TRUE(HandleAt(220, 180));  // the frame follows

    Key(Qt::Key_Z, Qt::ControlModifier);
    EXPECT_TRUE(Filled(70, 70, 130, 130));
    EXPECT_TRUE(Empty(150, 70, 210, 130));
    EXPECT_TRUE(Empty(70, 150, 130, 170));
    Key(Qt::Key_Y, Qt::ControlModifier);
    EXPECT_TRUE(Filled(150, 150, 210, 170));

    // The top-left handle with the right button scales about the centre: 40..240 x 40..200.
    Drag({AtPixel(60, 60), AtPixel(50, 50), AtPixel(40, 40)}, Qt::RightButton);
    EXPECT_TRUE(Filled(45, 45, 230, 190));
}

TEST_P(Selection, DraggingACornerHandleWithShiftRotatesAboutTheCentre)
{
    ClickCanvas(AtPixel(100, 140));
    // The top-right corner, up and right of the centre (100, 100), dragged to straight right of
    // it: the square turns 45 degrees into a diamond with its tips 56.6 px from the centre.
    Drag({AtPixel(140, 60), AtPixel(152, 80), AtPixel(157, 100)}, Qt::LeftButton, Qt::ShiftModifier);
    Key(Qt::Key_Escape);  // the frame and the edges drawn over the tips go
    EXPECT_TRUE(Filled(145, 97, 150, 103));   // the right tip reaches out to x = 156
    EXPECT_TRUE(Filled(98, 51, 102, 55));     // the top tip up to y = 44
    EXPECT_TRUE(Empty(61, 61, 68, 68));       // the old corners are cut off
    EXPECT_TRUE(Empty(132, 132, 139, 139));
    EXPECT_TRUE(Filled(80, 80, 120, 120));

    Menu({"編集", "元に戻す"});
    EXPECT_TRUE(Filled(63, 63, 68, 68));
    EXPECT_TRUE(Empty(145, 97, 150, 103));
    Menu({"編集", "やり直す"});
    EXPECT_TRUE(Filled(145, 97, 150, 103));
    EXPECT_TRUE(Empty(61, 61, 68, 68));
}

TEST_P(Selection, DraggingASideHandleWithShiftAndCtrlSkewsTheSquare)
{
    ClickCanvas(AtPixel(100, 140));
    ASSERT_TRUE(HandleAt(140, 100));
    // The right side's handle dragged 40 px down: the right edge slides down with it, the left
    // edge stays, the square becomes a parallelogram.
    Drag({AtPixel(140, 100), AtPixel(140, 120), AtPixel(140, 140)}, Qt::LeftButton,
         Qt::ShiftModifier | Qt::ControlModifier);
    Key(Qt::Key_Escape);
    EXPECT_TRUE(Filled(126, 150, 132, 168));  // below the old bottom, at the right
    EXPECT_TRUE(Empty(126, 64, 132, 88));     // above the new top, at the right
    EXPECT_TRUE(Filled(64, 66, 70, 132));     // the left side hardly moves
    EXPECT_TRUE(Empty(64, 150, 70, 160));

    Key(Qt::Key_Z, Qt::ControlModifier);
    EXPECT_TRUE(Filled(126, 66, 132, 88));
    EXPECT_TRUE(Empty(126, 150, 132, 168));
    Key(Qt::Key_Y, Qt::ControlModifier);
    EXPECT_TRUE(Filled(126, 150, 132, 168));
    EXPECT_TRUE(Empty(126, 64, 132, 88));
}

TEST_P(Selection, AClickWithoutADragChangesNothingToUndo)
{
    ClickCanvas(AtPixel(100, 140));
    ClickCanvas(AtPixel(140, 140));  // on the handle, without moving
    EXPECT_TRUE(Filled(70, 70, 130, 130));
    EXPECT_TRUE(Empty(150, 150, 200, 200));
    // The only step to undo is the square itself.
    Menu({"編集", "元に戻す"});
    EXPECT_TRUE(Empty(70, 70, 130, 130));
    EXPECT_EQ(canvastools::Input().CurrentTool, kToolSelect);
}

INSTANTIATE_TEST_SUITE_P(RealtimeOffAndOn, Selection, testing::Bool(),
                         [](const testing::TestParamInfo<bool> &info) {
                             return info.param ? std::string("Realtime") : std::string("Quick");
                         });

}  // namespace
}  // namespace journeys
