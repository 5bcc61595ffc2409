// The shape writer's cache of encoded units. A unit (a path, or a compound path's members) is
// looked up by what it draws: a 64-bit hash of every field its encoding reads, seeded once per
// process, confirmed by the unit's anchor count and bounds. Nothing outside the writer marks a
// unit stale: a changed path hashes differently and is encoded again, an unchanged one (after an
// undo, in a copy, in a thumbnail of the selection) finds its unit.
#pragma once

#include "movie/tag_buffer.h"
#include "core/path_record.h"

#include <array>
#include <cstdint>
#include <vector>

namespace movie {

// What identifies a unit's encoding: the hash of every path drawn in it, their anchors and the
// twips they draw.
struct UnitKey {
    uint64_t Hash = 0;
    int64_t AnchorCount = 0;
    core::Rect32 Bounds;

    bool operator==(const UnitKey &) const = default;
};

// The hash of every field of path that its encoded unit depends on; extremes receives the
// smallest and largest anchor coordinates (left > right when the path has no anchors).
uint64_t PathHash(const core::PathRecord &path, core::Rect32 &extremes);
// The hash of a sequence: the hash so far followed by next.
uint64_t ChainHash(uint64_t sofar, uint64_t next);

// Encoded units, each kept while the shapes written recently drew it. The units lie in one array
// of slots addressed by their hash (open addressing, linear probing, at most half full), so that a
// lookup reads the slot that holds the key and then the unit's bytes, chasing no nodes.
class UnitCache {
public:
    // The unit of key, or nullptr when it must be encoded. A unit found is kept. The pointer holds
    // until the next Store or EndShape.
    const BitBuffer *Find(const UnitKey &key);
    // Keeps the meaningful bytes of unit under key and returns them (held as Find's are).
    const BitBuffer &Store(const UnitKey &key, const BitBuffer &unit);
    // Ends one shape. Once the cache holds more than twice the units the last few shapes drew,
    // the units none of them drew are dropped: the cache stays within a small multiple of what
    // is drawn, and each unit stored costs a constant share of the sweeps.
    void EndShape();

    size_t Size() const { return count_; }

private:
    struct Entry {
        UnitKey Key;
        BitBuffer Bits;
        uint64_t LastShape = 0;  // 0: the slot is free
    };
    static constexpr size_t kKeptShapes = 2;  // the canvas and a thumbnail are written in turn

    void Touch(Entry &entry);
    // The slot of hash: the one holding it, else the free one where it would go.
    Entry &SlotOf(uint64_t hash);
    // Moves the entries for which keep holds into a table of at least capacity slots.
    template <typename Keep>
    void Rebuild(size_t capacity, Keep keep);

    std::vector<Entry> slots_;  // a power of two in size, or empty
    size_t count_ = 0;
    uint64_t shape_ = kKeptShapes;  // the shape being written (above 0, so 0 marks a free slot)
    std::array<size_t, kKeptShapes> drawn_{};  // units each of the last shapes drew, by shape % kKeptShapes
};

}  // namespace movie
