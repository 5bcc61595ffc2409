#include "canvastools/view_mapping.h"

#include "platform/base/rounding.h"

#include <cmath>

namespace canvastools {
namespace {

using platform::RoundToInt32;
using platform::SaturateCast;

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

}  // namespace

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

}  // namespace canvastools
