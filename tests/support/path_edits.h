// Editing paths directly in tests, as the tools do.
#pragma once

#include "core/path_record.h"

#include <cstdint>

namespace testsupport {

// Moves a path by (dx, dy) twips: its anchors and its gradient's centre.
inline void ShiftPath(core::PathRecord &path, int32_t dx, int32_t dy)
{
    for (core::AnchorPoint &anchor : path.Anchors) {
        anchor.X += dx;
        anchor.Y += dy;
    }
    path.GradCenterX += dx;
    path.GradCenterY += dy;
}

}  // namespace testsupport
