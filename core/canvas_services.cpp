#include "core/canvas_services.h"

#include "core/installed_interface.h"

namespace core {
namespace {

InstalledInterface<CanvasServices> g_services;

}  // namespace

CanvasServices &GetCanvasServices()
{
    return g_services.Get();
}

void SetCanvasServices(CanvasServices *services)
{
    g_services.Set(services);
}

}  // namespace core
