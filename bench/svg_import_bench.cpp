// SVG drawings of three sizes (bench/svg_drawing.h): our import alone, and the whole way from the
// file to a PNG picture of the drawing's size (import, canvas movie, player, picture written)
// beside rsvg-convert doing the same, each in a process of its own so that its time and peak
// memory are its own.
#include "bench/svg_drawing.h"
#include "import/svg_reader.h"

#include <benchmark/benchmark.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

extern char **environ;

namespace {

using benchsupport::SvgScene;

// Each scene's file, written once per run.
const std::string &SceneFile(const SvgScene &scene)
{
    static std::map<std::string, std::string> files;
    auto found = files.find(scene.name);
    if (found == files.end()) {
        found = files.emplace(scene.name, benchsupport::SvgSceneFile(scene)).first;
    }
    return found->second;
}

void SvgImport(benchmark::State &state, const SvgScene &scene)
{
    const std::string &file = SceneFile(scene);
    state.counters["file_MB"] = static_cast<double>(std::filesystem::file_size(file)) / (1024 * 1024);
    for (auto _ : state) {
        importer::SvgReader reader;
        if (!reader.LoadSvg(file)) {
            state.SkipWithError("import failed");
            return;
        }
        core::PathCollection paths = reader.GetPathRecords();
        benchmark::DoNotOptimize(paths.Paths.data());
        state.counters["paths"] = paths.PathCount();
    }
}

struct ProcessCost {
    double wallMs = 0;
    double cpuMs = 0;
    double peakMb = 0;
};

double Milliseconds(const timeval &time)
{
    return static_cast<double>(time.tv_sec) * 1000.0 + static_cast<double>(time.tv_usec) / 1000.0;
}

// Runs a program to its end and adds its wall-clock and CPU milliseconds and peak resident memory.
bool RunMeasured(const std::vector<std::string> &arguments, ProcessCost &cost)
{
    std::vector<char *> argv;
    for (const std::string &argument : arguments) {
        argv.push_back(const_cast<char *>(argument.c_str()));
    }
    argv.push_back(nullptr);
    const auto start = std::chrono::steady_clock::now();
    pid_t pid = 0;
    if (posix_spawnp(&pid, argv[0], nullptr, nullptr, argv.data(), environ) != 0) {
        return false;
    }
    int status = 0;
    rusage usage{};
    if (wait4(pid, &status, 0, &usage) != pid) {
        return false;
    }
    cost.wallMs += std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    cost.cpuMs += Milliseconds(usage.ru_utime) + Milliseconds(usage.ru_stime);
    cost.peakMb = std::max(cost.peakMb, static_cast<double>(usage.ru_maxrss) / 1024.0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

// From the SVG file to a PNG picture of it, each run a fresh process: time and peak memory.
void SvgToPicture(benchmark::State &state, const std::vector<std::string> &command)
{
    ProcessCost cost;
    for (auto _ : state) {
        if (!RunMeasured(command, cost)) {
            state.SkipWithError(("failed: " + command[0]).c_str());
            return;
        }
    }
    const double runs = static_cast<double>(state.iterations());
    state.counters["process_ms"] = cost.wallMs / runs;
    state.counters["cpu_all_ms"] = cost.cpuMs / runs;
    state.counters["peak_MB"] = cost.peakMb;
}

std::string PicturePath(const SvgScene &scene, const char *renderer)
{
    return (std::filesystem::temp_directory_path() /
            (std::string("quillark_bench_") + scene.name + "_" + renderer + ".png"))
        .string();
}

void OursToPicture(benchmark::State &state, const SvgScene &scene)
{
    SvgToPicture(state, {SVG_TO_PICTURE, SceneFile(scene), PicturePath(scene, "ours")});
}

void RsvgConvertToPicture(benchmark::State &state, const SvgScene &scene)
{
    if (std::system("command -v rsvg-convert >/dev/null 2>&1") != 0) {
        state.SkipWithError("rsvg-convert is not installed");
        return;
    }
    // The drawing's own size, as ours: rsvg-convert takes it from width and height.
    SvgToPicture(state, {"rsvg-convert", SceneFile(scene), "-o", PicturePath(scene, "rsvg")});
}

const bool registered = [] {
    for (const SvgScene &scene : benchsupport::kSvgScenes) {
        const std::string name = scene.name;
        benchmark::RegisterBenchmark(("BM_SvgImport/" + name).c_str(), SvgImport, scene)
            ->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark(("BM_SvgToPicture/" + name).c_str(), OursToPicture, scene)
            ->Unit(benchmark::kMillisecond)
            ->Iterations(5)
            ->UseRealTime();
        benchmark::RegisterBenchmark(("BM_RsvgConvertToPicture/" + name).c_str(), RsvgConvertToPicture, scene)
            ->Unit(benchmark::kMillisecond)
            ->Iterations(5)
            ->UseRealTime();
    }
    return true;
}();

}  // namespace
