// Paint items: what a picture paints, one shape group at its placement each, in painting order,
// kept with the picture so that the next one is told apart from it item by item. Internal to the
// player.
#pragma once

#include "platform/player/swf_item_grid.h"
#include "platform/player/swf_movie.h"

#include <QRect>
#include <QTransform>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

namespace platform::swf {

// The placement of a display object, shared by its paint items.
struct ItemPlacement {
    QTransform matrix;  // object -> movie twips
    ColorTransform colorTransform;

    bool operator==(const ItemPlacement &other) const
    {
        return matrix == other.matrix && colorTransform == other.colorTransform;
    }
};

// One thing the renderer paints, in painting order, for telling where the pictures of two display
// lists differ: a shape group at its placement (a clip layer's mask when clipDepth > 0), or
// something without a shared group (text), which is never taken for unchanged.
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

// Whether an item of this area may be drawn into area: the renderer places it within half a
// device pixel of where the view does.
bool MayTouch(const ItemArea &item, const QRect &area);

// The paint items of a rendered picture, each with its area through view, and what they were
// taken from: the movie (its serial) and its display objects with the number of items of each.
struct PictureItems {
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
    std::vector<PictureItems::Object> objects;
    uint64_t movie = 0;
};
ItemsChange ChangeOf(const PictureItems &kept, const Movie &movie, const DisplayList &list);
// Brings the kept items to the display list of the change. The items it replaces are moved into
// replaced when given (their groups may be the last holds on them), else let go here.
void Apply(PictureItems &kept, ItemsChange change, std::vector<PaintItem> *replaced = nullptr);
// The items of a display list seen through view, made anew.
PictureItems AllItems(const Movie &movie, const DisplayList &list, const QTransform &view);

// The kept items (before) and a change of them (after) side by side. The items that differ lie
// between the unchanged head and tail, found by comparing only the items the change replaced.
class ItemComparison {
public:
    ItemComparison(const PictureItems &before, const ItemsChange &change);

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
    // Whether the new list holds no clip layer (its items can then be drawn in ranges, one range
    // over pixels kept of the one below).
    bool AfterWithoutClipLayers() const { return afterClipLayers_ == 0; }
    // Items compared one by one to tell the head and tail.
    size_t Compared() const { return compared_; }
    // What the comparison is made of: the kept items and the change replacing some of them.
    const PictureItems &Kept() const { return before_; }
    const ItemsChange &Change() const { return change_; }

private:
    const PictureItems &before_;
    const ItemsChange &change_;
    size_t afterSize_ = 0;
    size_t head_ = 0;
    size_t tail_ = 0;
    size_t afterClipLayers_ = 0;
    size_t compared_ = 0;
};

}  // namespace platform::swf
