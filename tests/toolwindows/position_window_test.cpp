// The position window and the main window's position bridge: filling the fields from the
// selection and applying typed positions, sizes and angles.
#include "tests/toolwindows/tool_window_fixture.h"

#include "mainwindow/panel_bridges.h"

#include <cmath>

namespace testsupport {
namespace {

class PositionWindowTest : public ToolWindowFixture {
protected:
    // A selected square with its selection frame computed as the select tool does.
    int32_t SelectedSquare(int32_t left, int32_t top, int32_t size)
    {
        int32_t i = AddSquare(left, top, size, true);
        canvastools::CalcSelectedRect();
        return i;
    }
};

TEST_F(PositionWindowTest, SizeTwoToOneDoublesHeightAboutTheChosenPoint)
{
    int32_t i = SelectedSquare(1000, 2000, 2000);
    core::PathRecord before = Path(i);
    toolwindows::PositionGUI &gui = OpenPosition();
    gui.Option1[0]->SetValue(true);  // top left stays
    Type(gui.Text3, QStringLiteral("2:1"));
    int32_t steps = HistoryPos();
    gui.Command1_Click();
    const canvastools::Point32 pivot = canvastools::Input().HandlePoints[0];
    ASSERT_EQ(Path(i).Anchors.size(), before.Anchors.size());
    for (size_t k = 0; k < before.Anchors.size(); ++k) {
        EXPECT_EQ(Path(i).Anchors[k].X, before.Anchors[k].X);
        EXPECT_EQ(Path(i).Anchors[k].Y, pivot.Y + 2 * (before.Anchors[k].Y - pivot.Y));
    }
    EXPECT_EQ(HistoryPos(), steps + 1);
    EXPECT_FALSE(gui.GetHistoryStore());
}

TEST_F(PositionWindowTest, ApplyingTheShownValuesChangesNothingAndRecordsOnlyAfterTyping)
{
    int32_t i = SelectedSquare(1000, 1000, 2000);
    core::PathRecord before = Path(i);
    toolwindows::PositionGUI &gui = OpenPosition();
    int32_t steps = HistoryPos();
    gui.Command1_Click();
    EXPECT_EQ(HistoryPos(), steps);
    EXPECT_EQ(Path(i).Anchors, before.Anchors);

    Type(gui.Text4, QStringLiteral("0.0"));
    gui.Command1_Click();
    EXPECT_EQ(HistoryPos(), steps + 1);
    EXPECT_EQ(Path(i).Anchors, before.Anchors);
    gui.Command1_Click();
    EXPECT_EQ(HistoryPos(), steps + 1);
}

TEST_F(PositionWindowTest, TypedXAndYMoveHandlePointZeroThereAndAngleTurnsAboutThePivot)
{
    int32_t i = SelectedSquare(1000, 1000, 2000);
    toolwindows::PositionGUI &gui = OpenPosition();
    canvastools::Point32 origin = canvastools::Input().HandlePoints[0];
    Type(gui.Text1, QString::number(origin.X / 20 + 10));
    Type(gui.Text2, QString::number(origin.Y / 20 - 5));
    gui.Command1_Click();
    EXPECT_EQ(Path(i).Anchors[0].X, 1200);
    EXPECT_EQ(Path(i).Anchors[0].Y, 900);

    canvastools::CalcSelectedRect();
    window->RefreshPosition();
    Type(gui.Text4, QStringLiteral("90"));
    gui.Command1_Click();
    // A quarter turn about the centre (2200, 1900): the top left corner goes to the top right.
    EXPECT_NEAR(Path(i).Anchors[0].X, 3200, 1);
    EXPECT_NEAR(Path(i).Anchors[0].Y, 900, 1);
    EXPECT_NEAR(Path(i).GradAngle, 90.0f, 1e-3);
}

TEST_F(PositionWindowTest, AnchorToolMovesTheSelectedAnchorsCentre)
{
    ChooseTool(canvastools::kToolAnchorEdit);
    int32_t i = AddSquare(1000, 1000, 2000);
    core::Doc().SelectedAnchors = {core::AnchorRef(), {i, 0}, {i, 1}};
    toolwindows::PositionGUI &gui = OpenPosition();
    EXPECT_EQ(gui.Text1->Text(), QStringLiteral("100"));
    EXPECT_EQ(gui.Text2->Text(), QStringLiteral("50"));
    EXPECT_FALSE(gui.Text3->isEnabled());
    Type(gui.Text1, QStringLiteral("10.5"));
    Type(gui.Text2, QStringLiteral("20"));
    gui.Command1_Click();
    EXPECT_EQ(Path(i).Anchors[0].X, -790);
    EXPECT_EQ(Path(i).Anchors[0].Y, 400);
    EXPECT_EQ(Path(i).Anchors[1].X, 1210);
    EXPECT_EQ(Path(i).Anchors[2].X, 3000);  // not selected
}

TEST_F(PositionWindowTest, UnequalGradientRatiosShowVerticalFirstAndRoundTripToOneDecimal)
{
    EXPECT_EQ(mainwindow::GradientSizeText(0.05f, 0.1f), QStringLiteral("163.8:81.9"));
    ChooseTool(canvastools::kToolGradient);
    int32_t i = AddSquare(1000, 1000, 2000, true);
    core::Doc().DocPaths[static_cast<size_t>(i)].GradRatioX = 0.05f;
    core::Doc().DocPaths[static_cast<size_t>(i)].GradRatioY = 0.1f;
    toolwindows::PositionGUI &gui = OpenPosition();
    EXPECT_EQ(gui.Text3->Text(), QStringLiteral("163.8:81.9"));
    gui.Command1_Click();
    EXPECT_NEAR(Path(i).GradRatioY * 1638, 163.8, 1e-3);
    EXPECT_NEAR(Path(i).GradRatioX * 1638, 81.9, 1e-3);
}

TEST_F(PositionWindowTest, TypedNumbersReadTheLeadingNumberAndAreClamped)
{
    EXPECT_EQ(mainwindow::ReadTypedNumber(QStringLiteral("12px"), -100, 100), 12);
    EXPECT_EQ(mainwindow::ReadTypedNumber(QStringLiteral("abc"), -100, 100), 0);
    EXPECT_EQ(mainwindow::ReadTypedNumber(QStringLiteral("1e999"), -100, 100), 100);
    EXPECT_EQ(mainwindow::ReadTypedNumber(QStringLiteral("-1e999"), -100, 100), -100);

    int32_t i = SelectedSquare(1000, 1000, 2000);
    toolwindows::PositionGUI &gui = OpenPosition();
    Type(gui.Text1, QStringLiteral("1e999"));
    Type(gui.Text3, QStringLiteral("1e300:1e300"));
    Type(gui.Text4, QStringLiteral("1e999"));
    gui.Command1_Click();  // must neither overflow nor crash
    for (const core::AnchorPoint &anchor : Path(i).Anchors) {
        EXPECT_GE(anchor.X, INT32_MIN);
    }
    EXPECT_TRUE(std::isfinite(Path(i).GradAngle));
}

}  // namespace
}  // namespace testsupport
