// The optimisation window: thins out the anchors of the selected paths with a point and a line
// tolerance, previewing on the canvas until the user applies or cancels.
#pragma once

#include "toolwindows/preview_dialog.h"

namespace toolwindows {

class OptimizeGUI : public PreviewDialog {
    Q_OBJECT
public:
    explicit OptimizeGUI(QWidget *owner);

    // Takes the snapshot the preview starts from, sets both tolerances (each previewing) and
    // shows the window modal with its top left at topLeft (screen pixels), inside the work area.
    void Open(int32_t pointTolerance, int32_t lineTolerance, const QPoint &topLeft);
    // The snapshot with the selected paths optimised by the two tolerances, drawn on the canvas.
    void OptimizePreview();

    platform::ScrollBar *HScroll1;  // point tolerance, twips
    platform::ScrollBar *HScroll2;  // line tolerance, twips
    platform::TextBox *Text1;
    platform::TextBox *Text2;

protected:
    void Preview() override { OptimizePreview(); }
};

}  // namespace toolwindows
