// The program's own clipboard of paths (the system clipboard is never used), path deletion, and
// clip files. None of these routines redraws or records an undo step; the calling command does.
#pragma once

#include "core/path_record.h"

#include <cstdint>
#include <string>
#include <vector>

namespace core {

struct ClipboardState {
    PathArray ClipPaths{PathRecord()};  // element 0 unused; 1 .. GetClipCount()
    int32_t ClipOriginX = 0;            // reference point of the clip, twips
    int32_t ClipOriginY = 0;
    int32_t PasteOffsetX = 0;           // shift of the next paste in place, twips
    int32_t PasteOffsetY = 0;
};

ClipboardState &Clipboard();
void ResetClipboardForTest();

void ClearClip();
int32_t GetClipCount();
// Clip := copies of the selected paths; origin (x, y); the next paste in place shifts by half a grid.
void CopySelectedPaths(int32_t x, int32_t y);
// Clip := the selected paths, which leave the document; origin (x, y); paste offsets 0.
void CutSelectedPaths(int32_t x, int32_t y);
// Inserts selected copies of the clip with fresh group and compound ids. useOffset: shifted by the
// paste offsets (which then grow by half a grid step); otherwise moved by (x, y) - clip origin.
// position -1 puts them in front of all paths; p >= 0 keeps the p + 1 frontmost paths in front.
void PastePaths(int32_t x, int32_t y, bool useOffset, int32_t position);

// Removes path i (nothing for an index outside 1 .. DocPathCount).
void DeletePath(int32_t i);
void DeleteSelectedPaths();
// Removes every path i whose doomed[i] is set (doomed indexed like DocPaths), with the same effect
// as deleting them one by one with DeletePath.
void DeleteFlaggedPaths(const std::vector<bool> &doomed);

// Writes the clip to a ".qkclip" clip file or a ".qlk" drawing file (chosen by the extension).
// Returns true after a complete write; reports the outcome on the status line.
bool SaveClipFile(const std::string &path);
// Replaces the clip by the paths of a clip, drawing, SVG or metafile (chosen by the extension).
// Returns false (and leaves the clip empty) for a bad or unreadable file or an unknown extension.
bool LoadClipFile(const std::string &path);

}  // namespace core
