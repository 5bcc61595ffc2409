// The history holds the document's anchors without copying them: entry 0 of an opened drawing
// shares them all, and every later change of the document, by any kind of edit, leaves each entry
// as it was recorded, so that undo and redo give back exactly the recorded documents.
#include "core/document.h"
#include "core/document_lifecycle.h"
#include "core/history.h"
#include "core/path_attributes.h"
#include "core/shared_paths.h"
#include "recording_host.h"
#include "tests/support/path_edits.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

using namespace core;

namespace {

PathArray Drawing(int32_t count)
{
    PathArray paths{PathRecord()};
    for (int32_t i = 1; i <= count; ++i) {
        PathRecord path;
        for (int32_t k = 0; k < 5 + i % 4; ++k) {
            path.Anchors.push_back(AnchorPoint{100 * i + 13 * k, 7 * k * k, static_cast<int16_t>(k % 2)});
        }
        path.blClosed = i % 2 == 0;
        path.FillType = kFillSolid;
        path.FillColor = 0xFF000000u | static_cast<uint32_t>(i);
        paths.push_back(std::move(path));
    }
    return paths;
}

// A copy holding storage of its own: what the document was, whatever is shared afterwards.
PathArray Apart(const PathArray &paths)
{
    PathArray copy{paths};
    for (size_t i = 0; i < copy.size(); ++i) {
        copy[i].Anchors = AnchorArray(std::as_const(paths)[i].Anchors.ToVector());
    }
    return copy;
}

PathRecord &Path(size_t i)
{
    return Doc().DocPaths[i];
}

// Edits of the document's anchors in place, each recorded as one step.
const struct {
    const char *name;
    std::function<void()> edit;
} kEdits[] = {
    {"write one anchor", [] { Path(3).Anchors[1].X += 9; }},
    {"move every path", [] { for (PathRecord &path : Doc().DocPaths) testsupport::ShiftPath(path, 40, -3); }},
    {"move them back", [] { for (PathRecord &path : Doc().DocPaths) testsupport::ShiftPath(path, -40, 3); }},
    {"append and insert", [] { Path(2).Anchors.push_back(AnchorPoint{1, 2}); Path(5).Anchors.insert(Path(5).Anchors.begin(), AnchorPoint{3, 4}); }},
    {"erase and reverse", [] { Path(4).Anchors.erase(Path(4).Anchors.begin()); std::reverse(Path(6).Anchors.begin(), Path(6).Anchors.end()); }},
    {"recolour one", [] { Path(7).FillColor = 0xFF123456u; }},
    {"replace a record", [] { Path(1) = Path(8); }},
    {"add and delete", [] { Doc().DocPaths.push_back(Drawing(2)[2]); Doc().DocPaths.erase(Doc().DocPaths.begin() + 9); }},
    {"resize and clear", [] { Path(2).Anchors.resize(2); Path(3).Anchors.clear(); }},
};

class HistoryAnchorsTest : public testsupport::RecordingHostTest {
protected:
    void SetUp() override
    {
        RecordingHostTest::SetUp();
        NewDocument();
        Doc().DocPaths = Drawing(200);
        StartHistoryWithDocument();
    }
};

}  // namespace

TEST_F(HistoryAnchorsTest, EntryZeroHoldsTheOpenedDrawingsAnchorsWithoutCopies)
{
    const SharedPathArray &opened = History().HistoryEntries[0].Paths;
    const size_t withAnchors = opened.BytesNotSharedWith(nullptr);
    const size_t besideTheDocument = opened.BytesNotSharedWith(nullptr, &Doc().DocPaths);
    size_t anchorBytes = 0;
    for (const PathRecord &path : std::as_const(Doc().DocPaths)) {
        anchorBytes += path.Anchors.StorageBytes();
    }
    EXPECT_EQ(withAnchors - besideTheDocument, anchorBytes);
    // Changing the document gives it anchors of its own and leaves the entry's alone.
    const PathArray before = Apart(Doc().DocPaths);
    for (PathRecord &path : Doc().DocPaths) {
        testsupport::ShiftPath(path, 5, 5);
    }
    EXPECT_TRUE(opened == before);
}

TEST_F(HistoryAnchorsTest, EditsAfterEachStepLeaveEveryEntryAsRecordedAndUndoRedoRestoreIt)
{
    std::vector<PathArray> recorded{Apart(Doc().DocPaths)};
    for (const auto &step : kEdits) {
        step.edit();
        RecordHistory();
        recorded.push_back(Apart(Doc().DocPaths));
        for (size_t k = 0; k < recorded.size(); ++k) {
            ASSERT_TRUE(History().HistoryEntries[k].Paths == recorded[k]) << step.name << ", entry " << k;
        }
    }
    // Undo, then change the restored document in place before going on: no entry changes.
    for (size_t k = recorded.size() - 1; k-- > 0;) {
        UndoHistory();
        ASSERT_EQ(Doc().DocPaths, recorded[k]) << "undo to entry " << k;
        Path(1).Anchors[0].Y += 1;
        Path(1).Anchors[0].Y -= 1;
    }
    for (size_t k = 1; k < recorded.size(); ++k) {
        RedoHistory();
        ASSERT_EQ(Doc().DocPaths, recorded[k]) << "redo to entry " << k;
        for (PathRecord &path : Doc().DocPaths) {
            testsupport::ShiftPath(path, 1, 0);
            testsupport::ShiftPath(path, -1, 0);
        }
    }
    for (size_t k = 0; k < recorded.size(); ++k) {
        EXPECT_TRUE(History().HistoryEntries[k].Paths == recorded[k]) << "entry " << k;
    }
}
