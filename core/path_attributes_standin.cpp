// Temporary: the colour, width and paint-mode commands of the selected paths, until the full
// attributes module lands. Delete this file when core/path_attributes.cpp is merged.
#include "core/path_attributes.h"

#include "core/document.h"
#include "core/history.h"
#include "platform/base/rounding.h"

namespace core {
namespace {

// Runs change on every selected path (marking its cache stale) and records one undo step when a
// path was selected.
template <typename Change>
void ChangeSelectedPaths(Change change)
{
    bool any = false;
    PathArray &paths = Doc().DocPaths;
    for (int32_t i = 1; i <= Doc().DocPathCount(); ++i) {
        PathRecord &path = paths[static_cast<size_t>(i)];
        if (path.blSelected) {
            change(path);
            path.CacheMark.clear();
            any = true;
        }
    }
    if (any) {
        RecordHistory();
    }
}

}  // namespace

void SetSelectedPaintModes(int16_t lineMode, int16_t fillType)
{
    ChangeSelectedPaths([&](PathRecord &path) {
        path.LineMode = lineMode;
        path.FillType = fillType;
    });
}

void SetSelectedLineWidth(float width)
{
    ChangeSelectedPaths([&](PathRecord &path) { path.LineWidth = platform::RoundToInt32(width * 20.0); });
}

void SetSelectedColors(const std::array<Color, 3> &colours, bool setLine, bool setFill, bool setGradient)
{
    ChangeSelectedPaths([&](PathRecord &path) {
        if (setLine) path.LineColor = colours[0];
        if (setFill) path.FillColor = colours[1];
        if (setGradient) path.GradColor = colours[2];
    });
}

int32_t SplitColor(Color colour, int32_t &red, int32_t &green, int32_t &blue, int32_t &opacity)
{
    red = static_cast<int32_t>(colour & 0xFF);
    green = static_cast<int32_t>((colour >> 8) & 0xFF);
    blue = static_cast<int32_t>((colour >> 16) & 0xFF);
    opacity = static_cast<int32_t>((colour >> 24) & 0xFF);
    return opacity;
}

void GetSelectedColors(std::array<Color, 3> &colours)
{
    std::array<std::array<int64_t, 4>, 3> sums{};
    int64_t count = 0;
    for (int32_t i = 1; i <= Doc().DocPathCount(); ++i) {
        const PathRecord &path = Doc().DocPaths[static_cast<size_t>(i)];
        if (!path.blSelected) continue;
        const Color slots[3] = {path.LineColor, path.FillColor, path.GradColor};
        for (size_t s = 0; s < 3; ++s) {
            for (size_t b = 0; b < 4; ++b) sums[s][b] += (slots[s] >> (8 * b)) & 0xFF;
        }
        ++count;
    }
    if (count == 0) return;
    for (size_t s = 0; s < 3; ++s) {
        Color colour = 0;
        for (size_t b = 0; b < 4; ++b) colour |= static_cast<Color>(sums[s][b] / count) << (8 * b);
        colours[s] = colour;
    }
}

}  // namespace core
