// A style group's paths kept compactly: for each path the calls that made it, and its points as
// 16- or 32-bit integers when every point of the group is one, else as doubles; the paths of a
// large group are kept as they were made. Line outlines are kept the same way with their points
// rounded to floats. Internal to the player.
#pragma once

#include <QPainterPath>
#include <QPointF>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

namespace platform::swf {

// A copy of a shared path to draw or stroke: it shares the path's elements but not its header, so
// the painter's vector form of the path (about 3 KB however short the path is) is made for this
// drawing and freed with the copy instead of being kept with the movie, and threads drawing the
// same path at once never write to it.
QPainterPath CopyToDraw(const QPainterPath &path);

// Groups whose paths hold this many elements together are kept as made: making them again for
// each drawing would cost as much memory again for every thread drawing them.
constexpr int64_t kWholeGroupElements = 1 << 14;

// The paths of a group as the calls that made them: a move, a line, a quadratic curve (its
// control and end point, where a QPainterPath keeps three cubic elements), a cubic curve, a
// close. Making a path again replays the calls with the same points in double, so it is element
// for element the one made first (or, with points rounded to floats, the one those points make).
// Copies share their allocations.
class CompactPaths {
public:
    // How points are kept: exactly, in the narrowest form that does (a large group's paths as
    // made), or rounded to floats (never as made).
    enum class Points : uint8_t { Exact, Float };

    // Records paths one after another, as they are made.
    class Builder {
    public:
        // Forgets the paths recorded (keeping the room they took).
        void Clear();
        // Lets go of the room a large group took.
        void Trim();
        // Starts the next path.
        void Begin();
        void MoveTo(const QPointF &point);
        void LineTo(const QPointF &point);
        void QuadTo(const QPointF &control, const QPointF &to);
        void CubicTo(const QPointF &control1, const QPointF &control2, const QPointF &to);
        void Close();
        // Ends the path begun last with what its calls made.
        void End(const QPainterPath &made);
        // The next path is path index again (kept once).
        void Repeat(size_t index);
        // Records path as the next path: its elements as moves, lines and cubic curves.
        void Record(const QPainterPath &path);
        // Whether the paths recorded make a large group, kept as made.
        bool Whole() const { return elements_ >= kWholeGroupElements; }
        // The paths recorded, in their narrowest form, or (in a large group) as made: made[i] is
        // the path path i's calls made. With Points::Float their points are rounded to floats
        // and made is not used.
        CompactPaths Finish(const std::vector<const QPainterPath *> &made, Points points = Points::Exact) const;

    private:
        friend class CompactPaths;
        struct Span {
            uint32_t kinds = 0;  // its calls: [kinds, kindsEnd) of all the calls
            uint32_t kindsEnd = 0;
            uint32_t points = 0;  // its first point
            uint32_t source = 0;  // the path whose calls these are (itself unless repeated)
            uint8_t flags = 0;
        };
        std::vector<Span> spans_;
        std::vector<uint8_t> kinds_;
        std::vector<QPointF> points_;
        int64_t elements_ = 0;
    };

    // A new path, as the paths of styles without edges are.
    static const QPainterPath &EmptyPath();

    size_t size() const { return count_; }
    // Whether path index is empty as its QPainterPath tells.
    bool IsEmpty(size_t index) const;
    // The path whose calls path index replays: itself, or the one it repeats.
    size_t Source(size_t index) const;
    // Makes path index into path (cleared first, so that its allocation is used again) and
    // returns it, or returns the path kept as made.
    const QPainterPath &Make(size_t index, QPainterPath &path) const;
    // Makes path what it makes recorded and kept with Points::Float: its points rounded to floats
    // where they lie, unless that brings points together (which making it again drops).
    static void RoundToFloats(QPainterPath &path);
    // The bytes held (shared by copies), counts included.
    size_t HeldBytes() const;

private:
    friend class PathsMade;
    using Span = Builder::Span;
    Span SpanAt(size_t index) const;

    std::shared_ptr<const std::byte[]> data_;  // the spans, then the points, then the kinds
    std::shared_ptr<const std::vector<QPainterPath>> whole_;  // the paths as made, in a large group
    uint32_t count_ = 0;
    uint32_t pointsAt_ = 0;  // byte offsets in data_
    uint32_t kindsAt_ = 0;
    uint32_t bytes_ = 0;
    uint8_t coordinateBytes_ = 0;  // 2, 4 or 8 (a double)
    bool floats_ = false;          // the 4 bytes are a float
};

// Paths made from compact ones to be drawn, each made once while its group is drawn (a line on
// its fill's path takes the path made for the fill), into room kept from group to group.
class PathsMade {
public:
    // Path index of paths: made the first time it is asked for since other paths were asked for.
    // Valid until then.
    const QPainterPath &Of(const CompactPaths &paths, size_t index);

private:
    // Of the paths made: held, so that no other paths' data can come to lie at its address and
    // be taken for it while the room keeps its paths.
    std::shared_ptr<const std::byte[]> data_;
    std::vector<QPainterPath> room_;
    std::vector<const QPainterPath *> made_;
};

}  // namespace platform::swf
