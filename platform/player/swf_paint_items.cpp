// The paint items of a display list, kept from picture to picture: an edit makes only the items of
// the objects it changed, and the items of two pictures are compared where they may differ.
#include "platform/player/swf_paint_items.h"

#include "platform/player/swf_renderer.h"

#include <algorithm>
#include <cmath>

namespace platform::swf {

namespace {

// Gradient and bitmap fills are sampled along each row from where the row's run starts, stepping
// by a rounded increment: a run cut short on the left by the repaint rectangle would land on
// pixel values one level apart from the whole picture's.
bool SampledAlongRows(const PaintItem &item)
{
    return item.group && std::any_of(item.group->fills.begin(), item.group->fills.end(),
                                     [](const FillStyle &fill) { return fill.kind != FillKind::Solid; });
}

std::shared_ptr<const ItemPlacement> PlacementOf(const DisplayObject &object)
{
    return std::make_shared<const ItemPlacement>(ItemPlacement{object.matrix, object.colorTransform});
}

PaintItem GroupItem(const PlacedGroup &placed, uint16_t depth, const DisplayObject &object,
                    std::shared_ptr<const ItemPlacement> placement)
{
    // A bitmap fill draws the bitmap of the movie it is in, decoded anew with every movie.
    return {placed.group, std::move(placement), placed.offset, depth, object.clipDepth, !HasBitmapFill(*placed.group)};
}

// Item index of the items of character placed at depth as object (placed through placement).
PaintItem ItemOf(const Character &character, size_t index, uint16_t depth, const DisplayObject &object,
                 std::shared_ptr<const ItemPlacement> placement)
{
    if (const auto *shape = std::get_if<ShapeCharacter>(&character)) {
        return GroupItem(shape->groups[index], depth, object, std::move(placement));
    }
    if (const auto *morph = std::get_if<MorphCharacter>(&character)) {
        return GroupItem({morph->AtRatio(object.ratio), QPointF()}, depth, object, std::move(placement));
    }
    return {nullptr, std::move(placement), QPointF(), depth, object.clipDepth, false};
}

// The device pixels an item may touch; nullopt when that is not known from its group.
std::optional<QRect> DeviceArea(const PaintItem &item, const QTransform &view)
{
    if (!item.group || item.clipDepth > 0) {
        return std::nullopt;  // text, or a mask that changes everything beneath it
    }
    const QRectF device = (item.Matrix() * view).mapRect(item.group->bounds);
    constexpr double kLimit = 1e9;  // beyond this the placement is nonsense: take everything
    for (double edge : {device.left(), device.top(), device.right(), device.bottom()}) {
        if (!std::isfinite(edge) || std::abs(edge) > kLimit) {
            return std::nullopt;
        }
    }
    return device.adjusted(-kPaintMargin, -kPaintMargin, kPaintMargin, kPaintMargin).toAlignedRect();
}

ItemArea AreaOf(const PaintItem &item, const QTransform &view)
{
    const std::optional<QRect> device = DeviceArea(item, view);
    return {device.value_or(QRect()), device.has_value(), SampledAlongRows(item)};
}

bool SameObject(const DisplayObject &a, const DisplayObject &b)
{
    return a.characterId == b.characterId && a.matrix == b.matrix && a.colorTransform == b.colorTransform &&
           a.ratio == b.ratio && a.clipDepth == b.clipDepth;
}

// The items of a kept object a new one replaces, as a count of leading and of trailing items
// that stay; nullopt when none changed.
struct KeptEnds {
    size_t head = 0;
    size_t tail = 0;
};
std::optional<KeptEnds> ObjectChange(const PictureItems &kept, const Movie &movie, const PictureItems::Object &now,
                                     const PictureItems::Object &was)
{
    if (!SameObject(now.object, was.object)) {
        return KeptEnds{};
    }
    if (movie.serial == kept.movie) {
        return now.count == was.count ? std::nullopt : std::optional<KeptEnds>(KeptEnds{});
    }
    const auto *shape = std::get_if<ShapeCharacter>(movie.Find(now.object.characterId));
    if (shape == nullptr || !shape->origin || shape->origin->movie != kept.movie ||
        shape->origin->before != was.count) {
        return KeptEnds{};
    }
    const size_t shorter = std::min(now.count, was.count);
    const size_t head = std::min(shape->origin->head, shorter);
    const size_t tail = std::min(shape->origin->tail, shorter - head);
    if (head + tail == now.count && now.count == was.count) {
        return std::nullopt;
    }
    return KeptEnds{head, tail};
}

// Adds an item to (sign 1) or takes it from (sign -1) the counts of the kept items.
void Tally(PictureItems &kept, const PaintItem &item, int sign)
{
    kept.incomparable += static_cast<size_t>(item.comparable ? 0 : sign);
    kept.clipLayers += static_cast<size_t>(item.clipDepth > 0 ? sign : 0);
}

}  // namespace

size_t ItemCount(const Character &character)
{
    if (const auto *shape = std::get_if<ShapeCharacter>(&character)) {
        return shape->groups.size();
    }
    return std::holds_alternative<MorphCharacter>(character) || std::holds_alternative<EditTextCharacter>(character)
               ? 1
               : 0;  // bitmaps and fonts placed by themselves draw nothing
}

bool PaintItem::SameAs(const PaintItem &other) const
{
    return comparable && other.comparable && group == other.group && depth == other.depth &&
           clipDepth == other.clipDepth && offset == other.offset &&
           (placement == other.placement || *placement == *other.placement);
}

bool MayTouch(const ItemArea &item, const QRect &area)
{
    return !item.known || item.device.adjusted(-1, -1, 1, 1).intersects(area);
}

ItemsChange ChangeOf(const PictureItems &kept, const Movie &movie, const DisplayList &list)
{
    ItemsChange change;
    change.movie = movie.serial;
    change.objects.reserve(list.size());
    size_t newSize = 0;
    for (const auto &[depth, object] : list) {
        const Character *character = movie.Find(object.characterId);
        change.objects.push_back({depth, object, character != nullptr ? ItemCount(*character) : 0});
        newSize += change.objects.back().count;
    }
    // Items read anew with each movie are never kept; nor are those of an unrelated list.
    bool whole = kept.incomparable > 0 || kept.movie == 0 || change.objects.size() != kept.objects.size();
    size_t newEnd = newSize;
    change.from = 0;
    change.oldEnd = kept.size();
    if (!whole) {
        std::optional<size_t> from;
        size_t oldPos = 0;
        size_t newPos = 0;
        for (size_t k = 0; k < change.objects.size() && !whole; ++k) {
            const PictureItems::Object &now = change.objects[k];
            const PictureItems::Object &was = kept.objects[k];
            whole = now.depth != was.depth;
            if (const std::optional<KeptEnds> ends = ObjectChange(kept, movie, now, was); ends && !whole) {
                from = from.value_or(newPos + ends->head);
                change.oldEnd = oldPos + was.count - ends->tail;
                newEnd = newPos + now.count - ends->tail;
            }
            oldPos += was.count;
            newPos += now.count;
        }
        if (!whole && !from) {
            from = newEnd = change.oldEnd = kept.size();
        }
        change.from = from.value_or(0);
    }
    if (whole) {
        change.from = 0;
        change.oldEnd = kept.size();
        newEnd = newSize;
    }
    change.middle.reserve(newEnd - change.from);
    change.middleAreas.reserve(newEnd - change.from);
    size_t first = 0;  // of the object's items
    auto object = change.objects.begin();
    for (const auto &[depth, placed] : list) {
        const size_t count = (object++)->count;
        const size_t begin = std::clamp(change.from, first, first + count);
        const size_t end = std::clamp(newEnd, first, first + count);
        if (begin < end) {
            const Character &character = *movie.Find(placed.characterId);
            const std::shared_ptr<const ItemPlacement> placement = PlacementOf(placed);
            for (size_t i = begin; i < end; ++i) {
                change.middle.push_back(ItemOf(character, i - first, depth, placed, placement));
                change.middleAreas.push_back(AreaOf(change.middle.back(), kept.view));
            }
        }
        first += count;
    }
    return change;
}

// The grid of kept areas is updated item by item while at most this part of the items is
// replaced, else built again when next asked.
constexpr size_t kMostReplacedInGrid = 16;

void Apply(PictureItems &kept, ItemsChange change, std::vector<PaintItem> *replaced)
{
    const auto from = static_cast<std::ptrdiff_t>(change.from);
    const auto oldEnd = static_cast<std::ptrdiff_t>(change.oldEnd);
    for (auto item = kept.items.begin() + from; item != kept.items.begin() + oldEnd; ++item) {
        Tally(kept, *item, -1);
    }
    for (const PaintItem &item : change.middle) {
        Tally(kept, item, 1);
    }
    const size_t count = change.oldEnd - change.from;
    if (change.middle.size() != count || count * kMostReplacedInGrid > kept.size()) {
        kept.grid.Invalidate();
    } else {
        for (size_t k = 0; k < count; ++k) {
            kept.grid.Replace(change.from + k, kept.areas[change.from + k], change.middleAreas[k]);
        }
    }
    if (change.middle.size() == count) {
        std::swap_ranges(change.middle.begin(), change.middle.end(), kept.items.begin() + from);
        std::copy(change.middleAreas.begin(), change.middleAreas.end(), kept.areas.begin() + from);
        if (replaced != nullptr) {
            *replaced = std::move(change.middle);  // the items swapped out
        }
    } else {
        if (replaced != nullptr) {
            replaced->assign(std::make_move_iterator(kept.items.begin() + from),
                             std::make_move_iterator(kept.items.begin() + oldEnd));
        }
        kept.items.erase(kept.items.begin() + from, kept.items.begin() + oldEnd);
        kept.items.insert(kept.items.begin() + from, std::make_move_iterator(change.middle.begin()),
                          std::make_move_iterator(change.middle.end()));
        kept.areas.erase(kept.areas.begin() + from, kept.areas.begin() + oldEnd);
        kept.areas.insert(kept.areas.begin() + from, change.middleAreas.begin(), change.middleAreas.end());
    }
    kept.objects = std::move(change.objects);
    kept.movie = change.movie;
}

PictureItems AllItems(const Movie &movie, const DisplayList &list, const QTransform &view)
{
    PictureItems kept;
    kept.view = view;
    Apply(kept, ChangeOf(kept, movie, list));
    return kept;
}

ItemComparison::ItemComparison(const PictureItems &before, const ItemsChange &change) : before_(before), change_(change)
{
    const size_t replaced = change.oldEnd - change.from;
    const size_t made = change.middle.size();
    afterSize_ = before.size() - replaced + made;
    afterClipLayers_ = before.clipLayers;
    for (size_t i = change.from; i < change.oldEnd; ++i) {
        afterClipLayers_ -= before.items[i].clipDepth > 0 ? 1 : 0;
    }
    for (const PaintItem &item : change.middle) {
        afterClipLayers_ += item.clipDepth > 0 ? 1 : 0;
    }
    // Items outside the replaced ones are the kept ones; only those replaced are compared.
    const size_t common = std::min(replaced, made);
    size_t head = 0;
    while (head < common && before.items[change.from + head].SameAs(change.middle[head])) {
        ++head;
    }
    size_t tail = 0;
    while (tail < common - head && before.items[change.oldEnd - 1 - tail].SameAs(change.middle[made - 1 - tail])) {
        ++tail;
    }
    compared_ = head + tail + (head + tail < common ? 1 : 0);
    head_ = change.from + head;
    tail_ = before.size() - change.oldEnd + tail;
}

// Element i of the new list of what kept holds for the kept items and middle for those made.
template <typename T>
const T &NewAt(size_t i, const ItemsChange &change, const std::vector<T> &kept, const std::vector<T> &middle)
{
    if (i < change.from) {
        return kept[i];
    }
    if (i - change.from < middle.size()) {
        return middle[i - change.from];
    }
    return kept[i - middle.size() + change.oldEnd - change.from];
}

const PaintItem &ItemComparison::After(size_t i) const
{
    return NewAt(i, change_, before_.items, change_.middle);
}

const ItemArea &ItemComparison::AfterArea(size_t i) const
{
    return NewAt(i, change_, before_.areas, change_.middleAreas);
}

}  // namespace platform::swf
