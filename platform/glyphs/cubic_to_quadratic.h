// Approximation of cubic Bezier segments by quadratic ones, for outlines whose fonts store cubics.
#pragma once

#include "platform/base/bezier.h"

#include <vector>

namespace platform {

using CurvePoint = PointXY<double>;

// One quadratic piece: its control point and its end point (it starts where the previous ends).
struct QuadraticPiece {
    CurvePoint control;
    CurvePoint end;
};

// Splits the cubic p0-c1-c2-p3 into equal parameter steps, each replaced by one quadratic, so
// that no point of the result lies farther than `tolerance` from the cubic (at most kMaxPieces
// pieces; a non-positive tolerance takes the most). The last piece ends exactly at p3.
inline constexpr int kMaxQuadraticPieces = 64;
std::vector<QuadraticPiece> CubicToQuadratics(CurvePoint p0, CurvePoint c1, CurvePoint c2, CurvePoint p3,
                                              double tolerance);

}  // namespace platform
