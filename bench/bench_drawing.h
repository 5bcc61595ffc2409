// Drawings the benchmarks share: rounded closed outlines spread over a square canvas.
#pragma once

#include "core/path_record.h"

#include <cmath>
#include <cstdint>
#include <random>

namespace benchsupport {

constexpr int kAnchorsPerOutline = 20;

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

}  // namespace benchsupport
