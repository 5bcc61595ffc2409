// The painting tools: the bucket fills the region under a click with a new traced path; the brush
// stamps the current brush along the mouse path, painting (the stamps united into one shape) or
// erasing (the stamps cut out of the paths under them) by the button. Points are raw twips.
#pragma once

#include <cstdint>

namespace canvastools {

void Bucket_MouseDown(int32_t x, int32_t y);

// button: the pressed or released button (down, up) or the held buttons (move), 1 left, 2 right.
void Brush_MouseDown(int button, int32_t x, int32_t y);
void Brush_MouseMove(int button, int32_t x, int32_t y);
void Brush_MouseUp(int button, int32_t x, int32_t y);

}  // namespace canvastools
