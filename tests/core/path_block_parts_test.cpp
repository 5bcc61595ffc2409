// Path blocks read on several threads give what one reader going through the file gives: the same
// paths and end, or nothing taken where that reader fails or the text cannot be cut; a damaged
// large file keeps its message and reason.
#include "core/drawing_file.h"
#include "core/path_block_parts.h"
#include "platform/base/parallel_for.h"

#include "tests/support/byte_mutator.h"
#include "tests/support/test_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

using namespace core;
using testsupport::ByteMutator;
using testsupport::TempPath;
using testsupport::WriteAll;

namespace {

constexpr size_t kSmallParts = 64;  // bytes per part that cut a test file into many parts

PathRecord NumberedPath(int i)
{
    PathRecord path;
    const int anchors = 2 + i % 9;
    for (int k = 0; k < anchors; ++k) {
        path.Anchors.push_back({i * 37 + k * 1000, -i * 11 + (k % 3) * 700, static_cast<int16_t>(k % 4 == 1)});
    }
    path.blClosed = i % 3 != 0;
    path.LineWidth = 20 * (i % 5);
    path.LineMode = static_cast<int16_t>(i % 2);
    path.LineColor = 0xFF000000u | static_cast<uint32_t>(i * 7919);
    path.FillType = static_cast<int16_t>(i % 5);
    path.FillColor = 0xFF000000u | static_cast<uint32_t>(i * 104729);
    path.GradAngle = static_cast<float>(i % 360) / 4.0f;
    path.GradRatioX = 0.25f;
    path.GradRatioY = 0.5f;
    if (path.FillType == kFillLinear || path.FillType == kFillRadial) {
        path.SetStopCount(i % 4);
        for (int32_t s = 1; s <= path.StopCount(); ++s) {
            path.Stops[static_cast<size_t>(s)] = {0xFF00FF00u + static_cast<uint32_t>(s), s * 50};
        }
    }
    path.blCompound = i % 10 == 4;
    path.CompoundID = i % 10 == 4 ? 3 : 0;
    return path;
}

// A block of an older version: its field line has no second ratio ("020", "010"), no compound
// fields ("010") and no stop lines.
std::string OldBlock(const PathRecord &path, std::string_view version)
{
    std::string text = std::to_string(path.AnchorMax()) + (path.blClosed ? ",#TRUE#," : ",#FALSE#,") +
                       std::to_string(path.LineWidth) + "," + std::to_string(path.LineMode) + "," +
                       std::to_string(static_cast<int32_t>(path.LineColor)) + "," + std::to_string(path.FillType) +
                       "," + std::to_string(static_cast<int32_t>(path.FillColor)) + ",10,20,45,0.5," +
                       std::to_string(static_cast<int32_t>(path.GradColor)) + ",#FALSE#,0";
    text += version == "020" ? ",#TRUE#,7\r\n" : "\r\n";
    for (const AnchorPoint &anchor : path.Anchors) {
        text += std::to_string(anchor.AnchorKind) + "," + std::to_string(anchor.X) + "," + std::to_string(anchor.Y) + "\r\n";
    }
    return text;
}

// The text of a drawing file of count paths: the settings lines, the count line, the blocks.
std::string DrawingText(int count, std::string_view version = "030")
{
    FieldWriter file;
    WriteSettingsLines(CanvasSettings(), file);
    std::string text = file.Bytes();
    text.replace(3, 3, version);
    text += std::to_string(count) + "\r\n";
    for (int i = 0; i < count; ++i) {
        if (version == "030") {
            FieldWriter block;
            WritePathRecord(NumberedPath(i), block);
            text += block.Bytes();
        } else {
            text += OldBlock(NumberedPath(i), version);
        }
    }
    return text;
}

// The reader placed at the first path block of a drawing text, and the count it read.
struct AtBlocks {
    size_t position = 0;
    int32_t count = 0;
};

// False when the text has no settings lines and count to find.
bool FindBlocks(const std::string &text, AtBlocks &at)
{
    FieldReader reader(text);
    std::string_view magic;
    CanvasSettings settings;
    if (!(reader.ReadBareLine(magic) && ReadSettingsLines(reader, "030", settings) && reader.ReadInt32(at.count))) {
        return false;
    }
    at.position = reader.Position();
    return true;
}

// count blocks read by one reader; false (with the paths read so far) where it fails.
bool ReadInSequence(FieldReader &reader, std::string_view version, int32_t count, PathArray &paths)
{
    paths.assign(1, PathRecord());
    for (int32_t i = 1; i <= count; ++i) {
        if (!ReadPathRecord(reader, version, paths.emplace_back())) {
            return false;
        }
    }
    return true;
}

// Reads the blocks in parts and by one reader and checks that the parts give what the one reader
// does, or take nothing; returns whether the parts were taken.
bool ExpectReadAsOneReaderDoes(const std::string &text, std::string_view version, const AtBlocks &at, int32_t count,
                               size_t bytesPerPart)
{
    FieldReader one(text, at.position);
    PathArray expected;
    const bool oneRead = ReadInSequence(one, version, count, expected);

    FieldReader parts(text, at.position);
    PathArray paths{PathRecord(), PathRecord()};
    const bool inParts = ReadPathBlocksInParts(parts, version, count, paths, bytesPerPart);
    if (inParts) {
        EXPECT_TRUE(oneRead) << "read in parts where one reader fails";
        EXPECT_TRUE(paths == expected);
        EXPECT_EQ(parts.Position(), one.Position());
    } else {
        EXPECT_EQ(paths.size(), 2u) << "nothing taken";
        EXPECT_EQ(parts.Position(), at.position);
        EXPECT_FALSE(parts.Failed());
    }
    return inParts;
}

// The text with the nth (from 0) occurrence of find replaced by by.
std::string ReplaceAt(std::string text, std::string_view find, size_t nth, std::string_view by)
{
    size_t at = text.find(find);
    for (size_t k = 0; k < nth && at != std::string::npos; ++k) {
        at = text.find(find, at + 1);
    }
    EXPECT_NE(at, std::string::npos) << find << " " << nth;
    return at == std::string::npos ? text : text.replace(at, find.size(), by);
}

// Where the first anchor line of a control point at or after from starts.
size_t ControlAnchorLine(const std::string &text, size_t from)
{
    size_t at = text.find("\r\n1,", from);
    while (at != std::string::npos && text[at + 4] == '#') {  // a field line of two anchors
        at = text.find("\r\n1,", at + 1);
    }
    return at + 2;
}

enum class Parts { No, Yes, Either };

}  // namespace

TEST(PathBlockParts, ReadsWhatOneReaderReadsOrLeavesItToIt)
{
    const std::string clean = DrawingText(300);
    const struct {
        const char *name;
        std::string text;
        std::string_view version;
        int32_t countChange;  // added to the count the text says
        Parts inParts;        // read in parts (where the machine has more than one core)
    } cases[] = {
        {"written by the program", clean, "030", 0, Parts::Yes},
        {"fewer blocks counted than written", clean, "030", -120, Parts::Yes},
        {"line ends of LF alone", [&] {
             std::string t;
             for (char c : clean) {
                 if (c != '\r') t += c;
             }
             return t;
         }(), "030", 0, Parts::Yes},
        {"text after the last block", clean + "garbage, \"\r\n", "030", 0, Parts::Yes},
        {"version 020", DrawingText(300, "020"), "020", 0, Parts::Yes},
        {"version 010", DrawingText(300, "010"), "010", 0, Parts::Yes},
        // Read in parts unless a cut falls just there.
        {"blank lines between blocks", ReplaceAt(clean, "\r\n2,", 15, "\r\n\r\n\r\n2,"), "030", 0, Parts::Either},
        {"more blocks counted than written", clean, "030", 5, Parts::No},
        {"a value damaged late", ReplaceAt(clean, ",#FALSE#,", 250, ",#FALS#,"), "030", 0, Parts::No},
        {"a value damaged early", ReplaceAt(clean, ",#TRUE#,", 3, ",x,"), "030", 0, Parts::No},
        {"an anchor count too large", ReplaceAt(clean, "\r\n8,", 20, "\r\n9,"), "030", 0, Parts::Either},
        {"cut in a block", clean.substr(0, clean.size() * 2 / 3), "030", 0, Parts::No},
        {"a field line split in two", ReplaceAt(clean, ",#TRUE#,", 120, "\r\n#TRUE#,"), "030", 0, Parts::Yes},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        AtBlocks at;
        ASSERT_TRUE(FindBlocks(c.text, at));
        const bool inParts = ExpectReadAsOneReaderDoes(c.text, c.version, at, at.count + c.countChange, kSmallParts);
        if (platform::PartCount(c.text.size() - at.position, kSmallParts) > 1 && c.inParts != Parts::Either) {
            EXPECT_EQ(inParts, c.inParts == Parts::Yes);
        }
    }
}

// A file large enough to be read in parts reads back as written; damaged, it gives the message and
// the reason (with its line) that one reader gives.
TEST(PathBlockParts, LargeFilesReadBackAndKeepTheirMessages)
{
    PathArray paths{PathRecord()};
    for (int i = 0; i < 16000; ++i) {
        paths.push_back(NumberedPath(i));
    }
    const std::string fileName = TempPath("large.qlk");
    std::string message;
    ASSERT_TRUE(WriteDrawingFile(fileName, paths, UpperBound(paths), CanvasSettings(), message)) << message;
    const std::string text = testsupport::ReadAll(fileName);
    ASSERT_GT(text.size(), 2 * kPathBlockBytesPerPart);

    DrawingFileContents read;
    std::string detail;
    ASSERT_TRUE(ReadDrawingFile(fileName, read, message, &detail)) << detail;
    EXPECT_EQ(read.Paths, paths);

    auto lineOf = [](const std::string &t, size_t at) {
        return std::to_string(1 + std::count(t.begin(), t.begin() + static_cast<ptrdiff_t>(at), '\n'));
    };
    const size_t late = ControlAnchorLine(text, text.size() * 9 / 10);
    const size_t early = ControlAnchorLine(text, text.size() / 10);
    const size_t lastLine = text.rfind("\r\n", text.size() - 3) + 2;
    const struct {
        const char *name;
        std::string bytes;
        std::string reason;
    } damaged[] = {
        {"late", std::string(text).replace(late, 1, "q"), "line " + lineOf(text, late) + ": \"q\" is not a number"},
        {"early", std::string(text).replace(early, 1, "7"), "line " + lineOf(text, early) + ": 7 is out of range"},
        {"cut", text.substr(0, lastLine), "line " + lineOf(text, lastLine) + ": the file ends early"},
    };
    for (const auto &d : damaged) {
        SCOPED_TRACE(d.name);
        WriteAll(fileName, d.bytes);
        DrawingFileContents kept;
        kept.Settings.Width = 999;
        EXPECT_FALSE(ReadDrawingFile(fileName, kept, message, &detail));
        EXPECT_EQ(message, "ファイル [" + fileName + "] は不正なQuillarkファイルです。");
        EXPECT_EQ(detail, d.reason);
        EXPECT_EQ(kept.Settings.Width, 999);
        EXPECT_EQ(kept.Paths.size(), 1u);
    }
}

// Bytes damaged at random, cut into parts of a few dozen bytes: the parts never take what one
// reader would not give.
TEST(PathBlockParts, DamagedTextsAreReadInPartsOnlyAsOneReaderReadsThem)
{
    const std::vector<std::string> tokens = {"2147483647", "-1", "0", "7", "1e39", "&HFFFF", "#TRUE#", "#FALSE#",
                                             "\"", ",", ",,", "\r\n", "\n", "\r", " ", "\x82\xa0", "\xff",
                                             "0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0\r\n"};
    const std::string original = DrawingText(40);
    ByteMutator mutator(2024, tokens);
    int taken = 0;
    for (int round = 0; round < 150 && !HasFailure(); ++round) {
        const std::string bytes = mutator.Mutate(original);
        AtBlocks at;
        if (!FindBlocks(bytes, at)) {
            continue;
        }
        SCOPED_TRACE(testsupport::Escaped(bytes));
        taken += ExpectReadAsOneReaderDoes(bytes, "030", at, at.count, 32) ? 1 : 0;
    }
    if (platform::PartCount(original.size(), 32) > 1) {
        EXPECT_GT(taken, 3) << "the damage left too few texts to be read in parts";
    }
}
