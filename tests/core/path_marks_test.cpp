// A path's mark is new after every way the path can change, and stays where nothing changed it:
// through the array's own routes and through the document's commands.
#include "core/clipboard.h"
#include "core/document.h"
#include "core/groups.h"
#include "core/history.h"
#include "core/path_attributes.h"
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
    }
}

TEST(PathMarks, ARecordCopiedWithItsMarkIsThatRecord)
{
    PathArray paths = Squares(3);
    const PathMark mark = paths.Mark(1);
    PathArray taken = Squares(3);
    taken.TakePath(2, paths, 1);
    const PathArray &takenRead = taken;
    EXPECT_EQ(takenRead.Mark(2), mark);
    EXPECT_EQ(takenRead[2], Square(1000, 101));
    EXPECT_NE(paths.Mark(1), mark);  // what is left of the source is marked anew
    PathArray copies = Squares(3);
    copies.CopyPath(3, taken, 2);
    const PathArray &copiesRead = copies;
    EXPECT_EQ(copiesRead[3], takenRead[2]);
    EXPECT_EQ(copiesRead.Mark(3), mark);
    copies[3].LineWidth = 1;  // changed: a new mark
    EXPECT_NE(copiesRead.Mark(3), mark);
}

// The document's commands give new marks to exactly the paths they change.
class DocumentMarksTest : public testing::Test {
protected:
    void SetUp() override
    {
        core::ResetDocumentForTest();
        core::ResetHistoryForTest();
        core::ResetClipboardForTest();
        core::Doc().DocPaths = Squares(8);
        core::StartHistoryWithDocument();
    }
    void TearDown() override
    {
        core::ResetDocumentForTest();
        core::ResetHistoryForTest();
        core::ResetClipboardForTest();
    }
};

TEST_F(DocumentMarksTest, ACommandMarksAnewOnlyThePathsItChanges)
{
    const struct {
        const char *name;
        std::function<void()> command;
        std::vector<size_t> newlyMarked;
    } commands[] = {
        {"select one", [] { core::SelectPathOrGroup(3, true); }, {3}},
        {"select all", [] { core::SelectAllPaths(); }, {1, 2, 4, 5, 6, 7, 8}},
        {"deselect all", [] { core::DeselectAllPaths(); }, {1, 2, 3, 4, 5, 6, 7, 8}},
        {"deselect all again", [] { core::DeselectAllPaths(); }, {}},
        {"select and recolour", [] {
             core::SelectPathOrGroup(5, true);
             core::SetSelectedColors({0xFF0000FFu, 0xFF00FF00u, 0xFFFF0000u}, false, true, false);
         }, {5}},
        {"move an anchor", [] {
             core::MoveAnchor(10, 0, 6, 1);
             core::RecordHistory();
         }, {6}},
        {"undo the move", [] { core::UndoHistory(); }, {6}},
        {"redo the move", [] { core::RedoHistory(); }, {6}},
        {"a drag put back", [] {
             core::SavePathSnapshot();
             core::MoveAnchor(50, 50, 2, 0);
             core::RestorePathSnapshot();
         }, {}},
        {"counting and reading", [] {
             EXPECT_EQ(core::CountSelectedPaths(), 1);
             int32_t x = 0;
             int32_t y = 0;
             int32_t width = 0;
             core::GetAnchor(x, y, width, 4, 1);
             EXPECT_EQ(core::GetPath(4).Anchors[1].X, x);
             EXPECT_GT(core::GetPathsBounds(core::Doc().DocPaths).Right, 0);
         }, {}},
        {"hide the selected", [] {
             core::SetPathVisibleLock(core::kHideSelected);
             core::RecordHistory();
         }, {5}},
        {"delete the selected", [] {
             core::DeleteSelectedPaths();
             core::RecordHistory();
         }, {}},
        // The paths after a path put back are restored in their places.
        {"undo the deletion", [] { core::UndoHistory(); }, {5, 6, 7, 8}},
        {"redo the deletion", [] { core::RedoHistory(); }, {5, 6, 7}},
    };
    core::RecordHistory();
    for (const auto &command : commands) {
        SCOPED_TRACE(command.name);
        const std::vector<PathMark> before = core::Doc().DocPaths.Marks();
        command.command();
        EXPECT_EQ(NewlyMarked(before, core::Doc().DocPaths), command.newlyMarked);
    }
}

}  // namespace
