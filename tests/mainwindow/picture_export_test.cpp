#include "mainwindow/picture_export.h"

#include "core/document.h"
#include "movie/canvas_movie.h"
#include "platform/player/movie_player.h"

#include "tests/mainwindow/main_window_fixture.h"
#include "tests/support/test_support.h"

#include <QImage>

#include <cstdlib>

using testsupport::MainWindowFixture;
using testsupport::ReadAll;

namespace {

// The canvas movie's file, written for the reader.
std::string CanvasMovieFile()
{
    movie::EnsureCanvasMovieFile(core::Doc().CanvasTempFile);
    return ReadAll(core::Doc().CanvasTempFile);
}

uint32_t Le32(const std::string &bytes, size_t at)
{
    uint32_t value = 0;
    for (size_t i = 0; i < 4; ++i) {
        value |= static_cast<uint32_t>(static_cast<uint8_t>(bytes[at + i])) << (8 * i);
    }
    return value;
}

uint16_t Le16(const std::string &bytes, size_t at)
{
    return static_cast<uint16_t>(static_cast<uint8_t>(bytes[at]) | (static_cast<uint8_t>(bytes[at + 1]) << 8));
}

// The frame rectangle of a movie file's header, twips: left, right, top, bottom.
std::array<int32_t, 4> MovieFrame(const std::string &movie)
{
    std::array<int32_t, 4> values{};
    size_t bit = 8 * 8;
    auto read = [&](int count) {
        int32_t value = 0;
        for (int i = 0; i < count; ++i, ++bit) {
            value = (value << 1) | ((static_cast<uint8_t>(movie[bit / 8]) >> (7 - bit % 8)) & 1);
        }
        return value;
    };
    int bits = read(5);
    for (int32_t &value : values) {
        value = read(bits);
        if (bits > 0 && (value >> (bits - 1)) & 1) {
            value -= 1 << bits;
        }
    }
    return values;
}

class PictureExport : public MainWindowFixture {
protected:
    PictureExport()
    {
        core::CanvasSettings &settings = core::Doc().CurrentSettings;
        settings.Width = 320;
        settings.Height = 240;
        settings.BackColorR = 0;
        settings.BackColorG = 200;
        settings.BackColorB = 0;
        movie::ClearBackColorCache();
    }

    // Exports to the program folder under the name; returns the path.
    std::string Export(const std::string &name)
    {
        const std::string path = platform::ProgramFile(name);
        dialogAnswer = QString::fromStdString(path);
        window->mnuSaveFilePicture_Click();
        return path;
    }
};

}  // namespace

TEST_F(PictureExport, PngOfAnEmptyDrawingIsFullyTransparent)
{
    const std::string path = Export("empty.png");
    QImage picture(QString::fromStdString(path));
    ASSERT_EQ(picture.size(), QSize(320, 240));
    picture = picture.convertToFormat(QImage::Format_ARGB32);
    for (QPoint point : {QPoint(0, 0), QPoint(160, 120), QPoint(319, 239)}) {
        EXPECT_EQ(picture.pixel(point), 0u) << point.x() << "," << point.y();
    }
    EXPECT_EQ(window->StatusLabel1->text(), QStringLiteral("完了"));
}

TEST_F(PictureExport, PngKeepsPathColoursWithTheirOwnOpacity)
{
    AddRectangle(400, 400, 2000, 2000, 0xFF0000FF);       // opaque red, 20..100 px
    AddRectangle(3000, 400, 5000, 2000, 0x80FF0000);      // blue at half opacity, 150..250 px
    const core::CanvasSettings before = core::Doc().CurrentSettings;
    const std::string path = Export("paths.png");
    QImage picture = QImage(QString::fromStdString(path)).convertToFormat(QImage::Format_ARGB32);
    ASSERT_EQ(picture.size(), QSize(320, 240));
    EXPECT_EQ(picture.pixel(60, 60), 0xFFFF0000u);
    QRgb half = picture.pixel(200, 60);
    EXPECT_NEAR(qAlpha(half), 128, 2);
    EXPECT_NEAR(qBlue(half), 255, 2);  // its own colour, not mixed with the canvas
    EXPECT_LE(qRed(half), 2);
    EXPECT_LE(qGreen(half), 2);
    EXPECT_EQ(qAlpha(picture.pixel(300, 200)), 0);
    // The canvas settings are back, and so is the canvas colour of the canvas movie.
    EXPECT_EQ(core::Doc().CurrentSettings, before);
    QImage shown(320, 240, QImage::Format_RGB32);
    window->ShockwaveFlash1.Render(shown, shown.rect());
    EXPECT_EQ(shown.pixel(300, 200), qRgb(0, 200, 0));
}

TEST_F(PictureExport, BitmapHasA24BitHeaderAndBottomUpPixels)
{
    AddRectangle(0, 0, 2000, 400, 0xFF0000FF);  // a red band along the top, 100 x 20 px
    const std::string bytes = ReadAll(Export("canvas.bmp"));
    const uint32_t stride = 320 * 3;
    ASSERT_EQ(bytes.size(), 54u + stride * 240);
    EXPECT_EQ(bytes.substr(0, 2), "BM");
    EXPECT_EQ(Le32(bytes, 2), bytes.size());
    EXPECT_EQ(Le32(bytes, 10), 54u);
    EXPECT_EQ(Le32(bytes, 14), 40u);
    EXPECT_EQ(Le32(bytes, 18), 320u);
    EXPECT_EQ(Le32(bytes, 22), 240u);
    EXPECT_EQ(Le16(bytes, 26), 1);
    EXPECT_EQ(Le16(bytes, 28), 24);
    EXPECT_EQ(Le32(bytes, 30), 0u);
    auto pixel = [&](int x, int yFromTop) { return bytes.substr(54 + (239 - yFromTop) * stride + 3 * x, 3); };
    EXPECT_EQ(pixel(10, 5), std::string("\x00\x00\xFF", 3));   // blue, green, red
    EXPECT_EQ(pixel(10, 200), std::string("\x00\xC8\x00", 3));  // the canvas colour
}

TEST_F(PictureExport, MovieIsTheCanvasMovieLimitedToTheCanvas)
{
    AddRectangle(-2000, -2000, -1000, -1000, 0xFF0000FF);  // outside the canvas
    AddRectangle(400, 400, 2000, 2000, 0xFF00FF00);
    movie::MakeCanvasMovie();
    EXPECT_GT(MovieFrame(CanvasMovieFile())[1], 320 * 20);  // the canvas shows the outside
    // The canvas movie as it is made without the outside.
    core::Doc().CurrentSettings.DrawOutsideFlag = 0;
    movie::MakeCanvasMovie();
    const std::string limited = CanvasMovieFile();
    core::Doc().CurrentSettings.DrawOutsideFlag = 1;
    movie::MakeCanvasMovie();

    const std::string exported = ReadAll(Export("canvas.swf"));
    ASSERT_GT(exported.size(), 20u);
    EXPECT_EQ(exported, limited);
    EXPECT_EQ(exported.substr(0, 4), std::string("FWS\x06", 4));
    EXPECT_EQ(MovieFrame(exported), (std::array<int32_t, 4>{0, 320 * 20, 0, 240 * 20}));
    EXPECT_EQ(core::Doc().CurrentSettings.DrawOutsideFlag, 1);
    // The canvas goes on showing the outside.
    EXPECT_GT(MovieFrame(CanvasMovieFile())[1], 320 * 20);
}

// A canvas larger than the movie's 1638-pixel frame: every picture holds the whole canvas, its far
// corner included.
class LargeCanvasExport : public PictureExport, public testing::WithParamInterface<const char *> {
protected:
    LargeCanvasExport()
    {
        core::CanvasSettings &settings = core::Doc().CurrentSettings;
        settings.Width = 2000;
        settings.Height = 1800;
        movie::ClearBackColorCache();
        AddRectangle(38000, 34000, 39600, 35600, 0xFF0000FF);  // red, 1900..1980 x 1700..1780 px
    }
};

TEST_P(LargeCanvasExport, PictureHasTheWholeCanvas)
{
    const std::string name = GetParam();
    const QImage picture = QImage(QString::fromStdString(Export(name))).convertToFormat(QImage::Format_ARGB32);
    ASSERT_EQ(picture.size(), QSize(2000, 1800));
    const bool png = name.ends_with(".png");
    const bool jpeg = name.ends_with(".jpg");
    const int tolerance = jpeg ? 12 : 0;
    auto near = [&](QPoint at, QRgb expected) {
        const QRgb p = picture.pixel(at);
        return std::abs(qRed(p) - qRed(expected)) <= tolerance && std::abs(qGreen(p) - qGreen(expected)) <= tolerance &&
               std::abs(qBlue(p) - qBlue(expected)) <= tolerance && qAlpha(p) == qAlpha(expected);
    };
    const QRgb canvas = png ? 0u : qRgb(0, 200, 0);  // the canvas colour, transparent in a PNG
    for (QPoint at : {QPoint(1905, 1705), QPoint(1940, 1740), QPoint(1974, 1774)}) {
        EXPECT_TRUE(near(at, qRgb(255, 0, 0))) << at.x() << "," << at.y();
    }
    for (QPoint at : {QPoint(1890, 1740), QPoint(1940, 1790), QPoint(1999, 1799), QPoint(1700, 100), QPoint(0, 0)}) {
        EXPECT_TRUE(near(at, canvas)) << at.x() << "," << at.y();
    }
}

INSTANTIATE_TEST_SUITE_P(PictureExport, LargeCanvasExport, testing::Values("large.bmp", "large.jpg", "large.png"),
                         [](const testing::TestParamInfo<const char *> &info) {
                             return std::string(info.param).substr(6);
                         });

// A movie keeps its header's 16-bit frame: 1638 x 1638 pixels, while its shapes reach the whole
// canvas, which a player shows given the canvas' area.
TEST_F(LargeCanvasExport, MovieFrameStaysWithinSixteenBitsAndTheShapesReachTheCanvasCorner)
{
    const std::string exported = ReadAll(Export("large.swf"));
    ASSERT_GT(exported.size(), 20u);
    EXPECT_EQ(MovieFrame(exported), (std::array<int32_t, 4>{0, 1638 * 20, 0, 1638 * 20}));
    platform::MoviePlayer player;
    player.SetQuality2("low");
    const std::string copy = platform::ProgramFile("played.swf");
    testsupport::WriteAll(copy, exported);
    player.SetMovie(copy);
    QImage corner(200, 200, QImage::Format_RGB32);
    player.Render(corner, QRect(-1800, -1600, 2000, 1800), QRectF(0, 0, 2000 * 20, 1800 * 20));
    EXPECT_EQ(corner.pixel(140, 140), qRgb(255, 0, 0));   // canvas (1940, 1740)
    EXPECT_EQ(corner.pixel(199, 199), qRgb(0, 200, 0));   // canvas (1999, 1799)
    EXPECT_EQ(corner.pixel(90, 140), qRgb(0, 200, 0));    // canvas (1890, 1740)
}

TEST_F(PictureExport, AnotherEndingWritesNothingAndAFailedWriteSaysSo)
{
    const std::string gif = Export("canvas.gif");
    EXPECT_FALSE(std::filesystem::exists(gif));
    EXPECT_EQ(window->StatusLabel1->text(), QStringLiteral("完了"));
    EXPECT_TRUE(messages.empty());

    for (const char *name : {"missing/canvas.bmp", "missing/canvas.png", "missing/canvas.jpg", "missing/c.swf"}) {
        messages.clear();
        Export(name);
        ASSERT_EQ(messages.size(), 1u) << name;
        EXPECT_EQ(messages[0].title, QStringLiteral("ファイル保存エラー"));
        EXPECT_NE(window->StatusLabel1->text(), QStringLiteral("完了"));
    }
    EXPECT_FALSE(std::filesystem::exists(platform::ProgramFile("missing")));
}

TEST(AlphaFromRenders, ChannelsAreDividedByTheirOwnCoverageWithoutDividingByZero)
{
    QImage white(3, 1, QImage::Format_RGB32);
    QImage black(3, 1, QImage::Format_RGB32);
    white.setPixel(0, 0, qRgb(255, 255, 255));  // the canvas shows through
    black.setPixel(0, 0, qRgb(0, 0, 0));
    white.setPixel(1, 0, qRgb(200, 255, 255));  // green has no coverage of its own
    black.setPixel(1, 0, qRgb(100, 0, 255));
    white.setPixel(2, 0, qRgb(100, 10, 10));    // the black render brighter: opaque at most
    black.setPixel(2, 0, qRgb(200, 10, 10));
    std::vector<uint8_t> pixels = mainwindow::AlphaPixelsFromRenders(white, black);
    ASSERT_EQ(pixels.size(), 12u);
    EXPECT_EQ(std::vector<uint8_t>(pixels.begin(), pixels.begin() + 4), (std::vector<uint8_t>{0, 0, 0, 0}));
    EXPECT_EQ(std::vector<uint8_t>(pixels.begin() + 4, pixels.begin() + 8),
              (std::vector<uint8_t>{255, 0, 100 * 255 / 155, 155}));
    EXPECT_EQ(pixels[11], 255);
    EXPECT_EQ(pixels[10], 200 * 255 / 355);
    EXPECT_EQ(pixels[8], 10);
}
