#include "import/wmf_importer.h"

#include "core/clipboard.h"
#include "core/document.h"
#include "import/clip_importers.h"
#include "import/picture_file.h"
#include "platform/player/movie_player.h"
#include "tests/core/recording_host.h"
#include "tests/support/test_support.h"
#include "wmf_test_support.h"

#include <gtest/gtest.h>

#include <QColor>

using core::AnchorPoint;
using core::PathCollection;
using core::PathRecord;
using wmftest::MetafileBuilder;

namespace {

constexpr uint32_t kRed = 0x000000FF;
constexpr uint32_t kGreen = 0x0000FF00;
constexpr uint32_t kBlue = 0x00FF0000;

std::vector<std::pair<int32_t, int32_t>> Twips(const PathRecord &path)
{
    std::vector<std::pair<int32_t, int32_t>> points;
    for (const AnchorPoint &anchor : path.Anchors) {
        points.emplace_back(anchor.X, anchor.Y);
    }
    return points;
}

PathCollection Import(const MetafileBuilder &metafile)
{
    PathCollection paths;
    std::string error;
    EXPECT_TRUE(importer::ReadWmfPaths(metafile.Bytes(), paths, error)) << error;
    return paths;
}

std::string FailureWithin(const std::string &bytes, const importer::WmfLimits &limits)
{
    PathCollection paths;
    std::string error;
    EXPECT_FALSE(importer::ReadWmfPaths(bytes, paths, error, limits));
    EXPECT_EQ(paths.PathCount(), 0);
    EXPECT_FALSE(error.empty());
    return error;
}

std::string FailureOf(const std::string &bytes)
{
    EXPECT_EQ(importer::ImportWmf(bytes).PathCount(), 0);
    return FailureWithin(bytes, {});
}

// Picture box 0..200 x 0..100 pixels: with figures spanning it and no pen width, one unit is 20
// twips.
MetafileBuilder PixelMetafile()
{
    MetafileBuilder metafile;
    metafile.PictureBox(0, 0, 200, 100).Objects(4);
    return metafile;
}

TEST(WmfImporter, FiguresTakeTheCurrentPenAndBrushAndFormOneGroup)
{
    MetafileBuilder metafile = PixelMetafile();
    metafile.Pen(0, 0x01234567).Select(0)
        .Brush(0, kRed).Select(1)
        .Polygon({{0, 0}, {200, 0}, {200, 100}, {0, 0}})
        .Polyline({{10, 10}, {50, 90}, {10, 10}})
        .Brush(1, kGreen).Select(1)
        .Polygon({{20, 30}, {40, 30}, {40, 60}});
    PathCollection paths = Import(metafile);
    ASSERT_EQ(paths.PathCount(), 3);
    EXPECT_EQ(paths.SelAnchors.size(), 1u);

    const PathRecord &filled = paths.Paths[1];
    EXPECT_EQ(Twips(filled), (std::vector<std::pair<int32_t, int32_t>>{{0, 0}, {4000, 0}, {4000, 2000}}));
    EXPECT_TRUE(filled.blClosed);
    EXPECT_EQ(filled.FillType, core::kFillSolid);
    EXPECT_EQ(filled.LineMode, 0);
    EXPECT_EQ(filled.FillColor, 0xFF0000FFu);
    EXPECT_EQ(filled.LineColor, 0xFF234567u);  // the palette flag byte gives way to full opacity

    const PathRecord &line = paths.Paths[2];
    EXPECT_EQ(Twips(line), (std::vector<std::pair<int32_t, int32_t>>{{200, 200}, {1000, 1800}, {200, 200}}));
    EXPECT_FALSE(line.blClosed);
    EXPECT_EQ(line.FillType, core::kFillNone);
    EXPECT_EQ(line.LineMode, 1);

    const PathRecord &hollow = paths.Paths[3];
    EXPECT_EQ(hollow.Anchors.size(), 3u);
    EXPECT_TRUE(hollow.blClosed);
    EXPECT_EQ(hollow.FillType, core::kFillNone);
    EXPECT_EQ(hollow.LineMode, 1);
    EXPECT_EQ(hollow.FillColor, 0xFF00FF00u);

    for (int32_t i = 1; i <= 3; ++i) {
        const PathRecord &path = paths.Paths[static_cast<size_t>(i)];
        EXPECT_TRUE(path.blGroup);
        EXPECT_EQ(path.GroupID, 1);
        EXPECT_FALSE(path.blCompound);
        EXPECT_EQ(path.CompoundID, 0);
    }
}

TEST(WmfImporter, ObjectTableKeepsCreatedObjectsForLaterSelection)
{
    MetafileBuilder metafile = PixelMetafile();
    metafile.Brush(0, kRed).Select(3)      // entry 3 := the red brush
        .Pen(0, kBlue).Select(2)           // entry 2 := the blue pen
        .Brush(0, kGreen).Select(1)        // another brush in use
        .Polygon({{0, 0}, {200, 0}, {200, 100}})
        .Select(3)                         // the red brush again; the pen stays
        .Polygon({{0, 0}, {10, 0}, {10, 10}})
        .Pen(0, kGreen).Select(0)
        .Delete(2).Select(2)               // deleting changes nothing: entry 2 still holds the blue pen
        .Polyline({{0, 0}, {5, 5}})
        .Select(0)                         // restores the green pen
        .Polyline({{0, 0}, {5, 5}});
    PathCollection paths = Import(metafile);
    ASSERT_EQ(paths.PathCount(), 4);
    EXPECT_EQ(paths.Paths[1].FillColor, 0xFF00FF00u);
    EXPECT_EQ(paths.Paths[2].FillColor, 0xFF0000FFu);
    EXPECT_EQ(paths.Paths[2].LineColor, 0xFFFF0000u);
    EXPECT_EQ(paths.Paths[3].LineColor, 0xFFFF0000u);
    EXPECT_EQ(paths.Paths[4].LineColor, 0xFF00FF00u);
    EXPECT_EQ(paths.Paths[4].FillColor, 0xFF0000FFu);
}

TEST(WmfImporter, ClosingPointIsDroppedFromPolygonsOnly)
{
    MetafileBuilder metafile = PixelMetafile();
    metafile.Polygon({{0, 0}, {200, 0}, {200, 100}, {0, 0}})
        .Polyline({{0, 0}, {200, 0}, {200, 100}, {0, 0}})
        .PolyPolygon({{{0, 0}, {10, 0}, {10, 10}, {0, 0}}})
        .Polygon({{5, 5}});  // a lone point is kept as it is
    PathCollection paths = Import(metafile);
    ASSERT_EQ(paths.PathCount(), 4);
    EXPECT_EQ(paths.Paths[1].Anchors.size(), 3u);
    EXPECT_EQ(paths.Paths[2].Anchors.size(), 4u);
    EXPECT_EQ(paths.Paths[3].Anchors.size(), 3u);
    EXPECT_EQ(paths.Paths[4].Anchors.size(), 1u);
}

TEST(WmfImporter, PolyPolygonsShareACompoundIdPerRecord)
{
    MetafileBuilder metafile = PixelMetafile();
    metafile.Brush(1, kRed).Select(0)  // a hollow brush is not consulted here
        .PolyPolygon({{{0, 0}, {200, 0}, {200, 100}}, {{10, 10}, {20, 10}, {20, 20}}, {{30, 30}, {40, 30}, {40, 40}}})
        .PolyPolygon({{{0, 0}, {5, 0}, {5, 5}}})
        .PolyPolygon({{{1, 1}, {2, 1}, {2, 2}}, {{3, 3}, {4, 3}, {4, 4}}});
    PathCollection paths = Import(metafile);
    ASSERT_EQ(paths.PathCount(), 6);
    std::vector<int32_t> ids;
    for (int32_t i = 1; i <= 6; ++i) {
        const PathRecord &path = paths.Paths[static_cast<size_t>(i)];
        ids.push_back(path.CompoundID);
        EXPECT_EQ(path.blCompound, path.CompoundID != 0);
        EXPECT_TRUE(path.blClosed);
        EXPECT_EQ(path.FillType, core::kFillSolid);
        EXPECT_EQ(path.LineMode, 0);
        EXPECT_EQ(path.GroupID, 1);
    }
    EXPECT_EQ(ids, (std::vector<int32_t>{1, 1, 1, 0, 3, 3}));
    EXPECT_EQ(Twips(paths.Paths[2]), (std::vector<std::pair<int32_t, int32_t>>{{200, 200}, {400, 200}, {400, 400}}));
}

TEST(WmfImporter, NegativeWindowHeightFlipsEveryY)
{
    MetafileBuilder metafile = PixelMetafile();
    metafile.WindowExtent(-100, 200)
        .Polygon({{0, 0}, {200, 0}, {200, 100}})
        .WindowExtent(0, 200)  // a zero height counts as upright
        .Polyline({{0, 50}, {0, 100}});
    PathCollection paths = Import(metafile);
    ASSERT_EQ(paths.PathCount(), 2);
    // Flipped, the triangle spans y -100 .. 0; the upright line 50 .. 100: the bounds are -100 .. 100.
    EXPECT_EQ(Twips(paths.Paths[1]), (std::vector<std::pair<int32_t, int32_t>>{{0, 1000}, {4000, 1000}, {4000, 0}}));
    EXPECT_EQ(Twips(paths.Paths[2]), (std::vector<std::pair<int32_t, int32_t>>{{0, 1500}, {0, 2000}}));
}

TEST(WmfImporter, DrawingIsScaledToThePictureSizeWithLineWidthsInTheBounds)
{
    // Figures 0 .. 1000 units wide in a picture 100 pixels wide: 2 twips per unit.
    MetafileBuilder metafile;
    metafile.PictureBox(0, 0, 100, 50)
        .Polygon({{0, 0}, {1000, 0}, {1000, 500}})
        .Polyline({{500, 250}, {750, 250}});
    PathCollection paths = Import(metafile);
    ASSERT_EQ(paths.PathCount(), 2);
    EXPECT_EQ(Twips(paths.Paths[2]), (std::vector<std::pair<int32_t, int32_t>>{{1000, 500}, {1500, 500}}));

    // A pen 53 units wide gives a line of 40 units, which widens the bounds on every side.
    MetafileBuilder wide;
    wide.PictureBox(0, 0, 100, 100).Pen(53, kRed).Select(0).Polyline({{40, 40}, {960, 960}});
    paths = Import(wide);
    ASSERT_EQ(paths.PathCount(), 1);
    // Bounds 0 .. 1000 on both axes: scale 100 / 1000 x 20 = 2.
    EXPECT_EQ(paths.Paths[1].LineWidth, 80);
    EXPECT_EQ(Twips(paths.Paths[1]), (std::vector<std::pair<int32_t, int32_t>>{{80, 80}, {1920, 1920}}));

    // 8 units in a 1-pixel picture: 2.5 twips a unit, halves rounded to even.
    MetafileBuilder halves;
    halves.PictureBox(0, 0, 1, 1).Polyline({{0, 0}, {1, 1}, {3, 3}, {5, 5}, {8, 8}});
    paths = Import(halves);
    EXPECT_EQ(Twips(paths.Paths[1]), (std::vector<std::pair<int32_t, int32_t>>{{0, 0}, {2, 2}, {8, 8}, {12, 12}, {20, 20}}));
    // 3 units in a 2-pixel picture: 40/3 twips a unit held in single precision.
    MetafileBuilder thirds;
    thirds.PictureBox(0, 0, 2, 2).Polyline({{0, 0}, {1, 1}, {2, 2}, {3, 3}});
    paths = Import(thirds);
    EXPECT_EQ(Twips(paths.Paths[1]), (std::vector<std::pair<int32_t, int32_t>>{{0, 0}, {13, 13}, {27, 27}, {40, 40}}));
}

TEST(WmfImporter, WithoutPlaceableHeaderOneUnitIsOnePixel)
{
    MetafileBuilder metafile;
    metafile.Polygon({{10, 20}, {110, 20}, {110, 70}});
    PathCollection paths = Import(metafile);
    ASSERT_EQ(paths.PathCount(), 1);
    EXPECT_EQ(Twips(paths.Paths[1]), (std::vector<std::pair<int32_t, int32_t>>{{0, 0}, {2000, 0}, {2000, 1000}}));

    // A vertical line has no width to scale: it stands at the left edge, its height filling the picture.
    MetafileBuilder vertical;
    vertical.PictureBox(0, 0, 10, 10).Polyline({{7, 100}, {7, 600}});
    paths = Import(vertical);
    EXPECT_EQ(Twips(paths.Paths[1]), (std::vector<std::pair<int32_t, int32_t>>{{0, 0}, {0, 200}}));
}

TEST(WmfImporter, FilesWithoutFiguresGiveNoPaths)
{
    MetafileBuilder metafile = PixelMetafile();
    metafile.Pen(10, kRed).Select(0).Record(0x041B, {10, 10, 0, 0}).WithoutEnd();  // a rectangle is skipped
    EXPECT_EQ(Import(metafile).PathCount(), 0);
    EXPECT_EQ(importer::ImportWmf(metafile.Bytes()).PathCount(), 0);

    // Records behind the end record are never read.
    std::string bytes = MetafileBuilder().Bytes() + std::string(100, '\xEE');
    PathCollection paths;
    std::string error;
    EXPECT_TRUE(importer::ReadWmfPaths(bytes, paths, error));
    // One stray byte after the last record is not a record.
    MetafileBuilder open;
    open.Polygon({{0, 0}, {1, 0}, {1, 1}}).WithoutEnd();
    EXPECT_TRUE(importer::ReadWmfPaths(open.Bytes() + "\x01", paths, error));
    EXPECT_EQ(paths.PathCount(), 1);
}

TEST(WmfImporter, MalformedRecordsFailWithNothingKept)
{
    const std::string header = MetafileBuilder().WithoutEnd().Bytes();
    auto withRecord = [&](uint32_t words, uint16_t function, std::vector<uint16_t> parameters) {
        std::string bytes = header;
        wmftest::PutDword(bytes, words);
        wmftest::PutWord(bytes, function);
        for (uint16_t word : parameters) {
            wmftest::PutWord(bytes, word);
        }
        return bytes;
    };
    const std::vector<uint16_t> triangle = {3, 0, 0, 10, 0, 10, 10};
    EXPECT_EQ(importer::ImportWmf(withRecord(10, 0x0324, triangle)).PathCount(), 1);

    FailureOf(withRecord(0, 0x0324, triangle));           // zero size: would never advance
    FailureOf(withRecord(2, 0x0324, triangle));           // shorter than its own header
    FailureOf(withRecord(0x7FFFFFFF, 0x0324, triangle));  // past the end
    FailureOf(withRecord(10, 0x0324, {4, 0, 0, 10, 0, 10, 10}));      // more points than the record holds
    FailureOf(withRecord(10, 0x0324, {0xFFFF, 0, 0, 10, 0, 10, 10}));  // a huge point count
    FailureOf(withRecord(3, 0x0325, {}));                               // no count at all
    FailureOf(withRecord(5, 0x0538, {0xFFFF, 3}));                      // a huge polygon count
    FailureOf(withRecord(3, 0x012D, {}));                               // selection without an index
    FailureOf(withRecord(4, 0x012D, {1}));                              // beyond the object table (entry 0 only)
    FailureOf(withRecord(7, 0x02FA, {0, 10, 0, 0xFF}));                 // a pen cut before its colour's high word
    FailureOf(withRecord(3, 0x020C, {}));                               // a window extent without values
    EXPECT_NE(FailureOf(withRecord(10, 0x0324, triangle).substr(0, 30)).find("end"), std::string::npos);

    importer::WmfLimits limits;
    limits.MaxPaths = 2;
    MetafileBuilder three;
    three.Polyline({{0, 0}, {1, 1}}).Polyline({{0, 0}, {1, 1}}).Polyline({{0, 0}, {1, 1}});
    EXPECT_EQ(FailureWithin(three.Bytes(), limits), "too many figures");
    limits = importer::WmfLimits();
    limits.MaxAnchors = 5;
    EXPECT_EQ(FailureWithin(three.Bytes(), limits), "too many points");
}

TEST(WmfImporter, MalformedHeadersFail)
{
    MetafileBuilder metafile = PixelMetafile();
    metafile.Polygon({{0, 0}, {10, 0}, {10, 10}});
    const std::string good = metafile.Bytes();
    ASSERT_EQ(importer::ImportWmf(good).PathCount(), 1);

    FailureOf("");
    FailureOf(good.substr(0, 21));  // inside the placeable header
    FailureOf(good.substr(0, 30));  // inside the metafile header
    std::string wrongType = good;
    wrongType[22] = 7;
    FailureOf(wrongType);
    std::string wrongSize = good;
    wrongSize[24] = 12;
    FailureOf(wrongSize);
    // A placeable header that gives no picture size: no units per inch, an empty box.
    MetafileBuilder noUnits;
    noUnits.Placeable(0, 0, 100, 100, 0).Polygon({{0, 0}, {10, 0}, {10, 10}});
    EXPECT_EQ(FailureOf(noUnits.Bytes()), "the placeable header gives no picture size");
    MetafileBuilder flat;
    flat.PictureBox(0, 50, 100, 50).Polygon({{0, 0}, {10, 0}, {10, 10}});
    FailureOf(flat.Bytes());
    // The checksum is not consulted.
    std::string badChecksum = good;
    badChecksum[20] ^= 0x55;
    EXPECT_EQ(importer::ImportWmf(badChecksum).PathCount(), 1);
    // Without the placeable key, the same bytes are no metafile header.
    FailureOf(good.substr(4));
}

class WmfClipTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        core::ResetClipboardForTest();
        core::SetHost(&host);
        importer::InstallPathImporters();
    }
    void TearDown() override { core::SetHost(nullptr); }
    std::string LastStatus() const
    {
        for (auto call = host.Calls.rbegin(); call != host.Calls.rend(); ++call) {
            if (call->rfind("ShowStatus: ", 0) == 0) {
                return call->substr(12);
            }
        }
        return {};
    }
    testsupport::RecordingHost host;
};

TEST_F(WmfClipTest, MetafileLoadsIntoTheClipboard)
{
    MetafileBuilder metafile = PixelMetafile();
    metafile.Brush(0, kBlue).Select(0)
        .Polygon({{0, 0}, {200, 0}, {200, 100}})
        .Polygon({{7, 7}})  // one anchor: dropped
        .Polyline({{100, 50}, {150, 50}});
    std::string file = testsupport::TempPath("figures.WMF");
    testsupport::WriteAll(file, metafile.Bytes());
    ASSERT_TRUE(core::LoadClipFile(file));
    EXPECT_EQ(LastStatus(), "ファイル [figures.WMF] をクリップボードに読み込みました。");
    ASSERT_EQ(core::GetClipCount(), 2);
    const core::PathArray &clip = core::Clipboard().ClipPaths;
    EXPECT_EQ(Twips(clip[1]), (std::vector<std::pair<int32_t, int32_t>>{{0, 0}, {4000, 0}, {4000, 2000}}));
    EXPECT_EQ(clip[1].FillColor, 0xFFFF0000u);
    EXPECT_EQ(Twips(clip[2]), (std::vector<std::pair<int32_t, int32_t>>{{2000, 1000}, {3000, 1000}}));
    EXPECT_EQ(core::Clipboard().ClipOriginX, 0);
    EXPECT_EQ(core::Clipboard().ClipOriginY, 0);

    // No figure, or a broken file: a bad file and an empty clipboard.
    testsupport::WriteAll(file, PixelMetafile().Bytes());
    EXPECT_FALSE(core::LoadClipFile(file));
    EXPECT_EQ(core::GetClipCount(), 0);
    EXPECT_EQ(LastStatus(), "ファイル [figures.WMF] は不正なQuillarkクリップファイルです。");
}

TEST(WmfPicture, PlaceableMetafileIsDrawnAtItsPictureSize)
{
    MetafileBuilder metafile = PixelMetafile();
    metafile.Brush(0, kRed).Select(0)
        .PolyPolygon({{{0, 0}, {200, 0}, {200, 100}, {0, 100}}, {{50, 25}, {150, 25}, {150, 75}, {50, 75}}})
        .Pen(0, kBlue).Select(1).Brush(1, 0).Select(0)
        .Polyline({{0, 90}, {200, 90}});
    std::string file = testsupport::TempPath("picture.wmf");
    testsupport::WriteAll(file, metafile.Bytes());
    std::vector<uint8_t> alpha = {9};
    QImage picture = importer::LoadPictureFile(file, alpha);
    ASSERT_FALSE(picture.isNull());
    EXPECT_EQ(alpha, std::vector<uint8_t>{9});
    importer::ImageInfo info = importer::GetImageInfo(file, importer::kProbeContent);
    EXPECT_EQ(picture.size(), QSize(info.ImageWidth, info.ImageHeight));
    EXPECT_EQ(picture.size(), QSize(200, 100));
    EXPECT_EQ(QColor(picture.pixel(10, 10)), QColor(Qt::red));
    EXPECT_EQ(QColor(picture.pixel(100, 50)), QColor(Qt::white));  // the compound's hole
    QColor line(picture.pixel(100, 90));  // a hairline over the fill, straddling two pixel rows
    EXPECT_GT(line.blue(), 100);
    EXPECT_LT(line.red(), 200);
    EXPECT_EQ(picture, importer::DrawMetafilePicture(metafile.Bytes()));

    EXPECT_TRUE(importer::DrawMetafilePicture(MetafileBuilder().Polygon({{0, 0}, {1, 0}, {1, 1}}).Bytes()).isNull());
    std::string broken = metafile.Bytes();
    EXPECT_TRUE(importer::DrawMetafilePicture(broken.substr(0, broken.size() - 10)).isNull());
    MetafileBuilder huge;
    huge.Placeable(-32768, -32768, 32767, 32767, 1).Polygon({{0, 0}, {1, 0}, {1, 1}});
    EXPECT_TRUE(importer::DrawMetafilePicture(huge.Bytes()).isNull());
}

TEST(WmfPicture, WideLinesHaveRoundCapsAndJoins)
{
    // Points 40 .. 160 with a line 40 units wide span the 200-pixel picture: one unit a pixel.
    MetafileBuilder metafile;
    metafile.PictureBox(0, 0, 200, 200).Pen(53, kRed).Select(0).Polyline({{40, 40}, {160, 40}, {160, 160}});
    QImage picture = importer::DrawMetafilePicture(metafile.Bytes());
    ASSERT_EQ(picture.size(), QSize(200, 200));
    auto at = [&picture](int x, int y) { return QColor(picture.pixel(x, y)); };
    EXPECT_EQ(at(38, 39), QColor(Qt::red));    // the start's cap, a pixel and more beyond the end
    EXPECT_EQ(at(159, 161), QColor(Qt::red));  // the end's cap
    // Outside the corner: within 20 pixels of it but past the bevel from (160, 20) to (180, 40).
    EXPECT_EQ(at(172, 27), QColor(Qt::red));
    EXPECT_EQ(at(100, 30), QColor(Qt::red));
    for (auto [x, y] : {std::pair{100, 100}, {178, 21}, {5, 5}, {190, 190}, {100, 65}}) {
        EXPECT_EQ(at(x, y), QColor(Qt::white)) << x << ", " << y;
    }
}

TEST(WmfPicture, ManyPointsWithAWidePenAreDrawnInBoundedWork)
{
    // 20,000 points scattered over a 256-pixel picture joined by a line 30 pixels wide: every
    // pixel lies under hundreds of its pieces.
    constexpr int kPoints = 20'000;
    std::vector<wmftest::Point> points;
    uint32_t random = 1;
    for (int k = 0; k < kPoints; ++k) {
        random = random * 1'103'515'245u + 12'345u;
        points.emplace_back(static_cast<int16_t>(30 + (random >> 8) % 197),
                            static_cast<int16_t>(30 + (random >> 20) % 197));
    }
    MetafileBuilder metafile;
    metafile.PictureBox(0, 0, 256, 256).Pen(40, kBlue).Select(0).Polyline(points);
    platform::PlayerStats work;
    QImage picture = importer::DrawMetafilePicture(metafile.Bytes(), &work);
    ASSERT_EQ(picture.size(), QSize(256, 256));
    EXPECT_EQ(QColor(picture.pixel(128, 128)), QColor(Qt::blue));
    EXPECT_EQ(QColor(picture.pixel(2, 2)), QColor(Qt::white));
    // Filled whole where one of its pieces covers a part, and outlined only near the parts left,
    // the line takes a few outline elements per point and a few line crossings per pixel, where
    // filling its whole outline at once would cross each row with some 13,000 edges (a third of
    // the pieces cross a row): 3,400,000 crossings.
    EXPECT_LT(work.outlineElementsBuilt, 40 * kPoints);
    EXPECT_LT(work.fillLineRows, 8 * 256 * 256);
}

}  // namespace
