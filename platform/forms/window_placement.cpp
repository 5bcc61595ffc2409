#include "platform/forms/window_placement.h"

#include <QEvent>
#include <QGuiApplication>
#include <QPointer>
#include <QScreen>
#include <QWidget>
#include <QWindow>

#include <algorithm>
#include <optional>

namespace platform {
namespace {

std::optional<QMargins> &TestFrame()
{
    static std::optional<QMargins> frame;
    return frame;
}

// The frame the window manager put around a top-level window, as far as it is known: a window
// manager frames a window when it maps it, so until the window is first exposed on the screen the
// frame reads as none.
QMargins KnownFrame(const QWidget *window)
{
    if (TestFrame()) {
        const QWindow *handle = window->windowHandle();
        return handle && handle->isExposed() ? *TestFrame() : QMargins();
    }
    QRect frame = window->frameGeometry();
    QRect client = window->geometry();
    return QMargins(client.left() - frame.left(), client.top() - frame.top(), frame.right() - client.right(),
                    frame.bottom() - client.bottom());
}

// The outer frame in pixels.
QRect FrameRect(const QWidget *window)
{
    return window->geometry().marginsAdded(KnownFrame(window));
}

// Puts the client area where the frame, as known now, leaves it; the size is kept unless sized.
// Returns the client size set.
QSize SetFrameRect(QWidget *window, const QRect &frame, bool sized)
{
    QRect client = frame.marginsRemoved(KnownFrame(window));
    if (!sized) {
        client.setSize(window->size());
    }
    client.setWidth(std::max(1, client.width()));
    client.setHeight(std::max(1, client.height()));
    window->setGeometry(client);
    return window->size();
}

// Which edges of the frame a placement keeps inside the work area.
enum class Inside { kNone, kRightAndBottom, kAll };

void KeepFrameInsideWorkArea(QWidget *window, Inside edges)
{
    if (edges == Inside::kNone) {
        return;
    }
    QRect area = WorkArea(window);
    QRect frame = FrameRect(window);
    int left = std::min(frame.left(), area.right() + 1 - frame.width());
    int top = std::min(frame.top(), area.bottom() + 1 - frame.height());
    if (edges == Inside::kAll) {
        left = std::max(area.left(), left);
        top = std::max(area.top(), top);
    }
    SetFrameRect(window, frame.translated(left - frame.left(), top - frame.top()), false);
}

// A placement given before the window manager framed the window: applied again, with the frame
// then known, when the window is first exposed. Without it a stored outer size would become the
// client size (the window grows by its frame at every start) and a stored left and top the
// client's (it climbs by its title bar at every opening). A window resized meanwhile keeps its
// size: a move is applied again all the same, a sized placement is dropped.
const QString kPendingName = QStringLiteral("pendingPlacement");

class PendingPlacement : public QObject {
public:
    PendingPlacement(QWidget *window, const QRect &frame, bool sized, Inside inside)
        : QObject(window), window_(window), frame_(frame), size_(window->size()), sized_(sized), inside_(inside)
    {
        setObjectName(kPendingName);
        window->windowHandle()->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Expose && window_ && window_->windowHandle() == watched &&
            window_->windowHandle()->isExposed()) {
            watched->removeEventFilter(this);
            deleteLater();
            if (sized_ && window_->size() != size_) {
                return false;
            }
            SetFrameRect(window_, frame_, sized_);
            KeepFrameInsideWorkArea(window_, inside_);
        }
        return false;
    }

private:
    QPointer<QWidget> window_;
    QRect frame_;
    QSize size_;
    bool sized_;
    Inside inside_;
};

void PlaceFrame(QWidget *window, const QRect &frame, bool sized, Inside inside)
{
    delete window->findChild<QObject *>(kPendingName, Qt::FindDirectChildrenOnly);
    SetFrameRect(window, frame, sized);
    KeepFrameInsideWorkArea(window, inside);
    if (!window->isWindow()) {
        return;
    }
    if (!window->windowHandle()) {
        window->winId();  // creates the native window the placement waits on
    }
    if (window->windowHandle() && !window->windowHandle()->isExposed()) {
        new PendingPlacement(window, frame, sized, inside);
    }
}

QRect FrameFromTwips(const QWidget *window, int left, int top, int width, int height)
{
    bool sized = width > 0 && height > 0;
    QSize size = sized ? QSize(PixelsFromTwips(width), PixelsFromTwips(height)) : FrameRect(window).size();
    return QRect(QPoint(PixelsFromTwips(left), PixelsFromTwips(top)), size);
}

}  // namespace

QRect WindowRectTwips(const QWidget *window)
{
    QRect frame = FrameRect(window);
    return QRect(TwipsFromPixels(frame.left()), TwipsFromPixels(frame.top()), TwipsFromPixels(frame.width()),
                 TwipsFromPixels(frame.height()));
}

void MoveWindowTwips(QWidget *window, int left, int top, int width, int height)
{
    PlaceFrame(window, FrameFromTwips(window, left, top, width, height), width > 0 && height > 0, Inside::kNone);
}

void PlaceWindowTwips(QWidget *window, int left, int top, int width, int height)
{
    PlaceFrame(window, FrameFromTwips(window, left, top, width, height), width > 0 && height > 0, Inside::kAll);
}

void PlaceWindowAt(QWidget *window, QPoint topLeft)
{
    PlaceFrame(window, QRect(topLeft, FrameRect(window).size()), false, Inside::kRightAndBottom);
}

void ShowWindowAtTwips(QWidget *window, int left, int top, int width, int height)
{
    PlaceWindowTwips(window, left, top, width, height);
    window->show();
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
    KeepFrameInsideWorkArea(window, Inside::kAll);
}

void SetWindowFrameForTest(const QMargins *frame)
{
    TestFrame() = frame ? std::optional<QMargins>(*frame) : std::nullopt;
}

}  // namespace platform
