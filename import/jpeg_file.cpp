#include "import/jpeg_file.h"

#include "platform/base/atomic_file.h"
#include "platform/base/jpeg_guard.h"

#include <algorithm>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>

namespace importer {
namespace {

// The compression itself; kept free of C++ objects with destructors because of longjmp.
bool Compress(const DibSection &bitmap, int quality, unsigned char **buffer, unsigned long *size)
{
    jpeg_compress_struct info{};
    platform::JpegGuard guard;
    info.err = platform::JpegGuardErrors(guard);
    if (setjmp(guard.jump)) {
        jpeg_destroy_compress(&info);
        return false;
    }
    jpeg_create_compress(&info);
    jpeg_mem_dest(&info, buffer, size);
    info.image_width = static_cast<JDIMENSION>(bitmap.width());
    info.image_height = static_cast<JDIMENSION>(bitmap.height());
    info.input_components = 3;
    info.in_color_space = JCS_EXT_BGR;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, quality, TRUE);
    jpeg_start_compress(&info, TRUE);
    while (info.next_scanline < info.image_height) {
        JSAMPROW row = const_cast<JSAMPROW>(bitmap.RowFromTop(static_cast<int32_t>(info.next_scanline)));
        jpeg_write_scanlines(&info, &row, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    return true;
}

bool Decompress(const std::string &jpeg, QImage &picture)
{
    jpeg_decompress_struct info{};
    platform::JpegGuard guard;
    info.err = platform::JpegGuardErrors(guard);
    if (setjmp(guard.jump)) {
        jpeg_destroy_decompress(&info);
        return false;
    }
    jpeg_create_decompress(&info);
    platform::LimitJpegScans(info, guard);
    jpeg_mem_src(&info, reinterpret_cast<const unsigned char *>(jpeg.data()), static_cast<unsigned long>(jpeg.size()));
    if (jpeg_read_header(&info, TRUE) != JPEG_HEADER_OK ||
        int64_t{info.image_width} * info.image_height > kMaxPicturePixels || info.image_width == 0 ||
        info.image_height == 0) {
        jpeg_destroy_decompress(&info);
        return false;
    }
    info.out_color_space = JCS_EXT_BGRX;  // the memory layout of QImage::Format_RGB32
    jpeg_start_decompress(&info);
    picture = QImage(static_cast<int>(info.output_width), static_cast<int>(info.output_height), QImage::Format_RGB32);
    if (picture.isNull()) {
        jpeg_destroy_decompress(&info);
        return false;
    }
    picture.fill(Qt::black);
    while (info.output_scanline < info.output_height) {
        JSAMPROW row = picture.scanLine(static_cast<int>(info.output_scanline));
        jpeg_read_scanlines(&info, &row, 1);
    }
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
    return true;
}

}  // namespace

bool EncodeJpeg(const DibSection &bitmap, int32_t quality, std::string &jpeg)
{
    if (bitmap.IsEmpty()) {
        return false;
    }
    unsigned char *buffer = nullptr;
    unsigned long size = 0;
    bool ok = Compress(bitmap, std::clamp(quality, 0, 100), &buffer, &size);
    if (ok) {
        jpeg.assign(reinterpret_cast<const char *>(buffer), size);
    }
    std::free(buffer);
    return ok;
}

bool SaveJpegFile(const DibSection &bitmap, const std::string &path, int32_t quality)
{
    std::string jpeg;
    if (path.empty() || !EncodeJpeg(bitmap, quality, jpeg)) {
        return false;
    }
    struct stat old;
    bool existed = stat(path.c_str(), &old) == 0;
    if (!platform::WriteFileAtomically(path, jpeg)) {
        return false;
    }
    if (existed) {
        timespec times[2] = {old.st_atim, old.st_mtim};
        utimensat(AT_FDCWD, path.c_str(), times, 0);
    }
    return true;
}

QImage DecodeJpeg(const std::string &jpeg)
{
    QImage picture;
    if (!Decompress(jpeg, picture)) {
        return QImage();
    }
    return picture;
}

}  // namespace importer
