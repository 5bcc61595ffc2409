#include "tests/toolwindows/folder_browser_fixture.h"

#include "core/document_lifecycle.h"
#include "platform/forms/key_codes.h"
#include "toolwindows/folder_listing.h"

#include <QDir>

using namespace testsupport;
using mainwindow::Main;

namespace {

class FolderBrowserTest : public FolderBrowserFixture {};

TEST_F(FolderBrowserTest, ListsMarkersAndTypesSortedByTypeInNameOrder)
{
    Touch("x.png");
    Touch("a.JPEG");
    Touch("b.svgz");
    Touch("c.qkclip");
    Drawing("d.qlk");
    Drawing("e.qlk");
    Touch("f.bmp");
    Touch("e.png");
    Touch("notes.txt");
    WriteAll(core::BackupFilePath("d.qlk"), "pending");
    core::Lifecycle().CurrentFileName = "/elsewhere/e.qlk";  // same name, other folder
    OpenBrowser();
    EXPECT_EQ(Entries(), (std::vector<QString>{"　BMP| f.bmp", "　JPG| a.JPEG", "　PNG| e.png", "　PNG| x.png",
                                               "　QKC| c.qkclip", "●QLK| d.qlk", "○QLK| e.qlk", "　SVG| b.svgz"}));
    EXPECT_EQ(browser().ListIndex(), Row("e.qlk"));
    EXPECT_EQ(browser().SelectedCount(), 1);
    EXPECT_EQ(browser().SelectedPath(), File("e.qlk"));
    EXPECT_EQ(browser().Label1->text(), QStringLiteral("browse"));
    EXPECT_EQ(browser().GetFileList(99), QString());
}

TEST_F(FolderBrowserTest, EmptyOrMissingFolders)
{
    OpenBrowser();
    EXPECT_EQ(browser().ListCount(), 0);
    EXPECT_EQ(browser().SelectedPath(), "");
    Main().BrowserFolder = folder + "/gone";
    browser().SetDirectory();
    EXPECT_EQ(Main().BrowserFolder, platform::ProgramFolder());
    EXPECT_EQ(toolwindows::NormalFolder(folder + "/./sub/../"), folder);
    EXPECT_EQ(toolwindows::NormalFolder("/"), "/");
    EXPECT_EQ(toolwindows::NormalFolder("rel"), QDir::currentPath().toStdString() + "/rel");
}

TEST_F(FolderBrowserTest, ThumbnailsOfGoodAndCorruptFilesNeverCrash)
{
    Drawing("good.qlk", 1);
    Drawing("empty.qlk", 0);
    WriteAll(File("bad.qlk"), "QLK030\r\n320,240,255,255,255\r\n\xff\xfe,,\"\r\n99999999\r\n");
    WriteAll(File("bad.qkclip"), "QKCLIP030\r\n5,0,0\r\n1,2\r\n");
    WriteAll(File("bad.svg"), "<svg width=\"40\" height=\"30\"><path d=\"M 0 0 L");
    WriteAll(File("bad.png"), std::string("\x89PNG\r\n\x1a\n\0\0\0\rIHDR\0\0\0\x10\0\0\0\x10\x08\x02", 24) + "junk");
    OpenBrowser();
    browser().resize(200, 400);
    browser().SizePanes(200);
    platform::PictureBox &pane = *browser().Picture1;
    uint32_t back = pane.BackColor();
    browser().ThumbDisplay(File("good.qlk"));
    EXPECT_EQ(browser().LastThumbFile, File("good.qlk"));
    // The drawing fills the square pane; its red square the top left quarter.
    EXPECT_EQ(Pixel(&pane, 50, 80), 0x0000FFu);
    for (const char *name : {"empty.qlk", "bad.qlk", "bad.qkclip", "bad.svg", "bad.png"}) {
        browser().ThumbDisplay(File(name));
        EXPECT_EQ(Pixel(&pane, 100, 150), back) << name;
    }
    browser().ThumbDisplay(File("missing.qlk"));
    EXPECT_EQ(Pixel(&pane, 2, 3), back);
    for (const auto &entry : std::filesystem::directory_iterator(platform::ProgramFolder())) {
        EXPECT_EQ(entry.path().filename().string().rfind("_thumbtemp", 0), std::string::npos);
    }
}

}  // namespace

TEST_F(FolderBrowserTest, SplitterDragsStopSixtySixPixelsFromEitherEdge)
{
    toolwindows::FolderGUI &gui = OpenBrowser();
    gui.resize(200, 400);
    gui.SizePanes(200);
    const int grip = gui.imgSplitter2->y();
    gui.imgSplitter2_MouseMove(1, 0, 0, -500);  // a move without a press drags nothing
    EXPECT_FALSE(gui.picSplitter2->isVisible());
    gui.imgSplitter2_MouseDown(1, 0, 0, 0);
    gui.imgSplitter2_MouseMove(1, 0, 0, float(-grip));  // to the window's top
    EXPECT_EQ(gui.picSplitter2->y(), 66);
    gui.imgSplitter2_MouseMove(1, 0, 0, 5000);
    EXPECT_EQ(gui.picSplitter2->y(), gui.height() - 66);
    gui.imgSplitter2_MouseUp(1, 0, 0, 5000);
    EXPECT_FALSE(gui.SplitterMoving);
    EXPECT_EQ(gui.imgSplitter2->y(), gui.height() - 66);
    EXPECT_EQ(gui.Picture1->height(), gui.height() - 66);
}
