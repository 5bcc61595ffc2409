#include "platform/player/swf_line_outline.h"

#include "platform/player/swf_compact_paths.h"

#include "platform/base/bezier.h"

#include <QPainterPathStroker>
#include <algorithm>
#include <cmath>
#include <limits>

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

double Turn(const QPointF &a, const QPointF &b)
{
    if (a.isNull() || b.isNull()) {
        return 0;
    }
    return std::abs(std::atan2(a.x() * b.y() - a.y() * b.x(), a.x() * b.x() + a.y() * b.y()));
}

// Calls piece(c1, c2, end) for each piece of the cubic from p0, halving it until every piece
// turns by no more than largestTurn.
template <typename Piece>
void CutCurve(const QPointF &p0, const QPointF &p1, const QPointF &p2, const QPointF &p3, double largestTurn,
              const Piece &piece)
{
    auto turnsLittle = [largestTurn](const CubicCurve<QPointF> &part) {
        const QPointF startTangent =
            part.control1 != part.start ? part.control1 - part.start : part.control2 - part.start;
        const QPointF endTangent = part.end != part.control2 ? part.end - part.control2 : part.end - part.control1;
        return Turn(startTangent, endTangent) <= largestTurn;
    };
    HalveUntil(CubicCurve<QPointF>{p0, p1, p2, p3}, kMaxCurveHalvings, turnsLittle,
               [&piece](const CubicCurve<QPointF> &part) { piece(part.control1, part.control2, part.end); });
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

// The estimate of a line's outline and the pieces its curves are cut into.
struct CutCount {
    int64_t estimate = 64;  // the caps
    int64_t curves = 0;
    int64_t pieces = 0;
};

CutCount CountCut(const QPainterPath &line, double largestTurn)
{
    CutCount count;
    ForEachElement(
        line,
        [&](int i) {
            ++count.curves;
            CutCurve(line.elementAt(i - 1), line.elementAt(i), line.elementAt(i + 1), line.elementAt(i + 2),
                     largestTurn, [&count](const QPointF &, const QPointF &, const QPointF &) {
                         ++count.pieces;
                         count.estimate += kOutlinePerCurveElement;
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

// The line with its curves cut into pieces that turn no more than largestTurn, as counted. A line
// none of whose curves is cut is the line itself (its elements shared, not copied).
QPainterPath CutLine(const QPainterPath &line, double largestTurn, const CutCount &count)
{
    if (count.pieces == count.curves) {
        return CopyToDraw(line);
    }
    QPainterPath cut;
    cut.reserve(static_cast<int>(
        std::min<int64_t>(line.elementCount() + 3 * (count.pieces - count.curves), std::numeric_limits<int>::max())));
    auto add = [&cut](const QPointF &c1, const QPointF &c2, const QPointF &to) { cut.cubicTo(c1, c2, to); };
    ForEachElement(
        line,
        [&](int i) {
            CutCurve(line.elementAt(i - 1), line.elementAt(i), line.elementAt(i + 1), line.elementAt(i + 2),
                     largestTurn, add);
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
    return CountCut(line, LargestTurn(width, scale)).estimate;
}

OutlineCut::OutlineCut(const QPainterPath &line, double width, double scale)
    : line_(&line), width_(width), largestTurn_(LargestTurn(width, scale))
{
    const CutCount count = CountCut(line, largestTurn_);
    estimate_ = count.estimate;
    pieces_ = count.pieces;
    curves_ = count.curves;
}

QPainterPath OutlineCut::Stroke() const
{
    if (width_ <= 0) {
        return {};
    }
    QPainterPathStroker &stroker = ThreadStroker();
    stroker.setWidth(width_);
    stroker.setCurveThreshold(1.0);
    return stroker.createStroke(CutLine(*line_, largestTurn_, {estimate_, curves_, pieces_}));
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

QPainterPath LineOutline(const QPainterPath &line, double width, double scale)
{
    return OutlineCut(line, width, scale).Outline();
}

}  // namespace platform::swf
