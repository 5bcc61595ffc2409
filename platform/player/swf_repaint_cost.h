// What repainting costs, counted in work rather than time, and the budgets that decide where a
// picture is drawn: on the spot, as a cheap preview with the exact picture on a worker, and in
// how many bands. Internal to the player.
#pragma once

#include "platform/player/swf_paint_items.h"
#include "platform/player/swf_renderer.h"

#include <QRect>

#include <cstddef>
#include <cstdint>

namespace platform::swf {

// A count of the work of drawing the new items in range over area: one for each item that
// touches it, and one for every kWorkPixels pixels of the area each such item covers.
constexpr int64_t kWorkPixels = 256;
int64_t RepaintWork(const ItemComparison &items, const ItemRange &range, const QRect &area);
// The same for drawing all of a picture's items over area.
int64_t RepaintWork(const PictureItems &items, const QRect &area);

// Exact renders costing more than this are drawn by a worker.
constexpr int64_t kMaxWorkOnTheSpot = 3000;
// A preview repaints the area of the items an edit changed, or the strips a shift uncovers, only
// while that costs at most this much.
constexpr int64_t kMaxPreviewWork = 4 * kMaxWorkOnTheSpot;
// A shift preview draws the few items below the moved ones to see that they are all one colour.
constexpr size_t kMostItemsBelowAShift = 4;
// A preview draws the strips a shift uncovers only while they are at most this part of the picture.
constexpr int64_t kMaxUncoveredPart = 4;

// Pictures are drawn in horizontal bands of at least kMinBandRows rows, one per thread and at most
// kMaxBands, when they hold kMinThreadedPixels or more.
constexpr int kMinBandRows = 96;
constexpr int kMaxBands = 8;
constexpr int64_t kMinThreadedPixels = 256 * 256;
// A band's part of a smaller area is drawn in columns of at least this many pixels, one per
// thread the other bands leave.
constexpr int kMinPartColumns = 96;
// The bands a picture of this area is drawn in. They depend on the area (and the machine) only.
int BandCount(const QRect &picture);

}  // namespace platform::swf
