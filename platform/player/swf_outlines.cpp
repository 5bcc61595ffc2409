// Line outlines: built when a line is first drawn at full width, kept within a budget shared by
// every loaded movie.
#include "platform/player/swf_data.h"

#include <QPainterPathStroker>
#include <algorithm>
#include <atomic>
#include <cmath>

namespace platform::swf {

namespace {

// Elements the stroker may write per straight element of the line: both sides and a round join.
constexpr int64_t kOutlinePerLineElement = 16;
// Curves are stroked as straight pieces lying within this many device pixels of them, and turning
// so little from one piece to the next that the stroker's joins between them stand no further
// from the exact offset (about half the width times the square of the turn).
constexpr double kOutlineFlatness = 0.1;
// A curve is halved at most this many times (1,024 pieces).
constexpr int kMaxCurveHalvings = 10;

std::atomic<int64_t> heldElements{0};
std::atomic<int64_t> builtElements{0};

// How finely curves are cut, in path units: the distance a piece may stand from its curve, and
// the largest turn (radians) within one piece.
struct Fineness {
    double flatness;
    double turn;
};

Fineness FinenessFor(double width, double scale)
{
    scale = OutlineScale(scale);
    const double flatness = scale > 0 ? kOutlineFlatness / scale : 1.0;
    return {flatness, std::min(0.5, std::sqrt(flatness / std::max(width / 2, flatness)))};
}

double Turn(const QPointF &a, const QPointF &b)
{
    if (a.isNull() || b.isNull()) {
        return 0;
    }
    return std::abs(std::atan2(a.x() * b.y() - a.y() * b.x(), a.x() * b.x() + a.y() * b.y()));
}

// Calls end(point) for the end of each straight piece of the cubic from p0, halving it until
// every piece is flat and turns little enough.
template <typename End>
void CutCurve(const QPointF &p0, const QPointF &p1, const QPointF &p2, const QPointF &p3, const Fineness &fineness,
              int halvings, const End &end)
{
    const QPointF d1 = p0 - 2 * p1 + p2;
    const QPointF d2 = p1 - 2 * p2 + p3;
    const double bend = std::max(std::hypot(d1.x(), d1.y()), std::hypot(d2.x(), d2.y()));
    const QPointF startTangent = p1 != p0 ? p1 - p0 : p2 - p0;
    const QPointF endTangent = p3 != p2 ? p3 - p2 : p3 - p1;
    const bool fine = 0.75 * bend <= fineness.flatness && Turn(startTangent, endTangent) <= fineness.turn;
    if (fine || halvings >= kMaxCurveHalvings || !std::isfinite(bend)) {
        end(p3);
        return;
    }
    const QPointF a = (p0 + p1) / 2;
    const QPointF b = (p1 + p2) / 2;
    const QPointF c = (p2 + p3) / 2;
    const QPointF ab = (a + b) / 2;
    const QPointF bc = (b + c) / 2;
    const QPointF middle = (ab + bc) / 2;
    CutCurve(p0, a, ab, middle, fineness, halvings + 1, end);
    CutCurve(middle, bc, c, p3, fineness, halvings + 1, end);
}

// Calls move(point), line(point) for the line with its curves cut into straight pieces.
template <typename Move, typename Line>
void ForEachPiece(const QPainterPath &line, const Fineness &fineness, const Move &move, const Line &lineTo)
{
    for (int i = 0; i < line.elementCount(); ++i) {
        const QPainterPath::Element &e = line.elementAt(i);
        if (e.type == QPainterPath::MoveToElement) {
            move(QPointF(e));
        } else if (e.type == QPainterPath::CurveToElement && i > 0 && i + 2 < line.elementCount()) {
            CutCurve(line.elementAt(i - 1), e, line.elementAt(i + 1), line.elementAt(i + 2), fineness, 0, lineTo);
            i += 2;
        } else {
            lineTo(QPointF(e));
        }
    }
}

bool Curved(const QPainterPath &line)
{
    for (int i = 0; i < line.elementCount(); ++i) {
        if (line.elementAt(i).type == QPainterPath::CurveToElement) {
            return true;
        }
    }
    return false;
}

}  // namespace

double OutlineScale(double scale)
{
    if (!(scale > 0) || !std::isfinite(scale)) {
        return 0;
    }
    return std::exp2(std::ceil(std::log2(scale)));
}

OutlineCounts CurrentOutlineCounts()
{
    return {heldElements.load(), builtElements.load()};
}

int64_t EstimatedOutlineElements(const QPainterPath &line, double width, double scale)
{
    int64_t pieces = 0;
    auto count = [&pieces](const QPointF &) { ++pieces; };
    ForEachPiece(line, FinenessFor(width, scale), count, count);
    return 64 + kOutlinePerLineElement * pieces;  // the caps, then every piece
}

QPainterPath LineOutline(const QPainterPath &line, double width, double scale)
{
    if (width <= 0) {
        return {};
    }
    QPainterPath stroked;
    if (Curved(line)) {
        ForEachPiece(
            line, FinenessFor(width, scale), [&stroked](const QPointF &p) { stroked.moveTo(p); },
            [&stroked](const QPointF &p) { stroked.lineTo(p); });
    } else {
        stroked = line;
    }
    QPainterPathStroker stroker;
    stroker.setWidth(width);
    stroker.setCapStyle(Qt::RoundCap);
    stroker.setJoinStyle(Qt::RoundJoin);
    stroker.setCurveThreshold(1.0);
    QPainterPath outline = stroker.createStroke(stroked);
    builtElements += outline.elementCount();
    return outline;
}

LineOutlines::~LineOutlines()
{
    heldElements -= held_;
}

const QPainterPath *LineOutlines::Held(size_t index, double scale) const
{
    return index < outlines_.size() && outlines_[index] && scales_[index] == OutlineScale(scale) ? &*outlines_[index]
                                                                                                 : nullptr;
}

const QPainterPath *LineOutlines::Hold(size_t index, const QPainterPath &line, double width, double scale)
{
    if (index >= outlines_.size()) {
        return nullptr;
    }
    if (outlines_[index] && scales_[index] != OutlineScale(scale)) {  // built for another scale: again
        held_ -= outlines_[index]->elementCount();
        heldElements -= outlines_[index]->elementCount();
        outlines_[index].reset();
        tried_[index] = false;
    }
    if (!outlines_[index] && !tried_[index]) {
        tried_[index] = true;
        // The estimate is taken from the shared budget before building, so that groups readied on
        // several threads at once never hold more than the budget together.
        const int64_t estimate = EstimatedOutlineElements(line, width, scale);
        if (estimate > kMaxOutlineElements) {
            return nullptr;
        }
        if (heldElements.fetch_add(estimate) + estimate > kMaxHeldOutlineElements) {
            heldElements -= estimate;
            return nullptr;
        }
        outlines_[index] = LineOutline(line, width, scale);
        scales_[index] = OutlineScale(scale);
        const int64_t elements = outlines_[index]->elementCount();
        held_ += elements;
        heldElements += elements - estimate;
    }
    return Held(index, scale);
}

}  // namespace platform::swf
