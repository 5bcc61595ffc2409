// Drawn groups: a style group's edges chained into one even-odd path per fill style and one path
// per line style, and morph shapes blended at a ratio.
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

void AddContour(QPainterPath &path, const Contour &contour, bool close)
{
    path.moveTo(contour.front().from);
    for (const Segment &segment : contour) {
        if (segment.curved) {
            path.quadTo(segment.control, segment.to);
        } else {
            path.lineTo(segment.to);
        }
    }
    if (close) {
        path.closeSubpath();
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
QPainterPath BuildFillPath(const std::vector<Edge> &edges, const std::vector<size_t> &indexes, bool &inRecordOrder)
{
    QPainterPath path;
    path.setFillRule(Qt::OddEvenFill);
    path.reserve(PathElements(edges, indexes));
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
    return path;
}

// The stroke of one line style: its edges in record order, a move wherever they do not meet.
QPainterPath BuildLinePath(const std::vector<Edge> &edges, const std::vector<size_t> &indexes)
{
    QPainterPath path;
    path.reserve(PathElements(edges, indexes));
    bool started = false;
    QPointF pen;
    for (size_t index : indexes) {
        const Edge &edge = edges[index];
        if (!started || pen != edge.from) {
            path.moveTo(edge.from);
            started = true;
        }
        if (edge.curved) {
            path.quadTo(edge.control, edge.to);
        } else {
            path.lineTo(edge.to);
        }
        pen = edge.to;
    }
    return path;
}

QRectF GroupBounds(const DrawnGroup &group)
{
    QRectF bounds;
    for (const QPainterPath &fill : group.fillPaths) {
        bounds |= fill.controlPointRect();
    }
    for (size_t i = 0; i < group.linePaths.size(); ++i) {
        double half = group.lines[i].width / 2;
        bounds |= group.linePaths[i].controlPointRect().adjusted(-half, -half, half, half);
    }
    return bounds;
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

DrawnGroup BuildDrawnGroup(StyleGroup group)
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
    drawn.fillPaths.resize(byFill.size());
    std::vector<bool> fillInRecordOrder(byFill.size(), false);
    for (size_t s = 0; s < byFill.size(); ++s) {
        if (!byFill[s].empty()) {
            bool inRecordOrder = false;
            drawn.fillPaths[s] = BuildFillPath(group.edges, byFill[s], inRecordOrder);
            fillInRecordOrder[s] = inRecordOrder;
        }
    }
    // A line along exactly the edges of a fill whose contours all close in record order is that
    // fill's path without its closings; closing changes nothing drawn, as a subpath ending at its
    // start is stroked as closed. It shares the fill's path: one element array, and one copy of
    // what the painter derives from it.
    auto sameEdgesFill = [&](const std::vector<size_t> &lineEdges) -> const QPainterPath * {
        const Edge &first = group.edges[lineEdges.front()];
        for (int32_t fill : {first.fill0, first.fill1}) {
            if (ValidStyle(fill, byFill.size()) && fillInRecordOrder[fill - 1] && byFill[fill - 1] == lineEdges) {
                return &drawn.fillPaths[fill - 1];
            }
        }
        return nullptr;
    };
    drawn.linePaths.resize(byLine.size());
    for (size_t s = 0; s < byLine.size(); ++s) {
        if (byLine[s].empty()) {
            continue;
        }
        if (const QPainterPath *fill = sameEdgesFill(byLine[s])) {
            drawn.linePaths[s] = *fill;
        } else {
            drawn.linePaths[s] = BuildLinePath(group.edges, byLine[s]);
        }
    }
    drawn.lineOutlines = std::make_shared<LineOutlines>(byLine.size());
    drawn.bounds = GroupBounds(drawn);
    drawn.pieces = BuildGroupPieces(drawn.fillPaths);
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

}  // namespace platform::swf
