#include "core/path_importers.h"

#include "core/installed_interface.h"

namespace core {
namespace {

InstalledInterface<PathImporters> g_importers;

}  // namespace

PathImporters &GetPathImporters()
{
    return g_importers.Get();
}

void SetPathImporters(PathImporters *importers)
{
    g_importers.Set(importers);
}

}  // namespace core
