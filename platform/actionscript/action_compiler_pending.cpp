// Placeholder until the compiler is built: every script fails without text.
#include "platform/actionscript/action_compiler.h"

namespace platform {

namespace {
ActionCompilerFn installed = nullptr;
}

int CompileSwfActionCode(const char *, int, std::vector<uint8_t> &out)
{
    out.clear();
    return -1;
}

void SetActionCompiler(ActionCompilerFn compiler)
{
    installed = compiler;
}

int CompileActionCode(const char *source, int version, std::vector<uint8_t> &out)
{
    return installed ? installed(source, version, out) : CompileSwfActionCode(source, version, out);
}

}  // namespace platform
