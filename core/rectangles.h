// The shape tools' paths: the rectangle's square, the ellipse's circle of control points, and the
// rectangle's corner styles applied while it is dragged to size.
#pragma once

#include "core/path_record.h"

#include <array>
#include <cstdint>

namespace core {

// Corner styles of the rectangle tool (its mode menu entries).
enum RectangleCorner : int32_t {
    kCornerPlain = 0,
    kCornerRounded = 1,
    kCornerConcaveRound = 2,
    kCornerConcaveSquare = 3,
    kCornerBevel = 4
};

// The new shapes are 1000 x 1000 twips, dragged to size afterwards.
inline constexpr int32_t kShapeSize = 1000;
// Bounds of the ellipse's control point count.
inline constexpr int32_t kMinEllipseAnchors = 3;
inline constexpr int32_t kMaxEllipseAnchors = 1000;

// A closed, selected path with the shape tools' style: line width in canvas pixels, colours
// line, fill and second gradient colour, the gradient frame over the shape square at (x, y).
// It has no anchors yet.
PathRecord NewShapePath(int32_t x, int32_t y, float width, int16_t lineMode, int16_t fillType,
                        const std::array<Color, 3> &colors);
// Appends the path to the document (in front of every other path); returns its index.
int32_t AppendShapePath(PathRecord path);

// Appends the 1000-twip square with its top-left corner at (x, y); returns its index.
int32_t CreateRectanglePath(int32_t x, int32_t y, float width, int16_t lineMode, int16_t fillType,
                            const std::array<Color, 3> &colors);

// Appends a circle of n quadratic control points (n bounded to kMinEllipseAnchors ..
// kMaxEllipseAnchors) inscribed in the square at (x, y); returns its index.
int32_t CreateRegularPolygon(int32_t x, int32_t y, float width, int16_t lineMode, int16_t fillType,
                             const std::array<Color, 3> &colors, int32_t n);

// Rebuilds the last path of the document as a rectangle over its anchors' bounds with the corner
// style (RectangleCorner) and size s: 0 < s <= 0.5 a fraction of the shorter side, otherwise
// canvas pixels, 0 for 20 pixels. Plain style and other values leave it alone.
void ApplyRectangleCorners(int32_t style, float s);

}  // namespace core
