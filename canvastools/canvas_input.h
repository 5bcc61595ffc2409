// The canvas input frame: the four handlers of the canvas picture (key down, mouse down, mouse
// move, mouse up) with their shared rules: dispatch by tool, button and modifiers (1 Shift,
// 2 Ctrl, 4 Alt, tested as exact combinations), arrow-key nudging, Alt panning and centring,
// Ctrl+Alt underlay dragging and the status line's pointer coordinates.
#pragma once

#include <cstdint>

namespace canvastools {

// Windows key code and modifiers.
void Picture1_KeyDown(int keyCode, int shift);
// button 1 left or 2 right; x, y in picture pixels.
void Picture1_MouseDown(int button, int shift, float x, float y);
// button: the held buttons.
void Picture1_MouseMove(int button, int shift, float x, float y);
void Picture1_MouseUp(int button, int shift, float x, float y);

}  // namespace canvastools
