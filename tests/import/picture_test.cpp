#include "core/drawing_file.h"
#include "import/bitmap.h"
#include "import/jpeg_file.h"
#include "import/picture_file.h"
#include "import/png_file.h"
#include "import/svg_reader.h"
#include "platform/base/jpeg_guard.h"
#include "tests/support/hostile_files.h"
#include "tests/support/test_support.h"

#include <gtest/gtest.h>

#include <QImage>

#include <cstdio>
#include <filesystem>
#include <zlib.h>
#include <fcntl.h>
#include <sys/stat.h>

using importer::ImageInfo;
using testsupport::DataPath;
using testsupport::ReadAll;
using testsupport::TempPath;
using testsupport::WriteAll;

namespace {

bool HasTool(const char *name)
{
    return std::system((std::string("command -v ") + name + " >/dev/null 2>&1").c_str()) == 0;
}

std::string RunTool(const std::string &command)
{
    std::string output;
    FILE *pipe = popen((command + " 2>&1").c_str(), "r");
    if (!pipe) {
        return output;
    }
    char chunk[4096];
    size_t n;
    while ((n = fread(chunk, 1, sizeof chunk, pipe)) > 0) {
        output.append(chunk, n);
    }
    int status = pclose(pipe);
    return status == 0 ? output : "FAILED: " + output;
}

std::string Jpeg(uint8_t frameMarker, bool garbageBeforeMarker = false)
{
    std::string data = "\xFF\xD8";
    if (garbageBeforeMarker) {
        data += '\x00';
    }
    data += std::string("\xFF\xE0\x00\x04\x00\x00", 6);  // an APP0 segment to skip
    data += std::string("\xFF", 1) + static_cast<char>(frameMarker);
    data += std::string("\x00\x11\x08\x00\x32\x00\x64\x03", 8);  // 50 high, 100 wide
    data += std::string(12, '\0');
    return data;
}


// A copy of a test data file under a new name in the program folder.
std::string CopyOfData(const std::string &dataName, const std::string &name)
{
    std::string path = TempPath(name);
    WriteAll(path, ReadAll(DataPath(dataName)));
    return path;
}

using NamedBytes = std::pair<const char *, std::string>;

// Writes each file and expects both probes to find nothing in it.
void ExpectUnknownFiles(std::initializer_list<NamedBytes> files)
{
    for (const auto &[name, bytes] : files) {
        std::string path = TempPath(name);
        WriteAll(path, bytes);
        EXPECT_EQ(importer::GetImageInfo(path, importer::kProbeContent), ImageInfo()) << name;
        EXPECT_EQ(importer::GetImageInfo(path, importer::kProbeExtension), ImageInfo()) << name;
    }
}
}  // namespace

TEST(Bitmap, StridesSizesAndBottomUpRows)
{
    importer::DibSection bitmap;
    const int32_t strides[] = {4, 8, 12, 12};
    for (int32_t width = 1; width <= 4; ++width) {
        ASSERT_TRUE(bitmap.Create(width, 2));
        EXPECT_EQ(bitmap.BytesPerScanLine(), strides[width - 1]);
    }
    EXPECT_FALSE(bitmap.Create(0, 5));
    EXPECT_TRUE(bitmap.IsEmpty());
    EXPECT_FALSE(bitmap.Create(100000, 100000));

    QImage picture(3, 2, QImage::Format_RGB32);
    picture.fill(qRgb(10, 20, 30));
    picture.setPixel(0, 0, qRgb(255, 0, 0));  // top-left red
    bitmap.CreateFromPicture(picture);
    ASSERT_EQ(bitmap.width(), 3);
    ASSERT_EQ(bitmap.height(), 2);
    const uint8_t *bits = bitmap.DIBSectionBitsPtr();
    int32_t stride = bitmap.BytesPerScanLine();
    EXPECT_EQ(bits[stride + 0], 0);    // the top row is stored last: blue,
    EXPECT_EQ(bits[stride + 2], 255);  // red
    EXPECT_EQ(bits[0], 30);            // bottom-left blue
    EXPECT_EQ(bits[9], 0);             // padding stays zero

    // A copy from an offset, with the bitmap's own size.
    importer::DibSection small;
    ASSERT_TRUE(small.Create(2, 1));
    small.LoadPictureBlt(picture, 1, 1, -1, -1);
    EXPECT_EQ(small.RowFromTop(0)[0], 30);
    EXPECT_EQ(small.RowFromTop(0)[5], 10);
}

TEST(PngFile, RoundTripKeepsAlphaAndPremultipliesTheColours)
{
    std::string path = TempPath("alpha.png");
    // 2 x 2 pixels, blue, green, red, alpha; rows from the top.
    std::vector<uint8_t> pixels = {255, 100, 0, 128, 1, 2, 3, 255,  //
                                   90, 90, 90, 0,    0, 0, 255, 64};
    ASSERT_TRUE(importer::SavePng(pixels, 2, -2, path));
    if (HasTool("pngcheck")) {
        std::string check = RunTool("pngcheck -v '" + path + "'");
        EXPECT_EQ(check.find("FAILED"), std::string::npos) << check;
        EXPECT_NE(check.find("RGB+alpha"), std::string::npos) << check;
    }
    EXPECT_EQ(importer::ReadPngInfo(path), (ImageInfo{importer::kImagePng, 2, 2, 0}));

    std::vector<uint8_t> alpha;
    QImage picture = importer::LoadPngPicture(path, alpha);
    ASSERT_FALSE(picture.isNull());
    EXPECT_EQ(alpha, (std::vector<uint8_t>{128, 255, 0, 64}));
    EXPECT_EQ(picture.pixel(0, 0), qRgb(0, 50, 128));  // 255, 100, 0 at alpha 128
    EXPECT_EQ(picture.pixel(1, 0), qRgb(3, 2, 1));
    EXPECT_EQ(picture.pixel(0, 1), qRgb(0, 0, 0));     // fully transparent: black
    EXPECT_EQ(picture.pixel(1, 1), qRgb(64, 0, 0));    // red 255 at alpha 64

    // An opaque PNG leaves the alpha bytes as they were.
    std::string opaque = TempPath("opaque.png");
    QImage rgb(4, 3, QImage::Format_RGB32);
    rgb.fill(qRgb(1, 2, 3));
    ASSERT_TRUE(rgb.save(QString::fromStdString(opaque), "PNG"));
    std::vector<uint8_t> untouched = {7};
    EXPECT_FALSE(importer::LoadPngPicture(opaque, untouched).isNull());
    EXPECT_EQ(untouched, std::vector<uint8_t>{7});
    EXPECT_EQ(importer::ReadPngInfo(opaque), (ImageInfo{importer::kImagePng, 4, 3, 24}));

    EXPECT_FALSE(importer::SavePng(pixels, 2, 2, ""));
    EXPECT_FALSE(importer::SavePng(pixels, 3, 2, TempPath("short.png")));  // too few pixels
    WriteAll(TempPath("broken.png"), std::string("\x89PNG\r\n\x1a\n", 8) + std::string(40, 'x'));
    EXPECT_TRUE(importer::LoadPngPicture(TempPath("broken.png"), alpha).isNull());
}

TEST(PngFile, OpaqueStreamHasNoAlphaChannelAndKeepsTheColours)
{
    // 3 x 2 pixels of blue, green, red; rows from the top.
    const std::vector<uint8_t> pixels = {255, 0, 0, 0, 255, 0, 0, 0, 255,  //
                                         1, 2, 3, 40, 50, 60, 200, 100, 7};
    const std::string bytes = importer::EncodePng(pixels, 3, 2, true);
    ASSERT_GT(bytes.size(), 33u);
    EXPECT_EQ(bytes[25], 2);  // IHDR colour type: truecolour without alpha
    const std::string path = TempPath("opaque_stream.png");
    WriteAll(path, bytes);
    EXPECT_EQ(importer::ReadPngInfo(path), (ImageInfo{importer::kImagePng, 3, 2, 24}));
    std::vector<uint8_t> alpha = {9};
    const QImage picture = importer::LoadPngPicture(path, alpha);
    ASSERT_FALSE(picture.isNull());
    EXPECT_EQ(alpha, std::vector<uint8_t>{9});
    EXPECT_EQ(picture.pixel(0, 0), qRgb(0, 0, 255));
    EXPECT_EQ(picture.pixel(2, 0), qRgb(255, 0, 0));
    EXPECT_EQ(picture.pixel(1, 1), qRgb(60, 50, 40));
    EXPECT_EQ(picture.pixel(2, 1), qRgb(7, 100, 200));

    // The same bytes read as four per pixel are too few for 3 x 2; an empty picture gives nothing.
    EXPECT_TRUE(importer::EncodePng(pixels, 3, 2).empty());
    EXPECT_TRUE(importer::EncodePng({}, 0, 0, true).empty());
    EXPECT_EQ(importer::EncodePng(pixels, 3, 2, true), importer::EncodePng(pixels, 3, -2, true));
}

TEST(JpegFile, WritesBaselineJpegThatDecodesAtItsSize)
{
    importer::DibSection bitmap;
    ASSERT_TRUE(bitmap.Create(3, 2));
    std::string path = TempPath("out.jpg");
    ASSERT_TRUE(importer::SaveJpegFile(bitmap, path, 100));
    EXPECT_EQ(importer::ReadJpegInfo(path), (ImageInfo{importer::kImageJpeg, 3, 2, 24}));
    if (HasTool("djpeg")) {
        std::string ppm = RunTool("djpeg -pnm '" + path + "'");
        EXPECT_EQ(ppm.substr(0, 11), "P6\n3 2\n255\n");
    }
    std::vector<uint8_t> alpha;
    QImage decoded = importer::LoadPictureFile(path, alpha);
    EXPECT_EQ(decoded.size(), QSize(3, 2));

    // Replacing a file keeps its permission bits and times.
    chmod(path.c_str(), 0600);
    timespec old[2] = {{1000000000, 0}, {1000000000, 0}};
    utimensat(AT_FDCWD, path.c_str(), old, 0);
    ASSERT_TRUE(bitmap.Create(40, 30));
    ASSERT_TRUE(importer::SaveJpegFile(bitmap, path, 90));
    struct stat after;
    ASSERT_EQ(stat(path.c_str(), &after), 0);
    EXPECT_EQ(after.st_mode & 07777, 0600u);
    EXPECT_EQ(after.st_mtim.tv_sec, 1000000000);
    EXPECT_EQ(importer::ReadJpegInfo(path).ImageWidth, 40);

    // A failure leaves the old file alone.
    importer::DibSection empty;
    EXPECT_FALSE(importer::SaveJpegFile(empty, path, 90));
    EXPECT_FALSE(importer::SaveJpegFile(bitmap, TempPath("missing-folder/x.jpg"), 90));
    EXPECT_EQ(importer::ReadJpegInfo(path).ImageWidth, 40);
    EXPECT_TRUE(importer::DecodeJpeg("\xFF\xD8 not really").isNull());
}

TEST(PictureProbe, IdentifiesByContentOrExtension)
{
    std::string fakePng = TempPath("a.png");
    WriteAll(fakePng, Jpeg(0xC0));
    EXPECT_EQ(importer::GetImageInfo(fakePng, importer::kProbeContent), (ImageInfo{3, 100, 50, 24}));
    EXPECT_EQ(importer::GetImageInfo(fakePng, importer::kProbeExtension), ImageInfo());

    std::string progressive = TempPath("p.jpg");
    WriteAll(progressive, Jpeg(0xC2));
    EXPECT_EQ(importer::GetImageInfo(progressive, 0).ImageType, importer::kImageJpeg);
    WriteAll(progressive, Jpeg(0xC5));
    EXPECT_EQ(importer::GetImageInfo(progressive, 0), ImageInfo());
    WriteAll(progressive, Jpeg(0xC0, true));
    EXPECT_EQ(importer::GetImageInfo(progressive, 0), ImageInfo());

    std::string bmp = TempPath("b.bmp");
    std::string header(54, '\0');
    header[0] = 'B';
    header[1] = 'M';
    header[18] = 10;
    header[22] = static_cast<char>(0xF6);  // height -10: a top-down bitmap
    header[23] = header[24] = header[25] = static_cast<char>(0xFF);
    header[28] = 24;
    WriteAll(bmp, header);
    EXPECT_EQ(importer::GetImageInfo(bmp, 0), (ImageInfo{1, 10, 10, 24}));
    EXPECT_EQ(importer::GetImageInfo(bmp, 10), (ImageInfo{1, 10, 10, 24}));

    std::string gif = TempPath("g.gif");
    WriteAll(gif, std::string("GIF89a\x20\x00\x10\x00\x05\x00\x00", 13));
    EXPECT_EQ(importer::GetImageInfo(gif, 0), (ImageInfo{2, 32, 16, 6}));

    std::string qlk = TempPath("d.qlk");
    WriteAll(qlk, "QLK030\r\n640,480,255,255,255\r\n1,60,30\r\n0\r\n");
    EXPECT_EQ(importer::GetImageInfo(qlk, 0), (ImageInfo{5, 640, 480, 0}));

    // FLV: screen video 300 x 200, and Sorenson H.263 with a custom 8-bit size.
    std::string flv = TempPath("v.flv");
    std::string head = std::string("FLV\x01\x01\x00\x00\x00\x09", 9) + std::string(4, '\0');
    WriteAll(flv, head + std::string("\x09\x00\x00\x05\x00\x00\x00\x00\x00\x00\x00", 11) +
                      std::string("\x03\x01\x2C\x00\xC8", 5));
    EXPECT_EQ(importer::GetImageInfo(flv, 0), (ImageInfo{6, 300, 200, 3}));
    // Picture size code 0 (bits 0, 0 ending byte 4 and starting byte 5), width 0x81, height 0x42.
    WriteAll(flv, head + std::string("\x09\x00\x00\x08\x00\x00\x00\x00\x00\x00\x00", 11) +
                      std::string("\x02\x00\x00\x00\x00\x40\xA1\x00", 8));
    EXPECT_EQ(importer::GetImageInfo(flv, 0), (ImageInfo{6, 0x81, 0x42, 2}));
    WriteAll(flv, head + std::string("\x09\x00\x10\x00\x00", 5));  // truncated tag
    EXPECT_EQ(importer::GetImageInfo(flv, 0), ImageInfo());

}

TEST(PictureProbe, TruncatedAndGarbageFilesAreUnknown)
{
    EXPECT_EQ(importer::GetImageInfo(TempPath("missing.png"), 0), ImageInfo());
    EXPECT_EQ(importer::GetImageInfo("", 0), ImageInfo());
    std::string one = TempPath("one.bmp");
    WriteAll(one, "B");
    EXPECT_EQ(importer::GetImageInfo(one, 0), ImageInfo());
    EXPECT_FALSE(importer::FileOk(one));
    EXPECT_FALSE(importer::FileOk(testsupport::Home().string()));

    const std::pair<const char *, std::string> truncated[] = {
        {"t.bmp", "BM" + std::string(20, '\x01')},
        {"t.gif", "GIF89a\x01"},
        {"t.png", std::string("\x89PNG\r\n\x1a\n\0\0\0\x0dIHDR\0\0", 18)},
        {"t2.jpg", std::string("\xFF\xD8\xFF\xC0\x00\x11\x08\x00", 8)},
        {"t3.jpg", std::string("\xFF\xD8\xFF\xE0\xFF\xFF", 6) + std::string(10, '\xFF')},
        {"garbage.png", std::string(200, '\x5A')},
        {"huge.png", std::string("\x89PNG\r\n\x1a\n\0\0\0\x0dIHDR\xFF\xFF\xFF\xFF\0\0\0\x01\x08\x02\0\0\0", 29)}};
    for (const auto &[name, bytes] : truncated) {
        std::string path = TempPath(name);
        WriteAll(path, bytes);
        EXPECT_EQ(importer::GetImageInfo(path, 0), ImageInfo()) << name;
        EXPECT_EQ(importer::GetImageInfo(path, 10), ImageInfo()) << name;
        std::vector<uint8_t> alpha;
        EXPECT_TRUE(importer::LoadPictureFile(path, alpha).isNull()) << name;
    }
}

TEST(PictureProbe, DrawingFilesGiveTheirCanvasSize)
{
    // The fixtures of every version the drawing reader takes, under the names they are probed by.
    EXPECT_EQ(importer::GetImageInfo(CopyOfData("drawing_030.qlk", "d30.qlk"), 0), (ImageInfo{5, 640, 480, 0}));
    EXPECT_EQ(importer::GetImageInfo(CopyOfData("drawing_020.qlk", "d20.qlk"), 10), (ImageInfo{5, 320, 320, 0}));
    EXPECT_EQ(importer::GetImageInfo(CopyOfData("drawing_010.qlk", "d10.qlk"), 0), (ImageInfo{5, 100, 200, 0}));

    ExpectUnknownFiles({
        {"word.qlk", "QLK030\r\nwide,480,255\r\n"},
        {"negative.qlk", "QLK030\r\n-640,480,255\r\n"},
        {"huge.qlk", "QLK030\r\n99999999999,480\r\n"}});
}

TEST(PictureProbe, ClipFilesGiveTheExtentOfTheirPaths)
{
    // Two paths, the first 20 twips wide: -320 .. 100 by -20 .. 420 twips.
    EXPECT_EQ(importer::GetImageInfo(CopyOfData("clip_030.qkclip", "c30.qkclip"), 0), (ImageInfo{7, 21, 22, 0}));
    EXPECT_EQ(importer::GetImageInfo(CopyOfData("clip_020.qkclip", "c20.qkclip"), 10), (ImageInfo{7, 3, 3, 0}));
    EXPECT_EQ(importer::GetImageInfo(CopyOfData("clip_010.qkclip", "c10.qkclip"), 0), (ImageInfo{7, 2, 2, 0}));

    // A clip as the program writes it; 2019 x 1010 twips are 100 x 50 whole pixels.
    core::PathArray paths(2);
    paths[1].Anchors = {core::AnchorPoint{0, 0, 0}, core::AnchorPoint{2019, 1010, 0}};
    std::string written = TempPath("written.qkclip");
    std::string message;
    ASSERT_TRUE(core::WriteClipFile(written, paths, 1, 0, 0, message)) << message;
    EXPECT_EQ(importer::GetImageInfo(written, 0), (ImageInfo{7, 100, 50, 0}));

    std::string empty = TempPath("empty.qkclip");
    WriteAll(empty, "QKCLIP030\r\n0,15,25\r\n");
    EXPECT_EQ(importer::GetImageInfo(empty, 0), (ImageInfo{7, 0, 0, 0}));

    std::string whole = ReadAll(DataPath("clip_030.qkclip"));
    ExpectUnknownFiles({
        {"cut.qkclip", whole.substr(0, whole.size() / 2)},
        {"version.qkclip", "QKCLIP040\r\n0,0,0\r\n"},
        {"count.qkclip", "QKCLIP030\r\n5,0,0\r\n"},
        {"garbage.qkclip", "QKCLIP030\r\n" + std::string(300, '\x8F')}});
}

TEST(PictureProbe, SvgFilesGiveTheSizeTheReaderFinds)
{
    for (const char *name : {"raster_shapes.svg", "shapes_gzip.svgz", "shapes_zlib.svgz"}) {
        std::string path = CopyOfData(std::string("svg/") + name, name);
        EXPECT_EQ(importer::GetImageInfo(path, 0), (ImageInfo{9, 200, 150, 24})) << name;
        EXPECT_EQ(importer::GetImageInfo(path, 10), (ImageInfo{9, 200, 150, 24})) << name;
        std::vector<uint8_t> alpha = {7};
        EXPECT_TRUE(importer::LoadPictureFile(path, alpha).isNull()) << name;
        EXPECT_EQ(alpha, std::vector<uint8_t>{7}) << name;
    }
    // An SVG document under another name is not identified by its content.
    EXPECT_EQ(importer::GetImageInfo(CopyOfData("svg/raster_shapes.svg", "shapes.txt"), 0), ImageInfo());

    std::string compressed = ReadAll(DataPath("svg/shapes_gzip.svgz"));
    ExpectUnknownFiles({
        {"nothingDrawn.svg", R"(<svg xmlns="http://www.w3.org/2000/svg" width="30" height="20"></svg>)"},
        {"cut.svgz", compressed.substr(0, compressed.size() / 2)},
        {"tagSoup.svg", "<svg <svg <path d=\"M 0 0 L"}});
}

// No writer ever opens these pipes: a reader that opened one for reading would wait for ever.
TEST(HostileFiles, EveryReaderRefusesAPipeAtOnce)
{
    std::string folder = TempPath("pipes");
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
    for (const char *name : {"p.png", "p.jpg", "p.bmp", "p.gif", "p.wmf", "p.svg", "p.svgz", "p.qlk", "p.qkclip"}) {
        std::string pipe = folder + "/" + name;
        ASSERT_EQ(mkfifo(pipe.c_str(), 0644), 0) << name;
        EXPECT_EQ(importer::GetImageInfo(pipe, importer::kProbeContent), ImageInfo()) << name;
        EXPECT_EQ(importer::GetImageInfo(pipe, importer::kProbeExtension), ImageInfo()) << name;
        std::vector<uint8_t> alpha;
        EXPECT_TRUE(importer::LoadPictureFile(pipe, alpha).isNull()) << name;
        importer::SvgReader reader;
        EXPECT_FALSE(reader.LoadSvg(pipe)) << name;
        core::DrawingFileContents drawing;
        core::ClipFileContents clip;
        std::string message;
        EXPECT_FALSE(core::ReadDrawingFile(pipe, drawing, message)) << name;
        EXPECT_FALSE(core::ReadClipFile(pipe, clip, message)) << name;
    }
}

// A PNG of 54 bytes whose text chunk claims 0x7FFFFFF0 bytes: libpng allocated (and cleared) the
// whole claim before it found the data missing.
TEST(HostileFiles, PngChunkLongerThanTheFileIsRefusedBeforeLibpngAllocatesIt)
{
    std::vector<uint8_t> pixels(4 * 4 * 4, 0x80);
    std::string good = TempPath("small.png");
    ASSERT_TRUE(importer::SavePng(pixels, 4, 4, good));
    std::string bytes = ReadAll(good);
    std::string bomb = bytes.substr(0, 33) + std::string("\x7F\xFF\xFF\xF0tEXtComment\0hello", 21);
    std::string path = TempPath("bomb.png");
    WriteAll(path, bomb);
    std::vector<uint8_t> alpha;
    int64_t growth = testsupport::PeakMemoryGrowth([&] {
        std::vector<uint8_t> ignored;
        if (!importer::LoadPictureFile(path, ignored).isNull()) {
            _exit(2);
        }
    });
    EXPECT_GE(growth, 0) << "the bomb decoded or the reader crashed";
    EXPECT_LT(growth, 64 << 20);

    // The same chunk with its real length is read as before; a file cut inside its data is refused.
    std::string text = std::string("Comment\0hello", 13);
    std::string chunk = std::string("\x00\x00\x00\x0DtEXt", 8) + text;
    uint32_t crc = static_cast<uint32_t>(crc32(0, reinterpret_cast<const Bytef *>(chunk.data() + 4), 17));
    chunk += {static_cast<char>(crc >> 24), static_cast<char>(crc >> 16), static_cast<char>(crc >> 8),
              static_cast<char>(crc)};
    WriteAll(path, bytes.substr(0, 33) + chunk + bytes.substr(33));
    EXPECT_EQ(importer::LoadPictureFile(path, alpha).size(), QSize(4, 4));
    WriteAll(path, bytes.substr(0, bytes.size() - 20));
    EXPECT_TRUE(importer::LoadPictureFile(path, alpha).isNull());
}

// Every scan of a progressive JPEG is a pass over the whole picture: thousands of empty scans in a
// small file kept the decoder busy for seconds to minutes.
TEST(HostileFiles, JpegWithMoreScansThanAnyEncoderWritesIsRefused)
{
    EXPECT_EQ(importer::DecodeJpeg(testsupport::ProgressiveJpegWithScans(0)).size(), QSize(64, 64));
    EXPECT_EQ(importer::DecodeJpeg(testsupport::ProgressiveJpegWithScans(300)).size(), QSize(64, 64));
    std::string bomb = testsupport::ProgressiveJpegWithScans(platform::kMaxJpegScans);
    EXPECT_TRUE(importer::DecodeJpeg(bomb).isNull());
    std::string path = TempPath("scans.jpg");
    WriteAll(path, bomb);
    std::vector<uint8_t> alpha;
    EXPECT_TRUE(importer::LoadPictureFile(path, alpha).isNull());
}
