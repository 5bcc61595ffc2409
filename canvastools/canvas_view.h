// The main window as the canvas tools see it: the view's geometry, the canvas picture box, redraw
// requests, the status line, scrolling, the display toggles, the preferences the tools follow, the
// palette's controls and the menus the tools pop up. The main window implements it and attaches it
// when it is built; the tools reach the window through nothing else.
#pragma once

#include "canvastools/canvas_menus.h"
#include "canvastools/tool_options.h"
#include "canvastools/view_mapping.h"

#include <QString>

#include <array>
#include <cstdint>

class QWidget;

namespace platform {
class CheckBox;
class ComboBox;
class KeyPreview;
class OptionButton;
class PictureBox;
}  // namespace platform

namespace canvastools {

// The window's controls the tool palette arranges and reads: the eleven tool buttons, the line
// opacity box and the display check boxes (underlay, underlay in front, grid, snap), and the zoom
// box, line-width box and style palette stacked below them.
struct PaletteControls {
    std::array<platform::OptionButton *, 11> Option1{};
    platform::CheckBox *Check1 = nullptr;
    platform::CheckBox *Check3 = nullptr;
    platform::CheckBox *Check4 = nullptr;
    platform::CheckBox *Check5 = nullptr;
    platform::CheckBox *Check6 = nullptr;
    platform::ComboBox *Combo1 = nullptr;
    platform::ComboBox *Combo2 = nullptr;
    platform::PictureBox *PicStatus = nullptr;
};

// The display check boxes: the underlay shown and in front, the grid shown, snapping to the grid.
struct DisplayToggles {
    bool underlay = false;
    bool underlayInFront = false;
    bool grid = false;
    bool snap = false;
};

class CanvasView {
public:
    virtual ~CanvasView() = default;

    // The view's geometry: picture pixels to twips and back, and the whole mapping.
    virtual void PosScrToTwip(float xs, float ys, int32_t &xt, int32_t &yt) const = 0;
    virtual void PosTwipToScr(int32_t &xs, int32_t &ys, int32_t xt, int32_t yt) const = 0;
    virtual ViewMetrics CurrentViewMetrics() const = 0;
    // Scrolls the view to the scroll values, each kept within its range (horizontal first).
    virtual void ScrollTo(double h, double v) = 0;

    // The canvas picture box the tools draw their marks in.
    virtual platform::PictureBox &Picture() = 0;
    // Redraws the canvas: 0 clears the picture and resets the scroll ranges first, above 0 only
    // clears the bands around the image.
    virtual void DispShape(int16_t flag) = 0;
    // Makes the canvas movie anew and redraws the canvas (as DispShape(1)) once the events
    // already queued are handled: keys repeated faster than the canvas is drawn show one
    // picture, of the last state.
    virtual void RemakeCanvasSoon() = 0;

    virtual QString StatusText() const = 0;
    virtual void SetStatusText(const QString &text) = 0;

    virtual DisplayToggles Toggles() const = 0;
    virtual const ToolOptions &Options() const = 0;
    // Presses the tool's button (its click handler runs).
    virtual void ChooseTool(int16_t tool) = 0;

    virtual PaletteControls ToolPaletteControls() = 0;
    virtual CanvasMenus &Menus() = 0;
    // The window itself (the owner of the tools' own windows) and its key preview.
    virtual QWidget &Window() = 0;
    virtual platform::KeyPreview &KeyPreview() = 0;
};

}  // namespace canvastools
