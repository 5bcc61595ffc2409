#include "import/svg_error.h"
#include "import/svg_styles.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace importer;

TEST(SvgStyles, LengthsAndNumbers)
{
    EXPECT_EQ(ParseLength("2.5mm", true).value, 177);
    EXPECT_EQ(ParseLength("10", true).value, 200);
    EXPECT_EQ(ParseLength("1in", true).value, 1800);
    EXPECT_EQ(ParseLength("2pt", false).value, 2);  // 2.5 rounds half to even
    ParsedLength none = ParseLength("abc", true);
    EXPECT_EQ(none.value, 0);
    EXPECT_EQ(none.end, 0u);
    EXPECT_EQ(ParseLength("12.5em", true).end, 4u);
    EXPECT_THROW(ParseLength("1.2.3", true), SvgError);
    EXPECT_EQ(ParseLength("1e300", true).value, 20);  // the exponent is not part of a length
    EXPECT_THROW(ParseLength("99999999999", true), SvgError);

    EXPECT_FLOAT_EQ(ParseNumber("50%"), 0.5f);
    EXPECT_FLOAT_EQ(ParseNumber("1e-1"), 0.1f);
    EXPECT_FLOAT_EQ(ParseNumber("2mm"), 2 * 3.5433071f);
    EXPECT_FLOAT_EQ(ParseNumber("2em"), 2);
    EXPECT_FLOAT_EQ(ParseNumber(""), 0);
    EXPECT_THROW(ParseNumber(".5.5"), SvgError);
    EXPECT_THROW(ParseNumber("1e99"), SvgError);
}

TEST(SvgStyles, ViewBoxAndNumberLists)
{
    auto box = ParseViewBox("0 0 400 300");
    EXPECT_EQ(box, (std::array<int32_t, 4>{0, 0, 8000, 6000}));
    box = ParseViewBox("-10,-5, 20");
    EXPECT_EQ(box, (std::array<int32_t, 4>{-200, -100, 400, 0}));

    std::vector<int32_t> numbers;
    size_t pos = 0;
    ParseNumberList("10-20 1.5,.5.5 1e1 -3E+1x", pos, numbers);
    EXPECT_EQ(numbers, (std::vector<int32_t>{200, -400, 30, 10, 10, 200, -600}));
    EXPECT_EQ(pos, 24u);
    pos = 0;
    EXPECT_THROW(ParseNumberList("- 5", pos, numbers), SvgError);
    pos = 0;
    EXPECT_THROW(ParseNumberList("1e40", pos, numbers), SvgError);
}

TEST(SvgStyles, Transforms)
{
    MatrixList list;
    ParseTransform("translate(10)", list);
    ASSERT_EQ(list.size(), 1u);
    EXPECT_EQ(list[0].sftX, 0);
    list.clear();
    ParseTransform("scale(1)", list);
    EXPECT_TRUE(list.empty());
    ParseTransform("scale(2)", list);
    ASSERT_EQ(list.size(), 1u);
    EXPECT_FLOAT_EQ(list[0].ScaleY, 2);

    list.clear();
    ParseTransform("rotate(90 10 10)", list);
    int32_t x = 200, y = 0;
    TransformPoint(x, y, list, {});
    EXPECT_EQ(x, 400);
    EXPECT_EQ(y, 200);

    // The rightmost transform acts first: it stands at the front.
    list.clear();
    ParseTransform("translate(10,20) scale(2)", list);
    ASSERT_EQ(list.size(), 2u);
    EXPECT_FLOAT_EQ(list[0].ScaleX, 2);
    EXPECT_EQ(list[1].sftY, 400);

    list.clear();
    ParseTransform("translate(1,1), scale(2)", list);
    EXPECT_EQ(list.size(), 1u);

    list.clear();
    ParseTransform("matrix(1 0 0 1 5 6) skewX(45) unknown(3)", list);
    ASSERT_EQ(list.size(), 2u);
    EXPECT_NEAR(list[0].Skew1, 1, 1e-6);
    EXPECT_EQ(list[1].sftX, 100);
    EXPECT_THROW(ParseTransform("rotate(10-5)", list), SvgError);
}

TEST(SvgStyles, StyleTextAndEntities)
{
    SvgNameTable names;
    names.AddEntity("st0", "fill:#ff0000;");
    std::optional<std::string> fill;
    SvgStyle style;
    ApplyStyleText("&st0;", fill, style, names);
    ASSERT_TRUE(fill);
    EXPECT_EQ(*fill, "#ff0000");

    fill.reset();
    ApplyStyleText("&missing;", fill, style, names);
    EXPECT_FALSE(fill);

    ApplyStyleText("stroke:blue; stroke-width:2; opacity:.5; opacity:0.5; stroke-linecap:round", fill, style, names);
    EXPECT_EQ(style.StrokeColor, 255 << 16);
    EXPECT_EQ(style.StrokeWidth, 40);
    EXPECT_EQ(style.Opacity, 64);  // opacities multiply
    EXPECT_EQ(style.LineCap, 0);

    ApplyPresentationAttr("fill-opacity", "7", style);
    EXPECT_EQ(style.FillOpacity, 255);
    EXPECT_EQ(GetLineJoinCode("Round"), 2);
}

TEST(SvgStyles, ContainerAttributesAndDrawingSize)
{
    SvgContext context;
    SvgStyle root;
    std::string text = "<svg width=\"200\" height=\"100\" viewBox=\"0 0 400 400\" id=\"r\">";
    size_t pos = 4;
    EXPECT_EQ(ReadContainerAttrs(text, pos, root, "svg", context), "r");
    EXPECT_EQ(text[pos], '>');
    EXPECT_EQ(context.width, 4000);
    EXPECT_EQ(context.height, 2000);
    ASSERT_EQ(root.Matrices->size(), 1u);
    EXPECT_FLOAT_EQ((*root.Matrices)[0].ScaleX, 0.25f);
    EXPECT_EQ((*root.Matrices)[0].sftX, 1000);
    EXPECT_EQ((*root.Matrices)[0].sftY, 0);
    EXPECT_FLOAT_EQ(root.Scale, 0.25f);

    SvgStyle group = root;
    group.FillColor = 123;
    text = "<g style=\"fill:url(#a)\" transform=\"scale(3)\" viewBox=\"0 0 1 1\"/>";
    pos = 2;
    ReadContainerAttrs(text, pos, group, "g", context);
    EXPECT_EQ(group.FillColor, 123);
    EXPECT_EQ(group.FillText, "url(#a)");
    EXPECT_EQ(root.Matrices->size(), 2u);  // shared list; the viewBox of a g is ignored
    EXPECT_EQ(text[pos], '/');

    SvgContext percent;
    SvgStyle style;
    text = "<svg width=\"50%\" height=\"10\" viewBox=\"0 0 40 20\">";
    pos = 4;
    ReadContainerAttrs(text, pos, style, "svg", percent);
    EXPECT_EQ(percent.width, 200);  // half of 40 x 10 \ 20 = 20 px
    EXPECT_EQ(percent.height, 200);

    SvgContext broken;
    text = "<svg width=\"100%\" height=\"10\">";
    pos = 4;
    EXPECT_THROW(ReadContainerAttrs(text, pos, style, "svg", broken), SvgError);
    text = "<svg width=\"10\" height=\"10\" viewBox=\"0 0 0 10\">";
    pos = 4;
    EXPECT_THROW(ReadContainerAttrs(text, pos, style, "svg", broken), SvgError);
}
