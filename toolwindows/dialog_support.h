// What the parameter windows share: placing a window at the pointer inside the work area and
// reading typed numbers. They are shown with platform::ShowModal (replaceable in tests).
#pragma once

#include <QString>

#include <functional>

class QDialog;
class QWidget;

namespace toolwindows {

// Moves the window's outer top-left corner to the pointer, then left and up so that its right and
// bottom edges stay inside the work area.
void PlaceAtPointer(QWidget &window);

// The number at the start of the text, held to min..max (none gives 0, then held).
double TypedNumber(const QString &text, double min, double max);

}  // namespace toolwindows
