// Whole drawing and clip files: hand-written files of every version, write-then-read, and bad
// files of every kind.
#include "core/drawing_file.h"

#include "tests/support/test_support.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <filesystem>
#include <random>

using namespace core;
using testsupport::DataPath;
using testsupport::ReadAll;
using testsupport::TempPath;
using testsupport::WriteAll;
namespace fs = std::filesystem;

namespace {

AnchorPoint A(int16_t kind, int32_t x, int32_t y)
{
    return AnchorPoint{x, y, kind};
}

// A path block's fields as the files give them; the rest as in an empty record.
struct PathFields {
    std::vector<AnchorPoint> anchors;
    bool closed = false;
    int32_t lineWidth = 0;
    int16_t lineMode = 0;
    Color lineColor = 0;
    int16_t fillType = 0;
    Color fillColor = 0;
    int32_t gradCenterX = 0, gradCenterY = 0;
    float gradAngle = 0, gradRatioX = 0, gradRatioY = 0;
    Color gradColor = 0;
    std::vector<GradStop> stops;  // the middle stops, in order
    bool group = false;
    int32_t groupId = 0;
    bool compound = false;
    int32_t compoundId = 0;

    PathRecord Record() const
    {
        PathRecord path;
        path.Anchors = anchors;
        path.blClosed = closed;
        path.LineWidth = lineWidth;
        path.LineMode = lineMode;
        path.LineColor = lineColor;
        path.FillType = fillType;
        path.FillColor = fillColor;
        path.GradCenterX = gradCenterX;
        path.GradCenterY = gradCenterY;
        path.GradAngle = gradAngle;
        path.GradRatioX = gradRatioX;
        path.GradRatioY = gradRatioY;
        path.GradColor = gradColor;
        if (!stops.empty()) {
            path.Stops.push_back(GradStop());
            path.Stops.insert(path.Stops.end(), stops.begin(), stops.end());
        }
        path.blGroup = group;
        path.GroupID = groupId;
        path.blCompound = compound;
        path.CompoundID = compoundId;
        return path;
    }
};

DrawingFileContents ReadDrawingOrFail(const std::string &path)
{
    DrawingFileContents contents;
    std::string message, detail;
    EXPECT_TRUE(ReadDrawingFile(path, contents, message, &detail)) << path << ": " << detail;
    EXPECT_EQ(message, "");
    return contents;
}

ClipFileContents ReadClipOrFail(const std::string &path)
{
    ClipFileContents contents;
    std::string message, detail;
    EXPECT_TRUE(ReadClipFile(path, contents, message, &detail)) << path << ": " << detail;
    return contents;
}

float RandomSingle(std::mt19937 &random)
{
    if (random() % 3 == 0) {
        return static_cast<float>(static_cast<int>(random() % 2001) - 1000) / 8.0f;
    }
    for (;;) {
        uint32_t bits = static_cast<uint32_t>(random());
        float value;
        std::memcpy(&value, &bits, sizeof value);
        if (std::isfinite(value)) {
            return value == 0 ? 0.0f : value;  // -0 is written as 0
        }
    }
}

int32_t RandomInt32(std::mt19937 &random)
{
    switch (random() % 4) {
    case 0:
        return static_cast<int32_t>(random() % 2001) - 1000;
    case 1:
        return random() % 2 ? INT32_MAX : INT32_MIN;
    default:
        return static_cast<int32_t>(static_cast<uint32_t>(random()));
    }
}

PathRecord RandomPath(std::mt19937 &random)
{
    PathRecord path;
    int anchors = static_cast<int>(random() % 12);
    for (int i = 0; i < anchors; ++i) {
        path.Anchors.push_back(A(static_cast<int16_t>(random() % 2), RandomInt32(random), RandomInt32(random)));
    }
    path.blClosed = random() % 2;
    path.LineWidth = RandomInt32(random);
    path.LineMode = static_cast<int16_t>(random());
    path.LineColor = static_cast<Color>(random());
    path.FillType = static_cast<int16_t>(random() % 5);
    path.FillColor = static_cast<Color>(random());
    path.GradCenterX = RandomInt32(random);
    path.GradCenterY = RandomInt32(random);
    path.GradAngle = RandomSingle(random);
    path.GradRatioX = RandomSingle(random);
    path.GradRatioY = RandomSingle(random);
    path.GradColor = static_cast<Color>(random());
    int32_t limit = path.FillType == kFillReflected ? 2 : (path.FillType == kFillLinear || path.FillType == kFillRadial) ? 6 : 0;
    path.SetStopCount(limit == 0 ? 0 : static_cast<int32_t>(random() % (limit + 1)));
    for (int32_t i = 1; i <= path.StopCount(); ++i) {
        path.Stops[static_cast<size_t>(i)] = GradStop{static_cast<Color>(random()), static_cast<int32_t>(random() % 256)};
    }
    path.blGroup = random() % 2;
    path.GroupID = RandomInt32(random);
    path.blCompound = random() % 2;
    path.CompoundID = RandomInt32(random);
    return path;
}

CanvasSettings RandomSettings(std::mt19937 &random)
{
    static const char *const files[] = {"", "C:\\画像\\下絵.png", "/home/user/ソ表/a, b.jpg", "plain.bmp"};
    CanvasSettings s;
    s.Width = RandomInt32(random);
    s.Height = RandomInt32(random);
    s.BackColorR = static_cast<uint8_t>(random());
    s.BackColorG = static_cast<uint8_t>(random());
    s.BackColorB = static_cast<uint8_t>(random());
    s.OptimizeFlag = static_cast<int16_t>(random());
    s.OptimizePoint = RandomInt32(random);
    s.OptimizeLine = RandomInt32(random);
    s.Quality = static_cast<int16_t>(random());
    s.BackgroundFlag = static_cast<int16_t>(random());
    s.BackgroundFile = files[random() % 4];
    s.BackgroundX = RandomInt32(random);
    s.BackgroundY = RandomInt32(random);
    s.BackgroundScale = RandomSingle(random);
    s.BackgroundOpacity = RandomInt32(random);
    return s;
}

// The state the document keeps about a path that a file does not: dropped by writing and reading.
PathRecord WithUnsavedState(PathRecord path, std::mt19937 &random)
{
    path.blSelected = random() % 2;
    path.DispFlags = static_cast<int32_t>(random() % 4);
    return path;
}

std::string ValidDrawingBytes()
{
    return ReadAll(DataPath("drawing_030.qlk"));
}

// Reads bytes as a drawing file; false with the reason in detail when they are bad.
bool ReadDrawingBytes(const std::string &bytes, std::string *detail = nullptr)
{
    std::string path = TempPath("bytes.qlk");
    WriteAll(path, bytes);
    DrawingFileContents contents;
    std::string message;
    return ReadDrawingFile(path, contents, message, detail);
}

bool ReadClipBytes(const std::string &bytes, std::string *detail = nullptr)
{
    std::string path = TempPath("bytes.qkclip");
    WriteAll(path, bytes);
    ClipFileContents contents;
    std::string message;
    return ReadClipFile(path, contents, message, detail);
}

}  // namespace

// --- Hand-written files of every version ---------------------------------------------------------

TEST(DrawingFile, ReadsVersion030WithAJapaneseUnderlayName)
{
    DrawingFileContents read = ReadDrawingOrFail(DataPath("drawing_030.qlk"));

    CanvasSettings expected;
    expected.Width = 640;
    expected.Height = 480;
    expected.BackColorR = 255;
    expected.BackColorG = 128;
    expected.BackColorB = 0;
    expected.OptimizeFlag = 3;
    expected.OptimizePoint = 60;
    expected.OptimizeLine = 30;
    expected.Quality = 1;
    expected.BackgroundFlag = 1;
    expected.BackgroundFile = "C:\\画像\\下絵, 表紙.png";
    expected.BackgroundX = 10;
    expected.BackgroundY = -20;
    expected.BackgroundScale = 0.5f;
    expected.BackgroundOpacity = 200;
    EXPECT_EQ(read.Settings, expected);

    PathFields first;
    first.anchors = {A(0, 0, 0), A(1, 1000, 0), A(0, 1000, 1000), A(1, 0, 1000)};
    first.closed = true;
    first.lineWidth = 20;
    first.lineMode = 1;
    first.lineColor = 0xFF000000u;
    first.fillType = kFillRadial;
    first.fillColor = 0xFF00FFFFu;
    first.gradCenterX = 1000;
    first.gradCenterY = -500;
    first.gradAngle = 45.5f;
    first.gradRatioX = 3.051758e-2f;
    first.gradRatioY = 0.0625f;
    first.gradColor = 0xFFFFFFFFu;
    first.stops = {GradStop{0xFF0000FFu, 64}, GradStop{0xFFFF0000u, 192}};
    first.group = true;
    first.groupId = 2;

    PathFields second;
    second.anchors = {A(0, -100, -200), A(0, 100, 200)};
    second.lineWidth = 40;
    second.lineColor = 0xFFFFFF00u;
    second.compound = true;
    second.compoundId = 7;

    ASSERT_EQ(read.Paths.size(), 3u);
    EXPECT_EQ(read.Paths[1], first.Record());
    EXPECT_EQ(read.Paths[2], second.Record());
}

TEST(DrawingFile, ReadsVersion020)
{
    DrawingFileContents read = ReadDrawingOrFail(DataPath("drawing_020.qlk"));
    CanvasSettings expected;
    expected.BackgroundScale = 1;
    EXPECT_EQ(read.Settings, expected);

    PathFields path;
    path.anchors = {A(0, 0, 0), A(0, 320, 0), A(0, 320, 320)};
    path.closed = true;
    path.lineWidth = 20;
    path.lineMode = 1;
    path.lineColor = 0xFF000000u;
    path.fillType = kFillLinear;
    path.fillColor = 0xFF00FFFFu;
    path.gradCenterX = 160;
    path.gradCenterY = 160;
    path.gradAngle = 90;
    path.gradRatioX = 0.25f;
    path.gradRatioY = 0.25f;  // copied from GradRatioX
    path.gradColor = 0xFFFFFFFFu;
    path.group = true;
    path.groupId = 3;
    path.compound = true;
    path.compoundId = 5;
    ASSERT_EQ(read.Paths.size(), 2u);
    EXPECT_EQ(read.Paths[1], path.Record());
}

TEST(ClipFile, ReadsVersion030)
{
    ClipFileContents read = ReadClipOrFail(DataPath("clip_030.qkclip"));
    EXPECT_EQ(read.ClipOriginX, -300);
    EXPECT_EQ(read.ClipOriginY, 400);

    PathFields first;
    first.anchors = {A(0, -300, 400), A(0, 0, 0)};
    first.lineWidth = 20;
    first.lineMode = 1;
    first.lineColor = 0xFF000000u;
    first.group = true;
    first.groupId = 1;

    PathFields second;
    second.anchors = {A(0, 0, 0), A(1, 100, 0), A(0, 100, 100)};
    second.closed = true;
    second.fillType = kFillReflected;
    second.fillColor = 0xFF0000FFu;
    second.gradCenterX = 50;
    second.gradCenterY = 60;
    second.gradAngle = -30;
    second.gradRatioX = 1;
    second.gradRatioY = 0.5f;
    second.gradColor = 0xFFFF0000u;
    second.stops = {GradStop{0xFFFFFFFFu, 0}, GradStop{0xFF00FF00u, 128}, GradStop{0xFFFFFFFEu, 255}};
    second.group = true;
    second.groupId = 1;
    second.compound = true;
    second.compoundId = 2;

    ASSERT_EQ(read.Paths.size(), 3u);
    EXPECT_EQ(read.Paths[1], first.Record());
    EXPECT_EQ(read.Paths[2], second.Record()) << "a reader keeps every stop the file holds";
}

// --- Writing -------------------------------------------------------------------------------------

TEST(DrawingFile, WrittenFileIsCp932WithCrLf)
{
    CanvasSettings settings;
    settings.BackgroundFile = "下絵.png";
    PathRecord path;
    path.Anchors = {A(0, 0, 0), A(1, 100, -100)};
    path.LineWidth = 20;
    path.LineMode = 1;
    path.LineColor = 0xFF000000u;
    path.GradRatioX = 1000.0f / 32768.0f;
    path.GradRatioY = 1000.0f / 32768.0f;
    std::string fileName = TempPath("written.qlk");
    std::string message = "stale";
    ASSERT_TRUE(WriteDrawingFile(fileName, PathArray{PathRecord(), path}, 1, settings, message)) << message;
    EXPECT_EQ(message, "");
    EXPECT_EQ(ReadAll(fileName), "QLK030\r\n"
                                 "320,320,255,255,255,1,60,30,2\r\n"
                                 "0,\"\x89\xba\x8a\x47.png\",0,0,1,128\r\n"
                                 "1\r\n"
                                 "1,#FALSE#,20,1,-16777216,0,0,0,0,0,.030517578,.030517578,0,#FALSE#,0,#FALSE#,0\r\n"
                                 "0\r\n"
                                 "0,0,0\r\n"
                                 "1,100,-100\r\n");
}

TEST(ClipFile, WrittenFileHasTheHeaderLine)
{
    PathRecord path;
    path.Anchors = {A(0, 1, 2), A(0, 3, 4)};
    std::string fileName = TempPath("written.qkclip");
    std::string message;
    ASSERT_TRUE(WriteClipFile(fileName, PathArray{PathRecord(), path}, 1, -40, 60, message)) << message;
    EXPECT_EQ(ReadAll(fileName), "QKCLIP030\r\n"
                                 "1,-40,60\r\n"
                                 "1,#FALSE#,0,0,0,0,0,0,0,0,0,0,0,#FALSE#,0,#FALSE#,0\r\n"
                                 "0\r\n"
                                 "0,1,2\r\n"
                                 "0,3,4\r\n");
}

TEST(DrawingFile, RandomDocumentsReadBackIdentical)
{
    std::mt19937 random(2024);
    for (int round = 0; round < 40; ++round) {
        CanvasSettings settings = RandomSettings(random);
        PathArray paths{PathRecord()};
        PathArray expected{PathRecord()};
        int count = static_cast<int>(random() % 30);
        for (int i = 0; i < count; ++i) {
            PathRecord path = RandomPath(random);
            expected.push_back(path);
            paths.push_back(WithUnsavedState(path, random));
        }
        std::string fileName = TempPath("random.qlk");
        std::string message;
        ASSERT_TRUE(WriteDrawingFile(fileName, paths, count, settings, message)) << message;

        DrawingFileContents read = ReadDrawingOrFail(fileName);
        EXPECT_EQ(read.Settings, settings) << "round " << round;
        ASSERT_EQ(read.Paths.size(), expected.size());
        for (size_t i = 1; i < expected.size(); ++i) {
            ASSERT_EQ(read.Paths[i], expected[i]) << "round " << round << " path " << i;
        }

        int32_t originX = RandomInt32(random), originY = RandomInt32(random);
        ASSERT_TRUE(WriteClipFile(TempPath("random.qkclip"), paths, count, originX, originY, message)) << message;
        ClipFileContents clip = ReadClipOrFail(TempPath("random.qkclip"));
        EXPECT_EQ(clip.ClipOriginX, originX);
        EXPECT_EQ(clip.ClipOriginY, originY);
        EXPECT_EQ(clip.Paths, expected);
    }
}

TEST(DrawingFile, NamesThatWouldBreakALineAreWrittenWithoutTheBreakingCharacters)
{
    CanvasSettings settings;
    settings.BackgroundFile = "/tmp/my \"pic\"\r\nnew.png";
    std::string message;
    ASSERT_TRUE(WriteDrawingFile(TempPath("quote.qlk"), PathArray{PathRecord()}, 0, settings, message));
    DrawingFileContents read = ReadDrawingOrFail(TempPath("quote.qlk"));
    EXPECT_EQ(read.Settings.BackgroundFile, "/tmp/my picnew.png");
}

TEST(DrawingFile, AFailedWriteKeepsTheOldFileAndSaysSo)
{
    fs::path folder = testsupport::Home() / "write-fail";
    fs::create_directories(folder / "drawing.qlk" / "inside");
    std::string message;
    EXPECT_FALSE(WriteDrawingFile((folder / "drawing.qlk").string(), PathArray{PathRecord()}, 0, CanvasSettings(), message));
    EXPECT_NE(message.find("drawing.qlk"), std::string::npos) << message;
    EXPECT_TRUE(fs::is_directory(folder / "drawing.qlk" / "inside"));
    EXPECT_EQ(std::distance(fs::directory_iterator(folder), fs::directory_iterator()), 1) << "no temporary file is left";

    EXPECT_FALSE(WriteClipFile((folder / "no-such-folder" / "a.qkclip").string(), PathArray{PathRecord()}, 0, 0, 0, message));
    EXPECT_FALSE(message.empty());
}

// --- Bad files -----------------------------------------------------------------------------------

TEST(DrawingFile, BadFileGivesTheMessageAndChangesNothing)
{
    std::string fileName = TempPath("bad.qlk");
    WriteAll(fileName, "QLX030\r\n");
    DrawingFileContents contents;
    contents.Settings.Width = 999;
    contents.Paths.push_back(PathRecord());
    contents.Paths[1].LineWidth = 77;
    DrawingFileContents before = contents;
    std::string message, detail;
    EXPECT_FALSE(ReadDrawingFile(fileName, contents, message, &detail));
    EXPECT_EQ(message, "ファイル [" + fileName + "] は不正なQuillarkファイルです。");
    EXPECT_NE(detail.find("line 1"), std::string::npos) << detail;
    EXPECT_EQ(contents.Settings, before.Settings);
    EXPECT_EQ(contents.Paths, before.Paths);

    // A file that fails late (in its last anchor) leaves nothing half-read either.
    std::string bytes = ValidDrawingBytes();
    WriteAll(fileName, bytes.substr(0, bytes.rfind("0,100,200")) + "0,100,x\r\n");
    EXPECT_FALSE(ReadDrawingFile(fileName, contents, message, &detail));
    EXPECT_NE(detail.find("line 16"), std::string::npos) << detail;
    EXPECT_EQ(contents.Settings, before.Settings);
    EXPECT_EQ(contents.Paths, before.Paths);

    EXPECT_FALSE(ReadDrawingFile(TempPath("does-not-exist.qlk"), contents, message, &detail));
    EXPECT_NE(message.find("does-not-exist.qlk"), std::string::npos);
    EXPECT_EQ(contents.Settings, before.Settings);
}

TEST(ClipFile, BadFileGivesTheClipMessage)
{
    std::string fileName = TempPath("bad.qkclip");
    WriteAll(fileName, "QLK030\r\n");
    ClipFileContents contents;
    contents.ClipOriginX = 5;
    std::string message;
    EXPECT_FALSE(ReadClipFile(fileName, contents, message));
    EXPECT_EQ(message, "ファイル [bad.qkclip] は不正なQuillarkクリップファイルです。");
    EXPECT_EQ(contents.ClipOriginX, 5);
}

TEST(DrawingFile, MagicAndVersionAreChecked)
{
    std::string body = ValidDrawingBytes().substr(8);
    EXPECT_TRUE(ReadDrawingBytes("QLK030\r\n" + body));
    for (const char *magic : {"QLX030", "QLK040", "QLK", "QLK03", "qlk030", "QKCLIP030", "\"QLK030\"", ""}) {
        std::string detail;
        EXPECT_FALSE(ReadDrawingBytes(std::string(magic) + "\r\n" + body, &detail)) << magic;
        EXPECT_NE(detail.find("line 1"), std::string::npos) << magic << ": " << detail;
    }
    EXPECT_FALSE(ReadDrawingBytes("QLK020\r\n" + body)) << "a 030 body does not read as 020";
    EXPECT_FALSE(ReadClipBytes(ValidDrawingBytes())) << "a drawing is not a clip file";
    EXPECT_FALSE(ReadDrawingBytes(ReadAll(DataPath("clip_030.qkclip")))) << "a clip is not a drawing file";
}

TEST(DrawingFile, EmptyAndTruncatedFilesAreBad)
{
    EXPECT_FALSE(ReadDrawingBytes(""));
    std::string bytes = ValidDrawingBytes();
    ASSERT_TRUE(ReadDrawingBytes(bytes));
    // Every cut before the last anchor line is missing at least one value.
    size_t lastLine = bytes.rfind("0,100,200");
    for (size_t length = 0; length < lastLine + 4; ++length) {
        std::string detail;
        EXPECT_FALSE(ReadDrawingBytes(bytes.substr(0, length), &detail)) << "cut at " << length;
        EXPECT_FALSE(detail.empty());
    }
    EXPECT_TRUE(ReadDrawingBytes(bytes.substr(0, bytes.size() - 2))) << "the last line end may be missing";

    std::string clip = ReadAll(DataPath("clip_030.qkclip"));
    size_t clipLast = clip.rfind("0,100,100");
    for (size_t length = 0; length < clipLast + 4; ++length) {
        EXPECT_FALSE(ReadClipBytes(clip.substr(0, length))) << "cut at " << length;
    }
}

TEST(DrawingFile, ImpossibleCountsAreBadWithoutSizingAnything)
{
    const std::string head = "QLK030\r\n320,320,255,255,255,1,60,30,2\r\n0,\"\",0,0,1,128\r\n";
    const std::string fields = ",#FALSE#,20,1,-1,2,-1,0,0,0,1,1,-1,#FALSE#,0,#FALSE#,0\r\n";
    struct Case {
        std::string bytes;
        const char *why;
    } cases[] = {
        {head + "-1\r\n", "negative path count"},
        {head + "2147483647\r\n1" + fields + "0\r\n0,0,0\r\n0,0,0\r\n", "huge path count"},
        {head + "99999999999\r\n", "path count beyond 32 bits"},
        {head + "2\r\n1" + fields + "0\r\n0,0,0\r\n0,0,0\r\n", "one path missing"},
        {head + "1\r\n2000000000" + fields + "0\r\n0,0,0\r\n", "huge AnchorMax"},
        {head + "1\r\n2147483647" + fields + "0\r\n0,0,0\r\n", "AnchorMax at the limit"},
        {head + "1\r\n-5" + fields + "0\r\n", "negative AnchorMax"},
        {head + "1\r\n2" + fields + "0\r\n0,0,0\r\n0,0,0\r\n", "one anchor missing"},
        {head + "1\r\n1" + fields + "1000000000\r\n0,0\r\n0,0,0\r\n0,0,0\r\n", "huge stop count"},
        {head + "1\r\n1" + fields + "-1\r\n0,0,0\r\n0,0,0\r\n", "negative stop count"},
        {head + "1\r\n1" + fields + "3\r\n0,0\r\n0,0,0\r\n0,0,0\r\n", "stop lines missing"},
    };
    for (const Case &c : cases) {
        std::string detail;
        EXPECT_FALSE(ReadDrawingBytes(c.bytes, &detail)) << c.why;
        EXPECT_FALSE(detail.empty()) << c.why;
    }
    EXPECT_TRUE(ReadDrawingBytes(head + "1\r\n1" + fields + "1\r\n0,0\r\n0,0,0\r\n0,0,0\r\n"));

    EXPECT_FALSE(ReadClipBytes("QKCLIP030\r\n2147483647,0,0\r\n"));
    EXPECT_FALSE(ReadClipBytes("QKCLIP030\r\n-1,0,0\r\n"));
    EXPECT_TRUE(ReadClipBytes("QKCLIP030\r\n0,0,0\r\n"));
}

TEST(DrawingFile, ValuesOutsideTheirFieldsAreBad)
{
    const std::string head = "QLK030\r\n320,320,255,255,255,1,60,30,2\r\n0,\"\",0,0,1,128\r\n1\r\n";
    auto withPath = [&head](const std::string &field, const std::string &rest) { return head + field + rest; };
    const std::string good = "1,#FALSE#,20,1,-1,2,-1,0,0,0,1,1,-1,#FALSE#,0,#FALSE#,0\r\n";
    EXPECT_TRUE(ReadDrawingBytes(withPath(good, "0\r\n0,0,0\r\n1,0,0\r\n")));
    EXPECT_FALSE(ReadDrawingBytes(withPath(good, "0\r\n0,0,0\r\n2,0,0\r\n"))) << "AnchorKind 2";
    EXPECT_FALSE(ReadDrawingBytes(withPath(good, "0\r\n0,0,0\r\n0,2147483648,0\r\n"))) << "X beyond 32 bits";
    EXPECT_FALSE(ReadDrawingBytes(withPath("1,#FALSE#,20,1,-1,7,-1,0,0,0,1,1,-1,#FALSE#,0,#FALSE#,0\r\n",
                                           "0\r\n0,0,0\r\n0,0,0\r\n"))) << "FillType 7";
    EXPECT_FALSE(ReadDrawingBytes(withPath("1,#FALSE#,20,32768,-1,0,-1,0,0,0,1,1,-1,#FALSE#,0,#FALSE#,0\r\n",
                                           "0\r\n0,0,0\r\n0,0,0\r\n"))) << "LineMode beyond 16 bits";
    EXPECT_FALSE(ReadDrawingBytes(withPath("1,#FALSE#,20,1,-1,0,-1,0,0,1E+39,1,1,-1,#FALSE#,0,#FALSE#,0\r\n",
                                           "0\r\n0,0,0\r\n0,0,0\r\n"))) << "GradAngle beyond a single";
    EXPECT_FALSE(ReadDrawingBytes(withPath(good, "1\r\n256,0\r\n0,0,0\r\n0,0,0\r\n"))) << "StopPos 256";
    EXPECT_FALSE(ReadDrawingBytes("QLK030\r\n320,320,256,255,255,1,60,30,2\r\n0,\"\",0,0,1,128\r\n0\r\n")) << "BackColorR";
    EXPECT_FALSE(ReadDrawingBytes("QLK030\r\n320,320,255,255,255,40000,60,30,2\r\n0,\"\",0,0,1,128\r\n0\r\n"))
        << "OptimizeFlag";
    EXPECT_FALSE(ReadDrawingBytes("QLK030\r\n320,320,255,255,255,1,60,30,2\r\n0,\"open,0,0,1,128\r\n0\r\n"))
        << "unterminated string";
    // The writer leaves quotes out of names, so a name with a stray quote could not be saved as read.
    EXPECT_FALSE(ReadDrawingBytes("QLK030\r\n320,320,255,255,255,1,60,30,2\r\n0,a\"b,0,0,1,128\r\n0\r\n"))
        << "stray quote in an unquoted string";
}
