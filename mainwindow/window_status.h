// What the engine's host and the canvas tools' view both read and set on the main window: the
// display check boxes and the status line.
#pragma once

#include "canvastools/canvas_view.h"

#include <QString>

namespace mainwindow {

class DrawGUI;

canvastools::DisplayToggles DisplayTogglesOf(const DrawGUI &window);
// Shows the text at once, before the command that set it goes on.
void ShowStatusLine(DrawGUI &window, const QString &text);

}  // namespace mainwindow
