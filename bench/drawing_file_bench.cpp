// Reading and writing a large drawing: 10,000 paths of 100 anchors each.
#include "core/drawing_file.h"
#include "platform/base/program_folder.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <random>

namespace {

constexpr int kPaths = 10000;
constexpr int kAnchors = 100;

const core::PathArray &LargeDrawing()
{
    static const core::PathArray paths = [] {
        std::mt19937 random(1);
        core::PathArray result(1);
        result.reserve(kPaths + 1);
        for (int i = 0; i < kPaths; ++i) {
            core::PathRecord &path = result.emplace_back();
            path.blClosed = i % 2 == 0;
            path.LineWidth = 20 + i % 100;
            path.LineMode = 1;
            path.LineColor = 0xFF000000u | static_cast<uint32_t>(random());
            path.FillType = static_cast<int16_t>(i % 5);
            path.FillColor = 0xFF00FFFFu;
            path.GradCenterX = static_cast<int32_t>(random() % 60000);
            path.GradCenterY = static_cast<int32_t>(random() % 60000);
            path.GradAngle = static_cast<float>(random() % 3600) / 10.0f;
            path.GradRatioX = 1000.0f / 32768.0f;
            path.GradRatioY = static_cast<float>(random() % 10000) / 32768.0f;
            path.GradColor = 0xFFFFFFFFu;
            path.SetStopCount(path.FillType == core::kFillLinear ? 3 : 0);
            for (int32_t s = 1; s <= path.StopCount(); ++s) {
                path.Stops[static_cast<size_t>(s)] = core::GradStop{0xFF336699u, s * 60};
            }
            path.Anchors.resize(kAnchors);
            for (core::AnchorPoint &anchor : path.Anchors) {
                anchor.X = static_cast<int32_t>(random() % 200000) - 100000;
                anchor.Y = static_cast<int32_t>(random() % 200000) - 100000;
                anchor.AnchorKind = static_cast<int16_t>(random() % 2);
            }
        }
        return result;
    }();
    return paths;
}

std::string BenchFile()
{
    return platform::ProgramFile("drawing_file_bench.qlk");
}

void BM_WriteDrawingFile(benchmark::State &state)
{
    const core::PathArray &paths = LargeDrawing();
    core::CanvasSettings settings;
    std::string message;
    for (auto _ : state) {
        if (!core::WriteDrawingFile(BenchFile(), paths, kPaths, settings, message)) {
            state.SkipWithError(message.c_str());
            break;
        }
    }
    state.counters["MB"] = static_cast<double>(std::filesystem::file_size(BenchFile())) / 1e6;
}
BENCHMARK(BM_WriteDrawingFile)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_ReadDrawingFile(benchmark::State &state)
{
    std::string message;
    core::WriteDrawingFile(BenchFile(), LargeDrawing(), kPaths, core::CanvasSettings(), message);
    for (auto _ : state) {
        core::DrawingFileContents contents;
        std::string detail;
        if (!core::ReadDrawingFile(BenchFile(), contents, message, &detail) ||
            contents.Paths.size() != static_cast<size_t>(kPaths + 1)) {
            state.SkipWithError(detail.c_str());
            break;
        }
        benchmark::DoNotOptimize(contents.Paths.data());
    }
    std::remove(BenchFile().c_str());
}
BENCHMARK(BM_ReadDrawingFile)->Unit(benchmark::kMillisecond)->UseRealTime();

// The text alone, without the disk.
void BM_FormatDrawing(benchmark::State &state)
{
    const core::PathArray &paths = LargeDrawing();
    for (auto _ : state) {
        core::FieldWriter file;
        core::WriteSettingsLines(core::CanvasSettings(), file);
        file.WriteInt(kPaths).EndLine();
        for (int i = 1; i <= kPaths; ++i) {
            core::WritePathRecord(paths[static_cast<size_t>(i)], file);
        }
        benchmark::DoNotOptimize(file.Bytes().data());
    }
}
BENCHMARK(BM_FormatDrawing)->Unit(benchmark::kMillisecond);

}  // namespace
