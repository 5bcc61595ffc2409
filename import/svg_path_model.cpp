#include "import/svg_path_model.h"

#include "import/svg_error.h"

#include <algorithm>
#include <limits>

namespace importer {

void QlkPath::ResetBounds()
{
    xMin_ = yMin_ = std::numeric_limits<int32_t>::max();
    xMax_ = yMax_ = std::numeric_limits<int32_t>::min();
}

void QlkPath::SetXY(int32_t x, int32_t y)
{
    currentX_ = x;
    currentY_ = y;
    xMin_ = std::min(xMin_, x);
    yMin_ = std::min(yMin_, y);
    xMax_ = std::max(xMax_, x);
    yMax_ = std::max(yMax_, y);
}

void QlkPath::MovePenTo(int32_t x, int32_t y)
{
    startX_ = x;
    startY_ = y;
    SetXY(x, y);
}

void QlkPath::DrawLine(int32_t dx, int32_t dy)
{
    DrawLineTo(CheckedAdd(currentX_, dx), CheckedAdd(currentY_, dy));
}

void QlkPath::DrawLineTo(int32_t x, int32_t y)
{
    nodes_.push_back({0, 0, 0, x, y});
    SetXY(x, y);
}

void QlkPath::DrawCurveTo(int32_t cx, int32_t cy, int32_t ax, int32_t ay)
{
    nodes_.push_back({1, cx, cy, ax, ay});
    SetXY(cx, cy);
    SetXY(ax, ay);
}

void QlkPath::ReturnToStart()
{
    currentX_ = startX_;
    currentY_ = startY_;
}

void QlkPath::Transformation(const MatrixList &list1, const MatrixList &list2)
{
    Transformation(JoinMatrixLists(list1, list2));
}

void QlkPath::Transformation(std::span<const SvgMatrix> run)
{
    TransformPoint(startX_, startY_, run);
    // The new bounds enclose the old box's transformed corners.
    const int32_t corners[4][2] = {{xMin_, yMin_}, {xMax_, yMin_}, {xMax_, yMax_}, {xMin_, yMax_}};
    ResetBounds();
    for (const auto &corner : corners) {
        int32_t x = corner[0];
        int32_t y = corner[1];
        TransformPoint(x, y, run);
        SetXY(x, y);
    }
    for (PathNode &node : nodes_) {
        if (node.NodeKind == 1) {
            TransformPoint(node.CtrlX, node.CtrlY, run);
        }
        TransformPoint(node.EndX, node.EndY, run);
    }
}

core::PathRecord QlkPath::GetPathRecord(const QlkGroup &group, int32_t compoundId) const
{
    core::PathRecord record;
    record.blClosed = blClosePath;
    record.FillColor = group.FillColor;
    record.GradColor = 0xFFFFFF00u;
    record.GradRatioX = 0.05f;
    record.GradRatioY = 0.05f;
    record.FillType = core::kFillNone;
    if (group.FillMode == 1) {
        record.FillType = core::kFillSolid;
        record.blClosed = true;
    } else if (group.FillMode == 2 || group.FillMode == 3) {
        int32_t last = static_cast<int32_t>(group.ColorTbl.size()) - 1;
        record.FillType = group.FillMode == 2 ? core::kFillLinear : core::kFillRadial;
        record.FillColor = group.ColorValue(0);
        record.GradColor = group.ColorValue(last);
        if (last >= 2) {
            record.SetStopCount(last - 1);
            for (int32_t i = 1; i < last; ++i) {
                record.Stops[static_cast<size_t>(i)] = {group.ColorValue(i), group.ColorPosValue(i)};
            }
        }
        record.GradRatioX = group.GradRatioX;
        record.GradRatioY = group.FillMode == 2 ? group.GradRatioX : group.GradRatioY;
        record.blClosed = true;
    }
    record.LineWidth = group.LineWidth;
    record.LineMode = group.blLineMode ? 1 : 0;
    record.LineColor = group.LineColor;
    record.GradCenterX = group.GradCenterX;
    record.GradCenterY = group.GradCenterY;
    record.GradAngle = group.GradAngle;
    record.blCompound = compoundId != 0;
    record.CompoundID = compoundId;

    size_t anchorCount = 1;
    for (const PathNode &node : nodes_) {
        anchorCount += node.NodeKind == 1 ? 2 : 1;
    }
    record.Anchors.reserve(anchorCount);
    record.Anchors.push_back({startX_, startY_, core::kOnCurve});
    for (const PathNode &node : nodes_) {
        if (node.NodeKind == 1) {
            record.Anchors.push_back({node.CtrlX, node.CtrlY, core::kControlPoint});
        }
        record.Anchors.push_back({node.EndX, node.EndY, core::kOnCurve});
    }
    return record;
}

void QlkGroup::Transformation(const MatrixList &list1, const MatrixList &list2)
{
    const std::vector<SvgMatrix> run = JoinMatrixLists(list1, list2);
    for (QlkPath &path : colQLKPath) {
        path.Transformation(run);
    }
}

core::Rect32 QlkGroup::GetBounds() const
{
    core::Rect32 bounds{std::numeric_limits<int32_t>::max(), std::numeric_limits<int32_t>::max(),
                        std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::min()};
    for (const QlkPath &path : colQLKPath) {
        bounds.Left = std::min(bounds.Left, path.XMin());
        bounds.Top = std::min(bounds.Top, path.YMin());
        bounds.Right = std::max(bounds.Right, path.XMax());
        bounds.Bottom = std::max(bounds.Bottom, path.YMax());
    }
    return bounds;
}

core::PathCollection QlkGroup::GetGroupPathRecords(int32_t &compoundCounter) const
{
    core::PathCollection collection;
    collection.Paths.reserve(colQLKPath.size() + 1);
    AppendGroupPathRecords(collection.Paths, compoundCounter);
    return collection;
}

void QlkGroup::AppendGroupPathRecords(core::PathArray &paths, int32_t &compoundCounter) const
{
    int32_t compoundId = 0;
    if (colQLKPath.size() >= 2) {
        compoundId = ++compoundCounter;
    }
    for (const QlkPath &path : colQLKPath) {
        paths.push_back(path.GetPathRecord(*this, compoundId));
    }
}

}  // namespace importer
