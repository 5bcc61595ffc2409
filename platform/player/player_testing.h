// What tests may set in the player to reach cases that no ordinary movie reaches.
#pragma once

#include <cstddef>
#include <cstdint>

namespace platform {

// From now on keeps only the lowest bits of every shape group hash (64, the start-up value, keeps
// them all), so that many different groups share one hash.
void KeepGroupHashBitsForTest(int bits);

// From now on the groups of a shape that are read whole (no cache holds them) are drawn in parts
// of this many, several parts at once on the thread pool (0: the start-up value), so that small
// movies are read in many parts, or large ones in one.
void SetShapeGroupsPerPartForTest(size_t groups);

// From now on MoviePlayer::RenderSoon draws on the spot only renders counting at most this much
// work (negative: the start-up value), so that small movies take the worker's path too.
void SetMostWorkOnTheSpotForTest(int64_t work);

// From now on a preview paints the area of the items an edit changed again only while that counts
// at most this much work (negative: the start-up value), so that small movies take the other
// previews too.
void SetMostEditedAreaWorkForTest(int64_t work);

// While refused, the exact renders of MoviePlayer::RenderSoon fail as when the memory they take
// cannot be had.
void RefuseWorkerRenderMemoryForTest(bool refused);

// While held, the exact renders of MoviePlayer::RenderSoon wait on the worker before drawing (a
// cancelled one ends at once), so that what shows meanwhile can be looked at. Release before
// waiting for a render (FinishPendingRender).
void HoldWorkerRendersForTest(bool held);

// While set, every group of a picture is drawn, also those that opaque fills drawn later hide
// wholly (which are passed over otherwise), so that a picture can be held against one drawn so.
void DrawHiddenGroupsForTest(bool drawn);

}  // namespace platform
