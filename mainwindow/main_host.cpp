#include "mainwindow/main_host.h"

#include "mainwindow/draw_gui.h"

namespace mainwindow {

void MainHost::RefreshBrushMenu()
{
    window_.RefreshBrushMenu();
}

void MainHost::SetupBrushList()
{
    // The brush palette shows the list while it is open; it has nothing to show before then.
}

}  // namespace mainwindow
