// A written movie read back through the format layer, the way any other player would read its
// bytes: the header, the tags of each frame, the definitions by id, the display-list records and
// the edges of a shape. Plain ("FWS") movies only, which is all the writer produces.
#pragma once

#include "platform/swf/shape_records.h"
#include "platform/swf/tag_codes.h"
#include "platform/swf/tag_records.h"

#include <gtest/gtest.h>

#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace movietags {

namespace swf = platform::swf;

struct Tag {
    swf::TagCode code = swf::TagCode::End;
    std::string body;

    // The character id that opens a definition's body.
    uint16_t Id() const
    {
        return body.size() < 2 ? 0 : static_cast<uint16_t>(static_cast<uint8_t>(body[0]) | static_cast<uint8_t>(body[1]) << 8);
    }
    swf::BitReader Reader() const { return swf::BitReader(body); }
};

// One display-list change: a placement (new or moved) or the removal of a depth.
struct DisplayChange {
    bool remove = false;
    swf::PlaceObjectRecord place;  // depth only, for a removal
};

struct Movie {
    bool read = false;  // the header was whole and plain
    swf::MovieHeader header;
    std::optional<swf::Rgba> background;
    std::vector<Tag> tags;                          // every tag after the header, in order
    std::vector<std::vector<DisplayChange>> frames;  // the display-list changes up to each ShowFrame
    std::map<uint16_t, Tag> definitions;             // by character id

    const Tag *Definition(uint16_t id) const
    {
        auto found = definitions.find(id);
        return found == definitions.end() ? nullptr : &found->second;
    }
    // The placement at the depth in a frame; a test failure when there is none.
    swf::PlaceObjectRecord PlacementAt(uint16_t depth, size_t frame = 0) const
    {
        if (frame < frames.size()) {
            for (const DisplayChange &change : frames[frame]) {
                if (!change.remove && change.place.depth == depth) {
                    return change.place;
                }
            }
        }
        ADD_FAILURE() << "no placement at depth " << depth << " in frame " << frame;
        return {};
    }
};

inline bool IsDefinition(swf::TagCode code)
{
    using C = swf::TagCode;
    for (C definition : {C::DefineShape, C::DefineShape2, C::DefineShape3, C::DefineBitsJpeg2, C::DefineBitsJpeg3,
                         C::DefineEditText, C::DefineSprite, C::DefineMorphShape, C::DefineFont2}) {
        if (code == definition) {
            return true;
        }
    }
    return false;
}

inline Movie ReadMovie(std::string_view bytes)
{
    Movie movie;
    if (bytes.size() < swf::kFileHeaderPrefixBytes || bytes.substr(0, 3) != swf::kPlainSignature) {
        return movie;
    }
    swf::BitReader in(bytes.substr(swf::kFileHeaderPrefixBytes));
    swf::ReadMovieHeaderRest(in, movie.header);
    movie.read = !in.Overrun();
    std::vector<DisplayChange> frame;
    while (movie.read && !in.AtEnd()) {
        const swf::TagHeader header = swf::ReadTagHeader(in);
        if (in.Overrun() || header.length > in.RemainingBytes()) {
            ADD_FAILURE() << "a tag runs past the end of the movie";
            break;
        }
        Tag tag{static_cast<swf::TagCode>(header.code), std::string(in.Data().substr(in.BytePos(), header.length))};
        in.Skip(header.length);
        swf::BitReader body = tag.Reader();
        switch (tag.code) {
        case swf::TagCode::SetBackgroundColor:
            movie.background = swf::ReadRgb(body);
            break;
        case swf::TagCode::PlaceObject2:
            frame.push_back({false, swf::ReadPlaceObject2(body)});
            break;
        case swf::TagCode::RemoveObject2:
        case swf::TagCode::RemoveObject: {
            DisplayChange change{true, {}};
            change.place.depth = swf::ReadRemovedDepth(body, tag.code);
            frame.push_back(change);
            break;
        }
        case swf::TagCode::ShowFrame:
            movie.frames.push_back(std::move(frame));
            frame.clear();
            break;
        default:
            if (IsDefinition(tag.code)) {
                movie.definitions[tag.Id()] = tag;
            }
            break;
        }
        movie.tags.push_back(std::move(tag));
    }
    if (!frame.empty() || movie.frames.empty()) {
        movie.frames.push_back(std::move(frame));  // what follows the last ShowFrame
    }
    return movie;
}

// One edge of a shape in absolute twips, with the styles in force and the style arrays of its
// group (the shape's own, or those of the last new-styles change before it).
struct ShapeEdge {
    int32_t x0 = 0, y0 = 0;
    int32_t cx = 0, cy = 0;  // the control point of a curve; the start of a straight edge
    int32_t x1 = 0, y1 = 0;
    bool straight = true;
    uint32_t fill0 = 0, fill1 = 0, line = 0;
    size_t group = 0;
};

struct ShapeRead {
    uint16_t id = 0;
    swf::RectRecord bounds;
    std::vector<std::vector<swf::FillStyleRecord>> fills;  // by group
    std::vector<std::vector<swf::LineStyleRecord>> lines;
    std::vector<ShapeEdge> edges;

    // The line style of an edge, or none.
    const swf::LineStyleRecord *LineOf(const ShapeEdge &edge) const
    {
        const auto &styles = lines.at(edge.group);
        return edge.line >= 1 && edge.line <= styles.size() ? &styles[edge.line - 1] : nullptr;
    }
};

// A DefineShape, DefineShape2 or DefineShape3 tag's records; a test failure when they cannot be
// read whole.
inline ShapeRead ReadShape(const Tag &tag)
{
    ShapeRead shape;
    const swf::ShapeVersion version = swf::ShapeVersion::Of(static_cast<uint16_t>(tag.code));
    swf::BitReader in = tag.Reader();
    shape.id = in.U16();
    shape.bounds = swf::ReadRect(in);
    shape.fills.emplace_back();
    shape.lines.emplace_back();
    if (!swf::ReadStyleArrays(in, version, shape.fills.back(), shape.lines.back())) {
        ADD_FAILURE() << "the style arrays of shape " << shape.id << " cannot be read";
        return shape;
    }
    swf::StyleIndexBits bits = swf::ReadStyleIndexBits(in);
    swf::StyleChangeRecord state;
    int32_t x = 0, y = 0;
    while (!in.Overrun()) {
        const swf::ShapeRecordHead head = swf::ReadShapeRecordHead(in);
        if (head.edge) {
            const swf::EdgeRecord edge = swf::ReadEdge(in);
            ShapeEdge out{x, y, x, y, 0, 0, edge.straight, state.fill0, state.fill1, state.line, shape.lines.size() - 1};
            if (!edge.straight) {
                out.cx = x + edge.controlDx;
                out.cy = y + edge.controlDy;
            }
            x = out.x1 = (edge.straight ? x : out.cx) + edge.anchorDx;
            y = out.y1 = (edge.straight ? y : out.cy) + edge.anchorDy;
            shape.edges.push_back(out);
            continue;
        }
        if (head.flags == 0) {
            return shape;  // the end record
        }
        if (head.flags & swf::kStateNewStyles) {
            state.fill0 = state.fill1 = state.line = 0;  // indexes into the new arrays unless set here
        }
        swf::ReadStyleChange(in, head.flags, bits, state);
        if (head.flags & swf::kStateMoveTo) {
            x = state.moveX;
            y = state.moveY;
        }
        if (head.flags & swf::kStateNewStyles) {
            in.Align();
            shape.fills.emplace_back();
            shape.lines.emplace_back();
            if (!swf::ReadStyleArrays(in, version, shape.fills.back(), shape.lines.back())) {
                break;
            }
            bits = swf::ReadStyleIndexBits(in);
        }
    }
    ADD_FAILURE() << "the records of shape " << shape.id << " cannot be read whole";
    return shape;
}

// The text of a DefineEditText tag (UTF-8) and its font height.
inline swf::EditTextRecord ReadEditText(const Tag &tag)
{
    swf::BitReader in = tag.Reader();
    in.U16();  // the id
    return swf::ReadDefineEditText(in);
}

}  // namespace movietags
