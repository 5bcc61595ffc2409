// The grid of kept item areas finds the same items near an area as a look at every item does,
// through replacements of single items, of most of them, and changes of the list's length.
#include "platform/player/swf_changed_area.h"
#include "platform/player/swf_parser.h"

#include <gtest/gtest.h>
#include <random>

namespace {

using platform::swf::ItemArea;
using platform::swf::ItemGrid;

std::vector<size_t> EveryItemTouching(const std::vector<ItemArea> &areas, const QRect &area)
{
    std::vector<size_t> touching;
    for (size_t i = 0; i < areas.size(); ++i) {
        if (platform::swf::MayTouch(areas[i], area)) {
            touching.push_back(i);
        }
    }
    return touching;
}

// Small and large areas, some far off the plane or of unknown or no extent.
ItemArea RandomArea(std::mt19937 &random)
{
    const int kind = static_cast<int>(random() % 20);
    if (kind == 0) {
        return {QRect(), false, false};
    }
    if (kind == 1) {
        return {QRect(), true, false};  // known to touch nothing
    }
    std::uniform_int_distribution<int> place(-200, 2200);
    const int size = kind == 2 ? 3000 : kind == 3 ? 600 : static_cast<int>(random() % 80);
    return {QRect(place(random), place(random), size + 1, size / 2 + 1), true, kind == 4};
}

TEST(ItemGrid, FindsWhatALookAtEveryItemFindsThroughEveryChange)
{
    std::mt19937 random(11);
    std::vector<ItemArea> areas(3000);
    for (ItemArea &area : areas) {
        area = RandomArea(random);
    }
    ItemGrid grid;
    const QRect queries[] = {QRect(0, 0, 1, 1),       QRect(100, 100, 300, 40), QRect(-500, -500, 200, 200),
                             QRect(0, 0, 2000, 2000), QRect(1990, 10, 8, 1900), QRect(5000, 5000, 10, 10),
                             QRect()};
    for (int step = 0; step < 40; ++step) {
        for (const QRect &query : queries) {
            ASSERT_EQ(grid.Touching(areas, query), EveryItemTouching(areas, query)) << "step " << step;
        }
        const int change = step % 4;
        if (change == 3) {  // items added and removed
            areas.resize(areas.size() + random() % 50 - 25, RandomArea(random));
            grid.Invalidate();
        } else if (change == 2) {  // most items moved
            for (ItemArea &area : areas) {
                area.device.translate(3, -2);
            }
            grid.Invalidate();
        } else {  // a few items replaced in place
            for (int k = 0; k < 1 + change * 20; ++k) {
                const size_t i = random() % areas.size();
                const ItemArea is = RandomArea(random);
                grid.Replace(i, areas[i], is);
                areas[i] = is;
            }
        }
    }
}

}  // namespace
