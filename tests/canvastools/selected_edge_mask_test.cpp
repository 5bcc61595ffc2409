// The kept mask of a large selection's inverted edges leaves on the picture exactly the pixels
// that inverting the polylines directly leaves, drawn anew or reused after a whole-pixel shift.
#include "canvastools/selected_edge_mask.h"

#include <QPainter>
#include <QPolygon>

#include <gtest/gtest.h>

#include <random>

namespace {

using canvastools::EdgePolylines;
using canvastools::SelectedEdgeMask;

constexpr int kWidth = 240;
constexpr int kHeight = 160;

// A picture with some content under the overlay: stripes of colours.
QImage Picture()
{
    QImage image(kWidth, kHeight, QImage::Format_RGB32);
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) {
            image.setPixel(x, y, qRgb((x * 7) & 0xFF, (y * 5) & 0xFF, ((x + y) * 3) & 0xFF));
        }
    }
    return image;
}

// Random polylines, many crossing or lying beyond the picture's edges, some overlapping or
// crossing themselves (their shared pixels are inverted twice).
EdgePolylines RandomEdges(unsigned seed, int count)
{
    std::mt19937 random(seed);
    std::uniform_int_distribution<int> x(-90, kWidth + 90);
    std::uniform_int_distribution<int> y(-90, kHeight + 90);
    std::uniform_int_distribution<int> step(-40, 40);
    std::uniform_int_distribution<int> points(2, 12);
    EdgePolylines edges;
    for (int k = 0; k < count; ++k) {
        QPoint at(x(random), y(random));
        const int n = points(random);
        for (int i = 0; i < n; ++i) {
            edges.points.push_back(at);
            at += QPoint(step(random), step(random));
        }
        if (k % 3 == 0) {
            edges.points.push_back(edges.points[edges.starts.back()]);  // closed
        }
        edges.EndPolyline();
    }
    return edges;
}

// The same polylines with their summaries worked out by the caller, as the overlay gives them.
EdgePolylines Summarised(const EdgePolylines &edges)
{
    EdgePolylines summarised;
    for (size_t k = 0; k < edges.Count(); ++k) {
        summarised.points.insert(summarised.points.end(), edges.points.begin() + edges.starts[k],
                                 edges.points.begin() + edges.starts[k + 1]);
        summarised.EndSummarisedPolyline();
    }
    return summarised;
}

// The mask and its corrections at the picture's edge: one bit a pixel each, rows rounded up to
// whole 64-bit words.
constexpr size_t kMaskBytesAtMost = 2 * (kWidth + 63) / 64 * 8 * kHeight;

EdgePolylines Shifted(const EdgePolylines &edges, QPoint by)
{
    EdgePolylines moved = edges;
    for (QPoint &point : moved.points) {
        point += by;
    }
    return moved;
}

// The overlay as the picture box draws it: each polyline inverted by a white one-pixel pen.
QImage DrawnDirectly(const EdgePolylines &edges)
{
    QImage image = Picture();
    QPainter painter(&image);
    painter.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
    // One pixel wide, flat ends: the last pixel of each line is left out.
    painter.setPen(QPen(QBrush(Qt::white), 0, Qt::SolidLine, Qt::FlatCap, Qt::MiterJoin));
    for (size_t k = 0; k < edges.Count(); ++k) {
        QPolygon polygon;
        for (size_t i = edges.starts[k]; i < edges.starts[k + 1]; ++i) {
            polygon << edges.points[i];
        }
        painter.drawPolyline(polygon);
    }
    return image;
}

QImage ThroughMask(SelectedEdgeMask &mask, const EdgePolylines &edges, bool &reused)
{
    QImage image = Picture();
    reused = mask.Invert(image, edges);
    return image;
}

TEST(SelectedEdgeMask, LeavesThePixelsOfTheEdgesDrawnDirectly)
{
    // 2,600 polylines are drawn in parts on several threads.
    for (unsigned seed = 1; seed <= 12; ++seed) {
        const int count = seed % 4 == 0 ? 2600 : 60;
        SCOPED_TRACE(testing::Message() << "seed " << seed << " polylines " << count);
        const EdgePolylines drawn = RandomEdges(seed, count);
        const EdgePolylines edges = seed % 2 ? drawn : Summarised(drawn);
        SelectedEdgeMask mask;
        bool reused = true;
        EXPECT_EQ(ThroughMask(mask, edges, reused), DrawnDirectly(edges));
        EXPECT_FALSE(reused);
        EXPECT_LE(mask.MaskBytes(), kMaskBytesAtMost);
    }
}

TEST(SelectedEdgeMask, AWholePixelShiftReusesTheMaskWithTheSamePixels)
{
    const struct {
        QPoint shift;
        bool reused;
    } cases[] = {
        {{0, 0}, true},     // the same selection shown again (a restyle)
        {{1, 0}, true},     // a drag step
        {{-2, 3}, true},    // an undone move
        {{-1, -1}, true},
        {{9, -5}, true},    // some polylines cut by the edge now, some no longer
        {{0, -400}, false},  // every polyline left the mask: drawn anew
    };
    for (unsigned seed = 20; seed <= 25; ++seed) {
        const EdgePolylines edges = RandomEdges(seed, 80);
        for (const auto &c : cases) {
            SCOPED_TRACE(testing::Message() << "seed " << seed << " shift " << c.shift.x() << "," << c.shift.y());
            SelectedEdgeMask mask;
            bool reused = false;
            ThroughMask(mask, edges, reused);
            const int64_t drawnBefore = mask.PolylinesDrawn();
            const int64_t cutBefore = mask.CutPolylinesDrawn();
            const EdgePolylines moved = seed % 2 ? Shifted(edges, c.shift) : Summarised(Shifted(edges, c.shift));
            EXPECT_EQ(ThroughMask(mask, moved, reused), DrawnDirectly(moved));
            EXPECT_EQ(reused, c.reused);
            if (c.reused) {
                EXPECT_EQ(mask.PolylinesDrawn(), drawnBefore);  // nothing drawn again
            }
            if (c.shift.isNull()) {
                EXPECT_EQ(mask.CutPolylinesDrawn(), cutBefore);  // not even those the edge cuts
            }
        }
    }
}

TEST(SelectedEdgeMask, AnyOtherChangeDrawsTheMaskAnew)
{
    const EdgePolylines edges = RandomEdges(31, 50);
    EdgePolylines reshaped = edges;
    reshaped.points[5] += QPoint(1, 0);  // one anchor of one path moved
    EdgePolylines fewer = edges;         // one path less selected
    fewer.points.resize(fewer.starts[fewer.Count() - 1]);
    fewer.starts.pop_back();
    const struct {
        const char *name;
        const EdgePolylines &next;
    } cases[] = {
        {"one anchor moved", reshaped},
        {"one path less", fewer},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        SelectedEdgeMask mask;
        bool reused = false;
        ThroughMask(mask, edges, reused);
        EXPECT_EQ(ThroughMask(mask, c.next, reused), DrawnDirectly(c.next));
        EXPECT_FALSE(reused);
    }
    // A picture of another size is drawn anew too.
    SelectedEdgeMask mask;
    bool reused = false;
    ThroughMask(mask, edges, reused);
    QImage small(100, 90, QImage::Format_RGB32);
    small.fill(Qt::white);
    EXPECT_FALSE(mask.Invert(small, edges));
}

TEST(SelectedEdgeMask, NothingSelectedLeavesThePictureAsItWas)
{
    SelectedEdgeMask mask;
    bool reused = false;
    EXPECT_EQ(ThroughMask(mask, EdgePolylines{}, reused), Picture());
    EdgePolylines far;
    far.points = {QPoint(-5000, -5000), QPoint(-4000, -4500)};
    far.EndPolyline();
    EXPECT_EQ(ThroughMask(mask, far, reused), Picture());
}

}  // namespace
