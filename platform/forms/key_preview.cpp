#include "platform/forms/key_preview.h"

#include "platform/forms/key_codes.h"

#include <QApplication>
#include <QKeyEvent>
#include <QWidget>

namespace platform {

KeyPreview::KeyPreview(QWidget *window) : QObject(window), window_(window)
{
    qApp->installEventFilter(this);
}

bool KeyPreview::eventFilter(QObject *watched, QEvent *event)
{
    if (!enabled_ || (event->type() != QEvent::KeyPress && event->type() != QEvent::KeyRelease)) {
        return false;
    }
    auto *widget = qobject_cast<QWidget *>(watched);
    // A key event travels up from the focus widget to its parents; act on its first delivery only.
    QWidget *target = QApplication::focusWidget() ? QApplication::focusWidget() : window_;
    if (!widget || widget != target || widget->window() != window_) {
        return false;
    }
    auto *key = static_cast<QKeyEvent *>(event);
    int code = VirtualKeyOf(*key);
    if (code == 0) {
        return false;
    }
    if (event->type() == QEvent::KeyPress) {
        emit KeyDown(code, ShiftStateOf(key->modifiers()));
    } else if (!key->isAutoRepeat()) {
        emit KeyUp(code, ShiftStateOf(key->modifiers()));
    }
    return false;
}

}  // namespace platform
