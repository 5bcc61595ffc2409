#include "movie/edit_text.h"

#include "movie/movie_writer.h"
#include "platform/base/rounding.h"

#include <QByteArray>
#include <QString>

#include <algorithm>

namespace movie {
namespace {

constexpr int32_t kTagDefineFont2 = 48;
constexpr int32_t kTagDefineEditText = 37;

constexpr uint8_t kFontWideCodes = 4;
constexpr uint8_t kLanguageLatin = 1;
constexpr uint8_t kLanguageJapanese = 2;

// DefineEditText flags, low byte first: has text, has text colour, has font; has layout.
constexpr int32_t kEditTextBase = 0x2085;
constexpr int32_t kEditTextUseOutlines = 0x0100;
constexpr int32_t kEditTextAutoSize = 0x4000;
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

void AppendBytes(Bytes &body, const Bytes &bytes)
{
    body.insert(body.end(), bytes.begin(), bytes.end());
}

int32_t PixelsToTwips(int32_t pixels)
{
    return platform::SaturateInt<int32_t>(int64_t{pixels} * kTwipsPerPixel);
}

int32_t EditTextFlags(int32_t width, int32_t height, int32_t textFlags, int32_t displayFlags, bool useOutlines)
{
    int32_t flags = kEditTextBase;
    if (useOutlines) {
        flags += kEditTextUseOutlines;
    }
    if (width == 0 && height == 0) {
        flags += kEditTextAutoSize;
    }
    flags += ((textFlags & kTextFlagsMask) ^ kTextFlagsFlip) * 8;
    flags += ((displayFlags & kDisplayFlagsMask) ^ kDisplayFlagsFlip) * 512;
    return flags;
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
    Bytes body;
    body.reserve(name.size() + 9);
    AppendWord(body, id);
    body.push_back(static_cast<uint8_t>((flag & (kFontBold | kFontItalic)) | kFontWideCodes));
    body.push_back(IsLatinDeviceFont(fontName) ? kLanguageLatin : kLanguageJapanese);
    body.push_back(static_cast<uint8_t>(name.size()));
    AppendBytes(body, name);
    AppendWord(body, 0);  // no glyphs
    AppendWord(body, 2);  // code table offset
    AppendLongTag(kTagDefineFont2, body);
}

void DefineEditText(int32_t id, int32_t fontId, int32_t fontHeight, int32_t leading, const std::string &text,
                    int32_t width, int32_t height, int32_t align, core::Color colour,
                    const std::string &variableName, int32_t textFlags, int32_t displayFlags, bool useOutlines)
{
    Bytes textBytes;
    EncodeUtf8(CrLfToCr(text), textBytes, false);
    Bytes nameBytes;
    EncodeUtf8(variableName, nameBytes, false);

    Bytes body;
    body.reserve(textBytes.size() + nameBytes.size() + 34);
    AppendWord(body, id);
    AppendBytes(body, WriteRect24(0, PixelsToTwips(width), 0, PixelsToTwips(height)));
    AppendWord(body, EditTextFlags(width, height, textFlags, displayFlags, useOutlines));
    AppendWord(body, fontId);
    AppendWord(body, std::clamp(fontHeight, 0, 65535));
    body.push_back(static_cast<uint8_t>(colour & 0xFF));
    body.push_back(static_cast<uint8_t>((colour >> 8) & 0xFF));
    body.push_back(static_cast<uint8_t>((colour >> 16) & 0xFF));
    body.push_back(255);
    body.push_back(static_cast<uint8_t>(std::clamp(align, 0, 255)));
    AppendWord(body, 0);  // left margin
    AppendWord(body, 0);  // right margin
    AppendWord(body, 0);  // indent
    AppendWord(body, std::clamp(leading, -32768, 32767));
    AppendBytes(body, nameBytes);
    AppendBytes(body, textBytes);
    AppendLongTag(kTagDefineEditText, body);
}

}  // namespace movie
