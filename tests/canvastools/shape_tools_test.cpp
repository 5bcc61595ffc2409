#include "canvastools/shape_tools.h"
#include "canvastools/tool_palette.h"
#include "tests/canvastools/canvas_fixture.h"

#include "core/rectangles.h"
#include "platform/forms/controls.h"
#include "toolwindows/dialog_support.h"
#include "toolwindows/polygon_window.h"
#include "toolwindows/rectangle_dialog.h"
#include "toolwindows/text_window.h"
#include "platform/forms/modal_dialog.h"

#include <QMouseEvent>
#include <QPlainTextEdit>

#include <algorithm>

using canvastools::Input;
using core::Doc;
using testsupport::kLeft;

namespace {

struct Bounds {
    int32_t left = INT32_MAX, top = INT32_MAX, right = INT32_MIN, bottom = INT32_MIN;
};

Bounds PathBounds(const core::PathRecord &path)
{
    Bounds b;
    for (const core::AnchorPoint &a : path.Anchors) {
        b.left = std::min(b.left, a.X);
        b.top = std::min(b.top, a.Y);
        b.right = std::max(b.right, a.X);
        b.bottom = std::max(b.bottom, a.Y);
    }
    return b;
}

class ShapeToolsTest : public testsupport::CanvasFixture {
protected:
    void SetUp() override
    {
        platform::SetModalDialogHook([this](QDialog &dialog) { modalShown.push_back(&dialog); });
        CanvasFixture::SetUp();
    }
    void TearDown() override
    {
        CanvasFixture::TearDown();
        platform::SetModalDialogHook(nullptr);
    }
    // Chooses a shape tool without the windows of the polygon and text tools.
    void UseTool(int16_t tool) { Input().CurrentTool = tool; }

    std::vector<QDialog *> modalShown;
};

TEST_F(ShapeToolsTest, ClickLeavesTheDefaultSquareSelectedWithOneUndoStep)
{
    UseTool(canvastools::kToolRectangle);
    int32_t before = HistoryPos();
    Click(kLeft, 0, 2000, 3000);
    ASSERT_EQ(Doc().DocPathCount(), 1);
    const core::PathRecord &square = Path(1);
    EXPECT_EQ(square.Anchors.size(), 4u);
    EXPECT_TRUE(square.blClosed);
    EXPECT_TRUE(square.blSelected);
    Bounds b = PathBounds(square);
    EXPECT_EQ(b.left, 2000);
    EXPECT_EQ(b.top, 3000);
    EXPECT_EQ(b.right, 3000);
    EXPECT_EQ(b.bottom, 4000);
    EXPECT_EQ(HistoryPos(), before + 1);
    EXPECT_FALSE(Input().DragArmed);
    EXPECT_EQ(Input().CurrentTool, canvastools::kToolSelect);
    EXPECT_TRUE(window->Option1[canvastools::kToolSelect]->Value());
}

TEST_F(ShapeToolsTest, DraggingScalesTheNewShapeAboutItsTopLeftCorner)
{
    UseTool(canvastools::kToolRectangle);
    int32_t before = HistoryPos();
    Drag(kLeft, 0, {{2000, 2000}, {3000, 2500}, {5000, 4000}});
    ASSERT_EQ(Doc().DocPathCount(), 1);
    Bounds b = PathBounds(Path(1));
    EXPECT_EQ(b.left, 2000);
    EXPECT_EQ(b.top, 2000);
    EXPECT_NEAR(b.right, 5000, 40);
    EXPECT_NEAR(b.bottom, 4000, 40);
    EXPECT_EQ(HistoryPos(), before + 1);  // one step for the whole gesture
}

TEST_F(ShapeToolsTest, NotReturnSelectModeKeepsTheShapeToolForTheNextClick)
{
    mainwindow::Main().NotReturnSelectMode = 1;
    UseTool(canvastools::kToolEllipse);
    Input().EllipseAnchorCount = 16;
    int32_t before = HistoryPos();
    Click(kLeft, 0, 1000, 1000);
    EXPECT_EQ(Input().CurrentTool, canvastools::kToolEllipse);
    Click(kLeft, 0, 5000, 1000);
    ASSERT_EQ(Doc().DocPathCount(), 2);
    EXPECT_EQ(Path(1).Anchors.size(), 16u);
    EXPECT_EQ(Path(2).Anchors.size(), 16u);
    EXPECT_FALSE(Path(1).blSelected);  // the second press deselected the first shape
    EXPECT_TRUE(Path(2).blSelected);
    EXPECT_EQ(HistoryPos(), before + 2);
}

TEST_F(ShapeToolsTest, RectangleCornersComeOnReleaseOrWithEveryRealtimeMove)
{
    Input().RectangleKind = core::kCornerRounded;
    Input().RectangleCornerSize = 0.25f;
    UseTool(canvastools::kToolRectangle);
    Move(0, 0, 2000, 2000);
    Down(kLeft, 0, 2000, 2000);
    Move(kLeft, 0, 6000, 6000);
    EXPECT_EQ(Path(1).Anchors.size(), 4u);  // square while dragging
    Up(kLeft, 0, 6000, 6000);
    size_t rounded = Path(1).Anchors.size();
    EXPECT_GT(rounded, 4u);

    Input().RealtimeMode = true;
    UseTool(canvastools::kToolRectangle);
    Move(0, 0, 9000, 2000);
    Down(kLeft, 0, 9000, 2000);
    Move(kLeft, 0, 13000, 6000);
    EXPECT_EQ(Path(2).Anchors.size(), rounded);  // the corners follow the move
    Up(kLeft, 0, 13000, 6000);
    EXPECT_EQ(Path(2).Anchors.size(), rounded);
}

TEST_F(ShapeToolsTest, PolygonWindowValuesReachThePolygon)
{
    toolwindows::PolygonGUI &polygon = canvastools::PolygonWindow();
    polygon.Text1->SetText(QStringLiteral("6 corners"));  // the number at the start counts
    polygon.Check1->SetValue(0);
    UseTool(canvastools::kToolPolygon);
    Click(kLeft, 0, 1000, 1000);
    ASSERT_EQ(Doc().DocPathCount(), 1);
    EXPECT_EQ(Path(1).Anchors.size(), 6u);

    polygon.Check1->SetValue(1);
    polygon.Text1->SetText(QStringLiteral("5"));
    UseTool(canvastools::kToolPolygon);
    Click(kLeft, 0, 4000, 1000);
    EXPECT_EQ(Path(2).Anchors.size(), 10u);  // a star alternates outer and inner corners

    polygon.Check1->SetValue(0);
    polygon.Text1->SetText(QStringLiteral("1e300"));
    UseTool(canvastools::kToolPolygon);
    Click(kLeft, 0, 8000, 1000);
    EXPECT_EQ(Path(3).Anchors.size(), static_cast<size_t>(core::kMaxPolygonVertices));
}

TEST_F(ShapeToolsTest, TextWindowTextBecomesOutlinesAndEmptyTextCreatesNothing)
{
    toolwindows::TextFontGUI &text = canvastools::TextWindow();
    text.Text1->setPlainText(QString());
    UseTool(canvastools::kToolText);
    int32_t before = HistoryPos();
    Click(kLeft, 0, 1000, 1000);
    EXPECT_EQ(Doc().DocPathCount(), 0);
    EXPECT_EQ(HistoryPos(), before);  // nothing created, nothing to undo
    EXPECT_FALSE(Input().DragArmed);

    text.Text1->setPlainText(QStringLiteral("Ab"));
    text.Combo1->SetText(QStringLiteral("No Such Font Family"));  // the default outline font stands in
    text.Command1_Click();
    UseTool(canvastools::kToolText);
    Click(kLeft, 0, 1000, 1000);
    ASSERT_GE(Doc().DocPathCount(), 2);
    EXPECT_EQ(HistoryPos(), before + 1);
    Bounds b = PathBounds(Path(1));
    EXPECT_GE(b.left, 1000);
    EXPECT_GE(b.top, 1000);
}

TEST_F(ShapeToolsTest, PolygonButtonOpensTheWindowAndCancelReturnsToSelect)
{
    toolwindows::PolygonGUI &polygon = canvastools::PolygonWindow();
    polygon.Text1->SetText(QStringLiteral("2"));
    platform::SetModalDialogHook([&](QDialog &dialog) {
        modalShown.push_back(&dialog);
        EXPECT_EQ(polygon.Text1->Text(), QStringLiteral("5"));  // an unusable count starts at 5
        polygon.Command1_Click();
    });
    ChooseTool(canvastools::kToolPolygon);
    ASSERT_EQ(modalShown.size(), 1u);
    EXPECT_EQ(Input().CurrentTool, canvastools::kToolPolygon);
    EXPECT_EQ(canvastools::GetToolDescription(canvastools::kToolPolygon), QStringLiteral("[多角形の描画]　5角形(星型)"));

    platform::SetModalDialogHook([&](QDialog &) { polygon.Command2_Click(); });
    ChooseTool(canvastools::kToolSelect);
    ChooseTool(canvastools::kToolPolygon);
    EXPECT_EQ(Input().CurrentTool, canvastools::kToolSelect);
    EXPECT_TRUE(window->Option1[canvastools::kToolSelect]->Value());
    EXPECT_EQ(canvastools::GetToolDescription(canvastools::kToolPolygon), QString());
}

TEST_F(ShapeToolsTest, TextButtonNeedsTextAndFontToStay)
{
    toolwindows::TextFontGUI &text = canvastools::TextWindow();
    platform::SetModalDialogHook([&](QDialog &) {
        text.Text1->setPlainText(QStringLiteral("Hi"));
        text.Check5->SetValue(1);
        text.Command1_Click();
    });
    ChooseTool(canvastools::kToolText);
    EXPECT_EQ(Input().CurrentTool, canvastools::kToolText);
    QString family = text.Combo1->Text();
    EXPECT_EQ(canvastools::GetToolDescription(canvastools::kToolText),
              QStringLiteral("[テキストの描画]　'Hi' (") + family + QStringLiteral(") (円形配置)"));

    platform::SetModalDialogHook([&](QDialog &) { text.Command2_Click(); });
    ChooseTool(canvastools::kToolSelect);
    ChooseTool(canvastools::kToolText);
    EXPECT_EQ(Input().CurrentTool, canvastools::kToolSelect);
    EXPECT_EQ(canvastools::GetToolDescription(canvastools::kToolText), QStringLiteral("[テキストの描画]　"));
}

TEST_F(ShapeToolsTest, RectangleSettingsCommandStoresTheTypedSize)
{
    platform::SetModalDialogHook([](QDialog &dialog) {
        auto &rectangle = static_cast<toolwindows::RectangleGUI &>(dialog);
        EXPECT_EQ(rectangle.Text1->Text(), QStringLiteral("20"));
        rectangle.Text1->SetText(QStringLiteral("35px"));
        rectangle.Command1_Click();
    });
    Input().RectangleCornerSize = 0;
    window->menus.mnuRectOption->Trigger();
    EXPECT_FLOAT_EQ(Input().RectangleCornerSize, 35.0f);
}

}  // namespace

TEST_F(ShapeToolsTest, QuickReleaseQueuedBeforeThePressIsHandledStillEndsTheNewShapesDrag)
{
    // The shape tools let the tool buttons repaint inside the press; a release already waiting
    // then must not run before the new shape's drag is armed, or the drag would outlive the button.
    UseTool(canvastools::kToolEllipse);
    int32_t before = HistoryPos();
    QPointF p = Screen(2000, 2000);
    QCoreApplication::postEvent(window->Picture1,
                                new QMouseEvent(QEvent::MouseButtonRelease, p, window->Picture1->mapToGlobal(p),
                                                Qt::LeftButton, Qt::NoButton, Qt::NoModifier));
    Down(kLeft, 0, 2000, 2000);
    QApplication::processEvents();
    ASSERT_EQ(Doc().DocPathCount(), 1);
    EXPECT_FALSE(Input().DragArmed);
    EXPECT_EQ(HistoryPos(), before + 1);
    // A later move without a button leaves the new ellipse at its default size.
    Bounds b = PathBounds(Path(1));
    Move(0, 0, 9000, 9000);
    Bounds after = PathBounds(Path(1));
    EXPECT_EQ(after.right, b.right);
    EXPECT_EQ(after.bottom, b.bottom);
}
