// The brush palette: choosing, registering, deleting, renaming and moving brushes, and the strip's
// scrolling.
#include "tests/toolwindows/tool_window_fixture.h"


namespace testsupport {
namespace {

class BrushPaletteTest : public ToolWindowFixture {
protected:
    toolwindows::BrushGUI &OpenAt(int width)
    {
        toolwindows::BrushGUI &gui = OpenBrushes();
        gui.resize(width, gui.height());
        QApplication::processEvents();
        gui.Form_Resize();
        return gui;
    }
    static core::BrushList &List() { return core::Brushes(); }
    void AnswerYes()
    {
        platform::SetMessageBoxHook([this](const platform::MessageBoxRequest &request) {
            prompts.push_back(request.prompt);
            return platform::kMbYes;
        });
    }
    std::vector<QString> prompts;
};

TEST_F(BrushPaletteTest, DeleteIsDisabledForTheOnlyBrushAndDeletingTheLastMovesToTheNewLast)
{
    toolwindows::BrushGUI &gui = OpenAt(900);
    AnswerYes();
    List().CurrentBrush = 8;
    std::string seventh = List().BrushNames[7];
    gui.mnuBrushMenu_Click();
    ASSERT_TRUE(gui.mnuBrushDelete->Enabled());
    gui.mnuBrushDelete_Click();
    ASSERT_EQ(prompts.size(), 1u);
    EXPECT_TRUE(prompts[0].startsWith(QStringLiteral("ブラシ[")));
    EXPECT_EQ(List().BrushCount, 7);
    EXPECT_EQ(List().CurrentBrush, 7);
    EXPECT_EQ(List().BrushNames[7], seventh);
    EXPECT_EQ(window->menus.mnuSelectBrush->UBound(), 6);

    core::PathArray one{core::PathRecord(), List().BrushPaths[1]};
    ASSERT_TRUE(core::ReplaceBrushes(one, {"", "only"}));
    gui.mnuBrushMenu_Click();
    EXPECT_FALSE(gui.mnuBrushDelete->Enabled());
    gui.mnuBrushDelete_Click();
    EXPECT_EQ(List().BrushCount, 1);
}

TEST_F(BrushPaletteTest, RenameWithEscKeepsTheNameAndEnterStoresIt)
{
    toolwindows::BrushGUI &gui = OpenAt(900);
    std::string old = List().BrushNames[1];
    gui.mnuBrushChangeName_Click();
    EXPECT_FALSE(gui.Text1->isHidden());
    Type(gui.Text1, QStringLiteral("太筆"));
    PressEsc(gui.Text1);
    EXPECT_TRUE(gui.Text1->isHidden());
    EXPECT_EQ(List().BrushNames[1], old);

    gui.mnuBrushChangeName_Click();
    Type(gui.Text1, QStringLiteral("太筆"));
    PressEnter(gui.Text1);
    EXPECT_EQ(List().BrushNames[1], "太筆");
    EXPECT_EQ(gui.mnuBrushName->title(), QStringLiteral("太筆"));
    EXPECT_TRUE(window->menus.mnuSelectBrush->Item(0)->Caption().endsWith(QStringLiteral("太筆")));
}

TEST_F(BrushPaletteTest, RegisteredPathTakesTheCurrentPlace)
{
    toolwindows::BrushGUI &gui = OpenAt(900);
    AddSquare(1000, 1000, 400, true);
    List().CurrentBrush = 3;
    std::string third = List().BrushNames[3];
    gui.mnuBrushSetPath_Click();
    EXPECT_EQ(List().BrushCount, 9);
    EXPECT_EQ(List().BrushNames[4], third);
    EXPECT_EQ(List().BrushPaths[3].Anchors.size(), 4u);
    EXPECT_EQ(List().BrushPaths[3].Anchors[0].X, -200);  // centred on the line-widened bounds

    // An open path makes no brush, so the list stays as it is.
    core::Doc().DocPaths[1].blClosed = false;
    gui.mnuBrushSetPath_Click();
    EXPECT_EQ(List().BrushCount, 9);
}

}  // namespace
}  // namespace testsupport
