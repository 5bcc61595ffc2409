#include "core/document.h"

#include "core/host.h"
#include "platform/base/rounding.h"

#include <algorithm>
#include <iterator>

namespace core {
namespace {

Document g_document;

int32_t WrapAnchorIndex(const PathRecord &path, int32_t k)
{
    int32_t count = static_cast<int32_t>(path.Anchors.size());
    if (count <= 0) {
        return 0;
    }
    int32_t wrapped = k % count;
    return wrapped < 0 ? wrapped + count : wrapped;
}

// Widens the box by every anchor of the path grown by the path's full LineWidth; the first anchor
// met seeds the box.
void WidenByPath(const PathRecord &path, Rect32 &box, bool &seeded)
{
    const int64_t w = path.LineWidth;
    for (const AnchorPoint &anchor : path.Anchors) {
        if (!seeded) {
            box = Rect32{anchor.X, anchor.Y, anchor.X, anchor.Y};
            seeded = true;
        }
        box.Left = platform::SaturateInt<int32_t>(std::min<int64_t>(box.Left, anchor.X - w));
        box.Right = platform::SaturateInt<int32_t>(std::max<int64_t>(box.Right, anchor.X + w));
        box.Top = platform::SaturateInt<int32_t>(std::min<int64_t>(box.Top, anchor.Y - w));
        box.Bottom = platform::SaturateInt<int32_t>(std::max<int64_t>(box.Bottom, anchor.Y + w));
    }
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
    const PathRecord *path = DocumentPath(i);
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
    PathRecord *path = DocumentPath(i);
    if (!path || path->Anchors.empty()) {
        return;
    }
    AnchorPoint &anchor = path->Anchors[static_cast<size_t>(WrapAnchorIndex(*path, k))];
    anchor.X = platform::SaturateInt<int32_t>(int64_t{anchor.X} + dx);
    anchor.Y = platform::SaturateInt<int32_t>(int64_t{anchor.Y} + dy);
}

PathRecord GetPath(int32_t i)
{
    const PathRecord *path = DocumentPath(i);
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
    int32_t count = 0;
    for (int32_t i = 1; i <= g_document.DocPathCount(); ++i) {
        if (g_document.DocPaths[static_cast<size_t>(i)].blSelected) {
            ++count;
        }
    }
    return count;
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
        const PathRecord &path = g_document.DocPaths[static_cast<size_t>(i)];
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
        g_document.DocPaths[static_cast<size_t>(i)].blSelected = false;
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
        g_document.DocPaths[static_cast<size_t>(i)].blSelected = true;
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
    for (int32_t i = 1; i <= g_document.DocPathCount(); ++i) {
        g_document.DocPaths[static_cast<size_t>(i)] = (*snapshot)[static_cast<size_t>(i)];
    }
}

int32_t RemoveEmptyPaths(PathArray &paths)
{
    if (paths.empty()) {
        return 0;
    }
    auto firstEmpty = std::remove_if(paths.begin() + 1, paths.end(),
                                     [](const PathRecord &path) { return path.AnchorMax() < 1; });
    paths.erase(firstEmpty, paths.end());
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

Rect32 GetPathsBounds(const PathArray &paths)
{
    Rect32 box;
    bool seeded = false;
    for (int32_t a = 1; a <= UpperBound(paths); ++a) {
        WidenByPath(paths[static_cast<size_t>(a)], box, seeded);
    }
    return box;
}

Rect32 GetPathBounds(const PathRecord &path)
{
    Rect32 box;
    bool seeded = false;
    WidenByPath(path, box, seeded);
    return box;
}

}  // namespace core
