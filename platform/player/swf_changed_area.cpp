// Where a new display list changes the picture: the paint items of the last picture and of the
// new one are compared, and only the area covered by the items that differ needs painting again.
#include "platform/player/swf_changed_area.h"

#include <algorithm>
#include <cmath>

namespace platform::swf {

namespace {

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

std::vector<size_t> ItemsTouching(const ItemComparison &items, const QRect &area)
{
    // The kept items outside those replaced come from the grid, numbered as in the new list;
    // the items made for the change are looked at one by one.
    const PictureItems &kept = items.Kept();
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

std::vector<size_t> ItemsTouching(const PictureItems &items, const QRect &area)
{
    return items.grid.Touching(items.areas, area);
}

std::vector<size_t> ItemsTouchingShifted(const ItemComparison &items, const ItemShift &shift, const QRect &area)
{
    // A moved item within a pixel of where the kept one lands by the offset is near area only
    // where the kept one is near area moved back, grown by that pixel and the reach.
    const PictureItems &kept = items.Kept();
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
