// Shared helpers of the player tests: loading built movies, rendering, counting pixels.
#pragma once

#include "platform/player/movie_player.h"
#include "swf_builder.h"
#include "tests/support/test_support.h"

#include <QImage>
#include <functional>
#include <string>

namespace swftest {

constexpr QRgb kWhite = 0xFFFFFFFF;
constexpr QRgb kRed = 0xFFFF0000;
constexpr QRgb kBlue = 0xFF0000FF;

inline void Load(platform::MoviePlayer &player, const std::string &bytes, const std::string &name = "movie.swf")
{
    std::string path = testsupport::TempPath(name);
    testsupport::WriteAll(path, bytes);
    player.SetMovie(path);
}

// Renders the current frame into a fresh image of the given size (rect = whole image).
inline QImage Render(platform::MoviePlayer &player, int width, int height)
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(0xFF00FF00);  // green: any pixel left untouched shows
    player.Render(image, image.rect());
    return image;
}

inline QImage Play(const std::string &bytes, int width, int height, const std::string &quality = "low",
                   int32_t background = -1)
{
    platform::MoviePlayer player;
    player.SetQuality2(quality);
    player.SetBackgroundColor(background);
    Load(player, bytes);
    return Render(player, width, height);
}

inline int Count(const QImage &image, const std::function<bool(QRgb)> &match)
{
    int count = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            count += match(image.pixel(x, y)) ? 1 : 0;
        }
    }
    return count;
}

inline int CountColor(const QImage &image, QRgb color)
{
    return Count(image, [color](QRgb p) { return p == color; });
}

// A movie of width x height pixels with one shape (id 1) placed at depth 1.
inline std::string OneShape(int width, int height, const Styles &styles, const Records &records)
{
    Movie movie(width, height);
    movie.Shape(1, styles, records).Place(1, 1).ShowFrame();
    return movie.Bytes();
}

}  // namespace swftest
