// Modal dialogs of the windows. Tests answer them through a hook that works the dialog's controls
// (and presses its buttons) instead of waiting for a user.
#pragma once

#include <QDialog>

#include <functional>

namespace platform {

inline constexpr int kEscapeAscii = 27;

// A dialog window whose Esc key reaches Form_KeyPress as the ASCII code 27, like the other keys
// a window previews, instead of closing the dialog by itself.
class DialogForm : public QDialog {
    Q_OBJECT
public:
    using QDialog::QDialog;
    virtual void Form_KeyPress(int keyAscii) = 0;

protected:
    void keyPressEvent(QKeyEvent *event) override;
};

// Shows the dialog modally and returns its result (QDialog::Accepted or Rejected) once it closed.
int ShowModal(QDialog &dialog);

// The hook gets the dialog, filled and ready, in place of the modal loop; whatever it leaves
// open is closed as cancelled. An empty hook shows the dialogs again.
using ModalDialogHook = std::function<void(QDialog &)>;
void SetModalDialogHook(ModalDialogHook hook);

}  // namespace platform
