// JPEG pictures through libjpeg-turbo: baseline encoding of a DibSection, and decoding.
#pragma once

#include "import/bitmap.h"

#include <QImage>

#include <cstdint>
#include <string>

namespace importer {

// Encodes the bitmap as a baseline JPEG at quality 0..100 (clamped). False for an empty bitmap
// or an encoder failure.
bool EncodeJpeg(const DibSection &bitmap, int32_t quality, std::string &jpeg);

// Writes the bitmap as a JPEG file, whole, renamed over the target: an existing file keeps its
// permission bits and its access and modification times, and is untouched when writing fails.
bool SaveJpegFile(const DibSection &bitmap, const std::string &path, int32_t quality);

// Decodes JPEG bytes into an opaque picture; a null image for anything that does not decode.
QImage DecodeJpeg(const std::string &jpeg);

}  // namespace importer
