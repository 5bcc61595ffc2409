#include "platform/player/movie_player.h"

#include "platform/base/atomic_file.h"
#include "platform/player/group_cache.h"
#include "platform/player/swf_below_layer.h"
#include "platform/player/swf_render.h"

#include <algorithm>
#include <filesystem>
#include <new>

namespace platform {

struct MoviePlayer::State {
    std::unique_ptr<swf::Movie> movie;  // null when the file was not a movie
    swf::DisplayList displayList;
    int32_t frame = -1;  // the frame the display list shows; -1 before the first
};

// A rendered picture with everything that decided its pixels.
struct MoviePlayer::Picture {
    QImage image;  // the target's size and format; only the visible part of rect is painted
    QRect rect;
    QRgb background = 0;
    QTransform view;
    std::string quality;
    std::vector<swf::PaintItem> items;
    swf::BelowLayer below;  // what lies below the items edited last

    bool PaintedLike(const QImage &target, const QRect &otherRect, QRgb otherBackground,
                     const QTransform &otherView, const std::string &otherQuality) const
    {
        return image.size() == target.size() && image.format() == target.format() && rect == otherRect &&
               background == otherBackground && view == otherView && quality == otherQuality;
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

}  // namespace

MoviePlayer::MoviePlayer() : groupCache_(std::make_shared<GroupCache>()) {}

MoviePlayer::~MoviePlayer()
{
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
    moviePath_ = name;
    state_.reset();
    playing_ = false;
    clockMs_ = 0;
}

void MoviePlayer::ParseLoaded(std::string_view bytes)
{
    state_ = std::make_unique<State>();
    outOfMemory_ = false;
    try {
        swf::ParseCounts counts;
        const swf::GroupSources sources{&groupCache_->Own(this), groupCache_->Others(this), &counts};
        state_->movie = swf::ParseMovie(bytes, sources);
        stats_.groupsRead += counts.groupsRead;
        stats_.groupsBuilt += counts.groupsBuilt;
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
    State &state = *state_;
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

void MoviePlayer::Render(QImage &target, const QRect &rect) const
{
    const swf::Movie *movie = state_ ? state_->movie.get() : nullptr;
    Render(target, rect, movie ? movie->frameRect : QRectF());
}

void MoviePlayer::Render(QImage &target, const QRect &rect, const QRectF &area) const
{
    const QRect visible = rect.intersected(target.rect());
    if (visible.isEmpty()) {
        return;
    }
    const QRgb background = Background();
    const swf::Movie *movie = state_ ? state_->movie.get() : nullptr;
    if (movie == nullptr || !(area.width() > 0) || !(area.height() > 0) || target.depth() != 32) {
        picture_.reset();
        swf::FillArea(target, visible, background);
        return;
    }
    const QTransform view = QTransform::fromTranslate(-area.left(), -area.top()) *
                            QTransform::fromScale(rect.width() / area.width(), rect.height() / area.height()) *
                            QTransform::fromTranslate(rect.left(), rect.top());
    std::vector<swf::PaintItem> items = swf::PaintItems(*movie, state_->displayList);
    QRect changed = visible;
    size_t head = 0;
    if (picture_ && picture_->PaintedLike(target, rect, background, view, quality_)) {
        changed = swf::ChangedArea(picture_->items, items, view, visible);
        head = swf::UnchangedHead(picture_->items, items);
    } else {
        // The last picture's pixels are all painted again; its memory is kept when it fits.
        QImage image = picture_ && picture_->image.size() == target.size() && picture_->image.format() == target.format()
                           ? std::move(picture_->image)
                           : QImage(target.size(), target.format());
        picture_ = std::make_unique<Picture>(Picture{std::move(image), rect, background, view, quality_, {}, {}});
    }
    // A clip layer changes what is drawn beneath it: such pictures are drawn whole.
    const bool layered = std::none_of(items.begin(), items.end(),
                                      [](const swf::PaintItem &item) { return item.clipDepth > 0; });
    picture_->items = std::move(items);
    if (!changed.isEmpty()) {
        swf::RenderCounts counts;
        const swf::PictureSetup setup{movie, &state_->displayList, visible, view, QualityOf(quality_), background,
                                      &counts};
        picture_->below.PaintChanged(setup, picture_->image, changed, head, layered);
        stats_.outlineElementsBuilt += counts.outlineElementsBuilt;
        stats_.outlineElementsKept += counts.outlineElementsKept;
        stats_.tilesFilled += counts.tilesFilled;
        stats_.tileEdges += counts.tileEdges;
        stats_.fillLineRows += counts.compoundLines;
        stats_.fillCells += counts.compoundCells;
    }
    swf::CopyArea(picture_->image, target, visible);
}

}  // namespace platform
