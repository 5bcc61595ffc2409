// The selected paths' edges in picture pixels, gathered at each redisplay for the overlay. A path
// whose anchors are those of a polyline of the last gathering (the same first anchor and the same
// hash of the others relative to it), found at its place in the selection's order or a few
// places on, keeps that polyline and its summary: only the paths that changed are mapped again,
// also when paths were added, removed, selected or dropped from the selection in between, and a
// scroll moves the kept polylines by whole pixels.
#pragma once

#include "canvastools/selected_edge_mask.h"
#include "canvastools/view_mapping.h"
#include "core/path_record.h"

#include <cstdint>
#include <vector>

namespace canvastools {

class SelectedEdgePolylines {
public:
    // Gathers the edges of the selected paths of two anchors or more, in path order, as the view
    // shows them: through every anchor, closed paths back to the first. Returns whether any path
    // is selected.
    bool Gather(const core::PathArray &paths, const ViewMetrics &view);
    // The same, selected holding the indexes of paths' selected paths in order.
    bool Gather(const core::PathArray &paths, const std::vector<int32_t> &selected, const ViewMetrics &view);
    const EdgePolylines &Edges() const { return edges_; }
    // Paths whose anchors were mapped so far: the work done, whatever the time it took.
    int64_t PathsMapped() const { return mapped_; }
    // Lets go of the room kept for the next gathering (a selection of every path takes much).
    void ReleaseRoom();

private:
    struct PathKey {
        int32_t firstX = 0;
        int32_t firstY = 0;
        uint64_t anchors = 0;  // hash of the count, the closing and the anchors relative to the first

        bool operator==(const PathKey &) const = default;
    };
    static PathKey KeyOf(const core::PathRecord &path);
    // Polylines of the last gathering looked at for a path beyond the next one in order.
    static constexpr size_t kLookAhead = 8;
    // Appends to next_ polyline k of edges_ moved by shift, or path mapped anew.
    void KeepPolyline(size_t k, QPoint shift);
    void MapPolyline(const core::PathRecord &path, const TwipToScreenMap &map);

    EdgePolylines edges_;
    std::vector<PathKey> keys_;  // of edges_' polylines
    EdgePolylines next_;         // while gathering
    std::vector<PathKey> nextKeys_;
    std::vector<size_t> nextPaths_;  // the index of each path in nextKeys_
    bool gathered_ = false;
    float zoom_ = 0;
    QPoint origin_;  // where the view showed twip (0, 0)
    int64_t mapped_ = 0;
};

}  // namespace canvastools
