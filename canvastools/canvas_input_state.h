// The canvas input state: the variables shared by the canvas handlers, the tool palette, the
// tools and the overlay, one instance for the whole run.
#pragma once

#include "core/path_record.h"

#include <array>
#include <cstdint>
#include <vector>

namespace canvastools {

constexpr int32_t kNoDragOrigin = -16777215;  // 0xFF000001: no reference point yet

enum ToolIndex : int16_t {
    kToolFreehand = 0,
    kToolAnchorEdit = 1,
    kToolSelect = 2,
    kToolGradient = 3,
    kToolRectangle = 4,
    kToolEllipse = 5,
    kToolPen = 6,
    kToolPolygon = 7,
    kToolText = 8,
    kToolBucket = 9,
    kToolBrush = 10,
};

enum BrushStrokeKind : int16_t { kNoStroke = 0, kPaintStroke = 1, kEraseStroke = 2 };

struct Point32 {
    int32_t X = 0;
    int32_t Y = 0;
};

struct CanvasInputState {
    int16_t CurrentTool = kToolSelect;
    bool DragArmed = false;     // a canvas gesture is in progress
    bool DragChanged = false;   // the gesture changed the drawing and owes an undo step
    int32_t DragOriginX = kNoDragOrigin;
    int32_t DragOriginY = kNoDragOrigin;
    int16_t DragMode = 0;
    int16_t PendingShapeTool = -1;
    int16_t PenCurveMode = 0;
    int16_t BrushEraseSwap = 0;
    float CurrentLineWidth = 1.0f;  // canvas pixels
    bool RealtimeMode = false;
    int32_t PanOriginX = 0;
    int32_t PanOriginY = 0;
    bool PanActive = false;
    int32_t EllipseAnchorCount = 0;
    core::PathRecord StrokeRecord;
    int32_t RectangleKind = 0;
    float RectangleCornerSize = 0;
    std::array<core::Color, 3> CurrentColors{0xFF000000u, 0xFFFFFF00u, 0xFFFFFFFFu};  // line, fill, gradient
    int16_t NewLineMode = 1;
    int16_t NewFillType = core::kFillNone;
    std::array<Point32, 9> HandlePoints{};
    bool PopupShown = false;

    // The selection frame: selected paths with two anchors or more (CalcSelectedRect).
    int32_t SelectedPathCount = 0;
    // Status line: mouse moves a hint written by anything else still stays.
    int32_t StatusHoldCount = 0;
    // The first canvas move after a pop-up menu has been seen.
    bool PopupMoveSeen = false;
    // Where the next quick-preview line starts (picture pixels), like a picture's drawing position.
    int32_t PreviewX = 0;
    int32_t PreviewY = 0;
    // Underlay drag: the part of the movement below one canvas pixel, kept for the next step.
    double UnderlayCarryX = 0;
    double UnderlayCarryY = 0;
    // A hover highlight (handle square, path edge or anchor markers) is on the canvas picture.
    bool HighlightShown = false;
    // The brush stroke in progress (BrushStrokeKind) and, for an erasing one, the drawing as it
    // was when the stroke began, to tell whether the stroke erased anything.
    int16_t BrushStroke = 0;
    core::PathArray StrokeStartPaths;
    // A mouse-down is being handled. Moves and releases that arrive meanwhile (a shape tool lets
    // the tool buttons repaint before it arms its drag) wait in DeferredMouse until it is done.
    bool InMouseDown = false;
    struct DeferredMouseEvent {
        bool release = false;
        int button = 0;
        int shift = 0;
        float x = 0;
        float y = 0;
    };
    std::vector<DeferredMouseEvent> DeferredMouse;
};

CanvasInputState &Input();
void ResetInputForTest();

// A mouse-down starts a gesture at the point: armed, nothing changed yet, the point its origin.
void ArmDrag(int32_t x, int32_t y);

}  // namespace canvastools
