#include "platform/player/swf_below_layer.h"

#include "platform/player/swf_pixel_copy.h"

#include <QPainter>

#include <algorithm>
#include <cstring>

namespace platform::swf {

size_t BelowLayer::LayerItemsFor(const QRect &changed, size_t head, bool withoutClipLayers) const
{
    if (!withoutClipLayers || head == 0 || count_ == 0 || count_ > head || image_.isNull()) {
        return 0;
    }
    for (int y = std::max(changed.top(), 0); y <= changed.bottom() && y < static_cast<int>(rowsReady_.size()); ++y) {
        if (!rowsReady_[static_cast<size_t>(y)]) {
            return 0;
        }
    }
    return count_;
}

namespace {

// Whether pictures of the setup keep partial covers from group to group.
bool KeepsPartialCovers(const PictureSetup &setup)
{
    return setup.quality != Quality::Low;
}

}  // namespace

bool BelowLayer::DrawOverLayer(const PictureSetup &setup, QImage &picture, const QRect &area, size_t fromLayer) const
{
    PartialCover carried;
    if (KeepsPartialCovers(setup)) {
        carried.StartFrom(partial_, area);
        if (carried.IsEmpty()) {
            return false;
        }
    }
    CopyArea(image_, picture, area);
    RenderDisplayList(setup, picture, area, {fromLayer, SIZE_MAX, setup.among}, &carried);
    return true;
}

void BelowLayer::PaintOver(const PictureSetup &setup, QImage &picture, const QRect &area, size_t fromLayer) const
{
    if (fromLayer == 0 || !DrawOverLayer(setup, picture, area, fromLayer)) {
        FillArea(picture, area, setup.background);
        RenderDisplayList(setup, picture, area, {0, SIZE_MAX, setup.among});
    }
}

void BelowLayer::Drop()
{
    count_ = 0;
    rowsReady_.assign(rowsReady_.size(), false);
}

// Draws the kept items into the rows top..bottom that do not hold them yet. Rows are drawn
// across the whole visible width: gradient runs then start where a whole render starts them.
void BelowLayer::ReadyRows(const PictureSetup &setup, int top, int bottom)
{
    int y = top;
    while (y <= bottom) {
        if (rowsReady_[static_cast<size_t>(y)]) {
            ++y;
            continue;
        }
        int end = y;
        while (end <= bottom && !rowsReady_[static_cast<size_t>(end)]) {
            rowsReady_[static_cast<size_t>(end)] = true;
            ++end;
        }
        const QRect rows(setup.visible.left(), y, setup.visible.width(), end - y);
        FillArea(image_, rows, setup.background);
        PartialRows partial = partial_.Rows();
        partial.Forget(rows);
        RenderDisplayList(setup, image_, rows, {0, count_, setup.among}, &partial_);
        y = end;
    }
}

void BelowLayer::PaintChanged(const PictureSetup &setup, QImage &picture, const QRect &changed, size_t head,
                              bool withoutClipLayers)
{
    if (!withoutClipLayers || head == 0) {
        Drop();
        FillArea(picture, changed, setup.background);
        RenderDisplayList(setup, picture, changed, {0, SIZE_MAX, setup.among});
        return;
    }
    const bool keepsPartial = KeepsPartialCovers(setup);
    if (image_.size() != picture.size() || image_.format() != picture.format() ||
        keepsPartial != !partial_.IsEmpty()) {
        image_ = QImage(picture.size(), picture.format());
        partial_.Clear();
        if (keepsPartial && !image_.isNull()) {
            partial_.Start(image_.rect());
        }
        rowsReady_.assign(static_cast<size_t>(picture.height()), false);
        count_ = 0;
        if (image_.isNull() || keepsPartial == partial_.IsEmpty()) {  // no memory for the layer
            image_ = QImage();
            partial_.Clear();
            PaintChanged(setup, picture, changed, head, false);
            return;
        }
    }
    if (count_ == 0 || count_ > head || count_ * 2 < head) {
        // The items kept below changed, none are kept, or fewer than half of those below this
        // edit (the layer was made for an edit of an item far below): keep those below it instead.
        rowsReady_.assign(rowsReady_.size(), false);
        count_ = head;
    }
    ReadyRows(setup, changed.top(), changed.bottom());
    if (!DrawOverLayer(setup, picture, changed, count_)) {
        PaintChanged(setup, picture, changed, head, false);
    }
}

}  // namespace platform::swf
