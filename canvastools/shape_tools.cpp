#include "canvastools/shape_tools.h"

#include "canvastools/canvas_input_state.h"
#include "canvastools/canvas_window.h"
#include "canvastools/selection_overlay.h"
#include "canvastools/shape_tool_windows.h"
#include "core/document.h"
#include "core/polygons.h"
#include "core/rectangles.h"
#include "core/text_outlines.h"

#include <QCoreApplication>

namespace canvastools {
namespace {

using core::Doc;

constexpr int32_t kBottomRightHandle = 9;
constexpr int32_t kTopLeftHandle = 0;
constexpr int16_t kDragScale = 1;

// The shape tools hand the drag to the select tool before they create the shape.
void SwitchToSelectTool()
{
    if (CanvasWindow().Options().NotReturnSelectMode == 1) {
        Input().CurrentTool = kToolSelect;
        return;
    }
    CanvasWindow().ChooseTool(kToolSelect);
    // Let the buttons repaint; input waits until the new shape's drag is armed.
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

// Appends the tool's default shape at (x, y); the new path's index (the path count for text),
// below 1 when nothing was created.
int32_t CreateShape(int16_t tool, int32_t x, int32_t y)
{
    const CanvasInputState &input = Input();
    float width = input.CurrentLineWidth;
    int16_t line = input.NewLineMode;
    int16_t fill = input.NewFillType;
    switch (tool) {
    case kToolRectangle:
        return core::CreateRectanglePath(x, y, width, line, fill, input.CurrentColors);
    case kToolEllipse:
        return core::CreateRegularPolygon(x, y, width, line, fill, input.CurrentColors, input.EllipseAnchorCount);
    case kToolPolygon:
        return core::CreatePolygonPath(x, y, width, line, fill, input.CurrentColors, ShapeWindows().PolygonValues());
    case kToolText: {
        platform::GlyphFont font(ShapeWindows().TextCanvasFont());
        return core::CreateTextPaths(x, y, width, line, fill, input.CurrentColors, ShapeWindows().TextValues(), font);
    }
    default:
        return 0;
    }
}

// The new shape is dragged to size as if the select tool had grabbed its bottom-right handle.
void ArmScaleDrag()
{
    CanvasInputState &input = Input();
    core::Document &doc = Doc();
    input.DragOriginX = input.HandlePoints[8].X;
    input.DragOriginY = input.HandlePoints[8].Y;
    input.DragArmed = true;
    core::SavePathSnapshot();
    doc.HitPath2 = kBottomRightHandle;
    doc.HitPath = kTopLeftHandle;
    input.DragMode = kDragScale;
    input.DragChanged = true;
}

}  // namespace

void Shape_MouseDown(int16_t tool, int32_t x, int32_t y)
{
    Input().PendingShapeTool = tool;
    SwitchToSelectTool();
    core::DeselectAllPaths();
    Doc().HitPath = CreateShape(tool, x, y);
    CalcSelectedRect();
    if (Doc().HitPath < 1) {
        return;
    }
    ArmScaleDrag();
}

void ApplyNewRectangleCorners()
{
    const CanvasInputState &input = Input();
    if (input.PendingShapeTool == kToolRectangle) {
        core::ApplyRectangleCorners(input.RectangleKind, input.RectangleCornerSize);
    }
}

void EnumTrueTypeFont()
{
    ShapeWindows().FillTextFontList(CanvasWindow().Options().UseVerticalFont == 1);
}

void ConnectShapeTools(CanvasView &view)
{
    QObject::connect(view.Menus().mnuRectOption, &platform::MenuItem::Click, &view.Window(), [&view] {
        ShapeWindows().ShowRectangleSettings(Input().RectangleCornerSize, Input().RectangleKind);
    });
}

}  // namespace canvastools
