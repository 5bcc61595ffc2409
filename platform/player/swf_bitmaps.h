// Bitmaps as movies hold them: JPEG data decoded, alpha planes applied, and a clipped bitmap
// fill's pixels painted. Internal to the player.
#pragma once

#include <QImage>
#include <QPoint>
#include <QTransform>

#include <string_view>

namespace platform::swf {

QImage DecodeJpeg(std::string_view data);
// The picture with its alpha plane; the picture's colours are already multiplied by that alpha.
QImage ApplyAlphaPlane(const QImage &image, std::string_view zlibAlpha);

// How a clipped bitmap fill's bitmap is painted.
struct ClampedBitmap {
    const QImage *bitmap = nullptr;  // premultiplied
    QTransform toScene;               // bitmap pixels to scene pixels
    bool smooth = false;              // sampled between pixels, else the nearest
    double opacity = 1;
};

// Paints the bitmap into target (transparent, premultiplied; its (0, 0) on scene pixel origin)
// and, past the bitmap's edges, its edge pixels drawn outwards, as a clipped fill shows them where
// its shape reaches beyond the bitmap: the fill's coverage alone then decides the pixels along
// the bitmap's edges. Past the edges a pixel's colour depends on its scene pixel alone.
void PaintClampedBitmap(QImage &target, const QPoint &origin, const ClampedBitmap &fill);

}  // namespace platform::swf
