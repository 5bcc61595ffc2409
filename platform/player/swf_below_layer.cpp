#include "platform/player/swf_below_layer.h"

#include <QPainter>

#include <algorithm>
#include <cstring>

namespace platform::swf {

void FillArea(QImage &image, const QRect &area, QRgb color)
{
    const QImage::Format format = image.format();
    if (format != QImage::Format_RGB32 && format != QImage::Format_ARGB32 &&
        format != QImage::Format_ARGB32_Premultiplied) {
        QPainter painter(&image);
        painter.fillRect(area, QColor::fromRgb(color));
        return;
    }
    // The opaque colour's pixels written row by row, as the painter writes them, without its setup.
    const QRect part = area.intersected(image.rect());
    const QRgb pixel = color | 0xFF000000u;
    for (int y = part.top(); y <= part.bottom(); ++y) {
        QRgb *row = reinterpret_cast<QRgb *>(image.scanLine(y)) + part.left();
        std::fill(row, row + part.width(), pixel);
    }
}

void CopyArea(const QImage &from, QImage &to, const QRect &area)
{
    const size_t rowBytes = static_cast<size_t>(area.width()) * sizeof(QRgb);
    for (int y = area.top(); y <= area.bottom(); ++y) {
        std::memcpy(to.scanLine(y) + area.left() * sizeof(QRgb), from.constScanLine(y) + area.left() * sizeof(QRgb),
                    rowBytes);
    }
}

void PasteImage(const QImage &part, QImage &to, QPoint at)
{
    const size_t rowBytes = static_cast<size_t>(part.width()) * sizeof(QRgb);
    for (int y = 0; y < part.height(); ++y) {
        std::memcpy(to.scanLine(at.y() + y) + at.x() * sizeof(QRgb), part.constScanLine(y), rowBytes);
    }
}

std::vector<QRect> CopyShifted(const QImage &from, QImage &to, const QRect &area, QPoint shift)
{
    const QRect landed = area.intersected(area.translated(shift));
    if (landed.isEmpty()) {
        return {area};
    }
    const size_t rowBytes = static_cast<size_t>(landed.width()) * sizeof(QRgb);
    for (int y = landed.top(); y <= landed.bottom(); ++y) {
        std::memcpy(to.scanLine(y) + landed.left() * sizeof(QRgb),
                    from.constScanLine(y - shift.y()) + (landed.left() - shift.x()) * sizeof(QRgb), rowBytes);
    }
    std::vector<QRect> bare;
    for (const QRect &part : {QRect(area.left(), area.top(), area.width(), landed.top() - area.top()),
                              QRect(area.left(), landed.bottom() + 1, area.width(), area.bottom() - landed.bottom()),
                              QRect(area.left(), landed.top(), landed.left() - area.left(), landed.height()),
                              QRect(landed.right() + 1, landed.top(), area.right() - landed.right(), landed.height())}) {
        if (!part.isEmpty()) {
            bare.push_back(part);
        }
    }
    return bare;
}

size_t BelowLayer::KeptFor(const QRect &changed, size_t head, bool layered) const
{
    if (!layered || head == 0 || count_ == 0 || count_ > head || image_.isNull()) {
        return 0;
    }
    for (int y = std::max(changed.top(), 0); y <= changed.bottom() && y < static_cast<int>(rowsReady_.size()); ++y) {
        if (!rowsReady_[static_cast<size_t>(y)]) {
            return 0;
        }
    }
    return count_;
}

void BelowLayer::PaintOver(const PictureSetup &setup, QImage &picture, const QRect &area, size_t kept) const
{
    if (kept == 0) {
        FillArea(picture, area, setup.background);
    } else {
        CopyArea(image_, picture, area);
    }
    RenderDisplayList(*setup.movie, *setup.list, picture, setup.visible, area, setup.view, setup.quality,
                      {kept, SIZE_MAX, setup.among}, setup.counts, setup.cancel);
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
        RenderDisplayList(*setup.movie, *setup.list, image_, setup.visible, rows, setup.view, setup.quality,
                          {0, count_, setup.among}, setup.counts, setup.cancel);
        y = end;
    }
}

void BelowLayer::PaintChanged(const PictureSetup &setup, QImage &picture, const QRect &changed, size_t head,
                              bool layered)
{
    if (!layered || head == 0) {
        Drop();
        FillArea(picture, changed, setup.background);
        RenderDisplayList(*setup.movie, *setup.list, picture, setup.visible, changed, setup.view, setup.quality,
                          {0, SIZE_MAX, setup.among}, setup.counts, setup.cancel);
        return;
    }
    if (image_.size() != picture.size() || image_.format() != picture.format()) {
        image_ = QImage(picture.size(), picture.format());
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
    ReadyRows(setup, changed.top(), changed.bottom());
    CopyArea(image_, picture, changed);
    RenderDisplayList(*setup.movie, *setup.list, picture, setup.visible, changed, setup.view, setup.quality,
                      {count_, SIZE_MAX, setup.among}, setup.counts, setup.cancel);
}

}  // namespace platform::swf
