// The select tool: hover highlight, click and band selection, moving with grid alignment, and
// scaling, rotating and skewing by the frame's handles. Every handle-drag step starts again
// from the snapshot taken at mouse-down. Points are raw twips.
#pragma once

#include <cstdint>

namespace canvastools {

void Select_MouseDown(int button, int shift, int32_t x, int32_t y);
// button: the held buttons.
void Select_MouseMove(int button, int shift, int32_t x, int32_t y);
void Select_MouseUp(int button, int shift, int32_t x, int32_t y);

}  // namespace canvastools
