#include "platform/forms/stored_placement.h"

#include "platform/forms/window_placement.h"

#include <algorithm>
#include <cmath>

namespace platform {
namespace {

// A stored value within lo .. hi (lo when it is not a number).
double Within(double value, double lo, double hi)
{
    return std::isnan(value) ? lo : std::clamp(value, lo, hi);
}

// One axis: the size cut to the area's, then the start kept where the frame fits.
void ClampAxis(double &start, double &size, double areaStart, double areaSize)
{
    if (std::isnan(size)) {
        size = 0;
    }
    if (size > 0) {
        size = std::min(size, areaSize);
    }
    double frame = size > 0 ? size : kTwipsPerPixel;
    start = Within(start, areaStart, areaStart + areaSize - frame);
}

}  // namespace

StoredPlacement ClampToWorkArea(const StoredPlacement &placement, const QRect &workArea)
{
    const double left = TwipsFromPixels(workArea.left());
    const double top = TwipsFromPixels(workArea.top());
    const double width = std::max(TwipsFromPixels(workArea.width()), kTwipsPerPixel);
    const double height = std::max(TwipsFromPixels(workArea.height()), kTwipsPerPixel);
    StoredPlacement clamped = placement;
    ClampAxis(clamped.Left, clamped.Width, left, width);
    ClampAxis(clamped.Top, clamped.Height, top, height);
    return clamped;
}

int ClampSplitterToWorkArea(double splitter, const QRect &workArea)
{
    return static_cast<int>(std::lround(Within(splitter, 0, std::max(workArea.height(), 0))));
}

}  // namespace platform
