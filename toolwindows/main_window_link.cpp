#include "toolwindows/main_window_link.h"

#include "core/installed_interface.h"

namespace toolwindows {
namespace {

core::InstalledInterface<MainWindowLink> g_link;

}  // namespace

ToolWindowSettings &MainWindowLink::Settings()
{
    static ToolWindowSettings unlinked;
    return unlinked;
}

MainWindowLink &MainWindow()
{
    return g_link.Get();
}

void SetMainWindow(MainWindowLink *link)
{
    g_link.Set(link);
}

}  // namespace toolwindows
