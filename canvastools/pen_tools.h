// The freehand tool, which draws a smooth path while the button is held, and the pen tool, which
// builds a path click by click from straight and curved anchors with a rubber band to the
// pointer. Points are snapped twips; the path being built is always the document's last path.
#pragma once

#include <cstdint>

namespace canvastools {

void Freehand_MouseDown(int32_t x, int32_t y);
void Freehand_MouseMove(int32_t x, int32_t y);
void Freehand_MouseUp(int32_t x, int32_t y);

// button: the pressed button (mouse-down) or the held buttons (mouse-move), 1 left, 2 right.
void Pen_MouseDown(int button, int32_t x, int32_t y);
void Pen_MouseMove(int button, int32_t x, int32_t y);
void Pen_MouseUp(int32_t x, int32_t y);

// Ends a pen path in progress, open (another tool was chosen, Esc, another command).
void EndPenPath();

}  // namespace canvastools
