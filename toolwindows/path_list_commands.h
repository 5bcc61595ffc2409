// The path list's pop-up menu: its items, built once per window, and the codes its items pass on
// to the drawing core.
#pragma once

#include "platform/forms/menus.h"

#include <memory>

namespace toolwindows {

using platform::Menu;
using platform::MenuArray;
using platform::MenuItem;

struct PathListMenus {
    PathListMenus();

    // The pop-up's root, never shown on a menu bar.
    std::unique_ptr<Menu> mnuListRoot;
    MenuItem *mnuPathCopy, *mnuPathCut, *mnuPathPaste, *mnuPathDelete;
    MenuItem *mnuPathVisible, *mnuPathInvisible, *mnuPathVisibleOnly, *mnuPathVisibleAll;
    Menu *mnuPathLock;
    MenuItem *mnuPathLockOff, *mnuPathLockOn, *mnuPathLockSelect, *mnuPathLockUnAll;
    // The path operations and the alignment, as the canvas's path pop-up shows them too.
    Menu *mnuFragmentPath;
    MenuItem *mnuFragmentOP1, *mnuFragmentOP2, *mnuFragmentOP3, *mnuFragmentOP4;
    Menu *mnuFormlineParent, *mnuFormlineH, *mnuFormlineV, *mnuFormlineC;
    // Alignment items: the index is the alignment code (1-4, 5-8, 9-11, 12-14).
    MenuArray *mnuFormline, *mnuFormline2, *mnuFormline3, *mnuFormline4;
    MenuItem *mnuPathFront, *mnuPathBack, *mnuPathFrontOne, *mnuPathBackOne;
    MenuItem *mnuPathGroupMake, *mnuPathGroupClear, *mnuPathGroupAgain;
    Menu *mnuPathCompound;
    MenuItem *mnuPathCompoundMake, *mnuPathCompoundClear, *mnuPathCompoundAgain;
    MenuItem *mnuPathSelectAll;
};

}  // namespace toolwindows
