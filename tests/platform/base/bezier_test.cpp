// Curves halved, split, cut to a part and evaluated: the pieces meet where they should, reproduce
// the curve's points, and integer points halve toward zero.
#include "platform/base/bezier.h"

#include <gtest/gtest.h>

#include <QPointF>
#include <cmath>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

using namespace platform;

namespace {

using IntPoint = PointXY<int64_t>;
using RealPoint = PointXY<double>;

std::string Text(const RealPoint &p)
{
    return "(" + std::to_string(p.x) + ", " + std::to_string(p.y) + ")";
}

void ExpectNear(const RealPoint &a, const RealPoint &b, double tolerance = 1e-9)
{
    EXPECT_NEAR(a.x, b.x, tolerance) << Text(a) << " vs " << Text(b);
    EXPECT_NEAR(a.y, b.y, tolerance) << Text(a) << " vs " << Text(b);
}

// Integer quadratics halved: every midpoint is (a + b) / 2 toward zero, so odd sums below zero
// round up and above zero round down, and the halves meet at the middle point.
struct IntegerHalving {
    QuadraticCurve<IntPoint> curve;
    QuadraticCurve<IntPoint> first;
    QuadraticCurve<IntPoint> second;
};

TEST(QuadraticCurve, IntegerHalvesRoundTowardZero)
{
    const IntegerHalving cases[] = {
        // All even: exact.
        {{{0, 0}, {4, 8}, {8, 0}}, {{0, 0}, {2, 4}, {4, 4}}, {{4, 4}, {6, 4}, {8, 0}}},
        // (-3 + 0) / 2 = -1 (not -2); (0 - 7) / 2 = -3 (not -4); (-1 + 2) / 2 = 0; (2 - 3) / 2 = 0 (not -1).
        {{{-3, 5}, {0, 0}, {4, -7}}, {{-3, 5}, {-1, 2}, {0, 0}}, {{0, 0}, {2, -3}, {4, -7}}},
        // Odd sums above zero round down: (1 + 2) / 2 = 1, (2 + 5) / 2 = 3, (1 + 3) / 2 = 2.
        {{{1, 1}, {2, 2}, {5, 4}}, {{1, 1}, {1, 1}, {2, 2}}, {{2, 2}, {3, 3}, {5, 4}}},
        // Beyond 32 bits: the sums are taken in 64 bits.
        {{{int64_t{3} << 31, -(int64_t{3} << 31)}, {int64_t{3} << 31, int64_t{3} << 31}, {1, -1}},
         {{int64_t{3} << 31, -(int64_t{3} << 31)}, {int64_t{3} << 31, 0}, {int64_t{9} << 29, (int64_t{3} << 29) - 1}},
         {{int64_t{9} << 29, (int64_t{3} << 29) - 1}, {int64_t{3} << 30, (int64_t{3} << 30) - 1}, {1, -1}}},
    };
    for (const IntegerHalving &c : cases) {
        const auto [first, second] = c.curve.Halves();
        EXPECT_EQ(first.start, c.first.start);
        EXPECT_EQ(first.control, c.first.control);
        EXPECT_EQ(first.end, c.first.end);
        EXPECT_EQ(second.start, c.second.start);
        EXPECT_EQ(second.control, c.second.control);
        EXPECT_EQ(second.end, c.second.end);
    }
}

const CubicCurve<RealPoint> kCubics[] = {
    {{0, 0}, {1, 2}, {3, 2}, {4, 0}},                      // an arch
    {{0, 0}, {0, 55.23}, {44.77, 100}, {100, 100}},        // a quarter circle
    {{-7.5, 3}, {20, -40}, {-20, 40}, {7.5, -3}},          // an S crossing itself
    {{5, 5}, {5, 5}, {-300, 12}, {-300, 12}},              // controls on the ends
    {{1e6, -1e6}, {1e6 + 3, 2e6}, {-4e6, 0.5}, {2e6, 1}},  // far from the origin
};

TEST(CubicCurve, HalvesMeetAtTheMiddleAndReproduceTheCurve)
{
    for (const CubicCurve<RealPoint> &cubic : kCubics) {
        const auto [first, second] = cubic.Halves();
        EXPECT_EQ(first.start, cubic.start);
        EXPECT_EQ(second.end, cubic.end);
        EXPECT_EQ(first.end, second.start);
        ExpectNear(first.end, cubic.At(0.5), 1e-9 * (1 + std::abs(cubic.start.x)));
        for (double u : {0.125, 0.3, 0.9}) {
            ExpectNear(first.At(u), cubic.At(u / 2), 1e-9 * (1 + std::abs(cubic.start.x)));
            ExpectNear(second.At(u), cubic.At(0.5 + u / 2), 1e-9 * (1 + std::abs(cubic.start.x)));
        }
    }
}

// The same halving in Qt's points as in ours: the player's curves halve as the glyphs' would.
TEST(CubicCurve, QtPointsHalveAlike)
{
    for (const CubicCurve<RealPoint> &cubic : kCubics) {
        const CubicCurve<QPointF> qt{{cubic.start.x, cubic.start.y},
                                     {cubic.control1.x, cubic.control1.y},
                                     {cubic.control2.x, cubic.control2.y},
                                     {cubic.end.x, cubic.end.y}};
        const auto ours = cubic.Halves();
        const auto theirs = qt.Halves();
        for (const auto &[a, b] : {std::pair{ours.first.control2, theirs.first.control2},
                                   std::pair{ours.first.end, theirs.first.end},
                                   std::pair{ours.second.control1, theirs.second.control1}}) {
            EXPECT_EQ(a.x, b.x());
            EXPECT_EQ(a.y, b.y());
        }
        EXPECT_EQ(cubic.At(0.3).x, qt.At(0.3).x());
    }
}

TEST(CubicCurve, SplitAndPartsReproduceTheCurve)
{
    for (const CubicCurve<RealPoint> &cubic : kCubics) {
        const double scale = 1e-9 * (1 + std::abs(cubic.start.x));
        ExpectNear(cubic.At(0), cubic.start, 0);
        ExpectNear(cubic.At(1), cubic.end, 0);
        for (double t : {0.0, 0.25, 0.7, 1.0}) {
            const auto [before, after] = cubic.SplitAt(t);
            EXPECT_EQ(before.start, cubic.start);
            EXPECT_EQ(after.end, cubic.end);
            EXPECT_EQ(before.end, after.start);
            ExpectNear(before.end, cubic.At(t), scale);
            for (double u : {0.2, 0.5, 0.8}) {
                ExpectNear(before.At(u), cubic.At(u * t), scale);
                ExpectNear(after.At(u), cubic.At(t + u * (1 - t)), scale);
            }
        }
        // A part runs along the curve between its parameters; equal steps join end to start.
        RealPoint from = cubic.start;
        for (int k = 0; k < 5; ++k) {
            const double t0 = k / 5.0;
            const double t1 = (k + 1) / 5.0;
            const CubicCurve<RealPoint> part = cubic.Part(t0, t1);
            ExpectNear(part.start, from, scale);
            ExpectNear(part.end, cubic.At(t1), scale);
            ExpectNear(part.At(0.5), cubic.At((t0 + t1) / 2), scale);
            from = part.end;
        }
        ExpectNear(cubic.Part(0.4, 0.4).At(0.7), cubic.At(0.4), scale);  // a point
        ExpectNear(cubic.Part(1, 1).start, cubic.end, scale);
    }
}

// Halving stops by the caller's rule, or after the most halvings; the pieces come in order and
// join end to start.
TEST(HalveUntil, PiecesComeInOrderUntilTheRuleOrTheDepthStopsThem)
{
    const CubicCurve<RealPoint> cubic = kCubics[1];
    struct Case {
        int maxHalvings;
        double longest;  // the rule: a piece's chord no longer than this
        size_t pieces;
    };
    for (const Case &c : {Case{0, 0, 1}, Case{3, 0, 8}, Case{10, 1e9, 1}, Case{10, 80, 2}}) {
        std::vector<CubicCurve<RealPoint>> pieces;
        auto shortEnough = [&c](const CubicCurve<RealPoint> &part) {
            return std::hypot(part.end.x - part.start.x, part.end.y - part.start.y) <= c.longest;
        };
        EXPECT_TRUE(HalveUntil(cubic, c.maxHalvings, shortEnough,
                               [&pieces](const CubicCurve<RealPoint> &part) { pieces.push_back(part); }));
        ASSERT_EQ(pieces.size(), c.pieces) << c.maxHalvings;
        EXPECT_EQ(pieces.front().start, cubic.start);
        EXPECT_EQ(pieces.back().end, cubic.end);
        for (size_t i = 1; i < pieces.size(); ++i) {
            EXPECT_EQ(pieces[i].start, pieces[i - 1].end);
            ExpectNear(pieces[i].start, cubic.At(double(i) / pieces.size()), 1e-9);
        }
    }
    // A piece returning false ends the halving there.
    int seen = 0;
    EXPECT_FALSE(HalveUntil(
        cubic, 4, [](const CubicCurve<RealPoint> &) { return false; },
        [&seen](const CubicCurve<RealPoint> &) { return ++seen < 3; }));
    EXPECT_EQ(seen, 3);
}

TEST(FlattenEvenly, LinesEndAtEqualParameterStepsAndAtTheEnd)
{
    for (const CubicCurve<RealPoint> &cubic : kCubics) {
        for (int pieces : {1, 3, 16}) {
            std::vector<RealPoint> ends;
            FlattenEvenly(cubic, pieces, [&ends](const RealPoint &to) { ends.push_back(to); });
            ASSERT_EQ(ends.size(), static_cast<size_t>(pieces));
            EXPECT_EQ(ends.back(), cubic.end);
            for (int i = 1; i < pieces; ++i) {
                EXPECT_EQ(ends[static_cast<size_t>(i - 1)], cubic.At(double(i) / pieces));
            }
        }
    }
}

}  // namespace
