#include "core/clipboard.h"

#include "editing_fixture.h"

using namespace core;
using namespace editingtest;

namespace {

class ClipboardTest : public EditingTest {
protected:
    void SetUp() override
    {
        EditingTest::SetUp();
        Doc().CurrentSettings.GridWidth = 400;
        Doc().CurrentSettings.GridHeight = 300;
    }
};

TEST_F(ClipboardTest, CopyThenPasteInPlaceShiftsByGrowingHalfGridSteps)
{
    AddPath(Tagged(1000));
    Path(1).blSelected = true;
    Path(1).GradCenterX = 50;
    CopySelectedPaths(10, 20);
    ASSERT_EQ(GetClipCount(), 1);
    EXPECT_EQ(Clipboard().ClipOriginX, 10);
    EXPECT_EQ(Clipboard().PasteOffsetX, 200);
    EXPECT_EQ(Clipboard().PasteOffsetY, 150);

    for (int32_t n = 1; n <= 3; ++n) {
        PastePaths(0, 0, true, -1);
        const PathRecord &copy = Path(1 + n);
        EXPECT_EQ(copy.Anchors[0].X, 1000 + 200 * n);
        EXPECT_EQ(copy.Anchors[1].Y, 100 + 150 * n);
        EXPECT_EQ(copy.GradCenterX, 50 + 200 * n);
        EXPECT_TRUE(copy.blSelected);
        EXPECT_FALSE(Path(n).blSelected);  // the paste is the new selection
    }
}

TEST_F(ClipboardTest, PasteFarFromTheOriginSaturatesInsteadOfWrapping)
{
    Clipboard().ClipPaths = {PathRecord(), MakePath({{INT32_MAX - 5, 0}, {0, INT32_MIN + 5}})};
    Clipboard().ClipOriginX = INT32_MIN;
    Clipboard().ClipOriginY = INT32_MAX;
    PastePaths(INT32_MAX, INT32_MIN, false, -1);
    EXPECT_EQ(Points(Path(1)), (std::vector<std::pair<int32_t, int32_t>>{{INT32_MAX, INT32_MIN}, {INT32_MAX, INT32_MIN}}));
}

TEST_F(ClipboardTest, PastedGroupsAndCompoundsGetTheSmallestFreeIds)
{
    PathRecord a = Tagged(1);
    a.GroupID = 1;
    PathRecord b = Tagged(2);
    b.GroupID = 2;
    b.CompoundID = 1;
    AddPath(a);
    AddPath(b);

    PathRecord c = Tagged(10);
    c.GroupID = 5;
    c.blGroup = true;
    c.CompoundID = 3;
    c.blCompound = true;
    PathRecord d = Tagged(11);
    d.GroupID = 7;
    PathRecord e = Tagged(12);
    e.GroupID = 5;
    e.blGroup = true;
    Clipboard().ClipPaths = {PathRecord(), c, d, e};

    PastePaths(0, 0, true, -1);
    EXPECT_EQ(Path(3).GroupID, 3);
    EXPECT_EQ(Path(4).GroupID, 4);
    EXPECT_EQ(Path(5).GroupID, 3);
    EXPECT_EQ(Path(3).CompoundID, 2);
    EXPECT_EQ(Path(5).CompoundID, 0);
    EXPECT_TRUE(Path(3).blGroup && Path(3).blCompound);
    EXPECT_FALSE(Path(4).blGroup);

    // A second paste of the same clip makes new groups again.
    PastePaths(0, 0, true, -1);
    EXPECT_EQ(Path(6).GroupID, 5);
    EXPECT_EQ(Path(7).GroupID, 6);
    EXPECT_EQ(Path(6).CompoundID, 3);
}

TEST_F(ClipboardTest, PasteAtAPositionKeepsTheFrontmostPathsInFront)
{
    for (int32_t t : {1, 2, 3}) {
        AddPath(Tagged(t));
    }
    Clipboard().ClipPaths = {PathRecord(), Tagged(10), Tagged(11)};
    Clipboard().PasteOffsetX = 200;
    PastePaths(0, 0, true, 0);
    EXPECT_EQ(DocTags(), (std::vector<int32_t>{1, 2, 10, 11, 3}));  // exactly over the clip's paths
    EXPECT_EQ(Clipboard().PasteOffsetX, 200);

    // Positions beyond the range are limited: never into element 0, never past the end.
    ResetDocumentForTest();
    for (int32_t t : {1, 2}) {
        AddPath(Tagged(t));
    }
    PastePaths(0, 0, false, 2);
    EXPECT_EQ(DocTags(), (std::vector<int32_t>{10, 11, 1, 2}));
    EXPECT_TRUE(Doc().DocPaths[0].Anchors.empty());
    PastePaths(0, 0, false, -9);
    EXPECT_EQ(DocTags(), (std::vector<int32_t>{10, 11, 1, 2, 10, 11}));

    ResetDocumentForTest();
    PastePaths(0, 0, false, 5);
    EXPECT_EQ(DocTags(), (std::vector<int32_t>{10, 11}));
}

TEST_F(ClipboardTest, DeletingCompoundMembersKeepsTheOthersInOrder)
{
    for (int32_t t = 1; t <= 4; ++t) {
        PathRecord path = Tagged(t);
        path.CompoundID = t == 4 ? 0 : 2;
        path.blCompound = t != 4;
        AddPath(path);
    }
    DeletePath(0);
    DeletePath(5);
    EXPECT_EQ(Doc().DocPathCount(), 4);
    DeletePath(1);
    EXPECT_EQ(DocTags(), (std::vector<int32_t>{2, 3, 4}));

    Path(1).blSelected = Path(3).blSelected = true;
    DeleteSelectedPaths();
    EXPECT_EQ(DocTags(), (std::vector<int32_t>{3}));
}

TEST_F(ClipboardTest, PasteAndDeleteEndThePathBeingBuilt)
{
    AddPath(Tagged(1));
    Path(1).blSelected = true;
    CopySelectedPaths(0, 0);
    BeginPath(0, 0, 1.0f, 1, 0, {0, 0, 0}, kOnCurve);
    AddAnchor(500, 0, kOnCurve);
    ASSERT_TRUE(IsBuildingPath());
    PastePaths(0, 0, true, -1);
    EXPECT_FALSE(IsBuildingPath());
    int32_t count = Doc().DocPathCount();
    AddAnchor(900, 900, kOnCurve);  // a late move of the tool adds nothing to the pasted path
    EXPECT_EQ(Doc().DocPathCount(), count);
    EXPECT_EQ(Path(count).AnchorMax(), 1);

    BeginPath(0, 0, 1.0f, 1, 0, {0, 0, 0}, kOnCurve);  // a click only: finishing drops it
    DeleteSelectedPaths();
    EXPECT_FALSE(IsBuildingPath());
    EXPECT_EQ(DocTags(), (std::vector<int32_t>{1, 0}));
}

}  // namespace
