// The tool palette: eleven tool buttons with the display check boxes below them. It chooses the
// current tool, sets the canvas pointer, shows each tool's hint in the status line and as the
// button's tip, lays the buttons out as icons or text, and pops up the per-tool menus.
#pragma once

#include <QString>

#include <cstdint>

class QWidget;

namespace canvastools {

// Builds the palette panels around the window's tool buttons and check boxes and hooks the
// buttons' mouse events (called when the canvas tools attach to the window).
void AttachToolPalette();
// The palette panel of the tool buttons and the panel of the display check boxes.
QWidget *ToolButtonPanel();
QWidget *DisplayCheckPanel();

void SetToolCursor(int32_t id);
QString GetToolDescription(int32_t id);
// Switches the tool; run for the current pen or brush it switches straight/curve or brush/eraser.
void Option1_Click(int32_t index);
// A press on a tool button. True when the press was used up here (the button is not clicked).
bool Option1_MouseDown(int32_t index, int button, int shift);
void Option1_MouseMove(int32_t index);
// 1: icon layout; anything else: text layout.
void ChangeIcons(int16_t iconMode);
// which 1: the underlay-in-front box, 2: the pen button, 3: the brush button.
void SetToolButtonFace(int16_t iconMode, int16_t which);
// Rebuilds the ellipse menu (8 to 64 anchors); the index of the item of the current count, 0
// when none has it.
int32_t BuildEllipseAnchorMenu();

}  // namespace canvastools
