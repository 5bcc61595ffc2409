// The Edit menu: its items' enabled state when it opens, undo and redo, and the clipboard
// commands on the selected paths.
#include "canvastools/canvas_input_state.h"
#include "core/clipboard.h"
#include "core/document.h"
#include "core/history.h"
#include "core/host.h"
#include "core/memory_guard.h"
#include "mainwindow/draw_gui.h"
#include "movie/canvas_movie.h"

namespace mainwindow {
namespace {

using canvastools::Input;
using core::Doc;

bool SelectToolIsCurrent()
{
    return Input().CurrentTool == canvastools::kToolSelect;
}

bool AnyPathSelected()
{
    return core::CountSelectedPaths() > 0;
}

const canvastools::Point32 &SelectionCorner()
{
    return Input().HandlePoints[0];
}

void ClearAnchorSelection()
{
    Doc().SelectedAnchors.assign(1, core::AnchorRef());
}

}  // namespace

void DrawGUI::mnuEdit_Click()
{
    const bool selection = AnyPathSelected() && SelectToolIsCurrent();
    menus.mnuUnDo->SetEnabled(core::CanUndo());
    menus.mnuReDo->SetEnabled(core::CanRedo());
    menus.mnuCopyPathEdit->SetEnabled(selection);
    menus.mnuCutPathEdit->SetEnabled(selection);
    menus.mnuDeletePathEdit->SetEnabled(selection);
    menus.mnuPastePathEdit->SetEnabled(core::GetClipCount() > 0);
    menus.mnuSelectAllEdit->SetEnabled(Doc().DocPathCount() > 0 && SelectToolIsCurrent());
}

void DrawGUI::AfterHistoryStep()
{
    Doc().HitPath = 0;
    Doc().HitPath2 = 0;
    Input().DragMode = 0;
    movie::MakeCanvasMovie();
    DispShape(1);
    core::GetHost().RefreshPosition();
}

void DrawGUI::RedrawAndRecordHistory()
{
    movie::MakeCanvasMovie();
    DispShape(1);
    core::RecordHistory();
}

void DrawGUI::mnuUnDo_Click()
{
    core::UndoHistory();
    AfterHistoryStep();
}

void DrawGUI::mnuReDo_Click()
{
    core::RedoHistory();
    AfterHistoryStep();
}

void DrawGUI::mnuCopyPathEdit_Click()
{
    if (AnyPathSelected()) {
        core::CopySelectedPaths(SelectionCorner().X, SelectionCorner().Y);
    }
}

void DrawGUI::mnuCutPathEdit_Click()
{
    if (!AnyPathSelected()) {
        return;
    }
    ClearAnchorSelection();
    core::CutSelectedPaths(SelectionCorner().X, SelectionCorner().Y);
    RedrawAndRecordHistory();
}

void DrawGUI::mnuDeletePathEdit_Click()
{
    if (!AnyPathSelected()) {
        return;
    }
    ClearAnchorSelection();
    core::DeleteSelectedPaths();
    RedrawAndRecordHistory();
    Doc().HitPath = 0;
}

void DrawGUI::mnuPastePathEdit_Click()
{
    if (core::GetClipCount() > 0) {
        core::RunWithinMemory([&] {
            core::PastePaths(0, 0, true, -1);
            RedrawAndRecordHistory();
        });
    }
}

void DrawGUI::mnuSelectAllEdit_Click()
{
    if (Doc().DocPathCount() == 0 || !SelectToolIsCurrent()) {
        return;
    }
    core::SelectAllPaths();
    DispShape(1);  // only the selection overlay changes
    core::GetHost().RefreshPosition();
    core::GetHost().RefreshGradient();
}

}  // namespace mainwindow
