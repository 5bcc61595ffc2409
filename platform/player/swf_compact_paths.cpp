// Paths kept as the calls that made them, in one allocation per group.
#include "platform/player/swf_compact_paths.h"

#include "platform/base/memory_limit.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <type_traits>

namespace platform::swf {

namespace {

enum Kind : uint8_t { kMove, kLine, kQuad, kCubic, kClose };

enum Flag : uint8_t { kEmpty = 1, kOddEven = 2 };

// Whether value is kept exactly as an integer of type T (not -0, not a fraction).
template <typename T>
bool FitsIn(double value)
{
    return value >= std::numeric_limits<T>::min() && value <= std::numeric_limits<T>::max() &&
           value == std::trunc(value) && !std::signbit(value == 0 ? value : 0.0);
}

// The bytes per coordinate that keep every point exactly.
uint8_t CoordinateBytes(const std::vector<QPointF> &points)
{
    auto all = [&points](bool (*fits)(double)) {
        return std::all_of(points.begin(), points.end(),
                           [fits](const QPointF &p) { return fits(p.x()) && fits(p.y()); });
    };
    return all(FitsIn<int16_t>) ? 2 : all(FitsIn<int32_t>) ? 4 : 8;
}

// value as a T: exact for the integer forms, chosen to fit; rounded to the nearest float (within
// the float range) for floats.
template <typename T>
T Stored(double value)
{
    if constexpr (std::is_floating_point_v<T>) {
        constexpr double kLargest = std::numeric_limits<T>::max();
        return static_cast<T>(std::isnan(value) ? value : std::clamp(value, -kLargest, kLargest));
    } else {
        return static_cast<T>(value);
    }
}

template <typename T>
void StorePoints(const std::vector<QPointF> &points, std::byte *out)
{
    for (const QPointF &point : points) {
        const T xy[2] = {Stored<T>(point.x()), Stored<T>(point.y())};
        std::memcpy(out, xy, sizeof xy);
        out += sizeof xy;
    }
}

template <typename T>
QPointF PointAt(const std::byte *points, size_t index)
{
    T xy[2];
    std::memcpy(xy, points + index * sizeof xy, sizeof xy);
    return {static_cast<double>(xy[0]), static_cast<double>(xy[1])};
}

// A point as kept with Points::Float, read back.
QPointF RoundedToFloats(const QPointF &point)
{
    return {static_cast<double>(Stored<float>(point.x())), static_cast<double>(Stored<float>(point.y()))};
}

// Adds to path the call of kind, its points taken from next() one by one.
template <typename Next>
void ReplayCall(uint8_t kind, const Next &next, QPainterPath &path)
{
    switch (kind) {
    case kMove:
        path.moveTo(next());
        break;
    case kLine:
        path.lineTo(next());
        break;
    case kQuad: {
        // What quadTo does, without checking its points again: the cubic curve through the
        // points two thirds of the way to the control point, none for a curve on one point.
        const QPointF control = next();
        const QPointF to = next();
        const QPointF from = path.currentPosition();
        if (from != control || control != to) {
            path.cubicTo(QPointF((from.x() + 2 * control.x()) / 3, (from.y() + 2 * control.y()) / 3),
                         QPointF((to.x() + 2 * control.x()) / 3, (to.y() + 2 * control.y()) / 3), to);
        }
        break;
    }
    case kCubic: {
        const QPointF control1 = next();
        const QPointF control2 = next();
        path.cubicTo(control1, control2, next());
        break;
    }
    default:
        path.closeSubpath();
        break;
    }
}

template <typename T>
void Replay(const uint8_t *kinds, size_t count, const std::byte *points, QPainterPath &path)
{
    size_t at = 0;
    const auto next = [points, &at] { return PointAt<T>(points, at++); };
    for (size_t i = 0; i < count; ++i) {
        ReplayCall(kinds[i], next, path);
    }
}

// Calls call(kind, i) for each call that makes path's elements as Record keeps them, i its first
// element: a cubic curve for a curve's three elements, a move or a line for each other one.
template <typename Call>
void ForEachCall(const QPainterPath &path, const Call &call)
{
    const int count = path.elementCount();
    for (int i = 0; i < count; ++i) {
        const QPainterPath::Element &e = path.elementAt(i);
        if (e.isCurveTo() && i + 2 < count) {
            call(kCubic, i);
            i += 2;
        } else {
            call(e.isMoveTo() ? kMove : kLine, i);
        }
    }
}

// Prepares path (cleared, its allocation kept) for a replay making up to elements elements.
void StartMaking(QPainterPath &path, Qt::FillRule rule, size_t elements)
{
    const size_t reserved = std::min<size_t>(elements, std::numeric_limits<int>::max());
    CheckRoomFor(reserved * sizeof(QPainterPath::Element));  // Qt would go on without the room
    path.clear();
    path.setFillRule(rule);
    path.reserve(static_cast<int>(reserved));
}

// What a made path's elements take: a header and the elements.
size_t MadePathBytes(const QPainterPath &path)
{
    constexpr size_t kPathHeaderBytes = 128;  // the path's shared data, bounds included
    return path.elementCount() == 0
               ? 0
               : kPathHeaderBytes + static_cast<size_t>(path.elementCount()) * sizeof(QPainterPath::Element);
}

}  // namespace

void CompactPaths::Builder::Clear()
{
    spans_.clear();
    kinds_.clear();
    points_.clear();
    elements_ = 0;
}

void CompactPaths::Builder::Trim()
{
    constexpr size_t kKeptPoints = 4096;
    if (points_.capacity() > kKeptPoints || kinds_.capacity() > kKeptPoints || spans_.capacity() > kKeptPoints) {
        *this = Builder();
    }
}

void CompactPaths::Builder::Begin()
{
    const auto self = static_cast<uint32_t>(spans_.size());
    spans_.push_back({static_cast<uint32_t>(kinds_.size()), 0, static_cast<uint32_t>(points_.size()), self, 0});
}

void CompactPaths::Builder::MoveTo(const QPointF &point)
{
    kinds_.push_back(kMove);
    points_.push_back(point);
}

void CompactPaths::Builder::LineTo(const QPointF &point)
{
    kinds_.push_back(kLine);
    points_.push_back(point);
}

void CompactPaths::Builder::QuadTo(const QPointF &control, const QPointF &to)
{
    kinds_.push_back(kQuad);
    points_.push_back(control);
    points_.push_back(to);
}

void CompactPaths::Builder::CubicTo(const QPointF &control1, const QPointF &control2, const QPointF &to)
{
    kinds_.push_back(kCubic);
    points_.push_back(control1);
    points_.push_back(control2);
    points_.push_back(to);
}

void CompactPaths::Builder::Close()
{
    kinds_.push_back(kClose);
}

void CompactPaths::Builder::End(const QPainterPath &made)
{
    elements_ += made.elementCount();
    Span &span = spans_.back();
    span.kindsEnd = static_cast<uint32_t>(kinds_.size());
    const int empty = made.isEmpty() ? kEmpty : 0;
    span.flags = static_cast<uint8_t>(empty | (made.fillRule() == Qt::OddEvenFill ? kOddEven : 0));
}

void CompactPaths::Builder::Repeat(size_t index)
{
    spans_.push_back(spans_[index]);
}

void CompactPaths::Builder::Record(const QPainterPath &path)
{
    Begin();
    ForEachCall(path, [this, &path](uint8_t kind, int i) {
        if (kind == kCubic) {
            CubicTo(path.elementAt(i), path.elementAt(i + 1), path.elementAt(i + 2));
        } else if (kind == kMove) {
            MoveTo(path.elementAt(i));
        } else {
            LineTo(path.elementAt(i));
        }
    });
    End(path);
}

// Group paths are bounded by the movie's edges (each edge is in at most three paths, as at most
// two calls with two points), so that every offset fits in 32 bits.
CompactPaths CompactPaths::Builder::Finish(const std::vector<const QPainterPath *> &made, Points points) const
{
    CompactPaths paths;
    paths.count_ = static_cast<uint32_t>(spans_.size());
    paths.floats_ = points == Points::Float;
    const bool whole = !paths.floats_ && Whole();
    if (whole) {
        auto kept = std::make_shared<std::vector<QPainterPath>>();
        kept->reserve(made.size());
        for (const QPainterPath *path : made) {
            kept->push_back(*path);
        }
        paths.whole_ = std::move(kept);
    }
    paths.coordinateBytes_ = paths.floats_ ? 4 : CoordinateBytes(whole ? std::vector<QPointF>() : points_);
    const size_t pointsAt = spans_.size() * sizeof(Span);
    const size_t kindsAt = pointsAt + (whole ? 0 : points_.size() * 2 * paths.coordinateBytes_);
    const size_t bytes = kindsAt + (whole ? 0 : kinds_.size());
    paths.pointsAt_ = static_cast<uint32_t>(pointsAt);
    paths.kindsAt_ = static_cast<uint32_t>(kindsAt);
    paths.bytes_ = static_cast<uint32_t>(bytes);
    if (bytes == 0) {
        return paths;
    }
    std::shared_ptr<std::byte[]> data = std::make_shared_for_overwrite<std::byte[]>(bytes);
    if (!spans_.empty()) {
        std::memcpy(data.get(), spans_.data(), pointsAt);
    }
    if (whole) {
        paths.data_ = std::move(data);
        return paths;
    }
    switch (paths.coordinateBytes_) {
    case 2:
        StorePoints<int16_t>(points_, data.get() + pointsAt);
        break;
    case 4:
        if (paths.floats_) {
            StorePoints<float>(points_, data.get() + pointsAt);
        } else {
            StorePoints<int32_t>(points_, data.get() + pointsAt);
        }
        break;
    default:
        StorePoints<double>(points_, data.get() + pointsAt);
        break;
    }
    if (!kinds_.empty()) {
        std::memcpy(data.get() + kindsAt, kinds_.data(), kinds_.size());
    }
    paths.data_ = std::move(data);
    return paths;
}

CompactPaths::Span CompactPaths::SpanAt(size_t index) const
{
    Span span;
    std::memcpy(&span, data_.get() + index * sizeof(Span), sizeof span);
    return span;
}

bool CompactPaths::IsEmpty(size_t index) const
{
    return (SpanAt(index).flags & kEmpty) != 0;
}

size_t CompactPaths::Source(size_t index) const
{
    return SpanAt(index).source;
}

const QPainterPath &CompactPaths::EmptyPath()
{
    static const QPainterPath empty;
    return empty;
}

const QPainterPath &CompactPaths::Make(size_t index, QPainterPath &path) const
{
    if (whole_) {
        return (*whole_)[index];
    }
    const Span span = SpanAt(index);
    if (span.kinds == span.kindsEnd) {
        return EmptyPath();
    }
    const size_t count = span.kindsEnd - span.kinds;
    // No call makes more than three elements.
    StartMaking(path, (span.flags & kOddEven) != 0 ? Qt::OddEvenFill : Qt::WindingFill, 3 * count + 1);
    const auto *kinds = reinterpret_cast<const uint8_t *>(data_.get() + kindsAt_) + span.kinds;
    const std::byte *points = data_.get() + pointsAt_;
    switch (coordinateBytes_) {
    case 2:
        Replay<int16_t>(kinds, count, points + span.points * 4, path);
        break;
    case 4:
        if (floats_) {
            Replay<float>(kinds, count, points + span.points * 8, path);
        } else {
            Replay<int32_t>(kinds, count, points + span.points * 8, path);
        }
        break;
    default:
        Replay<double>(kinds, count, points + span.points * 16, path);
        break;
    }
    return path;
}

namespace {

// What path, recorded and kept with Points::Float, makes, made into into.
void MakeWithFloats(const QPainterPath &path, QPainterPath &into)
{
    StartMaking(into, path.fillRule(), static_cast<size_t>(path.elementCount()));
    ForEachCall(path, [&path, &into](uint8_t kind, int i) {
        ReplayCall(kind, [&path, &i] { return RoundedToFloats(path.elementAt(i++)); }, into);
    });
}

// Rounds the points of path to floats where they lie while making it again from them would
// make every element anew: each a move, a line or a curve's three, no move after a move, no line
// to the point before it and no curve all on one point (as QPainterPath compares points). Returns
// false where that ends; rounding a point twice rounds it as once.
bool RoundedInPlace(QPainterPath &path)
{
    const int count = path.elementCount();
    if (count == 0 || !path.elementAt(0).isMoveTo()) {
        return false;
    }
    QPointF last;
    QPainterPath::ElementType lastType = QPainterPath::LineToElement;
    for (int i = 0; i < count; ++i) {
        const QPainterPath::Element e = path.elementAt(i);
        const QPointF point = RoundedToFloats(e);
        switch (e.type) {
        case QPainterPath::MoveToElement:
            if (lastType == QPainterPath::MoveToElement) {
                return false;
            }
            break;
        case QPainterPath::LineToElement:
            if (point == last) {
                return false;
            }
            break;
        case QPainterPath::CurveToElement: {
            if (i + 2 >= count || path.elementAt(i + 1).type != QPainterPath::CurveToDataElement ||
                path.elementAt(i + 2).type != QPainterPath::CurveToDataElement) {
                return false;
            }
            const QPointF control2 = RoundedToFloats(path.elementAt(i + 1));
            const QPointF end = RoundedToFloats(path.elementAt(i + 2));
            if (last == point && point == control2 && control2 == end) {
                return false;
            }
            path.setElementPositionAt(i, point.x(), point.y());
            path.setElementPositionAt(i + 1, control2.x(), control2.y());
            path.setElementPositionAt(i + 2, end.x(), end.y());
            i += 2;
            last = end;
            lastType = QPainterPath::CurveToElement;
            continue;
        }
        default:
            return false;
        }
        path.setElementPositionAt(i, point.x(), point.y());
        last = point;
        lastType = e.type;
    }
    return true;
}

}  // namespace

QPainterPath CopyToDraw(const QPainterPath &path)
{
    CheckRoomFor(static_cast<size_t>(path.elementCount()) * sizeof(QPainterPath::Element));
    QPainterPath copy = path;
    const Qt::FillRule rule = path.fillRule();
    copy.setFillRule(rule == Qt::OddEvenFill ? Qt::WindingFill : Qt::OddEvenFill);  // detaches
    copy.setFillRule(rule);
    return copy;
}

void CompactPaths::RoundToFloats(QPainterPath &path)
{
    if (path.elementCount() > 0 && !RoundedInPlace(path)) {
        QPainterPath made;
        MakeWithFloats(path, made);
        path = made;
    }
}

size_t CompactPaths::HeldBytes() const
{
    constexpr size_t kSharedCountBytes = 16;
    size_t bytes = data_ ? kSharedCountBytes + bytes_ : 0;
    if (whole_) {
        bytes += kSharedCountBytes + whole_->capacity() * sizeof(QPainterPath);
        for (size_t i = 0; i < whole_->size(); ++i) {
            bytes += Source(i) == i ? MadePathBytes((*whole_)[i]) : 0;  // a repeated one is held once
        }
    }
    return bytes;
}

const QPainterPath &PathsMade::Of(const CompactPaths &paths, size_t index)
{
    if (paths.whole_) {
        return (*paths.whole_)[index];
    }
    if (data_ != paths.data_ || made_.size() < paths.size()) {
        data_ = paths.data_;
        made_.assign(paths.size(), nullptr);
        if (room_.size() < paths.size()) {
            room_.resize(paths.size());
        }
    }
    const size_t source = paths.Source(index);
    if (made_[source] == nullptr) {
        made_[source] = &paths.Make(source, room_[source]);
    }
    return *made_[source];
}

}  // namespace platform::swf
