#include "toolwindows/tool_window.h"

#include "platform/base/rounding.h"
#include "platform/forms/window_placement.h"

#include <QCloseEvent>

#include <algorithm>

namespace toolwindows {
namespace {

class OwnerCloseWatcher : public QObject {
public:
    OwnerCloseWatcher(QObject *owner, std::function<void()> onClosing) : QObject(owner), onClosing_(std::move(onClosing))
    {
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Close) {
            onClosing_();
        }
        return QObject::eventFilter(watched, event);
    }

private:
    std::function<void()> onClosing_;
};

}  // namespace

void StoreSplitPlacement(const QWidget *window, int splitterTop, const SplitPlacement &placement)
{
    if (!window->isVisible()) {
        return;
    }
    QRect frame = platform::WindowRectTwips(window);
    placement.left = frame.left();
    placement.top = frame.top();
    placement.width = frame.width();
    placement.height = frame.height();
    placement.splitter = splitterTop;
}

void ShowSplitWindow(QWidget *window, QWidget *grip, QWidget *bar, const SplitPlacement &placement)
{
    grip->move(0, placement.splitter);
    bar->move(0, placement.splitter);
    platform::ShowWindowAtTwips(window, placement.left, placement.top, placement.width, placement.height);
}

void BeginSplitterDrag(const QWidget *grip, QWidget *bar)
{
    bar->setGeometry(grip->x(), grip->y(), grip->width(), std::max(grip->height() / 2, 1));
    bar->show();
    bar->raise();
}

void DragSplitterBar(const QWidget *grip, QWidget *bar, float y, int clientHeight, int margin)
{
    int top = platform::RoundToInt32(y) + grip->y();
    bar->move(bar->x(), std::max(std::min(top, clientHeight - margin), margin));
}

void WatchOwnerClose(QWidget &owner, std::function<void()> onClosing)
{
    owner.installEventFilter(new OwnerCloseWatcher(&owner, std::move(onClosing)));
}

void ToolWindow::changeEvent(QEvent *event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow()) {
        emit Activated();
    }
}

void ToolWindow::closeEvent(QCloseEvent *event)
{
    emit Closed();
    QWidget::closeEvent(event);
}

}  // namespace toolwindows
