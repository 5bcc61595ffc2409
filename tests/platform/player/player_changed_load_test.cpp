// Loading a movie that differs from the player's last one in a part: only the style groups of that
// part are read, and the player shows exactly what a fresh player loading the same bytes shows.
#include "player_test_util.h"
#include "platform/player/swf_movie.h"
#include "platform/player/swf_parser.h"

#include <gtest/gtest.h>
#include <functional>
#include <random>
#include <unordered_map>

using namespace swftest;

namespace {

constexpr int kSize = 200;
constexpr int kPieces = 48;

int32_t Px(int pixels)
{
    return pixels * 20;
}

// One style group: a curved triangle with a fill and a line, its left side a zigzag of
// extraEdges more edges when given.
struct Piece {
    int32_t x = 0;
    int32_t y = 0;
    uint32_t fill = 0;  // 0xRRGGBBAA
    int extraEdges = 0;
};

Styles StylesOf(const Piece &piece)
{
    Styles styles;
    styles.Solid(piece.fill).Line(20, 0x202020FF);
    return styles;
}

// A shape of the pieces, each a style group of its own.
Records RecordsOf(const std::vector<Piece> &pieces)
{
    Records records;
    for (size_t i = 0; i < pieces.size(); ++i) {
        const Piece &p = pieces[i];
        if (i == 0) {
            records.Move(p.x, p.y, 1, -1, 1);
        } else {
            records.NewStyles(StylesOf(p), p.x, p.y, 1, 1);
        }
        records.Curve(p.x + Px(24), p.y, p.x + Px(20), p.y + Px(20)).Line(p.x, p.y + Px(12));
        for (int k = 1; k <= p.extraEdges; ++k) {
            records.Line(p.x + (k % 2) * Px(2), p.y + Px(12) - Px(12) * k / (p.extraEdges + 1));
        }
        records.Line(p.x, p.y);
    }
    return records;
}

// A drawing of many pieces (character 1) and a badge of one (character 2), whose tag comes first.
struct Drawing {
    std::vector<Piece> pieces;
    Piece badge{Px(170), Px(170), 0xFF8000FF, 0};

    std::string Bytes() const
    {
        Movie movie(kSize, kSize);
        movie.Shape(2, StylesOf(badge), RecordsOf({badge}))
            .Shape(1, StylesOf(pieces.front()), RecordsOf(pieces))
            .Place(1, 1)
            .Place(2, 2)
            .ShowFrame();
        return movie.Bytes();
    }
};

Drawing BaseDrawing()
{
    Drawing drawing;
    for (int i = 0; i < kPieces; ++i) {
        drawing.pieces.push_back(
            {Px((i * 37) % 170), Px((i * 53) % 170), static_cast<uint32_t>(i * 5) << 24 | 0x8080FFu, i % 3});
    }
    return drawing;
}

QImage Shown(platform::MoviePlayer &player)
{
    return Render(player, kSize, kSize);
}

QImage Fresh(const std::string &bytes, const char *quality)
{
    return Play(bytes, kSize, kSize, quality);
}

struct ChangeCase {
    const char *name;
    std::function<std::string()> bytes;
    int64_t read;   // groups whose records the player reads
    int64_t built;  // and of those, groups whose paths it builds
    int64_t items;  // at most: paint items the render after it makes or compares with the last picture's
    bool atMost = false;  // the counts of groups are upper bounds
    int64_t decoded = -1;  // of those read, groups whose edges it decodes (-1: all of them)
};

std::string Changed(const std::function<void(Drawing &)> &change)
{
    Drawing drawing = BaseDrawing();
    change(drawing);
    return drawing.Bytes();
}

const ChangeCase kChanges[] = {
    {"Unchanged", [] { return BaseDrawing().Bytes(); }, 0, 0, 0},
    // A group that only moved or changed its colours takes the paths of the one it replaces.
    {"FirstMoved", [] { return Changed([](Drawing &d) { d.pieces.front().x += Px(3); }); }, 1, 0, 2, false, 0},
    {"MiddleMoved", [] { return Changed([](Drawing &d) { d.pieces[24].y += 7; }); }, 1, 0, 2, false, 0},
    {"LastMoved", [] { return Changed([](Drawing &d) { d.pieces.back().x -= Px(5); }); }, 1, 0, 2, false, 0},
    {"MiddleRecoloured", [] { return Changed([](Drawing &d) { d.pieces[24].fill = 0x0000FFFF; }); }, 1, 0, 2, false, 0},
    {"MiddleGrows", [] { return Changed([](Drawing &d) { d.pieces[24].extraEdges = 5; }); }, 1, 1, 2},
    {"FirstGrows", [] { return Changed([](Drawing &d) { d.pieces.front().extraEdges = 4; }); }, 1, 1, 2},
    // Its new outline is that of other pieces: their paths are taken.
    {"ThirdShrinks", [] { return Changed([](Drawing &d) { d.pieces[2].extraEdges = 0; }); }, 1, 0, 2},
    {"MiddleRemoved", [] { return Changed([](Drawing &d) { d.pieces.erase(d.pieces.begin() + 24); }); }, 0, 0, 1},
    {"TwoAdded",
     [] {
         return Changed([](Drawing &d) {
             d.pieces.insert(d.pieces.begin() + 10, Piece{Px(60), Px(90), 0x00FF00FF, 4});
             d.pieces.insert(d.pieces.begin() + 11, Piece{Px(80), Px(20), 0xFFFF00FF, 6});
         });
     },
     2, 2, 2},
    {"LastRemoved", [] { return Changed([](Drawing &d) { d.pieces.pop_back(); }); }, 0, 0, 1},
    {"EarlierShapeGrows", [] { return Changed([](Drawing &d) { d.badge.extraEdges = 3; }); }, 1, 1, 2},
    {"AllMoved",
     [] {
         return Changed([](Drawing &d) {
             for (Piece &piece : d.pieces) {
                 piece.x += Px(1);
             }
         });
     },
     kPieces, 0, kPieces + 1, false, 0},
    {"AllRecoloured",
     [] {
         return Changed([](Drawing &d) {
             for (Piece &piece : d.pieces) {
                 piece.fill ^= 0x00FF0000u;
             }
         });
     },
     kPieces, 0, kPieces + 1, false, 0},
    {"AllMovedAndRecoloured",
     [] {
         return Changed([](Drawing &d) {
             for (Piece &piece : d.pieces) {
                 piece.y -= Px(2);
                 piece.fill = 0x20C040FFu;
             }
         });
     },
     kPieces, 0, kPieces + 1, false, 0},
    // Every outline changes: each is decoded, and built unless another piece had it before.
    {"AllGrown",
     [] {
         return Changed([](Drawing &d) {
             for (Piece &piece : d.pieces) {
                 ++piece.extraEdges;
             }
         });
     },
     kPieces, kPieces / 3, kPieces + 1},
    {"Truncated",
     [] {
         const std::string bytes = BaseDrawing().Bytes();
         return bytes.substr(0, bytes.size() * 2 / 3);
     },
     1, 1, 2 * (kPieces + 1), true},
    {"NotAMovie", [] { return std::string("FWS not a movie"); }, 0, 0, 0},
};

class ChangedLoad : public testing::TestWithParam<ChangeCase> {};

// Loaded after the base drawing, the change reads only the groups it changed and looks at no
// other one by one, nor does its render; loaded after it, the base drawing again shows as it
// did. Every picture is a fresh player's.
TEST_P(ChangedLoad, ReadsOnlyTheChangedGroupsAndShowsWhatAFreshPlayerShows)
{
    const ChangeCase &change = GetParam();
    const std::string base = BaseDrawing().Bytes();
    const std::string changed = change.bytes();
    for (const char *quality : {"low", "high"}) {
        platform::MoviePlayer player;
        player.SetQuality2(quality);
        player.SetMovieBytes("canvas", base);
        ASSERT_EQ(Shown(player), Fresh(base, quality)) << quality;

        // Unloaded first, as the canvas is before each movie is written: the last movie is still
        // what the next one is compared with.
        player.SetMovie("no such movie");
        ASSERT_EQ(player.TotalFrames(), 0);
        const platform::PlayerStats before = player.Stats();
        player.SetMovieBytes("canvas", changed);
        const int64_t read = player.Stats().groupsRead - before.groupsRead;
        const int64_t built = player.Stats().groupsBuilt - before.groupsBuilt;
        const int64_t decoded = player.Stats().groupsDecoded - before.groupsDecoded;
        if (change.atMost) {
            EXPECT_LE(read, change.read) << quality;
            EXPECT_LE(built, change.built) << quality;
        } else {
            EXPECT_EQ(read, change.read) << quality;
            EXPECT_EQ(built, change.built) << quality;
        }
        EXPECT_EQ(decoded, change.decoded < 0 ? read : change.decoded) << quality;
        // Rendered, the change is compared with the last picture item by item only where it
        // replaced groups.
        const platform::PlayerStats loaded = player.Stats();
        EXPECT_EQ(Shown(player), Fresh(changed, quality)) << quality;
        EXPECT_LE(player.Stats().itemsMade + player.Stats().itemsCompared - loaded.itemsMade - loaded.itemsCompared,
                  change.items)
            << quality;

        player.SetMovieBytes("canvas", base);
        EXPECT_EQ(Shown(player), Fresh(base, quality)) << quality << " back";
    }
}

INSTANTIATE_TEST_SUITE_P(Changes, ChangedLoad, testing::ValuesIn(kChanges),
                         [](const testing::TestParamInfo<ChangeCase> &info) { return std::string(info.param.name); });

// Edits one after another in a random order, as a long session makes them: each load shows
// what a fresh player shows, whichever groups the loads before it kept.
// The player is left idle now and then, giving back the room it keeps for loads to come.
TEST(ChangedLoads, ARandomSessionOfEditsAlwaysShowsWhatAFreshPlayerShows)
{
    std::mt19937 random(5);
    auto pick = [&random](int count) { return static_cast<int>(random() % static_cast<uint32_t>(count)); };
    Drawing drawing = BaseDrawing();
    platform::MoviePlayer player;
    player.SetQuality2("low");
    for (int step = 0; step < 60; ++step) {
        const int at = pick(static_cast<int>(drawing.pieces.size()));
        switch (pick(6)) {
        case 0:
            drawing.pieces[static_cast<size_t>(at)].x += Px(pick(7) - 3);
            break;
        case 1:
            drawing.pieces[static_cast<size_t>(at)].fill ^= 0x40000000u;
            break;
        case 2:
            drawing.pieces[static_cast<size_t>(at)].extraEdges = pick(5);
            break;
        case 3:
            if (drawing.pieces.size() > 2) {
                drawing.pieces.erase(drawing.pieces.begin() + at);
            }
            break;
        case 4:
            drawing.pieces.insert(drawing.pieces.begin() + at,
                                  Piece{Px(pick(170)), Px(pick(170)), 0x30A030FFu, pick(4)});
            break;
        default:
            for (Piece &piece : drawing.pieces) {
                piece.y += Px(1);
            }
            break;
        }
        const std::string bytes = drawing.Bytes();
        player.SetMovieBytes("canvas", bytes);
        ASSERT_EQ(Shown(player), Fresh(bytes, "low")) << "step " << step;
        if (step % 7 == 6) {
            player.ReleaseSpareRoom();  // as the window does when left idle
        }
    }
}

// A drawing of many pieces recoloured whole again and again, as the colour palette does with every
// path selected, then thinned out and recoloured once more: the recoloured groups (made on several
// threads) take the paths of the ones they replace, and each load shows what a fresh player shows.
TEST(ChangedLoads, ManyPiecesRecolouredAgainAndAgainShowWhatAFreshPlayerShows)
{
    Drawing drawing;
    for (int i = 0; i < 5000; ++i) {
        drawing.pieces.push_back({Px((i * 37) % 170), Px((i * 53) % 170), static_cast<uint32_t>(i * 5) << 24 | 0x8080FFu, i % 3});
    }
    platform::MoviePlayer player;
    player.SetQuality2("low");
    player.SetMovieBytes("canvas", drawing.Bytes());
    const struct {
        const char *name;
        bool recolour;  // else every other piece is removed
    } steps[] = {{"recoloured", true}, {"recoloured again", true}, {"back", true}, {"thinned", false}, {"recoloured thinned", true}};
    for (const auto &step : steps) {
        SCOPED_TRACE(step.name);
        if (step.recolour) {
            for (Piece &piece : drawing.pieces) {
                piece.fill ^= 0x00FF0000u;
            }
        } else {
            for (size_t i = 0; i < drawing.pieces.size(); ++i) {
                drawing.pieces.erase(drawing.pieces.begin() + static_cast<ptrdiff_t>(i));
            }
        }
        const std::string bytes = drawing.Bytes();
        const platform::PlayerStats before = player.Stats();
        player.SetMovieBytes("canvas", bytes);
        if (step.recolour) {
            EXPECT_EQ(player.Stats().groupsDecoded - before.groupsDecoded, 0) << "no outline decoded again";
        }
        ASSERT_EQ(Shown(player), Fresh(bytes, "low"));
    }
}

// A movie taken over while someone else still holds it (a worker drawing it) is left whole: the
// new movie copies what it takes, and has the same groups as one that moved them.
TEST(ChangedLoads, APreviousMovieHeldElsewhereIsLeftWhole)
{
    using platform::swf::MovieGroups;
    using platform::swf::ParseMovie;
    using platform::swf::PlacedGroup;
    using platform::swf::ShapeCharacter;
    using ParsedMovie = platform::swf::Movie;
    const std::string base = BaseDrawing().Bytes();
    const std::string changed = Changed([](Drawing &d) { d.pieces[24].extraEdges = 4; });
    auto groupsOf = [](const ParsedMovie &movie) { return std::get<ShapeCharacter>(*movie.Find(1)).groups; };
    for (bool owned : {false, true}) {
        MovieGroups kept;
        std::shared_ptr<ParsedMovie> previous = ParseMovie(base, {&kept});
        const std::vector<PlacedGroup> before = groupsOf(*previous);
        const std::unique_ptr<ParsedMovie> next = ParseMovie(changed, {&kept, {}, nullptr, previous.get(), owned});
        const std::vector<PlacedGroup> after = groupsOf(*next);
        ASSERT_EQ(after.size(), before.size()) << owned;
        for (size_t i = 0; i < after.size(); ++i) {
            EXPECT_EQ(after[i].group == before[i].group, i != 24) << owned << " group " << i;
            EXPECT_EQ(after[i].offset, before[i].offset) << owned << " group " << i;
        }
        if (!owned) {
            const std::vector<PlacedGroup> still = groupsOf(*previous);
            ASSERT_EQ(still.size(), before.size());
            EXPECT_TRUE(std::equal(still.begin(), still.end(), before.begin(),
                                   [](const PlacedGroup &a, const PlacedGroup &b) { return a.group == b.group; }));
        }
    }
}

// What a player keeps of a drawing per style group (its drawn group, slot, index entries and
// share of the movie's bytes) stays within a bound, after a load that changed every group too;
// the movie's bytes are kept once.
TEST(ChangedLoads, BytesHeldPerGroupStayWithinABound)
{
    using platform::swf::HeldBytes;
    using platform::swf::MovieGroups;
    using platform::swf::ParseMovie;
    using platform::swf::ShapeCharacter;
    using ParsedMovie = platform::swf::Movie;
    constexpr size_t kMostBytesPerGroup = 1200;
    const std::function<void(Drawing &)> changes[] = {
        [](Drawing &) {},
        [](Drawing &d) {
            for (Piece &piece : d.pieces) {
                piece.x += Px(1);
                piece.fill ^= 0x00FF0000u;
            }
        },
    };
    MovieGroups kept;
    std::shared_ptr<ParsedMovie> movie;
    for (const auto &change : changes) {
        Drawing drawing = BaseDrawing();
        for (int copy = 0; copy < 20; ++copy) {  // 960 pieces
            drawing.pieces.insert(drawing.pieces.end(), drawing.pieces.begin(), drawing.pieces.begin() + kPieces);
        }
        change(drawing);
        const std::string movieBytes = drawing.Bytes();
        movie = ParseMovie(movieBytes, {&kept, {}, nullptr, movie.get(), movie.use_count() == 1});
        ASSERT_TRUE(movie);
        EXPECT_LE(kept.body.capacity() + kept.loadingBody.capacity(), movieBytes.size() + 32)
            << kept.body.capacity() << " + " << kept.loadingBody.capacity();
        size_t bytes = kept.HeldBytes();
        size_t groups = 0;
        std::unordered_map<const void *, bool> drawn;
        for (uint16_t id : {1, 2}) {
            for (const platform::swf::PlacedGroup &placed : std::get<ShapeCharacter>(*movie->Find(id)).groups) {
                bytes += sizeof placed + (drawn.emplace(placed.group.get(), true).second ? HeldBytes(*placed.group) : 0);
                ++groups;
            }
        }
        ASSERT_EQ(groups, drawing.pieces.size() + 1);
        EXPECT_LE(bytes / groups, kMostBytesPerGroup) << bytes / groups;
    }
    // Left idle after a load that replaced every group, the player holds slots for its groups alone.
    ASSERT_FALSE(kept.freeSlots.empty());
    const size_t heldBefore = kept.HeldBytes();
    kept.Trim();
    EXPECT_TRUE(kept.freeSlots.empty());
    EXPECT_EQ(kept.rawGroups.capacity(), kept.order.size());
    EXPECT_LT(kept.HeldBytes(), heldBefore);
}

}  // namespace
