#include "core/anchor_array.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <new>
#include <stdexcept>
#include <type_traits>
#include <utility>

namespace core {

static_assert(std::is_trivially_copyable_v<AnchorPoint>);

AnchorArray::AnchorArray(const AnchorArray &other)
{
    *this = other;
}

AnchorArray &AnchorArray::operator=(const AnchorArray &other)
{
    if (other.buffer_ == buffer_) {
        return *this;
    }
    if (other.buffer_ && !other.buffer_->exposed.load(std::memory_order_relaxed)) {
        other.buffer_->refs.fetch_add(1, std::memory_order_relaxed);
        Release();
        buffer_ = other.buffer_;
        return *this;
    }
    AssignPoints(other.data(), other.size());
    return *this;
}

AnchorArray &AnchorArray::operator=(AnchorArray &&other) noexcept
{
    if (this != &other) {
        Release();
        buffer_ = other.buffer_;
        other.buffer_ = nullptr;
    }
    return *this;
}

namespace {

// The most points one storage holds: its counts are 32-bit and its bytes stay below 4 GiB.
constexpr size_t kMostPoints = std::numeric_limits<uint32_t>::max() / sizeof(AnchorPoint);

}  // namespace

AnchorArray::Buffer *AnchorArray::Allocate(size_t capacity)
{
    if (capacity > kMostPoints) {
        throw std::bad_alloc();
    }
    void *memory = ::operator new(sizeof(Buffer) + capacity * sizeof(AnchorPoint));
    Buffer *buffer = new (memory) Buffer{};
    buffer->refs.store(1, std::memory_order_relaxed);
    buffer->capacity = static_cast<uint32_t>(capacity);
    return buffer;
}

void AnchorArray::Release()
{
    if (buffer_ && buffer_->refs.fetch_sub(1, std::memory_order_acq_rel) == 1) {
        buffer_->~Buffer();
        ::operator delete(buffer_);
    }
    buffer_ = nullptr;
}

void AnchorArray::MakeOwn(size_t count, size_t keep)
{
    const bool own = Owned();
    if (own && count <= buffer_->capacity) {
        return;
    }
    // Grows as a vector does, so that appending one by one stays linear.
    // Growth stops at the most a storage holds, so that a count within it is always met.
    const size_t capacity = own ? std::max(count, std::min(2 * size_t{buffer_->capacity}, kMostPoints)) : count;
    if (capacity == 0) {
        Release();
        return;
    }
    Buffer *made = Allocate(capacity);
    keep = std::min(keep, size());
    if (keep > 0) {
        std::memcpy(Items(made), Items(buffer_), keep * sizeof(AnchorPoint));
    }
    made->size = static_cast<uint32_t>(keep);
    Release();
    buffer_ = made;
}

AnchorPoint *AnchorArray::Exposed()
{
    MakeOwn(size(), size());
    if (!buffer_) {
        return nullptr;
    }
    buffer_->exposed.store(true, std::memory_order_relaxed);
    return Items(buffer_);
}

size_t AnchorArray::CheckedIndex(size_t i) const
{
    if (i >= size()) {
        throw std::out_of_range("AnchorArray::at");
    }
    return i;
}

void AnchorArray::reserve(size_t count)
{
    if (count > capacity() || (buffer_ && !Owned())) {
        MakeOwn(std::max(count, size()), size());
    }
}

void AnchorArray::shrink_to_fit()
{
    if (!Owned() || buffer_->capacity == buffer_->size) {
        return;
    }
    AnchorArray fitted;
    fitted.AssignPoints(data(), size());
    swap(fitted);
}

void AnchorArray::clear()
{
    if (Owned()) {
        buffer_->size = 0;
    } else {
        Release();
    }
}

void AnchorArray::resize(size_t count, const AnchorPoint &point)
{
    const size_t before = size();
    if (count == before) {
        return;
    }
    const AnchorPoint fill = point;  // it may be one of this array's points
    MakeOwn(count, std::min(before, count));
    if (!buffer_) {
        return;
    }
    std::fill(Items(buffer_) + std::min(before, count), Items(buffer_) + count, fill);
    buffer_->size = static_cast<uint32_t>(count);
}

void AnchorArray::push_back(const AnchorPoint &point)
{
    resize(size() + 1, point);
}

AnchorArray::iterator AnchorArray::insert(const_iterator pos, size_t count, const AnchorPoint &point)
{
    const std::vector<AnchorPoint> points(count, point);
    return InsertPoints(pos, points.data(), points.size());
}

AnchorArray::iterator AnchorArray::InsertPoints(const_iterator pos, const AnchorPoint *points, size_t count)
{
    const size_t at = static_cast<size_t>(pos - std::as_const(*this).begin());
    const size_t before = size();
    MakeOwn(before + count, before);
    if (!buffer_) {
        return nullptr;
    }
    AnchorPoint *items = Items(buffer_);
    std::memmove(items + at + count, items + at, (before - at) * sizeof(AnchorPoint));
    if (count > 0) {
        std::memcpy(items + at, points, count * sizeof(AnchorPoint));
    }
    buffer_->size = static_cast<uint32_t>(before + count);
    return Exposed() + at;
}

AnchorArray::iterator AnchorArray::erase(const_iterator first, const_iterator last)
{
    const size_t from = static_cast<size_t>(first - std::as_const(*this).begin());
    const size_t to = static_cast<size_t>(last - std::as_const(*this).begin());
    AnchorPoint *items = Exposed();
    if (from == to) {
        return items + from;
    }
    std::memmove(items + from, items + to, (size() - to) * sizeof(AnchorPoint));
    buffer_->size -= static_cast<uint32_t>(to - from);
    return items + from;
}

void AnchorArray::assign(size_t count, const AnchorPoint &point)
{
    const AnchorPoint fill = point;
    clear();
    resize(count, fill);
}

void AnchorArray::AssignPoints(const AnchorPoint *points, size_t count)
{
    if (count == 0) {
        clear();
        return;
    }
    const AnchorPoint *own = std::as_const(*this).data();
    if (buffer_ && points >= own && points < own + size()) {
        // Points of this array: taken before its storage changes.
        const std::vector<AnchorPoint> kept(points, points + count);
        AssignPoints(kept.data(), kept.size());
        return;
    }
    if (!Owned() || count > buffer_->capacity) {
        Release();
        buffer_ = Allocate(count);
    }
    std::memcpy(Items(buffer_), points, count * sizeof(AnchorPoint));
    buffer_->size = static_cast<uint32_t>(count);
}

void AnchorArray::AssignMoved(const AnchorArray &other, int32_t dx, int32_t dy)
{
    if (dx == 0 && dy == 0 && (SharesStorage(other) || !Owned() || capacity() < other.size())) {
        *this = other;
        return;
    }
    if (&other == this || SharesStorage(other)) {
        const AnchorArray source = std::move(*this);
        AssignMoved(source, dx, dy);
        return;
    }
    const size_t count = other.size();
    if (!Owned() || count > buffer_->capacity) {
        Release();
        if (count == 0) {
            return;
        }
        buffer_ = Allocate(count);
    }
    AnchorPoint *to = Items(buffer_);
    const AnchorPoint *from = other.data();
    if (dx == 0 && dy == 0) {
        if (count > 0) {
            std::memcpy(to, from, count * sizeof(AnchorPoint));
        }
    } else {
        for (size_t k = 0; k < count; ++k) {
            to[k] = AnchorPoint{static_cast<int32_t>(int64_t{from[k].X} + dx),
                                static_cast<int32_t>(int64_t{from[k].Y} + dy), from[k].AnchorKind};
        }
    }
    buffer_->size = static_cast<uint32_t>(count);
}

void AnchorArray::Seal() const
{
    if (buffer_) {
        buffer_->exposed.store(false, std::memory_order_relaxed);
    }
}

size_t AnchorArray::StorageBytes() const
{
    return buffer_ ? sizeof(Buffer) + capacity() * sizeof(AnchorPoint) : 0;
}

bool operator==(const AnchorArray &a, const AnchorArray &b)
{
    return a.size() == b.size() && (a.buffer_ == b.buffer_ || std::equal(a.begin(), a.end(), b.begin()));
}

bool operator==(const AnchorArray &a, const std::vector<AnchorPoint> &b)
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin());
}

}  // namespace core
