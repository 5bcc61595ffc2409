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

// The centring margin of the conversion: rounded first, then halved toward zero.
int32_t CentringMargin(float zoom, int32_t canvasSize, int32_t visibleSize)
{
    return RoundToInt32(visibleSize - static_cast<double>(zoom) * canvasSize) / 2;
}

int32_t ScreenToTwip(float zoom, float screen, int32_t scrollValue, int32_t margin)
{
    double pixels = (static_cast<double>(scrollValue) + screen) - margin;
    return SaturateCast<int32_t>(std::floor(pixels / zoom * 20.0));
}

int32_t TwipToScreen(float zoom, int32_t twips, int32_t scrollValue, int32_t margin)
{
    double pixels = std::floor(static_cast<double>(zoom) * twips / 20.0) - scrollValue + margin;
    return RoundToInt32(pixels);
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

void PosScrToTwip(const ViewMetrics &view, float xs, float ys, int32_t &xt, int32_t &yt)
{
    xt = ScreenToTwip(view.zoom, xs, view.hScrollValue, CentringMargin(view.zoom, view.canvasWidth, view.VisibleWidth()));
    yt = ScreenToTwip(view.zoom, ys, view.vScrollValue, CentringMargin(view.zoom, view.canvasHeight, view.VisibleHeight()));
}

void PosTwipToScr(const ViewMetrics &view, int32_t &xs, int32_t &ys, int32_t xt, int32_t yt)
{
    TwipToScreenMap map(view);
    xs = map.X(xt);
    ys = map.Y(yt);
}

TwipToScreenMap::TwipToScreenMap(const ViewMetrics &view)
    : zoom_(view.zoom),
      hScroll_(view.hScrollValue),
      vScroll_(view.vScrollValue),
      marginX_(CentringMargin(view.zoom, view.canvasWidth, view.VisibleWidth())),
      marginY_(CentringMargin(view.zoom, view.canvasHeight, view.VisibleHeight()))
{
}

int32_t TwipToScreenMap::MapFar(int32_t twips, int32_t scroll, int32_t margin) const
{
    return TwipToScreen(zoom_, twips, scroll, margin);
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
