#include "movie/shape_splice.h"

#include "movie/byte_edits.h"
#include "platform/swf/shape_records.h"

#include <algorithm>
#include <cassert>
#include <limits>
#include <vector>

namespace movie {
namespace {

namespace swf = platform::swf;

// Splicing stops paying once about a quarter of the units is written again; below this many
// units it always pays.
constexpr size_t kMostChangedShare = 4;
constexpr size_t kAlwaysSplicedUnits = 64;

// Units [OldBegin, OldEnd) of the layout give way to units [NewBegin, NewEnd) of the new list.
struct Region {
    size_t OldBegin;
    size_t OldEnd;
    size_t NewBegin;
    size_t NewEnd;
};

// The runs of units that changed: unit by unit where the count stayed, else the one run between
// the units both lists start and end with.
std::vector<Region> ChangedRegions(const std::vector<UnitKey> &before, const std::vector<UnitKey> &after)
{
    std::vector<Region> regions;
    const size_t n = before.size();
    const size_t m = after.size();
    if (n == m) {
        for (size_t i = 0; i < n;) {
            if (before[i] == after[i]) {
                ++i;
                continue;
            }
            size_t j = i;
            while (j < n && !(before[j] == after[j])) {
                ++j;
            }
            regions.push_back({i, j, i, j});
            i = j;
        }
        return regions;
    }
    size_t head = 0;
    while (head < n && head < m && before[head] == after[head]) {
        ++head;
    }
    size_t tail = 0;
    while (tail < n - head && tail < m - head && before[n - 1 - tail] == after[m - 1 - tail]) {
        ++tail;
    }
    regions.push_back({head, n - tail, head, m - tail});
    return regions;
}

uint64_t BitsOf(const BitBuffer &buffer)
{
    return uint64_t(static_cast<uint32_t>(buffer.BytePos)) * 8 + static_cast<uint32_t>(buffer.BitPos);
}

// Builds the new body's places and the edits of the old body's bytes, region by region.
class BodySplicer {
public:
    BodySplicer(const uint8_t *body, const ShapeLayout &layout, const core::PathArray &paths, const ShapeUnits &units)
        : body_(body), layout_(layout), paths_(paths), units_(units)
    {
        places_.reserve(units.Keys.size());
    }

    void Splice(const std::vector<Region> &regions)
    {
        for (size_t r = 0; r < regions.size();) {
            r = SpliceFrom(regions, r);
        }
        KeepUpTo(layout_.Keys.size());
        if (!endWritten_) {
            unitsEndBit_ = static_cast<uint64_t>(static_cast<int64_t>(layout_.UnitsEndBit) + shift_ * 8);
        }
    }

    std::vector<UnitPlace> &Places() { return places_; }
    std::vector<ByteEdit> &Edits() { return edits_; }
    std::vector<uint8_t> &Pieces() { return pieces_; }
    size_t BodyBytes() const { return static_cast<size_t>(static_cast<ptrdiff_t>(layout_.BodyBytes) + shift_); }
    uint64_t UnitsEndBit() const { return unitsEndBit_; }
    bool Replaceable() const { return replaceable_; }

private:
    // The old units before end keep their bytes, moved by the growth so far.
    void KeepUpTo(size_t end)
    {
        if (kept_ >= end) {
            return;
        }
        const size_t first = places_.size();
        places_.insert(places_.end(), layout_.Places.begin() + static_cast<ptrdiff_t>(kept_),
                       layout_.Places.begin() + static_cast<ptrdiff_t>(end));
        kept_ = end;
        if (shift_ != 0) {
            // Added modulo 2^64, as the signed sum comes out.
            const uint64_t moved = static_cast<uint64_t>(shift_ * 8);
            for (size_t k = first; k < places_.size(); ++k) {
                places_[k].StartBit += moved;
            }
        }
    }

    void Place(UnitPlace place)
    {
        place.StartBit += base_;
        replaceable_ = replaceable_ && (place.Empty || place.RestBytes > 0);
        places_.push_back(place);
    }

    // Writes region r, and those that follow before the alignment is found again, as one edit.
    // Returns the next region to write.
    size_t SpliceFrom(const std::vector<Region> &regions, size_t r)
    {
        const size_t n = layout_.Keys.size();
        KeepUpTo(regions[r].OldBegin);
        const uint64_t start = regions[r].OldBegin < n ? layout_.Places[regions[r].OldBegin].StartBit : layout_.UnitsEndBit;
        const size_t firstByte = static_cast<size_t>(start / 8);
        // The edit rewrites the body from firstByte on: the bits before start stay as they are.
        InitBitBuffer(scratch_);
        if (start % 8 != 0) {
            scratch_.Bytes[0] = static_cast<uint8_t>(body_[firstByte] & (0xFF << (8 - start % 8)));
            scratch_.BitPos = static_cast<int32_t>(start % 8);
        }
        base_ = static_cast<uint64_t>((static_cast<int64_t>(firstByte) + shift_) * 8);
        size_t old = 0;
        for (;;) {
            for (size_t k = regions[r].NewBegin; k < regions[r].NewEnd; ++k) {
                Place(AppendUnit(scratch_, ShapeUnitBits(paths_, units_, k, encoded_)));
            }
            old = regions[r].OldEnd;
            ++r;
            auto regionAt = [&] { return r < regions.size() && regions[r].OldBegin == old; };
            for (; old < n && !regionAt(); ++old) {
                const UnitPlace &place = layout_.Places[old];
                if (!place.Empty && BitsOf(scratch_) % 8 == place.StartBit % 8) {
                    break;
                }
                Place(AppendPlacedUnit(scratch_, place, body_ + RestStart(place)));
            }
            if (!regionAt()) {
                break;
            }
        }
        size_t oldEnd = layout_.BodyBytes;
        size_t pieceLength = 0;
        if (old == n) {
            unitsEndBit_ = base_ + BitsOf(scratch_);
            endWritten_ = true;
            swf::WriteEndShape(scratch_);
            pieceLength = static_cast<size_t>((BitsOf(scratch_) + 7) / 8);
        } else {
            // The unit starts at the alignment it had: its head is written here, its rest kept.
            const UnitPlace &place = layout_.Places[old];
            UnitPlace moved = place;
            moved.StartBit = BitsOf(scratch_);
            Place(moved);
            WriteBits(scratch_, place.Head, swf::kShapeRecordHeadBits);
            oldEnd = static_cast<size_t>(RestStart(place));
            pieceLength = static_cast<size_t>(scratch_.BytePos) + 1;
            ++old;
        }
        kept_ = old;
        edits_.push_back({firstByte, oldEnd - firstByte, pieces_.size(), pieceLength});
        pieces_.insert(pieces_.end(), scratch_.Bytes.begin(), scratch_.Bytes.begin() + static_cast<ptrdiff_t>(pieceLength));
        shift_ += static_cast<ptrdiff_t>(pieceLength) - static_cast<ptrdiff_t>(oldEnd - firstByte);
        return r;
    }

    const uint8_t *body_;
    const ShapeLayout &layout_;
    const core::PathArray &paths_;
    const ShapeUnits &units_;
    std::vector<UnitPlace> places_;
    std::vector<ByteEdit> edits_;
    std::vector<uint8_t> pieces_;
    BitBuffer scratch_;
    BitBuffer encoded_;
    size_t kept_ = 0;       // the next old unit not placed yet
    ptrdiff_t shift_ = 0;   // bytes the body grew by before kept_
    uint64_t base_ = 0;     // the new body's bit where scratch_ starts
    uint64_t unitsEndBit_ = 0;
    bool endWritten_ = false;  // the last edit rewrote the end of the body
    bool replaceable_ = true;
};

bool LayoutFits(const std::string &movie, size_t tagStart, const ShapeLayout &layout)
{
    return layout.Replaceable && layout.Keys.size() == layout.Places.size() && tagStart <= movie.size() &&
           layout.HeadBytes <= movie.size() - tagStart && layout.BodyBytes <= movie.size() - tagStart - layout.HeadBytes &&
           layout.UnitsEndBit <= uint64_t{layout.BodyBytes} * 8;
}

}  // namespace

bool SpliceShapeTag(std::string &movie, size_t tagStart, int32_t id, const core::PathArray &paths,
                    const ShapeUnits &units, ShapeLayout &layout)
{
    if (!LayoutFits(movie, tagStart, layout)) {
        return false;
    }
    const std::vector<Region> regions = ChangedRegions(layout.Keys, units.Keys);
    size_t changed = 0;
    for (const Region &region : regions) {
        changed += (region.OldEnd - region.OldBegin) + (region.NewEnd - region.NewBegin);
    }
    if (changed > kAlwaysSplicedUnits && changed * kMostChangedShare > layout.Keys.size() + units.Keys.size()) {
        return false;
    }
    std::vector<std::pair<size_t, size_t>> written;
    for (const Region &region : regions) {
        written.emplace_back(region.NewBegin, region.NewEnd);
    }
    EncodeMissingUnits(paths, units, written);
    const size_t bodyStart = tagStart + layout.HeadBytes;
    BodySplicer splicer(reinterpret_cast<const uint8_t *>(movie.data()) + bodyStart, layout, paths, units);
    splicer.Splice(regions);
    const size_t bodyBytes = splicer.BodyBytes();
    const Bytes head = CachedShapeHead(id, units.Bounds, bodyBytes);
    std::vector<ByteEdit> edits{{tagStart, layout.HeadBytes, splicer.Pieces().size(), head.size()}};
    std::vector<uint8_t> &pieces = splicer.Pieces();
    pieces.insert(pieces.end(), head.begin(), head.end());
    for (ByteEdit edit : splicer.Edits()) {
        edit.At += bodyStart;
        edits.push_back(edit);
    }
    const size_t newSize = movie.size() - layout.HeadBytes - layout.BodyBytes + head.size() + bodyBytes;
    if (newSize > std::numeric_limits<uint32_t>::max() || !ApplyByteEdits(movie, edits, pieces)) {
        return false;
    }
    // The layout takes the units' keys where they changed, from the last run on so that the
    // places of the runs before stay: as many as changed are copied, the units keep theirs.
    for (auto region = regions.rbegin(); region != regions.rend(); ++region) {
        const auto oldBegin = layout.Keys.begin() + static_cast<std::ptrdiff_t>(region->OldBegin);
        const auto newBegin = units.Keys.begin() + static_cast<std::ptrdiff_t>(region->NewBegin);
        const auto newEnd = units.Keys.begin() + static_cast<std::ptrdiff_t>(region->NewEnd);
        const size_t common = std::min(region->OldEnd - region->OldBegin, region->NewEnd - region->NewBegin);
        std::copy(newBegin, newBegin + static_cast<std::ptrdiff_t>(common), oldBegin);
        layout.Keys.erase(oldBegin + static_cast<std::ptrdiff_t>(common),
                          layout.Keys.begin() + static_cast<std::ptrdiff_t>(region->OldEnd));
        layout.Keys.insert(layout.Keys.begin() + static_cast<std::ptrdiff_t>(region->OldBegin + common),
                           newBegin + static_cast<std::ptrdiff_t>(common), newEnd);
    }
    assert(layout.Keys == units.Keys);
    layout.Places = std::move(splicer.Places());
    layout.UnitsEndBit = splicer.UnitsEndBit();
    layout.HeadBytes = head.size();
    layout.BodyBytes = bodyBytes;
    layout.Replaceable = splicer.Replaceable();
    return true;
}

}  // namespace movie
