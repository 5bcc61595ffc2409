// A rendered picture kept with everything that decided its pixels, so that the next render of the
// same view repaints only where its items differ. Internal to the player.
#pragma once

#include "platform/player/swf_below_layer.h"
#include "platform/player/swf_paint_items.h"
#include "platform/player/swf_renderer.h"

#include <QImage>
#include <QRect>
#include <QTransform>

#include <cstddef>

namespace platform::swf {

struct RetainedPicture {
    QImage image;  // the target's size and format; only the visible part of rect is painted
    QRect rect;
    QRectF area;  // the part of the movie's plane that fills rect
    QRgb background = 0;
    QTransform view;
    Quality quality = Quality::High;
    // The paint items shown, through view. A worker's copy leaves them empty: they are brought up
    // to date when the player takes its picture.
    PictureItems items;
    BelowLayer below;  // what lies below the items edited last
    // Pixels kept from another view (scrolled along with it) that may differ from a whole render
    // by a level or two along edges, until they are drawn again.
    QRect inexact;

    bool PaintedLike(const QImage &target, const QRect &otherRect, QRgb otherBackground, const QTransform &otherView,
                     Quality otherQuality) const
    {
        return image.size() == target.size() && image.format() == target.format() && rect == otherRect &&
               background == otherBackground && view == otherView && quality == otherQuality;
    }

    // Paints the changed area of the image anew for the setup (this picture's view and
    // background): head is the number of leading paint items unchanged since the last paint.
    // The result equals painting the background and every item into the changed area at once.
    void PaintChanged(const PictureSetup &setup, const QRect &changed, size_t head, bool withoutClipLayers)
    {
        below.PaintChanged(setup, image, changed, head, withoutClipLayers);
    }
};

}  // namespace platform::swf
