// The movie player: loads a movie file (SWF), keeps its frames and display list, plays it on a
// clock the window ticks and draws the current frame into an image.
#pragma once

#include <QImage>
#include <QRect>

#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

class GroupCache;
class JobCompletion;

namespace swf {
class Previews;
class RenderJob;
struct ItemsChange;
struct RenderCounts;
struct Movie;
struct RetainedPicture;
struct ShownFrame;
struct PictureSetup;
struct ViewRequest;
enum class Quality : uint8_t;
}

// What RenderSoon showed while a worker draws the exact picture (swf_previews.h tells what each
// shows and when): None when it showed the exact picture.
enum class PreviewKind : uint8_t {
    None,
    Shifted,
    EditedArea,
    RoughlyShifted,
    NewMovie,
    LastPicture,
    ScrolledView,
    ScaledView
};
constexpr size_t kPreviewKinds = static_cast<size_t>(PreviewKind::ScaledView) + 1;

// Work a player has done since it was made. Loading movies: style groups whose records were read
// (not taken whole by their bytes from a group cache), groups whose paths were built, and groups
// taken from a group cache one by one by comparing their bytes (runs of groups that the movie
// before had at the same place are taken whole, uncounted); of the groups read, those whose edge
// records were decoded (the others repeat a kept group's edge records, with new styles or moved).
// Rendering: elements of line outlines built, and of those kept for later renders with the bytes
// their compact form takes (within a budget of bytes all players share); tiles of long fills
// drawn without anti-aliasing and the edges given to them; for fills drawn with anti-aliasing,
// the rows drawn times the lines of a fill crossing each, and the pixel cells made from them;
// elements of long lines looked at to find their parts near the band drawn (a figure painter's).
// Paint items (the groups at their placements) made for renders, and those compared one by one
// with the last picture's to tell what changed. Previews shown, by kind.
struct PlayerStats {
    int64_t groupsRead = 0;
    int64_t groupsBuilt = 0;
    int64_t groupsTaken = 0;
    int64_t groupsDecoded = 0;
    int64_t outlineElementsBuilt = 0;
    int64_t outlineElementsKept = 0;
    int64_t outlineBytesKept = 0;
    int64_t tilesFilled = 0;
    int64_t tileEdges = 0;
    int64_t fillLineRows = 0;
    int64_t fillCells = 0;
    int64_t lineElementsSearched = 0;
    int64_t itemsMade = 0;
    int64_t itemsCompared = 0;
    std::array<int64_t, kPreviewKinds> previewsShown{};
};

class MoviePlayer {
public:
    MoviePlayer();
    ~MoviePlayer();
    MoviePlayer(const MoviePlayer &) = delete;
    MoviePlayer &operator=(const MoviePlayer &) = delete;

    // Loads the movie file at once (the whole file is read and closed, so it can be deleted or
    // rewritten right after). A name that names no file unloads the current movie; a file that is
    // not a readable movie renders as the background. A movie of several frames starts playing.
    void SetMovie(const std::string &path);
    // Loads a movie held in memory as SetMovie loads a file (bytes are not kept); name is what
    // Movie() reports afterwards.
    void SetMovieBytes(const std::string &name, std::string_view bytes);
    const std::string &Movie() const { return moviePath_; }
    // Whether the last movie loaded could not be held in the memory left (it shows as its
    // background).
    bool OutOfMemory() const { return outOfMemory_; }

    // 0x00RRGGBB behind the movie's content; -1 (the default) uses the movie's own background
    // colour, white when it has none.
    void SetBackgroundColor(int32_t rgb) { backgroundColor_ = rgb; }
    int32_t BackgroundColor() const { return backgroundColor_; }

    // "low" (no anti-aliasing), "medium", "high" or "best" (in any case); other names are ignored.
    void SetQuality2(const std::string &quality);
    std::string Quality2() const;

    // Playback. Play at the last frame starts again from the first; playback stops by itself at
    // the last frame.
    void Play();
    void Stop();
    bool IsPlaying() const { return playing_; }
    // Frames of the loaded movie (0 when none is loaded).
    int32_t TotalFrames() const;
    // Shows a frame (0-based; clamped to the movie).
    void GotoFrame(int32_t frame);
    // The current frame, 0-based; -1 when no movie is loaded.
    int32_t FrameNum() const;
    // Advances the clock by ms milliseconds, stepping frames at the movie's frame rate.
    void Tick(int32_t ms);

    // Shares the shape groups this player builds with the other players of cache: each takes the
    // groups the others built instead of building them again. Until then (or given null) the
    // player keeps its groups in a cache of its own.
    void ShareGroups(std::shared_ptr<GroupCache> cache);
    const PlayerStats &Stats() const { return stats_; }
    // Gives back the room kept for the next load and preview (the slots of groups let go, the
    // preview's pixels once no worker draws): for a player left idle. What it shows and the
    // groups the next movie takes over stay.
    void ReleaseSpareRoom();

    // Paints the current frame over the background colour, the movie's frame area scaled to fill
    // rect. Only the part of rect inside target is touched, however large rect is. The picture is
    // kept: rendered again the same way, only the area where the content changed is repainted.
    void Render(QImage &target, const QRect &rect) { Render(target, rect, FrameArea()); }
    // The same with the part of the movie's plane (twips) that fills rect given: content past the
    // movie's frame is drawn where area reaches beyond it (a canvas larger than the 16-bit frame).
    void Render(QImage &target, const QRect &rect, const QRectF &area);

    // Renders as Render does while the exact picture is cheap to draw (judged by counting the
    // items and the area the change touches, as swf_repaint_cost.h does). A costlier one is drawn
    // on a worker thread: target gets a preview at once (LastPreview tells which) and false is
    // returned. Once the worker is done, rendering again the same way gives the exact picture (and
    // returns true). A newer movie or render cancels the worker's render; its result is then
    // never shown.
    bool RenderSoon(QImage &target, const QRect &rect) { return RenderSoon(target, rect, FrameArea()); }
    // The same with the part of the movie's plane that fills rect given, as Render takes it.
    bool RenderSoon(QImage &target, const QRect &rect, const QRectF &area);
    // What the last RenderSoon showed (None after an exact picture).
    PreviewKind LastPreview() const { return lastPreview_; }
    // Whether the worker's exact picture is drawn and waits for the next RenderSoon.
    bool ExactReady() const;
    // Whether a worker still draws (or holds) an exact picture not yet shown.
    bool RenderPending() const { return job_ != nullptr; }
    // Blocks until the worker's render, if there is one, is done.
    void FinishPendingRender();
    // Cancels the worker's render and waits until the worker has left it (its done call too).
    void CancelPendingRender();
    // Whether the worker's render could not get the memory it takes: the canvas keeps what it
    // showed, and the next RenderSoon tries again.
    bool RenderRefusedMemory() const;
    // done is called on the worker's thread whenever it has drawn an exact picture, or has failed
    // to for want of memory (not for a cancelled one); it is taken by the renders started after
    // this call.
    void OnExactReady(std::function<void()> done) { exactReady_ = std::move(done); }
    // Exact pictures drawn by workers since the player was made.
    int64_t WorkerRendersDone() const { return workerRendersDone_->load(); }

private:
    struct Request;

    void Unload(const std::string &name);
    void ParseLoaded(std::string_view bytes);
    void ShowFrame(int32_t frame);
    QRgb Background() const;
    QRectF FrameArea() const;
    void AddRenderCounts(const swf::RenderCounts &counts);
    bool Requested(QImage &target, const QRect &rect, const QRectF &area, Request &request);
    swf::PictureSetup SetupOf(const Request &request, swf::RenderCounts *counts) const;
    swf::ItemsChange ChangeOfItems(const Request &request);
    void Paint(QImage &target, const Request &request, const std::vector<QRect> &areas, size_t head);
    bool RenderZoomed(QImage &target, const Request &request, const swf::ViewRequest &view);
    void StartJob(const Request &request, swf::ItemsChange change, const QRect &changed, size_t head,
                  bool withoutClipLayers, PreviewKind shown, std::optional<std::vector<size_t>> among = std::nullopt);
    void CancelJob();
    bool CancelledJobThrough();
    void AdoptDrawnJob();

    std::string moviePath_;
    bool outOfMemory_ = false;
    int32_t backgroundColor_ = -1;
    swf::Quality quality_;
    bool playing_ = false;
    double clockMs_ = 0;
    std::shared_ptr<swf::ShownFrame> frame_;  // shared with the worker drawing it
    // The last movie loaded, kept once unloaded until the next one is read, which takes over what
    // the two have in common.
    std::shared_ptr<swf::Movie> previousMovie_;
    // Shape groups of the last movie (and of the players sharing them), reused by the next one
    // wherever they are unchanged.
    std::shared_ptr<GroupCache> groupCache_;
    PlayerStats stats_;  // rendering counts too
    // The last rendered picture and what it shows.
    std::unique_ptr<swf::RetainedPicture> picture_;
    // The exact render on a worker thread, and what was shown meanwhile.
    std::shared_ptr<swf::RenderJob> job_;
    // The last job cancelled, until it is seen through: till then its worker may still read the
    // frame and movie it held.
    std::shared_ptr<const JobCompletion> cancelledJob_;
    std::unique_ptr<swf::Previews> previews_;
    PreviewKind lastPreview_ = PreviewKind::None;
    std::function<void()> exactReady_;
    std::shared_ptr<std::atomic<int64_t>> workerRendersDone_ = std::make_shared<std::atomic<int64_t>>(0);
};

}  // namespace platform
