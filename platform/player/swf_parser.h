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
// Groups are taken from own (the groups of the player's last movie, left as they are while the
// movie is read), else from others, when there, and every group of the shape is entered in
// update (new ones in own's free slots); counts (when given) is increased by the work done.
// previous is the movie own was kept for, when its shapes' lists of groups may be taken over.
struct GroupReuse {
    MovieGroups *own = nullptr;
    GroupsUpdate *update = nullptr;
    std::vector<const MovieGroups *> others;
    ParseCounts *counts = nullptr;
    Movie *previous = nullptr;
    bool previousOwned = false;
    std::string_view body;  // the tag stream being read, which the shapes' tags lie in
};
ShapeCharacter ParseShape(BitReader &in, TagCode tagCode, uint16_t id, size_t &edgeBudget, const GroupReuse &reuse);
// DefineMorphShape: the body after the character id.
MorphCharacter ParseMorphShape(BitReader &in, size_t &edgeBudget);

}  // namespace platform::swf
