#include "mainwindow/draw_gui.h"

#include "canvastools/canvas_input_state.h"
#include "core/brush_list.h"
#include "core/document.h"
#include "core/document_lifecycle.h"
#include "core/drawing_file.h"
#include "core/history.h"
#include "canvastools/tool_palette.h"
#include "mainwindow/brush_file.h"
#include "mainwindow/main_state.h"
#include "mainwindow/splash_window.h"
#include "movie/canvas_movie.h"
#include "platform/base/program_folder.h"
#include "platform/base/text_encoding.h"
#include "platform/forms/file_dialogs.h"
#include "platform/forms/message_box.h"
#include "platform/forms/window_placement.h"
#include "platform/profile/profile.h"
#include "toolwindows/gradient_editor.h"
#include "toolwindows/path_list_window.h"
#include "tests/support/test_support.h"

#include <QAbstractButton>
#include <QApplication>
#include <QTest>
#include <filesystem>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace mainwindow;
using testsupport::ReadAll;
using testsupport::WriteAll;

namespace {

std::string Home(const char *name)
{
    return platform::ProgramFile(name);
}

struct DrawGuiFixture : testing::Test {
    DrawGuiFixture()
    {
        for (const char *name : {"quillark.ini", "default.dat", "brush.dat", "usercolor.dat", "_canvtemp.tmp"}) {
            std::filesystem::remove(Home(name));
        }
        core::ResetDocumentForTest();
        core::ResetBrushesForTest();
        core::ResetLifecycleForTest();
        core::ResetHistoryForTest();
        ResetMainStateForTest();
        canvastools::ResetInputForTest();
        platform::SetMessageBoxHook([this](const platform::MessageBoxRequest &request) {
            questions.push_back(request);
            return answer;
        });
        // A Save As that a Yes answer leads to is cancelled.
        platform::SetFileDialogHook([](platform::FileDialogKind, platform::OpenFileName &) { return 0; });
    }
    ~DrawGuiFixture() override
    {
        platform::SetMessageBoxHook(nullptr);
        platform::SetFileDialogHook(nullptr);
    }

    // A started main window sized so that the 320 x 320 canvas fits with its margins.
    std::unique_ptr<DrawGUI> Start(const QString &commandLine = QString())
    {
        auto window = std::make_unique<DrawGUI>();
        window->Form_Load(commandLine);
        window->resize(1000, 800);
        QApplication::processEvents();
        return window;
    }

    std::vector<platform::MessageBoxRequest> questions;
    int answer = platform::kMbCancel;
};

}  // namespace

// The process id of a program that has ended.
pid_t EndedProcess()
{
    pid_t child = fork();
    if (child == 0) {
        _exit(0);
    }
    waitpid(child, nullptr, 0);
    return child;
}

TEST_F(DrawGuiFixture, StartingWithoutDataFilesGivesDefaults)
{
    const std::string own = platform::InstanceFile(platform::kCanvasMovieName);
    WriteAll(own, "old movie");
    WriteAll(Home("left.qlk.backup"), "pending change of an earlier run");
    WriteAll(Home("picture.png.backup"), "not a drawing's backup");
    auto window = Start();
    EXPECT_FALSE(std::filesystem::exists(Home("left.qlk.backup")));
    EXPECT_TRUE(std::filesystem::exists(Home("picture.png.backup")));
    std::filesystem::remove(Home("picture.png.backup"));
    EXPECT_NE(ReadAll(own), "old movie");  // replaced by the first canvas movie
    EXPECT_EQ(core::Doc().CanvasTempFile, own);
    EXPECT_EQ(core::Brushes().BrushCount, 8);
    EXPECT_EQ(window->menus.mnuSelectBrush->UBound(), 7);
    EXPECT_EQ(window->menus.mnuSelectBrush->Item(7)->Caption(), QStringLiteral("&8　四角(28px)"));
    EXPECT_EQ(core::Doc().CurrentSettings, core::CanvasSettings());
    ASSERT_EQ(Main().UserColors.size(), 6u);
    EXPECT_EQ(Main().UserColors[5][5], 0xFFFFFFu);
    EXPECT_TRUE(questions.empty());
}

// Every program has its own temporary movies; those of ended programs are removed at start, those
// of running ones are left alone, and a program removes its own when it ends.
TEST_F(DrawGuiFixture, TemporaryMoviesBelongToOneProgram)
{
    const std::string ended = std::to_string(EndedProcess());
    const std::string running = std::to_string(getppid());
    for (const std::string &pid : {ended, running}) {
        WriteAll(Home(("_canvtemp-" + pid + ".tmp").c_str()), "movie of " + pid);
        WriteAll(Home(("_preview-" + pid + ".swf").c_str()), "preview of " + pid);
    }
    WriteAll(Home("_preview-notapid.swf"), "not an instance file");
    auto window = Start();
    const std::string own = platform::InstanceFile(platform::kCanvasMovieName);
    EXPECT_EQ(core::Doc().CanvasTempFile, own);
    EXPECT_NE(own.find("_canvtemp-" + std::to_string(getpid()) + ".tmp"), std::string::npos) << own;
    EXPECT_TRUE(movie::EnsureCanvasMovieFile(own));  // written under the program's own name when read
    EXPECT_TRUE(std::filesystem::exists(own));
    EXPECT_FALSE(std::filesystem::exists(Home(("_canvtemp-" + ended + ".tmp").c_str())));
    EXPECT_FALSE(std::filesystem::exists(Home(("_preview-" + ended + ".swf").c_str())));
    EXPECT_EQ(ReadAll(Home(("_canvtemp-" + running + ".tmp").c_str())), "movie of " + running);
    EXPECT_EQ(ReadAll(Home(("_preview-" + running + ".swf").c_str())), "preview of " + running);
    EXPECT_EQ(ReadAll(Home("_preview-notapid.swf")), "not an instance file");

    const std::string preview = platform::InstanceFile(platform::kPreviewMovieName);
    WriteAll(preview, "this program's preview");
    int cancel = 0;
    window->Form_Unload(cancel);
    ASSERT_EQ(cancel, 0);
    EXPECT_FALSE(std::filesystem::exists(own));
    EXPECT_FALSE(std::filesystem::exists(preview));
    EXPECT_TRUE(std::filesystem::exists(Home(("_canvtemp-" + running + ".tmp").c_str())));
    std::filesystem::remove(Home(("_canvtemp-" + running + ".tmp").c_str()));
    std::filesystem::remove(Home(("_preview-" + running + ".swf").c_str()));
    std::filesystem::remove(Home("_preview-notapid.swf"));
}

// A second program on the same folder must not take the running one's pending changes for stale.
TEST_F(DrawGuiFixture, StartWhileAnotherProgramRunsKeepsItsBackups)
{
    {
        platform::ProgramFolderLock running;  // another program on this folder
        ASSERT_TRUE(running.Held());
        WriteAll(Home("theirs.qlk.backup"), "their pending change");
        auto second = Start();
        EXPECT_EQ(ReadAll(Home("theirs.qlk.backup")), "their pending change");
    }
    auto window = Start();  // the other program has ended
    EXPECT_FALSE(std::filesystem::exists(Home("theirs.qlk.backup")));
    platform::ProgramFolderLock third;  // and this one now holds the folder
    EXPECT_FALSE(third.Held());
    window.reset();
    platform::ProgramFolderLock afterwards;
    EXPECT_TRUE(afterwards.Held());
}

// Program A held the folder and has ended; B, started while A ran, still runs with a pending
// change; a third program now holds the folder and must leave B's backup alone.
TEST_F(DrawGuiFixture, StartAfterTheFolderHolderEndedKeepsTheBackupsOfAProgramStillRunning)
{
    WriteAll(Home("dead.qlk.backup"), "a pending change of an ended program");
    int ready[2], release[2];
    ASSERT_EQ(pipe(ready), 0);
    ASSERT_EQ(pipe(release), 0);
    pid_t running = fork();
    ASSERT_GE(running, 0);
    if (running == 0) {
        platform::ClaimProgramFile("theirs.qlk.backup");
        WriteAll(Home("theirs.qlk.backup"), "their pending change");
        char c = 1;
        [[maybe_unused]] ssize_t w = write(ready[1], &c, 1);
        [[maybe_unused]] ssize_t r = read(release[0], &c, 1);  // runs until the test lets it end
        _exit(0);
    }
    char c = 0;
    ASSERT_EQ(read(ready[0], &c, 1), 1);
    {
        auto third = Start();
        EXPECT_EQ(ReadAll(Home("theirs.qlk.backup")), "their pending change");
        EXPECT_FALSE(std::filesystem::exists(Home("dead.qlk.backup")));
    }
    ASSERT_EQ(write(release[1], &c, 1), 1);
    int status = 0;
    ASSERT_EQ(waitpid(running, &status, 0), running);
    auto fourth = Start();  // B has ended: its backups are stale now
    EXPECT_FALSE(std::filesystem::exists(Home("theirs.qlk.backup")));
    EXPECT_FALSE(std::filesystem::exists(Home(("_owner-" + std::to_string(running) + ".lock").c_str())));
    for (int fd : {ready[0], ready[1], release[0], release[1]}) {
        close(fd);
    }
}

TEST_F(DrawGuiFixture, SettingsOpenStoredToolWindowsAndDefaultCanvasApplies)
{
    WriteAll(Home("quillark.ini"),
             "[Quillark]\r\nUseDefaultOpen=1\r\nMostRecentUsedFiles1=/tmp/a.qlk\r\n"
             "[BrushToolBox]\r\nVisible=1\r\n[PathToolBox]\r\nVisible=0\r\n[Canvas]\r\nWidth=500\r\n");
    WriteAll(Home("default.dat"), "[Canvas]\r\nWidth=640\r\nHeight=480\r\n");
    auto window = Start();
    EXPECT_TRUE(window->menus.mnuDispBrushGUI->Checked());
    EXPECT_EQ(Main().BrushToolBoxVisible, 1);
    EXPECT_FALSE(window->menus.mnuDispPathGUI->Checked());
    EXPECT_EQ(Main().PathToolBoxVisible, 0);
    EXPECT_EQ(core::Doc().CurrentSettings.Width, 640);  // default.dat read after the settings
    EXPECT_EQ(core::Doc().CurrentSettings.Height, 480);
    EXPECT_EQ(core::Lifecycle().RecentFiles[1], "/tmp/a.qlk");
    EXPECT_TRUE(window->menus.mnuMostRecent->Item(0)->Enabled());

    window->mnuDispBrushGUI_Click();  // closing the window from its menu
    EXPECT_FALSE(window->menus.mnuDispBrushGUI->Checked());
    EXPECT_EQ(Main().BrushToolBoxVisible, 0);
}

// Start-up with placements far beyond the screen: the windows open inside the work area.
TEST_F(DrawGuiFixture, ExtremePlacementsStartInsideTheWorkArea)
{
    WriteAll(Home("quillark.ini"),
             "[Quillark]\r\nWindowState=0\r\nLeft=1e30\r\nTop=-1e30\r\nWidth=1e30\r\nHeight=1e30\r\n"
             "[PathToolBox]\r\nVisible=1\r\nLeft=-2147483648\r\nTop=2147483647\r\nWidth=2147483647\r\n"
             "Height=2147483647\r\nSplitter=2147483647\r\n"
             "[GradientToolBox]\r\nVisible=1\r\nLeft=2147483647\r\nTop=2147483647\r\n");
    auto window = std::make_unique<DrawGUI>();
    window->Form_Load(QString());
    QApplication::processEvents();
    const QRect area = platform::WorkArea(window.get());
    auto inside = [&](const QWidget *w) {
        QRect frame = w->frameGeometry();
        return area.contains(frame.topLeft()) && frame.width() <= area.width() && frame.height() <= area.height();
    };
    EXPECT_TRUE(inside(window.get()));
    ASSERT_NE(toolwindows::PathListWindow(), nullptr);
    EXPECT_TRUE(toolwindows::PathListWindow()->isVisible());
    EXPECT_TRUE(inside(toolwindows::PathListWindow()));
    EXPECT_LE(Main().PathToolBoxWidth, platform::TwipsFromPixels(area.width()));
    EXPECT_TRUE(window->menus.mnuDispGradientGUI->Checked());
    ASSERT_NE(window->GradationGUI, nullptr);
    EXPECT_TRUE(inside(window->GradationGUI));
}

TEST_F(DrawGuiFixture, ToolButtonFacesFollowTheStoredPreferenceThroughKeys)
{
    WriteAll(Home("quillark.ini"), "[Quillark]\r\nUseToolIcons=0\r\n");
    auto window = Start();
    window->show();
    QApplication::setActiveWindow(window.get());
    window->Picture1->setFocus();
    QApplication::processEvents();
    auto captionsOnly = [&] {
        std::vector<QAbstractButton *> buttons(window->Option1.begin(), window->Option1.end());
        buttons.insert(buttons.end(), {window->Check3, window->Check4, window->Check5, window->Check6});
        for (QAbstractButton *button : buttons) {
            if (!button->icon().isNull() || button->text().isEmpty()) {
                return false;
            }
        }
        return true;
    };
    EXPECT_TRUE(captionsOnly());
    EXPECT_EQ(window->Option1[0]->height(), 17);  // the text layout's rows
    QTest::keyClick(window->Picture1, Qt::Key_5);
    QTest::keyClick(window->Picture1, Qt::Key_5);  // the pen switches to curves
    QTest::keyClick(window->Picture1, Qt::Key_F);  // the underlay in front
    EXPECT_EQ(window->Option1[canvastools::kToolPen]->text(), QStringLiteral("～"));
    EXPECT_EQ(window->Check4->Value(), 1);
    EXPECT_TRUE(captionsOnly());
}

TEST_F(DrawGuiFixture, ToggleButtonsLookPressedWhenOnInBothFaces)
{
    auto window = Start();
    window->show();
    QApplication::processEvents();
    // The share of a button's pixels that a click changes.
    auto changedShare = [&](QAbstractButton *button) {
        const QImage off = button->grab().toImage();
        QTest::mouseClick(button, Qt::LeftButton);
        const QImage on = button->grab().toImage();
        EXPECT_TRUE(button->isChecked());
        int changed = 0;
        for (int y = 0; y < on.height(); ++y) {
            for (int x = 0; x < on.width(); ++x) {
                changed += on.pixel(x, y) != off.pixel(x, y) ? 1 : 0;
            }
        }
        QTest::mouseClick(button, Qt::LeftButton);  // off again
        return double(changed) / (on.width() * on.height());
    };
    for (int16_t icons : {1, 0}) {
        canvastools::ChangeIcons(icons);
        for (platform::CheckBox *toggle : {window->Check1, window->Check3, window->Check5, window->Check6}) {
            EXPECT_GT(changedShare(toggle), 0.4) << toggle->text().toStdString() << " icons " << icons;
        }
    }
}

TEST_F(DrawGuiFixture, StartsAndQuitsUnderAWindowFrameKeepEveryPlacement)
{
    const QMargins frame(4, 26, 4, 4);  // a window manager's borders and title bar
    platform::SetWindowFrameForTest(&frame);
    WriteAll(Home("quillark.ini"),
             "[Quillark]\r\nWindowState=0\r\nLeft=150\r\nTop=0\r\nWidth=9000\r\nHeight=8985\r\n"
             "[PathToolBox]\r\nVisible=1\r\nLeft=9600\r\nTop=1500\r\nWidth=2250\r\nHeight=4500\r\n"
             "Splitter=100\r\n[BrushToolBox]\r\nVisible=1\r\nLeft=9600\r\nTop=6300\r\nWidth=2400\r\n"
             "Height=2400\r\n");
    auto placements = [] {
        platform::ProfileFile file(Home("quillark.ini"));
        std::vector<std::string> values;
        for (const char *section : {"Quillark", "PathToolBox", "BrushToolBox"}) {
            for (const char *key : {"Left", "Top", "Width", "Height"}) {
                values.push_back(file.Get(section, key, ""));
            }
        }
        return values;
    };
    const std::vector<std::string> stored = placements();
    for (int run = 1; run <= 10; ++run) {
        auto window = std::make_unique<DrawGUI>();
        window->Form_Load(QString());
        QApplication::processEvents();  // the window manager frames the windows it shows
        int cancel = 0;
        window->Form_Unload(cancel);
        ASSERT_EQ(placements(), stored) << "after start " << run;
    }
    platform::SetWindowFrameForTest(nullptr);
}

TEST_F(DrawGuiFixture, ShutDownWritesDataFilesUnlessCancelled)
{
    auto window = Start();
    core::SetModified(true);
    answer = platform::kMbCancel;
    int cancel = 0;
    window->Form_Unload(cancel);
    EXPECT_EQ(cancel, 1);
    EXPECT_FALSE(std::filesystem::exists(Home("quillark.ini")));
    EXPECT_FALSE(std::filesystem::exists(Home("brush.dat")));

    WriteAll(core::Doc().CanvasTempFile, "movie");
    Main().UserColors[0][0] = 0x0000FF;
    answer = platform::kMbNo;
    window->Form_Unload(cancel);
    EXPECT_EQ(cancel, 0);
    EXPECT_FALSE(std::filesystem::exists(core::Doc().CanvasTempFile));
    EXPECT_EQ(ReadAll(Home("usercolor.dat")).substr(0, 7), "0000FF,");
    std::string settings = ReadAll(Home("quillark.ini"));
    EXPECT_NE(settings.find("MostRecentUsedFiles5=\r\nHistoryMax=20\r\n[PathToolBox]"), std::string::npos);
    EXPECT_EQ(ReadAll(Home("brush.dat")).substr(0, 8), "\"030\",8\r");
}

TEST_F(DrawGuiFixture, ShutDownReportsTheDataFilesItCouldNotWrite)
{
    auto window = Start();
    std::filesystem::create_directories(Home("brush.dat"));  // a file cannot replace a folder
    std::filesystem::create_directories(Home("usercolor.dat"));
    int cancel = 0;
    window->Form_Unload(cancel);
    EXPECT_EQ(cancel, 0);
    ASSERT_EQ(questions.size(), 1u);
    EXPECT_EQ(questions[0].style, platform::kMbCritical);
    EXPECT_TRUE(questions[0].prompt.contains(QString::fromStdString(Home("brush.dat"))));
    EXPECT_TRUE(questions[0].prompt.contains(QString::fromStdString(Home("usercolor.dat"))));
    EXPECT_FALSE(questions[0].prompt.contains(QStringLiteral("quillark.ini")));
    EXPECT_TRUE(std::filesystem::is_regular_file(Home("quillark.ini"))) << "the other files are still written";
    std::filesystem::remove_all(Home("brush.dat"));
    std::filesystem::remove_all(Home("usercolor.dat"));
}

// Recent files and the browser folder are kept in CP932: what it cannot hold is named to the user.
TEST_F(DrawGuiFixture, ShutDownNamesThePathsTheSettingsFileCannotHold)
{
    auto window = Start();
    core::Lifecycle().RecentFiles[1] = "/tmp/café.qlk";
    core::Lifecycle().RecentFiles[2] = "/tmp/図面.qlk";
    Main().BrowserFolder = "/home/\xF0\x9F\x98\x80";
    questions.clear();
    int cancel = 0;
    window->Form_Unload(cancel);
    ASSERT_EQ(cancel, 0);
    ASSERT_EQ(questions.size(), 1u);
    EXPECT_TRUE(questions[0].prompt.contains(QStringLiteral("/tmp/café.qlk")));
    EXPECT_TRUE(questions[0].prompt.contains(QString::fromStdString(Main().BrowserFolder)));
    EXPECT_FALSE(questions[0].prompt.contains(QStringLiteral("図面")));
    EXPECT_EQ(core::Lifecycle().RecentFiles[1], "/tmp/café.qlk");
    std::string settings = platform::Cp932ToUtf8(ReadAll(Home("quillark.ini")));
    EXPECT_NE(settings.find("MostRecentUsedFiles2=/tmp/図面.qlk\r\n"), std::string::npos);
}

TEST_F(DrawGuiFixture, BrushFileReadsBackAndBadFilesGiveDefaults)
{
    core::SetupDefaultBrushes();
    core::Brushes().BrushNames[2] = "ブラシ二";
    core::Brushes().BrushPaths[2].LineWidth = 40;
    ASSERT_TRUE(SaveBrushFile(Home("brush.dat"), core::Brushes()));
    core::BrushList saved = core::Brushes();
    core::ResetBrushesForTest();
    auto window = Start();
    ASSERT_EQ(core::Brushes().BrushCount, 8);
    EXPECT_EQ(core::Brushes().BrushNames, saved.BrushNames);
    for (int i = 1; i <= 8; ++i) {
        EXPECT_EQ(core::Brushes().BrushPaths[static_cast<size_t>(i)].Anchors, saved.BrushPaths[static_cast<size_t>(i)].Anchors);
        EXPECT_EQ(core::Brushes().BrushPaths[static_cast<size_t>(i)].blClosed, true);
    }
    EXPECT_EQ(core::Brushes().BrushPaths[2].LineWidth, 40);
    EXPECT_EQ(window->menus.mnuSelectBrush->Item(1)->Caption(), QStringLiteral("&2　ブラシ二"));

    for (const char *bad : {"\"030\",0\r\n", "\"030\",-3\r\n", "\"999\",1\r\n\"x\"\r\n", "\"030\",2\r\n\"only one\"\r\n",
                            "\"030\",100000000\r\n"}) {
        WriteAll(Home("brush.dat"), bad);
        core::ResetBrushesForTest();
        window->LoadBrushFile(Home("brush.dat"));
        EXPECT_EQ(core::Brushes().BrushCount, 8) << bad;
        EXPECT_EQ(core::Brushes().BrushNames[1], "丸(10px)") << bad;
    }
}

// A brush file counting more brushes than the menu holds gives the first ones and says so.
TEST_F(DrawGuiFixture, BrushFileBeyondWhatTheMenuHoldsIsCutWithAMessage)
{
    auto window = Start();
    core::BrushList many = core::Brushes();
    for (int32_t i = many.BrushCount + 1; i <= core::kMaxBrushes + 3; ++i) {
        many.BrushPaths.push_back(many.BrushPaths[1]);
        many.BrushNames.push_back("b" + std::to_string(i));
    }
    many.BrushCount = core::kMaxBrushes + 3;
    ASSERT_TRUE(SaveBrushFile(Home("brush.dat"), many));
    questions.clear();
    window->LoadBrushFile(Home("brush.dat"));
    EXPECT_EQ(core::Brushes().BrushCount, core::kMaxBrushes);
    EXPECT_EQ(core::Brushes().BrushNames.back(), "b" + std::to_string(core::kMaxBrushes));
    EXPECT_EQ(window->menus.mnuSelectBrush->UBound(), core::kMaxBrushes - 1);
    ASSERT_EQ(questions.size(), 1u);
    EXPECT_TRUE(questions[0].prompt.contains(QStringLiteral("ブラシが多すぎます")));
}

TEST(CommandLine, SurroundingQuotesAreRemovedAndRelativePathsResolved)
{
    EXPECT_EQ(CommandLineFile(QStringLiteral("\"/tmp/my drawings/a.qlk\"")), QStringLiteral("/tmp/my drawings/a.qlk"));
    EXPECT_EQ(CommandLineFile(QStringLiteral("\"")), QStringLiteral("\""));
    EXPECT_EQ(CommandLineFile(QStringLiteral("a.qlk")), QStringLiteral("a.qlk"));
    EXPECT_EQ(ResolveRelativePath(QStringLiteral("../inc/a.as"), QStringLiteral("/work/proj")),
              QStringLiteral("/work/inc/a.as"));
    EXPECT_EQ(ResolveRelativePath(QStringLiteral("/abs/a.as"), QStringLiteral("/work/proj")), QStringLiteral("/abs/a.as"));
}

namespace {

// A drawing file with one red square from (1000, 1000) to (3000, 3000) twips on a 400 x 320 canvas.
std::string WriteRedSquareDrawing(const std::string &path)
{
    std::string message;
    core::PathArray paths{core::PathRecord()};
    core::PathRecord square;
    square.Anchors = {{1000, 1000}, {3000, 1000}, {3000, 3000}, {1000, 3000}};
    square.blClosed = true;
    square.FillType = core::kFillSolid;
    square.FillColor = 0xFF0000FF;
    paths.push_back(square);
    core::CanvasSettings settings;
    settings.Width = 400;
    core::WriteDrawingFile(path, paths, 1, settings, message);
    return message;
}

}  // namespace

TEST_F(DrawGuiFixture, CanvasShowsTheOpenedDrawingsPixelsAtEachZoom)
{
    std::string path = Home("red.qlk");
    ASSERT_EQ(WriteRedSquareDrawing(path), "");
    auto window = Start(QString::fromStdString(path));
    platform::PictureBox *picture = window->Picture1;
    for (const char *zoom : {"100%", "200%"}) {
        window->Combo2->SetText(QString::fromLatin1(zoom));
        window->Combo2_Click();
        int32_t left = 0, top = 0, right = 0, bottom = 0;
        window->PosTwipToScr(left, top, 1000, 1000);
        window->PosTwipToScr(right, bottom, 3000, 3000);
        EXPECT_EQ(right - left, core::Doc().ZoomRate * 100) << zoom;
        EXPECT_EQ(picture->Point(left + 2, top + 2), 0x0000FF) << zoom;
        EXPECT_EQ(picture->Point(right - 3, bottom - 3), 0x0000FF) << zoom;
        EXPECT_EQ(picture->Point(left - 3, top + 2), 0xFFFFFF) << zoom;
        EXPECT_EQ(picture->Point(right + 3, bottom - 3), 0xFFFFFF) << zoom;
    }
}

TEST_F(DrawGuiFixture, UnreadableCommandLineFileLeavesAnEmptyDocument)
{
    std::string path = Home("broken.qlk");
    WriteAll(path, "not a drawing");
    auto window = Start(QString::fromStdString(path));
    EXPECT_EQ(core::Doc().DocPathCount(), 0);
    ASSERT_EQ(questions.size(), 1u);  // the reader's error message
    EXPECT_EQ(questions[0].style & 0x70, platform::kMbCritical);
}
