// Long paths drawn in pieces: the tiles give the pixels of the whole path, keep its winding across
// their borders, repaint a part as a whole render does, and are given only the edges near them.
#include "platform/player/swf_changed_area.h"
#include "platform/player/swf_parser.h"
#include "platform/player/swf_path_pieces.h"
#include "player_test_util.h"

#include <QPainter>
#include <algorithm>
#include <cmath>
#include <gtest/gtest.h>
#include <random>

using namespace swftest;
using platform::swf::PathPieces;

namespace {

constexpr int kSide = 320;
constexpr double kTwips = 20;
const QTransform kFullSize = QTransform::fromScale(1 / kTwips, 1 / kTwips);

// A closed ring of corners in twips around the centre of the picture: every other corner is
// pulled in by up to depth pixels (spikes when depth is large), joined by curves or lines.
QPainterPath Ring(int corners, double radius, double depth, bool curves, unsigned seed = 5)
{
    std::mt19937 random(seed);
    std::uniform_real_distribution<double> pull(0, depth);
    auto corner = [&](int k) {
        const double angle = k * 2 * M_PI / corners;
        const double reach = (radius - (k % 2 ? 0 : pull(random))) * kTwips;
        return QPointF(std::round(kSide / 2 * kTwips + reach * std::cos(angle)),
                       std::round(kSide / 2 * kTwips + reach * std::sin(angle)));
    };
    QPainterPath path;
    path.setFillRule(Qt::OddEvenFill);
    const QPointF first = corner(0);
    path.moveTo(first);
    for (int k = 1; k + 1 < corners; k += 2) {
        const QPointF control = corner(k);
        const QPointF to = corner(k + 1);
        if (curves) {
            path.quadTo(control, to);
        } else {
            path.lineTo(control);
            path.lineTo(to);
        }
    }
    path.lineTo(first);
    return path;
}

QImage White()
{
    QImage image(kSide, kSide, QImage::Format_RGB32);
    image.fill(kWhite);
    return image;
}

QImage PlainFill(const QPainterPath &path, const QTransform &world, bool antialiased)
{
    QImage image = White();
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing, antialiased);
    painter.setTransform(world);
    painter.fillPath(path, QColor(0x34, 0x65, 0xA4));
    return image;
}

QImage TiledFill(const PathPieces &pieces, const QTransform &world, bool antialiased, const QRect &clip,
                 platform::swf::RenderCounts *counts = nullptr)
{
    QImage image = White();
    platform::swf::RenderCounts uncounted;
    platform::swf::FillInTiles(image, image.rect(), clip, pieces, world, QColor(0x34, 0x65, 0xA4), antialiased,
                               counts != nullptr ? *counts : uncounted);
    return image;
}

// The largest difference of a colour channel between the two images, and the pixels that differ.
std::pair<int, int> Difference(const QImage &a, const QImage &b)
{
    int largest = 0;
    int pixels = 0;
    for (int y = 0; y < a.height(); ++y) {
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = a.pixel(x, y);
            const QRgb q = b.pixel(x, y);
            if (p != q) {
                ++pixels;
                largest = std::max({largest, std::abs(qRed(p) - qRed(q)), std::abs(qGreen(p) - qGreen(q)),
                                    std::abs(qBlue(p) - qBlue(q))});
            }
        }
    }
    return {largest, pixels};
}

}  // namespace

TEST(PathPieces, TilesGiveThePixelsOfTheWholeFillWhereNoEdgeIsCut)
{
    // 40,000 corners a pixel or less apart, lines and curves: no tile cuts an edge, every edge
    // near a tile is drawn as it is in the whole path, curves turned into the same lines.
    for (bool curves : {false, true}) {
        const QPainterPath path = Ring(40000, 130, 4, curves);
        ASSERT_GE(path.elementCount(), platform::swf::kPiecewiseElements);
        const PathPieces pieces(path);
        for (bool antialiased : {true, false}) {
            SCOPED_TRACE(testing::Message() << "curves " << curves << " antialiased " << antialiased);
            platform::swf::RenderCounts counts;
            const QImage tiled = TiledFill(pieces, kFullSize, antialiased, QRect(0, 0, kSide, kSide), &counts);
            EXPECT_GT(counts.tilesFilled, 1);
            EXPECT_EQ(Difference(PlainFill(path, kFullSize, antialiased), tiled), std::make_pair(0, 0));
        }
    }
}

TEST(PathPieces, SpikesCutAtTileBordersDifferOnlyByAntiAliasingNoise)
{
    // Spikes 30 pixels long, 20 to a pixel along the ring: lines across tile borders are cut, and
    // the rasteriser, stepping along them from the cut, may place them 1/256 pixel apart.
    const QPainterPath path = Ring(40000, 140, 30, true);
    const PathPieces pieces(path);
    const QRect all(0, 0, kSide, kSide);
    EXPECT_LE(Difference(PlainFill(path, kFullSize, true), TiledFill(pieces, kFullSize, true, all)).first, 16);
    EXPECT_LE(Difference(PlainFill(path, kFullSize, false), TiledFill(pieces, kFullSize, false, all)).second,
              kSide * kSide / 100)
        << "only pixel centres within 1/256 pixel of an edge";
}

TEST(PathPieces, ACutFillKeepsTheWindingOfEveryPointInsideItsRectangle)
{
    // Three rings crossing one another and the rectangle's borders, under both fill rules. Lines
    // only: a curve across the border is turned into lines, which a point near it may tell apart.
    QPainterPath path = Ring(12000, 120, 30, false, 1);
    path.addPath(Ring(12000, 90, 30, false, 2).translated(900, 0));
    path.addPath(Ring(12000, 60, 10, false, 3).translated(-600, 500));
    const QRectF keep(2400, 1100, 1300, 900);
    const platform::swf::CutTolerances tolerances{0.5, 4};
    for (Qt::FillRule rule : {Qt::OddEvenFill, Qt::WindingFill}) {
        path.setFillRule(rule);
        const PathPieces pieces(path);
        const QPainterPath cut = platform::swf::ToPath(pieces.FillWithin(keep, tolerances), rule);
        EXPECT_LT(cut.elementCount(), path.elementCount() / 3);
        int inside = 0;
        for (double y = keep.top() + 7.3; y < keep.bottom(); y += 53) {
            for (double x = keep.left() + 5.1; x < keep.right(); x += 47) {
                const bool expected = path.contains(QPointF(x, y));
                ASSERT_EQ(cut.contains(QPointF(x, y)), expected) << "at " << x << ", " << y << " rule " << rule;
                inside += expected ? 1 : 0;
            }
        }
        EXPECT_GT(inside, 10);
        // Cut again for a smaller rectangle: still the same winding there.
        const QRectF inner = keep.adjusted(300, 200, -400, -300);
        const QPainterPath again =
            platform::swf::ToPath(platform::swf::CutFill(pieces.FillWithin(keep, tolerances), inner, tolerances), rule);
        for (double y = inner.top() + 3.7; y < inner.bottom(); y += 31) {
            for (double x = inner.left() + 2.9; x < inner.right(); x += 29) {
                ASSERT_EQ(again.contains(QPointF(x, y)), path.contains(QPointF(x, y))) << "at " << x << ", " << y;
            }
        }
    }
}

TEST(PathPieces, OnlyTheEdgesNearTheDrawnPartAreGivenToTheTiles)
{
    const QPainterPath path = Ring(60000, 140, 40, true);
    const PathPieces pieces(path);
    // Nothing of the path in the clip (a corner outside the ring): no tile.
    platform::swf::RenderCounts corner;
    TiledFill(pieces, kFullSize, true, QRect(0, 0, 30, 30), &corner);
    EXPECT_EQ(corner.tilesFilled, 0);
    // A 40-pixel square across the ring: a small part of the path's edges.
    platform::swf::RenderCounts part;
    TiledFill(pieces, kFullSize, true, QRect(140, 0, 40, 40), &part);
    EXPECT_GT(part.tileEdges, 0);
    EXPECT_LT(part.tileEdges, path.elementCount() / 4);
    // At four times the size, a sixteenth of the picture shown.
    const QTransform zoomed = QTransform::fromScale(4 / kTwips, 4 / kTwips) * QTransform::fromTranslate(-480, 0);
    platform::swf::RenderCounts zoomedCounts;
    TiledFill(pieces, zoomed, true, QRect(0, 0, kSide, kSide), &zoomedCounts);
    EXPECT_LT(zoomedCounts.tileEdges, path.elementCount());
}

TEST(PlayerPieces, ARepaintedPartOfALongShapeEqualsTheWholeRender)
{
    // A spiky ring of 30,000 curves, filled and lined, in a picture drawn in several bands.
    Styles styles;
    styles.Solid(0x3465A4FF).Line(20, 0x000000FF);
    Records records;
    const QPainterPath ring = Ring(60000, 140, 40, true);
    const QPainterPath::Element first = ring.elementAt(0);
    records.Move(static_cast<int32_t>(first.x), static_cast<int32_t>(first.y), -1, 1, 1);
    QPointF at(first.x, first.y);
    for (int i = 1; i < ring.elementCount(); ++i) {
        const QPainterPath::Element element = ring.elementAt(i);
        if (element.type == QPainterPath::CurveToElement) {
            // The quadratic's control point back from the cubic's first one.
            const QPointF control = at + (QPointF(element.x, element.y) - at) * 1.5;
            const QPainterPath::Element to = ring.elementAt(i + 2);
            records.Curve(static_cast<int32_t>(std::lround(control.x())), static_cast<int32_t>(std::lround(control.y())),
                          static_cast<int32_t>(to.x), static_cast<int32_t>(to.y));
            at = QPointF(to.x, to.y);
            i += 2;
        } else {
            records.Line(static_cast<int32_t>(element.x), static_cast<int32_t>(element.y));
            at = QPointF(element.x, element.y);
        }
    }
    const std::string bytes = OneShape(kSide, kSide, styles, records);
    const auto movie = platform::swf::ParseMovie(bytes);
    ASSERT_NE(movie, nullptr);
    platform::swf::DisplayList list;
    platform::swf::ApplyFrame(movie->frames.at(0), list);
    for (auto quality : {platform::swf::Quality::High, platform::swf::Quality::Low}) {
        QImage whole = White();
        platform::swf::RenderCounts counts;
        const platform::swf::PictureSetup counted{movie.get(), &list, whole.rect(), kFullSize, quality, 0, &counts};
        platform::swf::RenderDisplayList(counted, whole, whole.rect());
        if (quality == platform::swf::Quality::Low) {
            EXPECT_GT(counts.tilesFilled, 0) << "drawn in pieces, which the repainted parts then cut";
        }
        EXPECT_GT(CountColor(whole, 0xFF3465A4u), kSide * kSide / 4);
        for (const QRect part : {QRect(150, 5, 37, 200), QRect(0, 100, kSide, 61), QRect(260, 150, 60, 170)}) {
            QImage repainted = White();
            const platform::swf::PictureSetup setup{movie.get(), &list, repainted.rect(), kFullSize, quality};
            platform::swf::RenderDisplayList(setup, repainted, part);
            for (int y = 0; y < kSide; ++y) {
                for (int x = 0; x < kSide; ++x) {
                    ASSERT_EQ(repainted.pixel(x, y), part.contains(x, y) ? whole.pixel(x, y) : kWhite)
                        << "at " << x << ", " << y;
                }
            }
        }
    }
}
