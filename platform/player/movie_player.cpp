#include "platform/player/movie_player.h"

#include "platform/base/atomic_file.h"
#include "platform/base/background_job.h"
#include "platform/base/parallel_for.h"
#include "platform/player/group_cache.h"
#include "platform/player/player_testing.h"
#include "platform/player/swf_below_layer.h"
#include "platform/player/swf_render.h"
#include "platform/player/swf_shift_repair.h"

#include <algorithm>
#include <filesystem>
#include <new>

namespace platform {

struct MoviePlayer::State {
    std::shared_ptr<swf::Movie> movie;  // null when the file was not a movie
    swf::DisplayList displayList;
    int32_t frame = -1;  // the frame the display list shows; -1 before the first
    std::optional<bool> drawableOffThread;  // known once asked, for this frame
};

namespace {
swf::Quality QualityOf(const std::string &name);
}  // namespace

// A rendered picture with everything that decided its pixels.
struct MoviePlayer::Picture {
    QImage image;  // the target's size and format; only the visible part of rect is painted
    QRect rect;
    QRgb background = 0;
    QTransform view;
    std::string quality;
    swf::KeptItems items;   // through view; left empty in a worker's copy, which is brought up to date when taken
    swf::BelowLayer below;  // what lies below the items edited last

    bool PaintedLike(const QImage &target, const QRect &otherRect, QRgb otherBackground,
                     const QTransform &otherView, const std::string &otherQuality) const
    {
        return image.size() == target.size() && image.format() == target.format() && rect == otherRect &&
               background == otherBackground && view == otherView && quality == otherQuality;
    }
};

// What a render into a target through a rectangle paints.
struct MoviePlayer::Request {
    QRect visible;  // the part of the rectangle within the target
    QRgb background = 0;
    const swf::Movie *movie = nullptr;
    QTransform view;
};

// The answer of UniformBelow for the items below a shift, kept while they and the picture's
// setup stay the same (a drag asks it at every step).
struct MoviePlayer::UniformCheck {
    std::vector<swf::PaintItem> below;
    QRect visible;
    QTransform view;
    QRgb background = 0;
    std::string quality;
    bool uniform = false;

    bool Answers(const swf::ItemComparison &items, size_t from, const Request &request,
                 const std::string &otherQuality) const
    {
        if (from != below.size() || visible != request.visible || view != request.view ||
            background != request.background || quality != otherQuality) {
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

// An exact render drawn on a worker thread: a copy of the last picture (its pixels shared until
// the worker writes them) brought up to the movie it holds on to, which no one changes meanwhile.
struct MoviePlayer::Job : BackgroundJob {
    std::shared_ptr<const State> state;
    Picture picture;
    swf::ItemsChange items;  // from the last picture's items to the picture's
    QRect changed;
    size_t head = 0;
    bool layered = true;
    std::function<void()> done;
    std::shared_ptr<std::atomic<int64_t>> drawnCount;
    std::atomic<bool> drawn{false};  // the picture is complete; the worker no longer touches it
    swf::RenderCounts counts;        // the work of drawing, added to the player's when adopted

    void Run(const std::atomic<bool> &cancel) override
    {
        const swf::PictureSetup setup{state->movie.get(),
                                      &state->displayList,
                                      picture.rect.intersected(picture.image.rect()),
                                      picture.view,
                                      QualityOf(picture.quality),
                                      picture.background,
                                      &counts,
                                      &cancel};
        picture.below.PaintChanged(setup, picture.image, changed, head, layered);
        if (!cancel.load()) {
            drawn.store(true);
            ++*drawnCount;
            if (done) {
                done();
            }
        }
    }
};

namespace {

swf::Quality QualityOf(const std::string &name)
{
    if (name == "low") {
        return swf::Quality::Low;
    }
    if (name == "medium") {
        return swf::Quality::Medium;
    }
    if (name == "best") {
        return swf::Quality::Best;
    }
    return swf::Quality::High;
}

std::string LowerCase(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

constexpr double kDefaultFrameRate = 12;

// Exact renders costing more than this (as swf::RepaintWork counts) are drawn by a worker.
constexpr int64_t kMaxWorkOnTheSpot = 3000;
std::atomic<int64_t> mostWorkOnTheSpot{kMaxWorkOnTheSpot};

// A preview repaints the area of the items an edit changed only while that counts at most this
// much work (as swf::RepaintWork counts it).
constexpr int64_t kMaxPreviewWork = 4 * kMaxWorkOnTheSpot;
std::atomic<int64_t> mostEditedAreaWork{kMaxPreviewWork};

// A shift preview draws the few items below the moved ones to see that they are all one colour.
constexpr size_t kMostItemsBelowAShift = 4;

// A preview draws the strips a shift uncovers only while they are at most this part of the picture.
constexpr int64_t kMaxUncoveredPart = 4;

// The worker thread of exact renders: one job at a time (a cancelled one ends soon), whose bands
// are drawn by the shared worker threads.
JobLane &RenderLane()
{
    static JobLane lane;
    return lane;
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

bool DrawnOffThreadAlike(const swf::Character &character)
{
    // Morph shapes build their shape at a ratio when drawn, and text asks the font system.
    return !std::holds_alternative<swf::MorphCharacter>(character) &&
           !std::holds_alternative<swf::EditTextCharacter>(character);
}

}  // namespace

void SetMostWorkOnTheSpotForTest(int64_t work)
{
    mostWorkOnTheSpot = work < 0 ? kMaxWorkOnTheSpot : work;
}

void SetMostEditedAreaWorkForTest(int64_t work)
{
    mostEditedAreaWork = work < 0 ? kMaxPreviewWork : work;
}

void HoldWorkerRendersForTest(bool held)
{
    RenderLane().HoldForTest(held);
}

MoviePlayer::MoviePlayer() : groupCache_(std::make_shared<GroupCache>()) {}

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
    swf::MovieGroups kept = std::move(groupCache_->Own(this));
    groupCache_->Forget(this);
    groupCache_ = std::move(cache);
    groupCache_->Own(this) = std::move(kept);
}

void MoviePlayer::ReleaseSpareRoom()
{
    groupCache_->Own(this).Trim();
    if (!job_) {
        preview_ = QImage();
        previewPatch_ = QImage();
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
    // A worker may still draw it through the state it shares: the state keeps its hold.
    if (state_ && state_->movie) {
        previousMovie_ = state_->movie;
    }
    state_.reset();
    playing_ = false;
    clockMs_ = 0;
}

void MoviePlayer::ParseLoaded(std::string_view bytes)
{
    state_ = std::make_shared<State>();
    outOfMemory_ = false;
    // The last movie's parts may be moved into the new one only when no worker still draws it.
    std::shared_ptr<swf::Movie> previous = std::move(previousMovie_);
    try {
        swf::ParseCounts counts;
        const swf::GroupSources sources{&groupCache_->Own(this), groupCache_->Others(this), &counts, previous.get(),
                                        previous.use_count() == 1};
        state_->movie = swf::ParseMovie(bytes, sources);
        stats_.groupsRead += counts.groupsRead;
        stats_.groupsBuilt += counts.groupsBuilt;
        stats_.groupsTaken += counts.groupsTaken;
        stats_.groupsDecoded += counts.groupsDecoded;
    } catch (const std::bad_alloc &) {
        // A movie larger than the memory left shows as its background, like an unreadable one.
        state_->movie.reset();
        outOfMemory_ = true;
    }
    ShowFrame(0);
    playing_ = TotalFrames() > 1;
}

void MoviePlayer::SetQuality2(const std::string &quality)
{
    std::string name = LowerCase(quality);
    if (name == "low" || name == "medium" || name == "high" || name == "best") {
        quality_ = name;
    }
}

int32_t MoviePlayer::TotalFrames() const
{
    if (!state_) {
        return 0;
    }
    return state_->movie ? static_cast<int32_t>(state_->movie->frames.size()) : 1;
}

int32_t MoviePlayer::FrameNum() const
{
    return state_ ? state_->frame : -1;
}

void MoviePlayer::Play()
{
    if (!state_) {
        return;
    }
    if (state_->frame >= TotalFrames() - 1) {
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
    if (state_) {
        ShowFrame(std::clamp(frame, 0, TotalFrames() - 1));
    }
}

void MoviePlayer::Tick(int32_t ms)
{
    if (!playing_ || !state_ || !state_->movie || ms <= 0) {
        return;
    }
    double rate = state_->movie->frameRate > 0 ? state_->movie->frameRate : kDefaultFrameRate;
    double frameMs = 1000.0 / rate;
    clockMs_ += ms;
    auto steps = static_cast<int64_t>(clockMs_ / frameMs);
    clockMs_ -= static_cast<double>(steps) * frameMs;
    int64_t last = TotalFrames() - 1;
    int64_t target = std::min<int64_t>(state_->frame + steps, last);
    ShowFrame(static_cast<int32_t>(target));
    if (target >= last) {
        playing_ = false;
    }
}

// Moves the display list to a frame: forward by applying the frames in between, backward by
// rebuilding from the first frame.
void MoviePlayer::ShowFrame(int32_t frame)
{
    if (state_.use_count() > 1) {  // a worker still draws this frame: change a copy
        state_ = std::make_shared<State>(*state_);
    }
    State &state = *state_;
    state.drawableOffThread.reset();
    if (!state.movie) {
        state.frame = 0;
        return;
    }
    if (frame < state.frame) {
        state.displayList.clear();
        state.frame = -1;
    }
    const auto &frames = state.movie->frames;
    for (int32_t i = state.frame + 1; i <= frame && i < static_cast<int32_t>(frames.size()); ++i) {
        swf::ApplyFrame(frames[static_cast<size_t>(i)], state.displayList);
    }
    state.frame = frame;
}

QRgb MoviePlayer::Background() const
{
    if (backgroundColor_ >= 0) {
        return static_cast<QRgb>(backgroundColor_) | 0xFF000000u;
    }
    if (state_ && state_->movie && state_->movie->background) {
        return *state_->movie->background;
    }
    return qRgb(255, 255, 255);
}

bool MoviePlayer::Requested(QImage &target, const QRect &rect, const QRectF &area, Request &request) const
{
    request.visible = rect.intersected(target.rect());
    if (request.visible.isEmpty()) {
        return false;
    }
    request.background = Background();
    request.movie = state_ ? state_->movie.get() : nullptr;
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

void MoviePlayer::Render(QImage &target, const QRect &rect) const
{
    Render(target, rect, FrameArea());
}

void MoviePlayer::Render(QImage &target, const QRect &rect, const QRectF &area) const
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
        const QRect changed = swf::ChangedArea(items, request.visible);
        const size_t head = items.Head();
        stats_.itemsCompared += static_cast<int64_t>(items.Compared());
        swf::Apply(picture_->items, std::move(change));
        Paint(target, request, changed, head);
        return;
    }
    // The last picture's pixels are all painted again; its memory is kept when it fits.
    QImage image = picture_ && picture_->image.size() == target.size() && picture_->image.format() == target.format()
                       ? std::move(picture_->image)
                       : QImage(target.size(), target.format());
    swf::KeptItems items = swf::AllItems(*request.movie, state_->displayList, request.view);
    stats_.itemsMade += static_cast<int64_t>(items.size());
    picture_ = std::make_unique<Picture>(
        Picture{std::move(image), rect, request.background, request.view, quality_, std::move(items), {}});
    Paint(target, request, request.visible, 0);
}

// The items of the current frame as a change of the last picture's (which has the request's view).
swf::ItemsChange MoviePlayer::ChangeOfItems(const Request &request) const
{
    swf::ItemsChange change = swf::ChangeOf(picture_->items, *request.movie, state_->displayList);
    stats_.itemsMade += static_cast<int64_t>(change.middle.size());
    return change;
}

// Paints the changed area of the last picture, whose items are those of the current frame.
void MoviePlayer::Paint(QImage &target, const Request &request, const QRect &changed, size_t head) const
{
    const bool layered = picture_->items.clipLayers == 0;
    if (!changed.isEmpty()) {
        swf::RenderCounts counts;
        const std::vector<size_t> among = swf::ItemsTouching(
            picture_->items, QRect(request.visible.left(), changed.top(), request.visible.width(), changed.height()));
        const swf::PictureSetup setup{request.movie,       &state_->displayList, request.visible, request.view,
                                      QualityOf(quality_), request.background,   &counts,
                                      nullptr,             &among};
        picture_->below.PaintChanged(setup, picture_->image, changed, head, layered);
        AddRenderCounts(counts);
    }
    swf::CopyArea(picture_->image, target, request.visible);
}

QRectF MoviePlayer::FrameArea() const
{
    return state_ && state_->movie ? state_->movie->frameRect : QRectF();
}

void MoviePlayer::AddRenderCounts(const swf::RenderCounts &counts) const
{
    stats_.outlineElementsBuilt += counts.outlineElementsBuilt;
    stats_.outlineElementsKept += counts.outlineElementsKept;
    stats_.outlineBytesKept += counts.outlineBytesKept;
    stats_.tilesFilled += counts.tilesFilled;
    stats_.tileEdges += counts.tileEdges;
    stats_.fillLineRows += counts.compoundLines;
    stats_.fillCells += counts.compoundCells;
}

bool MoviePlayer::DrawableOffThread() const
{
    State &state = *state_;
    if (!state.drawableOffThread) {
        state.drawableOffThread = std::all_of(state.displayList.begin(), state.displayList.end(), [&](const auto &entry) {
            const swf::Character *character = state.movie->Find(entry.second.characterId);
            return character == nullptr || DrawnOffThreadAlike(*character);
        });
    }
    return *state.drawableOffThread;
}

void MoviePlayer::CancelJob() const
{
    if (job_) {
        job_->Cancel();
        job_.reset();
    }
}

void MoviePlayer::CancelPendingRender()
{
    if (std::shared_ptr<Job> job = job_) {
        CancelJob();
        job->WaitFinished();
    }
}

bool MoviePlayer::ExactReady() const
{
    return job_ && job_->drawn.load();
}

void MoviePlayer::FinishPendingRender() const
{
    if (job_) {
        job_->WaitFinished();
    }
}

// Takes the worker's picture as the last picture once it is drawn.
void MoviePlayer::AdoptDrawnJob()
{
    if (job_ && job_->drawn.load()) {
        if (picture_) {
            swf::KeptItems items = std::move(picture_->items);
            std::vector<swf::PaintItem> replaced;
            swf::Apply(items, std::move(job_->items), &replaced);
            ReleaseItems(std::move(replaced));
            picture_ = std::make_unique<Picture>(std::move(job_->picture));
            picture_->items = std::move(items);
        }
        AddRenderCounts(job_->counts);
        job_.reset();
    }
}

bool MoviePlayer::RenderSoon(QImage &target, const QRect &rect, const QRectF &area)
{
    AdoptDrawnJob();
    Request request;
    if (!Requested(target, rect, area, request)) {
        CancelJob();
        return true;
    }
    if (job_ && job_->state == state_ &&
        job_->picture.PaintedLike(target, rect, request.background, request.view, quality_)) {
        ShowPreviewAgain(target, request.visible);  // the same render is still being drawn
        return false;
    }
    CancelJob();
    if (!picture_ || !picture_->PaintedLike(target, rect, request.background, request.view, quality_) ||
        !DrawableOffThread()) {
        Render(target, rect, area);
        return true;
    }
    swf::ItemsChange change = ChangeOfItems(request);
    QRect changed;
    size_t head = 0;
    bool layered = true;
    bool onTheSpot = true;
    {
        const swf::ItemComparison items(picture_->items, change);
        stats_.itemsCompared += static_cast<int64_t>(items.Compared());
        changed = swf::ChangedArea(items, request.visible);
        head = items.Head();
        layered = items.AfterLayered();
        const int64_t exactWork =
            changed.isEmpty()
                ? 0
                : swf::RepaintWork(items, {picture_->below.KeptFor(changed, head, layered), SIZE_MAX}, changed);
        onTheSpot = exactWork <= mostWorkOnTheSpot.load() || !ShowPreview(target, request, items, exactWork);
    }
    if (onTheSpot) {
        swf::Apply(picture_->items, std::move(change));
        Paint(target, request, changed, head);
        return true;
    }
    auto job = std::make_shared<Job>();
    job->state = state_;
    job->picture = Picture{picture_->image, rect, request.background, request.view, quality_, {}, picture_->below};
    job->items = std::move(change);
    job->changed = changed;
    job->head = head;
    job->layered = layered;
    job->done = exactReady_;
    job->drawnCount = workerRendersDone_;
    job_ = job;
    RenderLane().Start(job);
    return false;
}

// Whether the items below from paint one colour over the whole picture (as the canvas paper
// does): the pixels of the items above can then be shifted over them. Looked at only when they
// are few and cheap to draw.
bool MoviePlayer::UniformBelow(const Request &request, const swf::ItemComparison &items, size_t from)
{
    if (from > kMostItemsBelowAShift || from > items.AfterSize()) {
        return false;
    }
    if (uniformBelow_ && uniformBelow_->Answers(items, from, request, quality_)) {
        return uniformBelow_->uniform;
    }
    std::vector<swf::PaintItem> belowItems;
    for (size_t i = 0; i < from; ++i) {
        belowItems.push_back(items.After(i));
    }
    uniformBelow_ = std::make_unique<UniformCheck>(
        UniformCheck{std::move(belowItems), request.visible, request.view, request.background, quality_, false});
    if (swf::RepaintWork(items, {0, from}, request.visible) > kMaxPreviewWork) {
        return false;
    }
    QImage below(request.visible.size(), QImage::Format_RGB32);
    if (below.isNull()) {
        return false;
    }
    const QRect area(QPoint(0, 0), request.visible.size());
    swf::FillArea(below, area, request.background);
    const QTransform view = request.view * QTransform::fromTranslate(-request.visible.left(), -request.visible.top());
    swf::RenderDisplayList(*request.movie, state_->displayList, below, area, area, view, QualityOf(quality_),
                           {0, from});
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
QImage MoviePlayer::PreviewImage(const QImage &target)
{
    const bool reusable =
        preview_.size() == target.size() && preview_.format() == target.format() && preview_.isDetached();
    return reusable ? std::move(preview_) : QImage(target.size(), target.format());
}

// Shows the last picture with the area of the items that differ (moved by any offset,
// restyled) painted again over the kept pixels below them, while that is little work. Rows are
// not repainted whole there: a gradient run cut by the area may land one level apart from the
// exact picture. When every item changed, nothing kept would be used: the exact picture is drawn
// at once instead while its work (exactWork, as swf::RepaintWork counts it) fits the same budget.
MoviePlayer::EditPreview MoviePlayer::ShowEditedArea(QImage &target, const Request &request,
                                                     const swf::ItemComparison &items, int64_t exactWork)
{
    const std::optional<swf::EditedItems> edited = swf::Edited(items, request.visible);
    if (!edited || edited->area.isEmpty()) {
        return EditPreview::None;
    }
    const size_t kept = picture_->below.KeptFor(edited->area, edited->range.begin, items.AfterLayered());
    const int64_t work = swf::RepaintWork(items, {kept, SIZE_MAX}, edited->area);
    const int64_t budget = mostEditedAreaWork.load();
    if (work > budget) {
        return EditPreview::None;
    }
    if (edited->range.begin == 0 && edited->range.end == items.AfterSize() && exactWork <= budget) {
        return EditPreview::DrawExact;
    }
    // The area is painted straight into the target over the last picture; only its pixels are
    // kept apart, for showing the preview again.
    swf::CopyArea(picture_->image, target, request.visible);
    swf::RenderCounts counts;
    const std::vector<size_t> among = swf::ItemsTouching(items, edited->area);
    const swf::PictureSetup setup{request.movie,       &state_->displayList, request.visible, request.view,
                                  QualityOf(quality_), request.background,   &counts,
                                  nullptr,             &among};
    picture_->below.PaintOver(setup, target, edited->area, kept);
    AddRenderCounts(counts);
    preview_ = picture_->image;
    previewPatch_ = target.copy(edited->area);
    previewPatchAt_ = edited->area.topLeft();
    return EditPreview::Shown;
}

// Shows what the picture will be until the worker is done: the last picture shifted along with
// the items when they all moved alike by whole pixels, else the last picture with the area of
// the items that differ painted again when that is little work, else shifted along with items
// that moved alike but for a few reshaped, else the last picture. False (nothing shown) when the
// exact picture is to be drawn at once.
bool MoviePlayer::ShowPreview(QImage &target, const Request &request, const swf::ItemComparison &items,
                              int64_t exactWork)
{
    // A shift shows the items above those it leaves only over one colour.
    auto overUniform = [&](std::optional<swf::ItemShift> shift) {
        return shift && (shift->from == 0 || UniformBelow(request, items, shift->from)) ? shift : std::nullopt;
    };
    previewPatch_ = QImage();
    std::vector<size_t> reshaped;
    std::optional<swf::ItemShift> moved = overUniform(swf::WholePixelShift(items, request.view));
    if (!moved) {
        switch (ShowEditedArea(target, request, items, exactWork)) {
        case EditPreview::Shown:
            return true;
        case EditPreview::DrawExact:
            return false;
        case EditPreview::None:
            break;
        }
        moved = overUniform(swf::RoughShift(items, request.view, &reshaped));
    }
    QImage preview = moved ? PreviewImage(target) : QImage();
    if (!moved && ShowNewMoviePreview(target, request, items)) {
        return true;
    }
    if (preview.isNull()) {  // no shift, or no memory for a shifted copy: the last picture stays
        preview_ = picture_->image;
        swf::CopyArea(preview_, target, request.visible);
        return true;
    }
    const std::vector<QRect> bare = swf::CopyShifted(picture_->image, preview, request.visible, moved->offset);
    int64_t barePixels = 0;
    int64_t bareWork = 0;
    for (const QRect &part : bare) {
        barePixels += static_cast<int64_t>(part.width()) * part.height();
        bareWork += swf::RepaintWork(items, {}, part);
    }
    const bool drawBare = barePixels * kMaxUncoveredPart <=
                              static_cast<int64_t>(request.visible.width()) * request.visible.height() &&
                          bareWork <= kMaxPreviewWork;
    for (const QRect &part : bare) {
        swf::FillArea(preview, part, request.background);
        if (drawBare) {
            const std::vector<size_t> among = swf::ItemsTouching(items, part);
            swf::RenderDisplayList(*request.movie, state_->displayList, preview, request.visible, part, request.view,
                                   QualityOf(quality_), {0, SIZE_MAX, &among});
        }
    }
    RepaintReshaped(preview, request, items, *moved, reshaped);
    preview_ = std::move(preview);
    swf::CopyArea(preview_, target, request.visible);
    return true;
}

// Paints the areas where the items a rough shift took reshaped differ from their shifted pixels
// again, with everything that reaches into them: the preview then shows their new outlines.
void MoviePlayer::RepaintReshaped(QImage &preview, const Request &request, const swf::ItemComparison &items,
                                  const swf::ItemShift &shift, const std::vector<size_t> &reshaped)
{
    if (reshaped.empty()) {
        return;
    }
    swf::RenderCounts counts;
    const swf::PictureSetup setup{request.movie,       &state_->displayList, request.visible, request.view,
                                  QualityOf(quality_), request.background,   &counts};
    swf::RepaintReshaped(setup, preview, items, shift, reshaped);
    AddRenderCounts(counts);
}

// Shows the preview of the render being drawn once more.
void MoviePlayer::ShowPreviewAgain(QImage &target, const QRect &visible) const
{
    swf::CopyArea(preview_, target, visible);
    if (!previewPatch_.isNull()) {
        swf::PasteImage(previewPatch_, target, previewPatchAt_);
    }
}

// Whether most items of the new movie are none of the last picture's items in place: neither
// the same group (moved, say) nor anything covering the same device area (restyled). A drawing
// opened in place of another, not an edit of it.
bool MoviePlayer::WhollyNew(const swf::ItemComparison &items)
{
    const size_t end = items.AfterSize() - items.Tail();
    size_t fresh = 0;
    for (size_t i = items.Head(); i < end; ++i) {
        const bool inPlace = i < items.BeforeSize() &&
                             (items.After(i).group == items.Before(i).group ||
                              (items.AfterArea(i).known && items.BeforeArea(i).known &&
                               items.AfterArea(i).device == items.BeforeArea(i).device));
        if (!inPlace && ++fresh * 2 > items.AfterSize()) {
            return true;
        }
    }
    return false;
}

// Shows, for a wholly new movie, what it shows without the items that differ: the background
// with the unchanged items below and above them (the canvas paper) when they are little work to
// draw, else the background alone. The last picture would show the movie before. False (nothing
// shown) when the movie is not wholly new.
bool MoviePlayer::ShowNewMoviePreview(QImage &target, const Request &request, const swf::ItemComparison &items)
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
    const size_t kept = picture_->below.KeptFor(request.visible, head, items.AfterLayered());
    const int64_t work = swf::RepaintWork(items, {kept, head}, request.visible) +
                         swf::RepaintWork(items, {tailBegin, SIZE_MAX}, request.visible);
    std::vector<size_t> unchanged;
    if (work <= kMaxPreviewWork) {
        for (size_t i = kept; i < head; ++i) {
            unchanged.push_back(i);
        }
        for (size_t i = tailBegin; i < items.AfterSize(); ++i) {
            unchanged.push_back(i);
        }
    }
    swf::RenderCounts counts;
    const swf::PictureSetup setup{request.movie,       &state_->displayList, request.visible, request.view,
                                  QualityOf(quality_), request.background,   &counts,
                                  nullptr,             &unchanged};
    picture_->below.PaintOver(setup, preview, request.visible, work <= kMaxPreviewWork ? kept : 0);
    AddRenderCounts(counts);
    preview_ = std::move(preview);
    swf::CopyArea(preview_, target, request.visible);
    return true;
}

}  // namespace platform
