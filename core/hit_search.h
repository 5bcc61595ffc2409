// Which anchor or segment lies under the cursor: the path-edit tool's search of the drawing, from
// the front path back to the first one with a hit. Hidden and locked paths and paths of a single
// anchor are never found. Anchors are taken as
// points and segments as straight chords between consecutive anchors, control points included.
#pragma once

#include <cstdint>

namespace core {

// The anchor within three screen pixels (60 twips at zoom 1) of (x, y): the last one in drawing
// order wins. path and anchor are 0, 0 when none is in reach.
void FindAnchorNear(int32_t x, int32_t y, int32_t &path, int32_t &anchor);

// The segment within three screen pixels of (x, y), given by its path and its first anchor; a
// closed path's last segment runs from its last anchor back to anchor 0. The last hit wins;
// 0, 0 when none is in reach.
void FindSegmentNear(int32_t x, int32_t y, int32_t &path, int32_t &anchor);

// Paths the searches have looked at so far: the work done, whatever the time it took.
int64_t PathsLookedAt();

}  // namespace core
