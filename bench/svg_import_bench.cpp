// A large SVG (over 5 MB of path data): our import alone, and the whole way from the file to a
// PNG picture (import, canvas movie, player, picture written) beside rsvg-convert doing the same,
// each in a process of its own so that its peak memory is its own.
#include "import/svg_reader.h"

#include <benchmark/benchmark.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

extern char **environ;

namespace {

// Writes the benchmark document once: many filled paths of lines and cubic curves.
const std::string &LargeSvgFile()
{
    static const std::string path = [] {
        std::string file = (std::filesystem::temp_directory_path() / "quillark_bench_large.svg").string();
        std::mt19937 random(7);
        std::uniform_real_distribution<double> coordinate(0, 1000);
        std::string text = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                           "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"1000\" height=\"1000\">\n";
        size_t pathData = 0;
        char number[32];
        auto put = [&](std::string &out) {
            std::snprintf(number, sizeof number, "%.3f ", coordinate(random));
            out += number;
        };
        while (pathData < 6u * 1024 * 1024) {
            std::string d = "M";
            put(d);
            put(d);
            for (int segment = 0; segment < 40; ++segment) {
                d += segment % 2 ? "L" : "C";
                for (int i = 0; i < (segment % 2 ? 2 : 6); ++i) {
                    put(d);
                }
            }
            d += "Z";
            pathData += d.size();
            text += "<path fill=\"#3465a4\" fill-opacity=\"0.3\" d=\"" + d + "\"/>\n";
        }
        text += "</svg>\n";
        std::ofstream(file, std::ios::binary) << text;
        return file;
    }();
    return path;
}

void BM_SvgImport(benchmark::State &state)
{
    const std::string &file = LargeSvgFile();
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
BENCHMARK(BM_SvgImport)->Unit(benchmark::kMillisecond)->Iterations(3);

// Runs a program to its end and adds its wall-clock milliseconds and peak resident memory.
bool RunMeasured(const std::vector<std::string> &arguments, double &milliseconds, double &peakMegabytes)
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
    milliseconds += std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    peakMegabytes = std::max(peakMegabytes, static_cast<double>(usage.ru_maxrss) / 1024.0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

// From the SVG file to a PNG picture of it, each run a fresh process: time and peak memory.
void SvgToPicture(benchmark::State &state, const std::vector<std::string> &command)
{
    double milliseconds = 0;
    double peak = 0;
    for (auto _ : state) {
        if (!RunMeasured(command, milliseconds, peak)) {
            state.SkipWithError(("failed: " + command[0]).c_str());
            return;
        }
    }
    state.counters["process_ms"] = milliseconds / static_cast<double>(state.iterations());
    state.counters["peak_MB"] = peak;
}

std::string PicturePath()
{
    return (std::filesystem::temp_directory_path() / "quillark_bench_large.png").string();
}

void BM_SvgToPicture(benchmark::State &state)
{
    SvgToPicture(state, {SVG_TO_PICTURE, LargeSvgFile(), PicturePath()});
}
BENCHMARK(BM_SvgToPicture)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

void BM_RsvgConvertToPicture(benchmark::State &state)
{
    if (std::system("command -v rsvg-convert >/dev/null 2>&1") != 0) {
        state.SkipWithError("rsvg-convert is not installed");
        return;
    }
    SvgToPicture(state, {"rsvg-convert", LargeSvgFile(), "-o", PicturePath()});
}
BENCHMARK(BM_RsvgConvertToPicture)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

}  // namespace
