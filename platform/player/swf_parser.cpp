// The movie file: header, tag stream, definitions and the frames' placement tags.
#include "platform/player/swf_parser.h"

#include <algorithm>
#include <zlib.h>

namespace platform::swf {

namespace {

enum TagCode : int {
    kEnd = 0,
    kShowFrame = 1,
    kDefineShape = 2,
    kPlaceObject = 4,
    kRemoveObject = 5,
    kSetBackgroundColor = 9,
    kDefineBitsJpeg2 = 21,
    kDefineShape2 = 22,
    kPlaceObject2 = 26,
    kRemoveObject2 = 28,
    kDefineShape3 = 32,
    kDefineBitsJpeg3 = 35,
    kDefineEditText = 37,
    kDefineMorphShape = 46,
    kDefineFont2 = 48,
};

constexpr size_t kHeaderBytes = 8;  // signature, version, file length

// The body of a compressed movie (everything after the first 8 bytes), inflated up to the length
// the header states and never beyond kMaxMovieBytes. A damaged stream yields what inflated.
std::string InflateBody(std::string_view compressed, uint32_t statedLength)
{
    size_t wanted = std::min<size_t>(statedLength > kHeaderBytes ? statedLength - kHeaderBytes : 0, kMaxMovieBytes);
    std::string out(wanted, '\0');
    z_stream stream{};
    if (inflateInit(&stream) != Z_OK) {
        return {};
    }
    stream.next_in = reinterpret_cast<Bytef *>(const_cast<char *>(compressed.data()));
    stream.avail_in = static_cast<uInt>(std::min<size_t>(compressed.size(), UINT32_MAX));
    stream.next_out = reinterpret_cast<Bytef *>(out.data());
    stream.avail_out = static_cast<uInt>(out.size());
    while (stream.avail_out > 0) {
        int status = inflate(&stream, Z_NO_FLUSH);
        if (status != Z_OK) {
            break;
        }
    }
    out.resize(out.size() - stream.avail_out);
    inflateEnd(&stream);
    return out;
}

PlaceTag ReadPlaceObject2(BitReader &in)
{
    PlaceTag tag;
    uint8_t flags = in.U8();
    tag.depth = in.U16();
    tag.move = (flags & 0x01) != 0;
    if (flags & 0x02) {
        tag.characterId = in.U16();
    }
    if (flags & 0x04) {
        tag.matrix = ReadMatrix(in);
    }
    if (flags & 0x08) {
        tag.colorTransform = ReadColorTransform(in, true);
    }
    if (flags & 0x10) {
        tag.ratio = in.U16();
    }
    if (flags & 0x20) {
        in.String();  // instance name
    }
    if (flags & 0x40) {
        tag.clipDepth = in.U16();
    }
    // Clip actions (0x80) only matter to scripts, which this player does not run.
    return tag;
}

PlaceTag ReadPlaceObject(BitReader &in)
{
    PlaceTag tag;
    tag.characterId = in.U16();
    tag.depth = in.U16();
    tag.matrix = ReadMatrix(in);
    if (in.RemainingBytes() > 0) {
        tag.colorTransform = ReadColorTransform(in, false);
    }
    return tag;
}

PlaceTag RemoveTag(uint16_t depth)
{
    PlaceTag tag;
    tag.remove = true;
    tag.depth = depth;
    return tag;
}

// JPEG data of DefineBitsJPEG2/3 may start with an empty EOI+SOI pair that decoders reject.
std::string_view JpegPayload(std::string_view data)
{
    static constexpr std::string_view kBrokenStart("\xFF\xD9\xFF\xD8", 4);
    if (data.substr(0, 4) == kBrokenStart) {
        data.remove_prefix(4);
    }
    return data;
}

FontCharacter ReadDefineFont2(BitReader &in)
{
    FontCharacter font;
    uint8_t flags = in.U8();
    in.U8();  // language
    std::string_view name = in.Bytes(in.U8());
    std::string_view trimmed = name.substr(0, name.find('\0'));
    font.family = ResolveDeviceFont(QString::fromUtf8(trimmed.data(), static_cast<qsizetype>(trimmed.size())));
    font.bold = (flags & 0x01) != 0;
    font.italic = (flags & 0x02) != 0;
    // Glyph outlines, if any, are ignored: text is always drawn with the named installed font.
    return font;
}

EditTextCharacter ReadDefineEditText(BitReader &in)
{
    EditTextCharacter text;
    text.bounds = ReadRect(in);
    uint8_t first = in.U8();
    uint8_t second = in.U8();
    text.flags = static_cast<uint16_t>(first << 8 | second);
    if (first & 0x01) {
        text.hasFont = true;
        text.fontId = in.U16();
        text.height = in.U16();
    }
    if (first & 0x04) {
        text.color = ReadRgba(in);
    }
    if (first & 0x02) {
        in.U16();  // maximum length
    }
    if (second & 0x20) {
        text.align = in.U8();
        text.leftMargin = in.U16();
        text.rightMargin = in.U16();
        text.indent = static_cast<int16_t>(in.U16());
        text.leading = static_cast<int16_t>(in.U16());
    }
    in.String();  // variable name
    if (first & 0x80) {
        std::string_view initial = in.String();
        text.text = QString::fromUtf8(initial.data(), static_cast<qsizetype>(initial.size()));
    }
    return text;
}

class TagStreamParser {
public:
    TagStreamParser(Movie &movie, const GroupReuse &reuse) : movie_(movie), reuse_(reuse) {}

    void Parse(BitReader &in)
    {
        Frame pending;
        while (in.RemainingBytes() >= 2) {
            uint16_t header = in.U16();
            int code = header >> 6;
            size_t length = header & 0x3F;
            if (length == 0x3F) {
                length = in.U32();
            }
            // A tag claiming more than remains is read as far as the file goes.
            std::string_view body = in.Bytes(length);
            if (code == kEnd) {
                break;
            }
            if (code == kShowFrame) {
                EndFrame(pending);
                continue;
            }
            BitReader tag(body);
            if (!ReadTag(code, tag, pending)) {
                break;  // too many placements: the rest is not read
            }
        }
        // Placements after the last ShowFrame (a cut-off file) still make a frame.
        if (!pending.tags.empty() || movie_.frames.empty()) {
            EndFrame(pending);
        }
    }

private:
    void EndFrame(Frame &pending)
    {
        if (movie_.frames.size() < kMaxFrames) {
            movie_.frames.push_back(std::move(pending));
        } else {
            auto &last = movie_.frames.back().tags;
            last.insert(last.end(), pending.tags.begin(), pending.tags.end());
        }
        pending = Frame();
    }

    void Define(uint16_t id, Character character)
    {
        movie_.characters.try_emplace(id, std::move(character));  // the first definition holds
    }

    // A placement or removal counts against the frame's and the movie's bounds.
    static bool IsPlacement(int code)
    {
        return code == kPlaceObject || code == kPlaceObject2 || code == kRemoveObject || code == kRemoveObject2;
    }

    // False when the tag is one placement too many.
    bool ReadTag(int code, BitReader &in, Frame &pending)
    {
        if (IsPlacement(code)) {
            if (placementBudget_ == 0 || pending.tags.size() >= kMaxPlacementsPerFrame) {
                return false;
            }
            --placementBudget_;
        }
        switch (code) {
        case kPlaceObject:
            pending.tags.push_back(ReadPlaceObject(in));
            break;
        case kPlaceObject2:
            pending.tags.push_back(ReadPlaceObject2(in));
            break;
        case kRemoveObject:
            in.U16();
            pending.tags.push_back(RemoveTag(in.U16()));
            break;
        case kRemoveObject2:
            pending.tags.push_back(RemoveTag(in.U16()));
            break;
        case kSetBackgroundColor:
            if (!movie_.background) {
                movie_.background = ReadRgb(in);
            }
            break;
        default:
            ReadDefinition(code, in);
            break;
        }
        return true;
    }

    void ReadDefinition(int code, BitReader &in)
    {
        uint16_t id = in.U16();
        if (in.Overrun() || movie_.characters.count(id) != 0) {
            return;
        }
        switch (code) {
        case kDefineShape:
        case kDefineShape2:
        case kDefineShape3:
            Define(id, ParseShape(in, code, edgeBudget_, reuse_));
            break;
        case kDefineMorphShape:
            Define(id, ParseMorphShape(in, edgeBudget_));
            break;
        case kDefineBitsJpeg2:
            Define(id, BitmapCharacter{DecodeJpeg(JpegPayload(in.Bytes(in.RemainingBytes())))});
            break;
        case kDefineBitsJpeg3: {
            uint32_t alphaOffset = in.U32();
            std::string_view jpeg = in.Bytes(alphaOffset);
            std::string_view alpha = in.Bytes(in.RemainingBytes());
            Define(id, BitmapCharacter{ApplyAlphaPlane(DecodeJpeg(JpegPayload(jpeg)), alpha)});
            break;
        }
        case kDefineFont2:
            Define(id, ReadDefineFont2(in));
            break;
        case kDefineEditText:
            Define(id, ReadDefineEditText(in));
            break;
        default:
            break;  // tags this player has no use for
        }
    }

    Movie &movie_;
    GroupReuse reuse_;
    size_t edgeBudget_ = kMaxEdgesPerMovie;
    size_t placementBudget_ = kMaxPlacementsPerMovie;
};

}  // namespace

QRectF ReadRect(BitReader &in)
{
    in.Align();
    int bits = static_cast<int>(in.UB(5));
    double xMin = in.SB(bits);
    double xMax = in.SB(bits);
    double yMin = in.SB(bits);
    double yMax = in.SB(bits);
    in.Align();
    return QRectF(QPointF(xMin, yMin), QPointF(xMax, yMax));
}

QTransform ReadMatrix(BitReader &in)
{
    in.Align();
    double scaleX = 1;
    double scaleY = 1;
    double skew0 = 0;
    double skew1 = 0;
    if (in.UB(1)) {
        int bits = static_cast<int>(in.UB(5));
        scaleX = in.FB(bits);
        scaleY = in.FB(bits);
    }
    if (in.UB(1)) {
        int bits = static_cast<int>(in.UB(5));
        skew0 = in.FB(bits);
        skew1 = in.FB(bits);
    }
    int bits = static_cast<int>(in.UB(5));
    double translateX = in.SB(bits);
    double translateY = in.SB(bits);
    in.Align();
    return QTransform(scaleX, skew0, skew1, scaleY, translateX, translateY);
}

ColorTransform ReadColorTransform(BitReader &in, bool withAlpha)
{
    in.Align();
    ColorTransform cx;
    bool hasAdd = in.UB(1) != 0;
    bool hasMult = in.UB(1) != 0;
    int bits = static_cast<int>(in.UB(4));
    const int channels = withAlpha ? 4 : 3;
    if (hasMult) {
        for (int i = 0; i < channels; ++i) {
            cx.mult[i] = in.SB(bits);
        }
    }
    if (hasAdd) {
        for (int i = 0; i < channels; ++i) {
            cx.add[i] = in.SB(bits);
        }
    }
    in.Align();
    return cx;
}

QRgb ReadRgb(BitReader &in)
{
    uint8_t r = in.U8();
    uint8_t g = in.U8();
    uint8_t b = in.U8();
    return qRgb(r, g, b);
}

QRgb ReadRgba(BitReader &in)
{
    uint8_t r = in.U8();
    uint8_t g = in.U8();
    uint8_t b = in.U8();
    uint8_t a = in.U8();
    return qRgba(r, g, b, a);
}

std::unique_ptr<Movie> ParseMovie(std::string_view bytes, const GroupSources &sources)
{
    if (bytes.size() < kHeaderBytes) {
        return nullptr;
    }
    std::string_view signature = bytes.substr(0, 3);
    if (signature != "FWS" && signature != "CWS") {
        return nullptr;
    }
    std::string inflated;
    std::string_view body = bytes.substr(kHeaderBytes);
    if (signature == "CWS") {
        BitReader lengthReader(bytes.substr(4, 4));
        inflated = InflateBody(body, lengthReader.U32());
        body = inflated;
    }

    auto movie = std::make_unique<Movie>();
    BitReader in(body);
    movie->frameRect = ReadRect(in);
    uint16_t rate = in.U16();  // 8.8 fixed point
    movie->frameRate = rate / 256.0;
    in.U16();  // stated frame count: the ShowFrame tags decide
    MovieGroups *cache = sources.own;
    MovieGroups next;
    if (cache) {
        next.groups.Reserve(cache->groups.size());
        next.geometry.Reserve(cache->geometry.size());
        next.rawIndex.Reserve(cache->raw.size());
        next.raw.reserve(cache->raw.size());
        next.bytes.reserve(cache->bytes.size());
    }
    GroupReuse reuse{cache, cache ? &next : nullptr, sources.others, sources.counts};
    TagStreamParser(*movie, reuse).Parse(in);
    if (cache) {
        *cache = std::move(next);
    }
    return movie;
}

const Character *Movie::Find(uint16_t id) const
{
    auto found = characters.find(id);
    return found == characters.end() ? nullptr : &found->second;
}

void ApplyFrame(const Frame &frame, DisplayList &list)
{
    for (const PlaceTag &tag : frame.tags) {
        if (tag.remove) {
            list.erase(tag.depth);
            continue;
        }
        auto existing = list.find(tag.depth);
        if (tag.move && existing == list.end()) {
            continue;  // nothing there to modify
        }
        if (!tag.move && !tag.characterId) {
            continue;  // a new placement needs a character
        }
        DisplayObject &object = tag.move ? existing->second : (list[tag.depth] = DisplayObject());
        if (tag.characterId) {
            object.characterId = *tag.characterId;
        }
        if (tag.matrix) {
            object.matrix = *tag.matrix;
        }
        if (tag.colorTransform) {
            object.colorTransform = *tag.colorTransform;
        }
        if (tag.ratio) {
            object.ratio = *tag.ratio;
        }
        if (tag.clipDepth) {
            object.clipDepth = *tag.clipDepth;
        }
    }
}

}  // namespace platform::swf
