// A series of edits of every kind, each recorded as one undo step, undone and redone step by
// step: the document equals the state recorded at each step. And what one step keeps: a path
// moved, restyled or selected keeps the anchors of its stored record, so a step's memory follows
// what it changed, not the drawing's size.
#include "core/clipboard.h"
#include "core/document.h"
#include "core/document_lifecycle.h"
#include "core/groups.h"
#include "core/history.h"
#include "core/path_attributes.h"
#include "core/shared_paths.h"
#include "recording_host.h"
#include "tests/support/path_edits.h"

#include <gtest/gtest.h>

#include <climits>
#include <functional>
#include <string>
#include <utility>
#include <vector>

using namespace core;

namespace {

// Path i: a closed four-anchor outline with a control point, a radial gradient with two middle
// stops on every third path, members of a group of three on every tenth.
PathRecord Outline(int32_t i)
{
    PathRecord path;
    const int32_t x = 37 * i;
    const int32_t y = 11 * (i % 97);
    path.Anchors = {AnchorPoint{x, y}, AnchorPoint{x + 300, y, kControlPoint}, AnchorPoint{x + 300, y + 200},
                    AnchorPoint{x, y + 200}};
    path.blClosed = true;
    path.LineMode = 1;
    path.LineWidth = 20 + i % 5;
    path.LineColor = 0xFF000000u | static_cast<uint32_t>(i);
    path.FillType = i % 3 == 0 ? kFillRadial : kFillSolid;
    path.FillColor = 0xFF00FF00u ^ static_cast<uint32_t>(i);
    if (path.FillType == kFillRadial) {
        path.GradCenterX = x + 150;
        path.GradCenterY = y + 100;
        path.GradRatioX = 0.25f;
        path.GradRatioY = 0.5f;
        path.SetStopCount(2);
        path.Stops[1] = GradStop{0xFF112233u, 80};
        path.Stops[2] = GradStop{0xFF445566u, 170};
    }
    if (i % 10 < 3) {
        path.blGroup = true;
        path.GroupID = i / 10 + 1;
    }
    return path;
}

PathArray Outlines(int32_t count)
{
    PathArray paths{PathRecord()};
    for (int32_t i = 1; i <= count; ++i) {
        paths.push_back(Outline(i));
    }
    return paths;
}

// The select tool's move of the selected paths: anchors and gradient centres by (dx, dy).
void MoveSelected(int32_t dx, int32_t dy)
{
    for (PathRecord &path : Doc().DocPaths) {
        if (!path.blSelected) {
            continue;
        }
        testsupport::ShiftPath(path, dx, dy);
    }
}

// Anchor k of path i at x = from + 10 k.
void SetAnchorXs(int32_t i, int32_t from)
{
    AnchorArray &anchors = Doc().DocPaths.at(static_cast<size_t>(i)).Anchors;
    for (size_t k = 0; k < anchors.size(); ++k) {
        anchors[k].X = from + 10 * static_cast<int32_t>(k);
    }
}

void SelectOnly(std::vector<int32_t> paths)
{
    DeselectAllPaths();
    for (int32_t i : paths) {
        Doc().DocPaths.at(static_cast<size_t>(i)).blSelected = true;
    }
}

// One edit of the series; records its own undo step when records is true.
struct Edit {
    std::string name;
    std::function<void()> apply;
    bool records = false;
};

std::vector<Edit> EditSeries()
{
    return {
        {"move one", [] { SelectOnly({2}); MoveSelected(40, -7); }},
        {"move the same one again", [] { MoveSelected(-15, 3); }},
        {"move all", [] { SelectAllPaths(); MoveSelected(-40, 25); }},
        {"recolour the selection", [] { SetSelectedColors({0xFF0000FFu, 0xFF00FFFFu, 0xFFFF00FFu}, true, true, true); },
         true},
        {"move all after recolouring", [] { MoveSelected(5, 5); }},
        {"restyle all", [] { for (PathRecord &path : Doc().DocPaths) path.LineWidth += 2; }},
        {"move all after restyling", [] { MoveSelected(-5, 8); }},
        {"a gradient centre at the left edge", [] { SelectOnly({3}); Doc().DocPaths[3].GradCenterX = INT32_MIN + 10; }},
        // The stored attributes would put the centre further left than a coordinate reaches.
        {"its anchors moved right, the centre left there",
         [] { for (AnchorPoint &anchor : Doc().DocPaths[3].Anchors) anchor.X += 100; }},
        {"reshape one", [] { SelectOnly({3}); Doc().DocPaths[3].Anchors[1].X += 9; }},
        {"add", [] { Doc().DocPaths.push_back(Outline(900)); }},
        {"delete", [] { SelectOnly({1, 4}); DeleteSelectedPaths(); }},
        {"group", [] { SelectOnly({1, 2, 3}); MakeGroup(true); }},
        {"reorder", [] { SelectOnly({2}); ChangePathOrder(kOrderToFront); }},
        {"select anchors", [] { Doc().SelectedAnchors = {AnchorRef(), AnchorRef{1, 0}, AnchorRef{2, 3}}; }},
        {"put one at the left edge", [] { SelectOnly({1}); SetAnchorXs(1, INT32_MIN); }},
        {"move it further than an offset reaches", [] { SetAnchorXs(1, INT32_MAX - 100); }},
        {"give its outline back", [] { Doc().DocPaths[1] = Outline(1); }},
        {"delete all", [] { SelectAllPaths(); DeleteSelectedPaths(); }},
    };
}

struct Recorded {
    PathArray paths;
    std::vector<AnchorRef> anchors;
};

Recorded DocumentNow()
{
    return {Doc().DocPaths, Doc().SelectedAnchors};
}

void ExpectDocumentIs(const Recorded &state, const std::string &where)
{
    SCOPED_TRACE(where);
    ASSERT_EQ(Doc().DocPaths.size(), state.paths.size());
    for (size_t i = 0; i < state.paths.size(); ++i) {
        ASSERT_EQ(Doc().DocPaths[i], state.paths[i]) << "path " << i;  // the selection flag included
    }
    EXPECT_EQ(Doc().SelectedAnchors, state.anchors);
}

class HistoryStepsTest : public testsupport::RecordingHostTest, public ::testing::WithParamInterface<int32_t> {
protected:
    void SetUp() override
    {
        RecordingHostTest::SetUp();
        ResetClipboardForTest();
        NewDocument();
    }
};

}  // namespace

// Drawings inside one block of stored paths, across blocks, and across pages of blocks.
INSTANTIATE_TEST_SUITE_P(DrawingSizes, HistoryStepsTest, ::testing::Values(5, 300, 4200));

TEST_P(HistoryStepsTest, EveryStepUndoesAndRedoesToTheStateRecordedWithIt)
{
    Doc().DocPaths = Outlines(GetParam());
    StartHistoryWithDocument();
    RecordHistory();
    std::vector<Recorded> states{DocumentNow()};
    const std::vector<Edit> series = EditSeries();
    for (const Edit &edit : series) {
        edit.apply();
        if (!edit.records) {
            RecordHistory();
        }
        states.push_back(DocumentNow());
        ASSERT_TRUE(History().HistoryEntries.back().Paths == Doc().DocPaths) << edit.name;
    }
    ASSERT_EQ(History().HistoryPos, static_cast<int32_t>(series.size()) + 1);

    // The selection changes between steps without a step of its own; undo puts it back.
    for (size_t k = states.size() - 1; k-- > 0;) {
        SelectAllPaths();
        UndoHistory();
        ExpectDocumentIs(states[k], "undo to before " + (k < series.size() ? series[k].name : std::string()));
    }
    for (size_t k = 1; k < states.size(); ++k) {
        DeselectAllPaths();
        RedoHistory();
        ExpectDocumentIs(states[k], "redo of " + series[k - 1].name);
    }
    EXPECT_FALSE(CanRedo());
}

// What a step keeps beside the step before it, at drawings of growing size.
struct StepCost {
    size_t records = 0;  // path records of its own
    size_t bytes = 0;    // bytes of its own: records and tables
};

StepCost CostOfStep(int32_t pathCount, const std::function<void()> &edit)
{
    NewDocument();
    Doc().DocPaths = Outlines(pathCount);
    StartHistoryWithDocument();
    RecordHistory();
    const int32_t position = History().HistoryPos;
    edit();
    if (History().HistoryPos == position) {  // the edit records no step of its own
        RecordHistory();
    }
    const std::vector<HistoryEntry> &entries = History().HistoryEntries;
    const SharedPathArray &before = entries[entries.size() - 2].Paths;
    const SharedPathArray &step = entries.back().Paths;
    return {step.RecordsNotSharedWith(&before), step.BytesNotSharedWith(&before)};
}

TEST_F(HistoryStepsTest, AOnePathStepTakesTheSameMemoryWhateverTheDrawingsSize)
{
    const struct {
        const char *name;
        std::function<void()> edit;
        size_t records;  // records the step holds of its own
    } steps[] = {
        {"move one", [] { SelectOnly({700}); MoveSelected(40, 0); }, 0},
        // The stored path holds its colours beside the record it shares.
        {"recolour one", [] { SelectOnly({700}); SetSelectedColors({0xFF0000FFu, 0, 0}, true, false, false); }, 0},
        {"reshape one", [] { Doc().DocPaths[700].Anchors[2].Y += 1; }, 1},
    };
    for (const auto &step : steps) {
        SCOPED_TRACE(step.name);
        const StepCost small = CostOfStep(1000, step.edit);
        const StepCost large = CostOfStep(100000, step.edit);
        EXPECT_EQ(small.records, step.records);
        EXPECT_EQ(large.records, step.records);
        // One block of stored paths, one page of blocks and the table of pages (one pointer per
        // 4,096 paths), with a hundred times the paths.
        EXPECT_LT(small.bytes, 6000u);
        EXPECT_LT(large.bytes, 6000u);
    }
}

TEST_F(HistoryStepsTest, AMoveOfEveryPathKeepsNoRecordOfItsOwn)
{
    const StepCost cost = CostOfStep(10000, [] {
        SelectAllPaths();
        MoveSelected(-300, 120);
    });
    EXPECT_EQ(cost.records, 0u);
    EXPECT_LT(cost.bytes, 10000u * 64);  // the stored paths' offsets, no anchors
    UndoHistory();
    EXPECT_EQ(Doc().DocPaths, Outlines(10000));
}

// A recolour keeps the colours beside the stored records, and a move after a restyle moves the
// restyled attributes' gradient centres with the anchors: neither step holds a record of its own.
// Undo gives back the colours on the anchors the entry holds, and editing the restored document
// in place leaves the entries as recorded.
TEST_F(HistoryStepsTest, ARecolourAndAMoveAfterARestyleKeepNoRecordOfTheirOwn)
{
    NewDocument();
    Doc().DocPaths = Outlines(3000);
    StartHistoryWithDocument();
    SelectAllPaths();
    RecordHistory();
    const std::vector<HistoryEntry> &entries = History().HistoryEntries;
    auto recordsOfLastStep = [&] { return entries.back().Paths.RecordsNotSharedWith(&entries[entries.size() - 2].Paths); };
    const PathArray selected = Doc().DocPaths;

    SetSelectedColors({0xFF0000FFu, 0xFF00FF00u, 0xFFFF0000u}, true, true, true);
    EXPECT_EQ(recordsOfLastStep(), 0u);
    const PathArray recoloured = Doc().DocPaths;
    EXPECT_EQ(recoloured[30].FillColor, 0xFF00FF00u);
    UndoHistory();
    ASSERT_EQ(Doc().DocPaths, selected);
    for (size_t i = 1; i < selected.size(); ++i) {
        ASSERT_TRUE(std::as_const(Doc().DocPaths)[i].Anchors.SharesStorage(entries[1].Paths[i].Anchors)) << i;
    }
    // The restored paths changed in place, anchors and colours: redo still gives the recolour.
    for (PathRecord &path : Doc().DocPaths) {
        testsupport::ShiftPath(path, 3, 3);
        path.FillColor = 0xFF777777u;
    }
    RedoHistory();
    ASSERT_EQ(Doc().DocPaths, recoloured);
    UndoHistory();
    ASSERT_EQ(Doc().DocPaths, selected);
    RedoHistory();

    for (size_t i = 1; i < selected.size(); ++i) {
        Doc().DocPaths[i].LineWidth += 10;
    }
    RecordHistory();
    EXPECT_EQ(recordsOfLastStep(), 3000u);  // one attributes record each
    MoveSelected(70, -20);
    RecordHistory();
    EXPECT_EQ(recordsOfLastStep(), 0u);
    const PathArray moved = Doc().DocPaths;
    EXPECT_EQ(moved[30].GradCenterX, Outline(30).GradCenterX + 70);
    EXPECT_EQ(moved[30].FillColor, 0xFF00FF00u);

    UndoHistory();
    UndoHistory();
    EXPECT_EQ(Doc().DocPaths, recoloured);
    RedoHistory();
    RedoHistory();
    EXPECT_EQ(Doc().DocPaths, moved);
}
