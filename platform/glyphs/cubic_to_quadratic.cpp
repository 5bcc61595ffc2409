#include "platform/glyphs/cubic_to_quadratic.h"

#include <algorithm>
#include <cmath>

namespace platform {
namespace {

CurvePoint Lerp(CurvePoint a, CurvePoint b, double t)
{
    return CurvePoint{a.x + (b.x - a.x) * t, a.y + (b.y - a.y) * t};
}

// The cubic's control points restricted to the parameters t0 .. t1 (two de Casteljau splits).
void SubCubic(const CurvePoint (&p)[4], double t0, double t1, CurvePoint (&out)[4])
{
    // Right part from t0.
    CurvePoint a = Lerp(p[0], p[1], t0), b = Lerp(p[1], p[2], t0), c = Lerp(p[2], p[3], t0);
    CurvePoint d = Lerp(a, b, t0), e = Lerp(b, c, t0);
    CurvePoint right[4] = {Lerp(d, e, t0), e, c, p[3]};
    // Left part of that up to t1, re-parameterised.
    double u = t0 < 1.0 ? (t1 - t0) / (1.0 - t0) : 1.0;
    CurvePoint f = Lerp(right[0], right[1], u), g = Lerp(right[1], right[2], u), h = Lerp(right[2], right[3], u);
    CurvePoint i = Lerp(f, g, u), j = Lerp(g, h, u);
    out[0] = right[0];
    out[1] = f;
    out[2] = i;
    out[3] = Lerp(i, j, u);
}

// The number of equal pieces for the tolerance: one quadratic stands in for a cubic within
// sqrt(3) / 36 times the length of p3 - 3 c2 + 3 c1 - p0, and that shrinks with the cube of the
// number of pieces.
int PieceCount(const CurvePoint (&p)[4], double tolerance)
{
    double dx = p[3].x - 3.0 * p[2].x + 3.0 * p[1].x - p[0].x;
    double dy = p[3].y - 3.0 * p[2].y + 3.0 * p[1].y - p[0].y;
    double error = std::sqrt(3.0) / 36.0 * std::hypot(dx, dy);
    if (!(tolerance > 0.0) || !std::isfinite(error)) {
        return kMaxQuadraticPieces;
    }
    double pieces = std::ceil(std::cbrt(error / tolerance));
    return static_cast<int>(std::clamp(pieces, 1.0, static_cast<double>(kMaxQuadraticPieces)));
}

}  // namespace

std::vector<QuadraticPiece> CubicToQuadratics(CurvePoint p0, CurvePoint c1, CurvePoint c2, CurvePoint p3,
                                              double tolerance)
{
    const CurvePoint cubic[4] = {p0, c1, c2, p3};
    int count = PieceCount(cubic, tolerance);
    std::vector<QuadraticPiece> pieces;
    pieces.reserve(static_cast<size_t>(count));
    for (int k = 0; k < count; ++k) {
        CurvePoint q[4];
        SubCubic(cubic, static_cast<double>(k) / count, static_cast<double>(k + 1) / count, q);
        CurvePoint control{(3.0 * (q[1].x + q[2].x) - q[0].x - q[3].x) / 4.0,
                           (3.0 * (q[1].y + q[2].y) - q[0].y - q[3].y) / 4.0};
        pieces.push_back(QuadraticPiece{control, k + 1 == count ? p3 : q[3]});
    }
    return pieces;
}

}  // namespace platform
