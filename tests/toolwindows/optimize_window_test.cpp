// The optimisation window: previews on the snapshot, apply records one step, cancel restores.
#include "tests/toolwindows/tool_window_fixture.h"

namespace testsupport {
namespace {

class OptimizeWindowTest : public ToolWindowFixture {
protected:
    // A selected closed path with many nearly collinear anchors along a square's top edge.
    int32_t DenseSquare()
    {
        core::PathRecord path;
        for (int32_t x = 1000; x <= 3000; x += 20) {
            path.Anchors.push_back({x, 1000 + (x / 20) % 2, core::kOnCurve});
        }
        path.Anchors.push_back({3000, 3000, core::kOnCurve});
        path.Anchors.push_back({1000, 3000, core::kOnCurve});
        path.blClosed = true;
        path.LineMode = 1;
        path.LineWidth = 20;
        path.blSelected = true;
        core::Doc().DocPaths.push_back(path);
        core::StartHistoryWithDocument();
        return core::Doc().DocPathCount();
    }
    toolwindows::OptimizeGUI &Gui() { return *window->OptimizeGUI; }
};

TEST_F(OptimizeWindowTest, CancelRestoresExactlyAndApplyRecordsOneStep)
{
    int32_t i = DenseSquare();
    core::PathArray before = core::Doc().DocPaths;
    int32_t steps = HistoryPos();
    window->ShowOptimizeWindow();
    Gui().HScroll1->SetValue(200);
    Gui().HScroll2->SetValue(100);
    Gui().Form_KeyUp(27, 0);
    EXPECT_FALSE(Gui().isVisible());
    EXPECT_EQ(core::Doc().DocPaths.size(), before.size());
    EXPECT_EQ(Path(i).Anchors, before[static_cast<size_t>(i)].Anchors);
    EXPECT_EQ(HistoryPos(), steps);

    window->ShowOptimizeWindow();
    size_t previewed = Path(i).Anchors.size();
    Gui().Command1_Click();
    EXPECT_FALSE(Gui().isVisible());
    EXPECT_EQ(HistoryPos(), steps + 1);
    EXPECT_EQ(Path(i).Anchors.size(), previewed);
    EXPECT_LT(previewed, before[static_cast<size_t>(i)].Anchors.size());
}

TEST_F(OptimizeWindowTest, UnselectedPathsAreNotTouched)
{
    int32_t dense = DenseSquare();
    core::Doc().DocPaths[static_cast<size_t>(dense)].blSelected = false;
    core::PathRecord before = Path(dense);
    window->ShowOptimizeWindow();
    Gui().HScroll1->SetValue(400);
    EXPECT_EQ(Path(dense).Anchors, before.Anchors);
    Gui().close();
    EXPECT_FALSE(Gui().isVisible());
}

}  // namespace
}  // namespace testsupport
