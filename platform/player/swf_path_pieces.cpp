// Long paths drawn in pieces. The rasteriser keeps the cells of each row in a list it searches
// for every edge crossing the row, so a fill whose rows hold thousands of edges costs the square
// of them; filled in small tiles, each cut down to its own edges, every row stays short.
//
// The cut keeps a fill's coverage inside a rectangle: a run of edges lying wholly in one closed
// half-plane beside the rectangle (left of it, say) is replaced by the straight line between its
// ends, and the loop between the two lies in that half-plane, so no point inside the rectangle
// changes its winding number. Edges across the border are cut where they cross it.
#include "platform/player/swf_path_pieces.h"

#include "platform/base/bezier.h"

#include <QImage>
#include <QPainter>
#include <algorithm>
#include <cmath>

namespace platform::swf {

namespace {

using Element = QPainterPath::Element;

// Runs of this many edges share one bounding box.
constexpr int kRunEdges = 32;
// A tile holding more edges is split in two, down to this side in device pixels.
constexpr size_t kTileEdges = 400;
constexpr int kMinTileSide = 16;
// Device pixels around a tile whose geometry is kept exactly (a pixel's coverage depends on the
// edges within it and on those left of it, which the cut keeps).
constexpr double kTileMargin = 2;
// The flatness, in device pixels, to which the rasteriser turns curves into lines.
constexpr double kRasterFlatness = 0.25;
// Lines across a tile's border are kept whole up to this length in device pixels: those are
// drawn exactly as in the whole path, while a longer line is cut at the border, after which the
// rasteriser steps along it from the cut and may place it up to 1/256 pixel apart.
constexpr double kUncutLength = 8;


enum Side : unsigned { kLeft = 1, kRight = 2, kAbove = 4, kBelow = 8 };

// The closed half-planes beside keep that hold point.
unsigned SidesOf(const QPointF &point, const QRectF &keep)
{
    return (point.x() <= keep.left() ? kLeft : 0u) | (point.x() >= keep.right() ? kRight : 0u) |
           (point.y() <= keep.top() ? kAbove : 0u) | (point.y() >= keep.bottom() ? kBelow : 0u);
}

bool Inside(const QPointF &point, const QRectF &keep)
{
    return point.x() >= keep.left() && point.x() <= keep.right() && point.y() >= keep.top() &&
           point.y() <= keep.bottom();
}

QPointF ClampInto(const QPointF &point, const QRectF &keep)
{
    return {std::clamp(point.x(), keep.left(), keep.right()), std::clamp(point.y(), keep.top(), keep.bottom())};
}

// The part [t0, t1] of the segment from a to b inside keep; false when it misses keep.
bool SegmentInside(const QPointF &a, const QPointF &b, const QRectF &keep, double &t0, double &t1)
{
    const double dx = b.x() - a.x();
    const double dy = b.y() - a.y();
    const double p[4] = {-dx, dx, -dy, dy};
    const double q[4] = {a.x() - keep.left(), keep.right() - a.x(), a.y() - keep.top(), keep.bottom() - a.y()};
    t0 = 0;
    t1 = 1;
    for (int i = 0; i < 4; ++i) {
        if (p[i] == 0) {
            if (q[i] < 0) {
                return false;
            }
            continue;
        }
        const double r = q[i] / p[i];
        if (p[i] < 0) {
            t0 = std::max(t0, r);
        } else {
            t1 = std::min(t1, r);
        }
    }
    return t0 <= t1;
}

// Lines standing for a cubic, each end handed to line in turn. The curve is halved until each
// part is flat to within flatness, as the rasteriser does before filling: the lines are then
// the ones it would have drawn itself.
template <typename LineTo>
void FlattenCubic(const QPointF &p0, const PieceEdge &edge, double flatness, const LineTo &line)
{
    constexpr int kMaxHalvings = 9;  // at most 2^9 lines
    auto flat = [flatness](const CubicCurve<QPointF> &b) {
        const QPointF chord = b.end - b.start;
        double length = std::abs(chord.x()) + std::abs(chord.y());
        double bend;
        if (length > 1.) {
            bend = std::abs(chord.x() * (b.start.y() - b.control1.y()) - chord.y() * (b.start.x() - b.control1.x())) +
                   std::abs(chord.x() * (b.start.y() - b.control2.y()) - chord.y() * (b.start.x() - b.control2.x()));
        } else {
            bend = std::abs(b.start.x() - b.control1.x()) + std::abs(b.start.y() - b.control1.y()) +
                   std::abs(b.start.x() - b.control2.x()) + std::abs(b.start.y() - b.control2.y());
            length = 1.;
        }
        return bend < flatness * length;
    };
    HalveUntil(CubicCurve<QPointF>{p0, edge.c1, edge.c2, edge.to}, kMaxHalvings, flat,
               [&line](const CubicCurve<QPointF> &part) { line(part.end); });
}

// Cuts contours fed edge by edge down to keep (see the top of this file).
class FillCutter {
public:
    // Room is made for reserve edges.
    FillCutter(const QRectF &keep, const CutTolerances &tolerances, size_t reserve)
        : keep_(keep), flatness_(tolerances.flatness), uncut_(tolerances.uncut)
    {
        out_.edges.reserve(reserve);
    }

    void Start(const QPointF &point)
    {
        Finish();
        start_ = point;
        first_ = out_.edges.size();
        at_ = point;
        open_ = true;
    }

    // Edges from the current point to `to` that lie wholly in the half-planes sides.
    void Skip(unsigned sides, const QPointF &to)
    {
        if ((pending_ & sides) == 0) {
            Flush();
            pending_ = sides;
            ++runs_;
        } else {
            pending_ &= sides;
        }
        pendingTo_ = to;
        at_ = to;
    }

    void Add(const PieceEdge &edge)
    {
        unsigned sides = SidesOf(at_, keep_) & SidesOf(edge.to, keep_);
        if (edge.curved) {
            sides &= SidesOf(edge.c1, keep_) & SidesOf(edge.c2, keep_);
        }
        if (sides != 0) {
            Skip(sides, edge.to);
        } else if (Inside(at_, keep_) && Inside(edge.to, keep_) &&
                   (!edge.curved || (Inside(edge.c1, keep_) && Inside(edge.c2, keep_)))) {
            Keep(edge);
        } else if (edge.curved) {
            FlattenCubic(at_, edge, flatness_, [this](const QPointF &to) { Line(to); });
        } else {
            Line(edge.to);
        }
    }

    PieceOutline Take()
    {
        Finish();
        return std::move(out_);
    }

private:
    // A line across (or past a corner of) keep: the parts beside keep join the runs there.
    void Line(const QPointF &to)
    {
        const unsigned sides = SidesOf(at_, keep_) & SidesOf(to, keep_);
        if (sides != 0) {
            Skip(sides, to);
            return;
        }
        double t0 = 0;
        double t1 = 1;
        if (std::abs(to.x() - at_.x()) + std::abs(to.y() - at_.y()) <= uncut_ ||
            !SegmentInside(at_, to, keep_, t0, t1)) {
            Keep({{}, {}, to, false});  // short, or passing a corner: kept as it is
            return;
        }
        const QPointF from = at_;
        if (t0 > 0) {
            Beside(ClampInto(from + (to - from) * t0, keep_));
        }
        if (t1 < 1) {
            Keep({{}, {}, ClampInto(from + (to - from) * t1, keep_), false});
            Beside(to);
        } else {
            Keep({{}, {}, to, false});
        }
    }

    // A line from the current point that ends on or beyond the border.
    void Beside(const QPointF &to)
    {
        const unsigned sides = SidesOf(at_, keep_) & SidesOf(to, keep_);
        if (sides != 0) {
            Skip(sides, to);
        } else {
            Keep({{}, {}, to, false});
        }
    }

    void Keep(const PieceEdge &edge)
    {
        Flush();
        out_.edges.push_back(edge);
        at_ = edge.to;
        kept_ = true;
    }

    void Flush()
    {
        if (pending_ != 0) {
            out_.edges.push_back({{}, {}, pendingTo_, false});
            pending_ = 0;
        }
    }

    // A contour that is one run beside keep lies in one half-plane and covers nothing in keep.
    void Finish()
    {
        if (!open_) {
            return;
        }
        Flush();
        if (kept_ || runs_ > 1) {
            out_.starts.push_back(start_);
            out_.ends.push_back(out_.edges.size());
        } else {
            out_.edges.resize(first_);
        }
        open_ = false;
        kept_ = false;
        runs_ = 0;
    }

    QRectF keep_;
    double flatness_;
    double uncut_;
    PieceOutline out_;
    QPointF start_;
    size_t first_ = 0;
    QPointF at_;
    bool open_ = false;
    bool kept_ = false;
    int runs_ = 0;
    unsigned pending_ = 0;
    QPointF pendingTo_;
};

QPointF PointOf(const Element &element)
{
    return {element.x, element.y};
}

// The edge whose first element is at index (a curve takes three elements).
PieceEdge EdgeAt(const QPainterPath &path, int index)
{
    const Element &element = path.elementAt(index);
    if (element.type == QPainterPath::CurveToElement && index + 2 < path.elementCount()) {
        return {PointOf(element), PointOf(path.elementAt(index + 1)), PointOf(path.elementAt(index + 2)), true};
    }
    return {{}, {}, PointOf(element), false};
}

int EdgeElements(const QPainterPath &path, int index)
{
    return path.elementAt(index).type == QPainterPath::CurveToElement ? 3 : 1;
}

// The scale the rasteriser takes a transform to have when it flattens curves: the larger of the
// axes' scales.
double FlatteningScale(const QTransform &t)
{
    if (t.type() <= QTransform::TxTranslate) {
        return 1;
    }
    if (t.type() == QTransform::TxScale) {
        return std::max(std::abs(t.m11()), std::abs(t.m22()));
    }
    const double columnX = t.m11() * t.m11() + t.m21() * t.m21();
    const double columnY = t.m12() * t.m12() + t.m22() * t.m22();
    const double rowX = t.m11() * t.m11() + t.m12() * t.m12();
    const double rowY = t.m21() * t.m21() + t.m22() * t.m22();
    return std::abs(columnX - columnY) > std::abs(rowX - rowY) ? std::sqrt(std::max(columnX, columnY))
                                                               : std::sqrt(std::max(rowX, rowY));
}

QRectF KeptArea(const QRect &device, const QTransform &inverse)
{
    return inverse.mapRect(QRectF(device).adjusted(-kTileMargin, -kTileMargin, kTileMargin, kTileMargin));
}

// Fills tiles of one path with one brush.
class TileFiller {
public:
    TileFiller(QImage &image, const QRect &clip, Qt::FillRule rule, const QTransform &world, const QBrush &brush,
               bool antialiased, RenderCounts &counts)
        : image_(image), clip_(clip), rule_(rule), world_(world), inverse_(world.inverted()), brush_(brush),
          antialiased_(antialiased), tolerances_(TolerancesFor(world)), counts_(counts)
    {
    }

    const CutTolerances &Tolerances() const { return tolerances_; }

    // The rectangle of path coordinates whose geometry decides the tile's pixels.
    QRectF Keep(const QRect &tile) const { return KeptArea(tile, inverse_); }

    void Fill(const QRect &tile, const PieceOutline &outline)
    {
        if (outline.empty() || !tile.intersects(clip_)) {
            return;
        }
        const bool wide = tile.width() >= tile.height();
        if (outline.edges.size() > kTileEdges && (wide ? tile.width() : tile.height()) > kMinTileSide) {
            const QRect first = wide ? QRect(tile.left(), tile.top(), tile.width() / 2, tile.height())
                                     : QRect(tile.left(), tile.top(), tile.width(), tile.height() / 2);
            const QRect second = wide ? QRect(first.right() + 1, tile.top(), tile.width() - first.width(), tile.height())
                                      : QRect(tile.left(), first.bottom() + 1, tile.width(), tile.height() - first.height());
            for (const QRect &half : {first, second}) {
                Fill(half, CutFill(outline, Keep(half), tolerances_));
            }
            return;
        }
        Paint(tile, outline);
    }

private:
    // The tile is filled through an image over its own pixels: the rasteriser then collects the
    // cells of the tile only.
    void Paint(const QRect &tile, const PieceOutline &outline)
    {
        const qsizetype stride = image_.bytesPerLine();
        QImage view(image_.bits() + stride * tile.top() + tile.left() * 4, tile.width(), tile.height(), stride,
                    image_.format());
        QPainter painter(&view);
        painter.setRenderHint(QPainter::Antialiasing, antialiased_);
        const QRect part = tile.intersected(clip_);
        if (part != tile) {
            painter.setClipRect(part.translated(-tile.topLeft()));
        }
        painter.setTransform(world_ * QTransform::fromTranslate(-tile.left(), -tile.top()));
        painter.fillPath(ToPath(outline, rule_), brush_);
        counts_.tilesFilled += 1;
        counts_.tileEdges += static_cast<int64_t>(outline.edges.size());
    }

    QImage &image_;
    QRect clip_;
    Qt::FillRule rule_;
    QTransform world_;
    QTransform inverse_;
    QBrush brush_;
    bool antialiased_;
    CutTolerances tolerances_;
    RenderCounts &counts_;
};

}  // namespace

PathPieces::PathPieces(const QPainterPath &path) : path_(path)
{
    const int count = path.elementCount();
    auto grow = [](Box &box, const QPointF &point) {
        box.left = std::min(box.left, point.x());
        box.top = std::min(box.top, point.y());
        box.right = std::max(box.right, point.x());
        box.bottom = std::max(box.bottom, point.y());
    };
    int i = 0;
    while (i < count) {
        const QPointF start = PointOf(path.elementAt(i));
        Subpath subpath{i, runs_.size(), runs_.size(), {start.x(), start.y(), start.x(), start.y()}};
        ++i;
        while (i < count && path.elementAt(i).type != QPainterPath::MoveToElement) {
            const QPointF from = PointOf(path.elementAt(i - 1));
            Run run{i, i, {from.x(), from.y(), from.x(), from.y()}};
            for (int edges = 0; edges < kRunEdges && i < count &&
                                path.elementAt(i).type != QPainterPath::MoveToElement;
                 ++edges) {
                const int end = std::min(i + EdgeElements(path, i), count);
                for (; i < end; ++i) {
                    grow(run.box, PointOf(path.elementAt(i)));
                }
            }
            run.end = i;
            grow(subpath.box, {run.box.left, run.box.top});
            grow(subpath.box, {run.box.right, run.box.bottom});
            runs_.push_back(run);
        }
        subpath.endRun = runs_.size();
        subpaths_.push_back(subpath);
    }
}

unsigned PathPieces::Beside(const Box &box, const QRectF &keep)
{
    return SidesOf({box.right, box.bottom}, keep) & SidesOf({box.left, box.top}, keep);
}

PieceOutline PathPieces::FillWithin(const QRectF &keep, const CutTolerances &tolerances) const
{
    FillCutter cutter(keep, tolerances, 1024);
    for (const Subpath &subpath : subpaths_) {
        if (Beside(subpath.box, keep) != 0) {
            continue;
        }
        cutter.Start(PointOf(path_.elementAt(subpath.move)));
        for (size_t r = subpath.firstRun; r < subpath.endRun; ++r) {
            const Run &run = runs_[r];
            if (const unsigned sides = Beside(run.box, keep); sides != 0) {
                cutter.Skip(sides, PointOf(path_.elementAt(run.end - 1)));
                continue;
            }
            for (int i = run.first; i < run.end; i += EdgeElements(path_, i)) {
                cutter.Add(EdgeAt(path_, i));
            }
        }
    }
    return cutter.Take();
}

PieceOutline CutFill(const PieceOutline &outline, const QRectF &keep, const CutTolerances &tolerances)
{
    FillCutter cutter(keep, tolerances, outline.edges.size() / 2);
    size_t edge = 0;
    for (size_t i = 0; i < outline.starts.size(); ++i) {
        cutter.Start(outline.starts[i]);
        for (; edge < outline.ends[i]; ++edge) {
            cutter.Add(outline.edges[edge]);
        }
    }
    return cutter.Take();
}

QPainterPath ToPath(const PieceOutline &outline, Qt::FillRule rule)
{
    QPainterPath path;
    path.setFillRule(rule);
    path.reserve(static_cast<int>(std::min<size_t>(outline.edges.size() * 3 + outline.starts.size(), 1u << 28)));
    size_t edge = 0;
    for (size_t i = 0; i < outline.starts.size(); ++i) {
        path.moveTo(outline.starts[i]);
        for (; edge < outline.ends[i]; ++edge) {
            const PieceEdge &piece = outline.edges[edge];
            if (piece.curved) {
                path.cubicTo(piece.c1, piece.c2, piece.to);
            } else {
                path.lineTo(piece.to);
            }
        }
    }
    return path;
}

std::shared_ptr<const GroupPieces> BuildGroupPieces(const std::vector<QPainterPath> &fills)
{
    auto pieces = std::make_shared<GroupPieces>();
    pieces->fills.resize(fills.size());
    bool any = false;
    for (size_t i = 0; i < fills.size(); ++i) {
        if (fills[i].elementCount() >= kPiecewiseElements) {
            pieces->fills[i] = std::make_shared<const PathPieces>(fills[i]);
            any = true;
        }
    }
    return any ? pieces : nullptr;
}

CutTolerances TolerancesFor(const QTransform &world)
{
    const double scale = FlatteningScale(world);
    return {kRasterFlatness / scale, kUncutLength / scale};
}

bool TileableTransform(const QTransform &transform)
{
    return transform.isAffine() && transform.isInvertible() && FlatteningScale(transform) > 0;
}

void FillInTiles(QImage &image, const QRect &area, const QRect &clip, const PathPieces &pieces,
                 const QTransform &world, const QBrush &brush, bool antialiased, RenderCounts &counts)
{
    if (image.depth() != 32 || !image.rect().contains(area) || !TileableTransform(world)) {
        return;
    }
    TileFiller filler(image, clip.intersected(area), pieces.Path().fillRule(), world, brush, antialiased, counts);
    filler.Fill(area, pieces.FillWithin(filler.Keep(area), filler.Tolerances()));
}

QPainterPath FillCutTo(const PathPieces &pieces, const QRect &device, const QTransform &world)
{
    if (!TileableTransform(world)) {
        return {};
    }
    return ToPath(pieces.FillWithin(KeptArea(device, world.inverted()), TolerancesFor(world)),
                  pieces.Path().fillRule());
}

}  // namespace platform::swf
