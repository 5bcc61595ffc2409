// The canvas cycle after one edit: writing the canvas movie (warm caches, one path changed),
// loading it into the player and rendering it, for a 1638 x 1638 canvas at 100 % zoom and
// quality "high". Each stage's mean time is reported as a counter (milliseconds), wall-clock and
// the process's CPU time (all threads), the latter comparable on a busy machine.
#include "bench/bench_app.h"
#include "bench/bench_drawing.h"

#include <QImage>
#include <benchmark/benchmark.h>
#include <chrono>
#include <cmath>
#include <random>
#include <time.h>

namespace {

constexpr int kCanvas = 1638;

using BenchHost = benchsupport::CanvasHost;

// Rounded outlines with solid fills spread over the canvas.
void MakeDrawing(int count)
{
    core::Document &doc = core::Doc();
    std::mt19937 random(7);
    std::uniform_int_distribution<uint32_t> colour(0, 0xFFFFFF);
    for (int i = 0; i < count; ++i) {
        core::PathRecord path = benchsupport::RoundedOutline(random, kCanvas, i);
        path.FillType = core::kFillSolid;
        path.FillColor = 0xFF000000u | colour(random);
        doc.DocPaths.push_back(std::move(path));
    }
}

double Milliseconds(std::chrono::steady_clock::duration d)
{
    return std::chrono::duration<double, std::milli>(d).count();
}

double ProcessCpuMilliseconds()
{
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) * 1e3 + static_cast<double>(now.tv_nsec) / 1e6;
}

// Wall-clock and CPU milliseconds of the three stages, summed over the iterations.
struct StageTimes {
    double wall[3] = {};
    double cpu[3] = {};
};

// A fresh drawing of count paths, with the host installed and the movie writer's caches empty.
void StartDrawing(BenchHost &host, int count)
{
    benchsupport::StartCanvas(host, kCanvas, kCanvas);
    MakeDrawing(count);
}

// The three stages after each change of the drawing, timed apart.
template <typename Change>
void RunCycles(benchmark::State &state, Change change)
{
    BenchHost host;
    StartDrawing(host, static_cast<int>(state.range(0)));
    QImage canvas(kCanvas, kCanvas, QImage::Format_RGB32);
    auto cycle = [&](StageTimes &times) {
        auto stage = [&times](int index, auto &&work) {
            const auto wallStart = std::chrono::steady_clock::now();
            const double cpuStart = ProcessCpuMilliseconds();
            work();
            times.cpu[index] += ProcessCpuMilliseconds() - cpuStart;
            times.wall[index] += Milliseconds(std::chrono::steady_clock::now() - wallStart);
        };
        stage(0, [] { movie::MakeCanvasMovie(); });
        stage(1, [&] { movie::LoadCanvasMovieInto(host.player, core::Doc().CanvasTempFile); });
        stage(2, [&] { host.player.Render(canvas, canvas.rect()); });
    };
    StageTimes warmUp;
    cycle(warmUp);  // caches warm
    StageTimes times;
    for (auto _ : state) {
        change();
        cycle(times);
    }
    const double n = static_cast<double>(state.iterations());
    const char *names[] = {"write", "load", "render"};
    double wallTotal = 0;
    double cpuTotal = 0;
    for (int i = 0; i < 3; ++i) {
        state.counters[std::string(names[i]) + "_ms"] = times.wall[i] / n;
        state.counters[std::string(names[i]) + "_cpu_ms"] = times.cpu[i] / n;
        wallTotal += times.wall[i];
        cpuTotal += times.cpu[i];
    }
    state.counters["total_ms"] = wallTotal / n;
    state.counters["total_cpu_ms"] = cpuTotal / n;
    core::SetHost(nullptr);
}

void BM_CanvasCycle(benchmark::State &state)
{
    int changed = 1;
    RunCycles(state, [&changed] {
        core::MoveAnchor(20, 0, changed, 0);  // one path changed
        changed = changed % core::Doc().DocPathCount() + 1;
    });
}

// Every path moved by a pixel, right and back in turn.
void BM_CanvasMoveAll(benchmark::State &state)
{
    int32_t dx = 20;
    RunCycles(state, [&dx] {
        for (int32_t i = 1; i <= core::Doc().DocPathCount(); ++i) {
            for (int32_t k = 0; k <= core::Doc().DocPaths[static_cast<size_t>(i)].AnchorMax(); ++k) {
                core::MoveAnchor(dx, 0, i, k);
            }
        }
        dx = -dx;
    });
}

// Renders the picture into canvas once per iteration with nothing of the last picture kept (the
// background colour alternates between two whites to force it), counting the CPU time of all
// threads.
void RenderAfresh(benchmark::State &state, platform::MoviePlayer &player, QImage &canvas, const QRect &picture)
{
    double cpu = 0;
    int32_t background = 0xFFFFFF;
    for (auto _ : state) {
        background ^= 1;
        player.SetBackgroundColor(background);
        const double cpuStart = ProcessCpuMilliseconds();
        player.Render(canvas, picture);
        cpu += ProcessCpuMilliseconds() - cpuStart;
    }
    state.counters["render_cpu_ms"] = cpu / static_cast<double>(state.iterations());
}

// Rendering the whole canvas afresh, as after a zoom or a scroll.
void BM_CanvasRedraw(benchmark::State &state)
{
    BenchHost host;
    StartDrawing(host, static_cast<int>(state.range(0)));
    movie::MakeCanvasMovie();
    movie::LoadCanvasMovieInto(host.player, core::Doc().CanvasTempFile);
    QImage canvas(kCanvas, kCanvas, QImage::Format_RGB32);
    RenderAfresh(state, host.player, canvas, canvas.rect());
    core::SetHost(nullptr);
}

// Writing the canvas movie alone after every path was recoloured (a whole write), each time to a
// colour not drawn before. Counters: the calling thread's CPU time and that of all threads, per
// write.
void BM_CanvasWholeWrite(benchmark::State &state)
{
    BenchHost host;
    StartDrawing(host, static_cast<int>(state.range(0)));
    movie::MakeCanvasMovie();
    double threadCpu = 0;
    double processCpu = 0;
    for (auto _ : state) {
        state.PauseTiming();
        for (core::PathRecord &path : core::Doc().DocPaths) {
            path.FillColor = 0xFF000000u | ((path.FillColor + 0x010101u) & 0xFFFFFFu);
        }
        state.ResumeTiming();
        timespec threadStart{};
        clock_gettime(CLOCK_THREAD_CPUTIME_ID, &threadStart);
        const double processStart = ProcessCpuMilliseconds();
        movie::MakeCanvasMovie();
        processCpu += ProcessCpuMilliseconds() - processStart;
        timespec threadEnd{};
        clock_gettime(CLOCK_THREAD_CPUTIME_ID, &threadEnd);
        threadCpu += static_cast<double>(threadEnd.tv_sec - threadStart.tv_sec) * 1e3 +
                     static_cast<double>(threadEnd.tv_nsec - threadStart.tv_nsec) / 1e6;
    }
    const double n = static_cast<double>(state.iterations());
    state.counters["main_cpu_ms"] = threadCpu / n;
    state.counters["all_cpu_ms"] = processCpu / n;
    core::SetHost(nullptr);
}

BENCHMARK(BM_CanvasCycle)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_CanvasMoveAll)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_CanvasRedraw)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_CanvasWholeWrite)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond)->UseRealTime();

// Loading the canvas movie after paths of count changed: the drawing's paths cycle through the
// fill kinds as the editor benchmarks' do; one path from the middle (second argument 0) or every
// path (1) moves right and back in turn, or every path takes a new fill colour (2); only
// SetMovieBytes is timed. Counters: the load in milliseconds, the movie's size,
// and the style groups read, built, taken one by one and decoded per load.
void BM_LoadChangedCanvasMovie(benchmark::State &state)
{
    BenchHost host;
    benchsupport::StartCanvas(host, kCanvas, kCanvas);
    const int count = static_cast<int>(state.range(0));
    std::mt19937 random(7);
    std::uniform_int_distribution<uint32_t> colour(0, 0xFFFFFF);
    for (int i = 0; i < count; ++i) {
        core::PathRecord path = benchsupport::RoundedOutline(random, kCanvas, i);
        path.FillType = static_cast<int16_t>(i % 5);
        path.FillColor = 0xFF000000u | colour(random);
        path.GradColor = 0xFF000000u | colour(random);
        core::Doc().DocPaths.push_back(std::move(path));
    }
    platform::MoviePlayer player;
    auto written = [] {
        movie::MakeCanvasMovie();
        return std::string(movie::CanvasMovieBytes(core::Doc().CanvasTempFile));
    };
    std::string bytes = written();
    player.SetMovieBytes("canvas", bytes);
    const int64_t change = state.range(1);
    const int32_t moved = count / 2;
    int32_t dx = 20;
    double loadMs = 0;
    const platform::PlayerStats before = player.Stats();
    for (auto _ : state) {
        const int32_t first = change == 0 ? moved : 1;
        const int32_t last = change == 0 ? moved : core::Doc().DocPathCount();
        for (int32_t i = first; i <= last; ++i) {
            core::PathRecord &path = core::Doc().DocPaths[static_cast<size_t>(i)];
            if (change == 2) {
                path.FillColor ^= 0x00FFFFFFu;
                continue;
            }
            for (int32_t k = 0; k <= path.AnchorMax(); ++k) {
                core::MoveAnchor(dx, 0, i, k);
            }
        }
        dx = -dx;
        bytes = written();
        const auto start = std::chrono::steady_clock::now();
        player.SetMovieBytes("canvas", bytes);
        const auto elapsed = std::chrono::steady_clock::now() - start;
        state.SetIterationTime(std::chrono::duration<double>(elapsed).count());
        loadMs += Milliseconds(elapsed);
    }
    const double n = static_cast<double>(state.iterations());
    state.counters["load_ms"] = loadMs / n;
    state.counters["movie_KB"] = static_cast<double>(bytes.size()) / 1024.0;
    state.counters["groups_read"] = static_cast<double>(player.Stats().groupsRead - before.groupsRead) / n;
    state.counters["groups_built"] = static_cast<double>(player.Stats().groupsBuilt - before.groupsBuilt) / n;
    state.counters["groups_taken"] = static_cast<double>(player.Stats().groupsTaken - before.groupsTaken) / n;
    state.counters["groups_decoded"] = static_cast<double>(player.Stats().groupsDecoded - before.groupsDecoded) / n;
    core::SetHost(nullptr);
}

BENCHMARK(BM_LoadChangedCanvasMovie)
    ->ArgsProduct({{10000, 100000}, {0, 1, 2}})
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime();

// One closed path of a million anchors (on-curve and control points alternating), a spiky ring
// around the canvas centre, filled and stroked 1 pixel wide, loaded once and rendered afresh at
// 100 % (the whole canvas) or 400 % (a sixteenth of the picture, across the ring).
void BM_MillionAnchorPath(benchmark::State &state)
{
    constexpr int kAnchors = 1'000'000;
    BenchHost host;
    benchsupport::StartCanvas(host, kCanvas, kCanvas);
    std::mt19937 random(11);
    std::uniform_real_distribution<double> jitter(0.8, 1.0);
    core::PathRecord path;
    path.Anchors.reserve(kAnchors);
    const double centre = kCanvas * 10.0;
    const double radius = kCanvas * 9.0;
    for (int k = 0; k < kAnchors; ++k) {
        const double angle = k * 2 * M_PI / kAnchors;
        const double reach = radius * (k % 2 ? 1.0 : jitter(random));
        path.Anchors.push_back({static_cast<int32_t>(centre + reach * std::cos(angle)),
                                static_cast<int32_t>(centre + reach * std::sin(angle)),
                                static_cast<int16_t>(k % 2 ? core::kControlPoint : core::kOnCurve)});
    }
    path.blClosed = true;
    path.FillType = core::kFillSolid;
    path.FillColor = 0xFF3465A4u;
    path.LineMode = 1;
    path.LineWidth = 20;
    path.LineColor = 0xFF000000u;
    core::Doc().DocPaths.push_back(std::move(path));
    movie::MakeCanvasMovie();
    movie::LoadCanvasMovieInto(host.player, core::Doc().CanvasTempFile);
    const int zoom = static_cast<int>(state.range(0));
    QImage canvas(kCanvas, kCanvas, QImage::Format_RGB32);
    // At 400 % the picture is four times the canvas; the canvas shows the part from 0.1 to 0.35
    // of its width and height.
    const QRect picture = zoom == 100 ? canvas.rect()
                                      : QRect(-kCanvas * 4 / 10, -kCanvas * 4 / 10, kCanvas * 4, kCanvas * 4);
    RenderAfresh(state, host.player, canvas, picture);
    core::SetHost(nullptr);
}

BENCHMARK(BM_MillionAnchorPath)->Arg(100)->Arg(400)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(3);

}  // namespace
