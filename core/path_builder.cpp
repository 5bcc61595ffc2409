#include "core/path_builder.h"

#include "core/brush_outline.h"
#include "core/canvas_services.h"
#include "core/document.h"
#include "core/history.h"
#include "core/path_optimizer.h"
#include "platform/base/rounding.h"

#include <algorithm>

namespace core {
namespace {

PathBuilderState g_builder;

PathRecord &LastPath()
{
    return Doc().DocPaths.back();
}

void RememberPathInProgress()
{
    const PathRecord &path = std::as_const(Doc().DocPaths)[static_cast<size_t>(g_builder.PathInProgress)];
    g_builder.AnchorCount = path.Anchors.size();
    g_builder.LastAnchor = path.Anchors.back();
}

// The finished path's own optimisation and brush conversion, by the canvas settings.
void ApplyFinishingSettings(int32_t index)
{
    const CanvasSettings &settings = Doc().CurrentSettings;
    float pointTolerance = (settings.OptimizeFlag & 1) ? static_cast<float>(settings.OptimizePoint) : 0.0f;
    float lineTolerance = (settings.OptimizeFlag & 2) ? static_cast<float>(settings.OptimizeLine) : 0.0f;
    OptimizePath(Doc().DocPaths[static_cast<size_t>(index)], pointTolerance, lineTolerance);
    if (settings.AutoConvertFlag == 1) {
        MakeBrushOutline(index, platform::SaturateInt<int32_t>(int64_t{settings.AutoConvertValue} + 1));
    }
}

// The finished path enters the canvas movie before the undo step is taken, so the canvas shows
// it as soon as the window repaints (the quick lines drawn while the stroke was made are gone).
void RedrawAndRecordHistory()
{
    GetCanvasServices().MakeCanvasMovie();
    RecordHistory();
}

}  // namespace

PathBuilderState &PathBuilder()
{
    return g_builder;
}

void ResetPathBuilderForTest()
{
    AbandonPathInProgress();
}

void SetNewPathStyle(PathRecord &path, float width, int16_t lineMode, int16_t fillType,
                     const std::array<Color, 3> &colors)
{
    path.LineWidth = platform::RoundToInt32(static_cast<double>(width) * 20.0);
    path.LineMode = lineMode;
    path.FillType = fillType;
    path.LineColor = colors[0];
    path.FillColor = colors[1];
    path.GradColor = colors[2];
}

void BeginPath(int32_t x, int32_t y, float width, int16_t lineMode, int16_t fillType,
               const std::array<Color, 3> &colors, int16_t kind)
{
    EndPathInProgress();
    PathRecord path;
    path.Anchors.push_back(AnchorPoint{x, y, kind});
    SetNewPathStyle(path, width, lineMode, fillType, colors);
    path.GradRatioX = 1.0f;
    Doc().DocPaths.push_back(std::move(path));
    g_builder.PathInProgress = Doc().DocPathCount();
    RememberPathInProgress();
}

void AddAnchor(int32_t x, int32_t y, int16_t kind)
{
    if (!IsBuildingPath()) {
        return;
    }
    PathRecord &path = LastPath();
    if (kind == kAnchorDeleted) {
        path.Anchors.back().AnchorKind = kControlPoint;
        kind = kOnCurve;
    }
    path.Anchors.push_back(AnchorPoint{x, y, kind});
    RememberPathInProgress();
}

void FinishPath(int32_t /*x*/, int32_t /*y*/, bool close)
{
    if (!IsBuildingPath()) {
        AbandonPathInProgress();
        return;
    }
    int32_t index = g_builder.PathInProgress;
    AbandonPathInProgress();

    PathRecord &path = LastPath();
    if (close) {
        path.blClosed = true;
        if (path.AnchorMax() > 1) {
            path.Anchors.pop_back();  // the point where the stroke came back to its start
        }
    }
    if (path.AnchorMax() < 1) {
        Doc().DocPaths.pop_back();
        return;
    }
    FitGradientFrame(path);
    ApplyFinishingSettings(index);
    RedrawAndRecordHistory();
}

bool IsBuildingPath()
{
    int32_t index = g_builder.PathInProgress;
    if (index < 1 || index != Doc().DocPathCount()) {
        return false;
    }
    const PathRecord &path = LastPath();
    return path.Anchors.size() == g_builder.AnchorCount && !path.Anchors.empty() &&
           path.Anchors.back() == g_builder.LastAnchor;
}

void EndPathInProgress()
{
    if (IsBuildingPath()) {
        FinishPath(0, 0, false);
    } else {
        AbandonPathInProgress();
    }
}

void AbandonPathInProgress()
{
    g_builder = PathBuilderState();
}

void NotePathRemoved(int32_t i)
{
    // The path in progress itself, or one below it, left the document: it is no longer the path
    // the tool started, so later clicks must not add to whatever path is last now.
    if (g_builder.PathInProgress > 0 && i <= g_builder.PathInProgress) {
        AbandonPathInProgress();
    }
}

void ConvertSelectedToBrush(int32_t brushType)
{
    int32_t i = 1;
    while (i <= Doc().DocPathCount()) {
        if (!std::as_const(Doc().DocPaths)[static_cast<size_t>(i)].blSelected) {
            ++i;
            continue;
        }
        i += MakeBrushOutline(i, brushType) ? 2 : 1;
    }
}

void FitGradientFrame(PathRecord &path)
{
    if (path.Anchors.empty()) {
        return;
    }
    auto [minX, maxX] = std::minmax_element(path.Anchors.begin(), path.Anchors.end(),
                                            [](const AnchorPoint &a, const AnchorPoint &b) { return a.X < b.X; });
    auto [minY, maxY] = std::minmax_element(path.Anchors.begin(), path.Anchors.end(),
                                            [](const AnchorPoint &a, const AnchorPoint &b) { return a.Y < b.Y; });
    path.GradCenterX = platform::RoundToInt32((static_cast<double>(maxX->X) + minX->X) / 2.0);
    path.GradCenterY = platform::RoundToInt32((static_cast<double>(maxY->Y) + minY->Y) / 2.0);
    int64_t width = int64_t{maxX->X} - minX->X;
    int64_t height = int64_t{maxY->Y} - minY->Y;
    int64_t extent = width;
    path.GradAngle = 0.0f;
    if (width < height) {
        path.GradAngle = 90.0f;
        extent = height;
    }
    path.GradRatioX = path.GradRatioY = static_cast<float>(static_cast<double>(extent) / 32768.0);
}

}  // namespace core
