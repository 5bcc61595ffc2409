#include "platform/player/swf_render_job.h"

#include "platform/base/test_gate.h"
#include "platform/player/player_testing.h"

#include <QThreadPool>

namespace platform {
namespace {

// Worker renders wait before drawing while a test holds them (see HoldWorkerRendersForTest).
TestGate &Hold()
{
    static TestGate gate;
    return gate;
}

// The worker thread of exact renders: one job at a time (a cancelled one ends soon), whose bands
// are drawn on the global pool.
QThreadPool &JobPool()
{
    static QThreadPool pool;
    pool.setMaxThreadCount(1);
    return pool;
}

}  // namespace

void HoldWorkerRendersForTest(bool held)
{
    Hold().SetClosed(held);
}

namespace swf {

std::shared_ptr<RenderJob> RenderJob::Start(Work work)
{
    auto job = std::make_shared<RenderJob>(std::move(work));
    JobPool().start([job] { job->Run(); });
    return job;
}

bool RenderJob::Draws(const std::shared_ptr<const ShownFrame> &frame, const QImage &target, const QRect &rect,
                      QRgb background, const QTransform &view, Quality quality) const
{
    return work_.frame == frame && work_.picture.PaintedLike(target, rect, background, view, quality);
}

void RenderJob::Cancel()
{
    cancel_.store(true);
    Hold().Wake();  // a held worker sees the cancel
}

void RenderJob::Run()
{
    Hold().WaitWhileClosed(&cancel_);
    RetainedPicture &picture = work_.picture;
    const PictureSetup setup{work_.frame->movie.get(),
                             &work_.frame->displayList,
                             picture.rect.intersected(picture.image.rect()),
                             picture.view,
                             picture.quality,
                             picture.background,
                             &counts_,
                             &cancel_};
    if (!cancel_.load()) {
        picture.PaintChanged(setup, work_.changed, work_.head, work_.withoutClipLayers);
    }
    if (!cancel_.load()) {
        drawn_.store(true);
        ++*work_.drawnCount;
        if (work_.done) {
            work_.done();
        }
    }
    std::lock_guard<std::mutex> lock(mutex_);
    finished_ = true;
    finishedChanged_.notify_all();
}

void RenderJob::WaitFinished()
{
    std::unique_lock<std::mutex> lock(mutex_);
    finishedChanged_.wait(lock, [this] { return finished_; });
}

}  // namespace swf
}  // namespace platform
