#include "movie/tag_buffer.h"
#include "movie/movie_writer.h"

#include <gtest/gtest.h>

#include <random>

using movie::Bytes;

namespace {

platform::swf::BitBuffer Empty()
{
    platform::swf::BitBuffer buffer;
    movie::InitBitBuffer(buffer);
    return buffer;
}

// Reference: the bits of a buffer as a '0'/'1' string.
std::string BitString(const platform::swf::BitBuffer &buffer)
{
    std::string bits;
    int64_t count = int64_t{buffer.BytePos} * 8 + buffer.BitPos;
    for (int64_t i = 0; i < count; ++i) {
        bits += ((buffer.Bytes[static_cast<size_t>(i / 8)] >> (7 - i % 8)) & 1) ? '1' : '0';
    }
    return bits;
}

class BitWriterTest : public testing::Test {
protected:
    void SetUp() override { movie::ResetWriterForTest(); }
};

}  // namespace

TEST_F(BitWriterTest, WritesFieldsMostSignificantFirst)
{
    platform::swf::BitBuffer b = Empty();
    movie::WriteBits(b, 0x171, 11);
    EXPECT_EQ(b.Bytes[0], 0x2E);
    EXPECT_EQ(b.Bytes[1], 0x20);
    EXPECT_EQ(b.BytePos, 1);
    EXPECT_EQ(b.BitPos, 3);

    platform::swf::BitBuffer z = Empty();  // a full byte stays at position 0, bit 8
    movie::WriteBits(z, 0, 8);
    EXPECT_EQ(z.BytePos, 0);
    EXPECT_EQ(z.BitPos, 8);
    movie::WriteBits(z, 1, 1);
    EXPECT_EQ(BitString(z), "000000001");

    platform::swf::BitBuffer n = Empty();
    movie::WriteBits(n, -1, 3);
    movie::WriteBits(n, -2, 32);
    EXPECT_EQ(BitString(n), "111" + std::string(31, '1') + "0");
}

TEST_F(BitWriterTest, CountsSignedWidths)
{
    EXPECT_EQ(movie::CountSignedBits({0, 0}), 1);
    EXPECT_EQ(movie::CountSignedBits({-1}), 1);
    EXPECT_EQ(movie::CountSignedBits({255}), 9);
    EXPECT_EQ(movie::CountSignedBits({-256}), 9);
    EXPECT_EQ(movie::CountSignedBits({3, 65535, -4}), 17);
    EXPECT_EQ(movie::CountSignedBits({INT32_MIN}), 32);
}

TEST_F(BitWriterTest, MergeAndCachedAppendMatchBitwiseConcatenation)
{
    std::mt19937 random(7);
    for (int round = 0; round < 60; ++round) {
        platform::swf::BitBuffer a = Empty();
        platform::swf::BitBuffer src = Empty();
        int prefix = static_cast<int>(random() % 20);
        for (int i = 0; i < prefix; ++i) {
            movie::WriteBits(a, static_cast<int64_t>(random()), 1 + static_cast<int32_t>(random() % 3));
        }
        for (int i = 0; i < 1 + static_cast<int>(random() % 40); ++i) {
            movie::WriteBits(src, static_cast<int64_t>(random()), 1 + static_cast<int32_t>(random() % 32));
        }
        platform::swf::BitBuffer merged = a;
        movie::MergeBits(merged, src);
        EXPECT_EQ(BitString(merged), BitString(a) + BitString(src));
    }

    // A cached append keeps the low 6 bits of the first byte at the position and the rest from
    // the next byte boundary.
    platform::swf::BitBuffer unit = Empty();
    movie::WriteBits(unit, 0x1A, 8);
    movie::WriteBits(unit, 0xABC, 12);
    for (int align = 0; align < 8; ++align) {
        platform::swf::BitBuffer dest = Empty();
        for (int i = 0; i < align; ++i) {
            movie::WriteBits(dest, 1, 1);
        }
        movie::AppendCachedBits(dest, unit, 6);
        std::string bits = BitString(dest);
        std::string expected = std::string(static_cast<size_t>(align), '1') + "011010";
        expected.append((8 - expected.size() % 8) % 8, '0');
        expected += BitString(unit).substr(8);
        EXPECT_EQ(bits, expected) << "alignment " << align;
    }
}

TEST_F(BitWriterTest, RectanglesHaveFixedWidths)
{
    EXPECT_EQ(movie::WriteRect16(0, 6400, 0, 4800), (Bytes{0x80, 0x00, 0x00, 0xC8, 0x00, 0x00, 0x00, 0x96, 0x00}));
    EXPECT_EQ(movie::WriteRect24(0, 2000, 0, 1000).size(), 13u);
    // Out-of-range values saturate instead of wrapping into the neighbouring fields.
    EXPECT_EQ(movie::WriteRect16(0, 40000, 0, 0), movie::WriteRect16(0, 32767, 0, 0));
}

TEST_F(BitWriterTest, MatrixUsesMinimalWidthsAndSingleFixedFields)
{
    EXPECT_EQ(movie::WriteMatrix(1, 1, 0, 0, 0, 0), (Bytes{0x02, 0x00}));
    // Scale 2.0 x 0.5: the integer parts 2 and 0 need 3 bits, so NScaleBits is 19.
    Bytes scaled = movie::WriteMatrix(2.0f, 0.5f, 0, 0, 0, 0);
    // 1, 10011 (19), 0x20000 in 19 bits, 0x8000 in 19 bits, 0 (no rotate), 00001, 0, 0
    std::string expected = "1" "10011" "0100000000000000000" "0001000000000000000" "0" "00001" "0" "0";
    std::string bits;
    for (uint8_t byte : scaled) {
        for (int i = 7; i >= 0; --i) {
            bits += ((byte >> i) & 1) ? '1' : '0';
        }
    }
    EXPECT_EQ(bits.substr(0, expected.size()), expected);
    // A tiny negative value is -1/65536, never -1.0.
    EXPECT_EQ(movie::FixedValue(-1e-15), -1);
    EXPECT_EQ(movie::FixedValue(-1.0), -65536);
    EXPECT_EQ(movie::FixedValue(1e12), (int64_t{1} << 30) - 1);
}

TEST_F(BitWriterTest, ColorTransformCarriesBothTermSets)
{
    Bytes cx = movie::WriteColorTransform(256, 256, 256, 128, 0, 0, 0, 0);
    ASSERT_EQ(cx.size(), 11u);
    EXPECT_EQ(Bytes(cx.begin(), cx.begin() + 5), (Bytes{0xE9, 0x00, 0x40, 0x10, 0x02}));
    EXPECT_EQ(Bytes(cx.begin() + 5, cx.end()), Bytes(6, 0));
    // Terms beyond 15 bits saturate: the width field never wraps.
    Bytes big = movie::WriteColorTransform(100000, 256, 256, 256, 0, 0, 0, 0);
    EXPECT_EQ(big[0] >> 2, 0x3F);  // 1, 1, 1111
}
