#include "core/document.h"
#include "core/polygons.h"
#include "core/rectangles.h"
#include "editing_fixture.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

using namespace core;
using editingtest::AddPath;
using editingtest::Path;

namespace {

const std::array<Color, 3> kColors{0xFF0000FFu, 0xFF00FF00u, 0xFFFF0000u};

struct Anchor {
    int32_t x, y, kind;
    bool operator==(const Anchor &) const = default;
};

std::vector<Anchor> Anchors(const PathRecord &path)
{
    std::vector<Anchor> anchors;
    for (const AnchorPoint &a : path.Anchors) {
        anchors.push_back({a.X, a.Y, a.AnchorKind});
    }
    return anchors;
}

void PrintTo(const Anchor &a, std::ostream *os)
{
    *os << "(" << a.x << ", " << a.y << (a.kind ? " c)" : ")");
}

// A rectangle tool path dragged out to (0, 0) - (2000, 1000).
class ShapesTest : public editingtest::EditingTest {
protected:
    int32_t DragRectangle(int32_t right = 2000, int32_t bottom = 1000)
    {
        int32_t i = CreateRectanglePath(0, 0, 1.0f, 1, 1, kColors);
        Path(i).Anchors = {{0, 0, kOnCurve}, {0, bottom, kOnCurve}, {right, bottom, kOnCurve}, {right, 0, kOnCurve}};
        return i;
    }
    const PathRecord &Last() { return Path(Doc().DocPathCount()); }
};

TEST_F(ShapesTest, NewShapesCarryTheToolStyleAndGoOnTop)
{
    AddPath(editingtest::Tagged(1));
    int32_t i = CreateRectanglePath(100, 200, 0.125f, 1, 2, kColors);
    ASSERT_EQ(i, 2);
    const PathRecord &path = Path(i);
    EXPECT_EQ(Anchors(path), (std::vector<Anchor>{{100, 200, 0}, {100, 1200, 0}, {1100, 1200, 0}, {1100, 200, 0}}));
    EXPECT_TRUE(path.blClosed);
    EXPECT_EQ(path.LineWidth, 2);  // 2.5 twips, half to even
    EXPECT_EQ(path.LineMode, 1);
    EXPECT_EQ(path.FillType, 2);
    EXPECT_EQ(path.LineColor, kColors[0]);
    EXPECT_EQ(path.FillColor, kColors[1]);
    EXPECT_EQ(path.GradColor, kColors[2]);
    EXPECT_EQ(path.GradAngle, 0.0f);
    EXPECT_EQ(path.GradRatioX, 0.030517578125f);
    EXPECT_EQ(path.GradRatioY, 0.030517578125f);
    EXPECT_EQ(path.GradCenterX, 600);
    EXPECT_EQ(path.GradCenterY, 700);
    EXPECT_TRUE(path.blSelected);
    EXPECT_FALSE(path.blGroup || path.blCompound);
    EXPECT_EQ(path.GroupID + path.CompoundID + path.DispFlags + path.StopCount(), 0);
}

TEST_F(ShapesTest, ShapesAtTheEdgeOfTheCoordinateRangeSaturate)
{
    constexpr int32_t kMax = std::numeric_limits<int32_t>::max();
    const PathRecord &path = Path(CreateRectanglePath(kMax - 10, kMax, 1.0f, 1, 1, kColors));
    EXPECT_EQ(path.Anchors[2].X, kMax);
    EXPECT_EQ(path.Anchors[2].Y, kMax);
    EXPECT_EQ(path.GradCenterX, kMax);
    EXPECT_EQ(Path(CreateRegularPolygon(kMax, kMax, 1.0f, 1, 1, kColors, 8)).Anchors[0].X, kMax);
}

TEST_F(ShapesTest, EllipseIsACircleOfControlPoints)
{
    EXPECT_EQ(Anchors(Path(CreateRegularPolygon(0, 0, 1.0f, 1, 1, kColors, 4))),
              (std::vector<Anchor>{{854, 146, 1}, {854, 854, 1}, {146, 854, 1}, {146, 146, 1}}));
    EXPECT_EQ(Anchors(Path(CreateRegularPolygon(-50, 70, 1.0f, 1, 1, kColors, 3))),
              (std::vector<Anchor>{{883, 320, 1}, {450, 1070, 1}, {17, 320, 1}}));
    const PathRecord &circle = Path(CreateRegularPolygon(0, 0, 1.0f, 1, 1, kColors, 36));
    ASSERT_EQ(circle.AnchorMax(), 35);
    for (const AnchorPoint &a : circle.Anchors) {
        EXPECT_NEAR(std::hypot(a.X - 500.0, a.Y - 500.0), 500.0, 0.75);
    }
}

TEST_F(ShapesTest, EllipseAnchorCountIsBounded)
{
    EXPECT_EQ(Path(CreateRegularPolygon(0, 0, 1.0f, 1, 1, kColors, 0)).AnchorMax(), kMinEllipseAnchors - 1);
    EXPECT_EQ(Path(CreateRegularPolygon(0, 0, 1.0f, 1, 1, kColors, -7)).AnchorMax(), kMinEllipseAnchors - 1);
    EXPECT_EQ(Path(CreateRegularPolygon(0, 0, 1.0f, 1, 1, kColors, 1 << 30)).AnchorMax(), kMaxEllipseAnchors - 1);
}

TEST_F(ShapesTest, ConcaveCornersPutTheMiddleAnchorInside)
{
    DragRectangle();
    ApplyRectangleCorners(kCornerConcaveRound, 0.25f);  // a quarter of the shorter side: 250
    EXPECT_EQ(Anchors(Last()), (std::vector<Anchor>{{250, 0, 0}, {250, 250, 1}, {0, 250, 0}, {0, 750, 0}, {250, 750, 1},
                                                    {250, 1000, 0}, {1750, 1000, 0}, {1750, 750, 1}, {2000, 750, 0},
                                                    {2000, 250, 0}, {1750, 250, 1}, {1750, 0, 0}}));
    DragRectangle();
    ApplyRectangleCorners(kCornerConcaveSquare, 10.0f);  // 200 twips
    EXPECT_EQ(Anchors(Last()), (std::vector<Anchor>{{200, 0, 0}, {200, 200, 0}, {0, 200, 0}, {0, 800, 0}, {200, 800, 0},
                                                    {200, 1000, 0}, {1800, 1000, 0}, {1800, 800, 0}, {2000, 800, 0},
                                                    {2000, 200, 0}, {1800, 200, 0}, {1800, 0, 0}}));
}

TEST_F(ShapesTest, CornerSizeIsHeldToHalfASideAndMeetingPointsMerge)
{
    DragRectangle();
    ApplyRectangleCorners(kCornerRounded, 30.0f);  // 600 twips, held to 500
    EXPECT_EQ(Anchors(Last()), (std::vector<Anchor>{{500, 0, 0}, {0, 0, 1}, {0, 500, 0}, {0, 1000, 1}, {500, 1000, 0},
                                                    {1500, 1000, 0}, {2000, 1000, 1}, {2000, 500, 0}, {2000, 0, 1},
                                                    {1500, 0, 0}}));
    DragRectangle(600, 3000);  // the width holds it after the height
    ApplyRectangleCorners(kCornerBevel, 1000.0f);
    EXPECT_EQ(Anchors(Last()).front(), (Anchor{300, 0, 0}));
}

TEST_F(ShapesTest, CornersAppliedAgainGiveTheSameAnchors)
{
    for (int32_t style : {1, 2, 3, 4}) {
        for (float size : {0.0f, 7.5f, 0.5f, 0.1f}) {
            DragRectangle(1500, 900);
            ApplyRectangleCorners(style, size);
            std::vector<Anchor> once = Anchors(Last());
            ApplyRectangleCorners(style, size);
            EXPECT_EQ(Anchors(Last()), once) << "style " << style << " size " << size;
        }
    }
}

TEST_F(ShapesTest, NegativeAndHugeCornerSizesAreSafe)
{
    DragRectangle();
    ApplyRectangleCorners(kCornerRounded, -10.0f);  // square corners
    EXPECT_EQ(Anchors(Last()), (std::vector<Anchor>{{0, 0, 0}, {0, 1000, 0}, {2000, 1000, 0}, {2000, 0, 0}}));
    DragRectangle();
    ApplyRectangleCorners(kCornerBevel, std::numeric_limits<float>::max());
    EXPECT_EQ(Anchors(Last()).size(), 6u);  // held to half the height: the short sides' points meet
    DragRectangle();
    ApplyRectangleCorners(kCornerRounded, std::numeric_limits<float>::quiet_NaN());
    EXPECT_EQ(Anchors(Last())[0], (Anchor{400, 0, 0}));  // taken as 0: the default size
}

TEST_F(ShapesTest, RegularPolygonStartsAtTheTopAndRunsClockwise)
{
    PolygonToolValues square;
    square.VertexCount = 4;
    EXPECT_EQ(Anchors(Path(CreatePolygonPath(100, 200, 1.0f, 1, 1, kColors, square))),
              (std::vector<Anchor>{{600, 200, 0}, {1100, 700, 0}, {600, 1200, 0}, {100, 700, 0}}));
    PolygonToolValues rounded;
    rounded.VertexCount = 3;
    rounded.RoundOuter = true;
    EXPECT_EQ(Anchors(Path(CreatePolygonPath(0, 0, 1.0f, 1, 1, kColors, rounded))),
              (std::vector<Anchor>{{500, 0, 1}, {933, 750, 1}, {67, 750, 1}}));
}

TEST_F(ShapesTest, StarAlternatesOuterAndInnerCorners)
{
    PolygonToolValues star;
    star.VertexCount = 5;
    star.Star = true;
    star.Depth = 50;
    star.RoundInner = true;
    const PathRecord &path = Path(CreatePolygonPath(0, 0, 1.5f, 1, 4, kColors, star));
    EXPECT_EQ(Anchors(path), (std::vector<Anchor>{{500, 0, 0}, {647, 298, 1}, {976, 345, 0}, {738, 577, 1},
                                                  {794, 905, 0}, {500, 750, 1}, {206, 905, 0}, {262, 577, 1},
                                                  {24, 345, 0}, {353, 298, 1}}));
    EXPECT_EQ(path.LineWidth, 30);
    EXPECT_EQ(path.FillType, 4);
    EXPECT_EQ(path.GradCenterX, 500);
    EXPECT_TRUE(path.blSelected && path.blClosed);

    star.Depth = 100;
    for (const Anchor &a : Anchors(Path(CreatePolygonPath(0, 0, 1.0f, 1, 1, kColors, star)))) {
        if (a.kind == kControlPoint) {
            EXPECT_EQ(a, (Anchor{500, 500, 1}));
        }
    }
}

TEST_F(ShapesTest, VertexCountIsRoundedAndBounded)
{
    auto anchorCount = [](double typed, bool star, int32_t depth = 50) {
        PolygonToolValues values;
        values.VertexCount = typed;
        values.Star = star;
        values.Depth = depth;
        return static_cast<int32_t>(Path(CreatePolygonPath(0, 0, 1.0f, 1, 1, kColors, values)).Anchors.size());
    };
    EXPECT_EQ(anchorCount(4.5, false), 4);
    EXPECT_EQ(anchorCount(5.5, false), 6);
    EXPECT_EQ(anchorCount(1, false), kMinPolygonVertices);
    EXPECT_EQ(anchorCount(-3, true), 2 * kMinPolygonVertices);
    EXPECT_EQ(anchorCount(1e300, true), 2 * kMaxPolygonVertices);
    EXPECT_EQ(anchorCount(std::nan(""), false), kMinPolygonVertices);
    EXPECT_EQ(anchorCount(6, true, -40), 12);  // depth held to 0..100

    // Two corners give a line through the centre, one a point at the top.
    PolygonToolValues values;
    values.VertexCount = 2;
    EXPECT_EQ(Path(CreatePolygonPath(0, 0, 1.0f, 1, 1, kColors, values)).Anchors,
              (std::vector<AnchorPoint>{{500, 0, kOnCurve}, {500, 1000, kOnCurve}}));
    values.VertexCount = 1;
    EXPECT_EQ(Path(CreatePolygonPath(100, 200, 1.0f, 1, 1, kColors, values)).Anchors,
              (std::vector<AnchorPoint>{{600, 200, kOnCurve}}));
}

}  // namespace
