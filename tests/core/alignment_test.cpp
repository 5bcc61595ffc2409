#include "core/alignment.h"

#include "core/history.h"
#include "editing_fixture.h"

using namespace core;
using namespace editingtest;

namespace {

class AlignmentTest : public EditingTest {
protected:
    // A selected path whose anchors span left .. right and top .. bottom.
    int32_t AddBox(int32_t left, int32_t right, int32_t top = 0, int32_t bottom = 100)
    {
        PathRecord path = MakePath({{left, top}, {right, bottom}});
        path.blSelected = true;
        return AddPath(path);
    }

    static int32_t Left(int32_t i) { return std::min(Path(i).Anchors[0].X, Path(i).Anchors[1].X); }
    static int32_t Top(int32_t i) { return std::min(Path(i).Anchors[0].Y, Path(i).Anchors[1].Y); }
};

TEST_F(AlignmentTest, AlignWithEachOtherByAnchorBoxes)
{
    AddBox(0, 100);
    AddBox(300, 500);
    Path(1).GradCenterX = 50;
    AddBox(0, 500, 200, 300);
    AlignPaths(kAlignCentre);  // union 0 .. 500: both centres go to 250
    EXPECT_EQ(Points(Path(1)), (std::vector<std::pair<int32_t, int32_t>>{{200, 0}, {300, 100}}));
    EXPECT_EQ(Path(1).GradCenterX, 250);
    EXPECT_EQ(Left(2), 150);
    EXPECT_EQ(Top(3), 200);
    EXPECT_EQ(History().HistoryPos, 0);  // the menu command records the step

    // Line widths do not count: the anchors line up, not the strokes.
    Path(3).blSelected = false;
    Path(2).LineWidth = 400;
    AlignPaths(kAlignLeft);
    EXPECT_EQ(Left(1), 150);
    EXPECT_EQ(Left(2), 150);
    AlignPaths(kAlignRight);
    EXPECT_EQ(Path(1).Anchors[1].X, 350);
    EXPECT_EQ(Path(2).Anchors[1].X, 350);

    // A half twip rounds to the even side: union 0 .. 5 (sum 5), box 0 .. 2 (sum 2): 1.5 -> 2.
    ResetDocumentForTest();
    AddBox(0, 2);
    AddBox(0, 5);
    AlignPaths(kAlignCentre);
    EXPECT_EQ(Left(1), 2);
    EXPECT_EQ(Left(2), 0);
}

TEST_F(AlignmentTest, ActiveGroupMovesAsOneItem)
{
    for (auto [left, right] : {std::pair{0, 100}, std::pair{200, 300}, std::pair{0, 1000}}) {
        AddBox(left, right);
    }
    Path(1).blGroup = Path(2).blGroup = true;
    Path(1).GroupID = Path(2).GroupID = 4;
    AlignPaths(kAlignRight);  // group box 0 .. 300 goes to 1000
    EXPECT_EQ(Left(1), 700);
    EXPECT_EQ(Left(2), 900);
    EXPECT_EQ(Left(3), 0);

    // A released group: each selected member is an item of its own.
    Path(1).blGroup = Path(2).blGroup = false;
    AlignPaths(kAlignRight);
    EXPECT_EQ(Path(1).Anchors[1].X, 1000);
    EXPECT_EQ(Path(2).Anchors[1].X, 1000);

    // An unselected member of an active group stays where it is.
    Path(1).blGroup = Path(2).blGroup = true;
    Path(2).blSelected = false;
    AlignPaths(kAlignLeft);
    EXPECT_EQ(Left(1), 0);
    EXPECT_EQ(Left(2), 900);
}

TEST_F(AlignmentTest, DistributionSpacesLeadingEdgesEvenly)
{
    // Left edges 1000, 0, 100 in document order: sorted 0, 100, 1000; the middle goes to 500.
    AddBox(1000, 1100);
    AddBox(0, 50);
    AddBox(100, 120);
    AlignPaths(kDistributeHorizontally);
    EXPECT_EQ(Left(1), 1000);
    EXPECT_EQ(Left(2), 0);
    EXPECT_EQ(Left(3), 500);
    EXPECT_EQ(Path(3).Anchors[1].X, 520);
    EXPECT_EQ(Top(3), 0);

    // Equal keys keep document order; the shifts round halves to even.
    ResetDocumentForTest();
    AddBox(0, 1, 0, 10);
    AddBox(0, 1, 0, 10);
    AddBox(0, 1, 0, 10);
    AddBox(0, 1, 3, 10);
    AddBox(0, 1, 5, 10);
    AlignPaths(kDistributeVertically);  // tops 0, 0, 0, 3, 5 -> 0, 1.25, 2.5, 3.75, 5
    EXPECT_EQ(Top(1), 0);
    EXPECT_EQ(Top(2), 1);
    EXPECT_EQ(Top(3), 2);
    EXPECT_EQ(Top(4), 4);
    EXPECT_EQ(Top(5), 5);

    // Two items move nothing.
    ResetDocumentForTest();
    AddBox(0, 10);
    AddBox(700, 710);
    AlignPaths(kDistributeHorizontally);
    EXPECT_EQ(Left(1), 0);
    EXPECT_EQ(Left(2), 700);
}

TEST_F(AlignmentTest, DistributionOfTenThousandPaths)
{
    const int32_t count = 10000;
    for (int32_t i = 1; i <= count; ++i) {
        int32_t left = i == count ? 0 : (i * 7919) % 99991 + 1;  // scattered, one at 0
        AddBox(left, left + 5);
    }
    AddBox(1000000, 1000005);
    AlignPaths(kDistributeHorizontally);
    std::vector<int32_t> lefts;
    for (int32_t i = 1; i <= count + 1; ++i) {
        lefts.push_back(Left(i));
    }
    std::sort(lefts.begin(), lefts.end());
    for (size_t s = 0; s < lefts.size(); ++s) {
        EXPECT_EQ(lefts[s], static_cast<int32_t>(s) * 100) << s;
    }
}

TEST_F(AlignmentTest, PathsWithoutAnchorsDoNotPullTheOthersAndExtremesStayExact)
{
    PathRecord empty;
    empty.blSelected = true;
    AddPath(empty);
    AddBox(500, 600);
    AddBox(900, 1000);
    PathRecord single = MakePath({{700, 5}});
    single.blSelected = true;
    AddPath(single);
    AlignPaths(kAlignLeft);
    EXPECT_TRUE(Path(1).Anchors.empty());
    EXPECT_EQ(Left(2), 500);
    EXPECT_EQ(Left(3), 500);
    EXPECT_EQ(Path(4).Anchors[0].X, 500);

    // Shifts larger than 32 bits land exactly on the far edge.
    ResetDocumentForTest();
    AddBox(INT32_MAX - 10, INT32_MAX);
    AddBox(INT32_MIN, INT32_MIN + 10, INT32_MIN, INT32_MAX);
    AlignPaths(kAlignLeft);
    EXPECT_EQ(Points(Path(1)), (std::vector<std::pair<int32_t, int32_t>>{{INT32_MIN, 0}, {INT32_MIN + 10, 100}}));
    AlignPaths(kAlignCanvasRight);
    EXPECT_EQ(Path(1).Anchors[1].X, 6400);
    AlignPaths(kAlignMiddle);  // union INT32_MIN .. INT32_MAX: centre -0.5
    EXPECT_EQ(Top(2), INT32_MIN);
    EXPECT_EQ(Top(1), -50);
}

}  // namespace
