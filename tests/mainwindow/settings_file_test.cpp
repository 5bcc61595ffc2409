#include "mainwindow/settings_file.h"
#include "mainwindow/user_color_file.h"

#include "platform/base/program_folder.h"
#include "platform/base/text_encoding.h"
#include "tests/support/test_support.h"

#include <cstdio>
#include <QRect>
#include <gtest/gtest.h>

using namespace mainwindow;
using platform::ProfileFile;
using testsupport::ReadAll;
using testsupport::TempPath;
using testsupport::WriteAll;

namespace {

// A settings file written from nothing with every value at its default.
const char *const kGoldenSettings =
    "[Quillark]\r\nWindowState=0\r\nLeft=1500\r\nTop=750\r\nWidth=12000\r\nHeight=9000.5\r\n"
    "NotResizeAnchorMark=0\r\nNotChangeCursor=0\r\nNotAnchorSelect=0\r\nNotReturnSelectMode=0\r\n"
    "NotSnapInvisibleGrid=0\r\nUseVerticalFont=0\r\nDropQLKasClip=0\r\nUseDefaultOpen=0\r\nUseToolIcons=1\r\n"
    "MostRecentUsedFiles1=C:\\図面\\a.qlk\r\nMostRecentUsedFiles2=\r\nMostRecentUsedFiles3=\r\n"
    "MostRecentUsedFiles4=\r\nMostRecentUsedFiles5=\r\nHistoryMax=20\r\n"
    "[PathToolBox]\r\nVisible=0\r\nLeft=9000\r\nTop=1500\r\nWidth=4200\r\nHeight=6000\r\nSplitter=150\r\n"
    "[FolderToolBox]\r\nVisible=0\r\nLeft=9000\r\nTop=1500\r\nWidth=4800\r\nHeight=7200\r\nSplitter=200\r\n"
    "Directory=\r\n"
    "[BrushToolBox]\r\nVisible=0\r\nLeft=9000\r\nTop=7500\r\nWidth=4800\r\nHeight=1800\r\n"
    "[GradientToolBox]\r\nVisible=0\r\nLeft=9000\r\nTop=4500\r\n"
    "[PositionToolBox]\r\nVisible=0\r\nLeft=9000\r\nTop=3000\r\n"
    "[PreviewWindow]\r\nLeft=1500\r\nTop=1500\r\nPreviewFPS=12\r\nPreviewMorphFrame=20\r\n"
    "[Canvas]\r\nWidth=320\r\nHeight=320\r\nBackColorR=255\r\nBackColorG=255\r\nBackColorB=255\r\n"
    "OptimizeFlag=1\r\nOptimizePoint=60\r\nOptimizeLine=30\r\nQuality=2\r\nAutoConvertFlag=0\r\n"
    "AutoConvertValue=0\r\nGridWidth=400\r\nGridHeight=400\r\nGridPower=85\r\nFloodQuality=0\r\n"
    "FloodAccuracy=2\r\nFloodChink=7\r\nFloodAcute=30\r\nDrawOutsideFlag=1\r\nScrollMargin=64\r\n";

SettingsExtras ExampleExtras()
{
    SettingsExtras extras;
    extras.Window = WindowPlacementTwips{0, 1500, 750, 12000, 9000.5f};
    extras.RecentFiles[0] = "C:\\図面\\a.qlk";
    return extras;
}

}  // namespace

TEST(SettingsFile, WrittenFromNothingInTheFilesKeyOrder)
{
    std::string path = TempPath("golden.ini");
    ProfileFile file(path);
    WriteSettings(file, ExampleExtras(), MainState(), core::CanvasSettings());
    ASSERT_TRUE(file.Save());
    EXPECT_EQ(platform::Cp932ToUtf8(ReadAll(path)), kGoldenSettings);
}

TEST(SettingsFile, RoundTripKeepsValuesAndUnknownKeysInPlace)
{
    std::string path = TempPath("roundtrip.ini");
    WriteAll(path, "[Quillark]\r\nWindowState=2\r\nMyOwnKey=keep me\r\n[Canvas]\r\nWidth=640\r\n");
    MainState state;
    state.NotChangeCursor = 1;
    state.UseToolIcons = 0;
    state.BrushToolBoxVisible = 1;
    state.BrowserFolder = "/home/user/絵";
    state.PreviewFPS = 12.5f;
    core::CanvasSettings settings;
    settings.Width = 800;
    settings.FloodChink = 0.1f;
    settings.HistoryMax = 50;
    {
        ProfileFile file(path);
        WriteSettings(file, ExampleExtras(), state, settings);
        ASSERT_TRUE(file.Save());
    }
    std::string text = platform::Cp932ToUtf8(ReadAll(path));
    EXPECT_EQ(text.find("[Quillark]\r\nWindowState=0\r\nMyOwnKey=keep me\r\nLeft=1500\r\n"), 0u) << text;
    EXPECT_NE(text.find("[Canvas]\r\nWidth=800\r\nHeight=320\r\n"), std::string::npos);
    EXPECT_NE(text.find("FloodChink=0.1\r\n"), std::string::npos);
    EXPECT_NE(text.find("PreviewFPS=12.5\r\n"), std::string::npos);

    SettingsExtras readExtras;
    MainState readState;
    core::CanvasSettings readSettings;
    readSettings.BackgroundFlag = 1;
    readSettings.BackgroundFile = "under.png";
    ReadSettings(ProfileFile(path), readExtras, readState, readSettings, QRect(0, 0, 1920, 1080));
    EXPECT_EQ(readExtras.Window.Height, 9000.5f);
    EXPECT_EQ(readExtras.RecentFiles[0], "C:\\図面\\a.qlk");
    EXPECT_EQ(readExtras.RecentFiles[1], "");
    EXPECT_EQ(readState.NotChangeCursor, 1);
    EXPECT_EQ(readState.UseToolIcons, 0);
    EXPECT_EQ(readState.BrushToolBoxVisible, 1);
    EXPECT_EQ(readState.BrowserFolder, "/home/user/絵");
    EXPECT_EQ(readState.PreviewFPS, 12.5f);
    EXPECT_EQ(readSettings.Width, 800);
    EXPECT_EQ(readSettings.FloodChink, 0.1f);
    EXPECT_EQ(readSettings.HistoryMax, 50);
    EXPECT_EQ(readSettings.BackgroundFlag, 0);  // the underlay never comes from the settings file
    EXPECT_EQ(readSettings.BackgroundFile, "");
}

// The words for infinite values and not-a-number read as what they name: an infinite size is
// clamped to the largest canvas, not read as 0; a not-a-number keeps the default.
TEST(SettingsFile, InfiniteAndNotANumberWordsAreClampedOrKeepTheDefault)
{
    std::string path = TempPath("default_words.dat");
    WriteAll(path, "[Canvas]\r\nHeight=inf\r\nWidth= -Infinity \r\nFloodAccuracy=nan\r\nFloodChink=INF\r\n"
                   "GridWidth=NaN\r\nOptimizePoint=infinite\r\n");
    core::CanvasSettings settings;
    LoadPreferenceSub(path, settings);
    const core::CanvasSettings defaults;
    EXPECT_EQ(settings.Height, core::kMaxCanvasPixels);
    EXPECT_EQ(settings.Width, core::kMinCanvasPixels);
    EXPECT_EQ(settings.FloodAccuracy, defaults.FloodAccuracy);
    EXPECT_EQ(settings.FloodChink, defaults.FloodChink);
    EXPECT_EQ(settings.GridWidth, defaults.GridWidth);
    EXPECT_EQ(settings.OptimizePoint, 0) << "a word that is no number reads as 0, as before";
}

TEST(SettingsFile, MissingKeysGiveDefaultsAndBadValuesAreKeptUsable)
{
    std::string path = TempPath("bad.ini");
    WriteAll(path,
             "[Canvas]\r\nGridWidth=abc\r\nQuality=9\r\nWidth=99999\r\nHeight=-5\r\nOptimizePoint=1000\r\n"
             "FloodQuality=-1\r\nBackColorR=300\r\nAutoConvertValue=7\r\n"
             "[Quillark]\r\nHistoryMax=0\r\nWindowState=7\r\nLeft=&H10\r\n"
             "[PreviewWindow]\r\nPreviewFPS=0\r\nPreviewMorphFrame=1\r\n");
    SettingsExtras extras;
    extras.Window.Top = 42;  // the window's current value stands for a missing key
    MainState state;
    state.PathToolBoxLeft = 777;
    core::CanvasSettings settings;
    ReadSettings(ProfileFile(path), extras, state, settings);
    EXPECT_EQ(settings.GridWidth, 1);  // not a number: 0, kept to at least one twip
    EXPECT_EQ(settings.Quality, 3);
    EXPECT_EQ(settings.Width, core::kMaxCanvasPixels);
    EXPECT_EQ(settings.Height, 1);
    EXPECT_EQ(settings.OptimizePoint, 400);
    EXPECT_EQ(settings.FloodQuality, 0);
    EXPECT_EQ(settings.BackColorR, 255);
    EXPECT_EQ(settings.AutoConvertValue, 3);
    EXPECT_EQ(settings.GridHeight, 400);
    EXPECT_EQ(settings.HistoryMax, 1);
    EXPECT_EQ(extras.Window.WindowState, 2);
    EXPECT_EQ(extras.Window.Left, 16.0f);
    EXPECT_EQ(extras.Window.Top, 42.0f);
    EXPECT_EQ(state.PathToolBoxLeft, 777);
    EXPECT_EQ(state.PathToolBoxVisible, 0);
    EXPECT_EQ(state.UseToolIcons, 1);
    EXPECT_EQ(state.PreviewFPS, 1.0f);
    EXPECT_EQ(state.PreviewMorphFrame, 2);
}

// Damaged or hand-edited placements must never size a window beyond the screen or put it out of
// reach: every frame is brought inside the work area as it is read.
// Canvas sizes past the movie's 1638-pixel frame are written and read back as they are, up to the
// largest canvas; beyond it they read as that.
TEST(SettingsFile, LargeCanvasSizesRoundTrip)
{
    struct Case {
        int32_t width, height;
        const char *written;
        int32_t readWidth, readHeight;
    };
    const Case cases[] = {
        {1639, 1638, "Width=1639\r\nHeight=1638\r\n", 1639, 1638},
        {2000, 1800, "Width=2000\r\nHeight=1800\r\n", 2000, 1800},
        {core::kMaxCanvasPixels, 3000, "Width=3276\r\nHeight=3000\r\n", 3276, 3000},
        {core::kMaxCanvasPixels + 1, 40000, "Width=3277\r\nHeight=40000\r\n", 3276, 3276},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.written);
        std::string path = TempPath("large.ini");
        std::remove(path.c_str());
        core::CanvasSettings settings;
        settings.Width = c.width;
        settings.Height = c.height;
        {
            ProfileFile file(path);
            SavePreferenceSub(file, settings);
            ASSERT_TRUE(file.Save());
        }
        EXPECT_NE(platform::Cp932ToUtf8(ReadAll(path)).find(c.written), std::string::npos);
        core::CanvasSettings read;
        LoadPreferenceSub(ProfileFile(path), read);
        EXPECT_EQ(read.Width, c.readWidth);
        EXPECT_EQ(read.Height, c.readHeight);
    }
}

TEST(SettingsFile, PlacementsAreKeptInsideTheWorkArea)
{
    std::string path = TempPath("far.ini");
    WriteAll(path,
             "[Quillark]\r\nWindowState=0\r\nLeft=-1e30\r\nTop=1e30\r\nWidth=1e30\r\nHeight=2147483647\r\n"
             "[PathToolBox]\r\nVisible=1\r\nLeft=2147483647\r\nTop=-2147483648\r\nWidth=2147483647\r\n"
             "Height=2147483647\r\nSplitter=2147483647\r\n"
             "[FolderToolBox]\r\nLeft=3000\r\nTop=1500\r\nWidth=4800\r\nHeight=7200\r\nSplitter=-9\r\n"
             "[BrushToolBox]\r\nLeft=15000\r\nTop=1e300\r\nWidth=4800\r\nHeight=1800\r\n"
             "[GradientToolBox]\r\nLeft=99999999\r\nTop=-99999999\r\n"
             "[PreviewWindow]\r\nLeft=1e300\r\nTop=abc\r\n");
    const QRect area(0, 30, 1024, 738);  // twips 0, 450, 15360 x 11070
    SettingsExtras extras;
    MainState state;
    core::CanvasSettings settings;
    ReadSettings(ProfileFile(path), extras, state, settings, area);

    EXPECT_EQ(extras.Window.Left, 0.0f);
    EXPECT_EQ(extras.Window.Top, 450.0f);
    EXPECT_EQ(extras.Window.Width, 15360.0f);
    EXPECT_EQ(extras.Window.Height, 11070.0f);
    EXPECT_EQ(state.PathToolBoxLeft, 0);
    EXPECT_EQ(state.PathToolBoxTop, 450);
    EXPECT_EQ(state.PathToolBoxWidth, 15360);
    EXPECT_EQ(state.PathToolBoxHeight, 11070);
    EXPECT_EQ(state.PathToolBoxSplitter, 738);
    // A frame already inside stays exactly as stored.
    EXPECT_EQ(state.FolderToolBoxLeft, 3000);
    EXPECT_EQ(state.FolderToolBoxTop, 1500);
    EXPECT_EQ(state.FolderToolBoxWidth, 4800);
    EXPECT_EQ(state.FolderToolBoxHeight, 7200);
    EXPECT_EQ(state.FolderToolBoxSplitter, 0);
    EXPECT_EQ(state.BrushToolBoxLeft, 15360 - 4800);
    EXPECT_EQ(state.BrushToolBoxTop, 11520 - 1800);
    // Windows of their own size keep at least a pixel on the screen.
    EXPECT_EQ(state.GradientToolBoxLeft, 15360 - 15);
    EXPECT_EQ(state.GradientToolBoxTop, 450);
    EXPECT_EQ(state.PreviewWindowLeft, 15360 - 15);
    EXPECT_EQ(state.PreviewWindowTop, 450);
}

TEST(SettingsFile, DefaultCanvasFileHoldsOnlyTheCanvasSection)
{
    std::string path = TempPath("default.dat");
    core::CanvasSettings settings;
    settings.Width = 500;
    settings.ScrollMargin = 10;
    ASSERT_TRUE(SavePreferenceSub(path, settings));
    std::string text = ReadAll(path);
    EXPECT_EQ(text.find("[Canvas]\r\nWidth=500\r\n"), 0u);
    EXPECT_EQ(text.find("[Quillark]"), std::string::npos);
    core::CanvasSettings read;
    LoadPreferenceSub(path, read);
    EXPECT_EQ(read.Width, 500);
    EXPECT_EQ(read.ScrollMargin, 10);
}

TEST(UserColorFile, RowsAreBlueGreenRedHexWithCrLf)
{
    UserColorTable table(6, UserColorRow{0xFFFFFF, 0xFFFFFF, 0xFFFFFF, 0xFFFFFF, 0xFFFFFF, 0xFFFFFF});
    table[0][0] = 0x0000FF;  // red
    table[0][1] = 0x123456;
    std::string text = UserColorFileText(table);
    EXPECT_EQ(text.substr(0, 43), "0000FF,123456,FFFFFF,FFFFFF,FFFFFF,FFFFFF\r\n");
    EXPECT_EQ(text.size(), 6u * 43u);
    std::string path = TempPath("colors.dat");
    ASSERT_TRUE(SaveUserColorFile(path, table));
    UserColorTable read;
    LoadUserColorFile(path, read);
    EXPECT_EQ(read, table);
}

TEST(UserColorFile, SevenLinesGiveTwelveRowsAndTheLastFiveBlack)
{
    std::string path = TempPath("seven.dat");
    std::string text;
    for (int i = 0; i < 7; ++i) {
        text += "0000FF,00FF00,FF0000,FFFFFF,000000,0A0B0C\r\n";
    }
    WriteAll(path, text);
    UserColorTable table;
    LoadUserColorFile(path, table);
    ASSERT_EQ(table.size(), 12u);
    EXPECT_EQ(table[6][0], 0x0000FFu);  // the last two digits are red
    EXPECT_EQ(table[6][1], 0x00FF00u);
    EXPECT_EQ(table[6][2], 0xFF0000u);
    EXPECT_EQ(table[6][5], 0x0A0B0Cu);
    for (size_t row = 7; row < 12; ++row) {
        EXPECT_EQ(table[row], UserColorRow{}) << row;
    }
}

TEST(UserColorFile, EmptyFileGivesBlackAndDamagedFilesFallBack)
{
    std::string programFile = platform::ProgramFile(kUserColorFileName);
    WriteAll(programFile, "");
    UserColorTable table;
    LoadUserColorFile(programFile, table);
    ASSERT_EQ(table.size(), 6u);
    EXPECT_EQ(table[5], UserColorRow{});

    // A damaged file of another name gives the program folder's usercolor.dat.
    WriteAll(programFile, "111111,222222,333333,444444,555555,666666\r\n");
    std::string damaged = TempPath("damaged.dat");
    WriteAll(damaged, "0000FF,00FF00\r\n");
    LoadUserColorFile(damaged, table);
    EXPECT_EQ(table[0][0], 0x111111u);

    // A damaged or missing usercolor.dat gives one set of white.
    WriteAll(programFile, "0000FF,00FF00\r\n");
    LoadUserColorFile(programFile, table);
    ASSERT_EQ(table.size(), 6u);
    EXPECT_EQ(table[3][4], 0xFFFFFFu);
    std::remove(programFile.c_str());
    LoadUserColorFile(TempPath("missing.dat"), table);
    EXPECT_EQ(table[0][0], 0xFFFFFFu);
}

// Rows cost memory and menu items: a file of more rows than the table keeps is read up to there.
TEST(UserColorFile, RowsBeyondTheMostKeptAreLeftOut)
{
    const std::string row = "0000FF,00FF00,FF0000,FFFFFF,000000,0A0B0C\r\n";
    std::string text;
    for (size_t i = 0; i < kMaxUserColorRows; ++i) {
        text += row;
    }
    std::string path = TempPath("full.dat");
    WriteAll(path, text);
    UserColorTable table;
    EXPECT_TRUE(LoadUserColorFile(path, table));
    EXPECT_EQ(table.size(), kMaxUserColorRows);

    WriteAll(path, text + "123456,123456,123456,123456,123456,123456\r\n" + row + "unfinished");
    EXPECT_FALSE(LoadUserColorFile(path, table));
    ASSERT_EQ(table.size(), kMaxUserColorRows);
    EXPECT_EQ(table.back()[5], 0x0A0B0Cu);
}
