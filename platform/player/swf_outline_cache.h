// The outlines of a group's lines kept for later renders, within one budget of bytes shared by
// every loaded movie. Internal to the player.
#pragma once

#include "platform/player/swf_compact_paths.h"
#include "platform/player/swf_render_counts.h"

#include <QPainterPath>

#include <cstddef>
#include <cstdint>
#include <mutex>
#include <optional>
#include <vector>

namespace platform::swf {

// Outlines are kept while all kept ones together, in every loaded movie, fit kMaxHeldOutlineBytes
// in the compact form they are kept in (else they are built again when drawn). Kept, an element
// takes at most kKeptOutlineElementBytes (a byte of kind and a point of two floats; a cubic
// curve's three elements take 25 bytes), where a QPainterPath takes 24. The budget holds the
// outlines of the lines shown of a drawing of 300,000 paths one to three pixels wide at full size;
// a smaller drawing holds what its own lines take.
constexpr int64_t kMaxHeldOutlineBytes = 160 << 20;
constexpr int64_t kKeptOutlineElementBytes = 1 + 2 * sizeof(float);

// A line to outline: its path and width (twips); no path for one drawn without an outline.
struct OutlinedLine {
    const QPainterPath *path = nullptr;
    double width = 0;
};

// The outlines of a group's lines, built when first drawn and kept within the budget for the
// last scale they were readied for with any line wide, in one compact allocation (a path per line
// style, empty where none is kept). Shared by the groups that have the same paths, and so by
// renders on several threads: every member may be called from any thread, the cache's own lock
// guards its state. A render readies the outlines of its groups and takes copies of the kept ones
// (sharing their allocation) before drawing starts, then draws only its copies.
class OutlineCache {
public:
    OutlineCache() = default;
    ~OutlineCache();
    OutlineCache(const OutlineCache &) = delete;
    OutlineCache &operator=(const OutlineCache &) = delete;

    // A copy of the outlines kept for OutlineScale(scale), by line style; nullopt when none are.
    std::optional<CompactPaths> Copy(double scale) const;
    // Readies the lines (by line style) for OutlineScale(scale), unless they are readied: unless
    // none is to be outlined, drops the outlines kept for another scale, then builds and keeps
    // the outline of each line whose estimate fits the budgets. The others are outlined anew
    // whenever drawn, until room is given back (see Readied). The work is added to counts;
    // builder is room for making the kept form.
    void Ready(const std::vector<OutlinedLine> &lines, double scale, RenderCounts &counts,
               CompactPaths::Builder &builder);

    // Whether the lines are readied for OutlineScale(scale): they were, and none was refused
    // for want of room that the budget may have now.
    bool Readied(double scale) const;
    // The bytes held for the outlines, kept ones included (those charged to the budget).
    size_t HeldBytes() const;

private:
    bool ReadiedLocked(double scale) const;
    void Drop();

    mutable std::mutex lock_;
    CompactPaths kept_;
    double keptScale_ = 0;  // the OutlineScale kept_ was built for
    double readiedScale_ = 0;
    std::optional<uint64_t> refusedEpoch_;  // when a line was last refused room, if one was
};

}  // namespace platform::swf
