// Shared helpers of the path boolean tests: building paths, and areas measured by Clipper, the
// independent oracle (even-odd fill, as the drawing fills compounds).
#pragma once

#include "core/path_record.h"

#include <clipper.hpp>

#include <cmath>
#include <cstdint>
#include <initializer_list>
#include <utility>
#include <vector>

namespace booleantest {

using Points = std::vector<std::pair<int32_t, int32_t>>;

inline core::PathRecord MakePath(const Points &points, bool closed = true)
{
    core::PathRecord path;
    for (const auto &[x, y] : points) {
        path.Anchors.push_back(core::AnchorPoint{x, y, core::kOnCurve});
    }
    path.blClosed = closed;
    path.LineWidth = 20;
    path.FillType = core::kFillSolid;
    return path;
}

inline core::PathRecord Square(int32_t left, int32_t top, int32_t right, int32_t bottom)
{
    return MakePath({{left, top}, {right, top}, {right, bottom}, {left, bottom}});
}

inline core::PathCollection Collection(std::initializer_list<core::PathRecord> paths)
{
    core::PathCollection collection;
    for (const core::PathRecord &path : paths) {
        collection.Paths.push_back(path);
    }
    return collection;
}

inline ClipperLib::Paths ToClipper(const core::PathCollection &collection)
{
    ClipperLib::Paths paths;
    for (int32_t i = 1; i <= collection.PathCount(); ++i) {
        ClipperLib::Path path;
        for (const core::AnchorPoint &p : collection.Paths[static_cast<size_t>(i)].Anchors) {
            path.emplace_back(p.X, p.Y);
        }
        paths.push_back(path);
    }
    return paths;
}

inline double AreaOf(const ClipperLib::Paths &paths)
{
    double area = 0;
    for (const ClipperLib::Path &path : paths) {
        area += ClipperLib::Area(path);
    }
    return area;
}

inline double FilledArea(const core::PathCollection &collection, ClipperLib::PolyFillType fill)
{
    ClipperLib::Clipper clipper;
    clipper.AddPaths(ToClipper(collection), ClipperLib::ptSubject, true);
    ClipperLib::Paths solution;
    clipper.Execute(ClipperLib::ctUnion, solution, fill, fill);
    return AreaOf(solution);
}

// The even-odd area of a collection's closed outlines.
inline double EvenOddArea(const core::PathCollection &collection)
{
    return FilledArea(collection, ClipperLib::pftEvenOdd);
}

// The area covered by any of the paths (overlaps counted once; outlines turning alike).
inline double CoveredArea(const core::PathCollection &collection)
{
    return FilledArea(collection, ClipperLib::pftNonZero);
}

// Clipper's area for an operation code (1 union, 2 intersection, 3 and 4 a - b).
inline double ClipperArea(const core::PathCollection &a, const core::PathCollection &b, int32_t code)
{
    ClipperLib::Clipper clipper;
    clipper.AddPaths(ToClipper(a), ClipperLib::ptSubject, true);
    clipper.AddPaths(ToClipper(b), ClipperLib::ptClip, true);
    ClipperLib::ClipType type = code == 1   ? ClipperLib::ctUnion
                                : code == 2 ? ClipperLib::ctIntersection
                                            : ClipperLib::ctDifference;
    ClipperLib::Paths solution;
    clipper.Execute(type, solution, ClipperLib::pftEvenOdd, ClipperLib::pftEvenOdd);
    return AreaOf(solution);
}

}  // namespace booleantest
