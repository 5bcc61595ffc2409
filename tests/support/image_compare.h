// Comparing pictures: how far two renders of the same thing lie apart.
#pragma once

#include <QImage>

#include <cstdint>
#include <QRect>

#include <algorithm>
#include <cstdlib>

namespace testsupport {

// Calls each(difference) for every pixel of area (all of a by default) that a and b share, with
// the largest difference of one colour channel there.
template <typename Each>
void ForEachChannelDifference(const QImage &a, const QImage &b, QRect area, Each each)
{
    area = (area.isNull() ? a.rect() : area).intersected(a.rect()).intersected(b.rect());
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            const QRgb p = a.pixel(x, y);
            const QRgb q = b.pixel(x, y);
            each(std::max({std::abs(qRed(p) - qRed(q)), std::abs(qGreen(p) - qGreen(q)),
                           std::abs(qBlue(p) - qBlue(q))}));
        }
    }
}

// The largest difference of one colour channel between a and b within area (all of a by default).
inline int LargestChannelDifference(const QImage &a, const QImage &b, QRect area = {})
{
    int largest = 0;
    ForEachChannelDifference(a, b, area, [&largest](int difference) { largest = std::max(largest, difference); });
    return largest;
}

// How many pixels of the area of a and b differ by more than levels in some channel.
inline int64_t PixelsApart(const QImage &a, const QImage &b, int levels, QRect area = {})
{
    int64_t apart = 0;
    ForEachChannelDifference(a, b, area, [&apart, levels](int difference) { apart += difference > levels; });
    return apart;
}

}  // namespace testsupport
