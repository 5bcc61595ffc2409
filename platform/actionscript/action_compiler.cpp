// Entry points of the clip-action compiler: ActionScript source to SWF action bytecode.
#include "platform/actionscript/action_compiler.h"

#include <cstring>
#include <limits>
#include <string>

#include "platform/actionscript/script_codegen.h"
#include "platform/actionscript/script_lexer.h"
#include "platform/actionscript/script_parser.h"

namespace platform {

namespace {

struct CompilerState {
    ActionCompilerFn installed = nullptr;
};

CompilerState &Compiler()
{
    static CompilerState state;
    return state;
}

}  // namespace

int CompileSwfActionCode(const char *source, int version, std::vector<uint8_t> &out)
{
    out.clear();
    if (source == nullptr || version < 5 || version > 6) {
        return -1;
    }
    try {
        std::vector<Token> tokens = TokenizeScript(std::string_view(source, std::strlen(source)));
        ScriptTree tree = ParseScript(tokens);
        tokens.clear();
        out = GenerateActions(tree, version);
        if (out.size() > static_cast<size_t>(std::numeric_limits<int>::max())) {
            throw ScriptError{"スクリプトが大きすぎます", 1};
        }
        return static_cast<int>(out.size());
    } catch (const ScriptError &error) {
        std::string text = "Error:" + error.message + "\nLine " + std::to_string(error.line);
        out.assign(text.begin(), text.end());
        return 0;
    } catch (const std::bad_alloc &) {
        out.clear();
        return -1;
    }
}

void SetActionCompiler(ActionCompilerFn compiler)
{
    Compiler().installed = compiler;
}

int CompileActionCode(const char *source, int version, std::vector<uint8_t> &out)
{
    ActionCompilerFn installed = Compiler().installed;
    return installed ? installed(source, version, out) : CompileSwfActionCode(source, version, out);
}

}  // namespace platform
