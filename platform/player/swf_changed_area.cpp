// Where a new display list changes the picture: the paint items of the last picture and of the
// new one are compared, and only the area covered by the items that differ needs painting again.
#include "platform/player/swf_render.h"

#include <algorithm>
#include <cmath>

namespace platform::swf {

namespace {

bool HasBitmapFill(const DrawnGroup &group)
{
    return std::any_of(group.fills.begin(), group.fills.end(),
                       [](const FillStyle &fill) { return fill.kind == FillKind::Bitmap; });
}

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
std::optional<KeptEnds> ObjectChange(const KeptItems &kept, const Movie &movie, const KeptItems::Object &now,
                                     const KeptItems::Object &was)
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
void Tally(KeptItems &kept, const PaintItem &item, int sign)
{
    kept.incomparable += static_cast<size_t>(item.comparable ? 0 : sign);
    kept.clipLayers += static_cast<size_t>(item.clipDepth > 0 ? sign : 0);
}

// Whether an offset in device pixels is whole: placements are twips, so a move by whole device
// pixels comes out within rounding of an integer.
constexpr double kWholeTolerance = 1e-6;

std::optional<QPoint> WholeOffset(const QTransform &from, const QTransform &to)
{
    const double dx = to.dx() - from.dx();
    const double dy = to.dy() - from.dy();
    const double x = std::round(dx);
    const double y = std::round(dy);
    if (!(std::abs(dx - x) <= kWholeTolerance && std::abs(dy - y) <= kWholeTolerance) || std::abs(x) > 1e7 ||
        std::abs(y) > 1e7) {
        return std::nullopt;
    }
    return QPoint(static_cast<int>(x), static_cast<int>(y));
}

// Calls visit(index, area) for the areas of the new items in range, in order, until it returns false.
template <typename Visit>
void VisitAfterAreas(const ItemComparison &items, const ItemRange &range, Visit visit)
{
    for (size_t i = range.begin; i < std::min(range.end, items.AfterSize()); ++i) {
        if (!visit(i, items.AfterArea(i))) {
            return;
        }
    }
}

// The union of the device areas of the items in range, before or after; nullopt when one is not known.
std::optional<QRect> CoveredArea(const ItemComparison &items, bool after, const ItemRange &range)
{
    QRect covered;
    const size_t end = std::min(range.end, after ? items.AfterSize() : items.BeforeSize());
    for (size_t i = range.begin; i < end; ++i) {
        const ItemArea &area = after ? items.AfterArea(i) : items.BeforeArea(i);
        if (!area.known) {
            return std::nullopt;
        }
        covered |= area.device;
    }
    return covered;
}

// The union of the device areas, before and after, of the items that differ between the
// unchanged head and tail. Item by item when the lists hold as many items: an item left as it
// was paints the same pixels wherever no item that differs covers them. Else of every item in
// between, in each list. nullopt when one of them has no known extent.
std::optional<QRect> DifferingArea(const ItemComparison &items)
{
    const size_t head = items.Head();
    const size_t tail = items.Tail();
    QRect changed;
    if (items.BeforeSize() != items.AfterSize()) {
        for (bool after : {false, true}) {
            const size_t size = after ? items.AfterSize() : items.BeforeSize();
            const std::optional<QRect> device = CoveredArea(items, after, {head, size - tail});
            if (!device) {
                return std::nullopt;
            }
            changed |= *device;
        }
        return changed;
    }
    for (size_t i = head; i < items.AfterSize() - tail; ++i) {
        if (items.Before(i).SameAs(items.After(i))) {
            continue;
        }
        for (const ItemArea *area : {&items.BeforeArea(i), &items.AfterArea(i)}) {
            if (!area->known) {
                return std::nullopt;
            }
            changed |= area->device;
        }
    }
    return changed;
}

// The one whole device-pixel offset by which every item in range of after is that of before
// translated through view (same group, look and depth; no clip layer, nothing read anew).
std::optional<QPoint> MovedAlike(const ItemComparison &items, const ItemRange &range, const QTransform &view)
{
    std::optional<QPoint> shift;
    for (size_t i = range.begin; i < range.end; ++i) {
        const PaintItem &old = items.Before(i);
        const PaintItem &now = items.After(i);
        if (!old.comparable || !now.comparable || old.group != now.group || old.depth != now.depth ||
            now.clipDepth != 0 || old.clipDepth != 0 || !(old.Colors() == now.Colors())) {
            return std::nullopt;
        }
        const QTransform was = old.Matrix() * view;
        const QTransform is = now.Matrix() * view;
        if (was.m11() != is.m11() || was.m12() != is.m12() || was.m21() != is.m21() || was.m22() != is.m22()) {
            return std::nullopt;
        }
        const std::optional<QPoint> offset = WholeOffset(was, is);
        if (!offset || (shift && *shift != *offset)) {
            return std::nullopt;
        }
        shift = offset;
    }
    return shift;
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

ItemsChange ChangeOf(const KeptItems &kept, const Movie &movie, const DisplayList &list)
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
            const KeptItems::Object &now = change.objects[k];
            const KeptItems::Object &was = kept.objects[k];
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

void Apply(KeptItems &kept, ItemsChange change, std::vector<PaintItem> *replaced)
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

KeptItems AllItems(const Movie &movie, const DisplayList &list, const QTransform &view)
{
    KeptItems kept;
    kept.view = view;
    Apply(kept, ChangeOf(kept, movie, list));
    return kept;
}

ItemComparison::ItemComparison(const KeptItems &before, const ItemsChange &change) : before_(before), change_(change)
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

QRect ChangedArea(const ItemComparison &items, const QRect &area)
{
    // Items equal at both ends paint the same pixels in the same order; only the middle differs.
    const std::optional<QRect> differing = DifferingArea(items);
    if (!differing) {
        return area;
    }
    QRect changed = *differing;
    changed &= area;
    if (changed.isEmpty()) {
        return changed;
    }
    // Rows holding such a fill are repainted whole, so that every run starts where it did.
    bool sampled = false;
    VisitAfterAreas(items, {}, [&](size_t, const ItemArea &item) {
        sampled = item.sampled && item.known && item.device.intersects(changed);
        return !sampled;
    });
    return sampled ? QRect(area.left(), changed.top(), area.width(), changed.height()) : changed;
}

std::optional<ItemShift> WholePixelShift(const ItemComparison &items, const QTransform &view)
{
    const size_t from = items.Head();
    if (items.BeforeSize() != items.AfterSize() || from == items.AfterSize()) {
        return std::nullopt;
    }
    // The unchanged tail counts as moved by nothing.
    const std::optional<QPoint> shift = MovedAlike(items, {from, items.AfterSize() - items.Tail()}, view);
    if (!shift || (items.Tail() > 0 && *shift != QPoint())) {
        return std::nullopt;
    }
    return ItemShift{*shift, from};
}

std::optional<EditedItems> Edited(const ItemComparison &items, const QRect &area)
{
    if (items.Head() + items.Tail() == items.BeforeSize() && items.BeforeSize() == items.AfterSize()) {
        return std::nullopt;
    }
    const std::optional<QRect> differing = DifferingArea(items);
    if (!differing) {
        return std::nullopt;
    }
    return EditedItems{{items.Head(), items.AfterSize() - items.Tail()}, *differing & area};
}

namespace {

// Whether two groups are painted in the same colours and line widths (their paths and the
// placement of their gradients aside).
bool SameColours(const DrawnGroup &a, const DrawnGroup &b)
{
    auto sameFill = [](const FillStyle &x, const FillStyle &y) {
        return x.kind == y.kind && x.color == y.color && x.bitmapId == y.bitmapId &&
               std::equal(x.stops.begin(), x.stops.end(), y.stops.begin(), y.stops.end(),
                          [](const GradientStop &p, const GradientStop &q) {
                              return p.ratio == q.ratio && p.color == q.color;
                          });
    };
    auto sameLine = [](const LineStyle &x, const LineStyle &y) { return x.width == y.width && x.color == y.color; };
    return std::equal(a.fills.begin(), a.fills.end(), b.fills.begin(), b.fills.end(), sameFill) &&
           std::equal(a.lines.begin(), a.lines.end(), b.lines.begin(), b.lines.end(), sameLine);
}

}  // namespace

std::optional<ItemShift> RoughShift(const ItemComparison &items, const QTransform &view,
                                    std::vector<size_t> *reshapedItems)
{
    const size_t from = items.Head();
    if (items.BeforeSize() != items.AfterSize() || from == items.AfterSize() || items.Tail() > 0) {
        return std::nullopt;
    }
    // The offset of the items moved exactly; the others are looked at once it is known.
    std::optional<QPoint> shift;
    std::vector<size_t> reshaped;
    for (size_t i = from; i < items.AfterSize(); ++i) {
        const PaintItem &old = items.Before(i);
        const PaintItem &now = items.After(i);
        if (old.group != now.group && old.group && now.group && old.depth == now.depth && now.clipDepth == 0 &&
            old.clipDepth == 0 && old.Colors() == now.Colors() && SameColours(*old.group, *now.group)) {
            reshaped.push_back(i);
            continue;
        }
        const std::optional<QPoint> offset = MovedAlike(items, {i, i + 1}, view);
        if (!offset || (shift && *shift != *offset)) {
            return std::nullopt;
        }
        shift = offset;
    }
    if (!shift || reshaped.size() * 2 > items.AfterSize() - from) {
        return std::nullopt;
    }
    for (size_t i : reshaped) {
        const ItemArea &was = items.BeforeArea(i);
        const ItemArea &is = items.AfterArea(i);
        const QRect moved = was.device.translated(*shift);
        if (!was.known || !is.known || std::abs(moved.left() - is.device.left()) > 1 ||
            std::abs(moved.top() - is.device.top()) > 1 || std::abs(moved.right() - is.device.right()) > 1 ||
            std::abs(moved.bottom() - is.device.bottom()) > 1) {
            return std::nullopt;
        }
    }
    if (reshapedItems != nullptr) {
        reshapedItems->insert(reshapedItems->end(), reshaped.begin(), reshaped.end());
    }
    return ItemShift{*shift, from};
}

int64_t RepaintWork(const ItemComparison &items, const ItemRange &range, const QRect &area)
{
    int64_t work = 0;
    VisitAfterAreas(items, range, [&](size_t, const ItemArea &item) {
        const QRect covered = item.known ? item.device.intersected(area) : area;
        if (!covered.isEmpty()) {
            work += 1 + static_cast<int64_t>(covered.width()) * covered.height() / kWorkPixels;
        }
        return true;
    });
    return work;
}

bool MayTouch(const ItemArea &item, const QRect &area)
{
    return !item.known || item.device.adjusted(-1, -1, 1, 1).intersects(area);
}

std::vector<size_t> ItemsTouching(const ItemComparison &items, const QRect &area)
{
    // The kept items outside those replaced come from the grid, numbered as in the new list;
    // the items made for the change are looked at one by one.
    const KeptItems &kept = items.Kept();
    const ItemsChange &change = items.Change();
    const std::vector<size_t> near = kept.grid.Touching(kept.areas, area);
    const auto replacedBegin = std::lower_bound(near.begin(), near.end(), change.from);
    const auto replacedEnd = std::lower_bound(replacedBegin, near.end(), change.oldEnd);
    std::vector<size_t> touching(near.begin(), replacedBegin);
    for (size_t k = 0; k < change.middle.size(); ++k) {
        if (MayTouch(change.middleAreas[k], area)) {
            touching.push_back(change.from + k);
        }
    }
    const size_t renumber = change.middle.size() - (change.oldEnd - change.from);
    for (auto at = replacedEnd; at != near.end(); ++at) {
        touching.push_back(*at + renumber);
    }
    return touching;
}

std::vector<size_t> ItemsTouching(const KeptItems &items, const QRect &area)
{
    return items.grid.Touching(items.areas, area);
}

std::vector<size_t> ItemsTouchingShifted(const ItemComparison &items, const ItemShift &shift, const QRect &area)
{
    // A moved item within a pixel of where the kept one lands by the offset is near area only
    // where the kept one is near area moved back, grown by that pixel and the reach.
    const KeptItems &kept = items.Kept();
    const std::vector<size_t> still = kept.grid.Touching(kept.areas, area);
    std::vector<size_t> touching(still.begin(), std::lower_bound(still.begin(), still.end(), shift.from));
    const QRect back = area.translated(-shift.offset).adjusted(-2, -2, 2, 2);
    const std::vector<size_t> moved = kept.grid.Touching(kept.areas, back);
    for (auto at = std::lower_bound(moved.begin(), moved.end(), shift.from); at != moved.end(); ++at) {
        if (*at < items.AfterSize() && MayTouch(items.AfterArea(*at), area)) {
            touching.push_back(*at);
        }
    }
    return touching;
}

}  // namespace platform::swf
