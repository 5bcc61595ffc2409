// Thumbnails of drawings whose canvas is larger than the movie's 1638-pixel frame: the whole
// canvas shows in the thumbnail, its far corner included, at one scale across and down.
#include "core/drawing_file.h"
#include "platform/player/movie_player.h"
#include "toolwindows/thumbnail_movies.h"
#include "tests/support/test_support.h"

#include <gtest/gtest.h>

namespace {

core::PathRecord RedSquare(int32_t left, int32_t top, int32_t size)
{
    core::PathRecord path;
    const int32_t l = left * 20, t = top * 20, r = (left + size) * 20, b = (top + size) * 20;
    path.Anchors = {{l, t, core::kOnCurve}, {r, t, core::kOnCurve}, {r, b, core::kOnCurve}, {l, b, core::kOnCurve}};
    path.blClosed = true;
    path.FillType = core::kFillSolid;
    path.FillColor = 0xFF0000FFu;
    path.LineMode = 0;
    return path;
}

struct ThumbCase {
    const char *name;
    int32_t width, height;  // canvas pixels
};

class LargeDrawingThumbnail : public testing::TestWithParam<ThumbCase> {};

TEST_P(LargeDrawingThumbnail, ShowsTheWholeCanvasUnstretched)
{
    const ThumbCase &c = GetParam();
    core::CanvasSettings settings;
    settings.Width = c.width;
    settings.Height = c.height;
    // Squares of a tenth of the canvas width at its top-left and bottom-right corners.
    const int32_t side = c.width / 10;
    const core::PathArray paths{core::PathRecord(), RedSquare(0, 0, side),
                                RedSquare(c.width - side, c.height - side, side)};
    const std::string path = testsupport::TempPath("large_thumb.qlk");
    std::string message;
    ASSERT_TRUE(core::WriteDrawingFile(path, paths, 2, settings, message)) << message;
    const std::string movie = toolwindows::MakeDrawingThumbMovie(path, c.width, c.height);
    ASSERT_FALSE(movie.empty());
    // One thumbnail pixel for every ten canvas pixels.
    const int w = c.width / 10, h = c.height / 10;
    platform::MoviePlayer player;
    const QImage image = toolwindows::RenderThumbnailMovie(player, movie, 0xFFFFFF, w, h, c.width, c.height);
    ASSERT_EQ(image.size(), QSize(w, h));
    const QRgb red = qRgb(255, 0, 0);
    const QRgb white = qRgb(255, 255, 255);
    EXPECT_EQ(image.pixel(1, 1), red);
    EXPECT_EQ(image.pixel(w - 2, h - 2), red);
    EXPECT_EQ(image.pixel(w - 2, h - 2 - side / 10 - 2), white);  // just above the far square
    EXPECT_EQ(image.pixel(w - 2 - side / 10 - 2, h - 2), white);  // just left of it
    EXPECT_EQ(image.pixel(w / 2, h / 2), white);
}

INSTANTIATE_TEST_SUITE_P(Thumbnails, LargeDrawingThumbnail,
                         testing::Values(ThumbCase{"WithinTheFrame", 1000, 800}, ThumbCase{"WiderAndTaller", 2000, 1800},
                                         ThumbCase{"WiderOnly", 3000, 600}),
                         [](const testing::TestParamInfo<ThumbCase> &info) { return info.param.name; });

}  // namespace
