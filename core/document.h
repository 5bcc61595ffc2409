// The document: the drawing core's module state and the accessors through which the rest of the
// program reads and changes paths. None of them records history or redraws unless said.
#pragma once

#include "core/canvas_settings.h"
#include "core/path_record.h"

#include <cstdint>
#include <optional>
#include <string>
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
// Stores a copy as path i.
void SetPath(int32_t i, const PathRecord &record);
int32_t GetPathCount();
int32_t CountSelectedPaths();
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
// Bounds of all anchors of elements 1.., each widened by its path's full LineWidth.
Rect32 GetPathsBounds(const PathArray &paths);
// The same for one path alone.
Rect32 GetPathBounds(const PathRecord &path);

}  // namespace core
