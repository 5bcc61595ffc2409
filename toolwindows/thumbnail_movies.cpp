#include "toolwindows/thumbnail_movies.h"

#include "core/canvas_settings.h"
#include "core/document.h"
#include "core/drawing_file.h"
#include "import/svg_reader.h"
#include "movie/canvas_movie.h"
#include "movie/movie_writer.h"
#include "movie/shape_encoder.h"
#include "platform/base/rounding.h"

namespace toolwindows {

QRect FitThumbnail(int paneWidth, int paneHeight, int64_t w, int64_t h)
{
    if ((w <= 0 && h <= 0) || paneWidth <= 0 || paneHeight <= 0) {
        return {};
    }
    double drawWidth = paneWidth;
    double drawHeight = paneHeight;
    if (static_cast<double>(paneWidth) / paneHeight * static_cast<double>(h) >= static_cast<double>(w)) {
        drawWidth = platform::RoundHalfEven(static_cast<double>(paneHeight) * static_cast<double>(w) / h);
    } else {
        drawHeight = platform::RoundHalfEven(static_cast<double>(paneWidth) * static_cast<double>(h) / w);
    }
    if (drawWidth < 1 || drawHeight < 1) {
        return {};
    }
    return QRect(platform::RoundToInt32((paneWidth - drawWidth) / 2), platform::RoundToInt32((paneHeight - drawHeight) / 2),
                 static_cast<int>(drawWidth), static_cast<int>(drawHeight));
}

std::string ThumbnailMovieBytes(core::PathArray &paths, int32_t frameWidth, int32_t frameHeight, int32_t x, int32_t y)
{
    movie::BeginMovie(6, frameWidth, frameHeight, 12.0f);
    movie::OpenMovieInMemory();
    movie::DefineShape(1, paths, true);
    movie::ControlMovieFile(std::string(), movie::kMovieFlush);
    movie::PlaceObject(1, x, y, 1.0f, 1.0f, 0.0f, 0, 256, 2, "", "", movie::kNoClipLayer, -1.0f,
                       movie::ColorTransformSpec{});
    movie::NextFrame();
    movie::ControlMovieFile(std::string(), movie::kMovieFrames);
    movie::WriteEndTag();
    if (!movie::ControlMovieFile(std::string(), movie::kMovieFinish)) {
        return {};
    }
    std::string bytes;
    bytes.swap(movie::Writer().WrittenMovie);
    return bytes;
}

QImage RenderLoadedThumbnail(platform::MoviePlayer &player, const std::string &quality, int width, int height,
                             int32_t frameWidth, int32_t frameHeight)
{
    player.SetQuality2(quality);
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(Qt::white);
    player.Render(image, QRect(0, 0, width, height), movie::CanvasMovieArea(core::Rect32{0, 0, frameWidth, frameHeight}));
    return image;
}

QImage RenderThumbnailMovie(platform::MoviePlayer &player, const std::string &movie, int32_t background, int width,
                            int height, int32_t frameWidth, int32_t frameHeight, bool *outOfMemory)
{
    player.SetBackgroundColor(background);
    player.SetMovieBytes("thumbnail", movie);
    if (outOfMemory != nullptr) {
        *outOfMemory = player.OutOfMemory();
    }
    QImage image = RenderLoadedThumbnail(player, core::QualityName(core::Doc().CurrentSettings.Quality), width, height,
                                         frameWidth, frameHeight);
    player.SetMovie("a");
    return image;
}

std::string MakeDrawingThumbMovie(const std::string &path, int32_t w, int32_t h)
{
    core::DrawingFileContents contents;
    std::string message;
    if (!core::ReadDrawingFile(path, contents, message)) {
        return {};
    }
    core::RemoveEmptyPaths(contents.Paths);
    return ThumbnailMovieBytes(contents.Paths, w, h, 0, 0);
}

std::string MakeClipThumbMovie(const std::string &path, int32_t w, int32_t h)
{
    core::ClipFileContents contents;
    std::string message;
    if (!core::ReadClipFile(path, contents, message)) {
        return {};
    }
    core::RemoveEmptyPaths(contents.Paths);
    return ThumbnailMovieBytes(contents.Paths, w, h, platform::SaturateCast<int32_t>(-int64_t{contents.ClipOriginX}),
                               platform::SaturateCast<int32_t>(-int64_t{contents.ClipOriginY}));
}

std::string MakeSvgThumbMovie(const std::string &path, int32_t w, int32_t h)
{
    importer::SvgReader reader;
    if (!reader.LoadSvg(path)) {
        return {};
    }
    core::PathCollection collection = reader.GetPathRecords();
    return ThumbnailMovieBytes(collection.Paths, w, h, 0, 0);
}

}  // namespace toolwindows
