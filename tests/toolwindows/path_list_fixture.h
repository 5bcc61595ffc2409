// A started main window with the path list opened from the View menu, and helpers that act on
// the rows as the user does.
#pragma once

#include "tests/mainwindow/panel_fixture.h"
#include "toolwindows/path_list_window.h"

#include <QItemSelectionModel>

namespace testsupport {

// Starts without a settings file, so the list is closed until the View menu opens it.
class PathListFixture : public PanelFixture {
protected:
    void SetUp() override
    {
        PanelFixture::SetUp();
        window->menus.mnuDispPathGUI->Trigger();
        list = toolwindows::PathListWindow();
        ASSERT_NE(list, nullptr);
        QApplication::processEvents();
    }
    void TearDown() override
    {
        platform::SetPopupMenuHook(nullptr);
        PanelFixture::TearDown();
    }

    // Appends squares of 100 twips in a row and records them as one step; returns the new count.
    int32_t AddSquares(int count)
    {
        for (int i = 0; i < count; ++i) {
            AddSquare(200 + 200 * i, 200, 100);
        }
        core::RecordHistory();
        return core::Doc().DocPathCount();
    }
    // The row showing path i.
    int Row(int32_t i) const { return core::Doc().DocPathCount() - i; }
    // The user selects exactly these rows (by path index); the list's click handler runs.
    void ClickRows(std::initializer_list<int32_t> paths)
    {
        // As a click does, the clicked row becomes current before the selection changes.
        if (paths.size() > 0) {
            list->SetListIndex(Row(*paths.begin()));
        }
        QItemSelection selection;
        for (int32_t i : paths) {
            QModelIndex index = list->List1->model()->index(Row(i), 0);
            selection.select(index, index);
        }
        list->List1->selectionModel()->select(selection, QItemSelectionModel::ClearAndSelect);
    }
    bool Selected(int32_t i) const { return Path(i).blSelected; }
    // Right-clicks the rows and chooses the pop-up item with this caption (searched in submenus).
    void ChooseFromPopup(const QString &caption)
    {
        platform::SetPopupMenuHook([caption](QMenu *menu) { return FindAction(menu, caption); });
        list->List1_MouseUp(kRight, 0, 5, 5);
        platform::SetPopupMenuHook([](QMenu *) { return nullptr; });
    }
    static QAction *FindAction(QMenu *menu, const QString &caption)
    {
        for (QAction *action : menu->actions()) {
            if (action->menu()) {
                if (QAction *found = FindAction(action->menu(), caption)) {
                    return found;
                }
            } else if (action->text() == caption) {
                return action;
            }
        }
        return nullptr;
    }

    toolwindows::PathGUI *list = nullptr;
};

}  // namespace testsupport
