#include "tests/mainwindow/main_window_fixture.h"
#include "movie/canvas_movie.h"

#include <QTest>

using testsupport::MainWindowFixture;

namespace {

class EditCommands : public MainWindowFixture {
protected:
    struct MenuState {
        bool undo, redo, copy, cut, del, paste, selectAll;
        bool operator==(const MenuState &) const = default;
    };

    MenuState OpenEditMenu()
    {
        window->menus.mnuEdit->Click();
        const mainwindow::DrawGuiMenus &m = window->menus;
        return {m.mnuUnDo->Enabled(),         m.mnuReDo->Enabled(),          m.mnuCopyPathEdit->Enabled(),
                m.mnuCutPathEdit->Enabled(),  m.mnuDeletePathEdit->Enabled(), m.mnuPastePathEdit->Enabled(),
                m.mnuSelectAllEdit->Enabled()};
    }

    // Two recorded rectangles; the second one selected and framed.
    void TwoRectangles()
    {
        AddRectangle(0, 0, 400, 400, 0xFF0000FF);
        core::RecordHistory();
        AddRectangle(1000, 600, 1400, 1000, 0xFF00FF00, true);
        core::RecordHistory();
        window->DispShape(1);
    }

    void Press(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        QTest::keyClick(window->Picture1, static_cast<Qt::Key>(key), modifiers);
    }

    void Activate()
    {
        window->show();
        QApplication::setActiveWindow(window.get());
        window->Picture1->setFocus();
        QApplication::processEvents();
    }
};

}  // namespace

TEST_F(EditCommands, UndoAndRedoFromTheMenuRestoreTheDrawingAndResetTheHitState)
{
    TwoRectangles();
    core::Doc().HitPath = 2;
    core::Doc().HitPath2 = 3;
    canvastools::Input().DragMode = 1;
    window->menus.mnuUnDo->Trigger();
    EXPECT_EQ(core::Doc().DocPathCount(), 1);
    EXPECT_EQ(core::Doc().HitPath, 0);
    EXPECT_EQ(core::Doc().HitPath2, 0);
    EXPECT_EQ(canvastools::Input().DragMode, 0);
    EXPECT_TRUE(Modified());
    window->menus.mnuReDo->Trigger();
    EXPECT_EQ(core::Doc().DocPathCount(), 2);

    // At the oldest entry nothing changes, but the canvas movie is made again.
    window->mnuUnDo_Click();
    window->mnuUnDo_Click();
    ASSERT_EQ(core::History().HistoryPos, 0);
    const int64_t moviesMade = movie::Canvas().MoviesMade;
    window->mnuUnDo_Click();
    EXPECT_EQ(core::History().HistoryPos, 0);
    EXPECT_GT(movie::Canvas().MoviesMade, moviesMade);
}

TEST_F(EditCommands, CopyCutAndDeleteWorkOnTheSelectionWithAnyTool)
{
    TwoRectangles();
    const int32_t steps = core::History().HistoryPos;
    window->menus.mnuCopyPathEdit->Trigger();
    EXPECT_EQ(core::GetClipCount(), 1);
    EXPECT_EQ(core::Clipboard().ClipOriginX, 1000);  // the selection frame's top-left corner
    EXPECT_EQ(core::Clipboard().ClipOriginY, 600);
    EXPECT_EQ(core::History().HistoryPos, steps);

    // The path list runs cut while the path-edit tool is active.
    canvastools::Input().CurrentTool = canvastools::kToolAnchorEdit;
    core::Doc().SelectedAnchors.push_back(core::AnchorRef{2, 1});
    window->mnuCutPathEdit_Click();
    EXPECT_EQ(core::Doc().DocPathCount(), 1);
    EXPECT_EQ(core::Doc().SelectedAnchors.size(), 1u);
    EXPECT_EQ(core::History().HistoryPos, steps + 1);

    core::Doc().DocPaths[1].blSelected = true;
    core::Doc().HitPath = 1;
    window->mnuDeletePathEdit_Click();
    EXPECT_EQ(core::Doc().DocPathCount(), 0);
    EXPECT_EQ(core::Doc().HitPath, 0);
    EXPECT_EQ(core::History().HistoryPos, steps + 2);

    window->mnuDeletePathEdit_Click();  // nothing selected: no step
    window->mnuCutPathEdit_Click();
    EXPECT_EQ(core::History().HistoryPos, steps + 2);
}

TEST_F(EditCommands, ShortcutKeysFollowTheStateAtTheMomentOfThePress)
{
    Activate();
    TwoRectangles();
    Press(Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(core::Doc().DocPathCount(), 1);
    Press(Qt::Key_Y, Qt::ControlModifier);
    EXPECT_EQ(core::Doc().DocPathCount(), 2);
    Press(Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(core::GetClipCount(), 1);
    Press(Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(core::Doc().DocPathCount(), 3);
    Press(Qt::Key_A, Qt::ControlModifier);
    EXPECT_EQ(core::CountSelectedPaths(), 3);
    Press(Qt::Key_X, Qt::ControlModifier);
    EXPECT_EQ(core::Doc().DocPathCount(), 0);

    // The menu last opened with copy, cut and delete enabled; the path-edit tool's Delete must
    // not delete whole paths.
    Press(Qt::Key_Z, Qt::ControlModifier);
    core::SelectAllPaths();
    OpenEditMenu();
    ASSERT_TRUE(window->menus.mnuDeletePathEdit->Enabled());
    canvastools::Input().CurrentTool = canvastools::kToolAnchorEdit;
    Press(Qt::Key_Delete);
    EXPECT_EQ(core::Doc().DocPathCount(), 3);
    canvastools::Input().CurrentTool = canvastools::kToolSelect;
    Press(Qt::Key_Delete);
    EXPECT_EQ(core::Doc().DocPathCount(), 0);
}
