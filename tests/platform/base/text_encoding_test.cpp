#include "platform/base/text_encoding.h"

#include <gtest/gtest.h>

#include <random>

using namespace platform;

namespace {

// "日本語のファイル名　表.png" in CP932; 表 (0x95 0x5C) has a backslash as its second byte.
const std::string kJapaneseCp932 =
    "\x93\xfa\x96\x7b\x8c\xea\x82\xcc\x83\x74\x83\x40\x83\x43\x83\x8b\x96\xbc\x81\x40\x95\x5c.png";
const std::string kJapaneseUtf8 = "日本語のファイル名　表.png";

bool IsValidUtf8(const std::string &text)
{
    size_t i = 0;
    while (i < text.size()) {
        unsigned char c = static_cast<unsigned char>(text[i]);
        size_t length = c < 0x80 ? 1 : (c >> 5) == 0x6 ? 2 : (c >> 4) == 0xE ? 3 : (c >> 3) == 0x1E ? 4 : 0;
        if (length == 0 || i + length > text.size()) {
            return false;
        }
        for (size_t k = 1; k < length; ++k) {
            if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80) {
                return false;
            }
        }
        i += length;
    }
    return true;
}

}  // namespace

TEST(TextEncoding, JapaneseTextConvertsBothWays)
{
    EXPECT_EQ(Cp932ToUtf8(kJapaneseCp932), kJapaneseUtf8);
    EXPECT_EQ(Utf8ToCp932(kJapaneseUtf8), kJapaneseCp932);
    EXPECT_EQ(Cp932ToUtf8("C:\\a\\b.qlk"), "C:\\a\\b.qlk");
    EXPECT_EQ(Utf8ToCp932(""), "");
    // Half-width katakana are single bytes in CP932.
    EXPECT_EQ(Utf8ToCp932("ｱｲｳ"), "\xb1\xb2\xb3");
    EXPECT_EQ(Cp932ToUtf8("\xb1\xb2\xb3"), "ｱｲｳ");
}

TEST(TextEncoding, InvalidBytesAreReplacedAndTheRestKept)
{
    // A lead byte without its trail byte at the end, and a byte no CP932 character uses.
    EXPECT_EQ(Cp932ToUtf8("ab\x93"), "ab\xEF\xBF\xBD");
    EXPECT_EQ(Cp932ToUtf8("a\xa0" "b"), "a\xEF\xBF\xBD" "b");
    EXPECT_EQ(Cp932ToUtf8("\xff\x93\xfa"), "\xEF\xBF\xBD日");

    // Characters CP932 has no code for, and broken UTF-8, become '?'.
    EXPECT_EQ(Utf8ToCp932("a😀b"), "a?b");
    EXPECT_EQ(Utf8ToCp932("a\xC3"), "a?");
    EXPECT_EQ(Utf8ToCp932("\x80x\xE6\x97"), "?x?");
}

TEST(TextEncoding, GarbageNeverCrashesAndAlwaysGivesValidUtf8)
{
    std::mt19937 random(42);
    for (int round = 0; round < 200; ++round) {
        std::string bytes(static_cast<size_t>(random() % 300), '\0');
        for (char &c : bytes) {
            c = static_cast<char>(random());
        }
        std::string utf8 = Cp932ToUtf8(bytes);
        EXPECT_TRUE(IsValidUtf8(utf8));
        EXPECT_TRUE(IsValidUtf8(Cp932ToUtf8(Utf8ToCp932(bytes))));
    }
}

// Long ASCII text after the last character above ASCII, of every length around the eight-byte
// steps of the scan, stays as it is; the characters before it convert as alone.
TEST(TextEncoding, AsciiAfterTheLastWideCharacterIsKept)
{
    const struct {
        std::string cp932;
        std::string utf8;
    } heads[] = {
        {kJapaneseCp932, kJapaneseUtf8},
        {"\x81\x40", "　"},       // its trail byte is "@"
        {"\x95\x5c", "表"},       // its trail byte is "\"
        {"\xb1", "ｱ"},            // one byte
        {"abc\x82\xa0", "abcあ"},
    };
    for (const auto &head : heads) {
        for (size_t tail = 0; tail <= 17; ++tail) {
            const std::string ascii = std::string(tail, '7') + (tail % 3 == 0 ? ",-1\r\n" : "");
            EXPECT_EQ(Cp932ToUtf8(head.cp932 + ascii), head.utf8 + ascii) << head.utf8 << " + " << tail;
            EXPECT_EQ(Cp932ToUtf8(ascii + head.cp932 + ascii), ascii + head.utf8 + ascii) << head.utf8 << " + " << tail;
        }
    }
    // A lead byte with nothing after it is replaced, as anywhere else.
    EXPECT_EQ(Cp932ToUtf8("0123456789\x82"), "0123456789\xEF\xBF\xBD");
}
