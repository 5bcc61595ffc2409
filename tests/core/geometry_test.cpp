#include "core/document.h"
#include "core/geometry.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <iterator>
#include <limits>
#include <random>
#include <optional>
#include <utility>

using namespace core;

namespace {

constexpr int32_t kMin = INT32_MIN;
constexpr int32_t kMax = INT32_MAX;

AnchorPoint Pt(int32_t x, int32_t y)
{
    return AnchorPoint{x, y, kOnCurve};
}

PathRecord Polygon(std::initializer_list<AnchorPoint> anchors)
{
    PathRecord path;
    path.Anchors = anchors;
    path.blClosed = true;
    return path;
}

PathCollection Collection(std::initializer_list<PathRecord> paths)
{
    PathCollection collection;
    for (const PathRecord &path : paths) {
        collection.Paths.push_back(path);
    }
    return collection;
}

}  // namespace

TEST(Geometry, SegmentDistanceMeasuresToTheSegmentOrItsNearerEnd)
{
    EXPECT_EQ(GetDistance(3, 4), 5.0f);
    EXPECT_EQ(GetSegmentDistance(0, 0, 10, 0, 5, 5), 5.0f);
    EXPECT_EQ(GetSegmentDistance(0, 0, 10, 0, 13, 4), 5.0f);   // beyond the second end
    EXPECT_EQ(GetSegmentDistance(0, 0, 10, 0, -3, -4), 5.0f);  // beyond the first end
    EXPECT_EQ(GetSegmentDistance(0, 0, 0, 0, 5, 5), GetDistance(5, 5));
    // Extreme coordinates: the products need more than 64 bits.
    EXPECT_EQ(GetSegmentDistance(kMin, kMin, kMax, kMax, kMin, kMax), 3037000448.0f);
}

TEST(Geometry, RotationTurnsPositiveAnglesTowardsPlusY)
{
    int32_t x = 10;
    int32_t y = 0;
    RotatePoint(x, y, 0, 0, static_cast<float>(kPi / 2));
    EXPECT_EQ(x, 0);
    EXPECT_EQ(y, 10);

    // cos of the single-precision pi/3 is 0.49999997..., so 500 - 2.5e-5 rounds to 500.
    x = 1100;
    y = 100;
    RotatePoint(x, y, 100, 100, static_cast<float>(kPi / 3));
    EXPECT_EQ(x, 600);
    EXPECT_EQ(y, 966);

    x = kMax;
    y = kMin;
    RotatePoint(x, y, kMin, kMax, static_cast<float>(kPi));  // saturates instead of overflowing
    EXPECT_EQ(x, kMin);
    EXPECT_EQ(y, kMax);
}

namespace {

// (x, y) after ScaleByHandle with origin (0, 0) unless given.
AnchorPoint Scaled(AnchorPoint p, float rx, float ry, int32_t ex, int32_t ey, int32_t handle,
                   int32_t ox = 0, int32_t oy = 0)
{
    ScaleByHandle(p.X, p.Y, ox, oy, rx, ry, ex, ey, handle);
    return p;
}

}  // namespace

TEST(Geometry, HandleDragScalesShearsAndTapers)
{
    // Corner taper with ry exactly 1: y = ey is scaled by rx about ox, y = oy stays.
    EXPECT_EQ(Scaled(Pt(100, 100), 0.5f, 1.0f, 100, 100, 1), Pt(50, 100));
    EXPECT_EQ(Scaled(Pt(80, 0), 0.5f, 1.0f, 100, 100, 1), Pt(80, 0));
    // Corner taper with rx exactly 1 moves y instead; neither factor 1 moves nothing.
    EXPECT_EQ(Scaled(Pt(100, 100), 1.0f, 0.5f, 100, 100, 9), Pt(100, 50));
    EXPECT_EQ(Scaled(Pt(100, 100), 0.5f, 0.5f, 100, 100, 3), Pt(100, 100));
    // Handle 2: y scaled, x sheared by (y' - oy)(ex - ox) / (ey - oy).
    EXPECT_EQ(Scaled(Pt(10, 30), 1.0f, 2.0f, 50, 100, 2), Pt(40, 60));
    // Handle 6: x scaled, y sheared; 17.5 rounds to the even 18.
    EXPECT_EQ(Scaled(Pt(30, 10), 0.5f, 1.0f, 100, 50, 6), Pt(15, 18));
}

TEST(Geometry, HandleDragWithAZeroDivisorLeavesThePoint)
{
    for (int32_t handle : {2, 8, 4, 6, 1}) {
        EXPECT_EQ(Scaled(Pt(70, 30), 1.0f, 1.0f, 10, 20, handle, 10, 20), Pt(70, 30)) << handle;
    }
    // The taper of y divides by ex - ox.
    EXPECT_EQ(Scaled(Pt(70, 30), 1.0f, 0.5f, 10, 99, 7, 10, 20), Pt(70, 30));
    // Extreme coordinates saturate instead of overflowing.
    EXPECT_EQ(Scaled(Pt(kMax, kMin), 1.0f, 3.0f, kMax, kMin, 8, kMin, kMax), Pt(kMax, kMin));
}

class Transform3D : public ::testing::Test {
protected:
    void SetUp() override
    {
        ResetDocumentForTest();
        Doc().CurrentSettings.Width = 320;
    }
};

TEST_F(Transform3D, PerspectiveScalesByTheDepth)
{
    // Depth 1000 twips: f = single(320 / 370) = 0.86486489.
    int32_t x = 2500;
    int32_t y = 1500;
    Transform3DPoint(x, y, 500, 500, 0, static_cast<float>(kPi / 6), 0, 1.0f, 320);
    EXPECT_EQ(x, 1998);
    EXPECT_EQ(y, 1365);

    // Depth -3200 (towards the viewer): f = 2.
    x = 3700;
    y = 600;
    Transform3DPoint(x, y, 500, 500, 0, static_cast<float>(-kPi / 2), 0, 1.0f, 320);
    EXPECT_EQ(x, 500);
    EXPECT_EQ(y, 700);
}

TEST_F(Transform3D, APointAtOrBehindTheEyeKeepsFactorOne)
{
    // Depth -6400 makes W + z / 20 zero; -7000 makes it negative.
    for (int32_t offset : {6400, 7000}) {
        int32_t x = 500 + offset;
        int32_t y = 600;
        Transform3DPoint(x, y, 500, 500, 0, static_cast<float>(-kPi / 2), 0, 1.0f, 320);
        EXPECT_EQ(x, 500) << offset;
        EXPECT_EQ(y, 600) << offset;
    }
    int32_t x = kMax;
    int32_t y = kMin;
    Transform3DPoint(x, y, kMin, kMax, 1.0f, 2.0f, 3.0f, 1.0f, 320);  // any input stays defined
    SUCCEED();
}

namespace {

using Crossing = std::optional<std::pair<float, float>>;

// The crossing IntersectSegments reports, or nullopt.
Crossing Meet(AnchorPoint p1, AnchorPoint p2, AnchorPoint q1, AnchorPoint q2)
{
    float ix = 0;
    float iy = 0;
    return IntersectSegments(p1, p2, q1, q2, ix, iy) ? Crossing({ix, iy}) : std::nullopt;
}

Crossing At(float x, float y)
{
    return Crossing({x, y});
}

}  // namespace

TEST(Geometry, SegmentsCrossInsideAndAtTheirEnds)
{
    EXPECT_EQ(Meet(Pt(0, 0), Pt(10, 10), Pt(0, 10), Pt(10, 0)), At(5, 5));
    EXPECT_EQ(Meet(Pt(0, 0), Pt(10, 10), Pt(10, 10), Pt(20, 0)), At(10, 10));  // shared end
    EXPECT_EQ(Meet(Pt(5, -5), Pt(5, 5), Pt(0, 0), Pt(10, 0)), At(5, 0));       // vertical p
    EXPECT_EQ(Meet(Pt(0, 3), Pt(10, 3), Pt(7, 0), Pt(7, 9)), At(7, 3));        // vertical q
    EXPECT_EQ(Meet(Pt(0, 0), Pt(10, 10), Pt(0, 10), Pt(4, 6)), std::nullopt);  // short of it
    // The full coordinate range meets at (-0.5, -0.5) without overflow.
    EXPECT_EQ(Meet(Pt(kMin, kMin), Pt(kMax, kMax), Pt(kMin, kMax), Pt(kMax, kMin)), At(-0.5f, -0.5f));
}

TEST(Geometry, ParallelCollinearAndVerticalPairsNeverCross)
{
    EXPECT_EQ(Meet(Pt(0, 0), Pt(10, 0), Pt(5, 0), Pt(15, 0)), std::nullopt);
    EXPECT_EQ(Meet(Pt(0, 0), Pt(10, 10), Pt(0, 1), Pt(10, 11)), std::nullopt);
    EXPECT_EQ(Meet(Pt(3, 0), Pt(3, 10), Pt(3, 5), Pt(3, 15)), std::nullopt);
    // A zero-length segment meets a sloped one it lies on, but never a vertical one.
    EXPECT_EQ(Meet(Pt(4, 4), Pt(4, 4), Pt(0, 0), Pt(8, 8)), At(4, 4));
    EXPECT_EQ(Meet(Pt(4, 5), Pt(4, 5), Pt(0, 0), Pt(8, 8)), std::nullopt);
    EXPECT_EQ(Meet(Pt(4, 4), Pt(4, 4), Pt(4, 0), Pt(4, 8)), std::nullopt);
}

TEST(Geometry, SteepSegmentsCrossExactly)
{
    // Recomputing y from a single-precision x would put this point about 17 twips off.
    const AnchorPoint steep1 = Pt(20000, 0);
    const AnchorPoint steep2 = Pt(20001, 20000);
    EXPECT_EQ(Meet(steep1, steep2, Pt(19000, 100), Pt(21000, 100)), At(20000.005859375f, 100));
    EXPECT_EQ(Meet(Pt(19000, 100), Pt(21000, 100), steep1, steep2), At(20000.005859375f, 100));
    // y = 20015 lies past the steep segment's end although x rounds into its range.
    EXPECT_EQ(Meet(steep1, steep2, Pt(19000, 20015), Pt(21000, 20015)), std::nullopt);
    EXPECT_EQ(Meet(Pt(19000, 20015), Pt(21000, 20015), steep1, steep2), std::nullopt);
    EXPECT_EQ(Meet(steep1, steep2, Pt(19000, 20000), Pt(21000, 20000)), At(20001, 20000));
}

TEST(Geometry, PointInPathsClassesInsideOutsideAndBoundary)
{
    PathCollection square = Collection({Polygon({Pt(0, 0), Pt(100, 0), Pt(100, 100), Pt(0, 100)})});
    Rect32 bounds{0, 0, 200, 200};
    EXPECT_EQ(PointInPaths(50, 50, square, bounds), 1);
    EXPECT_EQ(PointInPaths(150, 50, square, bounds), -1);
    EXPECT_EQ(PointInPaths(-1, 50, square, bounds), -1);  // outside the bounds rectangle

    PathCollection slantLeft = Collection({Polygon({Pt(0, 0), Pt(100, 0), Pt(0, 100)})});
    EXPECT_EQ(PointInPaths(50, 50, slantLeft, bounds), 0);
    PathCollection slantRight = Collection({Polygon({Pt(100, 0), Pt(100, 100), Pt(0, 100)})});
    EXPECT_EQ(PointInPaths(50, 50, slantRight, bounds), -1);

    // Two squares, one inside the other: even-odd.
    PathCollection ring = Collection({Polygon({Pt(0, 0), Pt(100, 0), Pt(100, 100), Pt(0, 100)}),
                                      Polygon({Pt(25, 25), Pt(75, 25), Pt(75, 75), Pt(25, 75)})});
    EXPECT_EQ(PointInPaths(50, 50, ring, bounds), -1);
    EXPECT_EQ(PointInPaths(10, 50, ring, bounds), 1);

    // Paths of two anchors are ignored.
    PathCollection line = Collection({Polygon({Pt(0, 0), Pt(100, 100)})});
    EXPECT_EQ(PointInPaths(10, 50, line, bounds), -1);
}

TEST(Geometry, PointInPathsCountsARayThroughAVertexOnce)
{
    Rect32 bounds{0, 0, 200, 200};
    // The ray passes through the diamond's right corner: one crossing.
    PathCollection diamond = Collection({Polygon({Pt(50, 0), Pt(100, 50), Pt(50, 100), Pt(0, 50)})});
    EXPECT_EQ(PointInPaths(20, 50, diamond, bounds), 1);
    // The ray only touches the triangle's lowest corner: no crossing.
    PathCollection wedge = Collection({Polygon({Pt(0, 0), Pt(100, 50), Pt(100, 0)})});
    EXPECT_EQ(PointInPaths(50, 50, wedge, bounds), -1);
    // A horizontal edge on the ray's line between two sides going on to opposite sides.
    PathCollection step = Collection({Polygon({Pt(0, 0), Pt(100, 0), Pt(100, 50), Pt(150, 50), Pt(150, 100),
                                               Pt(0, 100)})});
    EXPECT_EQ(PointInPaths(20, 50, step, bounds), 1);
    EXPECT_EQ(PointInPaths(20, 75, step, bounds), 1);
}

TEST(Geometry, SelectedAnchorCenterIsTheTruncatedMean)
{
    ResetDocumentForTest();
    Document &doc = Doc();
    doc.DocPaths.push_back(Polygon({Pt(0, 0), Pt(3, -3), Pt(kMax, kMax), Pt(kMax, kMax)}));

    int32_t x = 7;
    int32_t y = 8;
    GetSelectedAnchorCenter(doc.DocPaths, doc.SelectedAnchors, x, y);  // nothing selected: unchanged
    EXPECT_EQ(x, 7);
    EXPECT_EQ(y, 8);

    doc.SelectedAnchors = {AnchorRef{9, 9}, AnchorRef{1, 0}, AnchorRef{1, 1}};  // entry 0 never counts
    GetSelectedAnchorCenter(doc.DocPaths, doc.SelectedAnchors, x, y);
    EXPECT_EQ(x, 1);
    EXPECT_EQ(y, -1);

    doc.SelectedAnchors = {AnchorRef{}, AnchorRef{1, 2}, AnchorRef{1, 3}};  // sums past 32 bits
    GetSelectedAnchorCenter(doc.DocPaths, doc.SelectedAnchors, x, y);
    EXPECT_EQ(x, kMax);
    EXPECT_EQ(y, kMax);
}

// Every routine on coordinates from anywhere in the range and on any factor or angle, NaN and
// infinities included: results stay defined (the sanitizers check the arithmetic).
TEST(Geometry, AnyInputStaysDefined)
{
    const int32_t coordinates[] = {kMin, kMin + 1, -65536, -1, 0, 1, 20000, kMax - 1, kMax};
    const float factors[] = {0.0f, -0.0f, 1.0f, -1.0f, 0.5f, 1e30f, -1e30f, 3.4e38f,
                             std::numeric_limits<float>::infinity(), std::numeric_limits<float>::quiet_NaN()};
    std::mt19937 random(5);
    auto coordinate = [&] {
        return random() % 3 == 0 ? static_cast<int32_t>(random()) : coordinates[random() % std::size(coordinates)];
    };
    auto factor = [&] { return factors[random() % std::size(factors)]; };
    const int32_t width = coordinate();
    for (int round = 0; round < 5000; ++round) {
        int32_t x = coordinate();
        int32_t y = coordinate();
        EXPECT_FALSE(std::isnan(GetSegmentDistance(coordinate(), coordinate(), coordinate(), coordinate(), x, y)));
        EXPECT_FALSE(std::isnan(GetAngle(coordinate(), coordinate(), x, y)));
        RotatePoint(x, y, coordinate(), coordinate(), factor());
        ScaleByHandle(x, y, coordinate(), coordinate(), factor(), factor(), coordinate(), coordinate(),
                      static_cast<int32_t>(random() % 10));
        Transform3DPoint(x, y, coordinate(), coordinate(), factor(), factor(), factor(), factor(), width);
        float ix = 0;
        float iy = 0;
        IntersectSegments(Pt(coordinate(), coordinate()), Pt(coordinate(), coordinate()), Pt(x, y),
                          Pt(coordinate(), coordinate()), ix, iy);
        Rect32 bounds = NormalizeRect(coordinate(), coordinate(), coordinate(), coordinate());
        int32_t inside = PointInPaths(x, y,
                                      Collection({Polygon({Pt(coordinate(), coordinate()), Pt(x, coordinate()),
                                                           Pt(coordinate(), y), Pt(coordinate(), coordinate())})}),
                                      bounds);
        EXPECT_TRUE(inside >= -1 && inside <= 1);
    }
    Doc().CurrentSettings = CanvasSettings();
}
