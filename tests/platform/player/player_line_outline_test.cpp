// Wide lines on curves: the edges of the drawn line lie on the exact offset of the curve (every
// point at half the width from it, round caps included) within a quarter of a device pixel, at
// any width and zoom.
#include "player_test_util.h"

#include <QPointF>
#include <algorithm>
#include <cmath>
#include <functional>
#include <gtest/gtest.h>

using namespace swftest;

namespace {

const QPointF kFrom(60, 60);
const QPointF kControl(380, 200);
const QPointF kTo(60, 340);
constexpr int kWidth = 440;
constexpr int kHeight = 400;

QPointF CurveAt(double t)
{
    const double u = 1 - t;
    return u * u * kFrom + 2 * u * t * kControl + t * t * kTo;
}

double DistanceTo(const QPointF &p, double t)
{
    const QPointF d = CurveAt(t) - p;
    return std::hypot(d.x(), d.y());
}

// The distance from p to the curve (pixels): the nearest of 400 samples, refined by a golden
// section search around it.
double DistanceToCurve(const QPointF &p)
{
    constexpr int kSamples = 400;
    int best = 0;
    for (int i = 1; i <= kSamples; ++i) {
        if (DistanceTo(p, double(i) / kSamples) < DistanceTo(p, double(best) / kSamples)) {
            best = i;
        }
    }
    double lo = std::max(0.0, (best - 1.0) / kSamples);
    double hi = std::min(1.0, (best + 1.0) / kSamples);
    const double ratio = (std::sqrt(5.0) - 1) / 2;
    for (int i = 0; i < 60; ++i) {
        const double a = hi - ratio * (hi - lo);
        const double b = lo + ratio * (hi - lo);
        if (DistanceTo(p, a) < DistanceTo(p, b)) {
            hi = b;
        } else {
            lo = a;
        }
    }
    return DistanceTo(p, (lo + hi) / 2);
}

std::string CurveLine(int widthPixels)
{
    Styles styles;
    styles.Line(static_cast<uint16_t>(widthPixels * 20), 0x000000FF);
    Records records;
    records.Move(static_cast<int32_t>(kFrom.x() * 20), static_cast<int32_t>(kFrom.y() * 20), 0, 0, 1)
        .Curve(static_cast<int32_t>(kControl.x() * 20), static_cast<int32_t>(kControl.y() * 20),
               static_cast<int32_t>(kTo.x() * 20), static_cast<int32_t>(kTo.y() * 20));
    return OneShape(kWidth, kHeight, styles, records);
}

double Coverage(QRgb pixel)  // black ink over white
{
    return 1 - qRed(pixel) / 255.0;
}

// Where the line's edges cross the middle of rows (along x) and of columns (along y): a run of at
// most two partly covered pixels between an empty and a full one holds the edge at the run's start
// plus its uncovered (or covered) part.
std::vector<QPointF> EdgePoints(const QImage &image)
{
    constexpr double kEmpty = 1.0 / 255;
    std::vector<QPointF> points;
    auto scan = [&](int lines, int length, const std::function<QRgb(int, int)> &at, bool rows) {
        for (int line = 0; line < lines; ++line) {
            for (int a = 1; a + 1 < length; ++a) {
                const double before = Coverage(at(line, a - 1));
                if (before > kEmpty && before < 1 - kEmpty) {
                    continue;
                }
                int b = a;
                double sum = 0;
                while (b < length - 1 && b - a < 3) {
                    const double c = Coverage(at(line, b));
                    if (c <= kEmpty || c >= 1 - kEmpty) {
                        break;
                    }
                    sum += c;
                    ++b;
                }
                if (b == a || b - a > 2 || b >= length) {
                    continue;
                }
                const double after = Coverage(at(line, b));
                const bool rising = before <= kEmpty && after >= 1 - kEmpty;
                const bool falling = before >= 1 - kEmpty && after <= kEmpty;
                if (!rising && !falling) {
                    continue;
                }
                const double edge = a + (rising ? (b - a) - sum : sum);
                points.push_back(rows ? QPointF(edge, line + 0.5) : QPointF(line + 0.5, edge));
            }
        }
    };
    scan(image.height(), image.width(), [&image](int y, int x) { return image.pixel(x, y); }, true);
    scan(image.width(), image.height(), [&image](int x, int y) { return image.pixel(x, y); }, false);
    return points;
}

TEST(PlayerWideLines, CurveEdgesLieOnTheExactOffsetWithinAQuarterPixel)
{
    for (int width : {20, 45, 90}) {
        for (double zoom : {0.5, 1.0, 2.0}) {
            platform::MoviePlayer player;
            player.SetQuality2("high");
            Load(player, CurveLine(width));
            const int w = static_cast<int>(kWidth * zoom);
            const int h = static_cast<int>(kHeight * zoom);
            QImage image(w, h, QImage::Format_RGB32);
            player.Render(image, image.rect());
            const std::vector<QPointF> points = EdgePoints(image);
            ASSERT_GT(points.size(), size_t(600 * zoom)) << width << " at " << zoom;
            double worst = 0;
            for (const QPointF &device : points) {
                worst = std::max(worst, std::abs(DistanceToCurve(device / zoom) - width / 2.0) * zoom);
            }
            EXPECT_LE(worst, 0.25) << "width " << width << " at zoom " << zoom;
        }
    }
}

}  // namespace
