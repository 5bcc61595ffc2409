// The canvas view's metrics and the mapping between canvas picture-box pixels and drawing twips:
// pure functions of the zoom, the canvas and view sizes and the scroll position. The main window
// measures the view; the tools map their points with it.
#pragma once

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
    int32_t X(int32_t xt) const;
    int32_t Y(int32_t yt) const;

private:
    float zoom_;
    int32_t hScroll_;
    int32_t vScroll_;
    int32_t marginX_;
    int32_t marginY_;
};

}  // namespace canvastools
