// Pixels the player draws for small movies built byte by byte.
#include "platform/player/swf_movie.h"
#include "drawn_paths.h"
#include "player_test_util.h"

#include <gtest/gtest.h>

using namespace swftest;

namespace {

// A 100 x 100 pixel movie; 20 twips per pixel.
constexpr int kSize = 100;

int32_t Px(int pixels)
{
    return pixels * 20;
}

// A red box (pixels) in a movie whose frame is frame x frame pixels.
std::string RedSquare(int left, int top, int right, int bottom, int frame = kSize)
{
    Styles styles;
    styles.Solid(0xFF0000FF);
    Records records;
    records.Box(Px(left), Px(top), Px(right), Px(bottom), 1);
    return OneShape(frame, frame, styles, records);
}

TEST(PlayerShapes, SolidFillIsExactAtLowQuality)
{
    QImage image = Play(RedSquare(20, 30, 60, 50), kSize, kSize);
    EXPECT_EQ(CountColor(image, kRed), 40 * 20);
    EXPECT_EQ(CountColor(image, kWhite), kSize * kSize - 40 * 20);
    EXPECT_EQ(image.pixel(20, 30), kRed);
    EXPECT_EQ(image.pixel(59, 49), kRed);
    EXPECT_EQ(image.pixel(60, 49), kWhite);
    EXPECT_EQ(image.pixel(19, 30), kWhite);
}

TEST(PlayerShapes, ContoursOfOneStyleFillEvenOdd)
{
    Styles styles;
    styles.Solid(0xFF0000FF);
    // Outer and inner square with the fill on the same side, then the inner one traced with the
    // fill on the other side: both give a hole.
    Records sameSide;
    sameSide.Box(Px(10), Px(10), Px(90), Px(90), 1).Box(Px(30), Px(30), Px(70), Px(70));
    Records otherSide;
    otherSide.Box(Px(10), Px(10), Px(90), Px(90), 1, 0).Box(Px(30), Px(30), Px(70), Px(70), 0, 1);
    for (const Records &records : {sameSide, otherSide}) {
        QImage image = Play(OneShape(kSize, kSize, styles, records), kSize, kSize);
        EXPECT_EQ(CountColor(image, kRed), 80 * 80 - 40 * 40);
        EXPECT_EQ(image.pixel(50, 50), kWhite);
        EXPECT_EQ(image.pixel(15, 50), kRed);
    }
}

TEST(PlayerShapes, EdgesOutOfOrderStillCloseTheirFill)
{
    // A square whose four edges come as separate pieces, two of them traced backwards.
    Styles styles;
    styles.Solid(0xFF0000FF);
    Records records;
    records.Move(Px(20), Px(20), 1).Line(Px(80), Px(20));
    records.Move(Px(20), Px(80)).Line(Px(80), Px(80));  // bottom, left to right
    records.Move(Px(80), Px(20)).Line(Px(80), Px(80));
    records.Move(Px(20), Px(20)).Line(Px(20), Px(80));  // left, top to bottom
    QImage image = Play(OneShape(kSize, kSize, styles, records), kSize, kSize);
    EXPECT_EQ(CountColor(image, kRed), 60 * 60);
}

TEST(PlayerShapes, LinesAreDrawnAfterTheFillsOfTheirGroupOnly)
{
    Styles first;
    first.Solid(0xFF0000FF).Line(200, 0x0000FFFF);  // 10 px blue line
    Styles second;
    second.Solid(0x00FF00FF);
    Records records;
    records.Box(Px(20), Px(20), Px(60), Px(60), 1, -1, 1);
    records.NewStyles(second, Px(55), Px(0), 1, 0);
    records.Line(Px(100), Px(0)).Line(Px(100), Px(100)).Line(Px(55), Px(100)).Line(Px(55), Px(0));
    QImage image = Play(OneShape(kSize, kSize, first, records), kSize, kSize);
    EXPECT_EQ(image.pixel(22, 40), kBlue);        // line over its own fill
    EXPECT_EQ(image.pixel(40, 40), kRed);
    EXPECT_EQ(image.pixel(58, 40), 0xFF00FF00u);  // the later group covers the line
    EXPECT_EQ(image.pixel(16, 40), kBlue);        // half the width lies outside the fill
    EXPECT_EQ(image.pixel(14, 40), kWhite);
}

TEST(PlayerShapes, LinearGradientPadsBeyondItsSquare)
{
    // Black to white over 25..75 px (the gradient square scaled to 1000 twips wide), painted on
    // a shape twice as wide.
    const double scale = 1000.0 / 32768.0;
    Styles linear;
    linear.Gradient(false, scale, Px(50), Px(50), {{0, 0x000000FF}, {255, 0xFFFFFFFF}});
    Records wide;
    wide.Box(0, 0, Px(100), Px(100), 1);
    QImage image = Play(OneShape(kSize, kSize, linear, wide), kSize, kSize, "high");
    EXPECT_EQ(qRed(image.pixel(5, 50)), 0);     // padded start colour
    EXPECT_EQ(qRed(image.pixel(95, 50)), 255);  // padded end colour
    EXPECT_NEAR(qRed(image.pixel(50, 50)), 128, 8);
    EXPECT_NEAR(qRed(image.pixel(62, 10)), 191, 8);  // the same in every row
}

TEST(PlayerShapes, GradientsTakeTheirColourAtEachPixelCentre)
{
    Records wide;
    wide.Box(0, 0, Px(100), Px(100), 1);
    // Black to white outwards from (50, 50) over 40 px.
    Styles radial;
    radial.Gradient(true, Px(40) / 16384.0, Px(50), Px(50), {{0, 0x000000FF}, {255, 0xFFFFFFFF}});
    QImage image = Play(OneShape(kSize, kSize, radial, wide), kSize, kSize, "high");
    EXPECT_LE(qRed(image.pixel(50, 50)), 6);
    EXPECT_NEAR(qRed(image.pixel(70, 50)), 131, 2);  // its centre 20.5 px out: 51 %
    EXPECT_NEAR(qGreen(image.pixel(50, 29)), 131, 2);
    EXPECT_EQ(image.pixel(95, 50), kWhite);  // past the radius the last colour pads
    EXPECT_EQ(image.pixel(2, 2), kWhite);
    // Two stops on one ratio (128: 50.2 px) make a hard edge, each colour whole on its side.
    Styles hard;
    hard.Gradient(false, Px(100) / 32768.0, Px(50), Px(50),
                  {{0, 0xFF0000FF}, {128, 0xFF0000FF}, {128, 0x0000FFFF}, {255, 0x0000FFFF}});
    image = Play(OneShape(kSize, kSize, hard, wide), kSize, kSize, "high");
    EXPECT_EQ(image.pixel(49, 50), kRed);
    EXPECT_EQ(image.pixel(50, 50), kBlue);
    EXPECT_EQ(image.pixel(0, 99), kRed);
    EXPECT_EQ(image.pixel(99, 0), kBlue);
}

// A line whose points all lie on one point (a click with the pen) is its round caps: a dot as
// wide as the line, at least one device pixel when thin.
TEST(PlayerShapes, ALineOnOnePointDrawsItsRoundDot)
{
    for (const uint16_t width : {uint16_t(600), uint16_t(10)}) {
        Styles styles;
        styles.Line(width, 0x0000FFFF);
        Records records;
        records.Move(Px(40), Px(40), -1, -1, 1).Line(Px(40), Px(40));
        for (const char *quality : {"low", "high"}) {
            const QImage image = Play(OneShape(kSize, kSize, styles, records), kSize, kSize, quality);
            if (width == 600) {
                EXPECT_EQ(image.pixel(40, 40), kBlue) << quality;
                EXPECT_EQ(image.pixel(51, 40), kBlue) << quality;  // within the dot's 15 px radius
                EXPECT_EQ(image.pixel(40, 29), kBlue) << quality;
                EXPECT_EQ(image.pixel(52, 52), kWhite) << quality;  // past it, diagonally
                EXPECT_EQ(image.pixel(57, 40), kWhite) << quality;
                continue;
            }
            int inked = 0;
            for (int y = 38; y < 42; ++y) {
                for (int x = 38; x < 42; ++x) {
                    inked += image.pixel(x, y) != kWhite ? 1 : 0;
                }
            }
            EXPECT_GE(inked, 1) << quality;
            EXPECT_LE(inked, 4) << quality;
        }
    }
}

TEST(PlayerPlacement, ColourTransformMultipliesAndAdds)
{
    Movie movie(kSize, kSize);
    Styles styles;
    styles.Solid(0xFF0000FF);
    Records left;
    left.Box(0, 0, Px(50), Px(100), 1);
    Records right;
    right.Box(Px(50), 0, Px(100), Px(100), 1);
    movie.Shape(1, styles, left).Shape(2, styles, right);
    Place half;
    half.id = 1;
    half.depth = 1;
    half.colorTransform = {{256, 256, 256, 128}, {0, 0, 0, 0}};
    Place recolour;
    recolour.id = 2;
    recolour.depth = 2;
    recolour.colorTransform = {{0, 256, 256, 256}, {0, 0, 255, 0}};
    movie.PlaceObject(half).PlaceObject(recolour).ShowFrame();
    QImage image = Play(movie.Bytes(), kSize, kSize);
    QRgb blended = image.pixel(25, 50);
    EXPECT_EQ(qRed(blended), 255);
    EXPECT_NEAR(qGreen(blended), 127, 1);
    EXPECT_NEAR(qBlue(blended), 127, 1);
    EXPECT_EQ(image.pixel(75, 50), kBlue);
}

TEST(PlayerPlacement, ClipLayerMasksOnlyTheDepthsItCovers)
{
    Movie movie(kSize, kSize);
    Styles red;
    red.Solid(0xFF0000FF);
    Styles blue;
    blue.Solid(0x0000FFFF);
    Records full;
    full.Box(0, 0, Px(100), Px(100), 1);
    Records mask;
    mask.Box(Px(20), Px(20), Px(40), Px(40), 1);
    Records corner;
    corner.Box(Px(80), Px(80), Px(100), Px(100), 1);
    movie.Shape(1, red, full).Shape(2, red, mask).Shape(3, blue, corner);
    Place clip;
    clip.id = 2;
    clip.depth = 2;
    clip.clipDepth = 3;
    movie.PlaceObject(clip).Place(1, 3).Place(3, 4).ShowFrame();
    QImage image = Play(movie.Bytes(), kSize, kSize);
    EXPECT_EQ(CountColor(image, kRed), 20 * 20);
    EXPECT_EQ(image.pixel(30, 30), kRed);
    EXPECT_EQ(CountColor(image, kBlue), 20 * 20);
    EXPECT_EQ(CountColor(image, kWhite), kSize * kSize - 800);
}

TEST(PlayerPlacement, MatrixScalesAndMoves)
{
    Movie movie(kSize, kSize);
    Styles styles;
    styles.Solid(0xFF0000FF);
    Records records;
    records.Box(0, 0, Px(10), Px(10), 1);
    Place p;
    p.id = 1;
    p.translate = {Px(30), Px(40)};
    p.scale = 2.0;
    movie.Shape(1, styles, records).PlaceObject(p).ShowFrame();
    QImage image = Play(movie.Bytes(), kSize, kSize);
    EXPECT_EQ(CountColor(image, kRed), 20 * 20);
    EXPECT_EQ(image.pixel(30, 40), kRed);
    EXPECT_EQ(image.pixel(49, 59), kRed);
    EXPECT_EQ(image.pixel(50, 59), kWhite);
}

TEST(PlayerBackground, WhiteAndBlackDifferOnlyWhereTheBackgroundShows)
{
    Styles styles;
    styles.Solid(0xFF0000FF).Solid(0x00FF0080);
    Records records;
    records.Box(Px(10), Px(10), Px(50), Px(50), 1);
    records.Move(Px(40), Px(40), 2).Line(Px(90), Px(40)).Line(Px(90), Px(90)).Line(Px(40), Px(90)).Line(Px(40), Px(40));
    std::string movie = OneShape(kSize, kSize, styles, records);
    QImage white = Play(movie, kSize, kSize, "low", 0xFFFFFF);
    QImage black = Play(movie, kSize, kSize, "low", 0x000000);
    int differing = 0;
    for (int y = 0; y < kSize; ++y) {
        for (int x = 0; x < kSize; ++x) {
            bool opaqueShape = x >= 10 && x < 50 && y >= 10 && y < 50;
            bool differs = white.pixel(x, y) != black.pixel(x, y);
            differing += differs ? 1 : 0;
            if (opaqueShape) {
                ASSERT_FALSE(differs) << x << "," << y;
            }
        }
    }
    EXPECT_EQ(differing, kSize * kSize - 40 * 40);  // the half-transparent square lets it show
    EXPECT_EQ(white.pixel(95, 95), kWhite);
    EXPECT_EQ(black.pixel(95, 95), 0xFF000000u);
}

TEST(PlayerRender, FrameIsScaledIntoTheRectangle)
{
    platform::MoviePlayer player;
    player.SetQuality2("low");
    Load(player, RedSquare(20, 20, 60, 60));
    QImage image(kSize, kSize, QImage::Format_RGB32);
    image.fill(0xFF00FF00);
    player.Render(image, QRect(10, 10, 50, 50));
    EXPECT_EQ(CountColor(image, kRed), 20 * 20);
    EXPECT_EQ(image.pixel(20, 20), kRed);
    EXPECT_EQ(image.pixel(39, 39), kRed);
    EXPECT_EQ(image.pixel(11, 11), kWhite);
    EXPECT_EQ(image.pixel(5, 5), 0xFF00FF00u);  // outside the rectangle: untouched
    EXPECT_EQ(CountColor(image, 0xFF00FF00u), kSize * kSize - 50 * 50);
}

TEST(PlayerRender, HugeRectangleIsClippedToTheTarget)
{
    // A 1638 px canvas at 800 %: the rectangle is 13104 px square; only 200 x 200 are drawn.
    platform::MoviePlayer player;
    player.SetQuality2("high");
    Load(player, RedSquare(760, 760, 780, 780, 1638));
    QImage image(200, 200, QImage::Format_RGB32);
    player.Render(image, QRect(-6000, -6000, 1638 * 8, 1638 * 8));
    EXPECT_EQ(image.pixel(100, 100), kRed);
    EXPECT_EQ(image.pixel(79, 100), kWhite);
    EXPECT_EQ(image.pixel(81, 81), kRed);
}

// A movie whose frame stops at 1638 px while its shape reaches to 1950 px (a canvas wider than
// the header's 16-bit frame can hold), rendered with the plane's area that fills the rectangle.
struct AreaCase {
    const char *name;
    QRect rect;      // where the area goes, in target pixels
    QRectF area;     // twips of the movie's plane
    QPoint red;      // target pixels expected red and white
    QPoint white;
    int redCount;
};

class PlayerRenderArea : public testing::TestWithParam<AreaCase> {};

TEST_P(PlayerRenderArea, DrawsThePlaneAreaIntoTheRectangle)
{
    const AreaCase &c = GetParam();
    platform::MoviePlayer player;
    player.SetQuality2("low");
    Load(player, RedSquare(1900, 1700, 1950, 1750, 1638));
    QImage image(200, 200, QImage::Format_RGB32);
    image.fill(0xFF00FF00);
    player.Render(image, c.rect, c.area);
    EXPECT_EQ(CountColor(image, kRed), c.redCount);
    if (c.redCount > 0) {
        EXPECT_EQ(image.pixel(c.red), kRed);
    }
    EXPECT_EQ(image.pixel(c.white), kWhite);
    EXPECT_EQ(CountColor(image, 0xFF00FF00u), 0);  // the whole target lies inside the rectangle
}

INSTANTIATE_TEST_SUITE_P(
    PlayerRender, PlayerRenderArea,
    testing::Values(
        // 100 %: canvas pixels 1800..2000 x 1600..1800 in view; the box 50 x 50 at (100, 100).
        AreaCase{"PastTheFrameAtFullSize", QRect(-1800, -1600, 2000, 1800), QRectF(0, 0, Px(2000), Px(1800)),
                 QPoint(100, 100), QPoint(99, 99), 50 * 50},
        // 50 %: canvas pixels 1600..2000 x 1400..1800 at half size; the box 25 x 25 at (150, 150).
        AreaCase{"PastTheFrameAtHalfSize", QRect(-800, -700, 1000, 900), QRectF(0, 0, Px(2000), Px(1800)),
                 QPoint(174, 174), QPoint(175, 160), 25 * 25},
        // The area starting inside the plane: the plane's (1800, 1600) at the target's origin.
        AreaCase{"AShiftedArea", QRect(0, 0, 200, 200), QRectF(Px(1800), Px(1600), Px(200), Px(200)),
                 QPoint(149, 149), QPoint(150, 100), 50 * 50},
        // An empty area shows only the background.
        AreaCase{"AnEmptyArea", QRect(0, 0, 200, 200), QRectF(0, 0, 0, Px(1800)), QPoint(), QPoint(100, 100), 0}),
    [](const testing::TestParamInfo<AreaCase> &info) { return info.param.name; });

TEST(PlayerRender, TheFrameAreaGivenDrawsAsTheFrameAlone)
{
    const std::string movie = RedSquare(20, 30, 60, 50);
    platform::MoviePlayer player;
    player.SetQuality2("high");
    Load(player, movie);
    QImage framed(kSize, kSize, QImage::Format_RGB32);
    player.Render(framed, framed.rect());
    platform::MoviePlayer other;
    other.SetQuality2("high");
    Load(other, movie, "other.swf");
    QImage withArea(kSize, kSize, QImage::Format_RGB32);
    other.Render(withArea, withArea.rect(), QRectF(0, 0, Px(kSize), Px(kSize)));
    EXPECT_EQ(framed, withArea);
}

// Many small shapes in separate style groups, with lines, over a 512 x 512 px frame.
std::string ManyGroups(uint32_t firstColor)
{
    Styles first;
    first.Solid(firstColor).Line(30, 0x000000FF);
    Records records;
    records.Box(Px(4), Px(4), Px(40), Px(40), 1, -1, 1);
    for (int i = 1; i < 60; ++i) {
        Styles next;
        next.Solid(0x00000080u | (static_cast<uint32_t>(i * 4) << 24) | (static_cast<uint32_t>(255 - i * 4) << 8))
            .Line(static_cast<uint16_t>(10 + i * 3), 0x202020FF);
        int x = (i * 37) % 480;
        int y = (i * 53) % 480;
        records.NewStyles(next, Px(x), Px(y), 1, 1).Curve(Px(x + 40), Px(y), Px(x + 30), Px(y + 30)).Line(Px(x), Px(y + 20)).Line(Px(x), Px(y));
    }
    return OneShape(512, 512, first, records);
}

TEST(PlayerRender, BandsDrawnInParallelMatchOneBand)
{
    for (const char *quality : {"low", "high"}) {
        platform::MoviePlayer player;
        player.SetQuality2(quality);
        Load(player, ManyGroups(0xFF0000FF));
        QImage whole = Render(player, 512, 512);  // large enough to be drawn in bands
        for (int quadrant = 0; quadrant < 4; ++quadrant) {
            int left = (quadrant % 2) * 256;
            int top = (quadrant / 2) * 256;
            QImage part(200, 200, QImage::Format_RGB32);  // small: drawn in one band
            player.Render(part, QRect(-left, -top, 512, 512));
            ASSERT_EQ(part, whole.copy(left, top, 200, 200)) << quality << " quadrant " << quadrant;
        }
    }
}

// ---- A line along its fill's edges ----

using platform::swf::Edge;
using platform::swf::StyleGroup;

// One solid fill and one line; each edge is (x0, y0) -> (x1, y1) with the given styles.
StyleGroup FillAndLine(const std::vector<Edge> &edges)
{
    StyleGroup group;
    group.fills.push_back({});
    group.lines.push_back({40, 0xFF000000});
    group.edges = edges;
    return group;
}

Edge Straight(double x0, double y0, double x1, double y1, int32_t fill1, int32_t line, int32_t fill0 = 0)
{
    Edge edge;
    edge.from = {x0, y0};
    edge.to = {x1, y1};
    edge.control = edge.to;
    edge.fill0 = fill0;
    edge.fill1 = fill1;
    edge.line = line;
    return edge;
}

// Whether the group's line keeps its fill's path (held once) rather than a path of its own.
bool LineHoldsFillsPath(const platform::swf::DrawnGroup &group)
{
    return !group.FillEmpty(0) && !group.LineEmpty(0) && group.paths.Source(group.fills.size()) == 0;
}

TEST(PlayerLineOnFill, ALineAlongAFillsClosedContoursHoldsTheFillsPath)
{
    // Two closed contours, each edge with the fill on one side and the line.
    const std::vector<Edge> closed = {Straight(0, 0, 100, 0, 1, 1), Straight(100, 0, 100, 100, 1, 1),
                                      Straight(100, 100, 0, 0, 1, 1), Straight(200, 0, 300, 0, 1, 1),
                                      Straight(300, 0, 200, 50, 1, 1), Straight(200, 50, 200, 0, 1, 1)};
    const auto shared = platform::swf::BuildDrawnGroup(FillAndLine(closed));
    EXPECT_TRUE(LineHoldsFillsPath(shared));
    EXPECT_EQ(swftest::MadePaths(shared)[1].elementCount(), 8);

    // Not shared: edges whose fill must be joined out of record order, a line along one more edge
    // than the fill, a line along fewer edges, a fill on both sides of an edge.
    std::vector<Edge> outOfOrder = closed;
    std::swap(outOfOrder[0], outOfOrder[1]);
    std::vector<Edge> extraLine = closed;
    extraLine.push_back(Straight(0, 0, 300, 0, 1, 1, 1));
    std::vector<Edge> fewerLines = closed;
    fewerLines[4].line = 0;
    for (const auto &edges : {outOfOrder, extraLine, fewerLines}) {
        const auto drawn = platform::swf::BuildDrawnGroup(FillAndLine(edges));
        EXPECT_FALSE(LineHoldsFillsPath(drawn));
        // The line keeps its edges in record order, with a move wherever they do not meet.
        const QPainterPath line = swftest::MadePaths(drawn)[1];
        int moves = 0;
        int lines = 0;
        for (int i = 0; i < line.elementCount(); ++i) {
            (line.elementAt(i).isMoveTo() ? moves : lines) += 1;
        }
        int edgesWithLine = 0;
        for (const Edge &edge : edges) {
            edgesWithLine += edge.line != 0 ? 1 : 0;
        }
        EXPECT_EQ(lines, edgesWithLine);
        EXPECT_GE(moves, 2);
    }
}

// A triangle with a curved side and a square, filled and lined (width twips): in one group whose
// edges carry both styles, or (split) as a fill group followed by a line group along the same edges.
std::string FilledAndLined(uint16_t width, bool split)
{
    auto trace = [](Records &records, int fill0, int line) {
        records.Move(Px(10), Px(10), fill0, -1, line).Line(Px(60), Px(15)).Curve(Px(70), Px(50), Px(20), Px(60));
        records.Line(Px(10), Px(10));
        records.Move(Px(50), Px(50)).Line(Px(90), Px(50)).Line(Px(90), Px(90)).Line(Px(50), Px(90));
        records.Line(Px(50), Px(50));
    };
    Styles styles;
    styles.Solid(0x00FF0080);
    Records records;
    if (split) {
        trace(records, 1, 0);
        Styles lineOnly;
        lineOnly.Line(width, 0x0000FFC0);
        records.NewStyles(lineOnly, Px(10), Px(10), 0, 1);
        trace(records, -1, -1);
    } else {
        styles.Line(width, 0x0000FFC0);
        trace(records, 1, 1);
    }
    return OneShape(kSize, kSize, styles, records);
}

TEST(PlayerLineOnFill, ALineHeldAsItsFillsPathDrawsTheSamePixelsAsALineOfItsOwn)
{
    for (const char *quality : {"low", "high"}) {
        for (uint16_t width : {20, 200, 600}) {
            platform::MoviePlayer shared;
            platform::MoviePlayer own;
            for (platform::MoviePlayer *player : {&shared, &own}) {
                player->SetQuality2(quality);
            }
            Load(shared, FilledAndLined(width, false), "shared.swf");
            Load(own, FilledAndLined(width, true), "own.swf");
            // Wide lines are outlined, narrow ones (at the smaller sizes) drawn one pixel wide.
            for (int size : {kSize, kSize / 3, kSize / 10, 512}) {
                const QImage picture = Render(shared, size, size);
                ASSERT_EQ(picture, Render(own, size, size)) << quality << " width " << width << " size " << size;
                EXPECT_GT(Count(picture, [](QRgb p) { return qBlue(p) > 200 && qGreen(p) < 100; }), 0);
            }
        }
    }
}

}  // namespace
