// The main window the canvas tools work in, as their CanvasView. The window attaches it when it
// is built.
#pragma once

#include "canvastools/canvas_view.h"

namespace canvastools {

// Connects the canvas handlers and the tool palette to the window's controls.
void AttachCanvasTools(CanvasView &view);
// Forgets the view (its window is being destroyed).
void DetachCanvasTools(const CanvasView &view);
bool HasCanvasWindow();
// The attached view; only valid while HasCanvasWindow().
CanvasView &CanvasWindow();

}  // namespace canvastools
