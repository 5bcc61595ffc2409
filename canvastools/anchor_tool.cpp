#include "canvastools/anchor_tool.h"

#include "canvastools/canvas_input_state.h"
#include "canvastools/canvas_window.h"
#include "canvastools/grid_snap.h"
#include "canvastools/selection_overlay.h"
#include "core/anchor_editing.h"
#include "core/anchor_selection.h"
#include "core/document.h"
#include "core/geometry.h"
#include "core/history.h"
#include "core/hit_search.h"
#include "core/host.h"
#include "movie/canvas_movie.h"
#include "platform/base/rounding.h"
#include "platform/forms/key_codes.h"
#include "platform/forms/picture_box.h"

#include <algorithm>
#include <optional>

namespace canvastools {
namespace {

using core::Doc;

constexpr float kCloseReach = 90.0f;  // twips at zoom 1: an end's partner close enough to close
constexpr int16_t kHoverMarker = 1;   // red

bool SegmentHit()
{
    return Doc().HitPath2 > 0;
}

void ClearAnchorSelection()
{
    Doc().SelectedAnchors.assign(1, core::AnchorRef());
}

// The anchor under the point, else the segment under it, into the hit variables.
void FindHit(int32_t x, int32_t y)
{
    core::Document &doc = Doc();
    doc.HitPath = doc.HitAnchor = doc.HitPath2 = doc.HitAnchor2 = 0;
    int32_t path = 0, anchor = 0;
    core::FindAnchorNear(x, y, path, anchor);
    if (path > 0) {
        doc.HitPath = path;
        doc.HitAnchor = anchor;
        return;
    }
    core::FindSegmentNear(x, y, path, anchor);
    if (path > 0) {
        int32_t count = static_cast<int32_t>(std::as_const(doc.DocPaths)[static_cast<size_t>(path)].Anchors.size());
        doc.HitPath = doc.HitPath2 = path;
        doc.HitAnchor = anchor;
        doc.HitAnchor2 = (anchor + 1) % count;
    }
}

void MarkHit()
{
    const core::Document &doc = Doc();
    DrawAnchorMarker(doc.HitPath, doc.HitAnchor, doc.HitPath2, doc.HitAnchor2, kHoverMarker);
}

void Hover(int32_t x, int32_t y)
{
    FindHit(x, y);
    if (Doc().HitPath < 1) {
        WipeHighlight();
        return;
    }
    DrawPathEdge(Doc().HitPath, false, true);
    DrawSelectedAnchors();
    MarkHit();
    CanvasWindow().Picture().Refresh();
    Input().HighlightShown = true;
}

// Where the grabbed anchor, or the middle of the grabbed segment, is now.
Point32 HitReference()
{
    const core::Document &doc = Doc();
    int32_t x = 0, y = 0, width = 0;
    core::GetAnchor(x, y, width, doc.HitPath, doc.HitAnchor);
    if (!SegmentHit()) {
        return Point32{x, y};
    }
    int32_t x2 = 0, y2 = 0;
    core::GetAnchor(x2, y2, width, doc.HitPath2, doc.HitAnchor2);
    return Point32{platform::RoundToInt32((static_cast<double>(x) + x2) / 2.0),
                   platform::RoundToInt32((static_cast<double>(y) + y2) / 2.0)};
}

// The hit anchor(s) and every other selected anchor, each moved once.
void MoveHitAndSelection(int32_t dx, int32_t dy)
{
    const core::Document &doc = Doc();
    const core::AnchorRef first{doc.HitPath, doc.HitAnchor};
    const core::AnchorRef second{doc.HitPath2, doc.HitAnchor2};
    core::MoveAnchor(dx, dy, first.PathIndex, first.AnchorIndex);
    if (SegmentHit()) {
        core::MoveAnchor(dx, dy, second.PathIndex, second.AnchorIndex);
    }
    const auto &selected = doc.SelectedAnchors;
    for (size_t i = 1; i < selected.size(); ++i) {
        const core::AnchorRef &ref = selected[i];
        bool isHit = ref == first || (SegmentHit() && ref == second);
        if (!isHit && IsPathIndex(ref.PathIndex)) {
            core::MoveAnchor(dx, dy, ref.PathIndex, ref.AnchorIndex);
        }
    }
}

void DragStep(int32_t x, int32_t y)
{
    CanvasInputState &input = Input();
    if (SnapIsOn()) {
        Point32 reference = HitReference();
        input.DragOriginX = reference.X;
        input.DragOriginY = reference.Y;
    }
    SnapGrid(x, y);
    int32_t dx = platform::SaturateInt<int32_t>(int64_t{x} - input.DragOriginX);
    int32_t dy = platform::SaturateInt<int32_t>(int64_t{y} - input.DragOriginY);
    if (dx != 0 || dy != 0) {
        MoveHitAndSelection(dx, dy);
        input.DragChanged = true;
    }
    input.DragOriginX = x;
    input.DragOriginY = y;
    if (input.RealtimeMode) {
        movie::MakeCanvasMovie();
        CanvasWindow().DispShape(1);
    } else {
        CanvasWindow().DispShape(1);
        MarkHit();
        CanvasWindow().Picture().Refresh();
    }
}

// The kind a modified click gives an anchor of the given kind, if any.
std::optional<int16_t> ClickedKind(int16_t kind, int shift)
{
    if (CanvasWindow().Options().NotAnchorSelect != 1) {
        if (shift & platform::kShiftMask) {
            return static_cast<int16_t>(kind == core::kOnCurve ? core::kControlPoint : core::kOnCurve);
        }
        return std::nullopt;
    }
    if (shift == platform::kShiftMask) {
        return static_cast<int16_t>(core::kOnCurve);
    }
    if (shift == platform::kCtrlMask) {
        return static_cast<int16_t>(core::kControlPoint);
    }
    return std::nullopt;
}

void ChangeKind(int32_t pathIndex, int32_t anchor, int shift)
{
    core::PathRecord path = core::GetPath(pathIndex);
    if (anchor < 0 || anchor > path.AnchorMax()) {
        return;
    }
    core::AnchorPoint &point = path.Anchors[static_cast<size_t>(anchor)];
    std::optional<int16_t> kind = ClickedKind(point.AnchorKind, shift);
    if (kind && *kind != point.AnchorKind) {
        point.AnchorKind = *kind;
        core::SetPath(pathIndex, path);
        Input().DragChanged = true;
    }
}

void ToggleHitSelection(int shift)
{
    const core::Document &doc = Doc();
    bool remove = (shift & platform::kCtrlMask) != 0;
    ToggleSelectedAnchor(doc.HitPath, doc.HitAnchor, remove);
    if (SegmentHit()) {
        ToggleSelectedAnchor(doc.HitPath2, doc.HitAnchor2, remove);
    }
}

bool WithinCloseReach(int32_t x, int32_t y, const core::AnchorPoint &anchor)
{
    float reach = kCloseReach / Doc().ZoomRate;
    return core::GetDistance(static_cast<double>(anchor.X) - x, static_cast<double>(anchor.Y) - y) < reach;
}

// The anchor menu, its items enabled and shown for the hit; (x, y) is the click point.
void ShowAnchorMenu(int32_t x, int32_t y)
{
    const core::Document &doc = Doc();
    CanvasMenus &m = CanvasWindow().Menus();
    for (platform::MenuItem *item : {m.mnuAnchorAdd, m.mnuAnchorDelete, m.mnuDevidePath, m.mnuJointPath,
                                     m.mnuOpenPathSel, m.mnuClosePathSel, m.mnuOptimizeAnchor, m.mnuAnchorLine,
                                     m.mnuAnchorCurve, m.mnuAnchorKeen, m.mnuAnchorRound}) {
        item->SetEnabled(false);
    }
    for (platform::MenuItem *item : {m.mnuAnchorLine, m.mnuAnchorCurve, m.mnuAnchorKeen, m.mnuAnchorRound}) {
        item->SetVisible(false);
    }
    m.mnuOptimizeAnchor->SetEnabled(true);

    const core::PathRecord &path = std::as_const(doc.DocPaths)[static_cast<size_t>(doc.HitPath)];
    const int32_t n = path.AnchorMax();
    auto kindOf = [&](int32_t a) { return path.Anchors[static_cast<size_t>(std::clamp(a, 0, n))].AnchorKind; };
    if (SegmentHit()) {
        int16_t kind1 = kindOf(doc.HitAnchor);
        int16_t kind2 = kindOf(doc.HitAnchor2);
        m.mnuAnchorAdd->SetEnabled(true);
        m.mnuAnchorLine->SetVisible(true);
        m.mnuAnchorCurve->SetVisible(true);
        m.mnuAnchorCurve->SetEnabled(kind1 == core::kOnCurve || kind2 == core::kOnCurve);
        m.mnuAnchorLine->SetEnabled(kind1 == core::kControlPoint || kind2 == core::kControlPoint);
        m.mnuOpenPathSel->SetEnabled(path.blClosed);
    } else {
        int16_t kind = kindOf(doc.HitAnchor);
        m.mnuAnchorDelete->SetEnabled(true);
        m.mnuAnchorKeen->SetVisible(true);
        m.mnuAnchorRound->SetVisible(true);
        m.mnuAnchorRound->SetEnabled(kind == core::kOnCurve);
        m.mnuAnchorKeen->SetEnabled(kind == core::kControlPoint);
    }
    if (!path.blClosed) {
        m.mnuDevidePath->SetEnabled(doc.HitAnchor < n);
        if (!SegmentHit()) {
            m.mnuJointPath->SetEnabled(core::JoinPaths(doc.HitPath, doc.HitAnchor, true));
            bool closable = (doc.HitAnchor == 0 && WithinCloseReach(x, y, path.Anchors[static_cast<size_t>(n)])) ||
                            (doc.HitAnchor == n && WithinCloseReach(x, y, path.Anchors[0]));
            m.mnuClosePathSel->SetEnabled(closable);
        }
    }
    Input().PopupShown = true;
    platform::PopupMenu(m.mnuModifyMode);
}

void FinishHitGesture(int button, int shift, int32_t x, int32_t y)
{
    CanvasInputState &input = Input();
    if (CanvasWindow().Options().NotAnchorSelect != 1) {
        ToggleHitSelection(shift);
    }
    if (shift != 0) {
        ChangeKind(Doc().HitPath, Doc().HitAnchor, shift);
        if (SegmentHit()) {
            ChangeKind(Doc().HitPath2, Doc().HitAnchor2, shift);
        }
    }
    if (button == platform::kRightButton) {
        ShowAnchorMenu(x, y);
    }
    movie::MakeCanvasMovie();
    CanvasWindow().DispShape(0);
    if (input.DragChanged) {
        core::RecordHistory();
    }
    input.DragChanged = false;
}

}  // namespace

void Anchor_MouseDown(int /*button*/, int shift, int32_t x, int32_t y)
{
    core::Document &doc = Doc();
    ArmDrag(x, y);
    // The press looks for its hit itself: the document may have changed since the last hover.
    FindHit(x, y);
    bool ctrl = (shift & platform::kCtrlMask) != 0;
    if (doc.HitPath < 1) {
        if (!ctrl) {
            ClearAnchorSelection();
        }
        return;
    }
    bool keepSelection = ctrl || CanvasWindow().Options().NotAnchorSelect == 1 ||
                         core::HitSelectedAnchor(doc.HitPath, doc.HitAnchor) ||
                         (SegmentHit() && core::HitSelectedAnchor(doc.HitPath2, doc.HitAnchor2));
    if (!keepSelection) {
        ClearAnchorSelection();
    }
}

void Anchor_MouseMove(int button, int /*shift*/, int32_t x, int32_t y)
{
    const CanvasInputState &input = Input();
    if (!input.DragArmed) {
        Hover(x, y);
        return;
    }
    if (Doc().HitPath < 1) {
        SelectAnchorsInRect(input.DragOriginX, input.DragOriginY, x, y, false);
    } else if (button == platform::kLeftButton && IsPathIndex(Doc().HitPath)) {
        DragStep(x, y);
    }
}

void Anchor_MouseUp(int button, int shift, int32_t x, int32_t y)
{
    CanvasInputState &input = Input();
    if (!input.DragArmed) {
        return;
    }
    if (IsPathIndex(Doc().HitPath)) {
        FinishHitGesture(button, shift, x, y);
    } else {
        SelectAnchorsInRect(input.DragOriginX, input.DragOriginY, x, y, true);
    }
    core::GetHost().RefreshPosition();
    core::GetHost().RefreshGradient();
    input.DragArmed = false;
}

}  // namespace canvastools
