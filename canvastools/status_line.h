// The main window's status line as the canvas tools write it: one line of 80 characters with
// fields written in place (pointer coordinates from position 1, position or angle from 12, size
// from 21 or 22, gradient size from 28).
#pragma once

#include <QString>

namespace canvastools {

constexpr int kStatusWidth = 80;

QString StatusText();
// Replaces the whole line and shows it at once.
void SetStatusText(const QString &text);
// Overwrites the characters from position (1-based) with the field. The line is first padded with
// blanks to its full width, and the field is cut at the line's end, so the line keeps its length.
void WriteStatusField(int position, const QString &field);

}  // namespace canvastools
