// A path's mark is new after every way the path can change, and stays, with its record, where
// nothing changed it.
#include "core/path_array.h"
#include "core/path_record.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace {

using core::PathArray;
using core::PathMark;
using core::PathRecord;

PathRecord Square(int32_t x, int32_t size)
{
    PathRecord path;
    path.Anchors = {{x, 0}, {x + size, 0}, {x + size, size}, {x, size}};
    path.blClosed = true;
    path.FillType = core::kFillSolid;
    path.FillColor = 0xFF000000u | static_cast<uint32_t>(x);
    return path;
}

PathArray Squares(int count)
{
    PathArray paths{PathRecord()};
    for (int i = 1; i <= count; ++i) {
        paths.push_back(Square(i * 1000, 100 + i));
    }
    return paths;
}

// The paths (by index after the change) whose mark is not one the array had before.
std::vector<size_t> NewlyMarked(const std::vector<PathMark> &before, const PathArray &after)
{
    std::vector<size_t> changed;
    for (size_t i = 0; i < after.size(); ++i) {
        if (std::find(before.begin(), before.end(), after.Mark(i)) == before.end()) {
            changed.push_back(i);
        }
    }
    return changed;
}

TEST(PathMarks, EveryMutableRouteGivesANewMarkAndReadingKeepsThem)
{
    const struct {
        const char *name;
        std::function<void(PathArray &)> route;
        std::vector<size_t> newlyMarked;
    } routes[] = {
        {"operator[]", [](PathArray &p) { p[2].FillColor = 1; }, {2}},
        {"at", [](PathArray &p) { p.at(3).LineWidth = 7; }, {3}},
        {"front", [](PathArray &p) { p.front().blClosed = true; }, {0}},
        {"back", [](PathArray &p) { p.back().blSelected = true; }, {5}},
        {"an iterator", [](PathArray &p) { (p.begin() + 4)->GradAngle = 3; }, {4}},
        {"an iterator's index", [](PathArray &p) { p.begin()[1].DispFlags = 1; }, {1}},
        {"an algorithm", [](PathArray &p) { std::reverse(p.begin() + 1, p.begin() + 3); }, {1, 2}},
        {"data", [](PathArray &p) { p.data()[1].FillType = 0; }, {0, 1, 2, 3, 4, 5}},
        {"push_back", [](PathArray &p) { p.push_back(Square(1, 1)); }, {6}},
        {"emplace_back", [](PathArray &p) { p.emplace_back(); }, {6}},
        {"insert", [](PathArray &p) { p.insert(p.begin() + 2, Square(1, 1)); }, {2}},
        {"insert a range", [](PathArray &p) {
             const PathArray more = Squares(2);
             p.insert(p.end(), more.begin() + 1, more.end());
         }, {6, 7}},
        {"resize up", [](PathArray &p) { p.resize(8); }, {6, 7}},
        {"assign", [](PathArray &p) { p.assign(3, Square(5, 5)); }, {0, 1, 2}},
        {"a whole new array", [](PathArray &p) { p = Squares(5); }, {0, 1, 2, 3, 4, 5}},
        // Routes that change no path keep every mark, the paths after a removal theirs.
        {"reading", [](PathArray &p) {
             const PathArray &read = p;
             int64_t sum = 0;
             for (const PathRecord &path : read) {
                 sum += path.AnchorMax() + read[1].LineWidth + read.at(2).FillType + read.back().LineMode;
             }
             EXPECT_GT(sum, 0);
         }, {}},
        {"a copy", [](PathArray &p) { p = PathArray(p); }, {}},
        {"erase", [](PathArray &p) { p.erase(p.begin() + 2); }, {}},
        {"resize down", [](PathArray &p) { p.resize(3); }, {}},
        {"remove where", [](PathArray &p) { p.RemoveIf(1, [](size_t i) { return i % 2 == 0; }); }, {}},
        {"a path copied with its mark", [](PathArray &p) {
             const PathArray other = p;
             p[3].FillColor = 9;
             p.CopyPath(3, other, 3);
         }, {}},
        {"a path taken with its mark", [](PathArray &p) {
             PathArray other = p;
             p.TakePath(1, other, 4);
         }, {}},
    };
    for (const auto &route : routes) {
        SCOPED_TRACE(route.name);
        PathArray paths = Squares(5);
        const std::vector<PathMark> before = paths.Marks();
        const PathArray copy = paths;
        EXPECT_EQ(copy.Marks(), before);
        route.route(paths);
        EXPECT_EQ(NewlyMarked(before, paths), route.newlyMarked);
        // A mark kept is the record it was given to.
        const PathArray &after = paths;
        for (size_t i = 0; i < after.size(); ++i) {
            const auto was = std::find(before.begin(), before.end(), after.Mark(i));
            if (was != before.end()) {
                EXPECT_EQ(after[i], copy[static_cast<size_t>(was - before.begin())]) << i;
            }
        }
    }
}

}  // namespace
