// Bitmaps as movies hold them: JPEG data decoded, and alpha planes applied. Internal to the player.
#pragma once

#include <QImage>

#include <string_view>

namespace platform::swf {

QImage DecodeJpeg(std::string_view data);
// The picture with its alpha plane; the picture's colours are already multiplied by that alpha.
QImage ApplyAlphaPlane(const QImage &image, std::string_view zlibAlpha);

}  // namespace platform::swf
