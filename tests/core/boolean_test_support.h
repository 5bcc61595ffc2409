// Shared helpers of the path boolean tests: building paths, and areas measured by Clipper, the
// independent oracle (even-odd fill, as the drawing fills compounds).
#pragma once

#include "core/path_record.h"

#include <clipper.hpp>

#include <algorithm>
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

// The exact area of an operation on even-odd operands, independent of Clipper: the plane is cut
// into vertical slabs at every vertex and crossing, where no edges cross; within a slab the
// covered length changes linearly, so its value at the slab's middle times the width is exact.
inline double SlabArea(const core::PathCollection &a, const core::PathCollection &b, int32_t code)
{
    struct Edge {
        double x1, y1, x2, y2;
        int operand;
    };
    std::vector<Edge> edges;
    std::vector<double> xs;
    auto collect = [&](const core::PathCollection &collection, int operand) {
        for (int32_t i = 1; i <= collection.PathCount(); ++i) {
            const core::AnchorArray &ring = collection.Paths[static_cast<size_t>(i)].Anchors;
            for (size_t k = 0; k < ring.size(); ++k) {
                const core::AnchorPoint &p = ring[k];
                const core::AnchorPoint &q = ring[(k + 1) % ring.size()];
                xs.push_back(p.X);
                if (p.X != q.X) {
                    edges.push_back(Edge{double(p.X), double(p.Y), double(q.X), double(q.Y), operand});
                }
            }
        }
    };
    collect(a, 0);
    collect(b, 1);
    for (size_t i = 0; i < edges.size(); ++i) {
        for (size_t j = i + 1; j < edges.size(); ++j) {
            const Edge &e = edges[i];
            const Edge &f = edges[j];
            double dx1 = e.x2 - e.x1, dy1 = e.y2 - e.y1, dx2 = f.x2 - f.x1, dy2 = f.y2 - f.y1;
            double denominator = dx1 * dy2 - dy1 * dx2;
            if (denominator == 0) {
                continue;
            }
            double t = ((f.x1 - e.x1) * dy2 - (f.y1 - e.y1) * dx2) / denominator;
            double u = ((f.x1 - e.x1) * dy1 - (f.y1 - e.y1) * dx1) / denominator;
            if (t > 0 && t < 1 && u > 0 && u < 1) {
                xs.push_back(e.x1 + t * dx1);
            }
        }
    }
    std::sort(xs.begin(), xs.end());
    double area = 0;
    std::vector<std::pair<double, int>> crossings;
    for (size_t k = 0; k + 1 < xs.size(); ++k) {
        double width = xs[k + 1] - xs[k];
        if (width <= 0) {
            continue;
        }
        double middle = (xs[k] + xs[k + 1]) / 2;
        crossings.clear();
        for (const Edge &e : edges) {
            if ((e.x1 < middle) != (e.x2 < middle)) {
                crossings.emplace_back(e.y1 + (middle - e.x1) * (e.y2 - e.y1) / (e.x2 - e.x1), e.operand);
            }
        }
        std::sort(crossings.begin(), crossings.end());
        bool inside[2] = {false, false};
        for (size_t c = 0; c + 1 < crossings.size(); ++c) {
            inside[crossings[c].second] = !inside[crossings[c].second];
            bool covered = code == 1   ? inside[0] || inside[1]
                           : code == 2 ? inside[0] && inside[1]
                                       : inside[0] && !inside[1];
            if (covered) {
                area += (crossings[c + 1].first - crossings[c].first) * width;
            }
        }
    }
    return area;
}

}  // namespace booleantest
