#include "platform/player/swf_item_grid.h"

#include "platform/player/swf_paint_items.h"

#include <algorithm>
#include <cmath>

namespace platform::swf {

namespace {

// Cells are this many device pixels square, or larger when the items spread over a huge plane.
constexpr int64_t kCellPixels = 64;
constexpr int64_t kMostCellsAcross = 512;
// An item spanning more cells than this is looked at by every query instead.
constexpr int64_t kMostCellsPerItem = 256;

// The area an item may be drawn into: the renderer places it within a device pixel of its area.
QRect Reach(const ItemArea &item)
{
    return item.device.adjusted(-1, -1, 1, 1);
}

void Erase(std::vector<uint32_t> &list, uint32_t index)
{
    const auto at = std::find(list.begin(), list.end(), index);
    if (at != list.end()) {
        *at = list.back();
        list.pop_back();
    }
}

}  // namespace

QRect ItemGrid::CellsWithin(const QRect &area) const
{
    const int64_t cellWidth = std::max<int64_t>(1, (int64_t{plane_.width()} + columns_ - 1) / columns_);
    const int64_t cellHeight = std::max<int64_t>(1, (int64_t{plane_.height()} + rows_ - 1) / rows_);
    auto column = [&](int64_t x) {
        return static_cast<int>(std::clamp<int64_t>((x - plane_.left()) / cellWidth, 0, columns_ - 1));
    };
    auto row = [&](int64_t y) {
        return static_cast<int>(std::clamp<int64_t>((y - plane_.top()) / cellHeight, 0, rows_ - 1));
    };
    return QRect(QPoint(column(area.left()), row(area.top())), QPoint(column(area.right()), row(area.bottom())));
}

bool ItemGrid::CellsOf(const ItemArea &item, QRect &cells) const
{
    if (!item.known || item.device.isEmpty()) {
        return false;
    }
    cells = CellsWithin(Reach(item));
    return int64_t{cells.width()} * cells.height() <= kMostCellsPerItem;
}

void ItemGrid::Add(size_t index, const ItemArea &item) const
{
    QRect cells;
    if (!CellsOf(item, cells)) {
        everywhere_.push_back(static_cast<uint32_t>(index));
        return;
    }
    for (int y = cells.top(); y <= cells.bottom(); ++y) {
        for (int x = cells.left(); x <= cells.right(); ++x) {
            cells_[static_cast<size_t>(y) * static_cast<size_t>(columns_) + static_cast<size_t>(x)].push_back(
                static_cast<uint32_t>(index));
        }
    }
}

void ItemGrid::Remove(size_t index, const ItemArea &item) const
{
    QRect cells;
    if (!CellsOf(item, cells)) {
        Erase(everywhere_, static_cast<uint32_t>(index));
        return;
    }
    for (int y = cells.top(); y <= cells.bottom(); ++y) {
        for (int x = cells.left(); x <= cells.right(); ++x) {
            Erase(cells_[static_cast<size_t>(y) * static_cast<size_t>(columns_) + static_cast<size_t>(x)],
                  static_cast<uint32_t>(index));
        }
    }
}

void ItemGrid::Build(const std::vector<ItemArea> &areas) const
{
    QRect plane;
    for (const ItemArea &item : areas) {
        if (item.known && !item.device.isEmpty()) {
            plane |= Reach(item);
        }
    }
    if (plane.isEmpty()) {
        plane = QRect(0, 0, 1, 1);
    }
    plane_ = plane;
    columns_ = static_cast<int>(std::clamp<int64_t>((int64_t{plane.width()} + kCellPixels - 1) / kCellPixels, 1,
                                                    kMostCellsAcross));
    rows_ = static_cast<int>(std::clamp<int64_t>((int64_t{plane.height()} + kCellPixels - 1) / kCellPixels, 1,
                                                 kMostCellsAcross));
    cells_.assign(static_cast<size_t>(columns_) * static_cast<size_t>(rows_), {});
    everywhere_.clear();
    for (size_t i = 0; i < areas.size(); ++i) {
        Add(i, areas[i]);
    }
    seen_.assign(areas.size(), 0);
    query_ = 0;
    built_ = true;
}

void ItemGrid::Replace(size_t index, const ItemArea &was, const ItemArea &is)
{
    if (built_) {
        Remove(index, was);
        Add(index, is);
    }
}

std::vector<size_t> ItemGrid::Touching(const std::vector<ItemArea> &areas, const QRect &area) const
{
    if (!built_ || seen_.size() != areas.size()) {
        Build(areas);
    }
    if (++query_ == 0) {
        std::fill(seen_.begin(), seen_.end(), 0);
        query_ = 1;
    }
    std::vector<size_t> touching;
    auto take = [&](uint32_t index) {
        if (seen_[index] != query_) {
            seen_[index] = query_;
            if (MayTouch(areas[index], area)) {
                touching.push_back(index);
            }
        }
    };
    std::for_each(everywhere_.begin(), everywhere_.end(), take);
    if (!area.isEmpty()) {
        const QRect cells = CellsWithin(area);
        for (int y = cells.top(); y <= cells.bottom(); ++y) {
            for (int x = cells.left(); x <= cells.right(); ++x) {
                const std::vector<uint32_t> &cell =
                    cells_[static_cast<size_t>(y) * static_cast<size_t>(columns_) + static_cast<size_t>(x)];
                std::for_each(cell.begin(), cell.end(), take);
            }
        }
    }
    std::sort(touching.begin(), touching.end());
    return touching;
}

}  // namespace platform::swf
