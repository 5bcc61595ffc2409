#include "toolwindows/dialog_support.h"
#include "toolwindows/polygon_window.h"
#include "toolwindows/rectangle_dialog.h"
#include "toolwindows/text_window.h"

#include "platform/forms/controls.h"
#include "platform/forms/picture_box.h"
#include "platform/forms/modal_dialog.h"

#include <QApplication>
#include <QEvent>
#include <QGroupBox>
#include <QPlainTextEdit>
#include <QPushButton>

#include <functional>
#include <vector>
#include <gtest/gtest.h>

#include <cmath>

using namespace toolwindows;

namespace {

QPointF ElementPoint(const QPainterPath &path, int i)
{
    QPainterPath::Element e = path.elementAt(i);
    return QPointF(e.x, e.y);
}

double Distance(QPointF a, QPointF b)
{
    return std::hypot(a.x() - b.x(), a.y() - b.y());
}

// ---- polygon window ----

TEST(PolygonWindow, TypedNumbersAreHeldToTheCornerBounds)
{
    PolygonGUI window;
    window.Text1->SetText(QStringLiteral("12abc"));
    EXPECT_EQ(window.Values().VertexCount, 12);
    window.Text1->SetText(QStringLiteral("x"));
    EXPECT_EQ(window.Values().VertexCount, core::kMinPolygonVertices);
    window.Text1->SetText(QStringLiteral("1e308"));
    EXPECT_EQ(window.Values().VertexCount, core::kMaxPolygonVertices);
    window.Text1->SetText(QStringLiteral("1e308"));
    window.VScroll1->SetValue(-1);  // the spin stays within the bound too
    EXPECT_EQ(window.Text1->Text(), QString::number(core::kMaxPolygonVertices));
    window.Text1->SetText(QStringLiteral("2"));  // typed, two corners stay two
    EXPECT_EQ(window.Values().VertexCount, 2);
    window.Text1->SetText(QStringLiteral("4"));
    window.VScroll1->SetValue(1);
    window.VScroll1->SetValue(1);  // the spin stops at a triangle
    EXPECT_EQ(window.Text1->Text(), QStringLiteral("3"));
}

TEST(PolygonPreview, DepthPutsTheInnerCornersBetweenTheCircleAndTheCentre)
{
    QPointF centre(60, 60);
    // Star without rounding: per corner move to the outer point, line to the inner, line on.
    QPainterPath none = PolygonPreviewPath(5, 1, 0, 60, 60);
    EXPECT_NEAR(Distance(ElementPoint(none, 1), centre), 50.0, 1.0);
    QPainterPath full = PolygonPreviewPath(5, 1, 100, 60, 60);
    EXPECT_EQ(ElementPoint(full, 1), centre);
    QPainterPath half = PolygonPreviewPath(4, 1, 50, 60, 60);
    EXPECT_EQ(ElementPoint(half, 0), QPointF(60, 10));  // the first corner at the top
    EXPECT_NEAR(Distance(ElementPoint(half, 1), centre), 25.0, 1.0);
}

TEST(PolygonPreview, ShapesByMode)
{
    QPainterPath plain = PolygonPreviewPath(6, 0, 50, 60, 60);
    EXPECT_EQ(plain.elementCount(), 12);  // one line per side
    EXPECT_EQ(ElementPoint(plain, 1), QPointF(103, 35));
    QPainterPath inner = PolygonPreviewPath(5, 3, 50, 60, 60);
    EXPECT_EQ(inner.elementCount(), 5 * 4);  // one cubic per corner
    EXPECT_EQ(inner.elementAt(1).type, QPainterPath::CurveToElement);
    QPainterPath both = PolygonPreviewPath(5, 7, 50, 60, 60);
    EXPECT_EQ(both.elementCount(), 5 * 8);  // a cubic round each inner and each outer corner
    EXPECT_TRUE(PolygonPreviewPath(0, 1, 50, 60, 60).isEmpty());
    EXPECT_TRUE(PolygonPreviewPath(-4, 1, 50, 60, 60).isEmpty());
}

// ---- rectangle settings ----

TEST(RectangleDialog, ReadsTheTypedSizeHeldToItsBounds)
{
    RectangleGUI dialog;
    FillRectangleDialog(dialog, 0.25f, 1);
    dialog.Text1->SetText(QStringLiteral("100"));
    EXPECT_FLOAT_EQ(ReadRectangleDialog(dialog, 0.25f), 0.5f);
    dialog.Text1->SetText(QStringLiteral("150"));
    EXPECT_FLOAT_EQ(ReadRectangleDialog(dialog, 0.25f), 0.5f);
    dialog.Text1->SetText(QStringLiteral("-30"));
    EXPECT_FLOAT_EQ(ReadRectangleDialog(dialog, 0.25f), 0.0f);
    dialog.Combo1->setCurrentIndex(kUnitPixels);
    dialog.Text1->SetText(QStringLiteral("40 px"));
    EXPECT_FLOAT_EQ(ReadRectangleDialog(dialog, 0.25f), 40.0f);
    dialog.Text1->SetText(QStringLiteral("0.3"));  // would read as 60 % otherwise
    EXPECT_FLOAT_EQ(ReadRectangleDialog(dialog, 0.25f), 1.0f);
    dialog.Text1->SetText(QStringLiteral("1e40"));
    EXPECT_FLOAT_EQ(ReadRectangleDialog(dialog, 0.25f), static_cast<float>(kMaxCornerPixels));
    dialog.Text1->SetText(QStringLiteral("abc"));
    EXPECT_FLOAT_EQ(ReadRectangleDialog(dialog, 0.25f), 0.0f);
}

TEST(RectangleDialog, OneWindowKeptWhileOkHidesItThenTheOwnerRepainted)
{
    QWidget owner;
    owner.resize(200, 100);
    owner.show();
    QApplication::processEvents();  // on the screen, painted
    // Counts the owner's paints.
    struct PaintCounter : QObject {
        int paints = 0;
        bool eventFilter(QObject *, QEvent *event) override
        {
            paints += event->type() == QEvent::Paint ? 1 : 0;
            return false;
        }
    } counter;
    owner.installEventFilter(&counter);
    std::vector<QDialog *> shown;
    std::function<void(RectangleGUI &)> work;
    platform::SetModalDialogHook([&](QDialog &dialog) {
        shown.push_back(&dialog);
        work(static_cast<RectangleGUI &>(dialog));
    });
    float size = 0.25f;
    work = [](RectangleGUI &dialog) {
        EXPECT_EQ(dialog.Text1->Text(), QStringLiteral("50"));
        EXPECT_EQ(dialog.Label1->text(), QStringLiteral("凹丸の半径"));
        dialog.Text1->SetText(QStringLiteral("30"));
        dialog.Command1->click();
    };
    ShowRectangleSettings(&owner, size, 2);
    EXPECT_FLOAT_EQ(size, 0.15f);
    EXPECT_GT(counter.paints, 0);  // repainted once the window closed

    // Style 0 leaves the caption the kept window shows.
    work = [](RectangleGUI &dialog) {
        EXPECT_EQ(dialog.Label1->text(), QStringLiteral("凹丸の半径"));
        dialog.Command2->click();
    };
    ShowRectangleSettings(&owner, size, 0);
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(shown[0], shown[1]);
    EXPECT_FLOAT_EQ(size, 0.15f);  // cancelled

    // Cancel unloaded it: the next opening makes it anew, with its own caption.
    work = [](RectangleGUI &dialog) { EXPECT_EQ(dialog.Label1->text(), QStringLiteral("角丸の半径")); };
    ShowRectangleSettings(&owner, size, 0);
    EXPECT_EQ(shown.size(), 3u);
    platform::SetModalDialogHook(nullptr);
}

// ---- text window ----

TEST(TextWindow, FontNamesSkipVerticalOnesUnlessWantedAndSortBinary)
{
    std::vector<std::string> names = {"Serif", "@Mincho", "DejaVu Sans", "ゴシック", "Arial"};
    EXPECT_EQ(OutlineFontNames(names, false),
              (std::vector<std::string>{"Arial", "DejaVu Sans", "Serif", "ゴシック"}));
    EXPECT_EQ(OutlineFontNames(names, true),
              (std::vector<std::string>{"@Mincho", "Arial", "DejaVu Sans", "Serif", "ゴシック"}));
}

TEST(TextWindow, LayoutNumbersAreReadFromTheStartAndHeld)
{
    TextFontGUI window;
    core::TextToolValues defaults = window.Values();
    EXPECT_EQ(defaults.FirstAngle, 0);
    EXPECT_EQ(defaults.ArcAngle, 360);
    EXPECT_EQ(defaults.Spacing, 100);
    window.Text1->setPlainText(QStringLiteral("あ\nb"));
    window.Text2->SetText(QStringLiteral("725 degrees"));
    window.Text3->SetText(QStringLiteral("1e300"));
    window.Text4->SetText(QStringLiteral("abc"));
    window.Check5->SetValue(1);
    window.Check6->SetValue(1);
    core::TextToolValues values = window.Values();
    EXPECT_EQ(values.Text, "あ\nb");
    EXPECT_DOUBLE_EQ(values.FirstAngle, 5.0);
    EXPECT_EQ(values.ArcAngle, 360);
    EXPECT_EQ(values.Spacing, 0);
    EXPECT_TRUE(values.ArcLayout);
    EXPECT_TRUE(values.KeepUpright);
    window.Text4->SetText(QStringLiteral("-1e400"));
    EXPECT_TRUE(std::isfinite(window.Values().Spacing));
}

}  // namespace
