// Thinning a path's anchor list: anchors too close to their predecessor (point tolerance) and
// anchors too close to the chord of their two neighbours (line tolerance) are removed.
#pragma once

#include "core/path_record.h"

namespace core {

// Tolerances in twips; 0 switches a pass off. A path left with fewer than three anchors becomes
// an open stroked line. Paths of two anchors or fewer are left untouched.
void OptimizePath(PathRecord &path, float pointTolerance, float lineTolerance);

}  // namespace core
