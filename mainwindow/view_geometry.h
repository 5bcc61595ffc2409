// The geometry of the canvas view: where the zoomed canvas image lies in the canvas picture box
// and the scroll ranges. Pure functions of the zoom, the canvas and view sizes and the scroll
// position; the conversion between picture-box pixels and twips is in canvastools/view_mapping.h.
#pragma once

#include "canvastools/view_mapping.h"
#include "core/path_record.h"

#include <cstdint>
#include <optional>

namespace mainwindow {

// The picture box's metrics and the pixel-twip mapping are the canvas tools' own types.
using canvastools::PosScrToTwip;
using canvastools::PosTwipToScr;
using canvastools::TwipToScreenMap;
using canvastools::ViewMetrics;

// The rectangle the canvas movie's image is drawn into: left/top inclusive, right/bottom exclusive.
struct ImageRect {
    int32_t x0 = 0;
    int32_t y0 = 0;
    int32_t x1 = 0;
    int32_t y1 = 0;
};

// The player's size for the view extent at the zoom (pixels, rounded half to even), and where its
// image goes: the canvas centred in the visible area, shifted by the scroll position.
ImageRect CanvasImageRect(const ViewMetrics &view, const core::Rect32 &viewExtent);

// One scroll bar's range: an end left empty did not fit 16 bits and stays as it was.
struct ScrollRange {
    std::optional<int16_t> min;
    std::optional<int16_t> max;
    bool enabled = false;
};

// The range from the centred view to the farthest edge of the drawing plus the margin; a drawing
// that fits the view with its margin gives a disabled 0..0.
ScrollRange HorizontalScrollRange(const ViewMetrics &view, const core::Rect32 &viewExtent, int32_t margin);
ScrollRange VerticalScrollRange(const ViewMetrics &view, const core::Rect32 &viewExtent, int32_t margin);

}  // namespace mainwindow
