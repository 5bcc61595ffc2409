// PNG pictures through libpng: reading with the alpha channel kept apart, writing 32-bit pixels.
#pragma once

#include <QImage>

#include <cstdint>
#include <string>
#include <vector>

namespace importer {

// Reads a PNG file into an opaque picture. For an image with transparency it also fills alpha
// with one byte per pixel (rows from the top) and the picture's colours are premultiplied by
// it; otherwise alpha is left as it was. A null image on any failure.
QImage LoadPngPicture(const std::string &path, std::vector<uint8_t> &alpha);

// The PNG stream of width x |height| pixels (rows from the top) of 4 bytes each (blue, green, red,
// alpha) or, for an opaque picture, of 3 bytes each (blue, green, red), which gives a stream
// without an alpha channel. Empty for too few pixels or a failed encoding.
std::string EncodePng(const std::vector<uint8_t> &pixels, int32_t width, int32_t height, bool opaque = false);

// Writes that stream as a PNG file, whole, renamed into place. False for an empty path, too few
// pixels or any write failure.
bool SavePng(const std::vector<uint8_t> &pixels, int32_t width, int32_t height, const std::string &path);

}  // namespace importer
