// Groups that opaque fills drawn later hide, found for one band. A fill of a single colour or
// gradient that covers a pixel wholly and is opaque sets the pixel to its own colour whatever lay
// below. So where the compound rasteriser fills every group (at quality high, with no clipping
// layer), a group whose area in the band lies in tiles that such fills of later groups cover
// wholly is passed over, and a group hidden in part is drawn only over the tiles around the part
// shown: the picture is the same. Internal to the player.
#pragma once

#include "platform/player/swf_compound_fill.h"
#include "platform/player/swf_drawn_group.h"
#include "platform/player/swf_styles.h"

#include <QPainterPath>
#include <QRect>
#include <QRectF>
#include <QTransform>

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

namespace platform::swf {

// The fill of a group holding one fill only, when it is an opaque colour or gradient through cx.
std::optional<size_t> OpaqueFill(const DrawnGroup &group, const ColorTransform &cx);

class HidingFills {
public:
    // Starts looking in a band (scene pixels), no tile covered yet.
    void Start(const QRect &band);
    // Stops looking: every group is drawn whole.
    void Stop();
    bool Looking() const { return !tiles_.empty(); }

    // Marks the tiles the index-th group's fill (the group reaching device) covers wholly through
    // world. Groups are marked from the last one down.
    void Cover(const QPainterPath &fill, const QTransform &world, const QRectF &device, int32_t index);
    // The scene pixels of the smallest rectangle of tiles that holds every tile device reaches in
    // the band and no fill of a group after the index-th covers; empty where there is none (the
    // group is hidden).
    QRect ShownArea(const QRectF &device, int32_t index) const;

private:
    static constexpr int kTile = 8;

    TileGrid grid_;
    std::vector<int32_t> tiles_;  // by tile, the last group whose fill covers it (-1: none)
};

}  // namespace platform::swf
