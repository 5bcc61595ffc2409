// Thumbnails drawn through the movie player: a one-frame movie of some paths is written in memory
// and rendered into an image. The file browser's
// readers build such a movie from a drawing, a clip or an SVG file.
#pragma once

#include "core/path_record.h"
#include "platform/player/movie_player.h"

#include <QImage>
#include <QRect>

#include <cstdint>
#include <string>

namespace toolwindows {

// The rectangle that shows a w x h picture whole in a pane of paneWidth x paneHeight pixels, as
// large as fits and centred; an empty rectangle when nothing can be drawn.
QRect FitThumbnail(int paneWidth, int paneHeight, int64_t w, int64_t h);

// The one-frame movie (frame frameWidth x frameHeight pixels, 12 frames per second) showing the
// paths as shape 1 on layer 2 at (x, y) twips, written in memory: the movie belongs to the
// program that makes it, no file of it is shared. "" when it could not be written. The calling
// thread's writer is used (see movie::ThreadWriter).
std::string ThumbnailMovieBytes(core::PathArray &paths, int32_t frameWidth, int32_t frameHeight, int32_t x, int32_t y);

// Renders the movie the player holds into a width x height image in quality ("low" .. "best"),
// the movie's frame of frameWidth x frameHeight pixels shown whole.
QImage RenderLoadedThumbnail(platform::MoviePlayer &player, const std::string &quality, int width, int height,
                             int32_t frameWidth, int32_t frameHeight);

// Renders the movie's bytes over background (0xRRGGBB) into a width x height image in the
// drawing's quality, then releases the movie from the player. The image shows the movie of a
// frame of frameWidth x frameHeight pixels whole, also where that is larger than the movie's
// 16-bit frame holds. *outOfMemory (when given) tells whether the movie could not be held in the
// memory left (the image then shows the background alone).
QImage RenderThumbnailMovie(platform::MoviePlayer &player, const std::string &movie, int32_t background, int width,
                            int height, int32_t frameWidth, int32_t frameHeight, bool *outOfMemory = nullptr);

// The readers of the file browser: the movie of a drawing file, a clip file (placed by its clip
// origin) or an SVG file, with a frame of w x h pixels, in memory. "" when the file cannot be read.
std::string MakeDrawingThumbMovie(const std::string &path, int32_t w, int32_t h);
std::string MakeClipThumbMovie(const std::string &path, int32_t w, int32_t h);
std::string MakeSvgThumbMovie(const std::string &path, int32_t w, int32_t h);

}  // namespace toolwindows
