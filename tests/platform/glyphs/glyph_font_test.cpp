#include "platform/glyphs/glyph_font.h"

#include "tests/support/test_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

using namespace platform;

namespace {

constexpr const char *kIpaGothicFile = "/usr/share/fonts/opentype/ipafont-gothic/ipag.ttf";

// The native records read back independently: contours of curves of points in pixels.
struct Curve {
    uint16_t type = 0;
    std::vector<std::pair<double, double>> points;
};
struct Contour {
    uint32_t size = 0;
    uint32_t type = 0;
    double startX = 0, startY = 0;
    std::vector<Curve> curves;
};

uint32_t Le(const std::vector<uint8_t> &b, size_t at, int bytes)
{
    uint32_t v = 0;
    for (int k = bytes - 1; k >= 0; --k) {
        v = v << 8 | b.at(at + static_cast<size_t>(k));
    }
    return v;
}

double FixedAt(const std::vector<uint8_t> &b, size_t at)
{
    return static_cast<int32_t>(Le(b, at, 4)) / 65536.0;
}

std::vector<Contour> Parse(const std::vector<uint8_t> &b)
{
    std::vector<Contour> contours;
    size_t at = 0;
    while (at < b.size()) {
        Contour c{Le(b, at, 4), Le(b, at + 4, 4), FixedAt(b, at + 8), FixedAt(b, at + 12), {}};
        size_t end = at + c.size;
        for (at += 16; at < end;) {
            Curve curve{static_cast<uint16_t>(Le(b, at, 2)), {}};
            uint32_t n = Le(b, at + 2, 2);
            for (at += 4; n > 0; --n, at += 8) {
                curve.points.emplace_back(FixedAt(b, at), FixedAt(b, at + 4));
            }
            c.curves.push_back(curve);
        }
        EXPECT_EQ(at, end) << "a record runs past its contour";
        contours.push_back(c);
    }
    return contours;
}

std::vector<Contour> Outline(const GlyphFont &font, char32_t code, GlyphMetrics &metrics)
{
    std::vector<uint8_t> records;
    int32_t size = font.GetGlyphOutline(code, metrics, &records);
    EXPECT_EQ(size, static_cast<int32_t>(records.size()));
    EXPECT_EQ(font.GetGlyphOutline(code, metrics, nullptr), size) << "the size alone differs";
    return Parse(records);
}

// A 16-bit value of a table of the font file, read from its table directory.
std::optional<uint32_t> FontTableValue(const std::string &bytes, const char *tag, size_t offset, int size)
{
    std::vector<uint8_t> b(bytes.begin(), bytes.end());
    auto be = [&](size_t at, int n) {
        uint32_t v = 0;
        for (int k = 0; k < n; ++k) {
            v = v << 8 | b.at(at + static_cast<size_t>(k));
        }
        return v;
    };
    uint32_t tables = be(4, 2);
    for (uint32_t t = 0; t < tables; ++t) {
        size_t entry = 12 + 16 * t;
        if (std::memcmp(&b.at(entry), tag, 4) == 0) {
            return be(be(entry + 8, 4) + offset, size);
        }
    }
    return std::nullopt;
}

GlyphFont IpaGothic(bool bold = false, bool italic = false)
{
    return GlyphFont(FontRequest{"IPAGothic", 64.0f, bold, italic});
}

TEST(GlyphFontTest, OpensTheMatchedFamilyAtTheDevicePixelSize)
{
    GlyphFont font = IpaGothic();
    ASSERT_TRUE(font.IsOpen());
    EXPECT_EQ(font.FamilyName(), "IPAGothic");
    EXPECT_EQ(font.PixelSize(), 85);  // 64 points at 96 dots per inch
    EXPECT_EQ(GlyphFont(FontRequest{"IPAゴシック", 64.0f, false, false}).FamilyName(), "IPAGothic");
    EXPECT_EQ(GlyphFont(FontRequest{"IPAGothic", 1e30f, false, false}).PixelSize(), kMaxPixelSize);
    EXPECT_EQ(GlyphFont(FontRequest{"IPAGothic", -5.0f, false, false}).PixelSize(), kMinPixelSize);
}

TEST(GlyphFontTest, AFontThatIsNotOpenFailsClearly)
{
    GlyphFont font;
    EXPECT_FALSE(font.IsOpen());
    EXPECT_EQ(font.PixelSize(), 0);
    EXPECT_EQ(font.GetTextMetrics().Height, 0);
    GlyphMetrics metrics;
    metrics.CellIncX = 7;
    std::vector<uint8_t> records{1, 2, 3};
    EXPECT_EQ(font.GetGlyphOutline(U'A', metrics, &records), -1);
    EXPECT_EQ(metrics.CellIncX, 0);
}

TEST(GlyphFontTest, TextMetricsFollowTheFontsCharacterCell)
{
    std::string file = testsupport::ReadAll(kIpaGothicFile);
    auto unitsPerEm = FontTableValue(file, "head", 18, 2);
    auto winAscent = FontTableValue(file, "OS/2", 74, 2);
    auto winDescent = FontTableValue(file, "OS/2", 76, 2);
    ASSERT_TRUE(unitsPerEm && winAscent && winDescent);
    TextMetrics metrics = IpaGothic().GetTextMetrics();
    EXPECT_EQ(metrics.Ascent, std::lround(*winAscent * 85.0 / *unitsPerEm));
    EXPECT_EQ(metrics.Descent, std::lround(*winDescent * 85.0 / *unitsPerEm));
    EXPECT_EQ(metrics.Height, metrics.Ascent + metrics.Descent);
}

TEST(GlyphFontTest, SquareGlyphIsTwoContoursOfLines)
{
    GlyphMetrics metrics;
    std::vector<Contour> contours = Outline(IpaGothic(), U'口', metrics);
    ASSERT_EQ(contours.size(), 2u);
    for (const Contour &c : contours) {
        EXPECT_EQ(c.type, kPolygonType);
        for (const Curve &curve : c.curves) {
            EXPECT_EQ(curve.type, kCurveLine);
            for (auto [x, y] : curve.points) {
                EXPECT_GE(x, metrics.GlyphOriginX);
                EXPECT_LE(x, metrics.GlyphOriginX + static_cast<double>(metrics.BlackBoxX));
                EXPECT_LE(y, metrics.GlyphOriginY);
                EXPECT_GE(y, metrics.GlyphOriginY - static_cast<double>(metrics.BlackBoxY));
            }
        }
    }
    EXPECT_EQ(metrics.CellIncX, 85);  // a full-width character
    EXPECT_EQ(metrics.CellIncY, 0);
    // The outer square spans most of the em, above the baseline and below the ascent.
    EXPECT_GT(metrics.BlackBoxX, 50u);
    EXPECT_GT(metrics.BlackBoxY, 50u);
    EXPECT_LT(metrics.GlyphOriginY, IpaGothic().GetTextMetrics().Ascent + 1);
}

TEST(GlyphFontTest, RoundGlyphIsQuadraticSplinesClosingAtTheStart)
{
    GlyphMetrics metrics;
    std::vector<Contour> contours = Outline(IpaGothic(), U'O', metrics);
    ASSERT_EQ(contours.size(), 2u);
    for (const Contour &c : contours) {
        ASSERT_FALSE(c.curves.empty());
        for (const Curve &curve : c.curves) {
            EXPECT_EQ(curve.type, kCurveQSpline);
            EXPECT_GE(curve.points.size(), 2u);
        }
        EXPECT_EQ(c.curves.back().points.back(), std::make_pair(c.startX, c.startY));
    }
    EXPECT_EQ(metrics.CellIncX, 42);  // a half-width character: 42.5 pixels, half to even
    EXPECT_GT(metrics.GlyphOriginY, 50);
}

bool HasCurves(const std::vector<Contour> &contours)
{
    for (const Contour &c : contours) {
        for (const Curve &curve : c.curves) {
            if (curve.type == kCurveQSpline) {
                return true;
            }
        }
    }
    return false;
}

TEST(GlyphFontTest, WindowsJapaneseFamiliesOpenTheInstalledJapaneseFonts)
{
    std::vector<std::string> installed = ListOutlineFontFamilies();
    for (const char *family : {"IPAGothic", "IPAPGothic", "IPAMincho", "IPAPMincho"}) {
        if (std::find(installed.begin(), installed.end(), family) == installed.end()) {
            GTEST_SKIP() << family << " is not installed";
        }
    }
    const std::pair<const char *, const char *> names[] = {
        {"ＭＳ ゴシック", "IPAGothic"},  {"ＭＳ　ゴシック", "IPAGothic"}, {"MS Gothic", "IPAGothic"},
        {"ゴシック", "IPAGothic"},       {"ＭＳ Ｐゴシック", "IPAPGothic"}, {"MS PGothic", "IPAPGothic"},
        {"ＭＳ ＵＩ Gothic", "IPAPGothic"}, {"MS UI Gothic", "IPAPGothic"}, {"ＭＳ 明朝", "IPAMincho"},
        {"明朝", "IPAMincho"},           {"ＭＳ Ｐ明朝", "IPAPMincho"},    {"MS PMincho", "IPAPMincho"},
    };
    for (const auto &[name, family] : names) {
        EXPECT_EQ(GlyphFont(FontRequest{name, 64.0f, false, false}).FamilyName(), family) << name;
    }
    // The list offers what is installed, not the names that stand in.
    EXPECT_EQ(std::count(installed.begin(), installed.end(), "ＭＳ ゴシック"), 0);
}

TEST(GlyphFontTest, CharactersTheFontLacksComeFromAFontThatHasThem)
{
    GlyphFont latin(FontRequest{"DejaVu Sans", 64.0f, false, false});
    ASSERT_EQ(latin.FamilyName(), "DejaVu Sans");
    GlyphMetrics box;
    const std::vector<Contour> missing = Outline(latin, 0x10FFFD, box);  // no font has it
    ASSERT_FALSE(HasCurves(missing));
    if (!GlyphFont(FontRequest{"IPAGothic", 64.0f, false, false}).IsOpen()) {
        GTEST_SKIP() << "no Japanese font installed";
    }
    GlyphFont japanese = IpaGothic();
    for (char32_t code : {U'あ', U'い'}) {
        GlyphMetrics metrics;
        GlyphMetrics expected;
        std::vector<Contour> outline = Outline(latin, code, metrics);
        EXPECT_TRUE(HasCurves(outline)) << "a box for " << static_cast<uint32_t>(code);
        EXPECT_EQ(outline.size(), Outline(japanese, code, expected).size());
        EXPECT_EQ(metrics.CellIncX, expected.CellIncX);
    }
    GlyphMetrics a;
    EXPECT_TRUE(HasCurves(Outline(latin, U'a', a)));  // the font's own characters stay its own
    EXPECT_NE(a.CellIncX, 0);
}

TEST(GlyphFontTest, CodesBeyondTheFontGiveItsMissingGlyph)
{
    GlyphFont font = IpaGothic();
    GlyphMetrics missing;
    std::vector<Contour> notdef = Outline(font, 0x10FFFD, missing);
    for (char32_t code : {char32_t{0x110000}, char32_t{0xFFFFFFFF}}) {
        GlyphMetrics metrics;
        EXPECT_EQ(Outline(font, code, metrics).size(), notdef.size());
        EXPECT_EQ(metrics.CellIncX, missing.CellIncX);
    }
}

}  // namespace
