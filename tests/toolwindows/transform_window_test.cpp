// The perspective transform window: previews from the snapshot, keeps its sliders between uses,
// apply records one step, cancel restores exactly.
#include "tests/toolwindows/tool_window_fixture.h"
#include "toolwindows/transform_window.h"

namespace testsupport {
namespace {

class TransformWindowTest : public ToolWindowFixture {
protected:
    toolwindows::TransformGUI &Gui() { return *window->TransformGUI; }
    // A selected square 2000 twips wide, centred on (2000, 2000).
    int32_t Square() { return AddSquare(1000, 1000, 2000, true); }
    static std::vector<core::AnchorPoint> QuarterTurned()
    {
        return {{3000, 1000, 0}, {3000, 3000, 0}, {1000, 3000, 0}, {1000, 1000, 0}};
    }
};

TEST_F(TransformWindowTest, MenuOpensWithTheDefaultsAndSlidersPreviewFromTheSnapshot)
{
    int32_t i = Square();
    core::PathRecord before = Path(i);
    window->menus.mnuTransform->Trigger();
    ASSERT_TRUE(Gui().isVisible());
    EXPECT_EQ(Gui().Text1->Text(), QStringLiteral("0"));
    EXPECT_EQ(Path(i).Anchors, before.Anchors);

    Gui().HScroll1->SetValue(90);
    EXPECT_EQ(Gui().Text1->Text(), QStringLiteral("90"));
    EXPECT_EQ(Path(i).Anchors, QuarterTurned());
    Gui().HScroll1->SetValue(45);
    Gui().HScroll1->SetValue(90);
    EXPECT_EQ(Path(i).Anchors, QuarterTurned());  // never accumulated
    EXPECT_EQ(Path(i).GradAngle, 90.0f);
    Gui().Command2_Click();
}

TEST_F(TransformWindowTest, CancelRestoresExactlyAndApplyRecordsOneStep)
{
    int32_t i = Square();
    core::PathArray before = core::Doc().DocPaths;
    int32_t steps = HistoryPos();
    window->ShowTransformDialog();
    Gui().HScroll2->SetValue(40);
    Gui().HScroll3->SetValue(-30);
    Gui().Form_KeyUp(27, 0);
    EXPECT_FALSE(Gui().isVisible());
    EXPECT_EQ(Path(i).Anchors, before[static_cast<size_t>(i)].Anchors);
    EXPECT_EQ(Path(i).GradCenterX, before[static_cast<size_t>(i)].GradCenterX);
    EXPECT_EQ(HistoryPos(), steps);

    // Reopening keeps the angles of the last use and previews them at once.
    Gui().HScroll2->SetValue(0);  // hidden: no preview, no change
    EXPECT_EQ(Path(i).Anchors, before[static_cast<size_t>(i)].Anchors);
    Gui().HScroll3->SetValue(0);
    Gui().HScroll1->SetValue(90);
    window->ShowTransformDialog();
    EXPECT_EQ(Gui().HScroll1->Value(), 90);
    EXPECT_EQ(Path(i).Anchors, QuarterTurned());
    Gui().Command1_Click();
    EXPECT_FALSE(Gui().isVisible());
    EXPECT_EQ(HistoryPos(), steps + 1);
    EXPECT_EQ(Path(i).Anchors, QuarterTurned());

    window->ShowTransformDialog();  // the applied drawing is the new snapshot
    Gui().close();
    EXPECT_EQ(Path(i).Anchors, QuarterTurned());
    EXPECT_EQ(HistoryPos(), steps + 1);
}

}  // namespace
}  // namespace testsupport
