#include "platform/forms/modal_dialog.h"

#include <QKeyEvent>

namespace platform {
namespace {

ModalDialogHook &Hook()
{
    static ModalDialogHook hook;
    return hook;
}

}  // namespace

void DialogForm::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        Form_KeyPress(kEscapeAscii);
        return;
    }
    QDialog::keyPressEvent(event);
}

int ShowModal(QDialog &dialog)
{
    if (!Hook()) {
        return dialog.exec();
    }
    dialog.setResult(QDialog::Rejected);
    Hook()(dialog);
    if (dialog.isVisible()) {
        dialog.reject();
    }
    return dialog.result();
}

void SetModalDialogHook(ModalDialogHook hook)
{
    Hook() = std::move(hook);
}

}  // namespace platform
