#include "canvastools/canvas_input.h"

#include "canvastools/anchor_tool.h"
#include "canvastools/bucket_brush_tools.h"
#include "canvastools/canvas_input_state.h"
#include "canvastools/canvas_window.h"
#include "canvastools/gradient_tool.h"
#include "canvastools/grid_snap.h"
#include "canvastools/pen_tools.h"
#include "canvastools/select_tool.h"
#include "canvastools/shape_tools.h"
#include "canvastools/status_line.h"
#include "canvastools/tool_palette.h"
#include "core/document.h"
#include "core/document_lifecycle.h"
#include "core/history.h"
#include "movie/canvas_movie.h"
#include "platform/base/number_text.h"
#include "platform/base/rounding.h"
#include "platform/forms/key_codes.h"
#include "platform/forms/picture_box.h"

#include <algorithm>
#include <iterator>

namespace canvastools {
namespace {

using core::Doc;

constexpr int kAlt = platform::kAltMask;
constexpr int kCtrlAlt = platform::kCtrlMask | platform::kAltMask;
constexpr int kStatusHoldMoves = 5;
constexpr float kMinimumUnderlayScale = 0.01f;

CanvasView &Window()
{
    return CanvasWindow();
}

void RawPoint(float x, float y, int32_t &xt, int32_t &yt)
{
    Window().PosScrToTwip(x, y, xt, yt);
}

void SnappedPoint(float x, float y, int32_t &xt, int32_t &yt)
{
    RawPoint(x, y, xt, yt);
    SnapGrid(xt, yt);
}

void ShowPanPointer()
{
    Window().Picture().setCursor(Qt::SizeAllCursor);
}

// Alt+right click: the view is centred on the click point, as far as the scroll bars reach.
void CentreViewOn(float x, float y)
{
    const ViewMetrics view = Window().CurrentViewMetrics();
    double h = static_cast<double>(view.hScrollValue) + x - view.VisibleWidth() / 2;
    double v = static_cast<double>(view.vScrollValue) + y - view.VisibleHeight() / 2;
    Window().ScrollTo(h, v);
}

bool UnderlayDragAllowed()
{
    return Doc().CurrentSettings.BackgroundFlag == 1 && Window().Toggles().underlay;
}

void ArmPan(float x, float y)
{
    Input().PanOriginX = platform::RoundToInt32(x);
    Input().PanOriginY = platform::RoundToInt32(y);
    Input().PanActive = true;
    ShowPanPointer();
}

void PanStep(float x, float y)
{
    CanvasInputState &input = Input();
    if (!input.PanActive) {
        ShowPanPointer();
        return;
    }
    const ViewMetrics view = Window().CurrentViewMetrics();
    Window().ScrollTo(static_cast<double>(view.hScrollValue) + input.PanOriginX - x,
                      static_cast<double>(view.vScrollValue) + input.PanOriginY - y);
    input.PanOriginX = platform::RoundToInt32(x);
    input.PanOriginY = platform::RoundToInt32(y);
}

// Adds the movement in canvas pixels; what is below one pixel waits for the next step.
int32_t MoveWithCarry(int32_t value, double movement, double &carry)
{
    double total = movement + carry;
    double whole = platform::RoundHalfEven(total);
    carry = total - whole;
    return platform::SaturateInt<int32_t>(int64_t{value} + platform::SaturateCast<int32_t>(whole));
}

void UnderlayStep(int button, float x, float y)
{
    CanvasInputState &input = Input();
    if (!input.PanActive) {
        ShowPanPointer();
        return;
    }
    core::CanvasSettings &settings = Doc().CurrentSettings;
    float zoom = Doc().ZoomRate;
    if (button & platform::kLeftButton) {
        settings.BackgroundX = MoveWithCarry(settings.BackgroundX, -(input.PanOriginX - x) / zoom, input.UnderlayCarryX);
        settings.BackgroundY = MoveWithCarry(settings.BackgroundY, -(input.PanOriginY - y) / zoom, input.UnderlayCarryY);
    } else if (button & platform::kRightButton) {
        float scale = settings.BackgroundScale - (input.PanOriginX - x) / zoom * 0.005f;
        settings.BackgroundScale = std::max(scale, kMinimumUnderlayScale);
    }
    input.PanOriginX = platform::RoundToInt32(x);
    input.PanOriginY = platform::RoundToInt32(y);
    movie::MakeCanvasMovie();
    Window().DispShape(1);
    SetStatusText(QStringLiteral("下絵 : (%1,%2) x%3")
                      .arg(settings.BackgroundX)
                      .arg(settings.BackgroundY)
                      .arg(QString::fromStdString(platform::FormatNumber(
                          platform::Val(platform::FormatSingle(settings.BackgroundScale))))));
    core::SetModified(true);
}

void ExpirePopup()
{
    CanvasInputState &input = Input();
    if (input.PopupMoveSeen) {
        input.PopupShown = false;
        input.PopupMoveSeen = false;
    } else if (input.PopupShown) {
        input.PopupMoveSeen = true;
    }
}

// A hint stays for four further moves; then the pointer's canvas pixels follow every move.
void ShowPointerCoordinates(int32_t xt, int32_t yt)
{
    CanvasInputState &input = Input();
    if (!StatusText().startsWith(QLatin1Char('(')) && input.StatusHoldCount == 0) {
        input.StatusHoldCount = kStatusHoldMoves;
    }
    if (input.StatusHoldCount > 0) {
        --input.StatusHoldCount;
    }
    if (input.StatusHoldCount == 0) {
        QString text = QStringLiteral("(%1,%2)").arg(xt / 20).arg(yt / 20);
        SetStatusText(text.leftJustified(kStatusWidth, QLatin1Char(' ')));
    }
}

void KeyStep(int keyCode, int shift, int32_t &dx, int32_t &dy)
{
    const core::CanvasSettings &settings = Doc().CurrentSettings;
    dx = dy = 0;
    switch (keyCode) {
    case platform::kVkUp:
        dy = -(settings.GridHeight / 2);
        break;
    case platform::kVkDown:
        dy = settings.GridHeight / 2;
        break;
    case platform::kVkLeft:
        dx = -(settings.GridWidth / 2);
        break;
    case platform::kVkRight:
        dx = settings.GridWidth / 2;
        break;
    default:
        return;
    }
    auto fixed = [](int32_t v, int32_t step) { return v > 0 ? step : (v < 0 ? -step : 0); };
    if (shift == platform::kShiftMask) {
        dx = fixed(dx, 20);
        dy = fixed(dy, 20);
    } else if (shift == platform::kCtrlMask) {
        dx = fixed(dx, 1);
        dy = fixed(dy, 1);
    }
}

bool NudgeSelectedAnchors(int32_t dx, int32_t dy)
{
    const auto &anchors = Doc().SelectedAnchors;
    bool moved = false;
    for (size_t i = 1; i < anchors.size(); ++i) {
        int32_t path = anchors[i].PathIndex;
        if (path >= 1 && path <= Doc().DocPathCount()) {
            core::MoveAnchor(dx, dy, path, anchors[i].AnchorIndex);
        }
        moved = true;
    }
    return moved;
}

// A mouse event as a tool receives it: the button (pressed, or held while moving), the modifiers,
// the tool and the point in twips.
struct ToolEvent {
    int button;
    int shift;
    int16_t tool;
    int32_t x;
    int32_t y;
};
using ToolHandler = void (*)(const ToolEvent &);

// One tool's part of the mouse events: whether it works with grid-snapped points (the drawing
// tools) or raw ones, and its handlers for a press, a move and a release (none: not handled).
struct ToolRow {
    bool snapped;
    ToolHandler down;
    ToolHandler move;
    ToolHandler up;
};

constexpr ToolRow kShapeRow{true, [](const ToolEvent &e) { Shape_MouseDown(e.tool, e.x, e.y); }, nullptr, nullptr};

// The tools in the order of their numbers (kToolFreehand ... kToolBrush).
constexpr ToolRow kTools[] = {
    {true, [](const ToolEvent &e) { Freehand_MouseDown(e.x, e.y); },
     [](const ToolEvent &e) { Freehand_MouseMove(e.x, e.y); }, [](const ToolEvent &e) { Freehand_MouseUp(e.x, e.y); }},
    {false, [](const ToolEvent &e) { Anchor_MouseDown(e.button, e.shift, e.x, e.y); },
     [](const ToolEvent &e) { Anchor_MouseMove(e.button, e.shift, e.x, e.y); },
     [](const ToolEvent &e) { Anchor_MouseUp(e.button, e.shift, e.x, e.y); }},
    {false, [](const ToolEvent &e) { Select_MouseDown(e.button, e.shift, e.x, e.y); },
     [](const ToolEvent &e) { Select_MouseMove(e.button, e.shift, e.x, e.y); },
     [](const ToolEvent &e) { Select_MouseUp(e.button, e.shift, e.x, e.y); }},
    {false, [](const ToolEvent &e) { Gradient_MouseDown(e.button, e.shift, e.x, e.y); },
     [](const ToolEvent &e) { Gradient_MouseMove(e.button, e.shift, e.x, e.y); },
     [](const ToolEvent &e) { Gradient_MouseUp(e.button, e.shift, e.x, e.y); }},
    kShapeRow,  // rectangle
    kShapeRow,  // ellipse
    {true, [](const ToolEvent &e) { Pen_MouseDown(e.button, e.x, e.y); },
     [](const ToolEvent &e) { Pen_MouseMove(e.button, e.x, e.y); }, [](const ToolEvent &e) { Pen_MouseUp(e.x, e.y); }},
    kShapeRow,  // polygon
    kShapeRow,  // text
    {false, [](const ToolEvent &e) { Bucket_MouseDown(e.x, e.y); }, nullptr, nullptr},
    {false, [](const ToolEvent &e) { Brush_MouseDown(e.button, e.x, e.y); },
     [](const ToolEvent &e) { Brush_MouseMove(e.button, e.x, e.y); },
     [](const ToolEvent &e) { Brush_MouseUp(e.button, e.x, e.y); }},
};
static_assert(std::size(kTools) == kToolBrush + 1, "one row per tool");

enum class Phase { Down, Move, Up };

// The current tool's part of a mouse event, with the point the tool works with.
void RunTool(Phase phase, int button, int shift, float x, float y)
{
    const int16_t tool = Input().CurrentTool;
    if (tool < 0 || tool >= static_cast<int16_t>(std::size(kTools))) {
        return;
    }
    const ToolRow &row = kTools[tool];
    const ToolHandler handler = phase == Phase::Down ? row.down : (phase == Phase::Move ? row.move : row.up);
    if (!handler) {
        return;
    }
    int32_t xt = 0, yt = 0;
    if (row.snapped) {
        SnappedPoint(x, y, xt, yt);
    } else {
        RawPoint(x, y, xt, yt);
    }
    handler(ToolEvent{button, shift, tool, xt, yt});
}

}  // namespace

void Picture1_KeyDown(int keyCode, int shift)
{
    int32_t dx = 0;
    int32_t dy = 0;
    KeyStep(keyCode, shift, dx, dy);
    if (dx == 0 && dy == 0) {
        return;
    }
    bool changed = false;
    if (Input().CurrentTool == kToolSelect) {
        changed = MoveSelectedPath(dx, dy, false);
    } else if (Input().CurrentTool == kToolAnchorEdit) {
        changed = NudgeSelectedAnchors(dx, dy);
    }
    if (changed) {
        core::RecordHistory();
        Window().RemakeCanvasSoon();
    }
}

namespace {

void MouseDown(int button, int shift, float x, float y)
{
    CanvasInputState &input = Input();
    input.PendingShapeTool = -1;
    if (shift == kAlt) {
        ArmPan(x, y);
        if (button == platform::kRightButton) {
            CentreViewOn(x, y);
        }
        return;
    }
    if (shift == kCtrlAlt && UnderlayDragAllowed()) {
        ArmPan(x, y);
        input.UnderlayCarryX = input.UnderlayCarryY = 0;
        return;
    }
    input.PanActive = false;
    SetToolCursor(input.CurrentTool);
    RunTool(Phase::Down, button, shift, x, y);
}

// Whether a move or release arrived inside a mouse-down's handling; it then runs afterwards, in
// order, so that a quick release never comes before the drag it ends is armed.
bool DeferredDuringMouseDown(bool release, int button, int shift, float x, float y)
{
    CanvasInputState &input = Input();
    if (!input.InMouseDown) {
        return false;
    }
    input.DeferredMouse.push_back({release, button, shift, x, y});
    return true;
}

}  // namespace

void Picture1_MouseDown(int button, int shift, float x, float y)
{
    CanvasInputState &input = Input();
    if (input.InMouseDown) {
        return;  // a second press inside the first one's handling has nothing to act on yet
    }
    input.InMouseDown = true;
    MouseDown(button, shift, x, y);
    input.InMouseDown = false;
    std::vector<CanvasInputState::DeferredMouseEvent> deferred;
    deferred.swap(input.DeferredMouse);
    for (const CanvasInputState::DeferredMouseEvent &e : deferred) {
        if (e.release) {
            Picture1_MouseUp(e.button, e.shift, e.x, e.y);
        } else {
            Picture1_MouseMove(e.button, e.shift, e.x, e.y);
        }
    }
}

void Picture1_MouseMove(int button, int shift, float x, float y)
{
    if (DeferredDuringMouseDown(false, button, shift, x, y)) {
        return;
    }
    CanvasInputState &input = Input();
    ExpirePopup();
    if (shift == kAlt) {
        PanStep(x, y);
        return;
    }
    if (shift == kCtrlAlt && UnderlayDragAllowed()) {
        UnderlayStep(button, x, y);
        return;
    }
    input.PanActive = false;
    SetToolCursor(input.CurrentTool);
    int32_t xt = 0, yt = 0;
    RawPoint(x, y, xt, yt);
    ShowPointerCoordinates(xt, yt);
    RunTool(Phase::Move, button, shift, x, y);
}

void Picture1_MouseUp(int button, int shift, float x, float y)
{
    if (DeferredDuringMouseDown(true, button, shift, x, y)) {
        return;
    }
    CanvasInputState &input = Input();
    input.PopupShown = false;
    input.PanActive = false;
    SetToolCursor(input.CurrentTool);
    if (!input.DragArmed) {
        return;
    }
    RunTool(Phase::Up, button, shift, x, y);
}

}  // namespace canvastools
