// The shape writer's cache of encoded units. A unit (a path, or a compound path's members) is
// looked up by what it draws: a 64-bit hash of every field its encoding reads, seeded once per
// process, confirmed by the unit's anchor count and bounds. Nothing outside the writer marks a
// unit stale: a changed path hashes differently and is encoded again, an unchanged one (after an
// undo, in a copy, in a thumbnail of the selection) finds its unit.
#pragma once

#include "movie/tag_buffer.h"
#include "core/path_record.h"
#include "platform/base/tagged_index.h"

#include <array>
#include <cstdint>
#include <deque>

namespace movie {

// What identifies a unit's encoding: the hash of every path drawn in it, their anchors and the
// twips they draw.
struct UnitKey {
    uint64_t Hash = 0;
    int64_t AnchorCount = 0;
    core::Rect32 Bounds;

    bool operator==(const UnitKey &) const = default;
};

// The scratch buffers one unit is encoded in: the writer's own, or a worker thread's.
struct UnitScratch {
    BitBuffer FillStyles;
    BitBuffer LineStyles;
    BitBuffer Records;
    int32_t FillCount = 0;
    int32_t LineCount = 0;
};

// The hash of every field of path that its encoded unit depends on; extremes receives the
// smallest and largest anchor coordinates (left > right when the path has no anchors).
uint64_t PathHash(const core::PathRecord &path, core::Rect32 &extremes);
// The hash of a sequence: the hash so far followed by next.
uint64_t ChainHash(uint64_t sofar, uint64_t next);

// The meaningful bytes of an encoded unit and its position, as the cache keeps them.
BitBuffer MeaningfulBits(const BitBuffer &unit);

// Encoded units, each kept while the shapes written recently drew it. The units lie in one dense
// sequence; an index of 8-byte slots addressed by their hash (platform/base/tagged_index.h) holds
// each unit's hash (its high half) and place, so that a lookup reads one slot and then the unit,
// chasing no nodes, and growing or sweeping the index moves slots, not units.
class UnitCache {
public:
    // The unit of key, or nullptr when it must be encoded. A unit found is kept. The pointer holds
    // until the next Store, Adopt or EndShape, and beyond them while Generation() is the same.
    const BitBuffer *Find(const UnitKey &key);
    // Keeps the meaningful bytes of unit under key and returns them (held as Find's are).
    const BitBuffer &Store(const UnitKey &key, const BitBuffer &unit);
    // Keeps unit, which holds only its meaningful bytes (as Store keeps them), under key.
    const BitBuffer &Adopt(const UnitKey &key, BitBuffer &&unit);
    // Makes room for units more units at once, so that storing them does not grow the table in
    // steps.
    void Reserve(size_t units);
    // Ends one shape. Once the cache holds more than twice the units the last few shapes drew,
    // the units none of them drew are dropped: the cache stays within a small multiple of what
    // is drawn, and each unit stored costs a constant share of the sweeps.
    void EndShape();

    size_t Size() const { return entries_.size(); }
    // Changes whenever a unit kept may have moved or given way to another.
    uint64_t Generation() const { return generation_; }

private:
    struct Entry {
        UnitKey Key;
        BitBuffer Bits;
        uint64_t LastShape = 0;
    };
    // The index's smallest table.
    static constexpr size_t kFewestSlots = 64;
    static constexpr size_t kKeptShapes = 2;  // the canvas and a thumbnail are written in turn

    void Touch(Entry &entry);
    // The whole hash of the unit at an index, which confirms a slot whose high half matches.
    auto HashOf() const
    {
        return [this](uint32_t index) { return entries_[index].Key.Hash; };
    }
    // Keeps the entries for which keep holds and indexes them, with room for expected units.
    template <typename Keep>
    void Rebuild(size_t expected, Keep keep);

    std::deque<Entry> entries_;  // growing never moves a unit
    platform::TaggedIndex<kFewestSlots> index_;  // entries_ by hash
    uint64_t shape_ = kKeptShapes;  // the shape being written
    std::array<size_t, kKeptShapes> drawn_{};  // units each of the last shapes drew, by shape % kKeptShapes
    uint64_t generation_ = 0;
};

}  // namespace movie
