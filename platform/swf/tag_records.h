// Tag headers and the bodies of the tags that are not shapes: the movie header, placements and
// removals, clip actions, JPEG bitmaps, device fonts, edit texts and sound stream blocks. Each
// has a record type, a writer of its bytes and a reader of them.
#pragma once

#include "platform/swf/basic_records.h"
#include "platform/swf/tag_codes.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace platform::swf {

// A whole tag: the header in the long form (always), or the short form for bodies under 0x3F bytes.
Bytes LongTag(TagCode code, const Bytes &body);
Bytes ShortTag(TagCode code, const Bytes &body);
// The long header of a tag whose body is length bytes.
Bytes LongTagHeader(TagCode code, size_t length);

// A long tag header: the code word, then the UI32 length.
constexpr size_t kLongTagHeaderBytes = 6;
constexpr size_t kLongTagLengthAt = 2;
// DefineSprite: its long header, the sprite's id and its frame count.
constexpr size_t kSpriteFrameCountAt = 8;
constexpr size_t kSpriteHeaderBytes = 10;

struct TagHeader {
    uint16_t code = 0;
    uint32_t length = 0;
};
// Reads a tag header (either form).
TagHeader ReadTagHeader(BitReader &in);

// The header before the tags: signature "FWS" (uncompressed), version, the file's length, the
// frame rectangle (16-bit fields), the frame rate as 8.8 fixed point and the frame count.
struct MovieHeader {
    uint8_t version = 6;
    uint32_t fileLength = 0;
    RectRecord frame;
    uint16_t frameRate = 12 << 8;
    uint16_t frameCount = 0;
};
constexpr std::string_view kPlainSignature = "FWS";
constexpr std::string_view kCompressedSignature = "CWS";  // the rest of the file after the prefix is zlib data
constexpr size_t kFileLengthOffset = 4;       // of the UI32 file length
constexpr size_t kFileHeaderPrefixBytes = 8;  // signature, version and file length
constexpr int32_t kFrameRectBits = 16;
Bytes MovieHeaderBytes(const MovieHeader &header);
// The 8.8 frame rate of a rate in frames per second (0..255.99609375).
uint16_t FrameRateField(double fps);
// Reads a movie header after the 8-byte prefix (the rectangle, rate and count).
void ReadMovieHeaderRest(BitReader &in, MovieHeader &header);

// PlaceObject2's flags.
enum PlaceFlags : uint8_t {
    kPlaceMove = 0x01,
    kPlaceHasCharacter = 0x02,
    kPlaceHasMatrix = 0x04,
    kPlaceHasColorTransform = 0x08,
    kPlaceHasRatio = 0x10,
    kPlaceHasName = 0x20,
    kPlaceHasClipDepth = 0x40,
    kPlaceHasClipActions = 0x80,
};

// ACTIONRECORDs: one byte of action code; codes from 0x80 on carry a UI16 length and that many
// bytes. Code 0 is the end of a list of actions.
constexpr uint8_t kActionEnd = 0x00;
constexpr uint8_t kActionHasLength = 0x80;
// Whether the records run end to end up to a final end action (a compiler's complete code).
bool EndsWithEndAction(const Bytes &actions);

// The events of a CLIPACTIONRECORD (SWF 6 CLIPEVENTFLAGS, read as a UI32).
enum ClipEventFlags : uint32_t {
    kClipEventLoad = 0x1,
    kClipEventEnterFrame = 0x2,
    kClipEventUnload = 0x4,
    kClipEventMouseMove = 0x8,
    kClipEventMouseDown = 0x10,
    kClipEventMouseUp = 0x20,
    kClipEventKeyDown = 0x40,
    kClipEventKeyUp = 0x80,
    kClipEventData = 0x100,
    kClipEventInitialize = 0x200,
    kClipEventPress = 0x400,
    kClipEventRelease = 0x800,
    kClipEventReleaseOutside = 0x1000,
    kClipEventRollOver = 0x2000,
    kClipEventRollOut = 0x4000,
    kClipEventDragOver = 0x8000,
    kClipEventDragOut = 0x10000,
    kClipEventKeyPress = 0x20000,  // the one event whose record carries a key code
    kClipEventConstruct = 0x40000,
};

// One CLIPACTIONRECORD: its events, the key of a keyPress event and the action bytes (ending
// in the ActionEndFlag).
struct ClipActionRecord {
    uint32_t eventFlags = 0;
    std::optional<uint8_t> keyCode;
    Bytes actions;

    bool operator==(const ClipActionRecord &) const = default;
};

// The bytes of CLIPACTIONS: reserved word, all events, the records and the end flag.
Bytes ClipActionsBytes(const std::vector<ClipActionRecord> &records);
// Reads CLIPACTIONS (SWF 6 forms); records whose stated length exceeds what remains are cut.
std::vector<ClipActionRecord> ReadClipActions(BitReader &in);

// PlaceObject2 (the moving form when move is set), or PlaceObject / RemoveObject(2) as read.
struct PlaceObjectRecord {
    bool move = false;
    uint16_t depth = 0;
    std::optional<uint16_t> characterId;
    std::optional<MatrixRecord> matrix;
    std::optional<CxformRecord> cxform;
    std::optional<uint16_t> ratio;
    std::optional<std::string> name;  // UTF-8 without the terminator
    std::optional<uint16_t> clipDepth;
    std::optional<Bytes> clipActions;  // ClipActionsBytes

    bool operator==(const PlaceObjectRecord &) const = default;
};

Bytes PlaceObject2Body(const PlaceObjectRecord &place);
PlaceObjectRecord ReadPlaceObject2(BitReader &in);
// PlaceObject: character, depth, matrix and a colour transform without alpha when one follows.
PlaceObjectRecord ReadPlaceObject(BitReader &in);
Bytes RemoveObject2Body(uint16_t depth);
// The depth a RemoveObject (character id, depth) or RemoveObject2 (depth) removes.
uint16_t ReadRemovedDepth(BitReader &in, TagCode code);

Bytes SetBackgroundColorBody(const Rgba &colour);

// DefineBitsJPEG2 (no alpha) and DefineBitsJPEG3 (the JPEG, then the zlib-packed alpha plane).
// The JPEG data is written after an empty EOI+SOI pair, which the reader skips.
struct JpegBitsRecord {
    uint16_t id = 0;
    Bytes jpeg;
    Bytes packedAlpha;
};
Bytes DefineBitsJpeg2Body(const JpegBitsRecord &bits);
Bytes DefineBitsJpeg3Body(const JpegBitsRecord &bits);
// The JPEG and alpha data of either tag's body after its character id (views into the reader's data).
struct JpegBitsView {
    std::string_view jpeg;
    std::string_view packedAlpha;
};
JpegBitsView ReadJpegBits(BitReader &in, TagCode code);

// DefineFont2 flags.
enum FontFlags : uint8_t {
    kFontFlagBold = 0x01,
    kFontFlagItalic = 0x02,
    kFontFlagWideCodes = 0x04,
};
enum FontLanguage : uint8_t {
    kLanguageLatin = 1,
    kLanguageJapanese = 2,
};
// A device font: DefineFont2 without glyphs.
struct DeviceFontRecord {
    uint16_t id = 0;
    uint8_t flags = 0;
    uint8_t language = 0;
    std::string name;  // at most 255 bytes are written
};
Bytes DefineFont2Body(const DeviceFontRecord &font);
// The fields of a DefineFont2 after its id; glyphs are not read.
DeviceFontRecord ReadDefineFont2(BitReader &in);

// DefineEditText flags, the first byte's bits high.
enum EditTextFlags : uint16_t {
    kEditHasText = 0x8000,
    kEditWordWrap = 0x4000,
    kEditMultiline = 0x2000,
    kEditPassword = 0x1000,
    kEditReadOnly = 0x0800,
    kEditHasTextColor = 0x0400,
    kEditHasMaxLength = 0x0200,
    kEditHasFont = 0x0100,
    kEditAutoSize = 0x0040,
    kEditHasLayout = 0x0020,
    kEditNoSelect = 0x0010,
    kEditBorder = 0x0008,
    kEditWasStatic = 0x0004,
    kEditHtml = 0x0002,
    kEditUseOutlines = 0x0001,
};

struct EditTextRecord {
    uint16_t id = 0;
    RectRecord bounds;
    int32_t boundsBits = 24;  // written: the width of the bounds' fields
    uint16_t flags = 0;       // EditTextFlags; they decide which fields below are present
    uint16_t fontId = 0;
    uint16_t fontHeight = 0;
    Rgba colour;
    uint16_t maxLength = 0;
    uint8_t align = 0;
    uint16_t leftMargin = 0;
    uint16_t rightMargin = 0;
    int16_t indent = 0;
    int16_t leading = 0;
    std::string variableName;  // UTF-8 without terminators
    std::string initialText;
};
Bytes DefineEditTextBody(const EditTextRecord &text);
EditTextRecord ReadDefineEditText(BitReader &in);

// SoundStreamBlock: the samples the block's MP3 frames hold, the seek (samples to skip of the
// first frame) and the frames.
Bytes SoundStreamBlockBody(uint16_t sampleCount, int16_t seekSamples, const Bytes &frames);

// A DefineShape, DefineShape2 or DefineShape3 body: the id, the bounds with fields of rectBits
// and the SHAPEWITHSTYLE bytes.
Bytes ShapeTagBody(uint16_t id, const RectRecord &bounds, int32_t rectBits, const Bytes &shape);

// DefineMorphShape's body up to its style arrays: id, start and end bounds (24-bit fields) and
// the offset of the end edges from the field after the offset.
Bytes MorphShapeHeader(uint16_t id, const RectRecord &startBounds, const RectRecord &endBounds, uint32_t endEdgesOffset);

}  // namespace platform::swf
