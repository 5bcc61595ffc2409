// Point transforms applied to the selection: to every selected path's anchors and gradient
// centre, and to the frame handles around it.
#pragma once

#include "canvastools/canvas_input_state.h"
#include "core/document.h"

#include <cstddef>

namespace canvastools {

// Applies a point transform to every selected path's anchors and gradient centre and adds
// angleDegrees to its gradient angle; true when any path is selected.
template <typename Transform>
bool TransformSelectedPaths(Transform transform, float angleDegrees = 0.0f)
{
    return core::ChangeSelectedDocPaths([&](core::PathRecord &path) {
        for (core::AnchorPoint &anchor : path.Anchors) {
            transform(anchor.X, anchor.Y);
        }
        transform(path.GradCenterX, path.GradCenterY);
        path.GradAngle += angleDegrees;
    });
}

// Applies a point transform to the frame handles other than the centre (4).
template <typename Transform>
void TransformFrame(Transform transform)
{
    for (size_t i = 0; i < 9; ++i) {
        if (i != 4) {
            transform(Input().HandlePoints[i].X, Input().HandlePoints[i].Y);
        }
    }
}

}  // namespace canvastools
