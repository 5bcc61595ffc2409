// Readers of the structures that several tag parsers share (internal to the player).
#pragma once

#include "platform/player/swf_bit_reader.h"
#include "platform/player/swf_data.h"

namespace platform::swf {

QRectF ReadRect(BitReader &in);
QTransform ReadMatrix(BitReader &in);
ColorTransform ReadColorTransform(BitReader &in, bool withAlpha);
QRgb ReadRgb(BitReader &in);
QRgb ReadRgba(BitReader &in);

// DefineShape (tag 2), DefineShape2 (22), DefineShape3 (32): the body after the character id.
// edgeBudget is what the movie may still add; it is reduced by the edges read.
// Groups are taken from previous, else from others, when there, and every group of the shape is
// entered in next; counts (when given) is increased by the work done.
struct GroupReuse {
    const MovieGroups *previous = nullptr;
    MovieGroups *next = nullptr;
    std::vector<const MovieGroups *> others;
    ParseCounts *counts = nullptr;
};
ShapeCharacter ParseShape(BitReader &in, int tagCode, size_t &edgeBudget, const GroupReuse &reuse);
// DefineMorphShape (46): the body after the character id.
MorphCharacter ParseMorphShape(BitReader &in, size_t &edgeBudget);

}  // namespace platform::swf
