#include "platform/glyphs/font_families.h"

#include "platform/base/text_encoding.h"

#include <string_view>

namespace platform {
namespace {

struct StandIn {
    std::string_view name;
    std::string_view family;
};

// Names as movies give them.
constexpr StandIn kGenericFonts[] = {
    {"_ゴシック", "IPAGothic"},      {"_明朝", "IPAMincho"},   {"_sans", "DejaVu Sans"},
    {"_serif", "DejaVu Serif"}, {"_typewriter", "DejaVu Sans Mono"},
};

// Japanese Windows families, by their key: full-width letters and blanks made plain, blanks
// dropped, lower case, a leading "ms" dropped.
constexpr StandIn kJapaneseFonts[] = {
    {"ゴシック", "IPAGothic"},     {"gothic", "IPAGothic"},     {"pゴシック", "IPAPGothic"},
    {"pgothic", "IPAPGothic"},  {"uiゴシック", "IPAPGothic"}, {"uigothic", "IPAPGothic"},
    {"明朝", "IPAMincho"},        {"mincho", "IPAMincho"},     {"p明朝", "IPAPMincho"},
    {"pmincho", "IPAPMincho"},
};

// Appends one code point in UTF-8.
void AppendUtf8(std::string &out, char32_t c)
{
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

// The key of a family name: full-width ASCII (U+FF01..U+FF5E) as plain ASCII, blanks (U+0020,
// U+3000) dropped, ASCII in lower case, a leading "ms" dropped. Only three-byte sequences are
// looked at; everything else is kept byte for byte.
std::string FamilyKey(const std::string &family)
{
    std::string plain;
    for (size_t i = 0; i < family.size();) {
        auto byte = static_cast<unsigned char>(family[i]);
        if ((byte & 0xF0) == 0xE0 && i + 2 < family.size()) {
            char32_t c = ((byte & 0x0Fu) << 12) | ((static_cast<unsigned char>(family[i + 1]) & 0x3Fu) << 6) |
                         (static_cast<unsigned char>(family[i + 2]) & 0x3Fu);
            if (c >= 0xFF01 && c <= 0xFF5E) {
                plain += static_cast<char>(c - 0xFEE0);
            } else if (c != 0x3000) {
                AppendUtf8(plain, c);
            }
            i += 3;
            continue;
        }
        if (byte != ' ') {
            plain += family[i];
        }
        ++i;
    }
    std::string key = AsciiLower(plain);
    return key.rfind("ms", 0) == 0 ? key.substr(2) : key;
}

}  // namespace

std::string StandInFamily(const std::string &family)
{
    for (const StandIn &generic : kGenericFonts) {
        if (family == generic.name) {
            return std::string(generic.family);
        }
    }
    std::string key = FamilyKey(family);
    for (const StandIn &japanese : kJapaneseFonts) {
        if (key == japanese.name) {
            return std::string(japanese.family);
        }
    }
    return family;
}

}  // namespace platform
