// JPEG bitmaps of DefineBitsJPEG2/3, their zlib-compressed alpha planes, and clipped bitmap fills.
#include "platform/base/jpeg_guard.h"
#include "platform/player/swf_bitmaps.h"

#include "platform/player/swf_limits.h"

#include <QPainter>
#include <algorithm>
#include <cmath>
#include <limits>
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

// The bitmap's pixel nearest to (u, v) (in bitmap pixels), or the bitmap sampled between the four
// pixels around it; a point past an edge is taken on the edge.
QRgb SampleClamped(const QImage &bitmap, double u, double v, bool smooth)
{
    const int width = bitmap.width();
    const int height = bitmap.height();
    auto at = [&bitmap](int x, int y) { return reinterpret_cast<const QRgb *>(bitmap.constScanLine(y))[x]; };
    if (!smooth) {
        return at(static_cast<int>(std::clamp(std::floor(u), 0.0, width - 1.0)),
                  static_cast<int>(std::clamp(std::floor(v), 0.0, height - 1.0)));
    }
    const double fu = std::clamp(u - 0.5, 0.0, width - 1.0);
    const double fv = std::clamp(v - 0.5, 0.0, height - 1.0);
    const int x0 = static_cast<int>(fu);
    const int y0 = static_cast<int>(fv);
    const int x1 = std::min(x0 + 1, width - 1);
    const int y1 = std::min(y0 + 1, height - 1);
    const double tx = fu - x0;
    const double ty = fv - y0;
    const QRgb p00 = at(x0, y0), p10 = at(x1, y0), p01 = at(x0, y1), p11 = at(x1, y1);
    auto channel = [&](int (*of)(QRgb)) {
        const double top = of(p00) * (1 - tx) + of(p10) * tx;
        const double bottom = of(p01) * (1 - tx) + of(p11) * tx;
        return static_cast<int>(std::lround(top * (1 - ty) + bottom * ty));
    };
    return qRgba(channel(qRed), channel(qGreen), channel(qBlue), channel(qAlpha));
}

// Narrows [low, high] to the c where minimum <= slope * c + offset <= maximum.
void Narrow(double &low, double &high, double slope, double offset, double minimum, double maximum)
{
    if (minimum > maximum || (slope == 0 && (offset < minimum || offset > maximum))) {
        low = std::numeric_limits<double>::infinity();
        high = -low;
    } else if (slope != 0) {
        const double a = (minimum - offset) / slope;
        const double b = (maximum - offset) / slope;
        low = std::max(low, std::min(a, b));
        high = std::min(high, std::max(a, b));
    }
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

void PaintClampedBitmap(QImage &target, const QPoint &origin, const ClampedBitmap &fill)
{
    if (fill.bitmap == nullptr || fill.bitmap->isNull() || target.isNull() ||
        target.format() != QImage::Format_ARGB32_Premultiplied) {
        return;
    }
    {
        QPainter painter(&target);
        painter.setRenderHint(QPainter::SmoothPixmapTransform, fill.smooth);
        painter.setOpacity(fill.opacity);
        painter.setTransform(fill.toScene * QTransform::fromTranslate(-origin.x(), -origin.y()));
        painter.drawImage(QPointF(0, 0), *fill.bitmap);
    }
    bool invertible = false;
    const QTransform toBitmap = fill.toScene.inverted(&invertible);
    if (!invertible) {
        return;
    }
    const QImage bitmap = fill.bitmap->format() == QImage::Format_ARGB32_Premultiplied
                              ? *fill.bitmap
                              : fill.bitmap->convertToFormat(QImage::Format_ARGB32_Premultiplied);
    // Centres this far inside the edges (a step of a scene pixel, in bitmap pixels) are painted by
    // the painter; nearer the edges and past them, a pixel it left empty takes the edge's pixels.
    const double marginU = std::abs(toBitmap.m11()) + std::abs(toBitmap.m21());
    const double marginV = std::abs(toBitmap.m12()) + std::abs(toBitmap.m22());
    const double opacity = std::clamp(fill.opacity, 0.0, 1.0);
    const int width = target.width();
    for (int y = 0; y < target.height(); ++y) {
        const double centreY = origin.y() + y + 0.5;
        const double u0 = toBitmap.m21() * centreY + toBitmap.dx();
        const double v0 = toBitmap.m22() * centreY + toBitmap.dy();
        // The scene columns whose centres lie deep inside.
        double low = -std::numeric_limits<double>::infinity();
        double high = -low;
        Narrow(low, high, toBitmap.m11(), u0, marginU, bitmap.width() - marginU);
        Narrow(low, high, toBitmap.m12(), v0, marginV, bitmap.height() - marginV);
        auto column = [&](double sceneCentre) {
            return std::clamp(sceneCentre - origin.x() - 0.5, -1.0, double(width));
        };
        const int deepFrom = low <= high ? static_cast<int>(std::ceil(column(low))) : width;
        const int deepTo = low <= high ? static_cast<int>(std::floor(column(high))) + 1 : width;
        auto *row = reinterpret_cast<QRgb *>(target.scanLine(y));
        auto edge = [&](int from, int to) {
            for (int x = std::max(from, 0); x < std::min(to, width); ++x) {
                if (row[x] != 0) {
                    continue;
                }
                const double centreX = origin.x() + x + 0.5;
                const QRgb sample = SampleClamped(bitmap, toBitmap.m11() * centreX + u0,
                                                  toBitmap.m12() * centreX + v0, fill.smooth);
                auto scaled = [opacity](int c) { return static_cast<int>(std::lround(c * opacity)); };
                row[x] = opacity == 1 ? sample
                                      : qRgba(scaled(qRed(sample)), scaled(qGreen(sample)), scaled(qBlue(sample)),
                                              scaled(qAlpha(sample)));
            }
        };
        edge(0, std::max(deepFrom, 0));
        edge(std::max(deepTo, deepFrom), width);
    }
}

}  // namespace platform::swf
