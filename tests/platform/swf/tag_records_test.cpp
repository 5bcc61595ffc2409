// Tag headers and tag bodies through the format layer: written and read back, and the headers
// against bytes worked out by hand.
#include <gtest/gtest.h>

#include "platform/swf/tag_records.h"
#include "tests/platform/swf/format_test_support.h"

namespace {

namespace swf = platform::swf;
using swftest::AsString;
using swftest::BitReader;
using swftest::Bytes;

// A reader over a body, kept alive with it.
struct Body {
    explicit Body(const Bytes &bytes) : data(AsString(bytes)), in(std::string_view(data)) {}
    std::string data;
    BitReader in;
};

TEST(TagRecords, HeadersTakeTheShortFormOnlyBelowTheEscapeLength)
{
    EXPECT_EQ(swf::ShortTag(swf::TagCode::ShowFrame, {}), (Bytes{0x40, 0x00}));
    EXPECT_EQ(swf::ShortTag(swf::TagCode::SetBackgroundColor, {1, 2, 3}), (Bytes{0x43, 0x02, 1, 2, 3}));
    EXPECT_EQ(swf::LongTag(swf::TagCode::End, {}), (Bytes{0x3F, 0x00, 0, 0, 0, 0}));
    for (size_t length : {size_t{0}, size_t{62}, size_t{63}, size_t{64}, size_t{70000}}) {
        const Bytes body(length, 0xAB);
        for (const Bytes &tag : {swf::ShortTag(swf::TagCode::DefineShape3, body),
                                 swf::LongTag(swf::TagCode::DefineShape3, body)}) {
            Body read(tag);
            const swf::TagHeader header = swf::ReadTagHeader(read.in);
            EXPECT_EQ(header.code, static_cast<uint16_t>(swf::TagCode::DefineShape3));
            EXPECT_EQ(header.length, length);
            EXPECT_EQ(read.in.RemainingBytes(), length);
        }
        EXPECT_EQ(swf::ShortTag(swf::TagCode::DefineShape3, body).size(), length + (length < 63 ? 2 : 6));
    }
}

TEST(TagRecords, MovieHeaderRoundTrips)
{
    swf::MovieHeader header;
    header.version = 6;
    header.fileLength = 0x01020304;
    header.frame = {0, 6400, 0, 4800};
    header.frameRate = swf::FrameRateField(12.5);
    header.frameCount = 7;
    const Bytes bytes = swf::MovieHeaderBytes(header);
    ASSERT_EQ(bytes.size(), 21u);
    EXPECT_EQ(Bytes(bytes.begin(), bytes.begin() + 8), (Bytes{'F', 'W', 'S', 6, 4, 3, 2, 1}));
    EXPECT_EQ(Bytes(bytes.begin() + 17, bytes.end()), (Bytes{0x80, 12, 7, 0}));
    Body read(Bytes(bytes.begin() + swf::kFileHeaderPrefixBytes, bytes.end()));
    swf::MovieHeader back;
    swf::ReadMovieHeaderRest(read.in, back);
    EXPECT_EQ(back.frame, header.frame);
    EXPECT_EQ(back.frameRate, header.frameRate);
    EXPECT_EQ(back.frameCount, 7);
    EXPECT_EQ(swf::FrameRateField(1e9), 0xFFFF);
    EXPECT_EQ(swf::FrameRateField(-3), 0);
}

TEST(TagRecords, PlacementsRoundTripWithEachOptionalField)
{
    swf::PlaceObjectRecord full;
    full.depth = 257;
    full.characterId = 3;
    full.matrix = swf::MatrixRecord{true, 2 << 16, -(1 << 15), true, 5, -5, -1000, 1000};
    full.cxform = swf::CxformRecord{true, true, {256, 256, 256, 64}, {10, -10, 0, 0}};
    full.ratio = 65535;
    full.name = "clip";
    full.clipDepth = 300;
    full.clipActions = swf::ClipActionsBytes({{0x1, std::nullopt, {0x07, 0x00}}});
    swf::PlaceObjectRecord moved;
    moved.move = true;
    moved.depth = 2;
    moved.ratio = 0;
    for (const swf::PlaceObjectRecord &place : {full, moved}) {
        Body read(swf::PlaceObject2Body(place));
        const swf::PlaceObjectRecord back = swf::ReadPlaceObject2(read.in);
        EXPECT_TRUE(back == place);
        EXPECT_FALSE(read.in.Overrun());
    }
    // Flags, depth and nothing else for a bare move.
    swf::PlaceObjectRecord bare;
    bare.move = true;
    bare.depth = 0x0102;
    EXPECT_EQ(swf::PlaceObject2Body(bare), (Bytes{0x01, 0x02, 0x01}));
    Body removal(swf::RemoveObject2Body(0x0203));
    EXPECT_EQ(swf::ReadRemovedDepth(removal.in, swf::TagCode::RemoveObject2), 0x0203);
}

TEST(TagRecords, ClipActionsRoundTripWithAndWithoutKeys)
{
    const std::vector<swf::ClipActionRecord> records = {
        {0x1, std::nullopt, {0x96, 0x02, 0x00, 0x08, 0x00, 0x00}},
        {swf::kClipEventKeyPress, uint8_t{37}, {0x00}},
    };
    const Bytes bytes = swf::ClipActionsBytes(records);
    // Reserved word, the OR of the events, then the records and the end flag.
    EXPECT_EQ(Bytes(bytes.begin(), bytes.begin() + 6), (Bytes{0, 0, 0x01, 0x00, 0x02, 0x00}));
    EXPECT_EQ(Bytes(bytes.end() - 4, bytes.end()), Bytes(4, 0));
    Body read(bytes);
    EXPECT_EQ(swf::ReadClipActions(read.in), records);
    EXPECT_TRUE(swf::EndsWithEndAction(records[0].actions));
    EXPECT_FALSE(swf::EndsWithEndAction({0x96, 0x05, 0x00, 0x00}));  // the length runs past the end
    EXPECT_FALSE(swf::EndsWithEndAction({0x00, 0x07}));
}

TEST(TagRecords, TextAndBitmapBodiesRoundTrip)
{
    swf::DeviceFontRecord font{9, swf::kFontFlagBold | swf::kFontFlagWideCodes, swf::kLanguageJapanese, "IPAGothic"};
    Body fontBody(swf::DefineFont2Body(font));
    fontBody.in.U16();
    const swf::DeviceFontRecord fontBack = swf::ReadDefineFont2(fontBody.in);
    EXPECT_EQ(fontBack.flags, font.flags);
    EXPECT_EQ(fontBack.language, font.language);
    EXPECT_EQ(fontBack.name, font.name);

    swf::EditTextRecord text;
    text.id = 4;
    text.bounds = {0, 2400, 0, 800};
    text.flags = swf::kEditHasText | swf::kEditHasTextColor | swf::kEditHasFont | swf::kEditHasLayout |
                 swf::kEditHasMaxLength | swf::kEditAutoSize | swf::kEditUseOutlines;
    text.fontId = 9;
    text.fontHeight = 240;
    text.colour = {10, 20, 30, 255};
    text.maxLength = 12;
    text.align = 2;
    text.leftMargin = 1;
    text.rightMargin = 2;
    text.indent = -3;
    text.leading = -40;
    text.variableName = "v";
    text.initialText = "text\rline";
    const Bytes textBytes = swf::DefineEditTextBody(text);
    // The flags' first byte holds has text, has text colour, has max length and has font.
    EXPECT_EQ(textBytes[2 + 13], 0x87);
    EXPECT_EQ(textBytes[2 + 14], 0x61);
    Body textBody(textBytes);
    textBody.in.U16();
    const swf::EditTextRecord textBack = swf::ReadDefineEditText(textBody.in);
    EXPECT_EQ(textBack.bounds, text.bounds);
    EXPECT_EQ(textBack.flags, text.flags);
    EXPECT_EQ(textBack.fontHeight, text.fontHeight);
    EXPECT_EQ(textBack.colour, text.colour);
    EXPECT_EQ(textBack.maxLength, text.maxLength);
    EXPECT_EQ(textBack.indent, text.indent);
    EXPECT_EQ(textBack.leading, text.leading);
    EXPECT_EQ(textBack.variableName, text.variableName);
    EXPECT_EQ(textBack.initialText, text.initialText);
    EXPECT_TRUE(textBody.in.AtEnd());

    const swf::JpegBitsRecord bits{5, {0xFF, 0xD8, 0x01, 0xFF, 0xD9}, {0x78, 0x9C}};
    for (swf::TagCode code : {swf::TagCode::DefineBitsJpeg2, swf::TagCode::DefineBitsJpeg3}) {
        const bool withAlpha = code == swf::TagCode::DefineBitsJpeg3;
        Body body(withAlpha ? swf::DefineBitsJpeg3Body(bits) : swf::DefineBitsJpeg2Body(bits));
        EXPECT_EQ(body.in.U16(), 5);
        const swf::JpegBitsView view = swf::ReadJpegBits(body.in, code);
        EXPECT_EQ(view.jpeg, AsString(bits.jpeg));
        EXPECT_EQ(view.packedAlpha, withAlpha ? AsString(bits.packedAlpha) : "");
    }
}

}  // namespace
