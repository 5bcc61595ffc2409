// Undo history: the whole document, one entry per change. Every change command ends with
// RecordHistory, which also marks the document modified and refreshes the path list and panels.
// An entry's paths share the records of unchanged paths with the entry before (they never change
// once stored), and a path only moved, recoloured, restyled or selected keeps the anchors of its
// stored record with the offset and its colours beside them, so a step takes memory for what it
// changed.
#pragma once

#include "core/path_record.h"
#include "core/shared_paths.h"

#include <cstdint>
#include <vector>

namespace core {

// One state of the document: its paths (shared with the document where unchanged) and its anchor
// selection.
struct HistoryEntry {
    SharedPathArray Paths;                           // element 0 unused; 1 .. PathCount()
    std::vector<AnchorRef> SelAnchors{AnchorRef()};  // entry 0 scratch

    int32_t PathCount() const { return Paths.empty() ? 0 : static_cast<int32_t>(Paths.size()) - 1; }
};

struct HistoryState {
    // Entry 0 is the new or opened document; each later entry the state after one change. Changing
    // the document never alters an entry.
    std::vector<HistoryEntry> HistoryEntries{HistoryEntry()};
    int32_t HistoryPos = 0;  // the entry equal to the current document; entries above are redo
    // The marks the document's paths had when it was last made equal to an entry (recorded or
    // restored), and the Id() of that entry's paths: the next entry and a restore compare the
    // document with that entry by them.
    std::vector<PathMark> EntryMarks;
    uint64_t EntryMarksOf = 0;
};

HistoryState &History();

// Puts the history back to a single empty entry 0 at position 0.
void ResetHistoryForTest();

// One empty entry 0 at position 0 (a new document).
void ClearHistory();
// The history is the current document alone, as entry 0 at position 0, with no anchor selected.
void StartHistoryWithDocument();

// A copy of the document's paths sharing the records of the entry at HistoryPos where they are
// unchanged.
SharedPathArray ShareDocumentPaths();

// Stores the document as the next entry, drops the redo tail, trims to the undo depth, marks the
// document modified and refreshes the path list and the position and gradient panels.
void RecordHistory();

bool CanUndo();
bool CanRedo();
// One entry back (nothing at entry 0) / forward (nothing at the newest); restores the paths and
// the anchor selection, refreshes the path list and gradient panel and marks the document modified.
void UndoHistory();
void RedoHistory();

}  // namespace core
