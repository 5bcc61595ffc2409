#include "core/anchor_editing.h"

#include "editing_fixture.h"

using namespace core;
using namespace editingtest;

namespace {

using PointList = std::vector<std::pair<int32_t, int32_t>>;

class AnchorEditingTest : public EditingTest {};

PathRecord Line(int32_t count, int32_t y = 0)
{
    PathRecord path = MakePath({});
    for (int32_t i = 0; i < count; ++i) {
        path.Anchors.push_back(AnchorPoint{i * 100, y, kOnCurve});
    }
    return path;
}

TEST_F(AnchorEditingTest, DeleteAndInsertKeepTheRestInOrder)
{
    PathRecord path = Line(3);
    DeleteAnchor(path, 3);  // beyond the last anchor
    DeleteAnchor(path, -1);
    DeleteAnchor(path, 1);
    EXPECT_EQ(Points(path), (PointList{{0, 0}, {200, 0}}));

    InsertAnchor(path, AnchorPoint{50, 5, kControlPoint}, 1);
    InsertAnchor(path, AnchorPoint{300, 0, kOnCurve}, 3);  // appends
    InsertAnchor(path, AnchorPoint{999, 0, kOnCurve}, 9);  // out of range: ignored
    EXPECT_EQ(Points(path), (PointList{{0, 0}, {50, 5}, {200, 0}, {300, 0}}));
    EXPECT_EQ(path.Anchors[1].AnchorKind, kControlPoint);

    PathRecord single = MakePath({{7, 7}});
    DeleteAnchor(single, 0);  // the only anchor stays
    EXPECT_EQ(single.AnchorMax(), 0);
    PathRecord none = MakePath({});
    DeleteAnchor(none, 0);
    InsertAnchor(none, AnchorPoint{1, 2, kOnCurve}, 0);
    EXPECT_EQ(Points(none), (PointList{{1, 2}}));
}

TEST_F(AnchorEditingTest, AddAnchorOnSegmentDividesTheChordByTheClickDistances)
{
    AddPath(MakePath({{0, 0}, {100, 0}}, true));
    Path(1).Anchors[0].AnchorKind = kControlPoint;
    AddAnchorOnSegment(1, 0, 1, 50, 0);
    EXPECT_EQ(Points(Path(1)), (PointList{{0, 0}, {50, 0}, {100, 0}}));
    EXPECT_EQ(Path(1).Anchors[1].AnchorKind, kControlPoint);  // takes anchor k's kind

    // d1 : d2 = 1 : 3 puts it at a quarter of the chord, not at the click.
    AddPath(MakePath({{0, 0}, {100, 0}}));
    AddAnchorOnSegment(2, 0, 1, 10, 30);
    EXPECT_EQ(Points(Path(2))[1], (std::pair<int32_t, int32_t>{25, 0}));

    // The closing segment of a closed path: the anchor is appended.
    AddAnchorOnSegment(1, 2, 0, 100, 0);
    EXPECT_EQ(Path(1).AnchorMax(), 3);
    EXPECT_EQ(Points(Path(1))[3], (std::pair<int32_t, int32_t>{100, 0}));

    // Click and both ends on one spot: no division by zero.
    AddPath(MakePath({{5, 5}, {5, 5}}));
    AddAnchorOnSegment(3, 0, 1, 5, 5);
    EXPECT_EQ(Points(Path(3)), (PointList{{5, 5}, {5, 5}, {5, 5}}));
}

TEST_F(AnchorEditingTest, DeleteSelectedAnchorsRemovesPathsLeftTooShort)
{
    AddPath(Line(2));                            // loses one: deleted
    AddPath(MakePath({{0, 0}, {100, 0}, {50, 80}}, true));  // loses one: closed two-anchor path
    AddPath(Line(4, 500));                       // loses three: deleted
    AddPath(Line(2, 900));                       // untouched
    Path(1).Anchors[1].AnchorKind = kAnchorDeleted;
    Path(2).Anchors[2].AnchorKind = kAnchorDeleted;
    for (int32_t k : {0, 1, 3}) {
        Path(3).Anchors[static_cast<size_t>(k)].AnchorKind = kAnchorDeleted;
    }
    DeleteSelectedAnchors();
    ASSERT_EQ(Doc().DocPathCount(), 2);
    EXPECT_EQ(Points(Path(1)), (PointList{{0, 0}, {100, 0}}));
    EXPECT_TRUE(Path(1).blClosed);
    EXPECT_EQ(Points(Path(2)), (PointList{{0, 900}, {100, 900}}));
}

TEST_F(AnchorEditingTest, DivideAtAnAnchorOrASegment)
{
    AddPath(Line(6));
    Path(1).GroupID = 4;
    Path(1).blSelected = true;
    DividePath(1, 0, 2, 0);
    ASSERT_EQ(Doc().DocPathCount(), 2);
    EXPECT_EQ(Points(Path(1)), (PointList{{0, 0}, {100, 0}, {200, 0}}));
    EXPECT_EQ(Points(Path(2)), (PointList{{200, 0}, {300, 0}, {400, 0}, {500, 0}}));
    EXPECT_EQ(Path(2).GroupID, 4);
    EXPECT_TRUE(Path(2).blSelected);

    ResetDocumentForTest();
    AddPath(Line(6));
    Path(1).blClosed = true;
    Path(1).Anchors[3].X = -3;
    Path(1).Anchors[2].X = 0;
    DividePath(1, 1, 2, 3);
    EXPECT_EQ(Points(Path(1)), (PointList{{0, 0}, {100, 0}, {0, 0}, {-1, 0}}));  // -3 / 2 truncates
    EXPECT_EQ(Points(Path(2)), (PointList{{-1, 0}, {-3, 0}, {400, 0}, {500, 0}}));
    EXPECT_FALSE(Path(1).blClosed || Path(2).blClosed);
    EXPECT_EQ(Path(2).Anchors[0].AnchorKind, kOnCurve);
}

TEST_F(AnchorEditingTest, DivideNeverLeavesASingleAnchorPiece)
{
    AddPath(Line(3));
    DividePath(1, 0, 2, 0);   // last anchor
    DividePath(1, 0, 0, 0);   // first anchor
    DividePath(1, -1, 0, 0);  // first anchor, any anchor-cut marker
    DividePath(1, 1, 1, 7);   // segment end out of range
    DividePath(3, 0, 1, 0);   // no such path
    EXPECT_EQ(Doc().DocPathCount(), 1);
    DividePath(1, 1, 0, 1);   // the first segment splits fine
    EXPECT_EQ(Points(Path(1)), (PointList{{0, 0}, {50, 0}}));

    ResetDocumentForTest();
    AddPath(MakePath({{0, 0}}));
    DividePath(1, 0, 0, 0);
    DividePath(1, 1, 0, 0);
    EXPECT_EQ(Doc().DocPathCount(), 1);
}

TEST_F(AnchorEditingTest, JoinKeepsTheAnchorOfThePathNamedFirst)
{
    // End of 1 to start of 2: one path in 1's place, one anchor fewer.
    AddPath(MakePath({{0, 0}, {100, 0}}));
    AddPath(MakePath({{102, 0}, {200, 0}, {300, 0}}));
    AddPath(Tagged(5000));
    Path(2).LineWidth = 99;
    EXPECT_TRUE(JoinPaths(1, 1, true));
    EXPECT_EQ(Doc().DocPathCount(), 3);
    EXPECT_FALSE(JoinPaths(1, 0, true));  // nothing near the start
    EXPECT_TRUE(JoinPaths(1, 1, false));
    ASSERT_EQ(Doc().DocPathCount(), 2);
    EXPECT_EQ(Points(Path(1)), (PointList{{0, 0}, {100, 0}, {200, 0}, {300, 0}}));
    EXPECT_EQ(Path(1).LineWidth, 20);
    EXPECT_EQ(Path(2).Anchors[0].X, 5000);

    // End to end: the partner runs backwards behind it.
    ResetDocumentForTest();
    AddPath(MakePath({{0, 0}, {100, 0}}));
    AddPath(MakePath({{300, 0}, {101, 1}}));
    EXPECT_TRUE(JoinPaths(1, 1, false));
    EXPECT_EQ(Points(Path(1)), (PointList{{0, 0}, {100, 0}, {300, 0}}));

    // Start to end: the partner survives, with its own attributes, and path 1 goes.
    ResetDocumentForTest();
    AddPath(MakePath({{0, 0}, {-100, 0}}));
    AddPath(MakePath({{300, 0}, {1, 0}}));
    Path(2).LineWidth = 77;
    EXPECT_TRUE(JoinPaths(1, 0, false));
    ASSERT_EQ(Doc().DocPathCount(), 1);
    EXPECT_EQ(Points(Path(1)), (PointList{{300, 0}, {1, 0}, {-100, 0}}));
    EXPECT_EQ(Path(1).LineWidth, 77);

    // Start to start: the partner reversed in front.
    ResetDocumentForTest();
    AddPath(MakePath({{0, 0}, {-100, 0}}));
    AddPath(MakePath({{1, 0}, {300, 0}}));
    EXPECT_TRUE(JoinPaths(1, 0, false));
    EXPECT_EQ(Points(Path(1)), (PointList{{300, 0}, {1, 0}, {-100, 0}}));
}

TEST_F(AnchorEditingTest, JoinReachFollowsTheZoomAndTheLastPartnerWins)
{
    AddPath(MakePath({{0, 0}, {100, 0}}));
    AddPath(MakePath({{200, 0}, {400, 0}}));
    EXPECT_FALSE(JoinPaths(1, 1, true));
    Doc().ZoomRate = 0.25f;  // 240 twips
    EXPECT_TRUE(JoinPaths(1, 1, true));
    EXPECT_FALSE(JoinPaths(1, 5, true));  // not an end anchor
    EXPECT_FALSE(JoinPaths(9, 0, true));

    // Both ends of a later path are near: its last anchor wins, and it wins over an earlier path.
    ResetDocumentForTest();
    AddPath(MakePath({{0, 0}, {100, 0}}));
    AddPath(MakePath({{101, 0}, {900, 0}}));
    AddPath(MakePath({{102, 0}, {103, 0}}));
    EXPECT_TRUE(JoinPaths(1, 1, false));
    EXPECT_EQ(Points(Path(1)), (PointList{{0, 0}, {100, 0}, {102, 0}}));
    EXPECT_EQ(Doc().DocPathCount(), 2);
}

TEST_F(AnchorEditingTest, JoinHandlesPathsOfOneOrNoAnchor)
{
    AddPath(MakePath({{0, 0}}));
    AddPath(MakePath({}));
    AddPath(MakePath({{1, 0}, {500, 0}}));
    AddPath(MakePath({{2, 2}}));
    EXPECT_TRUE(JoinPaths(1, 0, true));
    EXPECT_FALSE(JoinPaths(2, 0, true));
    // The one-anchor path 4 is the last partner, at its end: it survives and path 1 goes.
    EXPECT_TRUE(JoinPaths(1, 0, false));
    ASSERT_EQ(Doc().DocPathCount(), 3);
    EXPECT_TRUE(Path(1).Anchors.empty());
    EXPECT_EQ(Points(Path(3)), (PointList{{2, 2}}));
}

}  // namespace
