// The canvas movie: the whole drawing with its background colour, underlay and grid, written as
// a one-frame movie after every change and handed to the canvas player.
//
// The grid, the background-colour rectangle and the underlay change rarely; their definition
// tags are built once and kept as raw tag bytes, which every canvas movie copies.
#pragma once

#include "core/path_record.h"
#include "movie/shape_encoder.h"

#include <QRect>

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace platform {
class MoviePlayer;
}

namespace movie {

// Character ids of the canvas movie.
constexpr int32_t kCanvasDrawingId = 1;
constexpr int32_t kCanvasUnderlayId = 2;  // bitmap; its rectangle (or the underlay drawing) is 3
constexpr int32_t kCanvasGridId = 4;
constexpr int32_t kCanvasBackColorId = 10;

// Layers of the canvas movie (depth = layer + 257).
constexpr int32_t kBackColorLayer = -255;
constexpr int32_t kUnderlayBehindLayer = -1;
constexpr int32_t kUnderlayInFrontLayer = 2;
constexpr int32_t kDrawingLayer = 0;
constexpr int32_t kGridLayer = 255;

struct CanvasMovieState {
    // Complete tags without header or End tag; empty = rebuild on the next render.
    std::vector<uint8_t> BackColorCache;
    std::vector<uint8_t> GridCache;
    std::vector<uint8_t> BackgroundCache;
    // Paths of a drawing used as underlay (element 0 unused), filled while its cache is built.
    core::PathArray UnderlayPaths{core::PathRecord()};
    // The underlay file (name, size and modification time) whose conversion gave nothing: it is
    // not converted again at every render, only once the setting names another file or the file
    // changes.
    std::string FailedUnderlay;
    int64_t UnderlayConversions = 0;  // conversions tried, for the tests' count of work
    // The last canvas movie, made for the file MovieBytesFile: the canvas player loads it from
    // here, and the file is written from it only when something reads the file.
    std::string MovieBytes;
    std::string MovieBytesFile;
    bool FileWritten = false;  // MovieBytesFile holds MovieBytes
    // How the drawing's shape tag lies in MovieBytes (from DrawingTagStart, 0 = not known) and
    // the view it was placed for: the next movie writes only the units that changed.
    ShapeLayout DrawingLayout;
    size_t DrawingTagStart = 0;
    core::Rect32 DrawingView;
    ShapeUnits DrawingUnits;  // the units of the movie being made
    // Of each path of the document, by its mark: its unit key and its widened anchor extremes
    // (the view's bounds), so that a movie after an edit makes them only for the paths changed.
    MarkedPathValues<PathUnitKey> DrawingPathKeys;
    MarkedPathValues<core::Rect32> DrawingPathExtremes;
    int64_t MoviesMade = 0;
    int64_t MoviesSpliced = 0;  // of them, those written over the last one
};

CanvasMovieState &Canvas();
void ResetCanvasMovieForTest();

// Makes the canvas movie for the document's CanvasTempFile (kept in memory; see
// EnsureCanvasMovieFile), sets ViewExtent and gives the canvas player the movie's background
// colour and quality. Where only some paths changed since the last movie and nothing around the
// drawing did, the last movie's bytes are edited into the new one.
void MakeCanvasMovie();
// The bytes of the last canvas movie when it was made for file, else empty. They hold until the
// next canvas movie is made, which may edit them in place.
std::string_view CanvasMovieBytes(const std::string &file);
// Writes the last canvas movie to file when it was made for it and is not there yet: true when
// the file holds it.
bool EnsureCanvasMovieFile(const std::string &file);
// Loads the canvas movie made for file into player from memory; the file itself when none was.
void LoadCanvasMovieInto(platform::MoviePlayer &player, const std::string &file);
// The part of the movie's plane (twips) a canvas movie of the view extent shows, for its players
// to render into the zoomed extent: the movie's frame, or the whole extent where that is larger
// than the frame's 16-bit fields hold.
QRectF CanvasMovieArea(const core::Rect32 &viewExtent);

void ClearBackgroundCache();
void ClearGridCache();
void ClearBackColorCache();

void BuildGridCache();
void BuildBackColorCache();
void BuildBackgroundCache(int32_t id);

// Appends the underlay's definition tags (bitmap id and rectangle id + 1, or the drawing's shape
// id + 1). mode 3 writes a movie of its own to moviePath; mode 0 only appends to the movie being
// built; any other mode > 0 is passed to ControlMovieFile afterwards.
void DefineBackground(int32_t id, const std::string &moviePath, int32_t mode);

// Reads a drawing file's paths into UnderlayPaths: 0 when read completely, -1 on any failure
// (UnderlayPaths then empty).
int16_t ReadUnderlayDrawing(const std::string &path);

}  // namespace movie
