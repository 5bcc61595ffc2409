// Fills of one shape that share an edge: anti-aliased, their coverages add up, so no background
// shows along the edge; without anti-aliasing every pixel is one colour or the other.
#include "jpeg_fixture.h"
#include "platform/player/swf_changed_area.h"
#include "platform/player/swf_parser.h"
#include "player_test_util.h"
#include "tests/support/image_compare.h"

#include <QPainter>
#include <cmath>
#include <functional>
#include <gtest/gtest.h>

using namespace swftest;

namespace {

constexpr uint32_t kNavyRgba = 0x141E5AFF;
const QRgb kNavy = qRgb(0x14, 0x1E, 0x5A);

int32_t Tw(double pixels)
{
    return static_cast<int32_t>(std::lround(pixels * 20));
}

// A closed polygon through points (pixels) with the fill on side fill0.
Records &Polygon(Records &records, const std::vector<QPointF> &points, int fill0, int fill1 = 0)
{
    records.Move(Tw(points[0].x()), Tw(points[0].y()), fill0, fill1);
    for (size_t i = 1; i <= points.size(); ++i) {
        const QPointF &p = points[i % points.size()];
        records.Line(Tw(p.x()), Tw(p.y()));
    }
    return records;
}

std::vector<QPointF> Box(double left, double top, double right, double bottom, bool backwards = false)
{
    if (backwards) {
        return {{left, top}, {left, bottom}, {right, bottom}, {right, top}};
    }
    return {{left, top}, {right, top}, {right, bottom}, {left, bottom}};
}

std::string Movie1(int width, int height, const Styles &styles, const Records &records)
{
    Movie movie(width, height);
    movie.Background(0xFFFFFF).Shape(1, styles, records).Place(1, 1).ShowFrame();
    return movie.Bytes();
}

Styles NavyStyles(int count)
{
    Styles styles;
    for (int i = 0; i < count; ++i) {
        styles.Solid(kNavyRgba);
    }
    return styles;
}

// Pixels (x, y) along a seam that must show the fill's own colour.
using SeamPixels = std::vector<QPoint>;

SeamPixels Column(int x, int top, int bottom)
{
    SeamPixels pixels;
    for (int y = top; y <= bottom; ++y) {
        pixels.push_back({x, y});
    }
    return pixels;
}

struct SeamCase {
    const char *name;
    std::function<std::string()> movie;
    SeamPixels seam;
    QPoint inside;  // a pixel well inside the fills: the colour the seam must show
    QSize size;     // the movie's, in pixels
};

// A closed polygon through points (pixels) as a style group of its own, filled with rgba (navy by
// default): a path of the canvas movie.
Records &SeparatePolygon(Records &records, const std::vector<QPointF> &points, uint32_t rgba = kNavyRgba)
{
    Styles styles;
    styles.Solid(rgba);
    records.NewStyles(styles, Tw(points[0].x()), Tw(points[0].y()), 1, 0);
    for (size_t i = 1; i <= points.size(); ++i) {
        const QPointF &p = points[i % points.size()];
        records.Line(Tw(p.x()), Tw(p.y()));
    }
    return records;
}

// Two squares meeting at x = 100.5: one style both drawn the same way, one traced backwards, the
// second with its fill on the other side, and two styles of one colour.
std::string TwoSquares(bool backwards, int secondFill0, int secondFill1, int styleCount)
{
    Records records;
    Polygon(records, Box(20, 20, 100.5, 80), 1);
    Polygon(records, Box(100.5, 20, 180, 80, backwards), secondFill0, secondFill1);
    return Movie1(200, 100, NavyStyles(styleCount), records);
}

// Two squares of separate groups meeting at x = meet.
std::string SeparateSquares(double meet)
{
    Records records;
    SeparatePolygon(records, Box(meet - 80, 20, meet, 80));
    SeparatePolygon(records, Box(meet, 20, meet + 80, 80, true));
    return Movie1(static_cast<int>(meet) + 100, 100, {}, records);
}

// A grid of 10 x 10 squares of separate groups, 15.3 px wide from (20.2, 20.2).
constexpr int kGridSquares = 10;
constexpr double kGridCorner = 20.2;
constexpr double kGridSide = 15.3;

std::string SeparateGrid()
{
    Records records;
    for (int row = 0; row < kGridSquares; ++row) {
        for (int column = 0; column < kGridSquares; ++column) {
            const double left = kGridCorner + column * kGridSide;
            const double top = kGridCorner + row * kGridSide;
            SeparatePolygon(records, Box(left, top, left + kGridSide, top + kGridSide, (row + column) % 2 == 1));
        }
    }
    return Movie1(200, 200, {}, records);
}

// The pixels of the grid's inner edges, two pixels away from its corners.
SeamPixels GridSeams()
{
    SeamPixels pixels;
    for (int k = 1; k < kGridSquares; ++k) {
        const int edge = static_cast<int>(kGridCorner + k * kGridSide);
        for (int i = 0; i < kGridSquares; ++i) {
            const int from = static_cast<int>(kGridCorner + i * kGridSide) + 3;
            const int to = static_cast<int>(kGridCorner + (i + 1) * kGridSide) - 3;
            for (int along = from; along <= to; ++along) {
                pixels.push_back({edge, along});
                pixels.push_back({along, edge});
            }
        }
    }
    return pixels;
}

// Two triangles sharing the diagonal of a square placed on fractional pixels.
std::string Triangles(int styleCount)
{
    Records records;
    Polygon(records, {{20.3, 20.3}, {180.3, 20.3}, {20.3, 180.3}}, 1);
    Polygon(records, {{180.3, 20.3}, {180.3, 180.3}, {20.3, 180.3}}, styleCount);
    return Movie1(200, 200, NavyStyles(styleCount), records);
}

std::string SeparateTriangles()
{
    Records records;
    SeparatePolygon(records, {{20.3, 20.3}, {180.3, 20.3}, {20.3, 180.3}});
    SeparatePolygon(records, {{180.3, 20.3}, {180.3, 180.3}, {20.3, 180.3}});
    return Movie1(200, 200, {}, records);
}

SeamPixels Diagonal()
{
    SeamPixels pixels;
    for (int i = 16; i <= 144; ++i) {
        pixels.push_back({static_cast<int>(180.3 - i), static_cast<int>(20.3 + i)});
    }
    return pixels;
}

// Five sectors of a disc about (100.4, 100.4), each its own style, the arcs quadratic curves.
constexpr int kSectors = 5;
constexpr double kCentre = 100.4;
constexpr double kRadius = 80;

QPointF OnCircle(double angle, double radius)
{
    return {kCentre + radius * std::cos(angle), kCentre + radius * std::sin(angle)};
}

// Each sector its own style, or (separate) its own style group.
std::string Sectors(bool separate)
{
    Records records;
    const double step = 2 * M_PI / kSectors;
    for (int i = 0; i < kSectors; ++i) {
        const QPointF from = OnCircle(i * step, kRadius);
        const QPointF to = OnCircle((i + 1) * step, kRadius);
        const QPointF control = OnCircle((i + 0.5) * step, kRadius / std::cos(step / 2));
        if (separate) {
            records.NewStyles(NavyStyles(1), Tw(kCentre), Tw(kCentre), 1, 0);
        } else {
            records.Move(Tw(kCentre), Tw(kCentre), i + 1, 0);
        }
        records.Line(Tw(from.x()), Tw(from.y()));
        records.Curve(Tw(control.x()), Tw(control.y()), Tw(to.x()), Tw(to.y())).Line(Tw(kCentre), Tw(kCentre));
    }
    return Movie1(200, 200, NavyStyles(separate ? 0 : kSectors), records);
}

SeamPixels Radii()
{
    SeamPixels pixels;
    for (int i = 0; i < kSectors; ++i) {
        for (int r = 0; r <= 70; r += 2) {
            const QPointF p = OnCircle(i * 2 * M_PI / kSectors, r);
            pixels.push_back({static_cast<int>(std::floor(p.x())), static_cast<int>(std::floor(p.y()))});
        }
    }
    return pixels;
}

// Two tiles of one JPEG bitmap (5 px a bitmap pixel, covering 0..50 px) meeting at x = 25.5.
std::string BitmapTiles()
{
    Styles styles;
    styles.Bitmap(2, 100.0).Bitmap(2, 100.0);
    Records records;
    Polygon(records, Box(5, 5, 25.5, 45), 1);
    Polygon(records, Box(25.5, 5, 45, 45), 2);
    Movie movie(50, 50);
    movie.Background(0xFFFFFF).Tag(21, Jpeg2Body(2, EncodeJpeg(10, 10, kNavy))).Shape(1, styles, records);
    movie.Place(1, 1).ShowFrame();
    return movie.Bytes();
}

// Tiles of a 10 x 10 px JPEG bitmap, each its own style whose bitmap spans the tile exactly:
// columns x rows tiles of width x height px from corner, turned by degrees about it, the shape
// placed at scale.
struct PictureTiles {
    int columns;
    int rows;
    QPointF corner;
    QSizeF tile;
    double degrees = 0;
    double scale = 1;

    QPointF At(double column, double row) const
    {
        const double turn = degrees * M_PI / 180;
        const double x = column * tile.width();
        const double y = row * tile.height();
        return corner + QPointF(x * std::cos(turn) - y * std::sin(turn), x * std::sin(turn) + y * std::cos(turn));
    }
};

std::string TileMovie(const PictureTiles &tiles, const QSize &size)
{
    Styles styles;
    Records records;
    const double turn = tiles.degrees * M_PI / 180;
    const double across = tiles.tile.width() * 2;  // twips per bitmap pixel
    const double down = tiles.tile.height() * 2;
    for (int row = 0; row < tiles.rows; ++row) {
        for (int column = 0; column < tiles.columns; ++column) {
            const QPointF corner = tiles.At(column, row);
            styles.Bitmap(2, across * std::cos(turn), down * std::cos(turn), across * std::sin(turn),
                          -down * std::sin(turn), Tw(corner.x()), Tw(corner.y()));
            Polygon(records, {corner, tiles.At(column + 1, row), tiles.At(column + 1, row + 1), tiles.At(column, row + 1)},
                    styles.fillCount);
        }
    }
    Movie movie(size.width(), size.height());
    movie.Background(0xFFFFFF).Tag(21, Jpeg2Body(2, EncodeJpeg(10, 10, kNavy))).Shape(1, styles, records);
    Place place;
    place.id = 1;
    place.scale = tiles.scale;
    movie.PlaceObject(place).ShowFrame();
    return movie.Bytes();
}

// The pixels along the edges tiles share, away from the tiles' corners.
SeamPixels TileSeams(const PictureTiles &tiles)
{
    SeamPixels pixels;
    auto add = [&](const QPointF &from, const QPointF &to) {
        const double length = std::hypot(to.x() - from.x(), to.y() - from.y()) * tiles.scale;
        for (double t = 0.1; t <= 0.9; t += 1 / length) {
            const QPointF p = (from + (to - from) * t) * tiles.scale;
            pixels.push_back({static_cast<int>(std::floor(p.x())), static_cast<int>(std::floor(p.y()))});
        }
    };
    for (int row = 0; row < tiles.rows; ++row) {
        for (int column = 0; column < tiles.columns; ++column) {
            if (column > 0) {
                add(tiles.At(column, row), tiles.At(column, row + 1));
            }
            if (row > 0) {
                add(tiles.At(column, row), tiles.At(column + 1, row));
            }
        }
    }
    return pixels;
}

SeamCase TileCase(const char *name, const PictureTiles &tiles, const QPoint &inside, const QSize &size)
{
    return {name, [tiles, size] { return TileMovie(tiles, size); }, TileSeams(tiles), inside, size};
}

std::vector<SeamCase> SeamCases()
{
    return {
        {"squares, one style", [] { return TwoSquares(false, 1, 0, 1); }, Column(100, 22, 78), {60, 50}, {200, 100}},
        {"squares, one traced backwards", [] { return TwoSquares(true, 1, 0, 1); }, Column(100, 22, 78), {60, 50},
         {200, 100}},
        {"squares, fill on the other side", [] { return TwoSquares(false, 0, 1, 1); }, Column(100, 22, 78), {60, 50},
         {200, 100}},
        {"squares, two styles", [] { return TwoSquares(false, 2, 0, 2); }, Column(100, 22, 78), {60, 50}, {200, 100}},
        {"triangles, one style", [] { return Triangles(1); }, Diagonal(), {60, 60}, {200, 200}},
        {"triangles, two styles", [] { return Triangles(2); }, Diagonal(), {60, 60}, {200, 200}},
        {"sectors", [] { return Sectors(false); }, Radii(), {100, 60}, {200, 200}},
        // Separate paths of the canvas movie: style groups of one shape.
        {"squares, separate paths", [] { return SeparateSquares(100.5); }, Column(100, 22, 78), {60, 50}, {200, 100}},
        {"squares a quarter pixel in, separate paths", [] { return SeparateSquares(250.25); }, Column(250, 22, 78),
         {210, 50}, {350, 100}},
        {"triangles, separate paths", SeparateTriangles, Diagonal(), {60, 60}, {200, 200}},
        {"sectors, separate paths", [] { return Sectors(true); }, Radii(), {100, 60}, {200, 200}},
        {"a grid of squares, separate paths", SeparateGrid, GridSeams(), {28, 28}, {200, 200}},
        {"bitmap tiles", BitmapTiles, Column(25, 7, 43), {15, 25}, {50, 50}},
        TileCase("pictures at 36.7 %", {3, 2, {20, 20}, {100, 100}, 0, 0.367}, {30, 30}, {130, 90}),
        TileCase("pictures turned 7 degrees", {3, 3, {60, 20}, {40, 30}, 7}, {70, 40}, {200, 140}),
        // Columns 37, 178 and 319 have their centres a quarter pixel inside the tiles left of them.
        TileCase("pictures of fractional size", {10, 3, {2.5, 3.75}, {35.25, 23.5}}, {20, 20}, {360, 80}),
    };
}

TEST(PlayerSeams, SharedEdgesShowNoBackgroundWhenAntialiased)
{
    for (const SeamCase &seam : SeamCases()) {
        for (const char *quality : {"medium", "high", "best"}) {
            const std::string bytes = seam.movie();
            const QImage image = Play(bytes, seam.size.width(), seam.size.height(), quality);
            const QRgb inside = image.pixel(seam.inside);
            ASSERT_NE(inside, kWhite) << seam.name;
            int differing = 0;
            for (const QPoint &p : seam.seam) {
                differing += image.pixel(p) != inside ? 1 : 0;
            }
            EXPECT_EQ(differing, 0) << seam.name << " at " << quality;
        }
    }
}

TEST(PlayerSeams, SeamShapesOverTwoBackgroundsDifferOnlyOnTheirOutlines)
{
    for (const SeamCase &seam : SeamCases()) {
        platform::MoviePlayer overWhite;
        overWhite.SetQuality2("high");
        Load(overWhite, seam.movie());
        platform::MoviePlayer overBlack;
        overBlack.SetQuality2("high");
        overBlack.SetBackgroundColor(0);
        Load(overBlack, seam.movie());
        const QImage white = Render(overWhite, seam.size.width(), seam.size.height());
        const QImage black = Render(overBlack, seam.size.width(), seam.size.height());
        for (const QPoint &p : seam.seam) {
            EXPECT_EQ(white.pixel(p), black.pixel(p)) << seam.name << " at " << p.x() << "," << p.y();
        }
    }
}

TEST(PlayerSeams, WithoutAntialiasingEveryPixelIsTheFillOrExactWhite)
{
    for (const SeamCase &seam : SeamCases()) {
        const QImage image = Play(seam.movie(), seam.size.width(), seam.size.height(), "low");
        const QRgb inside = image.pixel(seam.inside);
        EXPECT_EQ(Count(image, [inside](QRgb p) { return p != inside && p != kWhite; }), 0) << seam.name;
        for (const QPoint &p : seam.seam) {
            EXPECT_EQ(image.pixel(p), inside) << seam.name;
        }
    }
}

// A path drawn over an equal one (a copy pasted in place and recoloured) hides it: along their
// edges too, the pixels are the upper path's alone, where its edge pixels share all their sample
// points with the lower one's, or (slivers between the points) none.
TEST(PlayerSeams, APathOverAnEqualOneShowsTheUpperAloneAlongTheirEdges)
{
    const std::vector<std::vector<QPointF>> outlines = {
        Box(20.3, 20.9, 80.6, 60.05), {{100.2, 10.7}, {190.9, 40.3}, {120.6, 90.45}}, Box(30.5, 120.5, 170.5, 190.5)};
    for (const std::vector<QPointF> &outline : outlines) {
        Records both;
        SeparatePolygon(both, outline, kNavyRgba);
        SeparatePolygon(both, outline, 0xD02020FFu);
        Records upper;
        SeparatePolygon(upper, outline, 0xD02020FFu);
        const QImage stacked = Play(Movie1(200, 200, {}, both), 200, 200, "high");
        const QImage alone = Play(Movie1(200, 200, {}, upper), 200, 200, "high");
        EXPECT_LE(testsupport::LargestChannelDifference(stacked, alone), 1)
            << outline.front().x() << "," << outline.front().y();
    }
}

// All the seam shapes, a gradient and bitmaps in one 512 x 512 movie, drawn whole (in bands on
// threads) and in parts: the parts hold the whole render's pixels, with and without anti-aliasing.
TEST(PlayerSeams, PartsRepaintedMatchTheWholeRender)
{
    Movie movie(512, 512);
    movie.Background(0xFFFFFF).Tag(21, Jpeg2Body(2, EncodeJpeg(10, 10, kNavy)));
    Styles styles = NavyStyles(kSectors);
    styles.Gradient(false, 0.02, Tw(300), Tw(300), {{0, 0xFF0000FF}, {255, 0x0000FFFF}}).Bitmap(2, 100.0);
    // A turned bitmap whose fill reaches past its edges (shown there by its edge pixels).
    styles.Bitmap(2, 82, 80, 12, -11, Tw(300.3), Tw(350.6));
    Records records;
    Polygon(records, {{20.3, 20.3}, {480.3, 20.3}, {20.3, 480.3}}, 1);
    Polygon(records, {{480.3, 20.3}, {480.3, 480.3}, {20.3, 480.3}}, 2);
    Polygon(records, Box(200.5, 200.5, 400.25, 300.75), kSectors + 1);
    Polygon(records, Box(5, 5, 45.5, 45), kSectors + 2);
    Polygon(records, Box(290.25, 340.5, 350.75, 400.25), kSectors + 3);
    // Separate paths over them: abutting squares of two colours, one translucent, and a
    // translucent triangle across them.
    for (int k = 0; k < 16; ++k) {
        const double left = 60.3 + (k % 4) * 30.25;
        const double top = 250.6 + (k / 4) * 30.5;
        SeparatePolygon(records, Box(left, top, left + 30.25, top + 30.5), k % 3 == 0 ? 0xC0204080u : 0x20A040FFu);
    }
    SeparatePolygon(records, {{40.5, 240.2}, {200.7, 300.1}, {90.4, 390.9}}, 0x2040C0A0u);
    movie.Shape(1, styles, records).Place(1, 1).ShowFrame();
    const std::string bytes = movie.Bytes();
    const auto parsed = platform::swf::ParseMovie(bytes);
    ASSERT_NE(parsed, nullptr);
    platform::swf::DisplayList list;
    platform::swf::ApplyFrame(parsed->frames.at(0), list);
    const QTransform fullSize = QTransform::fromScale(1 / 20.0, 1 / 20.0);
    for (const platform::swf::Quality quality : {platform::swf::Quality::High, platform::swf::Quality::Low}) {
        auto render = [&](const QRect &part) {
            QImage image(512, 512, QImage::Format_RGB32);
            image.fill(kWhite);
            const platform::swf::PictureSetup setup{parsed.get(), &list, image.rect(), fullSize, quality};
            platform::swf::RenderDisplayList(setup, image, part);
            return image;
        };
        const QImage whole = render(QRect(0, 0, 512, 512));
        for (QRect part : {QRect(0, 0, 200, 200), QRect(256, 256, 200, 200), QRect(150, 30, 300, 100),
                           QRect(37, 333, 61, 170), QRect(310, 360, 30, 30)}) {
            if (quality == platform::swf::Quality::Low) {
                // Without anti-aliasing a gradient is sampled along each row from where the row's
                // part starts: the retained picture repaints such rows whole.
                part = QRect(0, part.top(), 512, part.height());
            }
            const QImage repainted = render(part);
            int differing = 0;
            for (int y = 0; y < 512; ++y) {
                for (int x = 0; x < 512; ++x) {
                    differing += repainted.pixel(x, y) != (part.contains(x, y) ? whole.pixel(x, y) : kWhite) ? 1 : 0;
                }
            }
            EXPECT_EQ(differing, 0) << part.x() << "," << part.y() << " at quality " << static_cast<int>(quality);
        }
    }
}

}  // namespace
