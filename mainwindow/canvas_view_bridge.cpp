#include "mainwindow/canvas_view_bridge.h"

#include "mainwindow/draw_gui.h"
#include "mainwindow/main_state.h"
#include "mainwindow/window_status.h"
#include "platform/base/rounding.h"

#include <algorithm>

namespace mainwindow {
namespace {

void SetScrollValue(platform::ScrollBar *bar, double value)
{
    bar->SetValue(std::clamp<int32_t>(platform::RoundToInt32(value), bar->Min(), bar->Max()));
}

}  // namespace

void CanvasViewBridge::PosScrToTwip(float xs, float ys, int32_t &xt, int32_t &yt) const
{
    window_.PosScrToTwip(xs, ys, xt, yt);
}

void CanvasViewBridge::PosTwipToScr(int32_t &xs, int32_t &ys, int32_t xt, int32_t yt) const
{
    window_.PosTwipToScr(xs, ys, xt, yt);
}

canvastools::ViewMetrics CanvasViewBridge::CurrentViewMetrics() const
{
    return window_.CurrentViewMetrics();
}

void CanvasViewBridge::ScrollTo(double h, double v)
{
    SetScrollValue(window_.HScroll1, h);
    SetScrollValue(window_.VScroll1, v);
}

platform::PictureBox &CanvasViewBridge::Picture()
{
    return *window_.Picture1;
}

void CanvasViewBridge::DispShape(int16_t flag)
{
    window_.DispShape(flag);
}

void CanvasViewBridge::RemakeCanvasSoon()
{
    window_.RemakeCanvasSoon();
}

QString CanvasViewBridge::StatusText() const
{
    return window_.StatusLabel1->text();
}

void CanvasViewBridge::SetStatusText(const QString &text)
{
    ShowStatusLine(window_, text);
}

canvastools::DisplayToggles CanvasViewBridge::Toggles() const
{
    return DisplayTogglesOf(window_);
}

const canvastools::ToolOptions &CanvasViewBridge::Options() const
{
    return Main();
}

void CanvasViewBridge::ChooseTool(int16_t tool)
{
    window_.Option1.at(static_cast<size_t>(tool))->SetValue(true);
}

canvastools::PaletteControls CanvasViewBridge::ToolPaletteControls()
{
    return canvastools::PaletteControls{window_.Option1, window_.Check1, window_.Check3, window_.Check4,
                                        window_.Check5, window_.Check6, window_.Combo1, window_.Combo2,
                                        window_.PicStatus};
}

canvastools::CanvasMenus &CanvasViewBridge::Menus()
{
    return window_.menus;
}

QWidget &CanvasViewBridge::Window()
{
    return window_;
}

platform::KeyPreview &CanvasViewBridge::KeyPreview()
{
    return *window_.keyPreview;
}

}  // namespace mainwindow
