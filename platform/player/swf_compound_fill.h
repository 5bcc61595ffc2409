// The fills of one style group drawn together: a scan-line rasteriser finds how much of each pixel
// every fill style covers, and a pixel takes the styles' colours weighted by those coverages. Fill
// regions that tile an area then cover a pixel on their shared edge fully, where filling them one
// after another would let the background through. The same rasteriser fills line outlines, in
// time that grows with their edges times the rows they cross however often they overlap
// themselves. Internal to the player.
#pragma once

#include <QImage>
#include <QPainterPath>
#include <QPoint>
#include <QRect>
#include <QTransform>

#include "platform/player/swf_partial_cover.h"
#include "platform/player/swf_render_counts.h"

#include <vector>

namespace platform::swf {

// What a fill style paints where it covers a pixel: a premultiplied colour, or (when image is
// set) the premultiplied pixels of an image whose (0, 0) lies on scene pixel origin.
struct CompoundSource {
    QRgb color = 0;
    const QImage *image = nullptr;  // Format_ARGB32_Premultiplied
    QPoint origin;
};

// Where a compound fill draws. Scene pixels are the device pixels of the whole picture; the
// image holds scene rows from imageTop on and every scene column from 0. Only pixels of clip
// (scene pixels) change. Edges are followed across the rows of clip only, and from the image's
// first column up to the clip's last (an edge wholly right of the clip cannot change a pixel in
// it), so the pixels of a row depend on the geometry alone, not on the part of the picture drawn.
// Where partial is given (holding the clip), a fill takes what earlier fills left partly covered
// in its pixels into account and leaves its own partial covers there, unless it forgets them
// where it draws, as a union always does.
struct CompoundTarget {
    QImage *image = nullptr;
    int imageTop = 0;
    QRect clip;
    PartialRows partial = {};
    bool forgetsPartial = false;
};

// Whether the compound fill can draw into image (32-bit premultiplied pixels).
bool CompoundFillable(const QImage &image);

// Fills each even-odd path (a fill style; null or empty paths are passed over) through world into
// the target with its source. A pixel gets sum(coverage_i * source_i) + (1 - sum(coverage_i *
// alpha_i)) * itself; where coverages add up past 1 (overlapping regions) they are scaled down.
// A pixel the target's partial covers hold takes, of the part the paths cover, the share whose
// sample points earlier fills left uncovered over what lay below those fills.
// The rows times the lines crossing them, and the cells made, are added to counts.
void FillCompound(const CompoundTarget &target, const std::vector<const QPainterPath *> &paths,
                  const std::vector<CompoundSource> &sources, const QTransform &world, RenderCounts &counts);

// How FillUnion finds a pixel's coverage: the part of its area covered, or whether its centre is
// covered (a centre on an edge belongs to the region right of or below the edge).
enum class Sampling { Area, Centre };

// Fills path through world into the target with a premultiplied colour, by the nonzero rule over
// its contours as they run: the region is the union of the pieces the contours go round (as a
// line's outline is), whichever way each piece turns, and a pixel covered by several pieces is
// covered once. Counted as FillCompound counts.
void FillUnion(const CompoundTarget &target, const QPainterPath &path, QRgb color, const QTransform &world,
               Sampling sampling, RenderCounts &counts);

// Square tiles of side scene pixels over area, row by row from its top left corner; the last
// column and row are cut short where the area ends.
struct TileGrid {
    QRect area;
    int side = 8;

    int Columns() const { return (area.width() + side - 1) / side; }
    int Rows() const { return (area.height() + side - 1) / side; }
    // The tiles' rectangle (in tiles) that rect (scene pixels) reaches into; empty when none.
    QRect TilesOf(const QRect &rect) const;
};

// Raises to value the tiles of grid (row by row in tiles, which holds one entry each) in which
// FillCompound gives every pixel of path's even-odd fill through world coverage 1, whatever
// part of the picture it draws: no line of the fill comes within a pixel of the tile, and its
// inside is odd there.
void MarkWhollyFilled(const QPainterPath &path, const QTransform &world, const TileGrid &grid, int32_t value,
                      std::vector<int32_t> &tiles);

}  // namespace platform::swf
