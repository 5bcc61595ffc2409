// Splitting file paths into folder, file name and extension, and the one form folders are
// compared in. Paths use "/" only.
#pragma once

#include <string>

namespace platform {

// The text before the last "/" (a file in the root folder keeps it: "/"); "" for a path without
// any "/".
std::string GetFolderPart(const std::string &path);
// The text after the last "/" (the whole text when there is none).
std::string GetFileNamePart(const std::string &path);
// A folder in the one form folders are compared in: absolute, "." and ".." resolved, no trailing
// "/" except for the root. "" stays "".
std::string NormalFolder(const std::string &folder);
// The text after the last "." of the file name, case kept; "" when the name has no dot.
std::string GetExtensionPart(const std::string &path);

}  // namespace platform
