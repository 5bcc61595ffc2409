// The main window as the canvas tools' view: answers their CanvasView calls with its picture box,
// scroll bars, check boxes, tool buttons, status line and menus.
#pragma once

#include "canvastools/canvas_view.h"

namespace mainwindow {

class DrawGUI;

class CanvasViewBridge : public canvastools::CanvasView {
public:
    explicit CanvasViewBridge(DrawGUI &window) : window_(window) {}

    void PosScrToTwip(float xs, float ys, int32_t &xt, int32_t &yt) const override;
    void PosTwipToScr(int32_t &xs, int32_t &ys, int32_t xt, int32_t yt) const override;
    canvastools::ViewMetrics CurrentViewMetrics() const override;
    void ScrollTo(double h, double v) override;
    platform::PictureBox &Picture() override;
    void DispShape(int16_t flag) override;
    void RemakeCanvasSoon() override;
    QString StatusText() const override;
    void SetStatusText(const QString &text) override;
    canvastools::DisplayToggles Toggles() const override;
    const canvastools::ToolOptions &Options() const override;
    void ChooseTool(int16_t tool) override;
    canvastools::PaletteControls ToolPaletteControls() override;
    canvastools::CanvasMenus &Menus() override;
    QWidget &Window() override;
    platform::KeyPreview &KeyPreview() override;

private:
    DrawGUI &window_;
};

}  // namespace mainwindow
