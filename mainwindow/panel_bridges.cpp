#include "mainwindow/panel_bridges.h"

#include "canvastools/canvas_input_state.h"
#include "canvastools/selection_overlay.h"
#include "canvastools/turn_in_depth.h"
#include "core/anchor_selection.h"
#include "core/document.h"
#include "core/geometry.h"
#include "core/gradient_edit.h"
#include "core/history.h"
#include "core/host.h"
#include "mainwindow/color_picker.h"
#include "mainwindow/draw_gui.h"
#include "movie/canvas_movie.h"
#include "platform/base/number_text.h"
#include "platform/base/rounding.h"
#include "platform/forms/window_placement.h"
#include "toolwindows/brush_palette.h"
#include "toolwindows/gradient_editor.h"
#include "toolwindows/optimize_window.h"
#include "toolwindows/position_window.h"
#include "toolwindows/preview_window.h"
#include "toolwindows/transform_window.h"

#include <algorithm>
#include <cmath>

namespace mainwindow {

using canvastools::Input;
using core::Doc;

namespace {

// Typed coordinates stay where twips can hold them; sizes and angles within generous bounds, so
// that no typed number can overflow a coordinate or give a non-finite transform.
constexpr double kMaxCanvasPixels = 100'000'000;
constexpr double kMaxSizeValue = 1'000'000;
constexpr double kMaxAngle = 1'000'000;

QString NumberText(double value)
{
    return QString::fromStdString(platform::FormatNumber(value));
}

int32_t AddSaturated(int32_t value, int32_t delta)
{
    return platform::SaturateInt<int32_t>(static_cast<int64_t>(value) + delta);
}

// The selected path with the highest index, 0 when none.
int32_t LastSelectedPath()
{
    for (int32_t i = Doc().DocPathCount(); i >= 1; --i) {
        if (std::as_const(Doc().DocPaths)[static_cast<size_t>(i)].blSelected) {
            return i;
        }
    }
    return 0;
}

// The values typed into the position window, read and clamped.
struct PositionInput {
    double x = 0;
    double y = 0;
    float vertical = 1;    // size factor (select tool) or extent (gradient tool) of y
    float horizontal = 1;  // ... of x
    float angle = 0;       // radians, single precision
    int32_t dx = 0;        // shift of handle point 0 to the typed X and Y
    int32_t dy = 0;
};

PositionInput ReadPositionWindow(const toolwindows::PositionGUI &window)
{
    PositionInput in;
    in.x = ReadTypedNumber(window.Text1->Text(), -kMaxCanvasPixels, kMaxCanvasPixels);
    in.y = ReadTypedNumber(window.Text2->Text(), -kMaxCanvasPixels, kMaxCanvasPixels);
    float second = 0;
    float first = 0;
    core::ParseRatioText(window.Text3->Text().toStdString(), second, first);
    auto clampSize = [](float v) {
        return std::isfinite(v) ? std::clamp<float>(v, -kMaxSizeValue, kMaxSizeValue) : 0.0f;
    };
    in.vertical = clampSize(first);
    in.horizontal = clampSize(second);
    double degrees = ReadTypedNumber(window.Text4->Text(), -kMaxAngle, kMaxAngle);
    in.angle = static_cast<float>(degrees * kPi / 180);
    const canvastools::Point32 &origin = Input().HandlePoints[0];
    in.dx = platform::RoundToInt32(in.x * kTwipsPerCanvasPixel - origin.X);
    in.dy = platform::RoundToInt32(in.y * kTwipsPerCanvasPixel - origin.Y);
    return in;
}

void MoveSelectedAnchors(const PositionInput &in)
{
    if (Doc().SelectedAnchorCount() < 1) {
        return;
    }
    int32_t cx = 0;
    int32_t cy = 0;
    core::GetSelectedAnchorCenter(core::Doc().DocPaths, core::Doc().SelectedAnchors, cx, cy);
    int32_t dx = platform::RoundToInt32(in.x * kTwipsPerCanvasPixel - cx);
    int32_t dy = platform::RoundToInt32(in.y * kTwipsPerCanvasPixel - cy);
    for (int32_t j = 1; j <= Doc().SelectedAnchorCount(); ++j) {
        const core::AnchorRef &ref = Doc().SelectedAnchors[static_cast<size_t>(j)];
        core::MoveAnchor(dx, dy, ref.PathIndex, ref.AnchorIndex);
    }
}

// Scales about the reference point, turns about it, then shifts.
void TransformPoint(int32_t &x, int32_t &y, const PositionInput &in, int32_t rx, int32_t ry)
{
    x = platform::RoundToInt32(in.horizontal * (static_cast<double>(x) - rx) + rx);
    y = platform::RoundToInt32(in.vertical * (static_cast<double>(y) - ry) + ry);
    core::RotatePoint(x, y, rx, ry, in.angle);
    x = AddSaturated(x, in.dx);
    y = AddSaturated(y, in.dy);
}

void TransformSelectedPaths(const PositionInput &in, int reference)
{
    canvastools::Point32 pivot;
    if (reference >= 0) {
        pivot = Input().HandlePoints[static_cast<size_t>(reference)];
    }
    for (int32_t i = 1; i <= Doc().DocPathCount(); ++i) {
        core::PathRecord path = core::GetPath(i);
        if (!path.blSelected) {
            continue;
        }
        for (core::AnchorPoint &anchor : path.Anchors) {
            TransformPoint(anchor.X, anchor.Y, in, pivot.X, pivot.Y);
        }
        TransformPoint(path.GradCenterX, path.GradCenterY, in, pivot.X, pivot.Y);
        path.GradAngle += static_cast<float>(in.angle * 180 / kPi);
        core::SetPath(i, path);
    }
}

void SetSelectedGradients(const PositionInput &in)
{
    for (int32_t i = 1; i <= Doc().DocPathCount(); ++i) {
        core::PathRecord path = core::GetPath(i);
        if (!path.blSelected) {
            continue;
        }
        path.GradCenterX = AddSaturated(path.GradCenterX, in.dx);
        path.GradCenterY = AddSaturated(path.GradCenterY, in.dy);
        path.GradRatioX = static_cast<float>(in.horizontal / kGradientSizeUnit);
        path.GradRatioY = static_cast<float>(in.vertical / kGradientSizeUnit);
        path.GradAngle = static_cast<float>(in.angle * 180 / kPi);
        core::SetPath(i, path);
    }
}

void ResetPositionFields(toolwindows::PositionGUI &window)
{
    for (platform::TextBox *box : {window.Text1, window.Text2, window.Text3, window.Text4}) {
        box->clear();
        box->setEnabled(false);
    }
    for (platform::OptionButton *option : window.Option1) {
        option->hide();
    }
    window.Command1->setEnabled(false);
}

void EnableFields(std::initializer_list<platform::TextBox *> boxes)
{
    for (platform::TextBox *box : boxes) {
        box->setEnabled(true);
    }
}

void ShowHandlePoint(toolwindows::PositionGUI &window)
{
    const canvastools::Point32 &origin = Input().HandlePoints[0];
    window.Text1->SetText(NumberText(origin.X / kTwipsPerCanvasPixel));
    window.Text2->SetText(NumberText(origin.Y / kTwipsPerCanvasPixel));
}

// One tool window and its stored placement (width and height only for resizable windows).
struct PanelSlot {
    QWidget *window;
    platform::MenuItem *item;
    int32_t MainState::*visible;
    int32_t MainState::*left;
    int32_t MainState::*top;
    int32_t MainState::*width;
    int32_t MainState::*height;
};

std::array<PanelSlot, 3> PanelSlots(DrawGUI &gui)
{
    return {{
        {gui.PositionGUI, gui.menus.mnuDispPositionGUI, &MainState::PositionToolBoxVisible,
         &MainState::PositionToolBoxLeft, &MainState::PositionToolBoxTop, nullptr, nullptr},
        {gui.GradationGUI, gui.menus.mnuDispGradientGUI, &MainState::GradientToolBoxVisible,
         &MainState::GradientToolBoxLeft, &MainState::GradientToolBoxTop, nullptr, nullptr},
        {gui.BrushGUI, gui.menus.mnuDispBrushGUI, &MainState::BrushToolBoxVisible, &MainState::BrushToolBoxLeft,
         &MainState::BrushToolBoxTop, &MainState::BrushToolBoxWidth, &MainState::BrushToolBoxHeight},
    }};
}

void StorePlacement(const PanelSlot &slot)
{
    QRect frame = platform::WindowRectTwips(slot.window);
    Main().*slot.left = frame.left();
    Main().*slot.top = frame.top();
    if (slot.width) {
        Main().*slot.width = frame.width();
        Main().*slot.height = frame.height();
    }
}

void ShowAtStoredPlace(const PanelSlot &slot)
{
    platform::ShowWindowAtTwips(slot.window, Main().*slot.left, Main().*slot.top,
                                slot.width ? Main().*slot.width : -1, slot.height ? Main().*slot.height : -1);
}

// The user closed a tool window: its menu item loses the check mark, its place is kept.
void PanelClosedByUser(const PanelSlot &slot)
{
    if (slot.window->isVisible()) {
        StorePlacement(slot);
    }
    Main().*slot.visible = 0;
    slot.item->SetChecked(false);
}

// Hands a Ctrl+clicked picker colour to the gradient editor while it is open; a child of the
// editor, it unregisters itself when the editor goes away.
class GradientEditorTarget : public QObject, public GradientColorTarget {
public:
    explicit GradientEditorTarget(toolwindows::GradationGUI *editor) : QObject(editor), editor_(editor)
    {
        SetGradientColorTarget(this);
    }
    ~GradientEditorTarget() override
    {
        if (GetGradientColorTarget() == this) {
            SetGradientColorTarget(nullptr);
        }
    }
    bool IsVisible() const override { return editor_->isVisible(); }
    void GetFromColorPicker(uint32_t colour) override { editor_->GetFromColorPicker(colour); }

private:
    toolwindows::GradationGUI *editor_;
};

}  // namespace

double ReadTypedNumber(const QString &text, double lo, double hi)
{
    double value = platform::Val(text.toStdString());
    return std::isnan(value) ? 0 : std::clamp(value, lo, hi);
}

QString GradientSizeText(float ratioX, float ratioY)
{
    if (ratioX != ratioY) {
        return NumberText(std::floor(ratioY * kGradientSizeUnit * 10) / 10) + QLatin1Char(':') +
               NumberText(std::floor(ratioX * kGradientSizeUnit * 10) / 10);
    }
    return NumberText(std::floor(ratioX * kGradientSizeUnit * 100) / 100);
}

QString GradientAngleText(float angle)
{
    return NumberText(std::floor(static_cast<double>(angle) * 100) / 100);
}

// ---- the position window ----

void DrawGUI::RefreshPosition()
{
    if (!PositionGUI || !PositionGUI->isVisible()) {
        return;
    }
    toolwindows::PositionGUI &window = *PositionGUI;
    ResetPositionFields(window);
    switch (Input().CurrentTool) {
    case canvastools::kToolAnchorEdit:
        if (Doc().SelectedAnchorCount() >= 1) {
            EnableFields({window.Text1, window.Text2});
            int32_t cx = 0;
            int32_t cy = 0;
            core::GetSelectedAnchorCenter(core::Doc().DocPaths, core::Doc().SelectedAnchors, cx, cy);
            window.Text1->SetText(NumberText(cx / kTwipsPerCanvasPixel));
            window.Text2->SetText(NumberText(cy / kTwipsPerCanvasPixel));
            window.Command1->setEnabled(true);
        }
        break;
    case canvastools::kToolSelect:
        if (core::CountSelectedPaths() >= 1) {
            for (platform::OptionButton *option : window.Option1) {
                option->show();
            }
            EnableFields({window.Text1, window.Text2, window.Text3, window.Text4});
            ShowHandlePoint(window);
            window.Text3->SetText(QStringLiteral("1"));
            window.Text4->SetText(QStringLiteral("0"));
            window.Command1->setEnabled(true);
        }
        break;
    case canvastools::kToolGradient:
        if (int32_t last = LastSelectedPath(); last > 0) {
            EnableFields({window.Text1, window.Text2, window.Text3, window.Text4});
            ShowHandlePoint(window);
            const core::PathRecord &path = std::as_const(Doc().DocPaths)[static_cast<size_t>(last)];
            window.Text3->SetText(GradientSizeText(path.GradRatioX, path.GradRatioY));
            window.Text4->SetText(GradientAngleText(path.GradAngle));
            window.Command1->setEnabled(true);
        }
        break;
    default:
        break;
    }
    window.SetHistoryStore(false);
}

void DrawGUI::ApplyPosition()
{
    if (!PositionGUI) {
        return;
    }
    PositionInput in = ReadPositionWindow(*PositionGUI);
    switch (Input().CurrentTool) {
    case canvastools::kToolAnchorEdit:
        MoveSelectedAnchors(in);
        break;
    case canvastools::kToolSelect:
        TransformSelectedPaths(in, PositionGUI->ChosenReferencePoint());
        break;
    case canvastools::kToolGradient:
        SetSelectedGradients(in);
        break;
    default:
        break;
    }
    movie::MakeCanvasMovie();
    DispShape(0);
    if (PositionGUI->GetHistoryStore()) {
        core::RecordHistory();
    }
    core::GetHost().RefreshSelect();
    RefreshPosition();
    RefreshGradient();
}

// ---- the gradient editor ----

void DrawGUI::RefreshGradient()
{
    if (Doc().DocPathCount() == 0 || !GradationGUI || !GradationGUI->isVisible()) {
        return;
    }
    bool editing = Input().CurrentTool == canvastools::kToolGradient;
    GradationGUI->Picture1->setEnabled(editing);
    GradationGUI->Frame1->setVisible(editing);
    GradationGUI->Picture1->Cls();
    GradationGUI->InitalizeGrad(LastSelectedPath());
}

void DrawGUI::ApplyGradient(bool Flg)
{
    if (Input().CurrentTool != canvastools::kToolGradient) {
        RefreshGradient();
        return;
    }
    const core::GradientEdit &edit = core::GradEdit();
    for (int32_t i = 1; i <= Doc().DocPathCount(); ++i) {
        core::PathRecord path = core::GetPath(i);
        if (!path.blSelected) {
            continue;
        }
        int32_t k = edit.EditGradStopCount - 1;
        if (path.FillType == core::kFillReflected && k > 2) {
            k = 2;
        }
        k = std::clamp(k, 0, 6);
        path.SetStopCount(k);
        for (int32_t j = 1; j <= k; ++j) {
            path.Stops[static_cast<size_t>(j)] = edit.EditGradStops[static_cast<size_t>(j)];
        }
        core::SetPath(i, path);
    }
    movie::MakeCanvasMovie();
    DispShape(0);
    if (Flg) {
        core::RecordHistory();
        core::GetHost().RefreshSelect();
    }
}

// ---- the brush palette and the optimisation window ----

void DrawGUI::SetupBrushList()
{
    if (BrushGUI) {
        BrushGUI->SetupBrushList();
    }
}

QPoint DrawGUI::CanvasBottomLeft() const
{
    return Picture1->mapToGlobal(QPoint(0, Picture1->height()));
}

void DrawGUI::ShowOptimizeWindow()
{
    OptimizeGUI->Open(core::Doc().CurrentSettings.OptimizePoint, core::Doc().CurrentSettings.OptimizeLine,
                      CanvasBottomLeft());
}

// The transform window's bottom edge lies where the optimisation window's top edge would.
void DrawGUI::ShowTransformDialog()
{
    TransformGUI->Open(CanvasBottomLeft());
}

// ---- building, showing and closing the tool windows ----

void DrawGUI::ConnectToolWindows()
{
    PositionGUI = new toolwindows::PositionGUI(this);
    GradationGUI = new toolwindows::GradationGUI(this);
    BrushGUI = new toolwindows::BrushGUI(this);
    OptimizeGUI = new toolwindows::OptimizeGUI(this);
    TransformGUI = new toolwindows::TransformGUI(this, canvastools::PathTransform3D);
    connect(PositionGUI, &toolwindows::PositionGUI::ApplyRequested, this, [this] {
        ApplyPosition();
        Picture1->setFocus();
    });
    connect(PositionGUI, &toolwindows::ToolWindow::Activated, this, &DrawGUI::RefreshPosition);
    connect(GradationGUI, &toolwindows::GradationGUI::ApplyGradientRequested, this, &DrawGUI::ApplyGradient);
    connect(GradationGUI, &toolwindows::ToolWindow::Activated, this, &DrawGUI::RefreshGradient);
    GradationGUI->RealtimeChecked = [this] { return Check1->Value() == 1; };
    connect(BrushGUI, &toolwindows::BrushGUI::FocusCanvas, this, [this] { Picture1->setFocus(); });
    connect(OptimizeGUI, &toolwindows::OptimizeGUI::PreviewReady, this, [this] {
        DispShape(1);
        for (int32_t i = 1; i <= Doc().DocPathCount(); ++i) {
            if (std::as_const(Doc().DocPaths)[static_cast<size_t>(i)].blSelected) {
                canvastools::DrawPathEdge(i, true, true);
            }
        }
    });
    connect(TransformGUI, &toolwindows::TransformGUI::PreviewReady, this, [this] {
        DispShape(3);
        canvastools::DrawSelectedEdgeSub();
    });
    for (toolwindows::PreviewDialog *dialog : {static_cast<toolwindows::PreviewDialog *>(OptimizeGUI),
                                               static_cast<toolwindows::PreviewDialog *>(TransformGUI)}) {
        connect(dialog, &toolwindows::PreviewDialog::Restored, this, [this] { DispShape(1); });
    }
    connect(PositionGUI, &toolwindows::ToolWindow::Closed, this, [this] { PanelClosedByUser(PanelSlots(*this)[0]); });
    connect(GradationGUI, &toolwindows::ToolWindow::Closed, this, [this] { PanelClosedByUser(PanelSlots(*this)[1]); });
    connect(BrushGUI, &toolwindows::ToolWindow::Closed, this, [this] { PanelClosedByUser(PanelSlots(*this)[2]); });
    new GradientEditorTarget(GradationGUI);
}

void DrawGUI::ShowPanelWindows()
{
    for (const PanelSlot &slot : PanelSlots(*this)) {
        bool wanted = slot.item->Checked();
        if (wanted && !slot.window->isVisible()) {
            ShowAtStoredPlace(slot);
        } else if (!wanted && slot.window->isVisible()) {
            StorePlacement(slot);
            slot.window->hide();
        }
    }
    RefreshPosition();
    RefreshGradient();
    SetupBrushList();
}

void DrawGUI::KeepPanelWindowPlacements()
{
    for (const PanelSlot &slot : PanelSlots(*this)) {
        if (slot.window->isVisible()) {
            StorePlacement(slot);
            Main().*slot.visible = 1;
        }
    }
    if (toolwindows::PreviewWindow *preview = toolwindows::OpenPreviewWindow()) {
        preview->Form_Unload();
    }
}

}  // namespace mainwindow
