// Drawn groups: a style group's edges chained into one even-odd path per fill style and one path
// per line style, and morph shapes blended at a ratio.
#include "platform/player/swf_drawn_group.h"

#include "platform/base/memory_limit.h"
#include "platform/player/swf_movie.h"
#include "platform/player/swf_path_pieces.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <functional>
#include <limits>
#include <optional>
#include <unordered_map>

namespace platform::swf {

namespace {

// ---- Paths ----

struct Segment {
    QPointF from;
    QPointF control;
    QPointF to;
    bool curved = false;

    Segment Reversed() const { return {to, control, from, curved}; }
};
using Contour = std::vector<Segment>;

// Makes a path and records its calls, so that it can be made again from the record.
struct PathMaker {
    QPainterPath &path;
    CompactPaths::Builder &record;

    void MoveTo(const QPointF &point)
    {
        path.moveTo(point);
        record.MoveTo(point);
    }
    void LineTo(const QPointF &point)
    {
        path.lineTo(point);
        record.LineTo(point);
    }
    void QuadTo(const QPointF &control, const QPointF &to)
    {
        path.quadTo(control, to);
        record.QuadTo(control, to);
    }
    void Close()
    {
        path.closeSubpath();
        record.Close();
    }
};

// A path cannot tell that its elements could not be allocated (Qt goes on with a null pointer):
// the room the path of these edges can take is asked for first, which throws std::bad_alloc.
// Each edge makes a line's element or a curve's three, and at most a move and a closing; the
// list holding them may be twice as long as it is full.
void CheckRoomForPath(const std::vector<Edge> &edges, const std::vector<size_t> &indexes)
{
    size_t elements = 1;
    for (const size_t i : indexes) {
        elements += edges[i].curved ? 5 : 3;
    }
    CheckRoomFor(2 * elements * sizeof(QPainterPath::Element));
}

void AddContour(PathMaker &path, const Contour &contour, bool close)
{
    path.MoveTo(contour.front().from);
    for (const Segment &segment : contour) {
        if (segment.curved) {
            path.QuadTo(segment.control, segment.to);
        } else {
            path.LineTo(segment.to);
        }
    }
    if (close) {
        path.Close();
    }
}

struct PointKey {
    double x;
    double y;
    bool operator==(const PointKey &) const = default;
};

struct PointKeyHash {
    size_t operator()(const PointKey &key) const
    {
        uint64_t a;
        uint64_t b;
        std::memcpy(&a, &key.x, sizeof a);
        std::memcpy(&b, &key.y, sizeof b);
        return std::hash<uint64_t>()(a * 0x9E3779B97F4A7C15ull ^ b);
    }
};

// Joins open fragments end to end (turning them round where needed) into as few contours as
// possible. Each fragment end is indexed once and taken once, so this stays linear.
std::vector<Contour> JoinFragments(std::vector<Contour> fragments)
{
    std::unordered_map<PointKey, std::vector<size_t>, PointKeyHash> ends;
    for (size_t i = 0; i < fragments.size(); ++i) {
        ends[{fragments[i].front().from.x(), fragments[i].front().from.y()}].push_back(i);
        ends[{fragments[i].back().to.x(), fragments[i].back().to.y()}].push_back(i);
    }
    std::vector<bool> used(fragments.size(), false);
    auto takeAt = [&](const QPointF &point) -> std::optional<size_t> {
        auto found = ends.find({point.x(), point.y()});
        if (found == ends.end()) {
            return std::nullopt;
        }
        std::vector<size_t> &candidates = found->second;
        while (!candidates.empty() && used[candidates.back()]) {
            candidates.pop_back();
        }
        if (candidates.empty()) {
            return std::nullopt;
        }
        return candidates.back();
    };

    std::vector<Contour> joined;
    for (size_t i = 0; i < fragments.size(); ++i) {
        if (used[i]) {
            continue;
        }
        used[i] = true;
        Contour contour = std::move(fragments[i]);
        while (contour.back().to != contour.front().from) {
            std::optional<size_t> next = takeAt(contour.back().to);
            if (!next) {
                break;
            }
            used[*next] = true;
            Contour &piece = fragments[*next];
            if (piece.front().from != contour.back().to) {
                std::reverse(piece.begin(), piece.end());
                for (Segment &segment : piece) {
                    segment = segment.Reversed();
                }
            }
            contour.insert(contour.end(), piece.begin(), piece.end());
        }
        joined.push_back(std::move(contour));
    }
    return joined;
}

Segment SegmentOf(const Edge &edge)
{
    return {edge.from, edge.control, edge.to, edge.curved};
}

// The elements of the edges' path in record order: a move wherever they do not meet, one element
// per straight edge, three per curve (Qt keeps a quadratic curve as a cubic one). Exact for a fill
// whose contours close in record order; one joined from open pieces may need a closing line more.
int PathElements(const std::vector<Edge> &edges, const std::vector<size_t> &indexes)
{
    int64_t count = 0;
    const QPointF *pen = nullptr;
    for (size_t index : indexes) {
        const Edge &edge = edges[index];
        count += (pen == nullptr || *pen != edge.from ? 1 : 0) + (edge.curved ? 3 : 1);
        pen = &edge.to;
    }
    return static_cast<int>(std::min<int64_t>(count, std::numeric_limits<int>::max()));
}

// The fill of one style: its edges chained into contours, filled even-odd. inRecordOrder tells
// whether every contour closed as its edges came, so that the path holds them in record order.
void BuildFillPath(const std::vector<Edge> &edges, const std::vector<size_t> &indexes, bool &inRecordOrder,
                   PathMaker path)
{
    path.path.setFillRule(Qt::OddEvenFill);
    path.path.reserve(PathElements(edges, indexes));
    std::vector<Contour> open;
    Contour current;
    auto flush = [&]() {
        if (current.empty()) {
            return;
        }
        if (current.front().from == current.back().to) {
            AddContour(path, current, true);
        } else {
            open.push_back(std::move(current));
        }
        current.clear();
    };
    for (size_t index : indexes) {
        Segment segment = SegmentOf(edges[index]);
        if (!current.empty() && current.back().to != segment.from) {
            flush();
        }
        current.push_back(segment);
    }
    flush();
    inRecordOrder = open.empty();
    for (const Contour &contour : JoinFragments(std::move(open))) {
        AddContour(path, contour, true);
    }
}

// A run of a line whose edges all stay on one point stands for the dot its round caps make: it
// is drawn as a line this long (twips), which the stroke turns into that dot.
constexpr double kDotLength = 1.0 / 32;

// The stroke of one line style: its edges in record order, a move wherever they do not meet.
void BuildLinePath(const std::vector<Edge> &edges, const std::vector<size_t> &indexes, PathMaker path)
{
    path.path.reserve(PathElements(edges, indexes));
    bool started = false;
    bool moved = false;  // whether the run since the last move leaves its first point
    QPointF pen;
    auto endRun = [&] {
        if (started && !moved) {
            path.LineTo(pen + QPointF(kDotLength, 0));
        }
    };
    for (size_t index : indexes) {
        const Edge &edge = edges[index];
        if (!started || pen != edge.from) {
            endRun();
            path.MoveTo(edge.from);
            started = true;
            moved = false;
        }
        if (edge.curved) {
            path.QuadTo(edge.control, edge.to);
        } else {
            path.LineTo(edge.to);
        }
        moved = moved || edge.to != edge.from || (edge.curved && edge.control != edge.from);
        pen = edge.to;
    }
    endRun();
}

// The bounds of a group's made paths (the fills', then the lines').
QRectF GroupBounds(const std::vector<const QPainterPath *> &made, const std::vector<LineStyle> &lines)
{
    QRectF bounds;
    const size_t fills = made.size() - lines.size();
    for (size_t i = 0; i < fills; ++i) {
        bounds |= made[i]->controlPointRect();
    }
    for (size_t i = 0; i < lines.size(); ++i) {
        double half = lines[i].width / 2;
        bounds |= made[fills + i]->controlPointRect().adjusted(-half, -half, half, half);
    }
    return bounds;
}

// What building groups on one thread uses again from group to group: the paths made (fills',
// then lines') and their record.
struct BuildScratch {
    std::vector<QPainterPath> paths;
    std::vector<const QPainterPath *> made;
    CompactPaths::Builder record;

    void Start(size_t count)
    {
        if (paths.size() < count) {
            paths.resize(count);
        }
        made.assign(count, nullptr);
        record.Clear();
    }
    // Lets go of what a large group left, so that a thread keeps little between groups.
    void Finish()
    {
        constexpr size_t kKeptPaths = 64;
        constexpr int kKeptElements = 1024;
        if (paths.size() > kKeptPaths) {
            paths.resize(kKeptPaths);
        }
        for (QPainterPath &path : paths) {
            if (path.capacity() > kKeptElements) {
                path = QPainterPath();
            }
        }
        if (made.capacity() > kKeptPaths) {
            made = {};
        }
        record.Trim();
    }
};

BuildScratch &ThreadBuildScratch()
{
    thread_local BuildScratch scratch;
    return scratch;
}

bool ValidStyle(int32_t index, size_t count)
{
    return index >= 1 && static_cast<size_t>(index) <= count;
}

// ---- Morph interpolation ----

double Mix(double a, double b, double t)
{
    return a + (b - a) * t;
}

QPointF Mix(const QPointF &a, const QPointF &b, double t)
{
    return {Mix(a.x(), b.x(), t), Mix(a.y(), b.y(), t)};
}

QRgb Mix(QRgb a, QRgb b, double t)
{
    auto channel = [t](int x, int y) { return static_cast<int>(std::lround(Mix(double(x), double(y), t))); };
    return qRgba(channel(qRed(a), qRed(b)), channel(qGreen(a), qGreen(b)), channel(qBlue(a), qBlue(b)),
                 channel(qAlpha(a), qAlpha(b)));
}

QTransform Mix(const QTransform &a, const QTransform &b, double t)
{
    return QTransform(Mix(a.m11(), b.m11(), t), Mix(a.m12(), b.m12(), t), Mix(a.m21(), b.m21(), t),
                      Mix(a.m22(), b.m22(), t), Mix(a.dx(), b.dx(), t), Mix(a.dy(), b.dy(), t));
}

FillStyle Mix(const FillStyle &a, const FillStyle &b, double t)
{
    FillStyle result = a;
    result.color = Mix(a.color, b.color, t);
    result.matrix = Mix(a.matrix, b.matrix, t);
    for (size_t i = 0; i < result.stops.size() && i < b.stops.size(); ++i) {
        result.stops[i].ratio = Mix(a.stops[i].ratio, b.stops[i].ratio, t);
        result.stops[i].color = Mix(a.stops[i].color, b.stops[i].color, t);
    }
    return result;
}

// A straight edge as a curve with its control point midway, so it can blend with a curve.
Edge AsCurve(Edge edge)
{
    if (!edge.curved) {
        edge.control = (edge.from + edge.to) / 2;
        edge.curved = true;
    }
    return edge;
}

Edge Mix(const Edge &a, const Edge &b, double t)
{
    Edge first = a.curved == b.curved ? a : AsCurve(a);
    Edge second = a.curved == b.curved ? b : AsCurve(b);
    Edge result = first;
    result.from = Mix(first.from, second.from, t);
    result.control = Mix(first.control, second.control, t);
    result.to = Mix(first.to, second.to, t);
    return result;
}

}  // namespace

DrawnGroup BuildDrawnGroup(StyleGroup group, std::vector<QPainterPath> *made)
{
    DrawnGroup drawn;
    drawn.fills = std::move(group.fills);
    drawn.lines = std::move(group.lines);
    std::vector<std::vector<size_t>> byFill(drawn.fills.size());
    std::vector<std::vector<size_t>> byLine(drawn.lines.size());
    for (size_t i = 0; i < group.edges.size(); ++i) {
        const Edge &edge = group.edges[i];
        // An edge with the same fill on both sides lies inside that fill and bounds nothing.
        if (edge.fill0 != edge.fill1) {
            if (ValidStyle(edge.fill0, byFill.size())) {
                byFill[edge.fill0 - 1].push_back(i);
            }
            if (ValidStyle(edge.fill1, byFill.size())) {
                byFill[edge.fill1 - 1].push_back(i);
            }
        }
        if (ValidStyle(edge.line, byLine.size())) {
            byLine[edge.line - 1].push_back(i);
        }
    }
    // The paths are made here to find the group's bounds and long fills, and kept as their record.
    BuildScratch &scratch = ThreadBuildScratch();
    const size_t count = byFill.size() + byLine.size();
    scratch.Start(count);
    std::vector<const QPainterPath *> &madePaths = scratch.made;
    CompactPaths::Builder &record = scratch.record;
    std::vector<bool> fillInRecordOrder(byFill.size(), false);
    // Makes path index with build, or leaves it empty (as a new path) when it has no edges.
    auto make = [&](size_t index, const std::vector<size_t> &edges, const auto &build) {
        record.Begin();
        if (edges.empty()) {
            madePaths[index] = &CompactPaths::EmptyPath();
        } else {
            CheckRoomForPath(group.edges, edges);
            QPainterPath &path = scratch.paths[index];
            path.clear();
            path.setFillRule(Qt::OddEvenFill);  // that of a new path
            build(PathMaker{path, record});
            madePaths[index] = &path;
        }
        record.End(*madePaths[index]);
    };
    for (size_t s = 0; s < byFill.size(); ++s) {
        make(s, byFill[s], [&](PathMaker path) {
            bool inRecordOrder = false;
            BuildFillPath(group.edges, byFill[s], inRecordOrder, path);
            fillInRecordOrder[s] = inRecordOrder;
        });
    }
    // A line along exactly the edges of a fill whose contours all close in record order is that
    // fill's path without its closings; closing changes nothing drawn, as a subpath ending at its
    // start is stroked as closed. It keeps the fill's path: its record is kept once, and a large
    // group's made path with what the painter derives from it.
    auto sameEdgesFill = [&](const std::vector<size_t> &lineEdges) -> std::optional<size_t> {
        const Edge &first = group.edges[lineEdges.front()];
        for (int32_t fill : {first.fill0, first.fill1}) {
            if (ValidStyle(fill, byFill.size()) && fillInRecordOrder[fill - 1] && byFill[fill - 1] == lineEdges) {
                return static_cast<size_t>(fill - 1);
            }
        }
        return std::nullopt;
    };
    for (size_t s = 0; s < byLine.size(); ++s) {
        const size_t index = byFill.size() + s;
        const std::optional<size_t> fill = byLine[s].empty() ? std::nullopt : sameEdgesFill(byLine[s]);
        if (fill) {
            madePaths[index] = madePaths[*fill];
            record.Repeat(*fill);
        } else {
            make(index, byLine[s], [&](PathMaker path) { BuildLinePath(group.edges, byLine[s], path); });
        }
    }
    drawn.paths = record.Finish(madePaths);
    drawn.outlines = std::make_shared<OutlineCache>();
    drawn.bounds = GroupBounds(madePaths, drawn.lines);
    // Long fills are in large groups only, whose paths are kept as made and shared with the pieces.
    static_assert(kWholeGroupElements <= kPiecewiseElements);
    if (record.Whole()) {
        std::vector<QPainterPath> fills;
        for (size_t s = 0; s < byFill.size(); ++s) {
            fills.push_back(*madePaths[s]);
        }
        drawn.pieces = BuildGroupPieces(fills);
    }
    if (made != nullptr) {
        made->clear();
        for (const QPainterPath *path : madePaths) {
            made->push_back(*path);
        }
    }
    scratch.Finish();
    return drawn;
}

GroupPtr MorphCharacter::AtRatio(uint16_t ratio) const
{
    if (cachedRatio == ratio) {
        return cached;
    }
    const double t = ratio / 65535.0;
    StyleGroup blend;
    blend.fills.reserve(start.fills.size());
    for (size_t i = 0; i < start.fills.size(); ++i) {
        blend.fills.push_back(Mix(start.fills[i], end.fills[i], t));
    }
    for (size_t i = 0; i < start.lines.size(); ++i) {
        blend.lines.push_back({Mix(start.lines[i].width, end.lines[i].width, t),
                               Mix(start.lines[i].color, end.lines[i].color, t)});
    }
    // Edges pair by index; start edges without a partner keep their own shape.
    blend.edges.reserve(start.edges.size());
    for (size_t i = 0; i < start.edges.size(); ++i) {
        blend.edges.push_back(i < end.edges.size() ? Mix(start.edges[i], end.edges[i], t) : start.edges[i]);
    }
    cached = std::make_shared<const DrawnGroup>(BuildDrawnGroup(std::move(blend)));
    cachedRatio = ratio;
    return cached;
}

namespace {

// What make_shared allocates besides the object: the reference counts.
constexpr size_t kSharedCountBytes = 16;

}  // namespace

size_t HeldBytes(const DrawnGroup &group)
{
    size_t bytes = kSharedCountBytes + sizeof(DrawnGroup) + group.fills.capacity() * sizeof(FillStyle) +
                   group.lines.capacity() * sizeof(LineStyle) + group.paths.HeldBytes();
    for (const FillStyle &fill : group.fills) {
        bytes += fill.stops.capacity() * sizeof(GradientStop);
    }
    return bytes + (group.outlines ? kSharedCountBytes + group.outlines->HeldBytes() : 0);
}

bool HasBitmapFill(const DrawnGroup &group)
{
    return std::any_of(group.fills.begin(), group.fills.end(),
                       [](const FillStyle &fill) { return fill.kind == FillKind::Bitmap; });
}

}  // namespace platform::swf
