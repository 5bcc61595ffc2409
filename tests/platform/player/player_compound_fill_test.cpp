// The compound fill over image sources: a pixel wholly inside a fill shows the source's pixel
// (blended over the background where the source is translucent), an edge pixel part of it.
#include "platform/player/swf_compound_fill.h"

#include <gtest/gtest.h>

namespace platform::swf {
namespace {

struct SourceCase {
    const char *name;
    QRgb sourceColour;  // premultiplied
    QPointF corner;     // the fill square's top left, in pixels
};

class CompoundImageSourceTest : public ::testing::TestWithParam<SourceCase> {};

TEST_P(CompoundImageSourceTest, InsideShowsTheSourceOverTheBackground)
{
    const SourceCase &c = GetParam();
    constexpr QRgb kBackground = 0xFF204060u;
    QImage target(40, 40, QImage::Format_ARGB32_Premultiplied);
    target.fill(kBackground);
    // A source whose pixels differ along each row, as a gradient's do.
    QImage source(40, 40, QImage::Format_ARGB32_Premultiplied);
    for (int y = 0; y < source.height(); ++y) {
        for (int x = 0; x < source.width(); ++x) {
            const int a = qAlpha(c.sourceColour);
            source.setPixel(x, y, qRgba(std::min(a, x * 6), qGreen(c.sourceColour), qBlue(c.sourceColour), a));
        }
    }
    QPainterPath square;
    square.addRect(QRectF(c.corner, QSizeF(20, 20)));
    const CompoundSource fill{0, &source, QPoint(0, 0)};
    RenderCounts counts;
    FillCompound({&target, 0, target.rect()}, {&square}, {fill}, QTransform(), counts);
    for (int y = 0; y < 40; ++y) {
        for (int x = 0; x < 40; ++x) {
            const QRectF pixel(x, y, 1, 1);
            const QRectF inside = pixel.intersected(square.boundingRect());
            const QRgb got = target.pixel(x, y);
            if (inside.isEmpty()) {
                EXPECT_EQ(got, kBackground) << x << "," << y;
            } else if (inside == pixel && qAlpha(c.sourceColour) == 255) {
                EXPECT_EQ(got, source.pixel(x, y)) << x << "," << y;
            } else if (inside == pixel) {
                const QRgb s = source.pixel(x, y);
                const double keep = 1 - qAlpha(s) / 255.0;
                EXPECT_NEAR(qGreen(got), qGreen(s) + qGreen(kBackground) * keep, 1) << x << "," << y;
                EXPECT_NEAR(qBlue(got), qBlue(s) + qBlue(kBackground) * keep, 1) << x << "," << y;
            } else {
                EXPECT_NE(got, kBackground) << x << "," << y;  // an edge pixel takes part of the source
            }
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Sources, CompoundImageSourceTest,
                         ::testing::Values(SourceCase{"OpaqueOnPixels", 0xFF00C080u, QPointF(10, 10)},
                                           SourceCase{"OpaqueBetweenPixels", 0xFF00C080u, QPointF(9.5, 10.25)},
                                           SourceCase{"TranslucentOnPixels", 0x80006040u, QPointF(10, 10)},
                                           SourceCase{"TranslucentBetweenPixels", 0x80006040u, QPointF(9.75, 9.5)}),
                         [](const auto &info) { return std::string(info.param.name); });

}  // namespace
}  // namespace platform::swf
