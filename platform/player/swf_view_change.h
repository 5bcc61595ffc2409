// A change of view between two renders of one movie: scrolled by whole device pixels, or scaled.
// A scroll brings the kept picture along at once, so that only the strips it uncovers need
// drawing; a zoom shows the kept picture scaled until the exact one is drawn. Internal to the
// player.
#pragma once

#include "platform/player/swf_retained_picture.h"

#include <QImage>
#include <QPoint>
#include <QRect>
#include <QTransform>

#include <optional>
#include <vector>

namespace platform::swf {

// What a render asks of the picture: rect of target filled by area of the movie's plane, seen
// through view, of which visible lies within the target.
struct ViewRequest {
    const QImage &target;
    QRect rect;
    QRectF area;
    QRect visible;
    QTransform view;
    QRgb background = 0;
    Quality quality = Quality::High;
};

// The smallest rectangle holding both (an empty one adds nothing).
QRect Joined(const QRect &a, const QRect &b);

// The whole device pixels picture's view moves by when it is asked to show the same part of the
// movie's plane at the same size elsewhere in the same target (background and quality the same):
// a scroll. nullopt for any other change of view, and for none.
std::optional<QPoint> ScrollOf(const RetainedPicture &picture, const ViewRequest &request);

// Whether picture could be shown scaled for the request: the same target, background and
// quality, another view.
bool ZoomOf(const RetainedPicture &picture, const ViewRequest &request);

// Brings picture to the view scrolled by shift: the pixels still within the visible area move
// along (and the rows they lie in become inexact: drawn at another place they may differ by a
// level along edges),
// the areas of its items too, and the layer below the last edit is dropped. The parts of the
// visible area no kept pixel landed on are painted with the background and returned; nullopt
// (the picture left as it was) when there is no memory for the moved pixels.
std::optional<std::vector<QRect>> Scroll(RetainedPicture &picture, QPoint shift, const ViewRequest &request);

// Paints the visible area of preview with the background and the picture's pixels scaled to the
// request's view (smoothly, but for quality low).
void PaintScaled(QImage &preview, const RetainedPicture &picture, const ViewRequest &request);

}  // namespace platform::swf
