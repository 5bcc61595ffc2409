#include "platform/forms/window_placement.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

#include <algorithm>

namespace platform {

QRect WindowRectTwips(const QWidget *window)
{
    QRect frame = window->frameGeometry();
    return QRect(TwipsFromPixels(frame.left()), TwipsFromPixels(frame.top()), TwipsFromPixels(frame.width()),
                 TwipsFromPixels(frame.height()));
}

void MoveWindowTwips(QWidget *window, int left, int top, int width, int height)
{
    window->move(PixelsFromTwips(left), PixelsFromTwips(top));
    if (width > 0 && height > 0) {
        // The frame's decorations are outside the client size Qt sets.
        QSize decorations = window->frameGeometry().size() - window->size();
        window->resize(std::max(1, PixelsFromTwips(width) - decorations.width()),
                       std::max(1, PixelsFromTwips(height) - decorations.height()));
    }
}

void ShowWindowAtTwips(QWidget *window, int left, int top, int width, int height)
{
    MoveWindowTwips(window, left, top, width, height);
    window->show();
    MoveWindowTwips(window, left, top, width, height);
    KeepInsideWorkArea(window);
}

QRect WorkArea(const QWidget *window)
{
    QScreen *screen = window ? window->screen() : nullptr;
    if (!screen) {
        screen = QGuiApplication::primaryScreen();
    }
    return screen ? screen->availableGeometry() : QRect(0, 0, 1024, 768);
}

void KeepInsideWorkArea(QWidget *window)
{
    QRect area = WorkArea(window);
    QRect frame = window->frameGeometry();
    int left = std::max(area.left(), std::min(frame.left(), area.right() + 1 - frame.width()));
    int top = std::max(area.top(), std::min(frame.top(), area.bottom() + 1 - frame.height()));
    window->move(left, top);
}

}  // namespace platform
