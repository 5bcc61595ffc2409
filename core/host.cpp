#include "core/host.h"

#include "core/installed_interface.h"

namespace core {
namespace {

InstalledInterface<Host> g_host;

}  // namespace

Host &GetHost()
{
    return g_host.Get();
}

void SetHost(Host *host)
{
    g_host.Set(host);
}

}  // namespace core
