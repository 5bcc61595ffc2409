#include "platform/player/swf_repaint_cost.h"

#include "platform/base/parallel_for.h"

#include <algorithm>

namespace platform::swf {

int64_t RepaintWork(const ItemComparison &items, const ItemRange &range, const QRect &area)
{
    int64_t work = 0;
    for (size_t i = range.begin; i < std::min(range.end, items.AfterSize()); ++i) {
        const ItemArea &item = items.AfterArea(i);
        const QRect covered = item.known ? item.device.intersected(area) : area;
        if (!covered.isEmpty()) {
            work += 1 + static_cast<int64_t>(covered.width()) * covered.height() / kWorkPixels;
        }
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
