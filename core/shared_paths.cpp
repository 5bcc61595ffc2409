#include "core/shared_paths.h"

#include <algorithm>

namespace core {
namespace {

// How far ahead an unmatched path looks for its stored record: removing up to this many paths
// in a row still finds the paths after them.
constexpr size_t kLookAhead = 8;

}  // namespace

SharedPathArray::SharedPathArray() : SharedPathArray(PathArray{PathRecord()}) {}

SharedPathArray::SharedPathArray(const PathArray &paths, const SharedPathArray *previous) : size_(paths.size())
{
    const size_t stored = previous ? previous->size() : 0;
    size_t next = 0;  // the stored record the next path is compared with first
    auto recordFor = [&](size_t i) -> Record {
        const PathRecord &path = paths[i];
        for (size_t k = next; k < std::min(stored, next + kLookAhead); ++k) {
            if (*previous->At(k) == path) {
                next = k + 1;
                return previous->At(k);
            }
        }
        // A changed path takes the place of its stored record; an inserted one, before which the
        // next path matches the stored record, leaves it for that path.
        bool inserted = next < stored && i + 1 < paths.size() && paths[i + 1] == *previous->At(next);
        if (!inserted && next < stored) {
            ++next;
        }
        return std::make_shared<const PathRecord>(path);
    };
    blocks_.reserve((size_ + kBlock - 1) / kBlock);
    for (size_t start = 0; start < size_; start += kBlock) {
        auto block = std::make_shared<Block>();
        block->reserve(std::min(kBlock, size_ - start));
        for (size_t i = start; i < std::min(size_, start + kBlock); ++i) {
            block->push_back(recordFor(i));
        }
        // A block whose records are all those of the stored block in its place is that block.
        const size_t b = start / kBlock;
        if (previous && b < previous->blocks_.size() && *previous->blocks_[b] == *block) {
            blocks_.push_back(previous->blocks_[b]);
        } else {
            blocks_.push_back(std::move(block));
        }
    }
}

void SharedPathArray::CopyTo(PathArray &paths) const
{
    paths.resize(size_);
    for (size_t i = 0; i < size_; ++i) {
        paths[i] = *At(i);
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
        if (!(*At(i) == paths[i])) {
            return false;
        }
    }
    return true;
}

bool SharedPathArray::SharesRecord(const SharedPathArray &other, size_t i) const
{
    return i < size_ && i < other.size_ && At(i) == other.At(i);
}

}  // namespace core
