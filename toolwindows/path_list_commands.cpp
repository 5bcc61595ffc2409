#include "toolwindows/path_list_commands.h"

#include "core/alignment.h"
#include "core/clipboard.h"
#include "core/document.h"
#include "core/groups.h"
#include "core/history.h"
#include "core/memory_guard.h"
#include "core/path_attributes.h"
#include "core/path_boolean_commands.h"
#include "movie/canvas_movie.h"
#include "platform/forms/key_codes.h"
#include "toolwindows/main_window_link.h"
#include "toolwindows/path_list_window.h"
#include "toolwindows/path_submenus.h"

#include <functional>

namespace toolwindows {
namespace {

using core::Doc;

MenuItem *Item(QMenu *menu, const char *caption)
{
    return new MenuItem(menu, QString::fromUtf8(caption));
}

void Separator(QMenu *menu)
{
    Item(menu, "-");
}

Menu *SubMenu(Menu *parent, const char *caption)
{
    return parent->AddMenu(QString::fromUtf8(caption));
}

void EnableAll(std::initializer_list<MenuItem *> items, bool enabled)
{
    for (MenuItem *item : items) {
        item->SetEnabled(enabled);
    }
}

}  // namespace

PathListMenus::PathListMenus() : mnuListRoot(std::make_unique<Menu>(QStringLiteral("リストメニュー")))
{
    Menu *root = mnuListRoot.get();
    mnuPathCopy = Item(root, "コピー(&C)");
    mnuPathCut = Item(root, "切り取り(&T)");
    mnuPathPaste = Item(root, "貼り付け(&P)");
    mnuPathDelete = Item(root, "削除(&D)");
    Separator(root);
    mnuPathVisible = Item(root, "表示する(&V)");
    mnuPathInvisible = Item(root, "非表示にする(&I)");
    mnuPathVisibleOnly = Item(root, "選択パスだけ表示(&O)");
    mnuPathVisibleAll = Item(root, "全てのパスを表示(&S)");
    mnuPathLock = SubMenu(root, "パスのロック(&L)");
    mnuPathLockOff = Item(mnuPathLock, "ロック解除(&U)");
    mnuPathLockOn = Item(mnuPathLock, "ロックする(&L)");
    mnuPathLockSelect = Item(mnuPathLock, "選択パス以外をロック(&S)");
    mnuPathLockUnAll = Item(mnuPathLock, "全てロック解除(&A)");
    Separator(root);
    AddPathOperationMenu(root, *this);
    AddAlignmentMenu(root, *this);
    Separator(root);
    mnuPathFront = Item(root, "最前面へ移動(&F)    Ctrl+<");
    mnuPathBack = Item(root, "最背面へ移動(&B)    Ctrl+>");
    mnuPathFrontOne = Item(root, "ひとつ前面           <");
    mnuPathBackOne = Item(root, "ひとつ背面            >");
    Separator(root);
    mnuPathGroupMake = Item(root, "グループ化する(&G)");
    mnuPathGroupClear = Item(root, "グループ化解除(&U)");
    mnuPathGroupAgain = Item(root, "再グループ化(&R)");
    mnuPathCompound = SubMenu(root, "複合パス(&M)");
    mnuPathCompoundMake = Item(mnuPathCompound, "複合パス化する(&C)");
    mnuPathCompoundClear = Item(mnuPathCompound, "複合パス解除(&U)");
    mnuPathCompoundAgain = Item(mnuPathCompound, "再複合パス化(&R)");
    Separator(root);
    mnuPathSelectAll = Item(root, "全て選択(&A)");
}

void PathGUI::ConnectCommands()
{
    auto on = [this](MenuItem *item, auto handler) { connect(item, &MenuItem::Click, this, handler); };
    on(menus.mnuPathCopy, &PathGUI::mnuPathCopy_Click);
    on(menus.mnuPathCut, &PathGUI::mnuPathCut_Click);
    on(menus.mnuPathPaste, &PathGUI::mnuPathPaste_Click);
    on(menus.mnuPathDelete, &PathGUI::mnuPathDelete_Click);
    const std::pair<MenuItem *, int16_t> visibilityItems[] = {
        {menus.mnuPathVisible, core::kShowSelected},      {menus.mnuPathInvisible, core::kHideSelected},
        {menus.mnuPathVisibleOnly, core::kShowOnlySelected}, {menus.mnuPathVisibleAll, core::kShowAll},
        {menus.mnuPathLockOff, core::kUnlockSelected},    {menus.mnuPathLockOn, core::kLockSelected},
        {menus.mnuPathLockSelect, core::kLockAllButSelected}, {menus.mnuPathLockUnAll, core::kUnlockAll}};
    for (auto [item, code] : visibilityItems) {
        on(item, [this, code = code] { SetVisibleLock(code); });
    }
    int32_t operation = 1;
    for (MenuItem *item : {menus.mnuFragmentOP1, menus.mnuFragmentOP2, menus.mnuFragmentOP3, menus.mnuFragmentOP4}) {
        on(item, [this, operation] { mnuFragmentOP_Click(operation); });
        ++operation;
    }
    for (MenuArray *array : {menus.mnuFormline, menus.mnuFormline2, menus.mnuFormline3, menus.mnuFormline4}) {
        connect(array, &MenuArray::Click, this, [this](int code) { mnuFormline_Click(static_cast<int16_t>(code)); });
    }
    const std::pair<MenuItem *, int16_t> orderItems[] = {
        {menus.mnuPathFront, core::kOrderToFront},        {menus.mnuPathBack, core::kOrderToBack},
        {menus.mnuPathFrontOne, core::kOrderForwardOne}, {menus.mnuPathBackOne, core::kOrderBackwardOne}};
    for (auto [item, code] : orderItems) {
        on(item, [this, code = code] { ChangeOrder(code); });
    }
    on(menus.mnuPathGroupMake, &PathGUI::mnuPathGroupMake_Click);
    on(menus.mnuPathGroupClear, &PathGUI::mnuPathGroupClear_Click);
    on(menus.mnuPathGroupAgain, &PathGUI::mnuPathGroupAgain_Click);
    on(menus.mnuPathCompoundMake, &PathGUI::mnuPathCompoundMake_Click);
    on(menus.mnuPathCompoundClear, &PathGUI::mnuPathCompoundClear_Click);
    on(menus.mnuPathCompoundAgain, &PathGUI::mnuPathCompoundAgain_Click);
    on(menus.mnuPathSelectAll, &PathGUI::mnuPathSelectAll_Click);
}

void PathGUI::ShowListMenu()
{
    platform::PopupMenu(menus.mnuListRoot.get());
}

void PathGUI::UpdateListMenu()
{
    int32_t selected = core::CountSelectedPaths();
    EnableAll({menus.mnuPathGroupMake, menus.mnuPathGroupClear, menus.mnuPathGroupAgain, menus.mnuPathCompoundMake,
               menus.mnuPathCompoundClear, menus.mnuPathCompoundAgain},
              false);
    int32_t current = CurrentRowPath();
    if (ListIndex() >= 0) {
        menus.mnuPathGroupMake->SetEnabled(selected > 1);
        menus.mnuPathCompoundMake->SetEnabled(selected > 1);
    }
    if (ListIndex() >= 0 && current >= 1 && current <= Doc().DocPathCount()) {
        const core::PathRecord &path = std::as_const(Doc().DocPaths)[static_cast<size_t>(current)];
        menus.mnuPathGroupClear->SetEnabled(path.blGroup);
        menus.mnuPathGroupAgain->SetEnabled(!path.blGroup && path.GroupID > 0);
        menus.mnuPathCompoundClear->SetEnabled(path.blCompound);
        menus.mnuPathCompoundAgain->SetEnabled(!path.blCompound && path.CompoundID > 0);
    }
    EnableAll({menus.mnuPathCopy, menus.mnuPathCut, menus.mnuPathDelete, menus.mnuPathVisible, menus.mnuPathInvisible,
               menus.mnuPathVisibleOnly, menus.mnuPathLockOff, menus.mnuPathLockOn, menus.mnuPathLockSelect},
              selected >= 1);
    EnableAll({menus.mnuPathFront, menus.mnuPathBack, menus.mnuPathFrontOne, menus.mnuPathBackOne},
              ListCount() > 1 && selected > 0);
    EnableAll({menus.mnuPathPaste, menus.mnuPathVisibleAll, menus.mnuPathLockUnAll, menus.mnuFragmentOP1,
               menus.mnuFragmentOP2, menus.mnuFragmentOP3, menus.mnuFragmentOP4, menus.mnuPathSelectAll},
              true);
}

void PathGUI::FinishEdit(bool remakeMovie)
{
    core::RecordHistory();
    if (remakeMovie) {
        movie::MakeCanvasMovie();
    }
    MainWindow().DispShape(1);
}

// Copy, cut and delete are the main window's edit-menu commands, run through their menu items.
void PathGUI::mnuPathCopy_Click()
{
    MainWindow().RunEditCommand(EditCommand::kCopy);
}

void PathGUI::mnuPathCut_Click()
{
    MainWindow().RunEditCommand(EditCommand::kCut);
}

void PathGUI::mnuPathDelete_Click()
{
    MainWindow().RunEditCommand(EditCommand::kDelete);
}

void PathGUI::mnuPathPaste_Click()
{
    if (core::GetClipCount() == 0) {
        return;
    }
    // Behind the current row's path; with no current row (-1), in front of every path.
    core::RunWithinMemory([&] {
        core::PastePaths(0, 0, true, ListIndex());
        FinishEdit(true);
    });
}

void PathGUI::SetVisibleLock(int16_t code)
{
    core::SetPathVisibleLock(code);
    RefreshList();
    movie::MakeCanvasMovie();
    MainWindow().DispShape(1);
}

void PathGUI::mnuFragmentOP_Click(int32_t operation)
{
    core::ApplyFragment(operation);
    FinishEdit(true);
}

void PathGUI::mnuFormline_Click(int16_t code)
{
    core::AlignPaths(code);
    FinishEdit(true);
}

void PathGUI::ChangeOrder(int16_t code)
{
    core::ChangePathOrder(code);
    FinishEdit(true);
}

void PathGUI::mnuPathGroupMake_Click()
{
    core::MakeGroup(true);
    FinishEdit(false);
}

void PathGUI::mnuPathGroupClear_Click()
{
    core::MakeGroup(false);
    FinishEdit(false);
}

void PathGUI::mnuPathGroupAgain_Click()
{
    core::GroupAgain(CurrentRowPath());
    FinishEdit(false);
}

void PathGUI::mnuPathCompoundMake_Click()
{
    core::MakeCompound(true, CurrentRowPath());
    FinishEdit(true);
}

void PathGUI::mnuPathCompoundClear_Click()
{
    core::MakeCompound(false, CurrentRowPath());
    FinishEdit(true);
}

void PathGUI::mnuPathCompoundAgain_Click()
{
    core::CompoundAgain(CurrentRowPath());
    FinishEdit(true);
}

void PathGUI::mnuPathSelectAll_Click()
{
    core::SelectAllPaths();
    MainWindow().DispShape(1);
}

// ---- keys ----

void PathGUI::Form_KeyDown(int keyCode, int /*shift*/)
{
    if (keyCode == platform::kVkOemComma) {
        ChangeOrder(core::kOrderForwardOne);
    } else if (keyCode == platform::kVkOemPeriod) {
        ChangeOrder(core::kOrderBackwardOne);
    }
}

void PathGUI::Form_KeyUp(int keyCode, int shift)
{
    // Letters that act with Ctrl alone and do nothing otherwise.
    const std::pair<int, std::function<void()>> ctrlKeys[] = {
        {'C', [this] { mnuPathCopy_Click(); }},
        {'X', [this] { mnuPathCut_Click(); }},
        {'A', [this] { mnuPathSelectAll_Click(); }},
        {'V', [this] { mnuPathPaste_Click(); }},
        {'Z', [] { MainWindow().RunEditCommand(EditCommand::kUndo); }},
        {'Y', [] { MainWindow().RunEditCommand(EditCommand::kRedo); }},
    };
    for (const auto &[key, command] : ctrlKeys) {
        if (keyCode == key) {
            if (shift == platform::kCtrlMask) {
                command();
            }
            return;
        }
    }
    if (keyCode == platform::kVkDelete) {
        mnuPathDelete_Click();
    } else if (keyCode != platform::kVkOemComma && keyCode != platform::kVkOemPeriod) {
        MainWindow().Form_KeyUp(keyCode, shift);  // the main window's shortcuts work from the list too
    }
}

}  // namespace toolwindows
