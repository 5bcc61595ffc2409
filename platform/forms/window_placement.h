// Window positions and sizes in twips (15 per pixel), and keeping windows on the screen.
#pragma once

#include <QRect>

class QWidget;

namespace platform {

constexpr int kTwipsPerPixel = 15;

constexpr int PixelsFromTwips(int twips) { return twips / kTwipsPerPixel; }
constexpr int TwipsFromPixels(int pixels) { return pixels * kTwipsPerPixel; }

// The outer frame of a top-level window, in twips.
QRect WindowRectTwips(const QWidget *window);
// Moves (and, when width and height are positive, sizes) a window's outer frame, in twips.
void MoveWindowTwips(QWidget *window, int left, int top, int width = -1, int height = -1);
// Shows a top-level window with its outer frame at (and, when width and height are positive, of)
// the given twips, then keeps it inside the work area. The frame's decorations are known only
// once the window is shown, so the size is applied again then.
void ShowWindowAtTwips(QWidget *window, int left, int top, int width = -1, int height = -1);
// The work area (the screen less its panels) of the screen the window is on, in pixels.
QRect WorkArea(const QWidget *window);
// Moves a window left and up so that it ends inside the work area (and not past its top left).
void KeepInsideWorkArea(QWidget *window);

}  // namespace platform
