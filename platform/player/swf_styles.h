// The player's model of a shape's styles and edges, as read from the style arrays and records
// of shape tags. Internal to the player.
#pragma once

#include <QImage>
#include <QPointF>
#include <QTransform>
#include <QtGui/qrgb.h>

#include <cstdint>
#include <vector>

namespace platform::swf {

// Colour transform with alpha: channel' = clamp(channel * mult / 256 + add).
struct ColorTransform {
    int32_t mult[4] = {256, 256, 256, 256};  // red, green, blue, alpha; 256 = unchanged
    int32_t add[4] = {0, 0, 0, 0};

    bool IsIdentity() const;
    // Only the alpha multiplier differs from identity (drawn with painter opacity).
    bool IsAlphaScaleOnly() const;
    QRgb Apply(QRgb color) const;
    QImage Apply(const QImage &image) const;

    bool operator==(const ColorTransform &) const = default;
};

enum class FillKind { Solid, Linear, Radial, Bitmap };

struct GradientStop {
    double ratio = 0;  // 0..255
    QRgb color = 0;
};

struct FillStyle {
    FillKind kind = FillKind::Solid;
    QRgb color = 0;
    QTransform matrix;                 // gradient square or bitmap pixels -> shape twips
    std::vector<GradientStop> stops;
    uint16_t bitmapId = 0;
    bool clipped = true;               // bitmap drawn once, not tiled
    bool smoothed = true;
};

struct LineStyle {
    double width = 0;  // twips
    QRgb color = 0;
};

// One edge in absolute shape twips, with the styles on its two sides and its line.
struct Edge {
    QPointF from;
    QPointF control;
    QPointF to;
    bool curved = false;
    int32_t fill0 = 0;  // 1-based style indexes into the group's arrays; 0 = none
    int32_t fill1 = 0;
    int32_t line = 0;
};

// Edges between two new-style records, with the style arrays they index.
struct StyleGroup {
    std::vector<FillStyle> fills;
    std::vector<LineStyle> lines;
    std::vector<Edge> edges;
};

}  // namespace platform::swf
