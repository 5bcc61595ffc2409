// The SVG reader's intermediate model: outlines of straight and quadratic nodes (QlkPath) and
// groups of outlines sharing one line, fill and gradient (QlkGroup), and their conversion into
// the drawing core's path records.
#pragma once

#include "core/path_record.h"
#include "import/svg_geometry.h"

#include <cstdint>
#include <vector>

namespace importer {

struct PathNode {
    int32_t NodeKind = 0;  // 0 straight segment, 1 quadratic curve
    int32_t CtrlX = 0;     // control point (curves only), twips
    int32_t CtrlY = 0;
    int32_t EndX = 0;      // end point, twips
    int32_t EndY = 0;
};

class QlkGroup;

class QlkPath {
public:
    QlkPath() { ResetBounds(); }

    int32_t count() const { return static_cast<int32_t>(nodes_.size()); }
    size_t Capacity() const { return nodes_.capacity(); }
    bool blClosePath = false;
    int32_t StartX() const { return startX_; }
    int32_t StartY() const { return startY_; }
    int32_t CurrentX() const { return currentX_; }
    int32_t CurrentY() const { return currentY_; }
    int32_t XMin() const { return xMin_; }
    int32_t YMin() const { return yMin_; }
    int32_t XMax() const { return xMax_; }
    int32_t YMax() const { return yMax_; }
    int64_t BoundsWidth() const { return static_cast<int64_t>(xMax_) - xMin_; }
    int64_t BoundsHeight() const { return static_cast<int64_t>(yMax_) - yMin_; }

    void SetXY(int32_t x, int32_t y);
    void MovePenTo(int32_t x, int32_t y);
    // Relative line; throws SvgError when the end leaves the 32-bit range.
    void DrawLine(int32_t dx, int32_t dy);
    void DrawLineTo(int32_t x, int32_t y);
    void DrawCurveTo(int32_t cx, int32_t cy, int32_t ax, int32_t ay);
    // Makes the subpath's start the current point again (after a close).
    void ReturnToStart();
    void Transformation(const MatrixList &list1, const MatrixList &list2);
    // The same through the two lists joined (JoinMatrixLists).
    void Transformation(std::span<const SvgMatrix> run);

    const PathNode &GetNode(int32_t index) const { return nodes_.at(static_cast<size_t>(index)); }
    core::PathRecord GetPathRecord(const QlkGroup &group, int32_t compoundId) const;
    void ResetBounds();

private:
    std::vector<PathNode> nodes_;
    int32_t startX_ = 0, startY_ = 0;
    int32_t currentX_ = 0, currentY_ = 0;
    int32_t xMin_ = 0, yMin_ = 0, xMax_ = 0, yMax_ = 0;
};

class QlkGroup {
public:
    std::vector<QlkPath> colQLKPath;
    int32_t LineWidth = 20;
    bool blLineMode = false;
    uint32_t LineColor = 0;
    int32_t LineCap = 0;     // 0 round, 1 butt, 2 square
    int32_t LineJoin = 0;    // 0 round, 1 bevel, 2 miter
    int32_t LineMiter = 256;
    int32_t SpreadMethod = 0;  // 0 pad, 1 reflect, 2 repeat
    int32_t FillMode = 0;      // 0 none, 1 solid, 2 linear gradient, 3 radial gradient
    uint32_t FillColor = 0;
    int32_t GradCenterX = 0;
    int32_t GradCenterY = 0;
    float GradAngle = 0;
    float GradRatioX = 0;
    float GradRatioY = 0;
    float GradSkewX = 0;
    float GradSkewY() const { return 0; }
    std::vector<uint32_t> ColorTbl;     // stop colours, first to last
    std::vector<int32_t> ColorPosTbl;   // their positions 0..255

    uint32_t ColorValue(int32_t index) const { return ColorTbl.at(static_cast<size_t>(index)); }
    int32_t ColorPosValue(int32_t index) const { return ColorPosTbl.at(static_cast<size_t>(index)); }

    void Transformation(const MatrixList &list1, const MatrixList &list2);
    // Left, top, right, bottom over all paths; INT32_MAX, INT32_MAX, INT32_MIN, INT32_MIN when empty.
    core::Rect32 GetBounds() const;
    // The group's paths as records; two or more form one compound path numbered by the counter.
    core::PathCollection GetGroupPathRecords(int32_t &compoundCounter) const;
    // The same records appended to paths (element 0 already there).
    void AppendGroupPathRecords(core::PathArray &paths, int32_t &compoundCounter) const;
};

}  // namespace importer
