// Files the user keeps are written whole to a temporary file beside the target and renamed over
// it only after every write succeeded; a failure leaves the old file as it was.
#pragma once

#include <string>
#include <string_view>

namespace platform {

// Writes the bytes to path. Returns false (and a reason in *error when given) on any failure.
// An existing file keeps its permission bits.
bool WriteFileAtomically(const std::string &path, std::string_view bytes, std::string *error = nullptr);

// Reads a whole regular file; false when it cannot be opened or read, or is not a regular file.
bool ReadWholeFile(const std::string &path, std::string &bytes);

}  // namespace platform
