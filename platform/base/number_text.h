// Numbers read from and written as text the way the files and the input boxes expect.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace platform {

// The number at the start of the text: leading blanks skipped, an optional sign, digits with an
// optional fraction and exponent (E or D), or &H hexadecimal / &O octal; 0 when there is none.
// Never throws; a value out of range gives +-infinity only through the exponent form (callers
// saturate when converting).
double Val(std::string_view text);

// The value of a hexadecimal digit (0-9, a-f, A-F); -1 for any other character.
int HexDigitValue(char c);

// A single-precision value in the files' form: "." as decimal point whatever the locale, no
// leading zero below 1 (".5", "-.5"), exponent form ("1.5E+08", "3.051758E-05") for very small and
// very large magnitudes, and the shortest digits that read back to the same float.
std::string FormatSingle(float value);

// A double in its shortest decimal text that reads back to the same value, with a leading zero
// ("0.5"); the form numbers are shown in boxes and dialogs.
std::string FormatNumber(double value);

}  // namespace platform
