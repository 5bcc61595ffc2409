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

// Contours of one fill sharing edges: a hole beside its outer contour's edge leaves the edge's
// pixels uncovered where the hole lies (even-odd: covered twice is not covered), and contours
// side by side cover the pixels of the edge they share fully.
TEST(CompoundContours, SharedEdgesCoverAsTheEvenOddRegionDoes)
{
    constexpr QRgb kWhite = 0xFFFFFFFFu;
    constexpr QRgb kNavy = 0xFF000080u;
    struct Case {
        const char *name;
        std::vector<QRectF> contours;
        QPoint pixel;
        double coverage;  // of the pixel, as the even-odd region covers it
    };
    const Case cases[] = {
        {"hole on the outer edge at a half", {{20.5, 20.5, 60, 60}, {20.5, 40.5, 20, 20}}, {20, 50}, 0},
        {"hole on the outer edge at a quarter", {{20.25, 20.5, 60, 60}, {20.25, 40.5, 20, 20}}, {20, 50}, 0},
        {"outer edge beside the hole", {{20.5, 20.5, 60, 60}, {20.5, 40.5, 20, 20}}, {20, 30}, 0.5},
        {"inside the hole", {{20.5, 20.5, 60, 60}, {20.5, 40.5, 20, 20}}, {30, 50}, 0},
        {"hole's inner edge", {{20.5, 20.5, 60, 60}, {20.5, 40.5, 20, 20}}, {40, 50}, 0.5},
        {"island on the hole's edge", {{10, 10, 80, 80}, {20.5, 20.5, 60, 60}, {20.5, 40.5, 20, 20}}, {20, 50}, 1},
        {"squares side by side", {{20.5, 20.5, 30, 30}, {50.5, 20.5, 30, 30}}, {50, 30}, 1},
        {"squares side by side, one turned", {{20.5, 20.5, 30, 30}, {80.5, 20.5, -30, 30}}, {50, 30}, 1},
    };
    for (const Case &c : cases) {
        QImage target(100, 100, QImage::Format_ARGB32_Premultiplied);
        target.fill(kWhite);
        QPainterPath fill;
        for (const QRectF &contour : c.contours) {
            fill.addRect(contour);
        }
        RenderCounts counts;
        FillCompound({&target, 0, target.rect()}, {&fill}, {CompoundSource{kNavy}}, QTransform(), counts);
        const QRgb got = target.pixel(c.pixel);
        EXPECT_NEAR(qRed(got), 255 * (1 - c.coverage), 1) << c.name;
        EXPECT_NEAR(qBlue(got), 255 - 127 * c.coverage, 1) << c.name;
    }
}

}  // namespace
}  // namespace platform::swf
