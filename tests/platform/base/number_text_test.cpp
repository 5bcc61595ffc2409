#include "platform/base/number_text.h"
#include "platform/base/rounding.h"

#include "tests/support/test_support.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <limits>
#include <random>

using namespace platform;

TEST(Val, ReadsTheNumberAtTheStartOfTheText)
{
    EXPECT_EQ(Val("  12.5abc"), 12.5);
    EXPECT_EQ(Val("-.5"), -0.5);
    EXPECT_EQ(Val("5."), 5);
    EXPECT_EQ(Val("1.5E+3"), 1500);
    EXPECT_EQ(Val("25E-1"), 2.5);
    EXPECT_EQ(Val("1D2"), 100);
    EXPECT_EQ(Val("2e"), 2);
    EXPECT_EQ(Val("12,34"), 12);
    EXPECT_EQ(Val("&H1F"), 31);
    EXPECT_EQ(Val("&O17"), 15);
    EXPECT_EQ(Val("&O19"), 1);
    EXPECT_EQ(Val("&HfG"), 15);
    EXPECT_EQ(Val("&X1"), 0);
    EXPECT_EQ(Val("abc"), 0);
    EXPECT_EQ(Val("-"), 0);
    EXPECT_EQ(Val("-.e5"), 0);
}

TEST(Val, ExtremeExponentsGiveZeroOrInfinityWithoutFailing)
{
    EXPECT_EQ(Val("1E-0000000000005"), 1e-5);
    EXPECT_EQ(Val("1E-99999999999"), 0);
    EXPECT_TRUE(std::isinf(Val("1E+99999999999")));
    EXPECT_TRUE(std::isinf(Val("-1E400")));
    EXPECT_EQ(Val(std::string(400, '9')), std::strtod(std::string(400, '9').c_str(), nullptr));
}

namespace {

// Switches LC_NUMERIC to a locale with a decimal comma for the scope's life (built into the test's
// own folder when the system has none); IsActive() tells whether that worked.
class DecimalCommaLocale {
public:
    DecimalCommaLocale()
    {
        const char *old = std::setlocale(LC_NUMERIC, nullptr);
        saved_ = old ? old : "C";
        active_ = std::setlocale(LC_NUMERIC, "de_DE.UTF-8") != nullptr;
        if (!active_) {
            std::string folder = testsupport::TempPath("locale");
            std::filesystem::create_directories(folder);
            std::string command = "localedef -i de_DE -f UTF-8 '" + folder + "/de_DE.UTF-8' >/dev/null 2>&1";
            (void)std::system(command.c_str());
            setenv("LOCPATH", folder.c_str(), 1);
            active_ = std::setlocale(LC_NUMERIC, "de_DE.UTF-8") != nullptr;
        }
        active_ = active_ && std::strtod("1.5", nullptr) == 1.0;
    }
    ~DecimalCommaLocale() { std::setlocale(LC_NUMERIC, saved_.c_str()); }
    bool IsActive() const { return active_; }

private:
    std::string saved_;
    bool active_ = false;
};

}  // namespace

TEST(Val, ReadsAPointWhateverTheLocale)
{
    DecimalCommaLocale locale;
    if (!locale.IsActive()) {
        GTEST_SKIP() << "no locale with a decimal comma can be made here";
    }
    EXPECT_EQ(Val("1.25"), 1.25);
    EXPECT_EQ(Val("-.5E+1"), -5);
    EXPECT_EQ(FormatSingle(1.25f), "1.25");
    EXPECT_EQ(FormatNumber(0.5), "0.5");
}

TEST(FormatSingle, WritesTheFilesForm)
{
    EXPECT_EQ(FormatSingle(0.5f), ".5");
    EXPECT_EQ(FormatSingle(1.0f), "1");
    EXPECT_EQ(FormatSingle(-0.0f), "0");
    EXPECT_EQ(FormatSingle(45.5f), "45.5");
    EXPECT_EQ(FormatSingle(1.5e20f), "1.5E+20");
    EXPECT_EQ(FormatSingle(-2.5e-7f), "-2.5E-07");
    EXPECT_EQ(FormatSingle(3.4028235e38f), "3.4028235E+38");
    EXPECT_EQ(FormatSingle(std::numeric_limits<float>::infinity()), "3.4028235E+38");
    EXPECT_EQ(FormatSingle(std::nanf("")), "0");
    // 1000 / 32768 needs 8 digits to read back exactly.
    EXPECT_EQ(FormatSingle(1000.0f / 32768.0f), ".030517578");
}

TEST(FormatSingle, EveryFloatReadsBackExactly)
{
    std::mt19937 random(7);
    std::uniform_int_distribution<uint32_t> anyBits;
    std::uniform_real_distribution<float> typical(-100000.0f, 100000.0f);
    for (int i = 0; i < 200000; ++i) {
        float value;
        if (i % 2 == 0) {
            uint32_t bits = anyBits(random);
            std::memcpy(&value, &bits, sizeof value);
            if (!std::isfinite(value)) {
                continue;
            }
        } else {
            value = typical(random);
        }
        std::string text = FormatSingle(value);
        ASSERT_EQ(static_cast<float>(Val(text)), value) << text;
        ASSERT_LE(text.size(), 16u) << text;
        ASSERT_EQ(text.find(','), std::string::npos);
        ASSERT_NE(text.substr(0, 2), "0.") << "no leading zero below 1";
    }
}

TEST(Rounding, HalvesGoToEven)
{
    EXPECT_EQ(RoundHalfEven(2.5), 2);
    EXPECT_EQ(RoundHalfEven(-2.5), -2);
    EXPECT_EQ(RoundHalfEven(0.5), 0);
    EXPECT_EQ(RoundHalfEven(2.4999), 2);
    EXPECT_EQ(RoundHalfEven(2.5001), 3);
    EXPECT_EQ(RoundHalfEven(4503599627370497.0), 4503599627370497.0);
    EXPECT_TRUE(std::isinf(RoundHalfEven(INFINITY)));
}

TEST(Rounding, ConversionsSaturate)
{
    EXPECT_EQ(RoundToInt32(1e12), INT32_MAX);
    EXPECT_EQ(RoundToInt32(2147483647.4), INT32_MAX);
    EXPECT_EQ(RoundToInt32(2147483646.5), 2147483646);
    EXPECT_EQ(RoundToInt32(-2147483648.6), INT32_MIN);
    EXPECT_EQ(RoundToInt32(INFINITY), INT32_MAX);
    EXPECT_EQ(RoundToInt32(std::nan("")), 0);
    EXPECT_EQ(RoundToInt32(10.5), 10);
    EXPECT_EQ(RoundToInt16(-40000.2), -32768);
    EXPECT_EQ(SaturateCast<int16_t>(40000.0), 32767);
    EXPECT_EQ(SaturateCast<int32_t>(-7.9), -7) << "the fraction is cut";
    EXPECT_EQ(SaturateCast<uint8_t>(-1.0), 0);
    EXPECT_EQ(SaturateCast<int64_t>(1e30), INT64_MAX);
    EXPECT_EQ(SaturateToInt32(3e9), INT32_MAX);
    EXPECT_EQ(SaturateInt<int32_t>(int64_t{INT32_MAX} + 5), INT32_MAX);
    EXPECT_EQ(SaturateInt<int16_t>(-70000), INT16_MIN);
}

TEST(FormatNumber, ShortestTextWithALeadingZero)
{
    EXPECT_EQ(FormatNumber(0.5), "0.5");
    EXPECT_EQ(FormatNumber(-0.1), "-0.1");
    EXPECT_EQ(FormatNumber(NAN), "0");
    EXPECT_EQ(Val(FormatNumber(1.0 / 3.0)), 1.0 / 3.0);
}
