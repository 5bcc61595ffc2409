// The frame shared by the modeless tool windows: a tool window owned by the main window that
// reports its activation and the user closing it.
#pragma once

#include <QWidget>

#include <functional>

namespace toolwindows {

// Unload modes of the query-unload handlers.
enum UnloadMode : int { kUnloadByUser = 0, kUnloadByCode = 1, kUnloadByOwner = 5 };

// Runs onClosing each time the owner is about to close (before its own close handler runs).
void WatchOwnerClose(QWidget &owner, std::function<void()> onClosing);

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
