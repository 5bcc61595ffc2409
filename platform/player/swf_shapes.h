// Reading shape and morph-shape tags into drawn groups, taking unchanged groups from the movies
// loaded before. Internal to the player.
#pragma once

#include "platform/player/swf_movie.h"
#include "platform/player/swf_movie_groups.h"
#include "platform/swf/bit_reader.h"
#include "platform/swf/tag_codes.h"

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

namespace platform::swf {

// DefineShape, DefineShape2, DefineShape3: the body after the character id.
// edgeBudget is what the movie may still add; it is reduced by the edges read.
// Groups are taken from lastLoaded (the groups of the player's last movie, left as they are while
// the movie is read), else from otherPlayers, when there, and every group of the shape is entered
// in update (new ones in lastLoaded's free slots); counts (when given) is increased by the work
// done. previous is the movie lastLoaded was kept for, when its shapes' lists of groups may be
// taken over.
struct GroupReuse {
    MovieGroups *lastLoaded = nullptr;
    GroupsUpdate *update = nullptr;
    std::vector<const MovieGroups *> otherPlayers;
    ParseCounts *counts = nullptr;
    Movie *previous = nullptr;
    bool previousOwned = false;
    std::string_view body;  // the tag stream being read, which the shapes' tags lie in
};
ShapeCharacter ParseShape(BitReader &in, TagCode tagCode, uint16_t id, size_t &edgeBudget, const GroupReuse &reuse);
// DefineMorphShape: the body after the character id.
MorphCharacter ParseMorphShape(BitReader &in, size_t &edgeBudget);

}  // namespace platform::swf
