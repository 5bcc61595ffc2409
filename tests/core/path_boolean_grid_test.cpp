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
        const std::vector<core::AnchorPoint> &ring = operand.Paths[static_cast<size_t>(i)].Anchors;
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
// the number of operations whose area differs from Clipper's.
int GridMismatches(int cases, bool report)
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
            double expected = code == 4 ? ClipperArea(b, a, 3) : ClipperArea(a, b, code);
            PathCollection result = code == 4 ? FragmentPaths(b, a, code, 9) : FragmentPaths(a, b, code, 9);
            double area = EvenOddArea(result);
            if (!AreasAgree(area, expected, Perimeter(a) + Perimeter(b))) {
                ++mismatches;
                if (report) {
                    ADD_FAILURE() << "case " << k << " code " << code << ": area " << area << ", Clipper " << expected
                                  << "\n  a: " << Describe(a) << "\n  b: " << Describe(b);
                }
            }
        }
    }
    return mismatches;
}

TEST(PathBooleanGrid, AreasMatchClipperOnGridCompounds)
{
    EXPECT_EQ(GridMismatches(1500, true), 0);
}

}  // namespace
