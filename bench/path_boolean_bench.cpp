// Path boolean operations beside Clipper on the same input: the union of two 10,000-anchor
// polygons, and an eraser stroke of 100 stamps over a drawing of 100 paths.
#include "core/document.h"
#include "core/path_boolean.h"
#include "core/path_boolean_commands.h"

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

// A drawing of 100 wavy rings of 40 anchors in a 10 x 10 grid, and an eraser stroke of 100
// prints of a 16-anchor ring running diagonally across it.
const core::PathArray &Drawing()
{
    static const core::PathArray drawing = [] {
        core::PathArray paths(1);
        for (int32_t row = 0; row < 10; ++row) {
            for (int32_t column = 0; column < 10; ++column) {
                paths.push_back(WavyRing(40, column * 1000 + 500, row * 1000 + 500, 400, 60,
                                         static_cast<uint32_t>(row * 10 + column)));
            }
        }
        return paths;
    }();
    return drawing;
}

const core::PathRecord &EraserBrush()
{
    static const core::PathRecord brush = WavyRing(16, 0, 0, 300, 0, 7);
    return brush;
}

std::pair<int32_t, int32_t> StampOffset(int32_t k)
{
    return {k * 100, k * 97 + (k % 7) * 40};
}

void BM_EraserStrokeOf100StampsOver100Paths(benchmark::State &state)
{
    for (auto _ : state) {
        core::Doc().DocPaths = Drawing();
        for (int32_t k = 0; k < 100; ++k) {
            auto [dx, dy] = StampOffset(k);
            core::EraseWithPath(EraserBrush(), dx, dy);
        }
        benchmark::DoNotOptimize(core::Doc().DocPaths);
    }
    state.counters["paths"] = core::Doc().DocPathCount();
}
BENCHMARK(BM_EraserStrokeOf100StampsOver100Paths)->Unit(benchmark::kMillisecond);

void BM_ClipperEraserStrokeOf100StampsOver100Paths(benchmark::State &state)
{
    std::vector<ClipperLib::Paths> drawing;
    for (size_t i = 1; i < Drawing().size(); ++i) {
        core::PathCollection single;
        single.Paths.push_back(Drawing()[i]);
        drawing.push_back(ToClipper(single));
    }
    core::PathCollection brush;
    brush.Paths.push_back(EraserBrush());
    ClipperLib::Paths eraser = ToClipper(brush);
    size_t pieces = 0;
    for (auto _ : state) {
        std::vector<ClipperLib::Paths> paths = drawing;
        for (int32_t k = 0; k < 100; ++k) {
            auto [dx, dy] = StampOffset(k);
            ClipperLib::Paths moved = eraser;
            for (ClipperLib::IntPoint &p : moved[0]) {
                p.X += dx;
                p.Y += dy;
            }
            for (ClipperLib::Paths &path : paths) {
                ClipperLib::Clipper clipper;
                clipper.AddPaths(path, ClipperLib::ptSubject, true);
                clipper.AddPaths(moved, ClipperLib::ptClip, true);
                ClipperLib::Paths rest;
                clipper.Execute(ClipperLib::ctDifference, rest, ClipperLib::pftEvenOdd, ClipperLib::pftEvenOdd);
                path = std::move(rest);
            }
        }
        pieces = 0;
        for (const ClipperLib::Paths &path : paths) {
            pieces += path.size();
        }
        benchmark::DoNotOptimize(paths);
    }
    state.counters["paths"] = static_cast<double>(pieces);
}
BENCHMARK(BM_ClipperEraserStrokeOf100StampsOver100Paths)->Unit(benchmark::kMillisecond);

}  // namespace
