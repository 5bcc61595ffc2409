#include "toolwindows/dialog_support.h"
#include "toolwindows/polygon_window.h"
#include "toolwindows/rectangle_dialog.h"
#include "toolwindows/text_window.h"

#include "platform/forms/controls.h"
#include "platform/forms/picture_box.h"
#include "platform/forms/modal_dialog.h"

#include <QGroupBox>
#include <QPlainTextEdit>
#include <QPushButton>
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

TEST(PolygonWindow, UncheckingTheStarClearsAndHidesTheRoundingOptions)
{
    PolygonGUI window;
    window.Check2->SetValue(1);
    window.Check3->SetValue(1);
    window.Check1->SetValue(0);
    EXPECT_EQ(window.Check2->Value(), 0);
    EXPECT_EQ(window.Check3->Value(), 0);
    EXPECT_TRUE(window.Frame1->isHidden());
    EXPECT_FALSE(window.Values().Star);
    window.Check1->SetValue(1);
    EXPECT_FALSE(window.Frame1->isHidden());
}

TEST(PolygonWindow, SpinNeverGoesBelowThreeAndReturnsToRest)
{
    PolygonGUI window;
    window.Text1->SetText(QStringLiteral("3"));
    window.VScroll1->SetValue(1);  // lower arrow
    EXPECT_EQ(window.Text1->Text(), QStringLiteral("3"));
    EXPECT_EQ(window.VScroll1->Value(), 0);
    window.Text1->SetText(QStringLiteral("-20"));
    window.VScroll1->SetValue(1);
    EXPECT_EQ(window.Text1->Text(), QStringLiteral("3"));
    window.Text1->SetText(QStringLiteral("7.9 corners"));
    window.VScroll1->SetValue(-1);  // upper arrow: the integer part plus one
    EXPECT_EQ(window.Text1->Text(), QStringLiteral("8"));
    window.VScroll1->SetValue(1);
    EXPECT_EQ(window.Text1->Text(), QStringLiteral("7"));
    EXPECT_EQ(window.VScroll1->Value(), 0);
}

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
}

TEST(PolygonWindow, DepthMovesTheLabelAndTheValues)
{
    PolygonGUI window;
    EXPECT_EQ(window.Label2->text(), QStringLiteral("50%"));
    window.HScroll1->SetValue(30);
    EXPECT_EQ(window.Label2->text(), QStringLiteral("30%"));
    EXPECT_EQ(window.Values().Depth, 30);
}

TEST(PolygonWindow, CancelEmptiesTheCountAndOkKeepsIt)
{
    PolygonGUI window;
    window.Text1->SetText(QStringLiteral("8"));
    window.Command1_Click();
    EXPECT_EQ(window.Text1->Text(), QStringLiteral("8"));
    EXPECT_EQ(window.result(), QDialog::Accepted);
    window.Command2_Click();
    EXPECT_EQ(window.Text1->Text(), QString());
    window.Text1->SetText(QStringLiteral("8"));
    window.reject();  // Escape and the close box
    EXPECT_EQ(window.Text1->Text(), QString());
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

TEST(PolygonPreview, WindowDrawsIntoItsPicture)
{
    PolygonGUI window;
    const QImage &image = window.Picture1->Image();
    EXPECT_EQ(image.width(), 121);
    EXPECT_EQ(window.Picture1->Point(60, 10), 0);  // the top corner is black
    EXPECT_EQ(window.Picture1->Point(2, 2), 0xFFFFFF);
    window.Text1->SetText(QStringLiteral("0"));
    EXPECT_EQ(window.Picture1->Point(60, 10), 0xFFFFFF);  // nothing to draw
}

// ---- rectangle settings ----

TEST(RectangleDialog, OpensInPercentOrPixels)
{
    RectangleGUI dialog;
    EXPECT_EQ(dialog.Text1->Text(), QString());
    EXPECT_EQ(dialog.Label1->text(), QStringLiteral("角丸の半径"));
    FillRectangleDialog(dialog, 0.25f, 2);
    EXPECT_EQ(dialog.Text1->Text(), QStringLiteral("50"));
    EXPECT_EQ(dialog.Combo1->currentIndex(), kUnitPercent);
    EXPECT_EQ(dialog.Combo1->currentText(), QStringLiteral("％"));
    EXPECT_EQ(dialog.Label1->text(), QStringLiteral("凹丸の半径"));
    FillRectangleDialog(dialog, 0.0f, 4);
    EXPECT_EQ(dialog.Text1->Text(), QStringLiteral("20"));
    EXPECT_EQ(dialog.Combo1->currentIndex(), kUnitPixels);
    EXPECT_EQ(dialog.Label1->text(), QStringLiteral("ﾍﾞﾍﾞﾙの深さ"));
    FillRectangleDialog(dialog, 12.5f, 0);
    EXPECT_EQ(dialog.Text1->Text(), QStringLiteral("12.5"));
    EXPECT_EQ(dialog.Label1->text(), QStringLiteral("ﾍﾞﾍﾞﾙの深さ"));  // style 0 keeps the caption
}

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

TEST(RectangleDialog, SpinStaysWithinZeroAndAHundredPercent)
{
    RectangleGUI dialog;
    FillRectangleDialog(dialog, 20.0f, 1);
    dialog.Text1->SetText(QStringLiteral("0"));
    dialog.VScroll1->SetValue(1);  // lower arrow
    EXPECT_EQ(dialog.Text1->Text(), QStringLiteral("0"));
    EXPECT_EQ(dialog.VScroll1->Value(), 0);
    dialog.VScroll1->SetValue(-1);
    EXPECT_EQ(dialog.Text1->Text(), QStringLiteral("1"));
    dialog.Combo1->setCurrentIndex(kUnitPercent);
    dialog.Text1->SetText(QStringLiteral("100"));
    dialog.VScroll1->SetValue(-1);
    EXPECT_EQ(dialog.Text1->Text(), QStringLiteral("100"));
}

TEST(RectangleDialog, CancelAndEscapeLeaveTheStoredSize)
{
    float size = 0.25f;
    platform::SetModalDialogHook([](QDialog &dialog) {
        auto &rectangle = static_cast<RectangleGUI &>(dialog);
        rectangle.Text1->SetText(QStringLiteral("80"));
        rectangle.Command2_Click();
    });
    ShowRectangleSettings(nullptr, size, 1);
    EXPECT_FLOAT_EQ(size, 0.25f);
    platform::SetModalDialogHook([](QDialog &dialog) {
        static_cast<RectangleGUI &>(dialog).Text1->SetText(QStringLiteral("80"));
        dialog.reject();
    });
    ShowRectangleSettings(nullptr, size, 1);
    EXPECT_FLOAT_EQ(size, 0.25f);
    platform::SetModalDialogHook([](QDialog &dialog) {
        static_cast<RectangleGUI &>(dialog).Text1->SetText(QStringLiteral("80"));
        static_cast<RectangleGUI &>(dialog).Command1_Click();
    });
    ShowRectangleSettings(nullptr, size, 1);
    EXPECT_FLOAT_EQ(size, 0.4f);
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

TEST(TextWindow, FontListKeepsTheDefaultName)
{
    TextFontGUI window;
    window.SetFontNames({"Alpha", "Beta"});
    EXPECT_EQ(window.Combo1->count(), 2);
    EXPECT_EQ(window.Combo1->Text(), QStringLiteral("ＭＳ ゴシック"));
    window.EnumTrueTypeFont(false);
    for (int i = 0; i < window.Combo1->count(); ++i) {
        EXPECT_FALSE(window.Combo1->itemText(i).startsWith(QLatin1Char('@')));
    }
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

TEST(TextWindow, OkHandsTheFontOnAndKeepsTheFamilyWhenTheBoxIsEmpty)
{
    TextFontGUI window;
    window.Combo1->SetText(QStringLiteral("Some Family"));
    window.Text1->setPlainText(QStringLiteral("abc"));
    window.Command1_Click();
    EXPECT_EQ(window.CanvasFont().Family, "Some Family");
    EXPECT_FALSE(window.CanvasFont().Bold);
    EXPECT_EQ(window.Text1->toPlainText(), QStringLiteral("abc"));
    window.Combo1->SetText(QString());
    window.Check1->SetValue(1);
    window.Check2->SetValue(1);
    window.Command1_Click();
    EXPECT_EQ(window.CanvasFont().Family, "Some Family");
    EXPECT_TRUE(window.CanvasFont().Bold);
    EXPECT_TRUE(window.CanvasFont().Italic);
    EXPECT_FLOAT_EQ(window.CanvasFont().PointSize, 64.0f);
}

TEST(TextWindow, CancelEscapeAndCloseEmptyTheText)
{
    TextFontGUI window;
    window.Text1->setPlainText(QStringLiteral("abc"));
    window.Text2->SetText(QStringLiteral("45"));
    window.Command2_Click();
    EXPECT_EQ(window.Text1->toPlainText(), QString());
    EXPECT_EQ(window.Text2->Text(), QStringLiteral("45"));
    window.Text1->setPlainText(QStringLiteral("abc"));
    window.reject();
    EXPECT_EQ(window.Text1->toPlainText(), QString());
}

TEST(TextWindow, PreviewFallsBackToThePlainFontForAMissingFamily)
{
    TextFontGUI window;
    window.Combo1->SetText(QStringLiteral("No Such Font Family 12345"));
    window.Check3->SetValue(1);
    EXPECT_EQ(window.Text1->font().family(), QStringLiteral("ＭＳ Ｐゴシック"));
    EXPECT_EQ(window.Text1->font().pointSize(), 9);
    EXPECT_FALSE(window.Text1->font().bold());

    std::vector<std::string> installed = platform::ListOutlineFontFamilies();
    if (installed.empty()) {
        GTEST_SKIP() << "no outline fonts installed";
    }
    QString family = QString::fromStdString(installed.front());
    window.Check1->SetValue(1);
    window.Combo1->SetText(family);
    QFont shown = window.Text1->font();
    if (shown.family() == family) {
        EXPECT_EQ(shown.pointSize(), 16);
        EXPECT_TRUE(shown.bold());
    }
    window.Check3->SetValue(0);
    EXPECT_EQ(window.Text1->font().pointSize(), 9);
}

TEST(TextWindow, FoldingShowsTheLayoutFrame)
{
    TextFontGUI window;
    int folded = window.height();
    EXPECT_EQ(window.CollapsedHeight, folded);
    EXPECT_EQ(window.Check4->text(), QStringLiteral("▽"));
    window.Check4->SetValue(1);
    EXPECT_GT(window.height(), folded);
    EXPECT_GE(window.height(), window.Frame1->geometry().bottom());
    EXPECT_EQ(window.Check4->text(), QStringLiteral("△"));
    window.Check4->SetValue(0);
    EXPECT_EQ(window.height(), folded);
    EXPECT_EQ(window.Check4->text(), QStringLiteral("▽"));
}

TEST(TextWindow, OkIsNotTheDefaultWhileTheTextHasTheFocus)
{
    TextFontGUI window;
    EXPECT_TRUE(window.Command1->isDefault());
    window.Text1_GotFocus();
    EXPECT_FALSE(window.Command1->isDefault());
    window.Text1_LostFocus();
    EXPECT_TRUE(window.Command1->isDefault());
}

}  // namespace
