// Stand-ins for drawing-core and canvas-movie routines that the canvas tools call and that are
// being written in their own modules (path building, groups, clipboard, canvas movie). Each
// does the part the canvas tools rely on; the whole file goes once those modules are in.
#pragma once

#include "core/path_record.h"

#include <array>
#include <cstdint>

namespace canvastools {

// Appends a path of one anchor with the given style (width in canvas pixels).
void BeginPath(int32_t x, int32_t y, float width, int16_t lineMode, int16_t fillType,
               const std::array<core::Color, 3> &colors, int16_t kind);
// Appends an anchor to the last path; kind -1 turns the previous anchor into a control point.
void AddAnchor(int32_t x, int32_t y, int16_t kind);
// Ends the last path: closed (dropping its last anchor when it has more than two) or open;
// removed when a single anchor is left, else redrawn and recorded as one undo step.
void FinishPath(int32_t x, int32_t y, bool close);
// Selects or deselects the path, and with it every member of its active group.
void SelectPathOrGroup(int32_t path, bool flag);
// Number of paths in the internal clipboard.
int32_t GetClipCount();
// Writes the drawing into the canvas movie.
void MakeCanvasMovie();

}  // namespace canvastools
