// A grid over the device plane telling which kept paint items may reach into an area, so that an
// edit looks only at the items near what it repaints instead of at every kept item. Internal to
// the player.
#pragma once

#include <QRect>

#include <cstddef>
#include <cstdint>
#include <vector>

namespace platform::swf {

struct ItemArea;

class ItemGrid {
public:
    // The item at index keeps its place in the list while its area changes from was to is.
    void Replace(size_t index, const ItemArea &was, const ItemArea &is);
    // Items were added, removed or most of them replaced: the grid is built again when next asked.
    void Invalidate() { built_ = false; }
    // Every area moved by shift: the cells move along with the plane they cover.
    void Shift(QPoint shift) { plane_.translate(shift); }
    // The items (sorted) whose area, as areas holds them, may reach into area: those of unknown
    // extent and those placed within a device pixel of it.
    std::vector<size_t> Touching(const std::vector<ItemArea> &areas, const QRect &area) const;

private:
    void Build(const std::vector<ItemArea> &areas) const;
    // The cells an item's area spans; false when it goes to the list looked at by every query.
    bool CellsOf(const ItemArea &item, QRect &cells) const;
    void Add(size_t index, const ItemArea &item) const;
    void Remove(size_t index, const ItemArea &item) const;
    QRect CellsWithin(const QRect &area) const;

    // Built lazily by the first query after an invalidation; queries run on one thread.
    mutable bool built_ = false;
    mutable QRect plane_;  // the device area the cells cover; areas past it go to its edge cells
    mutable int columns_ = 0;
    mutable int rows_ = 0;
    mutable std::vector<std::vector<uint32_t>> cells_;
    mutable std::vector<uint32_t> everywhere_;  // unknown extent, or too large for cells
    mutable std::vector<uint32_t> seen_;        // by item: the query that last took it
    mutable uint32_t query_ = 0;
};

}  // namespace platform::swf
