// The tool windows opened from the View menu and the selection's pop-up, each used once the way a
// user uses it, checked on the canvas.
#include "canvastools/canvas_input_state.h"
#include "core/document.h"
#include "core/gradient_edit.h"
#include "platform/forms/controls.h"
#include "tests/journeys/journey_fixture.h"
#include "toolwindows/gradient_editor.h"
#include "toolwindows/path_list_window.h"
#include "toolwindows/position_window.h"

#include <QAbstractButton>
#include <QTest>

using canvastools::kToolGradient;
using canvastools::kToolSelect;

namespace journeys {
namespace {

constexpr Rgb kRed = 0xFF0000;
constexpr Rgb kBlue = 0x0000FF;
constexpr Rgb kGreen = 0x00FF00;

class ToolWindows : public Journey {
protected:
    // A drawing of a red square at the left and a blue one at the right, opened.
    void OpenTwoSquares()
    {
        OpenDrawing(WriteDrawing("squares.qlk", {Square(20, 20, 100, kRed), Square(180, 20, 100, kBlue)}));
        ASSERT_EQ(CountColor(RedArea(), kRed, 8), RedArea().width() * RedArea().height());
    }
    QRect RedArea() const { return QRect(AtPixel(30, 30), AtPixel(110, 110)); }
    QRect BlueArea() const { return QRect(AtPixel(190, 30), AtPixel(270, 110)); }
    bool AllOf(QRect area, Rgb colour) const { return CountColor(area, colour, 8) == area.width() * area.height(); }
};

TEST_F(ToolWindows, PathListSelectsHidesAndShowsPathsByTheirRows)
{
    OpenTwoSquares();
    Menu({QStringLiteral("表示"), QStringLiteral("パス管理ツール")});
    toolwindows::PathGUI *list = toolwindows::PathListWindow();
    ASSERT_NE(list, nullptr);
    ASSERT_EQ(list->ListCount(), 2);

    // Row 1 is path 1 (the frontmost path stands on top): the red square.
    QListView *rows = list->List1;
    const QRect row = rows->visualRect(rows->model()->index(1, 0));
    QTest::mouseClick(rows->viewport(), Qt::LeftButton, Qt::NoModifier, row.center());
    QApplication::processEvents();
    ASSERT_TRUE(core::Doc().DocPaths[1].blSelected);
    // The thumbnail shows the red square alone.
    const QImage thumb = list->Picture1->grab().toImage();
    EXPECT_GT(CountColor(thumb, thumb.rect(), kRed, 8), 100);
    EXPECT_EQ(CountColor(thumb, thumb.rect(), kBlue, 8), 0);

    AnswerPopup({QStringLiteral("非表示にする")});
    QTest::mouseClick(rows->viewport(), Qt::RightButton, Qt::NoModifier, row.center());
    EXPECT_EQ(CountColor(RedArea(), kRed, 8), 0);
    EXPECT_TRUE(AllOf(BlueArea(), kBlue));

    AnswerPopup({QStringLiteral("全てのパスを表示")});
    QTest::mouseClick(rows->viewport(), Qt::RightButton, Qt::NoModifier, row.center());
    EXPECT_TRUE(AllOf(RedArea(), kRed));
}

TEST_F(ToolWindows, PositionWindowMovesTheSelectionToTheTypedPlace)
{
    OpenTwoSquares();
    ChooseTool(kToolSelect);
    ClickCanvas(AtPixel(20, 70));  // on the square's left edge
    ASSERT_TRUE(core::Doc().DocPaths[1].blSelected);
    Menu({QStringLiteral("表示"), QStringLiteral("数値入力ツール")});
    toolwindows::PositionGUI *position = window->PositionGUI;
    ASSERT_NE(position, nullptr);
    ASSERT_TRUE(position->isVisible());

    // The top-left reference point moved to (20, 180): the red square now lies below.
    QTest::mouseClick(position->Option1[0], Qt::LeftButton);
    Type(position->Text1, QStringLiteral("20"));
    Type(position->Text2, QStringLiteral("180"));
    QTest::mouseClick(position->Command1, Qt::LeftButton);
    QApplication::processEvents();
    EXPECT_EQ(CountColor(RedArea(), kRed, 8), 0);
    EXPECT_TRUE(AllOf(QRect(AtPixel(30, 190), AtPixel(110, 270)), kRed));

    Key(Qt::Key_Z, Qt::ControlModifier);
    EXPECT_TRUE(AllOf(RedArea(), kRed));
}

TEST_F(ToolWindows, GradientEditorGivesTheRampAStopOfTheTypedColour)
{
    core::PathRecord ramp = Square(20, 20, 280, kRed);
    ramp.FillType = core::kFillLinear;
    ramp.GradColor = 0xFFFF0000u;  // blue at the end
    OpenDrawing(WriteDrawing("ramp.qlk", {ramp}));
    const QRect middle(AtPixel(150, 100), AtPixel(156, 140));  // beside the gradient tool's handle lines
    ASSERT_EQ(CountColor(middle, kGreen, 60), 0);

    ChooseTool(kToolGradient);
    ClickCanvas(AtPixel(20, 160));  // on the square's left edge
    ASSERT_TRUE(core::Doc().DocPaths[1].blSelected);
    Menu({QStringLiteral("表示"), QStringLiteral("グラデーション制御")});
    toolwindows::GradationGUI *editor = window->GradationGUI;
    ASSERT_NE(editor, nullptr);
    QTest::mouseClick(editor->Command1, Qt::LeftButton);  // a stop in the middle of the widest gap
    Click(editor->Picture1, QPoint(128, 25));             // its marker on the bar: selected
    QTest::mouseClick(editor->Check1, Qt::LeftButton);    // the edit frame unfolded
    Type(editor->Text3, QStringLiteral("#00FF00"), true);

    // The middle of the ramp turned green; its ends stay red and blue.
    EXPECT_EQ(CountColor(middle, kGreen, 60), middle.width() * middle.height());
    EXPECT_TRUE(Near(PixelAt(AtPixel(24, 100)), kRed, 40));
    EXPECT_TRUE(Near(PixelAt(AtPixel(296, 100)), kBlue, 40));
}

}  // namespace
}  // namespace journeys
