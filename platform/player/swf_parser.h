// Reading a movie file: the whole movie, and the readers of the structures that several tag
// parsers share. Internal to the player.
#pragma once

#include "platform/player/swf_movie.h"
#include "platform/player/swf_movie_groups.h"
#include "platform/swf/basic_records.h"
#include "platform/swf/bit_reader.h"
#include "platform/swf/tag_codes.h"

namespace platform::swf {

// Parses a whole movie file. A file that is not a movie gives nullptr; a damaged one gives what
// could be read before the damage. Groups found in sources are reused (see GroupSources).
std::unique_ptr<Movie> ParseMovie(std::string_view bytes, const GroupSources &sources = {});

// The format's records as the player draws them.
QRectF ToRectF(const RectRecord &rect);
QTransform ToTransform(const MatrixRecord &matrix);
ColorTransform ToColorTransform(const CxformRecord &cx);
QRgb ToQRgb(const Rgba &colour);

}  // namespace platform::swf
