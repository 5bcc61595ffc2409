// The main window's keys: tools, view toggles, tool windows, zoom and a few editing commands act
// on key release; the stacking-order keys act on key press, so they repeat while held.
#include "canvastools/canvas_input_state.h"
#include "canvastools/pen_tools.h"
#include "core/anchor_selection.h"
#include "core/brush_list.h"
#include "core/document.h"
#include "core/host.h"
#include "core/path_attributes.h"
#include "mainwindow/draw_gui.h"
#include "mainwindow/main_state.h"
#include "mainwindow/path_commands.h"
#include "movie/canvas_movie.h"
#include "platform/forms/key_codes.h"
#include "toolwindows/folder_gui.h"

#include <cmath>

namespace mainwindow {
namespace {

using canvastools::Input;
using core::Doc;

constexpr int kKeyB = 'B';
constexpr int kKeyE = 'E';
constexpr int kKeyF = 'F';
constexpr int kKeyG = 'G';
constexpr int kKeyH = 'H';
constexpr int kKeyP = 'P';
constexpr int kKeyQ = 'Q';
constexpr int kKeyR = 'R';
constexpr int kKeyT = 'T';
constexpr int kKeyU = 'U';
constexpr int kKeyW = 'W';

constexpr float kZoomStep = 0.5f;
constexpr float kLargestKeyZoom = 8.0f;
constexpr float kSmallestKeyZoom = 0.5f;
constexpr int32_t kEllipseAnchorStep = 8;

// The tools of the digit keys 0 to 9.
constexpr int16_t kDigitTools[10] = {
    canvastools::kToolBucket,    canvastools::kToolSelect,    canvastools::kToolAnchorEdit, canvastools::kToolGradient,
    canvastools::kToolFreehand,  canvastools::kToolPen,       canvastools::kToolRectangle,  canvastools::kToolEllipse,
    canvastools::kToolPolygon,   canvastools::kToolText};

bool WithCtrl(int shift)
{
    return (shift & platform::kCtrlMask) != 0;
}

bool AnchorsSelected()
{
    return Doc().SelectedAnchors.size() > 1;
}

bool AnchorUnderCursor()
{
    return Doc().HitPath > 0 && Doc().HitPath2 == 0;
}

bool SegmentUnderCursor()
{
    return Doc().HitPath > 0 && Doc().HitPath2 > 0;
}

bool IsToolKey(int keyCode)
{
    return (keyCode >= '0' && keyCode <= '9') || keyCode == platform::kVkOemMinus;
}

}  // namespace

void DrawGUI::Form_KeyUp(int keyCode, int shift)
{
    if (Input().PopupShown) {
        Input().PopupShown = false;  // the release that closed a pop-up menu
        return;
    }
    if (IsToolKey(keyCode)) {
        ToolKey(keyCode, shift);
        return;
    }
    switch (keyCode) {
    case kKeyR:
        ToggleCheck(Check1);
        break;
    case kKeyB:
        ToggleCheck(Check3);
        break;
    case kKeyF:
        if (WithCtrl(shift)) {
            mnuDispFolderGUI_Click();
        } else {
            ToggleCheck(Check4);
        }
        break;
    case kKeyP:
        if (WithCtrl(shift)) {
            mnuDispPathGUI_Click();
        }
        break;
    case kKeyE:
        if (WithCtrl(shift)) {
            mnuDispPositionGUI_Click();
        }
        break;
    case kKeyH:
        if (WithCtrl(shift)) {
            mnuDispBrushGUI_Click();
        }
        break;
    case kKeyT:
        if (WithCtrl(shift)) {
            mnuDispGradientGUI_Click();
        }
        break;
    case kKeyG:
        ToggleCheck(WithCtrl(shift) ? Check5 : Check6);
        break;
    case kKeyU:
        if (shift == 0) {
            int16_t &outside = Doc().CurrentSettings.DrawOutsideFlag;
            outside = static_cast<int16_t>(1 - outside);
            movie::MakeCanvasMovie();
            DispShape(1);
            SetScrollRanges();
        }
        break;
    case platform::kVkPageUp:
        if (Doc().ZoomRate < kLargestKeyZoom) {
            ApplyZoomStep(kZoomStep);
        }
        break;
    case platform::kVkPageDown:
        if (Doc().ZoomRate > kSmallestKeyZoom) {
            ApplyZoomStep(-kZoomStep);
        }
        break;
    case platform::kVkEscape:
        if (Input().CurrentTool == canvastools::kToolPen) {
            canvastools::EndPenPath();
        }
        core::DeselectAllPaths();
        DispShape(0);
        break;
    case platform::kVkOem1:
    case platform::kVkOemPlus:
        if (Input().CurrentTool == canvastools::kToolAnchorEdit) {
            core::StepAnchorSelection(keyCode == platform::kVkOem1 ? 1 : -1);
            DispShape(1);
            core::GetHost().RefreshPosition();
        }
        break;
    case platform::kVkDelete:
        if (Input().CurrentTool == canvastools::kToolAnchorEdit && (AnchorsSelected() || AnchorUnderCursor())) {
            mnuAnchorDelete_Click();
            movie::MakeCanvasMovie();
            DispShape(1);
        }
        break;
    case platform::kVkInsert:
        if (Input().CurrentTool == canvastools::kToolAnchorEdit && SegmentUnderCursor()) {
            mnuAnchorAdd_Click();
            movie::MakeCanvasMovie();
            DispShape(1);
        }
        break;
    case kKeyQ:
    case kKeyW:
        // The file browser's previous and next drawing, while it is open.
        if (shift == platform::kCtrlMask && Main().FolderToolBoxVisible == 1 && toolwindows::FolderWindow()) {
            toolwindows::FolderWindow()->OpenNextFile(keyCode == kKeyQ ? -1 : 1);
        }
        break;
    default:
        break;
    }
}

void DrawGUI::Form_KeyDown(int keyCode, int shift)
{
    const bool onlyCtrl = shift == platform::kCtrlMask;
    if (keyCode == platform::kVkOemComma) {
        ChangeOrder(onlyCtrl ? core::kOrderToFront : core::kOrderForwardOne);
    } else if (keyCode == platform::kVkOemPeriod) {
        ChangeOrder(onlyCtrl ? core::kOrderToBack : core::kOrderBackwardOne);
    } else {
        return;
    }
    movie::MakeCanvasMovie();
    DispShape(1);
}

void DrawGUI::ToolKey(int keyCode, int shift)
{
    canvastools::CanvasInputState &input = Input();
    if (input.DragArmed) {
        return;  // a mouse button is held on the canvas
    }
    int16_t tool = canvastools::kToolBrush;
    if (keyCode == platform::kVkOemMinus) {
        if (shift == platform::kShiftMask) {
            platform::PopupMenu(menus.mnuBrush, menus.mnuSelectBrush->Item(core::Brushes().CurrentBrush - 1));
        }
    } else {
        tool = kDigitTools[keyCode - '0'];
    }
    if (tool != input.CurrentTool) {
        Option1[static_cast<size_t>(tool)]->SetValue(true);
    } else if (tool == canvastools::kToolPen || (tool == canvastools::kToolBrush && shift == 0)) {
        Option1_Click(tool);  // straight or curved pen, brush or eraser
    }
    if (tool == canvastools::kToolEllipse && (shift != 0 || input.EllipseAnchorCount == 0)) {
        input.EllipseAnchorCount = kEllipseAnchorStep * (shift + 1);
    }
}

void DrawGUI::ToggleCheck(platform::CheckBox *check)
{
    check->SetValue(1 - check->Value());
}

void DrawGUI::ApplyZoomStep(float step)
{
    Doc().ZoomRate += step;
    Combo2->SetText(QString::number(static_cast<int64_t>(std::floor(Doc().ZoomRate * 100.0f))));
    Combo2_Click();
}

}  // namespace mainwindow
