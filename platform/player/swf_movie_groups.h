// The drawn groups a player keeps of the last movie it loaded, for the movies loaded after it:
// where each group's bits lie, the indexes that find an unchanged one, and what a load takes
// over. Internal to the player.
#pragma once

#include "platform/player/swf_drawn_group.h"
#include "platform/player/swf_group_index.h"
#include "platform/player/swf_limits.h"
#include "platform/player/swf_styles.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace platform::swf {

// Where a style group's records move the pen to a point: nowhere (its edges lie where the pen
// stood before it), only in its first record (its edges lie where that record says), or elsewhere.
enum class RecordMoves : uint8_t { None, First, Other };

// A style group as its bits in a movie: where they lie in the kept movie's body, the reader's
// state where it starts, and what was made of it. The same bits read from the same state give
// the same group, so a later movie holding them takes it without reading its edges again.
struct RawGroup {
    size_t byteBegin = 0;  // in MovieGroups::body
    size_t bits = 0;
    int64_t penX = 0;
    int64_t penY = 0;
    // Where the record after the span starts: the pen there and the bit counts of style indexes.
    int64_t endX = 0;
    int64_t endY = 0;
    int32_t fill0 = 0;
    int32_t fill1 = 0;
    int32_t line = 0;
    uint32_t recordsAt = 0;  // bytes from byteBegin to its records (after its style arrays)
    // Edges and positions are bounded by the movie's edge budget and its groups' slots.
    uint32_t edges = 0;        // charged to the movie's edge budget
    uint32_t edgesBefore = 0;  // charged by the groups of its shape before it
    uint32_t position = 0;     // in MovieGroups::order
    uint8_t tagCode = 0;
    RecordMoves moves = RecordMoves::None;
    uint8_t fillBits = 0;
    uint8_t lineBits = 0;
    PlacedGroup placed;
    uint64_t rawKey = 0;       // the hash of its bits and starting state
    uint64_t styleKey = 0;     // the group's HashGroup
    uint64_t geometryKey = 0;  // and HashGroupGeometry
};
static_assert(kMaxEdgesPerMovie <= UINT32_MAX, "a group's edge counts are kept in 32 bits");

// The groups of one shape tag of a kept movie, for the next movie's tag of the same character.
struct CachedShape {
    uint8_t tagCode = 0;
    size_t groupsBegin = 0;  // in MovieGroups::body: where its first group starts, after the bounds
    size_t groupsEnd = 0;    // the end of the tag
    size_t first = 0;        // its groups: MovieGroups::order[first, first + count)
    size_t count = 0;
    size_t edges = 0;        // charged by all of them
    bool complete = false;   // read up to its end record, every group with edges kept
};

// What a movie being loaded keeps, put into its player's MovieGroups once the movie is read.
struct GroupsUpdate {
    // A run of the kept movie's groups taken whole: positions in its order, and how far their
    // bytes, the edges charged before them and their positions moved.
    struct Run {
        size_t begin = 0;
        size_t end = 0;
        int64_t byteShift = 0;
        int64_t edgeShift = 0;
        int64_t positionShift = 0;
    };
    std::vector<uint32_t> order;
    std::unordered_map<uint16_t, CachedShape> shapes;
    std::vector<Run> reused;
    std::vector<uint32_t> added;  // slots of the groups read or taken one by one
};

// The drawn groups of the last movie a player loaded, for the movies loaded after it (by any
// player sharing them): runs of a shape unchanged in the bytes are taken whole, a span of bytes
// unchanged is not read again, a group whose styles and edges are unchanged (wherever it lies) is
// not built again, and one whose edges and line widths are unchanged takes the paths of the old
// one with its new styles. Every hit is confirmed by the bytes or by the values its hash covers.
// The groups refer into the movie's body, kept once; a load changes only what the movie changed.
struct MovieGroups {
    std::string body;   // the kept movie's tag stream (inflated)
    std::string loadingBody;  // the next movie's while it loads, when inflated (else read where it lies)
    std::vector<RawGroup> rawGroups;  // the kept groups, by slot; a free slot holds none
    std::vector<uint32_t> freeSlots;
    std::vector<uint32_t> order;  // the movie's groups in order, as slots
    std::unordered_map<uint16_t, CachedShape> shapes;  // by character id
    uint64_t movie = 0;  // the serial of the movie they were kept for (0: none)
    // Slots by the hash of a group's bytes, its HashGroup and its HashGroupGeometry.
    GroupIndex rawIndex;
    GroupIndex groups;
    GroupIndex geometry;
    // The keys the indexes hold a slot under: the kept group's hashes.
    struct KeyOf {
        const std::vector<RawGroup> *kept;
        uint64_t RawGroup::*key;
        uint64_t operator()(uint32_t slot) const { return (*kept)[slot].*key; }
    };
    KeyOf RawKeys() const { return {&rawGroups, &RawGroup::rawKey}; }
    KeyOf StyleKeys() const { return {&rawGroups, &RawGroup::styleKey}; }
    KeyOf GeometryKeys() const { return {&rawGroups, &RawGroup::geometryKey}; }

    size_t size() const { return order.size(); }
    const RawGroup &At(size_t position) const { return rawGroups[order[position]]; }
    // The bytes a kept group's bits lie in (the last one's unused bits belong to the next record).
    std::string_view Bytes(const RawGroup &raw) const
    {
        return std::string_view(body).substr(raw.byteBegin, (raw.bits + 7) / 8);
    }
    void clear() { *this = MovieGroups(); }
    // The bytes held besides the drawn groups: the bodies, the slots, the order and the indexes.
    size_t HeldBytes() const;
    // A slot holding raw, for a group of the movie being loaded.
    uint32_t NewSlot(RawGroup raw);
    // Makes the loaded movie's groups (of serial movie, its body in loadingBody, else loaded: read
    // where it lies) the kept ones: frees the groups it did not take, moves those it took whole
    // and enters the new ones. A body read where it lies is copied into the kept one's storage,
    // only the bytes between their common head and tail.
    void Commit(GroupsUpdate &update, uint64_t movie, std::string_view loaded);
    // Gives back the room kept for loads to come: the slots are laid out in movie order, as many
    // as there are groups, and the indexes hold room for them alone. The next load that replaces
    // every group grows them again.
    void Trim();
};
// How many leading bytes a and b have in common; and trailing ones, at most limit.
size_t CommonPrefix(std::string_view a, std::string_view b);
size_t CommonSuffix(std::string_view a, std::string_view b, size_t limit);

// The hash of what decides a group's paths: its edges, the number of fill styles and the widths
// of its line styles. Group hashes are seeded once per process, so that no file can be made to
// collide in the indexes.
uint64_t HashGroupGeometry(const StyleGroup &group);
// The hash of everything that decides how a group looks (geometry: its HashGroupGeometry).
uint64_t HashGroup(const StyleGroup &group, uint64_t geometry);
uint64_t HashGroup(const StyleGroup &group);
// Whether two groups agree in all their HashGroupGeometry covers, and in the rest of the styles.
bool SameGeometry(const StyleGroup &a, const StyleGroup &b);
bool SameStyles(const StyleGroup &a, const StyleGroup &b);

// Work done by the shape parser for one player: style groups with edges whose records were read
// (not taken from a cache by their bytes), groups whose paths were built, and groups taken from a
// cache one by one, each by comparing its bytes (not in a run of unchanged ones taken whole); and
// of the groups read, those whose edge records were decoded: the others have the edge records of
// a kept group, whose paths they take with their own styles and place.
struct ParseCounts {
    int64_t groupsRead = 0;
    int64_t groupsBuilt = 0;
    int64_t groupsTaken = 0;
    int64_t groupsDecoded = 0;
};

struct Movie;

// Where the groups of a movie being parsed come from and go: taken from lastLoaded (the groups of
// the player's last movie) or else from otherPlayers (left as they are); lastLoaded holds
// exactly the groups of the new movie afterwards. counts, when given, is increased by the work
// done. previous is the movie lastLoaded was kept for, when the caller still has it: its shapes' lists
// of groups are taken over (moved when previousOwned, as no one else holds it, else copied).
struct GroupSources {
    MovieGroups *lastLoaded = nullptr;
    std::vector<const MovieGroups *> otherPlayers;
    ParseCounts *counts = nullptr;
    Movie *previous = nullptr;
    bool previousOwned = false;
};

}  // namespace platform::swf
