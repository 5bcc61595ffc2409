// Work done while drawing, counted by whoever draws (one count per thread, added up when the
// threads are done), so that no counter is shared between threads or players. Internal to the
// player; MoviePlayer::Stats() reports the sums of its renders.
#pragma once

#include <cstdint>

namespace platform {
struct PlayerStats;
}

namespace platform::swf {

struct RenderCounts {
    int64_t outlineElementsBuilt = 0;  // line outlines built (kept or drawn once)
    int64_t outlineElementsKept = 0;   // of those, kept for later renders
    int64_t outlineBytesKept = 0;      // what the kept ones take in their compact form
    int64_t tilesFilled = 0;           // tiles of long fills
    int64_t tileEdges = 0;             // edges given to those tiles
    int64_t compoundLines = 0;         // rows of compound fills times the lines crossing them
    int64_t compoundCells = 0;         // pixel cells made from those lines
    int64_t lineElementsSearched = 0;  // elements of lines looked at for their parts near a band

    RenderCounts &operator+=(const RenderCounts &other)
    {
        outlineElementsBuilt += other.outlineElementsBuilt;
        outlineElementsKept += other.outlineElementsKept;
        outlineBytesKept += other.outlineBytesKept;
        tilesFilled += other.tilesFilled;
        tileEdges += other.tileEdges;
        compoundLines += other.compoundLines;
        compoundCells += other.compoundCells;
        lineElementsSearched += other.lineElementsSearched;
        return *this;
    }
};

// Adds counts to a player's statistics, as PlayerStats names them.
void AddRenderCounts(PlayerStats &stats, const RenderCounts &counts);

}  // namespace platform::swf
