#include "movie/tag_buffer.h"
#include "movie/movie_writer.h"
#include "tests/movie/swf_check.h"
#include "tests/support/test_support.h"

#include <gtest/gtest.h>

using movie::Bytes;

namespace {

const movie::ColorTransformSpec kNoTransform;

void Place(int32_t id, int32_t layer, int32_t alpha = 256, int32_t x = 0, int32_t y = 0, float ratio = -1.0f,
           int32_t clipLayer = movie::kNoClipLayer)
{
    movie::PlaceObject(id, x, y, 1.0f, 1.0f, 0.0f, 0, alpha, layer, "", "", clipLayer, ratio, kNoTransform);
}

Bytes TakeTags()
{
    Bytes tags = movie::Writer().TagBuffer;
    movie::Writer().TagBuffer.clear();
    return tags;
}

uint32_t ReadU32(const std::string &bytes, size_t at)
{
    return static_cast<uint8_t>(bytes[at]) | static_cast<uint8_t>(bytes[at + 1]) << 8 |
           static_cast<uint8_t>(bytes[at + 2]) << 16 | static_cast<uint32_t>(static_cast<uint8_t>(bytes[at + 3])) << 24;
}

class MovieWriterTest : public testing::Test {
protected:
    void SetUp() override { movie::ResetWriterForTest(); }
    void TearDown() override { movie::ResetWriterForTest(); }
};

}  // namespace

TEST_F(MovieWriterTest, HeaderOfA320By240Movie)
{
    movie::BeginMovie(6, 320, 240, 12.0f);
    EXPECT_EQ(movie::Writer().TagBuffer,
              (Bytes{'F', 'W', 'S', 6, 0, 0, 0, 0, 0x80, 0x00, 0x00, 0xC8, 0x00, 0x00, 0x00, 0x96, 0x00, 0x00, 0x0C,
                     0x00, 0x00}));

    // The frame size is clamped to what the 16-bit fields hold, and the rate is 8.8 fixed.
    movie::BeginMovie(6, 5000, 0, 24.5f);
    Bytes header = movie::Writer().TagBuffer;
    ASSERT_EQ(header.size(), 21u);
    EXPECT_EQ(Bytes(header.begin() + 8, header.begin() + 17), movie::WriteRect16(0, 1638 * 20, 0, 20));
    EXPECT_EQ(header[17], 0x80);
    EXPECT_EQ(header[18], 24);
}

TEST_F(MovieWriterTest, PlacementTagsFollowTheDepthTable)
{
    movie::BeginMovie(6, 320, 240, 12.0f);
    TakeTags();
    Place(1, 0);
    EXPECT_EQ(TakeTags(), (Bytes{0xBF, 0x06, 0x05, 0x00, 0x00, 0x00, 0x02, 0x01, 0x01, 0x01, 0x00}));

    // The same layer again modifies the character there: move flag, no id.
    Place(1, 0, 256, 20, 0);
    Bytes moved = TakeTags();
    EXPECT_EQ(moved[6], 0x01 | 0x04);
    EXPECT_EQ(moved[7], 0x01);
    EXPECT_EQ(moved.size(), 6u + 3 + movie::WriteMatrix(1, 1, 0, 0, 20, 0).size());

    movie::RemoveObject(0);
    EXPECT_EQ(TakeTags(), (Bytes{0x02, 0x07, 0x01, 0x01}));
    Place(1, 0);
    EXPECT_EQ(TakeTags()[6], 0x02);

    // Alpha 128: a colour transform with multipliers 256, 256, 256, 128 and zero add terms.
    Place(2, 5, 128);
    Bytes faded = TakeTags();
    EXPECT_EQ(faded[6], 0x02 | 0x08);
    Bytes cx = movie::WriteColorTransform(256, 256, 256, 128, 0, 0, 0, 0);
    EXPECT_EQ(Bytes(faded.begin() + 11, faded.end()), cx);

    // Ratio and clip depth; a clipping placement never carries a colour transform.
    Place(3, -2, 128, 0, 0, 0.5f, 1);
    Bytes clip = TakeTags();
    EXPECT_EQ(clip[6], 0x02 | 0x10 | 0x40);
    EXPECT_EQ(Bytes(clip.end() - 4, clip.end()), (Bytes{0x00, 0x80, 0x02, 0x01}));  // 32768, depth 258

    // A layer outside -256..256 writes nothing.
    Place(4, 300);
    EXPECT_TRUE(TakeTags().empty());
}

TEST_F(MovieWriterTest, RemoveObjectsTakesAllOrAList)
{
    movie::BeginMovie(6, 100, 100, 12.0f);
    TakeTags();
    EXPECT_FALSE(movie::RemoveObjects("ALL"));
    EXPECT_TRUE(TakeTags().empty());

    Place(1, 3);
    Place(2, -2);
    TakeTags();
    EXPECT_TRUE(movie::RemoveObjects("ALL"));
    EXPECT_EQ(TakeTags(), (Bytes{0x02, 0x07, 0xFF, 0x00, 0x02, 0x07, 0x04, 0x01}));  // layers -2, 3
    // Only "ALL" itself means everything: other text is a list, "all" reading as layer 0.
    EXPECT_TRUE(movie::RemoveObjects("all"));
    EXPECT_EQ(TakeTags(), (Bytes{0x02, 0x07, 0x01, 0x01}));

    EXPECT_TRUE(movie::RemoveObjects(" 3, 300 ,-2"));
    EXPECT_EQ(TakeTags(), (Bytes{0x02, 0x07, 0x04, 0x01, 0x02, 0x07, 0xFF, 0x00}));
    // An empty list is one empty item, which reads as layer 0.
    EXPECT_TRUE(movie::RemoveObjects(""));
    EXPECT_EQ(TakeTags(), (Bytes{0x02, 0x07, 0x01, 0x01}));
}

TEST_F(MovieWriterTest, ReadBackGivesTheBytesWrittenSoFar)
{
    std::string path = testsupport::TempPath("readback.swf");
    EXPECT_FALSE(movie::ControlMovieFile(path, movie::kMovieReadBack));  // no open file
    EXPECT_TRUE(movie::Writer().MovieFileBytes.empty());
    movie::BeginMovie(6, 320, 240, 12.0f);
    ASSERT_TRUE(movie::ControlMovieFile(path, movie::kMovieOpen));
    movie::SetBackgroundColor(1, 2, 3);
    ASSERT_TRUE(movie::ControlMovieFile(path, movie::kMovieFlush));
    Place(7, 0);  // still in the tag buffer: not written, and erased by the read-back
    ASSERT_TRUE(movie::ControlMovieFile(path, movie::kMovieReadBack));
    const std::vector<uint8_t> &bytes = movie::Writer().MovieFileBytes;
    ASSERT_EQ(bytes.size(), 21u + 5u);
    EXPECT_EQ(std::string(bytes.begin(), bytes.begin() + 3), "FWS");
    EXPECT_EQ(Bytes(bytes.end() - 5, bytes.end()), (Bytes{0x43, 0x02, 1, 2, 3}));
    EXPECT_TRUE(movie::Writer().TagBuffer.empty());
    movie::WriteEndTag();
    ASSERT_TRUE(movie::ControlMovieFile(path, movie::kMovieFinish));
    EXPECT_EQ(testsupport::ReadAll(path).size(), 21u + 5u + 2u);
}

TEST_F(MovieWriterTest, FinishedFileCarriesLengthAndFrameCountAndParses)
{
    REQUIRE_YASWFP();
    std::string path = testsupport::TempPath("frames.swf");
    movie::BeginMovie(6, 320, 240, 12.0f);
    ASSERT_TRUE(movie::ControlMovieFile(path, movie::kMovieOpen));
    movie::SetBackgroundColor(255, 0, 0);
    ASSERT_TRUE(movie::ControlMovieFile(path, movie::kMovieFlush));
    Place(7, 0);
    movie::NextFrame();
    Place(7, 0, 128, 200, 100);
    movie::NextFrame();
    movie::RemoveObjects("ALL");
    movie::NextFrame();
    ASSERT_TRUE(movie::ControlMovieFile(path, movie::kMovieFrames));
    movie::WriteEndTag();
    ASSERT_TRUE(movie::ControlMovieFile(path, movie::kMovieFinish));
    EXPECT_TRUE(movie::Writer().TagBuffer.empty());

    std::string bytes = testsupport::ReadAll(path);
    EXPECT_EQ(ReadU32(bytes, 4), bytes.size());
    EXPECT_EQ(static_cast<uint8_t>(bytes[19]), 3);

    swfcheck::Summary swf = swfcheck::Parse(path);
    ASSERT_TRUE(swf.parsed) << swf.output;
    EXPECT_EQ(swf.header["FileLength"].toInt(), static_cast<int>(bytes.size()));
    EXPECT_EQ(swf.header["FrameCount"].toInt(), 3);
    EXPECT_EQ(swf.Names(), (std::vector<std::string>{"SetBackgroundColor", "PlaceObject2", "ShowFrame",
                                                     "PlaceObject2", "ShowFrame", "RemoveObject2", "ShowFrame"}));
    for (const swfcheck::Tag &tag : swf.tags) {
        EXPECT_TRUE(tag.parsed) << tag.name;
    }
    EXPECT_EQ(swf.tags[0].length, 3);
    EXPECT_EQ(swf.tags[1].length, 5);
    const QJsonObject &moved = swf.tags[3].fields;
    EXPECT_EQ(moved["PlaceFlagMove"].toInt(), 1);
    EXPECT_EQ(moved["Depth"].toInt(), 257);
    EXPECT_EQ(moved["Matrix"].toObject()["TranslateX"].toInt(), 200);
    EXPECT_EQ(moved["ColorTransform"].toObject()["AlphaMultTerm"].toInt(), 128);
}

TEST_F(MovieWriterTest, UnwritableFileIsReportedAndLeavesNothing)
{
    std::string path = testsupport::TempPath("no-such-folder/movie.swf");
    movie::BeginMovie(6, 10, 10, 12.0f);
    EXPECT_FALSE(movie::ControlMovieFile(path, movie::kMovieOpen));
    EXPECT_FALSE(movie::ControlMovieFile(path, movie::kMovieFlush));
    movie::WriteEndTag();
    EXPECT_FALSE(movie::ControlMovieFile(path, movie::kMovieFinish));
    EXPECT_TRUE(movie::Writer().TagBuffer.empty());

    // An existing longer file is truncated, not appended to.
    std::string again = testsupport::TempPath("again.swf");
    testsupport::WriteAll(again, std::string(1000, 'x'));
    movie::BeginMovie(6, 10, 10, 12.0f);
    ASSERT_TRUE(movie::ControlMovieFile(again, movie::kMovieOpen));
    movie::WriteEndTag();
    ASSERT_TRUE(movie::ControlMovieFile(again, movie::kMovieFinish));
    EXPECT_EQ(testsupport::ReadAll(again).size(), 23u);
}
