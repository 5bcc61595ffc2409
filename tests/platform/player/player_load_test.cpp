// Loading files, the frame clock and damaged or unusual movies.
#include "platform/swf/bit_reader.h"
#include "platform/player/swf_movie.h"
#include "platform/player/swf_parser.h"
#include "player_test_util.h"

#include <gtest/gtest.h>
#include <zlib.h>

using namespace swftest;

namespace {

int32_t Px(int pixels)
{
    return pixels * 20;
}

// Three frames: a red square placed at x = 0, moved to 20 and 40 px; a fourth frame removes it.
std::string MovingSquare(bool withRemoval)
{
    Movie movie(60, 20);
    Styles styles;
    styles.Solid(0xFF0000FF);
    Records records;
    records.Box(0, 0, Px(20), Px(20), 1);
    movie.Shape(1, styles, records).Place(1, 1).ShowFrame();
    for (int x : {20, 40}) {
        Place move;
        move.depth = 1;
        move.move = true;
        move.translate = {Px(x), 0};
        movie.PlaceObject(move).ShowFrame();
    }
    if (withRemoval) {
        movie.Remove(1).ShowFrame();
    }
    return movie.Bytes(withRemoval ? 4 : 3);
}

// Which 20 px slot of the 60 x 20 movie is red (-1 for none).
int RedSlot(platform::MoviePlayer &player)
{
    QImage image = Render(player, 60, 20);
    for (int slot = 0; slot < 3; ++slot) {
        if (image.pixel(slot * 20 + 10, 10) == kRed) {
            return slot;
        }
    }
    return -1;
}

TEST(PlayerLoading, NoMovieAndUnreadableFilesShowTheBackground)
{
    platform::MoviePlayer player;
    player.SetMovie("a");
    EXPECT_EQ(player.Movie(), "a");
    EXPECT_EQ(player.TotalFrames(), 0);
    EXPECT_EQ(player.FrameNum(), -1);
    EXPECT_FALSE(player.IsPlaying());
    player.SetBackgroundColor(0x0000FF);
    EXPECT_EQ(Render(player, 8, 8).pixel(4, 4), kBlue);

    Load(player, "this is not a movie at all");
    EXPECT_EQ(player.TotalFrames(), 1);
    EXPECT_EQ(player.FrameNum(), 0);
    EXPECT_EQ(Render(player, 8, 8).pixel(4, 4), kBlue);

    Load(player, "");
    EXPECT_EQ(Render(player, 8, 8).pixel(4, 4), kBlue);
}

TEST(PlayerLoading, MoviesInMemoryPlayAsTheirFiles)
{
    const std::string square = MovingSquare(true);
    for (const std::string &bytes : {square, square.substr(0, square.size() / 2), std::string("not a movie"),
                                     std::string()}) {
        platform::MoviePlayer fromFile;
        platform::MoviePlayer fromMemory;
        for (platform::MoviePlayer *player : {&fromFile, &fromMemory}) {
            player->SetBackgroundColor(0x0000FF);
        }
        Load(fromFile, bytes);
        fromMemory.SetMovieBytes("in memory", bytes);
        EXPECT_EQ(fromMemory.Movie(), "in memory");
        EXPECT_EQ(fromMemory.TotalFrames(), fromFile.TotalFrames());
        EXPECT_EQ(fromMemory.IsPlaying(), fromFile.IsPlaying());
        for (int32_t frame = 0; frame < fromFile.TotalFrames(); ++frame) {
            fromFile.GotoFrame(frame);
            fromMemory.GotoFrame(frame);
            EXPECT_EQ(Render(fromMemory, 60, 20), Render(fromFile, 60, 20)) << bytes.size() << " frame " << frame;
        }
    }
}

TEST(PlayerLoading, CompressedMovieMatchesPlainOne)
{
    Styles styles;
    styles.Solid(0xFF0000FF);
    Records records;
    records.Box(Px(2), Px(2), Px(8), Px(8), 1);
    std::string plain = OneShape(10, 10, styles, records);
    std::string body = plain.substr(8);
    uLongf size = compressBound(static_cast<uLong>(body.size()));
    std::string packed(size, '\0');
    compress(reinterpret_cast<Bytef *>(packed.data()), &size, reinterpret_cast<const Bytef *>(body.data()),
             static_cast<uLong>(body.size()));
    packed.resize(size);
    std::string compressed = "CWS" + plain.substr(3, 5) + packed;
    EXPECT_EQ(Play(compressed, 10, 10), Play(plain, 10, 10));

    // A stated length far beyond the data, and a damaged stream, are harmless.
    std::string huge = compressed;
    huge[7] = static_cast<char>(0x7F);
    EXPECT_EQ(Play(huge, 10, 10), Play(plain, 10, 10));
    std::string damaged = compressed.substr(0, compressed.size() / 2);
    Play(damaged, 10, 10);
}

TEST(PlayerLoading, OddButReadableMovies)
{
    // No frame at all: one empty frame.
    Movie empty(10, 10);
    platform::MoviePlayer player;
    Load(player, empty.Bytes(0));
    EXPECT_EQ(player.TotalFrames(), 1);
    EXPECT_EQ(Render(player, 10, 10).pixel(5, 5), kWhite);

    // Unknown tags, undefined characters and a move of an empty depth are skipped.
    Styles styles;
    styles.Solid(0xFF0000FF);
    Records records;
    records.Box(0, 0, Px(10), Px(10), 1);
    Place ghost;
    ghost.depth = 7;
    ghost.move = true;
    ghost.translate = {5, 5};
    Movie odd(10, 10);
    odd.Tag(777, "whatever").Place(42, 1).Shape(1, styles, records).PlaceObject(ghost).Place(1, 2).ShowFrame();
    EXPECT_EQ(Play(odd.Bytes(), 10, 10).pixel(5, 5), kRed);

    // No End tag, no ShowFrame: the placements still show (a cut-off file).
    Movie cut(10, 10);
    cut.Shape(1, styles, records).Place(1, 1);
    EXPECT_EQ(Play(cut.Bytes(0, false), 10, 10).pixel(5, 5), kRed);

    // A tag whose length runs past the end of the file.
    std::string overlong = cut.Bytes(0, false);
    overlong += std::string("\xFF\x08\xFF\xFF\xFF\x7F\x01\x00", 8);
    EXPECT_EQ(Play(overlong, 10, 10).pixel(5, 5), kRed);
}

TEST(PlayerLoading, ClipActionsAreSkipped)
{
    // Two event handlers (keyPress with its key code, and load), each Stop + End, then the end.
    Bits actions;
    actions.U16(0);
    actions.U32(0x20001);
    for (uint32_t flags : {0x20000u, 0x1u}) {
        actions.U32(flags);
        actions.U32(flags == 0x20000u ? 4 : 3);
        if (flags == 0x20000u) {
            actions.U8(8);
        }
        actions.Raw(std::string("\x07\x00\x00", 3));
    }
    actions.U32(0);

    Styles styles;
    styles.Solid(0xFF0000FF);
    Records records;
    records.Box(0, 0, Px(10), Px(10), 1);
    Place button;
    button.id = 1;
    button.depth = 1;
    button.translate = {Px(10), 0};
    button.ratio = 7;
    button.clipActions = actions.bytes();
    Place moved;
    moved.depth = 1;
    moved.move = true;
    moved.translate = {Px(20), 0};
    Movie movie(40, 10);
    movie.Shape(1, styles, records).PlaceObject(button).ShowFrame().PlaceObject(moved).ShowFrame();

    platform::MoviePlayer player;
    Load(player, movie.Bytes(2));
    EXPECT_EQ(Render(player, 40, 10).pixel(15, 5), kRed);
    player.GotoFrame(1);
    EXPECT_EQ(Render(player, 40, 10).pixel(25, 5), kRed);
    EXPECT_EQ(Render(player, 40, 10).pixel(15, 5), kWhite);
}

TEST(PlayerLoading, HostileCountsAreBoundedByTheBytes)
{
    // A shape claiming 65535 fill styles of a bad type, and one with edges whose bit widths
    // overflow: both parse quickly to nothing drawable.
    platform::swf::BitReader probe(std::string_view("\xFF\xFF\xFF"));
    EXPECT_EQ(probe.U16(), 0xFFFF);
    EXPECT_EQ(probe.U16(), 0x00FF);
    EXPECT_TRUE(probe.Overrun());

    Bits body;
    body.U16(1);
    body.Rect(0, 0, 0, 0);
    body.U8(0xFF);
    body.U16(0xFFFF);
    body.U8(0x99);
    Movie movie(10, 10);
    movie.Tag(32, body.bytes()).Place(1, 1).ShowFrame();
    auto parsed = platform::swf::ParseMovie(movie.Bytes());
    ASSERT_NE(parsed, nullptr);
    const auto *shape = std::get_if<platform::swf::ShapeCharacter>(parsed->Find(1));
    ASSERT_NE(shape, nullptr);
    EXPECT_TRUE(shape->groups.empty());
}

// A small file of nothing but placement tags (it compresses to almost nothing) must not turn into
// millions of display-list operations: a frame and the movie keep a bounded number, and what
// follows the bound is not read.
TEST(PlayerLoading, PlacementFloodsStopAtTheirBounds)
{
    using platform::swf::kMaxPlacementsPerFrame;
    using platform::swf::kMaxPlacementsPerMovie;
    Movie crowded(10, 10);
    for (size_t i = 0; i < kMaxPlacementsPerFrame + 5; ++i) {
        crowded.Place(1, static_cast<uint16_t>(i % 500 + 1));
    }
    crowded.ShowFrame().Place(1, 1).ShowFrame();
    auto parsed = platform::swf::ParseMovie(crowded.Bytes(2));
    ASSERT_NE(parsed, nullptr);
    ASSERT_EQ(parsed->frames.size(), 1u);
    EXPECT_EQ(parsed->frames[0].tags.size(), kMaxPlacementsPerFrame);

    const size_t perFrame = 4096;
    const size_t frames = kMaxPlacementsPerMovie / perFrame + 3;
    Movie many(10, 10);
    for (size_t f = 0; f < frames; ++f) {
        for (size_t i = 0; i < perFrame; ++i) {
            i % 2 ? many.Remove(static_cast<uint16_t>(i / 2 + 1)) : many.Place(1, static_cast<uint16_t>(i / 2 + 1));
        }
        many.ShowFrame();
    }
    parsed = platform::swf::ParseMovie(many.Bytes(static_cast<uint16_t>(frames)));
    ASSERT_NE(parsed, nullptr);
    size_t kept = 0;
    for (const auto &frame : parsed->frames) {
        kept += frame.tags.size();
    }
    EXPECT_EQ(kept, kMaxPlacementsPerMovie);
    EXPECT_EQ(parsed->frames.size(), kMaxPlacementsPerMovie / perFrame);
}

TEST(PlayerClock, PlaysAtTheFrameRateAndStopsAtTheLastFrame)
{
    platform::MoviePlayer player;
    player.SetQuality2("low");
    Load(player, MovingSquare(false));
    EXPECT_EQ(player.TotalFrames(), 3);
    EXPECT_TRUE(player.IsPlaying());  // a movie of several frames plays at once
    EXPECT_EQ(player.FrameNum(), 0);
    EXPECT_EQ(RedSlot(player), 0);

    player.Tick(83);  // 12 frames per second: 83.3 ms a frame
    EXPECT_EQ(player.FrameNum(), 0);
    player.Tick(1);
    EXPECT_EQ(player.FrameNum(), 1);
    EXPECT_EQ(RedSlot(player), 1);
    player.Tick(5000);
    EXPECT_EQ(player.FrameNum(), 2);
    EXPECT_FALSE(player.IsPlaying());
    EXPECT_EQ(RedSlot(player), 2);

    player.Play();  // from the last frame: again from the start
    EXPECT_TRUE(player.IsPlaying());
    EXPECT_EQ(player.FrameNum(), 0);
    player.Stop();
    player.Tick(1000);
    EXPECT_EQ(player.FrameNum(), 0);
}

TEST(PlayerClock, GotoFrameRebuildsTheDisplayList)
{
    platform::MoviePlayer player;
    player.SetQuality2("low");
    Load(player, MovingSquare(true));
    player.Stop();
    EXPECT_EQ(player.TotalFrames(), 4);
    player.GotoFrame(3);
    EXPECT_EQ(RedSlot(player), -1);  // removed
    player.GotoFrame(1);
    EXPECT_EQ(RedSlot(player), 1);
    player.GotoFrame(-5);
    EXPECT_EQ(player.FrameNum(), 0);
    EXPECT_EQ(RedSlot(player), 0);
    player.GotoFrame(99);
    EXPECT_EQ(player.FrameNum(), 3);
}

}  // namespace
