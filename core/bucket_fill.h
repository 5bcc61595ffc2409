// Bucket-fill tracing: the drawing is rendered as black outlines on white, the boundary of the
// white region under a click is followed pixel by pixel, and its corners become a new closed,
// filled path in front of the drawing.
#pragma once

#include "core/canvas_settings.h"
#include "core/path_record.h"

#include <QImage>
#include <QPoint>

#include <array>
#include <cstdint>
#include <vector>

namespace core {

// Largest trace bitmap, in pixels and per side; a larger one is refused like a failed allocation,
// so the accuracy is lowered until it fits. The largest canvas fits at the lowest accuracy (two
// bitmap pixels a canvas pixel).
inline constexpr int64_t kMaxTracePixels = int64_t{2 * kMaxCanvasPixels} * (2 * kMaxCanvasPixels);
inline constexpr int32_t kMaxTraceSide = 32767;

// A bitmap pixel counts as white when it is exactly 0xFFFFFF; pixels outside never are.
bool IsTraceWhite(const QImage &bitmap, int64_t x, int64_t y);

// Follows the boundary of the white region holding pixel (px, py): from the first non-white pixel
// straight above it, along the non-white pixels that border the region (the row and column just
// outside the bitmap included) until the walk returns to its start. Returns the pixels where the
// walk turns, in walking order; empty when (px, py) is not white, or when the walk cannot close
// (it would turn forever, loop without returning, or leave the ring around the bitmap).
std::vector<QPoint> TraceWhiteRegion(const QImage &bitmap, int64_t px, int64_t py);

// The bucket tool's fill at (x, y) twips: traces the region of the rendered drawing under the
// point and appends it as a new closed path (fill type 1 when fillType is 0; colours: line, fill,
// second gradient colour), records an undo step and rebuilds the canvas movie. width and
// lineMode are not used. Nothing is added when the document is empty, the point lies on an
// outline or outside the canvas, or the traced path keeps fewer than three anchors.
void TraceFloodPath(int32_t x, int32_t y, float width, int16_t lineMode, int16_t fillType,
                    const std::array<Color, 3> &colors);

}  // namespace core
