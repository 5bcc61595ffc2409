// Path boolean operations on polygons snapped to a coarse grid, where outlines touch at vertices
// and run along each other often: areas against Clipper's, and the smallest cases found that way.
#include "core/path_boolean.h"

#include "boolean_test_support.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <random>
#include <sstream>
#include <string>

namespace {

using namespace booleantest;
using core::FragmentPaths;
using core::PathCollection;
using core::PathRecord;

constexpr int32_t kGridStep = 10000;

// A random ring on a grid of eleven by eleven points 10,000 twips apart: a rectangle, a triangle
// or a polygon of up to six vertices (which may cross itself). The wide spacing keeps the
// rounding of crossing points to whole twips small beside a grid cell.
PathRecord RandomGridRing(std::mt19937 &random)
{
    std::uniform_int_distribution<int32_t> coordinate(0, 10);
    auto next = [&] { return coordinate(random) * kGridStep; };
    int shape = static_cast<int>(random() % 3);
    if (shape == 0) {
        int32_t x1 = next(), y1 = next(), x2 = next(), y2 = next();
        return Square(std::min(x1, x2), std::min(y1, y2), std::max(x1, x2), std::max(y1, y2));
    }
    Points points;
    int count = shape == 1 ? 3 : 4 + static_cast<int>(random() % 3);
    for (int k = 0; k < count; ++k) {
        points.emplace_back(next(), next());
    }
    return MakePath(points);
}

PathCollection RandomGridOperand(std::mt19937 &random)
{
    PathCollection operand;
    int rings = 1 + static_cast<int>(random() % 3);
    for (int k = 0; k < rings; ++k) {
        operand.Paths.push_back(RandomGridRing(random));
    }
    return operand;
}

std::string Describe(const PathCollection &operand)
{
    std::ostringstream text;
    for (int32_t i = 1; i <= operand.PathCount(); ++i) {
        text << "{";
        for (const core::AnchorPoint &p : operand.Paths[static_cast<size_t>(i)].Anchors) {
            text << "{" << p.X << "," << p.Y << "}";
        }
        text << "} ";
    }
    return text.str();
}

double Perimeter(const PathCollection &operand)
{
    double length = 0;
    for (int32_t i = 1; i <= operand.PathCount(); ++i) {
        const core::AnchorArray &ring = operand.Paths[static_cast<size_t>(i)].Anchors;
        for (size_t k = 0; k < ring.size(); ++k) {
            const core::AnchorPoint &p = ring[k];
            const core::AnchorPoint &q = ring[(k + 1) % ring.size()];
            length += std::hypot(static_cast<double>(q.X - p.X), static_cast<double>(q.Y - p.Y));
        }
    }
    return length;
}

// Rounding a crossing point to whole twips (here and in Clipper) and removing anchors within a
// twip of a straight line move an outline by about a twip: the area by about its length in twips.
// A wrong outline is off by a sizeable part of a grid cell (10^8 square twips).
bool AreasAgree(double area, double expected, double outlineLength)
{
    return std::abs(area - expected) <= 2 * outlineLength;
}

// Runs the given number of random cases (QUILLARK_BOOLEAN_GRID_CASES overrides it) and returns
// the number of operations whose area differs from the expected one.
int GridMismatches(int cases)
{
    if (const char *text = std::getenv("QUILLARK_BOOLEAN_GRID_CASES")) {
        cases = std::atoi(text);
    }
    std::mt19937 random(77031);
    int mismatches = 0;
    for (int k = 0; k < cases; ++k) {
        PathCollection a = RandomGridOperand(random);
        PathCollection b = RandomGridOperand(random);
        for (int32_t code = 1; code <= 4; ++code) {
            const PathCollection &first = code == 4 ? b : a;
            const PathCollection &second = code == 4 ? a : b;
            int32_t operation = code == 4 ? 3 : code;
            PathCollection result = FragmentPaths(first, second, code, 9);
            double expected = ClipperArea(first, second, operation);
            double area = EvenOddArea(result);
            double length = Perimeter(a) + Perimeter(b);
            if (AreasAgree(area, expected, length)) {
                continue;
            }
            // Clipper itself errs on a few inputs where outlines overlap along their length (in
            // an operand or in the result); there the exact areas by slabs decide.
            area = SlabArea(result, PathCollection(), 1);
            expected = SlabArea(first, second, operation);
            if (!AreasAgree(area, expected, length)) {
                ++mismatches;
                ADD_FAILURE() << "case " << k << " code " << code << ": area " << area << ", expected " << expected
                              << "\n  a: " << Describe(a) << "\n  b: " << Describe(b);
            }
        }
    }
    return mismatches;
}

TEST(PathBooleanGrid, AreasMatchClipperOnGridCompounds)
{
    EXPECT_EQ(GridMismatches(500), 0);
}

// Areas of a - b, a n b, a u b and b - a: by hand, and Clipper's.
void ExpectAreas(const PathCollection &a, const PathCollection &b, double cut, double common, double united,
                 double cutOfB)
{
    const double expected[5] = {0, united, common, cut, cutOfB};
    for (int32_t code = 1; code <= 4; ++code) {
        PathCollection result = code == 4 ? FragmentPaths(b, a, code, 9) : FragmentPaths(a, b, code, 9);
        double clipper = code == 4 ? ClipperArea(b, a, 3) : ClipperArea(a, b, code);
        EXPECT_DOUBLE_EQ(EvenOddArea(result), expected[code]) << "code " << code;
        EXPECT_DOUBLE_EQ(clipper, expected[code]) << "code " << code;
        for (int32_t i = 1; i <= result.PathCount(); ++i) {
            EXPECT_TRUE(result.Paths[static_cast<size_t>(i)].blClosed);
        }
    }
}

TEST(PathBooleanGrid, VertexOfTheCutterOnAnEdgeSplitsTheRest)
{
    // The triangle's tip touches the square's left edge; both its edges run into the square, so
    // four pieces meet at the tip and the cut leaves two parts touching there.
    PathCollection square = Collection({Square(0, 0, 400, 400)});
    PathCollection wedge = Collection({MakePath({{0, 200}, {800, 400}, {800, 0}})});
    ExpectAreas(square, wedge, 120000, 40000, 280000, 120000);
    PathCollection cut = FragmentPaths(square, wedge, core::kFragmentCutBack, 9);
    EXPECT_EQ(cut.PathCount(), 2);
}

TEST(PathBooleanGrid, CompoundMembersTouchingAtACorner)
{
    // Two squares of one compound meet at (100, 100); the other operand covers that corner, or
    // fills the gap beside it along both squares' edges.
    PathCollection pair = Collection({Square(0, 0, 100, 100), Square(100, 100, 200, 200)});
    PathCollection over = Collection({Square(50, 50, 150, 150)});
    ExpectAreas(pair, over, 15000, 5000, 25000, 5000);
    PathCollection beside = Collection({Square(100, 0, 200, 100)});
    ExpectAreas(pair, beside, 20000, 0, 30000, 10000);
    // The intersection keeps both corners of the overlap as separate outlines meeting at the point.
    EXPECT_EQ(FragmentPaths(pair, over, core::kFragmentIntersection, 9).PathCount(), 2);
}

TEST(PathBooleanGrid, EdgeThroughCrossingsOfCompoundMembers)
{
    // A cross of two bars (even-odd: the middle square is empty); the triangle's long edge runs
    // through two points where the bars' outlines cross, so six piece ends meet at each.
    PathCollection cross = Collection({Square(100, 0, 200, 300), Square(0, 100, 300, 200)});
    PathCollection triangle = Collection({MakePath({{0, 0}, {300, 0}, {0, 300}})});
    ExpectAreas(cross, triangle, 20000, 20000, 65000, 25000);
}

TEST(PathBooleanGrid, OutlinesOfOneOperandLyingOnTheOthersEdge)
{
    // A flat ring running out and back along the triangle's bottom edge, beyond its end.
    PathCollection flat = Collection({MakePath({{100, 0}, {200, 0}, {600, 0}})});
    PathCollection triangle = Collection({MakePath({{100, 0}, {500, 0}, {100, 300}})});
    ExpectAreas(flat, triangle, 0, 0, 60000, 60000);
    // An open line along the square's edge: the square keeps its area, and the part of the line
    // outside it comes back as a there-and-back outline.
    PathCollection line = Collection({MakePath({{0, 0}, {200, 0}}, false)});
    PathCollection square = Collection({Square(0, 0, 100, 100)});
    EXPECT_DOUBLE_EQ(EvenOddArea(FragmentPaths(square, line, core::kFragmentUnion, 9)), 10000);
    EXPECT_DOUBLE_EQ(EvenOddArea(FragmentPaths(square, line, core::kFragmentCutBack, 9)), 10000);
    EXPECT_DOUBLE_EQ(EvenOddArea(FragmentPaths(line, square, core::kFragmentUnion, 9)), 10000);
}

}  // namespace
