// Movies our writer produces, drawn by our player: the pixels over white must be those any
// Flash-compatible player shows (alpha bitmaps, alpha gradients, hard gradient stops).
#include "import/png_file.h"
#include "movie/bitmap_tags.h"
#include "movie/movie_writer.h"
#include "movie/shape_encoder.h"
#include "platform/player/movie_player.h"
#include "tests/support/test_support.h"

#include <QImage>
#include <gtest/gtest.h>

#include <cmath>

namespace {

constexpr int kWidth = 256;
constexpr int kHeight = 40;
constexpr int kTolerance = 4;

struct Rgb {
    double r = 0;
    double g = 0;
    double b = 0;
};

// A straight-alpha colour 0xAABBGGRR composited over white.
Rgb OverWhite(double r, double g, double b, double a)
{
    auto channel = [a](double c) { return c * a / 255 + 255 * (1 - a / 255); };
    return {channel(r), channel(g), channel(b)};
}

::testing::AssertionResult Near(QRgb pixel, const Rgb &expected)
{
    const double d[] = {qRed(pixel) - expected.r, qGreen(pixel) - expected.g, qBlue(pixel) - expected.b};
    for (double v : d) {
        if (std::abs(v) > kTolerance) {
            return ::testing::AssertionFailure() << "pixel (" << qRed(pixel) << ", " << qGreen(pixel) << ", "
                                                 << qBlue(pixel) << ") expected about (" << expected.r << ", "
                                                 << expected.g << ", " << expected.b << ")";
        }
    }
    return ::testing::AssertionSuccess();
}

// Finishes the movie begun by the caller (definitions in the tag buffer): places the character at
// the origin and writes one frame. Returns the file's path.
std::string FinishMovie(const std::string &name, int32_t characterId)
{
    const std::string path = testsupport::TempPath(name);
    movie::ControlMovieFile(path, movie::kMovieOpen);
    movie::PlaceObject(characterId, 0, 0, 1, 1, 0, 0, 256, 0, "", "", movie::kNoClipLayer, -1,
                       movie::ColorTransformSpec());
    movie::NextFrame();
    movie::ControlMovieFile(path, movie::kMovieFrames);
    movie::WriteEndTag();
    EXPECT_TRUE(movie::ControlMovieFile(path, movie::kMovieFinish));
    return path;
}

// The finished movie drawn over white at one pixel per 20 twips.
QImage PlayWritten(const std::string &name, int32_t characterId, const std::string &quality = "low")
{
    const std::string path = FinishMovie(name, characterId);
    platform::MoviePlayer player;
    player.SetQuality2(quality);
    player.SetBackgroundColor(0xFFFFFF);
    player.SetMovie(path);
    QImage image(kWidth, kHeight, QImage::Format_RGB32);
    player.Render(image, image.rect());
    return image;
}

// A rectangle over the whole movie with a linear gradient running from its left to its right edge.
core::PathRecord GradientStrip(core::Color start, std::vector<core::GradStop> stops, core::Color end)
{
    core::PathRecord path;
    const int32_t w = kWidth * 20;
    const int32_t h = kHeight * 20;
    path.Anchors = {{0, 0}, {w, 0}, {w, h}, {0, h}};
    path.blClosed = true;
    path.FillType = core::kFillLinear;
    path.FillColor = start;
    path.GradColor = end;
    path.GradCenterX = w / 2;
    path.GradCenterY = h / 2;
    path.GradRatioX = static_cast<float>(w) / 32768.0f;
    path.GradRatioY = static_cast<float>(w) / 32768.0f;
    path.SetStopCount(static_cast<int32_t>(stops.size()));
    for (size_t k = 0; k < stops.size(); ++k) {
        path.Stops[k + 1] = stops[k];
    }
    path.LineMode = 0;
    return path;
}

QImage PlayShape(const core::PathRecord &shape, const std::string &name)
{
    core::PathArray paths{core::PathRecord(), shape};
    movie::BeginMovie(6, kWidth, kHeight, 12.0f);
    movie::DefineShape(1, paths, true);
    return PlayWritten(name, 1);
}

// The gradient's ratio (0..255) at the centre of pixel column x.
double RatioAt(int x)
{
    return (x + 0.5) / kWidth * 255;
}

class WrittenMoviePixelsTest : public testing::Test {
protected:
    void SetUp() override { movie::ResetWriterForTest(); }
    void TearDown() override { movie::ResetWriterForTest(); }
};

}  // namespace

TEST_F(WrittenMoviePixelsTest, AlphaBitmapIsPremultipliedOnce)
{
    // A flat (40, 80, 250) strip at alpha 128: the writer stores the colours multiplied by alpha.
    std::vector<uint8_t> pixels;
    for (int i = 0; i < 40 * 10; ++i) {
        pixels.insert(pixels.end(), {250, 80, 40, 128});  // blue, green, red, alpha
    }
    const std::string png = testsupport::TempPath("strip.png");
    ASSERT_TRUE(importer::SavePng(pixels, 40, 10, png));
    for (const char *quality : {"low", "high"}) {
        movie::BeginMovie(6, kWidth, kHeight, 12.0f);
        ASSERT_TRUE(movie::DefineBitsJpeg3(2, png, 0, 0, 90, false, 0));
        movie::DefineBitmapShape(3, 2, 40, 10);
        QImage image = PlayWritten("strip.swf", 3, quality);
        EXPECT_TRUE(Near(image.pixel(20, 5), OverWhite(40, 80, 250, 128))) << quality;
        EXPECT_TRUE(Near(image.pixel(5, 2), OverWhite(40, 80, 250, 128))) << quality;
        EXPECT_EQ(image.pixel(45, 5), 0xFFFFFFFFu) << quality;
    }
}

TEST_F(WrittenMoviePixelsTest, AlphaGradientBlendsEachChannelLinearly)
{
    // (255, 0, 0, 0) at 0, (0, 255, 0, 128) at 128, (0, 0, 255, 255) at 255: red, green, blue and
    // alpha each run linearly from record to record.
    QImage image = PlayShape(GradientStrip(0x000000FF, {{0x8000FF00, 128}}, 0xFFFF0000), "alphagradient.swf");
    auto expected = [](double ratio) {
        if (ratio <= 128) {
            double t = ratio / 128;
            return OverWhite(255 * (1 - t), 255 * t, 0, 128 * t);
        }
        double t = (ratio - 128) / 127;
        return OverWhite(0, 255 * (1 - t), 255 * t, 128 + 127 * t);
    };
    for (int x : {kWidth / 4, kWidth / 2, kWidth * 3 / 4}) {
        EXPECT_TRUE(Near(image.pixel(x, kHeight / 2), expected(RatioAt(x)))) << "column " << x;
    }
    // Beyond the records the end colours pad: transparent red shows white.
    EXPECT_TRUE(Near(image.pixel(0, 5), expected(RatioAt(0))));
}

TEST_F(WrittenMoviePixelsTest, TwoRecordsAtOneRatioMakeAHardStop)
{
    // Red at 0, yellow and green both at 128, blue at 255: yellow just left of the middle, green
    // just right of it, and the ends keep red and blue.
    QImage image = PlayShape(GradientStrip(0xFF0000FF, {{0xFF00FFFF, 128}, {0xFF00FF00, 128}}, 0xFFFF0000),
                             "hardstop.swf");
    const int y = kHeight / 2;
    const int middle = static_cast<int>(128.0 / 255 * kWidth);  // the column holding ratio 128
    const double left = RatioAt(middle - 1) / 128;
    EXPECT_TRUE(Near(image.pixel(middle - 1, y), {255, 255 * left, 0})) << "left of the stop";
    const double right = (RatioAt(middle + 1) - 128) / 127;
    EXPECT_TRUE(Near(image.pixel(middle + 1, y), {0, 255 * (1 - right), 255 * right})) << "right of the stop";
    EXPECT_TRUE(Near(image.pixel(0, y), {255, 255 * RatioAt(0) / 128, 0}));
    EXPECT_TRUE(Near(image.pixel(kWidth - 1, y), {0, 0, 255}));
}

TEST_F(WrittenMoviePixelsTest, PartialRepaintOverGradientsEqualsAWholeRender)
{
    // Linear and radial gradients under small paths that are moved, recoloured and deleted: each
    // picture the player repaints in part is the one a fresh player draws whole.
    constexpr int kSide = 320;
    auto background = [](int16_t fill, int32_t left, int32_t top, int32_t size, float angle) {
        core::PathRecord path;
        path.Anchors = {{left, top}, {left + size, top}, {left + size, top + size}, {left, top + size}};
        path.blClosed = true;
        path.FillType = fill;
        path.FillColor = 0xFF2040E0;
        path.GradColor = 0x8010F060;
        path.SetStopCount(1);
        path.Stops[1] = {0xFFE0E0E0, 90};
        path.GradCenterX = left + size / 2;
        path.GradCenterY = top + size / 2;
        path.GradAngle = angle;
        path.GradRatioX = path.GradRatioY = static_cast<float>(size) / 32768.0f;
        return path;
    };
    core::PathArray paths{core::PathRecord(), background(core::kFillLinear, 0, 0, kSide * 20, 17.0f),
                          background(core::kFillRadial, 1000, 3000, 4000, 0.0f)};
    for (int i = 0; i < 12; ++i) {
        core::PathRecord dot = background(core::kFillSolid, 300 + i * 510, 400 + (i * 1700) % 5600, 700, 0);
        dot.FillColor = 0xC0000000u | static_cast<uint32_t>(i * 0x151515);
        dot.LineMode = 1;
        dot.LineWidth = 15 + 10 * i;
        dot.LineColor = 0xFF101010;
        paths.push_back(dot);
    }
    auto write = [&paths](const std::string &name) {
        movie::ResetWriterForTest();
        movie::BeginMovie(6, kSide, kSide, 12.0f);
        movie::DefineShape(1, paths, true);
        return FinishMovie(name, 1);
    };
    auto edit = [&paths](int step) {
        if (step % 3 == 2) {
            paths.erase(paths.begin() + 3 + step % 7);
            return;
        }
        core::PathRecord &dot = paths[static_cast<size_t>(3 + step % 10)];
        if (step % 3 == 0) {
            for (core::AnchorPoint &anchor : dot.Anchors) {
                anchor.X += 333 + 37 * step;  // not a whole pixel
                anchor.Y -= 171;
            }
        } else {
            dot.FillColor ^= 0x00FF00FF;
        }
    };
    for (const char *quality : {"low", "high"}) {
        core::PathArray original = paths;
        platform::MoviePlayer player;
        player.SetQuality2(quality);
        QImage canvas(kSide, kSide, QImage::Format_RGB32);
        player.SetMovie(write("kept.swf"));
        player.Render(canvas, canvas.rect());
        for (int step = 0; step < 9; ++step) {
            edit(step);
            const std::string file = write("kept.swf");
            player.SetMovie(file);
            player.Render(canvas, canvas.rect());
            platform::MoviePlayer fresh;
            fresh.SetQuality2(quality);
            fresh.SetMovie(file);
            QImage whole(kSide, kSide, QImage::Format_RGB32);
            fresh.Render(whole, whole.rect());
            int differing = 0;
            for (int y = 0; y < kSide; ++y) {
                for (int x = 0; x < kSide; ++x) {
                    differing += canvas.pixel(x, y) != whole.pixel(x, y);
                }
            }
            EXPECT_EQ(differing, 0) << quality << " step " << step;
        }
        paths = original;
    }
}

TEST_F(WrittenMoviePixelsTest, OnePixelLinesOnAPixelBoundaryLightTheColumnBeforeIt)
{
    // Without anti-aliasing a pixel centre exactly on an edge belongs to the shape after the edge:
    // a hairline or a one-pixel line centred on the boundary x = 20 px lights column 19, one on
    // y = 10 px row 9; a square from 0 to 20 px still fills columns 0..19 exactly.
    auto line = [](int32_t x1, int32_t y1, int32_t x2, int32_t y2, int32_t width) {
        core::PathRecord path;
        path.Anchors = {{x1, y1}, {x2, y2}};
        path.blClosed = false;
        path.LineMode = 1;
        path.LineWidth = width;
        path.LineColor = 0xFF000000;
        return path;
    };
    for (int32_t width : {1, 20}) {
        core::PathArray paths{core::PathRecord(), line(400, 100, 400, 700, width), line(1000, 200, 4000, 200, width),
                              line(1000, 610, 3000, 610, width)};
        movie::ResetWriterForTest();
        movie::BeginMovie(6, kWidth, kHeight, 12.0f);
        movie::DefineShape(1, paths, true);
        QImage image = PlayWritten("lines.swf", 1);
        EXPECT_EQ(image.pixel(19, 20), 0xFF000000u) << width;
        EXPECT_EQ(image.pixel(20, 20), 0xFFFFFFFFu) << width;
        EXPECT_EQ(image.pixel(100, 9), 0xFF000000u) << width;
        EXPECT_EQ(image.pixel(100, 10), 0xFFFFFFFFu) << width;
        // Centred on the middle of row 30, not on a boundary: row 30 alone.
        EXPECT_EQ(image.pixel(100, 30), 0xFF000000u) << width;
        EXPECT_EQ(image.pixel(100, 29), 0xFFFFFFFFu) << width;
        EXPECT_EQ(image.pixel(100, 31), 0xFFFFFFFFu) << width;
    }
    core::PathRecord square;
    square.Anchors = {{0, 0}, {400, 0}, {400, 400}, {0, 400}};
    square.blClosed = true;
    square.FillType = core::kFillSolid;
    square.FillColor = 0xFF0000FF;
    core::PathArray filled{core::PathRecord(), square};
    movie::ResetWriterForTest();
    movie::BeginMovie(6, kWidth, kHeight, 12.0f);
    movie::DefineShape(1, filled, true);
    QImage image = PlayWritten("square.swf", 1);
    EXPECT_EQ(image.pixel(19, 19), 0xFFFF0000u);
    EXPECT_EQ(image.pixel(20, 10), 0xFFFFFFFFu);
    EXPECT_EQ(image.pixel(10, 20), 0xFFFFFFFFu);
    EXPECT_EQ(image.pixel(0, 0), 0xFFFF0000u);
}
