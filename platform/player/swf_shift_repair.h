// A preview that shifts the kept pixels along with items moved by whole pixels, some of which
// the writer reshaped slightly as they moved: the areas where those items' shifted pixels differ
// from their new outlines are painted again. Internal to the player.
#pragma once

#include "platform/player/swf_changed_area.h"
#include "platform/player/swf_renderer.h"

#include <QRect>

#include <vector>

namespace platform::swf {

// The areas (within visible) where the old picture's pixels shifted can differ from the new
// picture: what the reshaped items cover, moved by the shift and as they are now, gathered on a
// coarse grid into a few rectangles.
std::vector<QRect> ReshapedAreas(const ItemComparison &items, const ItemShift &shift,
                                 const std::vector<size_t> &reshaped, const QRect &visible);

// Paints those areas of picture (shifted pixels of the setup's last picture) again with the
// background and every new item reaching into them: they then show what a whole render shows,
// within one level where a gradient run is cut by an area.
void RepaintReshaped(const PictureSetup &setup, QImage &picture, const ItemComparison &items, const ItemShift &shift,
                     const std::vector<size_t> &reshaped);

}  // namespace platform::swf
