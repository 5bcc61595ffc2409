#include "core/history.h"

#include "core/document.h"
#include "core/document_lifecycle.h"
#include "core/host.h"
#include "core/path_builder.h"

#include <algorithm>

namespace core {
namespace {

HistoryState g_history;

const HistoryEntry *CurrentEntry()
{
    const std::vector<HistoryEntry> &entries = g_history.HistoryEntries;
    const int32_t pos = g_history.HistoryPos;
    return pos >= 0 && static_cast<size_t>(pos) < entries.size() ? &entries[static_cast<size_t>(pos)] : nullptr;
}

// The marks of the document's paths when it was made equal to entry, if they were noted.
const std::vector<PathMark> *EntryMarks(const HistoryEntry *entry)
{
    return entry && g_history.EntryMarksOf == entry->Paths.Id() ? &g_history.EntryMarks : nullptr;
}

// The document's paths are now equal to entry's.
void NoteEntryMarks(const HistoryEntry &entry)
{
    const std::vector<PathMark> &marks = Doc().DocPaths.Marks();
    g_history.EntryMarks.assign(marks.begin(), marks.end());
    g_history.EntryMarksOf = entry.Paths.Id();
}

// Replaces the document's paths and anchor selection by copies of the entry's; left is the entry
// the document was equal to before.
void RestoreEntry(const HistoryEntry &entry, const HistoryEntry &left)
{
    Document &doc = Doc();
    if (const std::vector<PathMark> *marks = EntryMarks(&left)) {
        entry.Paths.CopyChangedTo(doc.DocPaths, left.Paths, *marks);
    } else {
        entry.Paths.CopyTo(doc.DocPaths);
    }
    if (doc.DocPaths.empty()) {
        doc.DocPaths.emplace_back();
    }
    doc.SelectedAnchors = entry.SelAnchors;
    if (doc.SelectedAnchors.empty()) {
        doc.SelectedAnchors.emplace_back();
    }
    NoteEntryMarks(entry);
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
    NoteEntryMarks(g_history.HistoryEntries.front());
}

SharedPathArray ShareDocumentPaths()
{
    const HistoryEntry *entry = CurrentEntry();
    return SharedPathArray(Doc().DocPaths, entry ? &entry->Paths : nullptr, EntryMarks(entry));
}

void RecordHistory()
{
    std::vector<HistoryEntry> &entries = g_history.HistoryEntries;
    // The step's unchanged paths are shared with the entry the document was last equal to.
    HistoryEntry entry;
    entry.Paths = ShareDocumentPaths();
    // Paths given back their stored anchors (a move and its opposite) hold those again; the
    // paths unchanged since the document was last equal to an entry hold what they held then.
    entry.Paths.ShareAnchorsWith(Doc().DocPaths, EntryMarks(CurrentEntry()));
    entry.SelAnchors = Doc().SelectedAnchors;
    ++g_history.HistoryPos;
    entries.resize(static_cast<size_t>(g_history.HistoryPos));
    entries.push_back(std::move(entry));
    NoteEntryMarks(entries.back());
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
    RestoreEntry(g_history.HistoryEntries[static_cast<size_t>(g_history.HistoryPos)],
                 g_history.HistoryEntries[static_cast<size_t>(g_history.HistoryPos) + 1]);
}

void RedoHistory()
{
    EndPathInProgress();
    if (!CanRedo()) {
        return;
    }
    ++g_history.HistoryPos;
    RestoreEntry(g_history.HistoryEntries[static_cast<size_t>(g_history.HistoryPos)],
                 g_history.HistoryEntries[static_cast<size_t>(g_history.HistoryPos) - 1]);
}

}  // namespace core
