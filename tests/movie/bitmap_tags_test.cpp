#include "import/bitmap.h"
#include "import/jpeg_file.h"
#include "import/png_file.h"
#include "movie/bitmap_tags.h"
#include "movie/movie_writer.h"
#include "tests/movie/tag_movie.h"
#include "tests/support/test_support.h"

#include <gtest/gtest.h>

#include <QImage>
#include <zlib.h>

using movie::Bytes;
using testsupport::TempPath;

namespace {

uint32_t U32(const Bytes &b, size_t at)
{
    return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | static_cast<uint32_t>(b[at + 3]) << 24;
}

std::string SavePicture(const QImage &picture, const std::string &name, const char *format)
{
    std::string path = TempPath(name);
    EXPECT_TRUE(picture.save(QString::fromStdString(path), format));
    return path;
}

QImage Solid(int w, int h, QRgb colour)
{
    QImage picture(w, h, QImage::Format_RGB32);
    picture.fill(colour);
    return picture;
}

class BitmapTagsTest : public testing::Test {
protected:
    void SetUp() override { movie::ResetWriterForTest(); }
    void TearDown() override { movie::ResetWriterForTest(); }
};

}  // namespace

TEST_F(BitmapTagsTest, JpegFileIsEmbeddedAsItIs)
{
    importer::DibSection bitmap;
    ASSERT_TRUE(bitmap.Create(8, 8));
    std::string path = TempPath("under.jpg");
    ASSERT_TRUE(importer::SaveJpegFile(bitmap, path, 75));
    std::string file = testsupport::ReadAll(path);

    ASSERT_TRUE(movie::DefineBitsJpeg3(2, path, 0, 0, 90, false, 0));
    Bytes tag = tagmovie::TakeTags();
    ASSERT_EQ(tag.size(), file.size() + 12);
    EXPECT_EQ(tag[0], 0x7F);
    EXPECT_EQ(tag[1], 0x05);
    EXPECT_EQ(U32(tag, 2), file.size() + 6);
    EXPECT_EQ(tag[6], 2);
    EXPECT_EQ(Bytes(tag.begin() + 8, tag.begin() + 12), (Bytes{0xFF, 0xD9, 0xFF, 0xD8}));
    EXPECT_EQ(std::string(tag.begin() + 12, tag.end()), file);

    // Forced re-encoding writes new JPEG data, unless option 8 keeps the file.
    ASSERT_TRUE(movie::DefineBitsJpeg3(2, path, 0, 0, 10, true, 0));
    Bytes reencoded = tagmovie::TakeTags();
    EXPECT_NE(std::string(reencoded.begin() + 12, reencoded.end()), file);
    ASSERT_TRUE(movie::DefineBitsJpeg3(2, path, movie::kBitmapKeepJpeg, 0, 10, true, 0));
    Bytes kept = tagmovie::TakeTags();
    EXPECT_EQ(std::string(kept.begin() + 12, kept.end()), file);
}

TEST_F(BitmapTagsTest, PicturesAreReencodedAndAlphaGoesIntoJpeg3)
{
    REQUIRE_YASWFP();
    std::string bmp = SavePicture(Solid(6, 4, qRgb(10, 200, 30)), "under.bmp", "BMP");
    ASSERT_TRUE(movie::DefineBitsJpeg3(2, bmp, 0, 0, 90, false, 0));
    movie::DefineBitmapShape(3, 2, 6, 4);
    swfcheck::Summary swf = tagmovie::WriteAndParse("bmp.swf", 3);
    ASSERT_TRUE(swf.parsed) << swf.output;
    EXPECT_EQ(swf.Names(), (std::vector<std::string>{"DefineBitsJPEG2", "DefineShape", "PlaceObject2", "ShowFrame"}));
    for (const swfcheck::Tag &tag : swf.tags) {
        EXPECT_TRUE(tag.parsed) << tag.name;
    }

    // A PNG with transparency: DefineBitsJPEG3 whose alpha offset is the JPEG length + 4.
    std::vector<uint8_t> pixels;
    for (int i = 0; i < 12; ++i) {
        pixels.insert(pixels.end(), {50, 60, 70, static_cast<uint8_t>(i * 20)});
    }
    std::string png = TempPath("under.png");
    ASSERT_TRUE(importer::SavePng(pixels, 4, 3, png));
    ASSERT_TRUE(movie::DefineBitsJpeg3(2, png, 0, 0, 90, false, 0));
    Bytes tag = movie::Writer().TagBuffer;
    EXPECT_EQ(tag[0], 0xFF);
    EXPECT_EQ(tag[1], 0x08);
    uint32_t offset = U32(tag, 8);
    ASSERT_LT(16 + offset - 4, tag.size());
    std::string jpeg(tag.begin() + 16, tag.begin() + 16 + (offset - 4));
    EXPECT_EQ(importer::DecodeJpeg(jpeg).size(), QSize(4, 3));
    Bytes alpha(12);
    uLongf alphaSize = 12;
    ASSERT_EQ(uncompress(alpha.data(), &alphaSize, tag.data() + 12 + offset, tag.size() - 12 - offset), Z_OK);
    EXPECT_EQ(alphaSize, 12u);
    EXPECT_EQ(alpha[5], 100);
    EXPECT_EQ(U32(tag, 2), tag.size() - 6);
    movie::DefineBitmapShape(3, 2, 4, 3);
    swfcheck::Summary withAlpha = tagmovie::WriteAndParse("png.swf", 3);
    ASSERT_TRUE(withAlpha.parsed) << withAlpha.output;
    EXPECT_EQ(withAlpha.tags[0].name, "DefineBitsJPEG3");
    EXPECT_EQ(withAlpha.tags[0].length, static_cast<int64_t>(tag.size()) - 6);
    EXPECT_TRUE(withAlpha.tags[1].parsed);
}

TEST_F(BitmapTagsTest, BitmapRectangle)
{
    REQUIRE_YASWFP();
    movie::DefineBitmapShape(3, 2, 100, 50);
    Bytes tag = movie::Writer().TagBuffer;
    EXPECT_EQ(tag[0], 0xBF);
    EXPECT_EQ(tag[1], 0x00);
    EXPECT_EQ(U32(tag, 2), tag.size() - 6);
    EXPECT_EQ(Bytes(tag.begin() + 8, tag.begin() + 21), movie::WriteRect24(0, 2000, 0, 1000));
    EXPECT_EQ(Bytes(tag.begin() + 21, tag.begin() + 35),
              (Bytes{0x01, 0x41, 0x02, 0x00, 0xD9, 0x40, 0x00, 0x05, 0x00, 0x00, 0x01, 0x00, 0x00, 0x10}));
    // 000101, 10001: the style change moving to (2000, 1000)
    EXPECT_EQ(tag[35], 0x16);

    swfcheck::Summary swf = tagmovie::WriteAndParse("rect.swf", 3);
    ASSERT_TRUE(swf.parsed) << swf.output;
    ASSERT_TRUE(swf.tags[0].parsed);
    QJsonObject shapes = swf.tags[0].fields["Shapes"].toObject();
    QJsonObject fill = shapes["FillStyles"].toObject()["FillStyles"].toArray()[0].toObject();
    EXPECT_EQ(fill["FillStyleType"].toInt(), 0x41);
    EXPECT_EQ(fill["BitmapId"].toInt(), 2);
    QJsonArray records = shapes["ShapeRecords"].toArray();
    ASSERT_EQ(records.size(), 5);
    EXPECT_EQ(records[0].toObject()["MoveDeltaX"].toInt(), 2000);
    EXPECT_EQ(records[0].toObject()["MoveDeltaY"].toInt(), 1000);
    EXPECT_EQ(records[1].toObject()["DeltaX"].toInt(), -2000);
    EXPECT_EQ(records[2].toObject()["DeltaY"].toInt(), -1000);

    // A picture wider than one 17-bit edge gets its sides in pieces.
    movie::DefineBitmapShape(3, 2, 4000, 10);
    swfcheck::Summary wide = tagmovie::WriteAndParse("wide.swf", 3);
    ASSERT_TRUE(wide.parsed) << wide.output;
    ASSERT_TRUE(wide.tags[0].parsed);
    QJsonArray wideRecords = wide.tags[0].fields["Shapes"].toObject()["ShapeRecords"].toArray();
    EXPECT_EQ(wideRecords[0].toObject()["MoveDeltaX"].toInt(), 80000);
    int sum = 0;
    for (const QJsonValue &record : wideRecords) {
        sum += record.toObject()["DeltaX"].toInt();
    }
    EXPECT_EQ(sum, 0);
    EXPECT_EQ(wideRecords.size(), 7);
}

TEST_F(BitmapTagsTest, ColourKeyMasks)
{
    QImage picture = Solid(3, 1, qRgb(10, 7, 1));
    picture.setPixel(0, 0, qRgb(0, 0, 0));
    std::string path = SavePicture(picture, "key.bmp", "BMP");
    EXPECT_EQ(movie::MakeColorKeyAlpha(path, 0x000000, 0, 0), (std::vector<uint8_t>{0, 255, 255}));
    // Soft: radius 10 gives t = 300; squared distance 150 gives 127.5, rounded to 128.
    EXPECT_EQ(movie::MakeColorKeyAlpha(path, 0x000000, 2, 10), (std::vector<uint8_t>{0, 128, 128}));
    EXPECT_EQ(movie::MakeColorKeyAlpha(path, 0x000000, 1, 1), (std::vector<uint8_t>{127, 170, 255}));
    EXPECT_TRUE(movie::MakeColorKeyAlpha(TempPath("nothing.bmp"), 0, 0, 0).empty());

    // With the colour-key option the tag carries the mask.
    ASSERT_TRUE(movie::DefineBitsJpeg3(2, path, movie::kBitmapColorKey, 0x000000, 90, false, 0));
    EXPECT_EQ(movie::Writer().TagBuffer[1], 0x08);
}

TEST_F(BitmapTagsTest, FailuresWriteNothing)
{
    EXPECT_FALSE(movie::DefineBitsJpeg3(2, TempPath("missing.png"), 0, 0, 90, false, 0));
    std::string text = TempPath("notes.txt");
    testsupport::WriteAll(text, "hello, world");
    EXPECT_FALSE(movie::DefineBitsJpeg3(2, text, 0, 0, 90, false, 0));
    std::string broken = TempPath("broken.bmp");
    testsupport::WriteAll(broken, "BM" + std::string(60, '\x7F'));
    EXPECT_FALSE(movie::DefineBitsJpeg3(2, broken, 0, 0, 90, false, 0));
    EXPECT_TRUE(movie::Writer().TagBuffer.empty());

    Bytes data(1000, 42);
    ASSERT_TRUE(movie::CompressBytes(data));
    EXPECT_LT(data.size(), 100u);
}
