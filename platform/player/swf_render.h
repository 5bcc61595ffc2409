// The renderer's entry points: drawing a display list, telling where two pictures differ, and
// the bitmap and text support it draws with. Internal to the player.
#pragma once

#include "platform/player/swf_item_grid.h"
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

// A range of paint items (numbered in painting order), end excluded. When among is given, the
// groups of shapes in the range that it does not list (sorted) are known to miss what is drawn.
struct ItemRange {
    size_t begin = 0;
    size_t end = SIZE_MAX;
    const std::vector<size_t> *among = nullptr;
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
// The placement of a display object, shared by its paint items.
struct ItemPlacement {
    QTransform matrix;  // object -> movie twips
    ColorTransform colorTransform;

    bool operator==(const ItemPlacement &other) const
    {
        return matrix == other.matrix && colorTransform == other.colorTransform;
    }
};

struct PaintItem {
    GroupPtr group;  // kept alive so that an equal pointer means the same group
    std::shared_ptr<const ItemPlacement> placement;  // of its object
    QPointF offset;  // the group's origin in the object's coordinates
    uint16_t depth = 0;
    uint16_t clipDepth = 0;
    bool comparable = false;  // false when drawn from data read anew with each movie (bitmaps, text)

    // Group -> movie twips: the placement, with the group's offset.
    QTransform Matrix() const { return QTransform::fromTranslate(offset.x(), offset.y()) * placement->matrix; }
    const ColorTransform &Colors() const { return placement->colorTransform; }
    // The same group drawn the same way (a look at the placements' values where they differ).
    bool SameAs(const PaintItem &other) const;
};

// The paint items a character placed as a display object stands for, in painting order.
size_t ItemCount(const Character &character);

// Where a paint item draws through a view, worked out once with the item.
struct ItemArea {
    QRect device;        // the device pixels it may touch, when known
    bool known = false;  // false for text, a clip layer's mask or a placement beyond reason
    bool sampled = false;  // a gradient or bitmap fill, sampled along rows from where a run starts
};

// The paint items of a rendered picture, each with its area through view, and what they were
// taken from: the movie (its serial) and its display objects with the number of items of each.
struct KeptItems {
    struct Object {
        uint16_t depth = 0;
        DisplayObject object;
        size_t count = 0;
    };
    std::vector<PaintItem> items;
    std::vector<ItemArea> areas;
    std::vector<Object> objects;
    QTransform view;
    uint64_t movie = 0;
    size_t incomparable = 0;  // items never taken for unchanged (drawn from data read anew)
    size_t clipLayers = 0;
    ItemGrid grid;  // of areas, kept up to date by Apply

    size_t size() const { return items.size(); }
};

// The paint items of a display list as a change of kept ones: items [from, oldEnd) of the kept
// list are replaced by middle, the others stay. Made in proportion to what changed when the movie
// is the kept one or was loaded over it (the groups of a shape it took over whole are not looked
// at); else every item is made again.
struct ItemsChange {
    size_t from = 0;
    size_t oldEnd = 0;
    std::vector<PaintItem> middle;
    std::vector<ItemArea> middleAreas;
    std::vector<KeptItems::Object> objects;
    uint64_t movie = 0;
};
ItemsChange ChangeOf(const KeptItems &kept, const Movie &movie, const DisplayList &list);
// Brings the kept items to the display list of the change. The items it replaces are moved into
// replaced when given (their groups may be the last holds on them), else let go here.
void Apply(KeptItems &kept, ItemsChange change, std::vector<PaintItem> *replaced = nullptr);
// The items of a display list seen through view, made anew.
KeptItems AllItems(const Movie &movie, const DisplayList &list, const QTransform &view);

// The kept items (before) and a change of them (after) side by side. The items that differ lie
// between the unchanged head and tail, found by comparing only the items the change replaced.
class ItemComparison {
public:
    ItemComparison(const KeptItems &before, const ItemsChange &change);

    size_t BeforeSize() const { return before_.size(); }
    size_t AfterSize() const { return afterSize_; }
    const PaintItem &Before(size_t i) const { return before_.items[i]; }
    const ItemArea &BeforeArea(size_t i) const { return before_.areas[i]; }
    const PaintItem &After(size_t i) const;
    const ItemArea &AfterArea(size_t i) const;
    // How many leading and trailing items of the two lists paint the same (head + tail never
    // exceeds the shorter list).
    size_t Head() const { return head_; }
    size_t Tail() const { return tail_; }
    // Whether the new list holds a clip layer.
    bool AfterLayered() const { return afterClipLayers_ == 0; }
    // Items compared one by one to tell the head and tail.
    size_t Compared() const { return compared_; }
    // What the comparison is made of: the kept items and the change replacing some of them.
    const KeptItems &Kept() const { return before_; }
    const ItemsChange &Change() const { return change_; }

private:
    const KeptItems &before_;
    const ItemsChange &change_;
    size_t afterSize_ = 0;
    size_t head_ = 0;
    size_t tail_ = 0;
    size_t afterClipLayers_ = 0;
    size_t compared_ = 0;
};

// The device area (within area) where the pictures of the two item lists can differ: all of area
// when a clip layer or something of unknown extent changed. It spans whole rows of area where a
// gradient or bitmap fill lies in it, so that what is repainted equals a whole render bit for bit.
QRect ChangedArea(const ItemComparison &items, const QRect &area);

// Items [from, end) of a list moved by a whole number of device pixels, those before unchanged.
struct ItemShift {
    QPoint offset;
    size_t from = 0;

    bool operator==(const ItemShift &) const = default;
};

// How the new items are the old ones moved: the leading items unchanged and every other one the
// same item (same group, look and depth) with its placement translated through view by one whole
// device-pixel offset; nullopt when the lists differ otherwise, nothing moved, or a moved item is
// a clip layer or drawn from data read anew.
std::optional<ItemShift> WholePixelShift(const ItemComparison &items, const QTransform &view);

// The new items that differ from the old (moved, restyled, added or removed): the range from
// the first to the last of them, and the device area (within area) that they cover before and
// after (each one's own, not the whole range's, when the lists hold as many items). nullopt when
// nothing differs or the extent of one that differs is not known (a clip layer, text).
struct EditedItems {
    ItemRange range;
    QRect area;
};
std::optional<EditedItems> Edited(const ItemComparison &items, const QRect &area);

// As WholePixelShift, also taking items drawn from another group in the same colours (reshaped
// by the writer's rounding as they moved) when they cover what they covered moved by the offset
// within a device pixel and are at most half of the moved ones: the shifted pixels then show the
// new picture but for the outlines of those.
// The reshaped items taken are added to reshaped when given.
std::optional<ItemShift> RoughShift(const ItemComparison &items, const QTransform &view,
                                    std::vector<size_t> *reshaped = nullptr);

// A count of the work of drawing the new items in range over area: one for each item that
// touches it, and one for every kWorkPixels pixels of the area each such item covers.
constexpr int64_t kWorkPixels = 256;
int64_t RepaintWork(const ItemComparison &items, const ItemRange &range, const QRect &area);

// Whether an item of this area may be drawn into area: the renderer places it within half a
// device pixel of where the view does.
bool MayTouch(const ItemArea &item, const QRect &area);

// The new items (sorted) whose area may reach into area, for drawing only those there.
std::vector<size_t> ItemsTouching(const ItemComparison &items, const QRect &area);
std::vector<size_t> ItemsTouching(const KeptItems &items, const QRect &area);
// The same when the new items from shift.from on are the kept ones moved by shift.offset, or
// reshaped within a device pixel of that (as RoughShift finds them).
std::vector<size_t> ItemsTouchingShifted(const ItemComparison &items, const ItemShift &shift, const QRect &area);

// Bitmap and text support (swf_bitmaps.cpp, swf_text.cpp).
QImage DecodeJpeg(std::string_view data);
// The picture with its alpha plane; the picture's colours are already multiplied by that alpha.
QImage ApplyAlphaPlane(const QImage &image, std::string_view zlibAlpha);
QString ResolveDeviceFont(const QString &name);
void DrawEditText(const Movie &movie, const EditTextCharacter &text, QPainter &painter, const ColorTransform &cx,
                  Quality quality);

}  // namespace platform::swf
