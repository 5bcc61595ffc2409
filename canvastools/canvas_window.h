// The main window the canvas tools work in: its canvas picture box, scroll bars, tool buttons,
// check boxes, status line and pop-up menus. The window attaches itself when it is built.
#pragma once

namespace mainwindow {
class DrawGUI;
}

namespace canvastools {

// Connects the canvas handlers and the tool palette to the window's controls.
void AttachCanvasTools(mainwindow::DrawGUI &window);
// Forgets the window (it is being destroyed).
void DetachCanvasTools(const mainwindow::DrawGUI &window);
bool HasCanvasWindow();
// The attached window; only valid while HasCanvasWindow().
mainwindow::DrawGUI &CanvasWindow();

}  // namespace canvastools
