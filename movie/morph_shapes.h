// Morph shapes: a DefineMorphShape tag that blends one array of paths into another, path i of the
// start array into path i of the end array. A placement's ratio picks the frame in between.
#pragma once

#include "core/path_record.h"

#include <cstdint>

namespace movie {

// The most path pairs one morph shape holds (15-bit style indexes).
constexpr int32_t kMaxMorphPairs = 32767;

// Appends one DefineMorphShape tag; nothing unless both arrays have the same upper bound n > 0.
// Each pair gets one fill and one line style, chosen by the start path's effective fill type; the
// end path supplies only colours, widths, stops and gradient geometry. Members of a start compound
// path use the styles of its first member. The two edge lists of a pair always hold the same
// number of records: the shorter one ends in zero-length edges, and a path without edges whose
// partner has some starts or ends as a point.
void DefineMorphShape(int32_t id, const core::PathArray &startPaths, const core::PathArray &endPaths,
                      const core::Rect32 &startBounds, const core::Rect32 &endBounds);

}  // namespace movie
