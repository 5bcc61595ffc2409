// Budgets of the player that keep huge or hostile shapes from costing unbounded memory: line
// outlines are built when drawn, kept compactly within a budget of bytes all players share (and
// give back with their movies), and not built at all beyond it. The work is read from the
// players' statistics.
#include "platform/player/figure_painter.h"
#include "platform/player/swf_compound_fill.h"
#include "platform/player/swf_line_outline.h"
#include "platform/player/swf_movie.h"
#include "player_test_util.h"
#include "tests/support/image_compare.h"

#include <QPainter>
#include <QPainterPathStroker>
#include <algorithm>
#include <functional>
#include <gtest/gtest.h>

using namespace swftest;

namespace {

constexpr int kSize = 100;

int32_t Px(int pixels)
{
    return pixels * 20;
}

// One red line of width twips going back and forth segments times between x = 10 and 90 pixels
// along y = 50 pixels.
std::string BackAndForth(int segments, uint16_t width)
{
    Styles styles;
    styles.Line(width, 0xFF0000FF);
    Records records;
    records.Move(Px(10), Px(50), -1, -1, 1);
    for (int i = 0; i < segments; ++i) {
        records.Line(Px(i % 2 == 0 ? 90 : 10), Px(50));
    }
    return OneShape(kSize, kSize, styles, records);
}

int RedRows(const QImage &image)
{
    int rows = 0;
    for (int y = 0; y < image.height(); ++y) {
        rows += image.pixel(kSize / 2, y) == kRed ? 1 : 0;
    }
    return rows;
}

// Renders the player's picture again in full: over another background, then over its own.
QImage RenderAfresh(platform::MoviePlayer &player, int width, int height)
{
    player.SetBackgroundColor(0x000000);
    Render(player, width, height);
    player.SetBackgroundColor(-1);
    return Render(player, width, height);
}

}  // namespace

TEST(PlayerBudgets, LineOutlinesAreBuiltWhenFirstDrawnAndKept)
{
    platform::MoviePlayer player;
    player.SetQuality2("low");
    Load(player, BackAndForth(300, 400));  // 20 pixels wide
    EXPECT_EQ(player.Stats().outlineElementsBuilt, 0) << "outlines are built when first drawn";
    const QImage first = Render(player, kSize, kSize);
    const platform::PlayerStats drawn = player.Stats();
    EXPECT_GT(drawn.outlineElementsBuilt, 0);
    EXPECT_LE(drawn.outlineElementsKept, platform::swf::kMaxOutlineElements);
    // Kept compactly: at most a byte of kind and two floats an element, and the group's header.
    EXPECT_GT(drawn.outlineBytesKept, 0);
    EXPECT_LE(drawn.outlineBytesKept, drawn.outlineElementsKept * platform::swf::kKeptOutlineElementBytes + 64);
    EXPECT_GE(RedRows(first), 19);
    EXPECT_LE(RedRows(first), 21);
    // Drawn again from the kept outline: nothing more is built, the pixels are the same.
    EXPECT_EQ(RenderAfresh(player, kSize, kSize), first);
    EXPECT_EQ(player.Stats().outlineElementsBuilt, drawn.outlineElementsBuilt);
}

TEST(PlayerBudgets, ALineWhoseOutlineWouldExceedTheBudgetIsDrawnOnePixelWide)
{
    // 140,000 segments of a line 100 pixels wide: its outline is estimated beyond the budget.
    const int segments = static_cast<int>(platform::swf::kMaxOutlineElements / 16) + 10000;
    platform::MoviePlayer player;
    player.SetQuality2("low");
    Load(player, BackAndForth(segments, 2000));
    const QImage image = Render(player, kSize, kSize);
    EXPECT_EQ(player.Stats().outlineElementsBuilt, 0);
    EXPECT_EQ(player.Stats().outlineElementsKept, 0);
    EXPECT_EQ(player.Stats().outlineBytesKept, 0);
    // Still shown, one pixel wide.
    EXPECT_GE(RedRows(image), 1);
    EXPECT_LE(RedRows(image), 2);
    EXPECT_GE(CountColor(image, kRed), 80);
}

namespace {

// count shapes in a grid of 16-pixel cells over a 512 x 512 frame, each its own style group: a
// line width twips wide going back and forth segments times along the middle of its cell.
std::string ManyBackAndForth(int count, int segments, uint16_t width)
{
    Styles first;
    first.Line(width, 0xFF0000FF);
    Records records;
    for (int i = 0; i < count; ++i) {
        const int left = i % 32 * 16 + 2;
        const int y = i / 32 * 16 + 8;
        if (i == 0) {
            records.Move(Px(left), Px(y), -1, -1, 1);
        } else {
            Styles next;
            next.Line(width, 0xFF0000FF);
            records.NewStyles(next, Px(left), Px(y), 0, 1);
        }
        for (int k = 0; k < segments; ++k) {
            records.Line(Px(k % 2 == 0 ? left + 12 : left), Px(y));
        }
    }
    return OneShape(512, 512, first, records);
}

}  // namespace

TEST(PlayerBudgets, GroupsReadiedTogetherStayWithinTheBudgetAndDrawAlikeWhetherKeptOrNot)
{
    using platform::swf::kMaxHeldOutlineBytes;
    // Groups whose outlines are together 1.6 times what the budget holds when kept, readied on
    // several threads at once: each group's line goes back and forth as often as keeps them
    // within the grid's 1,024 cells.
    constexpr uint16_t kWidth = 40;
    int segments = 0;
    int groups = 0;
    do {
        segments += 500;
        QPainterPath line(QPointF(Px(2), Px(8)));
        for (int k = 0; k < segments; ++k) {
            line.lineTo(Px(k % 2 == 0 ? 14 : 2), Px(8));
        }
        const int64_t estimate = platform::swf::EstimatedOutlineElements(line, kWidth, 1.0 / 20);
        groups = static_cast<int>(kMaxHeldOutlineBytes * 8 / 5 / (estimate * platform::swf::kKeptOutlineElementBytes));
    } while (groups > 1024);
    const std::string movie = ManyBackAndForth(groups, segments, kWidth);
    int64_t keptByFirst = 0;
    QImage kept;
    auto other = std::make_unique<platform::MoviePlayer>();  // outlives the first player
    int64_t refusedBuilt = 0;  // by the second player in its two drawings while the first holds the budget
    {
        platform::MoviePlayer keeper;
        keeper.SetQuality2("high");
        Load(keeper, movie, "keeper.swf");
        kept = Render(keeper, 512, 512);
        const platform::PlayerStats first = keeper.Stats();
        keptByFirst = first.outlineBytesKept;
        EXPECT_GT(keptByFirst, kMaxHeldOutlineBytes / 2);
        EXPECT_LE(keptByFirst, kMaxHeldOutlineBytes);
        EXPECT_GT(first.outlineElementsBuilt, first.outlineElementsKept) << "some did not fit and were drawn once";
        // Drawn again in full: the outlines that did not fit are built again whenever they are
        // drawn, the rest are not.
        EXPECT_EQ(RenderAfresh(keeper, 512, 512), kept);
        const platform::PlayerStats second = keeper.Stats();
        const int64_t builtAgain = second.outlineElementsBuilt - first.outlineElementsBuilt;
        EXPECT_GT(builtAgain, 0);
        EXPECT_LT(builtAgain, first.outlineElementsBuilt);
        EXPECT_EQ(second.outlineBytesKept, keptByFirst);
        EXPECT_EQ(second.outlineElementsKept, first.outlineElementsKept);

        // A second player of the same movie finds the budget taken: its lines are outlined when
        // drawn (also drawn again: no room was given back), and it shows the same pixels.
        other->SetQuality2("high");
        Load(*other, movie, "other.swf");
        EXPECT_EQ(Render(*other, 512, 512), kept);
        EXPECT_EQ(RenderAfresh(*other, 512, 512), kept);
        refusedBuilt = other->Stats().outlineElementsBuilt;
        EXPECT_LE(keptByFirst + other->Stats().outlineBytesKept, kMaxHeldOutlineBytes);
        EXPECT_GE(CountColor(kept, kRed), groups * 12);
    }
    // The first player's outlines given back (as when another drawing is opened in place of the
    // one shown), the second keeps the lines refused room: drawn again, it builds far fewer.
    EXPECT_EQ(RenderAfresh(*other, 512, 512), kept);
    EXPECT_GT(other->Stats().outlineBytesKept, kMaxHeldOutlineBytes / 2);
    const int64_t builtBefore = other->Stats().outlineElementsBuilt;
    EXPECT_EQ(RenderAfresh(*other, 512, 512), kept);
    EXPECT_LT((other->Stats().outlineElementsBuilt - builtBefore) * 3, refusedBuilt);
    other.reset();
    // The outlines kept are given back with their players: a new player keeps as much again.
    platform::MoviePlayer fresh;
    fresh.SetQuality2("high");
    Load(fresh, movie, "fresh.swf");
    EXPECT_EQ(Render(fresh, 512, 512), kept);
    EXPECT_GT(fresh.Stats().outlineBytesKept, keptByFirst / 2);
}

// Drawn thin again afterwards, the line keeps the outline built where it was wide, and drawn
// wide again it is drawn from it; drawn wide at another scale, one is kept for that scale.
TEST(PlayerBudgets, ALineFirstDrawnThinGetsItsOutlineWhenDrawnWide)
{
    platform::MoviePlayer player;
    player.SetQuality2("low");
    Load(player, BackAndForth(300, 40));  // 2 pixels wide at full size
    Render(player, kSize / 10, kSize / 10);  // a fifth of a pixel wide: drawn one pixel wide
    EXPECT_EQ(player.Stats().outlineElementsBuilt, 0);
    const QImage wide = Render(player, kSize, kSize);
    const platform::PlayerStats first = player.Stats();
    EXPECT_GT(first.outlineElementsBuilt, 0);
    EXPECT_GT(first.outlineElementsKept, 0);
    EXPECT_GE(RedRows(wide), 2);
    EXPECT_LE(RedRows(wide), 3);
    Render(player, kSize / 10, kSize / 10);
    EXPECT_EQ(RenderAfresh(player, kSize, kSize), wide);
    EXPECT_EQ(player.Stats().outlineElementsBuilt, first.outlineElementsBuilt) << "drawn from the kept outline";
    Render(player, 4 * kSize, 4 * kSize);
    EXPECT_GT(player.Stats().outlineBytesKept, first.outlineBytesKept);
    platform::MoviePlayer fresh;
    fresh.SetQuality2("low");
    Load(fresh, BackAndForth(300, 40), "fresh.swf");
    EXPECT_EQ(Render(fresh, kSize, kSize), wide);
}

// A kept outline covers its line grown by half the width on every side and nothing else (no
// point left at the origin by the copy it is kept in), filled by the winding rule.
TEST(PlayerBudgets, KeptLineOutlinesCoverTheirLineAlone)
{
    struct Case {
        const char *name;
        QPainterPath line;
    };
    QPainterPath straight(QPointF(200, 1000));
    straight.lineTo(1800, 1000);
    QPainterPath curved(QPointF(200, 1000));
    curved.quadTo(1000, 1800, 1800, 1000);
    QPainterPath closed(QPointF(400, 400));
    closed.lineTo(1600, 400);
    closed.lineTo(1600, 1600);
    closed.lineTo(400, 1600);
    closed.closeSubpath();
    const Case cases[] = {{"straight", straight}, {"curved", curved}, {"closed", closed}};
    constexpr double kWidth = 200;
    for (const Case &c : cases) {
        for (double scale : {0.05, 1.0}) {
            const QPainterPath outline = platform::swf::LineOutline(c.line, kWidth, scale);
            const QRectF expected = c.line.boundingRect().adjusted(-kWidth / 2, -kWidth / 2, kWidth / 2, kWidth / 2);
            const QRectF bounds = outline.boundingRect();
            SCOPED_TRACE(std::string(c.name) + " at scale " + std::to_string(scale));
            EXPECT_EQ(outline.fillRule(), Qt::WindingFill);
            EXPECT_NEAR(bounds.left(), expected.left(), 1.0);
            EXPECT_NEAR(bounds.top(), expected.top(), 1.0);
            EXPECT_NEAR(bounds.right(), expected.right(), 1.0);
            EXPECT_LE(bounds.bottom(), expected.bottom() + 1.0);
            EXPECT_TRUE(outline.contains(c.line.pointAtPercent(0.5)));
        }
    }
}

namespace {

// A stroke as outlines are drawn: its points rounded to floats.
QPainterPath Rounded(QPainterPath stroke)
{
    platform::swf::CompactPaths::RoundToFloats(stroke);
    return stroke;
}

}  // namespace

// Outlines are the same whether kept or drawn once, and whatever was outlined before them on the
// thread (its stroker is reused from line to line): curves cut into pieces or not, and corners.
TEST(PlayerBudgets, AnOutlineDependsOnItsLineAloneWhateverCameBefore)
{
    QPainterPath gentle(QPointF(0, 0));
    gentle.quadTo(500, 60, 1000, 0);
    QPainterPath sharp(QPointF(0, 0));
    sharp.cubicTo(2000, 1500, -1000, 1500, 1000, 0);
    sharp.lineTo(1000, 800);
    QPainterPath corner(QPointF(0, 0));
    corner.lineTo(1000, 0);
    corner.lineTo(1000, 900);
    const struct {
        const QPainterPath *line;
        double width;
        double scale;
    } cases[] = {{&gentle, 20, 0.05}, {&gentle, 400, 1.0}, {&sharp, 60, 0.05}, {&sharp, 400, 2.0}, {&corner, 400, 1.0}};
    std::vector<QPainterPath> first;
    for (const auto &c : cases) {
        first.push_back(platform::swf::LineOutline(*c.line, c.width, c.scale));
    }
    // Lines not cut (a gentle curve drawn thin, straight lines): the outline is what a stroker of
    // their own makes of them, in the form it is kept in.
    for (size_t i : {size_t(0), std::size(cases) - 1}) {
        QPainterPathStroker own;
        own.setWidth(cases[i].width);
        own.setCapStyle(Qt::RoundCap);
        own.setJoinStyle(Qt::RoundJoin);
        own.setCurveThreshold(1.0);
        const QPainterPath stroke = own.createStroke(*cases[i].line);
        EXPECT_EQ(platform::swf::OutlineCut(*cases[i].line, cases[i].width, cases[i].scale).Stroke(), stroke) << i;
        EXPECT_EQ(Rounded(stroke), first[i]) << i;
    }
    for (size_t i = std::size(cases); i-- > 0;) {  // again, the other way round
        const auto &c = cases[i];
        const platform::swf::OutlineCut cut(*c.line, c.width, c.scale);
        EXPECT_EQ(cut.Estimate(), platform::swf::EstimatedOutlineElements(*c.line, c.width, c.scale)) << i;
        EXPECT_EQ(Rounded(cut.Stroke()), first[i]) << i;
        EXPECT_EQ(platform::swf::LineOutline(*c.line, c.width, c.scale), first[i]) << i;
    }
}

namespace {

constexpr uint16_t kWavyWidth = 40;  // twips

// A red line kWavyWidth twips wide waving up and down in 18 arcs of 5 pixels across the middle
// of a 100 x 100 frame from kWavyStart; every arc turns by about 2.6 radians. line, when given,
// receives the line as its group holds it: relative to its first point.
const QPointF kWavyStart(Px(5), Px(50));

std::string WavyMovie(QPainterPath *line = nullptr)
{
    Styles styles;
    styles.Line(kWavyWidth, 0xFF0000FF);
    Records records;
    records.Move(Px(5), Px(50), -1, -1, 1);
    QPainterPath relative(QPointF(0, 0));
    for (int k = 0; k < 18; ++k) {
        const int32_t x = k * Px(5);
        const int32_t dy = Px(k % 2 == 0 ? -10 : 10);
        records.Curve(Px(5) + x + Px(5) / 2, Px(50) + dy, Px(5) + x + Px(5), Px(50));
        relative.quadTo(x + Px(5) / 2, dy, x + Px(5), 0);
    }
    if (line != nullptr) {
        *line = relative;
    }
    return OneShape(kSize, kSize, styles, records);
}

// The part area (twips) of a player's movie drawn into a 400 x 400 image.
QImage RenderPart(platform::MoviePlayer &player, const QRectF &area)
{
    QImage image(400, 400, QImage::Format_RGB32);
    image.fill(0xFF00FF00);
    player.Render(image, image.rect(), area);
    return image;
}

}  // namespace

// Kept outlines hold floats: a curved line drawn at the largest zoom the editor offers (10,000 %,
// 5 pixels a twip) and below looks as the exact outline (in double, as the stroker makes it)
// filled there by the same rasteriser does, to within one level of a channel. (Outlines drawn once are rounded alike:
// the test above draws the same pixels from either.)
TEST(PlayerBudgets, AKeptCurvedOutlineDrawsAsTheExactOneAtTheLargestZoom)
{
    const struct {
        double pixelsPerTwip;
        QPointF centre;  // twips
    } cases[] = {{5.0, {125, 900}}, {5.0, {150, 900}}, {1.0, {1000, 1000}}, {0.25, {1000, 1000}}};
    QPainterPath line;
    const std::string movie = WavyMovie(&line);
    for (const auto &c : cases) {
        SCOPED_TRACE(c.pixelsPerTwip);
        const double side = 400 / c.pixelsPerTwip;
        const QRectF area(c.centre.x() - side / 2, c.centre.y() - side / 2, side, side);
        platform::MoviePlayer player;
        player.SetQuality2("high");
        Load(player, movie);
        const QImage drawn = RenderPart(player, area);
        EXPECT_GT(player.Stats().outlineBytesKept, 0);
        EXPECT_EQ(RenderPart(player, area), drawn) << "drawn again from the kept outline";

        QImage exact(400, 400, QImage::Format_RGB32);
        exact.fill(kWhite);
        const QTransform world = QTransform::fromTranslate(kWavyStart.x(), kWavyStart.y()) *
                                 QTransform::fromTranslate(-area.left(), -area.top()) *
                                 QTransform::fromScale(c.pixelsPerTwip, c.pixelsPerTwip);
        platform::swf::RenderCounts counts;
        platform::swf::FillUnion({&exact, 0, exact.rect()}, platform::swf::OutlineCut(line, kWavyWidth, c.pixelsPerTwip).Stroke(),
                                 kRed, world, platform::swf::Sampling::Area, counts);
        EXPECT_GE(CountColor(drawn, kRed), 400 * 4) << "the line shows";
        EXPECT_LE(testsupport::LargestChannelDifference(drawn, exact), 1);
    }
}

namespace {

// Checks the movie drawn afresh into side x side pixels at quality high and low, with the work
// of that drawing.
void ForEachQuality(const std::string &movie, int side,
                    const std::function<void(const QImage &, const platform::PlayerStats &)> &check)
{
    for (const char *quality : {"high", "low"}) {
        SCOPED_TRACE(quality);
        platform::MoviePlayer player;
        player.SetQuality2(quality);
        Load(player, movie);
        const QImage image = Render(player, side, side);
        check(image, player.Stats());
    }
}

}  // namespace

// A line whose outline overlaps itself at every turn (an open square spiral of 400 anchors, one
// pixel wide, legs 2 pixels shorter at each turn) is filled in work that grows with its
// outline's edges times the rows they cross: at each quality, the rows drawn times the edges
// crossing them stay within a few times the rows its legs span, and the spiral shows.
TEST(PlayerBudgets, ASpiralLineIsFilledInWorkOfItsEdgesTimesTheirRows)
{
    constexpr int kSide = 800;
    Styles styles;
    styles.Line(20, 0xFF0000FF);
    Records records;
    // Along the middles of pixels: the line covers whole pixels at either quality.
    int x = 10;
    int y = 10;
    records.Move(Px(x) + 10, Px(y) + 10, -1, -1, 1);
    int64_t legRows = 0;  // the rows the legs down and up span
    for (int k = 0; k < 400; ++k) {
        const int leg = 780 - 2 * (k / 2);
        const int dx[] = {1, 0, -1, 0};
        const int dy[] = {0, 1, 0, -1};
        x += dx[k % 4] * leg;
        y += dy[k % 4] * leg;
        legRows += dy[k % 4] != 0 ? leg : 0;
        records.Line(Px(x) + 10, Px(y) + 10);
    }
    const std::string movie = OneShape(kSide, kSide, styles, records);
    ForEachQuality(movie, kSide, [&](const QImage &image, const platform::PlayerStats &stats) {
        EXPECT_GE(stats.fillLineRows, legRows);
        EXPECT_LE(stats.fillLineRows, 4 * legRows);
        EXPECT_EQ(image.pixel(400, 10), kRed);   // the first leg, along the top
        EXPECT_EQ(image.pixel(790, 400), kRed);  // the second, down the right
        EXPECT_EQ(image.pixel(400, 400), kWhite);
    });
}

// A wide line over thousands of scattered points, each of its pieces reaching across the picture
// (as a metafile's polylines drawn with the widest pen do), or across tiles of it (a pen a
// quarter of the picture wide): at each quality it covers every pixel, in work that grows with
// the rows drawn, not with its pieces times their rows.
TEST(PlayerBudgets, ALongLineWhosePiecesReachAcrossThePictureIsDrawnInWorkOfItsRows)
{
    constexpr int kSide = 200;
    for (uint16_t width : {65535, 1000}) {  // 3,277 and 50 pixels wide
        SCOPED_TRACE(width);
        Styles styles;
        styles.Line(width, 0xFF0000FF);
        Records records;
        uint32_t random = 7;
        auto next = [&random] {
            random = random * 1103515245u + 12345u;
            return Px(static_cast<int>(random >> 16) % kSide);
        };
        records.Move(next(), next(), -1, -1, 1);
        for (int k = 0; k < 5000; ++k) {
            records.Line(next(), next());
        }
        const std::string movie = OneShape(kSide, kSide, styles, records);
        ForEachQuality(movie, kSide, [&](const QImage &image, const platform::PlayerStats &stats) {
            EXPECT_EQ(CountColor(image, kRed), kSide * kSide);
            EXPECT_LE(stats.fillLineRows, 4 * kSide);
        });
    }
}

namespace {

// Red lines 20 pixels wide (line styles of one group) across an 800 x 400 frame, each going back
// and forth 400 times in gently bent curves 20 pixels long: kept of them at y = 100 pixels, and
// then, when refused, one more at y = 250. The wave of one, its first point at (10, y) pixels,
// goes to wave when given.
std::string LongWavyLines(int kept, bool refused, QPainterPath *wave = nullptr)
{
    Styles styles;
    for (int line = 0; line < kept + 1; ++line) {
        styles.Line(400, 0xFF0000FF);
    }
    Records records;
    QPainterPath path(QPointF(Px(10), 0));
    for (int line = 0; line < kept + (refused ? 1 : 0); ++line) {
        const int y = line < kept ? 100 : 250;
        records.Move(Px(10), Px(y), -1, -1, line + 1);
        for (int pass = 0; pass < 400; ++pass) {
            for (int k = 1; k <= 39; ++k) {
                const int x = pass % 2 == 0 ? 10 + 20 * k : 790 - 20 * k;
                const int bend = (pass + k) % 2 == 0 ? 1 : -1;
                const int controlX = Px(x) + Px(pass % 2 == 0 ? -10 : 10);
                records.Curve(controlX, Px(y + bend), Px(x), Px(y));
                if (line == 0) {
                    path.quadTo(controlX, Px(bend), Px(x), 0);
                }
            }
        }
    }
    if (wave != nullptr) {
        *wave = path;
    }
    return OneShape(800, 400, styles, records);
}

}  // namespace

// A long line refused room in the budget is outlined again whenever drawn, but only where it can
// reach what is drawn: once over the bands of a whole render, and in part for a view showing a
// part of it. It draws as it does from a kept outline.
TEST(PlayerBudgets, ALongLineRefusedRoomIsOutlinedOnlyWhereItIsDrawn)
{
    // As many lines as the budget keeps (each estimated at over 1,500,000 elements), then one more.
    QPainterPath wave;
    LongWavyLines(0, true, &wave);
    const int64_t estimate = platform::swf::EstimatedOutlineElements(wave, 400, 1.0 / 20);
    ASSERT_LE(estimate, platform::swf::kMaxOutlineElements);
    const int keptLines = static_cast<int>(platform::swf::kMaxHeldOutlineBytes /
                                           (estimate * platform::swf::kKeptOutlineElementBytes + 64));
    platform::MoviePlayer all;
    all.SetQuality2("high");
    Load(all, LongWavyLines(keptLines, true));
    const QImage whole = Render(all, 800, 400);
    const platform::PlayerStats first = all.Stats();
    ASSERT_GT(first.outlineElementsKept, 0);
    const int64_t perLine = first.outlineElementsKept / keptLines;
    // The refused line lies within one band of the picture: it is outlined once, as one kept.
    EXPECT_GT(first.outlineElementsBuilt, first.outlineElementsKept) << "the last line is refused room";
    EXPECT_LE(first.outlineElementsBuilt - first.outlineElementsKept, perLine * 5 / 4);

    // Zoomed in to 200 % on the left end of the refused line (within one band of the view): the
    // others are kept at that scale, it is outlined near the view only.
    const QRectF view(Px(-100), Px(165), Px(200), Px(200));
    const QImage zoomed = RenderPart(all, view);
    const platform::PlayerStats second = all.Stats();
    const int64_t kept = second.outlineElementsKept - first.outlineElementsKept;
    const int64_t built = second.outlineElementsBuilt - first.outlineElementsBuilt - kept;
    ASSERT_GT(kept, 0);
    EXPECT_GT(built, 0);
    EXPECT_LE(built, kept / keptLines / 3);
    EXPECT_GE(CountColor(zoomed, kRed), 200 * 30);

    // The line alone is kept: it draws the same pixels.
    platform::MoviePlayer alone;
    alone.SetQuality2("high");
    Load(alone, LongWavyLines(0, true), "alone.swf");
    EXPECT_EQ(Render(alone, 800, 400).copy(0, 200, 800, 200), whole.copy(0, 200, 800, 200));
    EXPECT_EQ(RenderPart(alone, view), zoomed);
    EXPECT_EQ(alone.Stats().outlineElementsBuilt, alone.Stats().outlineElementsKept);
}

// The part of a line near a rect fills the rect as the whole line does, turned and scaled, at
// either sampling: a closed ring whose start lies in the rect (its runs joined across it) and a
// wave beside it; a rect the whole line may reach takes the line whole, one it cannot reach
// (nor a straight piece passing it) nothing.
TEST(PlayerBudgets, APartOfALineNearARectFillsTheRectAsTheWholeLineDoes)
{
    QPainterPath line;
    for (int k = 0; k <= 2000; ++k) {
        const double angle = k * 2 * M_PI / 2000;
        const QPointF at(2000 + 1500 * std::cos(angle), 2000 + 1500 * std::sin(angle));
        k == 0 ? line.moveTo(at) : line.lineTo(at);
    }
    line.moveTo(200, 3800);
    for (int k = 1; k <= 400; ++k) {
        line.quadTo(200 + 10 * k - 5, k % 2 == 0 ? 3700 : 3900, 200 + 10 * k, 3800);
    }
    constexpr double kWidth = 300;
    const QTransform world = QTransform().translate(20, 30).rotate(30).scale(0.1, 0.1);
    const QRect rect(195, 350, 60, 50);  // around the ring's start, at (223, 378)
    const std::optional<QPainterPath> part = platform::swf::LinePartNear(line, kWidth, world, rect, 2);
    ASSERT_TRUE(part.has_value());
    EXPECT_GT(part->elementCount(), 0);
    EXPECT_LT(part->elementCount(), line.elementCount() / 4);
    for (platform::swf::Sampling sampling : {platform::swf::Sampling::Area, platform::swf::Sampling::Centre}) {
        auto fill = [&](const QPainterPath &path) {
            QImage image(400, 400, QImage::Format_ARGB32_Premultiplied);
            image.fill(kWhite);
            platform::swf::RenderCounts counts;
            platform::swf::FillUnion({&image, 0, rect}, platform::swf::OutlineCut(path, kWidth, 0.1).Outline(), kRed,
                                     world, sampling, counts);
            return image;
        };
        const QImage whole = fill(line);
        EXPECT_GT(CountColor(whole, kRed), 100);
        EXPECT_EQ(fill(*part), whole);
    }
    EXPECT_FALSE(platform::swf::LinePartNear(line, kWidth, world, QRectF(-400, -400, 1200, 1200), 2).has_value());
    const std::optional<QPainterPath> none =
        platform::swf::LinePartNear(line, kWidth, world, QRectF(900, 900, 10, 10), 2);
    ASSERT_TRUE(none.has_value());
    EXPECT_TRUE(none->isEmpty());
    // A straight piece within whose bounds the rect lies, but which passes farther from it than
    // it reaches (226 pixels, 15 + 2 reached), is left out.
    QPainterPath diagonal;
    diagonal.moveTo(0, 0);
    diagonal.lineTo(4000, 4000);
    const std::optional<QPainterPath> beside =
        platform::swf::LinePartNear(diagonal, kWidth, QTransform::fromScale(0.1, 0.1), QRectF(350, 10, 20, 20), 2);
    ASSERT_TRUE(beside.has_value());
    EXPECT_TRUE(beside->isEmpty());
}

// The part of a line near columns of some rows, found from the columns each element reaches
// there, fills the rect as the whole line does, turned and scaled: around a ring's start (its
// runs joined across it), beside it and around a curve. Columns the whole line may reach take it whole, columns
// it cannot reach (nor a straight piece passing them) nothing.
TEST(PlayerBudgets, ThePartOfALineNearColumnsOfRowsFillsThemAsTheWholeLineDoes)
{
    // A closed ring of 2,000 straight pieces around (2000, 2000), its start at (223, 378) pixels,
    // and a curve inside it from (120, 300) to (140, 450) pixels.
    QPolygonF ring;
    for (int k = 0; k < 2000; ++k) {
        ring << QPointF(2000 + 1500 * std::cos(k * M_PI / 1000), 2000 + 1500 * std::sin(k * M_PI / 1000));
    }
    ring << ring.first();
    QPainterPath line;
    line.addPolygon(ring);
    line.moveTo(2216, 1838);
    line.cubicTo(2400, 2000, 2700, 2500, 3139, 3037);
    constexpr double kWidth = 300;
    const QTransform world = QTransform().translate(20, 30).rotate(30).scale(0.1, 0.1);
    const platform::swf::LineRowsReach rows(line, kWidth, world, 350, 400, 2);
    auto fill = [&](const QPainterPath &path, const QRect &rect) {
        QImage image(400, 400, QImage::Format_ARGB32_Premultiplied);
        image.fill(kWhite);
        platform::swf::RenderCounts counts;
        platform::swf::FillUnion({&image, 0, rect}, platform::swf::OutlineCut(path, kWidth, 0.1).Outline(), kRed,
                                 world, platform::swf::Sampling::Area, counts);
        return image;
    };
    for (const auto &[left, right] : {std::pair{195, 255}, {180, 215}, {230, 300}, {100, 160}}) {
        SCOPED_TRACE(left);
        const QRect rect(left, 350, right - left, 50);
        int64_t looked = 0;
        const std::optional<QPainterPath> part = rows.PartNear(left, right, looked);
        ASSERT_TRUE(part.has_value());
        EXPECT_LT(part->elementCount(), line.elementCount() / 2);
        EXPECT_EQ(looked, 2000 + 1);
        EXPECT_TRUE(rows.Reaches(left, right, looked));
        const QImage whole = fill(line, rect);
        EXPECT_GT(CountColor(whole, kRed), 100);
        EXPECT_EQ(fill(*part, rect), whole);
        // No more than LinePartNear takes, which tells the reach of straight pieces in the line's
        // coordinates around the rect's bounds there (larger than the rect turned).
        EXPECT_LE(part->elementCount(), platform::swf::LinePartNear(line, kWidth, world, rect, 2)->elementCount());
    }
    int64_t looked = 0;
    const platform::swf::LineRowsReach across(line, kWidth, world, -400, 800, 2);
    EXPECT_FALSE(across.PartNear(-400, 800, looked).has_value());
    EXPECT_EQ(looked, 0);  // every element reaches the columns
    const platform::swf::LineRowsReach far(line, kWidth, world, 900, 910, 2);
    EXPECT_FALSE(far.Reaches(900, 910, looked));
    EXPECT_TRUE(far.PartNear(900, 910, looked)->isEmpty());
    // A straight piece whose bounds hold the rect, but which passes farther from it than it
    // reaches (226 pixels, 15 + 2 reached), is left out.
    QPainterPath diagonal;
    diagonal.moveTo(0, 0);
    diagonal.lineTo(4000, 4000);
    const platform::swf::LineRowsReach beside(diagonal, kWidth, QTransform::fromScale(0.1, 0.1), 10, 30, 2);
    EXPECT_FALSE(beside.Reaches(350, 370, looked));
    EXPECT_TRUE(beside.Reaches(10, 370, looked));
}

TEST(PlayerBudgets, AFigurePastItsOutlineRoomIsDrawnOverTheSquaresItsLinesReach)
{
    // A zigzag 12 pixels wide over the middle of the picture, drawn with room for outlines and
    // with none.
    QPainterPath zigzag;
    zigzag.moveTo(80, 80);
    for (int k = 1; k <= 40; ++k) {
        zigzag.lineTo(80 + 2 * k, k % 2 ? 176 : 80);
    }
    auto drawn = [&zigzag](int64_t room, platform::PlayerStats &work) {
        QImage picture(256, 256, QImage::Format_RGB32);
        picture.fill(Qt::white);
        platform::FigurePainter painter(picture, QTransform(), room);
        painter.Stroke(zigzag, 12, 0xFF0000);
        work = painter.Work();
        return picture;
    };
    platform::PlayerStats outlined;
    platform::PlayerStats rough;
    const QImage exact = drawn(platform::FigurePainter::kMostOutlineElements, outlined);
    const QImage roughly = drawn(0, rough);
    EXPECT_GT(outlined.outlineElementsBuilt, 0);
    EXPECT_EQ(rough.outlineElementsBuilt, 0);
    // Wherever the exact line is, the rough one is too; far from it both leave the picture white.
    for (int y = 0; y < 256; ++y) {
        for (int x = 0; x < 256; ++x) {
            if (exact.pixel(x, y) == 0xFFFF0000u) {
                ASSERT_EQ(roughly.pixel(x, y), 0xFFFF0000u) << x << ", " << y;
            }
        }
    }
    for (const QPoint far : {QPoint(5, 5), QPoint(250, 128), QPoint(128, 250), QPoint(20, 128)}) {
        EXPECT_EQ(exact.pixel(far), 0xFFFFFFFFu);
        EXPECT_EQ(roughly.pixel(far), 0xFFFFFFFFu);
    }
}

// 5,000 points within 20 pixels of the middle of the picture joined by a line 400 pixels wide
// draw a square with corners rounded 200 pixels, its edge crossing every band near thousands of
// pieces. Past the painter's room for outlines, each band looks at the pieces a few times, not
// again for each part of the band it halves near the edge.
TEST(PlayerBudgets, AWidePenOverManyPointsLooksAtThemAFewTimesABand)
{
    constexpr int kPoints = 5'000;
    QPainterPath line;
    uint32_t random = 3;
    for (int k = 0; k < kPoints; ++k) {
        random = random * 1'103'515'245u + 12'345u;
        const QPointF at(246 + ((random >> 8) % 2001) / 100.0, 246 + ((random >> 19) % 2001) / 100.0);
        k == 0 ? line.moveTo(at) : line.lineTo(at);
    }
    QImage picture(512, 512, QImage::Format_RGB32);
    picture.fill(Qt::white);
    platform::FigurePainter painter(picture, QTransform(), 0);
    painter.Stroke(line, 400, 0xFF0000);
    // Red wherever the line is; white beyond the parts of 32 x 64 pixels it reaches (halved into
    // squares filled whole).
    for (int y = 0; y < 512; ++y) {
        for (int x = 0; x < 512; ++x) {
            const double dx = std::max({246.0 - (x + 0.5), 0.0, x + 0.5 - 266.0});
            const double dy = std::max({246.0 - (y + 0.5), 0.0, y + 0.5 - 266.0});
            const double distance = std::hypot(dx, dy);
            if (distance <= 198) {
                ASSERT_EQ(picture.pixel(x, y), 0xFFFF0000u) << x << ", " << y;
            } else if (distance >= 276) {
                ASSERT_EQ(picture.pixel(x, y), 0xFFFFFFFFu) << x << ", " << y;
            }
        }
    }
    // The line's 423 rows are drawn in 7 bands.
    EXPECT_LT(painter.Work().lineElementsSearched, 7 * 5 * kPoints);
}
