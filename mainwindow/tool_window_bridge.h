// The main window as the tool windows' link to it: answers their MainWindowLink calls with its
// settings, canvas, status line, check boxes, Edit menu and key shortcuts.
#pragma once

#include "toolwindows/main_window_link.h"

namespace mainwindow {

class DrawGUI;

class ToolWindowBridge : public toolwindows::MainWindowLink {
public:
    explicit ToolWindowBridge(DrawGUI &window) : window_(window) {}

    toolwindows::ToolWindowSettings &Settings() override;
    std::shared_ptr<platform::GroupCache> PlayerGroups() override;
    void DispShape(int16_t flag) override;
    void FormResizeSub() override;
    int16_t ConfirmModify() override;
    QString StatusText() const override;
    void SetStatusText(const QString &text) override;
    void ShowUnderlay() override;
    void RunEditCommand(toolwindows::EditCommand command) override;
    void Form_KeyUp(int keyCode, int shift) override;
    void PopupMenuShown() override;

private:
    DrawGUI &window_;
};

}  // namespace mainwindow
