// Conversion between the files' code page (CP932, Shift-JIS) and the program's UTF-8 text.
#pragma once

#include <string>
#include <string_view>

namespace platform {

// Bytes that are not valid CP932 become U+FFFD; never fails.
std::string Cp932ToUtf8(std::string_view cp932);
// The same, taking ASCII text over as it is (the same bytes in both) instead of copying it.
std::string TakeCp932AsUtf8(std::string &&cp932);

// Characters CP932 cannot hold (and invalid UTF-8) become '?'; never fails.
std::string Utf8ToCp932(std::string_view utf8);

// Whether the text comes back unchanged through CP932: false when a character has no CP932 code
// or only a look-alike one (〜 becomes ～).
bool FitsCp932(std::string_view utf8);

// The text with ASCII letters in lower case (file extensions, markup names); other bytes kept.
std::string AsciiLower(std::string_view text);

}  // namespace platform
