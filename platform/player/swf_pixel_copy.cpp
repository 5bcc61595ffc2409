#include "platform/player/swf_pixel_copy.h"

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
    return CopyShifted(from, to, area, shift, area);
}

std::vector<QRect> CopyShifted(const QImage &from, QImage &to, const QRect &area, QPoint shift, const QRect &painted)
{
    const QRect landed = area.intersected(painted.translated(shift));
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

}  // namespace platform::swf
