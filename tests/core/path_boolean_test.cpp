#include "core/path_boolean.h"

#include "boolean_test_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>

namespace {

using namespace booleantest;
using core::FragmentPaths;
using core::PathCollection;
using core::PathRecord;

constexpr int32_t kUnion = core::kFragmentUnion;
constexpr int32_t kIntersection = core::kFragmentIntersection;
constexpr int32_t kCut = core::kFragmentCutBack;

double Area(const PathCollection &a, const PathCollection &b, int32_t code)
{
    return EvenOddArea(FragmentPaths(a, b, code, 9));
}

bool AllClosedAndSelected(const PathCollection &result)
{
    for (int32_t i = 1; i <= result.PathCount(); ++i) {
        const PathRecord &path = result.Paths[static_cast<size_t>(i)];
        if (!path.blClosed || !path.blSelected) {
            return false;
        }
        for (const core::AnchorPoint &p : path.Anchors) {
            if (p.AnchorKind != core::kOnCurve && p.AnchorKind != core::kControlPoint) {
                return false;
            }
        }
    }
    return true;
}

// A star-shaped polygon with integer vertices around a centre, spread all round it (so never a
// sliver): simple, either orientation.
PathRecord RandomStar(std::mt19937 &random, int32_t cx, int32_t cy, int32_t minRadius, int32_t maxRadius)
{
    std::uniform_int_distribution<int> countOf(4, 24);
    std::uniform_real_distribution<double> jitter(-0.4, 0.4);
    std::uniform_int_distribution<int32_t> radiusOf(minRadius, maxRadius);
    std::vector<double> angles(static_cast<size_t>(countOf(random)));
    double step = 2 * M_PI / static_cast<double>(angles.size());
    for (size_t k = 0; k < angles.size(); ++k) {
        angles[k] = step * (static_cast<double>(k) + jitter(random));
    }
    if (random() % 2) {
        std::reverse(angles.begin(), angles.end());
    }
    Points points;
    for (double angle : angles) {
        int32_t r = radiusOf(random);
        points.emplace_back(cx + static_cast<int32_t>(std::lround(r * std::cos(angle))),
                            cy + static_cast<int32_t>(std::lround(r * std::sin(angle))));
    }
    return MakePath(points);
}

struct RandomCase {
    PathCollection a;
    PathCollection b;
};

RandomCase MakeRandomCase(std::mt19937 &random)
{
    std::uniform_int_distribution<int32_t> centre(-3000, 3000);
    RandomCase c;
    c.a = Collection({RandomStar(random, 0, 0, 2000, 6000)});
    if (random() % 4 == 0) {  // a compound with a hole
        c.a.Paths.push_back(RandomStar(random, 0, 0, 300, 1500));
    }
    c.b = Collection({RandomStar(random, centre(random), centre(random), 1500, 5000)});
    return c;
}

// ---------------------------------------------------------------------------------------------

TEST(PathBooleanOracle, AreasMatchClipperOnRandomPolygons)
{
    std::mt19937 random(20240611);
    int checked = 0;
    while (checked < 300) {
        RandomCase c = MakeRandomCase(random);
        double expected[5] = {};
        double smallest = std::min(EvenOddArea(c.a), EvenOddArea(c.b));
        bool generalPosition = true;
        for (int32_t code = 1; code <= 4; ++code) {
            expected[code] = code == 4 ? ClipperArea(c.b, c.a, 3) : ClipperArea(c.a, c.b, code);
            // Results of a sliver's size are not general position: rounding dominates them.
            if (expected[code] > 0 && expected[code] < 0.01 * smallest) {
                generalPosition = false;
            }
        }
        if (!generalPosition) {
            continue;
        }
        for (int32_t code = 1; code <= 4; ++code) {
            PathCollection result = code == 4 ? FragmentPaths(c.b, c.a, kCut, 9) : FragmentPaths(c.a, c.b, code, 9);
            double area = EvenOddArea(result);
            ASSERT_NEAR(area, expected[code], 0.005 * expected[code] + 1e-9) << "case " << checked << " code " << code;
            ASSERT_TRUE(AllClosedAndSelected(result) || result.PathCount() == 0);
        }
        ++checked;
    }
}

// ---------------------------------------------------------------------------------------------

TEST(PathBooleanNoCrossing, SeparateBoxesKeepOrDropWholePaths)
{
    PathCollection a = Collection({Square(0, 0, 100, 100)});
    a.Paths[1].CompoundID = 5;  // a released compound's id
    PathCollection b = Collection({Square(1000, 0, 1100, 100)});

    PathCollection united = FragmentPaths(a, b, kUnion, 9);
    ASSERT_EQ(united.PathCount(), 2);
    EXPECT_EQ(united.Paths[1].Anchors, a.Paths[1].Anchors);
    EXPECT_EQ(united.Paths[2].Anchors, b.Paths[1].Anchors);
    EXPECT_TRUE(united.Paths[1].blSelected && united.Paths[2].blSelected);

    EXPECT_EQ(FragmentPaths(a, b, kIntersection, 9).PathCount(), 0);

    PathCollection cut = FragmentPaths(a, b, kCut, 9);
    ASSERT_EQ(cut.PathCount(), 1);
    EXPECT_EQ(cut.Paths[1].Anchors, a.Paths[1].Anchors);
    // A lone result is no compound member and keeps its own id.
    EXPECT_FALSE(cut.Paths[1].blCompound);
    EXPECT_EQ(cut.Paths[1].CompoundID, 5);
}

TEST(PathBooleanNoCrossing, OneInsideTheOther)
{
    PathCollection a = Collection({Square(0, 0, 1000, 1000)});
    PathCollection b = Collection({Square(200, 200, 400, 400)});

    PathCollection united = FragmentPaths(a, b, kUnion, 9);
    ASSERT_EQ(united.PathCount(), 1);
    EXPECT_EQ(united.Paths[1].Anchors, a.Paths[1].Anchors);

    PathCollection common = FragmentPaths(a, b, kIntersection, 9);
    ASSERT_EQ(common.PathCount(), 1);
    EXPECT_EQ(common.Paths[1].Anchors, b.Paths[1].Anchors);

    PathCollection cut = FragmentPaths(a, b, kCut, 9);
    ASSERT_EQ(cut.PathCount(), 2);
    for (int32_t i = 1; i <= 2; ++i) {
        EXPECT_TRUE(cut.Paths[static_cast<size_t>(i)].blCompound);
        EXPECT_EQ(cut.Paths[static_cast<size_t>(i)].CompoundID, 9);
    }
    EXPECT_DOUBLE_EQ(EvenOddArea(cut), 1000.0 * 1000 - 200 * 200);
    EXPECT_EQ(FragmentPaths(b, a, kCut, 9).PathCount(), 0);
}

// ---------------------------------------------------------------------------------------------

TEST(PathBooleanCrossing, OverlappingSquares)
{
    PathCollection a = Collection({Square(0, 0, 100, 100)});
    PathCollection b = Collection({Square(50, 50, 150, 150)});

    PathCollection united = FragmentPaths(a, b, kUnion, 9);
    ASSERT_EQ(united.PathCount(), 1);
    EXPECT_EQ(united.Paths[1].AnchorMax(), 7);
    EXPECT_DOUBLE_EQ(EvenOddArea(united), 17500);
    EXPECT_TRUE(AllClosedAndSelected(united));
    EXPECT_FALSE(united.Paths[1].blCompound);

    PathCollection common = FragmentPaths(a, b, kIntersection, 9);
    ASSERT_EQ(common.PathCount(), 1);
    EXPECT_EQ(common.Paths[1].AnchorMax(), 3);
    EXPECT_DOUBLE_EQ(EvenOddArea(common), 2500);

    PathCollection cut = FragmentPaths(a, b, kCut, 9);
    ASSERT_EQ(cut.PathCount(), 1);
    EXPECT_EQ(cut.Paths[1].AnchorMax(), 5);
    EXPECT_DOUBLE_EQ(EvenOddArea(cut), 7500);
}

TEST(PathBooleanCrossing, ResultsCopyTheFirstPathOfA)
{
    PathRecord styled = Square(0, 0, 100, 100);
    styled.LineColor = 0xFF0000FF;
    styled.FillColor = 0xFF00FF00;
    styled.GroupID = 3;
    styled.blGroup = true;
    PathCollection a = Collection({styled});
    PathCollection b = Collection({Square(50, 50, 150, 150), Square(1000, 1000, 1100, 1100)});
    b.Paths[1].blCompound = b.Paths[2].blCompound = true;
    b.Paths[1].CompoundID = b.Paths[2].CompoundID = 4;

    PathCollection united = FragmentPaths(a, b, kUnion, 9);
    ASSERT_EQ(united.PathCount(), 2);
    for (int32_t i = 1; i <= 2; ++i) {
        const PathRecord &path = united.Paths[static_cast<size_t>(i)];
        EXPECT_EQ(path.FillColor, 0xFF00FF00u);
        EXPECT_EQ(path.LineColor, 0xFF0000FFu);
        EXPECT_EQ(path.GroupID, 3);
        EXPECT_TRUE(path.blCompound);
        EXPECT_EQ(path.CompoundID, 4);  // B brings a compound, A none
    }
    a.Paths[1].blCompound = true;
    a.Paths[1].CompoundID = 7;
    EXPECT_EQ(FragmentPaths(a, b, kUnion, 9).Paths[1].CompoundID, 7);
}

TEST(PathBooleanCrossing, CrossingOnAControlPointInsertsNothing)
{
    PathRecord curve = MakePath({{0, 0}, {100, -100}, {200, 0}, {200, 200}, {0, 200}});
    curve.Anchors[1].AnchorKind = core::kControlPoint;
    curve.Anchors[2].AnchorKind = core::kControlPoint;  // lies on B's edge
    PathCollection a = Collection({curve});
    PathCollection b = Collection({Square(200, -300, 400, 300)});
    PathCollection cut = FragmentPaths(a, b, kCut, 9);
    ASSERT_EQ(cut.PathCount(), 1);
    const PathRecord &result = cut.Paths[1];
    ASSERT_EQ(result.AnchorMax(), 4);
    int controlPoints = 0;
    for (const core::AnchorPoint &p : result.Anchors) {
        if (p.X == 200 && p.Y == 0) {
            EXPECT_EQ(p.AnchorKind, core::kOnCurve);
        }
        controlPoints += p.AnchorKind == core::kControlPoint;
    }
    EXPECT_EQ(controlPoints, 1);
}

TEST(PathBooleanCrossing, CrossingPointsRoundHalfToEven)
{
    // The diagonals cross at (0.5, 0.5) + (2, 2): rounded to (2, 2), never (3, 3).
    PathCollection a = Collection({MakePath({{0, 0}, {5, 5}, {0, 10}})});
    PathCollection b = Collection({MakePath({{0, 5}, {5, 0}, {10, 10}})});
    PathCollection common = FragmentPaths(a, b, kIntersection, 9);
    bool found = false;
    for (int32_t i = 1; i <= common.PathCount(); ++i) {
        for (const core::AnchorPoint &p : common.Paths[static_cast<size_t>(i)].Anchors) {
            found = found || (p.X == 2 && p.Y == 2);
            EXPECT_FALSE(p.X == 3 && p.Y == 3);
        }
    }
    EXPECT_TRUE(found);
}

TEST(PathBooleanCrossing, OpenPathAgainstASquare)
{
    PathCollection line = Collection({MakePath({{-100, 50}, {50, 50}, {50, 80}}, false)});
    PathCollection square = Collection({Square(0, 0, 100, 100)});
    // The part inside comes back as a closed there-and-back outline.
    PathCollection inside = FragmentPaths(line, square, kIntersection, 9);
    ASSERT_EQ(inside.PathCount(), 1);
    EXPECT_TRUE(inside.Paths[1].blClosed);
    EXPECT_DOUBLE_EQ(EvenOddArea(inside), 0);
    ASSERT_EQ(inside.Paths[1].AnchorMax(), 3);
    for (const core::AnchorPoint &p : inside.Paths[1].Anchors) {
        EXPECT_GE(p.X, 0);
    }
    // Cutting the square by a zero-width outline leaves its area.
    EXPECT_DOUBLE_EQ(Area(square, line, kCut), 10000);
}

// ---------------------------------------------------------------------------------------------
// Degenerate cases: shared edges, touches, identical operands.

TEST(PathBooleanDegenerate, SquaresSharingAnEdgeWhollyOrPartly)
{
    PathCollection a = Collection({Square(0, 0, 100, 100)});
    for (int32_t top : {0, 50}) {
        PathCollection b = Collection({Square(100, top, 200, top + 100)});
        PathCollection united = FragmentPaths(a, b, kUnion, 9);
        ASSERT_EQ(united.PathCount(), 1);
        EXPECT_EQ(united.Paths[1].AnchorMax(), top == 0 ? 3 : 7);  // one outline
        EXPECT_DOUBLE_EQ(EvenOddArea(united), 20000);
        EXPECT_EQ(FragmentPaths(a, b, kIntersection, 9).PathCount(), 0);
        PathCollection cut = FragmentPaths(a, b, kCut, 9);
        ASSERT_EQ(cut.PathCount(), 1);
        EXPECT_DOUBLE_EQ(EvenOddArea(cut), 10000);
    }
}

TEST(PathBooleanDegenerate, CutAlongASharedEdgeLeavesOneHalf)
{
    PathCollection whole = Collection({Square(0, 0, 100, 100)});
    PathCollection left = Collection({Square(0, 0, 50, 100)});
    PathCollection rest = FragmentPaths(whole, left, kCut, 9);
    ASSERT_EQ(rest.PathCount(), 1);
    EXPECT_DOUBLE_EQ(EvenOddArea(rest), 5000);
    for (const core::AnchorPoint &p : rest.Paths[1].Anchors) {
        EXPECT_GE(p.X, 50);
    }
    EXPECT_DOUBLE_EQ(Area(whole, left, kUnion), 10000);
    EXPECT_DOUBLE_EQ(Area(whole, left, kIntersection), 5000);
    EXPECT_EQ(FragmentPaths(left, whole, kCut, 9).PathCount(), 0);
}

TEST(PathBooleanDegenerate, IdenticalOperands)
{
    PathCollection a = Collection({MakePath({{0, 0}, {300, 40}, {250, 300}, {20, 200}})});
    PathCollection same = a;
    std::reverse(same.Paths[1].Anchors.begin(), same.Paths[1].Anchors.end());
    for (const PathCollection &b : {a, same}) {
        EXPECT_EQ(FragmentPaths(a, b, kCut, 9).PathCount(), 0);
        EXPECT_DOUBLE_EQ(Area(a, b, kUnion), EvenOddArea(a));
        EXPECT_DOUBLE_EQ(Area(a, b, kIntersection), EvenOddArea(a));
        EXPECT_EQ(FragmentPaths(a, b, kUnion, 9).PathCount(), 1);
    }
}

TEST(PathBooleanDegenerate, VertexTouch)
{
    PathCollection a = Collection({Square(0, 0, 100, 100)});
    PathCollection b = Collection({Square(100, 100, 200, 200)});
    EXPECT_DOUBLE_EQ(Area(a, b, kUnion), 20000);
    EXPECT_DOUBLE_EQ(Area(a, b, kIntersection), 0);
    EXPECT_DOUBLE_EQ(Area(a, b, kCut), 10000);
    // A vertex of B on an edge of A.
    PathCollection c = Collection({MakePath({{50, 100}, {100, 200}, {0, 200}})});
    EXPECT_DOUBLE_EQ(Area(a, c, kUnion), 15000);
    EXPECT_DOUBLE_EQ(Area(a, c, kCut), 10000);
}

TEST(PathBooleanDegenerate, CompoundWithAHole)
{
    PathCollection ring = Collection({Square(0, 0, 300, 300), Square(100, 100, 200, 200)});
    PathCollection b = Collection({Square(150, 150, 250, 250)});
    for (int32_t code = 1; code <= 3; ++code) {
        EXPECT_NEAR(Area(ring, b, code), ClipperArea(ring, b, code), 1e-9) << code;
    }
    EXPECT_NEAR(Area(b, ring, kCut), ClipperArea(b, ring, kCut), 1e-9);
    // A cutter wholly inside the hole leaves the ring unchanged.
    PathCollection inHole = Collection({Square(120, 120, 180, 180)});
    EXPECT_DOUBLE_EQ(Area(ring, inHole, kCut), 80000);
}

TEST(PathBooleanDegenerate, CompoundMembersSharingEdges)
{
    // Members of one compound share edges wholly or partly, and the other operand runs along them.
    PathCollection nested = Collection({Square(0, 0, 600, 500), Square(0, 0, 400, 100)});
    PathCollection crossing = Collection({Square(100, 0, 400, 400), Square(200, 100, 600, 300)});
    PathCollection overlapping = Collection({Square(400, 0, 600, 500), Square(0, 200, 600, 300)});
    PathCollection bar = Collection({Square(0, 300, 400, 400)});
    for (int32_t code = 1; code <= 3; ++code) {
        EXPECT_DOUBLE_EQ(Area(nested, crossing, code), ClipperArea(nested, crossing, code)) << code;
        EXPECT_DOUBLE_EQ(Area(crossing, nested, code), ClipperArea(crossing, nested, code)) << code;
        EXPECT_DOUBLE_EQ(Area(overlapping, bar, code), ClipperArea(overlapping, bar, code)) << code;
        EXPECT_DOUBLE_EQ(Area(bar, overlapping, code), ClipperArea(bar, overlapping, code)) << code;
    }
}

TEST(PathBooleanDegenerate, OneTwipPieceKeepsTheShape)
{
    // B has a one-twip notch reaching into A: the union keeps the one-twip piece of A's edge
    // inside the notch, and with it the large parts of B that end there.
    PathCollection a = Collection({Square(0, 0, 1000, 1000)});
    PathCollection b = Collection({MakePath({{-500, -500}, {500, -500}, {500, 500}, {501, 500}, {501, -500},
                                             {1500, -500}, {1500, 500}, {-500, 500}})});
    for (int32_t code = 1; code <= 3; ++code) {
        double expected = ClipperArea(a, b, code);
        // Thinning the results by one twip may close the notch itself.
        EXPECT_NEAR(Area(a, b, code), expected, 0.001 * expected) << code;
    }
}

TEST(PathBooleanDegenerate, OneAnchorPathsAreSkipped)
{
    PathCollection a = Collection({MakePath({{10, 10}}), Square(0, 0, 100, 100)});
    PathCollection b = Collection({Square(50, 50, 150, 150), MakePath({{60, 60}}, false)});
    EXPECT_DOUBLE_EQ(Area(a, b, kUnion), 17500);
    EXPECT_DOUBLE_EQ(Area(a, b, kCut), 7500);
    PathCollection far = Collection({Square(1000, 1000, 1100, 1100)});
    EXPECT_EQ(FragmentPaths(a, far, kUnion, 9).PathCount(), 2);
}

TEST(PathBooleanDegenerate, StrayKindsFromAFileAreNoSplitMarks)
{
    PathRecord odd = Square(0, 0, 100, 100);
    odd.Anchors[0].AnchorKind = 6;
    odd.Anchors[1].AnchorKind = -1;
    odd.Anchors[2].AnchorKind = 7;  // a control point
    PathCollection a = Collection({odd});
    PathCollection b = Collection({Square(50, 50, 150, 150)});
    PathCollection united = FragmentPaths(a, b, kUnion, 9);
    ASSERT_EQ(united.PathCount(), 1);
    EXPECT_TRUE(AllClosedAndSelected(united));
    EXPECT_EQ(FragmentPaths(a, Collection({Square(500, 500, 600, 600)}), kUnion, 9).PathCount(), 2);
    // Apart from each other, yet each with stray kinds: whole paths, no reading past the end.
    PathCollection far = Collection({odd});
    for (core::AnchorPoint &p : far.Paths[1].Anchors) {
        p.X += 1000;
    }
    EXPECT_EQ(FragmentPaths(a, far, kCut, 9).PathCount(), 1);
}

TEST(PathBooleanDegenerate, HugeCoordinatesAreClamped)
{
    PathCollection a = Collection({Square(INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX)});
    PathCollection b = Collection({Square(0, 0, INT32_MAX, 100)});
    PathCollection cut = FragmentPaths(a, b, kCut, 9);
    ASSERT_GE(cut.PathCount(), 1);
    for (const core::AnchorPoint &p : cut.Paths[1].Anchors) {
        EXPECT_LE(std::abs(int64_t{p.X}), core::kFragmentCoordinateLimit);
    }
}

TEST(PathBooleanDegenerate, ManyCrossingsOfTwoCombs)
{
    Points combA{{0, 0}};
    Points combB{{0, 1000}};
    for (int32_t k = 0; k < 50; ++k) {
        combA.emplace_back(k * 40 + 10, 0);
        combA.emplace_back(k * 40 + 10, 800);
        combA.emplace_back(k * 40 + 30, 800);
        combA.emplace_back(k * 40 + 30, 0);
        combB.emplace_back(k * 40 + 16, 1000);  // crosses A's teeth at whole twips
        combB.emplace_back(k * 40 + 24, 200);
        combB.emplace_back(k * 40 + 36, 1000);
    }
    combA.emplace_back(2000, 0);
    combA.emplace_back(2000, -100);
    combA.emplace_back(0, -100);
    combB.emplace_back(2000, 1000);
    combB.emplace_back(2000, 1100);
    combB.emplace_back(0, 1100);
    PathCollection a = Collection({MakePath(combA)});
    PathCollection b = Collection({MakePath(combB)});
    for (int32_t code = 1; code <= 3; ++code) {
        EXPECT_DOUBLE_EQ(Area(a, b, code), ClipperArea(a, b, code)) << code;
    }
}

// ---------------------------------------------------------------------------------------------

}  // namespace
