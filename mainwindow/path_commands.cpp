#include "mainwindow/path_commands.h"

#include "toolwindows/optimize_window.h"

#include "canvastools/canvas_input_state.h"
#include "canvastools/grid_snap.h"
#include "core/alignment.h"
#include "core/anchor_editing.h"
#include "core/clipboard.h"
#include "core/document.h"
#include "core/groups.h"
#include "core/history.h"
#include "core/memory_guard.h"
#include "core/path_attributes.h"
#include "core/path_boolean_commands.h"
#include "core/brush_outline.h"
#include "core/path_builder.h"
#include "mainwindow/draw_gui.h"
#include "movie/canvas_movie.h"
#include "platform/base/rounding.h"
#include "toolwindows/optimize_window.h"

#include <utility>
#include <vector>

namespace mainwindow {
namespace {

using core::AnchorRef;
using core::Doc;

// The undo step of a pop-up command; the gesture that showed the pop-up no longer owes one.
void RecordPopupStep()
{
    core::RecordHistory();
    canvastools::Input().DragChanged = false;
}

// The commands on the dragged rectangle redraw the canvas before they record their undo step.
void RedrawCanvas(DrawGUI &window)
{
    movie::MakeCanvasMovie();
    window.DispShape(1);
}

void EmptySelectedAnchors()
{
    Doc().SelectedAnchors.resize(1);
}

bool HitPathExists()
{
    return Doc().HitPath >= 1 && Doc().HitPath <= Doc().DocPathCount();
}

// The anchors of the pop-up's hit: the hit anchor, and the segment's other end when asked for.
std::vector<AnchorRef> HitAnchors(bool bothEnds)
{
    const core::Document &doc = Doc();
    std::vector<AnchorRef> refs{{doc.HitPath, doc.HitAnchor}};
    if (bothEnds) {
        refs.push_back({doc.HitPath, doc.HitAnchor2});
    }
    return refs;
}

// The hit anchors followed by every selected anchor (entries 1..).
std::vector<AnchorRef> HitAndSelectedAnchors(bool bothEnds)
{
    std::vector<AnchorRef> refs = HitPathExists() ? HitAnchors(bothEnds) : std::vector<AnchorRef>();
    const std::vector<AnchorRef> &selected = Doc().SelectedAnchors;
    refs.insert(refs.end(), selected.begin() + 1, selected.end());
    return refs;
}

// Gives each referenced anchor the kind, in order. Each run of references to one path changes one
// copy of it, stored back once through SetPath (which marks the shape stale); references outside
// the document are skipped.
void SetAnchorKinds(const std::vector<AnchorRef> &refs, int16_t kind)
{
    int32_t current = 0;
    core::PathRecord copy;
    auto storeCurrent = [&] {
        if (current != 0) {
            core::SetPath(current, copy);
        }
    };
    for (const AnchorRef &ref : refs) {
        if (ref.PathIndex != current) {
            storeCurrent();
            current = ref.PathIndex;
            copy = core::GetPath(current);
        }
        if (ref.AnchorIndex >= 0 && ref.AnchorIndex <= copy.AnchorMax()) {
            copy.Anchors[static_cast<size_t>(ref.AnchorIndex)].AnchorKind = kind;
        }
    }
    storeCurrent();
}

// The four anchor-kind commands: the hit first, then every selected anchor, which stay selected.
void ChangeAnchorKinds(bool bothEnds, int16_t kind)
{
    std::vector<AnchorRef> refs = HitAndSelectedAnchors(bothEnds);
    if (refs.empty()) {
        return;
    }
    SetAnchorKinds(refs, kind);
    RecordPopupStep();
}

// Runs a path-edit command on the hit path after emptying the anchor selection; a hit that is no
// longer a path of the document does nothing.
template <typename Operation>
void EditHitPath(Operation operation)
{
    if (!HitPathExists()) {
        return;
    }
    EmptySelectedAnchors();
    operation(Doc());
    RecordPopupStep();
}

// Runs a command on the selected paths and records its undo step.
template <typename Operation>
void ChangeSelectedPaths(Operation operation)
{
    operation();
    RecordPopupStep();
}

}  // namespace

// ---- path-edit pop-up ----

// Optimises the path under the cursor and every path holding a selected anchor, as if they were
// the selected paths; the selection is cleared again when the window closes.
void mnuOptimizeAnchor_Click(DrawGUI &window)
{
    core::Document &doc = Doc();
    core::DeselectAllPaths();
    if (HitPathExists()) {
        doc.DocPaths[static_cast<size_t>(doc.HitPath)].blSelected = true;
    }
    for (size_t e = 1; e < doc.SelectedAnchors.size(); ++e) {
        int32_t path = doc.SelectedAnchors[e].PathIndex;
        if (path >= 1 && path <= doc.DocPathCount()) {
            doc.DocPaths[static_cast<size_t>(path)].blSelected = true;
        }
    }
    EmptySelectedAnchors();
    canvastools::Input().DragChanged = false;
    if (core::CountSelectedPaths() == 0) {
        return;
    }
    QObject::connect(window.OptimizeGUI, &toolwindows::OptimizeGUI::Finished, &window,
                     [&window] {
                         core::DeselectAllPaths();
                         window.DispShape(0);
                     },
                     Qt::SingleShotConnection);
    window.ShowOptimizeWindow();
}

void mnuAnchorAdd_Click()
{
    const canvastools::CanvasInputState &input = canvastools::Input();
    EditHitPath([&](const core::Document &doc) {
        core::AddAnchorOnSegment(doc.HitPath, doc.HitAnchor, doc.HitAnchor2, input.DragOriginX, input.DragOriginY);
    });
}

void mnuAnchorDelete_Click()
{
    std::vector<AnchorRef> marks = HitAndSelectedAnchors(false);
    if (marks.empty()) {
        return;
    }
    SetAnchorKinds(marks, core::kAnchorDeleted);
    EmptySelectedAnchors();
    Doc().HitPath = 0;
    core::DeleteSelectedAnchors();
    RecordPopupStep();
}

void mnuAnchorLine_Click()
{
    ChangeAnchorKinds(true, core::kOnCurve);
}

void mnuAnchorCurve_Click()
{
    ChangeAnchorKinds(true, core::kControlPoint);
}

void mnuAnchorKeen_Click()
{
    ChangeAnchorKinds(false, core::kOnCurve);
}

void mnuAnchorRound_Click()
{
    ChangeAnchorKinds(false, core::kControlPoint);
}

void mnuOpenPathSel_Click()
{
    EditHitPath([](const core::Document &doc) { core::OpenPathAtAnchor(doc.HitPath, doc.HitAnchor); });
}

// The hit end anchor lies on the other end: the path closes, and its last anchor, which the
// closing segment replaces, goes unless only two are left.
void mnuClosePathSel_Click()
{
    EditHitPath([](const core::Document &doc) {
        core::PathRecord path = core::GetPath(doc.HitPath);
        path.blClosed = true;
        if (path.AnchorMax() > 1) {
            path.Anchors.pop_back();
        }
        core::SetPath(doc.HitPath, path);
    });
}

void mnuDevidePath_Click()
{
    EditHitPath([](const core::Document &doc) {
        core::DividePath(doc.HitPath, doc.HitPath2, doc.HitAnchor, doc.HitAnchor2);
    });
}

void mnuJointPath_Click()
{
    EditHitPath([](const core::Document &doc) { core::JoinPaths(doc.HitPath, doc.HitAnchor, false); });
}

// ---- select-tool pop-up on empty canvas ----

// The clip lands in front of every path with its origin where the right button went down; the
// Edit menu's paste offset is neither used nor changed.
void mnuPastePath_Click()
{
    const canvastools::CanvasInputState &input = canvastools::Input();
    core::RunWithinMemory([&] {
        ChangeSelectedPaths([&] { core::PastePaths(input.DragOriginX, input.DragOriginY, false, -1); });
    });
}

void mnuSelectAll_Click()
{
    core::SelectAllPaths();
}

void mnuClipout_Click(DrawGUI &window)
{
    const core::Rect32 &area = Doc().AreaSelectRect;
    core::ClipOutSelection(area.Left, area.Top, area.Right, area.Bottom);
    core::DeselectAllPaths();
    RedrawCanvas(window);
    RecordPopupStep();
}

// The dragged rectangle becomes the canvas: its size in whole pixels, every path moved so that
// its top-left corner is the new origin. The size alone is no undo step.
void mnuRectCanvas_Click(DrawGUI &window)
{
    const core::Rect32 area = Doc().AreaSelectRect;
    core::CanvasSettings &settings = Doc().CurrentSettings;
    settings.Width = core::ClampCanvasSide((int64_t{area.Right} - area.Left) / 20);
    settings.Height = core::ClampCanvasSide((int64_t{area.Bottom} - area.Top) / 20);
    bool moved = canvastools::MoveSelectedPath(platform::SaturateCast<int32_t>(-static_cast<double>(area.Left)),
                                               platform::SaturateCast<int32_t>(-static_cast<double>(area.Top)), true);
    movie::ClearBackgroundCache();
    movie::ClearGridCache();
    movie::ClearBackColorCache();
    RedrawCanvas(window);
    if (moved) {
        RecordPopupStep();
    }
}

// ---- select-tool pop-up on a path ----

// The clip origin is the top-left corner of the selection frame.
void mnuCopyPath_Click()
{
    const canvastools::Point32 &corner = canvastools::Input().HandlePoints[0];
    core::CopySelectedPaths(corner.X, corner.Y);
}

void mnuCutPath_Click()
{
    const canvastools::Point32 &corner = canvastools::Input().HandlePoints[0];
    ChangeSelectedPaths([&] { core::CutSelectedPaths(corner.X, corner.Y); });
}

void mnuDeletePath_Click()
{
    ChangeSelectedPaths(core::DeleteSelectedPaths);
}

void mnuOpenPath_Click()
{
    ChangeSelectedPaths([] { core::SetSelectedClosed(false); });
}

void mnuClosePath_Click()
{
    ChangeSelectedPaths([] { core::SetSelectedClosed(true); });
}

void ConvertPathFill(int type)
{
    ChangeSelectedPaths([type] { core::ConvertSelectedToBrush(type); });
}

void FragmentPath(int code)
{
    ChangeSelectedPaths([code] { core::ApplyFragment(code); });
}

void mnuFormline_Click(int index)
{
    ChangeSelectedPaths([index] { core::AlignPaths(static_cast<int16_t>(index)); });
}

void ChangeOrder(int code)
{
    ChangeSelectedPaths([code] { core::ChangePathOrder(static_cast<int16_t>(code)); });
}

void mnuGroupMake_Click()
{
    ChangeSelectedPaths([] { core::MakeGroup(true); });
}

void mnuGroupClear_Click()
{
    ChangeSelectedPaths([] { core::MakeGroup(false); });
}

void mnuGroupAgain_Click()
{
    ChangeSelectedPaths([] { core::GroupAgain(Doc().HitPath); });
}

void mnuCompoundMake_Click()
{
    ChangeSelectedPaths([] { core::MakeCompound(true, Doc().HitPath); });
}

void mnuCompoundClear_Click()
{
    ChangeSelectedPaths([] { core::MakeCompound(false, Doc().HitPath); });
}

void mnuCompoundAgain_Click()
{
    ChangeSelectedPaths([] { core::CompoundAgain(Doc().HitPath); });
}

// ---- wiring ----

void DrawGUI::ConnectPathCommands()
{
    using platform::MenuArray;
    using platform::MenuItem;
    const DrawGuiMenus &m = menus;
    auto on = [this](MenuItem *item, auto handler) { connect(item, &MenuItem::Click, this, handler); };
    const std::pair<MenuItem *, void (*)()> commands[] = {
        {m.mnuAnchorAdd, mnuAnchorAdd_Click},       {m.mnuAnchorDelete, mnuAnchorDelete_Click},
        {m.mnuAnchorLine, mnuAnchorLine_Click},     {m.mnuAnchorCurve, mnuAnchorCurve_Click},
        {m.mnuAnchorKeen, mnuAnchorKeen_Click},     {m.mnuAnchorRound, mnuAnchorRound_Click},
        {m.mnuOpenPathSel, mnuOpenPathSel_Click},   {m.mnuClosePathSel, mnuClosePathSel_Click},
        {m.mnuDevidePath, mnuDevidePath_Click},     {m.mnuJointPath, mnuJointPath_Click},
        {m.mnuPastePath, mnuPastePath_Click},       {m.mnuSelectAll, mnuSelectAll_Click},
        {m.mnuCopyPath, mnuCopyPath_Click},         {m.mnuCutPath, mnuCutPath_Click},
        {m.mnuDeletePath, mnuDeletePath_Click},     {m.mnuOpenPath, mnuOpenPath_Click},
        {m.mnuClosePath, mnuClosePath_Click},       {m.mnuGroupMake, mnuGroupMake_Click},
        {m.mnuGroupClear, mnuGroupClear_Click},     {m.mnuGroupAgain, mnuGroupAgain_Click},
        {m.mnuCompoundMake, mnuCompoundMake_Click}, {m.mnuCompoundClear, mnuCompoundClear_Click},
        {m.mnuCompoundAgain, mnuCompoundAgain_Click}};
    for (const auto &[item, handler] : commands) {
        on(item, handler);
    }
    on(m.mnuClipout, [this] { mnuClipout_Click(*this); });
    on(m.mnuRectCanvas, [this] { mnuRectCanvas_Click(*this); });
    int type = core::kBrushPen;
    for (MenuItem *item : {m.mnuConvertPathPen, m.mnuConvertPathBrush1, m.mnuConvertPathBrush2,
                           m.mnuConvertPathBrush3}) {
        on(item, [type] { ConvertPathFill(type); });
        ++type;
    }
    int code = 1;
    for (MenuItem *item : {m.mnuFragmentOP1, m.mnuFragmentOP2, m.mnuFragmentOP3, m.mnuFragmentOP4}) {
        on(item, [code] { FragmentPath(code); });
        ++code;
    }
    for (MenuArray *array : {m.mnuFormline, m.mnuFormline2, m.mnuFormline3, m.mnuFormline4}) {
        connect(array, &MenuArray::Click, this, mnuFormline_Click);
    }
    on(m.mnuOptimizePath, [this] { ShowOptimizeWindow(); });
    on(m.mnuTransform, [this] { ShowTransformDialog(); });
    on(m.mnuOptimizeAnchor, [this] { mnuOptimizeAnchor_Click(*this); });
    on(m.mnuFrontPath, [] { ChangeOrder(core::kOrderToFront); });
    on(m.mnuBackPath, [] { ChangeOrder(core::kOrderToBack); });
    on(m.mnuFrontPathOne, [] { ChangeOrder(core::kOrderForwardOne); });
    on(m.mnuBackPathOne, [] { ChangeOrder(core::kOrderBackwardOne); });
}

}  // namespace mainwindow
