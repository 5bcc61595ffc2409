// The document: the drawing core's module state and the accessors through which the rest of the
// program reads and changes paths. None of them records history or redraws unless said.
#pragma once

#include "core/canvas_settings.h"
#include "core/path_record.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace core {

struct Document {
    PathArray DocPaths{PathRecord()};  // element 0 always exists, empty; paths 1 .. DocPathCount()
    std::vector<AnchorRef> SelectedAnchors{AnchorRef()};  // entries 1..; entry 0 scratch
    std::optional<PathArray> PathSnapshot;  // copy of the document taken at a drag's start
    CanvasSettings CurrentSettings;

    float ZoomRate = 1.0f;          // 1.0 = 100 %
    std::string CanvasTempFile;     // the canvas movie's path
    Rect32 ViewExtent;              // canvas pixels shown by the last canvas movie
    uint32_t PlayerBackColor = 0xFFFFFF;  // 0x00RRGGBB
    int32_t HitPath = 0;            // path and anchor under the cursor (set by the canvas tools)
    int32_t HitAnchor = 0;
    int32_t HitPath2 = 0;           // the second end of a hit segment
    int32_t HitAnchor2 = 0;
    Rect32 AreaSelectRect;

    int32_t DocPathCount() const { return UpperBound(DocPaths); }
    // Number of selected anchors (entries 1 .. upper bound of SelectedAnchors).
    int32_t SelectedAnchorCount() const { return UpperBound(SelectedAnchors); }
};

Document &Doc();

// Puts the drawing core's document state back to its initial values.
void ResetDocumentForTest();

// Anchor k of path i; k wraps modulo the anchor count. Gives the path's LineWidth too.
void GetAnchor(int32_t &x, int32_t &y, int32_t &lineWidth, int32_t i, int32_t k);
// Adds (dx, dy) to anchor k of path i (same wrap, saturating).
void MoveAnchor(int32_t dx, int32_t dy, int32_t i, int32_t k);
PathRecord GetPath(int32_t i);
// Path i of the document (1 .. DocPathCount()) to read, its mark left as it is, or to change,
// which gives it a new mark.
inline const PathRecord &DocPath(int32_t i)
{
    return std::as_const(Doc().DocPaths)[static_cast<size_t>(i)];
}
inline PathRecord &ChangeDocPath(int32_t i)
{
    return Doc().DocPaths[static_cast<size_t>(i)];
}
// Calls change(path) for every selected path of the document (only they take new marks); true
// when any path is selected.
template <typename Change>
bool ChangeSelectedDocPaths(Change change)
{
    bool any = false;
    for (int32_t i = 1; i <= Doc().DocPathCount(); ++i) {
        if (DocPath(i).blSelected) {
            change(ChangeDocPath(i));
            any = true;
        }
    }
    return any;
}
// Stores a copy as path i.
void SetPath(int32_t i, const PathRecord &record);
int32_t GetPathCount();
int32_t CountSelectedPaths();
// The selected paths of the document (1 .. DocPathCount()), in order. What a call found is kept by
// the paths' marks: the next call reads again only the paths whose marks changed. Valid until the
// document's paths change.
const std::vector<int32_t> &SelectedPaths();
Rect32 NormalizeRect(int32_t x1, int32_t y1, int32_t x2, int32_t y2);
// Anchors of visible, unlocked paths inside the rectangle (edges included), in path and anchor
// order in pairs[0 .. n-1]; pairs holds one zeroed entry when nothing is found.
int32_t FindAnchorsInRect(int32_t x1, int32_t y1, int32_t x2, int32_t y2, std::vector<AnchorRef> &pairs);
void DeselectAllPaths();
void SelectAllPaths();
void SavePathSnapshot();
void RestorePathSnapshot();
// Removes elements 1.. with AnchorMax() < 1; returns the new upper bound.
int32_t RemoveEmptyPaths(PathArray &paths);
void AppendPaths(PathCollection &destination, const PathCollection &source);
// The same, moving the source's paths instead of copying them.
void AppendPaths(PathCollection &destination, PathCollection &&source);
// The smallest and largest sides of a path's anchors each widened by its full LineWidth
// (saturated); kNoAnchorExtremes for a path without anchors.
constexpr Rect32 kNoAnchorExtremes{INT32_MAX, INT32_MAX, INT32_MIN, INT32_MIN};
Rect32 WidenedAnchorExtremes(const PathRecord &path);
// The box seeded at anchor seed and widened by extremes.
inline Rect32 WidenedBox(const AnchorPoint &seed, const Rect32 &extremes)
{
    return Rect32{std::min(seed.X, extremes.Left), std::min(seed.Y, extremes.Top), std::max(seed.X, extremes.Right),
                  std::max(seed.Y, extremes.Bottom)};
}
// Bounds of all anchors of elements 1.., each widened by its path's full LineWidth; the first
// anchor seeds them (all zero when no path has anchors).
Rect32 GetPathsBounds(const PathArray &paths);
// The same from each path's WidenedAnchorExtremes, given by extremesOf(i) for path i.
template <typename ExtremesOf>
Rect32 PathsBoundsOf(const PathArray &paths, ExtremesOf extremesOf)
{
    size_t first = 1;
    while (first < paths.size() && paths[first].Anchors.empty()) {
        ++first;
    }
    if (first >= paths.size()) {
        return Rect32();
    }
    const AnchorPoint &seed = paths[first].Anchors[0];
    Rect32 box{seed.X, seed.Y, seed.X, seed.Y};
    for (size_t i = first; i < paths.size(); ++i) {
        const Rect32 &extremes = extremesOf(i);  // neutral for a path without anchors
        box = Rect32{std::min(box.Left, extremes.Left), std::min(box.Top, extremes.Top),
                     std::max(box.Right, extremes.Right), std::max(box.Bottom, extremes.Bottom)};
    }
    return box;
}
// The same for one path alone.
Rect32 GetPathBounds(const PathRecord &path);

}  // namespace core
