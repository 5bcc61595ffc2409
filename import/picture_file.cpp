#include "import/picture_file.h"

#include "core/document.h"
#include "core/drawing_file.h"
#include "import/bitmap.h"
#include "import/jpeg_file.h"
#include "import/png_file.h"
#include "import/svg_reader.h"
#include "import/wmf_importer.h"
#include "platform/base/atomic_file.h"
#include "platform/base/rounding.h"

#include <QBuffer>
#include <QImageReader>

#include <algorithm>
#include <filesystem>
#include <limits>

namespace importer {
namespace {

constexpr size_t kTextProbeBytes = 65536;
constexpr size_t kMetafileHeadBytes = 40;  // placeable header and metafile header

std::string ReadHead(const std::string &path, size_t count)
{
    return platform::ReadFileHead(path, count);
}

std::string ReadFile(const std::string &path)
{
    std::string bytes;
    platform::ReadWholeFile(path, bytes);
    return bytes;
}

uint32_t Byte(std::string_view b, size_t at)
{
    return static_cast<uint8_t>(b[at]);
}

uint32_t Le16(std::string_view b, size_t at)
{
    return Byte(b, at) | Byte(b, at + 1) << 8;
}

uint32_t Le32(std::string_view b, size_t at)
{
    return Le16(b, at) | Le16(b, at + 2) << 16;
}

uint32_t Be16(std::string_view b, size_t at)
{
    return Byte(b, at) << 8 | Byte(b, at + 1);
}

uint32_t Be24(std::string_view b, size_t at)
{
    return Byte(b, at) << 16 | Be16(b, at + 1);
}

uint32_t Be32(std::string_view b, size_t at)
{
    return Be16(b, at) << 16 | Be16(b, at + 2);
}

bool StartsWith(std::string_view bytes, std::string_view prefix)
{
    return bytes.size() >= prefix.size() && std::string_view(bytes).substr(0, prefix.size()) == prefix;
}

bool EndsWith(const std::string &text, std::string_view suffix)
{
    return text.size() >= suffix.size() && std::string_view(text).substr(text.size() - suffix.size()) == suffix;
}

std::string Lower(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c); });
    return text;
}

bool IsSvgName(const std::string &path)
{
    std::string lower = Lower(path);
    return EndsWith(lower, ".svg") || EndsWith(lower, ".svgz");
}

// A record whose sizes fit the signed fields; all zeros otherwise.
ImageInfo Info(int32_t type, int64_t width, int64_t height, int64_t bits)
{
    constexpr int64_t kMax = std::numeric_limits<int32_t>::max();
    if (width < 0 || height < 0 || width > kMax || height > kMax) {
        return {};
    }
    return {type, static_cast<int32_t>(width), static_cast<int32_t>(height), static_cast<int32_t>(bits)};
}

int32_t TypeFromContent(const std::string &head, const std::string &path)
{
    if (StartsWith(head, "BM")) {
        return kImageBmp;
    }
    if (StartsWith(head, "GIF")) {
        return kImageGif;
    }
    if (StartsWith(head, "\xFF\xD8")) {
        return kImageJpeg;
    }
    if (StartsWith(head, "\x89PNG")) {
        return kImagePng;
    }
    if (StartsWith(head, "QLK")) {
        return kImageDrawing;
    }
    if (StartsWith(head, "FLV")) {
        return kImageFlv;
    }
    if (StartsWith(head, "QKCLIP")) {
        return kImageClip;
    }
    if (StartsWith(head, "\xD7\xCD\xC6\x9A")) {
        return kImageMetafile;
    }
    return IsSvgName(path) ? kImageSvg : kImageUnknown;
}

int32_t TypeFromExtension(const std::string &path)
{
    std::string lower = Lower(path);
    const std::pair<const char *, int32_t> patterns[] = {
        {".bmp", kImageBmp},     {".gif", kImageGif},      {".jpg", kImageJpeg},   {".jpeg", kImageJpeg},
        {".png", kImagePng},     {".qlk", kImageDrawing},  {".qkclip", kImageClip}, {".flv", kImageFlv},
        {".wmf", kImageMetafile}, {".svg", kImageSvg},     {".svgz", kImageSvg}};
    for (const auto &[suffix, type] : patterns) {
        if (EndsWith(lower, suffix)) {
            return type;
        }
    }
    return kImageUnknown;
}

ImageInfo ReadInfoOfType(int32_t type, const std::string &path)
{
    switch (type) {
    case kImageBmp:
        return ReadBmpInfo(path);
    case kImageGif:
        return ReadGifInfo(path);
    case kImageJpeg:
        return ReadJpegInfo(path);
    case kImagePng:
        return ReadPngInfo(path);
    case kImageDrawing:
        return ReadQlkInfo(path);
    case kImageFlv:
        return ReadFlvInfo(path);
    case kImageClip:
        return ReadClipInfo(path);
    case kImageMetafile:
        return ReadWmfInfo(path);
    case kImageSvg:
        return ReadSvgInfo(path);
    default:
        return {};
    }
}

// Picture size of the H.263 picture header inside a Sorenson video tag.
bool SorensonSize(const std::string &data, int64_t &width, int64_t &height)
{
    if (data.size() < 6) {
        return false;
    }
    static const int kSizes[7][2] = {{0, 0}, {0, 0}, {352, 288}, {176, 144}, {128, 96}, {320, 240}, {160, 120}};
    uint32_t code = ((Byte(data, 4) & 3) << 1) | (Byte(data, 5) >> 7);
    if (code >= 2 && code <= 6) {
        width = kSizes[code][0];
        height = kSizes[code][1];
        return true;
    }
    if (code == 7) {
        width = height = 0;
        return true;
    }
    int bits = code == 0 ? 8 : 16;
    size_t bitPos = 5 * 8 + 1;  // the low 7 bits of byte 5
    if (data.size() * 8 < bitPos + 2 * static_cast<size_t>(bits)) {
        return false;
    }
    auto take = [&](int count) {
        int64_t value = 0;
        for (int i = 0; i < count; ++i, ++bitPos) {
            value = value << 1 | ((Byte(data, bitPos / 8) >> (7 - bitPos % 8)) & 1);
        }
        return value;
    };
    width = take(bits);
    height = take(bits);
    return true;
}

}  // namespace

bool FileOk(const std::string &path)
{
    std::error_code error;
    return !path.empty() && std::filesystem::is_regular_file(path, error) &&
           std::filesystem::file_size(path, error) >= 2 && !error;
}

int32_t ImageTypeOfName(const std::string &path)
{
    return TypeFromExtension(path);
}

ImageInfo GetImageInfo(const std::string &path, int32_t mode)
{
    if (!FileOk(path)) {
        return {};
    }
    int32_t type = mode == kProbeExtension ? TypeFromExtension(path) : TypeFromContent(ReadHead(path, 6), path);
    return ReadInfoOfType(type, path);
}

ImageInfo ReadBmpInfo(const std::string &path)
{
    std::string head = FileOk(path) ? ReadHead(path, 54) : std::string();
    if (head.size() < 30 || !StartsWith(head, "BM")) {
        return {};
    }
    int32_t width = static_cast<int32_t>(Le32(head, 18));
    int32_t height = static_cast<int32_t>(Le32(head, 22));
    if (height == std::numeric_limits<int32_t>::min()) {
        return {};
    }
    // A negative height marks rows stored top-down; the picture is as tall as its magnitude.
    return Info(kImageBmp, width, std::abs(height), Le16(head, 28));
}

ImageInfo ReadGifInfo(const std::string &path)
{
    std::string head = FileOk(path) ? ReadHead(path, 13) : std::string();
    if (head.size() < 13 || !StartsWith(head, "GIF")) {
        return {};
    }
    return Info(kImageGif, Le16(head, 6), Le16(head, 8), (Byte(head, 10) & 7) + 1);
}

ImageInfo ReadJpegInfo(const std::string &path)
{
    std::string data = FileOk(path) ? ReadFile(path) : std::string();
    if (!StartsWith(data, "\xFF\xD8")) {
        return {};
    }
    size_t pos = 2;
    while (data.size() >= 4 && pos < data.size() - 4) {
        if (Byte(data, pos) != 0xFF) {
            return {};
        }
        uint32_t marker = Byte(data, pos + 1);
        bool frame = (marker >= 0xC0 && marker <= 0xC3) || (marker >= 0xC9 && marker <= 0xCB);
        if (frame) {
            if (pos + 8 >= data.size()) {
                return {};
            }
            return Info(kImageJpeg, Be16(data, pos + 7), Be16(data, pos + 5), 24);
        }
        pos += 2 + Be16(data, pos + 2);
    }
    return {};
}

ImageInfo ReadPngInfo(const std::string &path)
{
    std::string head = FileOk(path) ? ReadHead(path, 29) : std::string();
    if (head.size() < 29 || !StartsWith(head, "\x89PNG") || head.compare(12, 4, "IHDR") != 0) {
        return {};
    }
    uint32_t colourType = Byte(head, 25);
    uint32_t depth = Byte(head, 24);
    uint32_t bits = colourType == 0 || colourType == 3 ? depth : colourType == 2 ? 3 * depth : 0;
    return Info(kImagePng, Be32(head, 16), Be32(head, 20), bits);
}

ImageInfo ReadQlkInfo(const std::string &path)
{
    // The canvas size is the first two values after the magic line; the rest is not read.
    std::string head = FileOk(path) ? ReadHead(path, kTextProbeBytes) : std::string();
    core::FieldReader file(head);
    std::string_view magic;
    int32_t width = 0;
    int32_t height = 0;
    if (!file.ReadBareLine(magic) || !magic.starts_with("QLK") || !file.ReadInt32(width) ||
        !file.ReadInt32(height)) {
        return {};
    }
    return Info(kImageDrawing, width, height, 0);
}

ImageInfo ReadFlvInfo(const std::string &path)
{
    std::string data = FileOk(path) ? ReadFile(path) : std::string();
    if (data.size() < 9 || !StartsWith(data, "FLV")) {
        return {};
    }
    size_t pos = 9;
    while (pos + 4 + 11 <= data.size()) {
        size_t header = pos + 4;  // after the previous tag's size
        uint32_t tagType = Byte(data, header);
        size_t size = Be24(data, header + 1);
        size_t dataStart = header + 11;
        if (dataStart + size > data.size()) {
            return {};  // truncated tag
        }
        if (tagType == 9) {
            std::string video = data.substr(dataStart, size);
            if (video.empty()) {
                return {};
            }
            uint32_t codec = Byte(video, 0) & 15;
            int64_t width = 0;
            int64_t height = 0;
            if (codec == 2) {
                if (!SorensonSize(video, width, height)) {
                    return {};
                }
            } else if (codec == 3) {
                if (video.size() < 5) {
                    return {};
                }
                width = (Byte(video, 1) & 15) * 256 + Byte(video, 2);
                height = (Byte(video, 3) & 15) * 256 + Byte(video, 4);
            } else {
                return {};
            }
            return Info(kImageFlv, width, height, codec);
        }
        pos = dataStart + size;
    }
    if (data.size() > pos + 4) {
        return {};  // a tag header cut short
    }
    return Info(kImageFlv, 0, 0, 0);
}

ImageInfo ReadClipInfo(const std::string &path)
{
    // The extent of every path the clip holds, line widths included; a bad clip is unknown.
    core::ClipFileContents clip;
    std::string message;
    if (!FileOk(path) || !core::ReadClipFile(path, clip, message)) {
        return {};
    }
    core::Rect32 bounds = core::GetPathsBounds(clip.Paths);
    return Info(kImageClip, (int64_t{bounds.Right} - bounds.Left) / 20, (int64_t{bounds.Bottom} - bounds.Top) / 20, 0);
}

ImageInfo ReadWmfInfo(const std::string &path)
{
    return FileOk(path) ? MetafileInfo(ReadHead(path, kMetafileHeadBytes)) : ImageInfo();
}

ImageInfo MetafileInfo(std::string_view head)
{
    // Placeable header: key, handle, bounding box (4 x 16 bits), units per inch, reserved,
    // checksum; then the 18-byte metafile header, whose type (1 memory, 2 disk) and size in
    // words (9) tell a metafile from other data behind the key.
    if (head.size() < kMetafileHeadBytes || !StartsWith(head, "\xD7\xCD\xC6\x9A")) {
        return {};
    }
    uint32_t metafileType = Le16(head, 22);
    if ((metafileType != 1 && metafileType != 2) || Le16(head, 24) != 9) {
        return {};
    }
    auto signed16 = [&](size_t at) { return static_cast<int16_t>(Le16(head, at)); };
    int64_t spanX = std::abs(int64_t{signed16(10)} - signed16(6));
    int64_t spanY = std::abs(int64_t{signed16(12)} - signed16(8));
    uint32_t unitsPerInch = Le16(head, 14);
    if (unitsPerInch == 0) {
        return {};
    }
    return Info(kImageMetafile, platform::RoundToInt32(static_cast<double>(spanX) / unitsPerInch * GetScreenDpiX()),
                platform::RoundToInt32(static_cast<double>(spanY) / unitsPerInch * GetScreenDpiY()), 24);
}

ImageInfo ReadSvgInfo(const std::string &path)
{
    SvgReader reader;
    if (!FileOk(path) || !reader.LoadSvg(path)) {
        return {};
    }
    return Info(kImageSvg, reader.width(), reader.height(), 24);
}

QImage LoadPictureFile(const std::string &path, std::vector<uint8_t> &alpha)
{
    if (ReadPngInfo(path).ImageType == kImagePng) {
        return LoadPngPicture(path, alpha);
    }
    // Only the picture types are probed: a drawing, clip or SVG file is refused without being
    // read whole.
    int32_t type = FileOk(path) ? TypeFromContent(ReadHead(path, 6), path) : kImageUnknown;
    if (type == kImageMetafile) {
        return DrawMetafilePicture(ReadFile(path));
    }
    if (type != kImageBmp && type != kImageGif && type != kImageJpeg) {
        return QImage();
    }
    ImageInfo info = ReadInfoOfType(type, path);
    if (info.ImageType != type || int64_t{info.ImageWidth} * info.ImageHeight > kMaxPicturePixels) {
        return QImage();
    }
    if (type == kImageJpeg) {
        return DecodeJpeg(ReadFile(path));
    }
    QByteArray bytes = QByteArray::fromStdString(ReadFile(path));
    QBuffer buffer(&bytes);
    QImageReader reader(&buffer, type == kImageBmp ? "bmp" : "gif");
    QImage picture = reader.read();
    return picture.isNull() ? QImage() : picture.convertToFormat(QImage::Format_RGB32);
}

}  // namespace importer
