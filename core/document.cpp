#include "core/document.h"

#include "core/host.h"
#include "platform/base/rounding.h"

#include <algorithm>
#include <iterator>

namespace core {
namespace {

Document g_document;

// What SelectedPaths found: each path's mark and whether it was selected, and the selected ones.
struct SelectionIndex {
    std::vector<PathMark> marks;
    std::vector<uint8_t> selected;
    std::vector<int32_t> paths;
};
SelectionIndex g_selection;

int32_t WrapAnchorIndex(const PathRecord &path, int32_t k)
{
    int32_t count = static_cast<int32_t>(path.Anchors.size());
    if (count <= 0) {
        return 0;
    }
    int32_t wrapped = k % count;
    return wrapped < 0 ? wrapped + count : wrapped;
}

// Path i of the document, or nullptr when i names no path. A stale index (a selected anchor of a
// path deleted since) must never take the program down.
PathRecord *DocumentPath(int32_t i)
{
    if (i < 1 || i > g_document.DocPathCount()) {
        return nullptr;
    }
    return &g_document.DocPaths[static_cast<size_t>(i)];
}

// The same to read.
const PathRecord *DocumentPathToRead(int32_t i)
{
    if (i < 1 || i > g_document.DocPathCount()) {
        return nullptr;
    }
    return &std::as_const(g_document.DocPaths)[static_cast<size_t>(i)];
}

}  // namespace

Document &Doc()
{
    return g_document;
}

void ResetDocumentForTest()
{
    g_document = Document();
}

void GetAnchor(int32_t &x, int32_t &y, int32_t &lineWidth, int32_t i, int32_t k)
{
    x = y = lineWidth = 0;
    const PathRecord *path = DocumentPathToRead(i);
    if (!path) {
        return;
    }
    lineWidth = path->LineWidth;
    if (path->Anchors.empty()) {
        return;
    }
    const AnchorPoint &anchor = path->Anchors[static_cast<size_t>(WrapAnchorIndex(*path, k))];
    x = anchor.X;
    y = anchor.Y;
}

void MoveAnchor(int32_t dx, int32_t dy, int32_t i, int32_t k)
{
    const PathRecord *found = DocumentPathToRead(i);
    if (!found || found->Anchors.empty()) {
        return;
    }
    PathRecord *path = DocumentPath(i);
    AnchorPoint &anchor = path->Anchors[static_cast<size_t>(WrapAnchorIndex(*path, k))];
    anchor.X = platform::SaturateInt<int32_t>(int64_t{anchor.X} + dx);
    anchor.Y = platform::SaturateInt<int32_t>(int64_t{anchor.Y} + dy);
}

PathRecord GetPath(int32_t i)
{
    const PathRecord *path = DocumentPathToRead(i);
    return path ? *path : PathRecord();
}

void SetPath(int32_t i, const PathRecord &record)
{
    PathRecord *path = DocumentPath(i);
    if (!path) {
        return;
    }
    *path = record;
}

int32_t GetPathCount()
{
    return g_document.DocPathCount();
}

int32_t CountSelectedPaths()
{
    return static_cast<int32_t>(SelectedPaths().size());
}

const std::vector<int32_t> &SelectedPaths()
{
    // A mark is never given twice: a path with the mark kept for its place is the path read then.
    const PathArray &paths = g_document.DocPaths;
    SelectionIndex &index = g_selection;
    const bool resized = index.marks.size() != paths.size();
    bool changed = resized;
    if (resized) {
        index.marks.assign(paths.size(), PathMark{0});
        index.selected.assign(paths.size(), 0);
    }
    for (size_t i = 1; i < paths.size(); ++i) {
        if (resized || index.marks[i] != paths.Mark(i)) {
            index.marks[i] = paths.Mark(i);
            const uint8_t selected = paths[i].blSelected ? 1 : 0;
            changed = changed || selected != index.selected[i];
            index.selected[i] = selected;
        }
    }
    if (changed) {
        index.paths.clear();
        for (size_t i = 1; i < paths.size(); ++i) {
            if (index.selected[i] != 0) {
                index.paths.push_back(static_cast<int32_t>(i));
            }
        }
    }
    return index.paths;
}

Rect32 NormalizeRect(int32_t x1, int32_t y1, int32_t x2, int32_t y2)
{
    return Rect32{std::min(x1, x2), std::min(y1, y2), std::max(x1, x2), std::max(y1, y2)};
}

int32_t FindAnchorsInRect(int32_t x1, int32_t y1, int32_t x2, int32_t y2, std::vector<AnchorRef> &pairs)
{
    Rect32 r = NormalizeRect(x1, y1, x2, y2);
    pairs.assign(1, AnchorRef());
    int32_t n = 0;
    for (int32_t i = 1; i <= g_document.DocPathCount(); ++i) {
        const PathRecord &path = std::as_const(g_document.DocPaths)[static_cast<size_t>(i)];
        if (path.IsHidden() || path.IsLocked()) {
            continue;
        }
        for (int32_t j = 0; j <= path.AnchorMax(); ++j) {
            const AnchorPoint &a = path.Anchors[static_cast<size_t>(j)];
            if (a.X >= r.Left && a.X <= r.Right && a.Y >= r.Top && a.Y <= r.Bottom) {
                if (n > 0) {
                    pairs.emplace_back();
                }
                pairs[static_cast<size_t>(n)] = AnchorRef{i, j};
                ++n;
            }
        }
    }
    return n;
}

void DeselectAllPaths()
{
    if (g_document.DocPathCount() == 0) {
        return;
    }
    for (int32_t i = 1; i <= g_document.DocPathCount(); ++i) {
        if (DocPath(i).blSelected) {
            ChangeDocPath(i).blSelected = false;
        }
    }
    GetHost().RefreshSelect();
    GetHost().RefreshPosition();
    GetHost().RefreshGradient();
}

void SelectAllPaths()
{
    if (g_document.DocPathCount() == 0) {
        return;
    }
    for (int32_t i = 1; i <= g_document.DocPathCount(); ++i) {
        if (!DocPath(i).blSelected) {
            ChangeDocPath(i).blSelected = true;
        }
    }
    GetHost().RefreshSelect();
}

void SavePathSnapshot()
{
    g_document.PathSnapshot.reset();
    if (g_document.DocPathCount() > 0) {
        g_document.PathSnapshot = g_document.DocPaths;
    }
}

void RestorePathSnapshot()
{
    const auto &snapshot = g_document.PathSnapshot;
    if (!snapshot || g_document.DocPathCount() == 0 || UpperBound(*snapshot) != g_document.DocPathCount()) {
        return;
    }
    for (size_t i = 1; i < g_document.DocPaths.size(); ++i) {
        g_document.DocPaths.CopyPath(i, *snapshot, i);
    }
}

int32_t RemoveEmptyPaths(PathArray &paths)
{
    if (paths.empty()) {
        return 0;
    }
    const PathArray &read = paths;
    paths.RemoveIf(1, [&read](size_t i) { return read[i].AnchorMax() < 1; });
    return UpperBound(paths);
}

void AppendPaths(PathCollection &destination, const PathCollection &source)
{
    if (source.PathCount() > 0) {
        AppendPaths(destination, PathCollection(source));
    }
}

void AppendPaths(PathCollection &destination, PathCollection &&source)
{
    int32_t s = source.PathCount();
    if (s == 0 || s + destination.PathCount() == 0) {
        return;
    }
    if (destination.Paths.empty()) {
        destination.Paths.emplace_back();
    }
    destination.Paths.insert(destination.Paths.end(), std::make_move_iterator(source.Paths.begin() + 1),
                             std::make_move_iterator(source.Paths.end()));
}

Rect32 WidenedAnchorExtremes(const PathRecord &path)
{
    int64_t left = INT64_MAX;
    int64_t top = INT64_MAX;
    int64_t right = INT64_MIN;
    int64_t bottom = INT64_MIN;
    const int64_t w = path.LineWidth;
    for (const AnchorPoint &anchor : path.Anchors) {
        left = std::min<int64_t>(left, anchor.X - w);
        right = std::max<int64_t>(right, anchor.X + w);
        top = std::min<int64_t>(top, anchor.Y - w);
        bottom = std::max<int64_t>(bottom, anchor.Y + w);
    }
    if (path.Anchors.empty()) {
        return kNoAnchorExtremes;
    }
    return Rect32{platform::SaturateInt<int32_t>(left), platform::SaturateInt<int32_t>(top),
                  platform::SaturateInt<int32_t>(right), platform::SaturateInt<int32_t>(bottom)};
}

Rect32 GetPathsBounds(const PathArray &paths)
{
    return PathsBoundsOf(paths, [&paths](size_t i) { return WidenedAnchorExtremes(paths[i]); });
}

Rect32 GetPathBounds(const PathRecord &path)
{
    if (path.Anchors.empty()) {
        return Rect32();
    }
    return WidenedBox(path.Anchors[0], WidenedAnchorExtremes(path));
}

}  // namespace core
