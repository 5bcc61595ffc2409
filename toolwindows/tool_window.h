// The frame shared by the modeless tool windows: a tool window owned by the main window that
// reports its activation and the user closing it.
#pragma once

#include <QWidget>

#include <cstdint>
#include <functional>

namespace toolwindows {

// Unload modes of the query-unload handlers.
enum UnloadMode : int { kUnloadByUser = 0, kUnloadByCode = 1, kUnloadByOwner = 5 };

// Where a sizable tool window with a splitter keeps its placement: frame in twips, splitter top
// in pixels of the client area.
struct SplitPlacement {
    int32_t &left, &top, &width, &height, &splitter;
};
// Stores the frame of a visible window and its splitter top.
void StoreSplitPlacement(const QWidget *window, int splitterTop, const SplitPlacement &placement);
// Puts the splitter grip and its drag bar at the stored splitter top and shows the window at its
// stored frame inside the work area.
void ShowSplitWindow(QWidget *window, QWidget *grip, QWidget *bar, const SplitPlacement &placement);
// A splitter drag: the bar appears over the grip at half its height; then it follows the pointer's
// offset y from the grip, kept margin pixels from the client area's top and bottom.
void BeginSplitterDrag(const QWidget *grip, QWidget *bar);
void DragSplitterBar(const QWidget *grip, QWidget *bar, float y, int clientHeight, int margin);

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
