// Where the pictures of two item lists differ, and how the new items are the old ones moved.
// Internal to the player.
#pragma once

#include "platform/player/swf_paint_items.h"
#include "platform/player/swf_renderer.h"

#include <QPoint>
#include <QRect>
#include <QTransform>

#include <cstddef>
#include <optional>
#include <vector>

namespace platform::swf {

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

// The new items (sorted) whose area may reach into area, for drawing only those there.
std::vector<size_t> ItemsTouching(const ItemComparison &items, const QRect &area);
std::vector<size_t> ItemsTouching(const PictureItems &items, const QRect &area);
// The same when the new items from shift.from on are the kept ones moved by shift.offset, or
// reshaped within a device pixel of that (as RoughShift finds them).
std::vector<size_t> ItemsTouchingShifted(const ItemComparison &items, const ItemShift &shift, const QRect &area);

}  // namespace platform::swf
