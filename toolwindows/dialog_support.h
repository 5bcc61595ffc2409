// What the parameter windows share: showing modally (replaceable in tests), placing a window at
// the pointer inside the work area, and reading typed numbers.
#pragma once

#include <QString>

#include <functional>

class QDialog;
class QWidget;

namespace toolwindows {

// Shows the dialog modally. A test hook, when set, runs instead of the dialog's event loop.
void ShowModal(QDialog &dialog);
using ModalHook = std::function<void(QDialog &)>;
void SetModalHook(ModalHook hook);

// Moves the window's top-left corner to the pointer, then left and up so that its right and
// bottom edges stay inside the work area.
void PlaceAtPointer(QWidget &window);

// The number at the start of the text, held to min..max (none gives 0, then held).
double TypedNumber(const QString &text, double min, double max);

}  // namespace toolwindows
