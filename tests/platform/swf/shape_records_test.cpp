// Style arrays, gradients and shape records through the format layer: written and read back,
// extended counts, edge deltas at the limits of their fields, and bytes worked out by hand.
#include <gtest/gtest.h>

#include "platform/swf/shape_records.h"
#include "platform/swf/tag_codes.h"
#include "tests/platform/swf/format_test_support.h"

#include <vector>

namespace {

namespace swf = platform::swf;
using swftest::BitBuffer;
using swftest::BitReader;
using swftest::Bytes;
using swftest::RoundTrip;
using swftest::Written;

swf::FillStyleRecord Gradient(swf::FillStyleType type, int count, bool opaque)
{
    swf::FillStyleRecord style;
    style.type = type;
    style.matrix.hasScale = style.matrix.hasRotate = true;
    style.matrix.scaleX = 4000;
    style.matrix.scaleY = -4000;
    style.matrix.rotateSkew0 = 3;
    style.matrix.rotateSkew1 = -3;
    style.matrix.translateX = 1234;
    style.matrix.translateY = -4321;
    for (int k = 0; k < count; ++k) {
        const auto v = static_cast<uint8_t>(k * 31);
        style.gradient.push_back({static_cast<uint8_t>(k * 255 / std::max(count - 1, 1)),
                                  {v, static_cast<uint8_t>(255 - v), 7, opaque ? uint8_t{255} : v}});
    }
    return style;
}

TEST(ShapeRecords, FillStylesRoundTripInBothColourForms)
{
    swf::FillStyleRecord solid;
    solid.colour = {1, 2, 3, 4};
    swf::FillStyleRecord bitmap;
    bitmap.type = swf::FillStyleType::ClippedBitmap;
    bitmap.bitmapId = 0x1234;
    bitmap.matrix.hasScale = true;
    bitmap.matrix.scaleX = bitmap.matrix.scaleY = 20 << 16;
    const swf::FillStyleRecord styles[] = {solid,
                                           bitmap,
                                           Gradient(swf::FillStyleType::LinearGradient, 2, false),
                                           Gradient(swf::FillStyleType::RadialGradient, 8, false),
                                           Gradient(swf::FillStyleType::LinearGradient, 0, true)};
    for (bool withAlpha : {true, false}) {
        for (const swf::FillStyleRecord &style : styles) {
            swf::FillStyleRecord expected = style;
            if (!withAlpha) {
                expected.colour.a = 255;
                for (swf::GradientRecord &record : expected.gradient) {
                    record.colour.a = 255;
                }
            }
            for (swf::MatrixWidths widths : {swf::MatrixWidths{}, swf::MatrixWidths{24, 23}}) {
                swf::FillStyleRecord read;
                bool ok = RoundTrip([&](BitBuffer &b) { swf::WriteFillStyle(b, style, withAlpha, widths); },
                                    [&](BitReader &in) { return swf::ReadFillStyle(in, withAlpha, read); });
                EXPECT_TRUE(ok);
                EXPECT_EQ(read, expected) << static_cast<int>(style.type) << withAlpha;
            }
        }
    }
    // A solid red fill, and an unknown type that stops the reading.
    swf::FillStyleRecord red;
    red.colour = {255, 0, 0, 128};
    EXPECT_EQ(Written([&](BitBuffer &b) { swf::WriteFillStyle(b, red); }), (Bytes{0x00, 0xFF, 0x00, 0x00, 0x80}));
    const std::string unknown("\x77\x00\x00\x00", 4);
    BitReader in{std::string_view(unknown)};
    swf::FillStyleRecord ignored;
    EXPECT_FALSE(swf::ReadFillStyle(in, true, ignored));
}

TEST(ShapeRecords, StyleArraysUseExtendedCountsWhereTheTagAllows)
{
    EXPECT_EQ(Written([](BitBuffer &b) { swf::WriteStyleCount(b, 254); }), (Bytes{0xFE}));
    EXPECT_EQ(Written([](BitBuffer &b) { swf::WriteStyleCount(b, 255); }), (Bytes{0xFF, 0xFF, 0x00}));
    EXPECT_EQ(Written([](BitBuffer &b) { swf::WriteStyleCount(b, 300); }), (Bytes{0xFF, 0x2C, 0x01}));

    for (int32_t count : {0, 1, 254, 255, 300}) {
        std::vector<swf::FillStyleRecord> fills(static_cast<size_t>(count));
        std::vector<swf::LineStyleRecord> lines(static_cast<size_t>(count));
        for (int32_t i = 0; i < count; ++i) {
            fills[static_cast<size_t>(i)].colour = {static_cast<uint8_t>(i), 0, static_cast<uint8_t>(i >> 8), 255};
            lines[static_cast<size_t>(i)] = {static_cast<uint16_t>(i * 200), {0, static_cast<uint8_t>(i), 0, 9}};
        }
        const Bytes bytes = Written([&](BitBuffer &b) {
            swf::WriteStyleCount(b, count);
            for (const auto &fill : fills) {
                swf::WriteFillStyle(b, fill);
            }
            swf::WriteStyleCount(b, count);
            for (const auto &line : lines) {
                swf::WriteLineStyle(b, line);
            }
        });
        const std::string data = swftest::AsString(bytes);
        BitReader in{std::string_view(data)};
        std::vector<swf::FillStyleRecord> readFills;
        std::vector<swf::LineStyleRecord> readLines;
        ASSERT_TRUE(swf::ReadStyleArrays(in, swf::ShapeVersion::Of(static_cast<uint16_t>(swf::TagCode::DefineShape3)),
                                         readFills, readLines));
        EXPECT_EQ(readFills, fills) << count;
        EXPECT_EQ(readLines, lines) << count;
        EXPECT_TRUE(in.AtEnd());
    }
    // DefineShape has no extended counts: 0xFF is a count of 255, which the bytes cannot hold.
    const std::string escaped("\xFF\xFF\x00", 3);
    BitReader in{std::string_view(escaped)};
    std::vector<swf::FillStyleRecord> fills;
    std::vector<swf::LineStyleRecord> lines;
    EXPECT_FALSE(swf::ReadStyleArrays(in, swf::ShapeVersion::Of(static_cast<uint16_t>(swf::TagCode::DefineShape)),
                                      fills, lines));
}

TEST(ShapeRecords, MorphStylesPairTheirStartAndEndValues)
{
    swf::FillStyleRecord start = Gradient(swf::FillStyleType::RadialGradient, 3, true);
    swf::FillStyleRecord end = Gradient(swf::FillStyleType::RadialGradient, 3, false);
    end.matrix.translateX = -77;
    swf::LineStyleRecord startLine{40, {1, 2, 3, 4}};
    swf::LineStyleRecord endLine{65535, {5, 6, 7, 8}};
    const Bytes bytes = Written([&](BitBuffer &b) {
        swf::WriteStyleCount(b, 1);
        swf::WriteMorphFillStyle(b, start, end, {24, 23});
        swf::WriteStyleCount(b, 1);
        swf::WriteMorphLineStyle(b, startLine, endLine);
    });
    const std::string data = swftest::AsString(bytes);
    BitReader in{std::string_view(data)};
    std::vector<swf::FillStyleRecord> startFills, endFills;
    std::vector<swf::LineStyleRecord> startLines, endLines;
    ASSERT_TRUE(swf::ReadMorphStyleArrays(in, startFills, endFills, startLines, endLines));
    EXPECT_EQ(startFills, std::vector{start});
    EXPECT_EQ(endFills, std::vector{end});
    EXPECT_EQ(startLines, std::vector{startLine});
    EXPECT_EQ(endLines, std::vector{endLine});
    EXPECT_TRUE(in.AtEnd());
}

// Reads the records of a shape body: the style changes and edges up to the end record.
struct ReadRecords {
    std::vector<swf::StyleChangeRecord> changes;
    std::vector<swf::EdgeRecord> edges;
};
ReadRecords ReadAll(BitReader &in, swf::StyleIndexBits bits)
{
    ReadRecords records;
    for (int guard = 0; guard < 100 && !in.Overrun(); ++guard) {
        const swf::ShapeRecordHead head = swf::ReadShapeRecordHead(in);
        if (head.edge) {
            records.edges.push_back(swf::ReadEdge(in));
        } else if (head.flags == 0) {
            break;
        } else {
            swf::StyleChangeRecord change;
            swf::ReadStyleChange(in, head.flags, bits, change);
            records.changes.push_back(change);
        }
    }
    return records;
}

TEST(ShapeRecords, RecordsRoundTripWithDeltasAtTheLimitsOfTheirFields)
{
    constexpr int32_t kMax = 65535;  // 17 bits
    constexpr int32_t kMin = -65536;
    swf::StyleChangeRecord move;
    move.flags = swf::kStateMoveTo | swf::kStateFillStyle0 | swf::kStateFillStyle1 | swf::kStateLineStyle;
    move.moveX = (1 << 30) - 1;
    move.moveY = -(1 << 30);
    move.fill0 = 32767;
    move.fill1 = 1;
    move.line = 0;
    swf::StyleChangeRecord lineOnly;
    lineOnly.flags = swf::kStateLineStyle;
    lineOnly.line = 5;
    const std::vector<swf::EdgeRecord> edges = {
        {true, 0, 0, 0, 0},         {true, 0, 0, kMax, kMin},  {true, 0, 0, -1, 1},
        {false, kMax, kMin, kMin, kMax}, {false, 1, -2, 3, -4}, {true, 0, 0, 0, -1},
    };
    const Bytes bytes = Written([&](BitBuffer &b) {
        swf::WriteStyleIndexBits(b, 15, 15);
        swf::WriteStyleChange(b, move, 15, 15);
        for (const swf::EdgeRecord &edge : edges) {
            if (edge.straight) {
                swf::WriteStraightEdge(b, edge.anchorDx, edge.anchorDy);
            } else {
                swf::WriteCurvedEdge(b, edge.controlDx, edge.controlDy, edge.anchorDx, edge.anchorDy);
            }
        }
        swf::WriteStyleChange(b, lineOnly, 15, 15);
        swf::WriteAxisEdge(b, false, kMin, swf::kMaxEdgeBits);
        swf::WriteAxisEdge(b, true, kMax, swf::kMaxEdgeBits);
        swf::WriteEndShape(b);
    });
    const std::string data = swftest::AsString(bytes);
    BitReader in{std::string_view(data)};
    const swf::StyleIndexBits bits = swf::ReadStyleIndexBits(in);
    EXPECT_EQ(bits.fill, 15);
    EXPECT_EQ(bits.line, 15);
    const ReadRecords read = ReadAll(in, bits);
    ASSERT_EQ(read.changes.size(), 2u);
    EXPECT_EQ(read.changes[0], move);
    EXPECT_EQ(read.changes[1], lineOnly);
    std::vector<swf::EdgeRecord> expected = edges;
    expected.push_back({true, 0, 0, kMin, 0});
    expected.push_back({true, 0, 0, 0, kMax});
    EXPECT_EQ(read.edges, expected);
    EXPECT_FALSE(in.Overrun());
}

TEST(ShapeRecords, RecordsMatchBytesWorkedOutByHand)
{
    // Move to (20, -20) with the least width 17, fill style 1 in one bit.
    swf::StyleChangeRecord move;
    move.flags = swf::kStateMoveTo | swf::kStateFillStyle1;
    move.moveBits = 17;
    move.moveX = 20;
    move.moveY = -20;
    move.fill1 = 1;
    // 0 00101 10001 (17) 00000000000010100 11111111111101100 1
    EXPECT_EQ(Written([&](BitBuffer &b) { swf::WriteStyleChange(b, move, 1, 0); }),
              (Bytes{0x16, 0x20, 0x01, 0x4F, 0xFF, 0x64}));
    // A straight edge by (3, -4): 1 1 0001 (3 bits) 1 011 100.
    EXPECT_EQ(Written([](BitBuffer &b) { swf::WriteStraightEdge(b, 3, -4); }), (Bytes{0xC6, 0xE0}));
    // A vertical edge of 17 bits by 1: 1 1 1111 0 1 then 00000000000000001.
    EXPECT_EQ(Written([](BitBuffer &b) { swf::WriteAxisEdge(b, true, 1, 17); }), (Bytes{0xFD, 0x00, 0x00, 0x80}));
    // A curved edge (1, 1, -1, -1) in 2 bits: 1 0 0000 01 01 11 11.
    EXPECT_EQ(Written([](BitBuffer &b) { swf::WriteCurvedEdge(b, 1, 1, -1, -1); }), (Bytes{0x81, 0x7C}));
}

}  // namespace
