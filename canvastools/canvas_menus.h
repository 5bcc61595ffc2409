// The pop-up menus the canvas tools show and set up: the path-edit pop-up, the select tool's
// pop-ups (on the empty canvas and on a path) and the tool buttons' pop-ups. The main window
// builds them with its menus and runs their commands.
#pragma once

#include "platform/forms/menus.h"

namespace canvastools {

using platform::Menu;
using platform::MenuArray;
using platform::MenuItem;

struct CanvasMenus {
    // Path-edit pop-up
    Menu *mnuModifyMode;
    MenuItem *mnuAnchorAdd, *mnuAnchorDelete, *mnuAnchorLine, *mnuAnchorCurve, *mnuAnchorKeen, *mnuAnchorRound,
        *mnuOptimizeAnchor, *mnuOpenPathSel, *mnuClosePathSel, *mnuDevidePath, *mnuJointPath;
    // Select-tool pop-up on empty canvas
    Menu *mnuSelectMode2;
    MenuItem *mnuPastePath, *mnuSelectAll, *mnuClipout, *mnuRectCanvas, *mnuPropertyCanvas;
    // Select-tool pop-up on a path
    Menu *mnuSelectMode;
    MenuItem *mnuCopyPath, *mnuCutPath, *mnuDeletePath, *mnuOpenPath, *mnuClosePath, *mnuOptimizePath, *mnuTransform,
        *mnuFrontPath, *mnuBackPath, *mnuFrontPathOne, *mnuBackPathOne, *mnuGroupMake, *mnuGroupClear,
        *mnuGroupAgain;
    Menu *mnuConvertPathFill;
    MenuItem *mnuConvertPathPen, *mnuConvertPathBrush1, *mnuConvertPathBrush2, *mnuConvertPathBrush3;
    Menu *mnuFragmentPath;
    MenuItem *mnuFragmentOP1, *mnuFragmentOP2, *mnuFragmentOP3, *mnuFragmentOP4;
    Menu *mnuFormlineParent, *mnuFormlineH, *mnuFormlineV, *mnuFormlineC;
    MenuArray *mnuFormline, *mnuFormline2, *mnuFormline3, *mnuFormline4;
    Menu *mnuCompound;
    MenuItem *mnuCompoundMake, *mnuCompoundClear, *mnuCompoundAgain;
    // Tool-button pop-ups
    Menu *mnuBrush;
    MenuArray *mnuSelectBrush;
    Menu *mnuCircle;
    MenuArray *mnuSelectCircle;
    Menu *mnuRectangle;
    MenuArray *mnuRectMode;
    MenuItem *mnuRectOption;
};

}  // namespace canvastools
