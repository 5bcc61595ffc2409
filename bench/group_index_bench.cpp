// Loading a movie of 100,000 small style groups into a fresh player, when the groups were chosen
// to crowd the player's group index and when they were not. The groups differ only in their
// line colour: the crowded ones have colours whose group hash, as a player with a fixed, publicly
// known hash would compute it, falls into one narrow run of the index's slots; the others have
// colours chosen without regard to any hash. A player whose hashes are seeded anew in every process
// loads both alike.
#include "platform/player/movie_player.h"
#include "tests/platform/player/swf_builder.h"

#include <benchmark/benchmark.h>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

namespace {

constexpr int kGroups = 100000;
constexpr int kColumns = 320;
constexpr int kStep = 60;        // twips between groups
constexpr int kSide = 200;       // twips: each group is a small triangle outline
constexpr uint16_t kWidth = 20;  // twips
constexpr uint64_t kIndexSlots = uint64_t{1} << 18;  // the index's size for 100,000 groups
constexpr uint64_t kCrowdedSlots = 2048;             // the run the crowded hashes fall into

// A fixed-seed multiply-xorshift hash over the values of a group, as a player without a
// per-process seed would compute it for a group of one line style and three straight edges.
class FixedHash {
public:
    explicit FixedHash(uint64_t seed) : hash_(seed) {}
    template <typename Value>
    void Mix(Value value)
    {
        uint64_t word = 0;
        std::memcpy(&word, &value, sizeof value);
        hash_ = (hash_ ^ word) * 0x9E3779B97F4A7C15ull;
        hash_ ^= hash_ >> 29;
    }
    uint64_t Value() const { return hash_; }

private:
    uint64_t hash_;
};

uint64_t FixedGeometryHash()
{
    FixedHash hash(0x13198A2E03707344ull);
    hash.Mix(size_t{0});  // no fill styles
    hash.Mix(static_cast<double>(kWidth));
    hash.Mix(-2);
    const double corners[4][2] = {{0, 0}, {kSide, 0}, {0, kSide}, {0, 0}};
    for (int edge = 0; edge < 3; ++edge) {
        hash.Mix(corners[edge][0]);
        hash.Mix(corners[edge][1]);
        hash.Mix(corners[edge + 1][0]);
        hash.Mix(corners[edge + 1][1]);
        hash.Mix(int64_t{0});  // no fills, straight
        hash.Mix(int32_t{1});  // line style 1
    }
    return hash.Value();
}

uint64_t FixedGroupHash(uint32_t argb, uint64_t geometry)
{
    FixedHash hash(0x243F6A8885A308D3ull);
    hash.Mix(-1);
    hash.Mix(argb);
    hash.Mix(geometry);
    return hash.Value();
}

// Line colours (0xRRGGBB) of the groups: crowded, or drawn at random.
std::vector<uint32_t> Colours(bool crowded)
{
    std::vector<uint32_t> colours;
    colours.reserve(kGroups);
    if (crowded) {
        const uint64_t geometry = FixedGeometryHash();
        for (uint32_t rgb = 0; rgb < (1u << 24) && colours.size() < kGroups; ++rgb) {
            const uint64_t key = FixedGroupHash(0xFF000000u | rgb, geometry);
            if (((key ^ key >> 32) & (kIndexSlots - 1)) < kCrowdedSlots) {
                colours.push_back(rgb);
            }
        }
    } else {
        std::mt19937 random(11);
        std::uniform_int_distribution<uint32_t> colour(0, 0xFFFFFF);
        while (colours.size() < kGroups) {
            colours.push_back(colour(random));
        }
    }
    return colours;
}

// A movie of one shape holding a triangle outline per colour, laid out in a grid.
std::string GroupsMovie(const std::vector<uint32_t> &colours)
{
    swftest::Styles first;
    first.Line(kWidth, colours[0] << 8 | 0xFF);
    swftest::Records records;
    for (size_t i = 0; i < colours.size(); ++i) {
        const int32_t x = static_cast<int32_t>(i % kColumns) * kStep;
        const int32_t y = static_cast<int32_t>(i / kColumns) * kStep;
        if (i == 0) {
            records.Move(x, y, -1, -1, 1);
        } else {
            swftest::Styles styles;
            styles.Line(kWidth, colours[i] << 8 | 0xFF);
            records.NewStyles(styles, x, y, 0, 1);
        }
        records.Line(x + kSide, y).Line(x, y + kSide).Line(x, y);
    }
    swftest::Movie movie(kColumns * kStep / 20, kColumns * kStep / 20);
    movie.Shape(1, first, records).Place(1, 1).ShowFrame();
    return movie.Bytes();
}

void LoadGroups(benchmark::State &state, bool crowded)
{
    const std::vector<uint32_t> colours = Colours(crowded);
    if (colours.size() < kGroups) {
        state.SkipWithError("not enough colours found");
        return;
    }
    const std::string file =
        (std::filesystem::temp_directory_path() / (crowded ? "quillark_crowded.swf" : "quillark_spread.swf")).string();
    {
        const std::string bytes = GroupsMovie(colours);
        std::FILE *out = std::fopen(file.c_str(), "wb");
        if (out == nullptr || std::fwrite(bytes.data(), 1, bytes.size(), out) != bytes.size()) {
            state.SkipWithError("cannot write the movie");
            return;
        }
        std::fclose(out);
    }
    for (auto _ : state) {
        platform::MoviePlayer player;
        player.SetMovie(file);
        benchmark::DoNotOptimize(player.TotalFrames());
    }
    std::remove(file.c_str());
    state.counters["groups"] = kGroups;
}

void BM_LoadGroupsCrowdedInTheIndex(benchmark::State &state)
{
    LoadGroups(state, true);
}

void BM_LoadTheSameGroupsWithOtherPens(benchmark::State &state)
{
    LoadGroups(state, false);
}

}  // namespace

BENCHMARK(BM_LoadGroupsCrowdedInTheIndex)->Unit(benchmark::kMillisecond)->Iterations(5)->Repetitions(3);
BENCHMARK(BM_LoadTheSameGroupsWithOtherPens)->Unit(benchmark::kMillisecond)->Iterations(5)->Repetitions(3);
