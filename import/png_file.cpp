#include "import/png_file.h"

#include "import/bitmap.h"
#include "platform/base/atomic_file.h"

#include <png.h>

#include <cstdlib>
#include <cstring>
#include <string_view>

namespace importer {
namespace {

struct PngImage {
    png_image image{};
    PngImage() { image.version = PNG_IMAGE_VERSION; }
    ~PngImage() { png_image_free(&image); }
};

// Every chunk up to IEND lies inside the file: a chunk that claims more bytes than the file holds
// would make libpng allocate and wait for data that never comes.
bool ChunksFitFile(std::string_view bytes)
{
    constexpr size_t kSignature = 8;
    constexpr size_t kChunkFrame = 12;  // length, type, CRC
    size_t pos = kSignature;
    while (pos + kChunkFrame <= bytes.size()) {
        auto byte = [&](size_t at) { return static_cast<uint32_t>(static_cast<uint8_t>(bytes[at])); };
        uint32_t length = byte(pos) << 24 | byte(pos + 1) << 16 | byte(pos + 2) << 8 | byte(pos + 3);
        if (length > bytes.size() - pos - kChunkFrame) {
            return false;
        }
        if (bytes.compare(pos + 4, 4, "IEND") == 0) {
            return true;
        }
        pos += kChunkFrame + length;
    }
    return true;  // a header cut short claims nothing; libpng reports the missing end
}

}  // namespace

QImage LoadPngPicture(const std::string &path, std::vector<uint8_t> &alpha)
{
    std::string bytes;
    if (!platform::ReadWholeFile(path, bytes)) {
        return QImage();
    }
    PngImage png;
    if (!ChunksFitFile(bytes) || !png_image_begin_read_from_memory(&png.image, bytes.data(), bytes.size())) {
        return QImage();
    }
    int64_t width = png.image.width;
    int64_t height = png.image.height;
    if (width <= 0 || height <= 0 || width * height > kMaxPicturePixels) {
        return QImage();
    }
    bool hasAlpha = (png.image.format & PNG_FORMAT_FLAG_ALPHA) != 0;
    png.image.format = PNG_FORMAT_BGRA;
    std::vector<uint8_t> pixels(static_cast<size_t>(width * height * 4));
    if (!png_image_finish_read(&png.image, nullptr, pixels.data(), static_cast<png_int_32>(width * 4), nullptr)) {
        return QImage();
    }

    size_t count = static_cast<size_t>(width * height);
    if (hasAlpha) {
        alpha.assign(count, 0);
        for (size_t k = 0; k < count; ++k) {
            uint8_t a = pixels[4 * k + 3];
            alpha[k] = a;
            for (size_t c = 0; c < 3; ++c) {
                pixels[4 * k + c] = static_cast<uint8_t>(pixels[4 * k + c] * a / 255);
            }
        }
    }
    QImage picture(static_cast<int>(width), static_cast<int>(height), QImage::Format_RGB32);
    if (picture.isNull()) {
        return QImage();
    }
    for (int y = 0; y < picture.height(); ++y) {
        const uint8_t *in = pixels.data() + static_cast<size_t>(y) * static_cast<size_t>(width) * 4;
        QRgb *out = reinterpret_cast<QRgb *>(picture.scanLine(y));
        for (int x = 0; x < picture.width(); ++x) {
            out[x] = qRgb(in[4 * x + 2], in[4 * x + 1], in[4 * x]);
        }
    }
    return picture;
}

std::string EncodePng(const std::vector<uint8_t> &pixels, int32_t width, int32_t height, bool opaque)
{
    const int32_t bytesPerPixel = opaque ? 3 : 4;
    int64_t rows = std::llabs(int64_t{height});
    if (width <= 0 || rows <= 0 || int64_t{width} * rows > kMaxPicturePixels ||
        pixels.size() < static_cast<size_t>(int64_t{width} * rows * bytesPerPixel)) {
        return {};
    }
    PngImage png;
    png.image.width = static_cast<png_uint_32>(width);
    png.image.height = static_cast<png_uint_32>(rows);
    png.image.format = opaque ? PNG_FORMAT_BGR : PNG_FORMAT_BGRA;
    // A buffer of the largest size the stream can have lets the image be compressed once; asking
    // for the exact size first would compress it twice.
    png_alloc_size_t size = PNG_IMAGE_PNG_SIZE_MAX(png.image);
    std::string bytes(size, '\0');
    if (!png_image_write_to_memory(&png.image, bytes.data(), &size, 0, pixels.data(), width * bytesPerPixel, nullptr)) {
        return {};
    }
    bytes.resize(size);
    return bytes;
}

bool SavePng(const std::vector<uint8_t> &pixels, int32_t width, int32_t height, const std::string &path)
{
    if (path.empty()) {
        return false;
    }
    const std::string bytes = EncodePng(pixels, width, height);
    return !bytes.empty() && platform::WriteFileAtomically(path, bytes);
}

}  // namespace importer
