#include "platform/forms/picture_box.h"

#include "platform/forms/key_codes.h"

#include <QApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QUrl>
#include <QWheelEvent>

#include <algorithm>

namespace platform {
namespace {

constexpr int kWheelDeltaPerStep = 120;

QStringList LocalFiles(const QMimeData *mime)
{
    QStringList files;
    if (mime) {
        for (const QUrl &url : mime->urls()) {
            if (url.isLocalFile()) {
                files << url.toLocalFile();
            }
        }
    }
    return files;
}

}  // namespace

QColor ColorFromBgr(uint32_t bgr)
{
    return QColor(static_cast<int>(bgr & 0xFF), static_cast<int>((bgr >> 8) & 0xFF),
                  static_cast<int>((bgr >> 16) & 0xFF));
}

uint32_t BgrFromRgb(QRgb rgb)
{
    return static_cast<uint32_t>(qRed(rgb)) | (static_cast<uint32_t>(qGreen(rgb)) << 8) |
           (static_cast<uint32_t>(qBlue(rgb)) << 16);
}

uint32_t SystemColor(QPalette::ColorRole role)
{
    return BgrFromRgb(QApplication::palette().color(role).rgb());
}

int MouseButtonOf(Qt::MouseButton button)
{
    switch (button) {
    case Qt::LeftButton:
        return kLeftButton;
    case Qt::RightButton:
        return kRightButton;
    case Qt::MiddleButton:
        return kMiddleButton;
    default:
        return 0;
    }
}

int MouseButtonsOf(Qt::MouseButtons buttons)
{
    return ((buttons & Qt::LeftButton) ? kLeftButton : 0) | ((buttons & Qt::RightButton) ? kRightButton : 0) |
           ((buttons & Qt::MiddleButton) ? kMiddleButton : 0);
}

PictureBox::PictureBox(QWidget *parent) : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::StrongFocus);
    setMouseTracking(true);
    setAcceptDrops(true);
    image_ = QImage(1, 1, QImage::Format_RGB32);
    image_.fill(ColorFromBgr(backColor_));
}

void PictureBox::SetBackColor(uint32_t bgr)
{
    backColor_ = bgr & 0xFFFFFF;
    Cls();
}

void PictureBox::Cls()
{
    FitImageToSize();
    image_.fill(ColorFromBgr(backColor_));
    update();
}

void PictureBox::SetUpPainter(QPainter &painter, uint32_t bgr, bool fill) const
{
    painter.setRenderHint(QPainter::Antialiasing, false);
    QColor color = ColorFromBgr(bgr);
    if (drawMode_ == kDrawInvert) {
        // XOR with white inverts every pixel the shape covers, whatever the pen colour.
        painter.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
        color = Qt::white;
    }
    QPen pen(color);
    pen.setWidth(drawWidth_ > 1 ? drawWidth_ : 0);
    pen.setCapStyle(Qt::FlatCap);
    pen.setJoinStyle(Qt::MiterJoin);
    painter.setPen(fill ? QPen(Qt::NoPen) : pen);
    painter.setBrush(fill ? QBrush(color) : QBrush(Qt::NoBrush));
}

void PictureBox::Line(int x1, int y1, int x2, int y2, uint32_t bgr)
{
    FitImageToSize();
    QPainter painter(&image_);
    SetUpPainter(painter, bgr, false);
    if (x1 == x2 && y1 == y2) {
        painter.drawPoint(x1, y1);
    } else {
        painter.drawLine(x1, y1, x2, y2);
    }
}

void PictureBox::Box(int x1, int y1, int x2, int y2, uint32_t bgr, bool filled)
{
    FitImageToSize();
    QRect box = QRect(QPoint(x1, y1), QPoint(x2, y2)).normalized();
    QPainter painter(&image_);
    SetUpPainter(painter, bgr, true);
    if (filled) {
        painter.drawRect(box);
        return;
    }
    // Four bands that never cover a pixel twice, so an inverted box drawn again vanishes.
    int w = std::min({drawWidth_, (box.width() + 1) / 2, (box.height() + 1) / 2});
    painter.drawRect(QRect(box.left(), box.top(), box.width(), w));
    if (box.height() > w) {
        painter.drawRect(QRect(box.left(), box.bottom() - w + 1, box.width(), w));
    }
    int sideHeight = box.height() - 2 * w;
    if (sideHeight > 0) {
        painter.drawRect(QRect(box.left(), box.top() + w, w, sideHeight));
        if (box.width() > w) {
            painter.drawRect(QRect(box.right() - w + 1, box.top() + w, w, sideHeight));
        }
    }
}

void PictureBox::Circle(int x, int y, int radius, uint32_t bgr)
{
    FitImageToSize();
    QPainter painter(&image_);
    SetUpPainter(painter, bgr, false);
    painter.drawEllipse(QPoint(x, y), radius, radius);
}

void PictureBox::PSet(int x, int y, uint32_t bgr)
{
    FitImageToSize();
    QPainter painter(&image_);
    SetUpPainter(painter, bgr, false);
    painter.drawPoint(x, y);
}

int64_t PictureBox::Point(int x, int y) const
{
    FitImageToSize();
    if (!image_.valid(x, y)) {
        return -1;
    }
    return BgrFromRgb(image_.pixel(x, y));
}

void PictureBox::paintEvent(QPaintEvent *)
{
    FitImageToSize();
    QPainter painter(this);
    painter.drawImage(0, 0, image_);
}

void PictureBox::resizeEvent(QResizeEvent *)
{
    FitImageToSize();
}

void PictureBox::FitImageToSize() const
{
    QSize size = this->size().expandedTo(QSize(1, 1));
    if (size == image_.size()) {
        return;
    }
    // Grown or shrunk, the picture keeps what was drawn where it still fits.
    QImage grown(size, QImage::Format_RGB32);
    grown.fill(ColorFromBgr(backColor_));
    QPainter painter(&grown);
    painter.drawImage(0, 0, image_);
    painter.end();
    image_ = std::move(grown);
}

void PictureBox::mousePressEvent(QMouseEvent *event)
{
    emit MouseDown(MouseButtonOf(event->button()), ShiftStateOf(event->modifiers()),
                   static_cast<float>(event->position().x()), static_cast<float>(event->position().y()));
}

void PictureBox::mouseMoveEvent(QMouseEvent *event)
{
    emit MouseMove(MouseButtonsOf(event->buttons()), ShiftStateOf(event->modifiers()),
                   static_cast<float>(event->position().x()), static_cast<float>(event->position().y()));
}

void PictureBox::mouseReleaseEvent(QMouseEvent *event)
{
    emit MouseUp(MouseButtonOf(event->button()), ShiftStateOf(event->modifiers()),
                 static_cast<float>(event->position().x()), static_cast<float>(event->position().y()));
}

void PictureBox::wheelEvent(QWheelEvent *event)
{
    // Touchpads send many small deltas: only whole notches of 120 units make steps.
    wheelRemainder_ += event->angleDelta().y();
    while (wheelRemainder_ >= kWheelDeltaPerStep || wheelRemainder_ <= -kWheelDeltaPerStep) {
        int direction = wheelRemainder_ > 0 ? 1 : -1;
        wheelRemainder_ -= direction * kWheelDeltaPerStep;
        emit WheelStep(direction);
    }
    event->accept();
}

void PictureBox::dragEnterEvent(QDragEnterEvent *event)
{
    if (!LocalFiles(event->mimeData()).isEmpty()) {
        event->acceptProposedAction();
    }
}

void PictureBox::dragMoveEvent(QDragMoveEvent *event)
{
    event->acceptProposedAction();
}

void PictureBox::dropEvent(QDropEvent *event)
{
    QStringList files = LocalFiles(event->mimeData());
    if (files.isEmpty()) {
        return;
    }
    event->acceptProposedAction();
    emit OLEDragDrop(files, MouseButtonsOf(event->buttons()), ShiftStateOf(event->modifiers()),
                     static_cast<float>(event->position().x()), static_cast<float>(event->position().y()));
}

void PictureBox::Refresh()
{
    const QRegion covered = childrenRegion();
    if (covered.isEmpty()) {
        update();
    } else {
        update(QRegion(rect()).subtracted(covered));
    }
}

}  // namespace platform
