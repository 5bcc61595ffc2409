// Geometry shared by every editing command: distances, directions, rotation, the handle-drag
// transform, the three-axis turn with perspective, segment crossings and the point-in-paths test.
// Coordinates are int32 twips (y grows downwards); every coordinate result is rounded half to
// even and saturated. Differences and products of coordinates are computed without loss, so any
// coordinate a file can hold is safe.
#pragma once

#include "core/path_record.h"

#include <cstdint>
#include <vector>

namespace core {

// The program's value of pi, and one degree in radians derived from it.
inline constexpr double kPi = 3.14159265358979;
inline constexpr double kRadiansPerDegree = 0.017453292519943278;

// Length of the vector (dx, dy), in single precision.
float GetDistance(double dx, double dy);

// Distance from P to the segment S1-S2 (to the nearer end when P lies beyond one).
float GetSegmentDistance(int32_t x1, int32_t y1, int32_t x2, int32_t y2, int32_t px, int32_t py);

// Direction from point 1 to point 2 in degrees, in (-90, 270): 0 towards +x, 90 towards +y.
// Coinciding points give 90.
float GetAngle(int32_t x1, int32_t y1, int32_t x2, int32_t y2);

// Turns (x, y) about (cx, cy) by angle radians; a positive angle turns +x towards +y.
void RotatePoint(int32_t &x, int32_t &y, int32_t cx, int32_t cy, float angle);

// Moves one point for a handle drag: (ox, oy) is the fixed origin, rx and ry the scale factors,
// (ex, ey) the drag's reference point. Handles 2 and 8 scale y and skew x, 4 and 6 scale x and
// skew y, corner handles taper (rx with ry exactly 1, or ry with rx exactly 1). The point stays
// where it is when the divisor its handle needs (ey - oy or ex - ox) is zero.
void ScaleByHandle(int32_t &x, int32_t &y, int32_t ox, int32_t oy, float rx, float ry, int32_t ex,
                   int32_t ey, int32_t handle);

// Turns (x, y) about (cx, cy) by a1 about the viewing axis, a2 about the vertical and a3 about the
// horizontal axis, then applies the perspective s (0 none, 1 full) for the canvas width (twips
// are seen from canvasWidth pixels away). A point at or behind the eye (no valid perspective
// factor) keeps the factor 1.
void Transform3DPoint(int32_t &x, int32_t &y, int32_t cx, int32_t cy, float a1, float a2, float a3,
                      float s, int32_t canvasWidth);

// Whether the closed segments p1-p2 and q1-q2 meet, decided exactly. Parallel and collinear
// segments never meet; touching at an end counts. (ix, iy) receives the meeting point, rounded to
// single precision; on false it is left unspecified.
bool IntersectSegments(const AnchorPoint &p1, const AnchorPoint &p2, const AnchorPoint &q1,
                       const AnchorPoint &q2, float &ix, float &iy);

// Even-odd test of (px, py) against the paths 1.. of the collection with three anchors or more,
// each a closed polygon through all its anchors: +1 inside, -1 outside (also outside the bounds
// rectangle), 0 on the boundary when no boundary lies to the right of the point.
int32_t PointInPaths(int32_t px, int32_t py, const PathCollection &paths, const Rect32 &bounds);

// Anchor k of path i of the array (paths 1..; k wraps round the path's anchors either way);
// nullptr when i names no path or the path has no anchors.
const AnchorPoint *FindAnchor(const PathArray &paths, int32_t i, int32_t k);

// Integer mean of the selected anchors (entries 1.. of selected) of the paths, truncated toward
// zero; an entry naming no anchor counts as (0, 0). x and y are left as they are when nothing is
// selected.
void GetSelectedAnchorCenter(const PathArray &paths, const std::vector<AnchorRef> &selected, int32_t &x,
                             int32_t &y);

}  // namespace core
