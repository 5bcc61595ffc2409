// Device-font text in movies: a DefineFont2 tag naming a font of the viewing system (no glyphs)
// and DefineEditText tags showing text in it; and the UTF-8 conversion every text in a movie tag
// goes through.
#pragma once

#include "core/path_record.h"
#include "movie/tag_buffer.h"

#include <cstdint>
#include <string>

namespace movie {

// DefineDeviceFont flag bits; any other bits are ignored.
enum DeviceFontFlags : int16_t {
    kFontBold = 1,
    kFontItalic = 2
};

// The longest font name DefineFont2 can hold, in UTF-8 bytes.
constexpr int32_t kMaxFontNameBytes = 255;

// The text as UTF-8 bytes for a movie string: invalid sequences become U+FFFD and NUL characters,
// which would end the string early, are left out. Unless noTerminator, one zero byte is appended
// (and counted). Returns the number of bytes.
int32_t EncodeUtf8(const std::string &text, Bytes &bytes, bool noTerminator);

// The text of UTF-8 bytes; invalid sequences become U+FFFD; "" for no bytes.
std::string DecodeUtf8(const Bytes &bytes);

// Appends a DefineFont2 tag for the device font: flags (bold, italic) with wide character codes,
// language code 1 for "_sans", "_serif" and "_typewriter" and 2 for any other name, the name
// (cut to 255 bytes at a character boundary), no glyphs.
void DefineDeviceFont(int32_t id, const std::string &fontName, int16_t flag);

// Appends a DefineEditText tag. width and height in pixels; both 0 makes the field size itself.
// textFlags (0..7): 1 editable, 2 password, 4 single line, so 0 is a read-only multiline field;
// displayFlags (0..15): 1 HTML, 2 was static, 4 border, 8 selectable, so 0 is a plain field that
// cannot be selected; higher bits of both are ignored. The text colour is opaque whatever the
// colour's own opacity; CR LF pairs in the text become a single CR.
void DefineEditText(int32_t id, int32_t fontId, int32_t fontHeight, int32_t leading, const std::string &text,
                    int32_t width, int32_t height, int32_t align, core::Color colour,
                    const std::string &variableName, int32_t textFlags, int32_t displayFlags, bool useOutlines);

}  // namespace movie
