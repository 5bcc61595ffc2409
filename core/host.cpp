#include "core/host.h"

namespace core {
namespace {

Host g_defaultHost;
Host *g_host = &g_defaultHost;

}  // namespace

Host &GetHost()
{
    return *g_host;
}

void SetHost(Host *host)
{
    g_host = host ? host : &g_defaultHost;
}

}  // namespace core
