// The anchors of a path record: a vector of anchor points whose storage copies of the record share
// while neither changes it. The first change through a copy gives that copy storage of its own, so
// a copy never sees another's changes. Storage that handed out a mutable reference (operator[],
// at, front, back, data, a mutable iterator) is copied, not shared, by a plain copy, as the
// reference may still be used to change it; Seal() declares such references out of use again.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <iterator>
#include <span>
#include <utility>
#include <vector>

namespace core {

struct AnchorPoint {
    int32_t X = 0;  // twips
    int32_t Y = 0;
    int16_t AnchorKind = 0;  // an AnchorKindValue

    bool operator==(const AnchorPoint &) const = default;
};

class AnchorArray {
public:
    using value_type = AnchorPoint;
    using size_type = size_t;
    using difference_type = std::ptrdiff_t;
    using reference = AnchorPoint &;
    using const_reference = const AnchorPoint &;
    using iterator = AnchorPoint *;
    using const_iterator = const AnchorPoint *;

    AnchorArray() = default;
    AnchorArray(std::initializer_list<AnchorPoint> points) { assign(points.begin(), points.end()); }
    AnchorArray(const std::vector<AnchorPoint> &points) { assign(points.begin(), points.end()); }
    AnchorArray(size_t count, const AnchorPoint &point) { assign(count, point); }
    template <typename InputIt>
    AnchorArray(InputIt first, InputIt last)
    {
        assign(first, last);
    }
    AnchorArray(const AnchorArray &other);
    AnchorArray(AnchorArray &&other) noexcept : buffer_(other.buffer_) { other.buffer_ = nullptr; }
    AnchorArray &operator=(const AnchorArray &other);
    AnchorArray &operator=(AnchorArray &&other) noexcept;
    AnchorArray &operator=(std::initializer_list<AnchorPoint> points)
    {
        assign(points.begin(), points.end());
        return *this;
    }
    ~AnchorArray() { Release(); }

    size_t size() const { return buffer_ ? buffer_->size : 0; }
    bool empty() const { return size() == 0; }
    size_t capacity() const { return buffer_ ? buffer_->capacity : 0; }

    const AnchorPoint *data() const { return buffer_ ? Items(buffer_) : nullptr; }
    const_iterator begin() const { return data(); }
    const_iterator end() const { return data() + size(); }
    const_iterator cbegin() const { return begin(); }
    const_iterator cend() const { return end(); }
    const AnchorPoint &operator[](size_t i) const { return Items(buffer_)[i]; }
    const AnchorPoint &at(size_t i) const { return (*this)[CheckedIndex(i)]; }
    const AnchorPoint &front() const { return (*this)[0]; }
    const AnchorPoint &back() const { return (*this)[size() - 1]; }

    AnchorPoint *data() { return size() == 0 ? nullptr : Exposed(); }
    iterator begin() { return data(); }
    iterator end() { return data() + size(); }
    AnchorPoint &operator[](size_t i) { return Exposed()[i]; }
    AnchorPoint &at(size_t i) { return Exposed()[CheckedIndex(i)]; }
    AnchorPoint &front() { return Exposed()[0]; }
    AnchorPoint &back() { return Exposed()[size() - 1]; }

    void reserve(size_t count);
    void shrink_to_fit();
    void clear();
    void resize(size_t count) { resize(count, AnchorPoint()); }
    void resize(size_t count, const AnchorPoint &point);
    void push_back(const AnchorPoint &point);
    template <typename... Args>
    AnchorPoint &emplace_back(Args &&...args)
    {
        push_back(AnchorPoint{std::forward<Args>(args)...});
        return back();
    }
    void pop_back() { resize(size() - 1); }
    iterator insert(const_iterator pos, const AnchorPoint &point) { return insert(pos, size_t{1}, point); }
    iterator insert(const_iterator pos, size_t count, const AnchorPoint &point);
    template <typename InputIt>
    iterator insert(const_iterator pos, InputIt first, InputIt last)
    {
        // Taken first: the points may be this array's own.
        const std::vector<AnchorPoint> points(first, last);
        return InsertPoints(pos, points.data(), points.size());
    }
    iterator erase(const_iterator pos) { return erase(pos, pos + 1); }
    iterator erase(const_iterator first, const_iterator last);
    void assign(size_t count, const AnchorPoint &point);
    template <typename InputIt>
    void assign(InputIt first, InputIt last)
    {
        const std::vector<AnchorPoint> points(first, last);
        AssignPoints(points.data(), points.size());
    }
    void assign(std::initializer_list<AnchorPoint> points) { AssignPoints(points.begin(), points.size()); }
    void swap(AnchorArray &other) noexcept { std::swap(buffer_, other.buffer_); }

    // This array becomes other's points moved by (dx, dy) (the sums must fit), in storage of its
    // own where it has room (so that changing them later takes no new storage), else sharing
    // other's storage when both are 0.
    void AssignMoved(const AnchorArray &other, int32_t dx, int32_t dy);
    // The mutable references handed out are no longer used: copies share the storage again. The
    // caller vouches for it (a path array's records after their marks were read, by that array's
    // rule).
    void Seal() const;
    // Whether this array and other hold one storage (not merely equal points).
    bool SharesStorage(const AnchorArray &other) const { return buffer_ != nullptr && buffer_ == other.buffer_; }
    // The bytes of the storage (its header included), 0 when it has none.
    size_t StorageBytes() const;

    operator std::span<const AnchorPoint>() const { return {data(), size()}; }
    std::vector<AnchorPoint> ToVector() const { return {begin(), end()}; }

    friend bool operator==(const AnchorArray &a, const AnchorArray &b);
    friend bool operator==(const AnchorArray &a, const std::vector<AnchorPoint> &b);

private:
    // The header of a storage; capacity points follow it.
    struct Buffer {
        std::atomic<uint32_t> refs;
        std::atomic<bool> exposed;  // a mutable reference into it was handed out
        uint32_t size;
        uint32_t capacity;
    };
    static_assert(sizeof(Buffer) % alignof(AnchorPoint) == 0);

    static AnchorPoint *Items(Buffer *buffer) { return reinterpret_cast<AnchorPoint *>(buffer + 1); }

    static Buffer *Allocate(size_t capacity);
    // Whether this array has storage that no other array shares.
    bool Owned() const { return buffer_ && buffer_->refs.load(std::memory_order_acquire) == 1; }
    // Storage held by this array alone with room for count points, the first keep of them kept.
    void MakeOwn(size_t count, size_t keep);
    AnchorPoint *Exposed();
    iterator InsertPoints(const_iterator pos, const AnchorPoint *points, size_t count);
    void AssignPoints(const AnchorPoint *points, size_t count);
    void Release();
    size_t CheckedIndex(size_t i) const;

    Buffer *buffer_ = nullptr;
};

inline void swap(AnchorArray &a, AnchorArray &b) noexcept
{
    a.swap(b);
}

}  // namespace core
