// The frame shared by the modeless tool windows: a tool window owned by the main window that
// reports its activation and the user closing it.
#pragma once

#include <QWidget>

namespace toolwindows {

class ToolWindow : public QWidget {
    Q_OBJECT
public:
    explicit ToolWindow(QWidget *owner) : QWidget(owner, Qt::Tool) {}

signals:
    // The window became the active window.
    void Activated();
    // The user closed the window (the main window's shut-down deletes it without closing).
    void Closed();

protected:
    void changeEvent(QEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
};

}  // namespace toolwindows
