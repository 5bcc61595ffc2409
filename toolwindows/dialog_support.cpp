#include "toolwindows/dialog_support.h"

#include "platform/base/number_text.h"
#include "platform/forms/window_placement.h"

#include <QCursor>
#include <QDialog>

#include <algorithm>
#include <cmath>

namespace toolwindows {

void PlaceAtPointer(QWidget &window)
{
    QPoint pointer = QCursor::pos();
    window.move(pointer);
    QRect area = platform::WorkArea(&window);
    QRect frame = window.frameGeometry();
    int left = std::min(frame.left(), area.right() + 1 - frame.width());
    int top = std::min(frame.top(), area.bottom() + 1 - frame.height());
    window.move(left, top);
}

double TypedNumber(const QString &text, double min, double max)
{
    double value = platform::Val(text.toStdString());
    if (std::isnan(value)) {
        return min;
    }
    return std::clamp(value, min, max);
}

}  // namespace toolwindows
