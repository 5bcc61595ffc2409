// Line outlines: built when a line is first drawn at full width, kept compactly within a budget
// shared by every loaded movie (the one count shared between threads and players: it decides what
// is kept).
#include "platform/player/swf_data.h"

#include "platform/base/bezier.h"

#include <QPainterPathStroker>
#include <algorithm>
#include <atomic>
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
// Taken from the budget for each line kept besides its elements: its path's span and a share of
// the group's allocation.
constexpr int64_t kKeptOutlineLineBytes = 64;

std::atomic<int64_t> heldBytes{0};
// Lines refused for want of room are tried again once an eighth of the budget was given back
// since (the epoch counts such returns): a drawing shown while another one's outlines were still
// held keeps its own once those are gone.
constexpr int64_t kRetryAfterFreedBytes = kMaxHeldOutlineBytes / 8;
std::atomic<int64_t> freedBytes{0};
std::atomic<uint64_t> roomEpoch{0};

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
        return ToDraw(line);
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

QPainterPath ToDraw(const QPainterPath &path)
{
    QPainterPath copy = path;
    const Qt::FillRule rule = path.fillRule();
    copy.setFillRule(rule == Qt::OddEvenFill ? Qt::WindingFill : Qt::OddEvenFill);  // detaches
    copy.setFillRule(rule);
    return copy;
}

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

QPainterPath LineOutline(const QPainterPath &line, double width, double scale)
{
    QPainterPath outline = OutlineCut(line, width, scale).Stroke();
    CompactPaths::RoundToFloats(outline);
    return outline;
}

size_t LineOutlines::HeldBytes() const
{
    return sizeof(LineOutlines) + kept_.HeldBytes();
}

LineOutlines::~LineOutlines()
{
    // Only outlines let go with their group count as room given back: those dropped to be built
    // again take their room again at once, and counting them would have refused lines tried
    // again at every render.
    const auto bytes = static_cast<int64_t>(kept_.HeldBytes());
    Drop();
    if (bytes > 0 && freedBytes.fetch_add(bytes) + bytes >= kRetryAfterFreedBytes) {
        freedBytes = 0;
        ++roomEpoch;
    }
}

void LineOutlines::Drop()
{
    heldBytes -= static_cast<int64_t>(kept_.HeldBytes());
    kept_ = CompactPaths();
}

bool LineOutlines::Readied(double scale) const
{
    return readiedScale_ == OutlineScale(scale) && !(refusedEpoch_ && *refusedEpoch_ != roomEpoch.load());
}

const CompactPaths *LineOutlines::Held(double scale) const
{
    return kept_.size() > 0 && keptScale_ == OutlineScale(scale) ? &kept_ : nullptr;
}

void LineOutlines::Hold(const std::vector<OutlinedLine> &lines, double scale, RenderCounts &counts,
                        CompactPaths::Builder &builder)
{
    if (Readied(scale)) {
        return;
    }
    const bool retry = readiedScale_ == OutlineScale(scale);  // lines refused before find room now
    readiedScale_ = OutlineScale(scale);
    refusedEpoch_.reset();
    // Lines all drawn without outlines there (thin at a small scale) leave the kept ones for the
    // scale they were built for, which is readied again as it was.
    if ((keptScale_ == readiedScale_ && !retry) ||
        std::all_of(lines.begin(), lines.end(), [](const OutlinedLine &line) { return line.path == nullptr; })) {
        return;
    }
    const uint64_t epoch = roomEpoch.load();
    Drop();
    keptScale_ = readiedScale_;
    builder.Clear();
    // Each estimate is taken from the shared budget before building, so that groups readied on
    // several threads at once never hold more than the budget together; what the kept form
    // takes replaces it once the group's outlines are made.
    int64_t taken = 0;
    bool kept = false;
    // The last stroke is let go only once the kept form is allocated, so that the kept form does
    // not take the stroke's room, scattering kept outlines among the room strokes are made in.
    QPainterPath stroke;
    for (const OutlinedLine &line : lines) {
        stroke = QPainterPath();
        if (line.path != nullptr) {
            const OutlineCut cut(*line.path, line.width, scale);
            const int64_t estimate = cut.Estimate() * kKeptOutlineElementBytes + kKeptOutlineLineBytes;
            if (cut.Estimate() <= kMaxOutlineElements) {
                if (heldBytes.fetch_add(estimate) + estimate <= kMaxHeldOutlineBytes) {
                    taken += estimate;
                    stroke = cut.Stroke();
                    counts.outlineElementsBuilt += stroke.elementCount();
                    counts.outlineElementsKept += stroke.elementCount();
                    kept = true;
                } else {
                    heldBytes -= estimate;
                    refusedEpoch_ = epoch;
                }
            }
        }
        builder.Record(stroke);
    }
    if (kept) {
        kept_ = builder.Finish({}, CompactPaths::Points::Float);
    }
    const auto bytes = static_cast<int64_t>(kept_.HeldBytes());
    counts.outlineBytesKept += bytes;
    heldBytes += bytes - taken;
}

}  // namespace platform::swf
