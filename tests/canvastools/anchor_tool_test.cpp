#include "canvastools/tool_palette.h"
#include "platform/forms/key_codes.h"
#include "tests/canvastools/canvas_fixture.h"

using canvastools::Input;
using core::Doc;
using testsupport::kCtrl;
using testsupport::kLeft;
using testsupport::kRight;

namespace {

class AnchorToolTest : public testsupport::CanvasFixture {
protected:
    void SetUp() override
    {
        CanvasFixture::SetUp();
        ChooseTool(canvastools::kToolAnchorEdit);
    }

    std::vector<core::AnchorRef> Selected() const
    {
        return std::vector<core::AnchorRef>(Doc().SelectedAnchors.begin() + 1, Doc().SelectedAnchors.end());
    }
    core::AnchorPoint At(int32_t path, int32_t anchor) const
    {
        return Path(path).Anchors.at(static_cast<size_t>(anchor));
    }
};

TEST_F(AnchorToolTest, DraggingAnAnchorMovesItAndSelectsItInOneStep)
{
    int32_t square = AddSquare(1000, 1000, 1000);
    int32_t before = HistoryPos();
    Drag(kLeft, 0, {{2000, 1000}, {2100, 1000}, {2200, 1100}});
    EXPECT_EQ(At(square, 1), (core::AnchorPoint{2200, 1100, 0}));
    EXPECT_EQ(At(square, 0), (core::AnchorPoint{1000, 1000, 0}));
    EXPECT_EQ(At(square, 2), (core::AnchorPoint{2000, 2000, 0}));
    EXPECT_EQ(HistoryPos(), before + 1);
    EXPECT_EQ(Selected(), (std::vector<core::AnchorRef>{{square, 1}}));
    EXPECT_FALSE(Input().DragArmed);

    Drag(kRight, 0, {{2200, 1100}, {3000, 3000}});  // the right button does not drag
    EXPECT_EQ(At(square, 1), (core::AnchorPoint{2200, 1100, 0}));
    EXPECT_EQ(HistoryPos(), before + 1);
}

TEST_F(AnchorToolTest, ClicksSelectCtrlAddsAndRemovesAndADragMovesTheWholeSelection)
{
    int32_t square = AddSquare(1000, 1000, 1000);
    int32_t before = HistoryPos();
    Click(kLeft, 0, 1000, 1000);
    Click(kLeft, 0, 2000, 1000);  // a plain click on another anchor starts afresh
    EXPECT_EQ(Selected(), (std::vector<core::AnchorRef>{{square, 1}}));
    Click(kLeft, kCtrl, 2000, 2000);
    Click(kLeft, kCtrl, 1000, 2000);
    EXPECT_EQ(Selected(), (std::vector<core::AnchorRef>{{square, 1}, {square, 2}, {square, 3}}));
    Click(kLeft, kCtrl, 2000, 2000);  // Ctrl on a selected anchor removes it
    EXPECT_EQ(Selected(), (std::vector<core::AnchorRef>{{square, 1}, {square, 3}}));
    EXPECT_EQ(HistoryPos(), before);  // selecting records nothing

    Drag(kLeft, 0, {{2000, 1000}, {2000, 900}, {1980, 800}});  // grabs a selected anchor
    EXPECT_EQ(At(square, 1), (core::AnchorPoint{1980, 800, 0}));
    EXPECT_EQ(At(square, 3), (core::AnchorPoint{980, 1800, 0}));
    EXPECT_EQ(At(square, 2), (core::AnchorPoint{2000, 2000, 0}));
    EXPECT_EQ(HistoryPos(), before + 1);

    Click(kLeft, 0, 6000, 6000);  // empty canvas clears the selection
    EXPECT_TRUE(Selected().empty());
}

TEST_F(AnchorToolTest, SnappedDragPutsTheGrabbedAnchorOnTheGrid)
{
    window->Check6->SetValue(1);
    int32_t square = AddSquare(1000, 1000, 1000);
    Doc().SelectedAnchors.push_back({square, 3});
    Doc().SelectedAnchors.push_back({square, 1});
    // Grabbed 40 twips off the anchor; the grid (400 twips, reach 170) takes the pointer to
    // (2400, 1600) and the anchor goes exactly there, the other selected anchor along with it.
    Drag(kLeft, 0, {{2040, 1000}, {2200, 1200}, {2440, 1580}});
    EXPECT_EQ(At(square, 1), (core::AnchorPoint{2400, 1600, 0}));
    EXPECT_EQ(At(square, 3), (core::AnchorPoint{1400, 2600, 0}));
}

TEST_F(AnchorToolTest, PathsOfNoneOrOneAnchorAreNeverHitAndStaleEntriesAreSafe)
{
    int32_t single = AddOpenPath({{3000, 3000, 0}});
    int32_t empty = AddOpenPath({});
    int32_t square = AddSquare(1000, 1000, 1000);
    Move(0, 0, 3000, 3000);
    EXPECT_EQ(Doc().HitPath, 0);
    Doc().SelectedAnchors.push_back({single, 0});
    Doc().SelectedAnchors.push_back({empty, 0});
    Doc().SelectedAnchors.push_back({square + 7, 2});  // a path that no longer exists
    Doc().SelectedAnchors.push_back({square, 2});
    Drag(kLeft, 0, {{2000, 2000}, {2100, 2000}});
    EXPECT_EQ(At(square, 2), (core::AnchorPoint{2100, 2000, 0}));
    EXPECT_EQ(At(single, 0), (core::AnchorPoint{3100, 3000, 0}));
    EXPECT_TRUE(Path(empty).Anchors.empty());
    canvastools::Picture1_KeyDown(platform::kVkLeft, kCtrl);  // nudging passes over them too
    EXPECT_EQ(At(square, 2).X, 2099);
}

}  // namespace
