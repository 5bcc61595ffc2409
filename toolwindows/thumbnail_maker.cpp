#include "toolwindows/thumbnail_maker.h"

#include "core/canvas_settings.h"
#include "core/document.h"
#include "movie/movie_writer.h"
#include "platform/base/background_job.h"
#include "platform/base/idle_memory_release.h"
#include "platform/base/parallel_for.h"
#include "platform/base/rounding.h"
#include "platform/player/movie_player.h"
#include "toolwindows/thumbnail_movies.h"

#include <algorithm>
#include <mutex>
#include <new>

#ifdef __linux__
#include <sys/resource.h>
#include <unistd.h>
#endif

namespace toolwindows {
namespace {

// One worker: a newer job waits for the one before, which a cancel ends at its next step.
platform::JobLane &MakerLane()
{
    static platform::JobLane lane;
    return lane;
}

// The selected paths of the subject as the thumbnail draws them (shown), in document order.
core::PathArray SelectedCopies(const ThumbnailSubject &subject)
{
    core::PathArray copies{core::PathRecord()};
    copies.reserve(subject.sources.size());
    for (size_t k = 1; k < subject.sources.size(); ++k) {
        core::PathRecord &copy = copies.emplace_back(subject.paths[subject.sources[k]]);
        copy.DispFlags &= ~core::kDispHidden;
    }
    return copies;
}

// Whether last's picture shows subject: the same paths in the same pane and look, all moved by
// one offset (none included).
bool ShowsAlike(const MadeThumbnail &last, const ThumbnailSubject &subject, const std::atomic<bool> &cancel)
{
    const ThumbnailSubject &before = last.subject;
    if (last.image.isNull() || before.paneWidth != subject.paneWidth || before.paneHeight != subject.paneHeight ||
        before.background != subject.background || before.quality != subject.quality ||
        before.sources != subject.sources) {
        return false;
    }
    bool offsetKnown = false;
    int64_t dx = 0;
    int64_t dy = 0;
    for (size_t k = 1; k < subject.sources.size(); ++k) {
        const size_t i = subject.sources[k];
        if (cancel.load()) {
            return false;
        }
        if (offsetKnown && dx == 0 && dy == 0 && subject.paths.SharesRecord(before.paths, i)) {
            continue;  // one stored record: the same path
        }
        core::PathRecord was = before.paths[i];
        core::PathRecord now = subject.paths[i];
        if (!offsetKnown && !was.Anchors.empty()) {
            if (now.Anchors.empty()) {
                return false;
            }
            dx = int64_t{now.Anchors[0].X} - was.Anchors[0].X;
            dy = int64_t{now.Anchors[0].Y} - was.Anchors[0].Y;
            offsetKnown = true;
        }
        if (!TranslatePath(was, dx, dy) || !SameThumbnailLook(was, now)) {
            return false;
        }
    }
    return offsetKnown;
}

// The worker yields to the window's thread, the canvas and other programs: a thumbnail may come
// late, the window must not. It draws on its own thread only, leaving the shared workers to the
// canvas.
void LowerWorkerPriority()
{
    thread_local bool lowered = false;
    if (lowered) {
        return;
    }
    lowered = true;
    platform::WorkAloneOnThisThread();
#ifdef __linux__
    setpriority(PRIO_PROCESS, static_cast<id_t>(gettid()), 10);
#endif
}

}  // namespace

bool SameThumbnailLook(const core::PathRecord &stored, const core::PathRecord &path)
{
    if (!path.IsHidden()) {
        return stored == path;
    }
    if (stored.DispFlags != (path.DispFlags & ~core::kDispHidden)) {
        return false;
    }
    core::PathRecord shown = path;  // a selected hidden path: rare
    shown.DispFlags = stored.DispFlags;
    return stored == shown;
}

bool TranslatePath(core::PathRecord &path, int64_t dx, int64_t dy)
{
    auto fits = [](int64_t value) { return value >= INT32_MIN && value <= INT32_MAX; };
    auto fitsMoved = [&](int32_t x, int32_t y) { return fits(x + dx) && fits(y + dy); };
    bool inRange = fitsMoved(path.GradCenterX, path.GradCenterY) &&
                   std::all_of(path.Anchors.begin(), path.Anchors.end(),
                               [&](const core::AnchorPoint &a) { return fitsMoved(a.X, a.Y); });
    if (!inRange) {
        return false;
    }
    for (core::AnchorPoint &anchor : path.Anchors) {
        anchor.X = static_cast<int32_t>(anchor.X + dx);
        anchor.Y = static_cast<int32_t>(anchor.Y + dy);
    }
    path.GradCenterX = static_cast<int32_t>(path.GradCenterX + dx);
    path.GradCenterY = static_cast<int32_t>(path.GradCenterY + dy);
    return true;
}

bool MakeThumbnail(const ThumbnailSubject &subject, const MadeThumbnail *last, MadeThumbnail &made,
                   const std::atomic<bool> &cancel)
{
    made.subject = subject;
    if (last && ShowsAlike(*last, subject, cancel)) {
        made.image = last->image;
        made.rect = last->rect;
        return !cancel.load();
    }
    core::PathArray copies = SelectedCopies(subject);
    const core::Rect32 bounds = core::GetPathsBounds(copies);
    const int64_t w = (int64_t{bounds.Right} - bounds.Left) / 20;
    const int64_t h = (int64_t{bounds.Bottom} - bounds.Top) / 20;
    made.rect = FitThumbnail(subject.paneWidth, subject.paneHeight, w, h);
    if (made.rect.isEmpty() || cancel.load()) {
        return !cancel.load();
    }
    const int32_t frameWidth = platform::SaturateCast<int32_t>(w);
    const int32_t frameHeight = platform::SaturateCast<int32_t>(h);
    std::string bytes;
    {
        movie::ThreadWriter writer;
        bytes = ThumbnailMovieBytes(copies, frameWidth, frameHeight, platform::SaturateCast<int32_t>(-int64_t{bounds.Left}),
                                    platform::SaturateCast<int32_t>(-int64_t{bounds.Top}));
    }
    copies = core::PathArray();
    if (cancel.load()) {
        return false;
    }
    if (bytes.empty()) {
        made.image = QImage(made.rect.size(), QImage::Format_RGB32);
        made.image.fill(Qt::white);
        return true;
    }
    {
        platform::MoviePlayer player;
        player.SetBackgroundColor(subject.background);
        player.SetMovieBytes("thumbnail", bytes);
        std::string().swap(bytes);  // an empty string assigned would keep the memory
        if (!cancel.load()) {
            made.image = RenderLoadedThumbnail(player, core::QualityName(subject.quality), made.rect.width(),
                                               made.rect.height(), frameWidth, frameHeight);
        }
    }
    return !cancel.load();
}

// ---- the worker ----

struct ThumbnailMaker::Job : platform::BackgroundJob {
    ThumbnailSubject subject;
    std::shared_ptr<const MadeThumbnail> last;
    std::mutex mutex;
    ThumbnailMaker *maker = nullptr;  // null once cancelled; read and cleared under mutex
    std::shared_ptr<const MadeThumbnail> made;  // set before the job is finished

    void Run(const std::atomic<bool> &cancel) override
    {
        LowerWorkerPriority();
        auto result = std::make_shared<MadeThumbnail>();
        bool done = false;
        try {
            done = MakeThumbnail(subject, last.get(), *result, cancel);
        } catch (const std::bad_alloc &) {
            // A thumbnail that cannot get its memory is not made; the list shows the last one.
            result.reset();
        }
        subject = ThumbnailSubject();
        last.reset();
        // The memory a large thumbnail took (its movie, records and groups), a cancelled job's too.
        platform::ReleaseFreedHeapMemory();
        std::lock_guard<std::mutex> lock(mutex);
        if (done) {
            made = std::move(result);
        }
        // Posted while the maker is known to live: an event left for a maker that ends is dropped.
        if (done && maker) {
            ThumbnailMaker *owner = maker;
            auto job = std::static_pointer_cast<Job>(shared_from_this());
            QMetaObject::invokeMethod(owner, [owner, job] { owner->HandOver(job); }, Qt::QueuedConnection);
        }
    }
};

ThumbnailMaker::ThumbnailMaker(Shown shown) : shown_(std::move(shown)) {}

ThumbnailMaker::~ThumbnailMaker()
{
    Cancel();
}

void ThumbnailMaker::Start(ThumbnailSubject subject, std::shared_ptr<const MadeThumbnail> last)
{
    Cancel();
    auto job = std::make_shared<Job>();
    job->subject = std::move(subject);
    job->last = std::move(last);
    job->maker = this;
    job_ = job;
    MakerLane().Start(job);
}

void ThumbnailMaker::Cancel()
{
    if (!job_) {
        return;
    }
    // Held here until the lock is let go: the lane may drop the job's last other hold meanwhile.
    const std::shared_ptr<Job> job = std::move(job_);
    job->Cancel();
    std::lock_guard<std::mutex> lock(job->mutex);
    job->maker = nullptr;
}

void ThumbnailMaker::Finish()
{
    if (std::shared_ptr<Job> job = job_) {
        job->WaitFinished();
        HandOver(job);
    }
}

void ThumbnailMaker::HandOver(const std::shared_ptr<Job> &job)
{
    if (job != job_) {
        return;  // cancelled, superseded or handed over already
    }
    job_.reset();
    if (job->made) {
        shown_(job->made);
    }
}

void HoldThumbnailJobsForTest(bool hold)
{
    MakerLane().HoldForTest(hold);
}

void WaitForThumbnailJobsForTest()
{
    MakerLane().WaitIdle();
}

}  // namespace toolwindows
