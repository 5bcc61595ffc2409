#include "canvastools/selected_edge_polylines.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <iterator>
#include <utility>

namespace canvastools {
namespace {

// Kept polylines are moved only while they lie this far inside the range of picture pixels, so
// that moving them gives what mapping them anew gives (no value held at the range's end).
constexpr int kShiftableReach = 1 << 28;

bool Shiftable(const PolylineSummary &summary, QPoint shift)
{
    const QRect &reach = summary.reach;
    return std::abs(shift.x()) < kShiftableReach && std::abs(shift.y()) < kShiftableReach &&
           reach.left() > -kShiftableReach && reach.right() < kShiftableReach && reach.top() > -kShiftableReach &&
           reach.bottom() < kShiftableReach;
}

// Whether moving a point by d twips moves its mapped pixel by the same whole number of pixels
// wherever it lies, and that number. The view maps t to floor(zoom * t / 20) plus whole
// pixels; for a zoom of the form m / 2^s with m below 2^21, zoom * t is exact and the quotient
// is rounded from a value at least 1 / (20 * 2^s) away from any integer it is not, by less than
// that: the floor is taken of the exact value, which moves by zoom * d / 20 when that is whole.
bool WholePixelMove(float zoom, int64_t d, int &pixels)
{
    if (d == 0) {
        pixels = 0;
        return true;
    }
    double m = zoom;
    int s = 0;
    while (m != std::floor(m) && s < 24) {
        m *= 2;  // exact
        ++s;
    }
    if (!(m > 0) || m >= double(1 << 21) || m != std::floor(m)) {
        return false;
    }
    const int64_t moved = static_cast<int64_t>(m) * d;
    const int64_t per = int64_t{20} << s;
    if (moved % per != 0 || std::abs(moved / per) >= kShiftableReach) {
        return false;
    }
    pixels = static_cast<int32_t>(moved / per);
    return true;
}

}  // namespace

SelectedEdgePolylines::PathKey SelectedEdgePolylines::KeyOf(const core::PathRecord &path)
{
    PathKey key;
    key.firstX = path.Anchors.front().X;
    key.firstY = path.Anchors.front().Y;
    constexpr uint64_t kOdd = 0x9E3779B97F4A7C15ull;
    auto mix = [](uint64_t hash, uint64_t value) { return ((hash ^ (hash >> 29)) + value) * kOdd; };
    // Four hashes over every fourth anchor each, so that a drag of a large selection, which
    // keys every selected path at every step, is not held up by one long chain of products.
    uint64_t lanes[4] = {(path.Anchors.size() << 1 | (path.blClosed ? 1u : 0u)) * kOdd, 1, 2, 3};
    const core::AnchorPoint *anchors = path.Anchors.data();
    const size_t count = path.Anchors.size();
    for (size_t k = 0; k < count; ++k) {
        const core::AnchorPoint &anchor = anchors[k];
        const uint64_t dx = static_cast<uint32_t>(anchor.X - key.firstX);
        const uint64_t dy = static_cast<uint32_t>(anchor.Y - key.firstY);
        lanes[k % 4] = mix(lanes[k % 4], dx << 32 | dy);
    }
    key.anchors = mix(mix(mix(lanes[0], lanes[1]), lanes[2]), lanes[3]);
    return key;
}

bool SelectedEdgePolylines::Gather(const core::PathArray &paths, const ViewMetrics &view)
{
    std::vector<int32_t> selected;
    for (size_t i = 1; i < paths.size(); ++i) {
        if (paths[i].blSelected) {
            selected.push_back(static_cast<int32_t>(i));
        }
    }
    return Gather(paths, selected, view);
}

bool SelectedEdgePolylines::Gather(const core::PathArray &paths, const std::vector<int32_t> &selected,
                                   const ViewMetrics &view)
{
    const TwipToScreenMap map(view);
    const QPoint origin(map.X(0), map.Y(0));
    // At the same zoom, views differ by whole pixels: the mapped polylines move with them.
    const bool sameZoom = gathered_ && view.zoom == zoom_;
    const QPoint shift = origin - origin_;
    bool any = false;
    size_t points = 0;
    nextKeys_.clear();
    nextPaths_.clear();
    for (const int32_t i : selected) {
        const core::PathRecord &path = paths[static_cast<size_t>(i)];
        any = true;
        if (path.AnchorMax() > 0) {
            nextKeys_.push_back(KeyOf(path));
            nextPaths_.push_back(static_cast<size_t>(i));
            points += path.Anchors.size() + (path.blClosed ? 1 : 0);
        }
    }
    if (sameZoom && shift.isNull() && nextKeys_ == keys_) {
        return any;  // nothing of the selection moved on the picture
    }
    next_.Clear();
    next_.points.reserve(points);
    next_.starts.reserve(nextKeys_.size() + 1);
    next_.summaries.reserve(nextKeys_.size());
    // The last polylines run in path order, as the paths do: each path is looked for (by its
    // anchors relative to its first) from the place after the last one found. A polyline found
    // is kept where its first anchor maps whole pixels away from the path's.
    size_t old = 0;
    for (size_t j = 0; j < nextKeys_.size(); ++j) {
        const PathKey &key = nextKeys_[j];
        const size_t end = sameZoom ? std::min(keys_.size(), old + kLookAhead) : old;
        const auto found = std::find_if(keys_.begin() + static_cast<std::ptrdiff_t>(old),
                                        keys_.begin() + static_cast<std::ptrdiff_t>(end),
                                        [&key](const PathKey &kept) { return kept.anchors == key.anchors; });
        const size_t k = static_cast<size_t>(found - keys_.begin());
        QPoint moved;
        if (k < end && WholePixelMove(view.zoom, int64_t{key.firstX} - keys_[k].firstX, moved.rx()) &&
            WholePixelMove(view.zoom, int64_t{key.firstY} - keys_[k].firstY, moved.ry()) &&
            Shiftable(edges_.summaries[k], shift + moved)) {
            KeepPolyline(k, shift + moved);
            old = k + 1;
        } else {
            MapPolyline(paths[nextPaths_[j]], map);
        }
    }
    std::swap(edges_, next_);
    std::swap(keys_, nextKeys_);
    // The last polylines' room is kept for the next gathering (a drag gathers at every step)
    // until ReleaseRoom.
    gathered_ = true;
    zoom_ = view.zoom;
    origin_ = origin;
    return any;
}

void SelectedEdgePolylines::ReleaseRoom()
{
    next_ = EdgePolylines();
    nextKeys_ = {};
    nextPaths_ = {};
    // The polylines kept may lie in the room of a larger selection's.
    edges_.points.shrink_to_fit();
    edges_.starts.shrink_to_fit();
    edges_.summaries.shrink_to_fit();
    keys_.shrink_to_fit();
}

void SelectedEdgePolylines::KeepPolyline(size_t k, QPoint shift)
{
    const auto from = edges_.points.begin() + static_cast<std::ptrdiff_t>(edges_.starts[k]);
    const auto to = edges_.points.begin() + static_cast<std::ptrdiff_t>(edges_.starts[k + 1]);
    if (shift.isNull()) {
        next_.points.insert(next_.points.end(), from, to);
    } else {
        std::transform(from, to, std::back_inserter(next_.points), [shift](QPoint at) { return at + shift; });
    }
    next_.EndSummarisedPolyline(edges_.summaries[k].Shifted(shift));
}

void SelectedEdgePolylines::MapPolyline(const core::PathRecord &path, const TwipToScreenMap &map)
{
    const size_t start = next_.points.size();
    for (const core::AnchorPoint &anchor : path.Anchors) {
        next_.points.emplace_back(map.X(anchor.X), map.Y(anchor.Y));
    }
    if (path.blClosed) {
        next_.points.push_back(next_.points[start]);
    }
    next_.EndSummarisedPolyline();
    ++mapped_;
}

}  // namespace canvastools
