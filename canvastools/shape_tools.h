// The shape tools: rectangle, ellipse, polygon or star, and text. A press creates the default
// shape at the snapped point, then becomes the select tool's scale drag of the new shape by its
// bottom-right handle; the select tool's mouse-up finishes it with one undo step.
#pragma once

#include <cstdint>

namespace canvastools {

class CanvasView;

// Mouse down with tool 4, 5, 7 or 8 at the snapped point (twips).
void Shape_MouseDown(int16_t tool, int32_t x, int32_t y);
// The rectangle being created takes its corner style (called after each scale step with the
// real-time display and before the drag is finished); any other drag is left alone.
void ApplyNewRectangleCorners();

// Fills the text window's font list (start-up, after the settings are read).
void EnumTrueTypeFont();
// Connects the rectangle settings command of the main window.
void ConnectShapeTools(CanvasView &view);

}  // namespace canvastools
