// Path arrays of the undo history. A stored path record never changes, so every entry that holds
// a path unchanged shares one record with the entry it was taken after. A path that was only
// moved, selected, recoloured or given other attributes keeps sharing the anchors of the record it
// came from and stores the offset and its colours (and its own attributes record, when other
// attributes changed) beside them: a step costs memory for what it changed, and for a table of
// blocks of stored paths that are shared too where nothing in them changed.
#pragma once

#include "core/path_record.h"
#include "core/shared_record.h"

#include <cstddef>
#include <cstdint>
#include <iterator>
#include <memory>
#include <vector>

namespace core {

// One path as the history keeps it: Shape's anchors moved by (Dx, Dy), the colours here, the
// other fields of Attributes (or of Shape, when Attributes is null) with the gradient centre moved
// by (Dx, Dy) too, and Selected. The colours of the records are not used.
struct StoredPath {
    SharedRecord Shape;
    SharedRecord Attributes;  // its Anchors are empty
    int32_t Dx = 0;
    int32_t Dy = 0;
    Color LineColor = 0;
    Color FillColor = 0;
    Color GradColor = 0;
    bool Selected = false;

    bool operator==(const StoredPath &) const = default;  // the same records, not merely equal ones
};

class SharedPathArray {
public:
    // Element 0 alone, an empty record.
    SharedPathArray();
    // A copy of paths. Records of previous equal to paths taken in the same order (across paths
    // inserted or removed in between) are shared instead of copied; a path in the place of a
    // stored one that it only moves or restyles shares that one's anchors. previousMarks (when
    // given) are the marks of the paths previous was taken from: a path with the mark its place
    // had is taken for equal without comparing.
    explicit SharedPathArray(const PathArray &paths, const SharedPathArray *previous = nullptr,
                             const std::vector<PathMark> *previousMarks = nullptr);

    size_t size() const { return size_; }
    // Drawn anew for every array taken; a copy keeps it (it holds the same paths).
    uint64_t Id() const { return id_; }
    bool empty() const { return size_ == 0; }
    // A copy of path i.
    PathRecord operator[](size_t i) const;
    // Makes paths an equal copy (reusing the storage its elements have).
    void CopyTo(PathArray &paths) const;
    // The same for paths that were equal to from when their paths carried fromMarks: a path whose
    // mark is still that one and that is the same stored path here and in from is kept as it is,
    // its mark with it.
    void CopyChangedTo(PathArray &paths, const SharedPathArray &from, const std::vector<PathMark> &fromMarks) const;
    PathArray ToArray() const;
    // For paths equal to this array: each path whose anchors are those of its stored record
    // unmoved takes their storage, so that the two hold one. A path whose mark is the one its
    // place has in unchangedMarks (when given: the marks paths had when they last took this
    // array's records or shared them) is passed over: it holds what it held then.
    void ShareAnchorsWith(PathArray &paths, const std::vector<PathMark> *unchangedMarks = nullptr) const;
    bool operator==(const PathArray &paths) const;

    class const_iterator {
    public:
        using iterator_category = std::input_iterator_tag;
        using value_type = PathRecord;
        using difference_type = std::ptrdiff_t;
        using pointer = void;
        using reference = PathRecord;

        const_iterator() = default;
        const_iterator(const SharedPathArray *array, size_t index) : array_(array), index_(index) {}
        PathRecord operator*() const { return (*array_)[index_]; }
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

    // Whether element i of this array and element j of other are one stored path (shared, not
    // merely equal).
    bool SharesRecord(const SharedPathArray &other, size_t i) const { return SharesRecord(other, i, i); }
    bool SharesRecord(const SharedPathArray &other, size_t i, size_t j) const;
    // Bytes this array holds that previous does not share: its tables, the blocks of its own and
    // the records in them that previous does not hold at the same place, without the anchors of
    // those that share their storage with the record before them or with paths' path in their place.
    size_t BytesNotSharedWith(const SharedPathArray *previous, const PathArray *paths = nullptr) const;
    // How many path records (shapes or attributes) this array holds that previous does not hold
    // at the same place.
    size_t RecordsNotSharedWith(const SharedPathArray *previous) const;

private:
    static constexpr size_t kBlock = 64;  // stored paths in a block
    static constexpr size_t kPage = 64;   // blocks in a page
    using Block = std::vector<StoredPath>;
    using Page = std::vector<std::shared_ptr<const Block>>;

    const std::shared_ptr<const Block> &BlockAt(size_t b) const { return (*pages_[b / kPage])[b % kPage]; }
    size_t BlockCount() const { return (size_ + kBlock - 1) / kBlock; }
    const StoredPath &At(size_t i) const { return (*BlockAt(i / kBlock))[i % kBlock]; }
    const StoredPath *AtOrNull(size_t i) const { return i < size_ ? &At(i) : nullptr; }
    bool SharesPage(const SharedPathArray *previous, size_t p) const;
    // Calls block for each block previous does not share and record for each record in them that
    // previous does not hold at the same place.
    template <typename BlockVisit, typename RecordVisit>
    void VisitNotShared(const SharedPathArray *previous, BlockVisit block, RecordVisit record) const;

    std::vector<std::shared_ptr<const Page>> pages_;
    size_t size_ = 0;
    uint64_t id_ = 0;
};

}  // namespace core
