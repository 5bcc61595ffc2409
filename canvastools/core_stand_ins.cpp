#include "canvastools/core_stand_ins.h"

#include "core/document.h"
#include "core/history.h"
#include "platform/base/rounding.h"

namespace canvastools {

void BeginPath(int32_t x, int32_t y, float width, int16_t lineMode, int16_t fillType,
               const std::array<core::Color, 3> &colors, int16_t kind)
{
    core::PathRecord path;
    path.Anchors.push_back(core::AnchorPoint{x, y, kind});
    path.LineWidth = platform::RoundToInt32(static_cast<double>(width) * 20.0);
    path.LineMode = lineMode;
    path.FillType = fillType;
    path.LineColor = colors[0];
    path.FillColor = colors[1];
    path.GradColor = colors[2];
    path.GradRatioX = 1.0f;
    core::Doc().DocPaths.push_back(std::move(path));
}

void AddAnchor(int32_t x, int32_t y, int16_t kind)
{
    core::Document &doc = core::Doc();
    if (doc.DocPathCount() < 1) {
        return;
    }
    core::PathRecord &path = doc.DocPaths.back();
    path.CacheMark.clear();
    if (kind == -1 && !path.Anchors.empty()) {
        path.Anchors.back().AnchorKind = core::kControlPoint;
        kind = core::kOnCurve;
    }
    path.Anchors.push_back(core::AnchorPoint{x, y, kind});
}

void FinishPath(int32_t, int32_t, bool close)
{
    core::Document &doc = core::Doc();
    if (doc.DocPathCount() < 1) {
        return;
    }
    core::PathRecord &path = doc.DocPaths.back();
    if (close) {
        path.blClosed = true;
        if (path.AnchorMax() > 1) {
            path.Anchors.pop_back();
        }
    }
    if (path.AnchorMax() < 1) {
        doc.DocPaths.pop_back();
        return;
    }
    MakeCanvasMovie();
    core::RecordHistory();
}

void SelectPathOrGroup(int32_t index, bool flag)
{
    core::Document &doc = core::Doc();
    if (index < 1 || index > doc.DocPathCount()) {
        return;
    }
    core::PathRecord &path = doc.DocPaths[static_cast<size_t>(index)];
    path.blSelected = flag;
    if (path.GroupID == 0 || !path.blGroup) {
        return;
    }
    for (int32_t i = 1; i <= doc.DocPathCount(); ++i) {
        core::PathRecord &member = doc.DocPaths[static_cast<size_t>(i)];
        if (member.blGroup && member.GroupID == path.GroupID) {
            member.blSelected = flag;
        }
    }
}

int32_t GetClipCount()
{
    return 0;
}

void MakeCanvasMovie()
{
}

}  // namespace canvastools
