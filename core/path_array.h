// A path array: path records 0 .. size()-1, each with a change mark. A mark is a number drawn
// once in the process and never again, given to a record whenever it may change: every mutable
// access to a record (operator[], at, front, back, a mutable iterator's dereference, data) and
// every record put in (insert, push_back, resize, assign) takes a new one. Two records with the
// same mark are therefore equal, wherever they are, so a reader that kept what it made of a record
// by its mark may reuse that while the mark is the same. Copies keep the marks; marks are never
// saved. A mutable reference must not be kept to change the record after its mark was read.
#pragma once

#include "core/path_record.h"

#include <cassert>
#include <compare>
#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <iterator>
#include <utility>
#include <vector>

namespace core {

using PathMark = uint64_t;

// count marks never given before, the first returned (the others follow it).
PathMark NewPathMarks(size_t count);

class PathArray {
public:
    using value_type = PathRecord;
    using size_type = size_t;
    using difference_type = std::ptrdiff_t;
    using reference = PathRecord &;
    using const_reference = const PathRecord &;
    using const_iterator = std::vector<PathRecord>::const_iterator;

    // Gives the record it reaches a new mark whenever it is dereferenced.
    class iterator {
    public:
        using iterator_category = std::random_access_iterator_tag;
        using value_type = PathRecord;
        using difference_type = std::ptrdiff_t;
        using pointer = PathRecord *;
        using reference = PathRecord &;

        iterator() = default;
        iterator(PathArray *array, difference_type index) : array_(array), index_(index) {}
        reference operator*() const { return array_->Mutable(static_cast<size_t>(index_)); }
        pointer operator->() const { return &**this; }
        reference operator[](difference_type n) const { return *(*this + n); }
        iterator &operator++()
        {
            ++index_;
            return *this;
        }
        iterator operator++(int)
        {
            iterator before = *this;
            ++index_;
            return before;
        }
        iterator &operator--()
        {
            --index_;
            return *this;
        }
        iterator operator--(int)
        {
            iterator before = *this;
            --index_;
            return before;
        }
        iterator &operator+=(difference_type n)
        {
            index_ += n;
            return *this;
        }
        iterator &operator-=(difference_type n)
        {
            index_ -= n;
            return *this;
        }
        friend iterator operator+(iterator it, difference_type n) { return it += n; }
        friend iterator operator+(difference_type n, iterator it) { return it += n; }
        friend iterator operator-(iterator it, difference_type n) { return it -= n; }
        friend difference_type operator-(const iterator &a, const iterator &b) { return a.index_ - b.index_; }
        bool operator==(const iterator &other) const { return index_ == other.index_; }
        auto operator<=>(const iterator &other) const { return index_ <=> other.index_; }
        operator const_iterator() const { return array_->records_.cbegin() + index_; }

    private:
        PathArray *array_ = nullptr;
        difference_type index_ = 0;
    };

    PathArray() = default;
    explicit PathArray(size_t count) : records_(count), marks_(count) { MarkNew(0, count); }
    PathArray(size_t count, const PathRecord &record) : records_(count, record), marks_(count) { MarkNew(0, count); }
    PathArray(std::initializer_list<PathRecord> records) : PathArray(std::vector<PathRecord>(records)) {}
    PathArray(std::vector<PathRecord> records) : records_(std::move(records)), marks_(records_.size())
    {
        MarkNew(0, records_.size());
    }
    template <typename InputIt>
    PathArray(InputIt first, InputIt last) : PathArray(std::vector<PathRecord>(first, last))
    {
    }

    // The records alone.
    const std::vector<PathRecord> &Records() const { return records_; }
    operator const std::vector<PathRecord> &() const { return records_; }
    PathMark Mark(size_t i) const { return marks_[i]; }
    const std::vector<PathMark> &Marks() const { return marks_; }

    size_t size() const { return records_.size(); }
    bool empty() const { return records_.empty(); }
    size_t capacity() const { return records_.capacity(); }
    void reserve(size_t count)
    {
        records_.reserve(count);
        marks_.reserve(count);
    }
    void shrink_to_fit()
    {
        records_.shrink_to_fit();
        marks_.shrink_to_fit();
    }

    const PathRecord &operator[](size_t i) const { return records_[i]; }
    PathRecord &operator[](size_t i) { return Mutable(i); }
    const PathRecord &at(size_t i) const { return records_.at(i); }
    PathRecord &at(size_t i) { return Mutable(CheckedIndex(i)); }
    const PathRecord &front() const { return records_.front(); }
    PathRecord &front() { return Mutable(0); }
    const PathRecord &back() const { return records_.back(); }
    PathRecord &back() { return Mutable(records_.size() - 1); }
    const PathRecord *data() const { return records_.data(); }
    PathRecord *data()
    {
        MarkNew(0, records_.size());
        return records_.data();
    }

    const_iterator begin() const { return records_.cbegin(); }
    const_iterator end() const { return records_.cend(); }
    const_iterator cbegin() const { return records_.cbegin(); }
    const_iterator cend() const { return records_.cend(); }
    iterator begin() { return {this, 0}; }
    iterator end() { return {this, static_cast<difference_type>(records_.size())}; }

    void clear()
    {
        records_.clear();
        marks_.clear();
    }
    void resize(size_t count) { resize(count, PathRecord()); }
    void resize(size_t count, const PathRecord &record)
    {
        const size_t before = records_.size();
        records_.resize(count, record);
        marks_.resize(count);
        MarkNew(before, count);
    }
    void push_back(const PathRecord &record) { emplace_back(record); }
    void push_back(PathRecord &&record) { emplace_back(std::move(record)); }
    template <typename... Args>
    PathRecord &emplace_back(Args &&...args)
    {
        PathRecord &record = records_.emplace_back(std::forward<Args>(args)...);
        marks_.push_back(NewPathMarks(1));
        return record;
    }
    void pop_back()
    {
        records_.pop_back();
        marks_.pop_back();
    }
    iterator insert(const_iterator pos, const PathRecord &record) { return emplace(pos, record); }
    iterator insert(const_iterator pos, PathRecord &&record) { return emplace(pos, std::move(record)); }
    template <typename... Args>
    iterator emplace(const_iterator pos, Args &&...args)
    {
        const difference_type at = pos - records_.cbegin();
        records_.emplace(pos, std::forward<Args>(args)...);
        marks_.insert(marks_.begin() + at, NewPathMarks(1));
        return {this, at};
    }
    template <typename InputIt>
    iterator insert(const_iterator pos, InputIt first, InputIt last)
    {
        const difference_type at = pos - records_.cbegin();
        const size_t before = records_.size();
        records_.insert(pos, first, last);
        const size_t added = records_.size() - before;
        marks_.insert(marks_.begin() + at, added, PathMark{0});
        MarkNew(static_cast<size_t>(at), static_cast<size_t>(at) + added);
        return {this, at};
    }
    iterator erase(const_iterator pos) { return erase(pos, pos + 1); }
    iterator erase(const_iterator first, const_iterator last)
    {
        const difference_type from = first - records_.cbegin();
        const difference_type to = last - records_.cbegin();
        records_.erase(first, last);
        marks_.erase(marks_.begin() + from, marks_.begin() + to);
        return {this, from};
    }
    void assign(size_t count, const PathRecord &record) { *this = PathArray(count, record); }
    template <typename InputIt>
    void assign(InputIt first, InputIt last)
    {
        *this = PathArray(first, last);
    }
    void assign(std::initializer_list<PathRecord> records) { *this = PathArray(records); }
    void swap(PathArray &other) noexcept
    {
        records_.swap(other.records_);
        marks_.swap(other.marks_);
    }
    friend void swap(PathArray &a, PathArray &b) noexcept { a.swap(b); }

    // Makes path i a copy of other's path j, its mark too: nothing is copied when path i has
    // that mark already.
    void CopyPath(size_t i, const PathArray &other, size_t j)
    {
        if (marks_[i] != other.marks_[j]) {
            records_[i] = other.records_[j];
            marks_[i] = other.marks_[j];
        }
    }

    // Moves other's path j into path i, its mark too; what is left of path j takes a new mark.
    void TakePath(size_t i, PathArray &other, size_t j)
    {
        records_[i] = std::move(other.records_[j]);
        marks_[i] = other.marks_[j];
        other.marks_[j] = NewPathMarks(1);
    }

    // Makes path i's anchors share the storage of anchors, which are equal to them: the record
    // keeps its value and so its mark.
    void ShareAnchors(size_t i, const AnchorArray &anchors)
    {
        assert(records_[i].Anchors == anchors);
        records_[i].Anchors = anchors;
    }

    // Removes the paths i >= first for which remove(i) holds (called in order of i); the others
    // keep their records and marks, in order.
    template <typename Remove>
    void RemoveIf(size_t first, Remove remove)
    {
        size_t kept = first;
        for (size_t i = first; i < records_.size(); ++i) {
            if (remove(i)) {
                continue;
            }
            if (kept != i) {
                records_[kept] = std::move(records_[i]);
                marks_[kept] = marks_[i];
            }
            ++kept;
        }
        if (kept < records_.size()) {
            records_.erase(records_.begin() + static_cast<difference_type>(kept), records_.end());
            marks_.resize(kept);
        }
    }

    bool operator==(const PathArray &other) const { return records_ == other.records_; }
    bool operator==(const std::vector<PathRecord> &other) const { return records_ == other; }

private:
    PathRecord &Mutable(size_t i)
    {
        marks_[i] = NewPathMarks(1);
        return records_[i];
    }
    size_t CheckedIndex(size_t i) const
    {
        (void)records_.at(i);
        return i;
    }
    // New marks for the records [first, last).
    void MarkNew(size_t first, size_t last);

    std::vector<PathRecord> records_;
    std::vector<PathMark> marks_;
};

inline int32_t UpperBound(const PathArray &paths)
{
    return UpperBound(paths.Records());
}

// Paths with an anchor selection: the form importers hand their paths over in, and a history
// entry read from a backup.
struct PathCollection {
    PathArray Paths{PathRecord()};          // element 0 unused; 1 .. PathCount()
    std::vector<AnchorRef> SelAnchors{AnchorRef()};  // entry 0 scratch

    int32_t PathCount() const { return UpperBound(Paths); }
};

}  // namespace core
