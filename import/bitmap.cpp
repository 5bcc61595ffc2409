#include "import/bitmap.h"

#include <algorithm>

namespace importer {

bool DibSection::Create(int32_t width, int32_t height)
{
    ClearUp();
    if (width <= 0 || height <= 0 || int64_t{width} * height > kMaxPicturePixels) {
        return false;
    }
    width_ = width;
    height_ = height;
    bits_.assign(static_cast<size_t>(BytesPerScanLine()) * static_cast<size_t>(height), 0);
    return true;
}

void DibSection::CreateFromPicture(const QImage &picture)
{
    if (Create(picture.width(), picture.height())) {
        LoadPictureBlt(picture, 0, 0, -1, -1);
    }
}

void DibSection::LoadPictureBlt(const QImage &source, int32_t left, int32_t top, int32_t width, int32_t height)
{
    if (bits_.empty() || source.isNull()) {
        return;
    }
    width = width < 0 ? width_ : std::min(width, width_);
    height = height < 0 ? height_ : std::min(height, height_);
    QImage rgb = source.convertToFormat(QImage::Format_RGB32);
    int32_t stride = BytesPerScanLine();
    for (int32_t y = 0; y < height; ++y) {
        int32_t sy = top + y;
        if (sy < 0 || sy >= rgb.height()) {
            continue;
        }
        const QRgb *in = reinterpret_cast<const QRgb *>(rgb.constScanLine(sy));
        uint8_t *out = bits_.data() + static_cast<size_t>(height_ - 1 - y) * static_cast<size_t>(stride);
        for (int32_t x = 0; x < width; ++x) {
            int32_t sx = left + x;
            if (sx < 0 || sx >= rgb.width()) {
                continue;
            }
            out[3 * x] = static_cast<uint8_t>(qBlue(in[sx]));
            out[3 * x + 1] = static_cast<uint8_t>(qGreen(in[sx]));
            out[3 * x + 2] = static_cast<uint8_t>(qRed(in[sx]));
        }
    }
}

void DibSection::ClearUp()
{
    bits_.clear();
    bits_.shrink_to_fit();
    width_ = 0;
    height_ = 0;
}

int32_t DibSection::BytesPerScanLine() const
{
    return (width_ * 3 + 3) & ~3;
}

const uint8_t *DibSection::RowFromTop(int32_t y) const
{
    if (bits_.empty() || y < 0 || y >= height_) {
        return nullptr;
    }
    return bits_.data() + static_cast<size_t>(height_ - 1 - y) * static_cast<size_t>(BytesPerScanLine());
}

}  // namespace importer
