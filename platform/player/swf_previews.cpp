#include "platform/player/swf_previews.h"

#include "platform/player/player_testing.h"
#include "platform/player/swf_pixel_copy.h"
#include "platform/player/swf_repaint_cost.h"
#include "platform/player/swf_shift_repair.h"

#include <algorithm>
#include <atomic>
#include <optional>

namespace platform {
namespace {

// The edited-area budget as tests may lower it.
std::atomic<int64_t> mostEditedAreaWork{swf::kMaxPreviewWork};

}  // namespace

void SetMostEditedAreaWorkForTest(int64_t work)
{
    mostEditedAreaWork = work < 0 ? swf::kMaxPreviewWork : work;
}

namespace swf {
namespace {

// Whether most items of the new movie are none of the last picture's items in place: neither
// the same group (moved, say, or one place up or down the list, as when one path changes its
// place in the painting order or one is added or removed) nor anything covering the same device
// area (restyled). A drawing opened in place of another, not an edit of it.
bool WhollyNew(const ItemComparison &items)
{
    const size_t end = items.AfterSize() - items.Tail();
    auto sameGroupNear = [&items](size_t i) {
        for (size_t before = i == 0 ? 0 : i - 1; before <= i + 1 && before < items.BeforeSize(); ++before) {
            if (items.After(i).group == items.Before(before).group) {
                return true;
            }
        }
        return false;
    };
    size_t fresh = 0;
    for (size_t i = items.Head(); i < end; ++i) {
        const bool inPlace = sameGroupNear(i) ||
                             (i < items.BeforeSize() && items.AfterArea(i).known && items.BeforeArea(i).known &&
                              items.AfterArea(i).device == items.BeforeArea(i).device);
        if (!inPlace && ++fresh * 2 > items.AfterSize()) {
            return true;
        }
    }
    return false;
}

}  // namespace

// The answer of UniformBelow for the items below a shift, kept while they and the picture's
// setup stay the same (a drag asks it at every step).
struct Previews::UniformCheck {
    std::vector<PaintItem> below;
    QRect visible;
    QTransform view;
    QRgb background = 0;
    Quality quality = Quality::High;
    bool uniform = false;

    bool Answers(const ItemComparison &items, size_t from, const PictureSetup &setup) const
    {
        if (from != below.size() || visible != setup.visible || view != setup.view ||
            background != setup.background || quality != setup.quality) {
            return false;
        }
        for (size_t i = 0; i < from; ++i) {
            if (!below[i].SameAs(items.After(i))) {
                return false;
            }
        }
        return true;
    }
};

Previews::Previews() = default;
Previews::~Previews() = default;

void Previews::Release()
{
    preview_ = QImage();
    patch_ = QImage();
}

// Whether the items below from paint one colour over the whole picture (as the canvas paper
// does): the pixels of the items above can then be shifted over them. Looked at only when they
// are few and cheap to draw.
bool Previews::UniformBelow(const PictureSetup &setup, const ItemComparison &items, size_t from)
{
    if (from > kMostItemsBelowAShift || from > items.AfterSize()) {
        return false;
    }
    if (uniformBelow_ && uniformBelow_->Answers(items, from, setup)) {
        return uniformBelow_->uniform;
    }
    std::vector<PaintItem> belowItems;
    for (size_t i = 0; i < from; ++i) {
        belowItems.push_back(items.After(i));
    }
    uniformBelow_ = std::make_unique<UniformCheck>(
        UniformCheck{std::move(belowItems), setup.visible, setup.view, setup.background, setup.quality, false});
    if (RepaintWork(items, {0, from}, setup.visible) > kMaxPreviewWork) {
        return false;
    }
    QImage below(setup.visible.size(), QImage::Format_RGB32);
    if (below.isNull()) {
        return false;
    }
    const QRect area(QPoint(0, 0), setup.visible.size());
    FillArea(below, area, setup.background);
    const QTransform view = setup.view * QTransform::fromTranslate(-setup.visible.left(), -setup.visible.top());
    const PictureSetup belowSetup{setup.movie, setup.list, area, view, setup.quality};
    RenderDisplayList(belowSetup, below, area, {0, from});
    const QRgb first = below.pixel(0, 0);
    for (int y = 0; y < below.height(); ++y) {
        const auto *row = reinterpret_cast<const QRgb *>(below.constScanLine(y));
        if (std::any_of(row, row + below.width(), [first](QRgb pixel) { return pixel != first; })) {
            return false;
        }
    }
    uniformBelow_->uniform = true;
    return true;
}

// An image of the target's size and format for a preview: the last preview's memory when it fits
// (and is not the last picture's). Null when there is no memory for it.
QImage Previews::PreviewImage(const QImage &target)
{
    const bool reusable =
        preview_.size() == target.size() && preview_.format() == target.format() && preview_.isDetached();
    return reusable ? std::move(preview_) : QImage(target.size(), target.format());
}

// Shows the last picture with the area of the items that differ painted again over the kept
// pixels below them, while that is little work. Rows are not repainted whole there: a gradient
// run cut by the area may land one level apart from the exact picture. When every item changed,
// nothing kept would be used: the exact picture is drawn at once instead while its work fits the
// same budget.
Previews::EditPreview Previews::ShowEditedArea(QImage &target, const PictureSetup &setup,
                                               const RetainedPicture &last, const ItemComparison &items,
                                               int64_t exactWork)
{
    const std::optional<EditedItems> edited = Edited(items, setup.visible);
    if (!edited || edited->area.isEmpty()) {
        return EditPreview::None;
    }
    const size_t kept = last.below.LayerItemsFor(edited->area, edited->range.begin, items.AfterWithoutClipLayers());
    const int64_t work = RepaintWork(items, {kept, SIZE_MAX}, edited->area);
    const int64_t budget = mostEditedAreaWork.load();
    if (work > budget) {
        return EditPreview::None;
    }
    if (edited->range.begin == 0 && edited->range.end == items.AfterSize() && exactWork <= budget) {
        return EditPreview::DrawExact;
    }
    // The area is painted straight into the target over the last picture; only its pixels are
    // kept apart, for showing the preview again.
    CopyArea(last.image, target, setup.visible);
    const std::vector<size_t> among = ItemsTouching(items, edited->area);
    PictureSetup touching = setup;
    touching.among = &among;
    last.below.PaintOver(touching, target, edited->area, kept);
    preview_ = last.image;
    patch_ = target.copy(edited->area);
    patchAt_ = edited->area.topLeft();
    return EditPreview::Shown;
}

PreviewKind Previews::Show(QImage &target, const PictureSetup &setup, const RetainedPicture &last,
                           const ItemComparison &items, int64_t exactWork)
{
    // A shift shows the items above those it leaves only over one colour.
    auto overUniform = [&](std::optional<ItemShift> shift) {
        return shift && (shift->from == 0 || UniformBelow(setup, items, shift->from)) ? shift : std::nullopt;
    };
    patch_ = QImage();
    std::vector<size_t> reshaped;
    std::optional<ItemShift> moved = overUniform(WholePixelShift(items, setup.view));
    if (!moved) {
        switch (ShowEditedArea(target, setup, last, items, exactWork)) {
        case EditPreview::Shown:
            return PreviewKind::EditedArea;
        case EditPreview::DrawExact:
            return PreviewKind::None;
        case EditPreview::None:
            break;
        }
        moved = overUniform(RoughShift(items, setup.view, &reshaped));
    }
    QImage preview = moved ? PreviewImage(target) : QImage();
    if (!moved && ShowNewMovie(target, setup, last, items)) {
        return PreviewKind::NewMovie;
    }
    if (preview.isNull()) {  // no shift, or no memory for a shifted copy: the last picture stays
        preview_ = last.image;
        CopyArea(preview_, target, setup.visible);
        return PreviewKind::LastPicture;
    }
    const std::vector<QRect> bare = CopyShifted(last.image, preview, setup.visible, moved->offset);
    int64_t barePixels = 0;
    int64_t bareWork = 0;
    for (const QRect &part : bare) {
        barePixels += static_cast<int64_t>(part.width()) * part.height();
        bareWork += RepaintWork(items, {}, part);
    }
    const bool drawBare = barePixels * kMaxUncoveredPart <=
                              static_cast<int64_t>(setup.visible.width()) * setup.visible.height() &&
                          bareWork <= kMaxPreviewWork;
    for (const QRect &part : bare) {
        FillArea(preview, part, setup.background);
        if (drawBare) {
            const std::vector<size_t> among = ItemsTouching(items, part);
            const PictureSetup uncounted{setup.movie, setup.list, setup.visible, setup.view, setup.quality};
            RenderDisplayList(uncounted, preview, part, {0, SIZE_MAX, &among});
        }
    }
    if (!reshaped.empty()) {
        // The areas where the reshaped items differ from their shifted pixels are painted again,
        // with everything that reaches into them: the preview then shows their new outlines.
        RepaintReshaped(setup, preview, items, *moved, reshaped);
    }
    preview_ = std::move(preview);
    CopyArea(preview_, target, setup.visible);
    return reshaped.empty() ? PreviewKind::Shifted : PreviewKind::RoughlyShifted;
}

void Previews::ShowKept(QImage &target, const QImage &picture, const QRect &visible)
{
    preview_ = picture;
    patch_ = QImage();
    CopyArea(preview_, target, visible);
}

bool Previews::ShowScaled(QImage &target, const RetainedPicture &last, const ViewRequest &request)
{
    QImage preview = PreviewImage(target);
    if (preview.isNull()) {
        return false;
    }
    PaintScaled(preview, last, request);
    preview_ = std::move(preview);
    patch_ = QImage();
    CopyArea(preview_, target, request.visible);
    return true;
}

void Previews::ShowAgain(QImage &target, const QRect &visible) const
{
    CopyArea(preview_, target, visible);
    if (!patch_.isNull()) {
        PasteImage(patch_, target, patchAt_);
    }
}

// Shows, for a wholly new movie, what it shows without the items that differ: the background
// with the unchanged items below and above them (the canvas paper) when they are little work to
// draw, else the background alone. The last picture would show the movie before. False (nothing
// shown) when the movie is not wholly new.
bool Previews::ShowNewMovie(QImage &target, const PictureSetup &setup, const RetainedPicture &last,
                            const ItemComparison &items)
{
    if (!WhollyNew(items)) {
        return false;
    }
    QImage preview = PreviewImage(target);
    if (preview.isNull()) {
        return false;
    }
    const size_t head = items.Head();
    const size_t tailBegin = items.AfterSize() - items.Tail();
    const size_t kept = last.below.LayerItemsFor(setup.visible, head, items.AfterWithoutClipLayers());
    const int64_t work =
        RepaintWork(items, {kept, head}, setup.visible) + RepaintWork(items, {tailBegin, SIZE_MAX}, setup.visible);
    std::vector<size_t> unchanged;
    if (work <= kMaxPreviewWork) {
        for (size_t i = kept; i < head; ++i) {
            unchanged.push_back(i);
        }
        for (size_t i = tailBegin; i < items.AfterSize(); ++i) {
            unchanged.push_back(i);
        }
    }
    PictureSetup touching = setup;
    touching.among = &unchanged;
    last.below.PaintOver(touching, preview, setup.visible, work <= kMaxPreviewWork ? kept : 0);
    preview_ = std::move(preview);
    CopyArea(preview_, target, setup.visible);
    return true;
}

}  // namespace swf
}  // namespace platform
