// The reach of a shape: the square around the frame that edge records are kept within when a path
// would otherwise take too many of them.
//
// Edge fields hold deltas of at most 17 bits, so an edge of length L takes about L / 65535 records.
// A path whose edges would take more records than its budget is written clamped to the reach
// instead: every point of its outline beyond the square is moved onto the square's border. The
// outline, and the area it encloses, are unchanged inside the square, which holds every frame a
// movie can have (at most 32767 twips) with the widest line around it.
#pragma once

#include "core/path_record.h"

#include <cstdint>

namespace movie {

constexpr int64_t kReachTwips = int64_t{1} << 19;  // half the side of the square, centred on the origin

struct ReachPoint {
    int64_t x = 0;
    int64_t y = 0;
    bool operator==(const ReachPoint &) const = default;
};

// The edge records a path may take before it is clamped: 1024 plus 64 per anchor.
int64_t EdgeRecordBudget(const core::PathRecord &path);

ReachPoint ClampToReach(ReachPoint point);
bool InsideReach(ReachPoint point);

// The clamped image of the straight edge from a to b is a polyline: its corners after a, ending at
// ClampToReach(b). Returns how many were stored (1 to 5).
int ClampedLineCorners(ReachPoint a, ReachPoint b, ReachPoint corners[5]);

// Whether the curve's control triangle lies wholly on the far side of one border of the square,
// so that its clamped image runs along that border and the chord's clamped image can stand for it.
bool BeyondOneBorder(ReachPoint from, ReachPoint control, ReachPoint to);

}  // namespace movie
