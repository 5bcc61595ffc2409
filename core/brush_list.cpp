#include "core/brush_list.h"

#include "core/document.h"
#include "core/host.h"
#include "platform/base/rounding.h"

#include <cmath>

namespace core {
namespace {

constexpr double kPi = 3.14159265358979;

BrushList g_brushes;

// A closed brush of anchors on a circle of the given radius, starting half a step past 12 o'clock
// and going clockwise on screen (x = r sin, y = r cos).
PathRecord RingBrush(int32_t anchorCount, double radius, int16_t kind)
{
    PathRecord path;
    path.blClosed = true;
    for (int32_t j = 0; j < anchorCount; ++j) {
        double theta = 360.0 / anchorCount * (j + 0.5) * kPi / 180.0;
        AnchorPoint anchor;
        anchor.X = platform::RoundToInt32(radius * std::sin(theta));
        anchor.Y = platform::RoundToInt32(radius * std::cos(theta));
        anchor.AnchorKind = kind;
        path.Anchors.push_back(anchor);
    }
    return path;
}

}  // namespace

BrushList &Brushes()
{
    return g_brushes;
}

void ResetBrushesForTest()
{
    g_brushes = BrushList();
}

void SetupDefaultBrushes()
{
    PathArray paths{PathRecord()};
    std::vector<std::string> names{""};
    for (int k = 1; k <= 4; ++k) {
        // Every anchor a control point: the outline is a smooth curve through their midpoints.
        paths.push_back(RingBrush(4 * k + 4, k * 100.0, kControlPoint));
        names.push_back("丸(" + std::to_string(10 * k) + "px)");
    }
    for (int s = 1; s <= 4; ++s) {
        paths.push_back(RingBrush(4, s * 100.0, kOnCurve));
        // The side length in whole pixels: the corners lie at radius 5s pixels.
        names.push_back("四角(" + std::to_string(static_cast<int>(std::floor(s * 10 / std::sqrt(2.0)))) + "px)");
    }
    ReplaceBrushes(std::move(paths), std::move(names));
    GetHost().SetupBrushList();
}

bool ReplaceBrushes(PathArray paths, std::vector<std::string> names)
{
    if (paths.size() != names.size() || paths.size() < 2 || UpperBound(paths) > kMaxBrushes) {
        return false;
    }
    g_brushes.BrushCount = UpperBound(paths);
    g_brushes.BrushPaths = std::move(paths);
    g_brushes.BrushNames = std::move(names);
    g_brushes.CurrentBrush = 1;
    RefreshBrushMenu();
    return true;
}

std::vector<std::string> BrushMenuCaptions()
{
    std::vector<std::string> captions;
    for (int32_t i = 1; i <= g_brushes.BrushCount; ++i) {
        captions.push_back("&" + std::to_string(i) + "　" + g_brushes.BrushNames[static_cast<size_t>(i)]);
    }
    return captions;
}

void RefreshBrushMenu()
{
    GetHost().RefreshBrushMenu();
}

void SetPathAsBrush()
{
    if (CountSelectedPaths() != 1) {
        return;
    }
    const PathArray &docPaths = Doc().DocPaths;
    int32_t selected = 1;
    while (selected <= Doc().DocPathCount() && !docPaths[static_cast<size_t>(selected)].blSelected) {
        ++selected;
    }
    if (selected > Doc().DocPathCount() || !docPaths[static_cast<size_t>(selected)].blClosed) {
        return;
    }
    PathRecord brush = docPaths[static_cast<size_t>(selected)];
    Rect32 bounds = GetPathsBounds(PathArray{PathRecord(), brush});
    int64_t halfWidth = (static_cast<int64_t>(bounds.Right) - bounds.Left) / 2;
    int64_t halfHeight = (static_cast<int64_t>(bounds.Bottom) - bounds.Top) / 2;
    for (AnchorPoint &anchor : brush.Anchors) {
        anchor.X = platform::SaturateInt<int32_t>(static_cast<int64_t>(anchor.X) - bounds.Left - halfWidth);
        anchor.Y = platform::SaturateInt<int32_t>(static_cast<int64_t>(anchor.Y) - bounds.Top - halfHeight);
    }
    brush.blSelected = false;
    int32_t current = g_brushes.CurrentBrush;
    if (current < 1 || current > g_brushes.BrushCount) {
        return;
    }
    int64_t widthPixels = (static_cast<int64_t>(bounds.Right) - bounds.Left) / 20;
    g_brushes.BrushPaths[static_cast<size_t>(current)] = std::move(brush);
    g_brushes.BrushNames[static_cast<size_t>(current)] =
        "パターン" + std::to_string(current) + "(" + std::to_string(widthPixels) + "px)";
}

}  // namespace core
