#include "toolwindows/tool_window.h"

#include <QCloseEvent>

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
