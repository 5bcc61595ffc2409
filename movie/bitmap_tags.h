// Pictures in movies: a JPEG bitmap tag (DefineBitsJPEG2, or DefineBitsJPEG3 with a zlib-packed
// alpha channel) and a rectangle shape filled with the bitmap.
#pragma once

#include "movie/tag_buffer.h"

#include <cstdint>
#include <string>
#include <vector>

namespace movie {

// DefineBitsJpeg3 option bits.
constexpr int32_t kBitmapColorKey = 1;       // build an alpha mask from keyColour
constexpr int32_t kBitmapKeyModeShift = 1;   // (options >> 1) & 3: 0 plain, 1 feathered, 2 soft
constexpr int32_t kBitmapKeepJpeg = 8;       // cancels forceReencode

// Appends the bitmap tag for a BMP, GIF, JPEG or PNG file (a JPEG embedded as it is unless
// re-encoding is forced). True when a tag was appended; false leaves the tag buffer unchanged.
bool DefineBitsJpeg3(int32_t id, const std::string &path, int32_t options, uint32_t keyColour, int32_t quality,
                     bool forceReencode, int32_t radius);

// The JPEG bytes for a picture file; a re-encoded PNG with transparency also gives its alpha.
bool GetJpegBytes(const std::string &path, Bytes &bytes, int32_t quality, bool forceReencode,
                  std::vector<uint8_t> &alpha);

// An alpha mask (one byte per pixel, rows from the top): 0 where the colour equals keyColour
// (0x00BBGGRR), else 255; mode 1 averages it over a (2 radius + 1) square, mode 2 fades colours
// near the key. Empty when the picture does not load.
std::vector<uint8_t> MakeColorKeyAlpha(const std::string &path, uint32_t keyColour, int32_t mode, int32_t radius);

// Appends a DefineShape rectangle of width x height pixels filled with the clipped bitmap.
void DefineBitmapShape(int32_t shapeId, int32_t bitmapId, int32_t width, int32_t height);

// Replaces bytes by their zlib compression; false (bytes unchanged) when zlib fails.
bool CompressBytes(std::vector<uint8_t> &bytes);

}  // namespace movie
