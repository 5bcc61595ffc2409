#include "mainwindow/current_colors.h"

#include "tests/mainwindow/panel_fixture.h"

using canvastools::Input;
using core::Doc;
using mainwindow::Main;

namespace {

class CurrentColorsTest : public testsupport::PanelFixture {
protected:
    void SetColors(core::Color line, core::Color fill, core::Color grad)
    {
        Input().CurrentColors = {line, fill, grad};
        window->PicColor_Paint();
    }
    uint32_t LabelColor(int i) const
    {
        return platform::BgrFromRgb(window->Label2[static_cast<size_t>(i)]->palette().color(QPalette::Window).rgb());
    }
    uint32_t LabelTextColor(int i) const
    {
        return platform::BgrFromRgb(
            window->Label2[static_cast<size_t>(i)]->palette().color(QPalette::WindowText).rgb());
    }
};

TEST_F(CurrentColorsTest, StartsWithBlackLineCyanFillAndWhiteGradientAllOpaque)
{
    EXPECT_EQ(Input().CurrentColors[0], 0xFF000000u);
    EXPECT_EQ(Input().CurrentColors[1], 0xFFFFFF00u);
    EXPECT_EQ(Input().CurrentColors[2], 0xFFFFFFFFu);
    for (size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(window->HScroll3[i]->Value(), 255);
        EXPECT_EQ(window->Text2[i]->Text(), QStringLiteral("255"));
        EXPECT_EQ(window->Text1[i]->Text(), QStringLiteral("255"));
        EXPECT_FALSE(window->HScroll2[i]->isEnabled());
    }
    EXPECT_EQ(window->Label2[1]->text(), QStringLiteral("塗潰し"));
}

TEST_F(CurrentColorsTest, IndicatorPaintsSwatchesGradientBarAndOpacities)
{
    SetColors(0x80102030u, 0xFF0000FFu, 0x40FF0000u);
    const platform::PictureBox *box = window->PicColor;
    EXPECT_EQ(Pixel(box, 10, 10), 0x102030u);  // line swatch on top, opacity not shown
    EXPECT_EQ(Pixel(box, 2, 2), 0u);            // its black outline
    EXPECT_EQ(Pixel(box, 3, 3), 0xFFFFFFu);     // and white border
    EXPECT_EQ(Pixel(box, 30, 30), 0x0000FFu);   // fill swatch below the gradient swatch's corner
    EXPECT_EQ(Pixel(box, 45, 25), 0xFF0000u);   // gradient swatch at (28, 18)
    // The bar runs from the fill colour at x 16 to the gradient colour at x 46.
    EXPECT_EQ(Pixel(box, 16, 44), 0x0000FFu);
    EXPECT_EQ(Pixel(box, 46, 44), 0xFF0000u);
    EXPECT_EQ(Pixel(box, 31, 44), 0x800080u);  // 127.5 rounds to the even 128
    // Opacities of 128 and more (negative as signed values) show on the sliders.
    EXPECT_EQ(window->HScroll3[0]->Value(), 128);
    EXPECT_EQ(window->HScroll3[1]->Value(), 255);
    EXPECT_EQ(window->HScroll3[2]->Value(), 64);
}

TEST_F(CurrentColorsTest, OpacityLabelsBlendTheColourOverTheBackground)
{
    uint32_t background = Pixel(window->PicColor, 0, 0);
    SetColors(0x00000000u, 0xFF0000FFu, 0x80FFFFFFu);
    EXPECT_EQ(LabelColor(0), background);  // opacity 0
    EXPECT_EQ(LabelColor(1), 0x0000FFu);    // opacity 255
    EXPECT_EQ(LabelTextColor(1), 0xFFFFFFu);  // red is dark enough for white text
    EXPECT_EQ(mainwindow::BlendOverBackground(0xFFFFFF, 128, 0x000000), 0x808080u);
    EXPECT_EQ(mainwindow::BlendOverBackground(0x000000, 1, 0x0000FF), 0x0000FEu);
    EXPECT_TRUE(mainwindow::NeedsLightText(0x000000));
    EXPECT_FALSE(mainwindow::NeedsLightText(0xFFFFFF));
}

TEST_F(CurrentColorsTest, OpacitySliderAppliesToTheSelectionWithOneUndoStep)
{
    int32_t path = AddSquare(1000, 1000, 2000, true);
    int32_t before = HistoryPos();
    window->HScroll3[1]->SetValue(100);
    EXPECT_EQ(Input().CurrentColors[1], 0x64FFFF00u);
    EXPECT_EQ(window->Text2[1]->Text(), QStringLiteral("100"));
    EXPECT_EQ(Path(path).FillColor, 0x64FFFF00u);
    EXPECT_EQ(Path(path).LineColor, 0u);  // only the slider's own colour
    EXPECT_EQ(HistoryPos(), before + 1);
}

TEST_F(CurrentColorsTest, OpacitySliderWithNothingSelectedOnlyChangesTheCurrentColour)
{
    AddSquare(1000, 1000, 2000, false);
    int32_t before = HistoryPos();
    ForgetCanvasMovie();
    window->HScroll3[0]->SetValue(10);
    EXPECT_EQ(Input().CurrentColors[0], 0x0A000000u);
    EXPECT_EQ(HistoryPos(), before);
    EXPECT_EQ(Path(1).LineColor, 0u);
    EXPECT_TRUE(CanvasMovieRendered());
}

TEST_F(CurrentColorsTest, TypedOpacitiesMoveTheSliderOnlyInsideTheRange)
{
    platform::TextBox *box = window->Text2[0];
    box->SetText(QStringLiteral("300"));
    EXPECT_EQ(window->HScroll3[0]->Value(), 255);
    EXPECT_EQ(box->Text(), QStringLiteral("300"));
    box->SetText(QStringLiteral("-1"));
    EXPECT_EQ(window->HScroll3[0]->Value(), 255);
    box->SetText(QStringLiteral("254.5"));
    EXPECT_EQ(window->HScroll3[0]->Value(), 254);
    box->SetText(QStringLiteral("255.5"));
    EXPECT_EQ(window->HScroll3[0]->Value(), 254);
    box->SetText(QStringLiteral("12 percent"));
    EXPECT_EQ(window->HScroll3[0]->Value(), 12);
    EXPECT_EQ(box->Text(), QStringLiteral("12"));  // the moved slider writes its value back
    box->SetText(QString());
    EXPECT_EQ(window->HScroll3[0]->Value(), 0);
    EXPECT_TRUE(box->Text().isEmpty());  // an empty box at 0 stays empty
    EXPECT_EQ(Input().CurrentColors[0] >> 24, 0u);
    box->SetText(QStringLiteral("&H80"));
    EXPECT_EQ(window->HScroll3[0]->Value(), 128);
    EXPECT_EQ(mainwindow::ByteFromText(QStringLiteral("1e999")), -1);
}

TEST_F(CurrentColorsTest, SwapOfEqualOpacitiesChangesOnlyTheCurrentColours)
{
    int32_t path = AddSquare(1000, 1000, 2000, true);
    int32_t before = HistoryPos();
    SetColors(0xFF0000FFu, 0xFF00FF00u, 0xFFFF0000u);
    window->Label3_Click();
    EXPECT_EQ(Input().CurrentColors[0], 0xFF00FF00u);
    EXPECT_EQ(Input().CurrentColors[1], 0xFF0000FFu);
    EXPECT_EQ(HistoryPos(), before);
    EXPECT_EQ(Path(path).LineColor, 0u);
    window->Label5_Click();
    EXPECT_EQ(Input().CurrentColors[1], 0xFFFF0000u);
    EXPECT_EQ(Input().CurrentColors[2], 0xFF0000FFu);
    EXPECT_EQ(HistoryPos(), before);
}

TEST_F(CurrentColorsTest, SwapOfDifferentOpacitiesAppliesBothColoursAsOneUndoStep)
{
    SetColors(0x800000FFu, 0xFF00FF00u, 0xFFFF0000u);
    int32_t path = AddSquare(1000, 1000, 2000, true);
    int32_t before = HistoryPos();
    window->Label3_Click();
    EXPECT_EQ(window->HScroll3[0]->Value(), 255);
    EXPECT_EQ(window->HScroll3[1]->Value(), 128);
    EXPECT_EQ(Path(path).LineColor, 0xFF00FF00u);
    EXPECT_EQ(Path(path).FillColor, 0x800000FFu);
    EXPECT_EQ(Path(path).GradColor, 0u);
    EXPECT_EQ(HistoryPos(), before + 1);
    core::UndoHistory();
    EXPECT_EQ(Doc().DocPaths[1].LineColor, 0u);
    EXPECT_EQ(Doc().DocPaths[1].FillColor, 0u);
}

TEST_F(CurrentColorsTest, TakingTheSelectionsColoursAveragesThem)
{
    int32_t a = AddSquare(1000, 1000, 2000, true);
    int32_t b = AddSquare(4000, 1000, 2000, true);
    Doc().DocPaths[static_cast<size_t>(a)].LineColor = 0xFF0000FFu;
    Doc().DocPaths[static_cast<size_t>(b)].LineColor = 0x00000000u;
    window->Label4_Click();
    EXPECT_EQ(Input().CurrentColors[0], 0x7F00007Fu);  // opacity 127 by truncation
    EXPECT_EQ(window->HScroll3[0]->Value(), 127);
}

TEST_F(CurrentColorsTest, LeftClickOnTheIndicatorAppliesAllThreeColours)
{
    int32_t path = AddSquare(1000, 1000, 2000, true);
    int32_t before = HistoryPos();
    SetColors(0xFF0000FFu, 0xFF00FF00u, 0xFFFF0000u);
    window->PicColor_MouseDown(testsupport::kLeft, 0, 5, 5);
    EXPECT_EQ(Path(path).LineColor, 0xFF0000FFu);
    EXPECT_EQ(Path(path).FillColor, 0xFF00FF00u);
    EXPECT_EQ(Path(path).GradColor, 0xFFFF0000u);
    EXPECT_EQ(HistoryPos(), before + 1);
    window->PicColor_MouseDown(4, 0, 5, 5);  // the middle button does nothing
    EXPECT_EQ(HistoryPos(), before + 1);
}

TEST_F(CurrentColorsTest, RightClickCopiesTheIndicatorPixelIntoTheChosenUserColour)
{
    SetColors(0xFF123456u, 0xFF00FF00u, 0xFFFF0000u);
    window->PicColor_MouseDown(testsupport::kRight, 0, 8, 8);  // no user colour chosen: nothing
    EXPECT_EQ(Main().UserColors[0][0], 0xFFFFFFu);

    // Ctrl+click chooses user cell (2, 1) without setting a current colour.
    window->PicPicker_MouseDown(testsupport::kLeft, testsupport::kCtrl, 8 * 38 + 3, 11 * 1 + 3);
    window->PicPicker_MouseUp(testsupport::kLeft, testsupport::kCtrl, 8 * 38 + 3, 11 * 1 + 3);
    ASSERT_EQ(Main().UserColorCol, 2);
    ASSERT_EQ(Input().CurrentColors[0], 0xFF123456u);
    window->PicColor_MouseDown(testsupport::kRight, 0, 8, 8);
    EXPECT_EQ(Main().UserColors[1][2], 0x123456u);
    EXPECT_EQ(window->HScroll2[0]->Value(), 0x56);
    EXPECT_EQ(window->HScroll2[2]->Value(), 0x12);
}

TEST_F(CurrentColorsTest, IndicatorHints)
{
    window->PicColor->setMouseTracking(true);
    emit window->PicColor->MouseMove(0, 0, 1, 1);
    EXPECT_EQ(window->StatusLabel1->text(),
              QStringLiteral("[ｶﾗｰｲﾝｼﾞｹｰﾀ]　左ｸﾘｯｸ：選択ﾊﾟｽ全ての色を変更　右ｸﾘｯｸ：色をﾕｰｻﾞｰｶﾗｰにｺﾋﾟｰ"));
    emit window->Label5->MouseMove();
    EXPECT_EQ(window->StatusLabel1->text(), QStringLiteral("[ｶﾗｰｲﾝｼﾞｹｰﾀ]　左クリックで塗潰色とグラデ色を入れ替える"));
    emit window->Label3->MouseMove();
    EXPECT_EQ(window->Label3->foregroundRole(), QPalette::ButtonText);
}

TEST_F(CurrentColorsTest, NewPathsTakeTheCurrentColours)
{
    window->PicPicker_MouseDown(testsupport::kLeft, 0, 8 * 6 + 3, 3);  // red 204, green 255, blue 255
    window->HScroll3[0]->SetValue(200);
    ChooseTool(canvastools::kToolFreehand);
    Drag(testsupport::kLeft, 0, {{1000, 1000}, {1400, 1000}, {1800, 1400}});
    ASSERT_EQ(Doc().DocPathCount(), 1);
    EXPECT_EQ(Path(1).LineColor, 0xC8FFFFCCu);
    EXPECT_EQ(Path(1).FillColor, Input().CurrentColors[1]);
}

}  // namespace
