// Commands that read or paste (open, read clip, drop, paste, import) bring in as much as a file
// asks for. When memory cannot hold it, the command is taken back as a whole and the user is told,
// instead of the program ending with the drawing lost.
#pragma once

#include <functional>

namespace core {

// Runs the command. When an allocation fails inside it, the document (paths, anchor selection,
// canvas settings, history, file name, recent files, caption and modified mark) and the clip's
// origin and paste offsets go back to what they were, the canvas is redrawn and a message is
// shown. Returns false after such a failure. Keeping the state costs a table of pointers: the
// paths are shared with the history entry they equal.
bool RunWithinMemory(const std::function<void()> &command);
// The same for a command that tells whether it succeeded: false after a failure of either kind.
bool SucceedsWithinMemory(const std::function<bool()> &command);

// Whether a command run by RunWithinMemory is running: what it has to show that memory cannot
// hold (the canvas movie's figures) fails the command instead of showing less.
bool RunningWithinMemory();

// Runs a read that changes nothing kept (a thumbnail, a file's extent, an underlay shown): when an
// allocation fails inside it, the message is shown and false returned.
bool ReadsWithinMemory(const std::function<void()> &read);

// The message shown after such a failure.
inline constexpr char kOutOfMemoryMessage[] =
    "メモリが足りないため、この操作を中止しました。\n描画は操作の前の状態のままです。";
inline constexpr char kOutOfMemoryTitle[] = "メモリ不足";

}  // namespace core
