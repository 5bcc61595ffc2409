// Line outlines: the area a line covers at full width, round caps and joins, made by the stroker
// from the line with its curves cut fine enough. Internal to the player.
#pragma once

#include "platform/player/swf_render_counts.h"

#include <QPainterPath>
#include <QRectF>
#include <QTransform>

#include <cstdint>
#include <limits>
#include <optional>
#include <utility>
#include <vector>

namespace platform::swf {

// An outline is built only when its estimated size fits kMaxOutlineElements path elements (else
// its line is drawn one device pixel wide).
//
// Every outline is drawn with its points rounded to floats, kept or not, so that it draws the
// same either way. Outlines are in their group's coordinates, relative to its origin: a group
// within the largest canvas (65,535 twips a side) has its outlines' points within 2^16 twips of
// it, kept to within 2^-9 twip, at most 1/100 of a device pixel at the largest zoom (10,000 %,
// 5 pixels a twip) and below the rasteriser's 1/64 (a point up to 2^17 twips away, as a line's
// half width can add, to within 1/50).
constexpr int64_t kMaxOutlineElements = 2 << 20;

// Outlines are built for scales in steps of two: the scale (device pixels per twip) an outline
// drawn at scale is built for, the next power of two at or above it. An outline depends on its
// line, width and this scale only, whatever was drawn before.
double OutlineScale(double scale);
// A generous estimate of the elements of a line's outline drawn at scale device pixels per twip;
// above kMaxOutlineElements it is not built.
int64_t EstimatedOutlineElements(const QPainterPath &line, double width, double scale);
// The area a line of width twips covers, round caps and joins, exact to within a tenth of a
// device pixel at OutlineScale(scale) and below, as it is drawn (its points rounded to floats).
// It winds positively wherever the line covers (a union of stroked pieces): drawn by the nonzero
// rule, a pixel covered by several pieces is covered once.
QPainterPath LineOutline(const QPainterPath &line, double width, double scale);

// Whether one straight element of line, stroked width twips wide through world, covers the whole
// of rect (device pixels) with margin device pixels to spare: then so does the line's outline,
// which need not be built or filled there. False unless world only scales evenly, turns and
// moves.
bool StraightPieceCovers(const QPainterPath &line, double width, const QTransform &world, const QRectF &rect,
                         double margin);

// The part of line that can reach rect (device pixels) stroked width twips wide through world:
// the runs of its elements whose bounds (a straight element: the element itself), grown by half
// the width and margin device pixels, meet the rect, each a subpath of its own (the runs of a
// closed subpath joined across its start, as the stroker joins it there). Inside the rect its outline is the line's, made from those
// elements alone. Empty when no element reaches the rect; nullopt when every one may (the whole
// line is to be outlined).
std::optional<QPainterPath> LinePartNear(const QPainterPath &line, double width, const QTransform &world,
                                         const QRectF &rect, double margin);

// The elements of a line stroked width twips wide through world that can reach rows top to
// bottom (device pixels), looked at once: for each, the columns where it comes within margin
// device pixels of the rows. The part of the line near any columns of those rows is then found
// without reading the line's elements again, at once where every element reaches them. The
// line must outlive it.
class LineRowsReach {
public:
    LineRowsReach(const QPainterPath &line, double width, const QTransform &world, double top, double bottom,
                  double margin);
    // The part near the rect from left to right across the rows, made as LinePartNear makes it of
    // the elements that come within reach of the rect (a curve: whose control points' bounds do);
    // nullopt when every one does. The elements looked at are added to looked.
    std::optional<QPainterPath> PartNear(double left, double right, int64_t &looked) const;
    // Whether an element reaches the columns from left to right (the part near them is not empty).
    bool Reaches(double left, double right, int64_t &looked) const;

private:
    struct Subpath {
        int begin;
        int end;
        size_t firstElement;  // in elements_
    };
    const QPainterPath *line_;
    double width_;
    QTransform world_;
    double top_;
    double bottom_;
    double margin_;
    bool even_ = false;  // world only scales evenly, turns and moves (else LinePartNear is asked)
    std::vector<Subpath> subpaths_;                   // and one past the last
    std::vector<int> elements_;                       // the first index of each element
    std::vector<std::pair<double, double>> columns_;  // the columns each reaches, from > to for none
    double leftmostRight_ = std::numeric_limits<double>::infinity();
    double rightmostLeft_ = -std::numeric_limits<double>::infinity();
};

// A grid of square tiles side device pixels wide from the top left of area (the last ones cut
// to it), row after row.
struct CoverTiles {
    QRect area;
    int side = 64;
};

// Marks in covered (one flag a tile) the tiles that one straight element of line, stroked width
// twips wide through world, covers wholly with margin device pixels to spare (as
// StraightPieceCovers tells), looking at most mostTests times at a tile near a piece (and once
// at each element); returns how many.
// None unless world only scales evenly, turns and moves.
int64_t MarkCoveredTiles(const QPainterPath &line, double width, const QTransform &world, const CoverTiles &tiles,
                         double margin, int64_t mostTests, std::vector<char> &covered);

// A line readied for its outline at scale: its estimate (as EstimatedOutlineElements gives it)
// is known before the outline is built, from one look at its curves. The line must outlive it.
class OutlineCut {
public:
    OutlineCut(const QPainterPath &line, double width, double scale);
    int64_t Estimate() const { return estimate_; }
    // The outline as the stroker makes it.
    QPainterPath Stroke() const;
    // The outline as it is drawn and kept (LineOutline): the stroke with its points rounded to
    // floats. The elements the stroker made are added to counts when given.
    QPainterPath Outline(RenderCounts *counts = nullptr) const;

private:
    const QPainterPath *line_;
    double width_;
    double scale_;
    int64_t estimate_ = 0;
    int64_t curves_ = 0;
    int64_t pieces_ = 0;      // of curves_ cut to turn little enough
    int64_t tightLines_ = 0;  // straight lines standing for the pieces that bend too tightly
};

}  // namespace platform::swf
