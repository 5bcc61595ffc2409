// The outline budget is the one count shared between threads and players: it decides what is
// kept.
#include "platform/player/swf_outline_cache.h"

#include "platform/player/swf_line_outline.h"

#include <algorithm>
#include <atomic>

namespace platform::swf {

namespace {

// Taken from the budget for each line kept besides its elements: its path's span and a share of
// the group's allocation.
constexpr int64_t kKeptOutlineLineBytes = 64;

std::atomic<int64_t> heldBytes{0};
// Lines refused for want of room are tried again once an eighth of the budget was given back
// since (the epoch counts such returns): a drawing shown while another one's outlines were still
// held keeps its own once those are gone.
constexpr int64_t kRetryAfterFreedBytes = kMaxHeldOutlineBytes / 8;
std::atomic<int64_t> freedBytes{0};
std::atomic<uint64_t> roomEpoch{0};

}  // namespace

size_t OutlineCache::HeldBytes() const
{
    const std::lock_guard<std::mutex> hold(lock_);
    return sizeof(OutlineCache) + kept_.HeldBytes();
}

OutlineCache::~OutlineCache()
{
    // Only outlines let go with their group count as room given back: those dropped to be built
    // again take their room again at once, and counting them would have refused lines tried
    // again at every render.
    const auto bytes = static_cast<int64_t>(kept_.HeldBytes());
    Drop();
    if (bytes > 0 && freedBytes.fetch_add(bytes) + bytes >= kRetryAfterFreedBytes) {
        freedBytes = 0;
        ++roomEpoch;
    }
}

void OutlineCache::Drop()
{
    heldBytes -= static_cast<int64_t>(kept_.HeldBytes());
    kept_ = CompactPaths();
}

bool OutlineCache::Readied(double scale) const
{
    const std::lock_guard<std::mutex> hold(lock_);
    return ReadiedLocked(scale);
}

bool OutlineCache::ReadiedLocked(double scale) const
{
    return readiedScale_ == OutlineScale(scale) && !(refusedEpoch_ && *refusedEpoch_ != roomEpoch.load());
}

std::optional<CompactPaths> OutlineCache::Copy(double scale) const
{
    const std::lock_guard<std::mutex> hold(lock_);
    if (kept_.size() > 0 && keptScale_ == OutlineScale(scale)) {
        return kept_;
    }
    return std::nullopt;
}

void OutlineCache::Ready(const std::vector<OutlinedLine> &lines, double scale, RenderCounts &counts,
                         CompactPaths::Builder &builder)
{
    const std::lock_guard<std::mutex> hold(lock_);
    if (ReadiedLocked(scale)) {
        return;
    }
    const bool retry = readiedScale_ == OutlineScale(scale);  // lines refused before find room now
    readiedScale_ = OutlineScale(scale);
    refusedEpoch_.reset();
    // Lines all drawn without outlines there (thin at a small scale) leave the kept ones for the
    // scale they were built for, which is readied again as it was.
    if ((keptScale_ == readiedScale_ && !retry) ||
        std::all_of(lines.begin(), lines.end(), [](const OutlinedLine &line) { return line.path == nullptr; })) {
        return;
    }
    const uint64_t epoch = roomEpoch.load();
    Drop();
    keptScale_ = readiedScale_;
    builder.Clear();
    // Each estimate is taken from the shared budget before building, so that groups readied on
    // several threads at once never hold more than the budget together; what the kept form
    // takes replaces it once the group's outlines are made.
    int64_t taken = 0;
    bool kept = false;
    // The last stroke is let go only once the kept form is allocated, so that the kept form does
    // not take the stroke's room, scattering kept outlines among the room strokes are made in.
    QPainterPath stroke;
    for (const OutlinedLine &line : lines) {
        stroke = QPainterPath();
        if (line.path != nullptr) {
            const OutlineCut cut(*line.path, line.width, scale);
            const int64_t estimate = cut.Estimate() * kKeptOutlineElementBytes + kKeptOutlineLineBytes;
            if (cut.Estimate() <= kMaxOutlineElements) {
                if (heldBytes.fetch_add(estimate) + estimate <= kMaxHeldOutlineBytes) {
                    taken += estimate;
                    stroke = cut.Stroke();
                    counts.outlineElementsBuilt += stroke.elementCount();
                    counts.outlineElementsKept += stroke.elementCount();
                    kept = true;
                } else {
                    heldBytes -= estimate;
                    refusedEpoch_ = epoch;
                }
            }
        }
        builder.Record(stroke);
    }
    if (kept) {
        kept_ = builder.Finish({}, CompactPaths::Points::Float);
    }
    const auto bytes = static_cast<int64_t>(kept_.HeldBytes());
    counts.outlineBytesKept += bytes;
    heldBytes += bytes - taken;
}

}  // namespace platform::swf
