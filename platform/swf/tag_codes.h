// The codes of the tags the writer produces and the player reads, and the tag header that
// carries them: a UI16 of code << 6 | length, the length 0x3F meaning a UI32 length follows.
#pragma once

#include <cstdint>

namespace platform::swf {

enum class TagCode : uint16_t {
    End = 0,
    ShowFrame = 1,
    DefineShape = 2,
    PlaceObject = 4,
    RemoveObject = 5,
    SetBackgroundColor = 9,
    SoundStreamBlock = 19,
    DefineBitsJpeg2 = 21,
    DefineShape2 = 22,
    PlaceObject2 = 26,
    RemoveObject2 = 28,
    DefineShape3 = 32,
    DefineBitsJpeg3 = 35,
    DefineEditText = 37,
    DefineSprite = 39,
    DefineMorphShape = 46,
    DefineFont2 = 48,
};

// The length field of a short tag header that announces a long (UI32) length.
constexpr uint32_t kLongTagLength = 0x3F;

// The header word of a tag: its code and a length field of 0..0x3F.
constexpr uint16_t TagHeaderWord(TagCode code, uint32_t lengthField)
{
    return static_cast<uint16_t>(static_cast<uint16_t>(code) << 6 | (lengthField & kLongTagLength));
}

// The code and length field of a header word.
constexpr uint16_t TagCodeOf(uint16_t headerWord) { return static_cast<uint16_t>(headerWord >> 6); }
constexpr uint32_t TagLengthFieldOf(uint16_t headerWord) { return headerWord & kLongTagLength; }

}  // namespace platform::swf
