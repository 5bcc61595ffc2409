// Indexes of cached groups by 64-bit hashes that are already well mixed: open addressing in one
// array of small slots, so that filling it for every movie loaded allocates once and looks up
// without chasing nodes. The first index entered under a key is kept. Internal to the player.
#pragma once

#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

namespace platform::swf {

class GroupIndex {
public:
    static constexpr uint32_t kNone = UINT32_MAX;

    size_t size() const { return count_; }

    // Room for count entries without growing.
    void Reserve(size_t count)
    {
        if (count * 2 > slots_.size()) {
            Rehash(count * 2);
        }
    }

    // The index entered under key, or kNone.
    uint32_t Find(uint64_t key) const
    {
        if (slots_.empty()) {
            return kNone;
        }
        for (size_t i = Home(key);; i = (i + 1) & (slots_.size() - 1)) {
            const Slot &slot = slots_[i];
            if (slot.index == kNone || slot.key == key) {
                return slot.index;
            }
        }
    }

    // Enters index (not kNone) under key unless the key holds one already.
    void Insert(uint64_t key, uint32_t index)
    {
        if ((count_ + 1) * 2 > slots_.size()) {
            Rehash((count_ + 1) * 2);
        }
        for (size_t i = Home(key);; i = (i + 1) & (slots_.size() - 1)) {
            Slot &slot = slots_[i];
            if (slot.index == kNone) {
                slot = {key, index};
                ++count_;
                return;
            }
            if (slot.key == key) {
                return;
            }
        }
    }

private:
    struct Slot {
        uint64_t key = 0;
        uint32_t index = kNone;
    };

    size_t Home(uint64_t key) const { return static_cast<size_t>(key ^ key >> 32) & (slots_.size() - 1); }

    void Rehash(size_t wanted)
    {
        size_t capacity = 16;
        while (capacity < wanted) {
            capacity *= 2;
        }
        std::vector<Slot> old = std::exchange(slots_, std::vector<Slot>(capacity));
        count_ = 0;
        for (const Slot &slot : old) {
            if (slot.index != kNone) {
                Insert(slot.key, slot.index);
            }
        }
    }

    std::vector<Slot> slots_;
    size_t count_ = 0;
};

}  // namespace platform::swf
