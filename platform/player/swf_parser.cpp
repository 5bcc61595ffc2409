// The movie file: header, tag stream, definitions and the frames' placement tags.
#include "platform/player/swf_parser.h"

#include "platform/player/swf_bitmaps.h"
#include "platform/player/swf_shapes.h"
#include "platform/player/swf_text.h"
#include "platform/swf/tag_records.h"

#include <algorithm>
#include <atomic>
#include <zlib.h>

namespace platform::swf {

namespace {

constexpr size_t kHeaderBytes = kFileHeaderPrefixBytes;

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

// A placement as the display list applies it.
PlaceTag ToPlaceTag(const PlaceObjectRecord &place)
{
    PlaceTag tag;
    tag.depth = place.depth;
    tag.move = place.move;
    tag.characterId = place.characterId;
    if (place.matrix) {
        tag.matrix = ToTransform(*place.matrix);
    }
    if (place.cxform) {
        tag.colorTransform = ToColorTransform(*place.cxform);
    }
    tag.ratio = place.ratio;
    tag.clipDepth = place.clipDepth;
    // Clip actions only matter to scripts, which this player does not run.
    return tag;
}

PlaceTag RemoveTag(uint16_t depth)
{
    PlaceTag tag;
    tag.remove = true;
    tag.depth = depth;
    return tag;
}

BitmapCharacter ReadJpegBitmap(BitReader &in, TagCode code)
{
    const JpegBitsView bits = ReadJpegBits(in, code);
    QImage image = DecodeJpeg(bits.jpeg);
    return BitmapCharacter{code == TagCode::DefineBitsJpeg3 ? ApplyAlphaPlane(image, bits.packedAlpha) : image};
}

FontCharacter ReadFont(BitReader &in)
{
    const DeviceFontRecord record = ReadDefineFont2(in);
    FontCharacter font;
    font.family = ResolveDeviceFont(QString::fromStdString(record.name));
    font.bold = (record.flags & kFontFlagBold) != 0;
    font.italic = (record.flags & kFontFlagItalic) != 0;
    // Glyph outlines, if any, are ignored: text is always drawn with the named installed font.
    return font;
}

EditTextCharacter ReadEditText(BitReader &in)
{
    const EditTextRecord record = ReadDefineEditText(in);
    EditTextCharacter text;
    text.bounds = ToRectF(record.bounds);
    text.flags = record.flags;
    text.hasFont = (record.flags & kEditHasFont) != 0;
    if (text.hasFont) {
        text.fontId = record.fontId;
        text.height = record.fontHeight;
    }
    if (record.flags & kEditHasTextColor) {
        text.color = ToQRgb(record.colour);
    }
    if (record.flags & kEditHasLayout) {
        text.align = record.align;
        text.leftMargin = record.leftMargin;
        text.rightMargin = record.rightMargin;
        text.indent = record.indent;
        text.leading = record.leading;
    }
    if (record.flags & kEditHasText) {
        text.text = QString::fromStdString(record.initialText);
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
            const TagHeader header = ReadTagHeader(in);
            const auto code = static_cast<TagCode>(header.code);
            // A tag claiming more than remains is read as far as the file goes.
            std::string_view body = in.Bytes(header.length);
            if (code == TagCode::End) {
                break;
            }
            if (code == TagCode::ShowFrame) {
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
    static bool IsPlacement(TagCode code)
    {
        return code == TagCode::PlaceObject || code == TagCode::PlaceObject2 || code == TagCode::RemoveObject ||
               code == TagCode::RemoveObject2;
    }

    // False when the tag is one placement too many.
    bool ReadTag(TagCode code, BitReader &in, Frame &pending)
    {
        if (IsPlacement(code)) {
            if (placementBudget_ == 0 || pending.tags.size() >= kMaxPlacementsPerFrame) {
                return false;
            }
            --placementBudget_;
        }
        switch (code) {
        case TagCode::PlaceObject:
            pending.tags.push_back(ToPlaceTag(ReadPlaceObject(in)));
            break;
        case TagCode::PlaceObject2:
            pending.tags.push_back(ToPlaceTag(ReadPlaceObject2(in)));
            break;
        case TagCode::RemoveObject:
        case TagCode::RemoveObject2:
            pending.tags.push_back(RemoveTag(ReadRemovedDepth(in, code)));
            break;
        case TagCode::SetBackgroundColor:
            if (!movie_.background) {
                movie_.background = ToQRgb(ReadRgb(in));
            }
            break;
        default:
            ReadDefinition(code, in);
            break;
        }
        return true;
    }

    void ReadDefinition(TagCode code, BitReader &in)
    {
        uint16_t id = in.U16();
        if (in.Overrun() || movie_.characters.count(id) != 0) {
            return;
        }
        switch (code) {
        case TagCode::DefineShape:
        case TagCode::DefineShape2:
        case TagCode::DefineShape3:
            Define(id, ParseShape(in, code, id, edgeBudget_, reuse_));
            break;
        case TagCode::DefineMorphShape:
            Define(id, ParseMorphShape(in, edgeBudget_));
            break;
        case TagCode::DefineBitsJpeg2:
        case TagCode::DefineBitsJpeg3:
            Define(id, ReadJpegBitmap(in, code));
            break;
        case TagCode::DefineFont2:
            Define(id, ReadFont(in));
            break;
        case TagCode::DefineEditText:
            Define(id, ReadEditText(in));
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

QRectF ToRectF(const RectRecord &rect)
{
    return QRectF(QPointF(rect.xMin, rect.yMin), QPointF(rect.xMax, rect.yMax));
}

QTransform ToTransform(const MatrixRecord &matrix)
{
    constexpr double kFixedOne = 65536.0;
    return QTransform(matrix.scaleX / kFixedOne, matrix.rotateSkew0 / kFixedOne, matrix.rotateSkew1 / kFixedOne,
                      matrix.scaleY / kFixedOne, matrix.translateX, matrix.translateY);
}

ColorTransform ToColorTransform(const CxformRecord &cx)
{
    ColorTransform transform;
    std::copy(std::begin(cx.mult), std::end(cx.mult), transform.mult);
    std::copy(std::begin(cx.add), std::end(cx.add), transform.add);
    return transform;
}

QRgb ToQRgb(const Rgba &colour)
{
    return qRgba(colour.r, colour.g, colour.b, colour.a);
}

std::unique_ptr<Movie> ParseMovie(std::string_view bytes, const GroupSources &sources)
{
    if (bytes.size() < kHeaderBytes) {
        return nullptr;
    }
    std::string_view signature = bytes.substr(0, kPlainSignature.size());
    if (signature != kPlainSignature && signature != kCompressedSignature) {
        return nullptr;
    }
    std::string inflated;
    std::string_view body = bytes.substr(kHeaderBytes);
    if (signature == kCompressedSignature) {
        BitReader lengthReader(bytes.substr(kFileLengthOffset, 4));
        inflated = InflateBody(body, lengthReader.U32());
        body = inflated;
    }

    // The groups kept refer into the body: it is kept with them. Bytes not compressed are read
    // where they lie and copied into the kept body's storage once read.
    MovieGroups *kept = sources.lastLoaded;
    if (kept) {
        kept->loadingBody.clear();
        if (!inflated.empty()) {
            kept->loadingBody = std::move(inflated);
            body = kept->loadingBody;
        }
    }
    static std::atomic<uint64_t> lastSerial{0};
    auto movie = std::make_unique<Movie>();
    movie->serial = ++lastSerial;
    BitReader in(body);
    MovieHeader header;
    ReadMovieHeaderRest(in, header);
    movie->frameRect = ToRectF(header.frame);
    movie->frameRate = header.frameRate / 256.0;  // 8.8 fixed point; the ShowFrame tags decide the frame count
    GroupsUpdate update;
    if (kept) {
        update.order.reserve(kept->order.size());  // not grown in steps for a movie as large
    }
    const bool continues = kept && sources.previous && kept->movie != 0 && sources.previous->serial == kept->movie;
    GroupReuse reuse{kept,           kept ? &update : nullptr,
                     sources.otherPlayers, sources.counts,
                     continues ? sources.previous : nullptr, continues && sources.previousOwned,
                     body};
    try {
        TagStreamParser(*movie, reuse).Parse(in);
        if (kept) {
            kept->Commit(update, movie->serial, body);
        }
    } catch (...) {
        if (kept) {
            kept->clear();  // half updated: nothing of it is taken
        }
        throw;
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
