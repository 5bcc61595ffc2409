#include "core/history.h"

#include "core/document.h"
#include "core/document_lifecycle.h"
#include "core/host.h"
#include "core/path_builder.h"

#include <algorithm>

namespace core {
namespace {

HistoryState g_history;

// A copy of the document's paths and anchor selection, sharing the records of paths that are
// unchanged since the entry before.
HistoryEntry CaptureDocument(const HistoryEntry *before)
{
    const Document &doc = Doc();
    HistoryEntry entry;
    entry.Paths = SharedPathArray(doc.DocPaths, before ? &before->Paths : nullptr);
    entry.SelAnchors = doc.SelectedAnchors;
    return entry;
}

// Replaces the document's paths and anchor selection by copies of the entry's.
void RestoreEntry(const HistoryEntry &entry)
{
    Document &doc = Doc();
    entry.Paths.CopyTo(doc.DocPaths);
    if (doc.DocPaths.empty()) {
        doc.DocPaths.emplace_back();
    }
    doc.SelectedAnchors = entry.SelAnchors;
    if (doc.SelectedAnchors.empty()) {
        doc.SelectedAnchors.emplace_back();
    }
    GetHost().RefreshList();
    GetHost().RefreshGradient();
    SetModified(true);
}

// Keeps at most 2 x HistoryMax entries after entry 0: on reaching that, the newest HistoryMax
// entries move down to 1.. and older ones are dropped. A depth below 1 acts as 1.
void TrimHistory()
{
    const int64_t depth = std::max<int32_t>(Doc().CurrentSettings.HistoryMax, 1);
    std::vector<HistoryEntry> &entries = g_history.HistoryEntries;
    if (g_history.HistoryPos < 2 * depth) {
        return;
    }
    // The kept entries end at the current one, also when the depth was lowered meanwhile.
    auto keptBegin = entries.begin() + (g_history.HistoryPos - depth + 1);
    auto keptEnd = entries.begin() + g_history.HistoryPos + 1;
    std::move(keptBegin, keptEnd, entries.begin() + 1);
    entries.resize(static_cast<size_t>(depth) + 1);
    g_history.HistoryPos = static_cast<int32_t>(depth);
}

}  // namespace

HistoryState &History()
{
    return g_history;
}

void ResetHistoryForTest()
{
    ClearHistory();
}

void ClearHistory()
{
    g_history = HistoryState();
}

void StartHistoryWithDocument()
{
    HistoryEntry entry;
    entry.Paths = SharedPathArray(Doc().DocPaths);
    g_history.HistoryEntries.assign(1, std::move(entry));
    g_history.HistoryPos = 0;
}

void RecordHistory()
{
    std::vector<HistoryEntry> &entries = g_history.HistoryEntries;
    // The entry the document was last equal to: the step's unchanged paths are shared with it.
    HistoryEntry entry = CaptureDocument(
        g_history.HistoryPos >= 0 && static_cast<size_t>(g_history.HistoryPos) < entries.size()
            ? &entries[static_cast<size_t>(g_history.HistoryPos)]
            : nullptr);
    ++g_history.HistoryPos;
    entries.resize(static_cast<size_t>(g_history.HistoryPos));
    entries.push_back(std::move(entry));
    TrimHistory();
    SetModified(true);
    GetHost().RefreshList();
    GetHost().RefreshPosition();
    GetHost().RefreshGradient();
}

bool CanUndo()
{
    return g_history.HistoryPos > 0;
}

bool CanRedo()
{
    const int32_t upper = UpperBound(g_history.HistoryEntries);
    return upper > 0 && upper > g_history.HistoryPos;
}

void UndoHistory()
{
    EndPathInProgress();  // a path being drawn becomes a step of its own first
    if (!CanUndo()) {
        return;
    }
    --g_history.HistoryPos;
    RestoreEntry(g_history.HistoryEntries[static_cast<size_t>(g_history.HistoryPos)]);
}

void RedoHistory()
{
    EndPathInProgress();
    if (!CanRedo()) {
        return;
    }
    ++g_history.HistoryPos;
    RestoreEntry(g_history.HistoryEntries[static_cast<size_t>(g_history.HistoryPos)]);
}

}  // namespace core
