#include "movie/canvas_movie.h"

#include "core/canvas_settings.h"
#include "core/document.h"
#include "core/drawing_file.h"
#include "core/host.h"
#include "core/memory_guard.h"
#include "import/picture_file.h"
#include "movie/bitmap_tags.h"
#include "movie/movie_writer.h"
#include "movie/shape_encoder.h"
#include "movie/shape_splice.h"
#include "platform/base/atomic_file.h"
#include "platform/base/file_names.h"
#include "platform/base/program_folder.h"
#include "platform/base/rounding.h"
#include "platform/player/movie_player.h"
#include "platform/swf/tag_records.h"
#include "core/document_lifecycle.h"
#include "platform/base/text_encoding.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <new>
#include <string>
#include <sys/stat.h>

namespace movie {

namespace {

constexpr float kCanvasFrameRate = 12.0f;
constexpr int32_t kOpaque = 256;  // alpha multiplier that leaves a placement unchanged
constexpr int32_t kTwipsPerPixel = 20;
constexpr size_t kSpareMovieBytes = 65536;
constexpr core::Color kGridColor = 0x80808080;        // grey at half opacity
constexpr core::Color kGridCentreColor = 0xFF808080;  // the line through the canvas centre

int32_t Twips(int64_t pixels)
{
    return platform::SaturateInt<int32_t>(pixels * kTwipsPerPixel);
}

// Floor division of twips into pixels.
int32_t PixelsFloor(int32_t twips)
{
    int32_t q = twips / kTwipsPerPixel;
    return (twips % kTwipsPerPixel != 0 && twips < 0) ? q - 1 : q;
}

// Places a character with no rotation, no name, no actions and no morph ratio.
void PlaceSimple(int32_t id, int64_t x, int64_t y, float scale, int32_t alphaMult, int32_t layer,
                 int32_t clipLayer = kNoClipLayer)
{
    static const ColorTransformSpec kNoTransform;
    PlaceObject(id, platform::SaturateInt<int32_t>(x), platform::SaturateInt<int32_t>(y), scale, scale, 0.0f, 0,
                alphaMult, layer, "", "", clipLayer, -1.0f, kNoTransform);
}

void AppendCache(const std::vector<uint8_t> &cache)
{
    auto &buffer = Writer().TagBuffer;
    buffer.insert(buffer.end(), cache.begin(), cache.end());
}

// Runs define inside a movie of the canvas size and keeps the tags it appended (everything after
// the header): the cache bytes are those a written and re-read cache movie would hold.
template <typename Define>
std::vector<uint8_t> CaptureTags(Define define)
{
    const core::CanvasSettings &settings = core::Doc().CurrentSettings;
    BeginMovie(6, settings.Width, settings.Height, kCanvasFrameRate);
    define();
    auto &buffer = Writer().TagBuffer;
    std::vector<uint8_t> tags;
    if (buffer.size() > static_cast<size_t>(kHeaderSize)) {
        tags.assign(buffer.begin() + kHeaderSize, buffer.end());
    }
    buffer.clear();
    return tags;
}

bool IsPictureExtension(const std::string &extension)
{
    return extension == "bmp" || extension == "jpg" || extension == "jpeg" || extension == "png";
}

core::PathRecord GridLine(int32_t x1, int32_t y1, int32_t x2, int32_t y2, bool centre)
{
    core::PathRecord line;
    line.Anchors = {{x1, y1, core::kOnCurve}, {x2, y2, core::kOnCurve}};
    line.blClosed = false;
    line.LineMode = 1;
    line.LineWidth = 1;
    line.FillType = core::kFillNone;
    line.LineColor = centre ? kGridCentreColor : kGridColor;
    return line;
}

// The part of the drawing plane the movie shows, in canvas pixels.
core::Rect32 ComputeViewExtent(const core::PathArray &paths, const core::CanvasSettings &settings,
                               MarkedPathValues<core::Rect32> &pathExtremes)
{
    pathExtremes.Update(paths, core::WidenedAnchorExtremes);
    const core::Rect32 bounds = core::PathsBoundsOf(paths, [&pathExtremes](size_t i) -> const core::Rect32 & {
        return pathExtremes[i];
    });
    core::Rect32 view{PixelsFloor(bounds.Left), PixelsFloor(bounds.Top), PixelsFloor(bounds.Right),
                      PixelsFloor(bounds.Bottom)};
    const core::Rect32 canvas{0, 0, settings.Width, settings.Height};
    if (settings.DrawOutsideFlag == 1) {
        view.Left = std::min(view.Left, 0);
        view.Top = std::min(view.Top, 0);
        view.Right = std::max(view.Right, settings.Width);
        view.Bottom = std::max(view.Bottom, settings.Height);
    }
    const int64_t width = static_cast<int64_t>(view.Right) - view.Left;
    const int64_t height = static_cast<int64_t>(view.Bottom) - view.Top;
    if (settings.DrawOutsideFlag == 0 || width > kMaxFramePixels || height > kMaxFramePixels) {
        return canvas;
    }
    return view;
}

void PlaceUnderlay(const core::CanvasSettings &settings, const core::Rect32 &view, bool inFront)
{
    const int32_t layer = inFront ? kUnderlayInFrontLayer : kUnderlayBehindLayer;
    PlaceSimple(kCanvasUnderlayId + 1, (static_cast<int64_t>(settings.BackgroundX) - view.Left) * kTwipsPerPixel,
                (static_cast<int64_t>(settings.BackgroundY) - view.Top) * kTwipsPerPixel, settings.BackgroundScale,
                settings.BackgroundOpacity, layer);
    // Inside the canvas only: the canvas rectangle masks the underlay while the drawing itself
    // may reach beyond it.
    if (settings.DrawOutsideFlag == 1) {
        PlaceSimple(kCanvasBackColorId, -static_cast<int64_t>(view.Left) * kTwipsPerPixel,
                    -static_cast<int64_t>(view.Top) * kTwipsPerPixel, 1.0f, kOpaque, layer - 1, layer);
    }
}

// Name, size and modification time of a regular file; empty for anything else.
std::string UnderlayFileKey(const std::string &file)
{
    struct stat info;
    if (file.empty() || stat(file.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) {
        return {};
    }
    return file + '\n' + std::to_string(info.st_size) + '\n' + std::to_string(info.st_mtim.tv_sec) + '.' +
           std::to_string(info.st_mtim.tv_nsec);
}

}  // namespace

CanvasMovieState &Canvas()
{
    static CanvasMovieState state;
    return state;
}

void ResetCanvasMovieForTest()
{
    Canvas() = CanvasMovieState();
}

void ClearBackgroundCache()
{
    Canvas().BackgroundCache.clear();
}

void ClearGridCache()
{
    Canvas().GridCache.clear();
}

void ClearBackColorCache()
{
    Canvas().BackColorCache.clear();
}

void BuildGridCache()
{
    const core::CanvasSettings &settings = core::Doc().CurrentSettings;
    if (settings.GridWidth <= 0 || settings.GridHeight <= 0) {
        return;
    }
    const int64_t width = static_cast<int64_t>(settings.Width) * kTwipsPerPixel;
    const int64_t height = static_cast<int64_t>(settings.Height) * kTwipsPerPixel;
    const int64_t centreX = static_cast<int64_t>(settings.Width) * (kTwipsPerPixel / 2);
    const int64_t centreY = static_cast<int64_t>(settings.Height) * (kTwipsPerPixel / 2);
    core::PathArray lines{core::PathRecord()};
    for (int64_t x = 0; x < width; x += settings.GridWidth) {
        lines.push_back(GridLine(static_cast<int32_t>(x), 0, static_cast<int32_t>(x), Twips(settings.Height),
                                 x == centreX));
    }
    for (int64_t y = 0; y < height; y += settings.GridHeight) {
        lines.push_back(GridLine(0, static_cast<int32_t>(y), Twips(settings.Width), static_cast<int32_t>(y),
                                 y == centreY));
    }
    if (core::UpperBound(lines) < 1) {
        return;
    }
    Canvas().GridCache = CaptureTags([&] { DefineShape(kCanvasGridId, lines, true); });
}

void BuildBackColorCache()
{
    const core::CanvasSettings &settings = core::Doc().CurrentSettings;
    const int32_t right = Twips(settings.Width);
    const int32_t bottom = Twips(settings.Height);
    core::PathRecord rectangle;
    rectangle.Anchors = {{0, 0, core::kOnCurve}, {right, 0, core::kOnCurve}, {right, bottom, core::kOnCurve},
                         {0, bottom, core::kOnCurve}};
    rectangle.blClosed = true;
    rectangle.FillType = core::kFillSolid;
    rectangle.FillColor = settings.BackColorR | (settings.BackColorG << 8) | (settings.BackColorB << 16) | 0xFF000000u;
    rectangle.LineMode = 0;
    core::PathArray paths{core::PathRecord(), rectangle};
    Canvas().BackColorCache =
        CaptureTags([&] { DefineShape(kCanvasBackColorId, paths, false); });
}

void BuildBackgroundCache(int32_t id)
{
    CanvasMovieState &canvas = Canvas();
    canvas.UnderlayPaths.assign(1, core::PathRecord());
    const std::string key = UnderlayFileKey(core::Doc().CurrentSettings.BackgroundFile);
    if (key.empty() || key == canvas.FailedUnderlay) {
        return;
    }
    ++canvas.UnderlayConversions;
    try {
        canvas.BackgroundCache = CaptureTags([&] { DefineBackground(id, std::string(), 0); });
    } catch (const std::bad_alloc &) {
        // An underlay memory cannot hold is not shown: the command that chose it is taken back,
        // an underlay the drawing had already is told once on the status line.
        canvas.UnderlayPaths.assign(1, core::PathRecord());
        Writer().TagBuffer = {};
        if (core::RunningWithinMemory()) {
            throw;
        }
        canvas.FailedUnderlay = key;
        core::GetHost().ShowStatus("メモリが足りないため、下絵を表示できません。");
        return;
    }
    canvas.FailedUnderlay = canvas.BackgroundCache.empty() ? key : std::string();
}

void DefineBackground(int32_t id, const std::string &moviePath, int32_t mode)
{
    const core::CanvasSettings &settings = core::Doc().CurrentSettings;
    const std::string &file = settings.BackgroundFile;
    const std::string extension = platform::AsciiLower(platform::GetExtensionPart(file));
    auto begin = [&] {
        if (mode == kMovieFinish) {
            BeginMovie(6, settings.Width, settings.Height, kCanvasFrameRate);
            ControlMovieFile(moviePath, kMovieOpen);
        }
    };
    auto finish = [&] {
        if (mode > 0) {
            ControlMovieFile(moviePath, mode);
        }
    };
    if (extension == "qlk") {
        if (ReadUnderlayDrawing(file) == 0 && core::UpperBound(Canvas().UnderlayPaths) >= 1) {
            begin();
            DefineShape(id + 1, Canvas().UnderlayPaths, true);
            finish();
        }
    } else if (IsPictureExtension(extension)) {
        begin();
        // A picture that yields no bitmap gets no rectangle either, so nothing names a missing
        // bitmap.
        if (DefineBitsJpeg3(id, file, 0, 0, 90, false, 0)) {
            importer::ImageInfo info = importer::GetImageInfo(file, importer::kProbeContent);
            DefineBitmapShape(id + 1, id, info.ImageWidth, info.ImageHeight);
        }
        finish();
    }
}

int16_t ReadUnderlayDrawing(const std::string &path)
{
    core::PathArray &paths = Canvas().UnderlayPaths;
    paths.assign(1, core::PathRecord());
    core::DrawingFileContents contents;
    std::string message;
    if (!core::ReadDrawingFile(path, contents, message)) {
        return -1;
    }
    paths = std::move(contents.Paths);
    core::RemoveEmptyPaths(paths);
    return 0;
}

namespace {

// Whether the movie begun in the tag buffer starts as the last canvas movie did up to its drawing
// (the header's length and frame count aside, which are patched when it is finished).
bool SameMovieBeforeDrawing(const CanvasMovieState &canvas, const std::vector<uint8_t> &start)
{
    const std::string &last = canvas.MovieBytes;
    const size_t length = start.size();
    if (canvas.DrawingTagStart != length || last.size() < length || length < static_cast<size_t>(kHeaderSize)) {
        return false;
    }
    constexpr size_t kLengthAt = platform::swf::kFileLengthOffset;
    constexpr size_t kLengthEnd = kLengthAt + 4;
    const size_t framesAt = static_cast<size_t>(kHeaderSize) - 2;
    return std::memcmp(last.data(), start.data(), kLengthAt) == 0 &&
           std::memcmp(last.data() + kLengthEnd, start.data() + kLengthEnd, framesAt - kLengthEnd) == 0 &&
           std::memcmp(last.data() + kHeaderSize, start.data() + kHeaderSize, length - kHeaderSize) == 0;
}

// Writes the new drawing over the last canvas movie's: true when it could.
bool SpliceCanvasMovie(CanvasMovieState &canvas, const core::PathArray &paths, const core::Rect32 &view)
{
    if (!(canvas.DrawingView == view) || !SameMovieBeforeDrawing(canvas, Writer().TagBuffer) ||
        !SpliceShapeTag(canvas.MovieBytes, canvas.DrawingTagStart, kCanvasDrawingId, paths, canvas.DrawingUnits,
                        canvas.DrawingLayout)) {
        return false;
    }
    uint8_t length[4];
    LongToBytes(static_cast<int64_t>(canvas.MovieBytes.size()), length);
    std::memcpy(canvas.MovieBytes.data() + platform::swf::kFileLengthOffset, length, sizeof length);
    return true;
}

// Finishes the movie begun in the tag buffer with the whole drawing, written in memory over the
// last movie's bytes.
void WriteWholeCanvasMovie(CanvasMovieState &canvas, const core::PathArray &paths, const core::Rect32 &view)
{
    WriterState &writer = Writer();
    writer.WrittenMovie.swap(canvas.MovieBytes);  // its memory is used again
    OpenMovieInMemory();
    canvas.DrawingTagStart = writer.WrittenMovie.size();
    DefineShapeOfUnits(kCanvasDrawingId, paths, canvas.DrawingUnits, &canvas.DrawingLayout);
    ControlMovieFile(std::string(), kMovieFlush);
    PlaceSimple(kCanvasDrawingId, -static_cast<int64_t>(view.Left) * kTwipsPerPixel,
                -static_cast<int64_t>(view.Top) * kTwipsPerPixel, 1.0f, kOpaque, kDrawingLayer);
    NextFrame();
    ControlMovieFile(std::string(), kMovieFrames);
    WriteEndTag();
    const bool written = ControlMovieFile(std::string(), kMovieFinish);
    canvas.MovieBytes.swap(writer.WrittenMovie);
    std::string().swap(writer.WrittenMovie);  // the last movie's memory: an empty string assigned would keep it
    // A movie much smaller than the last keeps no more memory than a little room to grow.
    std::string &kept = canvas.MovieBytes;
    if (kept.capacity() > kept.size() + kept.size() / 4 + kSpareMovieBytes) {
        kept.shrink_to_fit();
    }
    if (!written) {
        canvas.MovieBytes.clear();
        canvas.DrawingTagStart = 0;
    }
    canvas.DrawingView = view;
}

}  // namespace

void MakeCanvasMovie()
{
    core::Document &doc = core::Doc();
    core::Host &host = core::GetHost();
    platform::MoviePlayer *player = host.CanvasPlayer();
    if (player) {
        player->SetMovie("a");  // releases the previous canvas movie
    }
    if (doc.CanvasTempFile.empty()) {
        doc.CanvasTempFile = platform::InstanceFile(platform::kCanvasMovieName);
    }
    const core::CanvasSettings &settings = doc.CurrentSettings;
    const std::string &file = doc.CanvasTempFile;
    CanvasMovieState &canvas = Canvas();
    const core::PathArray &paths = doc.DocPaths;
    const core::Rect32 view = ComputeViewExtent(paths, settings, canvas.DrawingPathExtremes);
    doc.ViewExtent = view;

    const bool underlay = settings.BackgroundFlag == 1 && host.UnderlayChecked();
    const bool grid = host.GridChecked();
    if (canvas.BackgroundCache.empty() && underlay) {
        BuildBackgroundCache(kCanvasUnderlayId);
    }
    if (canvas.GridCache.empty() && grid) {
        BuildGridCache();
    }
    if (canvas.BackColorCache.empty()) {
        BuildBackColorCache();
    }

    BeginMovie(6, view.Right - view.Left, view.Bottom - view.Top, kCanvasFrameRate);
    const int64_t originX = -static_cast<int64_t>(view.Left) * kTwipsPerPixel;
    const int64_t originY = -static_cast<int64_t>(view.Top) * kTwipsPerPixel;
    if (!canvas.BackColorCache.empty()) {
        AppendCache(canvas.BackColorCache);
        PlaceSimple(kCanvasBackColorId, originX, originY, 1.0f, kOpaque, kBackColorLayer);
    }
    if (underlay && !canvas.BackgroundCache.empty()) {
        AppendCache(canvas.BackgroundCache);
        PlaceUnderlay(settings, view, host.UnderlayInFrontChecked());
    }
    if (grid && !canvas.GridCache.empty()) {
        AppendCache(canvas.GridCache);
        PlaceSimple(kCanvasGridId, originX, originY, 1.0f, kOpaque, kGridLayer);
    }
    ListShapeUnits(paths, canvas.DrawingUnits, canvas.DrawingPathKeys);
    const bool spliced = canvas.MovieBytesFile == file && SpliceCanvasMovie(canvas, paths, view);
    if (spliced) {
        Writer().TagBuffer.clear();
        ++canvas.MoviesSpliced;
    } else {
        WriteWholeCanvasMovie(canvas, paths, view);
    }
    canvas.MovieBytesFile = file;
    canvas.FileWritten = false;
    ++canvas.MoviesMade;

    if (player) {
        player->SetBackgroundColor(static_cast<int32_t>(doc.PlayerBackColor & 0xFFFFFF));
        player->SetQuality2(core::QualityName(settings.Quality));
    }
}

QRectF CanvasMovieArea(const core::Rect32 &viewExtent)
{
    // BeginMovie makes an empty side one pixel.
    const int64_t width = std::max<int64_t>(int64_t{viewExtent.Right} - viewExtent.Left, 1);
    const int64_t height = std::max<int64_t>(int64_t{viewExtent.Bottom} - viewExtent.Top, 1);
    return QRectF(0.0, 0.0, static_cast<double>(width * kTwipsPerPixel), static_cast<double>(height * kTwipsPerPixel));
}

std::string_view CanvasMovieBytes(const std::string &file)
{
    const CanvasMovieState &canvas = Canvas();
    return canvas.MovieBytesFile == file ? std::string_view(canvas.MovieBytes) : std::string_view();
}

void LoadCanvasMovieInto(platform::MoviePlayer &player, const std::string &file)
{
    const std::string_view bytes = CanvasMovieBytes(file);
    if (!bytes.empty()) {
        player.SetMovieBytes(file, bytes);
    } else {
        player.SetMovie(file);
    }
}

bool EnsureCanvasMovieFile(const std::string &file)
{
    CanvasMovieState &canvas = Canvas();
    if (file.empty() || canvas.MovieBytesFile != file || canvas.MovieBytes.empty()) {
        return false;
    }
    if (!canvas.FileWritten) {
        canvas.FileWritten = platform::WriteProgramFile(file, canvas.MovieBytes);
    }
    return canvas.FileWritten;
}

}  // namespace movie
