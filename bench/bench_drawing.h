// Drawings the benchmarks share: rounded closed outlines spread over a square canvas.
#pragma once

#include "core/path_array.h"
#include "core/path_record.h"

#include <cmath>
#include <cstdint>
#include <random>

namespace benchsupport {

constexpr int kAnchorsPerOutline = 20;
constexpr int kEditorCanvas = 1638;  // pixels, of the editor benchmarks' drawings

// A closed rounded outline of 20 anchors (on-curve and control points alternating), 10 to 60
// pixels across, centred at a random point of a canvas of canvasPixels, stroked black with a width
// cycling through 1, 2 and 3 pixels by index. Fills are the caller's.
inline core::PathRecord RoundedOutline(std::mt19937 &random, int canvasPixels, int index)
{
    std::uniform_int_distribution<int> position(0, canvasPixels * 20);
    std::uniform_int_distribution<int> radius(100, 600);
    core::PathRecord path;
    const int cx = position(random);
    const int cy = position(random);
    const int r = radius(random);
    for (int k = 0; k < kAnchorsPerOutline; ++k) {
        const double angle = k * 2 * M_PI / kAnchorsPerOutline;
        const double reach = k % 2 ? r * 1.1 : r;
        path.Anchors.push_back({cx + static_cast<int32_t>(reach * std::cos(angle)),
                                cy + static_cast<int32_t>(reach * std::sin(angle)),
                                static_cast<int16_t>(k % 2 ? core::kControlPoint : core::kOnCurve)});
    }
    path.blClosed = true;
    path.GradCenterX = cx;
    path.GradCenterY = cy;
    path.GradRatioX = static_cast<float>(r) / 16384.0f;
    path.GradRatioY = path.GradRatioX;
    path.LineMode = 1;
    path.LineWidth = 20 + index % 3 * 20;
    path.LineColor = 0xFF000000u;
    return path;
}

// count closed rounded outlines spread over the canvas; fills cycle through none, solid and the
// three gradients; every 40th path starts a group of 5, every 40th (offset 20) a compound of 2.
inline core::PathArray MakeEditorPaths(int count, unsigned seed)
{
    core::PathArray paths(1);
    paths.reserve(static_cast<size_t>(count) + 1);
    std::mt19937 random(seed);
    std::uniform_int_distribution<uint32_t> colour(0, 0xFFFFFF);
    for (int i = 0; i < count; ++i) {
        core::PathRecord path = RoundedOutline(random, kEditorCanvas, i);
        path.FillType = static_cast<int16_t>(i % 5);
        path.FillColor = 0xFF000000u | colour(random);
        path.GradColor = 0xFF000000u | colour(random);
        if (i % 40 < 5) {
            path.blGroup = true;
            path.GroupID = i / 40 + 1;
        } else if (i % 40 >= 20 && i % 40 < 22) {
            path.blCompound = true;
            path.CompoundID = i / 40 + 1;
        }
        paths.push_back(std::move(path));
    }
    return paths;
}

}  // namespace benchsupport
