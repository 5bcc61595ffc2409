#include "canvastools/tool_palette.h"
#include "platform/forms/key_codes.h"
#include "tests/canvastools/canvas_fixture.h"

using canvastools::Input;
using core::Doc;
using testsupport::kCtrl;
using testsupport::kLeft;
using testsupport::kRight;
using testsupport::kShift;

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
    const mainwindow::DrawGuiMenus &Menus() const { return window->menus; }
};

TEST_F(AnchorToolTest, HoverFindsAnAnchorOrASegmentAndWipesItsHighlight)
{
    int32_t square = AddSquare(1000, 1000, 1000);
    Move(0, 0, 2000, 1020);
    EXPECT_EQ(Doc().HitPath, square);
    EXPECT_EQ(Doc().HitAnchor, 1);
    EXPECT_EQ(Doc().HitPath2, 0);
    EXPECT_TRUE(Input().HighlightShown);

    Move(0, 0, 1020, 1500);  // the closing segment, from the last anchor back to anchor 0
    EXPECT_EQ(Doc().HitPath, square);
    EXPECT_EQ(Doc().HitAnchor, 3);
    EXPECT_EQ(Doc().HitPath2, square);
    EXPECT_EQ(Doc().HitAnchor2, 0);

    Move(0, 0, 5000, 5000);
    EXPECT_EQ(Doc().HitPath, 0);
    EXPECT_FALSE(Input().HighlightShown);
}

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

TEST_F(AnchorToolTest, ShiftClickOnASegmentSwapsBothEndsKinds)
{
    int32_t square = AddSquare(1000, 1000, 1000);
    int32_t before = HistoryPos();
    Click(kLeft, kShift, 1500, 1000);
    EXPECT_EQ(At(square, 0).AnchorKind, core::kControlPoint);
    EXPECT_EQ(At(square, 1).AnchorKind, core::kControlPoint);
    EXPECT_EQ(At(square, 2).AnchorKind, core::kOnCurve);
    EXPECT_EQ(HistoryPos(), before + 1);
    Click(kLeft, kShift, 1500, 1000);
    EXPECT_EQ(At(square, 0).AnchorKind, core::kOnCurve);
    EXPECT_EQ(HistoryPos(), before + 2);
    Click(kLeft, 0, 1500, 1000);  // a plain click changes no kind and records nothing
    EXPECT_EQ(HistoryPos(), before + 2);
}

TEST_F(AnchorToolTest, WithNotAnchorSelectClicksSetKindsAndNeverSelect)
{
    mainwindow::Main().NotAnchorSelect = 1;
    int32_t square = AddSquare(1000, 1000, 1000);
    Doc().SelectedAnchors.push_back({square, 2});
    int32_t before = HistoryPos();
    Click(kLeft, kShift, 2000, 1000);  // already straight: nothing changed, no step
    EXPECT_EQ(HistoryPos(), before);
    Click(kLeft, kCtrl, 2000, 1000);
    EXPECT_EQ(At(square, 1).AnchorKind, core::kControlPoint);
    EXPECT_EQ(HistoryPos(), before + 1);
    Click(kLeft, kShift | kCtrl, 2000, 1000);  // no exact combination: nothing
    EXPECT_EQ(At(square, 1).AnchorKind, core::kControlPoint);
    Click(kLeft, kShift, 2000, 1000);
    EXPECT_EQ(At(square, 1).AnchorKind, core::kOnCurve);
    EXPECT_EQ(HistoryPos(), before + 2);
    EXPECT_EQ(Selected(), (std::vector<core::AnchorRef>{{square, 2}}));
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

TEST_F(AnchorToolTest, BandOnEmptyCanvasTogglesTheAnchorsInside)
{
    int32_t square = AddSquare(1000, 1000, 1000);
    Move(0, 0, 500, 500);
    Down(kLeft, 0, 500, 500);
    Move(kLeft, 0, 1500, 2500);
    EXPECT_TRUE(Selected().empty());  // only shown while dragging
    Up(kLeft, 0, 1500, 2500);
    EXPECT_EQ(Selected(), (std::vector<core::AnchorRef>{{square, 0}, {square, 3}}));
    Drag(kLeft, kCtrl, {{500, 500}, {1500, 1500}});  // a second band toggles anchor 0 off
    EXPECT_EQ(Selected(), (std::vector<core::AnchorRef>{{square, 3}}));
}

TEST_F(AnchorToolTest, AnchorMenuOffersWhatFitsTheHit)
{
    int32_t open = AddOpenPath({{1000, 1000, 0}, {2000, 1000, 1}, {3000, 1000, 0}});
    Click(kRight, 0, 2000, 1000);  // the middle anchor, a control point
    ASSERT_EQ(popups.size(), 1u);
    EXPECT_EQ(popups.back(), Menus().mnuModifyMode);
    EXPECT_TRUE(Menus().mnuAnchorDelete->Enabled());
    EXPECT_TRUE(Menus().mnuDevidePath->Enabled());
    EXPECT_TRUE(Menus().mnuOptimizeAnchor->Enabled());
    EXPECT_TRUE(Menus().mnuAnchorKeen->Visible());
    EXPECT_TRUE(Menus().mnuAnchorKeen->Enabled());
    EXPECT_TRUE(Menus().mnuAnchorRound->Visible());
    EXPECT_FALSE(Menus().mnuAnchorRound->Enabled());
    EXPECT_FALSE(Menus().mnuAnchorLine->Visible());
    EXPECT_FALSE(Menus().mnuAnchorAdd->Enabled());
    EXPECT_FALSE(Menus().mnuClosePathSel->Enabled());
    EXPECT_FALSE(Menus().mnuJointPath->Enabled());
    EXPECT_FALSE(Menus().mnuOpenPathSel->Enabled());
    EXPECT_TRUE(Input().PopupShown);

    Click(kRight, 0, 3000, 1000);  // the last anchor: no dividing there
    EXPECT_FALSE(Menus().mnuDevidePath->Enabled());
    EXPECT_EQ(Path(open).AnchorMax(), 2);

    // An end whose partner lies within 90 twips of the click can be closed.
    int32_t nearlyClosed = AddOpenPath({{1000, 4000, 0}, {2000, 4000, 0}, {2000, 5000, 0}, {1050, 4040, 0}});
    Click(kRight, 0, 1000, 4000);
    EXPECT_EQ(Doc().HitPath, nearlyClosed);
    EXPECT_EQ(Doc().HitAnchor, 0);
    EXPECT_TRUE(Menus().mnuClosePathSel->Enabled());

    int32_t square = AddSquare(6000, 1000, 1000);
    Click(kRight, 0, 6500, 1000);  // a segment of a closed path
    EXPECT_EQ(Doc().HitPath, square);
    EXPECT_TRUE(Menus().mnuAnchorAdd->Enabled());
    EXPECT_TRUE(Menus().mnuAnchorLine->Visible());
    EXPECT_FALSE(Menus().mnuAnchorLine->Enabled());  // both ends straight already
    EXPECT_TRUE(Menus().mnuAnchorCurve->Enabled());
    EXPECT_TRUE(Menus().mnuOpenPathSel->Enabled());
    EXPECT_FALSE(Menus().mnuAnchorKeen->Visible());
    EXPECT_FALSE(Menus().mnuDevidePath->Enabled());
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
