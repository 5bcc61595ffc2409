#include "platform/player/swf_repaint_cost.h"

#include "platform/base/parallel_for.h"

#include <algorithm>

namespace platform::swf {

namespace {

int64_t WorkOf(const ItemArea &item, const QRect &area)
{
    const QRect covered = item.known ? item.device.intersected(area) : area;
    return covered.isEmpty() ? 0 : 1 + static_cast<int64_t>(covered.width()) * covered.height() / kWorkPixels;
}

}  // namespace

int64_t RepaintWork(const ItemComparison &items, const ItemRange &range, const QRect &area)
{
    int64_t work = 0;
    for (size_t i = range.begin; i < std::min(range.end, items.AfterSize()); ++i) {
        work += WorkOf(items.AfterArea(i), area);
    }
    return work;
}

int64_t RepaintWork(const PictureItems &items, const QRect &area)
{
    int64_t work = 0;
    for (const ItemArea &item : items.areas) {
        work += WorkOf(item, area);
    }
    return work;
}

int BandCount(const QRect &picture)
{
    if (static_cast<int64_t>(picture.width()) * picture.height() < kMinThreadedPixels) {
        return 1;
    }
    const int cores = static_cast<int>(platform::ProcessorCount());
    return std::clamp(std::min(cores, picture.height() / kMinBandRows), 1, kMaxBands);
}

}  // namespace platform::swf
