#include "core/path_boolean.h"

#include "core/path_optimizer.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <optional>
#include <unordered_map>
#include <utility>
#include <vector>

namespace core {
namespace {

using Ring = std::vector<AnchorPoint>;

// Split marks carried in AnchorKind while an operation runs; kind & 1 still tells a control point.
constexpr int16_t kSplitOfA = 2;
constexpr int16_t kSplitOfB = 4;
// Rounding crossing points to whole twips can make new crossings; inserting them is repeated at
// most this often.
constexpr int kMaxCrossingRounds = 16;

bool SamePoint(const AnchorPoint &p, const AnchorPoint &q)
{
    return p.X == q.X && p.Y == q.Y;
}

bool IsSplitPoint(const AnchorPoint &p)
{
    return p.AnchorKind >= 2;
}

int16_t WithoutSplitMark(int16_t kind)
{
    return kind >= 2 ? static_cast<int16_t>(kind & 1) : kind;
}

uint64_t PointKey(const AnchorPoint &p)
{
    return (static_cast<uint64_t>(static_cast<uint32_t>(p.X)) << 32) | static_cast<uint32_t>(p.Y);
}

// Twice the signed area of the triangle a, b, c: > 0 when c lies to the left of a -> b (y up).
int64_t Orient(const AnchorPoint &a, const AnchorPoint &b, const AnchorPoint &c)
{
    return (int64_t{b.X} - a.X) * (int64_t{c.Y} - a.Y) - (int64_t{b.Y} - a.Y) * (int64_t{c.X} - a.X);
}

bool InSegmentBox(const AnchorPoint &p, const AnchorPoint &s1, const AnchorPoint &s2)
{
    return p.X >= std::min(s1.X, s2.X) && p.X <= std::max(s1.X, s2.X) && p.Y >= std::min(s1.Y, s2.Y) &&
           p.Y <= std::max(s1.Y, s2.Y);
}

// numerator / denominator (denominator > 0) rounded to the nearest integer, halves to even.
int32_t RoundedQuotient(__int128 numerator, __int128 denominator)
{
    __int128 quotient = numerator / denominator;
    __int128 remainder = numerator % denominator;
    if (remainder < 0) {
        remainder += denominator;
        --quotient;
    }
    __int128 twice = remainder * 2;
    if (twice > denominator || (twice == denominator && quotient % 2 != 0)) {
        ++quotient;
    }
    return static_cast<int32_t>(quotient);
}

// The point where a1-a2 properly crosses a line through b, given the orientations d1, d2 of a1
// and a2 against that line (of opposite signs), rounded to whole twips.
AnchorPoint CrossingPoint(const AnchorPoint &a1, const AnchorPoint &a2, int64_t d1, int64_t d2)
{
    __int128 denominator = static_cast<__int128>(d1) - d2;
    __int128 t = d1;
    if (denominator < 0) {
        denominator = -denominator;
        t = -t;
    }
    AnchorPoint p;
    p.X = RoundedQuotient(static_cast<__int128>(a1.X) * denominator + (int64_t{a2.X} - a1.X) * t, denominator);
    p.Y = RoundedQuotient(static_cast<__int128>(a1.Y) * denominator + (int64_t{a2.Y} - a1.Y) * t, denominator);
    return p;
}

using MeetingList = std::array<AnchorPoint, 4>;

// Where the closed segments a1-a2 and b1-b2 meet: a proper crossing (one point, rounded half to
// even), or the end points of either that lie on the other (touches and collinear overlaps).
// Returns the number of distinct points written.
int MeetingPoints(const AnchorPoint &a1, const AnchorPoint &a2, const AnchorPoint &b1, const AnchorPoint &b2,
                  MeetingList &points)
{
    int64_t d1 = Orient(b1, b2, a1);
    int64_t d2 = Orient(b1, b2, a2);
    int64_t d3 = Orient(a1, a2, b1);
    int64_t d4 = Orient(a1, a2, b2);
    if (((d1 > 0 && d2 < 0) || (d1 < 0 && d2 > 0)) && ((d3 > 0 && d4 < 0) || (d3 < 0 && d4 > 0))) {
        points[0] = CrossingPoint(a1, a2, d1, d2);
        return 1;
    }
    int count = 0;
    auto add = [&](const AnchorPoint &p) {
        for (int k = 0; k < count; ++k) {
            if (SamePoint(points[static_cast<size_t>(k)], p)) {
                return;
            }
        }
        points[static_cast<size_t>(count++)] = AnchorPoint{p.X, p.Y, kOnCurve};
    };
    if (d1 == 0 && InSegmentBox(a1, b1, b2)) {
        add(a1);
    }
    if (d2 == 0 && InSegmentBox(a2, b1, b2)) {
        add(a2);
    }
    if (d3 == 0 && InSegmentBox(b1, a1, a2)) {
        add(b1);
    }
    if (d4 == 0 && InSegmentBox(b2, a1, a2)) {
        add(b2);
    }
    return count;
}

struct Box64 {
    int64_t left = 0;
    int64_t top = 0;
    int64_t right = -1;
    int64_t bottom = -1;

    bool Empty() const { return left > right || top > bottom; }
};

// One operand's working copy: closed rings of clamped anchors, and per segment whether it is new
// since the last search for crossings.
struct Operand {
    std::vector<Ring> rings;
    std::vector<std::vector<uint8_t>> freshSegments;
    int16_t splitMark = kSplitOfA;

    Box64 Extent() const
    {
        Box64 box;
        bool seeded = false;
        for (const Ring &ring : rings) {
            for (const AnchorPoint &p : ring) {
                if (!seeded) {
                    box = Box64{p.X, p.Y, p.X, p.Y};
                    seeded = true;
                }
                box.left = std::min<int64_t>(box.left, p.X);
                box.right = std::max<int64_t>(box.right, p.X);
                box.top = std::min<int64_t>(box.top, p.Y);
                box.bottom = std::max<int64_t>(box.bottom, p.Y);
            }
        }
        return box;
    }
};

bool IsUsable(const PathRecord &path)
{
    return path.AnchorMax() >= 1;
}

// The anchor as the operation works on it: coordinates clamped, the kind plain 0 or 1 (whatever
// a file held), so that split marks are the operation's own.
AnchorPoint Clamped(const AnchorPoint &p)
{
    int16_t kind = p.AnchorKind > 0 && (p.AnchorKind & 1) != 0 ? kControlPoint : kOnCurve;
    return AnchorPoint{std::clamp(p.X, -kFragmentCoordinateLimit, kFragmentCoordinateLimit),
                       std::clamp(p.Y, -kFragmentCoordinateLimit, kFragmentCoordinateLimit), kind};
}

// The path as a closed ring; an open path runs out and back along itself, its end anchor doubled.
Ring WorkingRing(const PathRecord &path)
{
    Ring ring;
    size_t n = path.Anchors.size();
    ring.reserve(path.blClosed ? n : 2 * n);
    for (const AnchorPoint &p : path.Anchors) {
        ring.push_back(Clamped(p));
    }
    if (!path.blClosed) {
        for (size_t k = n; k-- > 0;) {
            ring.push_back(ring[k]);
        }
    }
    return ring;
}

Operand MakeOperand(const PathCollection &paths, int16_t splitMark)
{
    Operand operand;
    operand.splitMark = splitMark;
    for (int32_t i = 1; i <= paths.PathCount(); ++i) {
        const PathRecord &path = paths.Paths[static_cast<size_t>(i)];
        if (IsUsable(path)) {
            operand.rings.push_back(WorkingRing(path));
            operand.freshSegments.emplace_back(operand.rings.back().size(), 1);
        }
    }
    return operand;
}

// ---------------------------------------------------------------------------------------------
// Crossings: every point where an outline of A meets an outline of B becomes an anchor of both.

struct Segment {
    int32_t ring;
    int32_t index;
    int32_t minX;
    int32_t minY;
    int32_t maxX;
    int32_t maxY;
    bool fresh;
};

std::vector<Segment> SegmentsInRegion(const Operand &operand, const Box64 &region)
{
    std::vector<Segment> segments;
    for (size_t r = 0; r < operand.rings.size(); ++r) {
        const Ring &ring = operand.rings[r];
        for (size_t i = 0; i < ring.size(); ++i) {
            const AnchorPoint &p = ring[i];
            const AnchorPoint &q = ring[(i + 1) % ring.size()];
            Segment s{static_cast<int32_t>(r), static_cast<int32_t>(i), std::min(p.X, q.X), std::min(p.Y, q.Y),
                      std::max(p.X, q.X), std::max(p.Y, q.Y), operand.freshSegments[r][i] != 0};
            if (s.maxX >= region.left && s.minX <= region.right && s.maxY >= region.top && s.minY <= region.bottom) {
                segments.push_back(s);
            }
        }
    }
    return segments;
}

// A uniform grid over the region where both operands' segments lie; each segment is listed in
// every cell its box covers.
class SegmentGrid {
public:
    // The grid is made coarser while long segments would be listed too often.
    SegmentGrid(const Box64 &region, const std::vector<Segment> &segmentsA, const std::vector<Segment> &segmentsB)
        : region_(region)
    {
        size_t count = segmentsA.size() + segmentsB.size();
        auto side = static_cast<int64_t>(std::sqrt(static_cast<double>(count)));
        for (side = std::clamp<int64_t>(side, 1, 1024);; side /= 2) {
            Resize(side);
            if (side == 1 || Covers(segmentsA) + Covers(segmentsB) <= 16 * count) {
                break;
            }
        }
    }

    int32_t CellCount() const { return columns_ * rows_; }

    int32_t CellOf(int64_t x, int64_t y) const { return Row(y) * columns_ + Column(x); }

    // Lists the segments by cell: the segments of cell c are items[start[c] .. start[c + 1] - 1].
    void Distribute(const std::vector<Segment> &segments, std::vector<uint32_t> &start,
                    std::vector<uint32_t> &items) const
    {
        start.assign(static_cast<size_t>(CellCount()) + 1, 0);
        ForEachCover(segments, [&](uint32_t, int32_t cell) { ++start[static_cast<size_t>(cell) + 1]; });
        for (size_t c = 1; c < start.size(); ++c) {
            start[c] += start[c - 1];
        }
        items.resize(start.back());
        std::vector<uint32_t> next(start.begin(), start.end() - 1);
        ForEachCover(segments, [&](uint32_t s, int32_t cell) { items[next[static_cast<size_t>(cell)]++] = s; });
    }

private:
    void Resize(int64_t side)
    {
        columns_ = static_cast<int32_t>(std::min<int64_t>(side, region_.right - region_.left + 1));
        rows_ = static_cast<int32_t>(std::min<int64_t>(side, region_.bottom - region_.top + 1));
        cellWidth_ = (region_.right - region_.left) / columns_ + 1;
        cellHeight_ = (region_.bottom - region_.top) / rows_ + 1;
    }

    size_t Covers(const std::vector<Segment> &segments) const
    {
        size_t total = 0;
        for (const Segment &seg : segments) {
            total += static_cast<size_t>(Row(seg.maxY) - Row(seg.minY) + 1) *
                     static_cast<size_t>(Column(seg.maxX) - Column(seg.minX) + 1);
        }
        return total;
    }

    int32_t Column(int64_t x) const
    {
        return static_cast<int32_t>(std::clamp<int64_t>((x - region_.left) / cellWidth_, 0, columns_ - 1));
    }
    int32_t Row(int64_t y) const
    {
        return static_cast<int32_t>(std::clamp<int64_t>((y - region_.top) / cellHeight_, 0, rows_ - 1));
    }

    template <typename Visit>
    void ForEachCover(const std::vector<Segment> &segments, Visit visit) const
    {
        for (size_t s = 0; s < segments.size(); ++s) {
            const Segment &seg = segments[s];
            for (int32_t row = Row(seg.minY); row <= Row(seg.maxY); ++row) {
                for (int32_t column = Column(seg.minX); column <= Column(seg.maxX); ++column) {
                    visit(static_cast<uint32_t>(s), row * columns_ + column);
                }
            }
        }
    }

    Box64 region_;
    int32_t columns_ = 1;
    int32_t rows_ = 1;
    int64_t cellWidth_ = 1;
    int64_t cellHeight_ = 1;
};

// The meeting points found on one operand in one round: anchors hit exactly, and points to
// insert into segments.
struct PendingSplits {
    struct Insertion {
        int32_t segment;
        AnchorPoint point;
    };
    std::vector<std::vector<uint8_t>> hitAnchors;
    std::vector<std::vector<Insertion>> insertions;

    explicit PendingSplits(const Operand &operand)
    {
        for (const Ring &ring : operand.rings) {
            hitAnchors.emplace_back(ring.size(), 0);
            insertions.emplace_back();
        }
    }

    void Note(const Operand &operand, const Segment &segment, const AnchorPoint &point)
    {
        const Ring &ring = operand.rings[static_cast<size_t>(segment.ring)];
        auto from = static_cast<size_t>(segment.index);
        size_t to = (from + 1) % ring.size();
        auto &hits = hitAnchors[static_cast<size_t>(segment.ring)];
        if (SamePoint(point, ring[from])) {
            hits[from] = 1;
        } else if (SamePoint(point, ring[to])) {
            hits[to] = 1;
        } else {
            insertions[static_cast<size_t>(segment.ring)].push_back(Insertion{segment.index, point});
        }
    }
};

// Marks the anchors hit and inserts the new points in order along their segments. Returns
// whether anything was inserted; the segments made by insertions become fresh.
bool ApplySplits(Operand &operand, PendingSplits &pending)
{
    bool inserted = false;
    for (size_t r = 0; r < operand.rings.size(); ++r) {
        Ring &ring = operand.rings[r];
        std::vector<uint8_t> &fresh = operand.freshSegments[r];
        for (size_t k = 0; k < ring.size(); ++k) {
            if (pending.hitAnchors[r][k]) {
                ring[k].AnchorKind = operand.splitMark;
            }
        }
        auto &insertions = pending.insertions[r];
        if (insertions.empty()) {
            std::fill(fresh.begin(), fresh.end(), 0);
            continue;
        }
        auto along = [&](const PendingSplits::Insertion &item) {
            const AnchorPoint &from = ring[static_cast<size_t>(item.segment)];
            const AnchorPoint &to = ring[(static_cast<size_t>(item.segment) + 1) % ring.size()];
            return (int64_t{item.point.X} - from.X) * (int64_t{to.X} - from.X) +
                   (int64_t{item.point.Y} - from.Y) * (int64_t{to.Y} - from.Y);
        };
        std::sort(insertions.begin(), insertions.end(), [&](const auto &p, const auto &q) {
            if (p.segment != q.segment) {
                return p.segment < q.segment;
            }
            int64_t dp = along(p);
            int64_t dq = along(q);
            if (dp != dq) {
                return dp < dq;
            }
            return std::make_pair(p.point.X, p.point.Y) < std::make_pair(q.point.X, q.point.Y);
        });
        Ring rebuilt;
        std::vector<uint8_t> rebuiltFresh;
        rebuilt.reserve(ring.size() + insertions.size());
        size_t next = 0;
        for (size_t i = 0; i < ring.size(); ++i) {
            size_t segmentStart = rebuilt.size();
            rebuilt.push_back(ring[i]);
            const AnchorPoint &end = ring[(i + 1) % ring.size()];
            for (; next < insertions.size() && insertions[next].segment == static_cast<int32_t>(i); ++next) {
                const AnchorPoint &p = insertions[next].point;
                if (!SamePoint(p, rebuilt.back()) && !SamePoint(p, end)) {
                    rebuilt.push_back(AnchorPoint{p.X, p.Y, operand.splitMark});
                }
            }
            uint8_t split = rebuilt.size() - segmentStart > 1 ? 1 : 0;
            rebuiltFresh.resize(rebuilt.size(), split);
            inserted = inserted || split;
        }
        insertions.clear();
        ring = std::move(rebuilt);
        fresh = std::move(rebuiltFresh);
    }
    return inserted;
}

Box64 Overlap(const Box64 &p, const Box64 &q)
{
    return Box64{std::max(p.left, q.left), std::max(p.top, q.top), std::min(p.right, q.right),
                 std::min(p.bottom, q.bottom)};
}

// Calls visit (segment of first, segment of second) for every pair of segments whose boxes
// overlap and of which at least one is fresh. Without a second operand the pairs are those of two
// different segments of the first.
template <typename Visit>
void ForEachSegmentPair(const Operand &first, const Operand *second, Visit visit)
{
    Box64 region = second ? Overlap(first.Extent(), second->Extent()) : first.Extent();
    if (region.Empty()) {
        return;
    }
    std::vector<Segment> segmentsA = SegmentsInRegion(first, region);
    std::vector<Segment> segmentsB = second ? SegmentsInRegion(*second, region) : std::vector<Segment>();
    SegmentGrid grid(region, segmentsA, segmentsB);
    std::vector<uint32_t> startA, itemsA, startB, itemsB;
    grid.Distribute(segmentsA, startA, itemsA);
    if (second) {
        grid.Distribute(segmentsB, startB, itemsB);
    }
    const std::vector<Segment> &listB = second ? segmentsB : segmentsA;
    const std::vector<uint32_t> &cellStartB = second ? startB : startA;
    const std::vector<uint32_t> &cellItemsB = second ? itemsB : itemsA;
    for (int32_t cell = 0; cell < grid.CellCount(); ++cell) {
        auto c = static_cast<size_t>(cell);
        for (uint32_t ia = startA[c]; ia < startA[c + 1]; ++ia) {
            const Segment &sa = segmentsA[itemsA[ia]];
            for (uint32_t ib = second ? cellStartB[c] : ia + 1; ib < cellStartB[c + 1]; ++ib) {
                const Segment &sb = listB[cellItemsB[ib]];
                if ((!sa.fresh && !sb.fresh) || sa.maxX < sb.minX || sb.maxX < sa.minX || sa.maxY < sb.minY ||
                    sb.maxY < sa.minY) {
                    continue;
                }
                // A pair sharing several cells is handled only in the cell holding its boxes'
                // common top-left corner.
                if (grid.CellOf(std::max(sa.minX, sb.minX), std::max(sa.minY, sb.minY)) == cell) {
                    visit(sa, sb);
                }
            }
        }
    }
}

struct SegmentEnds {
    const AnchorPoint &from;
    const AnchorPoint &to;
};

SegmentEnds EndsOf(const Operand &operand, const Segment &segment)
{
    const Ring &ring = operand.rings[static_cast<size_t>(segment.ring)];
    auto from = static_cast<size_t>(segment.index);
    return SegmentEnds{ring[from], ring[(from + 1) % ring.size()]};
}

// One search for the points where outlines of a and b meet. Returns how many were found.
int64_t FindMeetingPoints(const Operand &a, const Operand &b, PendingSplits &splitsA, PendingSplits &splitsB)
{
    int64_t found = 0;
    MeetingList points;
    ForEachSegmentPair(a, &b, [&](const Segment &sa, const Segment &sb) {
        SegmentEnds p = EndsOf(a, sa);
        SegmentEnds q = EndsOf(b, sb);
        int n = MeetingPoints(p.from, p.to, q.from, q.to, points);
        for (int k = 0; k < n; ++k) {
            splitsA.Note(a, sa, points[static_cast<size_t>(k)]);
            splitsB.Note(b, sb, points[static_cast<size_t>(k)]);
        }
        found += n;
    });
    return found;
}

// Where outlines of one operand run along each other (compound members sharing part of an
// edge), the ends of the shared part become anchors of both, so that equal pieces result.
void FindSharedRuns(const Operand &operand, PendingSplits &splits)
{
    if (operand.rings.size() < 2) {
        return;
    }
    MeetingList points;
    ForEachSegmentPair(operand, nullptr, [&](const Segment &sa, const Segment &sb) {
        SegmentEnds p = EndsOf(operand, sa);
        SegmentEnds q = EndsOf(operand, sb);
        if (sa.ring == sb.ring || Orient(q.from, q.to, p.from) != 0 || Orient(q.from, q.to, p.to) != 0) {
            return;
        }
        int n = MeetingPoints(p.from, p.to, q.from, q.to, points);
        for (int k = 0; k < n; ++k) {
            splits.Note(operand, sa, points[static_cast<size_t>(k)]);
            splits.Note(operand, sb, points[static_cast<size_t>(k)]);
        }
    });
}

// Makes every point where the outlines meet an anchor of both operands with the same coordinates,
// marked as a split point. Returns the number of meeting points found.
int64_t InsertCrossings(Operand &a, Operand &b)
{
    int64_t total = 0;
    for (int round = 0; round < kMaxCrossingRounds; ++round) {
        PendingSplits splitsA(a);
        PendingSplits splitsB(b);
        total += FindMeetingPoints(a, b, splitsA, splitsB);
        FindSharedRuns(a, splitsA);
        FindSharedRuns(b, splitsB);
        bool insertedA = ApplySplits(a, splitsA);
        bool insertedB = ApplySplits(b, splitsB);
        if (!insertedA && !insertedB) {
            break;
        }
    }
    return total;
}

// ---------------------------------------------------------------------------------------------
// Inside tests.

// A point in doubled coordinates (so that segment midpoints are whole numbers).
struct DoubledPoint {
    int64_t x;
    int64_t y;
};

DoubledPoint Doubled(const AnchorPoint &p)
{
    return DoubledPoint{2 * int64_t{p.X}, 2 * int64_t{p.Y}};
}

// Even-odd inside test against one operand's rings. The tested point is taken as nudged by an
// infinitely small step towards +x and an even smaller one towards +y, so it never lies on an
// edge and the answer is exact. Edges are indexed by horizontal bands.
class InsideTester {
public:
    explicit InsideTester(const Operand &operand)
    {
        std::vector<std::pair<AnchorPoint, AnchorPoint>> edges;
        for (const Ring &ring : operand.rings) {
            for (size_t i = 0; i < ring.size(); ++i) {
                const AnchorPoint &p = ring[i];
                const AnchorPoint &q = ring[(i + 1) % ring.size()];
                if (p.Y != q.Y) {
                    edges.emplace_back(p, q);
                }
            }
        }
        if (edges.empty()) {
            return;
        }
        top_ = INT64_MAX;
        bottom_ = INT64_MIN;
        for (const auto &[p, q] : edges) {
            top_ = std::min<int64_t>(top_, std::min(p.Y, q.Y));
            bottom_ = std::max<int64_t>(bottom_, std::max(p.Y, q.Y) - 1);
        }
        // Fewer, taller bands while long edges would be listed too often.
        for (int64_t bands = std::clamp<int64_t>(static_cast<int64_t>(edges.size() / 2), 1, 1 << 16);; bands /= 2) {
            bandHeight_ = (bottom_ - top_) / bands + 1;
            size_t listed = 0;
            for (const auto &[p, q] : edges) {
                listed += static_cast<size_t>(Band(std::max(p.Y, q.Y) - 1) - Band(std::min(p.Y, q.Y)) + 1);
            }
            if (bands == 1 || listed <= 16 * edges.size()) {
                break;
            }
        }
        bandStart_.assign(static_cast<size_t>((bottom_ - top_) / bandHeight_) + 2, 0);
        auto forEachBand = [&](auto visit) {
            for (size_t e = 0; e < edges.size(); ++e) {
                const auto &[p, q] = edges[e];
                int64_t first = Band(std::min(p.Y, q.Y));
                int64_t last = Band(std::max(p.Y, q.Y) - 1);
                for (int64_t band = first; band <= last; ++band) {
                    visit(e, static_cast<size_t>(band));
                }
            }
        };
        forEachBand([&](size_t, size_t band) { ++bandStart_[band + 1]; });
        for (size_t k = 1; k < bandStart_.size(); ++k) {
            bandStart_[k] += bandStart_[k - 1];
        }
        edges_.resize(bandStart_.back());
        std::vector<uint32_t> next(bandStart_.begin(), bandStart_.end() - 1);
        forEachBand([&](size_t e, size_t band) { edges_[next[band]++] = edges[e]; });
    }

    bool Contains(const DoubledPoint &point) const
    {
        int64_t y = point.y >> 1;  // floor
        if (edges_.empty() || y < top_ || y > bottom_) {
            return false;
        }
        auto band = static_cast<size_t>(Band(y));
        bool inside = false;
        for (uint32_t e = bandStart_[band]; e < bandStart_[band + 1]; ++e) {
            const auto &[p, q] = edges_[e];
            DoubledPoint a = Doubled(p);
            DoubledPoint b = Doubled(q);
            if ((a.y > point.y) == (b.y > point.y)) {
                continue;
            }
            // The edge crosses the horizontal through the point; count it when it does so to the
            // right of the point.
            int64_t side = (b.x - a.x) * (point.y - a.y) - (b.y - a.y) * (point.x - a.x);
            if (b.y > a.y ? side > 0 : side < 0) {
                inside = !inside;
            }
        }
        return inside;
    }

private:
    int64_t Band(int64_t y) const { return (y - top_) / bandHeight_; }

    int64_t top_ = 0;
    int64_t bottom_ = -1;
    int64_t bandHeight_ = 1;
    std::vector<uint32_t> bandStart_;
    std::vector<std::pair<AnchorPoint, AnchorPoint>> edges_;
};

bool ResultContains(int32_t code, bool inA, bool inB)
{
    switch (code) {
    case kFragmentUnion:
        return inA || inB;
    case kFragmentIntersection:
        return inA && inB;
    default:
        return inA && !inB;
    }
}

// Whether an edge lies on the result's outline: the result differs on its two sides. inA and inB
// describe one side; crossing the edge flips A's side when flipA and B's when flipB.
bool OnResultOutline(int32_t code, bool inA, bool inB, bool flipA, bool flipB)
{
    return ResultContains(code, inA, inB) != ResultContains(code, inA != flipA, inB != flipB);
}

// ---------------------------------------------------------------------------------------------
// Pieces: runs of anchors from one split point to the next.

enum PieceOwner : int8_t {
    kDropped = -1,
    kFromA = 0,
    kFromB = 1,
    kJoined = 2,
};

struct Piece {
    Ring anchors;
    int8_t owner = kFromA;
    int32_t ring = 0;  // the ring it was cut from, numbered over both operands
    // How many equal pieces of A and of B this one stands for (itself included); the others
    // were dropped in its favour.
    int32_t copiesOfA = 0;
    int32_t copiesOfB = 0;
    // Kept pieces equal to this one (copies of one ring, which stay apart) form a stack, linked
    // from its first piece in piece order.
    int64_t nextInStack = -1;
    bool stacked = false;  // not the first of its stack
    bool closed = false;

    bool Alive() const { return owner != kDropped; }
    bool EndsMeet() const { return SamePoint(anchors.front(), anchors.back()); }
};

// A ring without any split point gets one at its start.
void EnsureSplitPoint(Ring &ring, int16_t splitMark)
{
    if (std::any_of(ring.begin(), ring.end(), IsSplitPoint)) {
        return;
    }
    AnchorPoint &first = ring.front();
    if (SamePoint(first, ring.back())) {
        first.AnchorKind = static_cast<int16_t>(first.AnchorKind + splitMark);
    } else {
        ring.push_back(AnchorPoint{first.X, first.Y, static_cast<int16_t>(first.AnchorKind + splitMark)});
    }
}

void CutIntoPieces(Operand &operand, int8_t owner, int32_t &ringNumber, std::vector<Piece> &pieces)
{
    for (Ring &ring : operand.rings) {
        EnsureSplitPoint(ring, operand.splitMark);
        size_t n = ring.size();
        size_t start = static_cast<size_t>(std::find_if(ring.begin(), ring.end(), IsSplitPoint) - ring.begin());
        Piece piece{{ring[start]}, owner, ringNumber};
        for (size_t step = 1; step <= n; ++step) {
            const AnchorPoint &p = ring[(start + step) % n];
            piece.anchors.push_back(p);
            if (IsSplitPoint(p)) {
                pieces.push_back(std::move(piece));
                piece = Piece{{p}, owner, ringNumber};
            }
        }
        ++ringNumber;
    }
}

// The run with repeated consecutive points merged, keeping at least two anchors.
Ring WithoutRepeats(const Ring &run)
{
    Ring result;
    result.reserve(run.size());
    for (size_t k = 0; k < run.size(); ++k) {
        size_t remaining = result.size() + (run.size() - k);
        if (!result.empty() && SamePoint(run[k], result.back()) && remaining > 2) {
            continue;
        }
        result.push_back(run[k]);
    }
    return result;
}

bool RunsEqual(const Ring &first, const Ring &second)
{
    Ring p = WithoutRepeats(first);
    Ring q = WithoutRepeats(second);
    if (p.size() != q.size()) {
        return false;
    }
    return std::equal(p.begin(), p.end(), q.begin(), SamePoint) ||
           std::equal(p.begin(), p.end(), q.rbegin(), SamePoint);
}

struct EndPairHash {
    size_t operator()(const std::pair<uint64_t, uint64_t> &ends) const
    {
        return std::hash<uint64_t>()(ends.first * 0x9E3779B97F4A7C15ULL ^ ends.second);
    }
};

std::pair<uint64_t, uint64_t> EndPair(const Ring &run)
{
    uint64_t p = PointKey(run.front());
    uint64_t q = PointKey(run.back());
    return std::minmax(p, q);
}

// Of equal pieces of different rings only the first stays; it counts the copies each operand
// had. Pieces of one operand can coincide too (compound members sharing an edge); those of one
// ring are left alone, so that an open path stays a there-and-back outline. The equal pieces
// left are linked into stacks.
void MergeEqualPieces(std::vector<Piece> &pieces)
{
    std::unordered_map<std::pair<uint64_t, uint64_t>, std::vector<size_t>, EndPairHash> piecesByEnds;
    for (size_t j = 0; j < pieces.size(); ++j) {
        Piece &piece = pieces[j];
        (piece.owner == kFromA ? piece.copiesOfA : piece.copiesOfB) = 1;
        piecesByEnds[EndPair(piece.anchors)].push_back(j);
    }
    for (auto &[ends, group] : piecesByEnds) {
        for (size_t i = 0; i < group.size(); ++i) {
            Piece &kept = pieces[group[i]];
            for (size_t j = i + 1; j < group.size() && kept.Alive(); ++j) {
                Piece &other = pieces[group[j]];
                if (other.Alive() && other.ring != kept.ring && RunsEqual(kept.anchors, other.anchors)) {
                    kept.copiesOfA += other.copiesOfA;
                    kept.copiesOfB += other.copiesOfB;
                    other.owner = kDropped;
                }
            }
        }
        if (group.size() < 2) {
            continue;
        }
        std::vector<size_t> lastOfStack(group.size());
        for (size_t j = 0; j < group.size(); ++j) {
            lastOfStack[j] = j;
            Piece &piece = pieces[group[j]];
            for (size_t i = 0; i < j && piece.Alive(); ++i) {
                Piece &first = pieces[group[i]];
                if (first.Alive() && !first.stacked && RunsEqual(first.anchors, piece.anchors)) {
                    pieces[group[lastOfStack[i]]].nextInStack = static_cast<int64_t>(group[j]);
                    lastOfStack[i] = j;
                    piece.stacked = true;
                    break;
                }
            }
        }
    }
}

// The midpoint of the piece's first segment of non-zero length; none when all anchors coincide.
std::optional<DoubledPoint> ProbePoint(const Ring &run)
{
    for (size_t k = 0; k + 1 < run.size(); ++k) {
        if (!SamePoint(run[k], run[k + 1])) {
            return DoubledPoint{int64_t{run[k].X} + run[k + 1].X, int64_t{run[k].Y} + run[k + 1].Y};
        }
    }
    return std::nullopt;
}

// Keeps the pieces that lie on the result's outline. The pieces of a stack are taken as lying
// side by side, an infinitely small distance apart: the sides of the operands are found beside
// the first, and each piece is kept when the result differs on its two sides. So the number kept
// is odd exactly where the whole stack bounds the result, whichever operand its copies are of.
void CullPieces(std::vector<Piece> &pieces, int32_t code, const InsideTester &insideA, const InsideTester &insideB)
{
    for (Piece &first : pieces) {
        if (!first.Alive() || first.stacked) {
            continue;
        }
        std::optional<DoubledPoint> probe = ProbePoint(first.anchors);
        bool flipsA = false;  // whether some piece of the stack flips A's side; likewise B's
        bool flipsB = false;
        for (Piece *piece = &first;; piece = &pieces[static_cast<size_t>(piece->nextInStack)]) {
            flipsA = flipsA || piece->copiesOfA % 2 != 0;
            flipsB = flipsB || piece->copiesOfB % 2 != 0;
            if (piece->nextInStack < 0) {
                break;
            }
        }
        // An operand's side matters only where the other one flips.
        bool inA = probe && flipsB && insideA.Contains(*probe);
        bool inB = probe && flipsA && insideB.Contains(*probe);
        for (Piece *piece = &first;; piece = &pieces[static_cast<size_t>(piece->nextInStack)]) {
            // Crossing the piece flips an operand's inside when it has an odd number of copies
            // there (even-odd fill).
            bool flipA = piece->copiesOfA % 2 != 0;
            bool flipB = piece->copiesOfB % 2 != 0;
            if (!probe || !OnResultOutline(code, inA, inB, flipA, flipB)) {
                piece->owner = kDropped;
            }
            inA = inA != flipA;
            inB = inB != flipB;
            if (piece->nextInStack < 0) {
                break;
            }
        }
    }
}

// Drops each piece of which exactly one end meets another kept piece (drops take effect at once).
void DropLooseEnds(std::vector<Piece> &pieces)
{
    std::unordered_map<uint64_t, int32_t> endCount;
    for (const Piece &piece : pieces) {
        if (piece.Alive()) {
            ++endCount[PointKey(piece.anchors.front())];
            ++endCount[PointKey(piece.anchors.back())];
        }
    }
    for (Piece &piece : pieces) {
        if (!piece.Alive() || piece.EndsMeet()) {
            continue;
        }
        int32_t &first = endCount[PointKey(piece.anchors.front())];
        int32_t &last = endCount[PointKey(piece.anchors.back())];
        bool firstMeets = first > 1;  // the piece itself counts once at each end
        bool lastMeets = last > 1;
        if (firstMeets != lastMeets) {
            piece.owner = kDropped;
            --first;
            --last;
        }
    }
}

enum class JoinWay { kNone, kForward, kReversed };

// How q joins onto the end of p; a reversed join wins when both of q's ends fit.
JoinWay JoinDirection(const Ring &p, const Ring &q)
{
    if (SamePoint(p.back(), q.back())) {
        return JoinWay::kReversed;
    }
    return SamePoint(p.back(), q.front()) ? JoinWay::kForward : JoinWay::kNone;
}

// Whether an interior anchor of the joined run would lie on the run's first or last anchor.
bool JoinPassesOwnEnds(const Ring &p, const Ring &q, JoinWay way)
{
    const AnchorPoint &first = p.front();
    const AnchorPoint &last = way == JoinWay::kForward ? q.back() : q.front();
    if (p.size() + q.size() - 1 <= 2) {
        return false;
    }
    auto onEnd = [&](const AnchorPoint &x) { return SamePoint(x, first) || SamePoint(x, last); };
    return std::any_of(p.begin() + 1, p.end(), onEnd) || std::any_of(q.begin() + 1, q.end() - 1, onEnd);
}

void AppendJoined(Ring &p, const Ring &q, JoinWay way)
{
    p.back().AnchorKind = WithoutSplitMark(p.back().AnchorKind);
    size_t interiorEnd = p.size() + q.size() - 2;  // index of the joined run's last anchor
    if (way == JoinWay::kForward) {
        p.insert(p.end(), q.begin() + 1, q.end());
    } else {
        p.insert(p.end(), q.rbegin() + 1, q.rend());
    }
    for (size_t k = p.size() - (q.size() - 1); k < interiorEnd; ++k) {
        p[k].AnchorKind = WithoutSplitMark(p[k].AnchorKind);
    }
}

std::optional<Ring> JoinRuns(const Ring &p, const Ring &q)
{
    if (p.empty() || q.empty()) {
        return std::nullopt;
    }
    JoinWay way = JoinDirection(p, q);
    if (way == JoinWay::kNone || JoinPassesOwnEnds(p, q, way)) {
        return std::nullopt;
    }
    Ring joined = p;
    AppendJoined(joined, q, way);
    return joined;
}

// Direction from p to q.
struct Step {
    int64_t x;
    int64_t y;
};

Step StepBetween(const AnchorPoint &p, const AnchorPoint &q)
{
    return Step{int64_t{q.X} - p.X, int64_t{q.Y} - p.Y};
}

int64_t Cross(const Step &u, const Step &v)
{
    return u.x * v.y - u.y * v.x;
}

// Where u lies turning from reference in one rotational sense: 0 within the first half turn, 1
// exactly opposite, 2 within the second half turn, 3 in the same direction (the last: going
// back along itself).
int TurnClass(const Step &reference, const Step &u)
{
    int64_t cross = Cross(reference, u);
    if (cross != 0) {
        return cross < 0 ? 0 : 2;
    }
    return reference.x * u.x + reference.y * u.y < 0 ? 1 : 3;
}

// Whether u comes strictly before v turning from reference. Exact: coordinates are clamped so
// that every product fits in 64 bits.
bool TurnsEarlier(const Step &reference, const Step &u, const Step &v)
{
    int cu = TurnClass(reference, u);
    int cv = TurnClass(reference, v);
    if (cu != cv) {
        return cu < cv;
    }
    return (cu == 0 || cu == 2) && Cross(u, v) < 0;
}

// Joins kept pieces end to end into closed outlines. Where more than two piece ends meet at one
// point, the outline arriving there leaves by the next free piece turning from its arrival in one
// fixed rotational sense, so that outlines touching at the point never cross there. An outline
// that comes back to a point it passed through is cut there into a separate closed outline, so
// that no outline passes through a meeting point twice.
class PieceChainer {
public:
    explicit PieceChainer(std::vector<Piece> &pieces) : pieces_(pieces)
    {
        for (size_t i = 0; i < pieces_.size(); ++i) {
            if (Joinable(i)) {
                ends_[PointKey(pieces_[i].anchors.front())].push_back(i);
                ends_[PointKey(pieces_[i].anchors.back())].push_back(i);
            }
        }
    }

    void Run()
    {
        for (size_t q = 0; q < pieces_.size(); ++q) {
            if (Joinable(q)) {
                Walk(q);
            }
        }
        for (Ring &loop : loops_) {
            Piece piece{std::move(loop), kJoined};
            piece.closed = true;
            pieces_.push_back(std::move(piece));
        }
    }

private:
    // A piece whose ends meet is closed on its own; it joins nothing.
    bool Joinable(size_t i) const
    {
        const Piece &piece = pieces_[i];
        return piece.Alive() && !piece.closed && !piece.EndsMeet();
    }

    struct Joint {
        uint64_t key;
        size_t index;     // where in the run the outline passes the point
        int64_t earlier;  // the run's earlier joint at the same point (-1: none)
    };

    // Extends piece q at its end until it closes, each join using up one piece, or until no
    // piece continues it.
    void Walk(size_t q)
    {
        Ring &run = pieces_[q].anchors;
        std::unordered_map<uint64_t, size_t> jointAt{{PointKey(run.front()), 0}};
        std::vector<Joint> joints;
        for (;;) {
            uint64_t key = PointKey(run.back());
            auto seen = jointAt.find(key);
            if (seen != jointAt.end() && seen->second > 0) {
                CutLoop(run, seen->second, jointAt, joints);
            }
            std::optional<std::pair<size_t, JoinWay>> next = NextPiece(q, run);
            if (!next) {
                break;
            }
            auto [r, way] = *next;
            if (r == q) {  // back at the start
                pieces_[q].closed = true;
                run.pop_back();
                break;
            }
            auto earlier = jointAt.find(key);
            joints.push_back(Joint{key, run.size() - 1, earlier == jointAt.end() ? -1 : int64_t(earlier->second)});
            jointAt[key] = run.size() - 1;
            AppendJoined(run, pieces_[r].anchors, way);
            pieces_[q].owner = kJoined;
            pieces_[r].owner = kDropped;
        }
        if (!pieces_[q].closed) {
            ends_[PointKey(run.back())].push_back(q);  // a later outline may still end here
        }
    }

    // Takes the part of the run from anchor k (the same point as its last anchor) to its end out
    // as a closed outline.
    void CutLoop(Ring &run, size_t k, std::unordered_map<uint64_t, size_t> &jointAt, std::vector<Joint> &joints)
    {
        Ring loop(run.begin() + static_cast<std::ptrdiff_t>(k), run.end() - 1);
        loop.front().AnchorKind = WithoutSplitMark(loop.front().AnchorKind);
        loops_.push_back(std::move(loop));
        run.resize(k + 1);
        while (!joints.empty() && joints.back().index >= k) {
            const Joint &joint = joints.back();
            if (joint.earlier < 0) {
                jointAt.erase(joint.key);
            } else {
                jointAt[joint.key] = static_cast<size_t>(joint.earlier);
            }
            joints.pop_back();
        }
    }

    // The piece that continues the run of q at its last anchor (q itself when the run closes
    // there), with the way it joins.
    std::optional<std::pair<size_t, JoinWay>> NextPiece(size_t q, const Ring &run)
    {
        const AnchorPoint &end = run.back();
        std::optional<Step> arrival;
        for (size_t k = run.size() - 1; k-- > 0;) {
            if (!SamePoint(run[k], end)) {
                arrival = StepBetween(end, run[k]);
                break;
            }
        }
        std::optional<std::pair<size_t, JoinWay>> chosen;
        Step chosenStep{0, 0};
        auto consider = [&](size_t r, JoinWay way, const Ring &anchors) {
            std::optional<Step> departure = FirstStep(anchors, way == JoinWay::kForward);
            if (!departure) {
                return;
            }
            if (!chosen || (arrival && TurnsEarlier(*arrival, *departure, chosenStep))) {
                chosen = std::make_pair(r, way);
                chosenStep = *departure;
            }
        };
        if (SamePoint(run.front(), end)) {
            consider(q, JoinWay::kForward, run);
        }
        std::vector<size_t> &candidates = ends_[PointKey(end)];
        std::sort(candidates.begin(), candidates.end());
        candidates.erase(std::unique(candidates.begin(), candidates.end()), candidates.end());
        for (size_t r : candidates) {
            const Piece &other = pieces_[r];
            if (r == q || !other.Alive() || other.closed) {
                continue;
            }
            JoinWay way = JoinDirection(run, other.anchors);
            if (way != JoinWay::kNone) {
                consider(r, way, other.anchors);
            }
        }
        return chosen;
    }

    // The direction in which a run leaves its first anchor (forward) or its last (backward).
    static std::optional<Step> FirstStep(const Ring &anchors, bool forward)
    {
        size_t n = anchors.size();
        const AnchorPoint &from = forward ? anchors.front() : anchors.back();
        for (size_t k = 1; k < n; ++k) {
            const AnchorPoint &p = forward ? anchors[k] : anchors[n - 1 - k];
            if (!SamePoint(p, from)) {
                return StepBetween(from, p);
            }
        }
        return std::nullopt;
    }

    std::vector<Piece> &pieces_;
    std::unordered_map<uint64_t, std::vector<size_t>> ends_;
    std::vector<Ring> loops_;
};

// Open pieces left after chaining: short ones are dropped, those whose ends meet are closed.
void SettleOpenPieces(std::vector<Piece> &pieces)
{
    for (Piece &piece : pieces) {
        if (!piece.Alive() || piece.closed) {
            continue;
        }
        if (piece.anchors.size() <= 2) {
            piece.owner = kDropped;
        } else if (piece.EndsMeet()) {
            piece.closed = true;
            piece.anchors.pop_back();
        }
    }
}

// ---------------------------------------------------------------------------------------------
// Results.

// A lone result path is no compound member, but keeps the id it came with (so a released
// compound it belonged to can still be made again).
void SettleLoneResult(PathCollection &result, int32_t ownCompoundId)
{
    if (result.PathCount() == 1) {
        PathRecord &path = result.Paths[1];
        path.blCompound = false;
        path.CompoundID = ownCompoundId;
    }
}

// No outline meets the other operand: every path is kept or dropped whole, by whether it lies
// inside the other operand.
PathCollection CombineWithoutCrossings(const PathCollection &a, const PathCollection &b, const InsideTester &insideA,
                                       const InsideTester &insideB, int32_t code, int32_t compoundId)
{
    PathCollection result;
    std::vector<int32_t> ownIds;
    auto take = [&](const PathCollection &operand, bool fromA, const InsideTester &other) {
        for (int32_t i = 1; i <= operand.PathCount(); ++i) {
            const PathRecord &path = operand.Paths[static_cast<size_t>(i)];
            if (!IsUsable(path)) {
                continue;
            }
            bool inside = other.Contains(Doubled(Clamped(path.Anchors[0])));
            bool onOutline = fromA ? OnResultOutline(code, false, inside, true, false)
                                   : OnResultOutline(code, inside, false, false, true);
            if (!onOutline) {
                continue;
            }
            PathRecord copy = path;
            copy.blSelected = true;
            if (code != kFragmentUnion && code != kFragmentIntersection) {
                copy.CompoundID = compoundId;
                copy.blCompound = true;
            }
            result.Paths.push_back(std::move(copy));
            ownIds.push_back(path.CompoundID);
        }
    };
    take(a, true, insideB);
    take(b, false, insideA);
    if (result.PathCount() == 1) {
        SettleLoneResult(result, ownIds.front());
    }
    return result;
}

int32_t ResultCompoundId(const PathRecord &firstOfA, const PathRecord &firstOfB, int32_t compoundId)
{
    if (firstOfA.blCompound) {
        return firstOfA.CompoundID;
    }
    return firstOfB.blCompound ? firstOfB.CompoundID : compoundId;
}

PathCollection OutlinesFromPieces(std::vector<Piece> &pieces, const PathCollection &a, const PathCollection &b,
                                  int32_t compoundId)
{
    PathRecord outline = a.Paths[1];
    outline.blClosed = true;
    outline.blSelected = true;
    int32_t id = ResultCompoundId(a.Paths[1], b.Paths[1], compoundId);
    if (id > 0) {
        outline.CompoundID = id;
        outline.blCompound = true;
    }
    PathCollection result;
    for (Piece &piece : pieces) {
        if (!piece.Alive()) {
            continue;
        }
        for (AnchorPoint &p : piece.anchors) {
            p.AnchorKind = WithoutSplitMark(p.AnchorKind);
        }
        PathRecord path = outline;
        path.Anchors = std::move(piece.anchors);
        path.blClosed = piece.closed;
        OptimizePath(path, 1.0f, 1.0f);
        if (path.AnchorMax() > 1) {
            path.blClosed = true;
            result.Paths.push_back(std::move(path));
        }
    }
    SettleLoneResult(result, a.Paths[1].CompoundID);
    return result;
}

}  // namespace

PathCollection FragmentPaths(const PathCollection &a, const PathCollection &b, int32_t code, int32_t compoundId)
{
    if (a.PathCount() == 0 || b.PathCount() == 0) {
        return PathCollection();
    }
    Operand workA = MakeOperand(a, kSplitOfA);
    Operand workB = MakeOperand(b, kSplitOfB);
    if (Overlap(workA.Extent(), workB.Extent()).Empty()) {
        // Apart: nothing meets and nothing lies inside the other.
        return CombineWithoutCrossings(a, b, InsideTester(Operand()), InsideTester(Operand()), code, compoundId);
    }
    bool crossed = InsertCrossings(workA, workB) > 0;
    InsideTester insideA(workA);
    InsideTester insideB(workB);
    if (!crossed) {
        return CombineWithoutCrossings(a, b, insideA, insideB, code, compoundId);
    }
    std::vector<Piece> pieces;
    int32_t ringNumber = 0;
    CutIntoPieces(workA, kFromA, ringNumber, pieces);
    CutIntoPieces(workB, kFromB, ringNumber, pieces);
    MergeEqualPieces(pieces);
    CullPieces(pieces, code, insideA, insideB);
    DropLooseEnds(pieces);
    PieceChainer(pieces).Run();
    SettleOpenPieces(pieces);
    return OutlinesFromPieces(pieces, a, b, compoundId);
}

bool PathsEqual(const PathRecord &first, const PathRecord &second)
{
    return RunsEqual(first.Anchors.ToVector(), second.Anchors.ToVector());
}

PathRecord JoinPieces(const PathRecord &p, const PathRecord &q)
{
    PathRecord joined = p;
    std::optional<Ring> run = JoinRuns(p.Anchors.ToVector(), q.Anchors.ToVector());
    joined.Anchors = run ? AnchorArray(*run) : AnchorArray();
    return joined;
}

}  // namespace core
