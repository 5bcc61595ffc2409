// The polygon tool's paths: regular polygons and stars, optionally with rounded corners.
#pragma once

#include "core/path_record.h"

#include <array>
#include <cstdint>

namespace core {

// Bounds of the vertex count (a star has twice as many anchors): 2 gives a line, 1 a point.
inline constexpr int32_t kMinPolygonVertices = 1;
inline constexpr int32_t kMaxPolygonVertices = 1000;

// The polygon tool window's settings, read each time a polygon is created.
struct PolygonToolValues {
    double VertexCount = 5;   // the count box's number; rounded and held to the bounds above
    bool Star = false;        // alternate outer and inner corners
    bool RoundInner = false;  // the star's inner corners become control points
    bool RoundOuter = false;  // the outer corners become control points
    int32_t Depth = 50;       // percent of the radius the inner corners lie inwards (0..100)
};

// Appends the polygon or star inscribed in the 1000-twip square at (x, y), its first corner at the
// top and the rest clockwise on screen, with the shape tools' style (see NewShapePath); returns
// its index.
int32_t CreatePolygonPath(int32_t x, int32_t y, float width, int16_t lineMode, int16_t fillType,
                          const std::array<Color, 3> &colors, const PolygonToolValues &values);

}  // namespace core
