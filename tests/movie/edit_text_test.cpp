#include "movie/edit_text.h"
#include "movie/movie_writer.h"
#include "tests/movie/tag_movie.h"


#include <gtest/gtest.h>

using movie::Bytes;

namespace {

Bytes Utf8Bytes(const std::string &text)
{
    return Bytes(text.begin(), text.end());
}

// The bytes a string field holds, as the parser shows them (one character per byte).
QString ByteChars(const std::string &text)
{
    return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

uint32_t U32(const Bytes &b, size_t at)
{
    return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | static_cast<uint32_t>(b[at + 3]) << 24;
}

Bytes Slice(const Bytes &bytes, size_t at, size_t count)
{
    return Bytes(bytes.begin() + static_cast<std::ptrdiff_t>(at),
                 bytes.begin() + static_cast<std::ptrdiff_t>(std::min(at + count, bytes.size())));
}

class EditTextTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        movie::ResetWriterForTest();
        movie::Writer().TagBuffer.clear();
    }

    // The preview's label: device font 1, 240 twips, automatic size, all flags 0.
    static void Label(const std::string &text, core::Color colour = 0xFF000000, const std::string &name = "")
    {
        movie::DefineEditText(2, 1, 240, 0, text, 0, 0, 0, colour, name, 0, 0, false);
    }
};

TEST_F(EditTextTest, Utf8ConversionOfTexts)
{
    Bytes bytes{9, 9};
    EXPECT_EQ(movie::EncodeUtf8("", bytes, false), 1);
    EXPECT_EQ(bytes, Bytes{0});
    EXPECT_EQ(movie::EncodeUtf8("", bytes, true), 0);
    EXPECT_TRUE(bytes.empty());
    EXPECT_EQ(movie::EncodeUtf8("ゴa", bytes, false), 5);
    EXPECT_EQ(bytes, (Bytes{0xE3, 0x82, 0xB4, 'a', 0}));
    // Broken sequences become U+FFFD; NUL characters, which would end the string, are left out.
    EXPECT_EQ(movie::EncodeUtf8(std::string("a\xFF" "b\0c", 5), bytes, true), 6);
    EXPECT_EQ(bytes, (Bytes{'a', 0xEF, 0xBF, 0xBD, 'b', 'c'}));

    EXPECT_EQ(movie::DecodeUtf8(Bytes()), "");
    EXPECT_EQ(movie::DecodeUtf8(Utf8Bytes("日本語")), "日本語");
    EXPECT_EQ(movie::DecodeUtf8(Bytes{'x', 0xC3}), "x\xEF\xBF\xBD");
}

TEST_F(EditTextTest, DeviceFontTagBytes)
{
    movie::DefineDeviceFont(5, "_sans", 0);
    EXPECT_EQ(tagmovie::TakeTags(), (Bytes{0x3F, 0x0C, 14, 0, 0, 0, 5, 0, 0x04, 1, 5, '_', 's', 'a', 'n', 's',
                                           0, 0, 2, 0}));

    movie::DefineDeviceFont(6, "_ゴシック", movie::kFontBold | movie::kFontItalic);
    Bytes gothic = tagmovie::TakeTags();
    ASSERT_EQ(gothic.size(), 6u + 13 + 9);
    EXPECT_EQ(U32(gothic, 2), 22u);
    EXPECT_EQ(gothic[8], 0x07);
    EXPECT_EQ(gothic[9], 2);
    EXPECT_EQ(gothic[10], 13);
    EXPECT_EQ(Slice(gothic, 11, 13), Utf8Bytes("_ゴシック"));

    // Only the bold and italic bits are taken: others would change the tag's layout.
    movie::DefineDeviceFont(7, "_serif", static_cast<int16_t>(0x7F));
    Bytes serif = tagmovie::TakeTags();
    EXPECT_EQ(serif[8], 0x07);
    EXPECT_EQ(serif[9], 1);
}

TEST_F(EditTextTest, LongFontNameIsCutAtACharacterBoundary)
{
    std::string name = "a";
    for (int i = 0; i < 100; ++i) {
        name += "あ";
    }
    movie::DefineDeviceFont(1, name, 0);
    Bytes tag = tagmovie::TakeTags();
    ASSERT_GE(tag.size(), 11u);
    EXPECT_EQ(tag[10], 253);  // "a" and 84 whole characters
    EXPECT_EQ(tag.size(), 6u + 253 + 9);
    EXPECT_EQ(U32(tag, 2), 253u + 9);
}

TEST_F(EditTextTest, LabelTagBytes)
{
    Label("a\r\nb", 0x00FF0000);
    Bytes tag = tagmovie::TakeTags();
    ASSERT_EQ(tag.size(), 6u + 4 + 1 + 34);
    EXPECT_EQ(Slice(tag, 0, 6), (Bytes{0x7F, 0x09, 39, 0, 0, 0}));
    EXPECT_EQ(Slice(tag, 6, 2), (Bytes{2, 0}));
    EXPECT_EQ(Slice(tag, 6 + 15, 2), (Bytes{0xAD, 0x70}));         // flag value 0x70AD
    EXPECT_EQ(Slice(tag, 6 + 17, 4), (Bytes{1, 0, 240, 0}));       // font id, height
    EXPECT_EQ(Slice(tag, 6 + 21, 4), (Bytes{0x00, 0x00, 0xFF, 0xFF}));  // blue, made opaque
    EXPECT_EQ(Slice(tag, 6 + 25, 9), (Bytes{0, 0, 0, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(Slice(tag, 6 + 34, 5), (Bytes{0, 'a', '\r', 'b', 0}));  // empty name, text
}

TEST_F(EditTextTest, FlagsFollowSizeOutlinesAndTheTwoFlagSets)
{
    auto flags = [](int32_t width, int32_t height, int32_t textFlags, int32_t displayFlags, bool outlines) {
        movie::DefineEditText(2, 1, 240, 0, "x", width, height, 0, 0, "", textFlags, displayFlags, outlines);
        Bytes tag = tagmovie::TakeTags();
        return tag[21] | tag[22] << 8;
    };
    EXPECT_EQ(flags(0, 0, 0, 0, false), 0x70AD);
    EXPECT_EQ(flags(100, 0, 0, 0, false), 0x30AD);
    EXPECT_EQ(flags(0, 0, 0, 0, true), 0x71AD);
    EXPECT_EQ(flags(10, 10, 2, 6, false), 0x3CBD);  // password, was static and border added
    // Bits beyond the two sets would carry into other flags; they are ignored.
    EXPECT_EQ(flags(0, 0, 0xF8, 0xFFF0, false), 0x70AD);
}

TEST_F(EditTextTest, DeviceFontLabelParses)
{
    REQUIRE_YASWFP();
    movie::DefineDeviceFont(1, "_ゴシック", 0);
    movie::DefineEditText(2, 1, 240, 40, "フレーム 1\r\n次", 120, 30, 1, 0xFF0080FF, "label", 1, 12, false);
    swfcheck::Summary swf = tagmovie::WriteAndParse("edit_text.swf", 2);
    ASSERT_TRUE(swf.parsed) << swf.output;
    ASSERT_GE(swf.tags.size(), 2u);
    for (int i = 0; i < 2; ++i) {
        EXPECT_TRUE(swf.tags[static_cast<size_t>(i)].parsed) << swf.tags[static_cast<size_t>(i)].name;
    }
    const QJsonObject &font = swf.tags[0].fields;
    EXPECT_EQ(swf.tags[0].name, "DefineFont2");
    EXPECT_EQ(font["FontName"].toString(), ByteChars("_ゴシック"));
    EXPECT_EQ(font["LanguageCode"].toString(), "Japanese");
    EXPECT_EQ(font["FontFlagsWideCodes"].toInt(), 1);

    const QJsonObject &text = swf.tags[1].fields;
    EXPECT_EQ(swf.tags[1].name, "DefineEditText");
    EXPECT_EQ(text["Bounds"].toArray(), (QJsonArray{0, 2400, 0, 600}));
    EXPECT_EQ(text["InitialText"].toString(), QString::fromUtf8("フレーム 1\r次"));
    EXPECT_EQ(text["VariableName"].toString(), "label");
    EXPECT_EQ(text["ReadOnly"].toInt(), 0);   // textFlags 1: editable
    EXPECT_EQ(text["NoSelect"].toInt(), 0);   // displayFlags 8: selectable
    EXPECT_EQ(text["Border"].toInt(), 1);     // displayFlags 4
    EXPECT_EQ(text["TextColor"].toArray(), (QJsonArray{255, 128, 0, 255}));
}

TEST_F(EditTextTest, ObjectNamesAreValidUtf8)
{
    REQUIRE_YASWFP();
    movie::DefineDeviceFont(1, "_sans", 0);
    Label("x");
    swfcheck::Summary swf = tagmovie::WriteAndParse("names.swf", 2, -1.0f, std::string("名前\xFF\0z", 9));
    ASSERT_TRUE(swf.parsed) << swf.output;
    ASSERT_EQ(swf.Names(), (std::vector<std::string>{"DefineFont2", "DefineEditText", "PlaceObject2", "ShowFrame"}));
    EXPECT_TRUE(swf.tags[2].parsed);
    EXPECT_EQ(swf.tags[2].fields["Name"].toString(), QString::fromUtf8("名前\xEF\xBF\xBDz"));
}

}  // namespace
