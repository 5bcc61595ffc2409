// The kept groups of a player's last movie: slots, their indexes, and putting a loaded movie's
// groups in place of the last one's at a cost in proportion to what changed.
#include "platform/player/swf_movie_groups.h"

#include <algorithm>
#include <cstring>

namespace platform::swf {

namespace {

// A kept body whose storage exceeds what it holds by more than this part of it (and a page) is
// made again at its size, as one that is too small.
constexpr size_t kSpareBodyPart = 8;
constexpr size_t kSpareBodyBytes = 4096;

// Makes kept a copy of loaded, writing only the bytes between their common head and tail where
// kept's storage holds it: a movie that changed in one place costs what it changed (and the move
// of its tail, when its length changed), not the pages of a new copy.
void TakeBody(std::string &kept, std::string_view loaded)
{
    const size_t capacity = kept.capacity();
    if (loaded.size() > capacity || capacity - loaded.size() > loaded.size() / kSpareBodyPart + kSpareBodyBytes) {
        std::string copy;
        copy.reserve(loaded.size());  // from empty storage: exactly that, not a doubling
        copy.assign(loaded);
        kept.swap(copy);
        return;
    }
    const size_t head = CommonPrefix(kept, loaded);
    const size_t tail = CommonSuffix(kept, loaded, std::min(kept.size(), loaded.size()) - head);
    kept.replace(head, kept.size() - head - tail, loaded.substr(head, loaded.size() - head - tail));
}

void Enter(MovieGroups &kept, uint32_t slot)
{
    const RawGroup &raw = kept.rawGroups[slot];
    kept.rawIndex.Assign(raw.rawKey, slot, kept.RawKeys());
    kept.groups.Assign(raw.styleKey, slot, kept.StyleKeys());
    kept.geometry.Assign(raw.geometryKey, slot, kept.GeometryKeys());
}

// Frees a slot: its index entries go (unless a later group holds the key now) and its group is let go.
void Release(MovieGroups &kept, uint32_t slot, bool indexed)
{
    RawGroup &raw = kept.rawGroups[slot];
    if (indexed) {
        kept.rawIndex.Erase(raw.rawKey, slot, kept.RawKeys());
        kept.groups.Erase(raw.styleKey, slot, kept.StyleKeys());
        kept.geometry.Erase(raw.geometryKey, slot, kept.GeometryKeys());
    }
    raw = RawGroup();
    kept.freeSlots.push_back(slot);
}

// Lays the slots out again in movie order, giving the memory of the free ones back; the indexes
// keep their room unless fit.
void LayOut(MovieGroups &kept, bool fit)
{
    std::vector<RawGroup> laidOut;
    laidOut.reserve(kept.order.size());
    for (uint32_t &slot : kept.order) {
        laidOut.push_back(std::move(kept.rawGroups[slot]));
        slot = static_cast<uint32_t>(laidOut.size() - 1);
        laidOut.back().position = slot;
    }
    kept.rawGroups = std::move(laidOut);
    kept.freeSlots = {};
    for (GroupIndex *index : {&kept.rawIndex, &kept.groups, &kept.geometry}) {
        if (fit) {
            index->Reset(kept.order.size());
        } else {
            index->Clear();
        }
    }
    for (uint32_t slot = 0; slot < kept.rawGroups.size(); ++slot) {
        Enter(kept, slot);
    }
}

// Lays the slots out once more than half of them are free. Costs no more than the load that
// freed them did. A movie that replaces every group of the last one leaves half of the slots
// free, for the next such movie to fill without growing the slots.
void Compact(MovieGroups &kept)
{
    if (kept.freeSlots.size() > kept.order.size() + 64) {
        LayOut(kept, false);
    }
}

}  // namespace

size_t MovieGroups::HeldBytes() const
{
    return body.capacity() + loadingBody.capacity() + rawGroups.capacity() * sizeof(RawGroup) +
           freeSlots.capacity() * sizeof(uint32_t) + order.capacity() * sizeof(uint32_t) +
           shapes.size() * (sizeof(CachedShape) + 2 * sizeof(void *)) + rawIndex.HeldBytes() + groups.HeldBytes() +
           geometry.HeldBytes();
}

uint32_t MovieGroups::NewSlot(RawGroup raw)
{
    if (!freeSlots.empty()) {
        const uint32_t slot = freeSlots.back();
        freeSlots.pop_back();
        rawGroups[slot] = std::move(raw);
        return slot;
    }
    rawGroups.push_back(std::move(raw));
    return static_cast<uint32_t>(rawGroups.size() - 1);
}

// Compared a block at a time: memcmp finds the first difference of a block faster than a loop.
constexpr size_t kCompareBlock = 4096;

size_t CommonPrefix(std::string_view a, std::string_view b)
{
    const size_t size = std::min(a.size(), b.size());
    size_t same = 0;
    while (same + kCompareBlock <= size && std::memcmp(a.data() + same, b.data() + same, kCompareBlock) == 0) {
        same += kCompareBlock;
    }
    while (same < size && a[same] == b[same]) {
        ++same;
    }
    return same;
}

size_t CommonSuffix(std::string_view a, std::string_view b, size_t limit)
{
    limit = std::min({limit, a.size(), b.size()});
    const char *aEnd = a.data() + a.size();
    const char *bEnd = b.data() + b.size();
    size_t same = 0;
    while (same + kCompareBlock <= limit &&
           std::memcmp(aEnd - same - kCompareBlock, bEnd - same - kCompareBlock, kCompareBlock) == 0) {
        same += kCompareBlock;
    }
    while (same < limit && aEnd[-1 - static_cast<ptrdiff_t>(same)] == bEnd[-1 - static_cast<ptrdiff_t>(same)]) {
        ++same;
    }
    return same;
}

void MovieGroups::Commit(GroupsUpdate &update, uint64_t serial, std::string_view loaded)
{
    std::sort(update.reused.begin(), update.reused.end(),
              [](const GroupsUpdate::Run &a, const GroupsUpdate::Run &b) { return a.begin < b.begin; });
    // The last movie's groups outside the runs taken whole are let go. When more are let go
    // than taken, the indexes are emptied at once and the new movie's groups entered afresh,
    // instead of removing the entries one by one.
    size_t taken = 0;
    for (const GroupsUpdate::Run &run : update.reused) {
        taken += run.end - run.begin;
    }
    const bool reindex = order.size() - std::min(taken, order.size()) > taken;
    if (reindex) {
        for (GroupIndex *index : {&rawIndex, &groups, &geometry}) {
            index->Clear();
        }
    }
    size_t position = 0;
    auto releaseUpTo = [&](size_t end) {
        for (; position < end; ++position) {
            Release(*this, order[position], !reindex);
        }
    };
    for (const GroupsUpdate::Run &run : update.reused) {
        releaseUpTo(run.begin);
        if (run.byteShift == 0 && run.edgeShift == 0 && run.positionShift == 0) {
            position = run.end;
        }
        for (; position < run.end; ++position) {
            RawGroup &raw = rawGroups[order[position]];
            raw.byteBegin = static_cast<size_t>(static_cast<int64_t>(raw.byteBegin) + run.byteShift);
            raw.edgesBefore = static_cast<uint32_t>(static_cast<int64_t>(raw.edgesBefore) + run.edgeShift);
            raw.position = static_cast<uint32_t>(static_cast<int64_t>(raw.position) + run.positionShift);
        }
    }
    releaseUpTo(order.size());
    order = std::move(update.order);
    for (uint32_t slot : reindex ? order : update.added) {
        Enter(*this, slot);
    }
    shapes = std::move(update.shapes);
    if (loadingBody.empty()) {
        TakeBody(body, loaded);
    } else {
        body.swap(loadingBody);
        // The last movie's body is not kept for the next one to be inflated into: it would double
        // what the kept movie takes between loads.
        std::string().swap(loadingBody);  // an empty string assigned would keep the memory
    }
    movie = serial;
    Compact(*this);
}

void MovieGroups::Trim()
{
    if (!freeSlots.empty() || rawGroups.capacity() > rawGroups.size()) {
        LayOut(*this, true);
    }
    order.shrink_to_fit();
    body.shrink_to_fit();
    std::string().swap(loadingBody);
}

}  // namespace platform::swf
