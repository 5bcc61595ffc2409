// The value format shared by drawing, clip and brush files: reading every form, writing the
// files' form, and the path block and settings lines built on them.
#include "core/drawing_file.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <cstring>
#include <random>

using namespace core;

namespace {

template <typename T, typename Read>
T ReadOne(std::string_view text, Read read, bool expectOk = true)
{
    FieldReader file(text);
    T value{};
    EXPECT_EQ((file.*read)(value), expectOk) << "text: " << text << " error: " << file.Error();
    return value;
}

bool Reads32(std::string_view text, int32_t expected)
{
    FieldReader file(text);
    int32_t value = 0;
    return file.ReadInt32(value) && value == expected;
}

bool Rejects32(std::string_view text)
{
    FieldReader file(text);
    int32_t value = 0;
    return !file.ReadInt32(value) && file.Failed();
}

}  // namespace

TEST(FieldReader, CommasAndLineEndsSeparateValuesAlike)
{
    FieldReader file("1,2\r\n3\n4\r5 ,  6\t,\"a, b\" , #TRUE#,#false#\r\n\"\"");
    int32_t values[6] = {};
    for (int32_t &v : values) {
        ASSERT_TRUE(file.ReadInt32(v)) << file.Error();
    }
    EXPECT_EQ((std::vector<int32_t>(values, values + 6)), (std::vector<int32_t>{1, 2, 3, 4, 5, 6}));
    std::string text;
    bool flag = false;
    ASSERT_TRUE(file.ReadString(text));
    EXPECT_EQ(text, "a, b");
    ASSERT_TRUE(file.ReadBool(flag));
    EXPECT_TRUE(flag);
    ASSERT_TRUE(file.ReadBool(flag));
    EXPECT_FALSE(flag);
    ASSERT_TRUE(file.ReadString(text));
    EXPECT_EQ(text, "");
    EXPECT_EQ(file.BytesLeft(), 0u);
    EXPECT_FALSE(file.ReadString(text)) << "nothing is left";
    EXPECT_NE(file.Error().find("ends early"), std::string::npos) << file.Error();
}

TEST(FieldReader, WholeNumbersInEveryForm)
{
    EXPECT_TRUE(Reads32("-2147483648", INT32_MIN));
    EXPECT_TRUE(Reads32("2147483647", INT32_MAX));
    EXPECT_TRUE(Reads32("+17", 17));
    EXPECT_TRUE(Reads32("  0042  ", 42));
    EXPECT_TRUE(Reads32("1.5E+3", 1500));
    EXPECT_TRUE(Reads32("1D2", 100));
    EXPECT_TRUE(Reads32("&H1F", 31));
    EXPECT_TRUE(Reads32("&O17", 15));
    EXPECT_TRUE(Reads32("2.5", 2)) << "halves go to even";
    EXPECT_TRUE(Reads32("3.5", 4));
    EXPECT_TRUE(Reads32("-.5", 0));
    EXPECT_TRUE(Reads32("2147483647.4", INT32_MAX));
    EXPECT_TRUE(Reads32("-16777216", -16777216));

    EXPECT_TRUE(Rejects32("2147483648"));
    EXPECT_TRUE(Rejects32("-2147483649"));
    EXPECT_TRUE(Rejects32("2147483647.5")) << "rounds out of range";
    EXPECT_TRUE(Rejects32("99999999999999999999999"));
    EXPECT_TRUE(Rejects32("1E+400"));
    EXPECT_TRUE(Rejects32(""));
    EXPECT_TRUE(Rejects32(",5"));
    EXPECT_TRUE(Rejects32("abc"));
    EXPECT_TRUE(Rejects32("12abc"));
    EXPECT_TRUE(Rejects32("1 2"));
    EXPECT_TRUE(Rejects32("\"5\""));
    EXPECT_TRUE(Rejects32("#TRUE#"));
    EXPECT_TRUE(Rejects32("1E"));
    EXPECT_TRUE(Rejects32("&H"));
    EXPECT_TRUE(Rejects32("&HFG"));
    EXPECT_TRUE(Rejects32("0x10"));
    EXPECT_TRUE(Rejects32("-"));
    EXPECT_TRUE(Rejects32("."));
}

TEST(FieldReader, NarrowFieldsAreRangeChecked)
{
    EXPECT_EQ(ReadOne<int16_t>("-32768", &FieldReader::ReadInt16), -32768);
    EXPECT_EQ(ReadOne<int16_t>("32767", &FieldReader::ReadInt16), 32767);
    ReadOne<int16_t>("32768", &FieldReader::ReadInt16, false);
    ReadOne<int16_t>("-32769", &FieldReader::ReadInt16, false);
    EXPECT_EQ(ReadOne<uint8_t>("255", &FieldReader::ReadByte), 255);
    EXPECT_EQ(ReadOne<uint8_t>("0", &FieldReader::ReadByte), 0);
    ReadOne<uint8_t>("256", &FieldReader::ReadByte, false);
    ReadOne<uint8_t>("-1", &FieldReader::ReadByte, false);
    EXPECT_EQ(ReadOne<Color>("-1", &FieldReader::ReadColor), 0xFFFFFFFFu);
    EXPECT_EQ(ReadOne<Color>("-16777216", &FieldReader::ReadColor), 0xFF000000u);
    ReadOne<Color>("4294967295", &FieldReader::ReadColor, false);

    FieldReader file("0,1,2");
    int16_t kind = 0;
    EXPECT_TRUE(file.ReadInt16InRange(kind, 0, 1));
    EXPECT_TRUE(file.ReadInt16InRange(kind, 0, 1));
    EXPECT_FALSE(file.ReadInt16InRange(kind, 0, 1));
}

TEST(FieldReader, SinglesInEveryForm)
{
    auto single = [](std::string_view text) { return ReadOne<float>(text, &FieldReader::ReadSingle); };
    EXPECT_EQ(single(".5"), 0.5f);
    EXPECT_EQ(single("-.5"), -0.5f);
    EXPECT_EQ(single("0.5"), 0.5f);
    EXPECT_EQ(single("+2"), 2.0f);
    EXPECT_EQ(single("1.5E+20"), 1.5e20f);
    EXPECT_EQ(single("1.5e20"), 1.5e20f);
    EXPECT_EQ(single("3.051758E-02"), 3.051758e-2f);
    EXPECT_EQ(single(".030517578"), 1000.0f / 32768.0f);
    EXPECT_EQ(single("1D2"), 100.0f);
    EXPECT_EQ(single("&H10"), 16.0f);
    EXPECT_EQ(single("3.4028235E+38"), FLT_MAX);
    EXPECT_EQ(single("1E-50"), 0.0f) << "below the smallest single";
    ReadOne<float>("1E+39", &FieldReader::ReadSingle, false);
    ReadOne<float>("inf", &FieldReader::ReadSingle, false);
    ReadOne<float>("nan", &FieldReader::ReadSingle, false);
    ReadOne<float>("0x1p3", &FieldReader::ReadSingle, false);
    ReadOne<float>("\"1\"", &FieldReader::ReadSingle, false);
}

TEST(FieldReader, BooleansAndStrings)
{
    auto boolean = [](std::string_view text, bool ok = true) { return ReadOne<bool>(text, &FieldReader::ReadBool, ok); };
    EXPECT_TRUE(boolean("#TRUE#"));
    EXPECT_FALSE(boolean("#FALSE#"));
    EXPECT_TRUE(boolean(" #True# "));
    EXPECT_TRUE(boolean("-1")) << "a Boolean stored as a number";
    EXPECT_FALSE(boolean("0"));
    boolean("TRUE", false);
    boolean("\"#TRUE#\"", false);
    boolean("", false);

    auto text = [](std::string_view file, bool ok = true) { return ReadOne<std::string>(file, &FieldReader::ReadString, ok); };
    EXPECT_EQ(text("\"C:\\a, b\\c.png\""), "C:\\a, b\\c.png");
    EXPECT_EQ(text("  \"  padded \"  "), "  padded ");
    EXPECT_EQ(text("bare text ,next"), "bare text");
    EXPECT_EQ(text("\"日本語\""), "日本語");
    text("\"no end", false);
    text("\"broken\r\nline\"", false);
    text("\"a\"b", false);
}

TEST(FieldReader, TheFirstFailureStaysWithItsLineNumber)
{
    FieldReader file("1,2\r\n3,x,4\r\n5");
    int32_t v = 0;
    EXPECT_TRUE(file.ReadInt32(v));
    EXPECT_TRUE(file.ReadInt32(v));
    EXPECT_TRUE(file.ReadInt32(v));
    EXPECT_FALSE(file.ReadInt32(v));
    EXPECT_EQ(file.Error(), "line 2: \"x\" is not a number");
    EXPECT_FALSE(file.ReadInt32(v)) << "every later read fails too";
    EXPECT_EQ(file.Error(), "line 2: \"x\" is not a number");
}

TEST(FieldWriter, WritesTheFilesForms)
{
    FieldWriter file;
    file.BareLine("QLK030");
    file.WriteInt(-5).WriteInt(0).WriteBool(true).WriteBool(false).WriteSingle(0.5f).WriteSingle(-1.5e20f).EndLine();
    file.WriteColor(0xFF000000u).WriteColor(0x00FFFFFFu).WriteString("a, b").EndLine();
    file.WriteString("x\"y\r\nz").WriteString("日本").WriteString("").EndLine();
    EXPECT_EQ(file.Bytes(), "QLK030\r\n"
                            "-5,0,#TRUE#,#FALSE#,.5,-1.5E+20\r\n"
                            "-16777216,16777215,\"a, b\"\r\n"
                            "\"xyz\",\"\x93\xfa\x96\x7b\",\"\"\r\n");
}

TEST(PathBlock, WritesVersion030ExactlyAndClampsStopsByFillType)
{
    PathRecord path;
    path.Anchors = {{0, 0, kOnCurve}, {1000, -20, kControlPoint}};
    path.blClosed = true;
    path.LineWidth = 20;
    path.LineMode = 1;
    path.LineColor = 0xFF000000u;
    path.FillType = kFillReflected;
    path.FillColor = 0xFF00FFFFu;
    path.GradCenterX = 500;
    path.GradCenterY = -500;
    path.GradAngle = 45.5f;
    path.GradRatioX = 1000.0f / 32768.0f;
    path.GradRatioY = 0.25f;
    path.GradColor = 0xFFFFFFFFu;
    path.blGroup = true;
    path.GroupID = 3;
    path.CompoundID = 4;
    path.SetStopCount(5);
    for (int32_t i = 1; i <= 5; ++i) {
        path.Stops[static_cast<size_t>(i)] = GradStop{0xFF0000FFu, i * 40};
    }
    path.blSelected = true;
    path.DispFlags = kDispHidden | kDispLocked;

    FieldWriter file;
    WritePathRecord(path, file);
    EXPECT_EQ(file.Bytes(), "1,#TRUE#,20,1,-16777216,3,-16711681,500,-500,45.5,.030517578,.25,-1,#TRUE#,3,#FALSE#,4\r\n"
                            "2\r\n"
                            "40,-16776961\r\n"
                            "80,-16776961\r\n"
                            "0,0,0\r\n"
                            "1,1000,-20\r\n");

    auto writtenStops = [&path](int16_t fillType, int32_t stops) {
        path.FillType = fillType;
        path.SetStopCount(stops);
        FieldWriter out;
        WritePathRecord(path, out);
        FieldReader in(out.Bytes());
        PathRecord back;
        EXPECT_TRUE(ReadPathRecord(in, "030", back)) << in.Error();
        return back.StopCount();
    };
    EXPECT_EQ(writtenStops(kFillSolid, 3), 0);
    EXPECT_EQ(writtenStops(kFillNone, 3), 0);
    EXPECT_EQ(writtenStops(kFillRadial, 7), 6);
    EXPECT_EQ(writtenStops(kFillLinear, 6), 6);
    EXPECT_EQ(writtenStops(kFillReflected, 1), 1);
}

TEST(PathBlock, NeverWritesValuesItsReaderRejects)
{
    PathRecord path;
    path.Anchors = {{1, 2, kAnchorDeleted}, {3, 4, 2}, {5, 6, kControlPoint}};
    path.FillType = 9;
    path.SetStopCount(2);
    path.Stops[1].StopPos = 300;
    path.Stops[2].StopPos = -3;
    FieldWriter file;
    WritePathRecord(path, file);
    FieldReader in(file.Bytes());
    PathRecord back;
    ASSERT_TRUE(ReadPathRecord(in, "030", back)) << in.Error();
    EXPECT_EQ(back.FillType, kFillNone);
    EXPECT_EQ(back.Anchors[0].AnchorKind, kOnCurve);
    EXPECT_EQ(back.Anchors[1].AnchorKind, kOnCurve);
    EXPECT_EQ(back.Anchors[2].AnchorKind, kControlPoint);

    path.FillType = kFillLinear;
    FieldWriter withStops;
    WritePathRecord(path, withStops);
    FieldReader stopsIn(withStops.Bytes());
    ASSERT_TRUE(ReadPathRecord(stopsIn, "030", back)) << stopsIn.Error();
    EXPECT_EQ(back.Stops[1].StopPos, 255);
    EXPECT_EQ(back.Stops[2].StopPos, 0);
}

TEST(SettingsLines, WrittenExactlyAndReadIntoTheirFieldsOnly)
{
    CanvasSettings settings;
    settings.Width = 640;
    settings.Height = 480;
    settings.BackColorG = 128;
    settings.BackColorB = 0;
    settings.OptimizeFlag = 3;
    settings.Quality = 1;
    settings.BackgroundFlag = 1;
    settings.BackgroundFile = "/home/画像/a,b.png";
    settings.BackgroundX = 10;
    settings.BackgroundY = -20;
    settings.BackgroundScale = 0.5f;
    settings.BackgroundOpacity = 200;
    settings.HistoryMax = 99;

    FieldWriter file;
    WriteSettingsLines(settings, file);
    EXPECT_EQ(file.Bytes(), "QLK030\r\n640,480,255,128,0,3,60,30,1\r\n1,\"/home/\x89\xe6\x91\x9c/a,b.png\",10,-20,.5,200\r\n");

    CanvasSettings target;
    target.HistoryMax = 7;
    target.GridWidth = 123;
    target.FloodChink = 1.5f;
    const std::string settingsLines = file.Bytes().substr(8);
    FieldReader in(settingsLines);
    ASSERT_TRUE(ReadSettingsLines(in, "030", target)) << in.Error();
    CanvasSettings expected = settings;
    expected.BackgroundFile = "/home/\x89\xe6\x91\x9c/a,b.png";  // the reader takes decoded text
    expected.HistoryMax = 7;
    expected.GridWidth = 123;
    expected.FloodChink = 1.5f;
    EXPECT_EQ(target, expected);

    CanvasSettings untouched = target;
    FieldReader bad("640,480,256,0,0,1,60,30,2\r\n0,\"\",0,0,1,128\r\n");
    EXPECT_FALSE(ReadSettingsLines(bad, "030", target));
    EXPECT_EQ(target, untouched);
}

TEST(FieldReader, EveryWrittenSingleReadsBackExactly)
{
    std::mt19937 random(11);
    FieldWriter file;
    std::vector<float> written;
    for (int i = 0; i < 20000; ++i) {
        uint32_t bits = static_cast<uint32_t>(random());
        if (i % 4 == 0) {
            bits &= 0x807FFFFFu;  // subnormals
        }
        float value;
        std::memcpy(&value, &bits, sizeof value);
        if (!std::isfinite(value)) {
            continue;
        }
        written.push_back(value);
        file.WriteSingle(value);
        if (i % 7 == 0) {
            file.EndLine();
        }
    }
    FieldReader in(file.Bytes());
    for (float expected : written) {
        float value = 1;
        ASSERT_TRUE(in.ReadSingle(value)) << in.Error();
        ASSERT_EQ(value, expected) << expected;
    }
}
