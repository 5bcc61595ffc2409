// Shape tools: a rectangle in each corner style, ellipses of several anchor counts, polygons,
// stars and text, each dragged to size on the canvas and undone and redone, with real-time
// drawing on and off.
#include "canvastools/canvas_input_state.h"
#include "tests/journeys/journey_fixture.h"
#include "toolwindows/polygon_window.h"
#include "toolwindows/text_window.h"

#include <QApplication>
#include <QPushButton>
#include <QPlainTextEdit>
#include <QTest>

#include <cmath>
#include <tuple>

using canvastools::kToolEllipse;
using canvastools::kToolPolygon;
using canvastools::kToolRectangle;
using canvastools::kToolSelect;
using canvastools::kToolText;

namespace journeys {
namespace {

constexpr double kPi = 3.14159265358979;

class ShapeJourney : public Journey {
protected:
    // Screen pixels per canvas pixel at the present zoom.
    double Scale() const { return (AtPixel(100, 0).x() - AtPixel(0, 0).x()) / 100.0; }

    // The shape tool's press at `from` drags the new shape's corner to `to`; Esc then clears the
    // selection frame so that only the drawing is seen.
    void DragShape(QPoint from, QPoint to)
    {
        Drag({from, to});
        Key(Qt::Key_Escape);
    }

    // How many separate stretches of ink a picture row holds between two picture x positions.
    int InkRunsAcross(int y, int left, int right) const
    {
        const QImage image = Canvas();
        int runs = 0;
        bool inInk = false;
        for (int x = left; x <= right; ++x) {
            const bool ink = CountColor(image, QRect(x, y, 1, 1), kWhite) == 0;
            runs += ink && !inInk ? 1 : 0;
            inInk = ink;
        }
        return runs;
    }

    // The black outline's bounds within the area (picture positions).
    QRect OutlineBounds(QRect area) const { return BoundsOf(area, kBlack); }

    bool InkAt(QPoint at, int radius = 2) const { return CountNear(at, kBlack, radius) > 0; }

    // How many points of the closed polyline (sampled every pixel) have ink within 2 pixels.
    double InkedShare(const std::vector<QPointF> &corners) const
    {
        QImage image = Canvas();
        int inked = 0;
        int total = 0;
        for (size_t i = 0; i < corners.size(); ++i) {
            QPointF from = corners[i];
            QPointF to = corners[(i + 1) % corners.size()];
            int steps = std::max(1, static_cast<int>(std::hypot(to.x() - from.x(), to.y() - from.y())));
            for (int s = 0; s < steps; ++s) {
                QPointF p = from + (to - from) * s / steps;
                QPoint c(static_cast<int>(std::lround(p.x())), static_cast<int>(std::lround(p.y())));
                inked += CountColor(image, QRect(c - QPoint(2, 2), c + QPoint(2, 2)), kBlack, 160) > 0 ? 1 : 0;
                ++total;
            }
        }
        return total == 0 ? 0.0 : static_cast<double>(inked) / total;
    }
};

// ---- Rectangles in each corner style

struct CornerStyle {
    const char *caption;
    // Offsets in canvas pixels from the rectangle's top-left corner (corner size 20 pixels) where
    // the outline passes, and where it must not.
    std::vector<QPointF> ink;
    std::vector<QPointF> empty;
};

const CornerStyle kCornerStyles[] = {
    {"通常", {{0, 0}}, {{6, 6}, {10, 10}, {15, 15}}},
    {"角丸", {{5, 5}}, {{0, 0}, {11, 11}, {15, 15}}},
    {"凹丸", {{15, 15}}, {{0, 0}, {5, 5}, {9, 9}}},
    {"凹角", {{20, 10}, {10, 20}, {20, 20}}, {{0, 0}, {5, 5}, {12, 12}}},
    {"ベベル", {{10, 10}, {5, 15}, {15, 5}}, {{0, 0}, {16, 16}, {20, 20}}},
};

class RectangleTool : public ShapeJourney, public testing::WithParamInterface<std::tuple<int, bool>> {
protected:
    void SetUp() override
    {
        Journey::SetUp();
        SetRealtime(std::get<1>(GetParam()));
    }

    const CornerStyle &Style() const { return kCornerStyles[std::get<0>(GetParam())]; }

    // The style's probes about the corner at picture position `corner`; probes within `skip`
    // canvas pixels of the corner itself are left out (the selection handle covers them).
    bool CornerShown(const QImage &image, QPoint corner, double skip = -1) const
    {
        auto at = [&](QPointF offset) {
            return corner + QPoint(static_cast<int>(std::lround(offset.x() * Scale())),
                                   static_cast<int>(std::lround(offset.y() * Scale())));
        };
        auto inkNear = [&](QPoint p) { return CountColor(image, QRect(p - QPoint(2, 2), p + QPoint(2, 2)), kBlack, 160) > 0; };
        for (QPointF offset : Style().ink) {
            if (std::max(offset.x(), offset.y()) > skip && !inkNear(at(offset))) {
                return false;
            }
        }
        for (QPointF offset : Style().empty) {
            if (std::max(offset.x(), offset.y()) > skip + 4 && inkNear(at(offset))) {
                return false;
            }
        }
        return true;
    }
};

TEST_P(RectangleTool, ARectangleIsDrawnWithTheCornerStyleChosenOnItsButton)
{
    ToolButtonMenu(kToolRectangle, {QString::fromUtf8(Style().caption)});
    ASSERT_EQ(canvastools::Input().RectangleKind, std::get<0>(GetParam()));
    ChooseTool(kToolRectangle);
    const QPoint from = AtPixel(80, 80);
    const QPoint middle = AtPixel(230, 200);
    const QPoint to = AtPixel(280, 240);

    // The press creates the shape and drags its corner; with real-time drawing the corners are
    // shaped at every step already.
    QWidget *canvas = window->Picture1;
    MoveTo(canvas, from);
    Press(canvas, from);
    for (int s = 1; s <= 10; ++s) {
        MoveTo(canvas, from + (middle - from) * s / 10, Qt::LeftButton);
    }
    QImage duringDrag = Canvas();
    for (int s = 1; s <= 10; ++s) {
        MoveTo(canvas, middle + (to - middle) * s / 10, Qt::LeftButton);
    }
    Release(canvas, to);
    EXPECT_EQ(canvastools::Input().CurrentTool, kToolSelect);
    Key(Qt::Key_Escape);

    const QRect area(AtPixel(60, 60), AtPixel(300, 260));
    const QRect box = OutlineBounds(area);
    ASSERT_FALSE(box.isEmpty()) << "no rectangle on the canvas";
    EXPECT_NEAR(box.width(), 200 * Scale(), 4);
    EXPECT_NEAR(box.height(), 160 * Scale(), 4);
    const QPoint corner = box.topLeft() + QPoint(1, 1);
    EXPECT_TRUE(CornerShown(Canvas(), corner));
    // The sides are straight between the corners.
    EXPECT_TRUE(InkAt(QPoint(box.center().x(), box.top() + 1)));
    EXPECT_TRUE(InkAt(QPoint(box.left() + 1, box.center().y())));
    EXPECT_TRUE(InkAt(QPoint(box.right() - 1, box.center().y())));
    EXPECT_TRUE(InkAt(QPoint(box.center().x(), box.bottom() - 1)));
    EXPECT_EQ(CountInk(QRect(box.topLeft() + QPoint(30, 30), box.bottomRight() - QPoint(30, 30))), 0);
    if (std::get<1>(GetParam())) {
        EXPECT_TRUE(CornerShown(duringDrag, corner, 8)) << "the corners do not follow the drag";
    }
    EXPECT_TRUE(CaptionModified());

    ExpectUndoRedo([&] { return CountInk(area) == 0; },
                   [&] { return CornerShown(Canvas(), corner, 8) && InkAt(QPoint(box.center().x(), box.top() + 1)); });
}

std::string CornerStyleName(const testing::TestParamInfo<std::tuple<int, bool>> &info)
{
    static const char *const kNames[] = {"Plain", "Rounded", "ConcaveRound", "ConcaveSquare", "Bevel"};
    return std::string(kNames[std::get<0>(info.param)]) + (std::get<1>(info.param) ? "Realtime" : "Quick");
}

INSTANTIATE_TEST_SUITE_P(CornerStyles, RectangleTool, testing::Combine(testing::Range(0, 5), testing::Bool()),
                         CornerStyleName);

// ---- Ellipses, polygons, stars and text

class ShapeTools : public ShapeJourney, public testing::WithParamInterface<bool> {
protected:
    void SetUp() override
    {
        Journey::SetUp();
        SetRealtime(GetParam());
    }

    // The polygon window answered with its real controls: the corner count typed, the star box
    // set as wanted, "OK" pressed.
    void AnswerPolygonWindow(const QString &corners, bool star)
    {
        AnswerDialog([corners, star](QDialog &dialog) {
            auto *window = qobject_cast<toolwindows::PolygonGUI *>(&dialog);
            ASSERT_NE(window, nullptr) << "the polygon window did not open";
            window->Text1->selectAll();
            QTest::keyClicks(window->Text1, corners);
            if ((window->Check1->Value() == 1) != star) {
                QTest::mouseClick(window->Check1, Qt::LeftButton, Qt::NoModifier, QPoint(6, window->Check1->height() / 2));
            }
            QTest::mouseClick(window->Command1, Qt::LeftButton);
        });
    }

    // The outline of an n-cornered polygon or star (depth in percent) fitted into the box, as the
    // polygon tool builds it: the first corner at the top, clockwise.
    static std::vector<QPointF> PolygonCorners(int n, bool star, double depth, QRectF box)
    {
        int count = star ? 2 * n : n;
        std::vector<QPointF> unit;
        for (int i = 0; i < count; ++i) {
            double theta = 2 * kPi * i / count;
            double r = star && i % 2 == 1 ? (100 - depth) / 100 : 1.0;
            unit.emplace_back(std::sin(theta) * r, -std::cos(theta) * r);
        }
        QRectF bounds;
        for (QPointF p : unit) {
            bounds |= QRectF(p, QSizeF(1e-9, 1e-9));
        }
        std::vector<QPointF> corners;
        for (QPointF p : unit) {
            corners.emplace_back(box.left() + (p.x() - bounds.left()) / bounds.width() * box.width(),
                                 box.top() + (p.y() - bounds.top()) / bounds.height() * box.height());
        }
        return corners;
    }
};

TEST_P(ShapeTools, AnEllipseIsRoundForEachAnchorCountChosenOnItsButton)
{
    const struct {
        const char *item;
        int anchors;
    } counts[] = {{"1　8アンカー", 8}, {"3　24アンカー", 24}, {"8　64アンカー", 64}};
    const QRect area(AtPixel(20, 20), AtPixel(300, 300));
    for (const auto &count : counts) {
        SCOPED_TRACE(count.anchors);
        ToolButtonMenu(kToolEllipse, {QString::fromUtf8(count.item)});
        ChooseTool(kToolEllipse);
        ASSERT_EQ(canvastools::Input().EllipseAnchorCount, count.anchors);
        DragShape(AtPixel(40, 40), AtPixel(280, 280));

        const QRect box = OutlineBounds(area);
        ASSERT_FALSE(box.isEmpty()) << "no ellipse on the canvas";
        EXPECT_NEAR(box.width(), box.height(), 3) << "a circle was dragged";
        EXPECT_GT(box.width(), 200 * Scale());
        const QPointF centre = QRectF(box).center();
        const double radius = box.width() / 2.0;

        // Along 72 rays the darkest pixel lies on the outline. The outline's width across (two
        // opposite rays, which cancels an off-centre estimate) varies no more than the quadratic
        // pieces through the anchors allow (straight sides between the anchors would vary twice as
        // much), give or take the pixel grid.
        QImage image = Canvas();
        std::vector<double> radii;
        int missing = 0;
        for (int a = 0; a < 72; ++a) {
            double theta = 2 * kPi * a / 72;
            int darkest = 3 * 255 + 1;
            double at = 0;
            for (double r = 0.7 * radius; r <= 1.1 * radius; r += 0.25) {
                QPoint p(static_cast<int>(std::lround(centre.x() + r * std::cos(theta))),
                         static_cast<int>(std::lround(centre.y() + r * std::sin(theta))));
                QRgb c = image.pixel(p);
                int sum = qRed(c) + qGreen(c) + qBlue(c);
                if (sum < darkest) {
                    darkest = sum;
                    at = r;
                }
            }
            missing += darkest > 3 * 200 ? 1 : 0;
            radii.push_back(at);
        }
        EXPECT_EQ(missing, 0);
        double narrowest = 4 * radius;
        double widest = 0;
        for (size_t a = 0; a < 36; ++a) {
            narrowest = std::min(narrowest, radii[a] + radii[a + 36]);
            widest = std::max(widest, radii[a] + radii[a + 36]);
        }
        EXPECT_LE(widest - narrowest, radius * (1 - std::cos(kPi / count.anchors)) + 2.5);
        // Nothing at the corners of the bounding box (the circle passes 0.29 radius inside them),
        // nothing inside.
        const int side = box.width() / 8;
        for (QPoint corner : {box.topLeft(), box.topRight() - QPoint(side, 0), box.bottomLeft() - QPoint(0, side),
                              box.bottomRight() - QPoint(side, side)}) {
            EXPECT_EQ(CountInk(QRect(corner, QSize(side, side))), 0);
        }
        EXPECT_EQ(CountInk(QRect((centre - QPointF(radius / 2, radius / 2)).toPoint(), QSize(int(radius), int(radius)))), 0);

        const QPoint top(int(centre.x()), box.top() + 1);
        const QPoint left(box.left() + 1, int(centre.y()));
        ExpectUndoRedo([&] { return CountInk(area) == 0; }, [&] { return InkAt(top) && InkAt(left); });
        Undo();  // the next ellipse on an empty canvas
    }
}

TEST_P(ShapeTools, APolygonFromThePolygonWindowFillsTheDraggedBox)
{
    AnswerPolygonWindow(QStringLiteral("6"), false);
    ChooseTool(kToolPolygon);
    ASSERT_EQ(dialogsShown.size(), 1u);
    ASSERT_EQ(canvastools::Input().CurrentTool, kToolPolygon);
    DragShape(AtPixel(80, 60), AtPixel(280, 260));

    const QRect area(AtPixel(60, 40), AtPixel(300, 280));
    const QRect box = OutlineBounds(area);
    ASSERT_FALSE(box.isEmpty()) << "no polygon on the canvas";
    EXPECT_NEAR(box.width(), 200 * Scale(), 4);
    EXPECT_NEAR(box.height(), 200 * Scale(), 4);
    // A hexagon standing on a corner: its six sides inked, the box's corners and the middle empty.
    const std::vector<QPointF> corners = PolygonCorners(6, false, 0, QRectF(box).adjusted(0.5, 0.5, -0.5, -0.5));
    EXPECT_GT(InkedShare(corners), 0.95);
    const int side = box.width() / 8;
    EXPECT_EQ(CountInk(QRect(box.topLeft(), QSize(side, side))), 0);
    EXPECT_EQ(CountInk(QRect(box.bottomRight() - QPoint(side, side), QSize(side, side))), 0);
    EXPECT_EQ(CountInk(QRect(box.center() - QPoint(side, side), QSize(2 * side, 2 * side))), 0);

    // Redone, the hexagon is selected again: the inverted edges drawn over its sides lighten some
    // of their anti-aliased pixels past ink.
    ExpectUndoRedo([&] { return CountInk(area) == 0; }, [&] { return InkedShare(corners) > 0.85; });
}

TEST_P(ShapeTools, AStarFromThePolygonWindowHasItsInnerCornersPulledIn)
{
    AnswerPolygonWindow(QStringLiteral("5"), true);
    ChooseTool(kToolPolygon);
    ASSERT_EQ(canvastools::Input().CurrentTool, kToolPolygon);
    DragShape(AtPixel(80, 60), AtPixel(280, 260));

    const QRect area(AtPixel(60, 40), AtPixel(300, 280));
    const QRect box = OutlineBounds(area);
    ASSERT_FALSE(box.isEmpty()) << "no star on the canvas";
    // Ten sides from the outer corners to the inner ones (depth 50 %).
    const std::vector<QPointF> corners = PolygonCorners(5, true, 50, QRectF(box).adjusted(0.5, 0.5, -0.5, -0.5));
    EXPECT_GT(InkedShare(corners), 0.95);
    // Where a pentagon's sides would run, between two outer corners, the star leaves white.
    for (int i = 0; i < 10; i += 2) {
        QPointF middle = (corners[i] + corners[(i + 2) % 10]) / 2;
        EXPECT_FALSE(InkAt(middle.toPoint())) << "pentagon side " << i / 2;
    }

    ExpectUndoRedo([&] { return CountInk(area) == 0; }, [&] { return InkedShare(corners) > 0.9; });
}

TEST_P(ShapeTools, ACornerCountBelowThreeInThePolygonWindowLeavesTheSelectTool)
{
    AnswerPolygonWindow(QStringLiteral("2"), false);
    ChooseTool(kToolPolygon);
    EXPECT_EQ(canvastools::Input().CurrentTool, kToolSelect);
    Drag({AtPixel(80, 60), AtPixel(280, 260)});
    EXPECT_EQ(CountInk(QRect(AtPixel(60, 40), AtPixel(300, 280))), 0);
    EXPECT_FALSE(CaptionModified());
}

TEST_P(ShapeTools, TextTypedInTheTextWindowAppearsAsGlyphsInTheDraggedBox)
{
    AnswerDialog([](QDialog &dialog) {
        auto *window = qobject_cast<toolwindows::TextFontGUI *>(&dialog);
        ASSERT_NE(window, nullptr) << "the text window did not open";
        window->Text1->setFocus();
        QTest::keyClicks(window->Text1, QStringLiteral("HI"));
        int font = window->Combo1->findText(QStringLiteral("DejaVu Sans"));
        ASSERT_GE(font, 0) << "no DejaVu Sans in the font list";
        window->Combo1->setCurrentIndex(font);
        QTest::mouseClick(window->Command1, Qt::LeftButton);
    });
    ChooseTool(kToolText);
    ASSERT_EQ(canvastools::Input().CurrentTool, kToolText);
    const QRect dragged(AtPixel(60, 80), AtPixel(300, 200));
    DragShape(dragged.topLeft(), dragged.bottomRight());

    // The glyphs' outlines lie within the dragged box and span it: the stems of "H" at its left,
    // the "I" at its right.
    const QRect around(AtPixel(20, 40), AtPixel(316, 240));
    const QRect ink = OutlineBounds(around);
    ASSERT_FALSE(ink.isEmpty()) << "no text on the canvas";
    EXPECT_TRUE(dragged.adjusted(-4, -4, 4, 4).contains(ink)) << "ink outside the dragged box";
    EXPECT_GT(ink.width(), dragged.width() * 3 / 4);
    EXPECT_GT(ink.height(), dragged.height() * 3 / 4);
    const int third = dragged.width() / 3;
    EXPECT_GT(CountInk(QRect(dragged.topLeft(), QSize(third, dragged.height()))), 100);
    EXPECT_GT(CountInk(QRect(dragged.topLeft() + QPoint(2 * third, 0), QSize(third, dragged.height()))), 100);
    // The crossbar of "H" runs across the middle of its half.
    EXPECT_GT(CountInk(QRect(dragged.left() + third / 2, dragged.center().y() - 10, third / 2, 20)), 8);
    // Above the crossbar a line across the text meets every stem's two outline edges: two stems of
    // "H" and one of "I", so no letter is missing or doubled.
    EXPECT_EQ(InkRunsAcross(ink.top() + ink.height() / 4, ink.left() - 2, ink.right() + 2), 6);

    ExpectUndoRedo([&] { return CountInk(around) == 0; }, [&] { return CountInk(dragged) > 200; });
}

TEST_P(ShapeTools, ATextWindowCancelledLeavesTheSelectTool)
{
    AnswerDialog([](QDialog &dialog) {
        auto *window = qobject_cast<toolwindows::TextFontGUI *>(&dialog);
        ASSERT_NE(window, nullptr) << "the text window did not open";
        QTest::keyClicks(window->Text1, QStringLiteral("HI"));
        QTest::mouseClick(window->Command2, Qt::LeftButton);
    });
    ChooseTool(kToolText);
    EXPECT_EQ(canvastools::Input().CurrentTool, kToolSelect);
    Drag({AtPixel(60, 80), AtPixel(300, 200)});
    EXPECT_EQ(CountInk(QRect(AtPixel(20, 40), AtPixel(316, 240))), 0);
    EXPECT_FALSE(CaptionModified());
}

INSTANTIATE_TEST_SUITE_P(RealtimeOffAndOn, ShapeTools, testing::Bool(), RealtimeName);

}  // namespace
}  // namespace journeys
