// Limits of what the player reads from one movie. Internal to the player.
#pragma once

#include <cstddef>
#include <cstdint>

namespace platform::swf {

// Limits that keep hostile files cheap: every count read from a file is also bounded by the
// bytes that remain, these cap what the bytes could still multiply into.
constexpr size_t kMaxMovieBytes = 128u << 20;     // inflated size of a compressed movie
constexpr size_t kMaxEdgesPerMovie = 16u << 20;   // shape edges over all characters
constexpr size_t kMaxFrames = 65535;
// Display-list operations (placements and removals) kept in one frame and in the whole movie; a
// movie with more is read up to there, as if it were cut off.
constexpr size_t kMaxPlacementsPerFrame = 1u << 17;
constexpr size_t kMaxPlacementsPerMovie = 1u << 19;
constexpr int64_t kMaxBitmapPixels = 32ll << 20;  // decoded bitmap size
constexpr int kMaxBitmapSide = 16384;

}  // namespace platform::swf
