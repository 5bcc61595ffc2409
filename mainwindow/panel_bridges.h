// The numbers the position window shows and the way its typed values are read: the parts of the
// position bridge that need no window.
#pragma once

#include <QString>

#include <cstdint>

namespace mainwindow {

inline constexpr double kTwipsPerCanvasPixel = 20;
inline constexpr double kGradientSizeUnit = 1638;  // gradient ratio x this = extent in pixels
inline constexpr double kPi = 3.14159265358979;

// The number at the start of a typed text, clamped into lo..hi (0 when there is no number).
double ReadTypedNumber(const QString &text, double lo, double hi);

// The size box's text for a gradient: one extent, or "vertical:horizontal" when they differ.
QString GradientSizeText(float ratioX, float ratioY);
// The angle box's text for a gradient (two decimals at most, rounded down).
QString GradientAngleText(float angle);

}  // namespace mainwindow
