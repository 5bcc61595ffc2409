// The path list's thumbnail of a large selection, made on a worker thread: the window hands over
// a snapshot of the drawing's paths (sharing their records with the undo history, so taking it
// costs little) and keeps showing its last thumbnail until the new one is handed back. The worker
// writes the movie with a writer of its own, loads it into a player of its own and renders it;
// what it held is freed when it is done.
#pragma once

#include "core/path_record.h"
#include "core/shared_paths.h"

#include <QImage>
#include <QObject>
#include <QRect>

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

namespace toolwindows {

// What a thumbnail shows: the selected paths (document indices `sources`, element 0 unused) of a
// snapshot of the drawing, fitted into a pane of paneWidth x paneHeight pixels over background
// (0xRRGGBB) in the drawing's quality (0-3).
struct ThumbnailSubject {
    core::SharedPathArray paths;
    std::vector<size_t> sources{0};
    int paneWidth = 0;
    int paneHeight = 0;
    int32_t background = 0;
    int16_t quality = 0;
};

// A thumbnail made: its subject, the image and where it goes in the pane. A null image draws
// nothing (the pane stays cleared).
struct MadeThumbnail {
    ThumbnailSubject subject;
    QImage image;
    QRect rect;
};

// Whether path looks like stored as a thumbnail draws it (shown): the hidden flag of path is set
// aside for the comparison.
bool SameThumbnailLook(const core::PathRecord &stored, const core::PathRecord &path);

// Moves a path by (dx, dy): its anchors and gradient centre. False (path untouched) when a
// coordinate would leave the 32-bit range.
bool TranslatePath(core::PathRecord &path, int64_t dx, int64_t dy);

// Makes the thumbnail of subject on the calling thread. When last shows the same paths in the same
// pane and look, all moved alike or not at all (the picture, fitted to their bounds, is the same),
// its image is taken. Returns false, made unfinished, when cancel is set before it is done.
bool MakeThumbnail(const ThumbnailSubject &subject, const MadeThumbnail *last, MadeThumbnail &made,
                   const std::atomic<bool> &cancel);

// Runs MakeThumbnail on a worker thread, one job at a time, and hands the thumbnail to shown on
// the thread that made this object. A newer job, Cancel or the maker's end cancels the job before:
// its thumbnail is never handed over.
class ThumbnailMaker : public QObject {
public:
    using Shown = std::function<void(std::shared_ptr<const MadeThumbnail>)>;
    explicit ThumbnailMaker(Shown shown);
    ~ThumbnailMaker() override;

    // Starts making the thumbnail of subject; last is the thumbnail shown last (may be null).
    void Start(ThumbnailSubject subject, std::shared_ptr<const MadeThumbnail> last);
    void Cancel();
    // Whether a job was started and its thumbnail not yet handed over.
    bool Busy() const { return job_ != nullptr; }
    // Waits for the job, if any, and hands its thumbnail over now.
    void Finish();

private:
    struct Job;
    void HandOver(const std::shared_ptr<Job> &job);

    Shown shown_;
    std::shared_ptr<Job> job_;
};

// While held, a job waits before it starts its work until it is cancelled (a test sees a job that
// is not finished).
void HoldThumbnailJobsForTest(bool hold);
// Waits until every job the workers took, cancelled ones included, has ended.
void WaitForThumbnailJobsForTest();

}  // namespace toolwindows
