// The renderer's entry points: drawing a display list, telling where two pictures differ, and
// the bitmap and text support it draws with. Internal to the player.
#pragma once

#include "platform/player/swf_movie.h"
#include "platform/player/swf_render_counts.h"

#include <QImage>
#include <QRect>
#include <QTransform>

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <optional>

class QPainter;

namespace platform::swf {

enum class Quality { Low, Medium, High, Best };

// A range of paint items (numbered as PaintItems numbers them), end excluded.
struct ItemRange {
    size_t begin = 0;
    size_t end = SIZE_MAX;
};

// Draws the display list into the part clip of the picture area of target through view (movie
// twips -> device pixels). Large pictures are drawn in horizontal bands on several threads; the
// bands depend on the picture area only, so a part repainted gives the pixels of a whole render.
// Only the paint items in range are drawn (clip layers always apply), so that drawing the items
// of consecutive ranges one after another gives the pixels of drawing them all at once. The work
// done is added to counts when given. Drawing stops early, leaving the target part drawn, once
// cancel (when given) turns true: it is looked at between objects and between bands. Groups shared
// with other movies and players are only read while drawing, so renders may run on several
// threads at once.
void RenderDisplayList(const Movie &movie, const DisplayList &list, QImage &target, const QRect &picture,
                       const QRect &clip, const QTransform &view, Quality quality, const ItemRange &range = {},
                       RenderCounts *counts = nullptr, const std::atomic<bool> *cancel = nullptr);

// Device pixels around a shape's bounds that its drawing may still touch (anti-aliasing,
// one-pixel lines): shapes are culled, and changed areas widened, by this margin.
constexpr double kPaintMargin = 2;

// One thing the renderer paints, in painting order, for telling where the pictures of two display
// lists differ: a shape group at its placement (a clip layer's mask when clipDepth > 0), or
// something without a shared group (text), which is never taken for unchanged.
struct PaintItem {
    GroupPtr group;  // kept alive so that an equal pointer means the same group
    QTransform matrix;  // group -> movie twips: the placement, with the group's offset
    ColorTransform colorTransform;
    uint16_t depth = 0;
    uint16_t clipDepth = 0;
    bool comparable = false;  // false when drawn from data read anew with each movie (bitmaps, text)

    bool SameAs(const PaintItem &other) const;
};

std::vector<PaintItem> PaintItems(const Movie &movie, const DisplayList &list);

// How many leading items of the two lists paint the same.
size_t UnchangedHead(const std::vector<PaintItem> &before, const std::vector<PaintItem> &after);

// The device area (within area) where the pictures of the two item lists, drawn through view,
// can differ: all of area when a clip layer or something of unknown extent changed. It spans
// whole rows of area where a gradient or bitmap fill lies in it, so that what is repainted
// equals a whole render bit for bit.
QRect ChangedArea(const std::vector<PaintItem> &before, const std::vector<PaintItem> &after,
                  const QTransform &view, const QRect &area);

// Items [from, end) of a list moved by a whole number of device pixels, those before unchanged.
struct ItemShift {
    QPoint offset;
    size_t from = 0;

    bool operator==(const ItemShift &) const = default;
};

// How the items of after are those of before moved: the leading items unchanged and every other
// one the same item (same group, look and depth) with its placement translated through view by
// one whole device-pixel offset; nullopt when the lists differ otherwise, nothing moved, or a
// moved item is a clip layer or drawn from data read anew.
std::optional<ItemShift> WholePixelShift(const std::vector<PaintItem> &before, const std::vector<PaintItem> &after,
                                         const QTransform &view);

// The items of after that differ from those of before (moved, restyled or both) when the two
// lists hold as many items: the range from the first to the last of them, and the device area
// (within area) that they cover before and after (each one's own, not the whole range's).
// nullopt when the lists differ in length, nothing differs, or the extent of one that differs is
// not known (a clip layer, text).
struct EditedItems {
    ItemRange range;
    QRect area;
};
std::optional<EditedItems> Edited(const std::vector<PaintItem> &before, const std::vector<PaintItem> &after,
                                  const QTransform &view, const QRect &area);

// Whether the two lists hold as many items and at least half of them lie where they did (same
// placement and bounds: restyled, not moved), so that the last picture shows roughly the new one.
bool MostlyInPlace(const std::vector<PaintItem> &before, const std::vector<PaintItem> &after);

// A count of the work of drawing the items in range over area: one for each item that touches
// it, and one for every kWorkPixels pixels of the area each such item covers.
constexpr int64_t kWorkPixels = 256;
int64_t RepaintWork(const std::vector<PaintItem> &items, const ItemRange &range, const QTransform &view,
                    const QRect &area);

// Bitmap and text support (swf_bitmaps.cpp, swf_text.cpp).
QImage DecodeJpeg(std::string_view data);
// The picture with its alpha plane; the picture's colours are already multiplied by that alpha.
QImage ApplyAlphaPlane(const QImage &image, std::string_view zlibAlpha);
QString ResolveDeviceFont(const QString &name);
void DrawEditText(const Movie &movie, const EditTextCharacter &text, QPainter &painter, const ColorTransform &cx,
                  Quality quality);

}  // namespace platform::swf
