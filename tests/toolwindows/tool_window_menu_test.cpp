// The view menu's tool-window items: the check mark follows the window, the window reopens where
// it was left (also after a restart), and the canvas keeps the keyboard focus.
#include "platform/forms/window_placement.h"
#include "tests/toolwindows/tool_window_fixture.h"
#include "toolwindows/path_list_window.h"

namespace testsupport {
namespace {

using mainwindow::Main;
using mainwindow::MainState;

class ToolWindowMenuTest : public ToolWindowFixture {
protected:
    struct Item {
        platform::MenuItem *item;
        int32_t MainState::*visible;
        std::function<QWidget *()> window;
    };
    std::vector<Item> Items()
    {
        const mainwindow::DrawGuiMenus &m = window->menus;
        return {{m.mnuDispPathGUI, &MainState::PathToolBoxVisible, [] { return toolwindows::PathListWindow(); }},
                {m.mnuDispPositionGUI, &MainState::PositionToolBoxVisible, [this] { return window->PositionGUI; }},
                {m.mnuDispBrushGUI, &MainState::BrushToolBoxVisible, [this] { return window->BrushGUI; }},
                {m.mnuDispGradientGUI, &MainState::GradientToolBoxVisible, [this] { return window->GradationGUI; }}};
    }
    bool CanvasHasFocus()
    {
        QApplication::processEvents();
        return QApplication::focusWidget() == window->Picture1;
    }
    // Restarts the program: the main window closes (writing the settings) and a new one starts.
    void Restart()
    {
        window->close();
        window.reset();
        mainwindow::ResetMainStateForTest();
        window = std::make_unique<mainwindow::DrawGUI>();
        window->Form_Load(QString());
        QApplication::processEvents();
    }
};

TEST_F(ToolWindowMenuTest, ChoosingAnItemTwiceOpensAndClosesItsWindowAndTheCanvasKeepsTheFocus)
{
    for (const Item &entry : Items()) {
        std::string name = entry.item->Caption().toStdString();
        entry.item->Trigger();
        EXPECT_TRUE(entry.item->Checked()) << name;
        EXPECT_EQ(Main().*entry.visible, 1) << name;
        ASSERT_NE(entry.window(), nullptr) << name;
        EXPECT_TRUE(entry.window()->isVisible()) << name;
        EXPECT_EQ(entry.window()->parentWidget(), window.get()) << name;
        EXPECT_TRUE(CanvasHasFocus()) << name;

        entry.item->Trigger();
        EXPECT_FALSE(entry.item->Checked()) << name;
        EXPECT_EQ(Main().*entry.visible, 0) << name;
        EXPECT_TRUE(entry.window() == nullptr || !entry.window()->isVisible()) << name;
        EXPECT_TRUE(CanvasHasFocus()) << name;
    }
}

TEST_F(ToolWindowMenuTest, WindowsOpenWhenTheProgramEndedOpenAgainAtTheSamePlace)
{
    toolwindows::PositionGUI &position = OpenPosition();
    position.move(150, 110);
    toolwindows::BrushGUI &brushes = OpenBrushes();
    brushes.move(300, 200);
    brushes.resize(380, 240);
    window->mnuDispPathGUI_Click();
    toolwindows::PathGUI *list = toolwindows::PathListWindow();
    ASSERT_NE(list, nullptr);
    list->move(20, 30);
    list->resize(260, 380);
    QApplication::processEvents();
    QRect positionPlace = platform::WindowRectTwips(&position);
    QRect brushPlace = platform::WindowRectTwips(&brushes);
    QRect listPlace = platform::WindowRectTwips(list);

    Restart();
    EXPECT_TRUE(window->menus.mnuDispPositionGUI->Checked());
    EXPECT_TRUE(window->menus.mnuDispBrushGUI->Checked());
    EXPECT_FALSE(window->menus.mnuDispGradientGUI->Checked());
    ASSERT_TRUE(window->PositionGUI->isVisible());
    ASSERT_TRUE(window->BrushGUI->isVisible());
    EXPECT_FALSE(window->GradationGUI->isVisible());
    EXPECT_EQ(platform::WindowRectTwips(window->PositionGUI).topLeft(), positionPlace.topLeft());
    EXPECT_EQ(platform::WindowRectTwips(window->BrushGUI), brushPlace);
    ASSERT_NE(toolwindows::PathListWindow(), nullptr);
    EXPECT_EQ(platform::WindowRectTwips(toolwindows::PathListWindow()), listPlace);
}

}  // namespace
}  // namespace testsupport
