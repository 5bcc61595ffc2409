#include "platform/forms/picture_box.h"

#include <QApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>
#include <gtest/gtest.h>

#include <vector>

using platform::PictureBox;

namespace {

struct PictureFixture : testing::Test {
    PictureFixture()
    {
        box.resize(40, 30);
        box.SetBackColor(0x123456);
    }
    PictureBox box;
};

}  // namespace

TEST_F(PictureFixture, CopyModeDrawsAndPixelReadsGiveBgr)
{
    EXPECT_EQ(box.ScaleWidth(), 40);
    EXPECT_EQ(box.Point(0, 0), 0x123456);
    box.SetDrawMode(platform::kDrawCopyPen);
    box.PSet(3, 4, 0x0000FF);  // red
    EXPECT_EQ(box.Point(3, 4), 0x0000FF);
    box.Box(10, 10, 12, 12, 0x00FF00, true);
    for (int y = 10; y <= 12; ++y) {
        for (int x = 10; x <= 12; ++x) {
            EXPECT_EQ(box.Point(x, y), 0x00FF00) << x << "," << y;
        }
    }
    EXPECT_EQ(box.Point(13, 12), 0x123456);
    EXPECT_EQ(box.Point(-1, 0), -1);
    EXPECT_EQ(box.Point(40, 0), -1);
    box.Cls();
    EXPECT_EQ(box.Point(3, 4), 0x123456);
}

TEST_F(PictureFixture, InvertDrawnTwiceRestoresThePicture)
{
    box.Box(0, 0, 39, 29, 0xABCDEF, true);
    box.Line(0, 0, 5, 5, 0x0000FF);
    QImage before = box.Image().copy();
    box.SetDrawMode(platform::kDrawInvert);
    auto drawAll = [&] {
        box.Line(2, 3, 30, 20);
        box.Box(5, 5, 25, 18, 0, false);
        box.Circle(20, 15, 8, 0);
        box.PSet(38, 1, 0);
        box.Line(7, 7, 7, 7);
    };
    drawAll();
    EXPECT_NE(box.Image(), before);
    // An inverted pixel is the complement of what was there.
    EXPECT_EQ(box.Point(38, 1), static_cast<int64_t>(~0xABCDEFu & 0xFFFFFF));
    drawAll();
    EXPECT_EQ(box.Image(), before);
}

TEST_F(PictureFixture, BoxOutlineCoversItsCornersOnce)
{
    box.SetDrawMode(platform::kDrawInvert);
    box.Box(4, 4, 10, 8, 0, false);
    for (int x : {4, 10}) {
        for (int y : {4, 8}) {
            EXPECT_EQ(box.Point(x, y), static_cast<int64_t>(~0x123456u & 0xFFFFFF));
        }
    }
    EXPECT_EQ(box.Point(7, 6), 0x123456);  // inside untouched
}

TEST_F(PictureFixture, MouseHandlersGetPictureUnitsButtonsAndShift)
{
    std::vector<std::tuple<int, int, float, float>> downs;
    std::vector<int> moveButtons;
    QObject::connect(&box, &PictureBox::MouseDown, [&](int b, int s, float x, float y) { downs.emplace_back(b, s, x, y); });
    QObject::connect(&box, &PictureBox::MouseMove, [&](int b, int, float, float) { moveButtons.push_back(b); });
    QMouseEvent press(QEvent::MouseButtonPress, QPointF(12.5, 7), QPointF(12.5, 7), Qt::RightButton, Qt::RightButton,
                      Qt::ShiftModifier | Qt::ControlModifier);
    QApplication::sendEvent(&box, &press);
    QMouseEvent move(QEvent::MouseMove, QPointF(13, 7), QPointF(13, 7), Qt::NoButton, Qt::LeftButton | Qt::RightButton,
                     Qt::NoModifier);
    QApplication::sendEvent(&box, &move);
    ASSERT_EQ(downs.size(), 1u);
    EXPECT_EQ(downs[0], std::make_tuple(2, 3, 12.5f, 7.0f));
    ASSERT_EQ(moveButtons.size(), 1u);
    EXPECT_EQ(moveButtons[0], 3);
}

TEST_F(PictureFixture, WheelStepsOncePerNotchWhateverTheDeltaSize)
{
    std::vector<int> steps;
    QObject::connect(&box, &PictureBox::WheelStep, [&](int d) { steps.push_back(d); });
    auto wheel = [&](int delta) {
        QWheelEvent event(QPointF(5, 5), QPointF(5, 5), QPoint(), QPoint(0, delta), Qt::NoButton, Qt::NoModifier,
                          Qt::NoScrollPhase, false);
        QApplication::sendEvent(&box, &event);
    };
    for (int i = 0; i < 4; ++i) {
        wheel(30);  // a touchpad: four small deltas make one notch
    }
    wheel(60);  // half a notch: no step yet
    EXPECT_EQ(steps, std::vector<int>({1}));
    wheel(-420);  // the half notch left over counts
    EXPECT_EQ(steps, std::vector<int>({1, -1, -1, -1}));
}

namespace {

// A control on top of the picture (as the canvas's scroll bars are), counting its paints.
struct CountingChild : QWidget {
    using QWidget::QWidget;
    void paintEvent(QPaintEvent *) override
    {
        ++paints;
        QPainter(this).fillRect(rect(), Qt::green);
    }
    int paints = 0;
};

}  // namespace

TEST_F(PictureFixture, RefreshShowsThePictureAroundItsChildControlsWithoutRepaintingThem)
{
    auto *child = new CountingChild(&box);
    child->setGeometry(30, 0, 10, 30);
    box.show();
    QApplication::processEvents();
    const int paintsBefore = child->paints;
    box.SetDrawMode(platform::kDrawCopyPen);
    box.Box(0, 0, 39, 29, 0x0000FF, true);  // red, under the child too
    box.Refresh();
    QApplication::processEvents();
    EXPECT_EQ(child->paints, paintsBefore);
    const QImage shown = box.grab().toImage();
    EXPECT_EQ(shown.pixelColor(5, 5), QColor(Qt::red));
    EXPECT_EQ(shown.pixelColor(29, 29), QColor(Qt::red));
    EXPECT_EQ(shown.pixelColor(35, 15), QColor(Qt::green));
}
