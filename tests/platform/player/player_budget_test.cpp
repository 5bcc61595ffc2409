// Budgets of the player that keep huge or hostile shapes from costing unbounded memory: line
// outlines are built when drawn, kept within a shared budget, and not built at all beyond it.
#include "platform/player/swf_data.h"
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
