// A window-level key preview: the window sees every key pressed and released in it before the
// control with the focus does, with Windows key codes. It can be switched off (while a text box
// takes typed characters).
#pragma once

#include <QObject>

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

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QWidget *window_;
    bool enabled_ = true;
};

}  // namespace platform
