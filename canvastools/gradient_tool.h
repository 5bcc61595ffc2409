// The gradient tool: the gradient frame of the selected paths (centre, angle, sizes) shown as
// controls on the canvas and dragged with the mouse. Size and angle drags restart from the
// snapshot taken at mouse-down at every step; the centre moves step by step. Points are raw twips.
#pragma once

#include <cstdint>

namespace canvastools {

// The controls of the last selected path into HandlePoints: 0 centre, 1 rotation handle, 2 and 3
// the x-size handles, 5 the y-size handle; every other point is kNoHandle. Writes the centre,
// angle and size into the status line.
void CalcGradientControl();
// The first selected path's edge and the controls, on the canvas picture; nothing when no path
// is selected.
void DrawGradientControl();

// button: the pressed button (down, up) or the held buttons (move); shift: 1 Shift, 2 Ctrl, 4 Alt.
void Gradient_MouseDown(int button, int shift, int32_t x, int32_t y);
void Gradient_MouseMove(int button, int shift, int32_t x, int32_t y);
void Gradient_MouseUp(int button, int shift, int32_t x, int32_t y);

}  // namespace canvastools
