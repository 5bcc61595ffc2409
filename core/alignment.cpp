#include "core/alignment.h"

#include "core/document.h"
#include "platform/base/rounding.h"

#include <algorithm>
#include <unordered_map>
#include <vector>

namespace core {
namespace {

// A selected path on its own, or the selected members of one active group, moved as a whole.
struct AlignItem {
    std::vector<int32_t> paths;  // document order
    Rect32 box;                  // anchors only, no widening for the line
    bool hasAnchors = false;
};

struct Shift {
    int64_t dx = 0;
    int64_t dy = 0;
};

void WidenBox(AlignItem &item, const PathRecord &path)
{
    for (const AnchorPoint &a : path.Anchors) {
        if (!item.hasAnchors) {
            item.box = Rect32{a.X, a.Y, a.X, a.Y};
            item.hasAnchors = true;
        }
        item.box.Left = std::min(item.box.Left, a.X);
        item.box.Top = std::min(item.box.Top, a.Y);
        item.box.Right = std::max(item.box.Right, a.X);
        item.box.Bottom = std::max(item.box.Bottom, a.Y);
    }
}

// The items in document order of their first path. Items without any anchor have no place to
// align and are left out.
std::vector<AlignItem> CollectItems()
{
    std::vector<AlignItem> items;
    std::unordered_map<int32_t, size_t> itemOfGroup;
    for (int32_t i = 1; i <= Doc().DocPathCount(); ++i) {
        const PathRecord &path = DocPath(i);
        if (!path.blSelected) {
            continue;
        }
        size_t slot = items.size();
        if (path.blGroup) {
            slot = itemOfGroup.try_emplace(path.GroupID, items.size()).first->second;
        }
        if (slot == items.size()) {
            items.emplace_back();
        }
        items[slot].paths.push_back(i);
        WidenBox(items[slot], path);
    }
    std::erase_if(items, [](const AlignItem &item) { return !item.hasAnchors; });
    return items;
}

Rect32 UnionBox(const std::vector<AlignItem> &items)
{
    Rect32 box = items.front().box;
    for (const AlignItem &item : items) {
        box.Left = std::min(box.Left, item.box.Left);
        box.Top = std::min(box.Top, item.box.Top);
        box.Right = std::max(box.Right, item.box.Right);
        box.Bottom = std::max(box.Bottom, item.box.Bottom);
    }
    return box;
}

int64_t Sum(int32_t a, int32_t b)
{
    return int64_t{a} + b;
}

// value / 2, rounded half to even (exact: value is far below 2^53).
int64_t Halved(int64_t value)
{
    return static_cast<int64_t>(platform::RoundHalfEven(static_cast<double>(value) / 2.0));
}

// The shift of one item for the alignment codes (not the distribution).
Shift AlignShift(int16_t code, const Rect32 &box, const Rect32 &all)
{
    const int64_t canvasRight = int64_t{Doc().CurrentSettings.Width} * 20;
    const int64_t canvasBottom = int64_t{Doc().CurrentSettings.Height} * 20;
    switch (code) {
    case kAlignLeft:
        return {int64_t{all.Left} - box.Left, 0};
    case kAlignCentre:
        return {Halved(Sum(all.Left, all.Right) - Sum(box.Left, box.Right)), 0};
    case kAlignRight:
        return {int64_t{all.Right} - box.Right, 0};
    case kAlignTop:
        return {0, int64_t{all.Top} - box.Top};
    case kAlignMiddle:
        return {0, Halved(Sum(all.Top, all.Bottom) - Sum(box.Top, box.Bottom))};
    case kAlignBottom:
        return {0, int64_t{all.Bottom} - box.Bottom};
    case kAlignCanvasLeft:
        return {-int64_t{box.Left}, 0};
    case kAlignCanvasCentre:
        return {Halved(canvasRight - Sum(box.Left, box.Right)), 0};
    case kAlignCanvasRight:
        return {canvasRight - box.Right, 0};
    case kAlignCanvasTop:
        return {0, -int64_t{box.Top}};
    case kAlignCanvasMiddle:
        return {0, Halved(canvasBottom - Sum(box.Top, box.Bottom))};
    case kAlignCanvasBottom:
        return {0, canvasBottom - box.Bottom};
    default:
        return {};
    }
}

// Spreads the items' leading edges (left or top, by edge) evenly between those of the first and
// the last item in edge order; the first and last item stay.
std::vector<Shift> DistributeShifts(std::vector<AlignItem> &items, int32_t Rect32::*edge, int64_t Shift::*axis)
{
    // A stable sort gives what repeated neighbour swaps on a strictly smaller key give.
    std::stable_sort(items.begin(), items.end(),
                     [edge](const AlignItem &a, const AlignItem &b) { return a.box.*edge < b.box.*edge; });
    const size_t n = items.size();
    std::vector<Shift> shifts(n);
    if (n < 3) {
        return shifts;
    }
    const double first = items.front().box.*edge;
    const double span = static_cast<double>(int64_t{items.back().box.*edge} - items.front().box.*edge);
    for (size_t s = 1; s + 1 < n; ++s) {
        const double fraction = static_cast<double>(s) / static_cast<double>(n - 1);
        const double shift = fraction * span + first - items[s].box.*edge;
        shifts[s].*axis = static_cast<int64_t>(platform::RoundHalfEven(shift));
    }
    return shifts;
}

int32_t Shifted(int32_t value, int64_t delta)
{
    return platform::SaturateInt<int32_t>(value + delta);
}

// Moves the anchors and the gradient centre; a path that does not move is left as it is.
void MovePath(PathRecord &path, const Shift &shift)
{
    if (shift.dx == 0 && shift.dy == 0) {
        return;
    }
    for (AnchorPoint &a : path.Anchors) {
        a.X = Shifted(a.X, shift.dx);
        a.Y = Shifted(a.Y, shift.dy);
    }
    path.GradCenterX = Shifted(path.GradCenterX, shift.dx);
    path.GradCenterY = Shifted(path.GradCenterY, shift.dy);
}

}  // namespace

void AlignPaths(int16_t code)
{
    if (code < kAlignLeft || code > kAlignCanvasBottom) {
        return;
    }
    std::vector<AlignItem> items = CollectItems();
    if (items.empty()) {
        return;
    }
    std::vector<Shift> shifts(items.size());
    if (code == kDistributeHorizontally) {
        shifts = DistributeShifts(items, &Rect32::Left, &Shift::dx);
    } else if (code == kDistributeVertically) {
        shifts = DistributeShifts(items, &Rect32::Top, &Shift::dy);
    } else {
        const Rect32 all = UnionBox(items);
        for (size_t s = 0; s < items.size(); ++s) {
            shifts[s] = AlignShift(code, items[s].box, all);
        }
    }
    for (size_t s = 0; s < items.size(); ++s) {
        for (int32_t i : items[s].paths) {
            MovePath(ChangeDocPath(i), shifts[s]);
        }
    }
}

}  // namespace core
