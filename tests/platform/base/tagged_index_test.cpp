// The tagged index with keys chosen to meet in its table: alike in the half a slot keeps, or
// starting their probes at one slot (the run wrapping past the table's end), each key finds its
// own index through erasures, replacements and growth.
#include "platform/base/tagged_index.h"

#include <gtest/gtest.h>

#include <bit>
#include <cstdint>
#include <random>
#include <unordered_map>
#include <vector>

namespace {

using Index = platform::TaggedIndex<>;

// The keys of the indexes entered, by index.
struct Keys {
    std::vector<uint64_t> keys;
    uint64_t operator()(uint32_t index) const { return keys.at(index); }
    uint32_t Add(uint64_t key)
    {
        keys.push_back(key);
        return static_cast<uint32_t>(keys.size() - 1);
    }
};

// A key whose probe starts at slot home of a table of up to 2^32 slots, with high half high.
uint64_t KeyAt(uint32_t high, uint32_t home)
{
    return uint64_t{high} << 32 | (high ^ home);
}

TEST(TaggedIndex, AnEmptyIndexFindsNothing)
{
    Index index;
    Keys keys;
    EXPECT_EQ(index.Find(0, keys), Index::kNone);
    EXPECT_EQ(index.Find(~uint64_t{0}, keys), Index::kNone);
    index.Erase(5, 0, keys);  // changes nothing
    EXPECT_EQ(index.size(), 0u);
    EXPECT_EQ(index.HeldBytes(), 0u);
    index.Reset(3);  // room, but still nothing
    EXPECT_EQ(index.Find(0, keys), Index::kNone);
    EXPECT_EQ(index.HeldBytes(), 16u * 8);
}

// Keys in one probe run, some of them alike in their high half too: erasing one in the middle or
// at the start of the run moves the later ones back, and each is still found.
TEST(TaggedIndex, FindsEveryKeyAfterAnErasureInItsProbeRun)
{
    struct Case {
        const char *name;
        std::vector<uint64_t> run;  // entered in this order
        size_t erased;
    };
    const Case cases[] = {
        {"OneHomeHalvesApart", {KeyAt(1, 3), KeyAt(2, 3), KeyAt(3, 3), KeyAt(4, 3), KeyAt(5, 3)}, 1},
        {"OneHomeOneHalf", {KeyAt(9, 3), KeyAt(9, 3) + 16, KeyAt(9, 3) + 32, KeyAt(9, 3) + 48}, 0},
        // Homes at the table's last slot wrap to its first, where a key of home 0 then waits.
        {"WrappingPastTheEnd", {KeyAt(1, 15), KeyAt(2, 15), KeyAt(3, 0), KeyAt(4, 15), KeyAt(5, 1)}, 0},
        {"WrappedEntryErased", {KeyAt(1, 15), KeyAt(2, 15), KeyAt(3, 0), KeyAt(4, 15), KeyAt(5, 1)}, 1},
        // Past the end, entries whose homes lie cyclically after the hole stay where they are.
        {"HomesPastTheEndStay", {KeyAt(1, 14), KeyAt(2, 15), KeyAt(3, 0), KeyAt(4, 14), KeyAt(5, 0)}, 0},
        // An entry whose home lies after the hole stays where it is.
        {"HomeAfterTheHole", {KeyAt(1, 4), KeyAt(2, 4), KeyAt(3, 6), KeyAt(4, 5), KeyAt(5, 4)}, 0},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        Index index;
        Keys keys;
        for (uint64_t key : c.run) {
            index.Assign(key, keys.Add(key), keys);
        }
        ASSERT_EQ(index.HeldBytes(), 16u * 8);  // one table: the homes above are its slots
        const uint64_t erased = c.run[c.erased];
        index.Erase(erased, static_cast<uint32_t>(c.erased) + 1, keys);  // not what it holds
        EXPECT_EQ(index.Find(erased, keys), c.erased);
        index.Erase(erased, static_cast<uint32_t>(c.erased), keys);
        EXPECT_EQ(index.size(), c.run.size() - 1);
        EXPECT_EQ(index.Find(erased, keys), Index::kNone);
        for (size_t i = 0; i < c.run.size(); ++i) {
            if (i != c.erased) {
                EXPECT_EQ(index.Find(c.run[i], keys), i) << i;
            }
        }
        index.Assign(erased, keys.Add(erased), keys);
        EXPECT_EQ(index.Find(erased, keys), c.run.size());
    }
}

// Assign replaces what a key holds; Insert keeps it.
TEST(TaggedIndex, AssignReplacesAndInsertKeeps)
{
    Index index;
    Keys keys;
    const uint64_t key = KeyAt(7, 2);
    const uint64_t alike = key + 16;  // the same half and home
    index.Assign(key, keys.Add(key), keys);
    EXPECT_EQ(index.Insert(alike, keys.Add(alike), keys), 1u);
    index.Assign(key, keys.Add(key), keys);
    EXPECT_EQ(index.size(), 2u);
    EXPECT_EQ(index.Find(key, keys), 2u);
    EXPECT_EQ(index.Insert(key, keys.Add(key), keys), 2u);
    EXPECT_EQ(index.Insert(alike, keys.Add(alike), keys), 1u);
    EXPECT_EQ(index.size(), 2u);
}

// Growing keeps every key and the table a power of two at most half full, from its fewest slots
// on; Reserve grows it at once, Clear keeps the memory and Reset gives it back.
TEST(TaggedIndex, GrowsAtHalfFullKeepingEveryKey)
{
    platform::TaggedIndex<64> index;
    Keys keys;
    std::vector<uint64_t> held;
    for (uint32_t n = 0; n < 3000; ++n) {
        // Every key alike in its high half: all of them are confirmed through keyOf.
        const uint64_t key = KeyAt(0xABCD, n * 0x9E3779B1u);
        index.Assign(key, keys.Add(key), keys);
        held.push_back(key);
        const size_t slots = index.HeldBytes() / 8;
        ASSERT_TRUE(std::has_single_bit(slots)) << n;
        ASSERT_GE(slots, 64u);
        ASSERT_LE(index.size() * 2, slots) << n;
    }
    EXPECT_EQ(index.HeldBytes(), 8192u * 8);
    for (size_t i = 0; i < held.size(); ++i) {
        ASSERT_EQ(index.Find(held[i], keys), i) << i;
    }
    index.Reserve(5000, keys);
    EXPECT_EQ(index.HeldBytes(), 16384u * 8);
    EXPECT_EQ(index.Find(held[1234], keys), 1234u);
    index.Clear();
    EXPECT_EQ(index.size(), 0u);
    EXPECT_EQ(index.Find(held[1234], keys), Index::kNone);
    EXPECT_EQ(index.HeldBytes(), 16384u * 8);
    index.Reset(1);
    EXPECT_EQ(index.HeldBytes(), 64u * 8);
    index.Reset(0);
    EXPECT_EQ(index.HeldBytes(), 0u);
}

// The index against a plain map, through assignments and erasures that crowd keys into few home
// slots, or give them one high half: every key is found exactly while entered.
TEST(TaggedIndex, FindsWhatAMapFindsThroughEveryChange)
{
    for (uint64_t spread : {uint64_t{1} << 40, uint64_t{7}, uint64_t{1}}) {
        std::mt19937_64 random(spread);
        Index index;
        std::unordered_map<uint64_t, uint32_t> expected;
        Keys keys;  // the key entered with each index (the step that entered it)
        for (uint32_t step = 0; step < 4000; ++step) {
            // Keys differ in their high bits only when spread is large: else they share their
            // high half, and home slots too.
            const uint64_t key = (random() % 300) * spread << 20;
            keys.Add(key);
            switch (random() % 3) {
            case 0:
                index.Assign(key, step, keys);
                expected[key] = step;
                break;
            case 1: {
                const auto found = expected.find(key);
                index.Erase(key, found == expected.end() ? step : found->second + 1, keys);  // not what it holds
                break;
            }
            default: {
                const auto found = expected.find(key);
                const uint32_t held = found == expected.end() ? step : found->second;
                index.Erase(key, held, keys);
                if (found != expected.end()) {
                    expected.erase(found);
                }
                break;
            }
            }
            ASSERT_EQ(index.size(), expected.size()) << spread << " step " << step;
        }
        for (uint64_t k = 0; k < 300; ++k) {
            const uint64_t key = k * spread << 20;
            const auto found = expected.find(key);
            EXPECT_EQ(index.Find(key, keys), found == expected.end() ? Index::kNone : found->second) << spread;
        }
        index.Erase(uint64_t{12345}, 1, keys);  // an absent key changes nothing
        EXPECT_EQ(index.size(), expected.size());
    }
}

}  // namespace
