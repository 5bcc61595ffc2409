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
    platform::PlaceWindowAt(&window, QCursor::pos());
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
