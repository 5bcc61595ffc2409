#include "platform/base/number_text.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <locale.h>

namespace platform {
namespace {

// strtod follows LC_NUMERIC, which Qt sets from the user's environment: the files' "." must read
// the same under a locale with a decimal comma.
locale_t CLocale()
{
    static const locale_t c = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
    return c;
}

bool IsBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\v';
}

double ReadRadix(std::string_view text, size_t pos, int radix)
{
    double value = 0;
    for (; pos < text.size(); ++pos) {
        char c = text[pos];
        int digit = HexDigitValue(c);
        if (digit < 0 || digit >= radix) {
            break;
        }
        value = value * radix + digit;
    }
    return value;
}

// Splits a shortest scientific rendering ("1.2345e-05") into digits "12345" and exponent -5.
void ShortestDigits(float value, std::string &digits, int &exponent)
{
    char buffer[64];
    auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::scientific);
    std::string_view text(buffer, static_cast<size_t>(result.ptr - buffer));
    size_t e = text.find('e');
    digits.clear();
    for (char c : text.substr(0, e)) {
        if (c >= '0' && c <= '9') {
            digits += c;
        }
    }
    exponent = std::atoi(std::string(text.substr(e + 1)).c_str());
    while (digits.size() > 1 && digits.back() == '0') {
        digits.pop_back();
    }
}

}  // namespace

int HexDigitValue(char c)
{
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

double Val(std::string_view text)
{
    size_t pos = 0;
    while (pos < text.size() && IsBlank(text[pos])) {
        ++pos;
    }
    if (pos + 1 < text.size() && text[pos] == '&') {
        char kind = text[pos + 1];
        if (kind == 'H' || kind == 'h') {
            return ReadRadix(text, pos + 2, 16);
        }
        if (kind == 'O' || kind == 'o') {
            return ReadRadix(text, pos + 2, 8);
        }
        return 0;
    }
    std::string number;
    if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) {
        number += text[pos++];
    }
    bool anyDigit = false;
    while (pos < text.size() && text[pos] >= '0' && text[pos] <= '9') {
        number += text[pos++];
        anyDigit = true;
    }
    if (pos < text.size() && text[pos] == '.') {
        number += text[pos++];
        while (pos < text.size() && text[pos] >= '0' && text[pos] <= '9') {
            number += text[pos++];
            anyDigit = true;
        }
    }
    if (!anyDigit) {
        return 0;
    }
    if (pos < text.size() && (text[pos] == 'E' || text[pos] == 'e' || text[pos] == 'D' || text[pos] == 'd')) {
        size_t ePos = pos + 1;
        char sign = '+';
        if (ePos < text.size() && (text[ePos] == '+' || text[ePos] == '-')) {
            sign = text[ePos++];
        }
        // The exponent's value is capped: anything beyond it is 0 or infinite for a double anyway.
        int exponent = -1;
        while (ePos < text.size() && text[ePos] >= '0' && text[ePos] <= '9') {
            exponent = std::min((exponent < 0 ? 0 : exponent) * 10 + (text[ePos++] - '0'), 99999);
        }
        if (exponent >= 0) {
            number += 'e';
            number += sign;
            number += std::to_string(exponent);
        }
    }
    return strtod_l(number.c_str(), nullptr, CLocale());
}

std::string FormatSingle(float value)
{
    if (std::isnan(value)) {
        return "0";
    }
    if (std::isinf(value)) {
        value = value > 0 ? 3.4028235e38f : -3.4028235e38f;
    }
    if (value == 0) {
        return "0";
    }
    std::string digits;
    int exponent;
    ShortestDigits(std::fabs(value), digits, exponent);
    std::string out = value < 0 ? "-" : "";
    int n = static_cast<int>(digits.size());
    // Fixed form for 1E-05 <= |v| < 1E+15, when it does not need more than 15 digit places.
    if (exponent >= -5 && exponent < 15 && exponent - n < 15) {
        if (exponent < 0) {
            out += '.';
            out.append(static_cast<size_t>(-exponent - 1), '0');
            out += digits;
        } else if (exponent + 1 >= n) {
            out += digits;
            out.append(static_cast<size_t>(exponent + 1 - n), '0');
        } else {
            out += digits.substr(0, static_cast<size_t>(exponent + 1));
            out += '.';
            out += digits.substr(static_cast<size_t>(exponent + 1));
        }
        return out;
    }
    out += digits[0];
    if (n > 1) {
        out += '.';
        out += digits.substr(1);
    }
    char expText[16];
    std::snprintf(expText, sizeof expText, "E%c%02d", exponent < 0 ? '-' : '+', std::abs(exponent));
    out += expText;
    return out;
}

std::string FormatNumber(double value)
{
    if (!std::isfinite(value)) {
        return "0";
    }
    if (value == 0) {
        return "0";
    }
    char buffer[64];
    auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    return std::string(buffer, static_cast<size_t>(result.ptr - buffer));
}

}  // namespace platform
