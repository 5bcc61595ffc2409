#include "platform/player/movie_player.h"

#include "platform/base/atomic_file.h"
#include "platform/base/parallel_for.h"
#include "platform/player/group_cache.h"
#include "platform/player/player_testing.h"
#include "platform/player/swf_changed_area.h"
#include "platform/player/swf_parser.h"
#include "platform/player/swf_pixel_copy.h"
#include "platform/player/swf_previews.h"
#include "platform/player/swf_render_job.h"
#include "platform/player/swf_repaint_cost.h"
#include "platform/player/swf_retained_picture.h"
#include "platform/player/swf_shown_frame.h"
#include "platform/player/swf_view_change.h"

#include <algorithm>
#include <filesystem>
#include <new>
#include <utility>

namespace platform {

// What a render into a target through a rectangle paints.
struct MoviePlayer::Request {
    QRect rect;
    QRectF area;
    QRect visible;  // the part of the rectangle within the target
    QRgb background = 0;
    const swf::Movie *movie = nullptr;
    QTransform view;
};

namespace {

constexpr double kDefaultFrameRate = 12;

// The on-the-spot budget as tests may lower it.
std::atomic<int64_t> mostWorkOnTheSpot{swf::kMaxWorkOnTheSpot};

std::optional<swf::Quality> QualityNamed(std::string name)
{
    std::transform(name.begin(), name.end(), name.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    if (name == "low") {
        return swf::Quality::Low;
    }
    if (name == "medium") {
        return swf::Quality::Medium;
    }
    if (name == "high") {
        return swf::Quality::High;
    }
    if (name == "best") {
        return swf::Quality::Best;
    }
    return std::nullopt;
}

// Paint items replaced when a worker's picture is taken may hold the last references to a whole
// drawing's groups: they are let go in parts of this many as parallel jobs, so that freeing
// their paths holds the window up less.
constexpr size_t kItemsReleasedPerJob = 4096;

void ReleaseItems(std::vector<swf::PaintItem> items)
{
    const size_t parts = items.size() / kItemsReleasedPerJob;
    if (parts < 2) {
        return;  // let go here
    }
    ParallelFor(parts, [&items, parts](size_t part) {
        const size_t begin = items.size() * part / parts;
        const size_t end = items.size() * (part + 1) / parts;
        for (size_t i = begin; i < end; ++i) {
            items[i].group.reset();
        }
    });
}

}  // namespace

void SetMostWorkOnTheSpotForTest(int64_t work)
{
    mostWorkOnTheSpot = work < 0 ? swf::kMaxWorkOnTheSpot : work;
}

MoviePlayer::MoviePlayer()
    : quality_(swf::Quality::High), groupCache_(std::make_shared<GroupCache>()),
      previews_(std::make_unique<swf::Previews>())
{
}

MoviePlayer::~MoviePlayer()
{
    CancelPendingRender();
    groupCache_->Forget(this);
}

void MoviePlayer::ShareGroups(std::shared_ptr<GroupCache> cache)
{
    if (!cache) {
        cache = std::make_shared<GroupCache>();
    }
    if (cache == groupCache_) {
        return;
    }
    // The groups of the movie loaded last go along, so that the next movie still finds them.
    swf::MovieGroups kept = std::move(groupCache_->GroupsOf(this));
    groupCache_->Forget(this);
    groupCache_ = std::move(cache);
    groupCache_->GroupsOf(this) = std::move(kept);
}

void MoviePlayer::ReleaseSpareRoom()
{
    groupCache_->GroupsOf(this).Trim();
    if (!job_) {
        previews_->Release();
    }
}

void MoviePlayer::SetMovie(const std::string &path)
{
    Unload(path);
    std::error_code error;
    std::string bytes;
    if (!std::filesystem::is_regular_file(path, error) || !ReadWholeFile(path, bytes)) {
        return;
    }
    ParseLoaded(bytes);
}

void MoviePlayer::SetMovieBytes(const std::string &name, std::string_view bytes)
{
    Unload(name);
    ParseLoaded(bytes);
}

void MoviePlayer::Unload(const std::string &name)
{
    CancelJob();
    moviePath_ = name;
    // The movie stays until the next one is read, which takes over what the two have in common.
    // A worker may still draw it through the frame it shares: the frame keeps its hold.
    if (frame_ && frame_->movie) {
        previousMovie_ = frame_->movie;
    }
    frame_.reset();
    playing_ = false;
    clockMs_ = 0;
}

void MoviePlayer::ParseLoaded(std::string_view bytes)
{
    frame_ = std::make_shared<swf::ShownFrame>();
    outOfMemory_ = false;
    // The last movie's parts may be moved into the new one only when no worker still draws it.
    std::shared_ptr<swf::Movie> previous = std::move(previousMovie_);
    try {
        swf::ParseCounts counts;
        const swf::GroupSources sources{&groupCache_->GroupsOf(this), groupCache_->GroupsOfOthers(this), &counts,
                                        previous.get(), previous.use_count() == 1 && CancelledJobThrough()};
        frame_->movie = swf::ParseMovie(bytes, sources);
        stats_.groupsRead += counts.groupsRead;
        stats_.groupsBuilt += counts.groupsBuilt;
        stats_.groupsTaken += counts.groupsTaken;
        stats_.groupsDecoded += counts.groupsDecoded;
    } catch (const std::bad_alloc &) {
        // A movie larger than the memory left shows as its background, like an unreadable one.
        frame_->movie.reset();
        outOfMemory_ = true;
    }
    ShowFrame(0);
    playing_ = TotalFrames() > 1;
}

void MoviePlayer::SetQuality2(const std::string &quality)
{
    if (const std::optional<swf::Quality> named = QualityNamed(quality)) {
        quality_ = *named;
    }
}

std::string MoviePlayer::Quality2() const
{
    switch (quality_) {
    case swf::Quality::Low:
        return "low";
    case swf::Quality::Medium:
        return "medium";
    case swf::Quality::Best:
        return "best";
    case swf::Quality::High:
        break;
    }
    return "high";
}

int32_t MoviePlayer::TotalFrames() const
{
    if (!frame_) {
        return 0;
    }
    return frame_->movie ? static_cast<int32_t>(frame_->movie->frames.size()) : 1;
}

int32_t MoviePlayer::FrameNum() const
{
    return frame_ ? frame_->frame : -1;
}

void MoviePlayer::Play()
{
    if (!frame_) {
        return;
    }
    if (frame_->frame >= TotalFrames() - 1) {
        ShowFrame(0);
    }
    playing_ = TotalFrames() > 1;
    clockMs_ = 0;
}

void MoviePlayer::Stop()
{
    playing_ = false;
}

void MoviePlayer::GotoFrame(int32_t frame)
{
    if (frame_) {
        ShowFrame(std::clamp(frame, 0, TotalFrames() - 1));
    }
}

void MoviePlayer::Tick(int32_t ms)
{
    if (!playing_ || !frame_ || !frame_->movie || ms <= 0) {
        return;
    }
    double rate = frame_->movie->frameRate > 0 ? frame_->movie->frameRate : kDefaultFrameRate;
    double frameMs = 1000.0 / rate;
    clockMs_ += ms;
    auto steps = static_cast<int64_t>(clockMs_ / frameMs);
    clockMs_ -= static_cast<double>(steps) * frameMs;
    int64_t last = TotalFrames() - 1;
    int64_t target = std::min<int64_t>(frame_->frame + steps, last);
    ShowFrame(static_cast<int32_t>(target));
    if (target >= last) {
        playing_ = false;
    }
}

// Moves the display list to a frame: forward by applying the frames in between, backward by
// rebuilding from the first frame.
void MoviePlayer::ShowFrame(int32_t frame)
{
    if (frame_.use_count() > 1 || !CancelledJobThrough()) {  // a worker may still read this frame: change a copy
        frame_ = std::make_shared<swf::ShownFrame>(*frame_);
    }
    swf::ShownFrame &shown = *frame_;
    shown.Changed();
    if (!shown.movie) {
        shown.frame = 0;
        return;
    }
    if (frame < shown.frame) {
        shown.displayList.clear();
        shown.frame = -1;
    }
    const auto &frames = shown.movie->frames;
    for (int32_t i = shown.frame + 1; i <= frame && i < static_cast<int32_t>(frames.size()); ++i) {
        swf::ApplyFrame(frames[static_cast<size_t>(i)], shown.displayList);
    }
    shown.frame = frame;
}

QRgb MoviePlayer::Background() const
{
    if (backgroundColor_ >= 0) {
        return static_cast<QRgb>(backgroundColor_) | 0xFF000000u;
    }
    if (frame_ && frame_->movie && frame_->movie->background) {
        return *frame_->movie->background;
    }
    return qRgb(255, 255, 255);
}

QRectF MoviePlayer::FrameArea() const
{
    return frame_ && frame_->movie ? frame_->movie->frameRect : QRectF();
}

bool MoviePlayer::Requested(QImage &target, const QRect &rect, const QRectF &area, Request &request)
{
    request.rect = rect;
    request.area = area;
    request.visible = rect.intersected(target.rect());
    if (request.visible.isEmpty()) {
        return false;
    }
    request.background = Background();
    request.movie = frame_ ? frame_->movie.get() : nullptr;
    if (request.movie == nullptr || !(area.width() > 0) || !(area.height() > 0) || target.depth() != 32) {
        picture_.reset();
        swf::FillArea(target, request.visible, request.background);
        return false;
    }
    request.view = QTransform::fromTranslate(-area.left(), -area.top()) *
                   QTransform::fromScale(rect.width() / area.width(), rect.height() / area.height()) *
                   QTransform::fromTranslate(rect.left(), rect.top());
    return true;
}

swf::PictureSetup MoviePlayer::SetupOf(const Request &request, swf::RenderCounts *counts) const
{
    return {request.movie, &frame_->displayList, request.visible, request.view, quality_, request.background, counts};
}

void MoviePlayer::Render(QImage &target, const QRect &rect, const QRectF &area)
{
    CancelJob();
    Request request;
    if (!Requested(target, rect, area, request)) {
        return;
    }
    if (picture_ && picture_->PaintedLike(target, rect, request.background, request.view, quality_)) {
        // Repainted only where the items differ from the last picture's.
        swf::ItemsChange change = ChangeOfItems(request);
        const swf::ItemComparison items(picture_->items, change);
        // Pixels a scroll brought along are drawn again with the change.
        const QRect changed = swf::Joined(swf::ChangedArea(items, request.visible), std::exchange(picture_->inexact, {}));
        const size_t head = items.Head();
        stats_.itemsCompared += static_cast<int64_t>(items.Compared());
        swf::Apply(picture_->items, std::move(change));
        Paint(target, request, {changed}, head);
        return;
    }
    // The last picture's pixels are all painted again; its memory is kept when it fits.
    QImage image = picture_ && picture_->image.size() == target.size() && picture_->image.format() == target.format()
                       ? std::move(picture_->image)
                       : QImage(target.size(), target.format());
    swf::PictureItems items = swf::AllItems(*request.movie, frame_->displayList, request.view);
    stats_.itemsMade += static_cast<int64_t>(items.size());
    picture_ = std::make_unique<swf::RetainedPicture>(swf::RetainedPicture{
        std::move(image), rect, area, request.background, request.view, quality_, std::move(items), {}, {}});
    Paint(target, request, {request.visible}, 0);
}

// The items of the current frame as a change of the last picture's (which has the request's view).
swf::ItemsChange MoviePlayer::ChangeOfItems(const Request &request)
{
    swf::ItemsChange change = swf::ChangeOf(picture_->items, *request.movie, frame_->displayList);
    stats_.itemsMade += static_cast<int64_t>(change.middle.size());
    return change;
}

// Paints the changed area of the last picture, whose items are those of the current frame.
void MoviePlayer::Paint(QImage &target, const Request &request, const std::vector<QRect> &areas, size_t head)
{
    for (const QRect &changed : areas) {
        if (changed.isEmpty()) {
            continue;
        }
        swf::RenderCounts counts;
        const std::vector<size_t> among = swf::ItemsTouching(
            picture_->items, QRect(request.visible.left(), changed.top(), request.visible.width(), changed.height()));
        swf::PictureSetup setup = SetupOf(request, &counts);
        setup.among = &among;
        picture_->PaintChanged(setup, changed, head, picture_->items.clipLayers == 0);
        AddRenderCounts(counts);
    }
    swf::CopyArea(picture_->image, target, request.visible);
}

void swf::AddRenderCounts(PlayerStats &stats, const RenderCounts &counts)
{
    stats.outlineElementsBuilt += counts.outlineElementsBuilt;
    stats.outlineElementsKept += counts.outlineElementsKept;
    stats.outlineBytesKept += counts.outlineBytesKept;
    stats.tilesFilled += counts.tilesFilled;
    stats.tileEdges += counts.tileEdges;
    stats.fillLineRows += counts.compoundLines;
    stats.fillCells += counts.compoundCells;
    stats.lineElementsSearched += counts.lineElementsSearched;
}

void MoviePlayer::AddRenderCounts(const swf::RenderCounts &counts)
{
    swf::AddRenderCounts(stats_, counts);
}

void MoviePlayer::CancelJob()
{
    if (job_) {
        job_->Cancel();
        cancelledJob_ = job_->Completion();
        job_.reset();
    }
}

// Whether the worker of a cancelled job can no longer read what it held, so that what no one
// else holds may be changed in place: the holders' count alone does not order the worker's last
// reads before the change, seeing the job's completion does. (A job taken was seen drawn or
// refused after its reads; one still held keeps the count up.) Jobs run one at a time in order,
// so the last one cancelled is enough.
bool MoviePlayer::CancelledJobThrough()
{
    if (cancelledJob_ && cancelledJob_->Finished()) {
        cancelledJob_.reset();
    }
    return !cancelledJob_;
}

void MoviePlayer::CancelPendingRender()
{
    if (std::shared_ptr<swf::RenderJob> job = job_) {
        CancelJob();
        job->WaitFinished();
    }
}

bool MoviePlayer::ExactReady() const
{
    return job_ && job_->Drawn();
}

bool MoviePlayer::RenderRefusedMemory() const
{
    return job_ && job_->OutOfMemory();
}

void MoviePlayer::FinishPendingRender()
{
    if (job_) {
        job_->WaitFinished();
    }
}

// Takes the worker's picture as the last picture once it is drawn. A job that could not get its
// memory is let go: the last picture stays, and the next render compares with it again.
void MoviePlayer::AdoptDrawnJob()
{
    if (job_ && job_->OutOfMemory()) {
        job_.reset();
        return;
    }
    if (job_ && job_->Drawn()) {
        if (job_->Result().newView) {
            // A picture of its own view, with its own items.
            if (picture_) {
                ReleaseItems(std::move(picture_->items.items));
            }
            picture_ = std::make_unique<swf::RetainedPicture>(std::move(job_->Result().picture));
        } else if (picture_) {
            swf::PictureItems items = std::move(picture_->items);
            std::vector<swf::PaintItem> replaced;
            swf::Apply(items, std::move(job_->Result().items), &replaced);
            ReleaseItems(std::move(replaced));
            picture_ = std::make_unique<swf::RetainedPicture>(std::move(job_->Result().picture));
            picture_->items = std::move(items);
        }
        AddRenderCounts(job_->Counts());
        job_.reset();
    }
}

bool MoviePlayer::RenderSoon(QImage &target, const QRect &rect, const QRectF &area)
{
    AdoptDrawnJob();
    lastPreview_ = PreviewKind::None;
    Request request;
    if (!Requested(target, rect, area, request)) {
        CancelJob();
        return true;
    }
    if (job_ && job_->Draws(frame_, target, rect, request.background, request.view, quality_)) {
        previews_->ShowAgain(target, request.visible);  // the same render is still being drawn
        lastPreview_ = job_->Preview();
        return false;
    }
    CancelJob();
    if (!picture_ || !frame_->DrawableOffThread()) {
        Render(target, rect, area);
        return true;
    }
    const swf::ViewRequest view{target, rect, area, request.visible, request.view, request.background, quality_};
    std::vector<QRect> uncovered;
    if (const std::optional<QPoint> shift = swf::ScrollOf(*picture_, view)) {
        std::optional<std::vector<QRect>> scrolled = swf::Scroll(*picture_, *shift, view);
        if (!scrolled) {  // no memory to move the pixels in: the last picture's are drawn over at once
            Render(target, rect, area);
            return true;
        }
        uncovered = std::move(*scrolled);
    } else if (swf::ZoomOf(*picture_, view)) {
        return RenderZoomed(target, request, view);
    }
    if (!picture_->PaintedLike(target, rect, request.background, request.view, quality_)) {
        Render(target, rect, area);
        return true;
    }
    swf::ItemsChange change = ChangeOfItems(request);
    QRect changed;
    std::vector<QRect> parts;  // drawn one by one when drawn at once (a scroll's strips apart)
    size_t head = 0;
    bool withoutClipLayers = true;
    bool inexactToo = false;  // the pixels a scroll brought along are drawn again with the change
    PreviewKind shown = PreviewKind::None;
    std::optional<std::vector<size_t>> among;  // the items near the strips the worker draws
    {
        const swf::ItemComparison items(picture_->items, change);
        stats_.itemsCompared += static_cast<int64_t>(items.Compared());
        const QRect edited = swf::ChangedArea(items, request.visible);
        changed = edited;
        parts = uncovered;
        parts.push_back(edited);
        for (const QRect &part : uncovered) {
            changed = swf::Joined(changed, part);
        }
        // The layer below the last edit went with a scroll: the items are drawn anew there.
        head = uncovered.empty() ? items.Head() : 0;
        withoutClipLayers = items.AfterWithoutClipLayers();
        auto workOf = [&](const QRect &area) {
            return area.isEmpty()
                       ? 0
                       : swf::RepaintWork(
                             items, {picture_->below.LayerItemsFor(area, head, withoutClipLayers), SIZE_MAX}, area);
        };
        int64_t exactWork = 0;
        for (const QRect &part : parts) {
            exactWork += workOf(part);
        }
        const QRect withInexact = swf::Joined(changed, picture_->inexact);
        inexactToo = !picture_->inexact.isEmpty() && workOf(withInexact) <= mostWorkOnTheSpot.load();
        if (inexactToo) {
            parts = {withInexact};
        } else if (exactWork > mostWorkOnTheSpot.load()) {
            swf::RenderCounts counts;
            if (!edited.isEmpty()) {
                shown = previews_->Show(target, SetupOf(request, &counts), *picture_, items, exactWork);
            } else {  // only scrolled: the strips it uncovered show the background meanwhile
                previews_->ShowKept(target, picture_->image, request.visible);
                shown = PreviewKind::ScrolledView;
                const QRect rows(request.visible.left(), changed.top(), request.visible.width(), changed.height());
                if (rows.height() * 2 <= request.visible.height()) {
                    among = swf::ItemsTouching(items, rows);
                }
            }
            AddRenderCounts(counts);
        }
    }
    if (shown == PreviewKind::None) {
        swf::Apply(picture_->items, std::move(change));
        Paint(target, request, parts, head);
        if (inexactToo) {
            picture_->inexact = QRect();
        }
        if (picture_->inexact.isEmpty()) {
            return true;
        }
        // The pixels a scroll brought along are drawn again on the worker, the picture shown
        // meanwhile as it is.
        previews_->ShowKept(target, picture_->image, request.visible);
        shown = PreviewKind::ScrolledView;
        change = ChangeOfItems(request);
        changed = std::exchange(picture_->inexact, {});
        head = 0;
        StartJob(request, std::move(change), changed, head, withoutClipLayers, shown);
        picture_->inexact = changed;  // until the worker's picture is taken
        return false;
    }
    StartJob(request, std::move(change), changed, head, withoutClipLayers, shown, std::move(among));
    // Should the worker's picture never be taken (a newer render cancels it), the strips it
    // draws are still to be drawn.
    for (const QRect &part : uncovered) {
        const QRect rows(request.visible.left(), part.top(), request.visible.width(), part.height());
        picture_->inexact = swf::Joined(picture_->inexact, rows);
    }
    return false;
}

// A zoom: the exact picture of the new view is drawn on the worker, with items of its own, while
// the last picture shows scaled; drawn at once when that is little work.
bool MoviePlayer::RenderZoomed(QImage &target, const Request &request, const swf::ViewRequest &view)
{
    // What the last picture took to draw, as a measure of what the new one takes.
    const int64_t lastWork = swf::RepaintWork(picture_->items, picture_->rect.intersected(picture_->image.rect()));
    if (lastWork <= mostWorkOnTheSpot.load()) {
        Render(target, request.rect, request.area);
        return true;
    }
    // Without memory for a second picture and its preview, the last one's is drawn over at once.
    QImage image(target.size(), target.format());
    if (image.isNull() || !previews_->ShowScaled(target, *picture_, view)) {
        Render(target, request.rect, request.area);
        return true;
    }
    lastPreview_ = PreviewKind::ScaledView;
    ++stats_.previewsShown[static_cast<size_t>(PreviewKind::ScaledView)];
    swf::RenderJob::Work work{frame_,
                              swf::RetainedPicture{std::move(image), request.rect, request.area, request.background,
                                                   request.view, quality_, {}, {}, {}},
                              {},
                              request.visible,
                              0,
                              false,
                              exactReady_,
                              workerRendersDone_,
                              PreviewKind::ScaledView,
                              true};
    job_ = swf::RenderJob::Start(std::move(work));
    return false;
}

// Starts the worker on the exact picture of a change of the last picture, shown meanwhile.
void MoviePlayer::StartJob(const Request &request, swf::ItemsChange change, const QRect &changed, size_t head,
                           bool withoutClipLayers, PreviewKind shown, std::optional<std::vector<size_t>> among)
{
    lastPreview_ = shown;
    ++stats_.previewsShown[static_cast<size_t>(shown)];
    swf::RenderJob::Work work{frame_,
                              swf::RetainedPicture{picture_->image, request.rect, request.area, request.background,
                                                   request.view, quality_, {}, picture_->below, picture_->inexact},
                              std::move(change),
                              changed,
                              head,
                              withoutClipLayers,
                              exactReady_,
                              workerRendersDone_,
                              shown};
    work.among = std::move(among);
    job_ = swf::RenderJob::Start(std::move(work));
}

}  // namespace platform
