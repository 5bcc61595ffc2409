#include "import/svg_gradients.h"
#include "import/svg_scanner.h"
#include "tests/import/svg_test_support.h"

#include <gtest/gtest.h>

using namespace importer;
using svgtest::Import;

namespace {

// Reads the gradient elements of a text and applies the one named id to a 1000 x 500 box at 0, 0.
struct GradientCase {
    SvgContext context;
    QlkGroup group;
    bool applied = false;

    GradientCase(const std::string &definitions, const std::string &id, int32_t alpha = 255)
    {
        size_t pos = 0;
        for (;;) {
            std::string tag = GetNextTag(definitions, pos);
            if (tag.empty()) {
                break;
            }
            EXPECT_TRUE(ReadGradient(definitions, pos, tag == "radialGradient", context));
        }
        if (const SvgGradientData *gradient = context.names.FindGradient(id)) {
            applied = ApplyGradient(group, *gradient, context, alpha, {}, {}, {0, 0, 1000, 500}, 1);
        }
    }
};

}  // namespace

TEST(SvgGradients, LinearInBoundingBoxUnits)
{
    GradientCase c("<linearGradient id=\"g\"><stop offset=\"0\" stop-color=\"red\"/>"
                   "<stop offset=\"1\" stop-color=\"blue\"/></linearGradient>",
                   "g");
    ASSERT_TRUE(c.applied);
    EXPECT_EQ(c.group.FillMode, 2);
    EXPECT_EQ(c.group.GradCenterX, 500);
    EXPECT_EQ(c.group.GradCenterY, 0);
    EXPECT_NEAR(c.group.GradAngle, 0, 1e-3);
    EXPECT_FLOAT_EQ(c.group.GradRatioX, 1000.0f / 32768);
    EXPECT_FLOAT_EQ(c.group.GradRatioY, 0);
    EXPECT_EQ(c.group.ColorTbl, (std::vector<uint32_t>{0xFF0000FF, 0xFFFF0000}));
    EXPECT_EQ(c.group.ColorPosTbl, (std::vector<int32_t>{0, 255}));

    GradientCase vertical("<linearGradient id=\"v\" x2=\"0\" y2=\"1\"><stop stop-color=\"red\"/>"
                          "<stop offset=\"1\"/></linearGradient>",
                          "v");
    EXPECT_NEAR(vertical.group.GradAngle, 90, 1e-3);
    EXPECT_FLOAT_EQ(vertical.group.GradRatioX, 500.0f / 32768);
}

TEST(SvgGradients, RadialInUserSpace)
{
    GradientCase c("<radialGradient id=\"r\" gradientUnits=\"userSpaceOnUse\" cx=\"50\" cy=\"50\" r=\"50\">"
                   "<stop offset=\"0\"/><stop offset=\"1\" stop-color=\"white\"/></radialGradient>",
                   "r");
    ASSERT_TRUE(c.applied);
    EXPECT_EQ(c.group.FillMode, 3);
    EXPECT_EQ(c.group.GradCenterX, 1000);
    EXPECT_EQ(c.group.GradCenterY, 1000);
    EXPECT_NEAR(c.group.GradAngle, 0, 1e-3);
    EXPECT_FLOAT_EQ(c.group.GradRatioX, 1000.0f / 16384);
    EXPECT_FLOAT_EQ(c.group.GradRatioY, 1000.0f / 16384);
    EXPECT_NEAR(c.group.GradSkewX, 0, 1e-6);

    GradientCase flat("<radialGradient id=\"z\" r=\"0\"><stop stop-color=\"red\"/>"
                      "<stop offset=\"1\" stop-color=\"lime\"/></radialGradient>",
                      "z");
    ASSERT_TRUE(flat.applied);
    EXPECT_EQ(flat.group.FillMode, 1);
    EXPECT_EQ(flat.group.FillColor, 0xFF00FF00u);
}

TEST(SvgGradients, StopsLinksAndOpacity)
{
    std::string definitions =
        "<linearGradient id=\"base\"><stop offset=\"0.5\" stop-color=\"red\" stop-opacity=\"0.5\"/>"
        "<stop style=\"stop-color:#00f\" offset=\"25%\"></stop><stop offset=\"7\"/></linearGradient>"
        "<linearGradient id=\"linked\" xlink:href=\"#base\"/>"
        "<linearGradient id=\"chain\" xlink:href=\"#linked\" x2=\"50%\"/>"
        "<linearGradient id=\"loopA\" xlink:href=\"#loopB\"/><linearGradient id=\"loopB\" xlink:href=\"#loopA\"/>"
        "<linearGradient id=\"one\"><stop stop-color=\"lime\"/></linearGradient>"
        "<linearGradient xlink:href=\"#base\"><stop/></linearGradient>"
        "<linearGradient id=\"after\"/>";
    GradientCase chain(definitions, "chain", 255);
    ASSERT_TRUE(chain.applied);
    // offsets clamped and made non-decreasing; 0.5 x 255 rounds to 128
    EXPECT_EQ(chain.group.ColorPosTbl, (std::vector<int32_t>{128, 128, 255}));
    EXPECT_EQ(chain.group.ColorTbl[0], 0x800000FFu);
    EXPECT_EQ(chain.group.ColorTbl[1], 0xFFFF0000u);
    EXPECT_NE(chain.context.names.FindGradient("after"), nullptr);  // ids after an id-less gradient are filed

    GradientCase loop(definitions, "loopA");
    EXPECT_FALSE(loop.applied);
    EXPECT_EQ(loop.group.FillMode, 0);

    GradientCase one(definitions, "one", 128);
    EXPECT_TRUE(one.applied);
    EXPECT_EQ(one.group.FillMode, 1);
    EXPECT_EQ(one.group.FillColor, 0x8000FF00u);

    GradientCase empty(definitions, "after");
    EXPECT_FALSE(empty.applied);
}

TEST(SvgGradients, MiddleStopsAreLimitedToSix)
{
    std::string stops;
    for (int i = 0; i <= 10; ++i) {
        stops += "<stop offset=\"" + std::to_string(i / 10.0) + "\"/>";
    }
    GradientCase c("<linearGradient id=\"m\">" + stops + "</linearGradient>", "m");
    ASSERT_EQ(c.group.ColorTbl.size(), 8u);
    EXPECT_EQ(c.group.ColorPosTbl.front(), 0);
    EXPECT_EQ(c.group.ColorPosTbl.back(), 255);
    EXPECT_TRUE(std::is_sorted(c.group.ColorPosTbl.begin(), c.group.ColorPosTbl.end()));
}

TEST(SvgGradients, ShapesTakeGradientFills)
{
    core::PathCollection paths = Import(
        "<defs><linearGradient id=\"a\"><stop stop-color=\"red\"/><stop offset=\".4\" stop-color=\"lime\"/>"
        "<stop offset=\"1\" stop-color=\"blue\"/></linearGradient></defs>"
        "<rect width=\"50\" height=\"25\" fill=\"url(#a)\"/><rect width=\"50\" height=\"25\" fill=\"url(#missing)\"/>");
    ASSERT_EQ(paths.PathCount(), 2);
    const core::PathRecord &rect = paths.Paths[1];
    EXPECT_EQ(rect.FillType, core::kFillLinear);
    EXPECT_EQ(rect.FillColor, 0xFF0000FFu);
    EXPECT_EQ(rect.GradColor, 0xFFFF0000u);
    ASSERT_EQ(rect.StopCount(), 1);
    EXPECT_EQ(rect.Stops[1], (core::GradStop{0xFF00FF00u, 102}));
    EXPECT_EQ(rect.GradCenterX, 500);
    EXPECT_FLOAT_EQ(rect.GradRatioX, 1000.0f / 32768);
    EXPECT_EQ(paths.Paths[2].FillType, core::kFillNone);
}
