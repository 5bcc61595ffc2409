#include "core/path_optimizer.h"

#include "editing_fixture.h"

#include <cmath>

using namespace core;
using namespace editingtest;

namespace {

using PointList = std::vector<std::pair<int32_t, int32_t>>;

TEST(PathOptimizerTest, PointToleranceDropsCloseAnchorsDownToAnOpenLine)
{
    PathRecord path = MakePath({{0, 0}, {10, 0}, {1000, 0}}, true);
    path.LineMode = 0;
    OptimizePath(path, 60.0f, 0.0f);
    EXPECT_EQ(Points(path), (PointList{{0, 0}, {1000, 0}}));
    EXPECT_FALSE(path.blClosed);
    EXPECT_EQ(path.LineMode, 1);

    // Never below two anchors, even when every anchor is close; anchor 0 always stays.
    PathRecord cluster = MakePath({{0, 0}, {1, 0}, {2, 0}, {3, 0}, {4, 0}});
    OptimizePath(cluster, 60.0f, 0.0f);
    EXPECT_EQ(Points(cluster), (PointList{{0, 0}, {4, 0}}));

    // Each anchor is compared with the anchor kept before it, strictly below the tolerance.
    PathRecord chain = MakePath({{0, 0}, {40, 0}, {80, 0}, {140, 0}, {140, 500}});
    OptimizePath(chain, 60.0f, 0.0f);
    EXPECT_EQ(Points(chain), (PointList{{0, 0}, {80, 0}, {140, 0}, {140, 500}}));
}

TEST(PathOptimizerTest, LineToleranceDropsAnchorsNearTheirNeighboursChord)
{
    PathRecord open = MakePath({{0, 0}, {500, 1}, {1000, 0}});
    PathRecord kept = open;
    OptimizePath(kept, 0.0f, 0.0f);
    EXPECT_EQ(Points(kept), Points(open));
    OptimizePath(open, 0.0f, 30.0f);
    EXPECT_EQ(Points(open), (PointList{{0, 0}, {1000, 0}}));

    // An open path keeps its ends even when they lie on the line.
    PathRecord ends = MakePath({{0, 0}, {0, 0}, {500, 300}, {1000, 0}, {1000, 0}});
    OptimizePath(ends, 0.0f, 30.0f);
    EXPECT_EQ(ends.Anchors.front().X, 0);
    EXPECT_EQ(ends.Anchors.back().X, 1000);
    EXPECT_EQ(ends.AnchorMax(), 2);
}

TEST(PathOptimizerTest, ClosedSquareLosesItsMidSideAnchorButKeepsItsCorners)
{
    PathRecord square = MakePath({{0, 0}, {500, 0}, {1000, 0}, {1000, 1000}, {0, 1000}}, true);
    OptimizePath(square, 0.0f, 0.5f);
    EXPECT_EQ(Points(square), (PointList{{0, 0}, {1000, 0}, {1000, 1000}, {0, 1000}}));
    EXPECT_TRUE(square.blClosed);

    // Anchor 0 of a closed path is a candidate too (its neighbours are the last and the second).
    PathRecord wrap = MakePath({{500, 0}, {1000, 0}, {1000, 1000}, {0, 1000}, {0, 0}}, true);
    OptimizePath(wrap, 0.0f, 1.0f);
    EXPECT_EQ(Points(wrap), (PointList{{1000, 0}, {1000, 1000}, {0, 1000}, {0, 0}}));

    // A tolerance above the corners' distance to their neighbours' chords flattens the square
    // to a line of two anchors, which is opened and stroked.
    PathRecord flat = MakePath({{0, 0}, {1000, 0}, {1000, 1000}, {0, 1000}}, true);
    OptimizePath(flat, 0.0f, 800.0f);
    EXPECT_EQ(flat.AnchorMax(), 1);
    EXPECT_FALSE(flat.blClosed);
}

TEST(PathOptimizerTest, AnchorExactlyAtTheToleranceStays)
{
    PathRecord point = MakePath({{0, 0}, {60, 0}, {60, 500}});
    OptimizePath(point, 60.0f, 0.0f);
    EXPECT_EQ(point.AnchorMax(), 2);
    PathRecord line = MakePath({{0, 0}, {500, 30}, {1000, 0}});
    OptimizePath(line, 0.0f, 30.0f);
    EXPECT_EQ(line.AnchorMax(), 2);
}

TEST(PathOptimizerTest, ShortPathsAreLeftExactlyAsTheyAre)
{
    for (auto path : {MakePath({}), MakePath({{0, 0}}), MakePath({{0, 0}, {1, 1}}, true)}) {
        PathRecord before = path;
        OptimizePath(path, 1000.0f, 1000.0f);
        EXPECT_EQ(Points(path), Points(before));
        EXPECT_EQ(path.blClosed, before.blClosed);
    }
}

// The line pass must match a literal rescan-after-every-deletion on an irregular closed path.
TEST(PathOptimizerTest, LinePassMatchesRescanningFromTheStart)
{
    auto reference = [](PathRecord path, float tolerance) {
        auto distance = [](const AnchorPoint &p, const AnchorPoint &n, const AnchorPoint &a) {
            // Perpendicular or end distance, as for a plain segment.
            double vx = n.X - p.X, vy = n.Y - p.Y, wx = a.X - p.X, wy = a.Y - p.Y;
            double len2 = vx * vx + vy * vy;
            double t = len2 == 0 ? 0 : std::clamp((vx * wx + vy * wy) / len2, 0.0, 1.0);
            return std::hypot(wx - t * vx, wy - t * vy);
        };
        bool deleted = true;
        while (deleted && path.AnchorMax() > 1) {
            deleted = false;
            int32_t last = path.AnchorMax();
            for (int32_t i = path.blClosed ? 0 : 1; i <= (path.blClosed ? last : last - 1); ++i) {
                const auto &a = path.Anchors;
                int32_t p = i == 0 ? last : i - 1;
                int32_t n = i == last ? 0 : i + 1;
                if (distance(a[static_cast<size_t>(p)], a[static_cast<size_t>(n)], a[static_cast<size_t>(i)]) <
                    tolerance) {
                    path.Anchors.erase(path.Anchors.begin() + i);
                    deleted = true;
                    break;
                }
            }
        }
        return Points(path);
    };
    PathRecord wobble = MakePath({});
    for (int32_t i = 0; i < 200; ++i) {
        double t = i * 0.0314159;
        wobble.Anchors.push_back(AnchorPoint{static_cast<int32_t>(std::lround(3000 * std::cos(t) + (i * 37) % 23)),
                                             static_cast<int32_t>(std::lround(2000 * std::sin(3 * t))), kOnCurve});
    }
    for (bool closed : {false, true}) {
        for (float tolerance : {5.0f, 40.0f, 300.0f}) {
            PathRecord path = wobble;
            path.blClosed = closed;
            PointList expected = reference(path, tolerance);
            OptimizePath(path, 0.0f, tolerance);
            EXPECT_EQ(Points(path), expected) << closed << " " << tolerance;
        }
    }
}

}  // namespace
