#include "movie/unit_cache.h"

#include "movie/tag_buffer.h"

#include <algorithm>
#include <bit>
#include <random>
#include <utility>

namespace movie {
namespace {

// Units kept beyond twice those the last shapes drew, before a sweep.
constexpr size_t kSpareUnits = 4096;

struct HashSeeds {
    uint64_t In;    // mixed into one factor of every step
    uint64_t Kind;  // odd: an anchor kind's weight in its anchor's word
    uint64_t Start;
};

// Drawn once per process, so that no file can be made to collide its paths' hashes.
const HashSeeds &Seeds()
{
    static const HashSeeds seeds = [] {
        std::random_device device;
        auto draw = [&device] { return (uint64_t{device()} << 32) ^ device(); };
        return HashSeeds{draw(), draw() | 1, draw()};
    }();
    return seeds;
}

// One step: the 128-bit product of the two words folded to 64 bits.
uint64_t Mix(uint64_t a, uint64_t b)
{
    const unsigned __int128 product = static_cast<unsigned __int128>(a) * b;
    return static_cast<uint64_t>(product) ^ static_cast<uint64_t>(product >> 64);
}

uint64_t Pair(int32_t high, int32_t low)
{
    return uint64_t{static_cast<uint32_t>(high)} << 32 | static_cast<uint32_t>(low);
}

uint64_t AnchorWord(const core::AnchorPoint &anchor, uint64_t kindWeight)
{
    return Pair(anchor.X, anchor.Y) + static_cast<uint64_t>(static_cast<uint16_t>(anchor.AnchorKind)) * kindWeight;
}

}  // namespace

uint64_t ChainHash(uint64_t sofar, uint64_t next)
{
    return Mix(next ^ Seeds().In, sofar ^ 0x9E3779B97F4A7C15u);
}

uint64_t PathHash(const core::PathRecord &path, core::Rect32 &extremes)
{
    const HashSeeds &seeds = Seeds();
    uint64_t h = seeds.Start;
    auto add = [&h, &seeds](uint64_t a, uint64_t b) { h = Mix(a ^ seeds.In, b ^ h); };
    add(Pair(path.LineWidth, path.LineMode) ^ uint64_t{path.blClosed}, Pair(static_cast<int32_t>(path.LineColor), path.FillType));
    add(Pair(static_cast<int32_t>(path.FillColor), static_cast<int32_t>(path.GradColor)),
        Pair(path.GradCenterX, path.GradCenterY));
    add(Pair(std::bit_cast<int32_t>(path.GradAngle), std::bit_cast<int32_t>(path.GradRatioX)),
        Pair(std::bit_cast<int32_t>(path.GradRatioY), path.StopCount()));
    for (int32_t s = 1; s <= path.StopCount(); ++s) {
        const core::GradStop &stop = path.Stops[static_cast<size_t>(s)];
        add(Pair(static_cast<int32_t>(stop.StopColor), stop.StopPos), uint64_t(s));
    }
    const core::AnchorArray &anchors = path.Anchors;
    const size_t count = anchors.size();
    extremes = core::Rect32{1, 1, 0, 0};
    if (count > 0) {
        extremes = {anchors[0].X, anchors[0].Y, anchors[0].X, anchors[0].Y};
    }
    // Two anchors a step: both words take part in one product.
    size_t k = 0;
    for (; k + 1 < count; k += 2) {
        const core::AnchorPoint &a = anchors[k];
        const core::AnchorPoint &b = anchors[k + 1];
        add(AnchorWord(a, seeds.Kind), AnchorWord(b, seeds.Kind));
        extremes.Left = std::min({extremes.Left, a.X, b.X});
        extremes.Right = std::max({extremes.Right, a.X, b.X});
        extremes.Top = std::min({extremes.Top, a.Y, b.Y});
        extremes.Bottom = std::max({extremes.Bottom, a.Y, b.Y});
    }
    if (k < count) {
        const core::AnchorPoint &a = anchors[k];
        add(AnchorWord(a, seeds.Kind), seeds.Kind);
        extremes.Left = std::min(extremes.Left, a.X);
        extremes.Right = std::max(extremes.Right, a.X);
        extremes.Top = std::min(extremes.Top, a.Y);
        extremes.Bottom = std::max(extremes.Bottom, a.Y);
    }
    return ChainHash(h, count);
}

const BitBuffer *UnitCache::Find(const UnitKey &key)
{
    const uint32_t index = index_.Find(key.Hash, HashOf());
    if (index == index_.kNone || !(entries_[index].Key == key)) {
        return nullptr;
    }
    Entry &entry = entries_[index];
    Touch(entry);
    return &entry.Bits;
}

template <typename Keep>
void UnitCache::Rebuild(size_t expected, Keep keep)
{
    size_t kept = 0;
    for (size_t i = 0; i < entries_.size(); ++i) {
        if (keep(entries_[i])) {
            if (kept != i) {
                entries_[kept] = std::move(entries_[i]);
            }
            ++kept;
        }
    }
    if (kept != entries_.size()) {
        ++generation_;
    }
    entries_.resize(kept);
    index_.Reset(expected);
    for (size_t i = 0; i < entries_.size(); ++i) {
        index_.Assign(entries_[i].Key.Hash, static_cast<uint32_t>(i), HashOf());
    }
}

void UnitCache::Touch(Entry &entry)
{
    if (entry.LastShape != shape_) {
        entry.LastShape = shape_;
        ++drawn_[shape_ % kKeptShapes];
    }
}

const BitBuffer &UnitCache::Store(const UnitKey &key, const BitBuffer &unit)
{
    return Adopt(key, MeaningfulBits(unit));
}

void UnitCache::Reserve(size_t units)
{
    // A table that must grow is made at most half full, so that it grows again only after the
    // units in it doubled at the least.
    index_.Reserve(entries_.size() + units, HashOf());
}

const BitBuffer &UnitCache::Adopt(const UnitKey &key, BitBuffer &&unit)
{
    Reserve(1);
    // A unit of another key with this hash gives way.
    const uint32_t index = index_.Insert(key.Hash, static_cast<uint32_t>(entries_.size()), HashOf());
    if (index == entries_.size()) {
        entries_.emplace_back();
    } else {
        ++generation_;
    }
    Entry &entry = entries_[index];
    entry.Key = key;
    entry.Bits = std::move(unit);
    Touch(entry);
    return entry.Bits;
}

BitBuffer MeaningfulBits(const BitBuffer &unit)
{
    BitBuffer kept;
    kept.Bytes = BufferBytes(unit);
    if (!kept.Bytes.empty()) {
        kept.BytePos = unit.BytePos;
        kept.BitPos = unit.BitPos;
    }
    return kept;
}

void UnitCache::EndShape()
{
    size_t drawn = 0;
    for (size_t count : drawn_) {
        drawn += count;
    }
    if (entries_.size() > 2 * drawn + kSpareUnits) {
        Rebuild(drawn, [this](const Entry &entry) { return entry.LastShape + kKeptShapes > shape_; });
    }
    ++shape_;
    drawn_[shape_ % kKeptShapes] = 0;
}

}  // namespace movie
