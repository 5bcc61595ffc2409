#include "platform/player/swf_render_job.h"

#include "platform/player/player_testing.h"

#include <new>

namespace platform {
namespace {

// The thread of exact renders: one job at a time (a cancelled one ends soon), whose bands are
// drawn by the shared worker threads.
JobLane &RenderLane()
{
    static JobLane lane;
    return lane;
}

std::atomic<bool> refuseMemory{false};  // see RefuseWorkerRenderMemoryForTest

}  // namespace

void RefuseWorkerRenderMemoryForTest(bool refused)
{
    refuseMemory = refused;
}

void HoldWorkerRendersForTest(bool held)
{
    RenderLane().HoldForTest(held);
}

namespace swf {

std::shared_ptr<RenderJob> RenderJob::Start(Work work)
{
    auto job = std::make_shared<RenderJob>(std::move(work));
    RenderLane().Start(job);
    return job;
}

bool RenderJob::Draws(const std::shared_ptr<const ShownFrame> &frame, const QImage &target, const QRect &rect,
                      QRgb background, const QTransform &view, Quality quality) const
{
    return work_.frame == frame && work_.picture.PaintedLike(target, rect, background, view, quality);
}

void RenderJob::Run(const std::atomic<bool> &cancel)
{
    RetainedPicture &picture = work_.picture;
    const PictureSetup setup{work_.frame->movie.get(),
                             &work_.frame->displayList,
                             picture.rect.intersected(picture.image.rect()),
                             picture.view,
                             picture.quality,
                             picture.background,
                             &counts_,
                             &cancel,
                             work_.among ? &*work_.among : nullptr};
    try {
        if (refuseMemory.load()) {
            throw std::bad_alloc();
        }
        if (work_.newView) {
            picture.items = AllItems(*setup.movie, *setup.list, picture.view);
        }
        picture.PaintChanged(setup, work_.changed, work_.head, work_.withoutClipLayers);
    } catch (const std::bad_alloc &) {
        // A render that cannot get its memory fails as a render: the player keeps its last
        // picture, and the program goes on; whoever waits for the picture is told it has ended.
        outOfMemory_.store(true);
        if (work_.done) {
            work_.done();
        }
        return;
    }
    if (!cancel.load()) {
        drawn_.store(true);
        ++*work_.drawnCount;
        if (work_.done) {
            work_.done();
        }
    }
}

}  // namespace swf
}  // namespace platform
