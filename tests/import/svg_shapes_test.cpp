#include "import/svg_error.h"
#include "import/svg_shapes.h"
#include "tests/import/svg_test_support.h"

#include <gtest/gtest.h>

#include <array>

using namespace importer;
using svgtest::Import;

namespace {

std::vector<core::AnchorPoint> Anchors(const core::PathRecord &record)
{
    return record.Anchors.ToVector();
}

core::AnchorPoint A(int32_t x, int32_t y, int16_t kind = 0)
{
    return {x, y, kind};
}

QlkGroup Parse(const std::string &data)
{
    QlkGroup group;
    SvgContext context;
    ParsePathData(group, data, context);
    return group;
}

// The nodes of a path as kind, control and end point.
std::vector<std::array<int32_t, 5>> Nodes(const QlkPath &path)
{
    std::vector<std::array<int32_t, 5>> nodes;
    for (int32_t i = 0; i < path.count(); ++i) {
        const PathNode &node = path.GetNode(i);
        nodes.push_back({node.NodeKind, node.CtrlX, node.CtrlY, node.EndX, node.EndY});
    }
    return nodes;
}

}  // namespace

TEST(SvgPathData, SubpathsBecomeOneCompoundPath)
{
    core::PathCollection paths = Import("<path d=\"M10 10 L20 10 L20 20 Z M30 30 L40 40\" fill=\"none\"/>");
    ASSERT_EQ(paths.PathCount(), 2);
    EXPECT_TRUE(paths.Paths[1].blClosed);
    EXPECT_FALSE(paths.Paths[2].blClosed);
    EXPECT_EQ(paths.Paths[1].CompoundID, 1);
    EXPECT_EQ(paths.Paths[2].CompoundID, 1);
    EXPECT_EQ(Anchors(paths.Paths[2]), (std::vector{A(600, 600), A(800, 800)}));
}

TEST(SvgPathData, CommandsAndRepeats)
{
    QlkGroup group = Parse("M0 0 10 0 10 10");
    ASSERT_EQ(group.colQLKPath.size(), 1u);
    EXPECT_EQ(group.colQLKPath[0].count(), 2);

    group = Parse("M10 10 Q20 0 30 10 T50 10");
    const QlkPath &curve = group.colQLKPath[0];
    ASSERT_EQ(curve.count(), 2);
    EXPECT_EQ(curve.GetNode(1).CtrlX, 800);
    EXPECT_EQ(curve.GetNode(1).CtrlY, 400);

    group = Parse("M0 0 A5 5 0 0 1 10 0 L20 0");
    ASSERT_EQ(group.colQLKPath[0].count(), 1);
    EXPECT_EQ(group.colQLKPath[0].GetNode(0).EndX, 400);

    group = Parse("M0 0 C0 10 10 10 10 0");
    const QlkPath &cubic = group.colQLKPath[0];
    ASSERT_EQ(cubic.count(), 4);
    EXPECT_EQ(cubic.GetNode(0).EndY, 112);  // 5.625 x 20 = 112.5, half to even

    group = Parse("M1.5 0 h2 v3 H0 V1 l1-1");
    const QlkPath &lines = group.colQLKPath[0];
    ASSERT_EQ(lines.count(), 5);
    EXPECT_EQ(lines.StartX(), 30);
    EXPECT_EQ(lines.GetNode(1).EndY, 60);
    EXPECT_EQ(lines.GetNode(4).EndX, 20);
    EXPECT_EQ(lines.GetNode(4).EndY, 0);

    // S without a preceding C mirrors the current point: the first control is the current point.
    group = Parse("M0 0 S10 10 20 0");
    EXPECT_EQ(group.colQLKPath[0].count(), 4);
}

// A smooth cubic's first control mirrors the second control of the cubic before it, a smooth one
// too, whether it repeats the command, follows as a command of its own or is relative: the
// smooth curves draw as the cubics written out.
TEST(SvgPathData, ChainedSmoothCubicsMirrorTheControlBeforeThem)
{
    const std::string written = "M0 0 C0 10 10 10 10 0 C10 -10 20 -10 20 0 C20 10 30 10 30 0 C30 -10 40 -10 40 0";
    const QlkGroup cubics = Parse(written);
    ASSERT_EQ(cubics.colQLKPath.size(), 1u);
    for (const char *smooth : {"M0 0 C0 10 10 10 10 0 S20 -10 20 0 S30 10 30 0 S40 -10 40 0",
                               "M0 0 C0 10 10 10 10 0 S20 -10 20 0 30 10 30 0 40 -10 40 0",
                               "M0 0 C0 10 10 10 10 0 s10 -10 10 0 S30 10 30 0 s10 -10 10 0"}) {
        const QlkGroup group = Parse(smooth);
        ASSERT_EQ(group.colQLKPath.size(), 1u) << smooth;
        EXPECT_EQ(Nodes(group.colQLKPath[0]), Nodes(cubics.colQLKPath[0])) << smooth;
    }
    // After a line the first control is the current point again.
    EXPECT_EQ(Nodes(Parse("M0 0 C0 10 10 10 10 0 L20 0 S30 10 30 0").colQLKPath[0]),
              Nodes(Parse("M0 0 C0 10 10 10 10 0 L20 0 C20 0 30 10 30 0").colQLKPath[0]));
}

TEST(SvgPathData, RelativeMoveAfterCloseStartsAtTheSubpathStart)
{
    QlkGroup group = Parse("M10 10 h10 v10 z m5 5 h1 v1 z");
    ASSERT_EQ(group.colQLKPath.size(), 2u);
    EXPECT_EQ(group.colQLKPath[1].StartX(), 300);
    EXPECT_EQ(group.colQLKPath[1].StartY(), 300);
}

TEST(SvgPathData, MalformedDataFailsTheLoad)
{
    EXPECT_THROW(Parse("M0 0 L10"), SvgError);
    EXPECT_THROW(Parse("M0 0 C1 2 3 4 5 6 7"), SvgError);
    EXPECT_THROW(Parse("M0 0 L"), SvgError);
    EXPECT_THROW(Parse("M0 0 L1e39 0"), SvgError);
    EXPECT_THROW(Parse("M2000000000 0 l2000000000 0"), SvgError);
    EXPECT_EQ(svgtest::Import("<path d=\"M0 0 L10\"/>").PathCount(), 0);
}

TEST(SvgShapes, PathsWithoutExtentAreNotImported)
{
    EXPECT_EQ(Import("<path d=\"M5 5 L5 5\"/>").PathCount(), 0);
    EXPECT_EQ(Import("<path/><polygon points=\"1\"/><rect width=\"0\" height=\"0\"/>").PathCount(), 0);
    core::PathCollection paths = Import("<polygon points=\"0,0 10,0 10,10\"/><polyline points=\"0 0 5 5 7\" fill=\"none\"/>");
    ASSERT_EQ(paths.PathCount(), 2);
    EXPECT_TRUE(paths.Paths[1].blClosed);
    EXPECT_EQ(paths.Paths[1].FillType, core::kFillSolid);
    EXPECT_EQ(paths.Paths[1].FillColor, 0xFF000000u);  // inherited black
    EXPECT_FALSE(paths.Paths[2].blClosed);
    EXPECT_EQ(paths.Paths[2].AnchorMax(), 1);
}

TEST(SvgShapes, RectanglesAndStrokeWidths)
{
    core::PathCollection paths =
        Import("<rect x=\"1\" y=\"2\" width=\"10\" height=\"20\" rx=\"3\" fill=\"red\" stroke=\"blue\"/>");
    ASSERT_EQ(paths.PathCount(), 1);
    const core::PathRecord &rect = paths.Paths[1];
    EXPECT_EQ(Anchors(rect), (std::vector{A(20, 40), A(220, 40), A(220, 440), A(20, 440)}));
    EXPECT_TRUE(rect.blClosed);
    EXPECT_EQ(rect.FillColor, 0xFF0000FFu);
    EXPECT_EQ(rect.LineMode, 1);
    EXPECT_EQ(rect.LineColor, 0xFFFF0000u);
    EXPECT_EQ(rect.LineWidth, 20);

    paths = Import("<rect width=\"10\" height=\"20\" stroke=\"red\" stroke-width=\"2\" transform=\"scale(2,1)\"/>");
    EXPECT_EQ(paths.Paths[1].LineWidth, 60);

    paths = Import("<line x1=\"0\" y1=\"0\" x2=\"10\" y2=\"0\" stroke=\"#00f\" stroke-width=\"1.5\" "
                   "stroke-opacity=\"0.5\" transform=\"scale(2)\"/>");
    ASSERT_EQ(paths.PathCount(), 1);
    EXPECT_EQ(paths.Paths[1].LineWidth, 60);
    EXPECT_EQ(paths.Paths[1].LineColor, 0x80FF0000u);
    EXPECT_EQ(paths.Paths[1].FillType, core::kFillNone);
}

TEST(SvgShapes, FillOpacityAndInheritedFill)
{
    core::PathCollection paths = Import(
        "<g fill=\"lime\" opacity=\"0.5\"><path d=\"M0 0 h10 v10z\" fill-opacity=\"0.5\"/>"
        "<path d=\"M0 0 h10 v10z\" style=\"fill:none\"/></g><path d=\"M0 0 h1 v1z\" fill=\"#000\" opacity=\"2\"/>");
    ASSERT_EQ(paths.PathCount(), 3);
    EXPECT_EQ(paths.Paths[1].FillColor, 0x4000FF00u);  // 128 x 128 \ 255 = 64
    EXPECT_EQ(paths.Paths[2].FillType, core::kFillNone);
    EXPECT_EQ(paths.Paths[3].FillColor >> 24, 255u);
}
