#include "import/svg_colors.h"

#include "import/svg_error.h"
#include "platform/base/number_text.h"

#include <algorithm>
#include <array>
#include <string>

namespace importer {
namespace {

struct NamedColor {
    std::string_view name;
    uint8_t r, g, b;
};

// The recognised colour keywords of SVG 1.1, sorted by name.
constexpr std::array<NamedColor, 147> kNamedColors{{
    {"aliceblue", 240, 248, 255}, {"antiquewhite", 250, 235, 215}, {"aqua", 0, 255, 255},
    {"aquamarine", 127, 255, 212}, {"azure", 240, 255, 255}, {"beige", 245, 245, 220},
    {"bisque", 255, 228, 196}, {"black", 0, 0, 0}, {"blanchedalmond", 255, 235, 205},
    {"blue", 0, 0, 255}, {"blueviolet", 138, 43, 226}, {"brown", 165, 42, 42},
    {"burlywood", 222, 184, 135}, {"cadetblue", 95, 158, 160}, {"chartreuse", 127, 255, 0},
    {"chocolate", 210, 105, 30}, {"coral", 255, 127, 80}, {"cornflowerblue", 100, 149, 237},
    {"cornsilk", 255, 248, 220}, {"crimson", 220, 20, 60}, {"cyan", 0, 255, 255},
    {"darkblue", 0, 0, 139}, {"darkcyan", 0, 139, 139}, {"darkgoldenrod", 184, 134, 11},
    {"darkgray", 169, 169, 169}, {"darkgreen", 0, 100, 0}, {"darkgrey", 169, 169, 169},
    {"darkkhaki", 189, 183, 107}, {"darkmagenta", 139, 0, 139}, {"darkolivegreen", 85, 107, 47},
    {"darkorange", 255, 140, 0}, {"darkorchid", 153, 50, 204}, {"darkred", 139, 0, 0},
    {"darksalmon", 233, 150, 122}, {"darkseagreen", 143, 188, 143}, {"darkslateblue", 72, 61, 139},
    {"darkslategray", 47, 79, 79}, {"darkslategrey", 47, 79, 79}, {"darkturquoise", 0, 206, 209},
    {"darkviolet", 148, 0, 211}, {"deeppink", 255, 20, 147}, {"deepskyblue", 0, 191, 255},
    {"dimgray", 105, 105, 105}, {"dimgrey", 105, 105, 105}, {"dodgerblue", 30, 144, 255},
    {"firebrick", 178, 34, 34}, {"floralwhite", 255, 250, 240}, {"forestgreen", 34, 139, 34},
    {"fuchsia", 255, 0, 255}, {"gainsboro", 220, 220, 220}, {"ghostwhite", 248, 248, 255},
    {"gold", 255, 215, 0}, {"goldenrod", 218, 165, 32}, {"gray", 128, 128, 128},
    {"green", 0, 128, 0}, {"greenyellow", 173, 255, 47}, {"grey", 128, 128, 128},
    {"honeydew", 240, 255, 240}, {"hotpink", 255, 105, 180}, {"indianred", 205, 92, 92},
    {"indigo", 75, 0, 130}, {"ivory", 255, 255, 240}, {"khaki", 240, 230, 140},
    {"lavender", 230, 230, 250}, {"lavenderblush", 255, 240, 245}, {"lawngreen", 124, 252, 0},
    {"lemonchiffon", 255, 250, 205}, {"lightblue", 173, 216, 230}, {"lightcoral", 240, 128, 128},
    {"lightcyan", 224, 255, 255}, {"lightgoldenrodyellow", 250, 250, 210}, {"lightgray", 211, 211, 211},
    {"lightgreen", 144, 238, 144}, {"lightgrey", 211, 211, 211}, {"lightpink", 255, 182, 193},
    {"lightsalmon", 255, 160, 122}, {"lightseagreen", 32, 178, 170}, {"lightskyblue", 135, 206, 250},
    {"lightslategray", 119, 136, 153}, {"lightslategrey", 119, 136, 153}, {"lightsteelblue", 176, 196, 222},
    {"lightyellow", 255, 255, 224}, {"lime", 0, 255, 0}, {"limegreen", 50, 205, 50},
    {"linen", 250, 240, 230}, {"magenta", 255, 0, 255}, {"maroon", 128, 0, 0},
    {"mediumaquamarine", 102, 205, 170}, {"mediumblue", 0, 0, 205}, {"mediumorchid", 186, 85, 211},
    {"mediumpurple", 147, 112, 219}, {"mediumseagreen", 60, 179, 113}, {"mediumslateblue", 123, 104, 238},
    {"mediumspringgreen", 0, 250, 154}, {"mediumturquoise", 72, 209, 204}, {"mediumvioletred", 199, 21, 133},
    {"midnightblue", 25, 25, 112}, {"mintcream", 245, 255, 250}, {"mistyrose", 255, 228, 225},
    {"moccasin", 255, 228, 181}, {"navajowhite", 255, 222, 173}, {"navy", 0, 0, 128},
    {"oldlace", 253, 245, 230}, {"olive", 128, 128, 0}, {"olivedrab", 107, 142, 35},
    {"orange", 255, 165, 0}, {"orangered", 255, 69, 0}, {"orchid", 218, 112, 214},
    {"palegoldenrod", 238, 232, 170}, {"palegreen", 152, 251, 152}, {"paleturquoise", 175, 238, 238},
    {"palevioletred", 219, 112, 147}, {"papayawhip", 255, 239, 213}, {"peachpuff", 255, 218, 185},
    {"peru", 205, 133, 63}, {"pink", 255, 192, 203}, {"plum", 221, 160, 221},
    {"powderblue", 176, 224, 230}, {"purple", 128, 0, 128}, {"red", 255, 0, 0},
    {"rosybrown", 188, 143, 143}, {"royalblue", 65, 105, 225}, {"saddlebrown", 139, 69, 19},
    {"salmon", 250, 128, 114}, {"sandybrown", 244, 164, 96}, {"seagreen", 46, 139, 87},
    {"seashell", 255, 245, 238}, {"sienna", 160, 82, 45}, {"silver", 192, 192, 192},
    {"skyblue", 135, 206, 235}, {"slateblue", 106, 90, 205}, {"slategray", 112, 128, 144},
    {"slategrey", 112, 128, 144}, {"snow", 255, 250, 250}, {"springgreen", 0, 255, 127},
    {"steelblue", 70, 130, 180}, {"tan", 210, 180, 140}, {"teal", 0, 128, 128},
    {"thistle", 216, 191, 216}, {"tomato", 255, 99, 71}, {"turquoise", 64, 224, 208},
    {"violet", 238, 130, 238}, {"wheat", 245, 222, 179}, {"white", 255, 255, 255},
    {"whitesmoke", 245, 245, 245}, {"yellow", 255, 255, 0}, {"yellowgreen", 154, 205, 50},
}};

int32_t PackColor(int32_t r, int32_t g, int32_t b)
{
    auto clamp = [](int32_t v) { return static_cast<uint32_t>(std::clamp(v, 0, 255)); };
    return static_cast<int32_t>(clamp(r) | (clamp(g) << 8) | (clamp(b) << 16));
}

int HexDigit(char c)
{
    int value = platform::HexDigitValue(c);
    if (value < 0) {
        throw SvgError("bad hexadecimal colour digit");
    }
    return value;
}

int32_t HexPair(std::string_view text, size_t at)
{
    if (at + 2 > text.size()) {
        throw SvgError("short hexadecimal colour: " + std::string(text));
    }
    return HexDigit(text[at]) * 16 + HexDigit(text[at + 1]);
}

int32_t HexColor(std::string_view text)
{
    if (text.size() == 4) {
        return PackColor(HexDigit(text[1]) * 17, HexDigit(text[2]) * 17, HexDigit(text[3]) * 17);
    }
    return PackColor(HexPair(text, 1), HexPair(text, 3), HexPair(text, 5));
}

std::string_view Trimmed(std::string_view text)
{
    size_t first = text.find_first_not_of(' ');
    if (first == std::string_view::npos) {
        return {};
    }
    size_t last = text.find_last_not_of(' ');
    return text.substr(first, last - first + 1);
}

// An integer 0..255 or a percentage of 255 (SVG allows both forms).
int32_t RgbComponent(std::string_view part)
{
    std::string_view digits = Trimmed(part);
    if (digits.ends_with('%')) {
        double percent = ConvertDecimal(digits.substr(0, digits.size() - 1));
        return CheckedRound(std::clamp(percent, 0.0, 100.0) * 255 / 100);
    }
    double value = ConvertDecimal(digits);
    if (digits.find_first_of(".eE") != std::string_view::npos) {
        throw SvgError("colour component is not an integer: " + std::string(part));
    }
    return static_cast<int32_t>(std::clamp(value, -1.0, 256.0));
}

int32_t RgbColor(std::string_view text)
{
    size_t open = text.find('(');
    size_t close = open == std::string_view::npos ? open : text.find(')', open);
    if (close == std::string_view::npos) {
        return 0;
    }
    std::string_view inner = text.substr(open + 1, close - open - 1);
    std::array<std::string_view, 3> parts;
    size_t count = 0;
    size_t start = 0;
    for (;;) {
        size_t comma = inner.find(',', start);
        if (count < parts.size()) {
            parts[count] = inner.substr(start, comma == std::string_view::npos ? comma : comma - start);
        }
        ++count;
        if (comma == std::string_view::npos) {
            break;
        }
        start = comma + 1;
    }
    if (count != 3) {
        return 0;
    }
    return PackColor(RgbComponent(parts[0]), RgbComponent(parts[1]), RgbComponent(parts[2]));
}

int32_t KeywordColor(std::string_view text)
{
    auto it = std::lower_bound(kNamedColors.begin(), kNamedColors.end(), text,
                               [](const NamedColor &entry, std::string_view name) { return entry.name < name; });
    if (it == kNamedColors.end() || it->name != text) {
        return 0;
    }
    return PackColor(it->r, it->g, it->b);
}

}  // namespace

int32_t GetSvgColor(std::string_view text)
{
    if (text.starts_with('#')) {
        return HexColor(text);
    }
    if (text.starts_with("rgb")) {
        return RgbColor(text);
    }
    return KeywordColor(text);
}

uint32_t WithAlpha(int32_t color, int32_t alpha)
{
    return (static_cast<uint32_t>(color) & 0xFFFFFFu) | (static_cast<uint32_t>(std::clamp(alpha, 0, 255)) << 24);
}

}  // namespace importer
