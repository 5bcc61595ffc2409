#include "platform/player/swf_shift_repair.h"

#include "platform/player/swf_pixel_copy.h"

#include <map>
#include <utility>

namespace platform::swf {

namespace {

// Side of the cells the areas are gathered on, in device pixels.
constexpr int kCellPixels = 16;

}  // namespace

std::vector<QRect> ReshapedAreas(const ItemComparison &items, const ItemShift &shift,
                                 const std::vector<size_t> &reshaped, const QRect &visible)
{
    if (visible.isEmpty()) {
        return {};
    }
    const int columns = (visible.width() + kCellPixels - 1) / kCellPixels;
    const int rows = (visible.height() + kCellPixels - 1) / kCellPixels;
    std::vector<bool> marked(static_cast<size_t>(columns) * static_cast<size_t>(rows), false);
    auto mark = [&](const ItemArea &item, QPoint offset) {
        // The renderer places an item within a device pixel of its area.
        const QRect area = item.known ? item.device.translated(offset).adjusted(-1, -1, 1, 1) & visible : visible;
        if (area.isEmpty()) {
            return;
        }
        const QRect cells(QPoint((area.left() - visible.left()) / kCellPixels, (area.top() - visible.top()) / kCellPixels),
                          QPoint((area.right() - visible.left()) / kCellPixels,
                                 (area.bottom() - visible.top()) / kCellPixels));
        for (int y = cells.top(); y <= cells.bottom(); ++y) {
            for (int x = cells.left(); x <= cells.right(); ++x) {
                marked[static_cast<size_t>(y) * static_cast<size_t>(columns) + static_cast<size_t>(x)] = true;
            }
        }
    };
    for (size_t i : reshaped) {
        if (i < items.BeforeSize() && i < items.AfterSize()) {
            mark(items.BeforeArea(i), shift.offset);
            mark(items.AfterArea(i), QPoint());
        }
    }
    // Runs of marked cells along each row; a run spanning the columns of one in the row above
    // lengthens its rectangle.
    std::vector<QRect> cellRects;
    std::map<std::pair<int, int>, size_t> open;  // runs of the row above -> their rectangle
    for (int y = 0; y < rows; ++y) {
        std::map<std::pair<int, int>, size_t> next;
        for (int x = 0; x < columns;) {
            if (!marked[static_cast<size_t>(y) * static_cast<size_t>(columns) + static_cast<size_t>(x)]) {
                ++x;
                continue;
            }
            int end = x;
            while (end + 1 < columns &&
                   marked[static_cast<size_t>(y) * static_cast<size_t>(columns) + static_cast<size_t>(end + 1)]) {
                ++end;
            }
            const auto run = std::make_pair(x, end);
            const auto above = open.find(run);
            if (above != open.end()) {
                cellRects[above->second].setBottom(y);
                next.emplace(run, above->second);
            } else {
                next.emplace(run, cellRects.size());
                cellRects.emplace_back(QPoint(x, y), QPoint(end, y));
            }
            x = end + 1;
        }
        open = std::move(next);
    }
    std::vector<QRect> areas;
    areas.reserve(cellRects.size());
    for (const QRect &cells : cellRects) {
        areas.push_back(QRect(visible.left() + cells.left() * kCellPixels, visible.top() + cells.top() * kCellPixels,
                              cells.width() * kCellPixels, cells.height() * kCellPixels) &
                        visible);
    }
    return areas;
}

void RepaintReshaped(const PictureSetup &setup, QImage &picture, const ItemComparison &items, const ItemShift &shift,
                     const std::vector<size_t> &reshaped)
{
    for (const QRect &area : ReshapedAreas(items, shift, reshaped, setup.visible)) {
        const std::vector<size_t> among = ItemsTouchingShifted(items, shift, area);
        FillArea(picture, area, setup.background);
        RenderDisplayList(setup, picture, area, {0, SIZE_MAX, &among});
    }
}

}  // namespace platform::swf
