#include "canvastools/shape_tools.h"
#include "canvastools/tool_palette.h"
#include "tests/canvastools/canvas_fixture.h"

#include "core/rectangles.h"
#include "platform/forms/controls.h"
#include "toolwindows/dialog_support.h"
#include "toolwindows/polygon_window.h"
#include "platform/forms/modal_dialog.h"

#include <QMouseEvent>

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

TEST_F(ShapeToolsTest, PolygonWindowValuesReachThePolygon)
{
    ChooseTool(canvastools::kToolPolygon);  // opens the polygon window
    ASSERT_EQ(modalShown.size(), 1u);
    auto *shown = qobject_cast<toolwindows::PolygonGUI *>(modalShown.back());
    ASSERT_NE(shown, nullptr);
    toolwindows::PolygonGUI &polygon = *shown;
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
