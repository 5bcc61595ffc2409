// Long fills drawn in pieces: a fill is cut down to the edges that decide its coverage inside a
// device rectangle and filled tile by tile. Internal to the player.
#pragma once

#include <QPainterPath>
#include <QRectF>
#include <QTransform>

#include "platform/player/swf_render_counts.h"

#include <cstdint>
#include <memory>
#include <vector>

class QBrush;
class QImage;

namespace platform::swf {

// Paths with at least this many elements are drawn in pieces.
constexpr int kPiecewiseElements = 1 << 14;

// One edge of a contour, from the point before it: a line to `to`, or a cubic through c1 and c2.
struct PieceEdge {
    QPointF c1;
    QPointF c2;
    QPointF to;
    bool curved = false;
};

// Contours one after another: contour i starts at starts[i] and goes along the edges from
// ends[i - 1] (0 for the first) to ends[i].
struct PieceOutline {
    std::vector<QPointF> starts;
    std::vector<size_t> ends;
    std::vector<PieceEdge> edges;

    bool empty() const { return starts.empty(); }
};

// How a fill is cut, in path units: the flatness to which curves across a border are turned into
// lines (the rasteriser's own), and the length up to which lines across a border stay whole.
struct CutTolerances {
    double flatness = 0;
    double uncut = 0;
};
// The tolerances for drawing through world.
CutTolerances TolerancesFor(const QTransform &world);

// A long path with its edges in runs of consecutive edges, each with its bounds, so that the runs
// far from a rectangle are passed over without reading their edges.
class PathPieces {
public:
    explicit PathPieces(const QPainterPath &path);

    const QPainterPath &Path() const { return path_; }
    // Contours that, filled with the path's rule, cover every point inside keep as the path does:
    // edges wholly beside keep become straight lines on their side of it, and edges across its
    // border are cut where they cross it (curves turned into lines first).
    PieceOutline FillWithin(const QRectF &keep, const CutTolerances &tolerances) const;

private:
    struct Box {
        double left;
        double top;
        double right;
        double bottom;
    };
    struct Run {
        int first;  // elements [first, end) of one subpath
        int end;
        Box box;    // with the point the run starts from
    };
    struct Subpath {
        int move;  // its move element
        size_t firstRun;
        size_t endRun;
        Box box;
    };

    static unsigned Beside(const Box &box, const QRectF &keep);

    QPainterPath path_;
    std::vector<Run> runs_;
    std::vector<Subpath> subpaths_;
};

// The same cut applied again to an outline already cut for a larger rectangle.
PieceOutline CutFill(const PieceOutline &outline, const QRectF &keep, const CutTolerances &tolerances);
QPainterPath ToPath(const PieceOutline &outline, Qt::FillRule rule);

// The pieces of a group's long fills, by style as the group's fill paths (null where short).
struct GroupPieces {
    std::vector<std::shared_ptr<const PathPieces>> fills;

    const PathPieces *Fill(size_t index) const { return index < fills.size() ? fills[index].get() : nullptr; }
};
// Null when no fill of the group is long.
std::shared_ptr<const GroupPieces> BuildGroupPieces(const std::vector<QPainterPath> &fills);

// Fills pieces with brush through world into the part clip of image, tile by tile: the tiles
// split area (which must lie in image) until each holds few edges, and depend on area and the
// path only, so a part repainted gives the pixels of a whole fill. Each tile keeps the geometry
// inside the bounds of its pixels (and a margin) mapped back through world. The tiles filled and
// the edges given to them are added to counts.
void FillInTiles(QImage &image, const QRect &area, const QRect &clip, const PathPieces &pieces,
                 const QTransform &world, const QBrush &brush, bool antialiased, RenderCounts &counts);

// Whether FillInTiles can draw through transform (affine and invertible).
bool TileableTransform(const QTransform &transform);

// The fill cut down to what decides its pixels in device, drawn through world (an empty path
// when world is not tileable).
QPainterPath FillCutTo(const PathPieces &pieces, const QRect &device, const QTransform &world);

}  // namespace platform::swf
