#include "canvastools/grid_snap.h"

#include "canvastools/canvas_window.h"
#include "canvastools/selection_overlay.h"
#include "core/document.h"
#include "platform/base/rounding.h"

#include <cstdlib>

namespace canvastools {
namespace {

struct GridAxis {
    int32_t spacing = 0;
    int32_t tolerance = 0;
};

GridAxis AxisOf(int32_t axis)
{
    const core::CanvasSettings &settings = core::Doc().CurrentSettings;
    int32_t spacing = axis == 1 ? settings.GridWidth : settings.GridHeight;
    double tolerance = static_cast<double>(settings.GridPower) * spacing / 200.0;
    return GridAxis{spacing, platform::RoundToInt32(tolerance)};
}

// The grid line the coordinate snaps to, or none when it lies outside the tolerance.
bool NearestGridLine(int32_t value, const GridAxis &axis, int64_t &line, int32_t &remainder)
{
    int64_t spacing = axis.spacing;
    int64_t whole = value / spacing;  // truncates toward zero
    remainder = static_cast<int32_t>(std::llabs(value % spacing));
    if (remainder < axis.tolerance) {
        line = whole * spacing;
        return true;
    }
    if (spacing - remainder < axis.tolerance) {
        int64_t sign = value > 0 ? 1 : (value < 0 ? -1 : 0);
        line = (whole + sign) * spacing;
        return true;
    }
    return false;
}

void SnapCoordinate(int32_t &value, int32_t axisNumber)
{
    GridAxis axis = AxisOf(axisNumber);
    if (axis.spacing <= 0) {
        return;
    }
    int64_t line = 0;
    int32_t remainder = 0;
    if (NearestGridLine(value, axis, line, remainder)) {
        value = platform::SaturateInt<int32_t>(line);
    }
}

}  // namespace

bool SnapIsOn()
{
    if (!HasCanvasWindow()) {
        return false;
    }
    const CanvasView &view = CanvasWindow();
    return view.Toggles().snap && (view.Toggles().grid || view.Options().NotSnapInvisibleGrid != 1);
}

void SnapGrid(int32_t &x, int32_t &y)
{
    if (!SnapIsOn()) {
        return;
    }
    SnapCoordinate(x, 1);
    SnapCoordinate(y, 2);
}

bool GetGridDistance(int32_t x, int32_t y, int32_t axisNumber, int32_t &d)
{
    if (!SnapIsOn() || (axisNumber != 1 && axisNumber != 2)) {
        return false;
    }
    GridAxis axis = AxisOf(axisNumber);
    if (axis.spacing <= 0) {
        return false;
    }
    int32_t value = axisNumber == 1 ? x : y;
    int64_t line = 0;
    int32_t remainder = 0;
    bool near = NearestGridLine(value, axis, line, remainder);
    d = near ? platform::SaturateInt<int32_t>(value - line) : remainder;
    return near;
}

bool MoveSelectedPath(int32_t dx, int32_t dy, bool all)
{
    core::Document &doc = core::Doc();
    // The selection frame moves with the paths instead of being found again from every anchor.
    const bool framed = SelectionFrameCurrent();
    bool moved = false;
    for (int32_t i = 1; i <= doc.DocPathCount(); ++i) {
        if (!all && !core::DocPath(i).blSelected) {
            continue;
        }
        core::PathRecord &path = core::ChangeDocPath(i);
        path.GradCenterX = platform::SaturateInt<int32_t>(int64_t{path.GradCenterX} + dx);
        path.GradCenterY = platform::SaturateInt<int32_t>(int64_t{path.GradCenterY} + dy);
        for (core::AnchorPoint &anchor : path.Anchors) {
            anchor.X = platform::SaturateInt<int32_t>(int64_t{anchor.X} + dx);
            anchor.Y = platform::SaturateInt<int32_t>(int64_t{anchor.Y} + dy);
        }
        moved = true;
    }
    if (framed && moved) {
        MoveSelectionFrame(dx, dy);
    }
    return moved;
}

}  // namespace canvastools
