// SVG and compressed SVG files damaged at random: the reader loads them or fails cleanly, never
// crashes, hangs or reads out of bounds, and what it hands over is a set of path records that a
// drawing file can hold.
#include "core/drawing_file.h"
#include "import/svg_reader.h"
#include "platform/base/text_encoding.h"

#include "tests/import/svg_test_support.h"
#include "tests/support/byte_mutator.h"
#include "tests/support/test_support.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

using namespace importer;
using namespace testsupport;

namespace {

constexpr int kRoundsPerSeed = 1000;

const std::vector<std::string> kSvgTokens = {
    "<", ">", "/>", "\"", "=", " ", "<g>", "</g>", "<g id=\"a\">", "<symbol>", "</symbol>", "<defs>", "</defs>",
    "<use xlink:href=\"#a\"/>", "<use xlink:href=\"#g\" x=\"1e30\"/>", " id=\"a\"", " id=\"g\"", "<!--", "-->",
    "<![CDATA[", "]]>", "<?", "?>", "<!DOCTYPE svg [<!ENTITY e \"fill:red\">]>", "&e;", "style=\"&e;\"", "url(#g)",
    "url(#r)", "url(#", "#", "#fff", "#12345", "rgb(", "rgb(1,2,3%)", "1e38", "-1e38", "3.4e39", "99999999999",
    "-2147483648", "1e-50", "1e-400", ".5.5", "--1", "+-", "e", "E+", "matrix(", "matrix(0 0 0 0 0 0)",
    "rotate(1e30 5 5)", "scale(0)", "scale(1e20)", "skewX(90)", "translate(1e9)", "M", "m", "C", "c", "S", "s",
    "Q", "T", "t", "Z", "z", "A", "H", "V", "%", "50%", "viewBox=\"0 0 0 0\"", "viewBox=\"0 0 1e9 1\"",
    "width=\"100%\"", "height=\"1e9\"", "stroke=\"red\"", "stroke-width=\"1e9\"", "opacity=\"-5\"",
    "<linearGradient id=\"g\" xlink:href=\"#g\">", "<radialGradient id=\"r\" r=\"0\">", "</linearGradient>",
    "</radialGradient>", "<stop offset=\"2\" stop-opacity=\"9\"/>", "gradientUnits=\"userSpaceOnUse\"",
    "gradientTransform=\"scale(0)\"", "</svg>", "<svg ", "\xE3\x80\x80", "\xff", "\x78", "\x1f\x8b",
};

const char *const kGradientsAndUses = R"svg(<?xml version="1.0" encoding="UTF-8"?>
<!DOCTYPE svg [<!ENTITY st0 "fill:#336699;stroke:navy;stroke-width:2">]>
<svg xmlns="http://www.w3.org/2000/svg" xmlns:xlink="http://www.w3.org/1999/xlink" width="200" height="100" viewBox="0 0 400 200">
  <defs>
    <linearGradient id="g" x1="0%" y1="0%" x2="100%" y2="50%" spreadMethod="reflect">
      <stop offset="0" stop-color="#f80"/><stop offset=".5" style="stop-color:rgb(1,2,3);stop-opacity:.5"/>
      <stop offset="1" stop-color="navy"/>
    </linearGradient>
    <linearGradient id="h" xlink:href="#g" gradientTransform="rotate(30 5 5)"/>
    <radialGradient id="r" cx="50" cy="50" r="40" fx="40" gradientUnits="userSpaceOnUse">
      <stop offset="0" stop-color="white"/><stop offset="1" stop-color="black"/>
    </radialGradient>
    <path id="p" d="M0 0 C10 20 30 20 40 0 S70 -20 80 0 Q90 10 100 0 T120 0 A5 5 0 0 1 130 0 z"/>
  </defs>
  <g style="&st0;" transform="translate(10,20) scale(1.5)">
    <rect x="1" y="2" width="30" height="20" rx="3" fill="url(#g)"/>
    <polygon points="0,0 10,0 10,10" fill="url(#r)" opacity=".5"/>
    <use xlink:href="#p" x="5" y="5" fill="url(#h)" stroke-width="3"/>
  </g>
  <symbol id="s" viewBox="0 0 10 10"><line x1="0" y1="0" x2="10" y2="10" stroke="red"/></symbol>
  <polyline points="1 1 2 3 4 5" stroke="#00f" fill="none" transform="skewX(10) matrix(1 0 0 1 3 4)"/>
</svg>
)svg";

struct Seed {
    std::string bytes;
    std::string extension;
};

std::vector<Seed> Seeds()
{
    return {{ReadAll(DataPath("svg/raster_curves.svg")), "svg"},
            {ReadAll(DataPath("svg/raster_shapes.svg")), "svg"},
            {ReadAll(DataPath("svg/shapes_gzip.svgz")), "svgz"},
            {ReadAll(DataPath("svg/shapes_zlib.svgz")), "svgz"},
            {kGradientsAndUses, "svg"}};
}

void ExpectSavableRecords(const core::PathCollection &paths, const std::string &input)
{
    for (int32_t i = 1; i <= paths.PathCount(); ++i) {
        const core::PathRecord &path = paths.Paths[static_cast<size_t>(i)];
        ASSERT_GE(path.AnchorMax(), 0) << Escaped(input);
        EXPECT_TRUE(std::isfinite(path.GradAngle) && std::isfinite(path.GradRatioX) && std::isfinite(path.GradRatioY))
            << Escaped(input);
        EXPECT_LE(path.StopCount(), 6) << Escaped(input);
        core::FieldWriter writer;
        core::WritePathRecord(path, writer);
        const std::string text = platform::Cp932ToUtf8(writer.Bytes());
        core::FieldReader reader(text);
        core::PathRecord back;
        ASSERT_TRUE(core::ReadPathRecord(reader, "030", back)) << reader.Error() << "\n" << Escaped(input);
        EXPECT_TRUE(back == path) << Escaped(input);
    }
}

}  // namespace

class SvgFuzz : public testing::TestWithParam<size_t> {};

TEST_P(SvgFuzz, DamagedFilesLoadOrFailCleanly)
{
    const Seed seed = Seeds()[GetParam()];
    ASSERT_FALSE(seed.bytes.empty());
    {
        SvgReader reader;
        ASSERT_TRUE(svgtest::LoadText(reader, seed.bytes, "seed." + seed.extension)) << "the undamaged seed loads";
    }
    ByteMutator mutator(static_cast<uint32_t>(GetParam()) + 1, kSvgTokens);
    const std::string path = TempPath("fuzz." + seed.extension);
    int loaded = 0;
    for (int round = 0; round < kRoundsPerSeed && !HasFailure(); ++round) {
        const std::string bytes = mutator.Mutate(seed.bytes);
        WriteAll(path, bytes);
        SvgReader reader;
        const bool ok = reader.LoadSvg(path);
        EXPECT_TRUE(svgtest::WithinDocumentLimits(reader.work())) << Escaped(bytes);
        if (!ok) {
            EXPECT_TRUE(reader.colGroup().empty()) << "a failed load keeps nothing";
            continue;
        }
        ++loaded;
        core::PathCollection paths;
        ASSERT_NO_THROW(paths = reader.GetPathRecords()) << Escaped(bytes);
        EXPECT_GT(paths.PathCount(), 0);
        ExpectSavableRecords(paths, bytes);
    }
    // Damaged compressed files mostly fail their checks; damaged text must often still load, or the
    // checks on the records above would test nothing.
    if (seed.extension == "svg") {
        EXPECT_GT(loaded, kRoundsPerSeed / 50);
    }
}

INSTANTIATE_TEST_SUITE_P(Seeds, SvgFuzz, testing::Range<size_t>(0, 5));
