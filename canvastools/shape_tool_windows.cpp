#include "canvastools/shape_tool_windows.h"

#include "core/installed_interface.h"

namespace canvastools {
namespace {

core::InstalledInterface<ShapeToolWindows> g_windows;

}  // namespace

ShapeToolWindows &ShapeWindows()
{
    return g_windows.Get();
}

void SetShapeWindows(ShapeToolWindows *windows)
{
    g_windows.Set(windows);
}

}  // namespace canvastools
