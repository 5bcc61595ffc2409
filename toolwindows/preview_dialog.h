// The frame shared by the modal windows that preview a change of the selected paths on the
// canvas while sliders move: every preview starts again from the path snapshot taken when the
// window opens; apply keeps the last preview as one undo step, cancel, Escape and closing put
// the snapshot back. The window is hidden, not destroyed, so its sliders keep their values.
#pragma once

#include "platform/forms/controls.h"

#include <QPoint>
#include <QPushButton>
#include <QString>
#include <QWidget>

#include <cstdint>
#include <utility>
#include <vector>

class QGridLayout;

namespace toolwindows {

class PreviewDialog : public QWidget {
    Q_OBJECT
public:
    // Slider index (0 for the first row) changed or scrolled: its text box shows the value as a
    // plain integer, then the preview runs.
    void HScroll_Change(int index);
    // A number typed into a row's box (leading numeric part, to the nearest integer) moves the
    // slider when it lies inside the slider's range; anything else changes nothing.
    void Text_Change(int index);
    // Apply: hide and record one undo step.
    void Command1_Click();
    // Cancel: put the snapshot back and hide.
    void Command2_Click();
    void Form_KeyUp(int keyCode, int shift);

    QPushButton *Command1;
    QPushButton *Command2;

signals:
    // The canvas movie was rebuilt from a preview: redisplay it with the preview's overlay.
    void PreviewReady();
    // The document was put back as it was: redisplay the canvas.
    void Restored();
    // The window closed, applied or cancelled.
    void Finished();

protected:
    PreviewDialog(QWidget *owner, const QString &caption);

    // Adds a labelled slider with its text box as the next row.
    std::pair<platform::ScrollBar *, platform::TextBox *> AddSliderRow(const char *label, int16_t min, int16_t max,
                                                                       int16_t value);
    // Adds the apply and cancel buttons below the rows and fixes the window's size.
    void AddButtons();
    // Takes the snapshot the previews start from; previews run from now until apply or cancel.
    void BeginPreviews();
    // Shows the window modal with the given corner of its outer frame (top left or bottom left)
    // at the point (screen pixels), pulled back inside the work area.
    void ShowAt(const QPoint &corner, Qt::Corner which = Qt::TopLeftCorner);
    // Between BeginPreviews and apply or cancel.
    bool Previewing() const { return open_; }
    // The window's own preview, run when a slider changes.
    virtual void Preview() = 0;

    void closeEvent(QCloseEvent *event) override;
    void keyReleaseEvent(QKeyEvent *event) override;

private:
    QGridLayout *grid_;
    std::vector<std::pair<platform::ScrollBar *, platform::TextBox *>> rows_;
    bool open_ = false;
};

}  // namespace toolwindows
