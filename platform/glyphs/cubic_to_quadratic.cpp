#include "platform/glyphs/cubic_to_quadratic.h"

#include <algorithm>
#include <cmath>

namespace platform {
namespace {

// The number of equal pieces for the tolerance: one quadratic stands in for a cubic within
// sqrt(3) / 36 times the length of p3 - 3 c2 + 3 c1 - p0, and that shrinks with the cube of the
// number of pieces.
int PieceCount(const CubicCurve<CurvePoint> &p, double tolerance)
{
    double dx = p.end.x - 3.0 * p.control2.x + 3.0 * p.control1.x - p.start.x;
    double dy = p.end.y - 3.0 * p.control2.y + 3.0 * p.control1.y - p.start.y;
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
    const CubicCurve<CurvePoint> cubic{p0, c1, c2, p3};
    int count = PieceCount(cubic, tolerance);
    std::vector<QuadraticPiece> pieces;
    pieces.reserve(static_cast<size_t>(count));
    for (int k = 0; k < count; ++k) {
        const CubicCurve<CurvePoint> q = cubic.Part(static_cast<double>(k) / count, static_cast<double>(k + 1) / count);
        CurvePoint control{(3.0 * (q.control1.x + q.control2.x) - q.start.x - q.end.x) / 4.0,
                           (3.0 * (q.control1.y + q.control2.y) - q.start.y - q.end.y) / 4.0};
        pieces.push_back(QuadraticPiece{control, k + 1 == count ? p3 : q.end});
    }
    return pieces;
}

}  // namespace platform
