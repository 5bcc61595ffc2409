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

}  // namespace
