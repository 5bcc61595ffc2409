// Message boxes with the system's buttons, icons and answers. Tests answer them through a hook.
#pragma once

#include <QString>

#include <functional>

class QWidget;

namespace platform {

// Buttons and icon, added together as the style of a message box.
enum MessageBoxStyle : int {
    kMbOkOnly = 0,
    kMbOkCancel = 1,
    kMbYesNoCancel = 3,
    kMbYesNo = 4,
    kMbCritical = 16,
    kMbQuestion = 32,
    kMbExclamation = 48,
    kMbInformation = 64,
};

// The button the user chose.
enum MessageBoxAnswer : int { kMbOk = 1, kMbCancel = 2, kMbYes = 6, kMbNo = 7 };

struct MessageBoxRequest {
    QString prompt;
    int style = kMbOkOnly;
    QString title;
};

// Shows a modal message box over parent (or the active window) and returns the answer; closing
// the box with Esc or its close button answers Cancel where there is one, else the only button.
int MsgBox(const QString &prompt, int style = kMbOkOnly, const QString &title = QStringLiteral("Quillark"),
           QWidget *parent = nullptr);

// Tests answer message boxes through a hook; an empty hook shows them again.
using MessageBoxHook = std::function<int(const MessageBoxRequest &)>;
void SetMessageBoxHook(MessageBoxHook hook);

}  // namespace platform
