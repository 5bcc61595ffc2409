// The writer's unit cache looked up by keys chosen to meet in its table: hashes alike in the half
// a slot keeps, or starting their probes at the same slot, each finds its own unit however the
// table grew or was swept, and a unit of another key with the very same hash gives way.
#include "movie/unit_cache.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace {

using platform::swf::BitBuffer;

// A unit whose bytes tell which one it is.
BitBuffer UnitBits(size_t n)
{
    BitBuffer unit;
    unit.Bytes = {static_cast<uint8_t>(n), static_cast<uint8_t>(n >> 8), static_cast<uint8_t>(n >> 16), 0};
    unit.BytePos = 3;
    unit.BitPos = 0;
    return unit;
}

movie::UnitKey KeyOf(uint64_t hash, int64_t anchors = 4)
{
    return movie::UnitKey{hash, anchors, core::Rect32{0, 0, 100, 100}};
}

struct Meeting {
    std::string name;
    size_t count;
    std::function<uint64_t(size_t)> hash;  // of unit n
    bool swept;  // by the shapes drawing every eighth unit
};

class UnitCacheMeetingTest : public testing::TestWithParam<Meeting> {};

TEST_P(UnitCacheMeetingTest, EveryUnitIsFoundUnderItsOwnKey)
{
    const Meeting &meeting = GetParam();
    movie::UnitCache cache;
    std::vector<BitBuffer> stored;
    for (size_t n = 0; n < meeting.count; ++n) {
        stored.push_back(cache.Store(KeyOf(meeting.hash(n)), UnitBits(n)));
    }
    ASSERT_EQ(cache.Size(), meeting.count);
    for (size_t n = 0; n < meeting.count; ++n) {
        const BitBuffer *found = cache.Find(KeyOf(meeting.hash(n)));
        ASSERT_NE(found, nullptr) << n;
        EXPECT_EQ(*found, stored[n]) << n;
        // The same hash with other anchors is another unit, not stored.
        EXPECT_EQ(cache.Find(KeyOf(meeting.hash(n), 5)), nullptr) << n;
    }
    // A hash alike in the kept half but stored under no key finds nothing.
    EXPECT_EQ(cache.Find(KeyOf(meeting.hash(0) ^ 0x40000000u)), nullptr);

    // Shapes that draw every eighth unit only: once the cache holds far more than they drew, the
    // others go and those stay, each under its own key.
    for (int shape = 0; shape < 3; ++shape) {
        for (size_t n = 0; n < meeting.count; n += 8) {
            ASSERT_NE(cache.Find(KeyOf(meeting.hash(n))), nullptr) << n;
        }
        cache.EndShape();
    }
    EXPECT_EQ(cache.Size(), meeting.swept ? (meeting.count + 7) / 8 : meeting.count);
    for (size_t n = 0; n < meeting.count; ++n) {
        const BitBuffer *found = cache.Find(KeyOf(meeting.hash(n)));
        if (n % 8 != 0 && meeting.swept) {
            EXPECT_EQ(found, nullptr) << n;
        } else {
            ASSERT_NE(found, nullptr) << n;
            EXPECT_EQ(*found, stored[n]) << n;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    Keys, UnitCacheMeetingTest,
    testing::Values(
        // The high half alike, the low half apart: every slot holds the same half.
        Meeting{"SameHighHalf", 300,
                [](size_t n) { return 0xABCD123400000000ull | (n * 0x9E3779B1u & 0xFFFFFFFFu); }, false},
        // Probes that all start at one slot, their high halves apart.
        Meeting{"SameFirstSlot", 300,
                [](size_t n) {
                    const uint64_t high = (n + 1) << 40;
                    return high | (0x1234u ^ (high >> 32));
                },
                false},
        // Both at once, and many: the table grows several times, then is swept.
        Meeting{"SameHalfGrownAndSwept", 20000,
                [](size_t n) { return 0x5555AAAA00000000ull | static_cast<uint32_t>(n << 12 | n >> 20); }, true}),
    [](const testing::TestParamInfo<Meeting> &info) { return info.param.name; });

TEST(UnitCacheTest, AUnitOfAnotherKeyWithTheSameHashGivesWay)
{
    movie::UnitCache cache;
    const BitBuffer first = cache.Store(KeyOf(77, 4), UnitBits(1));
    const uint64_t generation = cache.Generation();
    const BitBuffer second = cache.Store(KeyOf(77, 6), UnitBits(2));
    EXPECT_NE(cache.Generation(), generation);
    EXPECT_EQ(cache.Size(), 1u);
    EXPECT_EQ(cache.Find(KeyOf(77, 4)), nullptr);
    ASSERT_NE(cache.Find(KeyOf(77, 6)), nullptr);
    EXPECT_EQ(*cache.Find(KeyOf(77, 6)), second);
    EXPECT_NE(first, second);
}

}  // namespace
