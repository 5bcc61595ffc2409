#include "tests/toolwindows/path_list_fixture.h"

#include "core/clipboard.h"
#include "core/groups.h"
#include "platform/forms/key_codes.h"

using core::Doc;
using namespace testsupport;

namespace {

class PathListCommandsTest : public testsupport::PathListFixture {
protected:
    // Three squares with paths 1 and 3 selected through their rows.
    void SetUp() override
    {
        PathListFixture::SetUp();
        AddSquares(3);
        ClickRows({3, 1});
        step = HistoryPos();
    }
    int32_t StepsAdded() const { return HistoryPos() - step; }
    // How often a main-window menu item's handler runs.
    int *CountClicks(platform::MenuItem *item)
    {
        auto *count = new int(0);
        counters.emplace_back(count);
        QObject::connect(item, &platform::MenuItem::Click, list, [count] { ++*count; });
        return count;
    }
    int32_t step = 0;
    std::vector<std::unique_ptr<int>> counters;
};

TEST_F(PathListCommandsTest, VisibilityAndLockItemsRecordNoUndoStep)
{
    ChooseFromPopup(QStringLiteral("非表示にする(&I)"));
    EXPECT_TRUE(Path(1).IsHidden());
    EXPECT_FALSE(Path(2).IsHidden());
    EXPECT_TRUE(list->RowText(Row(3)).startsWith(QStringLiteral("   3|□|")));
    ChooseFromPopup(QStringLiteral("全てのパスを表示(&S)"));
    EXPECT_FALSE(Path(1).IsHidden());
    ChooseFromPopup(QStringLiteral("選択パス以外をロック(&S)"));
    EXPECT_TRUE(Path(2).IsLocked());
    EXPECT_FALSE(Path(3).IsLocked());
    ChooseFromPopup(QStringLiteral("全てロック解除(&A)"));
    EXPECT_FALSE(Path(2).IsLocked());
    ChooseFromPopup(QStringLiteral("選択パスだけ表示(&O)"));
    EXPECT_TRUE(Path(2).IsHidden());
    EXPECT_FALSE(Path(1).IsHidden());
    EXPECT_EQ(StepsAdded(), 0);
}

TEST_F(PathListCommandsTest, AlignmentMovesTheSelectionInOneUndoStep)
{
    ChooseFromPopup(QStringLiteral("右揃え(&R)"));
    EXPECT_EQ(Path(1).Anchors[1].X, Path(3).Anchors[1].X);
    EXPECT_EQ(Path(1).Anchors[1].X, 700);
    EXPECT_EQ(Path(2).Anchors[0].X, 400);
    EXPECT_EQ(StepsAdded(), 1);
    core::UndoHistory();
    EXPECT_EQ(Path(1).Anchors[0].X, 200);

    ClickRows({1});
    ChooseFromPopup(QStringLiteral("上端(&T)"));
    EXPECT_EQ(Path(1).Anchors[0].Y, 0);
}

TEST_F(PathListCommandsTest, OrderItemsAndKeysMoveInTheStackInOneStepEach)
{
    ChooseFromPopup(QStringLiteral("最背面へ移動(&B)    Ctrl+>"));
    EXPECT_TRUE(Selected(1));
    EXPECT_TRUE(Selected(2));  // the selected paths now lie at the back
    EXPECT_FALSE(Selected(3));
    EXPECT_EQ(StepsAdded(), 1);

    list->Form_KeyDown(platform::kVkOemComma, kCtrl);  // "<" moves forward whatever the modifiers
    EXPECT_FALSE(Selected(1));
    EXPECT_TRUE(Selected(3));
    EXPECT_EQ(StepsAdded(), 2);
    list->Form_KeyDown(platform::kVkOemPeriod, 0);
    EXPECT_TRUE(Selected(1));
    EXPECT_EQ(StepsAdded(), 3);
    list->Form_KeyUp(platform::kVkOemComma, 0);  // the key up of "<" does nothing more
    EXPECT_EQ(StepsAdded(), 3);
}

TEST_F(PathListCommandsTest, GroupItemsActOnTheCurrentRowInOneStepEach)
{
    ChooseFromPopup(QStringLiteral("グループ化する(&G)"));
    EXPECT_TRUE(Path(1).blGroup);
    EXPECT_EQ(Path(1).GroupID, Path(3).GroupID);
    EXPECT_EQ(StepsAdded(), 1);
    ChooseFromPopup(QStringLiteral("グループ化解除(&U)"));
    EXPECT_FALSE(Path(1).blGroup);
    EXPECT_EQ(StepsAdded(), 2);

    core::DeselectAllPaths();
    list->SetListIndex(Row(3));
    list->UpdateListMenu();
    ChooseFromPopup(QStringLiteral("再グループ化(&R)"));
    EXPECT_TRUE(Path(3).blGroup);
    EXPECT_TRUE(Selected(1));
    EXPECT_EQ(StepsAdded(), 3);
}

TEST_F(PathListCommandsTest, ClearCompoundActsOnTheCurrentRowsCompoundOnly)
{
    ChooseFromPopup(QStringLiteral("複合パス化する(&C)"));
    ASSERT_TRUE(Path(1).blCompound);
    int32_t firstCompound = Path(1).CompoundID;
    EXPECT_EQ(StepsAdded(), 1);

    // A second compound of path 2 alone is selected too; the current row names path 3.
    Doc().DocPaths[2].blCompound = true;
    Doc().DocPaths[2].CompoundID = firstCompound + 1;
    Doc().DocPaths[2].blSelected = true;
    list->SetListIndex(Row(3));
    list->UpdateListMenu();
    ChooseFromPopup(QStringLiteral("複合パス解除(&U)"));
    EXPECT_FALSE(Path(1).blCompound);
    EXPECT_FALSE(Path(3).blCompound);
    EXPECT_TRUE(Path(2).blCompound);
    EXPECT_EQ(StepsAdded(), 2);

    list->SetListIndex(Row(1));
    list->UpdateListMenu();
    ChooseFromPopup(QStringLiteral("再複合パス化(&R)"));
    EXPECT_TRUE(Path(1).blCompound);
    EXPECT_TRUE(Path(3).blCompound);
    EXPECT_EQ(StepsAdded(), 3);
}

TEST_F(PathListCommandsTest, PathOperationCombinesTheSelectionInOneStep)
{
    ChooseFromPopup(QStringLiteral("結合(&O)"));
    EXPECT_EQ(StepsAdded(), 1);
    core::UndoHistory();
    EXPECT_EQ(Doc().DocPathCount(), 3);
}

TEST_F(PathListCommandsTest, PasteGoesBehindTheCurrentRowOrToTheFront)
{
    core::CopySelectedPaths(0, 0);
    list->SetListIndex(Row(2));
    ChooseFromPopup(QStringLiteral("貼り付け(&P)"));
    ASSERT_EQ(Doc().DocPathCount(), 5);
    // Paths 1 and 3 were copied; the copies sit right behind the old path 2, exactly over the originals.
    EXPECT_TRUE(Selected(2));
    EXPECT_TRUE(Selected(3));
    EXPECT_EQ(Path(2).Anchors, Path(1).Anchors);
    EXPECT_EQ(Path(3).Anchors, Path(5).Anchors);
    EXPECT_EQ(StepsAdded(), 1);

    list->List1->setCurrentIndex(QModelIndex());
    ASSERT_EQ(list->ListIndex(), -1);
    list->Form_KeyUp('V', kCtrl);
    ASSERT_EQ(Doc().DocPathCount(), 7);
    EXPECT_TRUE(Selected(6));
    EXPECT_TRUE(Selected(7));
    EXPECT_EQ(StepsAdded(), 2);
}

TEST_F(PathListCommandsTest, SelectAllByItemAndCtrlA)
{
    ChooseFromPopup(QStringLiteral("全て選択(&A)"));
    EXPECT_TRUE(Selected(2));
    for (int row = 0; row < 3; ++row) {
        EXPECT_TRUE(list->RowSelected(row));
    }
    core::DeselectAllPaths();
    list->Form_KeyUp('A', kCtrl | kShift);  // only Ctrl alone counts
    EXPECT_FALSE(Selected(2));
    list->Form_KeyUp('A', kCtrl);
    EXPECT_TRUE(Selected(2));
    EXPECT_EQ(StepsAdded(), 0);
}

TEST_F(PathListCommandsTest, CopyCutDeleteUndoAndRedoRunTheMainWindowCommands)
{
    int *copies = CountClicks(window->menus.mnuCopyPathEdit);
    int *cuts = CountClicks(window->menus.mnuCutPathEdit);
    int *deletes = CountClicks(window->menus.mnuDeletePathEdit);
    int *undos = CountClicks(window->menus.mnuUnDo);
    int *redos = CountClicks(window->menus.mnuReDo);
    ChooseFromPopup(QStringLiteral("コピー(&C)"));
    list->Form_KeyUp('C', kCtrl);
    list->Form_KeyUp('C', 0);
    ChooseFromPopup(QStringLiteral("切り取り(&T)"));
    list->Form_KeyUp('X', kCtrl);
    ClickRows({1});  // the cut took the selection: the list's delete needs one
    ChooseFromPopup(QStringLiteral("削除(&D)"));
    list->Form_KeyUp(platform::kVkDelete, kShift);
    list->Form_KeyUp('Z', kCtrl);
    list->Form_KeyUp('Y', kCtrl);
    list->Form_KeyUp('Y', kAlt);
    EXPECT_EQ(*copies, 2);
    EXPECT_EQ(*cuts, 2);
    EXPECT_EQ(*deletes, 2);
    EXPECT_EQ(*undos, 1);
    EXPECT_EQ(*redos, 1);
}

TEST_F(PathListCommandsTest, EnablingFollowsSelectionCurrentRowAndPathCount)
{
    const toolwindows::PathListMenus &m = list->menus;
    list->SetListIndex(Row(3));
    list->UpdateListMenu();
    EXPECT_TRUE(m.mnuPathGroupMake->Enabled());
    EXPECT_TRUE(m.mnuPathCompoundMake->Enabled());
    EXPECT_FALSE(m.mnuPathGroupClear->Enabled());
    EXPECT_FALSE(m.mnuPathGroupAgain->Enabled());
    EXPECT_TRUE(m.mnuPathFront->Enabled());

    core::DeselectAllPaths();
    EXPECT_FALSE(m.mnuPathCopy->Enabled());
    EXPECT_FALSE(m.mnuPathLockOn->Enabled());
    EXPECT_FALSE(m.mnuPathBackOne->Enabled());
    EXPECT_TRUE(m.mnuPathPaste->Enabled());
    EXPECT_TRUE(m.mnuPathVisibleAll->Enabled());
    EXPECT_TRUE(m.mnuPathSelectAll->Enabled());
    EXPECT_TRUE(m.mnuFragmentOP1->Enabled());

    // One selected path: the order items need a second path in the document.
    Doc().DocPaths.resize(2);
    Doc().DocPaths[1].blSelected = true;
    core::RecordHistory();
    EXPECT_TRUE(m.mnuPathCopy->Enabled());
    EXPECT_FALSE(m.mnuPathFront->Enabled());
    EXPECT_FALSE(m.mnuPathGroupMake->Enabled());

    // A disabled item cannot be chosen from the pop-up.
    ChooseFromPopup(QStringLiteral("最前面へ移動(&F)    Ctrl+<"));
    EXPECT_EQ(Doc().DocPathCount(), 1);
}

TEST_F(PathListCommandsTest, RightButtonShowsThePopupAndMarksItShown)
{
    list->List1_MouseUp(kRight, 0, 5, 5);
    ASSERT_FALSE(popups.empty());
    EXPECT_EQ(popups.back(), list->menus.mnuListRoot.get());
    EXPECT_TRUE(canvastools::Input().PopupShown);
}

}  // namespace
