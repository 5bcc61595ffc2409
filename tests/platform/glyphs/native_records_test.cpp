#include "platform/glyphs/cubic_to_quadratic.h"
#include "platform/glyphs/glyph_font.h"
#include "platform/glyphs/native_records.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

using namespace platform;

namespace {

std::vector<uint8_t> Bytes(std::initializer_list<uint32_t> words16)
{
    std::vector<uint8_t> bytes;
    for (uint32_t w : words16) {
        bytes.push_back(static_cast<uint8_t>(w));
        bytes.push_back(static_cast<uint8_t>(w >> 8));
    }
    return bytes;
}

TEST(NativeRecordsTest, ContourIsAHeaderAndCurveRecordsInFixedPoint)
{
    NativeRecordWriter writer;
    writer.BeginContour(FixedPoint{0x18000, -0x20000});  // (1.5, -2)
    writer.Line(FixedPoint{0x10000, 0});
    writer.Line(FixedPoint{0x20000, 0});
    writer.QSpline({FixedPoint{0x30000, 0x8000}}, FixedPoint{0x40000, 0});
    writer.Line(FixedPoint{0, 0x10000});
    writer.EndContour();
    std::vector<uint8_t> expected = Bytes({
        68, 0, 24, 0, 0x8000, 1, 0, 0xFFFE,  // size 68, type 24, start (1.5, -2)
        1, 2, 0, 1, 0, 0, 0, 2, 0, 0,        // line record of two points
        2, 2, 0, 3, 0x8000, 0, 0, 4, 0, 0,   // spline record: control, end
        1, 1, 0, 0, 0, 1,                    // a line after a spline is a record of its own
    });
    EXPECT_EQ(writer.Take(), expected);
}

TEST(NativeRecordsTest, OverlongSplineRunsSplitAtAnImpliedPoint)
{
    NativeRecordWriter writer;
    writer.BeginContour(FixedPoint{});
    std::vector<FixedPoint> controls(70000);
    for (size_t k = 0; k < controls.size(); ++k) {
        controls[k] = FixedPoint{static_cast<int32_t>(k) * 2, 0};
    }
    writer.QSpline(controls, FixedPoint{-1, -1});
    writer.EndContour();
    std::vector<uint8_t> bytes = writer.Take();
    size_t first = 16;
    size_t count = bytes[first + 2] | bytes[first + 3] << 8;
    ASSERT_EQ(count, 65535u);
    size_t lastPoint = first + 4 + 8 * (count - 1);
    uint32_t lastX = bytes[lastPoint] | bytes[lastPoint + 1] << 8 | bytes[lastPoint + 2] << 16 | uint32_t{bytes[lastPoint + 3]} << 24;
    EXPECT_EQ(lastX, 65533u + 65534u);  // midway between controls 65533 and 65534 (x = 2k)
    size_t second = first + 4 + 8 * count;
    size_t rest = bytes[second + 2] | bytes[second + 3] << 8;
    EXPECT_EQ(rest, 70000u - 65534u + 1u);
    EXPECT_EQ(second + 4 + 8 * rest, bytes.size());
}

double Bezier3(double p0, double c1, double c2, double p3, double t)
{
    double u = 1 - t;
    return u * u * u * p0 + 3 * u * u * t * c1 + 3 * u * t * t * c2 + t * t * t * p3;
}

// Farthest distance of the quadratic pieces' points from the cubic, measured against a dense
// sampling of the cubic.
double Deviation(const std::vector<QuadraticPiece> &pieces, CurvePoint p0, CurvePoint c1, CurvePoint c2, CurvePoint p3)
{
    std::vector<CurvePoint> cubic;
    for (int k = 0; k <= 4000; ++k) {
        double t = k / 4000.0;
        cubic.push_back({Bezier3(p0.x, c1.x, c2.x, p3.x, t), Bezier3(p0.y, c1.y, c2.y, p3.y, t)});
    }
    double worst = 0;
    CurvePoint from = p0;
    for (const QuadraticPiece &piece : pieces) {
        for (int k = 0; k <= 50; ++k) {
            double t = k / 50.0, u = 1 - t;
            CurvePoint q{u * u * from.x + 2 * u * t * piece.control.x + t * t * piece.end.x,
                         u * u * from.y + 2 * u * t * piece.control.y + t * t * piece.end.y};
            double nearest = std::numeric_limits<double>::max();
            for (const CurvePoint &c : cubic) {
                nearest = std::min(nearest, std::hypot(c.x - q.x, c.y - q.y));
            }
            worst = std::max(worst, nearest);
        }
        from = piece.end;
    }
    return worst;
}

TEST(CubicToQuadraticTest, PiecesStayWithinTheToleranceAndEndExactly)
{
    CurvePoint p0{0, 0}, c1{0, 55.23}, c2{44.77, 100}, p3{100, 100};  // a quarter circle
    for (double tolerance : {1.0, 1.0 / 32}) {
        auto pieces = CubicToQuadratics(p0, c1, c2, p3, tolerance);
        ASSERT_FALSE(pieces.empty());
        EXPECT_EQ(pieces.back().end.x, 100.0);
        EXPECT_EQ(pieces.back().end.y, 100.0);
        EXPECT_LE(Deviation(pieces, p0, c1, c2, p3), tolerance);
    }
    EXPECT_LT(CubicToQuadratics(p0, c1, c2, p3, 1.0).size(), CubicToQuadratics(p0, c1, c2, p3, 1.0 / 32).size());
}

// The pieces take equal parameter steps: each ends on the cubic at its step, and each one's
// middle lies near the cubic's point halfway through its step.
TEST(CubicToQuadraticTest, PiecesEndOnTheCubicAtEqualSteps)
{
    const double tolerance = 1.0 / 32;
    const CubicCurve<CurvePoint> cubic{{0, 0}, {0, 55.23}, {44.77, 100}, {100, 100}};  // a quarter circle
    const auto pieces = CubicToQuadratics(cubic.start, cubic.control1, cubic.control2, cubic.end, tolerance);
    ASSERT_GT(pieces.size(), 2u);
    const double count = static_cast<double>(pieces.size());
    CurvePoint from = cubic.start;
    for (size_t k = 0; k < pieces.size(); ++k) {
        const CurvePoint end = cubic.At((k + 1) / count);
        EXPECT_NEAR(pieces[k].end.x, end.x, 1e-9) << k;
        EXPECT_NEAR(pieces[k].end.y, end.y, 1e-9) << k;
        const CurvePoint middle = cubic.At((k + 0.5) / count);
        const CurvePoint quadraticMiddle = (from + pieces[k].control * 2.0 + pieces[k].end) / 4.0;
        EXPECT_LE(std::hypot(quadraticMiddle.x - middle.x, quadraticMiddle.y - middle.y), tolerance) << k;
        from = pieces[k].end;
    }
}

TEST(CubicToQuadraticTest, BadToleranceOrPointsStayBounded)
{
    CurvePoint p0{0, 0}, c1{0, 50}, c2{50, 100}, p3{100, 100};
    EXPECT_EQ(CubicToQuadratics(p0, c1, c2, p3, 0.0).size(), static_cast<size_t>(kMaxQuadraticPieces));
    EXPECT_EQ(CubicToQuadratics(p0, c1, c2, p3, std::nan("")).size(), static_cast<size_t>(kMaxQuadraticPieces));
    EXPECT_LE(CubicToQuadratics(p0, {std::nan(""), 0}, c2, {1e308, -1e308}, 0.1).size(),
              static_cast<size_t>(kMaxQuadraticPieces));
}

}  // namespace
