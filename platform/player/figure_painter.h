// Figures drawn onto a picture outside any movie (a metafile's picture) as the canvas player draws
// a shape's fills and lines: fills by the even-odd rule, lines with round caps and joins and never
// thinner than one device pixel, anti-aliased, with the player's compound fill and line outlines.
// A large figure is drawn in bands of rows on several threads, a long line only where it can reach
// each part of a band and without its outline where one of its straight pieces covers the part,
// so that the work grows with the edges times the rows they cross, not with how often a line
// overlaps itself, and the outlines held at once stay small.
#pragma once

#include "platform/player/movie_player.h"

#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QTransform>

#include <atomic>
#include <cstdint>
#include <optional>

namespace platform {

class FigurePainter {
public:
    static constexpr int64_t kMostOutlineElements = int64_t{1} << 25;

    // Draws onto picture (Format_RGB32 or Format_ARGB32_Premultiplied; other formats are left
    // alone) through world, which must be affine.
    FigurePainter(QImage &picture, const QTransform &world, int64_t mostOutlineElements = kMostOutlineElements);

    // Fills path by the even-odd rule in an opaque colour (0xRRGGBB, alpha ignored).
    void Fill(const QPainterPath &path, QRgb color);
    // Draws line width units wide (one device pixel where that is thinner) in an opaque colour.
    // Once the painter has built mostOutlineElements outline elements (a figure of many points
    // under a pen wider than much of the picture), the parts of wide lines left are drawn as the
    // squares of a few dozen pixels they reach, so that any figure is drawn in bounded time.
    void Stroke(const QPainterPath &line, double width, QRgb color);

    // The work done so far, counted as a player counts its renders' (outline elements built, fill
    // rows times the lines crossing them, cells made, tiles filled).
    const PlayerStats &Work() const { return work_; }

private:
    QImage &picture_;
    QTransform world_;
    PlayerStats work_;
    std::optional<QPainter> thinLines_;  // made for the first line one pixel wide
    // Outline elements the painter may still build (see Stroke), shared by the threads drawing.
    std::atomic<int64_t> outlineRoom_;
};

}  // namespace platform
