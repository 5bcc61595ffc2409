// The canvas cycle after one edit: writing the canvas movie (warm caches, one path changed),
// loading it into the player and rendering it, for a 1638 x 1638 canvas at 100 % zoom and
// quality "high". Each stage's mean time is reported as a counter (milliseconds).
#include "core/document.h"
#include "core/host.h"
#include "movie/canvas_movie.h"
#include "movie/movie_writer.h"
#include "platform/base/program_folder.h"
#include "platform/player/movie_player.h"

#include <QGuiApplication>
#include <QImage>
#include <benchmark/benchmark.h>
#include <chrono>
#include <cmath>
#include <random>

namespace {

constexpr int kCanvas = 1638;
constexpr int kAnchorsPerPath = 20;

class BenchHost : public core::Host {
public:
    platform::MoviePlayer player;
    bool GridChecked() const override { return true; }
    platform::MoviePlayer *CanvasPlayer() override { return &player; }
};

// Closed rounded outlines of 20 anchors (on-curve and control points alternating), 10 to 60
// pixels across, filled and stroked, spread over the canvas.
void MakeDrawing(int count)
{
    core::ResetDocumentForTest();
    core::Document &doc = core::Doc();
    doc.CurrentSettings.Width = kCanvas;
    doc.CurrentSettings.Height = kCanvas;
    doc.CurrentSettings.Quality = 2;
    doc.CanvasTempFile = platform::ProgramFile("_canvtemp.tmp");
    std::mt19937 random(7);
    std::uniform_int_distribution<int> position(0, kCanvas * 20);
    std::uniform_int_distribution<int> radius(100, 600);
    std::uniform_int_distribution<uint32_t> colour(0, 0xFFFFFF);
    for (int i = 0; i < count; ++i) {
        core::PathRecord path;
        const int cx = position(random);
        const int cy = position(random);
        const int r = radius(random);
        for (int k = 0; k < kAnchorsPerPath; ++k) {
            const double angle = k * 2 * M_PI / kAnchorsPerPath;
            const double reach = k % 2 ? r * 1.1 : r;
            path.Anchors.push_back({cx + static_cast<int32_t>(reach * std::cos(angle)),
                                    cy + static_cast<int32_t>(reach * std::sin(angle)),
                                    static_cast<int16_t>(k % 2 ? core::kControlPoint : core::kOnCurve)});
        }
        path.blClosed = true;
        path.FillType = core::kFillSolid;
        path.FillColor = 0xFF000000u | colour(random);
        path.LineMode = 1;
        path.LineWidth = 20 + i % 3 * 20;
        path.LineColor = 0xFF000000u;
        doc.DocPaths.push_back(std::move(path));
    }
}

double Milliseconds(std::chrono::steady_clock::duration d)
{
    return std::chrono::duration<double, std::milli>(d).count();
}

// The player paints with Qt's raster engine, which wants an application object.
void EnsureApplication()
{
    static int argc = 1;
    static char name[] = "canvas_movie_bench";
    static char *argv[] = {name, nullptr};
    if (QCoreApplication::instance() == nullptr) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        static QGuiApplication app(argc, argv);
    }
}

void BM_CanvasCycle(benchmark::State &state)
{
    EnsureApplication();
    BenchHost host;
    core::SetHost(&host);
    movie::ResetWriterForTest();
    movie::ResetCanvasMovieForTest();
    MakeDrawing(static_cast<int>(state.range(0)));
    QImage canvas(kCanvas, kCanvas, QImage::Format_RGB32);
    auto cycle = [&](double &write, double &load, double &render) {
        auto t0 = std::chrono::steady_clock::now();
        movie::MakeCanvasMovie();
        auto t1 = std::chrono::steady_clock::now();
        host.player.SetMovie(core::Doc().CanvasTempFile);
        auto t2 = std::chrono::steady_clock::now();
        host.player.Render(canvas, canvas.rect());
        auto t3 = std::chrono::steady_clock::now();
        write += Milliseconds(t1 - t0);
        load += Milliseconds(t2 - t1);
        render += Milliseconds(t3 - t2);
    };
    double write = 0;
    double load = 0;
    double render = 0;
    cycle(write, load, render);  // caches warm
    write = load = render = 0;
    int changed = 1;
    for (auto _ : state) {
        core::MoveAnchor(20, 0, changed, 0);  // one path changed
        changed = changed % core::Doc().DocPathCount() + 1;
        cycle(write, load, render);
    }
    const double n = static_cast<double>(state.iterations());
    state.counters["write_ms"] = write / n;
    state.counters["load_ms"] = load / n;
    state.counters["render_ms"] = render / n;
    state.counters["total_ms"] = (write + load + render) / n;
    core::SetHost(nullptr);
}

BENCHMARK(BM_CanvasCycle)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
