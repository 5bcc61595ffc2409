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

bool BelowLayer::DrawOverLayer(const PictureSetup &setup, QImage &picture, const QRect &area, size_t fromLayer) const
{
    // The items drawn over the layer start from its partial covers (a copy: the layer keeps its
    // own), or from none where its items left none.
    PartialCover carried;
    if (KeepsPartialCovers(setup.quality) && !partial_.IsEmpty()) {
        carried.StartFrom(partial_, area);
        if (carried.IsEmpty()) {
            return false;
        }
    }
    CopyArea(image_, picture, area);
    RenderDisplayList(setup, picture, area, {fromLayer, SIZE_MAX, setup.among}, carried.IsEmpty() ? nullptr : &carried);
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

bool BelowLayer::KeepPartialCovers(const PartialCover &drawn)
{
    if (!drawn.AnyMarked()) {
        partial_.Rows().Forget(drawn.Area());
        return true;
    }
    if (partial_.IsEmpty()) {
        partial_.Start(image_.rect());
        if (partial_.IsEmpty()) {
            return false;
        }
    }
    partial_.Paste(drawn);
    return true;
}

// Draws the kept items into the rows top..bottom that do not hold them yet. Rows are drawn
// across the whole visible width: gradient runs then start where a whole render starts them.
bool BelowLayer::ReadyRows(const PictureSetup &setup, int top, int bottom)
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
        // What the items leave partly covered is kept only where they leave anything.
        PartialCover drawn;
        if (KeepsPartialCovers(setup.quality)) {
            drawn.Start(rows);
            if (drawn.IsEmpty()) {
                return false;
            }
        }
        RenderDisplayList(setup, image_, rows, {0, count_, setup.among}, &drawn);
        if (!KeepPartialCovers(drawn)) {
            return false;
        }
        y = end;
    }
    return true;
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
    if (image_.size() != picture.size() || image_.format() != picture.format()) {
        image_ = QImage(picture.size(), picture.format());
        partial_.Clear();
        rowsReady_.assign(static_cast<size_t>(picture.height()), false);
        count_ = 0;
        if (image_.isNull()) {  // no memory for the layer: paint everything
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
    if (!ReadyRows(setup, changed.top(), changed.bottom()) || !DrawOverLayer(setup, picture, changed, count_)) {
        PaintChanged(setup, picture, changed, head, false);  // no memory for the layer: paint everything
    }
}

}  // namespace platform::swf
