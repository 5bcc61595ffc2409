#include "canvastools/turn_in_depth.h"

#include "canvastools/selection_overlay.h"
#include "canvastools/selection_transform.h"
#include "core/document.h"
#include "core/geometry.h"

namespace canvastools {

void PathTransform3D(float deg1, float deg2, float deg3, float ps)
{
    auto radians = [](float degrees) { return static_cast<float>(degrees * core::kPi / 180); };
    float a1 = radians(deg1);
    float a2 = radians(deg2);
    float a3 = radians(deg3);

    core::RestorePathSnapshot();
    CalcSelectedRect();
    // The pivot is the centre of the untransformed selection, taken from the frame just computed
    // rather than from whatever the overlay last left in the handles.
    Point32 pivot = Input().HandlePoints[4];
    float s = ps / 100;
    const int32_t width = core::Doc().CurrentSettings.Width;
    auto turn = [&](int32_t &x, int32_t &y) { core::Transform3DPoint(x, y, pivot.X, pivot.Y, a1, a2, a3, s, width); };
    TransformSelectedPaths(turn, deg1);
    TransformFrame(turn);
}

}  // namespace canvastools
