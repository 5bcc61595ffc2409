// The main window's menus: the menu bar (File, Edit, View, Help) and the hidden menus that are
// only shown as pop-ups (the canvas pop-ups, the tool-button pop-ups and the user-colour menu).
#pragma once

#include "platform/forms/menus.h"

#include <QMenuBar>

namespace mainwindow {

using platform::Menu;
using platform::MenuArray;
using platform::MenuItem;

struct DrawGuiMenus {
    explicit DrawGuiMenus(QMenuBar *bar);

    // File
    Menu *mnuFile;
    MenuItem *mnuNewCanvas, *mnuOpenFile, *mnuSaveFile, *mnuSaveFileAs, *mnuSaveFilePicture, *mnuClipWrite,
        *mnuClipRead, *mnuPropertyCanvasFile, *mnuPreference, *mnuQuit;
    MenuArray *mnuMostRecent;
    // Edit
    Menu *mnuEdit;
    MenuItem *mnuUnDo, *mnuReDo, *mnuMinus, *mnuCopyPathEdit, *mnuCutPathEdit, *mnuDeletePathEdit, *mnuPastePathEdit,
        *mnuSelectAllEdit;
    // View: the tool windows
    Menu *mnuDisplay;
    MenuItem *mnuDispPathGUI, *mnuDispPositionGUI, *mnuDispFolderGUI, *mnuDispBrushGUI, *mnuDispGradientGUI;
    // Help
    Menu *mnuHelp;
    MenuItem *mnuVersion;

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
    // User-colour menu
    Menu *mnuUserColor;
    MenuItem *mnuUserColorAdd, *mnuUserColorCopy, *mnuUserColorDelete;
    Menu *mnuUserColorMove;
    MenuItem *mnuUserColorMoveUp, *mnuUserColorMoveDown, *mnuUserColorMoveTop, *mnuUserColorMoveBottom;
    MenuArray *mnuUserColorSet;
};

}  // namespace mainwindow
