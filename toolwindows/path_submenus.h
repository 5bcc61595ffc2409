// The submenus that the canvas's path pop-up and the path list's pop-up share: the path operations
// and the alignment. Both pop-ups name these items alike, so one builder fills either menu set
// and both show the same items with the same codes.
#pragma once

#include "platform/forms/menus.h"

#include <initializer_list>

namespace toolwindows {

// An item array of the alignment codes firstCode, firstCode + 1, ... with these captions.
platform::MenuArray *AddAlignmentItems(platform::Menu *menu, int firstCode,
                                       std::initializer_list<const char *> captions);

// Adds "パス演算(&E)" to parent, with union, intersection and the cuts keeping the back or the
// front (operations 1-4), as the menus' mnuFragmentPath and mnuFragmentOP1-4.
template <class Menus>
void AddPathOperationMenu(platform::Menu *parent, Menus &menus)
{
    menus.mnuFragmentPath = parent->AddMenu(QStringLiteral("パス演算(&E)"));
    menus.mnuFragmentOP1 = new platform::MenuItem(menus.mnuFragmentPath, QStringLiteral("結合(&O)"));
    menus.mnuFragmentOP2 = new platform::MenuItem(menus.mnuFragmentPath, QStringLiteral("共通(&A)"));
    menus.mnuFragmentOP3 = new platform::MenuItem(menus.mnuFragmentPath, QStringLiteral("切り取り(背面)(&B)"));
    menus.mnuFragmentOP4 = new platform::MenuItem(menus.mnuFragmentPath, QStringLiteral("切り取り(前面)(&F)"));
}

// Adds "配置(&R)" to parent: left and right, up and down, and on the canvas, whose item arrays
// mnuFormline to mnuFormline4 hold the alignment codes 1-4, 5-8, 9-11 and 12-14.
template <class Menus>
void AddAlignmentMenu(platform::Menu *parent, Menus &menus)
{
    menus.mnuFormlineParent = parent->AddMenu(QStringLiteral("配置(&R)"));
    menus.mnuFormlineH = menus.mnuFormlineParent->AddMenu(QStringLiteral("左右(&H)"));
    menus.mnuFormline = AddAlignmentItems(menus.mnuFormlineH, 1, {"左揃え(&L)", "中央揃え(&C)", "右揃え(&R)", "均等配列(&H)"});
    menus.mnuFormlineV = menus.mnuFormlineParent->AddMenu(QStringLiteral("上下(&V)"));
    menus.mnuFormline2 = AddAlignmentItems(menus.mnuFormlineV, 5, {"上揃え(&T)", "中央揃え(&M)", "下揃え(&B)", "均等配列(&V)"});
    menus.mnuFormlineC = menus.mnuFormlineParent->AddMenu(QStringLiteral("キャンバス(&C)"));
    menus.mnuFormline3 = AddAlignmentItems(menus.mnuFormlineC, 9, {"左端(&L)", "左右中央(&C)", "右端(&R)"});
    menus.mnuFormlineC->AddSeparator();
    menus.mnuFormline4 = AddAlignmentItems(menus.mnuFormlineC, 12, {"上端(&T)", "上下中央(&M)", "下端(&B)"});
}

}  // namespace toolwindows
