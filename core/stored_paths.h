// Paths stored in the files' code page (CP932). A path with characters the code page cannot hold
// (é, 😀, 〜) is still stored in the files' format, as the nearest text the code page has; the
// program remembers the real path for the rest of the run, so reading that text back in the same
// run (a pending-change backup, a drawing saved and opened again) gives the path the user chose.
// Whoever stores such a path tells the user that it will not survive the run.
#pragma once

#include <string>

namespace core {

// Said when a drawing's underlay path is stored only as the nearest text the code page has.
inline constexpr char kUnderlayPathNotStored[] =
    "下絵のパスに Shift-JIS で保存できない文字があります。下絵の指定は次回の起動後には読み込めません。";

// Whether the path is stored as it is. When it is not, the stored text is remembered as standing
// for the path.
bool NoteStoredPath(const std::string &utf8);

// The path a text read from a file stands for: the remembered path, or the text itself.
std::string PathOfStoredText(const std::string &utf8);

void ResetStoredPathsForTest();

}  // namespace core
