// The optimisation window: thins out the anchors of the selected paths with a point and a line
// tolerance, previewing on the canvas until the user applies or cancels.
#pragma once

#include "platform/forms/controls.h"

#include <QPoint>
#include <QPushButton>
#include <QWidget>

#include <cstdint>

namespace toolwindows {

class OptimizeGUI : public QWidget {
    Q_OBJECT
public:
    explicit OptimizeGUI(QWidget *owner);

    // Takes the snapshot the preview starts from, sets both tolerances (each previewing) and
    // shows the window modal with its top left at topLeft (screen pixels), inside the work area.
    void Open(int32_t pointTolerance, int32_t lineTolerance, const QPoint &topLeft);
    // The snapshot with the selected paths optimised by the two tolerances, drawn on the canvas.
    void OptimizePreview();

    void HScroll_Change(int index);
    void Text_Change(int index);
    void Command1_Click();
    void Command2_Click();
    void Form_KeyUp(int keyCode, int shift);

    platform::ScrollBar *HScroll1;  // point tolerance, twips
    platform::ScrollBar *HScroll2;  // line tolerance, twips
    platform::TextBox *Text1;
    platform::TextBox *Text2;
    QPushButton *Command1;
    QPushButton *Command2;

signals:
    // The canvas movie was rebuilt from a preview: redisplay it with the selected outlines.
    void PreviewReady();
    // The document was put back as it was: redisplay the canvas.
    void Restored();
    // The window closed, applied or cancelled.
    void Finished();

protected:
    void closeEvent(QCloseEvent *event) override;
    void keyReleaseEvent(QKeyEvent *event) override;

private:
    bool open_ = false;  // between Open and apply or cancel
};

}  // namespace toolwindows
