#include "core/bucket_fill.h"

#include "core/canvas_services.h"
#include "core/document.h"
#include "core/history.h"
#include "core/host.h"
#include "core/path_builder.h"
#include "core/path_optimizer.h"
#include "platform/base/number_text.h"
#include "platform/base/rounding.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <new>
#include <optional>
#include <string>

namespace core {
namespace {

constexpr int32_t kTwipsPerPixel = 20;
constexpr int32_t kThinnestOutline = 20;  // twips: every outline is at least one canvas pixel wide
constexpr Color kOutlineBlack = 0xFF000000u;
constexpr QRgb kWhiteRgb = 0xFFFFFF;
constexpr double kLowestAccuracy = 2.0;
// Anchors of a traced boundary; a longer walk is given up (no usable path has that many corners).
constexpr size_t kMaxTraceCorners = size_t{1} << 22;

// Walking directions with y growing downwards; index + 1 turns clockwise on screen.
constexpr int kDirections = 8;
constexpr int kStepX[kDirections] = {1, 1, 0, -1, -1, -1, 0, 1};
constexpr int kStepY[kDirections] = {0, 1, 1, 1, 0, -1, -1, -1};
constexpr int kDown = 2;

int CounterClockwise(int d)
{
    return (d + kDirections - 1) % kDirections;
}

QPoint Neighbour(QPoint p, int d)
{
    return QPoint(p.x() + kStepX[d], p.y() + kStepY[d]);
}

// Which of the eight arrival directions each pixel of the bitmap and the ring around it has been
// walked into: a walk that arrives twice the same way is going round a loop without its start.
class WalkMemory {
public:
    WalkMemory(int width, int height)
        : width_(int64_t{width} + 2), height_(int64_t{height} + 2),
          arrivals_(static_cast<size_t>(width_ * height_), 0)
    {
    }

    // False when p lies outside the ring or was already entered in direction d.
    bool Enter(QPoint p, int d)
    {
        int64_t column = int64_t{p.x()} + 1;
        int64_t row = int64_t{p.y()} + 1;
        if (column < 0 || row < 0 || column >= width_ || row >= height_) {
            return false;
        }
        uint8_t &seen = arrivals_[static_cast<size_t>(row * width_ + column)];
        uint8_t bit = static_cast<uint8_t>(1u << d);
        if (seen & bit) {
            return false;
        }
        seen |= bit;
        return true;
    }

private:
    int64_t width_;
    int64_t height_;
    std::vector<uint8_t> arrivals_;
};

// The canvas side the trace bitmap covers (the whole canvas, also past the movie's frame).
int32_t CanvasSide(int32_t pixels)
{
    return std::max(pixels, 1);
}

int64_t BitmapSide(double accuracy, int32_t pixels)
{
    return platform::SaturateCast<int64_t>(platform::RoundHalfEven(accuracy * CanvasSide(pixels)));
}

bool BitmapFits(double accuracy)
{
    const CanvasSettings &settings = Doc().CurrentSettings;
    int64_t width = BitmapSide(accuracy, settings.Width);
    int64_t height = BitmapSide(accuracy, settings.Height);
    return width >= 1 && height >= 1 && width <= kMaxTraceSide && height <= kMaxTraceSide &&
           width * height <= kMaxTracePixels;
}

// The first of accuracy, accuracy - 1, accuracy - 2, ... whose bitmap fits the limits (below 2
// when none does), found without stepping through every value of a huge setting.
double FittingAccuracy(double accuracy)
{
    if (!std::isfinite(accuracy) || accuracy < kLowestAccuracy) {
        return 0.0;
    }
    const CanvasSettings &settings = Doc().CurrentSettings;
    double width = CanvasSide(settings.Width);
    double height = CanvasSide(settings.Height);
    double largest = std::min({kMaxTraceSide / width, kMaxTraceSide / height,
                               std::sqrt(static_cast<double>(kMaxTracePixels) / (width * height))});
    // The largest value of the series not above the estimate (exact also for huge settings).
    double fraction = accuracy - std::floor(accuracy);
    double top = std::floor(largest - fraction) + fraction;
    accuracy = std::min(accuracy, top + 1.0);
    while (accuracy >= kLowestAccuracy && !BitmapFits(accuracy)) {
        accuracy -= 1.0;
    }
    return accuracy;
}

// Settings of the trace render: no underlay, white background, no anti-aliasing, no grid, and
// the canvas alone in view; every path an opaque black outline without fill.
void PrepareOutlineRender()
{
    Document &doc = Doc();
    CanvasSettings &settings = doc.CurrentSettings;
    settings.BackgroundFlag = 0;
    settings.BackColorR = settings.BackColorG = settings.BackColorB = 255;
    settings.Quality = 0;
    settings.GridWidth = 0;
    settings.GridHeight = 0;
    settings.DrawOutsideFlag = 0;
    CanvasServices &canvas = GetCanvasServices();
    canvas.ClearGridCache();
    canvas.ClearBackColorCache();
    for (size_t i = 1; i < doc.DocPaths.size(); ++i) {
        PathRecord &path = doc.DocPaths[i];
        path.LineColor = kOutlineBlack;
        path.LineMode = 1;
        path.LineWidth = std::max(path.LineWidth, kThinnestOutline);
        path.FillType = kFillNone;
    }
    canvas.MakeCanvasMovie();
}

// The canvas movie drawn at accuracy bitmap pixels per canvas pixel; false when the bitmap
// cannot be made.
bool RenderTraceBitmap(double accuracy, QImage &bitmap)
{
    const CanvasSettings &settings = Doc().CurrentSettings;
    int width = static_cast<int>(BitmapSide(accuracy, settings.Width));
    int height = static_cast<int>(BitmapSide(accuracy, settings.Height));
    bitmap = QImage(width, height, QImage::Format_RGB32);
    if (bitmap.isNull()) {
        return false;
    }
    bitmap.fill(QColor(Qt::white));
    return GetCanvasServices().RenderCanvasMovie(bitmap);
}

int64_t ClickPixel(double accuracy, int32_t twips)
{
    return platform::SaturateCast<int64_t>(std::floor(accuracy * twips / kTwipsPerPixel));
}

PathRecord TracedPath(const std::vector<QPoint> &corners, double accuracy, int16_t fillType,
                      const std::array<Color, 3> &colors)
{
    PathRecord path;
    path.Anchors.reserve(corners.size());
    for (const QPoint &corner : corners) {
        // The pixel's centre, in twips.
        path.Anchors.push_back(AnchorPoint{platform::RoundToInt32((corner.x() + 0.5) * kTwipsPerPixel / accuracy),
                                           platform::RoundToInt32((corner.y() + 0.5) * kTwipsPerPixel / accuracy),
                                           kOnCurve});
    }
    path.blClosed = true;
    path.LineWidth = kThinnestOutline;
    path.LineMode = 0;
    path.LineColor = colors[0];
    path.FillType = fillType == kFillNone ? static_cast<int16_t>(kFillSolid) : fillType;
    path.FillColor = colors[1];
    path.GradColor = colors[2];
    FitGradientFrame(path);
    const CanvasSettings &settings = Doc().CurrentSettings;
    OptimizePath(path, settings.FloodAcute, settings.FloodChink);
    return path;
}

enum class Attempt { Failed, Done };

// Why the trace runs at an accuracy other than the setting's.
enum class Lowered { kNot, kSettingBelowLowest, kBitmapLimit, kMemory };

// The status line's words for it: "...ため 精度[a] で実行しました。".
std::string LoweredReason(Lowered why)
{
    switch (why) {
    case Lowered::kSettingBelowLowest:
        return "精度の設定が2未満のため";
    case Lowered::kBitmapLimit:
        return "画像が大きくなりすぎるため";
    case Lowered::kMemory:
    case Lowered::kNot:
        break;
    }
    return "メモリが不足しているため";
}

Attempt TraceAttempt(double accuracy, Lowered why, int32_t x, int32_t y, int16_t fillType,
                     const std::array<Color, 3> &colors, std::optional<PathRecord> &traced)
{
    QImage bitmap;
    if (!RenderTraceBitmap(accuracy, bitmap)) {
        return Attempt::Failed;
    }
    if (why != Lowered::kNot) {
        GetHost().ShowStatus(LoweredReason(why) + " 精度[" + platform::FormatNumber(accuracy) + "] で実行しました。");
    }
    std::vector<QPoint> corners = TraceWhiteRegion(bitmap, ClickPixel(accuracy, x), ClickPixel(accuracy, y));
    if (corners.size() >= 3) {
        PathRecord path = TracedPath(corners, accuracy, fillType, colors);
        if (path.AnchorMax() >= 2) {
            traced = std::move(path);
        }
    }
    return Attempt::Done;
}

std::optional<PathRecord> TraceAtBestAccuracy(int32_t x, int32_t y, int16_t fillType,
                                              const std::array<Color, 3> &colors)
{
    // A setting below the lowest accuracy (or not a number) traces at the lowest; an infinite
    // one as high as the bitmap allows.
    const double setting = Doc().CurrentSettings.FloodAccuracy;
    const bool belowLowest = !(setting >= kLowestAccuracy);
    const double wanted =
        belowLowest ? kLowestAccuracy : std::min(setting, static_cast<double>(std::numeric_limits<float>::max()));
    double accuracy = FittingAccuracy(wanted);
    Lowered why = accuracy != wanted ? Lowered::kBitmapLimit : belowLowest ? Lowered::kSettingBelowLowest : Lowered::kNot;
    std::optional<PathRecord> traced;
    for (; accuracy >= kLowestAccuracy; accuracy -= 1.0, why = Lowered::kMemory) {
        try {
            if (TraceAttempt(accuracy, why, x, y, fillType, colors, traced) == Attempt::Done) {
                return traced;
            }
        } catch (const std::bad_alloc &) {
            traced.reset();  // too large for the memory at hand: try the next lower accuracy
        }
    }
    GetHost().ShowStatus(LoweredReason(why) + " 塗りつぶせませんでした。");
    return std::nullopt;
}

}  // namespace

bool IsTraceWhite(const QImage &bitmap, int64_t x, int64_t y)
{
    if (x < 0 || y < 0 || x >= bitmap.width() || y >= bitmap.height()) {
        return false;
    }
    const QRgb *row = reinterpret_cast<const QRgb *>(bitmap.constScanLine(static_cast<int>(y)));
    return (row[x] & kWhiteRgb) == kWhiteRgb;
}

std::vector<QPoint> TraceWhiteRegion(const QImage &bitmap, int64_t px, int64_t py)
{
    if (!IsTraceWhite(bitmap, px, py)) {
        return {};
    }
    while (IsTraceWhite(bitmap, px, py)) {
        --py;
    }
    const QPoint start(static_cast<int>(px), static_cast<int>(py));
    auto white = [&](QPoint p) { return IsTraceWhite(bitmap, p.x(), p.y()); };

    int d = kDown;
    for (int turns = 0; white(Neighbour(start, d)); ++turns) {
        if (turns == kDirections) {
            return {};  // a lone pixel: no boundary to follow
        }
        d = CounterClockwise(d);
    }
    WalkMemory memory(bitmap.width(), bitmap.height());
    std::vector<QPoint> corners;
    QPoint current = Neighbour(start, d);
    while (current != start) {
        if (!memory.Enter(current, d)) {
            return {};
        }
        int e = (d + 3) % kDirections;
        for (int turns = 0; white(Neighbour(current, e)); ++turns) {
            if (turns == kDirections) {
                return {};
            }
            e = CounterClockwise(e);
        }
        if (e != d) {
            if (corners.size() == kMaxTraceCorners) {
                return {};
            }
            corners.push_back(current);
        }
        d = e;
        current = Neighbour(current, e);
    }
    return corners;
}

void TraceFloodPath(int32_t x, int32_t y, float /*width*/, int16_t /*lineMode*/, int16_t fillType,
                    const std::array<Color, 3> &colors)
{
    Document &doc = Doc();
    if (doc.DocPathCount() == 0) {
        return;
    }
    const CanvasSettings savedSettings = doc.CurrentSettings;
    PathArray savedPaths = doc.DocPaths;
    PrepareOutlineRender();
    std::optional<PathRecord> traced = TraceAtBestAccuracy(x, y, fillType, colors);
    doc.CurrentSettings = savedSettings;
    doc.DocPaths = std::move(savedPaths);
    if (traced) {
        doc.DocPaths.push_back(std::move(*traced));
        RecordHistory();
    }
    CanvasServices &canvas = GetCanvasServices();
    canvas.ClearBackColorCache();
    canvas.MakeCanvasMovie();
}

}  // namespace core
