// Windows metafiles (16-bit records, optionally behind the placeable header) read as straight-edged
// paths: polygons, polylines and poly-polygons with the pen and brush selected for them. Only the
// pen, brush, window-extent and figure records are interpreted; every other record is skipped.
// Every size and count in the file is checked against the bytes that are there: a malformed file
// is a failed import with nothing kept.
#pragma once

#include "core/path_record.h"

#include <QImage>

#include <cstdint>
#include <string>
#include <string_view>

namespace platform {
struct PlayerStats;
}

namespace importer {

// Limits for hostile files (tests lower them); passing one fails the import.
struct WmfLimits {
    int64_t MaxPaths = 500'000;
    int64_t MaxAnchors = 20'000'000;
};

// Reads the paths of a metafile held whole in bytes. They form one group; the figures of a
// poly-polygon of two or more polygons share a compound id. The drawing is scaled to fill the
// picture size of the placeable header in twips, its top-left corner at 0, 0; a metafile without
// that header keeps one logical unit per pixel. False, with the reason in error and no paths, for
// a malformed file; a well-formed file without figures gives true and no paths.
bool ReadWmfPaths(std::string_view bytes, core::PathCollection &paths, std::string &error,
                  const WmfLimits &limits = {});

// The paths of ReadWmfPaths; an empty collection for a malformed file or one without figures.
core::PathCollection ImportWmf(std::string_view bytes);

// A placeable metafile drawn on white at the picture size its header gives, as the canvas draws
// its figures (platform/player/figure_painter.h); null when the bytes are no placeable metafile,
// are malformed or give a picture too large to hold. work, when given, receives the work the
// drawing took, counted as the player counts its renders'.
QImage DrawMetafilePicture(std::string_view bytes, platform::PlayerStats *work = nullptr);

// Pixels per inch of the desktop, horizontally and vertically.
double GetScreenDpiX();
double GetScreenDpiY();

}  // namespace importer
