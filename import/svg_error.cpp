#include "import/svg_error.h"

#include <charconv>
#include <cmath>
#include <limits>

namespace importer {

double ConvertDecimal(std::string_view text)
{
    std::string_view digits = text;
    if (!digits.empty() && digits.front() == '+') {
        digits.remove_prefix(1);
        if (!digits.empty() && digits.front() == '-') {
            throw SvgError("bad number: " + std::string(text));
        }
    }
    double value = 0;
    const char *end = digits.data() + digits.size();
    auto [ptr, ec] = std::from_chars(digits.data(), end, value, std::chars_format::general);
    if (digits.empty() || ec != std::errc() || ptr != end || !std::isfinite(value)) {
        throw SvgError("bad number: " + std::string(text));
    }
    return value;
}

float ConvertSingle(std::string_view text)
{
    double value = ConvertDecimal(text);
    if (std::fabs(value) > static_cast<double>(std::numeric_limits<float>::max())) {
        throw SvgError("number out of range: " + std::string(text));
    }
    return static_cast<float>(value);
}

int32_t CheckedRound(double value)
{
    // Below 2^52 in magnitude, adding and taking away 2^52 of the value's sign rounds to a whole
    // number half to even in the default rounding mode, exactly as platform::RoundHalfEven does,
    // without branching on the fraction (this runs for every coordinate of an import).
    constexpr double kExact = 4503599627370496.0;  // 2^52
    if (!(std::fabs(value) < kExact)) {
        throw SvgError("number out of range");  // also NaN and the infinities
    }
    const double shift = std::copysign(kExact, value);
    const double rounded = (value + shift) - shift;
    if (rounded < std::numeric_limits<int32_t>::min() || rounded > std::numeric_limits<int32_t>::max()) {
        throw SvgError("number out of range");
    }
    return static_cast<int32_t>(rounded);
}

int32_t CheckedAdd(int32_t a, int32_t b)
{
    int32_t sum = 0;
    if (__builtin_add_overflow(a, b, &sum)) {
        throw SvgError("coordinate out of range");
    }
    return sum;
}

}  // namespace importer
