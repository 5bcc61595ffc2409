// A picture box: a widget that keeps what is drawn on it in its own image until Cls, draws in
// copy or invert mode, reads pixels back, and reports the mouse in picture units (pixels).
#pragma once

#include <QImage>
#include <QPalette>
#include <QStringList>
#include <QWidget>

#include <cstdint>

namespace platform {

// Colours of the windows' drawing calls: 0x00BBGGRR (red in the low byte).
QColor ColorFromBgr(uint32_t bgr);
uint32_t BgrFromRgb(QRgb rgb);
// A colour of the application's palette (button text, highlight, ...) as 0x00BBGGRR.
uint32_t SystemColor(QPalette::ColorRole role);

enum PictureDrawMode : int {
    kDrawInvert = 6,     // every pixel drawn is inverted; drawing the same twice restores it
    kDrawCopyPen = 13,   // the pen colour replaces the pixel
};

// Mouse buttons and the shift state as the windows' handlers take them.
enum MouseButtonBits : int { kLeftButton = 1, kRightButton = 2, kMiddleButton = 4 };
int MouseButtonOf(Qt::MouseButton button);
int MouseButtonsOf(Qt::MouseButtons buttons);

class PictureBox : public QWidget {
    Q_OBJECT
public:
    explicit PictureBox(QWidget *parent = nullptr);

    // The picture's inner size in its scale unit, the pixel.
    int ScaleWidth() const { return width(); }
    int ScaleHeight() const { return height(); }

    uint32_t BackColor() const { return backColor_; }
    void SetBackColor(uint32_t bgr);
    uint32_t ForeColor() const { return foreColor_; }
    void SetForeColor(uint32_t bgr) { foreColor_ = bgr; }
    int DrawMode() const { return drawMode_; }
    void SetDrawMode(int mode) { drawMode_ = mode; }
    int DrawWidth() const { return drawWidth_; }
    void SetDrawWidth(int width) { drawWidth_ = width < 1 ? 1 : width; }

    // Fills the whole picture with the background colour.
    void Cls();
    // A line from (x1, y1) to (x2, y2), both ends drawn.
    void Line(int x1, int y1, int x2, int y2, uint32_t bgr);
    void Line(int x1, int y1, int x2, int y2) { Line(x1, y1, x2, y2, foreColor_); }
    // A box with corners (x1, y1) and (x2, y2) inclusive, outlined or filled.
    void Box(int x1, int y1, int x2, int y2, uint32_t bgr, bool filled);
    void Circle(int x, int y, int radius, uint32_t bgr);
    void PSet(int x, int y, uint32_t bgr);
    // The pixel's colour (0x00BBGGRR), or -1 outside the picture.
    int64_t Point(int x, int y) const;

    // The persistent image; draw into it with a painter for what the calls above do not cover.
    QImage &Image()
    {
        FitImageToSize();
        return image_;
    }
    const QImage &Image() const
    {
        FitImageToSize();
        return image_;
    }
    // Shows what was drawn (repaints the widget). Child controls on top of the picture (scroll
    // bars) cover what changed under them, so only the uncovered part is repainted: painting
    // them again with every picture is costly and shows nothing new.
    void Refresh();

signals:
    void MouseDown(int button, int shift, float x, float y);
    void MouseMove(int button, int shift, float x, float y);
    void MouseUp(int button, int shift, float x, float y);
    // One step per 120 units of wheel delta: +1 away from the user, -1 toward.
    void WheelStep(int direction);
    void OLEDragDrop(const QStringList &files, int button, int shift, float x, float y);

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dragMoveEvent(QDragMoveEvent *event) override;
    void dropEvent(QDropEvent *event) override;

private:
    // A painter on the image set up for the current draw mode and the given colour.
    void SetUpPainter(class QPainter &painter, uint32_t bgr, bool fill) const;

    // The image follows the widget's size (also while the widget is hidden and gets no events).
    void FitImageToSize() const;

    mutable QImage image_;
    uint32_t backColor_ = 0xFFFFFF;
    uint32_t foreColor_ = 0;
    int drawMode_ = kDrawCopyPen;
    int drawWidth_ = 1;
    int wheelRemainder_ = 0;
};

}  // namespace platform
