#include "mainwindow/file_commands.h"

#include "core/drawing_file.h"
#include "tests/mainwindow/main_window_fixture.h"
#include "tests/support/drawing_files.h"
#include "tests/support/test_support.h"


using platform::FileDialogKind;
using testsupport::MainWindowFixture;
using testsupport::ReadAll;
using testsupport::WriteAll;

namespace {

using FileCommands = MainWindowFixture;

QString Q(const std::string &text)
{
    return QString::fromStdString(text);
}

// A drawing file of one rectangle with the given canvas width.
std::string WriteRectangleDrawing(const std::string &path, int32_t width)
{
    core::PathRecord rectangle;
    rectangle.Anchors = {{0, 0, core::kOnCurve}, {400, 0, core::kOnCurve}, {400, 400, core::kOnCurve}};
    rectangle.blClosed = true;
    rectangle.FillType = core::kFillSolid;
    rectangle.FillColor = 0xFF0000FF;
    return testsupport::WriteDrawing(path, {rectangle}, testsupport::CanvasOfSize(width, 320));
}

const QString kSaveFilter = platform::MakeFilterString({{QStringLiteral("Quillark ﾌﾟﾛｼﾞｪｸﾄﾌｧｲﾙ (*.qlk)"),
                                                          QStringLiteral("*.qlk")}});

}  // namespace

TEST_F(FileCommands, SavingAnUntitledDrawingAsksForANameThenSavesWithoutAsking)
{
    AddRectangle(0, 0, 400, 400, 0xFF0000FF);
    core::RecordHistory();
    ASSERT_TRUE(Modified());
    const std::string name = platform::ProgramFile("first.qlk");
    dialogAnswer = Q(name);
    EXPECT_TRUE(window->mnuSaveFile_Click());
    ASSERT_EQ(dialogs.size(), 1u);
    const platform::OpenFileName &record = dialogs[0].record;
    EXPECT_EQ(dialogs[0].kind, FileDialogKind::Save);
    EXPECT_EQ(record.lpstrFilter, kSaveFilter);
    EXPECT_EQ(record.lpstrDefExt, QStringLiteral("qlk"));
    EXPECT_EQ(record.Flags, 0x80002u);
    EXPECT_EQ(record.hwndOwner, window.get());
    EXPECT_EQ(record.lpstrInitialDir, Q(platform::ProgramFolder()));
    EXPECT_TRUE(record.lpstrFile.isEmpty());
    EXPECT_EQ(ReadAll(name).substr(0, 6), "QLK030");
    EXPECT_EQ(core::Lifecycle().CurrentFileName, name);
    EXPECT_EQ(window->windowTitle(), QStringLiteral("[ first.qlk ] - Quillark"));
    EXPECT_TRUE(core::Lifecycle().RecentFiles[1].empty());  // only opening enters the list

    core::RecordHistory();
    std::filesystem::remove(name);
    EXPECT_TRUE(window->mnuSaveFile_Click());
    EXPECT_EQ(dialogs.size(), 1u);
    EXPECT_EQ(ReadAll(name).substr(0, 6), "QLK030");
    EXPECT_FALSE(Modified());
}

TEST_F(FileCommands, CancelledOrFailedSaveAsKeepsTheNameAndTheModifiedMark)
{
    AddRectangle(0, 0, 400, 400, 0xFF0000FF);
    core::RecordHistory();
    EXPECT_FALSE(window->mnuSaveFileAs_Click());  // cancelled
    EXPECT_TRUE(Modified());
    EXPECT_TRUE(messages.empty());

    dialogAnswer = Q(platform::ProgramFile("missing-folder/x.qlk"));
    EXPECT_FALSE(window->mnuSaveFileAs_Click());
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].title, QStringLiteral("ファイル保存エラー"));
    EXPECT_TRUE(Modified());
    EXPECT_TRUE(core::Lifecycle().CurrentFileName.empty());
    EXPECT_TRUE(window->windowTitle().startsWith(QStringLiteral("(新規)")));

    // Closing asks to save; a save that fails keeps the program running.
    answer = platform::kMbYes;
    EXPECT_EQ(window->ConfirmModify(), 1);
}

TEST_F(FileCommands, OpenAsksAboutChangesThenOpensTheChosenDrawing)
{
    const std::string folder = Folder("open");
    const std::string drawing = WriteRectangleDrawing(folder + "/d.qlk", 500);
    AddRectangle(0, 0, 100, 100, 0xFF00FF00);
    core::RecordHistory();
    answer = platform::kMbCancel;
    dialogAnswer = Q(drawing);
    window->mnuOpenFile_Click();
    EXPECT_TRUE(dialogs.empty());
    EXPECT_EQ(core::Doc().DocPathCount(), 1);
    EXPECT_TRUE(core::Lifecycle().CurrentFileName.empty());

    answer = platform::kMbNo;
    window->mnuOpenFile_Click();
    ASSERT_EQ(dialogs.size(), 1u);
    const platform::OpenFileName &record = dialogs[0].record;
    EXPECT_EQ(dialogs[0].kind, FileDialogKind::Open);
    EXPECT_EQ(record.lpstrFilter, platform::MakeFilterString({{QStringLiteral("Quillark ﾌｧｲﾙ (*.qlk)"),
                                                               QStringLiteral("*.qlk")}}));
    EXPECT_EQ(record.lpstrDefExt, QStringLiteral("qlk"));
    EXPECT_EQ(record.Flags, 0x80004u);
    EXPECT_EQ(core::Lifecycle().CurrentFileName, drawing);
    EXPECT_EQ(core::Doc().CurrentSettings.Width, 500);
    EXPECT_EQ(core::Lifecycle().RecentFiles[1], drawing);
    EXPECT_FALSE(Modified());

    // The next dialog starts in the open drawing's folder.
    dialogAnswer.clear();
    window->mnuOpenFile_Click();
    EXPECT_EQ(dialogs.back().record.lpstrInitialDir, Q(folder));
    EXPECT_EQ(core::Lifecycle().CurrentFileName, drawing);  // cancelled: nothing changes
}

TEST_F(FileCommands, NewTakesTheDefaultCanvasAndSwitchesTheUnderlayOff)
{
    WriteAll(platform::ProgramFile("default.dat"), "[Canvas]\r\nWidth=640\r\nHeight=480\r\n");
    AddRectangle(0, 0, 100, 100, 0xFF00FF00);
    core::Doc().CurrentSettings.BackgroundFlag = 1;
    core::Doc().CurrentSettings.BackgroundFile = "/pictures/under.png";
    core::Doc().CurrentSettings.BackgroundX = 12;
    window->Combo2->SetText(QStringLiteral("200"));
    window->Combo2_Click();
    window->menus.mnuNewCanvas->Trigger();
    const core::CanvasSettings &settings = core::Doc().CurrentSettings;
    EXPECT_EQ(settings.Width, 640);
    EXPECT_EQ(settings.Height, 480);
    EXPECT_EQ(settings.BackgroundFlag, 0);
    EXPECT_EQ(settings.BackgroundFile, "/pictures/under.png");
    EXPECT_EQ(settings.BackgroundX, 12);
    EXPECT_EQ(core::Doc().ZoomRate, 1.0f);
    EXPECT_EQ(window->Combo2->Text(), QStringLiteral("100%"));
    EXPECT_EQ(core::Doc().DocPathCount(), 0);
    EXPECT_EQ(window->windowTitle(), QStringLiteral("(新規) - Quillark"));
    EXPECT_EQ(core::Doc().ViewExtent.Right, 640);  // the canvas movie is rebuilt for the new canvas
    EXPECT_TRUE(modalDialogs.empty());
}

TEST_F(FileCommands, ClipWriteCopiesTheSelectionAndWritesTheClipFile)
{
    AddRectangle(200, 300, 600, 700, 0xFF0000FF, true);
    AddRectangle(0, 0, 100, 100, 0xFF00FF00);
    window->DispShape(1);  // the selection frame's corner becomes the clip origin
    const std::string name = platform::ProgramFile("out.qkclip");
    dialogAnswer = Q(name);
    window->mnuClipWrite_Click();
    ASSERT_EQ(dialogs.size(), 1u);
    EXPECT_EQ(dialogs[0].kind, FileDialogKind::Save);
    EXPECT_EQ(dialogs[0].record.lpstrFilter,
              platform::MakeFilterString({{QStringLiteral("Quillark ｸﾘｯﾌﾟﾌｧｲﾙ (*.qkclip)"), QStringLiteral("*.qkclip")},
                                          {QStringLiteral("Quillark ﾌﾟﾛｼﾞｪｸﾄﾌｧｲﾙ (*.qlk)"), QStringLiteral("*.qlk")}}));
    EXPECT_EQ(dialogs[0].record.lpstrDefExt, QStringLiteral("qkclip"));
    EXPECT_EQ(dialogs[0].record.lpstrInitialDir, Q(platform::ProgramFolder()));
    EXPECT_EQ(core::GetClipCount(), 1);
    EXPECT_EQ(core::Clipboard().ClipOriginX, 200);
    EXPECT_EQ(core::Clipboard().ClipOriginY, 300);
    const std::string written = ReadAll(name);
    EXPECT_EQ(written.substr(0, 9), "QKCLIP030");
    EXPECT_NE(written.find("200,300"), std::string::npos);
}

TEST_F(FileCommands, ClipReadFillsTheClipboardWithoutChangingTheDrawing)
{
    AddRectangle(0, 0, 100, 100, 0xFF00FF00);
    dialogAnswer = Q(testsupport::DataPath("clip_030.qkclip"));
    window->mnuClipRead_Click();
    ASSERT_EQ(dialogs.size(), 1u);
    const platform::OpenFileName &record = dialogs[0].record;
    EXPECT_EQ(dialogs[0].kind, FileDialogKind::Open);
    EXPECT_EQ(record.lpstrDefExt, QStringLiteral("qkclip"));

    EXPECT_EQ(core::GetClipCount(), 2);
    EXPECT_EQ(core::Doc().DocPathCount(), 1);
    EXPECT_EQ(window->StatusLabel1->text(), QStringLiteral("ファイル [clip_030.qkclip] をクリップボードに読み込みました。"));
    EXPECT_FALSE(Modified());
}
