#include "mainwindow/side_panels.h"

#include "tests/mainwindow/panel_fixture.h"

using canvastools::Input;
using core::Doc;
using mainwindow::Main;

namespace {

class SidePanelTest : public testsupport::PanelFixture {};

TEST_F(SidePanelTest, LineWidthTextIsReadAsItsLeadingNumberAndClamped)
{
    EXPECT_EQ(mainwindow::LineWidthFromText(QStringLiteral("1.5 pt")), 1.5f);
    EXPECT_EQ(mainwindow::LineWidthFromText(QStringLiteral("  7pt")), 7.0f);
    EXPECT_EQ(mainwindow::LineWidthFromText(QStringLiteral("0")), 0.0f);
    EXPECT_EQ(mainwindow::LineWidthFromText(QStringLiteral("-3")), 1.0f);
    EXPECT_EQ(mainwindow::LineWidthFromText(QStringLiteral("abc")), 0.0f);
    EXPECT_EQ(mainwindow::LineWidthFromText(QStringLiteral("1e9")), mainwindow::kMaxLineWidth);
    EXPECT_EQ(mainwindow::LineWidthFromText(QStringLiteral("1e999")), mainwindow::kMaxLineWidth);
    EXPECT_EQ(mainwindow::SingleText(0.1f), QStringLiteral("0.1"));
    EXPECT_EQ(mainwindow::SingleText(2.0f), QStringLiteral("2"));
}

TEST_F(SidePanelTest, ChoosingALineWidthSetsTheCurrentWidthAndTheSelection)
{
    int32_t path = AddSquare(1000, 1000, 2000, true);
    int32_t before = HistoryPos();
    window->Combo1->SetText(QStringLiteral("1.5 pt"));
    window->Combo1_Click();
    EXPECT_EQ(Input().CurrentLineWidth, 1.5f);
    EXPECT_EQ(window->Combo1->Text(), QStringLiteral("1.5 pt"));
    EXPECT_EQ(Path(path).LineWidth, 30);
    EXPECT_EQ(HistoryPos(), before + 1);

    window->Combo1->SetText(QStringLiteral("-3"));
    emit window->Combo1->KeyPress(13);  // Enter in the box chooses the typed width
    EXPECT_EQ(window->Combo1->Text(), QStringLiteral("1 pt"));
    EXPECT_EQ(Input().CurrentLineWidth, 1.0f);
    EXPECT_EQ(Path(path).LineWidth, 20);

    window->Combo1->SetText(QStringLiteral("letters"));
    window->Combo1_Click();
    EXPECT_EQ(window->Combo1->Text(), QStringLiteral("0 pt"));
    EXPECT_EQ(Path(path).LineWidth, 0);
}

TEST_F(SidePanelTest, TypedZoomWithoutUpperListLimit)
{
    window->Combo2->SetText(QStringLiteral("1000"));
    window->Combo2_Click();
    EXPECT_EQ(window->Combo2->Text(), QStringLiteral("1000%"));
    EXPECT_EQ(Doc().ZoomRate, 10.0f);
    window->Combo2->SetText(QStringLiteral("0"));
    window->Combo2_Click();
    EXPECT_EQ(window->Combo2->Text(), QStringLiteral("100%"));
}

}  // namespace
