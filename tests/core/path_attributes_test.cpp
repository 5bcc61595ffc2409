#include "core/path_attributes.h"

#include "core/history.h"
#include "core/path_builder.h"
#include "editing_fixture.h"

#include <cfloat>

using namespace core;
using namespace editingtest;

namespace {

class PathAttributesTest : public EditingTest {
protected:
    // Paths tagged 1 .. count, back to front; the listed ones selected.
    void MakeStack(int32_t count, std::initializer_list<int32_t> selected)
    {
        for (int32_t t = 1; t <= count; ++t) {
            AddPath(Tagged(t));
        }
        for (int32_t i : selected) {
            Path(i).blSelected = true;
        }
    }

    std::vector<int32_t> SelectedTags() const
    {
        std::vector<int32_t> tags;
        for (int32_t i = 1; i <= Doc().DocPathCount(); ++i) {
            if (Path(i).blSelected) {
                tags.push_back(Path(i).Anchors[0].X);
            }
        }
        return tags;
    }
};

using Tags = std::vector<int32_t>;

TEST_F(PathAttributesTest, StackingOrderCodesKeepRelativeOrders)
{
    struct Case {
        int32_t count;
        std::initializer_list<int32_t> selected;
        int16_t code;
        Tags expected;
    };
    const Case cases[] = {
        {4, {1, 3}, kOrderForwardOne, {2, 1, 4, 3}},
        {3, {1, 3}, kOrderBackwardOne, {1, 3, 2}},
        {4, {2, 4}, kOrderToBack, {2, 4, 1, 3}},
        {4, {2, 4}, kOrderToFront, {1, 3, 2, 4}},
        {3, {1, 2}, kOrderForwardOne, {3, 1, 2}},   // a block moves up as a whole
        {3, {2, 3}, kOrderBackwardOne, {2, 3, 1}},  // and down
        {3, {1, 2, 3}, kOrderForwardOne, {1, 2, 3}},
        {3, {2, 3}, kOrderForwardOne, {1, 2, 3}},  // already in front
        {3, {1, 2}, kOrderBackwardOne, {1, 2, 3}},  // already at the back
        {3, {1, 2, 3}, kOrderToBack, {1, 2, 3}},
        {3, {1, 2, 3}, kOrderToFront, {1, 2, 3}},
        {3, {}, kOrderToFront, {1, 2, 3}},
        {3, {1}, 0, {1, 2, 3}},
        {3, {1}, 5, {1, 2, 3}},
    };
    for (const Case &c : cases) {
        ResetDocumentForTest();
        MakeStack(c.count, c.selected);
        ChangePathOrder(c.code);
        EXPECT_EQ(DocTags(), c.expected) << "code " << c.code;
        EXPECT_EQ(SelectedTags().size(), c.selected.size());
    }

    ResetDocumentForTest();
    ChangePathOrder(kOrderToFront);  // empty document
    EXPECT_EQ(Doc().DocPathCount(), 0);
    MakeStack(1, {1});
    ChangePathOrder(kOrderToBack);
    EXPECT_EQ(DocTags(), (Tags{1}));
}

TEST_F(PathAttributesTest, StackingOrderMarksMovedCompoundMembersAndKeepsReferences)
{
    MakeStack(4, {2, 4});
    for (int32_t i : {1, 2, 4}) {
        Path(i).blCompound = true;
        Path(i).CompoundID = 1;
    }
    Doc().SelectedAnchors = {AnchorRef{}, AnchorRef{4, 1}, AnchorRef{1, 0}};
    Doc().HitPath = 3;
    Doc().HitPath2 = 2;

    ChangePathOrder(kOrderToBack);  // 2, 4, 1, 3
    EXPECT_EQ(DocTags(), (Tags{2, 4, 1, 3}));

    EXPECT_EQ(History().HistoryPos, 0);  // the caller records the step

    // The selected anchors and the hit paths still name the same paths.
    EXPECT_EQ(Doc().SelectedAnchors[1], (AnchorRef{2, 1}));
    EXPECT_EQ(Doc().SelectedAnchors[2], (AnchorRef{3, 0}));
    EXPECT_EQ(Doc().HitPath, 4);
    EXPECT_EQ(Doc().HitPath2, 1);
}

TEST_F(PathAttributesTest, StackingOrderOfTenThousandPaths)
{
    const int32_t count = 10000;
    for (int32_t t = 1; t <= count; ++t) {
        AddPath(Tagged(t));
        Path(t).blSelected = t % 3 == 0;
    }
    ChangePathOrder(kOrderToFront);
    const Tags tags = DocTags();
    const int32_t unselected = count - count / 3;
    EXPECT_EQ(tags[0], 1);
    EXPECT_EQ(tags[static_cast<size_t>(unselected) - 1], count);
    EXPECT_EQ(tags[static_cast<size_t>(unselected)], 3);
    EXPECT_EQ(tags.back(), 9999);
    EXPECT_TRUE(std::is_sorted(tags.begin(), tags.begin() + unselected));
    EXPECT_TRUE(std::is_sorted(tags.begin() + unselected, tags.end()));

    ChangePathOrder(kOrderBackwardOne);
    EXPECT_EQ(DocTags()[static_cast<size_t>(unselected) - 1], 3);  // the block's lowest
    EXPECT_EQ(DocTags()[static_cast<size_t>(count) - 1], count);  // the unselected one passed over
}

TEST_F(PathAttributesTest, StackingOrderFinishesAPathBeingDrawnBeforeMovingIt)
{
    MakeStack(2, {1});
    BeginPath(0, 0, 1.0f, 1, 0, {0, 0, 0}, kOnCurve);
    AddAnchor(500, 0, kOnCurve);
    ASSERT_TRUE(IsBuildingPath());

    ChangePathOrder(kOrderToFront);
    EXPECT_FALSE(IsBuildingPath());
    EXPECT_EQ(History().HistoryPos, 1);  // the finished path is a step of its own
    EXPECT_EQ(DocTags(), (Tags{2, 0, 1}));
    EXPECT_EQ(Points(Path(2)), (std::vector<std::pair<int32_t, int32_t>>{{0, 0}, {500, 0}}));

    // A path being drawn that stays in front is left alone.
    BeginPath(0, 0, 1.0f, 1, 0, {0, 0, 0}, kOnCurve);
    AddAnchor(700, 0, kOnCurve);
    ChangePathOrder(kOrderToBack);
    EXPECT_TRUE(IsBuildingPath());
    EXPECT_EQ(DocTags(), (Tags{1, 2, 0, 0}));
}

TEST_F(PathAttributesTest, VisibilityAndLockCodes)
{
    struct Case {
        int16_t code;
        std::vector<int32_t> expected;  // DispFlags of paths 1..4 afterwards
    };
    // Paths 1 and 2 selected; flags before: 0, hidden + locked, hidden, locked.
    const Case cases[] = {
        {kShowSelected, {0, 2, 1, 2}},
        {kHideSelected, {1, 3, 1, 2}},
        {kShowAll, {0, 2, 0, 2}},
        {kShowOnlySelected, {0, 2, 1, 3}},
        {kToggleHiddenSelected, {1, 2, 1, 2}},
        {kUnlockSelected, {0, 1, 1, 2}},
        {kLockSelected, {2, 3, 1, 2}},
        {kUnlockAll, {0, 1, 1, 0}},
        {kLockAllButSelected, {0, 1, 3, 2}},
        {kToggleLockedSelected, {2, 1, 1, 2}},
        {0, {0, 3, 1, 2}},
        {6, {0, 3, 1, 2}},
        {16, {0, 3, 1, 2}},
    };
    for (const Case &c : cases) {
        ResetDocumentForTest();
        MakeStack(4, {1, 2});
        const int32_t before[] = {0, 3, 1, 2};
        for (int32_t i = 1; i <= 4; ++i) {
            Path(i).DispFlags = before[i - 1];
        }
        SetPathVisibleLock(c.code);
        for (int32_t i = 1; i <= 4; ++i) {
            EXPECT_EQ(Path(i).DispFlags, c.expected[static_cast<size_t>(i) - 1]) << "code " << c.code << " path " << i;
        }
    }
    EXPECT_EQ(History().HistoryPos, 0);

    // With nothing selected, "only the selection" hides or locks everything.
    ResetDocumentForTest();
    MakeStack(3, {});
    SetPathVisibleLock(kShowOnlySelected);
    SetPathVisibleLock(kLockAllButSelected);
    for (int32_t i = 1; i <= 3; ++i) {
        EXPECT_EQ(Path(i).DispFlags, kDispHidden | kDispLocked);
    }
    ResetDocumentForTest();
    SetPathVisibleLock(kShowAll);  // empty document
    EXPECT_EQ(Doc().DocPathCount(), 0);
}

TEST_F(PathAttributesTest, ClosedAndPaintModesChangeOnlySelectedPaths)
{
    MakeStack(3, {1, 3});
    SetSelectedClosed(true);
    EXPECT_TRUE(Path(1).blClosed && Path(3).blClosed);
    EXPECT_FALSE(Path(2).blClosed);
    EXPECT_EQ(History().HistoryPos, 0);  // left to the caller

    host.Calls.clear();
    SetSelectedPaintModes(0, kFillRadial);
    EXPECT_EQ(Path(3).LineMode, 0);
    EXPECT_EQ(Path(3).FillType, kFillRadial);
    EXPECT_EQ(Path(2).LineMode, 1);
    EXPECT_EQ(Path(2).FillType, kFillNone);
    EXPECT_EQ(History().HistoryPos, 1);
    EXPECT_EQ(CountCalls("RefreshList"), 1);

    Path(1).blSelected = Path(3).blSelected = false;
    SetSelectedPaintModes(1, kFillSolid);
    SetSelectedClosed(false);
    EXPECT_EQ(History().HistoryPos, 1);
    EXPECT_EQ(Path(1).FillType, kFillRadial);
    EXPECT_TRUE(Path(1).blClosed);
}

TEST_F(PathAttributesTest, LineWidthRoundsHalvesToEvenAndSaturates)
{
    MakeStack(2, {2});
    const std::pair<float, int32_t> widths[] = {
        {1.5f, 30}, {0.125f, 2}, {0.375f, 8}, {0.0f, 0}, {1e30f, INT32_MAX}, {-FLT_MAX, INT32_MIN}};
    int32_t steps = 0;
    for (auto [width, twips] : widths) {
        SetSelectedLineWidth(width);
        EXPECT_EQ(Path(2).LineWidth, twips) << width;
        EXPECT_EQ(History().HistoryPos, ++steps);
    }
    EXPECT_EQ(Path(1).LineWidth, 20);

    Path(2).blSelected = false;
    SetSelectedLineWidth(3.0f);  // nothing selected: no change, no undo step
    EXPECT_EQ(History().HistoryPos, steps);
}

TEST_F(PathAttributesTest, ColoursAreSetByFlagAndAveragedByByte)
{
    MakeStack(3, {1, 2});
    SetSelectedColors({0xFF0000FFu, 0x80FF0000u, 0x0000FF00u}, true, false, true);
    EXPECT_EQ(Path(1).LineColor, 0xFF0000FFu);
    EXPECT_EQ(Path(2).GradColor, 0x0000FF00u);
    EXPECT_EQ(Path(2).FillColor, 0u);
    EXPECT_EQ(Path(3).LineColor, 0u);
    EXPECT_EQ(History().HistoryPos, 1);

    // No flag set: no colour changes, yet the step is recorded.
    SetSelectedColors({1, 2, 3}, false, false, false);
    EXPECT_EQ(Path(1).LineColor, 0xFF0000FFu);
    EXPECT_EQ(History().HistoryPos, 2);

    // Opacity 255 and 0 average to 127, truncating; each byte on its own.
    Path(2).LineColor = 0x00020304u;
    Path(1).FillColor = 0x10203040u;
    Path(2).FillColor = 0x10203041u;
    Path(3).LineColor = 0xFFFFFFFFu;  // not selected
    std::array<Color, 3> colours{7, 7, 7};
    GetSelectedColors(colours);
    EXPECT_EQ(colours[0], 0x7F010181u);
    EXPECT_EQ(colours[1], 0x10203040u);
    EXPECT_EQ(colours[2], 0x0000FF00u);

    Path(1).blSelected = Path(2).blSelected = false;
    colours = {7, 8, 9};
    GetSelectedColors(colours);
    EXPECT_EQ(colours, (std::array<Color, 3>{7, 8, 9}));
    SetSelectedColors({1, 2, 3}, true, true, true);
    EXPECT_EQ(History().HistoryPos, 2);
}

}  // namespace
