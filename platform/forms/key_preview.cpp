#include "platform/forms/key_preview.h"

#include "platform/forms/key_codes.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QMenuBar>
#include <QWidget>

namespace platform {

KeyPreview::KeyPreview(QWidget *window) : QObject(window), window_(window)
{
    qApp->installEventFilter(this);
}

bool KeyPreview::eventFilter(QObject *watched, QEvent *event)
{
    QEvent::Type type = event->type();
    if (type != QEvent::KeyPress && type != QEvent::KeyRelease && type != QEvent::ShortcutOverride) {
        return false;
    }
    auto *widget = qobject_cast<QWidget *>(watched);
    auto *key = static_cast<QKeyEvent *>(event);
    if (type != QEvent::ShortcutOverride && widget && GoesToMenuBar(widget)) {
        // The menu's own key; one that also comes up in the menu leaves nothing held.
        const int code = VirtualKeyOf(*key);
        if (!key->isAutoRepeat() && code != 0) {
            if (type == QEvent::KeyPress) {
                held_[code] = HeldKey{0, true};
            } else {
                held_.erase(code);
            }
        }
        return false;
    }
    // A key event travels up from the focus widget to its parents; act on its first delivery only.
    // The focus may have moved while the event was handled (a key that opened and closed a modal
    // window), so a parent of the widget that took the event must not take it again.
    QWidget *target = QApplication::focusWidget() ? QApplication::focusWidget() : window_;
    if (!widget || widget != target || widget->window() != window_ || AlreadyTaken(widget, *key)) {
        return false;
    }
    takenBy_ = widget;
    takenType_ = type;
    takenKey_ = key->key();
    takenTime_ = key->timestamp();
    if (type == QEvent::ShortcutOverride) {
        emit ShortcutKey();
        return false;
    }
    if (!enabled_) {
        return false;
    }
    int code = VirtualKeyOf(*key);
    if (code == 0) {
        return false;
    }
    if (event->type() == QEvent::KeyPress) {
        const int shift = ShiftStateOf(key->modifiers());
        if (!key->isAutoRepeat()) {
            held_[code] = HeldKey{shift, false};
        }
        emit KeyDown(code, shift);
    } else if (!key->isAutoRepeat()) {
        if (const std::optional<int> shift = ShiftStateAtPress(code, *key)) {
            emit KeyUp(code, *shift);
        }
    }
    return false;
}

bool KeyPreview::GoesToMenuBar(const QWidget *widget) const
{
    // A menu opened from the menu bar keeps its title there as the bar's active item.
    const auto *bar = window_->findChild<const QMenuBar *>(QString(), Qt::FindDirectChildrenOnly);
    return bar && (widget == bar || (qobject_cast<const QMenu *>(widget) && bar->activeAction()));
}

std::optional<int> KeyPreview::ShiftStateAtPress(int code, const QKeyEvent &release)
{
    // A quick Ctrl+F lets go of Ctrl at about the time F comes up: what the key means was
    // decided when it went down. A release without a press seen here keeps its own modifiers.
    // A key that chose a menu item or closed a menu comes up after the menu closed: it did its work.
    const auto found = held_.find(code);
    if (found == held_.end()) {
        return ShiftStateOf(release.modifiers());
    }
    const HeldKey press = found->second;
    held_.erase(found);
    if (press.byMenu) {
        return std::nullopt;
    }
    return press.shift;
}

bool KeyPreview::AlreadyTaken(const QWidget *widget, const QKeyEvent &key) const
{
    return takenBy_ && key.type() == takenType_ && key.key() == takenKey_ && key.timestamp() == takenTime_ &&
           widget->isAncestorOf(takenBy_);
}

}  // namespace platform
