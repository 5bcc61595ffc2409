#include "platform/player/swf_gradient_fill.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <vector>

namespace platform::swf {
namespace {

// Positions of stops sharing a ratio are pulled apart by this much.
constexpr double kStopSeparation = 1e-6;

constexpr int kRampSize = 256;
using Ramp = std::array<QRgb, kRampSize>;

// The premultiplied colour at each of the ramp's positions (i / 255), blended channel by channel
// between the stops around it.
Ramp RampOf(const QGradientStops &stops)
{
    Ramp ramp{};
    qsizetype next = 0;  // the first stop past the position
    for (int i = 0; i < kRampSize; ++i) {
        const double at = i / double(kRampSize - 1);
        while (next < stops.size() && stops[next].first <= at) {
            ++next;
        }
        QRgb color = 0;
        if (next == 0) {
            color = stops.first().second.rgba();
        } else if (next == stops.size()) {
            color = stops.last().second.rgba();
        } else {
            const QRgb a = stops[next - 1].second.rgba();
            const QRgb b = stops[next].second.rgba();
            // The blend in 1/65536ths, rounded to the nearest level.
            const int f = static_cast<int>((at - stops[next - 1].first) / (stops[next].first - stops[next - 1].first) *
                                           65536.0);
            auto blend = [f](int from, int to) { return from + (((to - from) * f + 32768) >> 16); };
            color = qRgba(blend(qRed(a), qRed(b)), blend(qGreen(a), qGreen(b)), blend(qBlue(a), qBlue(b)),
                          blend(qAlpha(a), qAlpha(b)));
        }
        ramp[static_cast<size_t>(i)] = qPremultiply(color);
    }
    return ramp;
}

// The ramp entry of position t (0..1); a position that is not a number takes the first.
size_t RampIndex(double t)
{
    return t > 0 ? static_cast<size_t>(std::min(t, 1.0) * (kRampSize - 1) + 0.5) : 0;
}

void Fill(QImage &image, QRgb premultiplied)
{
    for (int y = 0; y < image.height(); ++y) {
        auto *row = reinterpret_cast<QRgb *>(image.scanLine(y));
        std::fill(row, row + image.width(), premultiplied);
    }
}

}  // namespace

QGradientStops GradientStops(const FillStyle &style, const ColorTransform &cx)
{
    std::vector<GradientStop> stops = style.stops;
    std::stable_sort(stops.begin(), stops.end(),
                     [](const GradientStop &a, const GradientStop &b) { return a.ratio < b.ratio; });
    QGradientStops result;
    for (const GradientStop &stop : stops) {
        result.append({std::clamp(stop.ratio / 255.0, 0.0, 1.0), QColor::fromRgba(cx.Apply(stop.color))});
    }
    // Later stops of a tie move forward; ties at the end move back, so the first and last colours
    // still pad the ends.
    for (qsizetype i = 1; i < result.size(); ++i) {
        result[i].first = std::max(result[i].first, result[i - 1].first + kStopSeparation);
    }
    for (qsizetype i = result.size() - 1; i >= 0; --i) {
        const double limit = i + 1 < result.size() ? result[i + 1].first - kStopSeparation : 1.0;
        if (result[i].first <= limit) {
            break;
        }
        result[i].first = limit;
    }
    return result;
}

void PaintGradient(QImage &image, const FillStyle &style, const ColorTransform &cx, const QTransform &toImage)
{
    const QGradientStops stops = GradientStops(style, cx);
    if (stops.isEmpty() || image.isNull()) {
        return;
    }
    bool invertible = false;
    const QTransform toGradient = toImage.inverted(&invertible);
    if (!invertible || std::abs(style.matrix.determinant()) < 1e-9) {
        Fill(image, qPremultiply(stops.last().second.rgba()));
        return;
    }
    const Ramp ramp = RampOf(stops);
    const bool radial = style.kind == FillKind::Radial;
    // Steps of the gradient point per pixel along a row.
    const double dx = toGradient.m11();
    const double dy = toGradient.m12();
    for (int y = 0; y < image.height(); ++y) {
        auto *row = reinterpret_cast<QRgb *>(image.scanLine(y));
        const QPointF start = toGradient.map(QPointF(0.5, y + 0.5));  // the row's first pixel centre
        if (!std::isfinite(start.x()) || !std::isfinite(start.y())) {
            std::fill(row, row + image.width(), ramp[0]);
            continue;
        }
        if (radial) {
            for (int x = 0; x < image.width(); ++x) {
                const double gx = start.x() + dx * x;
                const double gy = start.y() + dy * x;
                row[x] = ramp[RampIndex(std::sqrt(gx * gx + gy * gy) / kGradientHalfSize)];
            }
        } else {
            // Along the gradient's axis only x counts: t grows by the same step at every pixel.
            const double t0 = (start.x() + kGradientHalfSize) / (2 * kGradientHalfSize);
            const double dt = dx / (2 * kGradientHalfSize);
            for (int x = 0; x < image.width(); ++x) {
                row[x] = ramp[RampIndex(t0 + dt * x)];
            }
        }
    }
}

}  // namespace platform::swf
