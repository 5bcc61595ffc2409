#include "core/groups.h"

#include "editing_fixture.h"

using namespace core;
using namespace editingtest;

namespace {

class GroupsTest : public EditingTest {
protected:
    void SelectOnly(std::initializer_list<int32_t> indices)
    {
        for (int32_t i = 1; i <= Doc().DocPathCount(); ++i) {
            Path(i).blSelected = false;
        }
        for (int32_t i : indices) {
            Path(i).blSelected = true;
        }
    }
};

TEST_F(GroupsTest, NextFreeIdSkipsEveryUsedIdWhateverTheOrder)
{
    EXPECT_EQ(NextFreeGroupId(1), 1);  // empty document
    EXPECT_EQ(NextFreeGroupId(7), 7);
    for (int32_t id : {1, 3, 2}) {
        PathRecord path = Tagged(id);
        path.GroupID = id;
        path.CompoundID = id * 10;
        AddPath(path);
    }
    EXPECT_EQ(NextFreeGroupId(1), 4);
    EXPECT_EQ(NextFreeGroupId(2), 4);
    EXPECT_EQ(NextFreeGroupId(5), 5);
    EXPECT_EQ(NextFreeCompoundId(1), 1);
    EXPECT_EQ(NextFreeCompoundId(10), 11);
    EXPECT_EQ(NextFreeCompoundId(30), 31);
}

TEST_F(GroupsTest, ReleasedGroupKeepsItsIdTakenAndCanBeMadeAgain)
{
    for (int32_t t = 1; t <= 5; ++t) {
        AddPath(Tagged(t));
    }
    MakeGroup(true);  // nothing selected: no path changes, id 1 stays free
    EXPECT_EQ(NextFreeGroupId(1), 1);

    SelectOnly({1, 2});
    MakeGroup(true);
    SelectOnly({3, 4});
    MakeGroup(true);
    EXPECT_EQ(Path(1).GroupID, 1);
    EXPECT_EQ(Path(3).GroupID, 2);
    EXPECT_TRUE(Path(4).blGroup);

    SelectOnly({1, 2});
    MakeGroup(false);
    EXPECT_FALSE(Path(1).blGroup);
    EXPECT_EQ(Path(1).GroupID, 1);

    SelectOnly({5});
    MakeGroup(true);
    EXPECT_EQ(Path(5).GroupID, 3);  // 1 is still held by the released group

    // A click on a released member selects it alone.
    SelectOnly({});
    SelectPathOrGroup(1, true);
    EXPECT_TRUE(Path(1).blSelected);
    EXPECT_FALSE(Path(2).blSelected);

    // Making it again selects exactly the members that kept the id.
    SelectOnly({3, 5});
    host.Calls.clear();
    GroupAgain(2);
    EXPECT_TRUE(Path(1).blGroup && Path(1).blSelected);
    EXPECT_TRUE(Path(2).blGroup && Path(2).blSelected);
    for (int32_t i : {3, 4, 5}) {
        EXPECT_FALSE(Path(i).blSelected) << i;
    }
    EXPECT_EQ(CountCalls("RefreshSelect"), 1);
    EXPECT_EQ(CountCalls("RefreshPosition"), 1);

    // An active group selects and deselects as one.
    SelectPathOrGroup(4, true);
    EXPECT_TRUE(Path(3).blSelected && Path(4).blSelected);
    SelectPathOrGroup(3, false);
    EXPECT_FALSE(Path(3).blSelected || Path(4).blSelected);
}

TEST_F(GroupsTest, CompoundsMakeReleaseAndMakeAgain)
{
    for (int32_t t = 1; t <= 4; ++t) {
        AddPath(Tagged(t));
    }
    SelectOnly({1, 2});
    MakeCompound(true, 0);
    EXPECT_TRUE(Path(1).blCompound && Path(2).blCompound);
    EXPECT_EQ(Path(2).CompoundID, 1);

    // Nothing selected: no id changes.
    SelectOnly({});
    MakeCompound(true, 0);
    EXPECT_EQ(Path(3).CompoundID, 0);

    SelectOnly({3, 4});
    MakeCompound(true, 0);
    EXPECT_EQ(Path(3).CompoundID, 2);

    // Releasing compound 1 keeps its ids; the other compound stays active.
    MakeCompound(false, 2);
    EXPECT_FALSE(Path(1).blCompound || Path(2).blCompound);
    EXPECT_EQ(Path(1).CompoundID, 1);
    EXPECT_TRUE(Path(3).blCompound);

    SelectOnly({4});
    CompoundAgain(1);
    EXPECT_TRUE(Path(1).blCompound && Path(2).blCompound);
    EXPECT_TRUE(Path(4).blSelected);  // the selection stays
    EXPECT_FALSE(Path(1).blSelected);
}

}  // namespace

// The compound's shape is drawn with its first active member; the others follow it.
TEST(CompoundLeader, EveryActiveMemberAfterTheFirstFollows)
{
    PathArray paths(7);
    const struct {
        int32_t compoundId;
        bool active;
        bool follows;
    } rows[] = {{0, false, false}, {4, true, false}, {9, true, false}, {4, false, false},
                {4, true, true},   {9, true, true},  {0, true, false}};
    for (size_t i = 1; i < paths.size(); ++i) {
        paths[i].CompoundID = rows[i].compoundId;
        paths[i].blCompound = rows[i].active;
    }
    for (int32_t i = 0; i <= 7; ++i) {
        const bool expected = i >= 1 && i <= 6 && rows[static_cast<size_t>(i)].follows;
        EXPECT_EQ(FollowsInCompound(paths, i), expected) << i;
    }
}
