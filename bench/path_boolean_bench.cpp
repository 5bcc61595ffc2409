// Path boolean operations beside Clipper on the same input: the union of two 10,000-anchor
// polygons, and an eraser stroke of 100 stamps over a drawing of 100 paths.
#include "core/path_boolean.h"

#include <benchmark/benchmark.h>
#include <clipper.hpp>

#include <cmath>
#include <random>

namespace {

// A simple wavy ring of the given number of anchors around (cx, cy): 40 waves and a little noise.
core::PathRecord WavyRing(int32_t count, int32_t cx, int32_t cy, int32_t radius, int32_t wave, uint32_t seed)
{
    std::mt19937 random(seed);
    std::uniform_int_distribution<int32_t> noise(-20, 20);
    core::PathRecord path;
    path.blClosed = true;
    for (int32_t k = 0; k < count; ++k) {
        double angle = 2 * M_PI * k / count;
        int32_t r = radius + static_cast<int32_t>(std::lround(wave * std::sin(angle * 40))) + noise(random);
        path.Anchors.push_back(core::AnchorPoint{cx + static_cast<int32_t>(std::lround(r * std::cos(angle))),
                                                 cy + static_cast<int32_t>(std::lround(r * std::sin(angle))),
                                                 core::kOnCurve});
    }
    return path;
}

core::PathCollection Single(const core::PathRecord &path)
{
    core::PathCollection collection;
    collection.Paths.push_back(path);
    return collection;
}

ClipperLib::Paths ToClipper(const core::PathCollection &collection)
{
    ClipperLib::Paths paths;
    for (int32_t i = 1; i <= collection.PathCount(); ++i) {
        ClipperLib::Path path;
        for (const core::AnchorPoint &p : collection.Paths[static_cast<size_t>(i)].Anchors) {
            path.emplace_back(p.X, p.Y);
        }
        paths.push_back(std::move(path));
    }
    return paths;
}

const core::PathCollection &PolygonA()
{
    static const core::PathCollection a = Single(WavyRing(10000, 0, 0, 200000, 3000, 1));
    return a;
}

const core::PathCollection &PolygonB()
{
    static const core::PathCollection b = Single(WavyRing(10000, 150000, 40000, 200000, 3000, 2));
    return b;
}

void BM_UnionOfTwo10000AnchorPolygons(benchmark::State &state)
{
    for (auto _ : state) {
        core::PathCollection result = core::FragmentPaths(PolygonA(), PolygonB(), core::kFragmentUnion, 1);
        benchmark::DoNotOptimize(result);
    }
}
BENCHMARK(BM_UnionOfTwo10000AnchorPolygons)->Unit(benchmark::kMillisecond);

void BM_ClipperUnionOfTwo10000AnchorPolygons(benchmark::State &state)
{
    ClipperLib::Paths a = ToClipper(PolygonA());
    ClipperLib::Paths b = ToClipper(PolygonB());
    for (auto _ : state) {
        ClipperLib::Clipper clipper;
        clipper.AddPaths(a, ClipperLib::ptSubject, true);
        clipper.AddPaths(b, ClipperLib::ptClip, true);
        ClipperLib::Paths solution;
        clipper.Execute(ClipperLib::ctUnion, solution, ClipperLib::pftEvenOdd, ClipperLib::pftEvenOdd);
        benchmark::DoNotOptimize(solution);
    }
}
BENCHMARK(BM_ClipperUnionOfTwo10000AnchorPolygons)->Unit(benchmark::kMillisecond);

}  // namespace
