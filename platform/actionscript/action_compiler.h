// The script compiler behind clip actions: ActionScript source to SWF action bytecode.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace platform {

// Compiles zero-terminated UTF-8 source for the given SWF version.
// Returns > 0 with the bytecode in `out` (ending with the End action), 0 with an error text in
// `out` ("Error:" text LF "Line " number; lines counted from 1), or < 0 on a failure without text.
int CompileSwfActionCode(const char *source, int version, std::vector<uint8_t> &out);

// The compiler CompileActionCode uses; tests install a stand-in. nullptr restores the built-in one.
using ActionCompilerFn = int (*)(const char *source, int version, std::vector<uint8_t> &out);
void SetActionCompiler(ActionCompilerFn compiler);

// Runs the installed compiler (CompileSwfActionCode unless a stand-in is installed).
int CompileActionCode(const char *source, int version, std::vector<uint8_t> &out);

}  // namespace platform
