#include "mainwindow/tool_window_bridge.h"

#include "canvastools/canvas_input_state.h"
#include "mainwindow/draw_gui.h"
#include "mainwindow/main_state.h"

#include <array>

namespace mainwindow {

toolwindows::ToolWindowSettings &ToolWindowBridge::Settings()
{
    return Main();
}

std::shared_ptr<platform::GroupCache> ToolWindowBridge::PlayerGroups()
{
    return window_.playerGroups;
}

void ToolWindowBridge::DispShape(int16_t flag)
{
    window_.DispShape(flag);
}

void ToolWindowBridge::FormResizeSub()
{
    window_.FormResizeSub();
}

int16_t ToolWindowBridge::ConfirmModify()
{
    return window_.ConfirmModify();
}

QString ToolWindowBridge::StatusText() const
{
    return window_.StatusLabel1->text();
}

void ToolWindowBridge::SetStatusText(const QString &text)
{
    window_.StatusLabel1->setText(text);
}

void ToolWindowBridge::ShowUnderlay()
{
    if (window_.Check3->Value() == 0) {
        window_.Check3->SetValue(1);
    }
}

void ToolWindowBridge::RunEditCommand(toolwindows::EditCommand command)
{
    const DrawGuiMenus &menus = window_.menus;
    // In the order of EditCommand.
    const std::array<platform::MenuItem *, 5> items{menus.mnuUnDo, menus.mnuReDo, menus.mnuCopyPathEdit,
                                                    menus.mnuCutPathEdit, menus.mnuDeletePathEdit};
    emit items.at(static_cast<size_t>(command))->Click();
}

void ToolWindowBridge::Form_KeyUp(int keyCode, int shift)
{
    window_.Form_KeyUp(keyCode, shift);
}

void ToolWindowBridge::PopupMenuShown()
{
    canvastools::Input().PopupShown = true;
}

}  // namespace mainwindow
