// JPEG bitmaps for the player tests: one-colour pictures encoded with libjpeg, and the bodies of
// the DefineBitsJPEG2 tags that carry them.
#pragma once

#include "swf_builder.h"

#include <QColor>
#include <cstdio>
#include <cstdlib>
#include <jpeglib.h>
#include <string>
#include <vector>

namespace swftest {

inline std::string EncodeJpeg(int width, int height, QRgb color)
{
    jpeg_compress_struct info;
    jpeg_error_mgr error;
    info.err = jpeg_std_error(&error);
    jpeg_create_compress(&info);
    unsigned char *buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&info, &buffer, &size);
    info.image_width = static_cast<JDIMENSION>(width);
    info.image_height = static_cast<JDIMENSION>(height);
    info.input_components = 3;
    info.in_color_space = JCS_RGB;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, 95, TRUE);
    jpeg_start_compress(&info, TRUE);
    std::vector<unsigned char> row(static_cast<size_t>(width) * 3);
    for (int x = 0; x < width; ++x) {
        row[3 * x] = static_cast<unsigned char>(qRed(color));
        row[3 * x + 1] = static_cast<unsigned char>(qGreen(color));
        row[3 * x + 2] = static_cast<unsigned char>(qBlue(color));
    }
    while (info.next_scanline < info.image_height) {
        JSAMPROW pointer = row.data();
        jpeg_write_scanlines(&info, &pointer, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    std::string bytes(reinterpret_cast<char *>(buffer), size);
    std::free(buffer);
    return bytes;
}

// The stray end and start markers some writers put before the JPEG data.
inline const std::string kBrokenStart("\xFF\xD9\xFF\xD8", 4);

inline std::string Jpeg2Body(uint16_t id, const std::string &jpeg)
{
    Bits body;
    body.U16(id);
    body.Raw(kBrokenStart + jpeg);
    return body.bytes();
}

}  // namespace swftest
