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

// A quadratic curve in pixels.
struct Quad {
    QPointF from, control, to;

    QPointF At(double t) const
    {
        const double u = 1 - t;
        return u * u * from + 2 * u * t * control + t * t * to;
    }

    // The distance from p to the curve (pixels): the nearest of 400 samples, refined by a golden
    // section search around it.
    double DistanceTo(const QPointF &p) const
    {
        auto distance = [&](double t) {
            const QPointF d = At(t) - p;
            return std::hypot(d.x(), d.y());
        };
        constexpr int kSamples = 400;
        int best = 0;
        for (int i = 1; i <= kSamples; ++i) {
            if (distance(double(i) / kSamples) < distance(double(best) / kSamples)) {
                best = i;
            }
        }
        double lo = std::max(0.0, (best - 1.0) / kSamples);
        double hi = std::min(1.0, (best + 1.0) / kSamples);
        const double ratio = (std::sqrt(5.0) - 1) / 2;
        for (int i = 0; i < 60; ++i) {
            const double a = hi - ratio * (hi - lo);
            const double b = lo + ratio * (hi - lo);
            if (distance(a) < distance(b)) {
                hi = b;
            } else {
                lo = a;
            }
        }
        return distance((lo + hi) / 2);
    }
};

const Quad kCurve{{60, 60}, {380, 200}, {60, 340}};
constexpr int kWidth = 440;
constexpr int kHeight = 400;

int32_t Twips(double pixels)
{
    return static_cast<int32_t>(std::lround(pixels * 20));
}

// A movie of width x height pixels holding one black line on the curve, widthPixels wide.
std::string QuadLine(const Quad &curve, double widthPixels, int width, int height)
{
    Styles styles;
    styles.Line(static_cast<uint16_t>(Twips(widthPixels)), 0x000000FF);
    Records records;
    records.Move(Twips(curve.from.x()), Twips(curve.from.y()), 0, 0, 1)
        .Curve(Twips(curve.control.x()), Twips(curve.control.y()), Twips(curve.to.x()), Twips(curve.to.y()));
    return OneShape(width, height, styles, records);
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
            Load(player, QuadLine(kCurve, width, kWidth, kHeight));
            const int w = static_cast<int>(kWidth * zoom);
            const int h = static_cast<int>(kHeight * zoom);
            QImage image(w, h, QImage::Format_RGB32);
            player.Render(image, image.rect());
            const std::vector<QPointF> points = EdgePoints(image);
            ASSERT_GT(points.size(), size_t(600 * zoom)) << width << " at " << zoom;
            double worst = 0;
            for (const QPointF &device : points) {
                worst = std::max(worst, std::abs(kCurve.DistanceTo(device / zoom) - width / 2.0) * zoom);
            }
            EXPECT_LE(worst, 0.25) << "width " << width << " at zoom " << zoom;
        }
    }
}

}  // namespace

namespace {

// Wide lines on short curves: their outlines overlap themselves many times over. Without
// anti-aliasing a pixel is painted when its centre lies inside the exact outline (beyond a margin
// for the outline's flattening and the picture's 1/32 pixel shift), and only then; the pixel
// named in each case in particular.
TEST(PlayerWideLines, ShortCurvesPaintEveryCentreInsideTheirOutlineWithoutAntiAliasing)
{
    const struct {
        const char *name;
        Quad curve;
        double width;
        QPoint inside;
    } cases[] = {
        {"bend", {{28, 30}, {30, 26}, {32, 30}}, 40, {45, 39}},
        {"hairpin", {{40, 40}, {52, 41}, {40, 42}}, 30, {40, 41}},
        {"tiny", {{50, 50}, {50.5, 49}, {51, 50}}, 24, {39, 50}},
    };
    constexpr double kMargin = 0.5;
    for (const auto &c : cases) {
        const QImage image = Play(QuadLine(c.curve, c.width, 100, 100), 100, 100, "low");
        EXPECT_EQ(image.pixel(c.inside), 0xFF000000u) << c.name;
        int wrong = 0;
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 0; x < image.width(); ++x) {
                const double reach = c.curve.DistanceTo(QPointF(x + 0.5, y + 0.5)) - c.width / 2;
                const bool painted = image.pixel(x, y) == 0xFF000000u;
                wrong += (reach < -kMargin && !painted) || (reach > kMargin && painted) ? 1 : 0;
            }
        }
        EXPECT_EQ(wrong, 0) << c.name;
    }
}

}  // namespace
