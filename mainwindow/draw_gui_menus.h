// The main window's menus: the menu bar (File, Edit, View, Help) and the hidden menus that are
// only shown as pop-ups (the canvas pop-ups, the tool-button pop-ups and the user-colour menu).
#pragma once

#include "canvastools/canvas_menus.h"
#include "platform/forms/menus.h"

#include <QMenuBar>

namespace mainwindow {

using platform::Menu;
using platform::MenuArray;
using platform::MenuItem;

// The canvas and tool-button pop-ups come from CanvasMenus: the canvas tools show and set them up.
struct DrawGuiMenus : canvastools::CanvasMenus {
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

    // User-colour menu
    Menu *mnuUserColor;
    MenuItem *mnuUserColorAdd, *mnuUserColorCopy, *mnuUserColorDelete;
    Menu *mnuUserColorMove;
    MenuItem *mnuUserColorMoveUp, *mnuUserColorMoveDown, *mnuUserColorMoveTop, *mnuUserColorMoveBottom;
    MenuArray *mnuUserColorSet;
};

}  // namespace mainwindow
