// The anchor edit tool: hovering marks the anchor or segment under the pointer, dragging moves it
// with the selected anchors, a click selects anchors (or, with the option NotAnchorSelect, sets
// their kind), a drag on empty canvas selects anchors by band, and the right button opens the
// anchor menu. Points are raw twips; drags snap to the grid themselves.
#pragma once

#include <cstdint>

namespace canvastools {

// button: the pressed button (down, up) or the held buttons (move); shift: 1 Shift, 2 Ctrl, 4 Alt.
void Anchor_MouseDown(int button, int shift, int32_t x, int32_t y);
void Anchor_MouseMove(int button, int shift, int32_t x, int32_t y);
void Anchor_MouseUp(int button, int shift, int32_t x, int32_t y);

}  // namespace canvastools
