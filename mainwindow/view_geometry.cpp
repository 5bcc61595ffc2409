#include "mainwindow/view_geometry.h"

#include "platform/base/rounding.h"

#include <cmath>

namespace mainwindow {
namespace {

using platform::RoundHalfEven;
using platform::RoundToInt32;
using platform::SaturateCast;

// The image's left (or top) edge: the extent's origin relative to the centred canvas.
int32_t ImageOrigin(float zoom, int32_t extentStart, int32_t canvasSize, int32_t visibleSize, int32_t scrollValue)
{
    double offset = static_cast<double>(zoom) * (2.0 * extentStart - canvasSize);
    return SaturateCast<int32_t>(std::floor((offset + visibleSize) / 2.0 - scrollValue));
}

std::optional<int16_t> Fit16(int64_t value)
{
    if (value < INT16_MIN || value > INT16_MAX) {
        return std::nullopt;
    }
    return static_cast<int16_t>(value);
}

ScrollRange RangeAlong(float zoom, int32_t extentStart, int32_t extentEnd, int32_t canvasSize, int32_t visibleSize,
                       int32_t margin)
{
    double z = zoom;
    int64_t maximum = static_cast<int64_t>(SaturateCast<int32_t>(RoundHalfEven(z * (2.0 * extentEnd - canvasSize) - visibleSize)) / 2) + margin;
    int64_t minimum = static_cast<int64_t>(SaturateCast<int32_t>(RoundHalfEven(z * (2.0 * extentStart - canvasSize) + visibleSize)) / 2) - margin;
    ScrollRange range;
    if (maximum < 1) {
        range.max = 0;
    } else {
        range.max = Fit16(maximum);
        range.enabled = true;
    }
    if (minimum < 0) {
        range.min = Fit16(minimum);
        range.enabled = true;
    } else {
        range.min = 0;
    }
    return range;
}

}  // namespace

ImageRect CanvasImageRect(const ViewMetrics &view, const core::Rect32 &viewExtent)
{
    double z = view.zoom;
    int32_t width = RoundToInt32(static_cast<float>(z * (static_cast<double>(viewExtent.Right) - viewExtent.Left)));
    int32_t height = RoundToInt32(static_cast<float>(z * (static_cast<double>(viewExtent.Bottom) - viewExtent.Top)));
    ImageRect rect;
    rect.x0 = ImageOrigin(view.zoom, viewExtent.Left, view.canvasWidth, view.VisibleWidth(), view.hScrollValue);
    rect.y0 = ImageOrigin(view.zoom, viewExtent.Top, view.canvasHeight, view.VisibleHeight(), view.vScrollValue);
    rect.x1 = platform::SaturateInt<int32_t>(static_cast<int64_t>(rect.x0) + width);
    rect.y1 = platform::SaturateInt<int32_t>(static_cast<int64_t>(rect.y0) + height);
    return rect;
}

ScrollRange HorizontalScrollRange(const ViewMetrics &view, const core::Rect32 &viewExtent, int32_t margin)
{
    return RangeAlong(view.zoom, viewExtent.Left, viewExtent.Right, view.canvasWidth, view.VisibleWidth(), margin);
}

ScrollRange VerticalScrollRange(const ViewMetrics &view, const core::Rect32 &viewExtent, int32_t margin)
{
    return RangeAlong(view.zoom, viewExtent.Top, viewExtent.Bottom, view.canvasHeight, view.VisibleHeight(), margin);
}

}  // namespace mainwindow
