// The picture a player keeps between renders: rendered again, it is always what a fresh player draws.
#include "drawn_paths.h"
#include "player_test_util.h"
#include "platform/player/group_cache.h"
#include "platform/player/player_testing.h"
#include "platform/player/swf_movie.h"
#include "platform/player/swf_parser.h"

#include <gtest/gtest.h>
#include <random>

using namespace swftest;

namespace {

constexpr int kSize = 256;

int32_t Px(int pixels)
{
    return pixels * 20;
}

// Forty small curved shapes with lines, one style group each; group `changed` is moved by
// (dx, dy) twips and drawn in `color`. Groups can be left out from `count` on. Every group is
// moved right by shift twips. With gradients, every third group has a linear gradient fill.
std::string Groups(int changed = -1, int dx = 0, int dy = 0, uint32_t color = 0x00FF00FF, int count = 40,
                   int shift = 0, bool gradients = false)
{
    Styles first;
    first.Solid(0xFF0000FF).Line(30, 0x000000FF);
    Records records;
    records.Box(Px(4) + shift, Px(4), Px(30) + shift, Px(30), 1, -1, 1);
    for (int i = 1; i < count; ++i) {
        Styles next;
        int x = Px((i * 37) % 220) + (i == changed ? dx : 0) + shift;
        int y = Px((i * 53) % 220) + (i == changed ? dy : 0);
        const uint32_t fill = i == changed ? color : 0x00008080u | static_cast<uint32_t>(i * 6) << 24;
        if (gradients && i % 3 == 0) {
            next.Gradient(false, 0.02, x, y, {{0, fill}, {255, 0xFFFF00C0}});
        } else {
            next.Solid(fill);
        }
        next.Line(static_cast<uint16_t>(10 + i * 3), 0x202020FF);
        records.NewStyles(next, x, y, 1, 1)
            .Curve(x + Px(30), y, x + Px(25), y + Px(25))
            .Line(x, y + Px(15))
            .Line(x, y);
    }
    return OneShape(kSize, kSize, first, records);
}

// Counts of a player's work since this was made.
struct WorkSince {
    explicit WorkSince(const platform::MoviePlayer &player) : player(player), start(player.Stats()) {}

    int64_t Read() const { return player.Stats().groupsRead - start.groupsRead; }
    int64_t Built() const { return player.Stats().groupsBuilt - start.groupsBuilt; }

    const platform::MoviePlayer &player;
    platform::PlayerStats start;
};

// What a player that never drew before shows for the movie.
QImage Fresh(const std::string &bytes, const std::string &quality, const QRect &rect, int32_t background = -1)
{
    platform::MoviePlayer player;
    player.SetQuality2(quality);
    player.SetBackgroundColor(background);
    Load(player, bytes, "fresh.swf");
    QImage image(kSize, kSize, QImage::Format_RGB32);
    image.fill(0xFF00FF00);
    player.Render(image, rect);
    return image;
}

TEST(PlayerPicture, EditedMoviesMatchAFreshPlayer)
{
    std::vector<std::string> edits = {
        Groups(7, 60, 0),                       // one group moved
        Groups(7, 60, 0, 0x0000FFFF),           // the same group recoloured
        Groups(7, 60, 0, 0x0000FFFF, 30),       // the last groups removed
        Groups(12, -800, 1200, 0x0000FFFF, 40),  // groups back, another moved far
        Groups(),                               // everything back as it was
    };
    std::mt19937 random(3);
    std::uniform_int_distribution<int> group(0, 39);
    std::uniform_int_distribution<int> offset(-500, 500);  // twips: anywhere within a pixel too
    for (int i = 0; i < 10; ++i) {
        edits.push_back(Groups(group(random), offset(random), offset(random)));
    }
    for (const char *quality : {"low", "high"}) {
        platform::MoviePlayer player;
        player.SetQuality2(quality);
        QImage canvas(kSize, kSize, QImage::Format_RGB32);
        Load(player, Groups());
        player.Render(canvas, canvas.rect());
        for (size_t i = 0; i < edits.size(); ++i) {
            Load(player, edits[i]);
            player.Render(canvas, canvas.rect());
            ASSERT_EQ(canvas, Fresh(edits[i], quality, canvas.rect())) << quality << " edit " << i;
        }
    }
}

// Edits as a user makes them one after another: drag steps of one group, the release, undo and
// redo of the move, a recolour, edits further down and further up, everything moved. Each
// picture equals a fresh player's, in whatever order the groups below the edits change.
TEST(PlayerPicture, EditsInTurnOfOneAndOtherGroupsMatchAFreshPlayer)
{
    auto edit = [](int changed, int dx, uint32_t color = 0x00FF00FF, int shift = 0) {
        return Groups(changed, dx, dx / 2, color, 40, shift, true);
    };
    const std::vector<std::string> edits = {
        edit(30, Px(2)),  edit(30, Px(4)),  edit(30, Px(6)),  // drag steps
        edit(-1, 0),      edit(30, Px(6)),                         // undo, redo
        edit(30, Px(6), 0x0000FFFF),                               // recolour
        edit(5, -Px(9)),  edit(5, -Px(9) + 7),                     // a group further down
        edit(36, Px(40)), edit(36, Px(41)),                        // further up
        edit(30, 0, 0x00FF00FF, Px(3)),                            // all moved
        edit(0, 0),       edit(39, Px(1)), edit(-1, 0),
    };
    for (const char *quality : {"low", "high"}) {
        platform::MoviePlayer player;
        player.SetQuality2(quality);
        QImage canvas(kSize, kSize, QImage::Format_RGB32);
        Load(player, edit(-1, 0));
        player.Render(canvas, canvas.rect());
        for (size_t i = 0; i < edits.size(); ++i) {
            Load(player, edits[i]);
            player.Render(canvas, canvas.rect());
            ASSERT_EQ(canvas, Fresh(edits[i], quality, canvas.rect())) << quality << " edit " << i;
        }
    }
}

TEST(PlayerPicture, EveryRenderSettingStartsANewPicture)
{
    platform::MoviePlayer player;
    player.SetQuality2("low");
    QImage canvas(kSize, kSize, QImage::Format_RGB32);
    Load(player, Groups());
    player.Render(canvas, canvas.rect());

    player.SetQuality2("high");
    player.Render(canvas, canvas.rect());
    EXPECT_EQ(canvas, Fresh(Groups(), "high", canvas.rect()));

    player.SetBackgroundColor(0x000000);
    player.Render(canvas, canvas.rect());
    EXPECT_EQ(canvas, Fresh(Groups(), "high", canvas.rect(), 0x000000));

    const QRect zoomed(-100, -50, kSize * 2, kSize * 2);
    player.Render(canvas, zoomed);
    EXPECT_EQ(canvas, Fresh(Groups(), "high", zoomed, 0x000000));

    QImage smaller(100, 100, QImage::Format_RGB32);  // another target size
    player.Render(smaller, smaller.rect());
    EXPECT_EQ(smaller, Play(Groups(), 100, 100, "high", 0x000000));
}

TEST(PlayerPicture, FramesClipLayersAndUnloadedMoviesMatchAFreshPlayer)
{
    // Frame 1: a blue square over a red one under a clip mask. Frame 2: the mask moved and the
    // square removed.
    auto solid = [](uint32_t rgba) {
        Styles styles;
        styles.Solid(rgba);
        return styles;
    };
    auto square = [](int left, int top, int side) {
        Records records;
        records.Box(Px(left), Px(top), Px(left + side), Px(top + side), 1);
        return records;
    };
    Place clip;
    clip.id = 2;
    clip.depth = 1;
    clip.clipDepth = 2;
    Place moved;
    moved.depth = 1;
    moved.move = true;
    moved.translate = {Px(40), Px(10)};
    Movie movie(kSize, kSize);
    movie.Shape(1, solid(0xFF0000FF), square(0, 0, 200))
        .Shape(2, solid(0xFF0000FF), square(20, 20, 100))
        .Shape(3, solid(0x0000FFFF), square(150, 150, 30));
    movie.PlaceObject(clip).Place(1, 2).Place(3, 3).ShowFrame().PlaceObject(moved).Remove(3).ShowFrame();
    const std::string bytes = movie.Bytes(2);

    platform::MoviePlayer player;
    player.SetQuality2("high");
    QImage canvas(kSize, kSize, QImage::Format_RGB32);
    Load(player, bytes);
    player.Render(canvas, canvas.rect());
    EXPECT_EQ(canvas.pixel(160, 160), kBlue);
    player.GotoFrame(1);
    player.Render(canvas, canvas.rect());
    EXPECT_EQ(canvas.pixel(160, 160), kWhite);
    EXPECT_EQ(canvas.pixel(150, 100), kRed);  // inside the moved mask only
    EXPECT_EQ(canvas.pixel(30, 100), kWhite);
    platform::MoviePlayer second;
    second.SetQuality2("high");
    Load(second, bytes, "second.swf");
    second.GotoFrame(1);
    EXPECT_EQ(canvas, Render(second, kSize, kSize));

    player.SetMovie(testsupport::TempPath("missing.swf"));
    player.Render(canvas, canvas.rect());
    EXPECT_EQ(CountColor(canvas, kWhite), kSize * kSize);
    Load(player, bytes);
    player.Render(canvas, canvas.rect());
    EXPECT_EQ(canvas, Fresh(bytes, "high", canvas.rect()));
}

TEST(PlayerPicture, HairlinesAlongAnAxisAreDrawnAndRepainted)
{
    // Width 0: a one-pixel line whose bounds have no width (or no height) at all.
    auto hairline = [](int x) {
        Styles styles;
        styles.Line(0, 0x000000FF);
        Records records;
        records.Move(Px(x), Px(10), -1, -1, 1).Line(Px(x), Px(90));
        return OneShape(kSize, kSize, styles, records);
    };
    platform::MoviePlayer player;
    player.SetQuality2("low");
    QImage canvas(kSize, kSize, QImage::Format_RGB32);
    Load(player, hairline(50));
    player.Render(canvas, canvas.rect());
    const int marked = Count(canvas, [](QRgb p) { return p != kWhite; });
    EXPECT_GE(marked, 80);
    EXPECT_LE(marked, 2 * 81);
    Load(player, hairline(60));
    player.Render(canvas, canvas.rect());
    EXPECT_EQ(canvas, Fresh(hairline(60), "low", canvas.rect()));
    // A hairline on the boundary x = 60 px lights the column before it.
    EXPECT_NE(canvas.pixel(59, 50), kWhite);
    EXPECT_EQ(canvas.pixel(49, 50), kWhite);
}

}  // namespace

TEST(PlayerPicture, ARecolouredGroupKeepsItsPathsWithTheNewStyles)
{
    platform::swf::MovieGroups cache;
    auto groups = [&cache](const std::string &bytes) {
        auto movie = platform::swf::ParseMovie(bytes, {&cache});
        return std::get<platform::swf::ShapeCharacter>(*movie->Find(1)).groups;
    };
    const auto before = groups(Groups());
    const auto after = groups(Groups(7, 0, 0, 0x0000FFFF));
    ASSERT_EQ(before.size(), after.size());
    EXPECT_EQ(before[6].group, after[6].group);
    ASSERT_NE(before[7].group, after[7].group);
    EXPECT_EQ(after[7].group->fills.at(0).color, qRgba(0x00, 0x00, 0xFF, 0xFF));
    EXPECT_EQ(swftest::MadePaths(*after[7].group), swftest::MadePaths(*before[7].group));
    EXPECT_EQ(after[7].group->outlines, before[7].group->outlines);
    EXPECT_EQ(after[7].group->bounds, before[7].group->bounds);
    // Moved, the group keeps its paths at another offset.
    const auto moved = groups(Groups(7, 60, 0, 0x0000FFFF));
    EXPECT_EQ(moved[7].group, after[7].group);
    EXPECT_EQ(moved[7].offset, after[7].offset + QPointF(60, 0));
    EXPECT_EQ(moved[7].Bounds(), after[7].Bounds().translated(60, 0));
}

TEST(PlayerPicture, PlayersSharingGroupsTakeWhatTheOthersBuiltAndLeaveItThere)
{
    for (const char *quality : {"low", "high"}) {
        auto shared = std::make_shared<platform::GroupCache>();
        platform::MoviePlayer canvas;
        platform::MoviePlayer thumbnail;
        canvas.ShareGroups(shared);
        thumbnail.ShareGroups(shared);
        thumbnail.SetQuality2(quality);
        Load(canvas, Groups(), "canvas.swf");

        // Recoloured and moved: read, but none built; the rest taken by their bytes.
        WorkSince work(thumbnail);
        Load(thumbnail, Groups(7, 60, 0, 0x0000FFFF, 30), "thumbnail.swf");
        EXPECT_EQ(work.Read(), 1);
        EXPECT_EQ(work.Built(), 0);
        EXPECT_EQ(Render(thumbnail, kSize, kSize),
                  Fresh(Groups(7, 60, 0, 0x0000FFFF, 30), quality, QRect(0, 0, kSize, kSize)))
            << quality;

        // The canvas's own groups are still there for its next movie.
        WorkSince again(canvas);
        Load(canvas, Groups(), "canvas.swf");
        EXPECT_EQ(again.Read(), 0);
        EXPECT_EQ(again.Built(), 0);

        // A player that stops sharing takes its groups along.
        thumbnail.ShareGroups(nullptr);
        WorkSince alone(thumbnail);
        Load(thumbnail, Groups(12, -800, 1200, 0x0000FFFF), "thumbnail.swf");
        EXPECT_EQ(alone.Built(), 10);  // those the canvas alone had
        EXPECT_EQ(Render(thumbnail, kSize, kSize),
                  Fresh(Groups(12, -800, 1200, 0x0000FFFF), quality, QRect(0, 0, kSize, kSize)))
            << quality;
    }
}

// With few hash bits every lookup finds some group: only one that draws the same may be taken,
// so that every picture is still what a fresh player draws.
TEST(PlayerPicture, GroupsWhoseHashesCollideAreNeverTakenForOneAnother)
{
    struct Step {
        int changed, dx, dy;
        uint32_t color;
        int count, shift;
    };
    const Step steps[] = {
        {-1, 0, 0, 0x00FF00FF, 40, 0},  {7, 0, 0, 0x0000FFFF, 40, 0},   {7, 60, 0, 0x0000FFFF, 40, 0},
        {-1, 0, 0, 0x00FF00FF, 30, 7},  {12, -800, 1200, 0xFF00FFFF, 40, Px(3)}, {-1, 0, 0, 0x00FF00FF, 40, 0},
    };
    for (int bits : {0, 1, 3}) {
        platform::KeepGroupHashBitsForTest(bits);
        auto shared = std::make_shared<platform::GroupCache>();
        platform::MoviePlayer first;
        platform::MoviePlayer second;
        first.ShareGroups(shared);
        second.ShareGroups(shared);
        first.SetQuality2("low");
        second.SetQuality2("low");
        for (size_t i = 0; i < std::size(steps); ++i) {
            const Step &step = steps[i];
            const std::string bytes = Groups(step.changed, step.dx, step.dy, step.color, step.count, step.shift);
            platform::MoviePlayer &player = i % 2 == 0 ? first : second;
            Load(player, bytes, i % 2 == 0 ? "first.swf" : "second.swf");
            EXPECT_EQ(Render(player, kSize, kSize), Fresh(bytes, "low", QRect(0, 0, kSize, kSize)))
                << "bits " << bits << " step " << i;
        }
    }
    platform::KeepGroupHashBitsForTest(64);
}

TEST(PlayerPicture, UnchangedGroupsAreNotReadAgainAndMovedOnesAreNotBuiltAgain)
{
    for (const char *quality : {"low", "high"}) {
        platform::MoviePlayer player;
        player.SetQuality2(quality);
        QImage canvas(kSize, kSize, QImage::Format_RGB32);
        WorkSince first(player);
        Load(player, Groups());
        player.Render(canvas, canvas.rect());
        EXPECT_EQ(first.Read(), 40);
        EXPECT_EQ(first.Built(), 40);

        WorkSince again(player);
        Load(player, Groups());
        EXPECT_EQ(again.Read(), 0);
        EXPECT_EQ(again.Built(), 0);

        WorkSince shorter(player);  // the last groups removed
        Load(player, Groups(-1, 0, 0, 0x00FF00FF, 30));
        EXPECT_EQ(shorter.Read(), 0);
        WorkSince longer(player);  // and back: read and built again, as the cache holds the last movie only
        Load(player, Groups());
        EXPECT_EQ(longer.Read(), 10);
        EXPECT_EQ(longer.Built(), 10);

        WorkSince recoloured(player);  // paths taken, styles new
        Load(player, Groups(7, 0, 0, 0x0000FFFF));
        EXPECT_EQ(recoloured.Read(), 1);
        EXPECT_EQ(recoloured.Built(), 0);
        player.Render(canvas, canvas.rect());
        EXPECT_EQ(canvas, Fresh(Groups(7, 0, 0, 0x0000FFFF), quality, canvas.rect())) << quality;

        // Every group moved, by whole pixels and by a part of one: all read, none built.
        for (int shift : {Px(3), 7, -Px(5) - 3}) {
            WorkSince moved(player);
            Load(player, Groups(-1, 0, 0, 0x00FF00FF, 40, shift));
            EXPECT_EQ(moved.Read(), 40);
            EXPECT_EQ(moved.Built(), 0);
            player.Render(canvas, canvas.rect());
            EXPECT_EQ(canvas, Fresh(Groups(-1, 0, 0, 0x00FF00FF, 40, shift), quality, canvas.rect()))
                << quality << " shift " << shift;
        }
    }
}

TEST(PlayerPicture, GroupsTakenByTheirBytesStillSpendTheMovieEdgeBudget)
{
    // A movie of many copies of one group, each made of enough edges that the copies together
    // exceed the movie's budget: loaded twice, the second load takes groups by their bytes and
    // still stops at the same edge.
    constexpr int kEdges = 1 << 16;
    constexpr size_t kCopies = platform::swf::kMaxEdgesPerMovie / kEdges + 4;
    Styles first;
    first.Solid(0xFF0000FF);
    Records records;
    records.Box(0, 0, Px(1), Px(1), 1);
    for (size_t copy = 1; copy < kCopies; ++copy) {
        Styles styles;
        styles.Solid(0x00FF00FF);
        records.NewStyles(styles, 0, 0, 1, 0);
        for (int i = 0; i < kEdges / 2; ++i) {
            records.Line(Px(2), 0).Line(0, 0);
        }
    }
    const std::string bytes = OneShape(kSize, kSize, first, records);
    platform::swf::MovieGroups cache;
    auto elements = [&bytes](platform::swf::MovieGroups *cache) {
        auto movie = platform::swf::ParseMovie(bytes, {cache});
        const auto &groups = std::get<platform::swf::ShapeCharacter>(*movie->Find(1)).groups;
        EXPECT_EQ(groups.size(), platform::swf::kMaxEdgesPerMovie / kEdges + 1);  // the last one cut short
        int64_t count = 0;
        for (const auto &placed : groups) {
            count += swftest::MadePaths(*placed.group).at(0).elementCount();
        }
        return count;
    };
    const int64_t uncached = elements(nullptr);
    EXPECT_EQ(elements(&cache), uncached);
    EXPECT_EQ(elements(&cache), uncached);
}
