// Fills whose rows hold thousands of edges, rendered afresh by the canvas player at quality
// "high": a closed star of 17,000 anchors with spikes of 1,000 pixels drawn into views of
// 320 x 240 to 1280 x 960, and a long fill of 17,000 bulging curves drawn into 800 x 600. The
// render time should grow with the edges times the rows they cross. The star's movie is also
// written and loaded again after each change of one anchor. Lines: 10,000 rounded outlines one to
// three pixels wide, drawn by a player that has built none of their outlines yet; and the editor
// benchmarks' drawing drawn first by a new player. Lines whose outlines overlap themselves: an open
// square spiral of 400 anchors one pixel wide over the largest canvas (drawn whole, opened at
// 100 % and 400 %, a bucket click on a comb of one such path, the animation preview morphing one
// spiral into another); 400 concentric curved lines 100 pixels wide (opened at 100 % and 400 %,
// exported); a metafile of 100 lines of 65,535 scattered points with the widest pen and with
// narrower ones (whose outlines exceed every budget) read in and shown.
#include "bench/bench_app.h"
#include "bench/bench_drawing.h"
#include "core/bucket_fill.h"
#include "core/drawing_file.h"
#include "import/wmf_importer.h"
#include "movie/canvas_movie_services.h"
#include "toolwindows/animation_preview.h"

#include <QImage>
#include <benchmark/benchmark.h>
#include <chrono>
#include <cmath>
#include <ctime>
#include <filesystem>
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
constexpr int kWindowWidth = 1600;    // the view of a window 1600 x 1000
constexpr int kWindowHeight = 1000;

// The device rect the canvas fills in a view of width x height showing it at zoom, the canvas's
// top left at the view's, or its centre at the view's centre.
QRect CanvasRect(int width, int height, double zoom, bool centred)
{
    const int side = static_cast<int>(core::Doc().CurrentSettings.Width * zoom);
    return centred ? QRect(width / 2 - side / 2, height / 2 - side / 2, side, side) : QRect(0, 0, side, side);
}

// Renders the document's canvas movie into a new player's view of width x height pixels showing
// the canvas at zoom, once per iteration; the player is made and loaded untimed.
void RenderAtZoom(benchmark::State &state, int width, int height, double zoom, bool centred = false)
{
    movie::MakeCanvasMovie();
    QImage view(width, height, QImage::Format_RGB32);
    for (auto _ : state) {
        state.PauseTiming();
        auto player = std::make_unique<platform::MoviePlayer>();
        movie::LoadCanvasMovieInto(*player, core::Doc().CanvasTempFile);
        state.ResumeTiming();
        player->Render(view, CanvasRect(width, height, zoom, centred), movie::CanvasMovieArea(core::Doc().ViewExtent));
    }
    core::SetHost(nullptr);
}

// Opening the document as a drawing file: it is written once (its size is the counter file_kb),
// then each iteration reads it, writes the canvas movie, loads it into a new player and draws a
// width x height view at zoom.
void OpenAtZoom(benchmark::State &state, int width, int height, double zoom, bool centred)
{
    const std::string file = platform::ProgramFile("player_fill_bench.qlk");
    std::string message;
    core::Document &doc = core::Doc();
    core::WriteDrawingFile(file, doc.DocPaths, doc.DocPathCount(), doc.CurrentSettings, message);
    QImage view(width, height, QImage::Format_RGB32);
    int64_t elements = 0;
    for (auto _ : state) {
        core::DrawingFileContents contents;
        contents.Settings = doc.CurrentSettings;
        core::ReadDrawingFile(file, contents, message);
        doc.DocPaths = std::move(contents.Paths);
        movie::MakeCanvasMovie();
        platform::MoviePlayer player;
        movie::LoadCanvasMovieInto(player, doc.CanvasTempFile);
        player.Render(view, CanvasRect(width, height, zoom, centred), movie::CanvasMovieArea(doc.ViewExtent));
        elements += player.Stats().outlineElementsBuilt;
    }
    state.counters["file_kb"] = static_cast<double>(std::filesystem::file_size(file)) / 1024;
    state.counters["outline_elements"] = static_cast<double>(elements) / static_cast<double>(state.iterations());
    std::filesystem::remove(file);
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

// An open square spiral of 400 anchors from the canvas's top left (legs shrinking by shrink
// pixels each half turn), one pixel wide.
core::PathRecord SquareSpiral(int shrink)
{
    core::PathRecord path = OpenLine(20);
    int32_t x = 20 * 20;
    int32_t y = 20 * 20;
    for (int k = 0; k < 400; ++k) {
        path.Anchors.push_back({x, y, core::kOnCurve});
        const int32_t leg = (3200 - shrink * (k / 2)) * 20;
        const int dx[] = {1, 0, -1, 0};
        const int dy[] = {0, 1, 0, -1};
        x += dx[k % 4] * leg;
        y += dy[k % 4] * leg;
    }
    return path;
}

// The square spiral drawn into the whole largest canvas at quality high (2) or low (0).
void BM_SquareSpiral(benchmark::State &state)
{
    benchsupport::CanvasHost host;
    benchsupport::StartCanvas(host, kLargestCanvas, kLargestCanvas);
    core::Doc().CurrentSettings.Quality = static_cast<int16_t>(state.range(0));
    core::Doc().DocPaths.push_back(SquareSpiral(8));
    RenderAtZoom(state, kLargestCanvas, kLargestCanvas, 1.0);
}

// The square spiral opened into a window's view at 100 % (arg 1) and 400 % (arg 4).
void BM_SquareSpiralOpened(benchmark::State &state)
{
    benchsupport::CanvasHost host;
    benchsupport::StartCanvas(host, kLargestCanvas, kLargestCanvas);
    core::Doc().DocPaths.push_back(SquareSpiral(8));
    OpenAtZoom(state, kWindowWidth, kWindowHeight, static_cast<double>(state.range(0)), false);
}

// A bucket click between the teeth of a comb: one open path of 200 teeth 3,000 pixels long over
// the largest canvas, one pixel wide, traced at the default accuracy (two bitmap pixels a canvas
// pixel).
void BM_CombBucketClick(benchmark::State &state)
{
    benchsupport::CanvasHost host;
    benchsupport::StartCanvas(host, kLargestCanvas, kLargestCanvas);
    movie::InstallCanvasServices();
    core::PathRecord comb = OpenLine(20);
    for (int k = 0; k < 200; ++k) {
        const int32_t x = (100 + 15 * k) * 20;
        comb.Anchors.push_back({x, 3200 * 20, core::kOnCurve});
        comb.Anchors.push_back({x, 200 * 20, core::kOnCurve});
        comb.Anchors.push_back({x + 8 * 20, 200 * 20, core::kOnCurve});
        comb.Anchors.push_back({x + 8 * 20, 3200 * 20, core::kOnCurve});
    }
    core::Doc().DocPaths.push_back(std::move(comb));
    const std::array<core::Color, 3> colours{0xFF000000u, 0xFF3366CCu, 0xFFFFFFFFu};
    for (auto _ : state) {
        core::TraceFloodPath(104 * 20, 1600 * 20, 1, 0, core::kFillSolid, colours);
        state.PauseTiming();
        core::Doc().DocPaths.resize(2);  // the traced path taken away again
        state.ResumeTiming();
    }
    core::SetHost(nullptr);
}

// The animation preview morphing one square spiral into another (legs shrinking by 8 and by 7
// pixels a half turn) in 10 frames: the preview movie is made from the two drawing files, then
// every frame is drawn into the preview's view of the drawing's size.
void BM_SpiralMorphPreview(benchmark::State &state)
{
    benchsupport::CanvasHost host;
    benchsupport::StartCanvas(host, kLargestCanvas, kLargestCanvas);
    const std::filesystem::path folder = platform::ProgramFile("player_fill_bench_morph");
    std::filesystem::create_directories(folder);
    toolwindows::PreviewRows rows{folder.string(), {"a.qlk", "b.qlk"}, {true, true}};
    for (int i = 0; i < 2; ++i) {
        core::PathArray paths(1);
        paths.push_back(SquareSpiral(8 - i));
        std::string message;
        core::WriteDrawingFile((folder / rows.names[static_cast<size_t>(i)]).string(), paths, 1,
                               core::Doc().CurrentSettings, message);
    }
    const std::string moviePath = (folder / "preview.swf").string();
    for (auto _ : state) {
        int32_t width = 0;
        int32_t height = 0;
        toolwindows::MakePreviewMovie(moviePath, width, height, 1, rows, toolwindows::PreviewPace{12.0f, 10});
        platform::MoviePlayer player;
        player.SetMovie(moviePath);
        QImage view(std::max(width, 1), std::max(height, 1), QImage::Format_RGB32);
        for (int32_t frame = 0; frame < player.TotalFrames(); ++frame) {
            player.GotoFrame(frame);
            player.Render(view, view.rect());
        }
    }
    std::filesystem::remove_all(folder);
    core::SetHost(nullptr);
}

// 400 concentric circles of 1,000 quadratic curves each, 100 pixels wide, radii 20 to 419 pixels
// about the centre of the largest canvas.
void AddConcentricWideCurves()
{
    constexpr int kCurves = 1000;
    for (int i = 0; i < 400; ++i) {
        core::PathRecord path = OpenLine(2000);
        path.blClosed = true;
        const double r = (20 + i) * 20.0;
        for (int k = 0; k < 2 * kCurves; ++k) {
            const double angle = k * M_PI / kCurves;
            const double reach = k % 2 ? r / std::cos(M_PI / kCurves) : r;
            path.Anchors.push_back({static_cast<int32_t>(kLargestCanvas * 10 + reach * std::cos(angle)),
                                    static_cast<int32_t>(kLargestCanvas * 10 + reach * std::sin(angle)),
                                    static_cast<int16_t>(k % 2 ? core::kControlPoint : core::kOnCurve)});
        }
        core::Doc().DocPaths.push_back(std::move(path));
    }
}

// The circles opened into a window's view centred on them, at 100 % (arg 1) and 400 % (arg 4).
void BM_ConcentricWideCurvesOpened(benchmark::State &state)
{
    benchsupport::CanvasHost host;
    benchsupport::StartCanvas(host, kLargestCanvas, kLargestCanvas);
    AddConcentricWideCurves();
    OpenAtZoom(state, kWindowWidth, kWindowHeight, static_cast<double>(state.range(0)), true);
}

// The circles exported as a picture with alpha: the whole canvas drawn at its size over white
// and over black by one player, as the export does.
void BM_ConcentricWideCurvesExported(benchmark::State &state)
{
    benchsupport::CanvasHost host;
    benchsupport::StartCanvas(host, kLargestCanvas, kLargestCanvas);
    AddConcentricWideCurves();
    movie::MakeCanvasMovie();
    QImage picture(kLargestCanvas, kLargestCanvas, QImage::Format_RGB32);
    int64_t elements = 0;
    for (auto _ : state) {
        platform::MoviePlayer player;
        movie::LoadCanvasMovieInto(player, core::Doc().CanvasTempFile);
        for (int32_t background : {0xFFFFFF, 0x000000}) {
            player.SetBackgroundColor(background);
            player.Render(picture, picture.rect(), movie::CanvasMovieArea(core::Doc().ViewExtent));
        }
        elements += player.Stats().outlineElementsBuilt;
    }
    state.counters["outline_elements"] = static_cast<double>(elements) / static_cast<double>(state.iterations());
    core::SetHost(nullptr);
}

// A metafile of 100 polylines (or filled polygons) of 65,535 points scattered over the largest
// canvas (one unit a pixel), drawn with a pen pen units wide, as the importer reads it; behind a
// placeable header whose picture is the canvas (one unit a screen pixel) when placeable.
std::string ScatteredPolylinesMetafile(uint32_t pen, bool placeable = false, bool polygons = false)
{
    std::string records;
    auto word = [&records](uint32_t value) {
        records += static_cast<char>(value & 0xFF);
        records += static_cast<char>((value >> 8) & 0xFF);
    };
    auto dword = [&word](uint32_t value) {
        word(value & 0xFFFF);
        word(value >> 16);
    };
    auto record = [&](uint16_t function, uint32_t words) {
        dword(3 + words);
        word(function);
    };
    record(0x02FA, 5);  // the pen: style, width, colour
    for (uint32_t value : {0u, pen, 0u, 0x2040u, 0u}) {
        word(value);
    }
    record(0x012D, 1);  // selected
    word(0);
    std::mt19937 random(11);
    std::uniform_int_distribution<int> position(0, kLargestCanvas - 1);
    constexpr uint32_t kPoints = 65535;
    for (int i = 0; i < 100; ++i) {
        record(polygons ? 0x0324 : 0x0325, 1 + 2 * kPoints);  // a polygon or polyline
        word(kPoints);
        for (uint32_t k = 0; k < 2 * kPoints; ++k) {
            word(static_cast<uint32_t>(position(random)));
        }
    }
    record(0, 0);  // the end
    std::string bytes;
    std::swap(bytes, records);
    word(1);      // in memory
    word(9);      // header words
    word(0x300);  // version
    dword(static_cast<uint32_t>(9 + bytes.size() / 2));
    word(1);  // objects
    dword(3 + 2 * kPoints + 1);
    word(0);
    if (placeable) {
        std::string header;
        std::swap(header, records);
        const auto unitsPerInch = static_cast<uint32_t>(std::lround(importer::GetScreenDpiX()));
        for (uint32_t value : {0xCDD7u, 0x9AC6u, 0u, 0u, 0u, uint32_t(kLargestCanvas), uint32_t(kLargestCanvas),
                               unitsPerInch, 0u, 0u}) {
            word(value);
        }
        uint32_t checksum = 0;
        for (size_t at = 0; at < records.size(); at += 2) {
            checksum ^= static_cast<uint32_t>(static_cast<uint8_t>(records[at])) |
                        static_cast<uint32_t>(static_cast<uint8_t>(records[at + 1])) << 8;
        }
        word(checksum);
        std::swap(header, records);
        return header + records + bytes;
    }
    return records + bytes;
}

// The metafile's figures read in and shown in a window's view at 100 %, with the widest pen
// (arg 65,535: the line 3,276 pixels wide, as wide as a line can be) and with pens 200 and 50
// pixels wide (args 265 and 66).
void BM_ScatteredPolylinesMetafileShown(benchmark::State &state)
{
    benchsupport::CanvasHost host;
    benchsupport::StartCanvas(host, kLargestCanvas, kLargestCanvas);
    const std::string bytes = ScatteredPolylinesMetafile(static_cast<uint32_t>(state.range(0)));
    core::PathCollection figures = importer::ImportWmf(bytes);
    for (size_t i = 1; i < figures.Paths.size(); ++i) {
        core::Doc().DocPaths.push_back(std::move(figures.Paths[i]));
    }
    state.counters["file_mb"] = static_cast<double>(bytes.size()) / (1 << 20);
    RenderAtZoom(state, kWindowWidth, kWindowHeight, 1.0);
}

// The same metafile with a placeable header drawn as a picture of the canvas's size, as the
// file browser's thumbnail and the canvas underlay draw it, with the pens above and one 20
// pixels wide (arg 27); and its figures as filled polygons with a hairline pen (args 0, 1).
void BM_ScatteredPolylinesMetafilePicture(benchmark::State &state)
{
    benchsupport::EnsureApplication();
    const std::string bytes = ScatteredPolylinesMetafile(static_cast<uint32_t>(state.range(0)), true, state.range(1));
    platform::PlayerStats work;
    for (auto _ : state) {
        const QImage picture = importer::DrawMetafilePicture(bytes, &work);
        benchmark::DoNotOptimize(picture.constBits());
    }
    state.counters["file_mb"] = static_cast<double>(bytes.size()) / (1 << 20);
    state.counters["outline_elements"] = static_cast<double>(work.outlineElementsBuilt);
}

BENCHMARK(BM_SquareSpiral)->Arg(2)->Arg(0)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_SquareSpiralOpened)->Arg(1)->Arg(4)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_CombBucketClick)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_SpiralMorphPreview)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ConcentricWideCurvesOpened)->Arg(1)->Arg(4)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ConcentricWideCurvesExported)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ScatteredPolylinesMetafileShown)
    ->Arg(65535)
    ->Arg(265)
    ->Arg(66)
    ->Arg(27)
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK(BM_ScatteredPolylinesMetafilePicture)
    ->Args({65535, 0})
    ->Args({265, 0})
    ->Args({66, 0})
    ->Args({27, 0})
    ->Args({0, 1})
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK(BM_SpikyStar)->Arg(320)->Arg(640)->Arg(1280)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_SpikyStarWriteAndLoad)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_BulgingFill)->Arg(2)->Arg(0)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_WideLinesFirstDrawn)->Iterations(5)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_EditorDrawingFirstDrawn)->Arg(10'000)->Arg(100'000)->Iterations(5)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
