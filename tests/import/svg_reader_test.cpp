#include "import/svg_reader.h"
#include "platform/base/text_encoding.h"
#include "tests/import/svg_test_support.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <zlib.h>


using namespace importer;
using svgtest::Document;
using svgtest::Import;
using svgtest::LoadText;

namespace {

const char kSquare[] = "<path d=\"M0 0 h10 v10 h-10 z\" fill=\"red\"/>";

std::string Compress(const std::string &text)
{
    uLongf size = compressBound(static_cast<uLong>(text.size()));
    std::string out(size, '\0');
    compress(reinterpret_cast<Bytef *>(out.data()), &size, reinterpret_cast<const Bytef *>(text.data()),
             static_cast<uLong>(text.size()));
    out.resize(size);
    return out;
}

// Loads a hostile document, which must fail, and hands back the work the reader did on it.
importer::SvgContext FailedLoadWork(const std::string &text)
{
    SvgReader reader;
    EXPECT_FALSE(LoadText(reader, text, "hostile.svg"));
    return reader.work();
}

}  // namespace

TEST(SvgReader, PlainGzipAndZlibFixturesGiveTheSamePaths)
{
    SvgReader plain, gzip, zlib;
    ASSERT_TRUE(plain.LoadSvg(testsupport::DataPath("svg/raster_shapes.svg")));
    ASSERT_TRUE(gzip.LoadSvg(testsupport::DataPath("svg/shapes_gzip.svgz")));
    ASSERT_TRUE(zlib.LoadSvg(testsupport::DataPath("svg/shapes_zlib.svgz")));
    EXPECT_EQ(plain.width(), 200);
    EXPECT_EQ(plain.height(), 150);
    core::PathCollection expected = plain.GetPathRecords();
    EXPECT_EQ(expected.PathCount(), 8);
    for (SvgReader *reader : {&gzip, &zlib}) {
        core::PathCollection paths = reader->GetPathRecords();
        ASSERT_EQ(paths.PathCount(), expected.PathCount());
        for (int i = 1; i <= paths.PathCount(); ++i) {
            EXPECT_EQ(paths.Paths[i].Anchors, expected.Paths[i].Anchors);
            EXPECT_EQ(paths.Paths[i].FillColor, expected.Paths[i].FillColor);
        }
    }
}

TEST(SvgReader, ExtensionsChooseTheRoad)
{
    std::string text = Document(kSquare);
    SvgReader reader;
    EXPECT_TRUE(LoadText(reader, text, "upper.SVG"));  // through gzip, which passes plain text
    EXPECT_TRUE(LoadText(reader, Compress(text), "raw.svgz"));
    EXPECT_FALSE(LoadText(reader, Compress(text), "raw.svg"));  // "svg" is always read as plain text

    std::string compressed = Compress(text);
    EXPECT_FALSE(LoadText(reader, compressed.substr(0, compressed.size() / 2), "cut.svgz"));
    EXPECT_FALSE(reader.LoadSvg(testsupport::TempPath("missing.svg")));
    EXPECT_FALSE(LoadText(reader, "", "empty.svgz"));

    std::string gzPath = testsupport::TempPath("cut.svgz");
    gzFile file = gzopen(gzPath.c_str(), "wb");
    gzwrite(file, text.data(), static_cast<unsigned>(text.size()));
    gzclose(file);
    std::string gz = testsupport::ReadAll(gzPath);
    EXPECT_TRUE(reader.LoadSvg(gzPath));
    testsupport::WriteAll(gzPath, gz.substr(0, gz.size() - 12));
    EXPECT_FALSE(reader.LoadSvg(gzPath));

    // Only regular files are read: a pipe would block and a device may never end.
    std::string fifo = testsupport::TempPath("pipe.svgz");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_FALSE(reader.LoadSvg(fifo));
    EXPECT_FALSE(reader.LoadSvg("/dev/zero"));
}

TEST(SvgReader, EncodingFollowsTheDeclaration)
{
    std::string body = "<g id=\"\xE4\xB8\x80\"><path d=\"M0 0 h10 v10z\"/></g>";
    SvgReader reader;
    EXPECT_TRUE(LoadText(reader, Document(body)));
    std::string sjis = "<?xml version=\"1.0\" encoding=\"Shift_JIS\"?><svg width=\"10\" height=\"10\"><g id=\"" +
                       platform::Utf8ToCp932("\xE4\xB8\x80") + "\">" + kSquare + "</g></svg>";
    EXPECT_TRUE(LoadText(reader, sjis));
}

TEST(SvgReader, EntitiesInTheInternalSubset)
{
    std::string text =
        "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<!DOCTYPE svg [\n<!ENTITY % ns \"x\">\n<!ENTITY % other \"y\">\n"
        "<!ENTITY st0 \"fill:red\">\n]>\n<svg width=\"10\" height=\"10\"><path style=\"&st0;\" d=\"M0 0 h5 v5z\"/></svg>";
    SvgReader reader;
    ASSERT_TRUE(LoadText(reader, text));
    EXPECT_EQ(reader.GetPathRecords().Paths[1].FillColor, 0xFF0000FFu);
}

TEST(SvgReader, DuplicateIdsFailTheLoad)
{
    EXPECT_EQ(Import("<path id=\"a\" d=\"M0 0 h1 v1z\"/><path id=\"A\" d=\"M0 0 h1 v1z\"/>").PathCount(), 0);
}

TEST(SvgReader, DefsSymbolsAndUse)
{
    core::PathCollection paths = Import(
        "<defs><path id=\"p\" d=\"M0 0 h1 v1z\"/></defs><symbol><path d=\"M0 0 h2 v2z\"/></symbol>"
        "<use xlink:href=\"#p\" x=\"10\" y=\"5\" transform=\"scale(2)\" fill=\"blue\"/><use xlink:href=\"#none\"/>");
    ASSERT_EQ(paths.PathCount(), 2);
    EXPECT_EQ(paths.Paths[1].Anchors[2].X, 40);  // the symbol, drawn where it stands
    // translated by (10, 5) first, then scaled by 2
    EXPECT_EQ(paths.Paths[2].Anchors[0], (core::AnchorPoint{400, 200, 0}));
    EXPECT_EQ(paths.Paths[2].Anchors[1], (core::AnchorPoint{440, 200, 0}));
    EXPECT_EQ(paths.Paths[2].FillColor, 0xFFFF0000u);  // the referenced path inherits the use's fill

    paths = Import("<g id=\"grp\" fill=\"lime\"><rect width=\"1\" height=\"1\"/></g><g id=\"empty\"/>"
                   "<use xlink:href=\"#grp\" x=\"3\"/><use xlink:href=\"#empty\"/>");
    ASSERT_EQ(paths.PathCount(), 2);
    EXPECT_EQ(paths.Paths[2].Anchors[0].X, 60);
    EXPECT_EQ(paths.Paths[2].FillColor, 0xFF00FF00u);
}

TEST(SvgReader, SizeFromTheDrawingWhenTheSvgHasNone)
{
    SvgReader reader;
    ASSERT_TRUE(LoadText(reader, Document("<path d=\"M0 0 L100.5 0 L100.5 7\"/>", "")));
    EXPECT_EQ(reader.width(), 101);  // 2010 twips
    EXPECT_EQ(reader.height(), 7);

    ASSERT_TRUE(LoadText(reader, Document(kSquare, "width=\"30mm\" height=\"2in\"")));
    EXPECT_EQ(reader.width(), 106);
    EXPECT_EQ(reader.height(), 180);
}

TEST(SvgReader, UnsupportedElementsAndEmptyDocuments)
{
    SvgReader reader;
    EXPECT_FALSE(LoadText(reader, Document("<circle r=\"5\"/><ellipse rx=\"1\" ry=\"2\"/><text>hi</text><image/>")));
    EXPECT_EQ(reader.width(), 100);
    EXPECT_FALSE(LoadText(reader, "<html><body/></html>"));
    EXPECT_TRUE(LoadText(reader, Document("<style><![CDATA[ path { fill: red } ]]></style><?pi x?>"
                                          "<a><switch><path d=\"M0 0 h1 v1z\"/></switch></a>")));
}

TEST(SvgReader, TruncatedAndGarbageInputFailCleanly)
{
    std::string text = Document("<g><path d=\"M0 0 h10 v10z\"/><rect width=\"5\" height=\"5\"/></g>");
    SvgReader reader;
    for (size_t cut = 0; cut + 1 < text.size(); cut += 7) {
        EXPECT_FALSE(LoadText(reader, text.substr(0, cut))) << cut;
    }
    std::string garbage;
    uint32_t seed = 12345;
    for (int i = 0; i < 20000; ++i) {
        seed = seed * 1103515245u + 12345u;
        garbage += "<>/=\" gsvpathd0.1-ML#"[(seed >> 16) % 21];
    }
    for (int round = 0; round < 20; ++round) {
        LoadText(reader, "<svg>" + garbage.substr(round * 500) + "</svg>");
    }
    EXPECT_FALSE(LoadText(reader, Document("<path d=\"M0 0 L1e30 0\"/>")));
    EXPECT_FALSE(LoadText(reader, Document("<path d=\"M0 0 h10 v10z\" transform=\"scale(1e30)\"/>")));
    EXPECT_FALSE(LoadText(reader, Document("<rect width=\"99999999999\" height=\"1\"/>")));
    EXPECT_FALSE(LoadText(reader, Document(kSquare + std::string("</g>"))));
}

// Each hostile document asks for far more work than its size; the reader stops within a bound
// of counted work (elements, use references, numbers, transformed points), whatever the machine.
TEST(SvgReader, HostileDocumentsFailWithinBoundedWork)
{
    const SvgLimits limits;
    std::string deep;
    for (int i = 0; i < 100000; ++i) {
        deep += "<g>";
    }
    deep += kSquare;
    for (int i = 0; i < 100000; ++i) {
        deep += "</g>";
    }
    importer::SvgContext work = FailedLoadWork(Document(deep));
    EXPECT_LE(work.elementsWalked, limits.MaxDepth + 2) << "stops at the nesting limit";

    // Ten levels of ten uses each would draw 10^10 squares.
    std::string laughs = "<defs><path id=\"l0\" d=\"M0 0 h1 v1z\"/>";
    for (int level = 1; level <= 10; ++level) {
        laughs += "<g id=\"l" + std::to_string(level) + "\">";
        for (int i = 0; i < 10; ++i) {
            laughs += "<use xlink:href=\"#l" + std::to_string(level - 1) + "\"/>";
        }
        laughs += "</g>";
    }
    laughs += "</defs><use xlink:href=\"#l10\"/>";
    work = FailedLoadWork(Document(laughs));
    EXPECT_LE(work.usesFollowed, limits.MaxUses + 1);
    EXPECT_LE(work.elementsWalked, 3 * limits.MaxUses);

    work = FailedLoadWork(Document("<g id=\"self\"><use xlink:href=\"#self\"/></g>"));
    EXPECT_LE(work.usesFollowed, limits.MaxDepth + 1);

    // A long path drawn through many uses: the coordinates read are bounded by the file's size.
    std::string longPath = "<defs><path id=\"long\" d=\"M0 0";
    for (int i = 0; i < 25000; ++i) {
        longPath += " L1 1";
    }
    longPath += "\"/></defs>";
    for (int i = 0; i < 400; ++i) {
        longPath += "<use xlink:href=\"#long\"/>";
    }
    work = FailedLoadWork(Document(longPath));
    EXPECT_LE(work.numbersRead, std::max<int64_t>(2'000'000, 4 * static_cast<int64_t>(longPath.size())) + 2);
    EXPECT_LT(work.numbersRead, int64_t{400} * 50000) << "not every use of the path is read";

    // A long transform list on a long path: every point would pass through every matrix.
    std::string transforms = "<path transform=\"";
    for (int i = 0; i < 20000; ++i) {
        transforms += "scale(1.00001) ";
    }
    transforms += "\" d=\"M0 0";
    for (int i = 0; i < 20000; ++i) {
        transforms += " L10 10 L0 10";
    }
    work = FailedLoadWork(Document(transforms + "z\"/>"));
    // The path's points times its matrices are counted before any point is transformed: the
    // count passes the limit and the load ends with only the numbers read.
    EXPECT_GT(work.pointTransforms, work.limits.MaxPointTransforms);
    EXPECT_LE(work.numbersRead, 2 * 40001 + 20000 * 2);

    std::string huge = "<path d=\"M0 0";
    for (int i = 0; i < 2000; ++i) {
        huge += " L1" + std::string(40, '0') + " 5";
    }
    work = FailedLoadWork(Document(huge + "\"/>"));
    EXPECT_LE(work.numbersRead, 4) << "the first number out of range ends the load";
}

// A load stops as soon as the drawn paths would take more memory than the budget allows, and
// says so; the stroked subpaths of one element count one by one.
TEST(SvgReader, ABudgetOfHeldMemoryBoundsThePathsRead)
{
    std::string diagonals;
    for (int i = 0; i < 10; ++i) {
        diagonals += "M0 0 L1000 1000 ";
    }
    const std::string document = Document("<path stroke=\"#000\" stroke-width=\"50\" d=\"" + diagonals + "\"/>");
    const int64_t needed = 10 * (kHeldBytesPerPath + 2 * kHeldBytesPerAnchor);
    struct Case {
        int64_t budget;
        bool loads;
    };
    for (const Case &c : {Case{needed, true}, Case{needed - 1, false}, Case{1, false}}) {
        SCOPED_TRACE(c.budget);
        SvgReader reader;
        SvgLimits limits;
        limits.MaxHeldBytes = c.budget;
        reader.SetLimits(limits);
        EXPECT_EQ(LoadText(reader, document), c.loads);
        EXPECT_EQ(reader.OutOfMemory(), !c.loads);
        EXPECT_EQ(reader.GetPathRecords().PathCount(), c.loads ? 10 : 0);
        EXPECT_LE(reader.work().heldBytes, c.loads ? needed : c.budget + kHeldBytesPerPath * 10 + 1000);
    }
    // By default the budget is a share of what the program can hold.
    EXPECT_GT(SvgLimits().MaxHeldBytes, int64_t{1} << 20);
    SvgLimits::SetDefaultHeldBytes(5000);
    EXPECT_EQ(SvgLimits().MaxHeldBytes, 5000);
    SvgLimits::SetDefaultHeldBytes(0);
    EXPECT_GT(SvgLimits().MaxHeldBytes, 5000);
}

TEST(SvgReader, LimitsBoundTheWork)
{
    SvgReader reader;
    SvgLimits limits;
    limits.MaxElements = 3;
    reader.SetLimits(limits);
    EXPECT_TRUE(LoadText(reader, Document(std::string(kSquare) + kSquare)));
    EXPECT_FALSE(LoadText(reader, Document(std::string(kSquare) + kSquare + kSquare + kSquare)));
    limits = SvgLimits();
    limits.MaxUses = 1;
    reader.SetLimits(limits);
    std::string uses = "<defs><path id=\"p\" d=\"M0 0 h1 v1z\"/></defs><use xlink:href=\"#p\"/>";
    EXPECT_TRUE(LoadText(reader, Document(uses)));
    EXPECT_FALSE(LoadText(reader, Document(uses + "<use xlink:href=\"#p\"/>")));
    limits = SvgLimits();
    limits.MaxNumbers = 10;
    reader.SetLimits(limits);
    EXPECT_FALSE(LoadText(reader, Document("<path d=\"M0 0 1 1 2 2 3 3 4 4 5 5\"/>")));
    limits = SvgLimits();
    limits.MaxPointTransforms = 12;  // this square moves 9 points (start, bounds corners, nodes)
    reader.SetLimits(limits);
    EXPECT_TRUE(LoadText(reader, Document("<path d=\"M0 0 h10 v10z\" transform=\"scale(2)\"/>")));
    EXPECT_FALSE(LoadText(reader, Document("<path d=\"M0 0 h10 v10z\" transform=\"scale(2) scale(2)\"/>")));
}
