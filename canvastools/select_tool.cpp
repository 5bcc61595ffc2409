#include "canvastools/select_tool.h"

#include "canvastools/canvas_input_state.h"
#include "canvastools/canvas_window.h"
#include "canvastools/grid_snap.h"
#include "canvastools/selection_overlay.h"
#include "canvastools/selection_transform.h"
#include "canvastools/shape_tools.h"
#include "canvastools/shape_tools.h"
#include "canvastools/status_line.h"
#include "core/clipboard.h"
#include "core/document.h"
#include "core/geometry.h"
#include "core/groups.h"
#include "core/history.h"
#include "core/hit_search.h"
#include "core/host.h"
#include "movie/canvas_movie.h"
#include "platform/base/rounding.h"
#include "platform/forms/key_codes.h"
#include "platform/forms/picture_box.h"

#include <cmath>
#include <cstdlib>

namespace canvastools {
namespace {

using core::Doc;

enum DragModeValue : int16_t { kDragNone = 0, kDragScale = 1, kDragRotate = 2, kDragSkew = 3 };

bool WithCtrl(int shift)
{
    return (shift & platform::kCtrlMask) != 0;
}

CanvasView &Window()
{
    return CanvasWindow();
}

void Redisplay(int16_t flag)
{
    Window().DispShape(flag);
}

// The path whose edge runs under the point, 0 when none.
int32_t PathAt(int32_t x, int32_t y)
{
    int32_t path = 0, anchor = 0;
    core::FindSegmentNear(x, y, path, anchor);
    return path;
}

// The smallest grid distance of the given frame coordinates moved by delta, or the spacing.
int32_t GridAlignment(const int32_t (&coordinates)[3], int32_t delta, int32_t axis, int32_t spacing)
{
    int32_t best = spacing;
    for (int32_t coordinate : coordinates) {
        int32_t moved = platform::SaturateInt<int32_t>(int64_t{coordinate} + delta);
        int32_t d = 0;
        bool near = axis == 1 ? GetGridDistance(moved, 0, 1, d) : GetGridDistance(0, moved, 2, d);
        if (near && std::llabs(d) < std::llabs(best)) {
            best = d;
        }
    }
    return best;
}

void MoveStep(int shift, int32_t x, int32_t y)
{
    CanvasInputState &input = Input();
    core::Document &doc = Doc();
    input.DragMode = kDragScale;
    bool selected = std::as_const(doc.DocPaths)[static_cast<size_t>(doc.HitPath)].blSelected;
    if (!WithCtrl(shift) && !selected) {
        core::DeselectAllPaths();
    }
    if (!selected) {
        core::SelectPathOrGroup(doc.HitPath, true);
    }
    CalcSelectedRect();
    int32_t dx = platform::SaturateInt<int32_t>(int64_t{x} - input.DragOriginX);
    int32_t dy = platform::SaturateInt<int32_t>(int64_t{y} - input.DragOriginY);
    if (SnapIsOn()) {
        const auto &h = input.HandlePoints;
        const core::CanvasSettings &settings = doc.CurrentSettings;
        int32_t alignX = GridAlignment({h[3].X, h[4].X, h[5].X}, dx, 1, settings.GridWidth);
        if (std::llabs(alignX) < std::llabs(settings.GridWidth)) {
            dx -= alignX;
        }
        int32_t alignY = GridAlignment({h[1].Y, h[4].Y, h[7].Y}, dy, 2, settings.GridHeight);
        if (std::llabs(alignY) < std::llabs(settings.GridHeight)) {
            dy -= alignY;
        }
    }
    // Only a real offset counts as a change: a step the grid swallowed leaves the drawing as it was.
    if (MoveSelectedPath(dx, dy, false) && (dx != 0 || dy != 0)) {
        input.DragChanged = true;
    }
    input.DragOriginX = platform::SaturateInt<int32_t>(int64_t{input.DragOriginX} + dx);
    input.DragOriginY = platform::SaturateInt<int32_t>(int64_t{input.DragOriginY} + dy);
    if (input.RealtimeMode) {
        movie::MakeCanvasMovie();
        Redisplay(3);
    } else {
        Redisplay(1);
    }
}

double Ratio(int32_t current, int32_t origin, int32_t pivot)
{
    if (origin == pivot) {
        return 1.0;
    }
    return (static_cast<double>(current) - pivot) / (static_cast<double>(origin) - pivot);
}

struct HandleDrag {
    Point32 pivot;
    Point32 origin;   // the reference point (the dragged handle's position with snapping)
    Point32 current;
    float rx = 1.0f;
    float ry = 1.0f;
};

// Pivot and factors of a scale or skew step by handle n.
HandleDrag ScaleFactors(int button, int shift, int32_t x, int32_t y)
{
    CanvasInputState &input = Input();
    const auto &h = input.HandlePoints;
    int32_t n = Doc().HitPath2;
    HandleDrag drag;
    drag.pivot = button == platform::kRightButton ? h[4] : h[static_cast<size_t>(Doc().HitPath)];
    drag.current = Point32{x, y};
    if (SnapIsOn()) {
        input.DragOriginX = h[static_cast<size_t>(n - 1)].X;
        input.DragOriginY = h[static_cast<size_t>(n - 1)].Y;
        SnapGrid(drag.current.X, drag.current.Y);
    }
    drag.origin = Point32{input.DragOriginX, input.DragOriginY};
    double rx = Ratio(drag.current.X, drag.origin.X, drag.pivot.X);
    double ry = Ratio(drag.current.Y, drag.origin.Y, drag.pivot.Y);
    bool ctrl = WithCtrl(shift);
    if (n == 2 || n == 8) {
        rx = ctrl ? ry : 1.0;
    } else if (n == 4 || n == 6) {
        ry = ctrl ? rx : 1.0;
    } else if (ctrl) {
        rx = ry = std::max(rx, ry);
    }
    drag.rx = static_cast<float>(rx);
    drag.ry = static_cast<float>(ry);
    return drag;
}

int32_t ScaleCoordinate(int32_t v, float r, int32_t pivot)
{
    return platform::RoundToInt32(static_cast<double>(r) * (static_cast<double>(v) - pivot) + pivot);
}

void ScaleStep(int button, int shift, int32_t x, int32_t y)
{
    HandleDrag drag = ScaleFactors(button, shift, x, y);
    bool any = TransformSelectedPaths([&](int32_t &px, int32_t &py) {
        px = ScaleCoordinate(px, drag.rx, drag.pivot.X);
        py = ScaleCoordinate(py, drag.ry, drag.pivot.Y);
    });
    if (any && (drag.rx != 1.0f || drag.ry != 1.0f)) {
        Input().DragChanged = true;
    }
}

void RotateStep(int button, int32_t x, int32_t y)
{
    const CanvasInputState &input = Input();
    Point32 pivot = button == platform::kRightButton ? input.HandlePoints[static_cast<size_t>(Doc().HitPath)]
                                                     : input.HandlePoints[4];
    float degrees = core::GetAngle(pivot.X, pivot.Y, x, y) -
                    core::GetAngle(pivot.X, pivot.Y, input.DragOriginX, input.DragOriginY);
    float theta = static_cast<float>(degrees * core::kRadiansPerDegree);
    auto rotate = [&](int32_t &px, int32_t &py) { core::RotatePoint(px, py, pivot.X, pivot.Y, theta); };
    bool any = TransformSelectedPaths(rotate, degrees);
    TransformFrame(rotate);
    if (any && theta != 0.0f) {
        Input().DragChanged = true;
    }
    QString sign = theta > 0.0f ? QStringLiteral("+") : QString();
    WriteStatusField(12, QStringLiteral("[%1%2ﾟ]").arg(sign).arg(static_cast<int64_t>(std::floor(degrees))));
}

void SkewStep(int button, int shift, int32_t x, int32_t y)
{
    int32_t n = Doc().HitPath2;
    HandleDrag drag = ScaleFactors(button, shift, x, y);
    if (n % 2 == 1) {
        int64_t moveX = std::llabs(int64_t{drag.current.X} - drag.origin.X);
        int64_t moveY = std::llabs(int64_t{drag.current.Y} - drag.origin.Y);
        if (moveY >= moveX) {
            drag.current.X = drag.origin.X;
            drag.rx = 1.0f;
        } else {
            drag.current.Y = drag.origin.Y;
            drag.ry = 1.0f;
        }
    }
    auto skew = [&](int32_t &px, int32_t &py) {
        core::ScaleByHandle(px, py, drag.pivot.X, drag.pivot.Y, drag.rx, drag.ry, drag.current.X, drag.current.Y, n);
    };
    bool any = TransformSelectedPaths(skew);
    TransformFrame(skew);
    // A pure skew keeps both factors at 1; the handle's move from its place is the change then.
    bool moved = drag.current.X != drag.origin.X || drag.current.Y != drag.origin.Y;
    if (any && (drag.rx != 1.0f || drag.ry != 1.0f || moved)) {
        Input().DragChanged = true;
    }
}

void HandleStep(int button, int shift, int32_t x, int32_t y)
{
    CanvasInputState &input = Input();
    core::RestorePathSnapshot();
    CalcSelectedRect();
    switch (input.DragMode) {
    case kDragScale:
        ScaleStep(button, shift, x, y);
        break;
    case kDragRotate:
        RotateStep(button, x, y);
        break;
    case kDragSkew:
        SkewStep(button, shift, x, y);
        break;
    default:
        return;
    }
    if (input.RealtimeMode) {
        ApplyNewRectangleCorners();
        movie::MakeCanvasMovie();
        Redisplay(3);
    } else {
        Redisplay(input.DragMode == kDragScale ? 1 : 2);
    }
}

void ShowEmptyCanvasMenu(int32_t x, int32_t y)
{
    CanvasMenus &menus = Window().Menus();
    core::Document &doc = Doc();
    doc.AreaSelectRect = core::NormalizeRect(Input().DragOriginX, Input().DragOriginY, x, y);
    menus.mnuPastePath->SetEnabled(core::GetClipCount() > 0);
    menus.mnuSelectAll->SetEnabled(doc.DocPathCount() > 0);
    menus.mnuClipout->SetEnabled(doc.DocPathCount() > 0);
    const core::Rect32 &band = doc.AreaSelectRect;
    menus.mnuRectCanvas->SetEnabled(band.Right > band.Left && band.Bottom > band.Top);
    Input().PopupShown = true;
    platform::PopupMenu(menus.mnuSelectMode2);
    movie::MakeCanvasMovie();
    Redisplay(0);
}

void ShowPathMenu(int32_t x, int32_t y)
{
    CanvasMenus &menus = Window().Menus();
    for (platform::MenuItem *item : {menus.mnuClosePath, menus.mnuOpenPath, menus.mnuGroupMake, menus.mnuGroupClear,
                                     menus.mnuGroupAgain, menus.mnuCompoundMake, menus.mnuCompoundClear,
                                     menus.mnuCompoundAgain}) {
        item->SetEnabled(true);
    }
    if (core::CountSelectedPaths() == 1) {
        const core::PathRecord &only = std::as_const(Doc().DocPaths)[static_cast<size_t>(FirstSelectedPath())];
        (only.blClosed ? menus.mnuClosePath : menus.mnuOpenPath)->SetEnabled(false);
        menus.mnuGroupMake->SetEnabled(false);
        menus.mnuCompoundMake->SetEnabled(false);
    }
    const core::PathRecord &hit = std::as_const(Doc().DocPaths)[static_cast<size_t>(Doc().HitPath)];
    menus.mnuGroupClear->SetEnabled(hit.blGroup);
    menus.mnuGroupAgain->SetEnabled(!hit.blGroup && hit.GroupID != 0);
    menus.mnuCompoundClear->SetEnabled(hit.blCompound);
    menus.mnuCompoundAgain->SetEnabled(!hit.blCompound && hit.CompoundID != 0);
    bool several = Input().SelectedPathCount >= 2;
    for (platform::MenuItem *item : {menus.mnuFragmentOP1, menus.mnuFragmentOP2, menus.mnuFragmentOP3,
                                     menus.mnuFragmentOP4}) {
        item->SetEnabled(several);
    }
    Input().DragOriginX = x;
    Input().DragOriginY = y;
    Input().PopupShown = true;
    platform::PopupMenu(menus.mnuSelectMode);
    movie::MakeCanvasMovie();
    Redisplay(0);
}

void ClickOnPath(int button, int shift, int32_t x, int32_t y)
{
    core::Document &doc = Doc();
    bool selected = std::as_const(doc.DocPaths)[static_cast<size_t>(doc.HitPath)].blSelected;
    if (!WithCtrl(shift) && !selected) {
        core::DeselectAllPaths();
    }
    if (WithCtrl(shift) || !selected) {
        core::SelectPathOrGroup(doc.HitPath, !selected);
    }
    Redisplay(0);
    if (button == platform::kRightButton) {
        ShowPathMenu(x, y);
    }
    core::GetHost().RefreshSelect();
}

}  // namespace

void Select_MouseDown(int /*button*/, int shift, int32_t x, int32_t y)
{
    CanvasInputState &input = Input();
    core::Document &doc = Doc();
    input.DragMode = kDragNone;
    ArmDrag(x, y);
    doc.HitPath2 = HitTestHandle(x, y);
    if (doc.HitPath2 > 0) {
        core::SavePathSnapshot();
        doc.HitPath = 9 - doc.HitPath2;
        input.DragMode = shift == platform::kShiftMask ? kDragRotate
                         : shift == (platform::kShiftMask | platform::kCtrlMask) ? kDragSkew
                                                                                 : kDragScale;
    } else {
        // The press finds the path under the pointer itself: a click needs no move before it.
        doc.HitPath = PathAt(x, y);
    }
    if (!WithCtrl(shift) && doc.HitPath == 0 && doc.HitPath2 == 0) {
        core::DeselectAllPaths();
    }
}

void Select_MouseMove(int button, int shift, int32_t x, int32_t y)
{
    const CanvasInputState &input = Input();
    const core::Document &doc = Doc();
    if (!input.DragArmed) {
        HoverHandleOrPath(x, y, PathAt);
        return;
    }
    if (doc.HitPath2 > 0) {
        HandleStep(button, shift, x, y);
    } else if (!IsPathIndex(doc.HitPath)) {
        SelectPathsInRect(x, y, input.DragOriginX, input.DragOriginY, false);
    } else {
        MoveStep(shift, x, y);
    }
}

void Select_MouseUp(int button, int shift, int32_t x, int32_t y)
{
    CanvasInputState &input = Input();
    core::Document &doc = Doc();
    if (!input.DragArmed) {
        return;
    }
    if (input.DragMode != kDragNone) {
        ApplyNewRectangleCorners();
        movie::MakeCanvasMovie();
        Redisplay(0);
        if (input.DragChanged) {
            core::RecordHistory();
        } else {
            core::GetHost().RefreshSelect();
        }
    } else if (!IsPathIndex(doc.HitPath)) {
        if (button == platform::kRightButton) {
            ShowEmptyCanvasMenu(x, y);
        } else {
            SelectPathsInRect(x, y, input.DragOriginX, input.DragOriginY, true);
            CalcSelectedRect();
            Redisplay(0);
        }
    } else {
        ClickOnPath(button, shift, x, y);
    }
    core::GetHost().RefreshPosition();
    core::GetHost().RefreshGradient();
    input.DragChanged = false;
    input.DragArmed = false;
    if (CanvasWindow().Options().NotReturnSelectMode == 1 && input.PendingShapeTool >= 0) {
        input.CurrentTool = input.PendingShapeTool;
    }
}

}  // namespace canvastools
