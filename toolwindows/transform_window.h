// The window that turns the selected paths in depth: three angle sliders and a depth slider,
// previewing on the canvas until the user applies or cancels.
#pragma once

#include "toolwindows/preview_dialog.h"

#include <functional>

namespace toolwindows {

// Turns the selected paths, starting again from the path snapshot, by three angles (degrees: X-Y,
// X-Z, Y-Z) with a perspective in percent, leaving the turned selection frame for the overlay.
using TurnInDepth = std::function<void(float xy, float xz, float yz, float perspective)>;

class TransformGUI : public PreviewDialog {
    Q_OBJECT
public:
    // The window's previews turn the selection with `turn`, which its owner hands in.
    TransformGUI(QWidget *owner, TurnInDepth turn);

    // Takes the snapshot the preview starts from, previews with the sliders as they stand (they
    // keep the last use's values) and shows the window modal with the bottom left of its outer
    // frame at bottomLeft (screen pixels), inside the work area.
    void Open(const QPoint &bottomLeft);
    // The snapshot with the selected paths turned by the three angles and the depth, drawn on
    // the canvas with the turned selection frame.
    void TransformPreview();

    platform::ScrollBar *HScroll1;  // X-Y angle, degrees
    platform::ScrollBar *HScroll2;  // X-Z angle, degrees
    platform::ScrollBar *HScroll3;  // Y-Z angle, degrees
    platform::ScrollBar *HScroll4;  // perspective, percent
    platform::TextBox *Text1;
    platform::TextBox *Text2;
    platform::TextBox *Text3;
    platform::TextBox *Text4;

protected:
    void Preview() override { TransformPreview(); }

private:
    TurnInDepth turn_;
};

}  // namespace toolwindows
