// RECT, RGBA, MATRIX and CXFORM through the format layer: written and read back, signed fields
// at the limits of their widths, and a few against bytes worked out by hand.
#include <gtest/gtest.h>

#include "tests/platform/swf/format_test_support.h"

#include <cstdint>

namespace {

namespace swf = platform::swf;
using swftest::BitBuffer;
using swftest::BitReader;
using swftest::Bytes;
using swftest::RoundTrip;
using swftest::Written;

constexpr int32_t kMax31 = (1 << 30) - 1;
constexpr int32_t kMin31 = -(1 << 30);

TEST(FormatBits, SignedFieldsKeepTheirValuesAtTheLimitsOfTheirWidths)
{
    struct Field {
        int64_t value;
        int32_t bits;
    };
    const Field fields[] = {{0, 1},       {-1, 1},         {1, 2},          {-2, 2},           {65535, 17},
                            {-65536, 17}, {kMax31, 31},    {kMin31, 31},    {INT32_MAX, 32},   {INT32_MIN, 32}};
    for (const Field &field : fields) {
        EXPECT_EQ(swf::CountSignedBits({field.value}), field.bits) << field.value;
        const auto read = RoundTrip([&](BitBuffer &b) { swf::WriteBits(b, field.value, field.bits); },
                                    [&](BitReader &in) { return in.SB(field.bits); });
        EXPECT_EQ(read, field.value) << field.bits;
    }
    // A value one past the width saturates when held to it.
    EXPECT_EQ(swf::SaturateToBits(65536, 17), 65535);
    EXPECT_EQ(swf::SaturateToBits(-65537, 17), -65536);
}

TEST(FormatRecords, RectanglesRoundTripInEveryWidth)
{
    const swf::RectRecord rects[] = {{0, 0, 0, 0}, {0, 6400, 0, 4800}, {-20, 20, -1, 1}, {kMin31, kMax31, kMin31, kMax31}};
    for (const swf::RectRecord &rect : rects) {
        for (int32_t minBits : {1, 16, 24}) {
            const int32_t bits = swf::RectBits(rect, minBits);
            const swf::RectRecord read = RoundTrip([&](BitBuffer &b) { swf::WriteRect(b, rect, bits); }, swf::ReadRect);
            EXPECT_EQ(read, rect) << bits;
        }
    }
    // Fields beyond the width saturate; 16-bit fields of a 320 x 240 frame, worked out by hand.
    const Bytes frame = Written([](BitBuffer &b) { swf::WriteRect(b, {0, 6400, 0, 4800}, 16); });
    EXPECT_EQ(frame, (Bytes{0x80, 0x00, 0x00, 0xC8, 0x00, 0x00, 0x00, 0x96, 0x00}));
    const swf::RectRecord cut =
        RoundTrip([](BitBuffer &b) { swf::WriteRect(b, {0, 40000, -40000, 0}, 16); }, swf::ReadRect);
    EXPECT_EQ(cut, (swf::RectRecord{0, 32767, -32768, 0}));
}

TEST(FormatRecords, ColoursKeepTheirChannelOrder)
{
    const swf::Rgba colour{0x12, 0x34, 0x56, 0x78};
    EXPECT_EQ(Written([&](BitBuffer &b) { swf::WriteRgba(b, colour); }), (Bytes{0x12, 0x34, 0x56, 0x78}));
    EXPECT_EQ(Written([&](BitBuffer &b) { swf::WriteRgb(b, colour); }), (Bytes{0x12, 0x34, 0x56}));
    EXPECT_EQ(RoundTrip([&](BitBuffer &b) { swf::WriteRgba(b, colour); }, swf::ReadRgba), colour);
    // RGB reads as opaque.
    EXPECT_EQ(RoundTrip([&](BitBuffer &b) { swf::WriteRgb(b, colour); }, swf::ReadRgb),
              (swf::Rgba{0x12, 0x34, 0x56, 0xFF}));
}

swf::MatrixRecord Matrix(bool scale, int32_t sx, int32_t sy, bool rotate, int32_t r0, int32_t r1, int32_t tx, int32_t ty)
{
    swf::MatrixRecord m;
    m.hasScale = scale;
    if (scale) {
        m.scaleX = sx;
        m.scaleY = sy;
    }
    m.hasRotate = rotate;
    if (rotate) {
        m.rotateSkew0 = r0;
        m.rotateSkew1 = r1;
    }
    m.translateX = tx;
    m.translateY = ty;
    return m;
}

TEST(FormatRecords, MatricesRoundTripWithAndWithoutScaleAndRotation)
{
    const swf::MatrixRecord matrices[] = {
        Matrix(false, 0, 0, false, 0, 0, 0, 0),
        Matrix(false, 0, 0, false, 0, 0, -1, 1),
        Matrix(true, 2 << 16, 1 << 15, false, 0, 0, 0, 0),
        Matrix(false, 0, 0, true, -(1 << 16), 1 << 16, 100, -100),
        Matrix(true, -3 << 16, 5, true, 12345, -54321, kMax31, kMin31),
        Matrix(true, kMax31, kMin31, true, kMin31, kMax31, 0, 0),
    };
    for (const swf::MatrixRecord &matrix : matrices) {
        EXPECT_EQ(RoundTrip([&](BitBuffer &b) { swf::WriteMatrix(b, matrix); }, swf::ReadMatrix), matrix);
        // Fixed widths hold values that fit them.
        swf::MatrixRecord fitting = matrix;
        for (int32_t *value : {&fitting.scaleX, &fitting.scaleY, &fitting.rotateSkew0, &fitting.rotateSkew1}) {
            *value = static_cast<int32_t>(swf::SaturateToBits(*value, 24));
        }
        for (int32_t *value : {&fitting.translateX, &fitting.translateY}) {
            *value = static_cast<int32_t>(swf::SaturateToBits(*value, 23));
        }
        EXPECT_EQ(RoundTrip([&](BitBuffer &b) { swf::WriteMatrix(b, matrix, {24, 23}); }, swf::ReadMatrix), fitting);
    }
    // The identity: no scale, no rotation, 1-bit translation of 0.
    EXPECT_EQ(Written([](BitBuffer &b) { swf::WriteMatrix(b, {}); }), (Bytes{0x02, 0x00}));
    // Scale 20 x 20: the pair as wide as the integer part (6 bits) plus 16.
    EXPECT_EQ(Written([](BitBuffer &b) { swf::WriteMatrix(b, Matrix(true, 20 << 16, 20 << 16, false, 0, 0, 0, 0)); }),
              (Bytes{0xD9, 0x40, 0x00, 0x05, 0x00, 0x00, 0x01, 0x00}));
}

TEST(FormatRecords, ColourTransformsRoundTripWithAndWithoutTheirTerms)
{
    struct Case {
        bool mult;
        bool add;
        bool alpha;
    };
    const Case cases[] = {{false, false, true}, {true, false, true}, {false, true, true}, {true, true, true},
                          {true, true, false},  {false, true, false}};
    for (const Case &c : cases) {
        swf::CxformRecord cx;
        cx.hasMult = c.mult;
        cx.hasAdd = c.add;
        if (c.mult) {
            std::copy_n(std::begin({256, 128, 16383, -16384}), 4, cx.mult);
        }
        if (c.add) {
            std::copy_n(std::begin({-255, 0, 255, 7}), 4, cx.add);
        }
        swf::CxformRecord expected = cx;
        if (!c.alpha) {
            expected.mult[3] = 256;
            expected.add[3] = 0;
        }
        const swf::CxformRecord read =
            RoundTrip([&](BitBuffer &b) { swf::WriteCxform(b, cx, c.alpha); },
                      [&](BitReader &in) { return swf::ReadCxform(in, c.alpha); });
        EXPECT_EQ(read, expected) << c.mult << c.add << c.alpha;
    }
    // Half opacity, both term sets in 10 bits, worked out by hand.
    swf::CxformRecord half{true, true, {256, 256, 256, 128}, {0, 0, 0, 0}};
    EXPECT_EQ(Written([&](BitBuffer &b) { swf::WriteCxform(b, half, true); }),
              (Bytes{0xE9, 0x00, 0x40, 0x10, 0x02, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00}));
    // Terms beyond 15 bits saturate.
    swf::CxformRecord big{true, false, {100000, 256, 256, 256}, {}};
    EXPECT_EQ(RoundTrip([&](BitBuffer &b) { swf::WriteCxform(b, big, true); },
                        [](BitReader &in) { return swf::ReadCxform(in, true); })
                  .mult[0],
              16383);
}

}  // namespace
