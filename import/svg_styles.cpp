#include "import/svg_styles.h"

#include "import/svg_colors.h"
#include "import/svg_error.h"
#include "import/svg_scanner.h"

#include <algorithm>
#include <cmath>

namespace importer {
namespace {

constexpr double kPi = 3.14159265358979;
constexpr double kTwipsPerUnit = 20;

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

bool IsSign(char c)
{
    return c == '+' || c == '-';
}

// Length of the run of characters at the start of text that belong to a number.
size_t NumberPrefixLength(std::string_view text, bool withExponent)
{
    size_t i = 0;
    while (i < text.size()) {
        char c = text[i];
        if (IsDigit(c) || IsSign(c) || c == '.' || (withExponent && (c == 'e' || c == 'E'))) {
            ++i;
        } else {
            break;
        }
    }
    return i;
}

double LengthUnitFactor(std::string_view unit)
{
    if (unit == "pt") return 1.25;
    if (unit == "pc") return 15;
    if (unit == "mm") return 3.543307;
    if (unit == "cm") return 35.43307;
    if (unit == "in") return 90;
    if (unit == "em") return 15;
    if (unit == "ex") return 10.5;
    return 1;
}

float NumberUnitFactor(std::string_view unit)
{
    if (unit == "pt") return 1.25f;
    if (unit == "pc") return 15.0f;
    if (unit == "mm") return 3.5433071f;
    if (unit == "cm") return 35.433071f;
    if (unit == "in") return 90.0f;
    return 1.0f;
}

// End of the number starting at start, following the SVG number grammar: an optional sign, digits
// with at most one decimal point, an optional exponent with its own sign.
size_t ScanNumberEnd(std::string_view text, size_t start)
{
    size_t i = start;
    if (i < text.size() && IsSign(text[i])) {
        ++i;
    }
    bool seenDot = false;
    bool seenExponent = false;
    while (i < text.size()) {
        char c = text[i];
        if (IsDigit(c)) {
            ++i;
        } else if (c == '.' && !seenDot && !seenExponent) {
            seenDot = true;
            ++i;
        } else if ((c == 'e' || c == 'E') && !seenExponent) {
            seenExponent = true;
            ++i;
            if (i < text.size() && IsSign(text[i])) {
                ++i;
            }
        } else {
            break;
        }
    }
    return i;
}

std::string_view TrimBlanks(std::string_view text)
{
    size_t start = SkipBlanks(text, 0);
    size_t end = text.size();
    while (end > start && (text[end - 1] == ' ' || text[end - 1] == '\t' || text[end - 1] == '\r' ||
                           text[end - 1] == '\n')) {
        --end;
    }
    return text.substr(start, end - start);
}

int32_t ScaleOpacity(std::string_view value, int32_t current)
{
    return std::clamp(CheckedRound(static_cast<double>(ParseNumber(value)) * current), 0, 255);
}

SvgMatrix TransformMatrix(std::string_view name, std::string_view text, size_t open, bool &valid)
{
    SvgMatrix m;
    valid = false;
    size_t pos = open;
    if (name == "translate") {
        std::vector<int32_t> numbers;
        ++pos;
        ParseNumberList(text, pos, numbers);
        if (numbers.size() >= 2) {
            m.sftX = numbers[0];
            m.sftY = numbers[1];
        }
        valid = true;
        return m;
    }
    std::vector<std::string_view> args = ParseArgList(text, pos);
    if (args.empty()) {
        return m;
    }
    auto arg = [&](size_t i) { return ConvertSingle(args[i]); };
    if (name == "matrix") {
        if (args.size() >= 6) {
            m.ScaleX = arg(0);
            m.Skew0 = arg(1);
            m.Skew1 = arg(2);
            m.ScaleY = arg(3);
            m.sftX = CheckedRound(arg(4) * kTwipsPerUnit);
            m.sftY = CheckedRound(arg(5) * kTwipsPerUnit);
            valid = true;
        }
    } else if (name == "scale") {
        float sx = arg(0);
        float sy = args.size() >= 2 ? arg(1) : sx;
        if (sx != 1 || sy != 1) {
            m.ScaleX = sx;
            m.ScaleY = sy;
            valid = true;
        }
    } else if (name == "rotate") {
        float angle = static_cast<float>(arg(0) * kPi / 180);
        float c = std::cos(angle);
        float s = std::sin(angle);
        m.ScaleX = m.ScaleY = c;
        m.Skew0 = s;
        m.Skew1 = -s;
        if (args.size() >= 3) {
            double cx = arg(1);
            double cy = arg(2);
            m.sftX = CheckedRound((cx - (c * cx - s * cy)) * kTwipsPerUnit);
            m.sftY = CheckedRound((cy - (s * cx + c * cy)) * kTwipsPerUnit);
        }
        valid = true;
    } else if (name == "skewX" || name == "skewY") {
        float t = static_cast<float>(std::tan(static_cast<float>(arg(0) * kPi / 180)));
        (name == "skewX" ? m.Skew1 : m.Skew0) = t;
        valid = true;
    }
    return m;
}

// The drawing size of an svg element in twips from its width, height and viewBox size.
void SetDrawingSize(std::string_view widthText, std::string_view heightText, int32_t vbW, int32_t vbH,
                    SvgContext &context)
{
    auto lengthOr = [](std::string_view text, int32_t fallback) {
        return text.empty() ? fallback : ParseLength(text, true).value;
    };
    auto ratioOf = [](int64_t numerator, int32_t denominator) {
        if (denominator == 0) {
            throw SvgError("percentage size without a viewBox");
        }
        return static_cast<double>(numerator / denominator);
    };
    bool widthPercent = widthText.find('%') != std::string_view::npos;
    bool heightPercent = heightText.find('%') != std::string_view::npos;
    int32_t w;
    int32_t h;
    if (widthPercent && heightPercent) {
        w = CheckedRound(ParseNumber(widthText) * static_cast<double>(vbW));
        h = CheckedRound(ParseNumber(heightText) * static_cast<double>(vbH));
    } else if (heightPercent) {
        w = lengthOr(widthText, vbW);
        h = CheckedRound(ParseNumber(heightText) * ratioOf(static_cast<int64_t>(vbH) * w, vbW));
    } else if (widthPercent) {
        h = lengthOr(heightText, vbH);
        w = CheckedRound(ParseNumber(widthText) * ratioOf(static_cast<int64_t>(vbW) * h, vbH));
    } else {
        w = lengthOr(widthText, vbW);
        h = lengthOr(heightText, vbH);
    }
    context.width = w / 20 * 20;
    context.height = h / 20 * 20;
}

// The matrix that fits the viewBox into the drawing, scaled uniformly and centred.
SvgMatrix ViewBoxMatrix(const std::array<int32_t, 4> &viewBox, const SvgContext &context)
{
    auto [minX, minY, vbW, vbH] = viewBox;
    if (vbW == 0 || vbH == 0) {
        throw SvgError("viewBox without area");
    }
    float sx = static_cast<float>(static_cast<double>(context.width) / vbW);
    float sy = static_cast<float>(static_cast<double>(context.height) / vbH);
    float s = std::min(sx, sy);
    SvgMatrix m;
    m.ScaleX = m.ScaleY = s;
    m.sftX = CheckedRound(static_cast<double>(CheckedRound(context.width - static_cast<double>(s) * vbW) / 2) -
                          static_cast<double>(s) * minX);
    m.sftY = CheckedRound(static_cast<double>(CheckedRound(context.height - static_cast<double>(s) * vbH) / 2) -
                          static_cast<double>(s) * minY);
    return m;
}

}  // namespace

ParsedLength ParseLength(std::string_view text, bool toTwips)
{
    size_t length = NumberPrefixLength(text, false);
    if (length == 0) {
        return {0, 0};
    }
    double factor = LengthUnitFactor(text.substr(length, 2)) * (toTwips ? kTwipsPerUnit : 1);
    return {CheckedRound(ConvertDecimal(text.substr(0, length)) * factor), length};
}

float ParseNumber(std::string_view text)
{
    size_t length = NumberPrefixLength(text, true);
    std::string_view number = text.substr(0, length);
    // "2em" or "3ex": the unit's "e" is not part of the number.
    if (!number.empty() && (number.back() == 'e' || number.back() == 'E') && length < text.size() &&
        (text[length] == 'm' || text[length] == 'x')) {
        number.remove_suffix(1);
    }
    if (number.empty()) {
        return 0;
    }
    float value = ConvertSingle(number);
    if (length < text.size() && text[length] == '%') {
        return value / 100;
    }
    return value * NumberUnitFactor(text.substr(length, 2));
}

std::array<int32_t, 4> ParseViewBox(std::string_view text)
{
    std::array<int32_t, 4> values{0, 0, 0, 0};
    size_t pos = 0;
    for (int32_t &value : values) {
        while (pos < text.size() && !IsDigit(text[pos]) && !IsSign(text[pos])) {
            ++pos;
        }
        if (pos >= text.size()) {
            break;
        }
        ParsedLength length = ParseLength(text.substr(pos), true);
        value = length.value;
        pos += std::max<size_t>(length.end, 1);
    }
    return values;
}

void ParseTransform(std::string_view text, MatrixList &matrices)
{
    size_t pos = 0;
    for (;;) {
        size_t open = text.find('(', pos);
        if (open == std::string_view::npos) {
            return;
        }
        std::string_view name = TrimBlanks(text.substr(pos, open - pos));
        bool valid = false;
        SvgMatrix m = TransformMatrix(name, text, open, valid);
        if (valid) {
            matrices.push_front(m);
        }
        size_t close = text.find(')', open);
        if (close == std::string_view::npos) {
            return;
        }
        pos = close + 1;
    }
}

void ParseNumberList(std::string_view text, size_t &pos, std::vector<int32_t> &numbers)
{
    numbers.clear();
    while (pos < text.size()) {
        char c = text[pos];
        size_t blank = BlankLengthAt(text, pos);
        if (blank > 0) {
            pos += blank;
        } else if (c == ',') {
            ++pos;
        } else if (IsDigit(c) || IsSign(c) || c == '.') {
            size_t end = ScanNumberEnd(text, pos);
            numbers.push_back(CheckedRound(static_cast<double>(ConvertSingle(text.substr(pos, end - pos))) * kTwipsPerUnit));
            pos = end;
        } else {
            return;
        }
    }
}

int32_t GetLineCapCode(std::string_view text)
{
    if (text == "round") return 0;
    if (text == "square") return 2;
    return 1;
}

int32_t GetLineJoinCode(std::string_view text)
{
    if (text == "round") return 0;
    if (text == "bevel") return 1;
    return 2;
}

bool ApplyPresentationAttr(std::string_view name, std::string_view value, SvgStyle &style)
{
    if (name == "stroke") {
        style.StrokeColor = value == "none" ? -1 : GetSvgColor(value);
    } else if (name == "stroke-width") {
        style.StrokeWidth = ParseLength(value, true).value;
    } else if (name == "stroke-linecap") {
        style.LineCap = GetLineCapCode(value);
    } else if (name == "stroke-linejoin") {
        style.LineJoin = GetLineJoinCode(value);
    } else if (name == "stroke-miterlimit") {
        style.MiterLimit = CheckedRound(static_cast<double>(ParseNumber(value)) * 256);
    } else if (name == "opacity") {
        style.Opacity = ScaleOpacity(value, style.Opacity);
    } else if (name == "fill-opacity") {
        style.FillOpacity = ScaleOpacity(value, style.FillOpacity);
    } else if (name == "stroke-opacity") {
        style.StrokeOpacity = ScaleOpacity(value, style.StrokeOpacity);
    } else {
        return false;
    }
    return true;
}

void ApplyContainerFill(std::string_view value, SvgStyle &style)
{
    style.FillText = std::string(value);
    if (value == "none") {
        style.FillColor = -1;
    } else if (!value.starts_with("url")) {
        style.FillColor = GetSvgColor(value);
    }
}

void ApplyStyleText(std::string_view styleText, std::optional<std::string> &fillText, SvgStyle &style,
                    const SvgNameTable &names)
{
    std::string_view text = styleText;
    if (text.starts_with('&')) {
        size_t semicolon = text.find(';');
        if (semicolon != std::string_view::npos) {
            const std::string *entity = names.FindEntity(text.substr(1, semicolon - 1));
            if (!entity) {
                return;
            }
            text = *entity;
        }
    }
    size_t pos = 0;
    std::string value;
    while (pos < text.size()) {
        std::string name = GetNextStyleDecl(text, pos, value);
        if (name == "fill") {
            fillText = value;
        } else if (!name.empty()) {
            ApplyPresentationAttr(name, value, style);
        }
    }
}

std::string ReadContainerAttrs(std::string_view text, size_t &pos, SvgStyle &style, std::string_view elementName,
                               SvgContext &context)
{
    std::string id;
    std::string widthText, heightText, viewBoxText, transformText;
    bool hasViewBox = false;
    ForEachAttribute(text, pos, [&](std::string_view name, std::string_view value) {
        if (name == "fill") {
            ApplyContainerFill(value, style);
        } else if (name == "style") {
            std::optional<std::string> fill;
            ApplyStyleText(value, fill, style, context.names);
            if (fill) {
                ApplyContainerFill(*fill, style);
            }
        } else if (name == "transform") {
            transformText = value;
        } else if (name == "viewBox") {
            if (elementName != "g") {
                viewBoxText = value;
                hasViewBox = true;
            }
        } else if (name == "width") {
            widthText = value;
        } else if (name == "height") {
            heightText = value;
        } else if (name == "id") {
            id = value;
        } else {
            ApplyPresentationAttr(name, value, style);
        }
    });
    std::array<int32_t, 4> viewBox{0, 0, 0, 0};
    if (hasViewBox) {
        viewBox = ParseViewBox(viewBoxText);
    }
    if (elementName == "svg") {
        SetDrawingSize(widthText, heightText, viewBox[2], viewBox[3], context);
    }
    if (hasViewBox && (elementName == "svg" || elementName == "symbol")) {
        SvgMatrix m = ViewBoxMatrix(viewBox, context);
        style.Matrices->push_front(m);
        style.Scale *= m.ScaleX;
    }
    if (!transformText.empty()) {
        ParseTransform(transformText, *style.Matrices);
    }
    return id;
}

}  // namespace importer
