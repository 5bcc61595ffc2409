// Path arrays of the undo history. A stored path record never changes, so every entry that holds
// a path unchanged shares one record with the entry it was taken after: a step costs memory for
// the paths it changed, and for a table of record pointers in blocks that are shared too where
// nothing in them changed.
#pragma once

#include "core/path_record.h"

#include <cstddef>
#include <iterator>
#include <memory>
#include <vector>

namespace core {

class SharedPathArray {
public:
    using Record = std::shared_ptr<const PathRecord>;

    // Element 0 alone, an empty record.
    SharedPathArray();
    // A copy of paths. Records of previous equal to paths taken in the same order (across paths
    // inserted or removed in between) are shared instead of copied.
    explicit SharedPathArray(const PathArray &paths, const SharedPathArray *previous = nullptr);

    size_t size() const { return size_; }
    bool empty() const { return size_ == 0; }
    const PathRecord &operator[](size_t i) const { return *At(i); }
    // Makes paths an equal copy (reusing the storage its elements have).
    void CopyTo(PathArray &paths) const;
    PathArray ToArray() const;
    bool operator==(const PathArray &paths) const;

    class const_iterator {
    public:
        using iterator_category = std::forward_iterator_tag;
        using value_type = PathRecord;
        using difference_type = std::ptrdiff_t;
        using pointer = const PathRecord *;
        using reference = const PathRecord &;

        const_iterator() = default;
        const_iterator(const SharedPathArray *array, size_t index) : array_(array), index_(index) {}
        reference operator*() const { return (*array_)[index_]; }
        pointer operator->() const { return &(*array_)[index_]; }
        const_iterator &operator++()
        {
            ++index_;
            return *this;
        }
        const_iterator operator++(int)
        {
            const_iterator before = *this;
            ++index_;
            return before;
        }
        bool operator==(const const_iterator &other) const = default;

    private:
        const SharedPathArray *array_ = nullptr;
        size_t index_ = 0;
    };
    const_iterator begin() const { return {this, 0}; }
    const_iterator end() const { return {this, size_}; }

    // Whether element i of both arrays is one record (shared, not merely equal).
    bool SharesRecord(const SharedPathArray &other, size_t i) const;

private:
    static constexpr size_t kBlock = 256;
    using Block = std::vector<Record>;

    const Record &At(size_t i) const { return (*blocks_[i / kBlock])[i % kBlock]; }

    std::vector<std::shared_ptr<const Block>> blocks_;
    size_t size_ = 0;
};

}  // namespace core
