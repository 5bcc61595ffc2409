// Exact pictures drawn on a worker thread: the preview shown meanwhile (kept pixels shifted along
// with items moved by whole pixels), the exact picture once the worker is done, and renders
// cancelled by newer ones.
#include "player_test_util.h"
#include "tests/support/image_compare.h"
#include "platform/player/player_testing.h"
#include "platform/player/swf_changed_area.h"
#include "platform/player/swf_parser.h"

#include <gtest/gtest.h>
#include <functional>

using namespace swftest;

namespace {

constexpr int kSize = 200;

enum class First { Moves, Stays, Paper };

// Overlapping boxes with wide lines, every third with a linear gradient; every box is moved by
// (dx, dy) twips (the first one only when it moves; only box `movedOnly` when that is given) and
// boxes `recoloured` and `recolouredToo` get another fill colour; box `widened` is a twip wider.
// The first box can be an opaque paper under the whole picture; box `front` can be drawn last.
std::string Boxes(int dx, int dy, int recoloured = -1, First first = First::Moves, int movedOnly = -1,
                  int recolouredToo = -1, int widened = -1, int front = -1)
{
    Styles firstStyles;
    Records records;
    if (first == First::Paper) {
        firstStyles.Solid(0xF8F0E0FF);
        records.Box(0, 0, kSize * 20, kSize * 20, 1, -1, -1);
    } else {
        const int moved = first == First::Moves && movedOnly <= 0 ? 1 : 0;
        firstStyles.Solid(0x3060C0FF).Line(40, 0x000000FF);
        records.Box(400 + dx * moved, 400 + dy * moved, 1800 + dx * moved, 1500 + dy * moved, 1, -1, 1);
    }
    std::vector<int> order;
    for (int i = 1; i < 30; ++i) {
        if (i != front) {
            order.push_back(i);
        }
    }
    if (front > 0) {
        order.push_back(front);
    }
    for (const int i : order) {
        const int moves = movedOnly < 0 || movedOnly == i ? 1 : 0;
        const int x = (i * 433) % 3200 + dx * moves;
        const int y = (i * 617) % 3000 + dy * moves;
        const uint32_t fill = i == recoloured || i == recolouredToo ? 0x10E020FFu : 0x00008090u | static_cast<uint32_t>(i * 8) << 24;
        Styles next;
        if (i % 3 == 0) {
            next.Gradient(false, 0.03, x, y, {{0, fill}, {255, 0xFFFF00C0}});
        } else {
            next.Solid(fill);
        }
        next.Line(static_cast<uint16_t>(20 + i * 4), 0x202020FF);
        const int width = i == widened ? 701 : 700;
        records.NewStyles(next, x, y, 1, 1).Line(x + width, y).Line(x + width, y + 500).Line(x, y + 500).Line(x, y);
    }
    return OneShape(kSize, kSize, firstStyles, records);
}

// What a fresh player draws of the movie into the target through rect (all of it by default).
QImage Exact(const std::string &bytes, const std::string &quality, const QRect &rect = QRect(0, 0, kSize, kSize))
{
    platform::MoviePlayer player;
    player.SetQuality2(quality);
    Load(player, bytes, "exact.swf");
    QImage image(kSize, kSize, QImage::Format_RGB32);
    player.Render(image, rect);
    return image;
}

// Every render goes to the worker while one of these lives.
struct AllOnWorker {
    AllOnWorker() { platform::SetMostWorkOnTheSpotForTest(0); }
    ~AllOnWorker() { platform::SetMostWorkOnTheSpotForTest(-1); }
};

// Worker renders wait before drawing while one of these lives (a cancelled one ends at once).
struct HeldWorker {
    HeldWorker() { platform::HoldWorkerRendersForTest(true); }
    ~HeldWorker() { Release(); }
    void Release() { platform::HoldWorkerRendersForTest(false); }
};

// A player that showed the first movie, then given the second through RenderSoon.
struct Shown {
    platform::MoviePlayer player;
    QImage target = QImage(kSize, kSize, QImage::Format_RGB32);

    explicit Shown(const std::string &quality) { player.SetQuality2(quality); }

    bool Show(const std::string &bytes)
    {
        Load(player, bytes);
        return player.RenderSoon(target, target.rect());
    }

    // Shows the unedited boxes; true when their exact picture is in place then.
    bool ShowFirst(First first = First::Moves)
    {
        Show(Boxes(0, 0, -1, first));
        player.FinishPendingRender();
        return Show(Boxes(0, 0, -1, first));
    }
};

enum class Preview { WithinOneLevel, LastPicture, None };
using Kind = platform::PreviewKind;

struct PreviewCase {
    const char *name;
    std::string after;  // the movie after Boxes(0, 0)
    std::string quality;
    Preview preview;
    Kind kind;  // what the player says it showed
    First first = First::Moves;  // of the movie before
};

class WorkerPreview : public testing::TestWithParam<PreviewCase> {};

TEST_P(WorkerPreview, IsWithinOneLevelOrTheLastPictureAndTheFinishedPictureIsExact)
{
    const PreviewCase &c = GetParam();
    AllOnWorker worker;
    Shown shown(c.quality);
    ASSERT_TRUE(shown.ShowFirst(c.first));
    const QImage last = shown.target;

    const bool exactAtOnce = shown.Show(c.after);
    const QImage exact = Exact(c.after, c.quality);
    EXPECT_EQ(exactAtOnce, c.preview == Preview::None);
    EXPECT_EQ(shown.player.LastPreview(), c.kind);
    if (c.preview == Preview::WithinOneLevel) {
        EXPECT_LE(testsupport::LargestChannelDifference(shown.target, exact), 1);
    } else if (c.preview == Preview::LastPicture) {
        EXPECT_EQ(shown.target, last) << "the last picture stays until the exact one";
    }
    shown.player.FinishPendingRender();
    EXPECT_EQ(shown.player.ExactReady(), c.preview != Preview::None);
    EXPECT_TRUE(shown.player.RenderSoon(shown.target, shown.target.rect()));
    EXPECT_EQ(shown.target, exact);
    EXPECT_FALSE(shown.player.RenderPending());
}

INSTANTIATE_TEST_SUITE_P(
    Edits, WorkerPreview,
    testing::Values(
        PreviewCase{"RightOnePixel", Boxes(20, 0), "high", Preview::WithinOneLevel, Kind::Shifted},
        PreviewCase{"UpLeftSeveral", Boxes(-140, -60), "high", Preview::WithinOneLevel, Kind::Shifted},
        PreviewCase{"FarDown", Boxes(0, 1400), "high", Preview::WithinOneLevel, Kind::Shifted},
        PreviewCase{"WithoutAntiAliasing", Boxes(60, 100), "low", Preview::WithinOneLevel, Kind::Shifted},
        PreviewCase{"Recoloured", Boxes(0, 0, 6), "high", Preview::WithinOneLevel, Kind::EditedArea},
        PreviewCase{"AllButTheFirst", Boxes(40, 20, -1, First::Stays), "high", Preview::WithinOneLevel,
                    Kind::EditedArea},
        PreviewCase{"AllOverPaper", Boxes(40, 20, -1, First::Paper), "high", Preview::WithinOneLevel, Kind::Shifted,
                    First::Paper},
        PreviewCase{"BroughtToTheFront", Boxes(0, 0, -1, First::Moves, -1, -1, -1, 2), "high",
                    Preview::WithinOneLevel, Kind::EditedArea},
        PreviewCase{"HalfPixel", Boxes(10, 0), "high", Preview::None, Kind::None},
        PreviewCase{"HalfPixelLow", Boxes(30, 0), "low", Preview::None, Kind::None}),
    [](const testing::TestParamInfo<PreviewCase> &info) { return std::string(info.param.name); });

// Changes of view over the boxes drawn twice their size: scrolls by whole pixels and zooms.
struct ViewCase {
    const char *name;
    QRect rect;  // after QRect(-100, -60, 400, 400)
    int64_t onTheSpot;  // the most work drawn at once
    Kind kind;
    bool uncoveredDrawn;  // the preview shows what the strips a scroll uncovered hold
};

class WorkerView : public testing::TestWithParam<ViewCase> {};

TEST_P(WorkerView, ShowsTheKeptPictureScrolledOrScaledAndThenTheExactOne)
{
    const ViewCase &c = GetParam();
    const QRect before(-100, -60, 2 * kSize, 2 * kSize);
    const std::string bytes = Boxes(0, 0);
    platform::SetMostWorkOnTheSpotForTest(c.onTheSpot);
    HeldWorker held;
    platform::MoviePlayer player;
    QImage target(kSize, kSize, QImage::Format_RGB32);
    Load(player, bytes);
    player.Render(target, before);

    EXPECT_FALSE(player.RenderSoon(target, c.rect));
    EXPECT_EQ(player.LastPreview(), c.kind);
    const QImage exact = Exact(bytes, "high", c.rect);
    const QPoint shift = c.rect.topLeft() - before.topLeft();
    const QRect kept = target.rect().intersected(target.rect().translated(shift));
    if (c.kind == Kind::ScrolledView) {
        // Kept pixels drawn elsewhere differ along a few edges by a level or two.
        if (!kept.isEmpty()) {
            EXPECT_LE(testsupport::PixelsApart(target, exact, 2, kept), kept.width() * kept.height() / 1000);
        }
        const QRegion uncovered = QRegion(target.rect()) - QRegion(kept);
        for (const QRect &part : uncovered) {
            if (c.uncoveredDrawn) {
                EXPECT_EQ(testsupport::LargestChannelDifference(target, exact, part), 0) << "uncovered strip";
            } else {
                QImage background(target.size(), target.format());
                background.fill(Qt::white);  // the movie has no background colour of its own
                EXPECT_EQ(testsupport::LargestChannelDifference(target, background, part), 0) << "until drawn";
            }
        }
    } else {
        // Scaled: where the last picture lands, its colours at their new places but for blurred
        // edges.
        const double scale = static_cast<double>(c.rect.width()) / before.width();
        const QRect landed = QRectF(QPointF(c.rect.topLeft()) - QPointF(before.topLeft()) * scale,
                                    QSizeF(kSize * scale, kSize * scale))
                                 .toAlignedRect()
                                 .intersected(target.rect());
        EXPECT_LE(testsupport::PixelsApart(target, exact, 48, landed), landed.width() * landed.height() / 10);
    }
    held.Release();
    // The exact picture may come in steps (the strips a scroll uncovered, then the rest).
    for (int round = 0; round < 3 && player.RenderPending(); ++round) {
        player.FinishPendingRender();
        player.RenderSoon(target, c.rect);
    }
    EXPECT_FALSE(player.RenderPending());
    EXPECT_EQ(target, exact);
    platform::SetMostWorkOnTheSpotForTest(-1);
}

INSTANTIATE_TEST_SUITE_P(
    Views, WorkerView,
    testing::Values(ViewCase{"DownSixteen", QRect(-100, -76, 400, 400), 60, Kind::ScrolledView, true},
                    ViewCase{"LeftThree", QRect(-97, -60, 400, 400), 60, Kind::ScrolledView, true},
                    ViewCase{"Diagonal", QRect(-107, -49, 400, 400), 60, Kind::ScrolledView, true},
                    ViewCase{"StripsOnTheWorker", QRect(-100, -96, 400, 400), 0, Kind::ScrolledView, false},
                    ViewCase{"PageDown", QRect(-100, -200, 400, 400), 60, Kind::ScrolledView, false},
                    ViewCase{"ZoomIn", QRect(-400, -300, 800, 800), 0, Kind::ScaledView, false},
                    ViewCase{"ZoomOut", QRect(0, 0, 200, 200), 0, Kind::ScaledView, false}),
    [](const testing::TestParamInfo<ViewCase> &info) { return std::string(info.param.name); });

// A render on the spot after a scroll whose pixels the worker has yet to draw is exact, whether
// the strips it uncovered were drawn at once or left to the worker.
TEST(WorkerPictures, ARenderAfterAScrollIsExactThoughTheWorkerHasNotDrawnIt)
{
    const std::string bytes = Boxes(0, 0);
    for (const int64_t onTheSpot : {60, 0}) {
        platform::SetMostWorkOnTheSpotForTest(onTheSpot);
        HeldWorker held;
        platform::MoviePlayer player;
        QImage target(kSize, kSize, QImage::Format_RGB32);
        Load(player, bytes);
        player.Render(target, QRect(-100, -60, 2 * kSize, 2 * kSize));
        const QRect scrolled(-103, -76, 2 * kSize, 2 * kSize);
        ASSERT_FALSE(player.RenderSoon(target, scrolled));
        ASSERT_EQ(player.LastPreview(), Kind::ScrolledView);
        player.Render(target, scrolled);
        EXPECT_EQ(target, Exact(bytes, "high", scrolled)) << onTheSpot;
        EXPECT_FALSE(player.RenderPending());
        EXPECT_TRUE(player.RenderSoon(target, scrolled));
    }
    platform::SetMostWorkOnTheSpotForTest(-1);
}

// Many small boxes, each a style group of its own, box `front` drawn last.
std::string ManyBoxes(int count, int front = -1)
{
    Styles first;
    first.Solid(0xF0F0F0FF);
    Records records;
    records.Box(0, 0, kSize * 20, kSize * 20, 1, -1, -1);
    std::vector<int> order;
    for (int i = 1; i < count; ++i) {
        if (i != front) {
            order.push_back(i);
        }
    }
    if (front > 0) {
        order.push_back(front);
    }
    for (const int i : order) {
        Styles next;
        next.Solid(0x00008090u | static_cast<uint32_t>(i % 256) << 24);
        const int x = (i * 433) % 3600;
        const int y = (i * 617) % 3600;
        records.NewStyles(next, x, y, 1, -1).Line(x + 500, y).Line(x + 500, y + 400).Line(x, y + 400).Line(x, y);
    }
    return OneShape(kSize, kSize, first, records);
}

// One of thousands of boxes brought to the front: too many items follow it to repaint them for a
// preview, and the drawing is no new one: the last picture shows until the exact one.
TEST(WorkerPictures, OneOfThousandsBroughtToTheFrontShowsTheLastPictureMeanwhile)
{
    AllOnWorker worker;
    HeldWorker held;
    Shown shown("high");
    shown.Show(ManyBoxes(4000));
    held.Release();
    shown.player.FinishPendingRender();
    ASSERT_TRUE(shown.Show(ManyBoxes(4000)));
    const QImage last = shown.target;
    platform::HoldWorkerRendersForTest(true);
    EXPECT_FALSE(shown.Show(ManyBoxes(4000, 3)));
    EXPECT_EQ(shown.player.LastPreview(), Kind::LastPicture);
    EXPECT_EQ(shown.target, last) << "not the bare paper";
    held.Release();
    shown.player.FinishPendingRender();
    EXPECT_TRUE(shown.player.RenderSoon(shown.target, shown.target.rect()));
    EXPECT_EQ(shown.target, Exact(ManyBoxes(4000, 3), "high"));
}

// Forty boxes stacked on one place, each a style group of its own: box a turns green, box b
// takes colour.
std::string Stack(int a, int b, uint32_t colour = 0x10E020FFu)
{
    Styles first;
    first.Solid(0x3060C0FF);
    Records records;
    records.Box(600, 600, 3400, 3400, 1, -1, -1);
    for (int i = 1; i < 40; ++i) {
        Styles next;
        next.Solid(i == a ? 0x10E020FFu : i == b ? colour : 0x00008090u | static_cast<uint32_t>(i * 6) << 24);
        const int at = 600 + i * 10;
        records.NewStyles(next, at, at, 1, -1).Line(at + 2800, at).Line(at + 2800, at + 2800);
        records.Line(at, at + 2800).Line(at, at);
    }
    return OneShape(kSize, kSize, first, records);
}

// Edits of a box high up the stack after an edit of one near its bottom: the pixels kept below
// the edits come to hold the boxes below the upper one, so that its next edits draw the few
// boxes from it up again, not every box above the lower one.
TEST(WorkerPictures, EditsHighUpAfterOneNearTheBottomDrawOnlyTheBoxesFromThemUp)
{
    AllOnWorker worker;
    Shown shown("high");
    shown.Show(Stack(-1, -1));
    shown.player.FinishPendingRender();
    ASSERT_TRUE(shown.Show(Stack(-1, -1)));
    auto cellsDrawnFor = [&shown](const std::string &bytes) {
        const int64_t before = shown.player.Stats().fillCells;
        shown.Show(bytes);
        shown.player.FinishPendingRender();
        EXPECT_TRUE(shown.player.RenderSoon(shown.target, shown.target.rect()));
        EXPECT_EQ(shown.target, Exact(bytes, "high"));
        return shown.player.Stats().fillCells - before;
    };
    cellsDrawnFor(Stack(1, -1));  // box 1 recoloured: the pixels below it are kept
    cellsDrawnFor(Stack(1, 36));  // then box 36
    const int64_t high = cellsDrawnFor(Stack(1, 36, 0xE02010FFu));  // box 36 again
    const int64_t low = cellsDrawnFor(Stack(2, 36, 0xE02010FFu));   // box 1 back, box 2 recoloured
    EXPECT_GT(high, 0);
    EXPECT_LT(high * 4, low) << high << " for box 36, " << low << " for boxes 1 and 2";
}

// A row of tiles of separate style groups meeting on fractions of a pixel over a paper, tile
// `recoloured` (when given) in colour.
std::string Tiles(int recoloured = -1, uint32_t colour = 0xC02040FFu)
{
    Styles paper;
    paper.Solid(0xF0F0F0FF);
    Records records;
    records.Box(0, 0, kSize * 20, kSize * 20, 1, -1, -1);
    for (int i = 0; i < 12; ++i) {
        Styles tile;
        tile.Solid(i == recoloured ? colour : 0x20305AFFu + static_cast<uint32_t>(i % 3) * 0x10000000u);
        const int left = 210 + i * 305;  // 10.5 px on, 15.25 px wide
        records.NewStyles(tile, left, 400, 1, -1).Line(left + 305, 400).Line(left + 305, 3000).Line(left, 3000);
        records.Line(left, 400);
    }
    return OneShape(kSize, kSize, paper, records);
}

// Tiles recoloured one after another, the pixels below each kept from the last edit: a tile
// shares the pixels along its sides with the tiles beside it, below and above it, and the
// picture is a whole render's wherever it was cut between the pixels kept and those drawn.
TEST(WorkerPictures, AnEditedTileMeetsTheTilesKeptBelowItAsInAWholeRender)
{
    AllOnWorker worker;
    Shown shown("high");
    shown.Show(Tiles());
    shown.player.FinishPendingRender();
    ASSERT_TRUE(shown.Show(Tiles()));
    for (const auto &[tile, colour] : std::vector<std::pair<int, uint32_t>>{
             {3, 0xC02040FFu}, {6, 0xC02040FFu}, {6, 0x40C020FFu}, {7, 0x2040C0FFu}, {5, 0x808080FFu}}) {
        const std::string bytes = Tiles(tile, colour);
        shown.Show(bytes);
        shown.player.FinishPendingRender();
        EXPECT_TRUE(shown.player.RenderSoon(shown.target, shown.target.rect()));
        EXPECT_EQ(shown.target, Exact(bytes, "high")) << "tile " << tile;
    }
}

// Shows the edited boxes, then the unedited ones again (the undo), each through RenderSoon: what
// shows at once is within one level of a whole render (or is that render, when it may be drawn at
// once), and that render once the worker is done. Each render makes and compares at most
// mostItems paint items.
void ExpectEditAndUndoWithinOneLevelThenExact(const std::string &edited, const std::string &quality,
                                              bool mayDrawAtOnce, int64_t mostItems)
{
    AllOnWorker worker;
    Shown shown(quality);
    ASSERT_TRUE(shown.ShowFirst());
    for (const std::string &next : {edited, Boxes(0, 0)}) {
        const QImage last = shown.target;
        const QImage exact = Exact(next, quality);
        ASSERT_NE(exact, last);
        const platform::PlayerStats before = shown.player.Stats();
        HeldWorker held;
        const bool drawnAtOnce = shown.Show(next);
        EXPECT_LE(shown.player.Stats().itemsMade + shown.player.Stats().itemsCompared - before.itemsMade -
                      before.itemsCompared,
                  mostItems);
        EXPECT_TRUE(mayDrawAtOnce || !drawnAtOnce) << "drawn exactly by the worker";
        EXPECT_LE(testsupport::LargestChannelDifference(shown.target, exact), drawnAtOnce ? 0 : 1);
        if (!drawnAtOnce) {
            // Shown again over anything: the same preview while the worker draws.
            const QImage preview = shown.target;
            shown.target.fill(0xFF00FF00);
            EXPECT_FALSE(shown.player.RenderSoon(shown.target, shown.target.rect()));
            EXPECT_EQ(shown.target, preview);
        }
        held.Release();
        shown.player.FinishPendingRender();
        EXPECT_TRUE(shown.player.RenderSoon(shown.target, shown.target.rect()));
        EXPECT_EQ(shown.target, exact);
        EXPECT_FALSE(shown.player.RenderPending());
    }
}

struct OneMovedCase {
    const char *name;
    int moved;  // the box moved among the others
    int dx, dy;
    std::string quality;
};

// A box moved or recoloured: the render makes that item and compares it with the last one's.
constexpr int64_t kOneItemChanged = 2;

class WorkerOneMoved : public testing::TestWithParam<OneMovedCase> {};

// One box moved over and under others: the preview already shows it at its new place (and its
// undo at the old one), within one level of the exact picture that follows.
TEST_P(WorkerOneMoved, PreviewOfTheMoveAndItsUndoIsWithinOneLevelAndThenExact)
{
    const OneMovedCase &c = GetParam();
    ExpectEditAndUndoWithinOneLevelThenExact(Boxes(c.dx, c.dy, -1, First::Moves, c.moved), c.quality, false,
                                             kOneItemChanged);
}

INSTANTIATE_TEST_SUITE_P(
    Moves, WorkerOneMoved,
    testing::Values(OneMovedCase{"MiddleRight", 15, 20, 0, "high"}, OneMovedCase{"GradientFar", 12, -300, 460, "high"},
                    OneMovedCase{"SecondUpLeft", 1, -60, -40, "medium"}, OneMovedCase{"LastDown", 29, 0, 200, "high"},
                    OneMovedCase{"MiddleLow", 14, 100, 60, "low"}, OneMovedCase{"FirstBest", 0, 40, 20, "best"}),
    [](const testing::TestParamInfo<OneMovedCase> &info) { return std::string(info.param.name); });

struct EditCase {
    const char *name;
    std::string edited;  // Boxes(0, 0) edited; the edit is undone after
    std::string quality;
    int64_t items = kOneItemChanged;  // made and compared by each render, at most
};

class WorkerEdit : public testing::TestWithParam<EditCase> {};

// Boxes moved by a fraction of a device pixel among others, or recoloured, and the edit undone:
// what shows right after each is within one level of a whole render (or is that render, when
// drawn at once), and the same render once the worker is done.
TEST_P(WorkerEdit, ShowsTheEditWithinOneLevelAtOnceAndThenExactly)
{
    const EditCase &c = GetParam();
    ExpectEditAndUndoWithinOneLevelThenExact(c.edited, c.quality, true, c.items);
}

INSTANTIATE_TEST_SUITE_P(
    Edits, WorkerEdit,
    testing::Values(EditCase{"HalfPixelRight", Boxes(10, 0, -1, First::Moves, 15), "high"},
                    EditCase{"FractionUpLeft", Boxes(-7, -13, -1, First::Moves, 12), "high"},
                    EditCase{"FractionOfTheFirst", Boxes(3, 29, -1, First::Moves, 0), "medium"},
                    EditCase{"FractionOfTheLast", Boxes(-31, 5, -1, First::Moves, 29), "best"},
                    EditCase{"FractionLow", Boxes(30, 10, -1, First::Moves, 14), "low"},
                    EditCase{"OneRecoloured", Boxes(0, 0, 4), "high"},
                    EditCase{"GradientRecoloured", Boxes(0, 0, 9), "medium"},
                    EditCase{"TwoApartRecoloured", Boxes(0, 0, 2, First::Moves, -1, 27), "high", 2 * 26},
                    EditCase{"RecolouredLow", Boxes(0, 0, 20), "low"},
                    EditCase{"MovedAndAnotherRecoloured", Boxes(10, 10, 22, First::Moves, 5), "high", 2 * 18}),
    [](const testing::TestParamInfo<EditCase> &info) { return std::string(info.param.name); });

// The paint items of two movies parsed one after the other (the second takes the first's groups,
// as a player does) seen through view, compared.
void Compare(const std::string &before, const std::string &after, const QTransform &view,
             const std::function<void(const platform::swf::ItemComparison &)> &check)
{
    using namespace platform::swf;
    MovieGroups groups;
    const std::unique_ptr<platform::swf::Movie> first = ParseMovie(before, {&groups, {}, nullptr});
    const std::unique_ptr<platform::swf::Movie> second = ParseMovie(after, {&groups, {}, nullptr});
    DisplayList firstList;
    DisplayList secondList;
    ApplyFrame(first->frames.at(0), firstList);
    ApplyFrame(second->frames.at(0), secondList);
    const PictureItems kept = AllItems(*first, firstList, view);
    const ItemsChange change = ChangeOf(kept, *second, secondList);
    check(ItemComparison(kept, change));
}

// The edited area spans the items that differ, before and after, not the picture.
TEST(WorkerEditedArea, CoversTheItemsThatDifferBeforeAndAfterOnly)
{
    using namespace platform::swf;
    const QTransform view = QTransform::fromScale(1 / 20.0, 1 / 20.0);
    const QRect all(0, 0, kSize, kSize);
    const struct {
        const char *name;
        std::string after;
        std::optional<ItemRange> range;
        int largestArea;  // pixels of the area at most
    } cases[] = {
        {"unchanged", Boxes(0, 0), std::nullopt, 0},
        {"one moved by half a pixel", Boxes(10, 0, -1, First::Moves, 15), ItemRange{15, 16}, 45 * 35},
        {"one recoloured", Boxes(0, 0, 4), ItemRange{4, 5}, 45 * 35},
        {"two apart recoloured", Boxes(0, 0, 2, First::Moves, -1, 27), ItemRange{2, 28}, kSize * kSize / 2},
    };
    for (const auto &c : cases) {
        Compare(Boxes(0, 0), c.after, view, [&](const ItemComparison &items) {
            const std::optional<EditedItems> edited = Edited(items, all);
            ASSERT_EQ(edited.has_value(), c.range.has_value()) << c.name;
            if (edited) {
                EXPECT_EQ(edited->range.begin, c.range->begin) << c.name;
                EXPECT_EQ(edited->range.end, c.range->end) << c.name;
                EXPECT_LE(edited->area.width() * edited->area.height(), c.largestArea) << c.name;
            }
        });
    }
}

TEST(WorkerShift, FoundOnlyWhenEveryItemMovedAlikeByWholePixels)
{
    const QTransform full = QTransform::fromScale(1 / 20.0, 1 / 20.0);
    const QTransform half = QTransform::fromScale(1 / 40.0, 1 / 40.0);
    using platform::swf::ItemShift;
    const struct {
        const char *name;
        std::string after;
        QTransform view;
        std::optional<ItemShift> shift;
    } cases[] = {
        {"unchanged", Boxes(0, 0), full, std::nullopt},
        {"all by whole pixels", Boxes(40, -20), full, ItemShift{QPoint(2, -1), 0}},
        {"all but the first", Boxes(40, -20, -1, First::Stays), full, ItemShift{QPoint(2, -1), 1}},
        {"all by half a pixel", Boxes(10, 0), full, std::nullopt},
        {"whole at half size", Boxes(80, 40), half, ItemShift{QPoint(2, 1), 0}},
        {"half at half size", Boxes(20, 0), half, std::nullopt},
        {"one recoloured", Boxes(0, 0, 4), full, std::nullopt},
        {"moved and recoloured", Boxes(20, 0, 4), full, std::nullopt},
    };
    for (const auto &c : cases) {
        Compare(Boxes(0, 0), c.after, c.view, [&](const platform::swf::ItemComparison &items) {
            EXPECT_EQ(WholePixelShift(items, c.view), c.shift) << c.name;
        });
    }
}

// A rough shift also takes a few items reshaped within a pixel as they moved.
TEST(WorkerShift, RoughlyFoundWhenAFewMovedItemsAreReshapedWithinAPixel)
{
    const QTransform full = QTransform::fromScale(1 / 20.0, 1 / 20.0);
    using platform::swf::ItemShift;
    const struct {
        const char *name;
        std::string after;
        std::optional<ItemShift> shift;
    } cases[] = {
        {"all by whole pixels", Boxes(40, -20), ItemShift{QPoint(2, -1), 0}},
        {"all, one reshaped", Boxes(40, -20, -1, First::Moves, -1, -1, 7), ItemShift{QPoint(2, -1), 0}},
        {"all but the first, one reshaped", Boxes(40, -20, -1, First::Stays, -1, -1, 7), ItemShift{QPoint(2, -1), 1}},
        {"one reshaped in place", Boxes(0, 0, -1, First::Moves, -1, -1, 7), std::nullopt},
        {"all, one recoloured", Boxes(40, -20, 4), std::nullopt},
        {"all by half a pixel, one reshaped", Boxes(10, 0, -1, First::Moves, -1, -1, 7), std::nullopt},
    };
    for (const auto &c : cases) {
        Compare(Boxes(0, 0), c.after, full, [&](const platform::swf::ItemComparison &items) {
            EXPECT_EQ(RoughShift(items, full), c.shift) << c.name;
        });
    }
}

// Every box moved by whole pixels, one of them reshaped as it moved (a twip wider), with the
// preview that paints the area of the changed items again left out: the shifted pixels shown
// before the exact picture already show the reshaped box's new outline, within one level.
TEST(WorkerShift, ARoughShiftPreviewShowsTheReshapedItemsWithinOneLevel)
{
    struct NoEditedAreaPreview {
        NoEditedAreaPreview() { platform::SetMostEditedAreaWorkForTest(0); }
        ~NoEditedAreaPreview() { platform::SetMostEditedAreaWorkForTest(-1); }
    };
    const struct {
        const char *name;
        std::string after;
        std::string quality;
        First first;
    } cases[] = {
        {"all, one reshaped", Boxes(40, -20, -1, First::Moves, -1, -1, 7), "high", First::Moves},
        {"over paper, one reshaped", Boxes(-60, 40, -1, First::Paper, -1, -1, 12), "medium", First::Paper},
        {"without anti-aliasing", Boxes(20, 60, -1, First::Moves, -1, -1, 3), "low", First::Moves},
        // Farther than the side of a cell of the items' grid (64 px): the items reaching into a
        // reshaped area are found where they were before the move.
        {"all by 66 px, one reshaped", Boxes(1320, 0, -1, First::Moves, -1, -1, 8), "high", First::Moves},
        {"all by 70 px down, one reshaped", Boxes(0, 1400, -1, First::Moves, -1, -1, 2), "medium", First::Moves},
    };
    for (const auto &c : cases) {
        AllOnWorker worker;
        NoEditedAreaPreview noEditedArea;
        Shown shown(c.quality);
        ASSERT_TRUE(shown.ShowFirst(c.first)) << c.name;
        const QImage exact = Exact(c.after, c.quality);
        EXPECT_FALSE(shown.Show(c.after)) << c.name;
        EXPECT_EQ(shown.player.LastPreview(), platform::PreviewKind::RoughlyShifted) << c.name;
        EXPECT_LE(testsupport::LargestChannelDifference(shown.target, exact), 1) << c.name;
        shown.player.FinishPendingRender();
        EXPECT_TRUE(shown.player.RenderSoon(shown.target, shown.target.rect())) << c.name;
        EXPECT_EQ(shown.target, exact) << c.name;
    }
}

// A worker render that cannot get its memory fails as a render: the preview stays, the player
// goes on, and once memory is there again the exact picture comes.
TEST(WorkerRender, ARenderRefusedMemoryKeepsThePreviewAndTheNextOneIsExact)
{
    struct RefusedMemory {
        RefusedMemory() { platform::RefuseWorkerRenderMemoryForTest(true); }
        ~RefusedMemory() { platform::RefuseWorkerRenderMemoryForTest(false); }
    };
    AllOnWorker worker;
    Shown shown("high");
    ASSERT_TRUE(shown.ShowFirst());
    const std::string after = Boxes(20, 0);
    const QImage exact = Exact(after, "high");
    {
        RefusedMemory refused;
        EXPECT_FALSE(shown.Show(after));
        const QImage preview = shown.target;
        shown.player.FinishPendingRender();
        EXPECT_FALSE(shown.player.ExactReady());
        EXPECT_FALSE(shown.player.RenderSoon(shown.target, shown.target.rect()));
        EXPECT_EQ(shown.target, preview);
        shown.player.FinishPendingRender();
    }
    EXPECT_FALSE(shown.player.RenderSoon(shown.target, shown.target.rect()));
    shown.player.FinishPendingRender();
    EXPECT_TRUE(shown.player.RenderSoon(shown.target, shown.target.rect()));
    EXPECT_EQ(shown.target, exact);
}

TEST(WorkerRender, ANewerMovieCancelsTheRunningRenderAndItsPictureNeverShows)
{
    AllOnWorker worker;
    Shown shown("high");
    ASSERT_TRUE(shown.ShowFirst());
    const int64_t before = shown.player.WorkerRendersDone();
    // The first edit's render is cancelled by the second movie, which is drawn and shown.
    HeldWorker held;
    EXPECT_FALSE(shown.Show(Boxes(20, 0)));
    EXPECT_FALSE(shown.Show(Boxes(60, 20)));
    held.Release();
    shown.player.FinishPendingRender();
    ASSERT_TRUE(shown.player.RenderSoon(shown.target, shown.target.rect()));
    EXPECT_EQ(shown.target, Exact(Boxes(60, 20), "high"));
    EXPECT_EQ(shown.player.WorkerRendersDone() - before, 1) << "the cancelled render never drew";
    // Drawn again the same way, nothing waits.
    EXPECT_TRUE(shown.player.RenderSoon(shown.target, shown.target.rect()));
    EXPECT_FALSE(shown.player.RenderPending());
}

TEST(WorkerRender, ASynchronousRenderMeanwhileIsExactAndTakesOver)
{
    AllOnWorker worker;
    Shown shown("medium");
    ASSERT_TRUE(shown.ShowFirst());
    EXPECT_FALSE(shown.Show(Boxes(0, 0, 9)));
    QImage synchronous(kSize, kSize, QImage::Format_RGB32);
    shown.player.Render(synchronous, synchronous.rect());
    EXPECT_EQ(synchronous, Exact(Boxes(0, 0, 9), "medium"));
    EXPECT_FALSE(shown.player.RenderPending()) << "the worker's render was cancelled";
    EXPECT_TRUE(shown.player.RenderSoon(shown.target, shown.target.rect()));
    EXPECT_EQ(shown.target, synchronous);
}

TEST(WorkerRender, DoneIsCalledOncePerExactPictureAndTheSameRenderShowsThePreviewAgain)
{
    AllOnWorker worker;
    std::atomic<int> calls{0};
    Shown shown("high");
    shown.player.OnExactReady([&calls] { ++calls; });
    ASSERT_TRUE(shown.ShowFirst());
    const int first = calls.load();
    HeldWorker held;
    EXPECT_FALSE(shown.Show(Boxes(0, 0, 3)));
    const QImage preview = shown.target;
    QImage again(kSize, kSize, QImage::Format_RGB32);
    EXPECT_FALSE(shown.player.ExactReady());
    EXPECT_FALSE(shown.player.RenderSoon(again, again.rect()));
    EXPECT_EQ(again, preview);
    held.Release();
    shown.player.FinishPendingRender();
    EXPECT_EQ(calls.load(), first + 1);
    shown.player.CancelPendingRender();
}

TEST(WorkerRender, ACancelledDrawingStopsBeforeDrawingAnything)
{
    using namespace platform::swf;
    const std::unique_ptr<platform::swf::Movie> movie = ParseMovie(Boxes(0, 0));
    DisplayList list;
    ApplyFrame(movie->frames.at(0), list);
    const std::atomic<bool> cancelled{true};
    for (const QRect &size : {QRect(0, 0, 40, 40), QRect(0, 0, 1200, 900)}) {  // one band, and several
        QImage image(size.size(), QImage::Format_RGB32);
        image.fill(0xFF00FF00);
        const PictureSetup setup{movie.get(), &list, size, QTransform::fromScale(1 / 20.0, 1 / 20.0), Quality::High,
                                 0, nullptr, &cancelled};
        RenderDisplayList(setup, image, size);
        EXPECT_EQ(CountColor(image, 0xFF00FF00), size.width() * size.height()) << size.width();
    }
}

}  // namespace
