// Drawing a display list with QPainter: shapes by style group (fills even-odd, then lines), morph
// shapes at their ratio, bitmaps, text fields, colour transforms and clip layers. Internal to the
// player.
#pragma once

#include "platform/player/swf_movie.h"
#include "platform/player/swf_partial_cover.h"
#include "platform/player/swf_render_counts.h"

#include <QImage>
#include <QRect>
#include <QTransform>

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace platform::swf {

enum class Quality : uint8_t { Low, Medium, High, Best };

// A range of paint items (numbered in painting order), end excluded. When among is given, the
// groups of shapes in the range that it does not list (sorted) are known to miss what is drawn.
struct ItemRange {
    size_t begin = 0;
    size_t end = SIZE_MAX;
    const std::vector<size_t> *among = nullptr;
};

// Everything that decides a picture's pixels besides its paint items.
struct PictureSetup {
    const Movie *movie = nullptr;
    const DisplayList *list = nullptr;
    QRect visible;  // the picture area within the target
    QTransform view;  // movie twips -> device pixels
    Quality quality = Quality::High;
    QRgb background = 0;
    RenderCounts *counts = nullptr;  // where the work of drawing is added, when given
    const std::atomic<bool> *cancel = nullptr;  // stops the drawing early when it turns true
    // The items (sorted) that may reach into the rows painted, across the picture; all when null.
    // The renderer takes it from the ranges it is given; the painters above it pass it on.
    const std::vector<size_t> *among = nullptr;
};

// Draws the setup's display list into the part clip of its picture area of target (the
// background is not painted). Large pictures are drawn in horizontal bands on several threads;
// the bands depend on the picture area only, so a part repainted gives the pixels of a whole
// render. Only the paint items in range are drawn (clip layers always apply), so that drawing the
// items of consecutive ranges one after another gives the pixels of drawing them all at once. The
// work done is added to the setup's counts when given. Drawing stops early, leaving the target
// part drawn, once the setup's cancel (when given) turns true: it is looked at between objects and
// between bands. Groups shared with other movies and players are only read while drawing, so
// renders may run on several threads at once.
// Anti-aliased, fills that share a pixel along an edge cover it together (swf_partial_cover.h).
// Where the items are drawn in ranges one after another, what the items drawn before left partly
// covered is carried from one range to the next in carried, which must hold clip; without it,
// each render starts with nothing partly covered.
void RenderDisplayList(const PictureSetup &setup, QImage &target, const QRect &clip, const ItemRange &range = {},
                       PartialCover *carried = nullptr);

// Whether pictures drawn at quality keep partial covers from group to group (anti-aliased).
inline bool KeepsPartialCovers(Quality quality)
{
    return quality != Quality::Low;
}

// Device pixels around a shape's bounds that its drawing may still touch (anti-aliasing,
// one-pixel lines): shapes are culled, and changed areas widened, by this margin.
constexpr double kPaintMargin = 2;

}  // namespace platform::swf
