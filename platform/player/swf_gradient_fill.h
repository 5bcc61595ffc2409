// Gradient fills: their colours in order, and the pixels of one painted by the player itself.
// Internal to the player.
#pragma once

#include "platform/player/swf_styles.h"

#include <QGradientStops>
#include <QImage>
#include <QTransform>

namespace platform::swf {

// Gradients span -kGradientHalfSize..kGradientHalfSize of their own space on each axis.
constexpr double kGradientHalfSize = 16384;

// The colours of a gradient fill through cx at positions 0..1 in increasing order. Stops sharing
// a ratio are pulled apart, so that both colours of a hard edge are kept.
QGradientStops GradientStops(const FillStyle &style, const ColorTransform &cx);

// Paints into image (premultiplied ARGB) every pixel of a linear or radial gradient fill seen
// through toImage (the gradient's own space -> image pixels, the fill's matrix included). Each
// pixel takes the colour at its centre from a ramp of 256 colours blended channel by channel,
// alpha included; beyond the ends the end colours pad. A gradient whose square has collapsed
// shows its last colour. Painting needs no lock: renders on several threads paint gradients side
// by side.
void PaintGradient(QImage &image, const FillStyle &style, const ColorTransform &cx, const QTransform &toImage);

}  // namespace platform::swf
