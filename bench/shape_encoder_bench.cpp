// Encoding a 10,000-path drawing (200,000 anchors; solid and gradient fills, compound paths) as
// the canvas movie's DefineShape3: cold (every path encoded) and warm (one path changed).
#include "movie/movie_writer.h"
#include "movie/shape_encoder.h"

#include <benchmark/benchmark.h>

#include <random>

namespace {

constexpr int kPaths = 10000;
constexpr int kAnchorsPerPath = 20;

core::PathArray MakeDrawing()
{
    std::mt19937 random(42);
    core::PathArray paths{core::PathRecord()};
    for (int i = 1; i <= kPaths; ++i) {
        core::PathRecord path;
        int32_t cx = static_cast<int32_t>(random() % 60000);
        int32_t cy = static_cast<int32_t>(random() % 60000);
        for (int k = 0; k < kAnchorsPerPath; ++k) {
            int16_t kind = k % 3 == 1 ? core::kControlPoint : core::kOnCurve;
            path.Anchors.push_back({cx + static_cast<int32_t>(random() % 4000), cy + static_cast<int32_t>(random() % 4000), kind});
        }
        path.blClosed = i % 7 != 0;
        path.LineMode = 1;
        path.LineWidth = 20 + i % 100;
        path.LineColor = 0xFF000000u | static_cast<uint32_t>(random() & 0xFFFFFF);
        path.FillType = static_cast<int16_t>(1 + i % 4);
        path.FillColor = 0xFF000000u | static_cast<uint32_t>(random() & 0xFFFFFF);
        path.GradColor = 0x80FFFFFF;
        path.GradCenterX = cx;
        path.GradCenterY = cy;
        path.GradAngle = static_cast<float>(i % 360);
        path.GradRatioX = path.GradRatioY = 4000.0f / 32768.0f;
        path.SetStopCount(i % 3);
        for (int s = 1; s <= path.StopCount(); ++s) {
            path.Stops[static_cast<size_t>(s)] = {0xFF00FF00, 60 * s};
        }
        if (i % 10 < 3) {  // groups of three paths form compound paths
            path.blCompound = true;
            path.CompoundID = i / 10 + 1;
        }
        paths.push_back(std::move(path));
    }
    return paths;
}

void EncodeDrawing(core::PathArray &paths)
{
    movie::DefineShape(1, paths, true);
    benchmark::DoNotOptimize(movie::Writer().TagBuffer.data());
    movie::Writer().TagBuffer.clear();
}

void BM_DefineShapeCold(benchmark::State &state)
{
    core::PathArray paths = MakeDrawing();
    for (auto _ : state) {
        state.PauseTiming();
        movie::Writer().Units = movie::UnitCache();  // nothing encoded yet
        state.ResumeTiming();
        EncodeDrawing(paths);
    }
}

void BM_DefineShapeWarmOneChanged(benchmark::State &state)
{
    core::PathArray paths = MakeDrawing();
    EncodeDrawing(paths);
    int32_t i = 0;
    for (auto _ : state) {
        core::PathRecord &changed = paths[static_cast<size_t>(5000 + (i++ % 2))];
        changed.Anchors[0].X += 1;
        EncodeDrawing(paths);
    }
}

}  // namespace

BENCHMARK(BM_DefineShapeCold)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DefineShapeWarmOneChanged)->Unit(benchmark::kMillisecond);
