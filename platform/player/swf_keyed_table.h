// A hash table keyed by 64-bit hashes that are already well mixed: open addressing in one array,
// so that filling it for every movie loaded allocates once and looks up without chasing nodes.
// The first value entered under a key is kept. Internal to the player.
#pragma once

#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

namespace platform::swf {

template <typename Value>
class KeyedTable {
public:
    size_t size() const { return count_; }

    void clear()
    {
        slots_.clear();
        count_ = 0;
    }

    // Room for count entries without growing.
    void Reserve(size_t count)
    {
        if (count * 2 > slots_.size()) {
            Rehash(count * 2);
        }
    }

    const Value *Find(uint64_t key) const
    {
        if (slots_.empty()) {
            return nullptr;
        }
        for (size_t i = Home(key);; i = (i + 1) & (slots_.size() - 1)) {
            const Slot &slot = slots_[i];
            if (!slot.used) {
                return nullptr;
            }
            if (slot.key == key) {
                return &slot.value;
            }
        }
    }

    // Enters value under key unless the key holds a value already.
    void Insert(uint64_t key, Value value)
    {
        if ((count_ + 1) * 2 > slots_.size()) {
            Rehash((count_ + 1) * 2);
        }
        for (size_t i = Home(key);; i = (i + 1) & (slots_.size() - 1)) {
            Slot &slot = slots_[i];
            if (!slot.used) {
                slot = {key, std::move(value), true};
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
        Value value{};
        bool used = false;
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
        for (Slot &slot : old) {
            if (slot.used) {
                Insert(slot.key, std::move(slot.value));
            }
        }
    }

    std::vector<Slot> slots_;
    size_t count_ = 0;
};

}  // namespace platform::swf
