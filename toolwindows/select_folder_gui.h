// The file browser's folder chooser: a "drive" list (the root and the home folder) above a folder
// list holding the open folder, ".." and its subfolders. Accepting a folder lists it in the
// browser.
#pragma once

#include "platform/forms/key_preview.h"

#include <QComboBox>
#include <QListWidget>
#include <QWidget>

#include <string>

namespace toolwindows {

class FolderGUI;

class SelectFolderGUI : public QWidget {
    Q_OBJECT
public:
    explicit SelectFolderGUI(FolderGUI &browser);
    ~SelectFolderGUI() override;

    // Shows the chooser at the pointer over the browser, at the browsed folder.
    void Open();

    // The folder Dir1 shows; pointing it at a folder that cannot be read changes nothing.
    const std::string &DirPath() const { return dirPath_; }
    bool SetDirPath(const std::string &folder);

    // Events.
    void Drive1_Change(int index);
    // Row 0 (the open folder) accepts it; ".." and the subfolders are entered.
    void Dir1_Click(int row);
    void Form_KeyDown(int keyCode, int shift);
    // Losing activation accepts the folder shown.
    void Form_Deactivate();
    void Form_Resize();

    QComboBox *Drive1;
    QListWidget *Dir1;

protected:
    void changeEvent(QEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void Accept();
    void CloseChooser();
    // The drive row that holds the folder.
    int DriveOf(const std::string &folder) const;

    FolderGUI &browser_;
    platform::KeyPreview *keyPreview_;
    std::string dirPath_;
    int driveIndex_ = 0;
    bool wasActive_ = false;
    bool closed_ = false;
};

}  // namespace toolwindows
