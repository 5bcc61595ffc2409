// A canvas wider and taller than the canvas movie's 1638-pixel frame (2000 x 1800 pixels), set in
// the canvas-properties dialog: both scroll bars taken to their ends bring its far corner into
// view, the pointer there reads the true canvas coordinates, and a rectangle drawn there, and the
// bucket's fill inside it, show where they were made.
#include "canvastools/canvas_input_state.h"
#include "core/document.h"
#include "mainwindow/canvas_properties_dialog.h"
#include "tests/journeys/journey_fixture.h"

#include <QApplication>
#include <QDialog>
#include <QLabel>
#include <QRegularExpression>
#include <QScrollBar>
#include <QTest>

using canvastools::kToolBucket;

namespace journeys {
namespace {

constexpr Rgb kCyan = 0x00FFFF;  // the fill colour a new window starts with
constexpr int kWidth = 2000;
constexpr int kHeight = 1800;

class WideCanvas : public Journey, public testing::WithParamInterface<const char *> {
protected:
    // The canvas size typed into the canvas-properties dialog and confirmed with OK.
    void SetCanvasSize(const QString &width, const QString &height)
    {
        AnswerDialog([&](QDialog &dialog) {
            auto *canvas = qobject_cast<mainwindow::CanvasGUI *>(&dialog);
            ASSERT_NE(canvas, nullptr) << "the canvas-properties dialog did not open";
            Type(canvas->Text1, width);
            Type(canvas->Text2, height);
            QTest::mouseClick(canvas->Command1, Qt::LeftButton);
        });
        Menu({QStringLiteral("ファイル"), QStringLiteral("キャンバスのプロパティ")});
    }

    // Both bars taken to their ends with the End key, as a user does on a focused bar.
    void ScrollToTheEnds()
    {
        for (QScrollBar *bar : {static_cast<QScrollBar *>(window->HScroll1),
                                static_cast<QScrollBar *>(window->VScroll1)}) {
            ASSERT_TRUE(bar->isEnabled());
            bar->setFocus();
            QTest::keyClick(bar, Qt::Key_End);
            QApplication::processEvents();
            ASSERT_EQ(bar->value(), bar->maximum());
        }
    }

    // The pointer coordinates the status line shows once the pointer has rested at a point.
    QPoint StatusPointerAt(QPoint at)
    {
        for (int step = 0; step < 8; ++step) {
            MoveTo(window->Picture1, at + QPoint(step % 2, 0));
        }
        MoveTo(window->Picture1, at);
        const QRegularExpressionMatch match =
            QRegularExpression(QStringLiteral("^\\((-?\\d+),(-?\\d+)\\)")).match(window->StatusLabel1->text());
        if (!match.hasMatch()) {
            ADD_FAILURE() << "no pointer coordinates in the status line: "
                          << window->StatusLabel1->text().toStdString();
            return {};
        }
        return QPoint(match.captured(1).toInt(), match.captured(2).toInt());
    }

    // Every pixel of the area has the colour.
    bool All(QRect area, Rgb colour) const
    {
        return CountColor(area, colour, 8) == area.width() * area.height();
    }
};

TEST_P(WideCanvas, ScrollsToItsFarCornerWhereThePointerReadsAndDrawingShows)
{
    SetCanvasSize(QString::number(kWidth), QString::number(kHeight));
    ASSERT_EQ(core::Doc().CurrentSettings.Width, kWidth);
    ASSERT_EQ(core::Doc().CurrentSettings.Height, kHeight);
    TypeIntoCombo(window->Combo2, QString::fromLatin1(GetParam()));
    ScrollToTheEnds();
    const QRect visible(0, 0, window->HScroll1->width(), window->VScroll1->height());
    const double zoom = core::Doc().ZoomRate;

    // The view's bottom-right reads the far corner and the scroll margin beyond it (64 view pixels).
    const QPoint read = StatusPointerAt(visible.bottomRight());
    const double margin = core::Doc().CurrentSettings.ScrollMargin / zoom;
    EXPECT_NEAR(read.x(), kWidth + margin, 3 / zoom);
    EXPECT_NEAR(read.y(), kHeight + margin, 3 / zoom);

    // The canvas is white to its far edges and ends there.
    const QRect corner(AtPixel(kWidth - 60, kHeight - 60), AtPixel(kWidth, kHeight));
    ASSERT_TRUE(visible.contains(corner));
    // (The image's origin is floored, the conversion's margin halved toward zero: for a canvas
    // larger than the view they can lie one pixel apart.)
    EXPECT_TRUE(All(corner.adjusted(0, 0, -2, -2), kWhite));
    const Rgb outside = PixelAt(AtPixel(kWidth, kHeight) + QPoint(4, 4));
    EXPECT_NE(outside, kWhite);
    EXPECT_EQ(PixelAt(AtPixel(kWidth, kHeight - 30) + QPoint(4, 0)), outside);
    EXPECT_EQ(PixelAt(AtPixel(kWidth - 30, kHeight) + QPoint(0, 4)), outside);

    // A rectangle dragged at the far corner is drawn there: its outline along the drag, the canvas
    // white inside and around it, and the path where the pointer read it.
    const QPoint from = AtPixel(1880, 1680);
    const QPoint to = AtPixel(1980, 1780);
    DrawUnselectedRectangle(from, to);
    ASSERT_EQ(core::Doc().DocPathCount(), 1);
    const core::Rect32 drawn = core::GetPathBounds(core::Doc().DocPaths[1]);
    EXPECT_NEAR(drawn.Left / 20.0, 1880, 2 / zoom);
    EXPECT_NEAR(drawn.Top / 20.0, 1680, 2 / zoom);
    EXPECT_NEAR(drawn.Right / 20.0, 1980, 2 / zoom);
    EXPECT_NEAR(drawn.Bottom / 20.0, 1780, 2 / zoom);
    const int side = to.x() - from.x();
    for (const auto &[a, b] : {std::pair{from, QPoint(to.x(), from.y())}, std::pair{from, QPoint(from.x(), to.y())},
                               std::pair{to, QPoint(from.x(), to.y())}, std::pair{to, QPoint(to.x(), from.y())}}) {
        EXPECT_GT(CountAlong({a, b}, kBlack), side * 9 / 10);
    }
    const QRect inside = QRect(from, to).adjusted(4, 4, -4, -4);
    EXPECT_TRUE(All(inside, kWhite));
    EXPECT_TRUE(All(QRect(AtPixel(1830, 1640), AtPixel(1870, 1790)), kWhite));  // left of it
    EXPECT_TRUE(All(QRect(AtPixel(1880, 1640), AtPixel(1990, 1672)), kWhite));  // above it

    // The bucket fills its inside with the fill colour, and only that.
    ChooseStyle(kFillOnly);
    ChooseTool(kToolBucket);
    ClickCanvas(AtPixel(1930, 1730));
    ASSERT_EQ(core::Doc().DocPathCount(), 2);
    EXPECT_TRUE(All(inside, kCyan));
    EXPECT_EQ(CountColor(visible, kCyan, 8), CountColor(QRect(from, to), kCyan, 8));
    EXPECT_TRUE(All(QRect(AtPixel(1830, 1640), AtPixel(1870, 1790)), kWhite));
}

INSTANTIATE_TEST_SUITE_P(View, WideCanvas, testing::Values("100%", "50%"),
                         [](const testing::TestParamInfo<const char *> &info) {
                             return std::string(info.param).substr(0, std::string(info.param).size() - 1);
                         });

}  // namespace
}  // namespace journeys
