#include "core/document.h"
#include "core/document_lifecycle.h"
#include "core/history.h"
#include "core/shared_paths.h"
#include "movie/canvas_movie.h"
#include "recording_host.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace core;

namespace {

// Path i of a drawing: a two-anchor line at x = 100 i.
PathRecord Line(int32_t i)
{
    PathRecord path;
    path.Anchors = {AnchorPoint{100 * i, 0}, AnchorPoint{100 * i, 50}};
    path.LineMode = 1;
    path.LineWidth = 20;
    return path;
}

PathArray Lines(int32_t count)
{
    PathArray paths{PathRecord()};
    for (int32_t i = 1; i <= count; ++i) {
        paths.push_back(Line(i));
    }
    return paths;
}

// The indices from .. to - 1 where a holds b's very record.
std::vector<size_t> Shared(const SharedPathArray &a, const SharedPathArray &b, size_t from, size_t to)
{
    std::vector<size_t> shared;
    for (size_t i = from; i < to; ++i) {
        if (a.SharesRecord(b, i)) {
            shared.push_back(i);
        }
    }
    return shared;
}

}  // namespace

TEST(SharedPathArray, UnchangedPathsShareTheirRecordsAcrossChangesInsertionsAndRemovals)
{
    PathArray paths = Lines(600);  // more than two blocks of records
    const SharedPathArray first(paths);
    EXPECT_TRUE(first == paths);
    EXPECT_EQ(first.ToArray(), paths);

    paths[300].FillColor = 0xFF0000FF;  // one path changed
    const SharedPathArray changed(paths, &first);
    EXPECT_TRUE(changed == paths);
    EXPECT_FALSE(changed.SharesRecord(first, 300));
    EXPECT_EQ(Shared(changed, first, 0, 601).size(), 600u);

    paths.erase(paths.begin() + 10, paths.begin() + 13);  // three paths removed
    const SharedPathArray removed(paths, &changed);
    EXPECT_TRUE(removed == paths);
    for (size_t i = 1; i < paths.size(); ++i) {
        ASSERT_TRUE(removed.SharesRecord(changed, i, i < 10 ? i : i + 3)) << i;
    }

    paths.insert(paths.begin() + 5, Line(9999));  // one path inserted
    const SharedPathArray inserted(paths, &removed);
    EXPECT_TRUE(inserted == paths);
    EXPECT_TRUE(inserted.SharesRecord(removed, 4));
    EXPECT_TRUE(inserted.SharesRecord(removed, 6, 5));
    EXPECT_TRUE(inserted.SharesRecord(removed, 597, 596));

    // Copying back gives the paths themselves, whatever the target held.
    PathArray target = Lines(3);
    inserted.CopyTo(target);
    EXPECT_EQ(target, paths);
    EXPECT_FALSE(inserted == Lines(3));
}

// A drawing large enough to be stored in parts on several threads: each step holds exactly the
// paths as changed, new records for the changed ones only, and the stored records of the paths
// that only moved in the order.
TEST(SharedPathArray, AStepOfALargeDrawingHoldsNewRecordsForTheChangedPathsOnly)
{
    constexpr size_t kInPlace = SIZE_MAX;
    using Edit = void (*)(PathArray &);
    const struct {
        const char *name;
        Edit edit;
        size_t records;  // paths in place: the records the step holds and the one before does not
        size_t movedFrom = kInPlace;  // else: below, the paths keep their records; from here, the next one's
    } steps[] = {
        {"nothing", [](PathArray &) {}, 0},
        // The colours are kept beside the stored record: a recolour holds no record of its own.
        {"recolour all", [](PathArray &p) { for (size_t i = 1; i < p.size(); ++i) p[i].LineColor = 0xFF00FF00; }, 0},
        {"one in each part", [](PathArray &p) { for (size_t i : {100, 2400, 4700, 8999}) p[i].LineWidth = 40; }, 4},
        {"select all", [](PathArray &p) { for (size_t i = 1; i < p.size(); ++i) p[i].blSelected = true; }, 0},
        {"two swapped", [](PathArray &p) { std::swap(p[2300], p[2301]); }, 2},  // one moved (its shape), one new
        {"the first to the front", [](PathArray &p) { std::rotate(p.begin() + 1, p.begin() + 2, p.end()); }, 0, 1},
        {"one deleted", [](PathArray &p) { p.erase(p.begin() + 4500); }, 0, 4500},
    };
    PathArray paths = Lines(9000);
    SharedPathArray last(paths);
    for (const auto &step : steps) {
        SCOPED_TRACE(step.name);
        const PathArray before = paths;
        step.edit(paths);
        const SharedPathArray next(paths, &last);
        EXPECT_TRUE(next == paths);
        EXPECT_EQ(last.ToArray(), before);
        if (step.movedFrom == kInPlace) {
            EXPECT_EQ(next.RecordsNotSharedWith(&last), step.records);
        } else {
            for (size_t i = 0; i < paths.size() && i + 1 < last.size(); ++i) {
                ASSERT_TRUE(next.SharesRecord(last, i, i < step.movedFrom ? i : i + 1)) << i;
            }
        }
        last = next;
    }
}

TEST(SharedPathArray, ASelectionChangeIsAChange)
{
    PathArray paths = Lines(2);
    const SharedPathArray first(paths);
    paths[2].blSelected = true;
    const SharedPathArray next(paths, &first);
    EXPECT_TRUE(next[2].blSelected);
    EXPECT_FALSE(first[2].blSelected);
}

class HistorySharingTest : public testsupport::RecordingHostTest {
protected:
    void SetUp() override
    {
        RecordingHostTest::SetUp();
        NewDocument();
    }
};

TEST_F(HistorySharingTest, AStepKeepsOnlyTheChangedPathAndUndoRestoresEveryPath)
{
    Doc().DocPaths = Lines(1000);
    RecordHistory();
    const PathArray before = Doc().DocPaths;
    Doc().DocPaths[500].Anchors[0].X += 7;
    RecordHistory();
    const PathArray after = Doc().DocPaths;

    const std::vector<HistoryEntry> &entries = History().HistoryEntries;
    ASSERT_EQ(entries.size(), 3u);
    EXPECT_EQ(Shared(entries[2].Paths, entries[1].Paths, 1, 1001).size(), 999u);
    EXPECT_FALSE(entries[2].Paths.SharesRecord(entries[1].Paths, 500));

    Doc().DocPaths[1].FillColor = 0xFF00FF00;  // the document changing leaves the entries alone
    UndoHistory();
    EXPECT_EQ(Doc().DocPaths, before);
    RedoHistory();
    EXPECT_EQ(Doc().DocPaths, after);
}

// The canvas movie written between two steps (or not) changes nothing the history keeps: the
// second step shares every record the edit left alone, and the first entry still equals the
// drawing it was taken of.
TEST_F(HistorySharingTest, StepsShareUnchangedRecordsWhetherOrNotTheCanvasMovieWasWritten)
{
    for (bool written : {false, true}) {
        SCOPED_TRACE(written);
        NewDocument();
        Doc().DocPaths = Lines(300);
        RecordHistory();
        if (written) {
            movie::MakeCanvasMovie();
        }
        Doc().DocPaths[7].LineWidth += 20;
        RecordHistory();
        const std::vector<HistoryEntry> &entries = History().HistoryEntries;
        ASSERT_EQ(entries.size(), 3u);
        EXPECT_EQ(Shared(entries[2].Paths, entries[1].Paths, 1, 301).size(), 299u);
        EXPECT_TRUE(entries[1].Paths == Lines(300));
    }
}
