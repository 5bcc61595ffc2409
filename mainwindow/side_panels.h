// The side panel's display toggles and the line-width box: how typed numbers are read and shown.
#pragma once

#include <QString>

namespace mainwindow {

// The largest line width the box accepts, in canvas pixels: far beyond any useful stroke, and
// small enough that the width in twips stays inside the movie's 16-bit line width.
inline constexpr float kMaxLineWidth = 1000.0f;

// The line width typed into the box: the number at the start of the text (0 when there is none),
// a negative number giving 1, a larger one than kMaxLineWidth giving kMaxLineWidth.
float LineWidthFromText(const QString &text);
// A single-precision value in its shortest decimal form with a leading zero ("0.5", "2").
QString SingleText(float value);

// The grid-snap box's status hint, which names the visible-grid restriction when it is on.
QString GridSnapHint(bool onlyWithVisibleGrid);

}  // namespace mainwindow
