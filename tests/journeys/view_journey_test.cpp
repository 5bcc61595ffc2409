// Zoom and scrolling: the keys, the wheel and the zoom box enlarge the drawing on the canvas, the
// scroll bars move it, and a stroke drawn afterwards lands under the pointer and stays in its
// place in the drawing when the view changes back.
#include "canvastools/canvas_input_state.h"
#include "core/canvas_settings.h"
#include "core/document.h"
#include "tests/journeys/journey_fixture.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QScrollBar>
#include <QTest>

using canvastools::kToolFreehand;

namespace journeys {
namespace {

constexpr Rgb kCyan = 0x00FFFF;

class View : public Journey {
protected:
    void SetUp() override
    {
        Journey::SetUp();
        ChooseStyle(kFillOnly);
        // A filled square of 40 x 40 canvas pixels, 140..180.
        DrawRectangle(AtPixel(140, 140), AtPixel(180, 180));
        Key(Qt::Key_Escape);
    }

    // The bounding box of the fill's pixels on the canvas picture.
    QRect FillBox() const
    {
        const QImage image = Canvas();
        QRect box;
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 0; x < image.width(); ++x) {
                if ((image.pixel(x, y) & 0xFFFFFFu) == kCyan) {
                    box |= QRect(x, y, 1, 1);
                }
            }
        }
        return box;
    }

    // Draws a freehand stroke across the middle of the square as the screen shows it and checks
    // that it is drawn where the pointer went.
    void StrokeAcrossTheSquare()
    {
        ChooseTool(kToolFreehand);
        const QRect box = FillBox();
        ASSERT_GT(box.width(), 40);
        const int y = box.center().y();
        const std::vector<QPoint> stroke = {QPoint(box.left() + 8, y), QPoint(box.right() - 8, y)};
        Drag(stroke);
        EXPECT_GT(CountAlong(stroke, kBlack, 1), (box.width() - 16) * 8 / 10);
    }

    // At 100 %, the stroke lies across the square's middle row.
    void ExpectStrokeInTheSquareAtFullSize()
    {
        TypeIntoCombo(window->Combo2, QStringLiteral("100%"));
        ASSERT_EQ(core::Doc().ZoomRate, 1.0f);
        const QRect box = FillBox();
        EXPECT_NEAR(box.width(), 40, 2);
        const int y = box.center().y();
        EXPECT_GT(CountAlong({QPoint(box.left() + 4, y), QPoint(box.right() - 4, y)}, kBlack, 1), 25);
        // and nowhere else on the square's left and right sides' halves
        EXPECT_EQ(CountColor(QRect(box.left() + 4, box.top() + 2, box.width() - 8, 6), kBlack, 100), 0);
        EXPECT_EQ(CountColor(QRect(box.left() + 4, box.bottom() - 8, box.width() - 8, 6), kBlack, 100), 0);
    }
};

TEST_F(View, PageKeysZoomInAndOutAroundTheDrawing)
{
    EXPECT_NEAR(FillBox().width(), 40, 2);
    Key(Qt::Key_PageUp);
    Key(Qt::Key_PageUp);
    EXPECT_NEAR(FillBox().width(), 80, 3);
    EXPECT_NEAR(FillBox().height(), 80, 3);
    Key(Qt::Key_PageDown);
    EXPECT_NEAR(FillBox().width(), 60, 3);
    StrokeAcrossTheSquare();
    ExpectStrokeInTheSquareAtFullSize();
}

TEST_F(View, WheelNotchesZoomInAndOut)
{
    Wheel(1);
    EXPECT_NEAR(FillBox().width(), 60, 3);
    Wheel(2);
    EXPECT_NEAR(FillBox().width(), 100, 3);
    Wheel(-1);
    EXPECT_NEAR(FillBox().width(), 80, 3);
    StrokeAcrossTheSquare();
    ExpectStrokeInTheSquareAtFullSize();
}

TEST_F(View, AZoomChosenFromTheZoomBoxListScalesTheDrawing)
{
    QComboBox *zoom = window->Combo2;
    const int item = zoom->findText(QStringLiteral("200%"));
    ASSERT_GE(item, 0);
    zoom->showPopup();
    QAbstractItemView *list = zoom->view();
    ASSERT_TRUE(list->isVisible());
    const QRect row = list->visualRect(zoom->model()->index(item, 0));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::NoModifier, row.center());
    QApplication::processEvents();
    EXPECT_EQ(zoom->currentText(), QStringLiteral("200%"));
    EXPECT_NEAR(FillBox().width(), 80, 3);
    EXPECT_NEAR(FillBox().height(), 80, 3);
    StrokeAcrossTheSquare();
    ExpectStrokeInTheSquareAtFullSize();
}

TEST_F(View, TheZoomBoxSetsTheZoomAndTheScrollBarsMoveTheDrawing)
{
    TypeIntoCombo(window->Combo2, QStringLiteral("300%"));
    EXPECT_EQ(window->Combo2->Text(), QStringLiteral("300%"));
    const QRect zoomed = FillBox();
    EXPECT_NEAR(zoomed.width(), 120, 3);

    ASSERT_TRUE(window->HScroll1->isEnabled());
    ASSERT_TRUE(window->VScroll1->isEnabled());
    // Each click moves the drawing left or up by what its bar moved (the bars count pixels).
    const int h = window->HScroll1->value();
    ClickScrollBar(window->HScroll1, QStyle::SC_ScrollBarAddPage);
    ASSERT_GT(window->HScroll1->value(), h);
    const QRect left = FillBox();
    EXPECT_EQ(zoomed.left() - left.left(), window->HScroll1->value() - h);
    EXPECT_EQ(left.top(), zoomed.top());

    const int v = window->VScroll1->value();
    ClickScrollBar(window->VScroll1, QStyle::SC_ScrollBarAddLine);
    ASSERT_GT(window->VScroll1->value(), v);
    const QRect up = FillBox();
    EXPECT_EQ(left.top() - up.top(), window->VScroll1->value() - v);
    EXPECT_EQ(up.left(), left.left());
    EXPECT_EQ(up.size(), zoomed.size());

    StrokeAcrossTheSquare();
    ExpectStrokeInTheSquareAtFullSize();
}

// A canvas wider and taller than the view (1600 x 1500 pixels): with both scroll bars at their
// ends the view reaches the canvas' far corner and the margin beyond it, the drawing there shows
// where the pointer reads it, and the square between the bars is in the button face.
class LargeCanvas : public Journey, public testing::WithParamInterface<const char *> {};

TEST_P(LargeCanvas, ScrollsToItsFarCornerAndShowsTheDrawingThere)
{
    core::CanvasSettings settings;
    settings.Width = 1600;
    settings.Height = 1500;
    const std::string file = WriteDrawing("large.qlk", {Square(1480, 1380, 100, kCyan), Square(20, 20, 100, kCyan)},
                                          settings);
    OpenDrawing(file);
    TypeIntoCombo(window->Combo2, QString::fromLatin1(GetParam()));
    for (QScrollBar *bar : {static_cast<QScrollBar *>(window->HScroll1), static_cast<QScrollBar *>(window->VScroll1)}) {
        ASSERT_TRUE(bar->isEnabled());
        QTest::keyClick(bar, Qt::Key_End);
        QApplication::processEvents();
        ASSERT_EQ(bar->value(), bar->maximum());
    }
    const QRect visible(0, 0, window->HScroll1->width(), window->VScroll1->height());

    // The pointer at the view's bottom-right reads the canvas' far corner plus the margin (view
    // pixels).
    int32_t xt = 0;
    int32_t yt = 0;
    window->PosScrToTwip(float(visible.right()), float(visible.bottom()), xt, yt);
    const double zoom = core::Doc().ZoomRate;
    const double margin = core::Doc().CurrentSettings.ScrollMargin / zoom;
    EXPECT_NEAR(xt / 20.0, 1600 + margin, 3 / zoom);
    EXPECT_NEAR(yt / 20.0, 1500 + margin, 3 / zoom);

    // The square at the far corner shows where its points are, whole and not stretched.
    const QRect square(AtPixel(1480, 1380), AtPixel(1580, 1480));
    ASSERT_TRUE(visible.contains(square));
    const QRect inside = square.adjusted(2, 2, -2, -2);
    EXPECT_EQ(CountColor(inside, kCyan, 8), inside.width() * inside.height());
    const QRect beside(AtPixel(1582, 1380), AtPixel(1598, 1480));
    EXPECT_EQ(CountColor(beside, kWhite, 8), beside.width() * beside.height());
    EXPECT_EQ(CountColor(visible, kCyan, 8), CountColor(square.adjusted(-1, -1, 1, 1), kCyan, 8));

    // A stroke across the corner square lands in the drawing where the pointer went.
    ChooseTool(kToolFreehand);
    const std::vector<QPoint> stroke = {AtPixel(1490, 1430), AtPixel(1570, 1430)};
    Drag(stroke);
    EXPECT_GT(CountAlong(stroke, kBlack, 1), (stroke[1].x() - stroke[0].x()) * 8 / 10);
    const core::Rect32 drawn = core::GetPathBounds(core::Doc().DocPaths.back());
    EXPECT_NEAR(drawn.Left / 20.0, 1490, 2);
    EXPECT_NEAR(drawn.Right / 20.0, 1570, 2);
    EXPECT_NEAR((drawn.Top + drawn.Bottom) / 40.0, 1430, 2);

    const Rgb face = window->palette().color(QPalette::Button).rgb() & 0xFFFFFFu;
    const QPoint corner(window->VScroll1->x() + window->VScroll1->width() / 2,
                        window->HScroll1->y() + window->HScroll1->height() / 2);
    EXPECT_EQ(PixelAt(corner), face);
}

INSTANTIATE_TEST_SUITE_P(View, LargeCanvas, testing::Values("100%", "50%"),
                         [](const testing::TestParamInfo<const char *> &info) {
                             return std::string(info.param).substr(0, std::string(info.param).size() - 1);
                         });

}  // namespace
}  // namespace journeys
