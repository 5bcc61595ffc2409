// The main window's own state kept for the whole run: the preferences, the tool windows'
// placements and settings, the user colours and the view of the user-colour sets.
#pragma once

#include "canvastools/tool_options.h"
#include "toolwindows/tool_window_settings.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace mainwindow {

// Rows of six colours 0x00BBGGRR; the row count is always a multiple of six (one set = six rows).
using UserColorRow = std::array<uint32_t, 6>;
using UserColorTable = std::vector<UserColorRow>;

// The path list's, the file browser's and the preview's settings come from ToolWindowSettings:
// the tool windows reach them through their link to the main window.
struct MainState : canvastools::ToolOptions, toolwindows::ToolWindowSettings {
    // Option flags (0/1) of the preferences dialog besides those the canvas tools follow.
    int16_t DropQLKasClip = 0;
    int16_t UseDefaultOpen = 0;

    // The other tool windows' placements: twips, visibility 0/1.
    int32_t BrushToolBoxLeft = 9000, BrushToolBoxTop = 7500, BrushToolBoxWidth = 4800, BrushToolBoxHeight = 1800;
    int32_t BrushToolBoxVisible = 0;
    int32_t GradientToolBoxLeft = 9000, GradientToolBoxTop = 4500, GradientToolBoxVisible = 0;
    int32_t PositionToolBoxLeft = 9000, PositionToolBoxTop = 3000, PositionToolBoxVisible = 0;

    UserColorTable UserColors =
        UserColorTable(6, mainwindow::UserColorRow{0xFFFFFF, 0xFFFFFF, 0xFFFFFF, 0xFFFFFF, 0xFFFFFF, 0xFFFFFF});
    int32_t UserColorTop = 0;   // first row of the set on show
    int32_t UserColorCol = -1;  // chosen user-colour cell, -1 none
    int32_t UserColorRow = 0;   // row of the chosen cell within the set on show
    // A press in the colour picker started dragging this colour toward a user cell.
    bool PickerDragging = false;
    uint32_t PickerDragColor = 0;
};

MainState &Main();
void ResetMainStateForTest();

}  // namespace mainwindow
