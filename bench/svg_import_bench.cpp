// Importing a large SVG (over 5 MB of path data) beside rsvg-convert rendering the same file.
#include "import/svg_reader.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>

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

void BM_RsvgConvertRender(benchmark::State &state)
{
    if (std::system("command -v rsvg-convert >/dev/null 2>&1") != 0) {
        state.SkipWithError("rsvg-convert is not installed");
        return;
    }
    const std::string &file = LargeSvgFile();
    std::string png = (std::filesystem::temp_directory_path() / "quillark_bench_large.png").string();
    std::string command = "rsvg-convert --dpi-x 90 --dpi-y 90 '" + file + "' -o '" + png + "'";
    for (auto _ : state) {
        if (std::system(command.c_str()) != 0) {
            state.SkipWithError("rsvg-convert failed");
            return;
        }
    }
    std::filesystem::remove(png);
}
BENCHMARK(BM_RsvgConvertRender)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace
