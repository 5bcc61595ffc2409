// Drawing and clip files damaged at random: every reader either accepts or rejects the bytes,
// never crashes, hangs or reads out of bounds, and whatever it accepts is written back whole and
// read again unchanged.
#include "core/document.h"
#include "core/document_lifecycle.h"
#include "core/drawing_file.h"
#include "core/history.h"

#include "tests/support/byte_mutator.h"
#include "tests/support/test_support.h"

#include <gtest/gtest.h>

#include <iterator>
#include <string>
#include <vector>

using namespace core;
using testsupport::ByteMutator;
using testsupport::DataPath;
using testsupport::Escaped;
using testsupport::ReadAll;
using testsupport::TempPath;
using testsupport::WriteAll;

namespace {

constexpr int kRoundsPerFixture = 300;

const std::vector<std::string> kFileTokens = {
    "99999999999999999999", "2147483647", "2147483648", "-2147483648", "-2147483649", "32767", "32768",
    "-32769", "65535", "256", "-1", "0", "5", "1e38", "1e39", "-1E+308", "1e-50", "1D3", "&HFFFFFFFF",
    "&H7FFFFFFF", "&O777", "+.5", "-.", ".", "E", "#TRUE#", "#FALSE#", "#true#", "\"", "\"\"", ",", ",,",
    "\r\n", "\n", "\r", " ", "\t", "QLK030\r\n", "QKCLIP030\r\n", "QLK010", "\x82\xa0", "\x81", "\xff",
};


struct Fixture {
    const char *name;
    bool clip;
};

bool ReadAny(const std::string &path, bool clip, DrawingFileContents &drawing, ClipFileContents &clipContents)
{
    std::string message;
    return clip ? ReadClipFile(path, clipContents, message) : ReadDrawingFile(path, drawing, message);
}

// What a reader built from a file: paths, anchors and gradient stops. Every one of them takes at
// least one byte of the file, so a damaged file never makes the reader build more than its size.
size_t ReadWork(const PathArray &paths)
{
    size_t work = 0;
    for (size_t i = 1; i < paths.size(); ++i) {  // element 0 is unused
        work += 1 + paths[i].Anchors.size() + static_cast<size_t>(std::max(paths[i].StopCount(), 0));
    }
    return work;
}

// The paths as a file holds them: a fill type keeps only the middle stops it uses (2 and 4: six,
// 3: two, others none).
PathArray AsWritten(PathArray paths)
{
    for (PathRecord &path : paths) {
        int32_t limit = path.FillType == kFillReflected                                  ? 2
                        : path.FillType == kFillLinear || path.FillType == kFillRadial ? 6
                                                                                         : 0;
        if (path.StopCount() > limit) {
            path.SetStopCount(limit);
        }
    }
    return paths;
}

// The bytes the writers produce for what a reader accepted (written without renaming into place:
// the round trip tests the format, not the file system).
std::string WrittenBytes(bool clip, const DrawingFileContents &drawing, const ClipFileContents &clipContents)
{
    FieldWriter file;
    const PathArray &paths = clip ? clipContents.Paths : drawing.Paths;
    if (clip) {
        file.BareLine("QKCLIP030");
        file.WriteInt(UpperBound(paths)).WriteInt(clipContents.ClipOriginX).WriteInt(clipContents.ClipOriginY).EndLine();
    } else {
        WriteSettingsLines(drawing.Settings, file);
        file.WriteInt(UpperBound(paths)).EndLine();
    }
    for (int32_t i = 1; i <= UpperBound(paths); ++i) {
        WritePathRecord(paths[static_cast<size_t>(i)], file);
    }
    return file.Bytes();
}

// What a reader accepted is written back and must read the same.
void ExpectRoundTrip(bool clip, const DrawingFileContents &drawing, const ClipFileContents &clipContents,
                     const std::string &input)
{
    const std::string path = TempPath("fuzz_roundtrip");
    WriteAll(path, WrittenBytes(clip, drawing, clipContents));
    DrawingFileContents drawingAgain;
    ClipFileContents clipAgain;
    ASSERT_TRUE(ReadAny(path, clip, drawingAgain, clipAgain)) << Escaped(input);
    if (clip) {
        EXPECT_TRUE(clipAgain.Paths == AsWritten(clipContents.Paths)) << Escaped(input);
        EXPECT_EQ(clipAgain.ClipOriginX, clipContents.ClipOriginX);
        EXPECT_EQ(clipAgain.ClipOriginY, clipContents.ClipOriginY);
    } else {
        // A name byte that is not CP932 was read as U+FFFD, which CP932 writes as "?".
        CanvasSettings expected = drawing.Settings;
        if (expected.BackgroundFile.find("\xEF\xBF\xBD") != std::string::npos) {
            expected.BackgroundFile = drawingAgain.Settings.BackgroundFile;
        }
        EXPECT_TRUE(drawingAgain.Settings == expected) << Escaped(input);
        EXPECT_TRUE(drawingAgain.Paths == AsWritten(drawing.Paths)) << Escaped(input);
    }
}

}  // namespace

const Fixture kFixtures[] = {{"drawing_010.qlk", false}, {"drawing_020.qlk", false}, {"drawing_030.qlk", false},
                             {"clip_010.qkclip", true},  {"clip_020.qkclip", true},  {"clip_030.qkclip", true}};

class FileFuzz : public testing::TestWithParam<size_t> {};

TEST_P(FileFuzz, DamagedFilesAreReadOrRejectedSafely)
{
    const Fixture &fixture = kFixtures[GetParam()];
    const std::string original = ReadAll(DataPath(fixture.name));
    ASSERT_FALSE(original.empty()) << fixture.name;
    const std::string path = TempPath("fuzz_input");
    ByteMutator mutator(static_cast<uint32_t>(GetParam()) + 1, kFileTokens);
    int accepted = 0;
    for (int round = 0; round < kRoundsPerFixture && !HasFailure(); ++round) {
        const std::string bytes = mutator.Mutate(original);
        WriteAll(path, bytes);
        // Now and then the other kind of reader gets the file.
        const bool clip = round % 5 == 4 ? !fixture.clip : fixture.clip;
        DrawingFileContents drawing;
        ClipFileContents clipContents;
        const bool ok = ReadAny(path, clip, drawing, clipContents);
        EXPECT_LE(ReadWork(drawing.Paths) + ReadWork(clipContents.Paths), bytes.size()) << Escaped(bytes);
        if (ok) {
            ++accepted;
            ExpectRoundTrip(clip, drawing, clipContents, bytes);
        }
    }
    // The damage must leave some files readable, or the round trip above tests nothing.
    EXPECT_GT(accepted, kRoundsPerFixture / 50);
}

INSTANTIATE_TEST_SUITE_P(Fixtures, FileFuzz, testing::Range<size_t>(0, std::size(kFixtures)));

TEST(FileOpenFuzz, OpeningDamagedDrawingsLeavesAConsistentDocument)
{
    const std::string original = ReadAll(DataPath("drawing_030.qlk"));
    const std::string path = TempPath("fuzz_open.qlk");
    ByteMutator mutator(77, kFileTokens);
    for (int round = 0; round < 100 && !HasFailure(); ++round) {
        const std::string bytes = mutator.Mutate(original);
        WriteAll(path, bytes);
        const bool good = OpenDrawingFile(path);
        const Document &doc = Doc();
        ASSERT_FALSE(doc.DocPaths.empty());
        for (int32_t i = 1; i <= doc.DocPathCount(); ++i) {
            EXPECT_GE(doc.DocPaths[static_cast<size_t>(i)].AnchorMax(), 1) << Escaped(bytes);
        }
        EXPECT_EQ(History().HistoryPos, good ? 1 : 0);
        EXPECT_TRUE(History().HistoryEntries[0].Paths == doc.DocPaths);
        EXPECT_EQ(Lifecycle().CurrentFileName, good ? path : "");
    }
    NewDocument();
}
