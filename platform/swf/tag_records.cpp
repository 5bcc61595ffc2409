#include "platform/swf/tag_records.h"

#include <algorithm>
#include <cmath>

namespace platform::swf {
namespace {

constexpr std::string_view kEmptyJpegStart("\xFF\xD9\xFF\xD8", 4);
constexpr size_t kMaxFontNameBytes = 255;

void Append(Bytes &bytes, const Bytes &more)
{
    bytes.insert(bytes.end(), more.begin(), more.end());
}

void AppendString(Bytes &bytes, std::string_view text)
{
    bytes.insert(bytes.end(), text.begin(), text.end());
    bytes.push_back(0);
}

void AppendJpeg(Bytes &body, const Bytes &jpeg)
{
    body.insert(body.end(), kEmptyJpegStart.begin(), kEmptyJpegStart.end());
    Append(body, jpeg);
}

std::string ReadString(BitReader &in)
{
    return std::string(in.String());
}

}  // namespace

Bytes LongTagHeader(TagCode code, size_t length)
{
    Bytes header;
    AppendWord(header, TagHeaderWord(code, kLongTagLength));
    AppendLong(header, static_cast<int64_t>(length));
    return header;
}

Bytes LongTag(TagCode code, const Bytes &body)
{
    Bytes tag = LongTagHeader(code, body.size());
    tag.reserve(body.size() + kLongTagHeaderBytes);
    Append(tag, body);
    return tag;
}

Bytes ShortTag(TagCode code, const Bytes &body)
{
    if (body.size() >= kLongTagLength) {
        return LongTag(code, body);
    }
    Bytes tag;
    AppendWord(tag, TagHeaderWord(code, static_cast<uint32_t>(body.size())));
    Append(tag, body);
    return tag;
}

TagHeader ReadTagHeader(BitReader &in)
{
    uint16_t word = in.U16();
    TagHeader header{TagCodeOf(word), TagLengthFieldOf(word)};
    if (header.length == kLongTagLength) {
        header.length = in.U32();
    }
    return header;
}

Bytes MovieHeaderBytes(const MovieHeader &header)
{
    Bytes bytes(kPlainSignature.begin(), kPlainSignature.end());
    bytes.push_back(header.version);
    AppendLong(bytes, header.fileLength);
    Append(bytes, RecordBytes([&](BitBuffer &b) { WriteRect(b, header.frame, kFrameRectBits); }));
    AppendWord(bytes, header.frameRate);
    AppendWord(bytes, header.frameCount);
    return bytes;
}

uint16_t FrameRateField(double fps)
{
    fps = std::isfinite(fps) ? std::clamp(fps, 0.0, 255.99609375) : 0.0;
    double whole = std::floor(fps);
    return static_cast<uint16_t>(static_cast<int>(whole) << 8 | static_cast<int>(std::floor((fps - whole) * 256.0)));
}

void ReadMovieHeaderRest(BitReader &in, MovieHeader &header)
{
    header.frame = ReadRect(in);
    header.frameRate = in.U16();
    header.frameCount = in.U16();
}

bool EndsWithEndAction(const Bytes &actions)
{
    size_t i = 0;
    while (i < actions.size()) {
        if (actions[i] == kActionEnd) {
            return i + 1 == actions.size();
        }
        const bool hasLength = actions[i] >= kActionHasLength && i + 2 < actions.size();
        i += hasLength ? (actions[i + 1] | (actions[i + 2] << 8)) + 3u : 1u;
    }
    return false;
}

Bytes ClipActionsBytes(const std::vector<ClipActionRecord> &records)
{
    uint32_t allFlags = 0;
    Bytes body;
    for (const ClipActionRecord &record : records) {
        allFlags |= record.eventFlags;
        AppendLong(body, record.eventFlags);
        AppendLong(body, static_cast<int64_t>(record.actions.size()) + (record.keyCode ? 1 : 0));
        if (record.keyCode) {
            body.push_back(*record.keyCode);
        }
        Append(body, record.actions);
    }
    Bytes bytes;
    AppendWord(bytes, 0);
    AppendLong(bytes, allFlags);
    Append(bytes, body);
    AppendLong(bytes, 0);  // ClipActionEndFlag
    return bytes;
}

std::vector<ClipActionRecord> ReadClipActions(BitReader &in)
{
    std::vector<ClipActionRecord> records;
    in.U16();
    in.U32();  // all events
    while (!in.Overrun() && in.RemainingBytes() >= 4) {
        ClipActionRecord record;
        record.eventFlags = in.U32();
        if (record.eventFlags == 0) {
            break;
        }
        size_t length = in.U32();
        if (record.eventFlags & kClipEventKeyPress) {
            record.keyCode = in.U8();
            length = length > 0 ? length - 1 : 0;
        }
        std::string_view actions = in.Bytes(length);
        record.actions.assign(actions.begin(), actions.end());
        records.push_back(std::move(record));
    }
    return records;
}

Bytes PlaceObject2Body(const PlaceObjectRecord &place)
{
    uint8_t flags = place.move ? kPlaceMove : 0;
    Bytes body = {0};
    AppendWord(body, place.depth);
    if (place.characterId) {
        flags |= kPlaceHasCharacter;
        AppendWord(body, *place.characterId);
    }
    if (place.matrix) {
        flags |= kPlaceHasMatrix;
        Append(body, RecordBytes([&](BitBuffer &b) { WriteMatrix(b, *place.matrix); }));
    }
    if (place.cxform) {
        flags |= kPlaceHasColorTransform;
        Append(body, RecordBytes([&](BitBuffer &b) { WriteCxform(b, *place.cxform, true); }));
    }
    if (place.ratio) {
        flags |= kPlaceHasRatio;
        AppendWord(body, *place.ratio);
    }
    if (place.name) {
        flags |= kPlaceHasName;
        AppendString(body, *place.name);
    }
    if (place.clipDepth) {
        flags |= kPlaceHasClipDepth;
        AppendWord(body, *place.clipDepth);
    }
    if (place.clipActions) {
        flags |= kPlaceHasClipActions;
        Append(body, *place.clipActions);
    }
    body[0] = flags;
    return body;
}

PlaceObjectRecord ReadPlaceObject2(BitReader &in)
{
    PlaceObjectRecord place;
    uint8_t flags = in.U8();
    place.depth = in.U16();
    place.move = (flags & kPlaceMove) != 0;
    if (flags & kPlaceHasCharacter) {
        place.characterId = in.U16();
    }
    if (flags & kPlaceHasMatrix) {
        place.matrix = ReadMatrix(in);
    }
    if (flags & kPlaceHasColorTransform) {
        place.cxform = ReadCxform(in, true);
    }
    if (flags & kPlaceHasRatio) {
        place.ratio = in.U16();
    }
    if (flags & kPlaceHasName) {
        place.name = ReadString(in);
    }
    if (flags & kPlaceHasClipDepth) {
        place.clipDepth = in.U16();
    }
    if (flags & kPlaceHasClipActions) {
        std::string_view rest = in.Bytes(in.RemainingBytes());
        place.clipActions = Bytes(rest.begin(), rest.end());
    }
    return place;
}

PlaceObjectRecord ReadPlaceObject(BitReader &in)
{
    PlaceObjectRecord place;
    place.characterId = in.U16();
    place.depth = in.U16();
    place.matrix = ReadMatrix(in);
    if (in.RemainingBytes() > 0) {
        place.cxform = ReadCxform(in, false);
    }
    return place;
}

Bytes RemoveObject2Body(uint16_t depth)
{
    Bytes body;
    AppendWord(body, depth);
    return body;
}

uint16_t ReadRemovedDepth(BitReader &in, TagCode code)
{
    if (code == TagCode::RemoveObject) {
        in.U16();  // character id
    }
    return in.U16();
}

Bytes SetBackgroundColorBody(const Rgba &colour)
{
    return {colour.r, colour.g, colour.b};
}

Bytes DefineBitsJpeg2Body(const JpegBitsRecord &bits)
{
    Bytes body;
    AppendWord(body, bits.id);
    AppendJpeg(body, bits.jpeg);
    return body;
}

Bytes DefineBitsJpeg3Body(const JpegBitsRecord &bits)
{
    Bytes body;
    AppendWord(body, bits.id);
    AppendLong(body, static_cast<int64_t>(bits.jpeg.size() + kEmptyJpegStart.size()));
    AppendJpeg(body, bits.jpeg);
    Append(body, bits.packedAlpha);
    return body;
}

JpegBitsView ReadJpegBits(BitReader &in, TagCode code)
{
    JpegBitsView view;
    if (code == TagCode::DefineBitsJpeg3) {
        uint32_t alphaOffset = in.U32();
        view.jpeg = in.Bytes(alphaOffset);
        view.packedAlpha = in.Bytes(in.RemainingBytes());
    } else {
        view.jpeg = in.Bytes(in.RemainingBytes());
    }
    if (view.jpeg.substr(0, kEmptyJpegStart.size()) == kEmptyJpegStart) {
        view.jpeg.remove_prefix(kEmptyJpegStart.size());
    }
    return view;
}

Bytes DefineFont2Body(const DeviceFontRecord &font)
{
    std::string_view name(font.name);
    name = name.substr(0, kMaxFontNameBytes);
    Bytes body;
    body.reserve(name.size() + 9);
    AppendWord(body, font.id);
    body.push_back(font.flags);
    body.push_back(font.language);
    body.push_back(static_cast<uint8_t>(name.size()));
    body.insert(body.end(), name.begin(), name.end());
    AppendWord(body, 0);  // no glyphs
    AppendWord(body, 2);  // the code table right after this offset
    return body;
}

DeviceFontRecord ReadDefineFont2(BitReader &in)
{
    DeviceFontRecord font;
    font.flags = in.U8();
    font.language = in.U8();
    std::string_view name = in.Bytes(in.U8());
    font.name = std::string(name.substr(0, name.find('\0')));
    return font;
}

Bytes DefineEditTextBody(const EditTextRecord &text)
{
    Bytes body;
    body.reserve(text.variableName.size() + text.initialText.size() + 34);
    AppendWord(body, text.id);
    Append(body, RecordBytes([&](BitBuffer &b) { WriteRect(b, text.bounds, text.boundsBits); }));
    body.push_back(static_cast<uint8_t>(text.flags >> 8));
    body.push_back(static_cast<uint8_t>(text.flags));
    if (text.flags & kEditHasFont) {
        AppendWord(body, text.fontId);
        AppendWord(body, text.fontHeight);
    }
    if (text.flags & kEditHasTextColor) {
        body.insert(body.end(), {text.colour.r, text.colour.g, text.colour.b, text.colour.a});
    }
    if (text.flags & kEditHasMaxLength) {
        AppendWord(body, text.maxLength);
    }
    if (text.flags & kEditHasLayout) {
        body.push_back(text.align);
        AppendWord(body, text.leftMargin);
        AppendWord(body, text.rightMargin);
        AppendWord(body, text.indent);
        AppendWord(body, text.leading);
    }
    AppendString(body, text.variableName);
    if (text.flags & kEditHasText) {
        AppendString(body, text.initialText);
    }
    return body;
}

EditTextRecord ReadDefineEditText(BitReader &in)
{
    EditTextRecord text;
    text.bounds = ReadRect(in);
    uint8_t first = in.U8();
    text.flags = static_cast<uint16_t>(first << 8 | in.U8());
    if (text.flags & kEditHasFont) {
        text.fontId = in.U16();
        text.fontHeight = in.U16();
    }
    if (text.flags & kEditHasTextColor) {
        text.colour = ReadRgba(in);
    }
    if (text.flags & kEditHasMaxLength) {
        text.maxLength = in.U16();
    }
    if (text.flags & kEditHasLayout) {
        text.align = in.U8();
        text.leftMargin = in.U16();
        text.rightMargin = in.U16();
        text.indent = static_cast<int16_t>(in.U16());
        text.leading = static_cast<int16_t>(in.U16());
    }
    text.variableName = ReadString(in);
    if (text.flags & kEditHasText) {
        text.initialText = ReadString(in);
    }
    return text;
}

Bytes SoundStreamBlockBody(uint16_t sampleCount, int16_t seekSamples, const Bytes &frames)
{
    Bytes body;
    body.reserve(frames.size() + 4);
    AppendWord(body, sampleCount);
    AppendWord(body, seekSamples);
    Append(body, frames);
    return body;
}

Bytes ShapeTagBody(uint16_t id, const RectRecord &bounds, int32_t rectBits, const Bytes &shape)
{
    Bytes body;
    body.reserve(shape.size() + 15);
    AppendWord(body, id);
    Append(body, RecordBytes([&](BitBuffer &b) { WriteRect(b, bounds, rectBits); }));
    Append(body, shape);
    return body;
}

Bytes MorphShapeHeader(uint16_t id, const RectRecord &startBounds, const RectRecord &endBounds, uint32_t endEdgesOffset)
{
    constexpr int32_t kMorphBoundsBits = 24;
    Bytes body;
    AppendWord(body, id);
    for (const RectRecord *bounds : {&startBounds, &endBounds}) {
        Append(body, RecordBytes([&](BitBuffer &b) { WriteRect(b, *bounds, kMorphBoundsBits); }));
    }
    AppendLong(body, endEdgesOffset);
    return body;
}

}  // namespace platform::swf
