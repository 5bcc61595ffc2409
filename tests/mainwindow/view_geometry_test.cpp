#include "mainwindow/view_geometry.h"
#include "platform/base/rounding.h"

#include <cmath>

#include <gtest/gtest.h>

using namespace mainwindow;

namespace {

// The view of the worked example: 600 x 400 visible pixels beside 17-pixel bars.
ViewMetrics ExampleView(float zoom = 1.0f)
{
    ViewMetrics view;
    view.scaleWidth = 617;
    view.scaleHeight = 417;
    view.vScrollWidth = 17;
    view.hScrollHeight = 17;
    view.zoom = zoom;
    return view;
}

const core::Rect32 kCanvasExtent{0, 0, 320, 320};

}  // namespace

TEST(CanvasView, WorkedExampleAtOneHundredPercent)
{
    ViewMetrics view = ExampleView();
    ImageRect rect = CanvasImageRect(view, kCanvasExtent);
    EXPECT_EQ(rect.x0, 140);
    EXPECT_EQ(rect.y0, 40);
    EXPECT_EQ(rect.x1, 460);
    EXPECT_EQ(rect.y1, 360);
    int32_t xt = -1, yt = -1;
    PosScrToTwip(view, 140, 40, xt, yt);
    EXPECT_EQ(xt, 0);
    EXPECT_EQ(yt, 0);
    PosScrToTwip(view, 141, 40, xt, yt);
    EXPECT_EQ(xt, 20);
    EXPECT_EQ(yt, 0);
    int32_t xs = -1, ys = -1;
    PosTwipToScr(view, xs, ys, 0, 0);
    EXPECT_EQ(xs, 140);
    EXPECT_EQ(ys, 40);
    PosScrToTwip(view, 139.5f, 40, xt, yt);  // half a pixel left of the canvas
    EXPECT_EQ(xt, -10);
}

TEST(CanvasView, ZoomScrollAndExtentMoveTheImageButNotTheTwips)
{
    ViewMetrics view = ExampleView(2.0f);
    int32_t xs = 0, ys = 0, xt = 0, yt = 0;
    PosTwipToScr(view, xs, ys, 0, 0);
    PosScrToTwip(view, static_cast<float>(xs + 1), static_cast<float>(ys), xt, yt);
    EXPECT_EQ(xt, 10);  // one pixel at 200 % is 10 twips

    view = ExampleView();
    ImageRect outside = CanvasImageRect(view, core::Rect32{-50, 0, 320, 320});
    EXPECT_EQ(outside.x0, 90);  // the extent's left edge lies 50 pixels left of the canvas origin
    EXPECT_EQ(outside.x1, 460);
    PosScrToTwip(view, 140, 40, xt, yt);
    EXPECT_EQ(xt, 0);

    view.hScrollValue = 30;
    view.vScrollValue = -10;
    ImageRect scrolled = CanvasImageRect(view, kCanvasExtent);
    EXPECT_EQ(scrolled.x0, 110);
    EXPECT_EQ(scrolled.y0, 50);
    PosTwipToScr(view, xs, ys, 0, 0);
    EXPECT_EQ(xs, 110);
    EXPECT_EQ(ys, 50);
    PosScrToTwip(view, 110, 50, xt, yt);
    EXPECT_EQ(xt, 0);
    EXPECT_EQ(yt, 0);
}

TEST(CanvasView, WiderCanvasThanViewGivesNegativeMarginAndScrollableRange)
{
    ViewMetrics view = ExampleView(8.0f);  // 2560 pixels of canvas in 600
    int32_t xs = 0, ys = 0;
    PosTwipToScr(view, xs, ys, 0, 0);
    EXPECT_EQ(xs, -980);
    ScrollRange h = HorizontalScrollRange(view, kCanvasExtent, 64);
    EXPECT_TRUE(h.enabled);
    EXPECT_EQ(h.max, (2560 - 600) / 2 + 64);
    EXPECT_EQ(h.min, -((2560 - 600) / 2 + 64));
}

TEST(ScrollRanges, CanvasThatFitsWithItsMarginDisablesBothBars)
{
    ViewMetrics view = ExampleView();
    ScrollRange h = HorizontalScrollRange(view, kCanvasExtent, 64);
    ScrollRange v = VerticalScrollRange(view, kCanvasExtent, 64);
    EXPECT_FALSE(h.enabled);
    EXPECT_EQ(h.min, 0);
    EXPECT_EQ(h.max, 0);
    // 400 visible rows: (640 - 320 - 400) / 2 + 64 = 24 still to scroll vertically.
    EXPECT_TRUE(v.enabled);
    EXPECT_EQ(v.max, 24);
    EXPECT_EQ(v.min, -24);
    view.scaleHeight = 617;
    EXPECT_FALSE(VerticalScrollRange(view, kCanvasExtent, 64).enabled);
}

TEST(ScrollRanges, PathFarRightWidensOnlyTheRightEnd)
{
    ViewMetrics view = ExampleView();
    ScrollRange h = HorizontalScrollRange(view, core::Rect32{0, 0, 2000, 320}, 64);
    EXPECT_TRUE(h.enabled);
    EXPECT_EQ(h.max, (2 * 2000 - 320 - 600) / 2 + 64);
    EXPECT_EQ(h.min, 0);
}

TEST(ScrollRanges, EndsBeyondSixteenBitsAreLeftOut)
{
    ViewMetrics view = ExampleView(1000.0f);
    ScrollRange h = HorizontalScrollRange(view, kCanvasExtent, 64);
    EXPECT_TRUE(h.enabled);
    EXPECT_FALSE(h.max.has_value());
    EXPECT_FALSE(h.min.has_value());
}

// Twips to picture pixels: the floor of the scaled twips, less the scroll, plus the centring
// margin, rounded and saturated in doubles; the same at every zoom, twip and scroll, the extremes
// included.
TEST(CanvasView, TwipsMapToTheFlooredScaledValueAtEveryZoomAndScroll)
{
    const float zooms[] = {0.01f, 0.25f, 1.0f, 3.3f, 64.0f, 1e12f, 1e30f};
    const int32_t twips[] = {INT32_MIN, -1000001, -21, -20, -19, -1, 0, 1, 19, 20, 21, 7777777, INT32_MAX};
    const int32_t scrolls[] = {INT32_MIN, -5000, 0, 37, INT32_MAX};
    for (float zoom : zooms) {
        for (int32_t scroll : scrolls) {
            ViewMetrics view = ExampleView(zoom);
            view.hScrollValue = scroll;
            view.vScrollValue = scroll / -3;
            const TwipToScreenMap map(view);
            auto expected = [&](int32_t t, int32_t s, int32_t visible, int32_t canvas) {
                const int32_t margin = platform::RoundToInt32(visible - static_cast<double>(zoom) * canvas) / 2;
                return platform::RoundToInt32(std::floor(static_cast<double>(zoom) * t / 20.0) - s + margin);
            };
            for (int32_t t : twips) {
                SCOPED_TRACE(testing::Message() << "zoom " << zoom << " scroll " << scroll << " twips " << t);
                EXPECT_EQ(map.X(t), expected(t, view.hScrollValue, view.VisibleWidth(), view.canvasWidth));
                EXPECT_EQ(map.Y(t), expected(t, view.vScrollValue, view.VisibleHeight(), view.canvasHeight));
            }
        }
    }
}
