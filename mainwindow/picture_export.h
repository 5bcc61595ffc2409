// Exporting the canvas: the canvas movie limited to the canvas, rendered by the player at the
// canvas size and written as a Windows bitmap, a JPEG or a PNG with alpha, or the movie itself.
#pragma once

#include "import/bitmap.h"

#include <QImage>

#include <cstdint>
#include <string>
#include <vector>

namespace mainwindow {

// The PNG pixels (blue, green, red, alpha; rows from the top) of a drawing rendered once over a
// white and once over a black canvas of the same size: the alpha is the red channel's difference,
// each colour channel is divided by its own difference, and where the canvas shows through every
// byte is 0.
std::vector<uint8_t> AlphaPixelsFromRenders(const QImage &overWhite, const QImage &overBlack);

// A 24-bit Windows bitmap file of the bitmap, its rows bottom-up as the bitmap holds them.
std::string BitmapFileBytes(const importer::DibSection &bitmap);

// What the export writes for a name: its last three characters, lower-cased ("bmp", "jpg", "png"
// or "swf"; anything else writes nothing).
std::string ExportEnding(const std::string &name);

}  // namespace mainwindow
