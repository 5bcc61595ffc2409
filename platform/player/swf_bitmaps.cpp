// JPEG bitmaps of DefineBitsJPEG2/3 and their zlib-compressed alpha planes.
#include "platform/base/jpeg_guard.h"
#include "platform/player/swf_bitmaps.h"

#include "platform/player/swf_limits.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <zlib.h>

namespace platform::swf {

namespace {

// Decoded RGB rows; plain data so that nothing needs destroying when the decoder jumps out.
struct RawImage {
    unsigned char *pixels = nullptr;  // malloc'd, width * height * 3
    int width = 0;
    int height = 0;
};

bool SizeAllowed(JDIMENSION width, JDIMENSION height)
{
    return width > 0 && height > 0 && width <= kMaxBitmapSide && height <= kMaxBitmapSide &&
           static_cast<int64_t>(width) * height <= kMaxBitmapPixels;
}

// Decodes with libjpeg-turbo; a damaged stream gives false (and no pixels), an oversized picture
// is refused before any pixel memory is taken.
bool DecodeRaw(const unsigned char *data, size_t size, RawImage *out)
{
    jpeg_decompress_struct info;
    JpegGuard guard;
    info.err = JpegGuardErrors(guard);
    if (setjmp(guard.jump) != 0) {
        jpeg_destroy_decompress(&info);
        std::free(out->pixels);
        out->pixels = nullptr;
        return false;
    }
    jpeg_create_decompress(&info);
    LimitJpegScans(info, guard);
    jpeg_mem_src(&info, data, static_cast<unsigned long>(size));
    if (jpeg_read_header(&info, TRUE) != JPEG_HEADER_OK || !SizeAllowed(info.image_width, info.image_height)) {
        jpeg_destroy_decompress(&info);
        return false;
    }
    info.out_color_space = JCS_RGB;
    jpeg_start_decompress(&info);
    const size_t stride = static_cast<size_t>(info.output_width) * 3;
    out->pixels = static_cast<unsigned char *>(std::calloc(stride, info.output_height));
    if (out->pixels == nullptr) {
        jpeg_destroy_decompress(&info);
        return false;
    }
    out->width = static_cast<int>(info.output_width);
    out->height = static_cast<int>(info.output_height);
    while (info.output_scanline < info.output_height) {
        JSAMPROW row = out->pixels + stride * info.output_scanline;
        jpeg_read_scanlines(&info, &row, 1);
    }
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
    return true;
}

}  // namespace

QImage DecodeJpeg(std::string_view data)
{
    if (data.empty()) {
        return {};
    }
    RawImage raw;
    if (!DecodeRaw(reinterpret_cast<const unsigned char *>(data.data()), data.size(), &raw)) {
        return {};
    }
    QImage image(raw.width, raw.height, QImage::Format_ARGB32_Premultiplied);
    if (!image.isNull()) {
        for (int y = 0; y < raw.height; ++y) {
            const unsigned char *source = raw.pixels + static_cast<size_t>(y) * raw.width * 3;
            auto *target = reinterpret_cast<QRgb *>(image.scanLine(y));
            for (int x = 0; x < raw.width; ++x) {
                target[x] = qRgb(source[3 * x], source[3 * x + 1], source[3 * x + 2]);
            }
        }
    }
    std::free(raw.pixels);
    return image;
}

QImage ApplyAlphaPlane(const QImage &image, std::string_view zlibAlpha)
{
    if (image.isNull() || zlibAlpha.empty()) {
        return image;
    }
    const size_t pixels = static_cast<size_t>(image.width()) * image.height();
    std::string alpha(pixels, '\0');
    uLongf length = static_cast<uLongf>(alpha.size());
    int status = uncompress(reinterpret_cast<Bytef *>(alpha.data()), &length,
                            reinterpret_cast<const Bytef *>(zlibAlpha.data()), static_cast<uLong>(zlibAlpha.size()));
    if ((status != Z_OK && status != Z_BUF_ERROR) || length != alpha.size()) {
        return image;  // an unusable alpha plane leaves the picture opaque
    }
    // The colours are stored already multiplied by alpha; JPEG noise can lift a channel above its
    // alpha, which premultiplied pixels cannot hold, so each channel is capped there.
    QImage result(image.width(), image.height(), QImage::Format_ARGB32_Premultiplied);
    for (int y = 0; y < image.height(); ++y) {
        const auto *source = reinterpret_cast<const QRgb *>(image.constScanLine(y));
        auto *target = reinterpret_cast<QRgb *>(result.scanLine(y));
        const auto *a = reinterpret_cast<const uint8_t *>(alpha.data()) + static_cast<size_t>(y) * image.width();
        for (int x = 0; x < image.width(); ++x) {
            const int cap = a[x];
            target[x] = qRgba(std::min(qRed(source[x]), cap), std::min(qGreen(source[x]), cap),
                              std::min(qBlue(source[x]), cap), cap);
        }
    }
    return result;
}

}  // namespace platform::swf
