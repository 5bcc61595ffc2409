// A window-level key preview: the window sees every key pressed and released in it before the
// control with the focus does, with Windows key codes. It can be switched off (while a text box
// takes typed characters). Before a key press is matched against the menus' shortcut keys it
// says so. Keys that work the window's menu bar or a menu opened from it belong to the menu: the
// window sees neither their press nor their release, wherever the release arrives.
#pragma once

#include <QEvent>
#include <QObject>
#include <QPointer>

#include <map>
#include <optional>

class QKeyEvent;
class QWidget;

namespace platform {

class KeyPreview : public QObject {
    Q_OBJECT
public:
    explicit KeyPreview(QWidget *window);

    bool Enabled() const { return enabled_; }
    void SetEnabled(bool enabled) { enabled_ = enabled; }

signals:
    // A key press (repeats while held) and its release (once).
    void KeyDown(int keyCode, int shift);
    void KeyUp(int keyCode, int shift);
    // A key press is about to be matched against the menus' shortcut keys (also while the
    // preview is switched off), so menu states can be brought up to date first.
    void ShortcutKey();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // True when the event is one already taken, now travelling on to a parent of the widget
    // that took it.
    bool AlreadyTaken(const QWidget *widget, const QKeyEvent &key) const;
    // Whether the key event goes to the window's menu bar or to a menu opened from it.
    bool GoesToMenuBar(const QWidget *widget) const;
    // The shift state held when the released key went down; none when the key went down in a menu.
    std::optional<int> ShiftStateAtPress(int code, const QKeyEvent &release);

    QWidget *window_;
    bool enabled_ = true;
    // The last key event taken: its first receiver, type, key and time stamp.
    QPointer<QWidget> takenBy_;
    QEvent::Type takenType_ = QEvent::None;
    int takenKey_ = 0;
    quint64 takenTime_ = 0;
    // Each key held down, by key code: the shift state when it went down, or that it went to a menu.
    struct HeldKey {
        int shift = 0;
        bool byMenu = false;
    };
    std::map<int, HeldKey> held_;
};

}  // namespace platform
