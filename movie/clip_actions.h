// Clip actions of a placed object: a script of sections such as
//   onClipEvent(load, enterFrame) { ... }
//   -
//   on(press, keyPress "<Left>") { ... }
// separated by lines holding only "-", each compiled into its event flags, an optional key code
// and SWF 6 action bytecode by the script compiler. Errors are shown in a message box titled
// "スクリプトエラー" and leave their line in ScriptErrorLine.
#pragma once

#include "movie/tag_buffer.h"
#include "platform/swf/tag_records.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace movie {

// Clip event flag of keyPress, the one event that carries a key code.
constexpr int32_t kClipEventKeyPress = platform::swf::kClipEventKeyPress;

struct ClipActionState {
    int32_t ScriptErrorLine = 0;  // line of the last script error; 0 after a successful start
};

ClipActionState &ClipActions();

void ResetClipActionsForTest();

// The contents of the file named by a leading #file "name" line (read as CP932 text, line ends
// made CR LF); otherwise, or when the file cannot be read (reported), the script itself. Names
// are relative to the open drawing's folder, or to the program folder when there is no drawing
// or the file is not beside it; "\" separates folders like "/".
std::string ExpandScriptIncludes(const std::string &script);

// Compiles action code (CR LF lines) to bytecode; error lines are reported lineOffset lines
// further on. Returns the byte count, 0 on failure.
int32_t CompileActionScript(const std::string &code, Bytes &bytes, int32_t lineOffset);

// Takes the first section off the script and compiles it: its event flags, the key code of a
// keyPress event and its bytecode. lineCounter counts the script lines before the section and
// is advanced past it, its separator and the blank lines after that. Returns the bytecode's byte
// count, 0 on failure.
int32_t CompileClipActions(std::string &script, Bytes &bytes, int32_t &eventFlags, int32_t &lineCounter,
                           int32_t &keyCode);

// The text before the first separator line; text keeps what follows the separator, trimmed by
// TrimLeading (no separator: the whole text, leaving text empty).
std::string NextSection(std::string &text);

// Removes leading spaces and CR LF pairs.
void TrimLeading(std::string &text);

// After TrimLeading, removes and returns (lower case) the event name, keyword or punctuation the
// text starts with; "" with nothing removed when there is none.
std::string NextToken(std::string &text);

// Reads "name" (a key name such as "<Left>" or one character); the key code, 0 when invalid.
int32_t ParseKeyCode(std::string &text);

// Number of CR LF pairs.
int32_t CountLines(std::string_view text);
// CountLines of whole up to where part first occurs in it.
int32_t CountLinesUpTo(std::string_view whole, std::string_view part);

// The line of a compiler error text "Error:...\nLine N"; 0 for any other text.
int32_t ParseErrorLine(std::string_view message);

}  // namespace movie
