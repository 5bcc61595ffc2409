#include "movie/edit_text.h"

#include "movie/movie_writer.h"
#include "platform/swf/tag_records.h"
#include "platform/base/rounding.h"

#include <QByteArray>
#include <QString>

#include <algorithm>

namespace movie {
namespace {

namespace swf = platform::swf;

constexpr int32_t kTextFlagsMask = 7;
constexpr int32_t kTextFlagsFlip = 5;  // read-only and multiline unless asked otherwise
constexpr int32_t kDisplayFlagsMask = 15;
constexpr int32_t kDisplayFlagsFlip = 8;  // not selectable unless asked otherwise

constexpr int32_t kTwipsPerPixel = 20;

bool IsLatinDeviceFont(const std::string &name)
{
    return name == "_sans" || name == "_serif" || name == "_typewriter";
}

// Drops the bytes beyond max, and the start of a character cut there.
void CutUtf8(Bytes &bytes, size_t max)
{
    if (bytes.size() <= max) {
        return;
    }
    size_t cut = max;
    while (cut > 0 && (bytes[cut] & 0xC0) == 0x80) {
        --cut;
    }
    bytes.resize(cut);
}

std::string CrLfToCr(const std::string &text)
{
    std::string result;
    result.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        result += text[i];
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
            ++i;
        }
    }
    return result;
}

int32_t PixelsToTwips(int32_t pixels)
{
    return platform::SaturateInt<int32_t>(int64_t{pixels} * kTwipsPerPixel);
}

// The field always has text, a text colour, a font and a layout; the caller's flags set the rest,
// each bit of them naming one field flag (some inverted by the flips above).
uint16_t EditTextFlags(int32_t width, int32_t height, int32_t textFlags, int32_t displayFlags, bool useOutlines)
{
    constexpr uint16_t kTextBits[] = {swf::kEditReadOnly, swf::kEditPassword, swf::kEditMultiline};
    constexpr uint16_t kDisplayBits[] = {swf::kEditHtml, swf::kEditWasStatic, swf::kEditBorder, swf::kEditNoSelect};
    uint16_t flags = swf::kEditHasText | swf::kEditHasTextColor | swf::kEditHasFont | swf::kEditHasLayout;
    if (useOutlines) {
        flags |= swf::kEditUseOutlines;
    }
    if (width == 0 && height == 0) {
        flags |= swf::kEditAutoSize;
    }
    const int32_t text = (textFlags & kTextFlagsMask) ^ kTextFlagsFlip;
    for (size_t bit = 0; bit < std::size(kTextBits); ++bit) {
        flags |= (text >> bit & 1) ? kTextBits[bit] : 0;
    }
    const int32_t display = (displayFlags & kDisplayFlagsMask) ^ kDisplayFlagsFlip;
    for (size_t bit = 0; bit < std::size(kDisplayBits); ++bit) {
        flags |= (display >> bit & 1) ? kDisplayBits[bit] : 0;
    }
    return flags;
}

std::string AsString(const Bytes &bytes)
{
    return std::string(bytes.begin(), bytes.end());
}

}  // namespace

int32_t EncodeUtf8(const std::string &text, Bytes &bytes, bool noTerminator)
{
    QByteArray utf8 = QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())).toUtf8();
    bytes.assign(utf8.begin(), utf8.end());
    bytes.erase(std::remove(bytes.begin(), bytes.end(), uint8_t{0}), bytes.end());
    if (!noTerminator) {
        bytes.push_back(0);
    }
    return static_cast<int32_t>(bytes.size());
}

std::string DecodeUtf8(const Bytes &bytes)
{
    if (bytes.empty()) {
        return {};
    }
    return QString::fromUtf8(reinterpret_cast<const char *>(bytes.data()), static_cast<qsizetype>(bytes.size()))
        .toStdString();
}

void DefineDeviceFont(int32_t id, const std::string &fontName, int16_t flag)
{
    Bytes name;
    EncodeUtf8(fontName, name, true);
    CutUtf8(name, kMaxFontNameBytes);
    swf::DeviceFontRecord font;
    font.id = static_cast<uint16_t>(id);
    font.flags = swf::kFontFlagWideCodes;
    font.flags |= (flag & kFontBold) ? swf::kFontFlagBold : 0;
    font.flags |= (flag & kFontItalic) ? swf::kFontFlagItalic : 0;
    font.language = IsLatinDeviceFont(fontName) ? swf::kLanguageLatin : swf::kLanguageJapanese;
    font.name = AsString(name);
    AppendLongTag(TagCode::DefineFont2, swf::DefineFont2Body(font));
}

void DefineEditText(int32_t id, int32_t fontId, int32_t fontHeight, int32_t leading, const std::string &text,
                    int32_t width, int32_t height, int32_t align, core::Color colour,
                    const std::string &variableName, int32_t textFlags, int32_t displayFlags, bool useOutlines)
{
    Bytes textBytes;
    EncodeUtf8(CrLfToCr(text), textBytes, true);
    Bytes nameBytes;
    EncodeUtf8(variableName, nameBytes, true);

    swf::EditTextRecord field;
    field.id = static_cast<uint16_t>(id);
    field.bounds = {0, PixelsToTwips(width), 0, PixelsToTwips(height)};
    field.flags = EditTextFlags(width, height, textFlags, displayFlags, useOutlines);
    field.fontId = static_cast<uint16_t>(fontId);
    field.fontHeight = static_cast<uint16_t>(std::clamp(fontHeight, 0, 65535));
    field.colour = {static_cast<uint8_t>(colour & 0xFF), static_cast<uint8_t>((colour >> 8) & 0xFF),
                    static_cast<uint8_t>((colour >> 16) & 0xFF), 255};
    field.align = static_cast<uint8_t>(std::clamp(align, 0, 255));
    field.leading = static_cast<int16_t>(std::clamp(leading, -32768, 32767));
    field.variableName = AsString(nameBytes);
    field.initialText = AsString(textBytes);
    AppendLongTag(TagCode::DefineEditText, swf::DefineEditTextBody(field));
}

}  // namespace movie
