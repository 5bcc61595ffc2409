// The compound fill over image sources: a pixel wholly inside a fill shows the source's pixel
// (blended over the background where the source is translucent), an edge pixel part of it.
#include "platform/player/swf_compound_fill.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

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

TEST(CompoundTiles, TilesMarkedWhollyFilledAreTheFillsColourInEveryPixel)
{
    constexpr QRgb kWhite = 0xFFFFFFFFu;
    constexpr QRgb kNavy = 0xFF000080u;
    auto withHole = [] {
        QPainterPath path;
        path.addRect(10.5, 12.25, 120, 90);
        path.addEllipse(QPointF(60, 55), 20.3, 15.7);
        return path;
    };
    auto star = [] {
        QPainterPath path;
        for (int k = 0; k < 14; ++k) {
            const double angle = k * M_PI / 7 + 0.2;
            const double reach = k % 2 ? 70 : 25;
            const QPointF point(80 + reach * std::cos(angle), 64 + reach * std::sin(angle));
            k == 0 ? path.moveTo(point) : path.lineTo(point);
        }
        path.closeSubpath();
        return path;
    };
    auto rounded = [] {
        QPainterPath path;
        path.addRoundedRect(QRectF(7.3, 3.9, 141.2, 118.6), 30, 24);
        return path;
    };
    const struct {
        const char *name;
        QPainterPath path;
        QTransform world;
        QRect area;  // of the tiles (not from the origin, cut short on the right and below)
        int least;   // tiles at least marked
    } cases[] = {
        {"box with an elliptic hole", withHole(), QTransform(), QRect(3, 5, 150, 117), 90},
        {"star", star(), QTransform(), QRect(0, 0, 160, 128), 10},
        {"turned rounded box", rounded(), QTransform().translate(80, 64).rotate(17).translate(-78, -62),
         QRect(1, 2, 157, 125), 100},
        {"area cutting the fill", rounded(), QTransform(), QRect(40, 30, 61, 45), 40},
        // Level sides above the middle of their tiles' rows, and one at a row's foot.
        {"box with level sides", [] {
             QPainterPath path;
             path.addRect(10.5, 3.75, 100, 42.25);
             return path;
         }(), QTransform(), QRect(0, 0, 128, 64), 40},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        QImage target(160, 128, QImage::Format_ARGB32_Premultiplied);
        target.fill(kWhite);
        RenderCounts counts;
        FillCompound({&target, 0, target.rect()}, {&c.path}, {CompoundSource{kNavy}}, c.world, counts);
        const TileGrid grid{c.area, 8};
        std::vector<int32_t> tiles(static_cast<size_t>(grid.Columns() * grid.Rows()), -1);
        MarkWhollyFilled(c.path, c.world, grid, 7, tiles);
        int marked = 0;
        int wholly = 0;  // tiles whose every pixel is the fill's colour
        for (int row = 0; row < grid.Rows(); ++row) {
            for (int column = 0; column < grid.Columns(); ++column) {
                const QRect tile =
                    QRect(c.area.left() + column * 8, c.area.top() + row * 8, 8, 8).intersected(c.area);
                bool filled = true;
                for (int y = tile.top(); y <= tile.bottom(); ++y) {
                    for (int x = tile.left(); x <= tile.right(); ++x) {
                        filled = filled && target.pixel(x, y) == kNavy;
                    }
                }
                const int32_t mark = tiles[static_cast<size_t>(row * grid.Columns() + column)];
                EXPECT_TRUE(mark == -1 || (mark == 7 && filled)) << row << "," << column;
                marked += mark == 7 ? 1 : 0;
                wholly += filled ? 1 : 0;
            }
        }
        // Only tiles within a pixel of an edge are left out.
        EXPECT_GE(marked, c.least);
        EXPECT_GE(marked, wholly / 2);
    }
    // An empty path or area marks nothing.
    std::vector<int32_t> tiles(4, -1);
    MarkWhollyFilled(QPainterPath(), QTransform(), TileGrid{QRect(0, 0, 16, 16), 8}, 1, tiles);
    MarkWhollyFilled(rounded(), QTransform(), TileGrid{QRect(), 8}, 1, tiles);
    EXPECT_EQ(tiles, std::vector<int32_t>(4, -1));
}

}  // namespace
}  // namespace platform::swf
