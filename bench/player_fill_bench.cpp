// Fills whose rows hold thousands of edges, rendered afresh by the canvas player at quality
// "high": a closed star of 17,000 anchors with spikes of 1,000 pixels drawn into views of
// 320 x 240 to 1280 x 960, and a long fill of 17,000 bulging curves drawn into 800 x 600. The
// render time should grow with the edges times the rows they cross. The star's movie is also
// written and loaded again after each change of one anchor. Lines: 10,000 rounded outlines one to
// three pixels wide, drawn by a player that has built none of their outlines yet; and the editor
// benchmarks' drawing drawn first by a new player. Lines whose outlines overlap themselves: an open
// square spiral of 400 anchors one pixel wide over the largest canvas; 400 concentric curved
// lines 100 pixels wide; 100 lines of 65,535 scattered points as wide as a line can be (whose
// outlines exceed every budget).
#include "bench/bench_app.h"
#include "bench/bench_drawing.h"

#include <QImage>
#include <benchmark/benchmark.h>
#include <chrono>
#include <cmath>
#include <ctime>
#include <memory>
#include <random>

namespace {

constexpr int kCanvas = 2200;  // pixels
constexpr int kStarAnchors = 17'000;
constexpr int kBulges = 17'000;

// A closed, filled path through points given in canvas pixels (odd ones quadratic control points
// when curved).
void AddFilledPath(const std::vector<std::pair<double, double>> &points, bool curved)
{
    core::PathRecord path;
    path.Anchors.reserve(points.size());
    for (size_t k = 0; k < points.size(); ++k) {
        const int16_t kind = curved && k % 2 ? core::kControlPoint : core::kOnCurve;
        path.Anchors.push_back({static_cast<int32_t>(points[k].first * 20), static_cast<int32_t>(points[k].second * 20),
                                kind});
    }
    path.blClosed = true;
    path.FillType = core::kFillSolid;
    path.FillColor = 0xFF5A1E14u;
    path.LineMode = 0;
    core::Doc().DocPaths.push_back(std::move(path));
}

// Renders the whole canvas into a width x height view once per iteration, nothing kept.
void RenderIntoView(benchmark::State &state, benchsupport::CanvasHost &host, int width, int height)
{
    movie::MakeCanvasMovie();
    movie::LoadCanvasMovieInto(host.player, core::Doc().CanvasTempFile);
    QImage view(width, height, QImage::Format_RGB32);
    int32_t background = 0xFFFFFF;
    for (auto _ : state) {
        background ^= 1;  // a new background: nothing of the last picture is kept
        host.player.SetBackgroundColor(background);
        host.player.Render(view, view.rect());
    }
    core::SetHost(nullptr);
}

void AddSpikyStar()
{
    std::vector<std::pair<double, double>> points;
    for (int k = 0; k < kStarAnchors; ++k) {
        const double angle = k * 2 * M_PI / kStarAnchors;
        const double reach = k % 2 ? 1090.0 : 90.0;
        points.push_back({kCanvas / 2 + reach * std::cos(angle), kCanvas / 2 + reach * std::sin(angle)});
    }
    AddFilledPath(points, false);
}

void BM_SpikyStar(benchmark::State &state)
{
    benchsupport::CanvasHost host;
    benchsupport::StartCanvas(host, kCanvas, kCanvas);
    AddSpikyStar();
    const int width = static_cast<int>(state.range(0));
    RenderIntoView(state, host, width, width * 3 / 4);
}

// Writing the canvas movie after one anchor of the star moved (the whole path is encoded
// again), then loading it into the player; each stage's mean milliseconds are counters.
void BM_SpikyStarWriteAndLoad(benchmark::State &state)
{
    benchsupport::CanvasHost host;
    benchsupport::StartCanvas(host, kCanvas, kCanvas);
    AddSpikyStar();
    movie::MakeCanvasMovie();
    movie::LoadCanvasMovieInto(host.player, core::Doc().CanvasTempFile);
    using Clock = std::chrono::steady_clock;
    double writeMs = 0;
    double loadMs = 0;
    int32_t dx = 20;
    for (auto _ : state) {
        core::MoveAnchor(dx, 0, 1, 0);
        dx = -dx;
        const auto start = Clock::now();
        movie::MakeCanvasMovie();
        const auto written = Clock::now();
        movie::LoadCanvasMovieInto(host.player, core::Doc().CanvasTempFile);
        const auto loaded = Clock::now();
        writeMs += std::chrono::duration<double, std::milli>(written - start).count();
        loadMs += std::chrono::duration<double, std::milli>(loaded - written).count();
    }
    const double n = static_cast<double>(state.iterations());
    state.counters["write_ms"] = writeMs / n;
    state.counters["load_ms"] = loadMs / n;
    core::SetHost(nullptr);
}

// At quality "high" (2) the fill is drawn whole, with anti-aliasing; at "low" (0) it is cut into
// tiles.
void BM_BulgingFill(benchmark::State &state)
{
    benchsupport::CanvasHost host;
    benchsupport::StartCanvas(host, kCanvas, kCanvas);
    core::Doc().CurrentSettings.Quality = static_cast<int16_t>(state.range(0));
    std::vector<std::pair<double, double>> points;
    for (int k = 0; k < 2 * kBulges; ++k) {
        const double angle = k * M_PI / kBulges;
        const double reach = k % 2 ? 1000.0 : 700.0;  // each curve bulges far out between two anchors
        points.push_back({kCanvas / 2 + reach * std::cos(angle), kCanvas / 2 + reach * std::sin(angle)});
    }
    AddFilledPath(points, true);
    RenderIntoView(state, host, 800, 600);
}

// Each iteration loads the movie into a new player (untimed) and draws it once into 1000 x 800:
// every line's outline is built. The counter outline_elements counts the elements built.
void BM_WideLinesFirstDrawn(benchmark::State &state)
{
    constexpr int kLineCanvas = 1638;
    benchsupport::CanvasHost host;
    benchsupport::StartCanvas(host, kLineCanvas, kLineCanvas);
    std::mt19937 random(7);
    for (int i = 0; i < 10'000; ++i) {
        core::Doc().DocPaths.push_back(benchsupport::RoundedOutline(random, kLineCanvas, i));
    }
    movie::MakeCanvasMovie();
    QImage view(1000, 800, QImage::Format_RGB32);
    int64_t elements = 0;
    for (auto _ : state) {
        state.PauseTiming();
        auto player = std::make_unique<platform::MoviePlayer>();
        movie::LoadCanvasMovieInto(*player, core::Doc().CanvasTempFile);
        state.ResumeTiming();
        player->Render(view, view.rect());
        elements += player->Stats().outlineElementsBuilt;
    }
    state.counters["outline_elements"] = static_cast<double>(elements) / static_cast<double>(state.iterations());
    core::SetHost(nullptr);
}

// The editor benchmarks' drawing of 100,000 paths (fills of every kind, lines one to three pixels
// wide), loaded into a new player (untimed) and drawn once into 1400 x 900 at full size, as the
// canvas first shows it after opening. cpu_all_ms is the process CPU time of the render (all
// threads), which varies less than the wall-clock time on a machine others use too.
void BM_EditorDrawingFirstDrawn(benchmark::State &state)
{
    benchsupport::CanvasHost host;
    benchsupport::StartCanvas(host, benchsupport::kEditorCanvas, benchsupport::kEditorCanvas);
    core::Doc().DocPaths = benchsupport::MakeEditorPaths(static_cast<int>(state.range(0)), 7);
    movie::MakeCanvasMovie();
    QImage view(1400, 900, QImage::Format_RGB32);
    const QRect canvas(0, 0, benchsupport::kEditorCanvas, benchsupport::kEditorCanvas);
    auto cpuSeconds = [] {
        timespec now{};
        clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
        return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
    };
    double cpu = 0;
    for (auto _ : state) {
        state.PauseTiming();
        auto player = std::make_unique<platform::MoviePlayer>();
        movie::LoadCanvasMovieInto(*player, core::Doc().CanvasTempFile);
        state.ResumeTiming();
        const double start = cpuSeconds();
        player->Render(view, canvas);
        cpu += cpuSeconds() - start;
    }
    state.counters["cpu_all_ms"] = cpu * 1e3 / static_cast<double>(state.iterations());
    core::SetHost(nullptr);
}

constexpr int kLargestCanvas = 3276;  // pixels: 65,535 twips

// Renders the whole canvas of the document into a new player's view of width x height pixels
// showing the canvas at zoom (the canvas's top left at the view's), once per iteration.
void RenderAtZoom(benchmark::State &state, int width, int height, double zoom)
{
    movie::MakeCanvasMovie();
    QImage view(width, height, QImage::Format_RGB32);
    const int side = static_cast<int>(core::Doc().CurrentSettings.Width * zoom);
    for (auto _ : state) {
        state.PauseTiming();
        auto player = std::make_unique<platform::MoviePlayer>();
        movie::LoadCanvasMovieInto(*player, core::Doc().CanvasTempFile);
        state.ResumeTiming();
        player->Render(view, QRect(0, 0, side, side));
    }
    core::SetHost(nullptr);
}

core::PathRecord OpenLine(int32_t widthTwips)
{
    core::PathRecord path;
    path.LineMode = 1;
    path.LineWidth = widthTwips;
    path.LineColor = 0xFF402010u;
    path.FillType = core::kFillNone;
    return path;
}

// One open square spiral of 400 anchors (legs 8 pixels shorter each turn), one pixel wide, drawn
// into the whole largest canvas at quality high (2) or low (0).
void BM_SquareSpiral(benchmark::State &state)
{
    benchsupport::CanvasHost host;
    benchsupport::StartCanvas(host, kLargestCanvas, kLargestCanvas);
    core::Doc().CurrentSettings.Quality = static_cast<int16_t>(state.range(0));
    core::PathRecord path = OpenLine(20);
    int32_t x = 20 * 20;
    int32_t y = 20 * 20;
    for (int k = 0; k < 400; ++k) {
        path.Anchors.push_back({x, y, core::kOnCurve});
        const int32_t leg = (3200 - 8 * (k / 2)) * 20;
        const int dx[] = {1, 0, -1, 0};
        const int dy[] = {0, 1, 0, -1};
        x += dx[k % 4] * leg;
        y += dy[k % 4] * leg;
    }
    core::Doc().DocPaths.push_back(std::move(path));
    RenderAtZoom(state, kLargestCanvas, kLargestCanvas, 1.0);
}

// 400 concentric circles of 1,000 quadratic curves each, 100 pixels wide, into a 1600 x 1000
// view at 100 % (arg 1) and 400 % (arg 4).
void BM_ConcentricWideCurves(benchmark::State &state)
{
    benchsupport::CanvasHost host;
    benchsupport::StartCanvas(host, kLargestCanvas, kLargestCanvas);
    constexpr int kCurves = 1000;
    for (int i = 0; i < 400; ++i) {
        core::PathRecord path = OpenLine(2000);
        path.blClosed = true;
        const double r = (20 + 4 * i) * 20.0;
        for (int k = 0; k < 2 * kCurves; ++k) {
            const double angle = k * M_PI / kCurves;
            const double reach = k % 2 ? r / std::cos(M_PI / kCurves) : r;
            path.Anchors.push_back({static_cast<int32_t>(kLargestCanvas * 10 + reach * std::cos(angle)),
                                    static_cast<int32_t>(kLargestCanvas * 10 + reach * std::sin(angle)),
                                    static_cast<int16_t>(k % 2 ? core::kControlPoint : core::kOnCurve)});
        }
        core::Doc().DocPaths.push_back(std::move(path));
    }
    RenderAtZoom(state, 1600, 1000, static_cast<double>(state.range(0)));
}

// 100 open lines of 65,535 points scattered over the largest canvas, 65,535 twips wide, into a
// 1600 x 1000 view at 100 %.
void BM_ScatteredWidestLines(benchmark::State &state)
{
    benchsupport::CanvasHost host;
    benchsupport::StartCanvas(host, kLargestCanvas, kLargestCanvas);
    std::mt19937 random(11);
    std::uniform_int_distribution<int32_t> position(0, kLargestCanvas * 20);
    for (int i = 0; i < 100; ++i) {
        core::PathRecord path = OpenLine(65535);
        for (int k = 0; k < 65535; ++k) {
            path.Anchors.push_back({position(random), position(random), core::kOnCurve});
        }
        core::Doc().DocPaths.push_back(std::move(path));
    }
    RenderAtZoom(state, 1600, 1000, 1.0);
}

BENCHMARK(BM_SquareSpiral)->Arg(2)->Arg(0)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ConcentricWideCurves)->Arg(1)->Arg(4)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ScatteredWidestLines)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_SpikyStar)->Arg(320)->Arg(640)->Arg(1280)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_SpikyStarWriteAndLoad)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_BulgingFill)->Arg(2)->Arg(0)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_WideLinesFirstDrawn)->Iterations(5)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_EditorDrawingFirstDrawn)->Arg(10'000)->Arg(100'000)->Iterations(5)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
