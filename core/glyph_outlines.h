// One character's outline as contours of line and quadratic spline pieces with real coordinates,
// read from the font's native outline records; scaled, flipped and moved in place; and turned into
// a path's anchors.
#pragma once

#include "core/path_record.h"
#include "platform/glyphs/glyph_font.h"

#include <cstdint>
#include <string_view>
#include <vector>

namespace core {

struct OutlinePoint {
    float x = 0;
    float y = 0;
};

struct OutlineCurve {
    int32_t CurveType = 0;  // platform::kCurveLine or platform::kCurveQSpline
    std::vector<OutlinePoint> CurvePoints;

    int32_t PointCount() const { return static_cast<int32_t>(CurvePoints.size()); }
};

struct OutlineContour {
    float FirstX = 0;
    float FirstY = 0;
    std::vector<OutlineCurve> Curves;

    int32_t CurveCount() const { return static_cast<int32_t>(Curves.size()); }
};

// Coordinates are the font's pixels, y upwards from the baseline, until OutlineToPoints.
struct GlyphOutline {
    std::vector<OutlineContour> Contours;  // none for a character without an outline
    platform::GlyphMetrics Metrics;

    int32_t ContourCount() const { return static_cast<int32_t>(Contours.size()); }
};

float FixedToSingle(platform::Fixed value);

// The outline of the text's first character (UTF-8); an empty text gives an empty outline.
GlyphOutline GetCharOutline(const platform::GlyphFont &font, std::string_view text);
// The outline of one character. A failing font gives no contours and zero metrics.
GlyphOutline GetCharOutline(const platform::GlyphFont &font, char32_t code);

// x <- scale * x + ox; y <- scale * (flip ? height - y : y) + oy, for every point.
void OutlineToPoints(GlyphOutline &outline, float ox, float oy, float scale, bool flip, int32_t height);

// The anchors of a closed path following the contour, moved by (px, py): the start point, then
// every curve point in order, on-curve except the spline points before each spline's last.
std::vector<AnchorPoint> ContourToAnchors(const OutlineContour &contour, int32_t px, int32_t py);

}  // namespace core
