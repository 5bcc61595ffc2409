// The commands of the canvas pop-up menus: the path-edit menu (anchors), the select tool's menu
// on empty canvas and its menu on a path (clipboard, open and closed, conversion, path
// operations, arrangement, stacking, groups and compounds). Each runs one drawing-core routine.
//
// The pop-ups are shown inside the canvas tools' mouse-up, which then regenerates and redraws the
// canvas. A command that changes the drawing records its own undo step and clears the gesture's
// pending change, so that one command gives exactly one undo step. The two commands that act on
// the dragged rectangle redraw themselves before recording.
#pragma once

namespace mainwindow {

class DrawGUI;

// Path-edit pop-up. The Insert and Delete keys of the path-edit tool run the first two.
void mnuAnchorAdd_Click();
void mnuAnchorDelete_Click();
void mnuAnchorLine_Click();
void mnuAnchorCurve_Click();
void mnuAnchorKeen_Click();
void mnuAnchorRound_Click();
void mnuOpenPathSel_Click();
void mnuClosePathSel_Click();
void mnuDevidePath_Click();
void mnuJointPath_Click();

// Select-tool pop-up on empty canvas. Dropping a drawing on the canvas pastes it as a clip with
// mnuPastePath_Click after setting the drag origin to the drop point.
void mnuPastePath_Click();
void mnuSelectAll_Click();
void mnuClipout_Click(DrawGUI &window);
// Opens the optimisation window on the hit path and the paths holding selected anchors.
void mnuOptimizeAnchor_Click(DrawGUI &window);
void mnuRectCanvas_Click(DrawGUI &window);

// Select-tool pop-up on a path.
void mnuCopyPath_Click();
void mnuCutPath_Click();
void mnuDeletePath_Click();
void mnuOpenPath_Click();
void mnuClosePath_Click();
// type 1 pen, 2 thin brush, 3 thick brush, 4 stroke brush.
void ConvertPathFill(int type);
// code 1 union, 2 intersection, 3 cut by the front-most, 4 cut by the back-most.
void FragmentPath(int code);
// codes 1-14 as the arrangement menus number their items.
void mnuFormline_Click(int index);
// code 1 to the back, 2 to the front, 3 one step forward, 4 one step back.
void ChangeOrder(int code);
void mnuGroupMake_Click();
void mnuGroupClear_Click();
void mnuGroupAgain_Click();
void mnuCompoundMake_Click();
void mnuCompoundClear_Click();
void mnuCompoundAgain_Click();

}  // namespace mainwindow
