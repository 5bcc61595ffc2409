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
    int32_t step = 0;
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

}  // namespace
