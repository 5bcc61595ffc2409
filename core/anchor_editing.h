// Changing the anchor list of one path, and cutting and joining paths. None of these routines
// records an undo step or redraws; the calling command does.
#pragma once

#include "core/path_record.h"

#include <cstdint>

namespace core {

// Removes anchor a; an index beyond the last anchor, and the only anchor, are left alone.
void DeleteAnchor(PathRecord &path, int32_t a);
// Inserts the anchor so that it becomes anchor a (a = anchor count appends).
void InsertAnchor(PathRecord &path, const AnchorPoint &anchor, int32_t a);
// Inserts an anchor after anchor k of path i, on the chord k-l, dividing it in the ratio of the
// distances from (x, y) to its two ends.
void AddAnchorOnSegment(int32_t i, int32_t k, int32_t l, int32_t x, int32_t y);
// Removes every anchor marked kAnchorDeleted; a path left with fewer than two anchors is deleted.
void DeleteSelectedAnchors();
// Cuts path i at anchor k (j <= 0) or at the middle of the segment k-l (j > 0); the second piece
// is appended as the last path. Both pieces are open.
void DividePath(int32_t i, int32_t j, int32_t k, int32_t l);
// Opens path i after anchor a, which becomes its last anchor.
void OpenPathAtAnchor(int32_t i, int32_t a);
// Joins end anchor k of path i to an end anchor of another path within 3 screen pixels. Returns
// whether such a partner exists; with testOnly nothing is changed.
bool JoinPaths(int32_t i, int32_t k, bool testOnly);

}  // namespace core
