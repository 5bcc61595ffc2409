#include "tests/toolwindows/folder_browser_fixture.h"

#include "core/clipboard.h"
#include "core/document.h"
#include "core/document_lifecycle.h"
#include "core/history.h"
#include "movie/canvas_movie.h"
#include "toolwindows/folder_listing.h"
#include "toolwindows/rename_textbox.h"
#include "toolwindows/select_folder_gui.h"

#include <sys/stat.h>
#include <unistd.h>

using namespace testsupport;
using core::Doc;
using mainwindow::Main;

namespace {

class FolderCommandsTest : public FolderBrowserFixture {
protected:
    // The drawing in the editor gets one more path and counts as modified.
    void EditDrawing()
    {
        core::PathRecord path;
        path.Anchors = {{1000, 1000, 0}, {1200, 1000, 0}, {1200, 1200, 0}};
        path.blClosed = true;
        Doc().DocPaths.push_back(path);
        core::RecordHistory();
        core::SetModified(true);
    }
    toolwindows::RenameTextbox &StartRename(const QString &name)
    {
        Select({name});
        browser().mnuRenameFile_Click();
        return *browser().RenameBox();
    }
    // Makes the entry of the file with these name bytes the only selected, current one.
    void SelectName(const std::string &name)
    {
        browser().List1->clearSelection();
        for (int i = 0; i < browser().ListCount(); ++i) {
            if (browser().FileNameAt(i) == name) {
                browser().SetListIndex(i);
                browser().List1->item(i)->setSelected(true);
            }
        }
    }
    void RenameTo(const QString &from, const QString &to)
    {
        toolwindows::RenameTextbox &box = StartRename(from);
        box.Text1->SetText(to);
        box.Text1_KeyPress(13);
    }
};

TEST_F(FolderCommandsTest, CopyTakesTheFirstFreeNumber)
{
    Touch("pic.png", "picture");
    Touch("pic_2.png");
    Touch("a.b.png");
    OpenBrowser();
    EXPECT_EQ(toolwindows::CopyTargetPath(File("a.b.png")), File("a.b_1.png"));
    Select({"pic.png"});
    browser().mnuCopyFile_Click();
    EXPECT_EQ(ReadAll(File("pic_1.png")), "picture");
    Select({"pic.png"});
    browser().mnuCopyFile_Click();
    EXPECT_EQ(ReadAll(File("pic_3.png")), "picture");
    EXPECT_GE(Row("pic_3.png"), 0);
}

TEST_F(FolderCommandsTest, RenameKeepsTheExtensionAndRefusesTakenNames)
{
    Drawing("a.qlk");
    Drawing("taken.qlk");
    OpenBrowser();
    RenameTo("a.qlk", "b");
    EXPECT_TRUE(Exists(File("b.qlk")));
    EXPECT_FALSE(Exists(File("a.qlk")));
    EXPECT_EQ(browser().RenameBox(), nullptr);
    RenameTo("b.qlk", "b.png");
    EXPECT_TRUE(Exists(File("b.png.qlk")));
    RenameTo("b.png.qlk", "c.qlk");
    EXPECT_TRUE(Exists(File("c.qlk")));

    RenameTo("c.qlk", "taken");
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].prompt, QStringLiteral("既に同じ名前のファイルが存在しています。"));
    EXPECT_TRUE(Exists(File("c.qlk")));
    EXPECT_EQ(browser().RenameBox(), nullptr);

    toolwindows::RenameTextbox &box = StartRename("c.qlk");
    EXPECT_EQ(box.Text1->Text(), QStringLiteral("c.qlk"));
    EXPECT_EQ(box.orgDir, folder + "/");
    box.Text1->SetText(QString());
    box.Text1_KeyPress(13);  // empty: nothing, the box stays
    EXPECT_EQ(browser().RenameBox(), &box);
    box.Text1->SetText(QStringLiteral("d"));
    box.Text1_KeyPress(27);
    EXPECT_EQ(browser().RenameBox(), nullptr);
    EXPECT_TRUE(Exists(File("c.qlk")));
}

TEST_F(FolderCommandsTest, RenameTakesThePendingChangeAlong)
{
    Drawing("a.qlk");
    WriteAll(core::BackupFilePath("a.qlk"), "pending");
    OpenBrowser();
    RenameTo("a.qlk", "z");
    EXPECT_FALSE(HasBackup("a.qlk"));
    EXPECT_EQ(ReadAll(core::BackupFilePath("z.qlk")), "pending");
    EXPECT_EQ(browser().List1->item(Row("z.qlk"))->text(), QStringLiteral("●QLK| z.qlk"));
}

TEST_F(FolderCommandsTest, LeavingAModifiedDrawingKeepsItsEditsUntilItComesBack)
{
    Drawing("a.qlk", 1);
    Drawing("b.qlk", 2);
    OpenBrowser();
    browser().Openfile(File("a.qlk"));
    EditDrawing();
    ASSERT_EQ(Doc().DocPathCount(), 2);
    browser().OpenNextFile(1);
    EXPECT_EQ(core::Lifecycle().CurrentFileName, File("b.qlk"));
    EXPECT_TRUE(HasBackup("a.qlk"));
    EXPECT_EQ(browser().List1->item(Row("a.qlk"))->text(), QStringLiteral("●QLK| a.qlk"));
    browser().OpenNextFile(-1);
    EXPECT_EQ(Doc().DocPathCount(), 2);
    window->mnuUnDo_Click();
    EXPECT_EQ(Doc().DocPathCount(), 1);
}

// A drawing opened from another folder while the browser was closed shares no pending change
// with the listed folder's drawing of the same name: leaving it asks to save it instead.
TEST_F(FolderCommandsTest, LeavingADrawingOfAnotherFolderAsksToSaveIt)
{
    Drawing("twin.qlk", 1);
    Drawing("b.qlk", 2);
    std::string other = NewFolder("other");
    std::filesystem::copy_file(File("twin.qlk"), other + "/twin.qlk");
    OpenBrowser();
    window->menus.mnuDispFolderGUI->Trigger();  // closed
    core::OpenDrawingFile(other + "/twin.qlk");
    EditDrawing();
    window->menus.mnuDispFolderGUI->Trigger();  // open again on the same folder
    ASSERT_EQ(toolwindows::ListedFolder(), folder);
    messages.clear();

    answer = platform::kMbNo;
    browser().Openfile(File("b.qlk"));
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].style & 7, platform::kMbYesNoCancel);
    EXPECT_EQ(core::Lifecycle().CurrentFileName, File("b.qlk"));
    EXPECT_FALSE(HasBackup("twin.qlk"));
    EXPECT_EQ(browser().List1->item(Row("twin.qlk"))->text(), QStringLiteral("○QLK| twin.qlk"));
}

TEST_F(FolderCommandsTest, FolderChangeWithPendingChangesAsksFirst)
{
    Drawing("a.qlk", 1);
    std::string other = NewFolder("other");
    OpenBrowser();
    EditDrawing();
    ASSERT_TRUE(core::SaveBackupFile(File("a.qlk")));

    // Closing and opening the browser again is no change of folder.
    window->menus.mnuDispFolderGUI->Trigger();
    window->menus.mnuDispFolderGUI->Trigger();
    EXPECT_TRUE(messages.empty());
    EXPECT_TRUE(HasBackup("a.qlk"));

    answer = platform::kMbCancel;
    Main().BrowserFolder = other + "/";
    browser().SetDirectory();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].style & 7, platform::kMbYesNoCancel);
    EXPECT_EQ(Main().BrowserFolder, folder);
    EXPECT_EQ(toolwindows::ListedFolder(), folder);
    EXPECT_TRUE(HasBackup("a.qlk"));

    answer = platform::kMbYes;
    Main().BrowserFolder = other;
    browser().SetDirectory();
    EXPECT_EQ(messages.back().prompt, QStringLiteral("1個のファイルの変更を適用しました。"));
    EXPECT_EQ(toolwindows::ListedFolder(), other);
    EXPECT_FALSE(core::AnyDrawingBackup());
    core::DrawingFileContents contents;
    std::string message;
    ASSERT_TRUE(core::ReadDrawingFile(File("a.qlk"), contents, message));
    EXPECT_EQ(core::UpperBound(contents.Paths), 1);  // the document held one square when kept
}

TEST_F(FolderCommandsTest, QuittingWithPendingChangesAsksToApplyThemFirst)
{
    Drawing("a.qlk", 1);
    Drawing("b.qlk", 1);
    OpenBrowser();
    browser().Openfile(File("a.qlk"));
    EditDrawing();
    browser().OpenNextFile(1);  // a.qlk keeps its edit as a pending change
    ASSERT_TRUE(HasBackup("a.qlk"));
    ASSERT_FALSE(window->windowTitle().endsWith(QStringLiteral(" *")));
    auto squaresIn = [&](const char *name) {
        core::DrawingFileContents contents;
        std::string message;
        EXPECT_TRUE(core::ReadDrawingFile(File(name), contents, message)) << message;
        return core::UpperBound(contents.Paths);
    };
    const QString question = QStringLiteral("現在のフォルダに編集中のファイルがあります。全ての変更を適用しますか？");

    messages.clear();
    answer = platform::kMbCancel;
    EXPECT_FALSE(window->close());  // the program keeps running, the change stays pending
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].prompt, question);
    EXPECT_EQ(messages[0].style & 7, platform::kMbYesNoCancel);
    EXPECT_TRUE(HasBackup("a.qlk"));
    EXPECT_FALSE(Exists(platform::ProgramFile("quillark.ini")));

    // The browser closed before quitting: the change still belongs to the folder listed last.
    window->menus.mnuDispFolderGUI->Trigger();
    answer = platform::kMbYes;
    int cancel = 1;
    window->Form_Unload(cancel);
    EXPECT_EQ(cancel, 0);
    EXPECT_EQ(messages[1].prompt, question);
    EXPECT_EQ(messages.back().prompt, QStringLiteral("1個のファイルの変更を適用しました。"));
    EXPECT_FALSE(core::AnyDrawingBackup());
    EXPECT_EQ(squaresIn("a.qlk"), 2);
    EXPECT_TRUE(Exists(platform::ProgramFile("quillark.ini")));

    EditDrawing();
    ASSERT_TRUE(core::SaveBackupFile(File("b.qlk")));
    core::SetModified(false);
    answer = platform::kMbNo;  // discards
    window->Form_Unload(cancel);
    EXPECT_EQ(cancel, 0);
    EXPECT_EQ(messages.back().prompt, question);
    EXPECT_FALSE(HasBackup("b.qlk"));
    EXPECT_EQ(squaresIn("b.qlk"), 1);

    messages.clear();
    window->Form_Unload(cancel);  // nothing pending: no question
    EXPECT_TRUE(messages.empty());
}

TEST_F(FolderCommandsTest, NamesThatAreNotUtf8ReachTheirOwnFile)
{
    const std::string odd = "odd\xFF.png";
    const std::string twin = "odd\xEF\xBF\xBD.png";  // the name the odd one shows as
    Touch(odd, "odd");
    Touch(twin, "twin");
    OpenBrowser();
    ASSERT_EQ(browser().ListCount(), 2);
    SelectName(odd);
    EXPECT_EQ(browser().SelectedPath(), File(odd));
    browser().mnuCopyFile_Click();
    EXPECT_EQ(ReadAll(File("odd\xFF_1.png")), "odd");
    SelectName(odd);
    browser().mnuDeleteFile_Click();
    EXPECT_FALSE(Exists(File(odd)));
    EXPECT_EQ(ReadAll(File(twin)), "twin");
    EXPECT_EQ(browser().ListCount(), 2);

    NewFolder("browse/dir\xFF");
    browser().Label1_Click();
    toolwindows::SelectFolderGUI *chooser = browser().FolderChooser();
    ASSERT_NE(chooser, nullptr);
    chooser->Dir1_Click(2);
    EXPECT_EQ(chooser->DirPath(), folder + "/dir\xFF");
    chooser->Form_KeyDown(27, 0);
}

// Names of the program's own files planted in the program folder as pipes and as links to files
// elsewhere: thumbnails, the canvas movie and backups are made as before, nothing blocks, and
// the files the links name are not touched.
TEST_F(FolderCommandsTest, PlantedPipesAndLinksInTheProgramFolderChangeNothingOutsideIt)
{
    namespace fs = std::filesystem;
    const fs::path outside = fs::temp_directory_path() / ("quillark-outside-" + std::to_string(getpid()));
    fs::remove_all(outside);
    fs::create_directories(outside);
    const std::string pid = std::to_string(getpid());
    std::vector<std::string> linked, piped;
    for (int i = 0; i < 10; ++i) {
        (i % 2 ? linked : piped).push_back("_thumbtemp" + std::to_string(i) + ".tmp");
    }
    linked.push_back("_canvtemp-" + pid + ".tmp");
    linked.push_back("a.qlk.backup");
    for (const std::string &name : linked) {
        WriteAll((outside / name).string(), "kept " + name);
        fs::create_symlink(outside / name, platform::ProgramFile(name));
    }
    for (const std::string &name : piped) {
        ASSERT_EQ(mkfifo(platform::ProgramFile(name).c_str(), 0600), 0) << name;
    }

    Drawing("a.qlk", 1);
    Drawing("b.qlk", 2);
    OpenBrowser();
    browser().resize(200, 400);
    browser().SizePanes(200);
    browser().ThumbDisplay(File("b.qlk"));
    EXPECT_EQ(Pixel(browser().Picture1, 50, 80), 0x0000FFu) << "the thumbnail shows the drawing";
    browser().Openfile(File("a.qlk"));
    EditDrawing();
    browser().OpenNextFile(1);
    EXPECT_TRUE(HasBackup("a.qlk"));
    EXPECT_FALSE(fs::is_symlink(core::BackupFilePath(File("a.qlk"))));
    ASSERT_TRUE(movie::EnsureCanvasMovieFile(Doc().CanvasTempFile));
    EXPECT_EQ(ReadAll(Doc().CanvasTempFile).substr(0, 3), "FWS");

    for (const std::string &name : linked) {
        EXPECT_EQ(ReadAll((outside / name).string()), "kept " + name) << name;
    }
    for (const std::string &name : piped) {
        std::error_code ignored;
        fs::remove(platform::ProgramFile(name), ignored);
    }
    for (const std::string &name : linked) {
        std::error_code ignored;
        if (fs::is_symlink(fs::symlink_status(platform::ProgramFile(name), ignored))) {
            fs::remove(platform::ProgramFile(name), ignored);
        }
    }
    fs::remove_all(outside);
}

}  // namespace
