// A 24-bit bitmap in the layout the JPEG writer takes: rows stored bottom-up, 3 bytes per pixel
// (blue, green, red), each row padded to a multiple of 4 bytes. Filled from pictures (QImage).
#pragma once

#include <QImage>

#include <cstdint>
#include <vector>

namespace importer {

// The largest picture (in pixels) the picture modules allocate.
constexpr int64_t kMaxPicturePixels = int64_t{1} << 26;

class DibSection {
public:
    // Releases any previous bitmap and makes an all-black one of that size; false (and empty)
    // for a size that is not positive or too large.
    bool Create(int32_t width, int32_t height);
    // Makes the bitmap the picture's size and copies the picture into it.
    void CreateFromPicture(const QImage &picture);
    // Copies pixels of source from (left, top) to (0, 0); a negative width or height stands for
    // the bitmap's own. Pixels outside the source are left as they are.
    void LoadPictureBlt(const QImage &source, int32_t left, int32_t top, int32_t width, int32_t height);
    void ClearUp();

    // Row stride: width x 3 rounded up to a multiple of 4.
    int32_t BytesPerScanLine() const;
    int32_t width() const { return width_; }
    int32_t height() const { return height_; }
    bool IsEmpty() const { return bits_.empty(); }
    // The first byte of the pixel memory (the bottom row); null when empty.
    uint8_t *DIBSectionBitsPtr() { return bits_.empty() ? nullptr : bits_.data(); }
    const uint8_t *DIBSectionBitsPtr() const { return bits_.empty() ? nullptr : bits_.data(); }
    // The row that shows at y from the top.
    const uint8_t *RowFromTop(int32_t y) const;

private:
    std::vector<uint8_t> bits_;
    int32_t width_ = 0;
    int32_t height_ = 0;
};

}  // namespace importer
