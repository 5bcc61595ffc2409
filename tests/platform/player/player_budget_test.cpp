// Budgets of the player that keep huge or hostile shapes from costing unbounded memory: line
// outlines are built when drawn, kept within a shared budget, and not built at all beyond it.
#include "platform/player/swf_movie.h"
#include "player_test_util.h"

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

}  // namespace

TEST(PlayerBudgets, LineOutlinesAreBuiltWhenDrawnAndReleasedWithTheirMovie)
{
    using platform::swf::CurrentOutlineCounts;
    const auto start = CurrentOutlineCounts();
    {
        platform::MoviePlayer player;
        player.SetQuality2("low");
        Load(player, BackAndForth(300, 400));  // 20 pixels wide
        EXPECT_EQ(CurrentOutlineCounts().built, start.built) << "outlines are built when first drawn";
        const QImage first = Render(player, kSize, kSize);
        const auto drawn = CurrentOutlineCounts();
        EXPECT_GT(drawn.built, start.built);
        EXPECT_GT(drawn.held, start.held);
        EXPECT_LE(drawn.held - start.held, platform::swf::kMaxOutlineElements);
        EXPECT_GE(RedRows(first), 19);
        EXPECT_LE(RedRows(first), 21);
        // Drawn again from the kept outline: nothing more is built, the pixels are the same.
        EXPECT_EQ(Render(player, kSize, kSize), first);
        EXPECT_EQ(CurrentOutlineCounts().built, drawn.built);
    }
    EXPECT_EQ(CurrentOutlineCounts().held, start.held);
}

TEST(PlayerBudgets, ALineWhoseOutlineWouldExceedTheBudgetIsDrawnOnePixelWide)
{
    using platform::swf::CurrentOutlineCounts;
    // 140,000 segments of a line 100 pixels wide: its outline is estimated beyond the budget.
    const int segments = static_cast<int>(platform::swf::kMaxOutlineElements / 16) + 10000;
    platform::MoviePlayer player;
    player.SetQuality2("low");
    Load(player, BackAndForth(segments, 2000));
    const auto start = CurrentOutlineCounts();
    const QImage image = Render(player, kSize, kSize);
    EXPECT_EQ(CurrentOutlineCounts().built, start.built);
    EXPECT_EQ(CurrentOutlineCounts().held, start.held);
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
    using platform::swf::CurrentOutlineCounts;
    using platform::swf::kMaxHeldOutlineElements;
    // 800 groups whose outlines are estimated at 8,064 elements each: more than the budget holds
    // together, readied on several threads at once.
    const std::string movie = ManyBackAndForth(800, 500, 40);
    const auto start = CurrentOutlineCounts();
    platform::MoviePlayer keeper;
    keeper.SetQuality2("high");
    Load(keeper, movie, "keeper.swf");
    const QImage kept = Render(keeper, 512, 512);
    const auto afterFirst = CurrentOutlineCounts();
    EXPECT_GT(afterFirst.held, start.held);
    EXPECT_LE(afterFirst.held - start.held, kMaxHeldOutlineElements);
    // Drawn again in full (over another background, then the first): the outlines that did not
    // fit are built again whenever they are drawn, the rest are not.
    keeper.SetBackgroundColor(0x000000);
    Render(keeper, 512, 512);
    keeper.SetBackgroundColor(-1);
    EXPECT_EQ(Render(keeper, 512, 512), kept);
    const auto afterSecond = CurrentOutlineCounts();
    EXPECT_GT(afterSecond.built, afterFirst.built);
    EXPECT_LT(afterSecond.built - afterFirst.built, afterFirst.built - start.built);
    EXPECT_EQ(afterSecond.held, afterFirst.held);

    // A second player of the same movie finds the budget taken: its lines are outlined when
    // drawn, and it shows the same pixels.
    platform::MoviePlayer other;
    other.SetQuality2("high");
    Load(other, movie, "other.swf");
    EXPECT_EQ(Render(other, 512, 512), kept);
    EXPECT_LE(CurrentOutlineCounts().held - start.held, kMaxHeldOutlineElements);
    EXPECT_GE(CountColor(kept, kRed), 800 * 12);
}

TEST(PlayerBudgets, ALineFirstDrawnThinGetsItsOutlineWhenDrawnWide)
{
    using platform::swf::CurrentOutlineCounts;
    platform::MoviePlayer player;
    player.SetQuality2("low");
    Load(player, BackAndForth(300, 40));  // 2 pixels wide at full size
    const auto start = CurrentOutlineCounts();
    Render(player, kSize / 10, kSize / 10);  // a fifth of a pixel wide: drawn one pixel wide
    EXPECT_EQ(CurrentOutlineCounts().built, start.built);
    const QImage wide = Render(player, kSize, kSize);
    EXPECT_GT(CurrentOutlineCounts().built, start.built);
    EXPECT_GT(CurrentOutlineCounts().held, start.held);
    EXPECT_GE(RedRows(wide), 2);
    EXPECT_LE(RedRows(wide), 3);
    platform::MoviePlayer fresh;
    fresh.SetQuality2("low");
    Load(fresh, BackAndForth(300, 40), "fresh.swf");
    EXPECT_EQ(Render(fresh, kSize, kSize), wide);
}
