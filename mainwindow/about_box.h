// The about box: the program's picture, version and build, and a link to its home page.
#pragma once

#include "platform/forms/controls.h"
#include "platform/forms/modal_dialog.h"

#include <QPushButton>

namespace mainwindow {

inline constexpr const char *kHomePageAddress = "https://quillark.org/";

class VersionInfo : public platform::DialogForm {
    Q_OBJECT
public:
    explicit VersionInfo(QWidget *owner);

    void Form_Load();
    void Form_KeyPress(int keyAscii) override;
    void Command1_Click();
    // Opens the home page in the user's browser; the link shows red while it is being opened.
    void Label4_Click();

    QLabel *Picture1;
    QLabel *Label1, *Label2, *Label3;
    platform::Label *Label4;
    QPushButton *Command1;
};

}  // namespace mainwindow
