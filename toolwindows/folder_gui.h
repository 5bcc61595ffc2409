// The file browser: a thumbnail of the current entry over the list of the drawings, clips and
// pictures of one folder; its commands open drawings while the one left behind keeps its edits
// as a pending change (a backup in the program folder).
#pragma once

#include "platform/forms/controls.h"
#include "platform/forms/menus.h"
#include "platform/forms/picture_box.h"
#include "platform/player/movie_player.h"
#include "toolwindows/folder_listing.h"
#include "toolwindows/tool_window.h"

#include <QListWidget>

#include <cstdint>
#include <memory>
#include <string>

namespace toolwindows {

class RenameTextbox;
class SelectFolderGUI;

// The list of files, reporting mouse-up and key-up with the button or key and the shift state,
// and files dropped on it.
class FileList : public QListWidget {
    Q_OBJECT
public:
    explicit FileList(QWidget *parent = nullptr);

signals:
    void MouseUp(int button, int shift, float x, float y);
    void KeyUp(int keyCode, int shift);
    void FilesDropped(const QStringList &files);

protected:
    void mouseReleaseEvent(QMouseEvent *event) override;
    void keyReleaseEvent(QKeyEvent *event) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dragMoveEvent(QDragMoveEvent *event) override;
    void dropEvent(QDropEvent *event) override;
};

// The list's pop-up menu.
struct FolderListMenus {
    FolderListMenus();

    std::unique_ptr<platform::Menu> mnuFileList;
    platform::MenuItem *mnuEditFile, *mnuRenameFile, *mnuCopyFile, *mnuDeleteFile, *mnuSetBG;
    platform::Menu *mnuAnimePreview;
    platform::MenuItem *mnuAnimePreviewFrame, *mnuAnimePreviewMorph;
    platform::MenuItem *mnuApplyChange, *mnuVoidChange, *mnuApplyChangeAll, *mnuVoidChangeAll, *mnuRefleshList;
};

class FolderGUI : public SplitToolWindow {
    Q_OBJECT
public:
    // A tool window of owner that unchecks viewItem when it unloads.
    FolderGUI(QWidget &owner, platform::MenuItem &viewItem);
    ~FolderGUI() override;

    // The file name of entry i: the text after its last "| "; "" for none.
    QString GetFileList(int32_t i) const;
    // The file name of entry i as the bytes on disk; "" for none.
    std::string FileNameAt(int32_t i) const;
    // The browsed folder joined with the current entry's name; "" without a current entry.
    std::string SelectedPath() const;
    // Lists BrowserFolder again; a change of folder settles the pending changes first.
    void SetDirectory();
    // Opens the next (1) or previous (-1) drawing of the list from the current entry.
    void OpenNextFile(int v);
    // Opens drawing file f in the editor; the drawing left behind keeps its edits as a backup.
    void Openfile(const std::string &f);
    // Draws the thumbnail of one file into Picture1 (again only when the path changed, or always
    // after a splitter drag).
    void ThumbDisplay(const std::string &path, bool redraw = false);
    // Lays the panes out for a splitter top in pixels (kept 66 from the top and the bottom).
    void SizePanes(int pos) override;

    // The list as the handlers see it.
    int32_t ListCount() const { return List1->count(); }
    int32_t ListIndex() const { return List1->currentRow(); }
    void SetListIndex(int32_t row);
    bool RowSelected(int32_t row) const;
    int32_t SelectedCount() const;

    // Events.
    void List1_Click();
    void List1_DblClick();
    void List1_KeyUp(int keyCode, int shift);
    void List1_MouseUp(int button, int shift, float x, float y);
    void List1_OLEDragDrop(const QStringList &files);
    void Label1_Click();
    void Form_Resize();

    // The list's commands (folder_commands.cpp).
    void mnuEditFile_Click();
    void mnuRenameFile_Click();
    void mnuCopyFile_Click();
    void mnuDeleteFile_Click();
    void mnuSetBG_Click();
    void ShowAnimePreview(int mode);
    void mnuApplyChange_Click();
    void mnuVoidChange_Click();
    // Applies the pending change of every listed drawing, tells how many were applied and returns
    // how many could not be.
    int32_t ApplyAllChanges();
    void mnuApplyChangeAll_Click();
    void mnuVoidChangeAll_Click();
    void mnuRefleshList_Click() { SetDirectory(); }

    // While a command applies pending changes, the drawing core's requests to list the folder
    // again wait for the command's own listing.
    bool Busy() const { return applying_ > 0; }

    RenameTextbox *RenameBox() const { return renameBox_; }
    SelectFolderGUI *FolderChooser() const { return folderChooser_; }

    platform::PictureBox *Picture1;
    platform::Label *Label1;
    FileList *List1;
    // Renders the thumbnail movies; it is never shown.
    platform::MoviePlayer ShockwaveFlash2;
    FolderListMenus menus;

    std::string LastThumbFile;
    bool InLayout = false;

protected:
    void resizeEvent(QResizeEvent *event) override;
    void Forget() override;
    void SplitterMoved() override;

private:
    // ThumbDisplay's drawing, which may run out of memory.
    void DrawThumbnail(const std::string &path);
    void BuildControls();
    void ConnectHandlers();
    void ConnectCommands();
    // Asks about the pending changes of the folder still listed before another is listed; false
    // when the folder stays (Cancel, or changes that could not be applied).
    bool SettlePendingChanges(const std::string &listed);
    // Refills the list in place from the folder's files and selects the open drawing's entry.
    void FillList(const std::vector<FolderEntry> &entries);
    // Draws the picture or the movie of a probed file into the rectangle.
    void DrawThumbnail(const std::string &path, int32_t type, int32_t w, int32_t h, const QRect &rect);
    void ShowListMenu();

    bool filling_ = false;
    int applying_ = 0;
    RenameTextbox *renameBox_ = nullptr;
    SelectFolderGUI *folderChooser_ = nullptr;

    friend class RenameTextbox;
    friend class SelectFolderGUI;
};

// The open file browser, or nullptr.
FolderGUI *FolderWindow();

// The view command: opens the browser at its stored placement (made for owner and the View-menu
// item on first use), or unloads it.
void ShowFolderGUI(QWidget &owner, platform::MenuItem &viewItem, bool show);

// Connects the browser to the main window: before the main window closes, the open browser
// stores its placement and stays marked open for the next start.
void ConnectFolderBrowser(QWidget &owner);

// The drawing core's request after a drawing was opened, saved or had its pending change
// applied: while the browser is open it lists that folder.
void ShowFolderInBrowser(const std::string &folder);

// Applies the pending changes of the named files of a folder, tells how many were applied and
// returns how many could not be.
int32_t ApplyPendingChanges(const std::string &folder, const std::vector<std::string> &names, QWidget *owner);
// Shut-down: when drawings of the browsed folder have pending changes, asks whether to apply
// them all (Yes), discard them (No) or keep the program running (Cancel, returns false). False
// too when a change could not be written: it stays pending.
bool SettlePendingChangesAtExit(QWidget *owner);

// The folder listed last; it outlives the browser window, so reopening the window is no change of
// folder.
const std::string &ListedFolder();
void ResetFolderBrowserForTest();

}  // namespace toolwindows
