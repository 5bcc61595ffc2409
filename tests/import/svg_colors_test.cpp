#include "import/svg_colors.h"
#include "import/svg_error.h"

#include <gtest/gtest.h>

using namespace importer;

namespace {
int32_t Rgb(int r, int g, int b)
{
    return r + 256 * g + 65536 * b;
}
}  // namespace

TEST(SvgColors, HexForms)
{
    EXPECT_EQ(GetSvgColor("#f80"), Rgb(255, 136, 0));
    EXPECT_EQ(GetSvgColor("#FF8800"), Rgb(255, 136, 0));
    // Longer texts use the first three pairs.
    EXPECT_EQ(GetSvgColor("#11223344"), Rgb(0x11, 0x22, 0x33));
    EXPECT_THROW(GetSvgColor("#ff"), SvgError);
    EXPECT_THROW(GetSvgColor("#ggg"), SvgError);
    EXPECT_THROW(GetSvgColor("#12345z"), SvgError);
}

TEST(SvgColors, RgbFunctionClampsAndTakesPercentages)
{
    EXPECT_EQ(GetSvgColor("rgb(255, 0, 0)"), 255);
    EXPECT_EQ(GetSvgColor("rgb(300,-5,128)"), Rgb(255, 0, 128));
    EXPECT_EQ(GetSvgColor("rgb(1,2)"), 0);
    EXPECT_EQ(GetSvgColor("rgb 1,2,3"), 0);
    EXPECT_EQ(GetSvgColor("rgb(18.039216%,20.392157%,100%)"), Rgb(46, 52, 255));
    EXPECT_EQ(GetSvgColor("rgb(150%,0%,-3%)"), Rgb(255, 0, 0));
    EXPECT_THROW(GetSvgColor("rgb(x%,0,0)"), SvgError);
    EXPECT_THROW(GetSvgColor("rgb(1.5,0,0)"), SvgError);
}

TEST(SvgColors, KeywordsAreExactAndCaseSensitive)
{
    EXPECT_EQ(GetSvgColor("navy"), 8388608);
    EXPECT_EQ(GetSvgColor("Navy"), 0);
    EXPECT_EQ(GetSvgColor("gray"), Rgb(128, 128, 128));
    EXPECT_EQ(GetSvgColor("grey"), Rgb(128, 128, 128));
    EXPECT_EQ(GetSvgColor("yellowgreen"), Rgb(154, 205, 50));
    EXPECT_EQ(GetSvgColor("currentColor"), 0);
    EXPECT_EQ(GetSvgColor(""), 0);
}

TEST(SvgColors, EveryKeywordIsFound)
{
    // The lookup is a binary search: a name out of order in the table would be missed.
    const char *names[] = {"aqua", "blanchedalmond", "cornsilk", "darkslategrey", "dimgray", "fuchsia",
                           "gainsboro", "honeydew", "lavenderblush", "lime", "mediumvioletred", "oldlace",
                           "papayawhip", "rosybrown", "seashell", "teal", "violet", "whitesmoke"};
    for (const char *name : names) {
        EXPECT_NE(GetSvgColor(name), 0) << name;
    }
    EXPECT_EQ(GetSvgColor("black"), 0);
    EXPECT_EQ(GetSvgColor("white"), Rgb(255, 255, 255));
}

TEST(SvgColors, AlphaGoesIntoTheHighByteWithoutOverflow)
{
    EXPECT_EQ(WithAlpha(Rgb(1, 2, 3), 128), 0x80030201u);
    EXPECT_EQ(WithAlpha(Rgb(1, 2, 3), 300), 0xFF030201u);
    EXPECT_EQ(WithAlpha(Rgb(1, 2, 3), -4), 0x00030201u);
}
