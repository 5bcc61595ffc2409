// The canvas view's metrics and the mapping between canvas picture-box pixels and drawing twips:
// pure functions of the zoom, the canvas and view sizes and the scroll position. The main window
// measures the view; the tools map their points with it.
#pragma once

#include <algorithm>
#include <cstdint>

namespace canvastools {

// What the view functions read of the picture box and its scroll bars (pixels).
struct ViewMetrics {
    int32_t scaleWidth = 0;     // inner size of the canvas picture box
    int32_t scaleHeight = 0;
    int32_t vScrollWidth = 0;   // the bars cover the right and bottom edges
    int32_t hScrollHeight = 0;
    int32_t hScrollValue = 0;   // offsets from the centred position
    int32_t vScrollValue = 0;
    float zoom = 1.0f;
    int32_t canvasWidth = 320;  // canvas pixels
    int32_t canvasHeight = 320;

    int32_t VisibleWidth() const { return scaleWidth - vScrollWidth; }
    int32_t VisibleHeight() const { return scaleHeight - hScrollHeight; }
};

// Picture-box pixels to twips and back; twips are the drawing's own (canvas origin 0, 20 per pixel).
void PosScrToTwip(const ViewMetrics &view, float xs, float ys, int32_t &xt, int32_t &yt);
void PosTwipToScr(const ViewMetrics &view, int32_t &xs, int32_t &ys, int32_t xt, int32_t yt);

// PosTwipToScr for many points of one view: the centring margins are worked out once.
class TwipToScreenMap {
public:
    explicit TwipToScreenMap(const ViewMetrics &view);
    int32_t X(int32_t xt) const { return Map(xt, hScroll_, marginX_); }
    int32_t Y(int32_t yt) const { return Map(yt, vScroll_, marginY_); }

private:
    // Inline for the overlays, which map every anchor of the selection at each mouse move: while
    // the scaled value is far inside the range where doubles hold integers exactly, the floor and
    // the sums are taken in integers (the same values PosTwipToScr gives), else by PosTwipToScr's
    // own arithmetic.
    int32_t Map(int32_t twips, int32_t scroll, int32_t margin) const
    {
        const double scaled = static_cast<double>(zoom_) * twips / 20.0;
        if (!(scaled > -kExactLimit && scaled < kExactLimit)) {
            return MapFar(twips, scroll, margin);
        }
        int64_t floor = static_cast<int64_t>(scaled);
        floor -= static_cast<double>(floor) > scaled;
        const int64_t pixels = floor - scroll + margin;
        return static_cast<int32_t>(std::clamp<int64_t>(pixels, INT32_MIN, INT32_MAX));
    }
    int32_t MapFar(int32_t twips, int32_t scroll, int32_t margin) const;

    static constexpr double kExactLimit = 1e15;
    float zoom_;
    int32_t hScroll_;
    int32_t vScroll_;
    int32_t marginX_;
    int32_t marginY_;
};

}  // namespace canvastools
