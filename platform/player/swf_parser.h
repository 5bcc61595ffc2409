// Readers of the structures that several tag parsers share (internal to the player).
#pragma once

#include "platform/player/swf_movie.h"
#include "platform/swf/basic_records.h"
#include "platform/swf/bit_reader.h"
#include "platform/swf/tag_codes.h"

namespace platform::swf {

// The format's records as the player draws them.
QRectF ToRectF(const RectRecord &rect);
QTransform ToTransform(const MatrixRecord &matrix);
ColorTransform ToColorTransform(const CxformRecord &cx);
QRgb ToQRgb(const Rgba &colour);

// DefineShape, DefineShape2, DefineShape3: the body after the character id.
// edgeBudget is what the movie may still add; it is reduced by the edges read.
// Groups are taken from previous, else from others, when there, and every group of the shape is
// entered in next; counts (when given) is increased by the work done.
struct GroupReuse {
    const MovieGroups *previous = nullptr;
    MovieGroups *next = nullptr;
    std::vector<const MovieGroups *> others;
    ParseCounts *counts = nullptr;
};
ShapeCharacter ParseShape(BitReader &in, TagCode tagCode, size_t &edgeBudget, const GroupReuse &reuse);
// DefineMorphShape: the body after the character id.
MorphCharacter ParseMorphShape(BitReader &in, size_t &edgeBudget);

}  // namespace platform::swf
