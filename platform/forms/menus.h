// Menus as the windows use them: items with captions ("&" marks the access key, "-" makes a
// separator), check marks that change only when the program sets them, enabled and visible
// states, tags, item arrays loaded and unloaded at run time, and pop-up menus at the cursor with
// a default item shown in bold.
#pragma once

#include <QAction>
#include <QMenu>

#include <functional>
#include <map>

namespace platform {

class MenuItem : public QObject {
    Q_OBJECT
public:
    // A new item at the end of owner, or in front of before when given.
    MenuItem(QMenu *owner, const QString &caption, QAction *before = nullptr);

    QAction *Action() const { return action_; }
    QString Caption() const { return caption_; }
    void SetCaption(const QString &caption);
    bool Checked() const { return checked_; }
    void SetChecked(bool checked);
    bool Enabled() const { return action_->isEnabled(); }
    void SetEnabled(bool enabled) { action_->setEnabled(enabled); }
    bool Visible() const { return action_->isVisible(); }
    void SetVisible(bool visible) { action_->setVisible(visible); }
    QString Tag() const { return tag_; }
    void SetTag(const QString &tag) { tag_ = tag; }

    // Runs the item's handler as choosing it does.
    void Trigger() { action_->trigger(); }

signals:
    void Click();

private:
    QAction *action_;
    QString caption_;
    bool checked_ = false;
    QString tag_;
};

// A menu or submenu; Click fires when it drops down (before it shows).
class Menu : public QMenu {
    Q_OBJECT
public:
    Menu(const QString &caption, QWidget *parent = nullptr);
    QString Caption() const { return title(); }
    bool Visible() const { return menuAction()->isVisible(); }
    void SetVisible(bool visible) { menuAction()->setVisible(visible); }
    bool Enabled() const { return menuAction()->isEnabled(); }
    void SetEnabled(bool enabled) { menuAction()->setEnabled(enabled); }
    // A submenu at the end of this menu.
    Menu *AddMenu(const QString &caption);
    void AddSeparator() { addSeparator(); }

signals:
    void Click();
};

// An item array: items with indices, the first one (index 0 unless given) made with the menu,
// the others loaded and unloaded while the program runs. Loaded items sit together in index order.
class MenuArray : public QObject {
    Q_OBJECT
public:
    MenuArray(QMenu *owner, const QString &firstCaption, int firstIndex = 0);

    // The item of index, or nullptr when it is not loaded.
    MenuItem *Item(int index) const;
    int UBound() const { return items_.empty() ? -1 : items_.rbegin()->first; }
    // Loads item index (a copy of the first item's state); an index already loaded is returned as
    // it is.
    MenuItem *Load(int index);
    // Unloads item index; the first item stays.
    void Unload(int index);
    // Unloads every item but the first.
    void UnloadAboveFirst();

signals:
    void Click(int index);

private:
    MenuItem *Create(int index, QAction *before);

    QMenu *owner_;
    int firstIndex_;
    std::map<int, MenuItem *> items_;
};

// Shows menu at the mouse cursor and waits until it closes; defaultItem (may be null) is bold.
// Returns the chosen action or nullptr.
QAction *PopupMenu(QMenu *menu, MenuItem *defaultItem = nullptr);

// Tests answer pop-up menus through a hook (it gets the menu, returns the action to choose or
// nullptr); an empty hook shows them again.
using PopupMenuHook = std::function<QAction *(QMenu *)>;
void SetPopupMenuHook(PopupMenuHook hook);

}  // namespace platform
