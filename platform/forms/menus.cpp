#include "platform/forms/menus.h"

#include <QCursor>

namespace platform {
namespace {

PopupMenuHook &PopupHook()
{
    static PopupMenuHook hook;
    return hook;
}

// The action in owner right after action, or nullptr at the end.
QAction *ActionAfter(QMenu *owner, QAction *action)
{
    const QList<QAction *> actions = owner->actions();
    qsizetype at = actions.indexOf(action);
    return (at >= 0 && at + 1 < actions.size()) ? actions[at + 1] : nullptr;
}

}  // namespace

MenuItem::MenuItem(QMenu *owner, const QString &caption, QAction *before) : QObject(owner), action_(new QAction(owner))
{
    SetCaption(caption);
    owner->insertAction(before, action_);
    connect(action_, &QAction::triggered, this, [this] {
        // Qt flips a checkable action by itself; the handlers decide the mark.
        action_->setChecked(checked_);
        emit Click();
    });
}

void MenuItem::SetCaption(const QString &caption)
{
    // A "-" item is a separator line; styles would print a separator's text beside the line.
    caption_ = caption;
    bool separator = caption == QStringLiteral("-");
    action_->setSeparator(separator);
    action_->setText(separator ? QString() : caption);
}

void MenuItem::SetChecked(bool checked)
{
    checked_ = checked;
    action_->setCheckable(checked);
    action_->setChecked(checked);
}

Menu::Menu(const QString &caption, QWidget *parent) : QMenu(caption, parent)
{
    connect(this, &QMenu::aboutToShow, this, &Menu::Click);
}

Menu *Menu::AddMenu(const QString &caption)
{
    auto *menu = new Menu(caption, this);
    addMenu(menu);
    return menu;
}

MenuArray::MenuArray(QMenu *owner, const QString &firstCaption, int firstIndex)
    : QObject(owner), owner_(owner), firstIndex_(firstIndex)
{
    Create(firstIndex, nullptr)->SetCaption(firstCaption);
}

MenuItem *MenuArray::Create(int index, QAction *before)
{
    auto *item = new MenuItem(owner_, QString(), before);
    connect(item, &MenuItem::Click, this, [this, index] { emit Click(index); });
    items_[index] = item;
    return item;
}

MenuItem *MenuArray::Item(int index) const
{
    auto found = items_.find(index);
    return found == items_.end() ? nullptr : found->second;
}

MenuItem *MenuArray::Load(int index)
{
    if (MenuItem *loaded = Item(index)) {
        return loaded;
    }
    auto below = items_.lower_bound(index);
    QAction *before = nullptr;
    if (below != items_.begin()) {
        before = ActionAfter(owner_, std::prev(below)->second->Action());
    } else if (!items_.empty()) {
        before = items_.begin()->second->Action();
    }
    MenuItem *item = Create(index, before);
    if (MenuItem *first = Item(firstIndex_)) {
        item->SetCaption(first->Caption());
        item->SetEnabled(first->Enabled());
        item->SetVisible(first->Visible());
    }
    return item;
}

void MenuArray::Unload(int index)
{
    auto found = items_.find(index);
    if (index == firstIndex_ || found == items_.end()) {
        return;
    }
    owner_->removeAction(found->second->Action());
    delete found->second->Action();
    delete found->second;
    items_.erase(found);
}

void MenuArray::UnloadAboveFirst()
{
    while (UBound() > firstIndex_) {
        Unload(UBound());
    }
}

QAction *PopupMenu(QMenu *menu, MenuItem *defaultItem)
{
    menu->setDefaultAction(defaultItem ? defaultItem->Action() : nullptr);
    for (QAction *action : menu->actions()) {
        QFont font = action->font();
        font.setBold(defaultItem && action == defaultItem->Action());
        action->setFont(font);
    }
    if (PopupHook()) {
        QAction *chosen = PopupHook()(menu);
        if (chosen) {
            chosen->trigger();
        }
        return chosen;
    }
    return menu->exec(QCursor::pos());
}

void SetPopupMenuHook(PopupMenuHook hook)
{
    PopupHook() = std::move(hook);
}

}  // namespace platform
