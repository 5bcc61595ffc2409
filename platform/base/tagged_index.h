// An index of entries by 64-bit keys that are already well mixed: open addressing (linear probing)
// in one array of 8-byte slots, a power of two in size and at most half full, so that it allocates
// once and looks up without chasing nodes. A slot holds its key's high half (the tag) and the
// entry's index; where a tag matches, the whole key is confirmed through keyOf(index), which gives
// the key of an index entered: the keys stay in the owner's entries, which a lookup reads anyway.
// A key holds one index. The index adds no seed of its own: whoever makes the keys seeds them
// once per process, so that no file can crowd them into one probe run (the movie writer's unit
// hashes: Seeds() in movie/unit_cache.cpp; the player's group hashes: ProcessSeed() in
// platform/player/swf_shapes.cpp).
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

namespace platform {

// FewestSlots (a power of two) is the smallest table made.
template <size_t FewestSlots = 16>
class TaggedIndex {
public:
    static constexpr uint32_t kNone = UINT32_MAX;

    size_t size() const { return count_; }

    // The index entered under key, or kNone.
    template <typename KeyOf>
    uint32_t Find(uint64_t key, const KeyOf &keyOf) const
    {
        return slots_.empty() ? kNone : slots_[PlaceOf(key, keyOf)].index;
    }

    // Enters index (not kNone) under key, replacing what the key held.
    template <typename KeyOf>
    void Assign(uint64_t key, uint32_t index, const KeyOf &keyOf)
    {
        Slot &slot = Enter(key, keyOf);
        slot = {TagOf(key), index};
    }

    // Enters index (not kNone) under key unless the key holds one; returns what the key holds
    // then (index when it was entered).
    template <typename KeyOf>
    uint32_t Insert(uint64_t key, uint32_t index, const KeyOf &keyOf)
    {
        Slot &slot = Enter(key, keyOf);
        if (slot.index == kNone) {
            slot = {TagOf(key), index};
        }
        return slot.index;
    }

    // Removes the entry of key when it holds index. The entries after it in its probe run move
    // back, so that every other key is still found from its home slot.
    template <typename KeyOf>
    void Erase(uint64_t key, uint32_t index, const KeyOf &keyOf)
    {
        if (slots_.empty()) {
            return;
        }
        size_t hole = PlaceOf(key, keyOf);
        if (index == kNone || slots_[hole].index != index) {
            return;
        }
        const size_t mask = slots_.size() - 1;
        for (size_t next = (hole + 1) & mask; slots_[next].index != kNone; next = (next + 1) & mask) {
            // An entry may fill the hole unless its home lies cyclically within (hole, next].
            const size_t home = Home(keyOf(slots_[next].index));
            const bool homeAfterHole = hole <= next ? (home > hole && home <= next) : (home > hole || home <= next);
            if (!homeAfterHole) {
                slots_[hole] = slots_[next];
                hole = next;
            }
        }
        slots_[hole] = Slot();
        --count_;
    }

    // Makes room for entries in all, so that entering them does not grow the table in steps.
    template <typename KeyOf>
    void Reserve(size_t entries, const KeyOf &keyOf)
    {
        if (entries * 2 > slots_.size()) {
            Rehash(entries * 2, keyOf);
        }
    }

    size_t HeldBytes() const { return slots_.capacity() * sizeof(Slot); }

    // Removes every entry, keeping the memory.
    void Clear()
    {
        std::fill(slots_.begin(), slots_.end(), Slot());
        count_ = 0;
    }
    // Removes every entry and keeps room for expected entries alone.
    void Reset(size_t expected)
    {
        slots_ = std::vector<Slot>();  // not `= {}`, which would keep the memory
        count_ = 0;
        if (expected > 0) {
            Rehash(expected * 2, [](uint32_t) { return uint64_t{0}; });  // nothing to move
        }
    }

private:
    struct Slot {
        uint32_t tag = 0;  // the key's high half
        uint32_t index = kNone;
    };
    static_assert(sizeof(Slot) == 8);

    static uint32_t TagOf(uint64_t key) { return static_cast<uint32_t>(key >> 32); }
    size_t Home(uint64_t key) const { return static_cast<size_t>(key ^ key >> 32) & (slots_.size() - 1); }

    // The place of key's slot in a table that is not empty: the one holding it, else the free one
    // where it would go.
    template <typename KeyOf>
    size_t PlaceOf(uint64_t key, const KeyOf &keyOf) const
    {
        const size_t mask = slots_.size() - 1;
        const uint32_t tag = TagOf(key);
        for (size_t i = Home(key);; i = (i + 1) & mask) {
            const Slot &slot = slots_[i];
            if (slot.index == kNone || (slot.tag == tag && keyOf(slot.index) == key)) {
                return i;
            }
        }
    }

    // The slot of key, counted as held, in a table with room for one more entry.
    template <typename KeyOf>
    Slot &Enter(uint64_t key, const KeyOf &keyOf)
    {
        Reserve(count_ + 1, keyOf);
        Slot &slot = slots_[PlaceOf(key, keyOf)];
        count_ += slot.index == kNone ? 1 : 0;
        return slot;
    }

    template <typename KeyOf>
    void Rehash(size_t wanted, const KeyOf &keyOf)
    {
        size_t capacity = FewestSlots;
        while (capacity < wanted) {
            capacity *= 2;
        }
        std::vector<Slot> old = std::exchange(slots_, std::vector<Slot>(capacity));
        count_ = 0;
        for (const Slot &slot : old) {
            if (slot.index != kNone) {
                Assign(keyOf(slot.index), slot.index, keyOf);
            }
        }
    }

    std::vector<Slot> slots_;
    size_t count_ = 0;
};

}  // namespace platform
