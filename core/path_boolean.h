// Boolean operations on path outlines: union, intersection and cut of two path collections.
// Every anchor, quadratic control points included, is taken as a polygon vertex; a segment runs
// between consecutive anchors and from the last anchor back to the first. Open paths take part as
// zero-width outlines that run out along the path and back.
#pragma once

#include "core/path_record.h"

#include <cstdint>

namespace core {

// Operation codes, shared with the path operation menus.
enum FragmentOperation : int32_t {
    kFragmentUnion = 1,
    kFragmentIntersection = 2,
    kFragmentCutBack = 3,   // a - b; the front-most selected path is the cutter
    kFragmentCutFront = 4,  // a - b; the back-most selected path is the cutter
};

// Coordinates beyond +-kFragmentCoordinateLimit twips are clamped to it, so that every
// orientation test is exact in 64-bit integers.
constexpr int32_t kFragmentCoordinateLimit = (1 << 29) - 1;

// Combines a and b by the operation code (a - b for both cuts). The results are selected; a
// result made from crossing outlines copies a's first path's attributes. compoundId is the id the
// results carry when neither operand brings an active compound. Paths of fewer than two anchors
// are skipped. Neither operand is changed.
PathCollection FragmentPaths(const PathCollection &a, const PathCollection &b, int32_t code,
                             int32_t compoundId);

// Whether two runs of anchors pass through the same points in the same or in reverse order, once
// repeated consecutive points are merged (down to two anchors). Kinds are not compared.
bool PathsEqual(const PathRecord &first, const PathRecord &second);

// Joins q onto the end of p: p's last anchor must be q's first (q follows as it is) or q's last
// (q follows reversed; preferred when both hold). Split marks of the interior anchors are
// cleared. No join (an empty anchor list, AnchorMax() == -1) when the ends do not meet or when an
// interior anchor of the joined run lies on its first or last anchor.
PathRecord JoinPieces(const PathRecord &p, const PathRecord &q);

}  // namespace core
