// A shape of more style groups than are built on the reading thread alone (the canvas of a large
// drawing): every group shows in its own colour where it lies, loaded fresh, loaded again
// recoloured (the kept groups restyled) and loaded back.
#include "player_test_util.h"

#include <gtest/gtest.h>

using namespace swftest;

namespace {

// Squares of 3 pixels at a 5-pixel pitch, 40 to a row.
constexpr int kColumns = 40;
constexpr int kPitch = 5;
constexpr int kSide = 3;

int32_t Px(int pixels)
{
    return pixels * 20;
}

// 0xRRGGBB of square i, changed by tint.
uint32_t ColourOf(int i, uint32_t tint)
{
    return ((static_cast<uint32_t>(i) * 2654435761u >> 8) ^ tint) & 0xFFFFFFu;
}

// One shape of count squares, each a style group of its own solid fill.
std::string Squares(int count, uint32_t tint)
{
    Records records;
    Styles first;
    for (int i = 0; i < count; ++i) {
        const int32_t x = Px(i % kColumns * kPitch);
        const int32_t y = Px(i / kColumns * kPitch);
        Styles styles;
        styles.Solid(ColourOf(i, tint) << 8 | 0xFFu);
        if (i == 0) {
            first = styles;
            records.Move(x, y, 1, -1, 0);
        } else {
            records.NewStyles(styles, x, y, 1, 0);
        }
        records.Line(x + Px(kSide), y).Line(x + Px(kSide), y + Px(kSide)).Line(x, y + Px(kSide)).Line(x, y);
    }
    const int size = kColumns * kPitch;
    Movie movie(size, size);
    movie.Shape(1, first, records).Place(1, 1).ShowFrame();
    return movie.Bytes();
}

TEST(ManyGroups, EveryGroupShowsInItsColourLoadedFreshRecolouredAndBack)
{
    constexpr int kCount = kColumns * 37 + 13;  // several batches of builds and a part of one
    const struct {
        const char *step;
        uint32_t tint;
        int64_t built;  // groups whose paths are built
    } steps[] = {{"fresh", 0, kCount}, {"recoloured", 0x00FF00, 0}, {"back", 0, 0}};
    platform::MoviePlayer player;
    player.SetQuality2("low");
    for (const auto &step : steps) {
        const int64_t builtBefore = player.Stats().groupsBuilt;
        player.SetMovieBytes("canvas", Squares(kCount, step.tint));
        EXPECT_EQ(player.Stats().groupsBuilt - builtBefore, step.built) << step.step;
        const QImage shown = Render(player, kColumns * kPitch, kColumns * kPitch);
        int wrong = 0;
        for (int i = 0; i < kCount; ++i) {
            const QRgb pixel = shown.pixel(i % kColumns * kPitch + 1, i / kColumns * kPitch + 1);
            wrong += (pixel & 0xFFFFFFu) == ColourOf(i, step.tint) ? 0 : 1;
        }
        EXPECT_EQ(wrong, 0) << step.step;
    }
}

}  // namespace
