#include "toolwindows/tool_window.h"

#include <QCloseEvent>

namespace toolwindows {

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
