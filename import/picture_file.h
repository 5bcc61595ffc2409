// What kind of file a path names and how large its picture is, read from the first bytes (or
// the extension), and the loading of raster pictures. Every read is checked against the file's
// length: a short or corrupt file is type 0.
#pragma once

#include <QImage>

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace importer {

enum ImageTypeValue : int32_t {
    kImageUnknown = 0,
    kImageBmp = 1,
    kImageGif = 2,
    kImageJpeg = 3,
    kImagePng = 4,
    kImageDrawing = 5,   // native drawing file: the canvas size
    kImageFlv = 6,       // FLV video: ImageBits is the codec id
    kImageClip = 7,      // clip file: the clip's extent
    kImageMetafile = 8,  // placeable Windows metafile
    kImageSvg = 9        // SVG or compressed SVG
};

// GetImageInfo modes.
constexpr int32_t kProbeContent = 0;
constexpr int32_t kProbeExtension = 10;

struct ImageInfo {
    int32_t ImageType = kImageUnknown;
    int32_t ImageWidth = 0;
    int32_t ImageHeight = 0;
    int32_t ImageBits = 0;

    bool operator==(const ImageInfo &) const = default;
};

// True when the path names a file of at least 2 bytes.
bool FileOk(const std::string &path);

// Identifies the file by its first bytes (kProbeContent) or its lower-cased extension
// (kProbeExtension), then reads that type's header; all zeros when unknown or unreadable.
ImageInfo GetImageInfo(const std::string &path, int32_t mode);

ImageInfo ReadBmpInfo(const std::string &path);
ImageInfo ReadGifInfo(const std::string &path);
ImageInfo ReadJpegInfo(const std::string &path);
ImageInfo ReadPngInfo(const std::string &path);
// A drawing file: its canvas size from the first settings line.
ImageInfo ReadQlkInfo(const std::string &path);
ImageInfo ReadFlvInfo(const std::string &path);
// A clip file, read whole: the extent of its paths in whole pixels (0 x 0 when it holds none).
ImageInfo ReadClipInfo(const std::string &path);
// A placeable metafile: the size its header gives, in screen pixels.
ImageInfo ReadWmfInfo(const std::string &path);
// The same for the first bytes of a metafile already in memory.
ImageInfo MetafileInfo(std::string_view head);
// An SVG or compressed SVG file that the SVG reader loads: the drawing's size in pixels.
ImageInfo ReadSvgInfo(const std::string &path);

// Loads a BMP, GIF, JPEG or PNG file as an opaque picture; a PNG with transparency also fills
// alpha (its colours then premultiplied), other pictures leave alpha as it was. A placeable
// metafile is drawn on white at its picture size. Null on failure and for every other kind of file.
QImage LoadPictureFile(const std::string &path, std::vector<uint8_t> &alpha);

}  // namespace importer
