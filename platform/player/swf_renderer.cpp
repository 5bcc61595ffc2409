// Draws a display list with QPainter: shapes by style group (fills even-odd, then lines), morph
// shapes at their ratio, bitmaps, text fields, colour transforms and clipping layers.
#include "platform/player/swf_data.h"
#include "platform/player/swf_path_pieces.h"

#include <QLinearGradient>
#include <QPainter>
#include <QRadialGradient>
#include <QSemaphore>
#include <QThreadPool>
#include <algorithm>
#include <cmath>
#include <map>
#include <unordered_set>
#include <thread>

namespace platform::swf {

namespace {

constexpr double kGradientHalfSize = 16384;  // gradients span -16384..16384 in their own space
constexpr double kMaxTransformTerm = 1e9;    // beyond this a placement is nonsense and skipped

int ClampChannel(int64_t value)
{
    return static_cast<int>(std::clamp<int64_t>(value, 0, 255));
}

bool Usable(const QTransform &t)
{
    const double terms[] = {t.m11(), t.m12(), t.m21(), t.m22(), t.dx(), t.dy()};
    return std::all_of(std::begin(terms), std::end(terms),
                       [](double v) { return std::isfinite(v) && std::abs(v) < kMaxTransformTerm; });
}

// Device pixels per twip along the transform's average axis.
double DeviceScale(const QTransform &t)
{
    return std::sqrt(std::abs(t.m11() * t.m22() - t.m12() * t.m21()));
}

// Positions of stops sharing a ratio are pulled apart by this much: both colours are kept (a hard
// edge between them), which a gradient holding one stop per position would not do.
constexpr double kStopSeparation = 1e-6;

QGradientStops GradientStops(const FillStyle &style, const ColorTransform &cx)
{
    std::vector<GradientStop> stops = style.stops;
    std::stable_sort(stops.begin(), stops.end(),
                     [](const GradientStop &a, const GradientStop &b) { return a.ratio < b.ratio; });
    QGradientStops result;
    for (const GradientStop &stop : stops) {
        result.append({std::clamp(stop.ratio / 255.0, 0.0, 1.0), QColor::fromRgba(cx.Apply(stop.color))});
    }
    // Later stops of a tie move forward; ties at the end move back, so the first and last colours
    // still pad the ends.
    for (qsizetype i = 1; i < result.size(); ++i) {
        result[i].first = std::max(result[i].first, result[i - 1].first + kStopSeparation);
    }
    for (qsizetype i = result.size() - 1; i >= 0; --i) {
        const double limit = i + 1 < result.size() ? result[i + 1].first - kStopSeparation : 1.0;
        if (result[i].first <= limit) {
            break;
        }
        result[i].first = limit;
    }
    return result;
}

QBrush GradientBrush(const FillStyle &style, const ColorTransform &cx)
{
    QGradientStops stops = GradientStops(style, cx);
    if (stops.isEmpty()) {
        return Qt::NoBrush;
    }
    // A collapsed gradient square shows only its outermost colour.
    if (std::abs(style.matrix.determinant()) < 1e-9) {
        return QBrush(stops.last().second);
    }
    QGradient gradient = style.kind == FillKind::Linear
                             ? static_cast<QGradient>(QLinearGradient(-kGradientHalfSize, 0, kGradientHalfSize, 0))
                             : static_cast<QGradient>(QRadialGradient(0, 0, kGradientHalfSize));
    gradient.setSpread(QGradient::PadSpread);
    // Records blend channel by channel, alpha included, as in every Flash-compatible player.
    gradient.setInterpolationMode(QGradient::ComponentInterpolation);
    gradient.setStops(stops);
    QBrush brush(gradient);
    brush.setTransform(style.matrix);
    return brush;
}

// Morph shapes of the display list at their ratios, built before any drawing starts so that the
// drawing threads only read them.
using MorphShapes = std::map<uint16_t, GroupPtr>;  // by depth

MorphShapes BuildMorphShapes(const Movie &movie, const DisplayList &list)
{
    MorphShapes shapes;
    for (const auto &[depth, object] : list) {
        const Character *character = movie.Find(object.characterId);
        if (const auto *morph = character ? std::get_if<MorphCharacter>(character) : nullptr) {
            shapes[depth] = morph->AtRatio(object.ratio);
        }
    }
    return shapes;
}

// A private copy of a shared path (for combining clip paths).
QPainterPath Own(const QPainterPath &path)
{
    QPainterPath copy;
    copy.setFillRule(path.fillRule());
    copy.addPath(path);
    return copy;
}

// Whether a group's line style is drawn one device pixel wide under transform.
bool DrawnThin(const LineStyle &style, const QTransform &transform)
{
    return style.width * DeviceScale(transform) < 1.0;
}

// Whether the group, drawn through transform, can touch the device rectangle clip. Widening the
// bounds (not the clip) keeps a hairline along an axis, whose bounds have no width or no height,
// from being culled.
bool Touches(const DrawnGroup &group, const QTransform &transform, const QRect &clip)
{
    const QRectF device = transform.mapRect(group.bounds);
    return device.adjusted(-kPaintMargin, -kPaintMargin, kPaintMargin, kPaintMargin).intersects(QRectF(clip));
}

// Readies the groups the display list shows in area before any drawing starts: the outlines of
// their visible wide lines are built and kept (within the budget), and, for bands drawn at once,
// QPainter's lazily built data of every shared path they draw is made here, once, so that the
// bands only read the paths (a path filled far outside a tiny image is converted and skipped).
class Preparer {
public:
    Preparer(const Movie &movie, const MorphShapes &morphs, const QRect &area, const QTransform &view, bool warm)
        : movie_(movie), morphs_(morphs), area_(area), view_(view), warm_(warm), image_(1, 1, QImage::Format_ARGB32)
    {
        if (warm_) {
            painter_.begin(&image_);
            painter_.setTransform(QTransform(1e-9, 0, 0, 1e-9, -1e9, -1e9));
        }
    }

    void Prepare(const DisplayList &list)
    {
        for (const auto &[depth, object] : list) {
            const Character *character = movie_.Find(object.characterId);
            const QTransform world = object.matrix * view_;
            if (character == nullptr || !Usable(world)) {
                continue;
            }
            if (const auto *shape = std::get_if<ShapeCharacter>(character)) {
                for (const GroupPtr &group : shape->groups) {
                    PrepareGroup(*group, world, object.clipDepth > 0);
                }
            } else if (auto morph = morphs_.find(depth); morph != morphs_.end()) {
                PrepareGroup(*morph->second, world, object.clipDepth > 0);
            }
        }
    }

private:
    void PrepareGroup(const DrawnGroup &group, const QTransform &world, bool clipLayer)
    {
        if (clipLayer || !Touches(group, world, area_)) {
            return;  // clip layers draw private copies
        }
        // Long fills are drawn from pieces cut for each band, never whole.
        for (size_t i = 0; i < group.fillPaths.size(); ++i) {
            if (!group.pieces || !group.pieces->Fill(i)) {
                Warm(group.fillPaths[i]);
            }
        }
        for (size_t i = 0; i < group.linePaths.size(); ++i) {
            const QPainterPath &line = group.linePaths[i];
            if (line.isEmpty()) {
                continue;
            }
            const QPainterPath *outline = nullptr;
            if (!DrawnThin(group.lines[i], world)) {
                outline = group.lineOutlines->Hold(i, line, group.lines[i].width);
            }
            Warm(outline ? *outline : line);
            if (outline == nullptr || outline->isEmpty()) {
                Warm(line);
            }
        }
    }

    void Warm(const QPainterPath &path)
    {
        if (warm_ && !path.isEmpty() && warmed_.insert(&path).second) {
            painter_.fillPath(path, Qt::black);
        }
    }

    const Movie &movie_;
    const MorphShapes &morphs_;
    QRect area_;
    QTransform view_;
    bool warm_;
    QImage image_;
    QPainter painter_;
    std::unordered_set<const QPainterPath *> warmed_;
};

// Draws the display list into one device rectangle (a band of the target).
class Renderer {
public:
    Renderer(const Movie &movie, const MorphShapes &morphs, QPainter &painter, const QRect &clip,
             const QTransform &view, Quality quality)
        : movie_(movie), morphs_(morphs), painter_(painter), clip_(clip), view_(view), quality_(quality)
    {
        painter_.setRenderHint(QPainter::Antialiasing, quality != Quality::Low);
        painter_.setRenderHint(QPainter::TextAntialiasing, quality != Quality::Low);
        painter_.setClipRect(clip_);
    }

    void Draw(const DisplayList &list)
    {
        for (const auto &[depth, object] : list) {
            DropEndedClips(depth);
            const Character *character = movie_.Find(object.characterId);
            if (character == nullptr) {
                continue;
            }
            QTransform world = object.matrix * view_;
            if (!Usable(world)) {
                continue;
            }
            if (object.clipDepth > 0) {
                PushClip(*character, depth, object, world);
                continue;
            }
            painter_.setTransform(world);
            DrawCharacter(*character, depth, object);
        }
    }

private:
    struct ActiveClip {
        uint16_t untilDepth;
        QPainterPath devicePath;
    };

    const DrawnGroup *MorphShape(uint16_t depth) const
    {
        auto found = morphs_.find(depth);
        return found == morphs_.end() ? nullptr : found->second.get();
    }

    bool Visible(const DrawnGroup &group) const { return Touches(group, painter_.transform(), clip_); }

    void DrawCharacter(const Character &character, uint16_t depth, const DisplayObject &object)
    {
        const ColorTransform &cx = object.colorTransform;
        if (const auto *shape = std::get_if<ShapeCharacter>(&character)) {
            for (const GroupPtr &group : shape->groups) {
                DrawGroup(*group, cx);
            }
        } else if (const DrawnGroup *morph = MorphShape(depth)) {
            DrawGroup(*morph, cx);
        } else if (const auto *text = std::get_if<EditTextCharacter>(&character)) {
            DrawEditText(movie_, *text, painter_, cx, quality_);
        }
        // Bitmaps and fonts are only drawn through the characters that use them.
    }

    void DrawGroup(const DrawnGroup &group, const ColorTransform &cx)
    {
        if (!Visible(group)) {
            return;
        }
        for (size_t i = 0; i < group.fillPaths.size(); ++i) {
            if (group.fillPaths[i].isEmpty()) {
                continue;
            }
            if (const PathPieces *pieces = group.pieces ? group.pieces->Fill(i) : nullptr) {
                DrawFillPieces(*pieces, group.fills[i], cx);
            } else {
                DrawFill(group.fillPaths[i], group.fills[i], cx);
            }
        }
        for (size_t i = 0; i < group.linePaths.size(); ++i) {
            if (!group.linePaths[i].isEmpty()) {
                DrawLine(group, i, cx);
            }
        }
    }

    void DrawFill(const QPainterPath &path, const FillStyle &style, const ColorTransform &cx)
    {
        switch (style.kind) {
        case FillKind::Solid:
            painter_.fillPath(path, QColor::fromRgba(cx.Apply(style.color)));
            break;
        case FillKind::Linear:
        case FillKind::Radial:
            painter_.fillPath(path, GradientBrush(style, cx));
            break;
        case FillKind::Bitmap:
            DrawBitmapFill(path, style, cx);
            break;
        }
    }

    // A long fill is filled tile by tile, each tile cut down to its own edges; under a clipping
    // layer, or with a bitmap, it is drawn as one path cut down to the band.
    void DrawFillPieces(const PathPieces &pieces, const FillStyle &style, const ColorTransform &cx)
    {
        auto *image = dynamic_cast<QImage *>(painter_.device());
        const QTransform world = painter_.transform();
        const QRect device(0, 0, painter_.device()->width(), painter_.device()->height());
        if (image != nullptr && clips_.empty() && style.kind != FillKind::Bitmap && TileableTransform(world)) {
            const QBrush brush = style.kind == FillKind::Solid ? QBrush(QColor::fromRgba(cx.Apply(style.color)))
                                                               : GradientBrush(style, cx);
            FillInTiles(*image, device, clip_, pieces, world, brush, quality_ != Quality::Low);
        } else {
            DrawFill(FillCutTo(pieces, device, world), style, cx);
        }
    }

    void DrawBitmapFill(const QPainterPath &path, const FillStyle &style, const ColorTransform &cx)
    {
        const Character *character = movie_.Find(style.bitmapId);
        const auto *bitmap = character ? std::get_if<BitmapCharacter>(character) : nullptr;
        if (bitmap == nullptr || bitmap->image.isNull()) {
            return;
        }
        const QImage &shared = bitmap->image;
        const bool alphaOnly = cx.IsAlphaScaleOnly();
        // A read-only view of the shared pixels (or a recoloured copy).
        const QImage image = alphaOnly || cx.IsIdentity()
                                 ? QImage(shared.constBits(), shared.width(), shared.height(), shared.bytesPerLine(),
                                          shared.format())
                                 : cx.Apply(shared);
        painter_.save();
        painter_.setRenderHint(QPainter::SmoothPixmapTransform, style.smoothed && quality_ >= Quality::High);
        if (alphaOnly) {
            painter_.setOpacity(std::clamp(cx.mult[3] / 256.0, 0.0, 1.0));
        }
        if (style.clipped) {
            painter_.setClipPath(path, Qt::IntersectClip);
            painter_.setTransform(style.matrix * painter_.transform());
            painter_.drawImage(QPointF(0, 0), image);
        } else {
            QBrush brush(image);
            brush.setTransform(style.matrix);
            painter_.fillPath(path, brush);
        }
        painter_.restore();
    }

    // A wide line fills its outline: the one kept, else one built for this drawing when it fits
    // the budget. Thin lines, and lines whose outline would not fit, are one device pixel wide.
    void DrawLine(const DrawnGroup &group, size_t index, const ColorTransform &cx)
    {
        const LineStyle &style = group.lines[index];
        const QPainterPath &line = group.linePaths[index];
        QColor color = QColor::fromRgba(cx.Apply(style.color));
        const QPainterPath *outline = nullptr;
        QPainterPath built;
        if (!DrawnThin(style, painter_.transform())) {
            outline = group.lineOutlines->Held(index);
            if (outline == nullptr && EstimatedOutlineElements(line) <= kMaxOutlineElements) {
                built = LineOutline(line, style.width);
                outline = &built;
            }
        }
        if (outline == nullptr || outline->isEmpty()) {
            QPen pen(color, 1.0);
            pen.setCosmetic(true);
            pen.setCapStyle(Qt::RoundCap);
            pen.setJoinStyle(Qt::RoundJoin);
            painter_.strokePath(line, pen);
        } else {
            painter_.fillPath(*outline, color);
        }
    }

    // ---- Clipping layers ----

    void PushClip(const Character &character, uint16_t depth, const DisplayObject &object, const QTransform &world)
    {
        QPainterPath local;
        local.setFillRule(Qt::WindingFill);
        auto addFills = [&local](const DrawnGroup &group) {
            for (const QPainterPath &fill : group.fillPaths) {
                if (!fill.isEmpty()) {
                    local = local.isEmpty() ? Own(fill) : local.united(Own(fill));
                }
            }
        };
        if (const auto *shape = std::get_if<ShapeCharacter>(&character)) {
            for (const GroupPtr &group : shape->groups) {
                addFills(*group);
            }
        } else if (const DrawnGroup *morph = MorphShape(depth)) {
            addFills(*morph);
        } else if (const auto *text = std::get_if<EditTextCharacter>(&character)) {
            local.addRect(text->bounds);
        }
        clips_.push_back({object.clipDepth, world.map(local)});
        ApplyClips();
    }

    void DropEndedClips(uint16_t depth)
    {
        size_t before = clips_.size();
        clips_.erase(std::remove_if(clips_.begin(), clips_.end(),
                                    [depth](const ActiveClip &clip) { return clip.untilDepth < depth; }),
                     clips_.end());
        if (clips_.size() != before) {
            ApplyClips();
        }
    }

    void ApplyClips()
    {
        painter_.resetTransform();
        painter_.setClipRect(clip_);
        for (const ActiveClip &clip : clips_) {
            painter_.setClipPath(clip.devicePath, Qt::IntersectClip);
        }
    }

    const Movie &movie_;
    const MorphShapes &morphs_;
    QPainter &painter_;
    QRect clip_;
    QTransform view_;
    Quality quality_;
    std::vector<ActiveClip> clips_;
};

// Without anti-aliasing a pixel is drawn when its centre lies inside a shape. A centre exactly on
// an edge belongs to the shape right of (below) the edge, as in Flash-compatible players: a
// one-pixel line centred on a pixel boundary lights the column left of it (the row above). The
// rasteriser decides such ties the other way, so the picture is drawn 1/32 pixel up and left:
// enough to decide every tie at the rasteriser's 1/64-pixel precision, and less than a twip at
// full size, so nothing but the ties moves.
constexpr double kTieShift = 1.0 / 32;

QTransform PixelCentreConvention(const QTransform &view)
{
    return view * QTransform::fromTranslate(-kTieShift, -kTieShift);
}

// Bands of at least this many rows, one per thread, when the area is large enough to pay for
// the threads.
constexpr int kMinBandRows = 96;
constexpr int kMaxBands = 8;
constexpr int64_t kMinThreadedPixels = 256 * 256;

int BandCount(const QRect &clip)
{
    if (static_cast<int64_t>(clip.width()) * clip.height() < kMinThreadedPixels) {
        return 1;
    }
    int cores = static_cast<int>(std::thread::hardware_concurrency());
    return std::clamp(std::min(cores, clip.height() / kMinBandRows), 1, kMaxBands);
}

}  // namespace

bool ColorTransform::IsIdentity() const
{
    return std::all_of(std::begin(mult), std::end(mult), [](int32_t m) { return m == 256; }) &&
           std::all_of(std::begin(add), std::end(add), [](int32_t a) { return a == 0; });
}

bool ColorTransform::IsAlphaScaleOnly() const
{
    return mult[0] == 256 && mult[1] == 256 && mult[2] == 256 && mult[3] != 256 &&
           std::all_of(std::begin(add), std::end(add), [](int32_t a) { return a == 0; });
}

QRgb ColorTransform::Apply(QRgb color) const
{
    auto channel = [this](int value, int i) {
        return ClampChannel(static_cast<int64_t>(value) * mult[i] / 256 + add[i]);
    };
    return qRgba(channel(qRed(color), 0), channel(qGreen(color), 1), channel(qBlue(color), 2),
                 channel(qAlpha(color), 3));
}

QImage ColorTransform::Apply(const QImage &image) const
{
    QImage result = image.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < result.height(); ++y) {
        auto *line = reinterpret_cast<QRgb *>(result.scanLine(y));
        for (int x = 0; x < result.width(); ++x) {
            line[x] = Apply(line[x]);
        }
    }
    return result.convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

void RenderDisplayList(const Movie &movie, const DisplayList &list, QImage &target, const QRect &picture,
                       const QRect &clip, const QTransform &view, Quality quality)
{
    const QRect whole = picture.intersected(target.rect());
    const QRect area = clip.intersected(whole);
    if (area.isEmpty() || list.empty()) {
        return;
    }
    const MorphShapes morphs = BuildMorphShapes(movie, list);
    const QTransform drawn = quality == Quality::Low ? PixelCentreConvention(view) : view;
    const int bands = BandCount(whole);
    if (bands == 1) {
        Preparer(movie, morphs, area, drawn, false).Prepare(list);
        QPainter painter(&target);
        Renderer(movie, morphs, painter, area, drawn, quality).Draw(list);
        return;
    }
    // Each band paints through its own image over the target's rows, so the painters never
    // share a device. The bands split the whole picture, not the area repainted: a pixel is
    // always drawn through the same band transform, so a repainted part matches a whole render.
    uchar *pixels = target.bits();
    const qsizetype stride = target.bytesPerLine();
    auto drawBand = [&](int top, int bottom) {
        QImage band(pixels + stride * top, target.width(), bottom - top, stride, target.format());
        QPainter painter(&band);
        const QRect bandClip = area.intersected(QRect(whole.left(), top, whole.width(), bottom - top));
        Renderer(movie, morphs, painter, bandClip.translated(0, -top), drawn * QTransform::fromTranslate(0, -top),
                 quality)
            .Draw(list);
    };
    std::vector<std::pair<int, int>> touched;
    for (int i = 0; i < bands; ++i) {
        const int top = whole.top() + whole.height() * i / bands;
        const int bottom = whole.top() + whole.height() * (i + 1) / bands;
        if (top <= area.bottom() && bottom > area.top()) {
            touched.emplace_back(top, bottom);
        }
    }
    const bool threaded = touched.size() > 1;
    Preparer(movie, morphs, area, drawn, threaded).Prepare(list);
    if (!threaded) {
        drawBand(touched.front().first, touched.front().second);
        return;
    }
    // The bands run on the global pool: Qt's raster fills then stay within their band instead of
    // splitting every large fill again across the pool's threads already busy with other bands.
    // A band no idle pool thread takes is drawn here, so nothing waits on queued work.
    QThreadPool *pool = QThreadPool::globalInstance();
    QSemaphore done;
    int started = 0;
    for (const auto &[top, bottom] : touched) {
        auto task = [&drawBand, &done, top = top, bottom = bottom] {
            drawBand(top, bottom);
            done.release();
        };
        if (pool->tryStart(task)) {
            ++started;
        } else {
            drawBand(top, bottom);
        }
    }
    done.acquire(started);
}

}  // namespace platform::swf
