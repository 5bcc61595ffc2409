// The file browser's rename box: a borderless one-line box laid over the current entry that
// renames its file in place when Enter is pressed.
#pragma once

#include "platform/forms/controls.h"

#include <QWidget>

#include <string>

namespace toolwindows {

class FolderGUI;

class RenameTextbox : public QWidget {
    Q_OBJECT
public:
    explicit RenameTextbox(FolderGUI &browser);
    ~RenameTextbox() override;

    // Fills the box with the current entry's name and shows it over the entry, its bottom edge at
    // the pointer.
    void Open();

    // Enter renames, Esc cancels.
    void Text1_KeyPress(int keyAscii);
    // Losing the focus closes the box without renaming.
    void Text1_LostFocus();

    platform::TextBox *Text1;
    std::string orgFn;   // the file being renamed
    std::string orgDir;  // its folder, ending in "/"

private:
    void Rename();
    void CloseBox();

    FolderGUI &browser_;
    bool renaming_ = false;
    bool closed_ = false;
};

}  // namespace toolwindows
