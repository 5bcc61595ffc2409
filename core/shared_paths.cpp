#include "core/shared_paths.h"

#include "platform/base/parallel_for.h"

#include <algorithm>
#include <atomic>
#include <cassert>
#include <limits>
#include <new>
#include <optional>

namespace core {
namespace {

// How far ahead an unmatched path looks for its stored record: removing up to this many paths
// in a row still finds the paths after them.
constexpr size_t kLookAhead = 8;
// Blocks of stored paths one thread takes at least, when a drawing is stored on several.
constexpr size_t kBlocksPerThread = 32;

// A stored path is kept for every path of every step that changed its block: it stays small.
static_assert(sizeof(StoredPath) <= 40, "StoredPath grew");

// SameFields lists every field but Anchors, blSelected and the three colours (which a stored path
// holds itself): a field added to the record must be added there too.
static_assert(sizeof(PathRecord) == 104, "PathRecord changed: update SameFields");

// Whether every field of a and b but the anchors, the selection and the colours is equal, a's
// gradient centre moved by (dx, dy) first.
bool SameFields(const PathRecord &a, const PathRecord &b, int64_t dx, int64_t dy)
{
    return a.blClosed == b.blClosed && a.LineWidth == b.LineWidth && a.LineMode == b.LineMode &&
           a.FillType == b.FillType && a.GradCenterX + dx == b.GradCenterX && a.GradCenterY + dy == b.GradCenterY &&
           a.GradAngle == b.GradAngle && a.GradRatioX == b.GradRatioX && a.GradRatioY == b.GradRatioY &&
           a.blGroup == b.blGroup && a.GroupID == b.GroupID && a.blCompound == b.blCompound &&
           a.CompoundID == b.CompoundID && a.DispFlags == b.DispFlags && a.Stops == b.Stops;
}

// path stored on shape moved by (dx, dy) with the attributes given (null: shape's), its colours and
// selection beside them.
StoredPath Stored(SharedRecord shape, SharedRecord attributes, int32_t dx, int32_t dy, const PathRecord &path)
{
    return StoredPath{std::move(shape), std::move(attributes), dx, dy, path.LineColor, path.FillColor,
                      path.GradColor, path.blSelected};
}

// The record whose fields but the colours are those of the stored path, before its offset.
const PathRecord &StoredFields(const StoredPath &stored)
{
    return stored.Attributes ? *stored.Attributes : *stored.Shape;
}

// Whether path's anchors are shape's moved by (dx, dy).
bool AnchorsMovedBy(const PathRecord &shape, const PathRecord &path, int64_t dx, int64_t dy)
{
    const AnchorArray &from = shape.Anchors;
    const AnchorArray &to = path.Anchors;
    if (from.size() != to.size()) {
        return false;
    }
    for (size_t k = 0; k < from.size(); ++k) {
        if (from[k].X + dx != to[k].X || from[k].Y + dy != to[k].Y || from[k].AnchorKind != to[k].AnchorKind) {
            return false;
        }
    }
    return true;
}

bool Matches(const StoredPath &stored, const PathRecord &path)
{
    return stored.Selected == path.blSelected && stored.LineColor == path.LineColor &&
           stored.FillColor == path.FillColor && stored.GradColor == path.GradColor &&
           SameFields(StoredFields(stored), path, stored.Dx, stored.Dy) &&
           AnchorsMovedBy(*stored.Shape, path, stored.Dx, stored.Dy);
}

// The record stored for path, sharing its anchors: a path array's records hold no mutable
// reference in use once their marks are read, as they are here.
StoredPath WholeRecord(const PathRecord &path)
{
    path.Anchors.Seal();
    return Stored(SharedRecord(path), SharedRecord(), 0, 0, path);
}

bool FitsInt32(int64_t value)
{
    return value >= std::numeric_limits<int32_t>::min() && value <= std::numeric_limits<int32_t>::max();
}

// path stored on the anchors of the stored path in its place, when they are those anchors moved
// by one offset (a move, a recolour, a restyle, a selection change or any mix of them). Its
// attributes record, when it needs one, holds the gradient centre before that offset, so that a
// later move of the path shares the record as it shares the anchors.
std::optional<StoredPath> DerivedFrom(const StoredPath &before, const PathRecord &path)
{
    const PathRecord &shape = *before.Shape;
    if (shape.Anchors.empty() || shape.Anchors.size() != path.Anchors.size()) {
        return std::nullopt;
    }
    const int64_t dx = int64_t{path.Anchors[0].X} - shape.Anchors[0].X;
    const int64_t dy = int64_t{path.Anchors[0].Y} - shape.Anchors[0].Y;
    if (!FitsInt32(dx) || !FitsInt32(dy) || !AnchorsMovedBy(shape, path, dx, dy)) {
        return std::nullopt;
    }
    StoredPath derived = Stored(before.Shape, SharedRecord(), static_cast<int32_t>(dx), static_cast<int32_t>(dy), path);
    if (before.Attributes && SameFields(*before.Attributes, path, dx, dy)) {
        derived.Attributes = before.Attributes;
    } else if (!SameFields(shape, path, dx, dy)) {
        const int64_t centreX = int64_t{path.GradCenterX} - dx;
        const int64_t centreY = int64_t{path.GradCenterY} - dy;
        if (!FitsInt32(centreX) || !FitsInt32(centreY)) {
            return std::nullopt;
        }
        path.Anchors.Seal();
        PathRecord attributes = path;
        attributes.Anchors = {};
        attributes.blSelected = false;
        attributes.GradCenterX = static_cast<int32_t>(centreX);
        attributes.GradCenterY = static_cast<int32_t>(centreY);
        derived.Attributes = SharedRecord(std::move(attributes));
    }
    return derived;
}

// Makes path the stored one. Anchors not moved share the stored storage; moved ones are written
// into path's own storage where it has one.
void Materialise(const StoredPath &stored, PathRecord &path)
{
    const PathRecord &shape = *stored.Shape;
    AnchorArray anchors = std::move(path.Anchors);
    path = StoredFields(stored);
    // Exact: the offset was taken from a centre and anchors that were in range.
    path.GradCenterX = static_cast<int32_t>(int64_t{path.GradCenterX} + stored.Dx);
    path.GradCenterY = static_cast<int32_t>(int64_t{path.GradCenterY} + stored.Dy);
    path.LineColor = stored.LineColor;
    path.FillColor = stored.FillColor;
    path.GradColor = stored.GradColor;
    path.Anchors = std::move(anchors);
    path.Anchors.AssignMoved(shape.Anchors, stored.Dx, stored.Dy);
    path.blSelected = stored.Selected;
}

// The bytes of path's record and of its stops, and of its anchors unless their storage is shared.
size_t RecordBytes(const PathRecord &path, bool sharedAnchors)
{
    const size_t anchors = sharedAnchors ? 0 : path.Anchors.StorageBytes();
    return sizeof(PathRecord) + anchors + path.Stops.capacity() * sizeof(GradStop);
}

uint64_t NewArrayId()
{
    static std::atomic<uint64_t> next{1};
    return next.fetch_add(1, std::memory_order_relaxed);
}

}  // namespace

SharedPathArray::SharedPathArray() : SharedPathArray(PathArray{PathRecord()}) {}

SharedPathArray::SharedPathArray(const PathArray &paths, const SharedPathArray *previous,
                                 const std::vector<PathMark> *previousMarks)
    : size_(paths.size()), id_(NewArrayId())
{
    const size_t stored = previous ? previous->size() : 0;
    const size_t marked = previous && previousMarks ? std::min(stored, previousMarks->size()) : 0;
    // Whether path i is stored record k: by the marks where they are the same, else by comparing.
    auto same = [&](size_t k, size_t i) {
        if (k < marked && (*previousMarks)[k] == paths.Mark(i)) {
            assert(Matches(previous->At(k), paths[i]));
            return true;
        }
        return Matches(previous->At(k), paths[i]);
    };
    // Whether the paths [start, end) carry the marks of the stored paths in their places, which
    // fill a whole stored block.
    auto sameMarks = [&](size_t start, size_t end) {
        if (end > marked || std::min(stored, start + kBlock) != end) {
            return false;
        }
        for (size_t i = start; i < end; ++i) {
            if ((*previousMarks)[i] != paths.Mark(i)) {
                return false;
            }
            assert(Matches(previous->At(i), paths[i]));
        }
        return true;
    };
    const size_t blockCount = BlockCount();
    std::vector<std::shared_ptr<const Block>> blocks(blockCount);
    // Stores the blocks [first, last), comparing their first path with stored record next first;
    // returns the stored record the path after them is compared with first.
    auto storeBlocks = [&](size_t first, size_t last, size_t next) {
        auto storedFor = [&](size_t i) -> StoredPath {
            const PathRecord &path = paths[i];
            for (size_t k = next; k < std::min(stored, next + kLookAhead); ++k) {
                if (same(k, i)) {
                    next = k + 1;
                    return previous->At(k);
                }
            }
            // A changed path takes the place of its stored record; an inserted one, before which the
            // next path matches the stored record, leaves it for that path.
            if (next >= stored || (i + 1 < paths.size() && same(next, i + 1))) {
                return WholeRecord(path);
            }
            std::optional<StoredPath> derived = DerivedFrom(previous->At(next), path);
            ++next;
            return derived ? *std::move(derived) : WholeRecord(path);
        };
        for (size_t b = first; b < last; ++b) {
            const size_t start = b * kBlock;
            const size_t end = std::min(size_, start + kBlock);
            if (next == start && sameMarks(start, end)) {
                blocks[b] = previous->BlockAt(b);
                next = end;
                continue;
            }
            auto block = std::make_shared<Block>();
            block->reserve(end - start);
            for (size_t i = start; i < end; ++i) {
                block->push_back(storedFor(i));
            }
            // A block whose stored paths are all those of the stored block in its place is that block.
            blocks[b] = std::move(block);
            if (previous && b < previous->BlockCount() && *previous->BlockAt(b) == *blocks[b]) {
                blocks[b] = previous->BlockAt(b);
            }
        }
        return next;
    };
    // Where the paths keep their places, the parts of the drawing are stored apart, several at
    // once, each as if its first path were compared with the stored record in its place first. A
    // part for which the parts before it end elsewhere is stored again from there: the result is
    // the one of storing every path in turn.
    // Blocks whose paths all carry the marks of the stored block in their place are taken as they
    // are; only the others are worth threads.
    size_t unmarkedBlocks = 0;
    for (size_t b = 0; b < blockCount; ++b) {
        unmarkedBlocks += sameMarks(b * kBlock, std::min(size_, (b + 1) * kBlock)) ? 0 : 1;
    }
    const size_t parts =
        stored == size_ && unmarkedBlocks >= 2 * kBlocksPerThread ? platform::PartCount(blockCount, kBlocksPerThread) : 1;
    std::vector<size_t> firsts(parts + 1, blockCount);
    std::vector<size_t> nexts(parts, 0);
    std::atomic<bool> outOfMemory{false};
    platform::RunInParts(blockCount, parts > 1 ? kBlocksPerThread : blockCount + 1,
                         [&](size_t part, size_t first, size_t last) {
                             firsts[part] = first;
                             try {
                                 nexts[part] = storeBlocks(first, last, first * kBlock);
                             } catch (const std::bad_alloc &) {
                                 outOfMemory = true;
                             }
                         });
    if (outOfMemory) {
        throw std::bad_alloc();
    }
    for (size_t part = 1; part < parts; ++part) {
        if (nexts[part - 1] != firsts[part] * kBlock) {
            nexts[part] = storeBlocks(firsts[part], firsts[part + 1], nexts[part - 1]);
        }
    }
    pages_.reserve((blockCount + kPage - 1) / kPage);
    for (size_t first = 0; first < blockCount; first += kPage) {
        auto page = std::make_shared<Page>(blocks.begin() + static_cast<std::ptrdiff_t>(first),
                                           blocks.begin() + static_cast<std::ptrdiff_t>(std::min(blockCount, first + kPage)));
        // A page whose blocks are all those of the stored page in its place is that page.
        const size_t p = pages_.size();
        if (previous && p < previous->pages_.size() && *previous->pages_[p] == *page) {
            pages_.push_back(previous->pages_[p]);
        } else {
            pages_.push_back(std::move(page));
        }
    }
}

PathRecord SharedPathArray::operator[](size_t i) const
{
    PathRecord path;
    Materialise(At(i), path);
    return path;
}

void SharedPathArray::CopyTo(PathArray &paths) const
{
    paths.resize(size_);
    for (size_t i = 0; i < size_; ++i) {
        Materialise(At(i), paths[i]);
    }
}

void SharedPathArray::CopyChangedTo(PathArray &paths, const SharedPathArray &from,
                                    const std::vector<PathMark> &fromMarks) const
{
    const size_t kept = std::min({paths.size(), size_, from.size_, fromMarks.size()});
    paths.resize(size_);
    const PathArray &current = paths;
    for (size_t i = 0; i < size_; ++i) {
        if (i < kept && current.Mark(i) == fromMarks[i] && At(i) == from.At(i)) {
            assert(current[i] == (*this)[i]);
            continue;
        }
        Materialise(At(i), paths[i]);
    }
}

void SharedPathArray::ShareAnchorsWith(PathArray &paths, const std::vector<PathMark> *unchangedMarks) const
{
    const PathArray &equal = paths;
    const size_t marked = unchangedMarks ? std::min(unchangedMarks->size(), paths.size()) : 0;
    for (size_t i = 0; i < std::min(size_, paths.size()); ++i) {
        if (i < marked && (*unchangedMarks)[i] == equal.Mark(i)) {
            continue;
        }
        const StoredPath &stored = At(i);
        if (stored.Dx == 0 && stored.Dy == 0 && !equal[i].Anchors.SharesStorage(stored.Shape->Anchors)) {
            paths.ShareAnchors(i, stored.Shape->Anchors);
        }
    }
}

PathArray SharedPathArray::ToArray() const
{
    PathArray paths;
    CopyTo(paths);
    return paths;
}

bool SharedPathArray::operator==(const PathArray &paths) const
{
    if (paths.size() != size_) {
        return false;
    }
    for (size_t i = 0; i < size_; ++i) {
        if (!Matches(At(i), paths[i])) {
            return false;
        }
    }
    return true;
}

bool SharedPathArray::SharesRecord(const SharedPathArray &other, size_t i, size_t j) const
{
    return i < size_ && j < other.size_ && At(i) == other.At(j);
}

bool SharedPathArray::SharesPage(const SharedPathArray *previous, size_t p) const
{
    return previous && p < previous->pages_.size() && previous->pages_[p] == pages_[p];
}

template <typename BlockVisit, typename RecordVisit>
void SharedPathArray::VisitNotShared(const SharedPathArray *previous, BlockVisit block, RecordVisit record) const
{
    for (size_t p = 0; p < pages_.size(); ++p) {
        if (SharesPage(previous, p)) {
            continue;
        }
        for (size_t k = 0; k < pages_[p]->size(); ++k) {
            const size_t b = p * kPage + k;
            if (previous && b < previous->BlockCount() && previous->BlockAt(b) == BlockAt(b)) {
                continue;
            }
            block(*BlockAt(b));
            for (size_t i = b * kBlock; i < std::min(size_, (b + 1) * kBlock); ++i) {
                const StoredPath *before = previous ? previous->AtOrNull(i) : nullptr;
                if (!before || At(i).Shape != before->Shape) {
                    record(i, *At(i).Shape, before ? before->Shape.get() : nullptr);
                }
                if (At(i).Attributes && (!before || At(i).Attributes != before->Attributes)) {
                    record(i, *At(i).Attributes, nullptr);
                }
            }
        }
    }
}

size_t SharedPathArray::RecordsNotSharedWith(const SharedPathArray *previous) const
{
    size_t records = 0;
    VisitNotShared(previous, [](const Block &) {}, [&](size_t, const PathRecord &, const PathRecord *) { ++records; });
    return records;
}

size_t SharedPathArray::BytesNotSharedWith(const SharedPathArray *previous, const PathArray *paths) const
{
    size_t bytes = pages_.capacity() * sizeof(pages_[0]);
    for (size_t p = 0; p < pages_.size(); ++p) {
        if (!SharesPage(previous, p)) {
            bytes += sizeof(Page) + pages_[p]->capacity() * sizeof(Page::value_type);
        }
    }
    VisitNotShared(
        previous, [&](const Block &block) { bytes += sizeof(Block) + block.capacity() * sizeof(StoredPath); },
        [&](size_t i, const PathRecord &path, const PathRecord *before) {
            // Anchors stored before, or that paths hold too, take no memory of this array's.
            const bool sharedBefore = before && path.Anchors.SharesStorage(before->Anchors);
            const bool sharedWithPaths = paths && i < paths->size() && path.Anchors.SharesStorage((*paths)[i].Anchors);
            bytes += RecordBytes(path, sharedBefore || sharedWithPaths);
        });
    return bytes;
}

}  // namespace core
