// The File menu worked from the keyboard once recent files are listed, and the file browser
// following a drawing saved under a new name into the folder it shows.
#include "tests/journeys/journey_fixture.h"
#include "toolwindows/folder_gui.h"

#include <QApplication>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QTest>

namespace journeys {
namespace {

class FileMenu : public Journey {
protected:
    // Opens the menu bar's File menu as a click on it does.
    QMenu *OpenFileMenu()
    {
        for (QAction *top : window->menuBar()->actions()) {
            if (PlainCaption(top->text()) == QStringLiteral("ファイル")) {
                QMenu *menu = top->menu();
                menu->popup(window->mapToGlobal(QPoint(0, 0)));
                QApplication::processEvents();
                return menu;
            }
        }
        ADD_FAILURE() << "no File menu";
        return nullptr;
    }

    QStringList SelectedRows() const
    {
        QStringList rows;
        for (const QListWidgetItem *item : toolwindows::FolderWindow()->List1->selectedItems()) {
            rows << item->text();
        }
        return rows;
    }
};

// Each access key of the File menu chooses its own item: D the preferences, Q quits.
TEST_F(FileMenu, AccessKeysChooseTheirItemsWithRecentFilesListed)
{
    OpenDrawing(WriteDrawing("a&q.qlk", {Square(20, 20, 100, 0xFF0000)}));
    OpenDrawing(WriteDrawing("b.qlk", {Square(20, 20, 100, 0x0000FF)}));

    QMenu *menu = OpenFileMenu();
    ASSERT_NE(menu, nullptr);
    ASSERT_TRUE(menu->isVisible());
    QTest::keyClick(menu, Qt::Key_D);
    QApplication::processEvents();
    EXPECT_EQ(dialogsShown, std::vector<std::string>{"mainwindow::PreferenceGUI"});
    EXPECT_FALSE(menu->isVisible());

    menu = OpenFileMenu();
    ASSERT_NE(menu, nullptr);
    QTest::keyClick(menu, Qt::Key_Q);
    QApplication::processEvents();
    EXPECT_FALSE(window->isVisible()) << "Q moved to " << (menu->activeAction() ? menu->activeAction()->text().toStdString() : "nothing");
}

// Saved under a new name in the folder the browser lists, the drawing's new file is the one
// the list marks.
TEST_F(FileMenu, SaveAsIntoTheBrowsedFolderMarksTheSavedFile)
{
    const std::string a = WriteDrawing("a.qlk", {Square(20, 20, 100, 0xFF0000)});
    Menu({QStringLiteral("表示"), QStringLiteral("フォルダ管理ツール")});
    OpenDrawing(a);
    ASSERT_NE(toolwindows::FolderWindow(), nullptr);
    ASSERT_EQ(SelectedRows().size(), 1);
    ASSERT_TRUE(SelectedRows().front().contains(QStringLiteral("a.qlk")));

    AnswerFileDialog(File("b.qlk"));
    Menu({QStringLiteral("ファイル"), QStringLiteral("名前を付けて保存")});
    EXPECT_EQ(Caption(), QStringLiteral("[ b.qlk ] - Quillark"));
    const QStringList rows = SelectedRows();
    ASSERT_EQ(rows.size(), 1);
    EXPECT_TRUE(rows.front().contains(QStringLiteral("b.qlk"))) << rows.front().toStdString();

    // A save that is cancelled leaves the name and the mark.
    AnswerFileDialog("");
    Menu({QStringLiteral("ファイル"), QStringLiteral("名前を付けて保存")});
    EXPECT_EQ(Caption(), QStringLiteral("[ b.qlk ] - Quillark"));
    ASSERT_EQ(SelectedRows().size(), 1);
    EXPECT_TRUE(SelectedRows().front().contains(QStringLiteral("b.qlk")));
}

}  // namespace
}  // namespace journeys
