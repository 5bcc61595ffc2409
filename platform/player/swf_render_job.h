// The exact render of a costly change, drawn on a worker thread while the window shows a preview.
// Internal to the player.
//
// Threads: the player's thread makes a job, starts it, cancels it and takes its picture once it
// is drawn; the render lane's thread only runs it. The job holds on to the frame it draws (which the
// player no longer changes: it changes a copy) and to a copy of the last picture, whose pixels
// it shares until it writes them.
#pragma once

#include "platform/base/background_job.h"
#include "platform/player/movie_player.h"
#include "platform/player/swf_paint_items.h"
#include "platform/player/swf_render_counts.h"
#include "platform/player/swf_retained_picture.h"
#include "platform/player/swf_shown_frame.h"

#include <QRect>

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace platform::swf {

class RenderJob : public BackgroundJob {
public:
    // What the worker draws: picture brought up to the frame by painting changed anew (head
    // leading items unchanged, as RetainedPicture::PaintChanged takes them).
    struct Work {
        std::shared_ptr<const ShownFrame> frame;
        RetainedPicture picture;
        ItemsChange items;  // from the last picture's items to the frame's, applied when taken
        QRect changed;
        size_t head = 0;
        bool withoutClipLayers = true;
        // Called on the worker's thread once the picture is drawn, or could not be for want of
        // memory (not for a cancelled one).
        std::function<void()> done;
        // Counts the pictures drawn, for whoever started the job.
        std::shared_ptr<std::atomic<int64_t>> drawnCount;
        PreviewKind preview = PreviewKind::None;  // what shows until the picture is taken
        // The picture is of a new view: changed covers all of it, and its items are made anew
        // (items is left empty) for the player to take with it.
        bool newView = false;
        // The new items (sorted) that may reach into the rows of changed, when they were found
        // (for strips a scroll uncovered); else every item is looked at.
        std::optional<std::vector<size_t>> among;
    };

    // Starts drawing work on the render lane (one job at a time; a newer one waits for the one
    // before, which a cancel ends soon).
    static std::shared_ptr<RenderJob> Start(Work work);

    // Whether the job draws frame into a picture painted like this.
    bool Draws(const std::shared_ptr<const ShownFrame> &frame, const QImage &target, const QRect &rect,
               QRgb background, const QTransform &view, Quality quality) const;
    // Whether the picture is complete: the worker no longer touches it.
    bool Drawn() const { return drawn_.load(); }
    // Whether the worker could not get the memory the picture takes: it is through with the job,
    // which never draws.
    bool OutOfMemory() const { return outOfMemory_.load(); }

    // Once drawn: the picture, the change of items it shows and the work its drawing took.
    Work &Result() { return work_; }
    const RenderCounts &Counts() const { return counts_; }
    PreviewKind Preview() const { return work_.preview; }

    explicit RenderJob(Work work) : work_(std::move(work)) {}

private:
    void Run(const std::atomic<bool> &cancel) override;

    Work work_;
    std::atomic<bool> drawn_{false};
    std::atomic<bool> outOfMemory_{false};
    RenderCounts counts_;
};

}  // namespace platform::swf
