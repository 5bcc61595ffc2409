// The movie player: loads a movie file (SWF), keeps its frames and display list, plays it on a
// clock the window ticks and draws the current frame into an image.
#pragma once

#include <QImage>
#include <QRect>

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace platform {

class GroupCache;

namespace swf {
struct Movie;
}

// Work a player has done since it was made. Loading movies: style groups whose records were read
// (not taken whole by their bytes from a group cache), and groups whose paths were built.
// Rendering: elements of line outlines built, and of those kept for later renders (within a budget
// all players share); tiles of long fills drawn without anti-aliasing and the edges given to
// them; for fills drawn with anti-aliasing, the rows drawn times the lines of a fill crossing
// each, and the pixel cells made from them.
struct PlayerStats {
    int64_t groupsRead = 0;
    int64_t groupsBuilt = 0;
    int64_t outlineElementsBuilt = 0;
    int64_t outlineElementsKept = 0;
    int64_t tilesFilled = 0;
    int64_t tileEdges = 0;
    int64_t fillLineRows = 0;
    int64_t fillCells = 0;
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

    // "low" (no anti-aliasing), "medium", "high" or "best"; other names are ignored.
    void SetQuality2(const std::string &quality);
    const std::string &Quality2() const { return quality_; }

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

    // Paints the current frame over the background colour, the movie's frame area scaled to fill
    // rect. Only the part of rect inside target is touched, however large rect is. The picture is
    // kept: rendered again the same way, only the area where the content changed is repainted.
    void Render(QImage &target, const QRect &rect) const;
    // The same with the part of the movie's plane (twips) that fills rect given: content past the
    // movie's frame is drawn where area reaches beyond it (a canvas larger than the 16-bit frame).
    void Render(QImage &target, const QRect &rect, const QRectF &area) const;

private:
    struct State;
    struct Picture;

    void Unload(const std::string &name);
    void ParseLoaded(std::string_view bytes);
    void ShowFrame(int32_t frame);
    QRgb Background() const;

    std::string moviePath_;
    bool outOfMemory_ = false;
    int32_t backgroundColor_ = -1;
    std::string quality_ = "high";
    bool playing_ = false;
    double clockMs_ = 0;
    std::unique_ptr<State> state_;
    // Shape groups of the last movie (and of the players sharing them), reused by the next one
    // wherever they are unchanged.
    std::shared_ptr<GroupCache> groupCache_;
    mutable PlayerStats stats_;  // rendering counts too
    // The last rendered picture and what it shows.
    mutable std::unique_ptr<Picture> picture_;
};

}  // namespace platform
