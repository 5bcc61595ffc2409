// The grid operations shared by the canvas tools: snapping a point to the grid, how far a
// coordinate lies from its nearest grid line, and moving the selected paths by an offset.
#pragma once

#include <cstdint>

namespace canvastools {

// Snapping is on while the snap box is ticked and the grid is shown, or shown or not unless the
// option NotSnapInvisibleGrid asks for a visible grid.
bool SnapIsOn();

// Moves each coordinate onto its nearest grid line when it lies within the grid power's
// tolerance of it. A spacing of 0 or less never snaps on that axis.
void SnapGrid(int32_t &x, int32_t &y);

// Axis 1 measures x against GridWidth, axis 2 y against GridHeight. True when the coordinate lies
// within the tolerance of a grid line; d is then the coordinate minus that line. Otherwise d is
// the distance past the last line below (|coordinate mod spacing|) and the result false; with
// snapping off or another axis, d stays as it was.
bool GetGridDistance(int32_t x, int32_t y, int32_t axis, int32_t &d);

// Moves every selected path (every path when all is true): anchors and gradient centre. True
// when a path was moved.
bool MoveSelectedPath(int32_t dx, int32_t dy, bool all);

}  // namespace canvastools
