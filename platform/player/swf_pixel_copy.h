// Copies of pixels between 32-bit images, and opaque fills of areas. Internal to the player.
#pragma once

#include <QImage>
#include <QPoint>
#include <QRect>

#include <vector>

namespace platform::swf {

// Fills area of image with an opaque colour, as every picture's background is painted.
void FillArea(QImage &image, const QRect &area, QRgb color);
// Copies the pixels of area between two images of one size and 32-bit format.
void CopyArea(const QImage &from, QImage &to, const QRect &area);
// Copies the whole of part into to (of part's 32-bit format) with its top left corner at at;
// part lies within to.
void PasteImage(const QImage &part, QImage &to, QPoint at);
// Copies the pixels of area moved by shift (those that land within area) between two such images;
// returns the parts of area no pixel landed on.
std::vector<QRect> CopyShifted(const QImage &from, QImage &to, const QRect &area, QPoint shift);
// The same where only the painted part of from holds pixels to move.
std::vector<QRect> CopyShifted(const QImage &from, QImage &to, const QRect &area, QPoint shift, const QRect &painted);

}  // namespace platform::swf
