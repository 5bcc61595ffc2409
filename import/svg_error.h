// The SVG importer's failure signal and its checked number conversions. Any malformed value, a
// number out of range or a document past the importer's limits ends the whole import: the reader
// catches SvgError and reports a failed load, so nothing of a partly read file is imported.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>

namespace importer {

class SvgError : public std::runtime_error {
public:
    explicit SvgError(const std::string &what) : std::runtime_error(what) {}
};

// Converts a whole decimal text ("-1.5", "+2", "1e-3", ".5") to a finite double; anything else
// (empty, a lone sign, two decimal points, trailing characters, overflow) throws SvgError.
double ConvertDecimal(std::string_view text);

// The same, as a single-precision value (throws when it does not fit a float).
float ConvertSingle(std::string_view text);

// Rounds half to even into the signed 32-bit range; throws SvgError when the value is not finite
// or does not fit.
int32_t CheckedRound(double value);

// a + b, throwing SvgError when the sum leaves the signed 32-bit range.
int32_t CheckedAdd(int32_t a, int32_t b);

}  // namespace importer
