// A record's anchors shared by its copies: a change through any copy, by any of the ways a vector
// is changed, leaves the others as they were, and a copy taken while a mutable reference is out
// stays apart from what that reference writes.
#include "core/anchor_array.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

using core::AnchorArray;
using core::AnchorPoint;

namespace {

const std::vector<AnchorPoint> kPoints = {{0, 0, 0}, {10, 0, 1}, {10, 10, 0}, {0, 10, 0}};

// One way of changing anchors, applied alike to the array and to a vector.
struct Change {
    std::string name;
    std::function<void(AnchorArray &)> array;
    std::function<void(std::vector<AnchorPoint> &)> vector;
};

template <typename Anchors>
void Reverse(Anchors &anchors)
{
    std::reverse(anchors.begin(), anchors.end());
}

std::vector<Change> Changes()
{
    const AnchorPoint p{7, 8, 1};
    return {
        {"element write", [](AnchorArray &a) { a[1].X = 99; }, [](auto &v) { v[1].X = 99; }},
        {"at", [](AnchorArray &a) { a.at(2).Y = -5; }, [](auto &v) { v.at(2).Y = -5; }},
        {"front and back", [](AnchorArray &a) { a.front().X = 1, a.back().Y = 2; },
         [](auto &v) { v.front().X = 1, v.back().Y = 2; }},
        {"iterators", [](AnchorArray &a) { Reverse(a); }, [](auto &v) { Reverse(v); }},
        {"push_back", [p](AnchorArray &a) { a.push_back(p); }, [p](auto &v) { v.push_back(p); }},
        {"pop_back", [](AnchorArray &a) { a.pop_back(); }, [](auto &v) { v.pop_back(); }},
        {"insert", [p](AnchorArray &a) { a.insert(a.begin() + 1, p); }, [p](auto &v) { v.insert(v.begin() + 1, p); }},
        {"insert its own points", [](AnchorArray &a) { a.insert(a.end(), a.begin(), a.begin() + 2); },
         [](auto &v) {
             const std::vector<AnchorPoint> head(v.begin(), v.begin() + 2);
             v.insert(v.end(), head.begin(), head.end());
         }},
        {"erase", [](AnchorArray &a) { a.erase(a.begin() + 1, a.begin() + 3); },
         [](auto &v) { v.erase(v.begin() + 1, v.begin() + 3); }},
        {"resize up", [](AnchorArray &a) { a.resize(6); }, [](auto &v) { v.resize(6); }},
        {"resize down", [](AnchorArray &a) { a.resize(1); }, [](auto &v) { v.resize(1); }},
        {"clear", [](AnchorArray &a) { a.clear(); }, [](auto &v) { v.clear(); }},
        {"assign", [p](AnchorArray &a) { a.assign(3, p); }, [p](auto &v) { v.assign(3, p); }},
        {"assign a list", [p](AnchorArray &a) { a = {p, p}; }, [p](auto &v) { v = {p, p}; }},
        {"move by", [](AnchorArray &a) { a.AssignMoved(AnchorArray(a), 5, -3); },
         [](auto &v) {
             for (AnchorPoint &q : v) {
                 q.X += 5, q.Y -= 3;
             }
         }},
    };
}

TEST(AnchorArray, AChangeThroughOneCopyLeavesTheOthersAsTheyWere)
{
    for (const Change &change : Changes()) {
        SCOPED_TRACE(change.name);
        for (bool changeTheCopy : {true, false}) {
            AnchorArray original(kPoints);
            AnchorArray copy = original;
            ASSERT_TRUE(copy.SharesStorage(original));
            std::vector<AnchorPoint> expected = kPoints;
            change.vector(expected);
            AnchorArray &changed = changeTheCopy ? copy : original;
            const AnchorArray &kept = changeTheCopy ? original : copy;
            change.array(changed);
            EXPECT_EQ(changed, expected);
            EXPECT_EQ(kept, kPoints);
            // A copy taken after the change shares it again (nothing holds a reference now).
            changed.Seal();
            EXPECT_EQ(AnchorArray(changed), expected);
        }
    }
}

TEST(AnchorArray, ACopyTakenWhileAReferenceIsOutIsNotChangedThroughIt)
{
    AnchorArray anchors(kPoints);
    AnchorPoint &first = anchors[0];
    AnchorPoint *last = anchors.end() - 1;
    const AnchorArray copy = anchors;
    first.X = 50;
    last->Y = 60;
    EXPECT_EQ(copy, kPoints);
    EXPECT_EQ(anchors[0].X, 50);
    EXPECT_EQ(anchors[3].Y, 60);
    EXPECT_FALSE(copy.SharesStorage(anchors));
    // Unmoved anchors share; a copy's changes and moves never reach the storage it came from.
    AnchorArray moved;
    moved.AssignMoved(copy, 0, 0);
    EXPECT_TRUE(moved.SharesStorage(copy));
    moved.AssignMoved(copy, 1, 1);
    EXPECT_EQ(copy, kPoints);
    EXPECT_EQ(moved[3], (AnchorPoint{1, 11, 0}));
}

}  // namespace
