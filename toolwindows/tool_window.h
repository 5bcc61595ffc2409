// The frame shared by the modeless tool windows: a tool window owned by the main window that
// reports its activation and the user closing it.
#pragma once

#include <QWidget>

#include <cstdint>
#include <functional>

namespace platform {
class MenuItem;
class PictureBox;
}  // namespace platform

namespace toolwindows {

// Unload modes of the query-unload handlers.
enum UnloadMode : int { kUnloadByUser = 0, kUnloadByCode = 1, kUnloadByOwner = 5 };

// Where a sizable tool window with a splitter keeps its placement: frame in twips, splitter top
// in pixels of the client area, and its open-state flag (1: it opens again at the next start).
struct SplitPlacement {
    int32_t &left, &top, &width, &height, &splitter, &visible;
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

// A sizable tool window with a splitter that a View-menu item opens and closes: the grip
// imgSplitter2 with its drag bar picSplitter2, the placement record it stores on unloading and the
// menu item it unchecks then. Each window lays out its own panes and leaves its own module state.
class SplitToolWindow : public ToolWindow {
    Q_OBJECT
public:
    // Lays the panes out for a splitter top in pixels.
    virtual void SizePanes(int pos) = 0;

    // Sets the open-state flag by why the window closes: 1 when the owner closes while the window
    // is shown (when it is hidden: 0, or left as it is for a window that keeps it), else 0.
    void Form_QueryUnload(int unloadMode);
    // Unchecks the View-menu item and stores the placement.
    void Form_Unload();
    // Stores the placement and the open-state flag and unloads the window (by owner: only stores
    // them, since the main window may still cancel its closing and the window then stays open).
    void UnloadWindow(int unloadMode);

    // The splitter drag: the bar follows the pointer, kept kPaneMargin pixels from the client
    // area's top and bottom; the release lays the panes out there.
    void imgSplitter2_MouseDown(int button, int shift, float x, float y);
    void imgSplitter2_MouseMove(int button, int shift, float x, float y);
    void imgSplitter2_MouseUp(int button, int shift, float x, float y);

    static constexpr int kPaneMargin = 66;

    platform::PictureBox *imgSplitter2 = nullptr;
    platform::PictureBox *picSplitter2 = nullptr;
    bool SplitterMoving = false;

protected:
    SplitToolWindow(QWidget *owner, platform::MenuItem *viewItem, SplitPlacement (*placement)(),
                    bool keepFlagWhenHidden);
    // Makes the grip and the hidden drag bar.
    void BuildSplitter();
    // Keeps the frame of the shown window and the splitter top in the placement record.
    void StorePlacement();
    // The unloaded window is no longer its module's open window.
    virtual void Forget() = 0;
    // Redraws what depends on the pane sizes after a splitter drag.
    virtual void SplitterMoved() {}
    void closeEvent(QCloseEvent *event) override;

private:
    platform::MenuItem *viewItem_;
    SplitPlacement (*placement_)();
    bool keepFlagWhenHidden_;
    bool unloaded_ = false;
};

// Sets the open-state flag and shows the window at its stored placement with its panes laid out.
void OpenSplitToolWindow(SplitToolWindow &window, const SplitPlacement &placement);

// The view command of a split tool window kept in `window`: unloads it, or shows it at its stored
// placement (created for owner, with the View-menu item that opens it, when there is none).
// Returns the shown window, nullptr on unloading.
template <class Window>
Window *ShowSplitToolWindow(Window *&window, QWidget &owner, platform::MenuItem &viewItem, bool show,
                            SplitPlacement (*placement)())
{
    if (!show) {
        placement().visible = 0;
        if (window) {
            window->UnloadWindow(kUnloadByCode);
        }
        return nullptr;
    }
    if (!window) {
        window = new Window(owner, viewItem);
    }
    OpenSplitToolWindow(*window, placement());
    return window;
}

// Before the owner closes, the open window that `current` names stores its placement and stays
// marked open for the next start.
void UnloadWithOwner(QWidget &owner, std::function<SplitToolWindow *()> current);

}  // namespace toolwindows
