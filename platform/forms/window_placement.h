// Window positions and sizes in twips (15 per pixel), and keeping windows on the screen.
#pragma once

#include <QMargins>
#include <QPoint>
#include <QRect>

class QWidget;

namespace platform {

constexpr int kTwipsPerPixel = 15;

constexpr int PixelsFromTwips(int twips) { return twips / kTwipsPerPixel; }
constexpr int TwipsFromPixels(int pixels) { return pixels * kTwipsPerPixel; }

// The outer frame of a top-level window, in twips.
QRect WindowRectTwips(const QWidget *window);
// Moves (and, when width and height are positive, sizes) a window's outer frame, in twips. The
// window manager's frame is known only once the window is on the screen: a window placed before
// that is placed again, with its frame, when it is first exposed.
void MoveWindowTwips(QWidget *window, int left, int top, int width = -1, int height = -1);
// As MoveWindowTwips, and keeps the window inside the work area.
void PlaceWindowTwips(QWidget *window, int left, int top, int width = -1, int height = -1);
// Moves a window's outer frame to a point in pixels, then left and up so that its right and bottom
// edges stay inside the work area (its left and top edges are left where they are).
void PlaceWindowAt(QWidget *window, QPoint topLeft);
// PlaceWindowTwips, then shows the window.
void ShowWindowAtTwips(QWidget *window, int left, int top, int width = -1, int height = -1);
// The work area (the screen less its panels) of the screen the window is on, in pixels.
QRect WorkArea(const QWidget *window);
// Moves a window left and up so that it ends inside the work area (and not past its top left).
void KeepInsideWorkArea(QWidget *window);

// Tests: every window gets this frame from the window manager once it is exposed (null: the
// real frames again).
void SetWindowFrameForTest(const QMargins *frame);

}  // namespace platform
