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

PaintItem GroupItem(const PlacedGroup &placed, uint16_t depth, const DisplayObject &object)
{
    // A bitmap fill draws the bitmap of the movie it is in, decoded anew with every movie.
    return {placed.group, placed.At(object.matrix), object.colorTransform, depth, object.clipDepth,
            !HasBitmapFill(*placed.group)};
}

// The device pixels an item may touch; nullopt when that is not known from its group.
std::optional<QRect> DeviceArea(const PaintItem &item, const QTransform &view)
{
    if (!item.group || item.clipDepth > 0) {
        return std::nullopt;  // text, or a mask that changes everything beneath it
    }
    const QRectF device = (item.matrix * view).mapRect(item.group->bounds);
    constexpr double kLimit = 1e9;  // beyond this the placement is nonsense: take everything
    for (double edge : {device.left(), device.top(), device.right(), device.bottom()}) {
        if (!std::isfinite(edge) || std::abs(edge) > kLimit) {
            return std::nullopt;
        }
    }
    return device.adjusted(-kPaintMargin, -kPaintMargin, kPaintMargin, kPaintMargin).toAlignedRect();
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

// The union of the device areas of the items in range; nullopt when one is not known.
std::optional<QRect> CoveredArea(const std::vector<PaintItem> &items, const ItemRange &range, const QTransform &view)
{
    QRect covered;
    for (size_t i = range.begin; i < std::min(range.end, items.size()); ++i) {
        const std::optional<QRect> device = DeviceArea(items[i], view);
        if (!device) {
            return std::nullopt;
        }
        covered |= *device;
    }
    return covered;
}

// How many trailing items of the two lists paint the same, among those past head.
size_t UnchangedTail(const std::vector<PaintItem> &before, const std::vector<PaintItem> &after, size_t head)
{
    const size_t common = std::min(before.size(), after.size());
    size_t tail = 0;
    while (tail < common - head && before[before.size() - 1 - tail].SameAs(after[after.size() - 1 - tail])) {
        ++tail;
    }
    return tail;
}

// The union of the device areas, before and after, of the items that differ between head and the
// unchanged tail. Item by item when the lists hold as many items: an item left as it was paints
// the same pixels wherever no item that differs covers them. Else of every item in between, in
// each list. nullopt when one of them has no known extent.
std::optional<QRect> DifferingArea(const std::vector<PaintItem> &before, const std::vector<PaintItem> &after,
                                   size_t head, size_t tail, const QTransform &view)
{
    QRect changed;
    if (before.size() != after.size()) {
        for (const auto *items : {&before, &after}) {
            const std::optional<QRect> device = CoveredArea(*items, {head, items->size() - tail}, view);
            if (!device) {
                return std::nullopt;
            }
            changed |= *device;
        }
        return changed;
    }
    for (size_t i = head; i < after.size() - tail; ++i) {
        if (before[i].SameAs(after[i])) {
            continue;
        }
        for (const PaintItem *item : {&before[i], &after[i]}) {
            const std::optional<QRect> device = DeviceArea(*item, view);
            if (!device) {
                return std::nullopt;
            }
            changed |= *device;
        }
    }
    return changed;
}

// The one whole device-pixel offset by which every item in range of after is that of before
// translated through view (same group, look and depth; no clip layer, nothing read anew).
std::optional<QPoint> MovedAlike(const std::vector<PaintItem> &before, const std::vector<PaintItem> &after,
                                 const ItemRange &range, const QTransform &view)
{
    std::optional<QPoint> shift;
    for (size_t i = range.begin; i < range.end; ++i) {
        const PaintItem &old = before[i];
        const PaintItem &now = after[i];
        if (!old.comparable || !now.comparable || old.group != now.group || old.depth != now.depth ||
            now.clipDepth != 0 || old.clipDepth != 0 || !(old.colorTransform == now.colorTransform)) {
            return std::nullopt;
        }
        const QTransform was = old.matrix * view;
        const QTransform is = now.matrix * view;
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

bool PaintItem::SameAs(const PaintItem &other) const
{
    return comparable && other.comparable && group == other.group && depth == other.depth &&
           clipDepth == other.clipDepth && matrix == other.matrix && colorTransform == other.colorTransform;
}

std::vector<PaintItem> PaintItems(const Movie &movie, const DisplayList &list)
{
    std::vector<PaintItem> items;
    for (const auto &[depth, object] : list) {
        const Character *character = movie.Find(object.characterId);
        if (character == nullptr) {
            continue;
        }
        if (const auto *shape = std::get_if<ShapeCharacter>(character)) {
            for (const PlacedGroup &placed : shape->groups) {
                items.push_back(GroupItem(placed, depth, object));
            }
        } else if (const auto *morph = std::get_if<MorphCharacter>(character)) {
            items.push_back(GroupItem({morph->AtRatio(object.ratio), QPointF()}, depth, object));
        } else if (std::holds_alternative<EditTextCharacter>(*character)) {
            items.push_back({nullptr, object.matrix, object.colorTransform, depth, object.clipDepth, false});
        }
        // Bitmaps and fonts placed by themselves draw nothing.
    }
    return items;
}

size_t UnchangedHead(const std::vector<PaintItem> &before, const std::vector<PaintItem> &after)
{
    const size_t common = std::min(before.size(), after.size());
    size_t head = 0;
    while (head < common && before[head].SameAs(after[head])) {
        ++head;
    }
    return head;
}

QRect ChangedArea(const std::vector<PaintItem> &before, const std::vector<PaintItem> &after,
                  const QTransform &view, const QRect &area)
{
    // Items equal at both ends paint the same pixels in the same order; only the middle differs.
    const size_t head = UnchangedHead(before, after);
    const size_t tail = UnchangedTail(before, after, head);
    const std::optional<QRect> differing = DifferingArea(before, after, head, tail, view);
    if (!differing) {
        return area;
    }
    QRect changed = *differing;
    changed &= area;
    if (changed.isEmpty()) {
        return changed;
    }
    // Rows holding such a fill are repainted whole, so that every run starts where it did.
    for (const PaintItem &item : after) {
        const std::optional<QRect> device = DeviceArea(item, view);
        if (SampledAlongRows(item) && device && device->intersects(changed)) {
            return QRect(area.left(), changed.top(), area.width(), changed.height());
        }
    }
    return changed;
}

std::optional<ItemShift> WholePixelShift(const std::vector<PaintItem> &before, const std::vector<PaintItem> &after,
                                         const QTransform &view)
{
    const size_t from = UnchangedHead(before, after);
    if (before.size() != after.size() || from == after.size()) {
        return std::nullopt;
    }
    const std::optional<QPoint> shift = MovedAlike(before, after, {from, after.size()}, view);
    return shift ? std::optional<ItemShift>(ItemShift{*shift, from}) : std::nullopt;
}

std::optional<EditedItems> Edited(const std::vector<PaintItem> &before, const std::vector<PaintItem> &after,
                                  const QTransform &view, const QRect &area)
{
    const size_t head = UnchangedHead(before, after);
    if (before.size() != after.size() || head == after.size()) {
        return std::nullopt;
    }
    const size_t tail = UnchangedTail(before, after, head);
    const std::optional<QRect> differing = DifferingArea(before, after, head, tail, view);
    if (!differing) {
        return std::nullopt;
    }
    return EditedItems{{head, after.size() - tail}, *differing & area};
}

bool MostlyInPlace(const std::vector<PaintItem> &before, const std::vector<PaintItem> &after)
{
    if (before.size() != after.size()) {
        return false;
    }
    size_t inPlace = 0;
    for (size_t i = 0; i < after.size(); ++i) {
        const PaintItem &old = before[i];
        const PaintItem &now = after[i];
        inPlace += old.group && now.group && old.matrix == now.matrix && old.group->bounds == now.group->bounds ? 1 : 0;
    }
    return inPlace * 2 >= after.size();
}

int64_t RepaintWork(const std::vector<PaintItem> &items, const ItemRange &range, const QTransform &view,
                    const QRect &area)
{
    int64_t work = 0;
    for (size_t i = range.begin; i < std::min(range.end, items.size()); ++i) {
        const std::optional<QRect> device = DeviceArea(items[i], view);
        const QRect covered = device ? device->intersected(area) : area;
        if (!covered.isEmpty()) {
            work += 1 + static_cast<int64_t>(covered.width()) * covered.height() / kWorkPixels;
        }
    }
    return work;
}

}  // namespace platform::swf
