#include "platform/player/swf_line_outline.h"

#include "platform/player/swf_compact_paths.h"

#include "platform/base/bezier.h"

#include <QPainterPathStroker>
#include <algorithm>
#include <cmath>
#include <limits>
#include <span>
#include <utility>
#include <vector>

namespace platform::swf {

namespace {

// Elements the stroker may write per straight element of the line: both sides and a round join;
// and per piece of a curve: it is offset in up to 16 pieces on each side.
constexpr int64_t kOutlinePerLineElement = 16;
constexpr int64_t kOutlinePerCurveElement = 100;
// The stroker offsets a curve with an error growing with the width and with how far the curve
// turns: about 0.077 x width x (turn / 2.3)^1.4 on quadratic curves. Curves are cut into pieces
// that turn so little that the error stays within kOutlineTolerance device pixels.
constexpr double kOutlineTolerance = 0.15;
constexpr double kOffsetErrorPerWidth = 0.077;
constexpr double kOffsetErrorTurn = 2.3;
constexpr double kOffsetErrorExponent = 1.4;
// A curve is halved at most this many times (1,024 pieces).
constexpr int kMaxCurveHalvings = 10;
// Where a curve bends tighter than the line's half width (times this margin), the stroker's
// offset on its inner side runs backwards and its outline winds to zero over parts of the line.
// Such pieces are stroked as straight lines within kTightLineTolerance device pixels of them, in
// at most kMaxTightPieceLines each: straight lines meet in round joins whose outline winds
// positively wherever the line covers. (The inner side of a tight bend magnifies how far the
// lines stray, hence the finer tolerance.)
constexpr double kTightMargin = 1.5;
constexpr double kTightLineTolerance = kOutlineTolerance / 4;
constexpr int kMaxTightPieceLines = 64;
// A piece's curvature is looked at this many times along it.
constexpr int kCurvatureSamples = 5;

// How a line's curves are cut: the largest turn of a piece, and in twips the line's half width
// and the tolerance of the straight lines standing for tight pieces.
struct CutRule {
    double largestTurn;
    double halfWidth;
    double tolerance;
};

// The largest turn (radians) of a piece of curve stroked width twips wide at scale.
double LargestTurn(double width, double scale)
{
    const double deviceWidth = width * OutlineScale(scale);
    if (!(deviceWidth > 0) || !std::isfinite(deviceWidth)) {
        return M_PI;
    }
    const double turn = kOffsetErrorTurn * std::pow(kOutlineTolerance / (kOffsetErrorPerWidth * deviceWidth),
                                                    1 / kOffsetErrorExponent);
    return std::min(turn, M_PI);
}

CutRule RuleFor(double width, double scale)
{
    const double outlineScale = OutlineScale(scale);
    return {LargestTurn(width, scale), width / 2, outlineScale > 0 ? kTightLineTolerance / outlineScale : 0};
}

double Cross(const QPointF &a, const QPointF &b)
{
    return a.x() * b.y() - a.y() * b.x();
}

// Whether the piece bends tighter than the margin times halfWidth anywhere it is looked at
// (radius of curvature |B'|^3 / |B' x B''|), or stops (B' = 0: a cusp).
bool Tight(const CubicCurve<QPointF> &part, double halfWidth)
{
    const QPointF d0 = part.control1 - part.start;
    const QPointF d1 = part.control2 - part.control1;
    const QPointF d2 = part.end - part.control2;
    for (int i = 0; i < kCurvatureSamples; ++i) {
        const double t = double(i) / (kCurvatureSamples - 1);
        const double u = 1 - t;
        const QPointF first = 3 * (u * u * d0 + 2 * u * t * d1 + t * t * d2);
        const QPointF second = 6 * (u * (d1 - d0) + t * (d2 - d1));
        const double speed = std::hypot(first.x(), first.y());
        if (speed * speed * speed <= kTightMargin * halfWidth * std::abs(Cross(first, second))) {
            return true;
        }
    }
    return false;
}

// The straight lines standing for a tight piece: enough that the piece strays at most tolerance
// from them (a cubic strays at most 3/4 of its control points' bend from lines this many).
int TightPieceLines(const CubicCurve<QPointF> &part, double tolerance)
{
    const QPointF a = part.start - 2 * part.control1 + part.control2;
    const QPointF b = part.control1 - 2 * part.control2 + part.end;
    const double bend = std::max(std::hypot(a.x(), a.y()), std::hypot(b.x(), b.y()));
    const double wanted = tolerance > 0 ? std::ceil(std::sqrt(0.75 * bend / tolerance)) : kMaxTightPieceLines;
    return std::isfinite(wanted) ? static_cast<int>(std::clamp(wanted, 1.0, double(kMaxTightPieceLines)))
                                 : kMaxTightPieceLines;
}

double Turn(const QPointF &a, const QPointF &b)
{
    if (a.isNull() || b.isNull()) {
        return 0;
    }
    return std::abs(std::atan2(a.x() * b.y() - a.y() * b.x(), a.x() * b.x() + a.y() * b.y()));
}

// Halves the cubic from p0 until every piece turns by no more than the rule's largest turn, and
// calls piece(c1, c2, end) for each piece, or lines(part, count) for a tight one (to be stroked as
// count straight lines).
template <typename Piece, typename Lines>
void CutCurve(const QPointF &p0, const QPointF &p1, const QPointF &p2, const QPointF &p3, const CutRule &rule,
              const Piece &piece, const Lines &lines)
{
    auto turnsLittle = [&rule](const CubicCurve<QPointF> &part) {
        const QPointF startTangent =
            part.control1 != part.start ? part.control1 - part.start : part.control2 - part.start;
        const QPointF endTangent = part.end != part.control2 ? part.end - part.control2 : part.end - part.control1;
        return Turn(startTangent, endTangent) <= rule.largestTurn;
    };
    HalveUntil(CubicCurve<QPointF>{p0, p1, p2, p3}, kMaxCurveHalvings, turnsLittle,
               [&](const CubicCurve<QPointF> &part) {
                   if (Tight(part, rule.halfWidth)) {
                       lines(part, TightPieceLines(part, rule.tolerance));
                   } else {
                       piece(part.control1, part.control2, part.end);
                   }
               });
}

// Calls curve(i) for the first element of each curve of the line and line(i) for each other
// element.
template <typename Curve, typename Other>
void ForEachElement(const QPainterPath &line, const Curve &curve, const Other &other)
{
    for (int i = 0; i < line.elementCount(); ++i) {
        if (line.elementAt(i).type == QPainterPath::CurveToElement && i > 0 && i + 2 < line.elementCount()) {
            curve(i);
            i += 2;
        } else {
            other(i);
        }
    }
}

// The estimate of a line's outline, the pieces its curves are cut into and the straight lines
// standing for the tight ones.
struct CutCount {
    int64_t estimate = 64;  // the caps
    int64_t curves = 0;
    int64_t pieces = 0;
    int64_t tightLines = 0;
};

CutCount CountCut(const QPainterPath &line, const CutRule &rule)
{
    CutCount count;
    ForEachElement(
        line,
        [&](int i) {
            ++count.curves;
            CutCurve(
                line.elementAt(i - 1), line.elementAt(i), line.elementAt(i + 1), line.elementAt(i + 2), rule,
                [&count](const QPointF &, const QPointF &, const QPointF &) {
                    ++count.pieces;
                    count.estimate += kOutlinePerCurveElement;
                },
                [&count](const CubicCurve<QPointF> &, int lines) {
                    count.tightLines += lines;
                    count.estimate += kOutlinePerLineElement * lines;
                });
        },
        [&count](int) { count.estimate += kOutlinePerLineElement; });
    return count;
}

// The stroker of this thread: it keeps the room of its work from line to line instead of growing
// it anew for each. The width (and the curve threshold, which setting the width resets) is set for
// each line.
QPainterPathStroker &ThreadStroker()
{
    thread_local QPainterPathStroker stroker;
    thread_local bool set = false;
    if (!set) {
        stroker.setCapStyle(Qt::RoundCap);
        stroker.setJoinStyle(Qt::RoundJoin);
        set = true;
    }
    return stroker;
}

// The line with its curves cut into pieces as counted (curves that turn no more than the rule's
// largest turn, straight lines for tight ones). A line none of whose curves is cut is the line
// itself (its elements shared, not copied).
QPainterPath CutLine(const QPainterPath &line, const CutRule &rule, const CutCount &count)
{
    if (count.pieces == count.curves && count.tightLines == 0) {
        return CopyToDraw(line);
    }
    QPainterPath cut;
    cut.reserve(static_cast<int>(std::min<int64_t>(line.elementCount() + 3 * count.pieces + count.tightLines,
                                                   std::numeric_limits<int>::max())));
    auto add = [&cut](const QPointF &c1, const QPointF &c2, const QPointF &to) { cut.cubicTo(c1, c2, to); };
    auto addLines = [&cut](const CubicCurve<QPointF> &part, int lines) {
        FlattenEvenly(part, lines, [&cut](const QPointF &to) { cut.lineTo(to); });
    };
    ForEachElement(
        line,
        [&](int i) {
            CutCurve(line.elementAt(i - 1), line.elementAt(i), line.elementAt(i + 1), line.elementAt(i + 2), rule,
                     add, addLines);
        },
        [&](int i) {
            const QPainterPath::Element &e = line.elementAt(i);
            if (e.type == QPainterPath::MoveToElement) {
                cut.moveTo(e);
            } else {
                cut.lineTo(e);
            }
        });
    return cut;
}

}  // namespace

double OutlineScale(double scale)
{
    if (!(scale > 0) || !std::isfinite(scale)) {
        return 0;
    }
    return std::exp2(std::ceil(std::log2(scale)));
}

int64_t EstimatedOutlineElements(const QPainterPath &line, double width, double scale)
{
    return CountCut(line, RuleFor(width, scale)).estimate;
}

OutlineCut::OutlineCut(const QPainterPath &line, double width, double scale)
    : line_(&line), width_(width), scale_(scale)
{
    const CutCount count = CountCut(line, RuleFor(width, scale));
    estimate_ = count.estimate;
    pieces_ = count.pieces;
    curves_ = count.curves;
    tightLines_ = count.tightLines;
}

QPainterPath OutlineCut::Stroke() const
{
    if (width_ <= 0) {
        return {};
    }
    QPainterPathStroker &stroker = ThreadStroker();
    stroker.setWidth(width_);
    stroker.setCurveThreshold(1.0);
    return stroker.createStroke(CutLine(*line_, RuleFor(width_, scale_), {estimate_, curves_, pieces_, tightLines_}));
}

QPainterPath OutlineCut::Outline(RenderCounts *counts) const
{
    QPainterPath outline = Stroke();
    if (counts != nullptr) {
        counts->outlineElementsBuilt += outline.elementCount();
    }
    CompactPaths::RoundToFloats(outline);
    return outline;
}

namespace {

// The squared distance from p to the rect (0 inside it).
double SquaredDistanceToRect(const QPointF &p, const QRectF &rect)
{
    const double dx = std::max({rect.left() - p.x(), 0.0, p.x() - rect.right()});
    const double dy = std::max({rect.top() - p.y(), 0.0, p.y() - rect.bottom()});
    return dx * dx + dy * dy;
}

// The squared distance from p to the straight piece from a to b.
double SquaredDistanceToPiece(const QPointF &p, const QPointF &a, const QPointF &b)
{
    const QPointF along = b - a;
    const double length2 = QPointF::dotProduct(along, along);
    const double t = length2 > 0 ? std::clamp(QPointF::dotProduct(p - a, along) / length2, 0.0, 1.0) : 0.0;
    const QPointF off = a + t * along - p;
    return QPointF::dotProduct(off, off);
}

// Whether the straight piece from a to b crosses the rect (clipped to it, something is left).
bool PieceCrosses(const QPointF &a, const QPointF &b, const QRectF &rect)
{
    const QPointF d = b - a;
    double from = 0;
    double to = 1;
    auto clip = [&from, &to](double p, double q) {
        if (p == 0) {
            return q >= 0;
        }
        const double t = q / p;
        if (p < 0) {
            from = std::max(from, t);
        } else {
            to = std::min(to, t);
        }
        return from <= to;
    };
    return clip(-d.x(), a.x() - rect.left()) && clip(d.x(), rect.right() - a.x()) &&
           clip(-d.y(), a.y() - rect.top()) && clip(d.y(), rect.bottom() - a.y());
}

// Whether the straight piece from a to b passes within distance of the rect: it crosses it, or
// an end lies near the rect, or a corner of the rect near the piece.
bool PieceWithin(const QPointF &a, const QPointF &b, const QRectF &rect, double distance)
{
    const double most = distance * distance;
    if (SquaredDistanceToRect(a, rect) <= most || SquaredDistanceToRect(b, rect) <= most) {
        return true;
    }
    const QPointF corners[] = {rect.topLeft(), rect.topRight(), rect.bottomLeft(), rect.bottomRight()};
    return std::any_of(std::begin(corners), std::end(corners),
                       [&](const QPointF &corner) { return SquaredDistanceToPiece(corner, a, b) <= most; }) ||
           PieceCrosses(a, b, rect);
}

// The scale of world when it only scales evenly, turns and moves (else 0).
double EvenScale(const QTransform &world)
{
    const double scale = std::sqrt(std::abs(world.determinant()));
    const double even = 1e-9 * scale;
    if (!world.isAffine() || std::abs(world.m11() - world.m22()) > even || std::abs(world.m12() + world.m21()) > even) {
        return 0;
    }
    return scale;
}

// The device pixels a line of width twips reaches through world past margin, when world only
// scales evenly, turns and moves (else 0).
double EvenReach(double width, const QTransform &world, double margin)
{
    const double reach = width / 2 * EvenScale(world) - margin;
    return reach > 0 ? reach : 0;
}

// Whether the straight piece from a to b, reaching reach on every side, holds the rect.
bool PieceHolds(const QPointF &a, const QPointF &b, double reach, const QRectF &rect)
{
    const QPointF corners[] = {rect.topLeft(), rect.topRight(), rect.bottomLeft(), rect.bottomRight()};
    return std::all_of(std::begin(corners), std::end(corners),
                       [&](const QPointF &corner) { return SquaredDistanceToPiece(corner, a, b) <= reach * reach; });
}

// Calls piece(from, to) (device pixels) for each straight element of line through world until it
// returns true.
template <typename Piece>
void ForEachStraightPiece(const QPainterPath &line, const QTransform &world, const Piece &piece)
{
    QPointF pen;
    for (int i = 0; i < line.elementCount(); ++i) {
        const QPainterPath::Element &e = line.elementAt(i);
        const QPointF at = world.map(QPointF(e));
        if (e.type == QPainterPath::LineToElement && i > 0 && piece(pen, at)) {
            return;
        }
        pen = at;
    }
}

}  // namespace

bool StraightPieceCovers(const QPainterPath &line, double width, const QTransform &world, const QRectF &rect,
                         double margin)
{
    const double reach = EvenReach(width, world, margin);
    bool covers = false;
    if (reach > 0 && !rect.isEmpty()) {
        ForEachStraightPiece(line, world, [&](const QPointF &a, const QPointF &b) {
            return covers = PieceHolds(a, b, reach, rect);
        });
    }
    return covers;
}

int64_t MarkCoveredTiles(const QPainterPath &line, double width, const QTransform &world, const CoverTiles &tiles,
                         double margin, int64_t mostTests, std::vector<char> &covered)
{
    const double reach = EvenReach(width, world, margin);
    const QRect &area = tiles.area;
    const int side = tiles.side;
    const int columns = (area.width() + side - 1) / side;
    const int rows = (area.height() + side - 1) / side;
    covered.assign(static_cast<size_t>(columns) * static_cast<size_t>(rows), 0);
    // A piece holds no whole tile narrower than its reach on both sides, and only tiles within
    // its bounds grown by its reach.
    if (reach < side / 2.0 || area.isEmpty()) {
        return 0;
    }
    int64_t tests = 0;
    int64_t left = static_cast<int64_t>(covered.size());
    auto tileRect = [&](int column, int row) {
        return QRectF(QRect(area.left() + column * side, area.top() + row * side, side, side).intersected(area));
    };
    ForEachStraightPiece(line, world, [&](const QPointF &a, const QPointF &b) {
        auto index = [side](double at, int origin, int count) {
            return static_cast<int>(std::clamp(std::floor((at - origin) / side), -1.0, double(count)));
        };
        const int firstRow = std::max(index(std::min(a.y(), b.y()) - reach, area.top(), rows), 0);
        const int lastRow = std::min(index(std::max(a.y(), b.y()) + reach, area.top(), rows), rows - 1);
        for (int row = firstRow; row <= lastRow; ++row) {
            // The columns the piece reaches in the row: those of its part within reach of the
            // row's height, grown by the reach.
            const double top = area.top() + row * side - reach;
            const double bottom = area.top() + (row + 1) * side + reach;
            double from = 0;
            double to = 1;
            if (a.y() != b.y()) {
                const double at0 = (top - a.y()) / (b.y() - a.y());
                const double at1 = (bottom - a.y()) / (b.y() - a.y());
                from = std::max(from, std::min(at0, at1));
                to = std::min(to, std::max(at0, at1));
            }
            if (from > to) {
                continue;
            }
            const double x0 = a.x() + from * (b.x() - a.x());
            const double x1 = a.x() + to * (b.x() - a.x());
            const int firstColumn = std::max(index(std::min(x0, x1) - reach, area.left(), columns), 0);
            const int lastColumn = std::min(index(std::max(x0, x1) + reach, area.left(), columns), columns - 1);
            for (int column = firstColumn; column <= lastColumn && tests < mostTests; ++column, ++tests) {
                char &tile = covered[static_cast<size_t>(row * columns + column)];
                if (tile == 0 && PieceHolds(a, b, reach, tileRect(column, row))) {
                    tile = 1;
                    --left;
                }
            }
        }
        return left == 0 || tests >= mostTests;
    });
    return static_cast<int64_t>(covered.size()) - left;
}

namespace {

// The number of points of the element of line at i (a curve 3, else 1).
int Span(const QPainterPath &line, int i)
{
    return line.elementAt(i).type == QPainterPath::CurveToElement && i + 2 < line.elementCount() ? 3 : 1;
}

// Calls subpath(begin, end, elements) for each subpath of line: its elements begin .. end - 1,
// and the first index of each element after its start.
template <typename Subpath>
void ForEachSubpath(const QPainterPath &line, const Subpath &subpath)
{
    const int count = line.elementCount();
    std::vector<int> elements;
    int begin = 0;
    for (int i = 1; begin < count;) {
        if (i < count && line.elementAt(i).type != QPainterPath::MoveToElement) {
            elements.push_back(i);
            i += Span(line, i);
            continue;
        }
        subpath(begin, std::min(i, count), elements);
        elements.clear();
        begin = i;
        i = begin + 1;
    }
}

// Adds to part the subpath begin .. end - 1 of line whose elements reach the rect where reaches
// tells (one flag per element): the whole subpath when every one does, else each run of them as a
// subpath of its own (a closed subpath walked from just after an element left out, so that a run
// across its start keeps the join there). Returns whether every element reaches.
bool AddReachingRuns(const QPainterPath &line, int begin, int end, std::span<const int> elements,
                     std::span<const char> reaches, QPainterPath &part)
{
    const size_t n = elements.size();
    const bool all = std::all_of(reaches.begin(), reaches.end(), [](char r) { return r != 0; });
    if (n == 0 || all) {
        for (int i = begin; i < end; ++i) {
            const QPainterPath::Element &e = line.elementAt(i);
            if (e.type == QPainterPath::MoveToElement || i == begin) {
                part.moveTo(e);
            } else if (e.type == QPainterPath::CurveToElement && i + 2 < end) {
                part.cubicTo(e, line.elementAt(i + 1), line.elementAt(i + 2));
                i += 2;
            } else {
                part.lineTo(e);
            }
        }
        return true;
    }
    if (std::none_of(reaches.begin(), reaches.end(), [](char r) { return r != 0; })) {
        return false;
    }
    const QPointF first = line.elementAt(begin);
    const QPointF last = line.elementAt(end - 1);
    size_t start = 0;
    if (first == last) {
        while (reaches[start] != 0) {
            ++start;
        }
        ++start;
    }
    bool inRun = false;
    for (size_t k = 0; k < n; ++k) {
        const size_t at = (start + k) % n;
        if (reaches[at] == 0) {
            inRun = false;
            continue;
        }
        const int i = elements[at];
        if (!inRun) {
            part.moveTo(line.elementAt(i - 1));
            inRun = true;
        }
        if (Span(line, i) == 3) {
            part.cubicTo(line.elementAt(i), line.elementAt(i + 1), line.elementAt(i + 2));
        } else {
            part.lineTo(line.elementAt(i));
        }
    }
    return false;
}

// The columns [from, to] where points within reach of the straight piece from a to b lie
// between rows top and bottom (from > to where none do): the piece's round ends and its body,
// each cut to the rows.
std::pair<double, double> PieceColumns(const QPointF &a, const QPointF &b, double reach, double top, double bottom)
{
    double from = std::numeric_limits<double>::infinity();
    double to = -from;
    if (std::max(a.y(), b.y()) < top - reach || std::min(a.y(), b.y()) > bottom + reach) {
        return {from, to};
    }
    auto add = [&from, &to](double x) {
        from = std::min(from, x);
        to = std::max(to, x);
    };
    bool endsWithin = true;
    for (const QPointF &end : {a, b}) {
        const double dy = std::max({top - end.y(), 0.0, end.y() - bottom});
        endsWithin = endsWithin && dy == 0;
        if (dy <= reach) {
            const double across = std::sqrt(reach * reach - dy * dy);
            add(end.x() - across);
            add(end.x() + across);
        }
    }
    const QPointF along = b - a;
    const double length = std::sqrt(QPointF::dotProduct(along, along));
    if (endsWithin || !(length > 0)) {
        return {from, to};  // the body lies within the round ends' columns
    }
    const QPointF normal = QPointF(-along.y(), along.x()) * (reach / length);
    const QPointF corners[] = {a + normal, b + normal, b - normal, a - normal};
    for (int k = 0; k < 4; ++k) {
        const QPointF &p = corners[k];
        const QPointF &q = corners[(k + 1) % 4];
        if (p.y() >= top && p.y() <= bottom) {
            add(p.x());
        }
        for (const double row : {top, bottom}) {
            if ((p.y() - row) * (q.y() - row) < 0) {
                add(p.x() + (row - p.y()) / (q.y() - p.y()) * (q.x() - p.x()));
            }
        }
    }
    return {from, to};
}

}  // namespace

std::optional<QPainterPath> LinePartNear(const QPainterPath &line, double width, const QTransform &world,
                                         const QRectF &rect, double margin)
{
    bool invertible = false;
    const QTransform toLine = world.inverted(&invertible);
    if (!invertible || rect.isEmpty()) {
        return std::nullopt;
    }
    // The rect in the line's coordinates, grown by the margin and half the width: an element
    // reaches the rect only where its bounds (those of its points: a curve lies within its
    // control points) meet this one.
    const double half = width / 2;
    const QRectF around = toLine.mapRect(rect.adjusted(-margin, -margin, margin, margin));
    const QRectF reach = around.adjusted(-half, -half, half, half);
    const int count = line.elementCount();
    // Each element is read once here (the path hands out copies): this looks at every element of
    // a long line for every part of it drawn.
    auto near = [&](int i) {
        const QPainterPath::Element from = line.elementAt(i - 1);
        const QPainterPath::Element first = line.elementAt(i);
        const bool curve = first.type == QPainterPath::CurveToElement && i + 2 < count;
        double left = std::min(from.x, first.x);
        double right = std::max(from.x, first.x);
        double top = std::min(from.y, first.y);
        double bottom = std::max(from.y, first.y);
        for (int k = i + 1; curve && k < i + 3; ++k) {
            const QPainterPath::Element e = line.elementAt(k);
            left = std::min(left, e.x);
            right = std::max(right, e.x);
            top = std::min(top, e.y);
            bottom = std::max(bottom, e.y);
        }
        return right >= reach.left() && left <= reach.right() && bottom >= reach.top() && top <= reach.bottom() &&
               (curve || PieceWithin(from, first, around, half));
    };
    QPainterPath part;
    bool whole = true;
    std::vector<char> reaches;
    ForEachSubpath(line, [&](int begin, int end, const std::vector<int> &elements) {
        reaches.clear();
        for (const int i : elements) {
            reaches.push_back(near(i) ? 1 : 0);
        }
        whole = AddReachingRuns(line, begin, end, elements, reaches, part) && whole;
    });
    if (whole) {
        return std::nullopt;
    }
    return part;
}

LineRowsReach::LineRowsReach(const QPainterPath &line, double width, const QTransform &world, double top,
                             double bottom, double margin)
    : line_(&line), width_(width), world_(world), top_(top), bottom_(bottom), margin_(margin)
{
    const double scale = EvenScale(world);
    const double reach = width / 2 * scale;
    even_ = scale > 0 && bottom > top && reach >= 0;
    if (!even_) {
        return;
    }
    const double from = top - margin;
    const double to = bottom + margin;
    auto device = [&world](const QPainterPath::Element &e) {
        return QPointF(world.m11() * e.x + world.m21() * e.y + world.dx(),
                       world.m12() * e.x + world.m22() * e.y + world.dy());
    };
    ForEachSubpath(line, [&](int begin, int end, const std::vector<int> &elements) {
        subpaths_.push_back({begin, end, elements_.size()});
        QPointF pen = device(line.elementAt(begin));
        for (const int i : elements) {
            const QPointF at = device(line.elementAt(i));
            std::pair<double, double> columns;
            if (Span(line, i) == 3) {
                // A curve lies within its control points.
                const QPointF c = device(line.elementAt(i + 1));
                const QPointF d = device(line.elementAt(i + 2));
                const double upper = std::min({pen.y(), at.y(), c.y(), d.y()});
                const double lower = std::max({pen.y(), at.y(), c.y(), d.y()});
                columns = {std::numeric_limits<double>::infinity(), -std::numeric_limits<double>::infinity()};
                if (lower >= from - reach && upper <= to + reach) {
                    columns = {std::min({pen.x(), at.x(), c.x(), d.x()}) - reach,
                               std::max({pen.x(), at.x(), c.x(), d.x()}) + reach};
                }
                pen = d;
            } else {
                columns = PieceColumns(pen, at, reach, from, to);
                pen = at;
            }
            elements_.push_back(i);
            columns_.push_back(columns);
            leftmostRight_ = std::min(leftmostRight_, columns.second);
            rightmostLeft_ = std::max(rightmostLeft_, columns.first);
        }
    });
    subpaths_.push_back({line.elementCount(), line.elementCount(), elements_.size()});
}

std::optional<QPainterPath> LineRowsReach::PartNear(double left, double right, int64_t &looked) const
{
    if (!even_) {
        looked += line_->elementCount();
        return LinePartNear(*line_, width_, world_, QRectF(left, top_, right - left, bottom_ - top_), margin_);
    }
    const double from = left - margin_;
    const double to = right + margin_;
    if (!(right > left) || (rightmostLeft_ <= to && leftmostRight_ >= from)) {
        return std::nullopt;  // every element reaches the columns
    }
    looked += static_cast<int64_t>(elements_.size());
    QPainterPath part;
    bool whole = true;
    std::vector<char> reaches(elements_.size());
    for (size_t k = 0; k < elements_.size(); ++k) {
        reaches[k] = columns_[k].first <= to && columns_[k].second >= from ? 1 : 0;
    }
    for (size_t s = 0; s + 1 < subpaths_.size(); ++s) {
        const size_t first = subpaths_[s].firstElement;
        const size_t n = subpaths_[s + 1].firstElement - first;
        whole = AddReachingRuns(*line_, subpaths_[s].begin, subpaths_[s].end,
                                std::span<const int>(elements_).subspan(first, n),
                                std::span<const char>(reaches).subspan(first, n), part) &&
                whole;
    }
    if (whole) {
        return std::nullopt;
    }
    return part;
}

bool LineRowsReach::Reaches(double left, double right, int64_t &looked) const
{
    if (!even_) {
        const std::optional<QPainterPath> part = PartNear(left, right, looked);
        return !part || !part->isEmpty();
    }
    const double from = left - margin_;
    const double to = right + margin_;
    for (size_t k = 0; k < columns_.size(); ++k) {
        if (columns_[k].first <= to && columns_[k].second >= from) {
            looked += static_cast<int64_t>(k + 1);
            return true;
        }
    }
    looked += static_cast<int64_t>(columns_.size());
    return false;
}

QPainterPath LineOutline(const QPainterPath &line, double width, double scale)
{
    return OutlineCut(line, width, scale).Outline();
}

}  // namespace platform::swf
