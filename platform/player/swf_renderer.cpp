// Draws a display list with QPainter: shapes by style group (fills even-odd, then lines), morph
// shapes at their ratio, bitmaps, text fields, colour transforms and clipping layers.
#include "platform/player/swf_renderer.h"

#include "platform/base/parallel_for.h"
#include "platform/player/player_testing.h"
#include "platform/player/swf_bitmaps.h"
#include "platform/player/swf_compound_fill.h"
#include "platform/player/swf_gradient_fill.h"
#include "platform/player/swf_hiding_fills.h"
#include "platform/player/swf_line_outline.h"
#include "platform/player/swf_path_pieces.h"
#include "platform/player/swf_repaint_cost.h"
#include "platform/player/swf_text.h"

#include <QLinearGradient>
#include <QPainter>
#include <QRadialGradient>
#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdint>
#include <limits>
#include <new>
#include <optional>
#include <unordered_map>

namespace platform {

namespace {

std::atomic<bool> hiddenGroupsDrawn{false};

}  // namespace

void DrawHiddenGroupsForTest(bool drawn)
{
    hiddenGroupsDrawn.store(drawn, std::memory_order_relaxed);
}

}  // namespace platform

namespace platform::swf {

namespace {

bool SkipsHiddenGroups()
{
    return !hiddenGroupsDrawn.load(std::memory_order_relaxed);
}

constexpr double kMaxTransformTerm = 1e9;    // beyond this a placement is nonsense and skipped

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

// A private copy of a shared path (for combining clip paths).
QPainterPath UnsharedCopy(const QPainterPath &path)
{
    QPainterPath copy;
    copy.setFillRule(path.fillRule());
    copy.addPath(path);
    return copy;
}

// Whether a line of one straight element (a dot, as the drawn groups make one) stays within a
// device pixel at scale device pixels per twip.
bool WithinAPixel(const QPainterPath &line, double scale)
{
    if (line.elementCount() != 2 || line.elementAt(1).type != QPainterPath::LineToElement) {
        return false;
    }
    const QPointF along = QPointF(line.elementAt(1)) - QPointF(line.elementAt(0));
    return std::abs(along.x()) * scale < 1 && std::abs(along.y()) * scale < 1;
}

// Whether a line style is drawn one device pixel wide at scale device pixels per twip.
bool DrawnThin(const LineStyle &style, double scale)
{
    return style.width * scale < 1.0;
}

// A group to draw through its placement, with the device area it may touch (bounds widened by
// the paint margin; widening the bounds, not the clip, keeps a hairline along an axis, whose
// bounds have no width or no height, from being culled).
struct GroupDraw {
    const DrawnGroup *group = nullptr;
    QTransform world;
    double scale = 0;  // device pixels per twip
    QRectF device;
    // The kept outlines of its lines at scale (by line style; an empty path where none is kept),
    // taken from the group before drawing starts; null when none is kept.
    const CompactPaths *outlines = nullptr;
};

// A display-list object as every band walks it: a clip layer, text, or the visible groups of a
// shape or morph shape (groups[firstGroup, endGroup) of the scene).
struct PlacedObject {
    uint16_t depth = 0;
    const DisplayObject *object = nullptr;
    const Character *character = nullptr;
    QTransform world;
    GroupPtr morph;  // the morph shape at the object's ratio
    size_t firstGroup = 0;
    size_t endGroup = 0;
};

// What one render draws, decided once before the bands start: each visible group's transform and
// device area, in painting order.
struct Scene {
    std::vector<PlacedObject> objects;
    std::vector<GroupDraw> groups;
    std::vector<CompactPaths> outlines;  // what the groups' outlines point into, by group (sharing the kept ones)
};

// Groups whose shared paths must be readied before drawing, each once, at the largest scale it is
// drawn at.
struct Readying {
    const DrawnGroup *group;
    double scale;
};

// A group drawn through world as a scene draws it, when it reaches into area.
std::optional<GroupDraw> Visible(const DrawnGroup &group, const QTransform &world, const QRectF &area)
{
    const QRectF device =
        world.mapRect(group.bounds).adjusted(-kPaintMargin, -kPaintMargin, kPaintMargin, kPaintMargin);
    if (!device.intersects(area)) {
        return std::nullopt;
    }
    return GroupDraw{&group, world, DeviceScale(world), device};
}

// Whether a group to draw has lines whose outlines are not readied for its scale yet.
bool Unreadied(const GroupDraw &draw)
{
    if (draw.group->lines.empty()) {
        return false;
    }
    return !draw.group->outlines->Readied(draw.scale);
}

// Shapes of more groups than this are looked at in parts of as many on several threads when a
// scene is built.
constexpr size_t kGroupsPerSceneJob = 8192;

// What a scene makes of a group of a shape: nothing (it lies outside the area), a group to draw,
// or one whose lines are to be readied too.
enum class GroupMark : uint8_t { Hidden, Visible, Unreadied };

Scene BuildScene(const Movie &movie, const DisplayList &list, const QRect &area, const QTransform &view,
                 const ItemRange &range, std::vector<Readying> &readying)
{
    Scene scene;
    const QRectF areaF(area);
    std::unordered_map<const OutlineCache *, size_t> queued;
    // Enters the lines of a group in the scene among those to ready, each group's outlines once.
    auto queue = [&](const GroupDraw &draw) {
        auto [at, added] = queued.try_emplace(draw.group->outlines.get(), readying.size());
        if (added) {
            readying.push_back({draw.group, draw.scale});
        } else {
            readying[at->second].scale = std::max(readying[at->second].scale, draw.scale);
        }
    };
    auto addGroup = [&](const DrawnGroup &group, const QTransform &world) {
        if (const std::optional<GroupDraw> draw = Visible(group, world, areaF)) {
            scene.groups.push_back(*draw);
            if (Unreadied(*draw)) {
                queue(*draw);
            }
        }
    };
    // A long run of a shape's groups: marked in parts, then the visible ones made in parts in
    // their places, and those with lines to ready entered in order.
    auto addGroups = [&](const ShapeCharacter &shape, size_t begin, size_t end, const QTransform &world) {
        const size_t parts = (end - begin + kGroupsPerSceneJob - 1) / kGroupsPerSceneJob;
        auto partBegin = [&](size_t part) { return std::min(end, begin + part * kGroupsPerSceneJob); };
        std::vector<GroupMark> marks(end - begin, GroupMark::Hidden);
        // The visible groups of each part (part p at p + 1), then where each part's first one goes.
        std::vector<size_t> visible(parts + 1, 0);
        auto visibleAt = [&](size_t i) { return Visible(*shape.groups[i].group, shape.groups[i].At(world), areaF); };
        platform::ParallelFor(parts, [&](size_t p) {
            for (size_t i = partBegin(p); i < partBegin(p + 1); ++i) {
                if (const std::optional<GroupDraw> draw = visibleAt(i)) {
                    marks[i - begin] = Unreadied(*draw) ? GroupMark::Unreadied : GroupMark::Visible;
                    ++visible[p + 1];
                }
            }
        });
        const size_t first = scene.groups.size();
        for (size_t p = 0; p < parts; ++p) {
            visible[p + 1] += visible[p];
        }
        scene.groups.resize(first + visible[parts]);
        platform::ParallelFor(parts, [&](size_t p) {
            size_t at = first + visible[p];
            for (size_t i = partBegin(p); i < partBegin(p + 1); ++i) {
                if (marks[i - begin] != GroupMark::Hidden) {
                    scene.groups[at++] = *visibleAt(i);
                }
            }
        });
        size_t at = first;
        for (size_t i = begin; i < end; ++i) {
            if (marks[i - begin] == GroupMark::Unreadied) {
                queue(scene.groups[at]);
            }
            at += marks[i - begin] != GroupMark::Hidden ? 1 : 0;
        }
    };
    size_t firstItem = 0;  // the paint item index of the object's first item
    for (const auto &[depth, object] : list) {
        const Character *character = movie.Find(object.characterId);
        if (character == nullptr) {
            continue;
        }
        const size_t items = ItemCount(*character);
        const size_t begin = std::clamp(range.begin, firstItem, firstItem + items) - firstItem;
        const size_t end = std::clamp(range.end, firstItem, firstItem + items) - firstItem;
        const size_t objectFirst = firstItem;
        firstItem += items;
        const QTransform world = object.matrix * view;
        if (!Usable(world) || (begin == end && object.clipDepth == 0)) {
            continue;
        }
        PlacedObject placed{depth, &object, character, world, nullptr, scene.groups.size(), 0};
        const auto *shape = std::get_if<ShapeCharacter>(character);
        if (const auto *morph = std::get_if<MorphCharacter>(character)) {
            placed.morph = morph->AtRatio(object.ratio);
        }
        if (object.clipDepth == 0) {  // clip layers draw private copies
            if (shape != nullptr && range.among != nullptr) {
                const std::vector<size_t> &among = *range.among;
                for (auto at = std::lower_bound(among.begin(), among.end(), objectFirst + begin);
                     at != among.end() && *at < objectFirst + end; ++at) {
                    const PlacedGroup &group = shape->groups[*at - objectFirst];
                    addGroup(*group.group, group.At(world));
                }
            } else if (shape != nullptr) {
                addGroups(*shape, begin, end, world);
            } else if (placed.morph) {
                addGroup(*placed.morph, world);
            }
        }
        placed.endGroup = scene.groups.size();
        // Shapes with nothing in the area are left out; clip layers and text in range take part.
        if (object.clipDepth > 0 || placed.endGroup > placed.firstGroup ||
            std::holds_alternative<EditTextCharacter>(*character)) {
            scene.objects.push_back(std::move(placed));
        }
    }
    return scene;
}

// What a job readying groups keeps from group to group: the lines outlined, their paths and the
// room their outlines are kept from.
struct ReadyingRoom {
    PathsMade made;
    std::vector<OutlinedLine> lines;
    CompactPaths::Builder kept;
};

// Readies a group before any drawing starts: the outlines of its lines drawn wide at the scale are
// built and kept (within the budget). Renders on several threads may ready the same shared group
// at different scales; its outline cache decides under its own lock.
void Ready(const Readying &what, RenderCounts &counts, ReadyingRoom &room)
{
    const DrawnGroup &group = *what.group;
    OutlineCache &outlines = *group.outlines;
    if (outlines.Readied(what.scale)) {
        return;
    }
    room.lines.assign(group.lines.size(), OutlinedLine());
    for (size_t i = 0; i < group.lines.size(); ++i) {
        if (!group.LineEmpty(i) && !DrawnThin(group.lines[i], what.scale)) {
            room.lines[i] = {&group.LinePath(i, room.made), group.lines[i].width};
        }
    }
    outlines.Ready(room.lines, what.scale, counts, room.kept);
}

// Groups readied per job.
constexpr size_t kReadyingPerJob = 128;

// Readies the groups, each by one thread, each job counting its own work.
void ReadyAll(const std::vector<Readying> &readying, RenderCounts &counts)
{
    const size_t jobs = (readying.size() + kReadyingPerJob - 1) / kReadyingPerJob;
    std::vector<RenderCounts> jobCounts(jobs);
    platform::ParallelFor(jobs, [&readying, &jobCounts](size_t job) {
        const size_t begin = job * kReadyingPerJob;
        ReadyingRoom room;
        for (size_t i = begin; i < std::min(readying.size(), begin + kReadyingPerJob); ++i) {
            Ready(readying[i], jobCounts[job], room);
        }
    });
    for (const RenderCounts &job : jobCounts) {
        counts += job;
    }
}

// The pixels of a group's gradient and bitmap fills, one area each, in memory a band keeps from
// group to group: allocating them per group costs more than painting them when groups are small,
// and the allocator maps and unmaps large blocks anew each time.
class SourcePixels {
public:
    // Begins a group with count sources covering size each.
    void Start(const QSize &size, size_t count)
    {
        size_ = size;
        area_ = static_cast<size_t>(size.width()) * static_cast<size_t>(size.height());
        used_ = 0;
        if (pixels_.size() < area_ * count) {
            try {
                pixels_.resize(area_ * count);
            } catch (const std::bad_alloc &) {
                pixels_ = {};  // each image allocated on its own (null where no memory is left)
            }
        }
    }

    // A transparent image of the size over memory of its own, until Finish.
    QImage Next()
    {
        if (pixels_.size() < used_ + area_) {
            QImage own(size_, QImage::Format_ARGB32_Premultiplied);
            own.fill(Qt::transparent);
            return own;
        }
        QRgb *start = pixels_.data() + used_;
        std::fill(start, start + area_, 0u);
        used_ += area_;
        return QImage(reinterpret_cast<uchar *>(start), size_.width(), size_.height(),
                      static_cast<qsizetype>(size_.width()) * 4, QImage::Format_ARGB32_Premultiplied);
    }

    // Ends the group: its images are no longer used. Memory past kKeptPixels is given back.
    void Finish()
    {
        if (pixels_.size() > kKeptPixels) {
            pixels_ = {};
        }
    }

private:
    static constexpr size_t kKeptPixels = size_t(1) << 22;

    QSize size_;
    size_t area_ = 0;
    size_t used_ = 0;
    std::vector<QRgb> pixels_;
};

// Groups of a scene whose kept outlines are taken per job.
constexpr size_t kOutlinesTakenPerJob = 4096;

// Takes the kept outlines of the scene's lines (copies sharing their allocations), for drawing
// without touching the groups' own.
void CopyKeptOutlines(Scene &scene)
{
    scene.outlines.assign(scene.groups.size(), CompactPaths());
    platform::RunInParts(scene.groups.size(), kOutlinesTakenPerJob, [&scene](size_t, size_t begin, size_t end) {
        for (size_t g = begin; g < end; ++g) {
            GroupDraw &draw = scene.groups[g];
            if (draw.group->lines.empty()) {
                continue;
            }
            if (std::optional<CompactPaths> kept = draw.group->outlines->Copy(draw.scale)) {
                scene.outlines[g] = std::move(*kept);
                draw.outlines = &scene.outlines[g];
            }
        }
    });
}

// Draws a scene into one device rectangle (a band of the target). offset moves the scene's
// device coordinates to the painter's.
class Renderer {
public:
    // partial holds the pixels of clip (in the scene's device pixels) where partial covers are
    // kept from group to group.
    Renderer(const Movie &movie, QPainter &painter, const QRect &clip, const QTransform &offset, Quality quality,
             RenderCounts &counts, const std::atomic<bool> *cancel, const PartialRows &partial)
        : movie_(movie), painter_(painter), clip_(clip), offset_(offset), quality_(quality), counts_(counts),
          cancel_(cancel), partial_(partial)
    {
        painter_.setRenderHint(QPainter::Antialiasing, quality != Quality::Low);
        painter_.setRenderHint(QPainter::TextAntialiasing, quality != Quality::Low);
        painter_.setClipRect(clip_);
        sceneClip_ = offset_.inverted().mapRect(QRectF(clip_));
    }

    void Draw(const Scene &scene)
    {
        FindHidingFills(scene);
        size_t drawn = 0;
        for (const PlacedObject &placed : scene.objects) {
            if (Cancelled(drawn)) {
                return;
            }
            DropEndedClips(placed.depth);
            if (placed.object->clipDepth > 0) {
                PushClip(placed);
                continue;
            }
            const ColorTransform &cx = placed.object->colorTransform;
            for (size_t i = placed.firstGroup; i < placed.endGroup; ++i) {
                const GroupDraw &draw = scene.groups[i];
                if (Cancelled(drawn)) {
                    return;
                }
                if (!draw.device.intersects(sceneClip_)) {
                    continue;
                }
                shownArea_ = hiding_.Looking()
                                 ? std::optional(hiding_.ShownArea(draw.device, static_cast<int32_t>(i)))
                                 : std::nullopt;
                if (!shownArea_ || !shownArea_->isEmpty()) {
                    SetTransform(draw.world);
                    DrawGroup(draw, cx);
                }
            }
            shownArea_.reset();
            if (const auto *text = std::get_if<EditTextCharacter>(placed.character)) {
                SetTransform(placed.world);
                partial_.Forget(sceneClip_.toAlignedRect());
                DrawEditText(movie_, *text, painter_, cx, quality_);
            }
            // Bitmaps and fonts are only drawn through the characters that use them.
        }
    }

private:
    // Whether to stop, looked at before the first and every 16th object or group drawn.
    bool Cancelled(size_t &drawn) const
    {
        return cancel_ != nullptr && drawn++ % 16 == 0 && cancel_->load(std::memory_order_relaxed);
    }

    struct ActiveClip {
        uint16_t untilDepth;
        QPainterPath devicePath;
    };

    void SetTransform(const QTransform &world)
    {
        if (!transformSet_ || world != world_) {
            world_ = world;
            transformSet_ = true;
            painter_.setTransform(world * offset_);
        }
    }

    void DrawGroup(const GroupDraw &draw, const ColorTransform &cx)
    {
        const DrawnGroup &group = *draw.group;
        if (!FillTogether(draw, cx)) {
            PainterDraws(draw);
            for (size_t i = 0; i < group.fills.size(); ++i) {
                if (group.FillEmpty(i)) {
                    continue;
                }
                if (const PathPieces *pieces = group.pieces ? group.pieces->Fill(i) : nullptr) {
                    DrawFillPieces(*pieces, group.fills[i], cx);
                } else {
                    DrawFill(group.FillPath(i, made_), group.fills[i], cx);
                }
            }
        }
        for (size_t i = 0; i < group.lines.size(); ++i) {
            if (!group.LineEmpty(i)) {
                DrawLine(draw, i, cx);
            }
        }
    }

    // The scene row of the band image's first row, where the compound rasteriser can draw into
    // the band; none where the painter must: under a clipping layer or into another kind of device.
    std::optional<int> CompoundImageTop() const
    {
        auto *image = dynamic_cast<QImage *>(painter_.device());
        if (!clips_.empty() || image == nullptr || !CompoundFillable(*image) ||
            offset_.type() > QTransform::TxTranslate || offset_.dx() != 0) {
            return std::nullopt;
        }
        return -static_cast<int>(std::lround(offset_.dy()));
    }

    // Where the compound rasteriser draws a group into the band: the band's image, its clip
    // within the group's device area (in scene pixels; possibly empty). None where the painter
    // must draw it.
    std::optional<CompoundTarget> CompoundTargetOf(const GroupDraw &draw) const
    {
        const std::optional<int> imageTop = CompoundImageTop();
        if (!imageTop) {
            return std::nullopt;
        }
        QRect band = clip_.translated(0, *imageTop);
        if (shownArea_) {
            band &= *shownArea_;
        }
        const QRect clip = QRectF(band).intersected(draw.device).toAlignedRect().intersected(band);
        return CompoundTarget{static_cast<QImage *>(painter_.device()), *imageTop, clip, partial_};
    }

    // Before the painter draws a group: the partial covers where it may draw are forgotten.
    void PainterDraws(const GroupDraw &draw)
    {
        if (partial_) {
            partial_.Forget(draw.device.adjusted(-kPaintMargin, -kPaintMargin, kPaintMargin, kPaintMargin)
                                .intersected(sceneClip_)
                                .toAlignedRect());
        }
    }

    // ---- Groups hidden by later fills (swf_hiding_fills.h) ----

    // Marks the tiles of the band that later groups' fills hide, looking from the last group
    // down: a hidden group hides nothing more.
    void FindHidingFills(const Scene &scene)
    {
        hiding_.Stop();
        const std::optional<int> imageTop = CompoundImageTop();
        if (quality_ == Quality::Low || !imageTop || !SkipsHiddenGroups() ||
            scene.groups.size() >= size_t(std::numeric_limits<int32_t>::max())) {
            return;
        }
        for (const PlacedObject &placed : scene.objects) {
            if (placed.object->clipDepth > 0) {
                return;
            }
        }
        hiding_.Start(clip_.translated(0, *imageTop));
        for (auto placed = scene.objects.rbegin(); placed != scene.objects.rend(); ++placed) {
            for (size_t i = placed->endGroup; i-- > placed->firstGroup;) {
                const GroupDraw &draw = scene.groups[i];
                const auto index = static_cast<int32_t>(i);
                if (!draw.device.intersects(sceneClip_) || hiding_.ShownArea(draw.device, index).isEmpty()) {
                    continue;
                }
                if (const std::optional<size_t> fill = OpaqueFill(*draw.group, placed->object->colorTransform)) {
                    hiding_.Cover(draw.group->FillPath(*fill, hidingMade_), draw.world, draw.device, index);
                }
            }
        }
    }

    static bool HasLines(const DrawnGroup &group)
    {
        for (size_t i = 0; i < group.lines.size(); ++i) {
            if (!group.LineEmpty(i)) {
                return true;
            }
        }
        return false;
    }

    // Anti-aliased fills of a group are drawn together, so that their coverages add up along the
    // edges they share (false where they cannot be: without anti-aliasing, under a clipping layer
    // or into another kind of device, where each fill is drawn on its own).
    bool FillTogether(const GroupDraw &draw, const ColorTransform &cx)
    {
        const std::optional<CompoundTarget> target = CompoundTargetOf(draw);
        if (quality_ == Quality::Low || !target) {
            return false;
        }
        QImage *image = target->image;
        const int imageTop = target->imageTop;
        const QRect clip = target->clip;
        if (clip.isEmpty()) {
            return true;
        }
        const DrawnGroup &group = *draw.group;
        // A gradient's pixels each take the colour at their own centre, so only the clip's are
        // painted. Bitmaps are painted over an area that starts where the group or the band
        // does, whatever part of the band is drawn, so that the painter computes every pixel
        // alike in a whole render and in a part repainted.
        auto within = [](double value, int low, int high) {
            return static_cast<int>(std::clamp(value, double(low), double(high)));
        };
        const QRect sourceArea =
            HasBitmapFill(group)
                ? QRect(QPoint(within(std::floor(draw.device.left()), 0, clip.left()),
                               within(std::floor(draw.device.top()), imageTop, clip.top())),
                        QPoint(within(std::ceil(draw.device.right()), clip.right(), image->width() - 1), clip.bottom()))
                : clip;
        // Kept from group to group: a band draws thousands of groups, most of them small.
        std::vector<const QPainterPath *> &paths = fillPaths_;
        std::vector<CompoundSource> &sources = fillSources_;
        std::vector<QImage> &images = fillImages_;
        const size_t fills = group.fills.size();
        paths.assign(fills, nullptr);
        sources.assign(fills, CompoundSource());
        images.assign(fills, QImage());
        size_t painted = 0;  // fills whose pixels are painted first
        for (size_t i = 0; i < fills; ++i) {
            painted += !group.FillEmpty(i) && group.fills[i].kind != FillKind::Solid ? 1 : 0;
        }
        sourcePixels_.Start(sourceArea.size(), painted);
        for (size_t i = 0; i < fills; ++i) {
            if (group.FillEmpty(i)) {
                continue;
            }
            paths[i] = &group.FillPath(i, made_);
            const FillStyle &style = group.fills[i];
            if (style.kind == FillKind::Solid) {
                sources[i].color = qPremultiply(cx.Apply(style.color));
                continue;
            }
            images[i] = sourcePixels_.Next();
            FillSource(images[i], style, cx, draw.world, sourceArea.topLeft());
            sources[i].image = &images[i];
            sources[i].origin = sourceArea.topLeft();
        }
        // A group's lines go over its fills' edges and forget what they leave partly covered
        // there: the fills need not keep it.
        CompoundTarget fillTarget = *target;
        fillTarget.forgetsPartial = HasLines(group);
        FillCompound(fillTarget, paths, sources, draw.world, counts_);
        images.clear();
        sourcePixels_.Finish();
        return true;
    }

    // Paints into source (transparent, premultiplied) the pixels a gradient or bitmap fill paints
    // over the scene pixels from origin on, wherever its shape is.
    void FillSource(QImage &source, const FillStyle &style, const ColorTransform &cx, const QTransform &world,
                    const QPoint &origin)
    {
        const QTransform toSource = world * QTransform::fromTranslate(-origin.x(), -origin.y());
        if (style.kind != FillKind::Bitmap) {
            PaintGradient(source, style, cx, style.matrix * toSource);
            return;
        }
        bool alphaOnly = false;
        const QImage image = BitmapPixels(style, cx, alphaOnly);
        if (image.isNull()) {
            return;
        }
        if (style.clipped) {
            PaintClampedBitmap(source, origin, Clamped(image, style, cx, alphaOnly, world));
            return;
        }
        QPainter painter(&source);
        painter.setRenderHint(QPainter::SmoothPixmapTransform, Smoothed(style));
        if (alphaOnly) {
            painter.setOpacity(AlphaOpacity(cx));
        }
        QBrush brush(image);
        brush.setTransform(style.matrix * toSource);
        painter.fillRect(source.rect(), brush);
    }

    bool Smoothed(const FillStyle &style) const { return style.smoothed && quality_ >= Quality::High; }

    static double AlphaOpacity(const ColorTransform &cx) { return std::clamp(cx.mult[3] / 256.0, 0.0, 1.0); }

    // How a clipped bitmap fill paints image (its bitmap's pixels) through world.
    ClampedBitmap Clamped(const QImage &image, const FillStyle &style, const ColorTransform &cx, bool alphaOnly,
                          const QTransform &world) const
    {
        return {&image, style.matrix * world, Smoothed(style), alphaOnly ? AlphaOpacity(cx) : 1.0};
    }

    void DrawFill(const QPainterPath &shared, const FillStyle &style, const ColorTransform &cx)
    {
        const QPainterPath path = CopyToDraw(shared);
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
            FillInTiles(*image, device, clip_, pieces, world, brush, quality_ != Quality::Low, counts_);
        } else {
            DrawFill(FillCutTo(pieces, device, world), style, cx);
        }
    }

    void DrawBitmapFill(const QPainterPath &path, const FillStyle &style, const ColorTransform &cx)
    {
        bool alphaOnly = false;
        const QImage image = BitmapPixels(style, cx, alphaOnly);
        if (image.isNull()) {
            return;
        }
        if (style.clipped) {
            DrawClippedBitmapFill(path, Clamped(image, style, cx, alphaOnly, painter_.transform()));
            return;
        }
        painter_.save();
        painter_.setRenderHint(QPainter::SmoothPixmapTransform, Smoothed(style));
        if (alphaOnly) {
            painter_.setOpacity(AlphaOpacity(cx));
        }
        QBrush brush(image);
        brush.setTransform(style.matrix);
        painter_.fillPath(path, brush);
        painter_.restore();
    }

    // A clipped bitmap fill is painted, its edge pixels drawn outwards, over the pixels its path
    // can touch, and the path is filled with those pixels as a plain fill is with its colour: the
    // path's own edges decide every pixel (its coverage, or without anti-aliasing its pixel
    // centres). The pixels are painted from where the path or the band starts, whatever part is
    // drawn, so that a part repainted gets a whole render's pixels.
    void DrawClippedBitmapFill(const QPainterPath &path, const ClampedBitmap &fill)
    {
        bool invertible = false;
        const QTransform toPath = painter_.transform().inverted(&invertible);
        const QRectF device = painter_.transform().mapRect(path.boundingRect());
        if (!invertible || !device.intersects(QRectF(clip_))) {
            return;
        }
        auto within = [](double value, int low, int high) {
            return static_cast<int>(std::clamp(value, double(low), double(high)));
        };
        // A pixel more on each side than the path's bounds reach.
        const QPoint origin(within(std::floor(device.left()) - 1, 0, clip_.right()),
                            within(std::floor(device.top()) - 1, 0, clip_.bottom()));
        const QPoint end(within(std::ceil(device.right()), clip_.left(), clip_.right()),
                         within(std::ceil(device.bottom()), clip_.top(), clip_.bottom()));
        QImage pixels(QRect(origin, end).size(), QImage::Format_ARGB32_Premultiplied);
        if (pixels.isNull()) {
            return;
        }
        pixels.fill(Qt::transparent);
        PaintClampedBitmap(pixels, origin, fill);
        QBrush brush(pixels);
        brush.setTransform(QTransform::fromTranslate(origin.x(), origin.y()) * toPath);
        painter_.save();
        painter_.setRenderHint(QPainter::SmoothPixmapTransform, false);
        painter_.fillPath(path, brush);
        painter_.restore();
    }

    // The pixels of a bitmap fill's bitmap: a read-only view of the shared pixels, or a recoloured
    // copy; alphaOnly tells that the colour transform only scales alpha and is left to the
    // painter's opacity. Null when the bitmap is missing.
    QImage BitmapPixels(const FillStyle &style, const ColorTransform &cx, bool &alphaOnly) const
    {
        const Character *character = movie_.Find(style.bitmapId);
        const auto *bitmap = character ? std::get_if<BitmapCharacter>(character) : nullptr;
        if (bitmap == nullptr || bitmap->image.isNull()) {
            return {};
        }
        const QImage &shared = bitmap->image;
        alphaOnly = cx.IsAlphaScaleOnly();
        return alphaOnly || cx.IsIdentity()
                   ? QImage(shared.constBits(), shared.width(), shared.height(), shared.bytesPerLine(), shared.format())
                   : cx.Apply(shared);
    }

    // A wide line fills its outline: the one kept (made here from its compact form), else one
    // built for this drawing when it fits the budget, its points rounded as a kept one's are (of
    // a long line, the outline of its part that can reach the band). The outline is the union of
    // its stroked pieces, filled by the nonzero rule: by the compound rasteriser where it can
    // draw, whose time grows with the outline's edges times the rows they cross however often the
    // outline overlaps itself, and which needs no lock shared by the bands. Thin lines, and lines
    // whose outline would not fit, are one device pixel wide.
    void DrawLine(const GroupDraw &draw, size_t index, const ColorTransform &cx)
    {
        if (DrawnThin(draw.group->lines[index], draw.scale) || !DrawnInTiles(draw, index, cx)) {
            DrawLineWithin(draw, index, cx, std::nullopt);
        }
    }

    // The compound target of a group's drawing, within a part of the band (scene pixels) when
    // given.
    std::optional<CompoundTarget> CompoundTargetWithin(const GroupDraw &draw, const std::optional<QRect> &within) const
    {
        std::optional<CompoundTarget> target = CompoundTargetOf(draw);
        if (target && within) {
            target->clip &= *within;
        }
        return target;
    }

    // DrawLine within a part of the band (scene pixels, where a compound target is had) or all of
    // it; the line's cut is given when made already.
    void DrawLineWithin(const GroupDraw &draw, size_t index, const ColorTransform &cx,
                        const std::optional<QRect> &within, const OutlineCut *lineCut = nullptr)
    {
        const DrawnGroup &group = *draw.group;
        const double scale = draw.scale;
        const CompactPaths *kept = draw.outlines;
        const LineStyle &style = group.lines[index];
        QColor color = QColor::fromRgba(cx.Apply(style.color));
        const QPainterPath *outline = nullptr;
        QPainterPath built;
        std::optional<CompoundTarget> target;
        if (!DrawnThin(style, scale)) {
            // Within a part of the band, a long line is outlined near the part, kept or not.
            if (kept != nullptr && !kept->IsEmpty(index) && !within) {
                outline = &outlinesMade_.Of(*kept, index);
            } else {
                const QPainterPath &line = group.LinePath(index, made_);
                std::optional<OutlineCut> ownCut;
                const OutlineCut &cut = lineCut != nullptr ? *lineCut : ownCut.emplace(line, style.width, scale);
                if (cut.Estimate() <= kMaxOutlineElements) {
                    // Outlined anew, a long line is outlined only where it can reach the band.
                    const std::optional<CompoundTarget> band =
                        line.elementCount() >= kPartLineElements ? CompoundTargetWithin(draw, within) : std::nullopt;
                    const std::optional<QPainterPath> part =
                        band ? LinePartNear(line, style.width, draw.world, QRectF(band->clip), kPartMargin)
                             : std::nullopt;
                    if (!part) {
                        built = cut.Outline(&counts_);
                    } else if (part->isEmpty()) {
                        return;
                    } else {
                        built = OutlineCut(*part, style.width, scale).Outline(&counts_);
                        target = band;
                    }
                    outline = &built;
                }
            }
        }
        if (outline == nullptr || outline->isEmpty()) {
            PainterDraws(draw);
            QPen pen(color, 1.0);
            pen.setCosmetic(true);
            pen.setCapStyle(Qt::RoundCap);
            pen.setJoinStyle(Qt::RoundJoin);
            const QPainterPath &line = group.LinePath(index, made_);
            if (WithinAPixel(line, scale)) {
                // The stroker leaves a line shorter than a pixel out: it shows as one.
                painter_.save();
                painter_.setPen(pen);
                painter_.drawPoint(line.elementAt(0));
                painter_.restore();
            } else {
                painter_.strokePath(CopyToDraw(line), pen);
            }
        } else if (target || (target = CompoundTargetWithin(draw, within))) {
            FillUnion(*target, *outline, qPremultiply(cx.Apply(style.color)), draw.world,
                      quality_ == Quality::Low ? Sampling::Centre : Sampling::Area, counts_);
        } else {
            PainterDraws(draw);
            painter_.fillPath(CopyToDraw(*outline), color);
        }
    }

    // Lines of at least this many elements outlined anew where no kept outline is had are
    // outlined only where they can reach the band, kPartMargin device pixels around it: more than
    // the outline strays from the line grown by half its width.
    static constexpr int kPartLineElements = 1024;
    static constexpr double kPartMargin = 2;
    // Lines of at least this many elements are first looked at for straight pieces that cover
    // tiles of the part of the band they are drawn in, in at most kCoverTestsPerElement looks at
    // a tile per element, and drawn by tiles where 1 / kLeastCoveredShare of the tiles or more
    // are covered. Tiles are as wide as a piece reaches on each side, from kLeastCoverTile to
    // kMostCoverTile device pixels (powers of two). In each row of tiles, runs of tiles not
    // covered fewer than kCoverGapTiles apart are drawn as one, and all of them as one where more
    // than kMostCoverRuns are left.
    static constexpr int kLongLineElements = 4096;
    static constexpr int kLeastCoverTile = 8;
    static constexpr int kMostCoverTile = 64;
    static constexpr int64_t kCoverTestsPerElement = 4;
    static constexpr int64_t kLeastCoveredShare = 2;
    static constexpr int kCoverGapTiles = 2;
    static constexpr size_t kMostCoverRuns = 4;
    // Device pixels a covering piece reaches past a tile on every side: more than the
    // rasteriser's flattening takes from the outline's round ends.
    static constexpr double kCoverMargin = 1;

    // Draws a long wide line in the tiles of the band's part where one of its straight pieces
    // covers a tile wholly, filled as its outline would fill them, and as DrawLine draws it in the
    // runs of other tiles along each row of them (true); false when no piece covers a tile. A wide
    // line whose pieces reach across the picture then costs a look at its points and outlines
    // near the tiles left, not an outline built and filled again over the band at every render.
    bool DrawnInTiles(const GroupDraw &draw, size_t index, const ColorTransform &cx)
    {
        const DrawnGroup &group = *draw.group;
        const QPainterPath &line = group.LinePath(index, made_);
        const LineStyle &style = group.lines[index];
        if (line.elementCount() < kLongLineElements) {
            return false;
        }
        const QRect part = sceneClip_.intersected(draw.device).toAlignedRect();
        if (part.isEmpty()) {
            return false;
        }
        const QRgb color = cx.Apply(style.color);
        const std::optional<CompoundTarget> target = CompoundTargetOf(draw);
        if (!target) {
            if (!StraightPieceCovers(line, style.width, draw.world, QRectF(part), kCoverMargin)) {
                return false;
            }
            QPainterPath whole;
            whole.addRect(QRectF(part));
            PainterDraws(draw);
            painter_.fillPath(draw.world.inverted().map(whole), QColor::fromRgba(color));
            return true;
        }
        // Tiles are drawn by parts only where the line is outlined (not drawn one pixel wide).
        const OutlineCut cut(line, style.width, draw.scale);
        const bool outlined = (draw.outlines != nullptr && !draw.outlines->IsEmpty(index)) ||
                              cut.Estimate() <= kMaxOutlineElements;
        const double reach = style.width / 2 * draw.scale - kCoverMargin;
        int side = kMostCoverTile;
        while (side > kLeastCoverTile && side > reach) {
            side /= 2;
        }
        const CoverTiles tiles{target->clip, side};
        const int64_t covered = MarkCoveredTiles(line, style.width, draw.world, tiles, kCoverMargin,
                                                 kCoverTestsPerElement * line.elementCount(), coveredTiles_);
        const auto tileCount = static_cast<int64_t>(coveredTiles_.size());
        if (covered == 0 || covered * kLeastCoveredShare < tileCount || (!outlined && covered < tileCount)) {
            return false;
        }
        const int columns = (tiles.area.width() + side - 1) / side;
        const int rows = static_cast<int>(coveredTiles_.size()) / columns;
        auto runRect = [&](int row, int begin, int end) {
            return QRect(tiles.area.left() + begin * side, tiles.area.top() + row * side, (end - begin) * side, side)
                .intersected(tiles.area);
        };
        auto fill = [&](const QRect &run) {
            if (run.isEmpty()) {
                return;
            }
            QPainterPath whole;
            whole.addRect(QRectF(run));
            FillUnion({target->image, target->imageTop, run, partial_}, whole, qPremultiply(color), QTransform(),
                      Sampling::Area, counts_);
        };
        std::vector<std::pair<int, int>> runs;  // of tiles not covered in a row, [begin, end)
        for (int row = 0; row < rows; ++row) {
            const char *states = &coveredTiles_[static_cast<size_t>(row) * static_cast<size_t>(columns)];
            runs.clear();
            for (int column = 0; column < columns; ++column) {
                if (states[column] != 0) {
                    continue;
                }
                if (!runs.empty() && column - runs.back().second < kCoverGapTiles) {
                    runs.back().second = column + 1;
                } else {
                    runs.emplace_back(column, column + 1);
                }
            }
            if (runs.size() > kMostCoverRuns) {
                runs = {{runs.front().first, runs.back().second}};
            }
            // Between the runs every tile is covered.
            int covers = 0;
            for (const auto &[begin, end] : runs) {
                fill(runRect(row, covers, begin));
                DrawLineWithin(draw, index, cx, runRect(row, begin, end), &cut);
                covers = end;
            }
            fill(runRect(row, covers, columns));
        }
        return true;
    }

    // ---- Clipping layers ----

    void PushClip(const PlacedObject &placed)
    {
        QPainterPath local;
        local.setFillRule(Qt::WindingFill);
        auto addFills = [this, &local](const DrawnGroup &group, const QPointF &offset) {
            for (size_t i = 0; i < group.fills.size(); ++i) {
                if (!group.FillEmpty(i)) {
                    QPainterPath own = UnsharedCopy(group.FillPath(i, made_));
                    own.translate(offset);
                    local = local.isEmpty() ? own : local.united(own);
                }
            }
        };
        if (const auto *shape = std::get_if<ShapeCharacter>(placed.character)) {
            for (const PlacedGroup &group : shape->groups) {
                addFills(*group.group, group.offset);
            }
        } else if (placed.morph) {
            addFills(*placed.morph, QPointF());
        } else if (const auto *text = std::get_if<EditTextCharacter>(placed.character)) {
            local.addRect(text->bounds);
        }
        clips_.push_back({placed.object->clipDepth, (placed.world * offset_).map(local)});
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
        transformSet_ = false;
        painter_.setClipRect(clip_);
        for (const ActiveClip &clip : clips_) {
            painter_.setClipPath(clip.devicePath, Qt::IntersectClip);
        }
    }

    const Movie &movie_;
    QPainter &painter_;
    QRect clip_;
    QTransform offset_;
    Quality quality_;
    RenderCounts &counts_;
    const std::atomic<bool> *cancel_;
    PartialRows partial_;
    QRectF sceneClip_;  // clip_ in the scene's device coordinates
    bool transformSet_ = false;
    QTransform world_;  // the scene transform set on the painter when transformSet_
    std::vector<ActiveClip> clips_;
    // The paths of the group being drawn, made from its compact ones, and its kept outlines.
    PathsMade made_;
    PathsMade outlinesMade_;
    // The fills of the group being drawn together (see FillTogether).
    std::vector<const QPainterPath *> fillPaths_;
    std::vector<CompoundSource> fillSources_;
    std::vector<QImage> fillImages_;
    std::vector<char> coveredTiles_;  // of the line drawn in tiles (see DrawnInTiles)
    SourcePixels sourcePixels_;
    HidingFills hiding_;
    PathsMade hidingMade_;            // the fills looked at for it
    std::optional<QRect> shownArea_;  // where the group being drawn is not hidden
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

// A part of a band to draw: the band's rows [top, bottom) and the pixels of them drawn.
struct BandPart {
    int top = 0;
    int bottom = 0;
    QRect clip;
};

// The parts of the bands of whole (bands of them) that area lies in. Where area lies in fewer
// bands than there are processors (a strip a scroll uncovered, an edit's area), each band's part
// is cut into columns of at least kMinPartColumns at quality high, so that the threads share its
// drawing: a column is drawn through its band's transform like the rest of the band, and every
// pixel is decided by its own place, so the pixels are the same however it is cut. (Without
// anti-aliasing the painter samples gradients and bitmaps along each row from where its part
// starts: rows are drawn whole.)
std::vector<BandPart> PartsToDraw(const QRect &whole, const QRect &area, int bands, Quality quality)
{
    std::vector<BandPart> parts;
    for (int i = 0; i < bands; ++i) {
        const int top = whole.top() + whole.height() * i / bands;
        const int bottom = whole.top() + whole.height() * (i + 1) / bands;
        if (top <= area.bottom() && bottom > area.top()) {
            parts.push_back({top, bottom, area.intersected(QRect(whole.left(), top, whole.width(), bottom - top))});
        }
    }
    if (bands == 1 || parts.empty() || quality == Quality::Low) {
        return parts;
    }
    const int processors = static_cast<int>(platform::ProcessorCount());
    const int columns = std::min(processors / static_cast<int>(parts.size()), area.width() / kMinPartColumns);
    if (columns <= 1) {
        return parts;
    }
    std::vector<BandPart> cut;
    for (const BandPart &part : parts) {
        for (int c = 0; c < columns; ++c) {
            const int left = area.left() + area.width() * c / columns;
            const int right = area.left() + area.width() * (c + 1) / columns;
            cut.push_back({part.top, part.bottom, QRect(left, part.clip.top(), right - left, part.clip.height())});
        }
    }
    return cut;
}

}  // namespace

void RenderDisplayList(const PictureSetup &setup, QImage &target, const QRect &clip, const ItemRange &range,
                       PartialCover *carried)
{
    const Movie &movie = *setup.movie;
    const DisplayList &list = *setup.list;
    const Quality quality = setup.quality;
    const std::atomic<bool> *cancel = setup.cancel;
    RenderCounts uncounted;
    RenderCounts &total = setup.counts != nullptr ? *setup.counts : uncounted;
    const QRect whole = setup.visible.intersected(target.rect());
    const QRect area = clip.intersected(whole);
    if (area.isEmpty() || list.empty()) {
        return;
    }
    const QTransform drawn = quality == Quality::Low ? PixelCentreConvention(setup.view) : setup.view;
    const int bands = BandCount(whole);
    const std::vector<BandPart> parts = PartsToDraw(whole, area, bands, quality);
    std::vector<Readying> readying;
    Scene scene = BuildScene(movie, list, area, drawn, range, readying);
    ReadyAll(readying, total);
    CopyKeptOutlines(scene);
    // Anti-aliased, the groups keep partial covers: those carried in, or each part's own.
    PartialRows carriedRows = carried != nullptr && KeepsPartialCovers(quality) ? carried->Rows() : PartialRows();
    if (!carriedRows.Holds(area)) {
        carriedRows = {};
    }
    auto drawInto = [&](QImage &image, const QRect &sceneClip, int top, RenderCounts &counts) {
        // Without the pages for its own, a part is drawn as if nothing were partly covered.
        std::optional<PartCover> own;
        PartialRows partial = carriedRows;
        if (!partial && KeepsPartialCovers(quality)) {
            partial = own.emplace(sceneClip).Rows();
        }
        QPainter painter(&image);
        Renderer(movie, painter, sceneClip.translated(0, -top), QTransform::fromTranslate(0, -top), quality, counts,
                 cancel, partial)
            .Draw(scene);
    };
    if (bands == 1) {
        drawInto(target, area, 0, total);
        return;
    }
    // Each part paints through its band's own image over the target's rows, so the painters
    // never share a device. The bands split the whole picture, not the area repainted: a pixel is
    // always drawn through the same band transform, so a repainted part matches a whole render.
    uchar *pixels = target.bits();
    const qsizetype stride = target.bytesPerLine();
    // Each part counts its own work; the counts are added up when all are done.
    std::vector<RenderCounts> partCounts(parts.size());
    auto drawPart = [&](const BandPart &part, RenderCounts &partCount) {
        if (cancel != nullptr && cancel->load(std::memory_order_relaxed)) {
            return;
        }
        QImage band(pixels + stride * part.top, target.width(), part.bottom - part.top, stride, target.format());
        drawInto(band, part.clip, part.top, partCount);
    };
    // The parts are jobs on the global pool: Qt's raster fills then stay within their part
    // instead of splitting every large fill again across threads already busy with other parts.
    platform::ParallelFor(parts.size(), [&](size_t i) { drawPart(parts[i], partCounts[i]); });
    for (const RenderCounts &part : partCounts) {
        total += part;
    }
}

}  // namespace platform::swf
