#include "platform/forms/message_box.h"

#include <QApplication>
#include <QMessageBox>

namespace platform {
namespace {

MessageBoxHook &Hook()
{
    static MessageBoxHook hook;
    return hook;
}

QMessageBox::Icon IconOf(int style)
{
    switch (style & 0x70) {
    case kMbCritical:
        return QMessageBox::Critical;
    case kMbQuestion:
        return QMessageBox::Question;
    case kMbExclamation:
        return QMessageBox::Warning;
    case kMbInformation:
        return QMessageBox::Information;
    default:
        return QMessageBox::NoIcon;
    }
}

struct ButtonSet {
    QMessageBox::StandardButtons buttons;
    QMessageBox::StandardButton escape;
};

ButtonSet ButtonsOf(int style)
{
    switch (style & 0x0F) {
    case kMbOkCancel:
        return {QMessageBox::Ok | QMessageBox::Cancel, QMessageBox::Cancel};
    case kMbYesNoCancel:
        return {QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, QMessageBox::Cancel};
    case kMbYesNo:
        return {QMessageBox::Yes | QMessageBox::No, QMessageBox::NoButton};
    default:
        return {QMessageBox::Ok, QMessageBox::Ok};
    }
}

int AnswerOf(int button)
{
    switch (button) {
    case QMessageBox::Yes:
        return kMbYes;
    case QMessageBox::No:
        return kMbNo;
    case QMessageBox::Cancel:
        return kMbCancel;
    default:
        return kMbOk;
    }
}

}  // namespace

int MsgBox(const QString &prompt, int style, const QString &title, QWidget *parent)
{
    if (Hook()) {
        return Hook()(MessageBoxRequest{prompt, style, title});
    }
    ButtonSet set = ButtonsOf(style);
    QMessageBox box(IconOf(style), title, prompt, set.buttons, parent ? parent : QApplication::activeWindow());
    if (set.escape != QMessageBox::NoButton) {
        box.setEscapeButton(set.escape);
    }
    return AnswerOf(box.exec());
}

void SetMessageBoxHook(MessageBoxHook hook)
{
    Hook() = std::move(hook);
}

}  // namespace platform
