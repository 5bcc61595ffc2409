#include "platform/forms/controls.h"
#include "platform/forms/key_codes.h"
#include "platform/forms/key_preview.h"
#include "platform/forms/menus.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMainWindow>
#include <gtest/gtest.h>

using namespace platform;

TEST(ScrollBarControl, ChangeFiresForProgramValuesAndScrollWhileDragging)
{
    ScrollBar bar(Qt::Horizontal);
    int changes = 0;
    int scrolls = 0;
    QObject::connect(&bar, &ScrollBar::Change, [&] { ++changes; });
    QObject::connect(&bar, &ScrollBar::Scroll, [&] { ++scrolls; });
    bar.SetMin(-20);
    bar.SetMax(30);
    bar.SetValue(10);
    EXPECT_EQ(changes, 1);
    bar.SetValue(10);  // same value: nothing
    EXPECT_EQ(changes, 1);
    bar.SetMax(5);  // the range pulls the value in, which is a change
    EXPECT_EQ(bar.Value(), 5);
    EXPECT_EQ(changes, 2);
    bar.setSliderDown(true);
    bar.setSliderPosition(-3);
    EXPECT_EQ(scrolls, 1);
    EXPECT_EQ(changes, 2);
}

TEST(ScrollBarControl, ArrowKeysStepBackAndOnInEitherOrientation)
{
    for (Qt::Orientation orientation : {Qt::Horizontal, Qt::Vertical}) {
        ScrollBar bar(orientation);
        EXPECT_TRUE(bar.focusPolicy() & Qt::TabFocus);
        EXPECT_TRUE(bar.focusPolicy() & Qt::ClickFocus);
        bar.SetMax(10);
        bar.SetValue(5);
        int changes = 0;
        QObject::connect(&bar, &ScrollBar::Change, [&] { ++changes; });
        const bool horizontal = orientation == Qt::Horizontal;
        auto press = [&bar](int key) {
            QKeyEvent event(QEvent::KeyPress, key, Qt::NoModifier);
            QApplication::sendEvent(&bar, &event);
        };
        press(horizontal ? Qt::Key_Left : Qt::Key_Up);
        EXPECT_EQ(bar.Value(), 4) << "orientation " << orientation;
        press(horizontal ? Qt::Key_Right : Qt::Key_Down);
        press(horizontal ? Qt::Key_Right : Qt::Key_Down);
        EXPECT_EQ(bar.Value(), 6) << "orientation " << orientation;
        EXPECT_EQ(changes, 3);
    }
}

TEST(ChangeHandling, ProgramChangesRunTheHandlers)
{
    CheckBox check(QStringLiteral("Grid"));
    int clicks = 0;
    QObject::connect(&check, &CheckBox::Click, [&] { ++clicks; });
    check.SetValue(1 - check.Value());
    EXPECT_EQ(check.Value(), 1);
    check.SetValue(1);  // no change, no click
    EXPECT_EQ(clicks, 1);

    OptionButton option(QStringLiteral("tool"));
    int optionClicks = 0;
    QObject::connect(&option, &OptionButton::Click, [&] { ++optionClicks; });
    option.SetValue(true);
    option.SetValue(true);  // switching on the chosen button runs its handler again
    EXPECT_EQ(optionClicks, 2);

    TextBox text;
    int textChanges = 0;
    QObject::connect(&text, &TextBox::Change, [&] { ++textChanges; });
    text.SetText(QStringLiteral("12"));
    EXPECT_EQ(textChanges, 1);
}

TEST(ComboBoxControl, EnterIsAKeyPressAndKeepsTheTypedText)
{
    ComboBox combo;
    combo.addItems({QStringLiteral("100%"), QStringLiteral("200%")});
    combo.SetText(QStringLiteral("33.3"));
    std::vector<int> keys;
    QObject::connect(&combo, &ComboBox::KeyPress, [&](int k) { keys.push_back(k); });
    QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
    QApplication::sendEvent(&combo, &enter);
    EXPECT_EQ(keys, std::vector<int>({13}));
    EXPECT_EQ(combo.Text(), QStringLiteral("33.3"));
}

TEST(Menus, CheckMarksChangeOnlyWhenTheProgramSetsThem)
{
    Menu menu(QStringLiteral("表示(&V)"));
    MenuItem item(&menu, QStringLiteral("パス管理ツール(&P)"));
    int clicks = 0;
    QObject::connect(&item, &MenuItem::Click, [&] {
        ++clicks;
        EXPECT_TRUE(item.Checked());  // the handler still sees the mark as it was
    });
    item.SetChecked(true);
    item.Trigger();
    EXPECT_EQ(clicks, 1);
    EXPECT_TRUE(item.Checked());
    EXPECT_TRUE(item.Action()->isChecked());
    MenuItem separator(&menu, QStringLiteral("-"));
    EXPECT_TRUE(separator.Action()->isSeparator());
    EXPECT_TRUE(separator.Action()->text().isEmpty());  // no stray "-" beside the line
    EXPECT_EQ(separator.Caption(), QStringLiteral("-"));
    separator.SetCaption(QStringLiteral("元に戻す(&U)"));
    EXPECT_FALSE(separator.Action()->isSeparator());
    EXPECT_EQ(separator.Action()->text(), QStringLiteral("元に戻す(&U)"));
}

TEST(Menus, ItemArraysLoadInIndexOrderAndKeepItemZero)
{
    Menu menu(QStringLiteral("ブラシ"));
    MenuItem before(&menu, QStringLiteral("before"));
    MenuArray array(&menu, QStringLiteral("&1 パターン1"));
    MenuItem after(&menu, QStringLiteral("after"));
    array.Load(2)->SetCaption(QStringLiteral("two"));
    array.Load(1)->SetCaption(QStringLiteral("one"));
    EXPECT_EQ(array.UBound(), 2);
    QStringList captions;
    for (QAction *action : menu.actions()) {
        captions << action->text();
    }
    EXPECT_EQ(captions, QStringList({"before", "&1 パターン1", "one", "two", "after"}));
    int chosen = -1;
    QObject::connect(&array, &MenuArray::Click, [&](int index) { chosen = index; });
    array.Item(2)->Trigger();
    EXPECT_EQ(chosen, 2);
    array.UnloadAboveFirst();
    array.Unload(0);
    EXPECT_EQ(array.UBound(), 0);
    EXPECT_EQ(menu.actions().size(), 3);
}

TEST(KeyCodes, QtKeysBecomeVirtualKeys)
{
    EXPECT_EQ(VirtualKeyOf(Qt::Key_A), 65);
    EXPECT_EQ(VirtualKeyOf(Qt::Key_Ampersand), 55);  // Shift+7
    EXPECT_EQ(VirtualKeyOf(Qt::Key_PageUp), 33);
    EXPECT_EQ(VirtualKeyOf(Qt::Key_Minus), 189);
    EXPECT_EQ(VirtualKeyOf(Qt::Key_F2), 113);
    EXPECT_EQ(ShiftStateOf(Qt::ShiftModifier | Qt::AltModifier), 5);
}

TEST(KeyPreviewFilter, WindowSeesKeysOfItsFocusedControlUnlessSwitchedOff)
{
    QMainWindow window;
    auto *text = new TextBox(&window);
    window.setCentralWidget(text);
    window.show();
    text->setFocus();
    KeyPreview preview(&window);
    std::vector<std::pair<int, int>> ups;
    int downs = 0;
    QObject::connect(&preview, &KeyPreview::KeyUp, [&](int k, int s) { ups.emplace_back(k, s); });
    QObject::connect(&preview, &KeyPreview::KeyDown, [&](int, int) { ++downs; });
    QWidget *target = QApplication::focusWidget() ? QApplication::focusWidget() : &window;
    QKeyEvent press(QEvent::KeyPress, Qt::Key_G, Qt::ControlModifier);
    QKeyEvent release(QEvent::KeyRelease, Qt::Key_G, Qt::ControlModifier);
    QApplication::sendEvent(target, &press);
    QApplication::sendEvent(target, &release);
    EXPECT_EQ(downs, 1);
    ASSERT_EQ(ups.size(), 1u);
    EXPECT_EQ(ups[0], std::make_pair(71, 2));
    preview.SetEnabled(false);
    QKeyEvent again(QEvent::KeyRelease, Qt::Key_G, Qt::NoModifier);
    QApplication::sendEvent(target, &again);
    EXPECT_EQ(ups.size(), 1u);
}
