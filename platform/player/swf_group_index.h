// Indexes of cached groups by 64-bit hashes that are already well mixed: open addressing (linear
// probing) in one array of 8-byte slots, so that it allocates once and looks up without chasing
// nodes; the entries' whole keys are those of what they index. A key holds one index, the last
// entered; Erase removes an entry in place, so that a few groups changed update the index in
// proportion. Internal to the player.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

namespace platform::swf {

class GroupIndex {
public:
    static constexpr uint32_t kNone = UINT32_MAX;

    size_t size() const { return count_; }

    // The index entered under key, or kNone. keyOf(index) gives the key of an index entered: a
    // slot holds only the high half of its key, the whole one is looked up where a half matches.
    template <typename KeyOf>
    uint32_t Find(uint64_t key, const KeyOf &keyOf) const
    {
        if (slots_.empty()) {
            return kNone;
        }
        for (size_t i = Home(key);; i = (i + 1) & (slots_.size() - 1)) {
            const Slot &slot = slots_[i];
            if (slot.index == kNone || (slot.tag == TagOf(key) && keyOf(slot.index) == key)) {
                return slot.index;
            }
        }
    }

    // Enters index (not kNone) under key, replacing what the key held.
    template <typename KeyOf>
    void Assign(uint64_t key, uint32_t index, const KeyOf &keyOf)
    {
        if ((count_ + 1) * 2 > slots_.size()) {
            Rehash((count_ + 1) * 2, keyOf);
        }
        for (size_t i = Home(key);; i = (i + 1) & (slots_.size() - 1)) {
            Slot &slot = slots_[i];
            if (slot.index == kNone || (slot.tag == TagOf(key) && keyOf(slot.index) == key)) {
                count_ += slot.index == kNone ? 1 : 0;
                slot = {TagOf(key), index};
                return;
            }
        }
    }

    // Removes the entry of key when it holds index. The entries after it in its probe run move
    // back, so that every other key is still found from its home slot.
    template <typename KeyOf>
    void Erase(uint64_t key, uint32_t index, const KeyOf &keyOf)
    {
        if (slots_.empty()) {
            return;
        }
        const size_t mask = slots_.size() - 1;
        size_t hole = Home(key);
        for (;; hole = (hole + 1) & mask) {
            const Slot &slot = slots_[hole];
            if (slot.index == kNone) {
                return;
            }
            if (slot.tag == TagOf(key) && keyOf(slot.index) == key) {
                break;
            }
        }
        if (slots_[hole].index != index) {
            return;
        }
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
        slots_ = {};
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

    static uint32_t TagOf(uint64_t key) { return static_cast<uint32_t>(key >> 32); }
    size_t Home(uint64_t key) const { return static_cast<size_t>(key ^ key >> 32) & (slots_.size() - 1); }

    template <typename KeyOf>
    void Rehash(size_t wanted, const KeyOf &keyOf)
    {
        size_t capacity = 16;
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

}  // namespace platform::swf
