#include "platform/base/text_encoding.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <iconv.h>

namespace platform {
namespace {

// Runs iconv over the whole input. What cannot be converted is replaced and skipped: one byte,
// or one whole character when the input is UTF-8.
std::string Convert(std::string_view input, const char *to, const char *from, std::string_view replacement,
                    bool utf8Input)
{
    std::string out;
    if (input.empty()) {
        return out;
    }
    iconv_t cd = iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1)) {
        return std::string(input);
    }
    out.reserve(input.size() * 3 / 2 + 8);
    char buffer[4096];
    char *in = const_cast<char *>(input.data());
    size_t inLeft = input.size();
    while (inLeft > 0) {
        char *outPtr = buffer;
        size_t outLeft = sizeof buffer;
        size_t r = iconv(cd, &in, &inLeft, &outPtr, &outLeft);
        out.append(buffer, static_cast<size_t>(outPtr - buffer));
        if (r != static_cast<size_t>(-1) || errno == E2BIG) {
            continue;
        }
        // EILSEQ, or EINVAL for a sequence cut at the end: replace and resynchronise.
        out.append(replacement);
        size_t skip = 1;
        if (utf8Input) {
            while (skip < inLeft && (static_cast<unsigned char>(in[skip]) & 0xC0) == 0x80) {
                ++skip;
            }
        }
        in += skip;
        inLeft -= skip;
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
    }
    char *outPtr = buffer;
    size_t outLeft = sizeof buffer;
    iconv(cd, nullptr, nullptr, &outPtr, &outLeft);
    out.append(buffer, static_cast<size_t>(outPtr - buffer));
    iconv_close(cd);
    return out;
}

// The index of the last byte with its high bit set, or npos for ASCII text. Eight bytes a step:
// drawing files are megabytes of ASCII digits.
size_t LastNonAscii(std::string_view text)
{
    constexpr uint64_t kHighBits = 0x8080808080808080u;
    size_t end = text.size();
    for (; end >= 8; end -= 8) {
        uint64_t word;
        std::memcpy(&word, text.data() + end - 8, sizeof word);
        if (word & kHighBits) {
            break;
        }
    }
    while (end > 0) {
        --end;
        if (static_cast<unsigned char>(text[end]) >= 0x80) {
            return end;
        }
    }
    return std::string_view::npos;
}

bool IsAscii(std::string_view text)
{
    return LastNonAscii(text) == std::string_view::npos;
}

}  // namespace

std::string AsciiLower(std::string_view text)
{
    std::string lower(text);
    for (char &c : lower) {
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
    }
    return lower;
}

std::string Cp932ToUtf8(std::string_view cp932)
{
    const size_t last = LastNonAscii(cp932);
    if (last == std::string_view::npos) {
        return std::string(cp932);
    }
    // Past the last byte above ASCII and the one after it (its trail byte, when it leads a
    // character) the text is ASCII, which is the same in both: only the text before is converted.
    const size_t head = std::min(last + 2, cp932.size());
    std::string utf8 = Convert(cp932.substr(0, head), "UTF-8", "CP932", "\xEF\xBF\xBD", false);
    utf8.append(cp932.substr(head));
    return utf8;
}

std::string TakeCp932AsUtf8(std::string &&cp932)
{
    if (IsAscii(cp932)) {
        return std::move(cp932);
    }
    return Cp932ToUtf8(std::string_view(cp932));
}

std::string Utf8ToCp932(std::string_view utf8)
{
    if (IsAscii(utf8)) {
        return std::string(utf8);
    }
    return Convert(utf8, "CP932", "UTF-8", "?", true);
}

bool FitsCp932(std::string_view utf8)
{
    return IsAscii(utf8) || Cp932ToUtf8(Utf8ToCp932(utf8)) == utf8;
}

}  // namespace platform
