#include "platform/player/swf_view_change.h"

#include "platform/player/swf_pixel_copy.h"

#include <QPainter>

namespace platform::swf {
namespace {

bool SameTarget(const RetainedPicture &picture, const ViewRequest &request)
{
    return picture.image.size() == request.target.size() && picture.image.format() == request.target.format() &&
           picture.background == request.background && picture.quality == request.quality;
}

}  // namespace

QRect Joined(const QRect &a, const QRect &b)
{
    if (a.isEmpty()) {
        return b.isEmpty() ? QRect() : b;
    }
    return b.isEmpty() ? a : a.united(b);
}

std::optional<QPoint> ScrollOf(const RetainedPicture &picture, const ViewRequest &request)
{
    if (!SameTarget(picture, request) || picture.area != request.area || picture.rect.size() != request.rect.size() ||
        picture.rect == request.rect) {
        return std::nullopt;
    }
    return request.rect.topLeft() - picture.rect.topLeft();
}

bool ZoomOf(const RetainedPicture &picture, const ViewRequest &request)
{
    return SameTarget(picture, request) && (picture.area != request.area || picture.rect != request.rect) &&
           !ScrollOf(picture, request);
}

std::optional<std::vector<QRect>> Scroll(RetainedPicture &picture, QPoint shift, const ViewRequest &request)
{
    const QRect painted = picture.rect.intersected(picture.image.rect());
    QImage moved(picture.image.size(), picture.image.format());
    if (moved.isNull()) {
        return std::nullopt;
    }
    std::vector<QRect> bare = CopyShifted(picture.image, moved, request.visible, shift, painted);
    for (const QRect &part : bare) {
        FillArea(moved, part, request.background);
    }
    picture.image = std::move(moved);
    // Whole rows, so that gradient runs start where a whole render starts them when they are
    // drawn again (the strips a sideways scroll uncovered go with them).
    const QRect landed = request.visible.intersected(painted.translated(shift));
    picture.inexact = landed.isEmpty() ? QRect()
                                       : QRect(request.visible.left(), landed.top(), request.visible.width(),
                                               landed.height());
    for (ItemArea &area : picture.items.areas) {
        area.device.translate(shift);
    }
    picture.items.grid.Shift(shift);
    picture.items.view = request.view;
    picture.below.Drop();
    picture.rect = request.rect;
    picture.view = request.view;
    return bare;
}

void PaintScaled(QImage &preview, const RetainedPicture &picture, const ViewRequest &request)
{
    FillArea(preview, request.visible, request.background);
    const QRect kept = picture.rect.intersected(picture.image.rect());
    bool invertible = false;
    const QTransform back = picture.view.inverted(&invertible);
    if (!invertible || kept.isEmpty()) {
        return;
    }
    QPainter painter(&preview);
    painter.setClipRect(request.visible);
    painter.setRenderHint(QPainter::SmoothPixmapTransform, picture.quality != Quality::Low);
    painter.setTransform(back * request.view);
    painter.drawImage(QPointF(kept.topLeft()), picture.image, kept);
}

}  // namespace platform::swf
