#include "movie/bitmap_tags.h"

#include "platform/swf/shape_records.h"
#include "platform/swf/tag_records.h"

#include "import/bitmap.h"
#include "import/jpeg_file.h"
#include "import/picture_file.h"
#include "movie/movie_writer.h"
#include "movie/shape_encoder.h"
#include "platform/base/atomic_file.h"
#include "platform/base/rounding.h"

#include <zlib.h>

#include <algorithm>

namespace movie {
namespace {

namespace swf = platform::swf;

constexpr int64_t kSideStep = 65535;  // the longest side piece a 17-bit edge holds
constexpr int32_t kMaxSidePixels = 8388607 / 20;  // what the 24-bit bounds hold
constexpr int32_t kMaxJpegSide = 65500;            // the longest side libjpeg encodes

constexpr int32_t kTwipsPerPixel = 20;

// One side of the rectangle: horizontal or vertical edges with 17-bit deltas, split where the
// side is longer than one edge holds.
void WriteSide(BitBuffer &buffer, bool vertical, int64_t delta)
{
    while (delta != 0) {
        int64_t piece = std::clamp(delta, -kSideStep, kSideStep);
        swf::WriteAxisEdge(buffer, vertical, piece, swf::kMaxEdgeBits);
        delta -= piece;
    }
}

void AppendJpeg2(int32_t id, const Bytes &jpeg)
{
    AppendLongTag(TagCode::DefineBitsJpeg2, swf::DefineBitsJpeg2Body({static_cast<uint16_t>(id), jpeg, {}}));
}

void AppendJpeg3(int32_t id, const Bytes &jpeg, const Bytes &packedAlpha)
{
    AppendLongTag(TagCode::DefineBitsJpeg3,
                  swf::DefineBitsJpeg3Body({static_cast<uint16_t>(id), jpeg, packedAlpha}));
}

// Mean of the key-pass values over the (2 radius + 1) square around each pixel, counting only
// pixels inside the picture.
std::vector<uint8_t> Feather(const std::vector<uint8_t> &alpha, int32_t w, int32_t h, int32_t radius)
{
    std::vector<int64_t> sums(static_cast<size_t>(w + 1) * static_cast<size_t>(h + 1), 0);
    auto at = [&](int32_t x, int32_t y) -> int64_t & { return sums[static_cast<size_t>(y) * static_cast<size_t>(w + 1) + static_cast<size_t>(x)]; };
    for (int32_t y = 0; y < h; ++y) {
        for (int32_t x = 0; x < w; ++x) {
            at(x + 1, y + 1) = alpha[static_cast<size_t>(y) * static_cast<size_t>(w) + static_cast<size_t>(x)] + at(x, y + 1) +
                               at(x + 1, y) - at(x, y);
        }
    }
    std::vector<uint8_t> feathered(alpha.size());
    for (int32_t y = 0; y < h; ++y) {
        int32_t y0 = std::max(0, y - radius);
        int32_t y1 = std::min(h, y + radius + 1);
        for (int32_t x = 0; x < w; ++x) {
            int32_t x0 = std::max(0, x - radius);
            int32_t x1 = std::min(w, x + radius + 1);
            int64_t sum = at(x1, y1) - at(x0, y1) - at(x1, y0) + at(x0, y0);
            int64_t count = int64_t{x1 - x0} * (y1 - y0);
            feathered[static_cast<size_t>(y) * static_cast<size_t>(w) + static_cast<size_t>(x)] = static_cast<uint8_t>(sum / count);
        }
    }
    return feathered;
}

}  // namespace

bool DefineBitsJpeg3(int32_t id, const std::string &path, int32_t options, uint32_t keyColour, int32_t quality,
                     bool forceReencode, int32_t radius)
{
    Bytes jpeg;
    std::vector<uint8_t> alpha;
    if (!GetJpegBytes(path, jpeg, quality, forceReencode && (options & kBitmapKeepJpeg) == 0, alpha)) {
        return false;
    }
    if ((options & kBitmapColorKey) != 0) {
        alpha = MakeColorKeyAlpha(path, keyColour, (options >> kBitmapKeyModeShift) & 3, radius);
    }
    Bytes packed = alpha;
    if (!packed.empty() && CompressBytes(packed)) {
        AppendJpeg3(id, jpeg, packed);
    } else {
        AppendJpeg2(id, jpeg);
    }
    return true;
}

bool GetJpegBytes(const std::string &path, Bytes &bytes, int32_t quality, bool forceReencode,
                  std::vector<uint8_t> &alpha)
{
    const importer::ImageInfo info = importer::GetImageInfo(path, importer::kProbeContent);
    const int32_t type = info.ImageType;
    if (type == importer::kImageJpeg && !forceReencode) {
        std::string file;
        if (!platform::ReadWholeFile(path, file) || file.empty()) {
            return false;
        }
        bytes.assign(file.begin(), file.end());
        return true;
    }
    // A picture the encoder cannot take is refused before it is decoded.
    if (type < importer::kImageBmp || type > importer::kImagePng || info.ImageWidth <= 0 || info.ImageHeight <= 0 ||
        info.ImageWidth > kMaxJpegSide || info.ImageHeight > kMaxJpegSide) {
        return false;
    }
    QImage picture = importer::LoadPictureFile(path, alpha);
    importer::DibSection bitmap;
    bitmap.CreateFromPicture(picture);
    std::string encoded;
    if (!importer::EncodeJpeg(bitmap, quality, encoded)) {
        return false;
    }
    bytes.assign(encoded.begin(), encoded.end());
    return true;
}

std::vector<uint8_t> MakeColorKeyAlpha(const std::string &path, uint32_t keyColour, int32_t mode, int32_t radius)
{
    std::vector<uint8_t> ignored;
    QImage picture = importer::LoadPictureFile(path, ignored);
    if (picture.isNull()) {
        return {};
    }
    int32_t w = picture.width();
    int32_t h = picture.height();
    int32_t keyRed = static_cast<int32_t>(keyColour & 0xFF);
    int32_t keyGreen = static_cast<int32_t>((keyColour >> 8) & 0xFF);
    int32_t keyBlue = static_cast<int32_t>((keyColour >> 16) & 0xFF);
    std::vector<uint8_t> alpha(static_cast<size_t>(w) * static_cast<size_t>(h));
    for (int32_t y = 0; y < h; ++y) {
        const QRgb *row = reinterpret_cast<const QRgb *>(picture.constScanLine(y));
        for (int32_t x = 0; x < w; ++x) {
            bool key = qRed(row[x]) == keyRed && qGreen(row[x]) == keyGreen && qBlue(row[x]) == keyBlue;
            alpha[static_cast<size_t>(y) * static_cast<size_t>(w) + static_cast<size_t>(x)] = key ? 0 : 255;
        }
    }
    radius = std::clamp(radius, 0, 32767);
    if (mode == 1) {
        return Feather(alpha, w, h, radius);
    }
    if (mode == 2) {
        double t = platform::RoundHalfEven(3.0 * radius * radius);
        for (int32_t y = 0; y < h && t > 0; ++y) {
            const QRgb *row = reinterpret_cast<const QRgb *>(picture.constScanLine(y));
            for (int32_t x = 0; x < w; ++x) {
                uint8_t &a = alpha[static_cast<size_t>(y) * static_cast<size_t>(w) + static_cast<size_t>(x)];
                int32_t dr = qRed(row[x]) - keyRed;
                int32_t dg = qGreen(row[x]) - keyGreen;
                int32_t db = qBlue(row[x]) - keyBlue;
                double d2 = double(dr) * dr + double(dg) * dg + double(db) * db;
                if (a == 255 && d2 < t) {
                    a = static_cast<uint8_t>(platform::RoundHalfEven(255.0 - (t - d2) / t * 255.0));
                }
            }
        }
    }
    return alpha;
}

void DefineBitmapShape(int32_t shapeId, int32_t bitmapId, int32_t width, int32_t height)
{
    int64_t w = int64_t{std::clamp(width, 0, kMaxSidePixels)} * 20;
    int64_t h = int64_t{std::clamp(height, 0, kMaxSidePixels)} * 20;
    // One clipped bitmap fill (pixels scaled to twips), no line styles, one fill-index bit.
    swf::FillStyleRecord fill;
    fill.type = swf::FillStyleType::ClippedBitmap;
    fill.bitmapId = static_cast<uint16_t>(bitmapId);
    fill.matrix.hasScale = true;
    fill.matrix.scaleX = fill.matrix.scaleY = kTwipsPerPixel << 16;
    BitBuffer shape;
    InitBitBuffer(shape);
    swf::WriteStyleCount(shape, 1);
    swf::WriteFillStyle(shape, fill);
    swf::WriteStyleCount(shape, 0);
    swf::WriteStyleIndexBits(shape, 1, 0);

    swf::StyleChangeRecord move;
    move.flags = swf::kStateMoveTo | swf::kStateFillStyle1;
    move.moveBits = 17;
    move.moveX = static_cast<int32_t>(w);
    move.moveY = static_cast<int32_t>(h);
    move.fill1 = 1;
    swf::WriteStyleChange(shape, move, 1, 0);
    WriteSide(shape, false, -w);
    WriteSide(shape, true, -h);
    WriteSide(shape, false, w);
    WriteSide(shape, true, h);
    swf::WriteEndShape(shape);
    constexpr int32_t kBoundsBits = 24;
    AppendLongTag(TagCode::DefineShape,
                  swf::ShapeTagBody(static_cast<uint16_t>(shapeId), {0, static_cast<int32_t>(w), 0, static_cast<int32_t>(h)},
                                    kBoundsBits, BufferBytes(shape)));
}

bool CompressBytes(std::vector<uint8_t> &bytes)
{
    uLongf size = compressBound(static_cast<uLong>(bytes.size()));
    Bytes packed(size);
    if (compress(packed.data(), &size, bytes.data(), static_cast<uLong>(bytes.size())) != Z_OK) {
        return false;
    }
    packed.resize(size);
    bytes = std::move(packed);
    return true;
}

}  // namespace movie
