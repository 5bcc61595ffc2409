#include "platform/base/number_text.h"
#include "platform/base/rounding.h"

#include <gtest/gtest.h>

using namespace platform;

TEST(Val, ReadsTheNumberAtTheStartOfTheText)
{
    EXPECT_EQ(Val("  12.5abc"), 12.5);
    EXPECT_EQ(Val("-.5"), -0.5);
    EXPECT_EQ(Val("1.5E+3"), 1500);
    EXPECT_EQ(Val("2e"), 2);
    EXPECT_EQ(Val("&H1F"), 31);
    EXPECT_EQ(Val("&O17"), 15);
    EXPECT_EQ(Val("abc"), 0);
    EXPECT_EQ(Val(""), 0);
    EXPECT_EQ(Val("-"), 0);
}

TEST(FormatSingle, WritesTheFilesFormAndReadsBackExactly)
{
    EXPECT_EQ(FormatSingle(0.5f), ".5");
    EXPECT_EQ(FormatSingle(-0.5f), "-.5");
    EXPECT_EQ(FormatSingle(1.0f), "1");
    EXPECT_EQ(FormatSingle(0), "0");
    EXPECT_EQ(FormatSingle(1.5e20f), "1.5E+20");
    EXPECT_EQ(FormatSingle(-123.25f), "-123.25");
    for (float v : {1000.0f / 32768.0f, 3.0517578e-05f, 1e-7f, 16777216.0f, 0.1f, -2.5e-6f, 3.4e38f}) {
        EXPECT_EQ(static_cast<float>(Val(FormatSingle(v))), v) << FormatSingle(v);
    }
}

TEST(Rounding, HalvesGoToEvenAndConversionsSaturate)
{
    EXPECT_EQ(RoundHalfEven(2.5), 2);
    EXPECT_EQ(RoundHalfEven(3.5), 4);
    EXPECT_EQ(RoundHalfEven(-2.5), -2);
    EXPECT_EQ(RoundHalfEven(-3.5), -4);
    EXPECT_EQ(RoundHalfEven(2.4999), 2);
    EXPECT_EQ(RoundToInt32(1e12), INT32_MAX);
    EXPECT_EQ(RoundToInt32(-1e12), INT32_MIN);
    EXPECT_EQ(RoundToInt32(std::nan("")), 0);
    EXPECT_EQ(SaturateCast<int16_t>(40000.0), 32767);
}
