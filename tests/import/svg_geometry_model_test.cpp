#include "import/svg_error.h"
#include "import/svg_geometry.h"
#include "import/svg_path_model.h"
#include "platform/base/rounding.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>
#include <vector>

using namespace importer;

TEST(SvgGeometry, CubicSplitsIntoFourQuadratics)
{
    auto arch = CubicToQuadratic({0, 0}, {0, 10}, {10, 10}, {10, 0});
    EXPECT_FLOAT_EQ(arch[1].x, 1.5625f);
    EXPECT_FLOAT_EQ(arch[1].y, 5.625f);
    EXPECT_FLOAT_EQ(arch[3].x, 5);
    EXPECT_FLOAT_EQ(arch[3].y, 7.5f);
    EXPECT_FLOAT_EQ(arch[5].x, 8.4375f);
    EXPECT_FLOAT_EQ(arch[5].y, 5.625f);
    EXPECT_FLOAT_EQ(arch[7].x, 10);
    EXPECT_FLOAT_EQ(arch[7].y, 0);
    // The first control point lies on the start tangent (x = 0) above the start.
    EXPECT_FLOAT_EQ(arch[0].x, 0);
    EXPECT_GT(arch[0].y, 0);

    // A straight cubic gives control points on the chord.
    auto line = CubicToQuadratic({0, 0}, {10, 10}, {20, 20}, {30, 30});
    for (const SvgPoint &point : line) {
        EXPECT_NEAR(point.x, point.y, 1e-4);
    }
}

TEST(SvgGeometry, CheckedRoundIsHalfToEvenInsideTheRangeAndThrowsOutside)
{
    const double kMin = std::numeric_limits<int32_t>::min();
    const double kMax = std::numeric_limits<int32_t>::max();
    std::vector<double> values = {0.0, -0.0, 0.5, -0.5, 1.5, -1.5, 2.5, -2.5, 1e-300, -1e-300, 0.49999999999999994,
                                  -0.49999999999999994, 8388608.5, 8388609.5, 16777216.5, kMax, kMax + 0.25, kMin,
                                  kMin - 0.5, 1073741824.5, -1073741823.5};
    for (double half = -40.5; half <= 40.5; half += 1.0) {
        values.push_back(half);
        values.push_back(std::nextafter(half, 0.0));
        values.push_back(std::nextafter(half, half * 2));
    }
    std::mt19937 random(11);
    std::uniform_real_distribution<double> spread(kMin, kMax);
    for (int i = 0; i < 2000; ++i) {
        values.push_back(spread(random));
        values.push_back(std::floor(spread(random) / 1024) + 0.5);
    }
    for (double value : values) {
        EXPECT_EQ(CheckedRound(value), static_cast<int32_t>(platform::RoundHalfEven(value))) << value;
    }
    for (double outside : {kMax + 0.5, kMax + 1, kMin - 0.75, kMin - 1, 1e300, -1e300, 4503599627370496.0,
                           std::numeric_limits<double>::infinity(), -std::numeric_limits<double>::infinity(),
                           std::numeric_limits<double>::quiet_NaN()}) {
        EXPECT_THROW(CheckedRound(outside), SvgError) << outside;
    }
}

TEST(SvgGeometry, JoinedMatrixListsMovePointsAsTheTwoListsDo)
{
    SvgMatrix scale;
    scale.ScaleX = scale.ScaleY = 2;
    SvgMatrix shift;
    shift.sftX = 100;
    SvgMatrix turn;
    turn.ScaleX = turn.ScaleY = 0.6f;
    turn.Skew0 = 0.8f;
    turn.Skew1 = -0.8f;
    const MatrixList inner{scale, turn};
    const MatrixList outer{shift, turn};
    const std::vector<SvgMatrix> run = JoinMatrixLists(inner, outer);
    ASSERT_EQ(run.size(), 4u);
    EXPECT_EQ(run[0].ScaleX, 2);  // the first list's matrices come first
    EXPECT_EQ(run[2].sftX, 100);

    // Scaling first, then moving: 10 becomes 120, not 220.
    int32_t x = 10, y = 0;
    TransformPoint(x, y, std::vector<SvgMatrix>{scale, shift});
    EXPECT_EQ(x, 120);
    EXPECT_EQ(y, 0);

    std::mt19937 random(5);
    std::uniform_int_distribution<int32_t> coordinate(-200000, 200000);
    for (int i = 0; i < 500; ++i) {
        int32_t ax = coordinate(random), ay = coordinate(random);
        int32_t bx = ax, by = ay;
        TransformPoint(ax, ay, inner, outer);
        TransformPoint(bx, by, run);
        EXPECT_EQ(ax, bx);
        EXPECT_EQ(ay, by);
    }
}

TEST(SvgPathModel, NodesBoundsAndGrowth)
{
    QlkPath path;
    EXPECT_EQ(path.XMin(), std::numeric_limits<int32_t>::max());
    EXPECT_EQ(path.XMax(), std::numeric_limits<int32_t>::min());
    path.MovePenTo(10, 20);
    path.DrawLine(5, -30);
    path.DrawCurveTo(100, 0, 50, 50);
    EXPECT_EQ(path.count(), 2);
    EXPECT_EQ(path.CurrentX(), 50);
    EXPECT_EQ(path.XMax(), 100);  // control points widen the bounds
    EXPECT_EQ(path.YMin(), -10);
    EXPECT_THROW(path.GetNode(2), std::out_of_range);

    QlkPath edge;
    edge.MovePenTo(std::numeric_limits<int32_t>::max() - 1, 0);
    EXPECT_THROW(edge.DrawLine(5, 0), SvgError);
}

TEST(SvgPathModel, RotationGivesTheBoxAroundTheOldBox)
{
    QlkPath square;
    square.MovePenTo(0, 0);
    square.DrawLineTo(1000, 0);
    square.DrawLineTo(1000, 1000);
    square.DrawLineTo(0, 1000);
    float c = std::cos(static_cast<float>(M_PI / 4));
    SvgMatrix rotate;
    rotate.ScaleX = rotate.ScaleY = c;
    rotate.Skew0 = c;
    rotate.Skew1 = -c;
    square.Transformation({rotate}, {});
    EXPECT_EQ(square.XMin(), -707);
    EXPECT_EQ(square.XMax(), 707);
    EXPECT_EQ(square.YMax(), 1414);
    EXPECT_EQ(square.GetNode(1).EndX, 0);
    EXPECT_EQ(square.GetNode(1).EndY, 1414);
}

TEST(SvgPathModel, ConversionToPathRecords)
{
    QlkGroup group;
    QlkPath lone;
    lone.MovePenTo(5, 5);
    group.colQLKPath.push_back(lone);
    int32_t counter = 0;
    core::PathCollection single = group.GetGroupPathRecords(counter);
    ASSERT_EQ(single.PathCount(), 1);
    EXPECT_EQ(single.Paths[1].AnchorMax(), 0);
    EXPECT_FALSE(single.Paths[1].blCompound);
    EXPECT_EQ(counter, 0);

    QlkPath mixed;
    mixed.MovePenTo(0, 0);
    mixed.DrawLineTo(10, 0);
    mixed.DrawLineTo(10, 10);
    mixed.DrawLineTo(0, 10);
    mixed.DrawCurveTo(-5, 5, 0, 0);
    core::PathRecord record = mixed.GetPathRecord(group, 0);
    ASSERT_EQ(record.AnchorMax(), 5);
    const int16_t kinds[] = {0, 0, 0, 0, 1, 0};
    for (int i = 0; i <= 5; ++i) {
        EXPECT_EQ(record.Anchors[i].AnchorKind, kinds[i]) << i;
    }
    EXPECT_FALSE(record.blClosed);
    EXPECT_EQ(record.FillType, core::kFillNone);

    group.FillMode = 1;
    EXPECT_TRUE(mixed.GetPathRecord(group, 0).blClosed);

    group.FillMode = 2;
    group.ColorTbl = {1, 2, 3, 4};
    group.ColorPosTbl = {0, 60, 120, 255};
    group.GradRatioX = 0.5f;
    group.GradRatioY = 2;
    record = mixed.GetPathRecord(group, 0);
    EXPECT_EQ(record.FillType, core::kFillLinear);
    EXPECT_EQ(record.FillColor, 1u);
    EXPECT_EQ(record.GradColor, 4u);
    ASSERT_EQ(record.StopCount(), 2);
    EXPECT_EQ(record.Stops[1], (core::GradStop{2, 60}));
    EXPECT_EQ(record.Stops[2], (core::GradStop{3, 120}));
    EXPECT_FLOAT_EQ(record.GradRatioY, 0.5f);

    QlkGroup three;
    three.colQLKPath = {mixed, mixed, mixed};
    QlkGroup two;
    two.colQLKPath = {mixed, mixed};
    counter = 0;
    EXPECT_EQ(three.GetGroupPathRecords(counter).Paths[3].CompoundID, 1);
    core::PathCollection second = two.GetGroupPathRecords(counter);
    EXPECT_EQ(second.Paths[1].CompoundID, 2);
    EXPECT_TRUE(second.Paths[2].blCompound);
}
