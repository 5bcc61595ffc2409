#include "mainwindow/path_commands.h"

#include "canvastools/canvas_input_state.h"
#include "core/clipboard.h"
#include "core/path_attributes.h"
#include "movie/canvas_movie.h"
#include "tests/canvastools/canvas_fixture.h"
#include "toolwindows/optimize_window.h"

#include <filesystem>
#include <functional>

using canvastools::Input;
using core::AnchorPoint;
using core::AnchorRef;
using core::Doc;
using testsupport::kLeft;
using testsupport::kRight;
using namespace mainwindow;

namespace {

class PathCommandsTest : public testsupport::CanvasFixture {
protected:
    void Hit(int32_t path, int32_t anchor, int32_t path2 = 0, int32_t anchor2 = 0)
    {
        Doc().HitPath = path;
        Doc().HitAnchor = anchor;
        Doc().HitPath2 = path2;
        Doc().HitAnchor2 = anchor2;
    }
    void SelectAnchors(std::initializer_list<AnchorRef> refs)
    {
        Doc().SelectedAnchors = {AnchorRef()};
        Doc().SelectedAnchors.insert(Doc().SelectedAnchors.end(), refs);
    }
    std::vector<int16_t> Kinds(int32_t path) const
    {
        std::vector<int16_t> kinds;
        for (const AnchorPoint &anchor : Path(path).Anchors) {
            kinds.push_back(anchor.AnchorKind);
        }
        return kinds;
    }
    // Runs a command as the pop-up does inside a gesture that owes an undo step, and returns how
    // many undo steps it recorded; the gesture's pending change must be cleared by any step.
    int StepsOf(const std::function<void()> &command)
    {
        Input().DragChanged = true;
        int before = HistoryPos();
        command();
        int steps = HistoryPos() - before;
        if (steps > 0) {
            EXPECT_FALSE(Input().DragChanged);
        }
        return steps;
    }
    // The next pop-up chooses the item.
    void Choose(platform::MenuItem *item)
    {
        platform::SetPopupMenuHook([this, item](QMenu *menu) {
            popups.push_back(menu);
            return item->Action();
        });
    }
    const DrawGuiMenus &Menus() const { return window->menus; }
    // Counts the canvas movies made so that a test can see whether the command makes a new one.
    void ForgetMovie() { moviesMade_ = movie::Canvas().MoviesMade; }
    bool MovieRendered() const { return movie::Canvas().MoviesMade > moviesMade_; }
    int64_t moviesMade_ = 0;
    std::vector<platform::MenuItem *> PathMenuItems() const
    {
        const DrawGuiMenus &m = Menus();
        return {m.mnuCopyPath,       m.mnuCutPath,          m.mnuDeletePath,        m.mnuOpenPath,
                m.mnuClosePath,      m.mnuConvertPathPen,   m.mnuConvertPathBrush1, m.mnuConvertPathBrush2,
                m.mnuConvertPathBrush3, m.mnuFragmentOP1,   m.mnuFragmentOP2,       m.mnuFragmentOP3,
                m.mnuFragmentOP4,    m.mnuFrontPath,        m.mnuBackPath,          m.mnuFrontPathOne,
                m.mnuBackPathOne,    m.mnuGroupMake,        m.mnuGroupClear,        m.mnuGroupAgain,
                m.mnuCompoundMake,   m.mnuCompoundClear,    m.mnuCompoundAgain};
    }
    std::vector<platform::MenuItem *> AnchorMenuItems() const
    {
        const DrawGuiMenus &m = Menus();
        return {m.mnuAnchorAdd,  m.mnuAnchorDelete, m.mnuAnchorLine,   m.mnuAnchorCurve,
                m.mnuAnchorKeen, m.mnuAnchorRound,  m.mnuOpenPathSel,  m.mnuClosePathSel,
                m.mnuDevidePath, m.mnuJointPath};
    }
    std::vector<platform::MenuItem *> CanvasMenuItems() const
    {
        const DrawGuiMenus &m = Menus();
        return {m.mnuPastePath, m.mnuSelectAll, m.mnuClipout, m.mnuRectCanvas};
    }
};

// ---- path-edit pop-up ----

TEST_F(PathCommandsTest, CurveAndLineChangeBothSegmentEndsThenEverySelectedAnchor)
{
    int32_t a = AddOpenPath({{0, 0, 0}, {1000, 0, 0}, {2000, 0, 0}, {3000, 0, 0}});
    int32_t b = AddOpenPath({{0, 5000, 0}, {1000, 5000, 0}, {2000, 5000, 0}});
    Hit(a, 1, a, 2);
    SelectAnchors({{b, 0}, {b, 2}});
    EXPECT_EQ(StepsOf(mnuAnchorCurve_Click), 1);
    EXPECT_EQ(Kinds(a), (std::vector<int16_t>{0, 1, 1, 0}));
    EXPECT_EQ(Kinds(b), (std::vector<int16_t>{1, 0, 1}));  // two anchors of one path both changed
    EXPECT_EQ(Doc().SelectedAnchorCount(), 2);                // the selection stays

    Hit(a, 2, a, 1);
    SelectAnchors({{b, 2}});
    EXPECT_EQ(StepsOf(mnuAnchorLine_Click), 1);
    EXPECT_EQ(Kinds(a), (std::vector<int16_t>{0, 0, 0, 0}));
    EXPECT_EQ(Kinds(b), (std::vector<int16_t>{1, 0, 0}));
}

TEST_F(PathCommandsTest, DeleteRemovesTheHitAndTheSelectedAnchors)
{
    int32_t a = AddOpenPath({{0, 0, 0}, {1000, 0, 0}, {2000, 0, 0}, {3000, 0, 0}});
    int32_t b = AddOpenPath({{0, 5000, 0}, {1000, 5000, 0}});
    Hit(a, 1);
    SelectAnchors({{a, 3}, {b, 0}});
    EXPECT_EQ(StepsOf(mnuAnchorDelete_Click), 1);
    ASSERT_EQ(Doc().DocPathCount(), 1);  // b was left with one anchor and went
    EXPECT_EQ(Path(a).Anchors, (std::vector<AnchorPoint>{{0, 0, 0}, {2000, 0, 0}}));
    EXPECT_EQ(Doc().SelectedAnchorCount(), 0);
    EXPECT_EQ(Doc().HitPath, 0);
}

// "Open path" on a segment of a closed path drops that segment: the path runs from the anchor
// after it round to the anchor before it, open. "Do not close" opens the selected paths as they run.
TEST_F(PathCommandsTest, OpeningAClosedPathDropsTheHitSegmentOrTheClosingOne)
{
    const std::vector<AnchorPoint> ring = {{0, 0, 0}, {1000, 0, 1}, {2000, 500, 0}, {1000, 1000, 1}, {0, 1000, 0}};
    const int32_t a = AddPath(ring, true);
    Hit(a, 1, a, 2);
    EXPECT_EQ(StepsOf(mnuOpenPathSel_Click), 1);
    EXPECT_EQ(Path(a).Anchors, (std::vector<AnchorPoint>{ring[2], ring[3], ring[4], ring[0], ring[1]}));
    EXPECT_FALSE(Path(a).blClosed);
    core::UndoHistory();
    EXPECT_EQ(Path(a).Anchors, ring);
    EXPECT_TRUE(Path(a).blClosed);
    Hit(a, 4, a, 0);  // the closing segment: the order stays
    EXPECT_EQ(StepsOf(mnuOpenPathSel_Click), 1);
    EXPECT_EQ(Path(a).Anchors, ring);
    EXPECT_FALSE(Path(a).blClosed);

    const int32_t b = AddPath(ring, true, true);
    const int32_t c = AddPath(ring, true);
    EXPECT_EQ(StepsOf(mnuOpenPath_Click), 1);
    EXPECT_EQ(Path(b).Anchors, ring);
    EXPECT_FALSE(Path(b).blClosed);
    EXPECT_TRUE(Path(c).blClosed);
}

TEST_F(PathCommandsTest, AStaleHitChangesNothingAndRecordsNoStep)
{
    int32_t a = AddOpenPath({{0, 0, 0}, {1000, 0, 0}, {2000, 0, 0}});
    const core::PathArray before = Doc().DocPaths;
    for (platform::MenuItem *item : AnchorMenuItems()) {
        Hit(a + 5, 1, a + 5, 2);
        EXPECT_EQ(StepsOf([item] { item->Trigger(); }), 0) << item->Caption().toStdString();
    }
    EXPECT_EQ(Doc().DocPaths, before);
}

TEST_F(PathCommandsTest, DeleteFromThePathEditPopUpGivesExactlyOneUndoStep)
{
    ChooseTool(canvastools::kToolAnchorEdit);
    int32_t a = AddOpenPath({{1000, 1000, 0}, {2000, 1000, 0}, {3000, 1000, 0}});
    int before = HistoryPos();
    Choose(Menus().mnuAnchorDelete);
    Click(kRight, 0, 2000, 1000);
    ASSERT_EQ(popups.size(), 1u);
    EXPECT_EQ(Path(a).Anchors, (std::vector<AnchorPoint>{{1000, 1000, 0}, {3000, 1000, 0}}));
    EXPECT_EQ(HistoryPos(), before + 1);
    core::UndoHistory();
    EXPECT_EQ(Path(a).AnchorMax(), 2);
}

// ---- select-tool pop-up on empty canvas ----

TEST_F(PathCommandsTest, AnAreaWiderThanTheMovieMadeTheCanvasKeepsClicksAndOutlinesAligned)
{
    int32_t square = AddSquare(30000, 30000, 2000);
    core::Doc().DocPaths[static_cast<size_t>(square)].FillType = core::kFillSolid;
    core::Doc().DocPaths[static_cast<size_t>(square)].FillColor = 0xFF0000FF;  // red
    Doc().AreaSelectRect = {0, 0, 40000, 40000};  // 2000 pixels a side, past the movie's frame
    mnuRectCanvas_Click(*window);
    EXPECT_EQ(Doc().CurrentSettings.Width, 2000);
    EXPECT_EQ(Doc().CurrentSettings.Height, 2000);
    window->Combo2->SetText(QStringLiteral("25%"));  // the whole canvas in view
    window->Combo2_Click();
    auto shown = [&](int32_t xt, int32_t yt) {
        QPointF p = Screen(xt, yt);
        return window->Picture1->Point(static_cast<int>(p.x()), static_cast<int>(p.y())) & 0xFFFFFF;
    };
    EXPECT_EQ(shown(31000, 31000), 0x0000FFu);  // the square where the conversion puts it
    EXPECT_EQ(shown(30400, 31600), 0x0000FFu);
    EXPECT_EQ(shown(29200, 29200), 0xFFFFFFu);  // the canvas beside it
    EXPECT_EQ(shown(32400, 32400), 0xFFFFFFu);

    // A click on the square's edge selects it; its frame and handles are drawn around the square
    // as the picture shows it.
    ChooseTool(canvastools::kToolSelect);
    const QImage before = window->Picture1->Image().copy();
    Click(kLeft, 0, 30000, 31000);
    ASSERT_TRUE(Path(square).blSelected);
    const QImage &after = window->Picture1->Image();
    QRect changed;
    for (int y = 0; y < after.height(); ++y) {
        for (int x = 0; x < after.width(); ++x) {
            if (after.pixel(x, y) != before.pixel(x, y)) {
                changed |= QRect(x, y, 1, 1);
            }
        }
    }
    const QRect square1 = QRectF(Screen(30000, 30000), Screen(32000, 32000)).toRect();
    EXPECT_LE(std::abs(changed.center().x() - square1.center().x()), 1);
    EXPECT_LE(std::abs(changed.center().y() - square1.center().y()), 1);
    EXPECT_LE(changed.width(), square1.width() + 12);  // the handles stand out a few pixels
}

TEST_F(PathCommandsTest, TheDraggedRectangleBecomesTheCanvas)
{
    int32_t square = AddSquare(2000, 3000, 1000);
    Doc().AreaSelectRect = {1010, 2030, 7019, 6049};
    ForgetMovie();
    EXPECT_EQ(StepsOf([this] { mnuRectCanvas_Click(*window); }), 1);
    EXPECT_EQ(Doc().CurrentSettings.Width, 300);
    EXPECT_EQ(Doc().CurrentSettings.Height, 200);
    EXPECT_EQ(Path(square).Anchors[0], (AnchorPoint{990, 970, 0}));
    EXPECT_EQ(Path(square).GradCenterX, 1490);
    EXPECT_TRUE(MovieRendered());
}

// ---- select-tool pop-up on a path ----

TEST_F(PathCommandsTest, FrontFromThePathPopUpGivesExactlyOneUndoStep)
{
    ChooseTool(canvastools::kToolSelect);
    int32_t back = AddSquare(1000, 1000, 1000);
    AddSquare(4000, 1000, 1000);
    window->DispShape(0);
    int before = HistoryPos();
    Choose(Menus().mnuFrontPath);
    Click(kRight, 0, 1500, 1000);
    ASSERT_EQ(popups.size(), 1u);
    EXPECT_EQ(popups.back(), Menus().mnuSelectMode);
    EXPECT_EQ(Path(2).Anchors[0].X, 1000);  // the clicked path is now in front
    EXPECT_EQ(Path(back).Anchors[0].X, 4000);
    EXPECT_EQ(HistoryPos(), before + 1);
}

// ---- safety ----

TEST_F(PathCommandsTest, EveryCommandIsSafeOnAnEmptyDocument)
{
    Doc().AreaSelectRect = {0, 0, 100, 100};
    std::vector<platform::MenuItem *> items = AnchorMenuItems();
    for (const std::vector<platform::MenuItem *> &list : {PathMenuItems(), CanvasMenuItems()}) {
        items.insert(items.end(), list.begin(), list.end());
    }
    for (platform::MenuItem *item : items) {
        item->Trigger();
    }
    for (int code = 1; code <= 14; ++code) {
        mnuFormline_Click(code);
    }
    EXPECT_EQ(Doc().DocPathCount(), 0);
}

TEST_F(PathCommandsTest, HiddenAndLockedPathsSurviveEveryCommand)
{
    int32_t hidden = AddSquare(1000, 1000, 1000, true);
    int32_t locked = AddSquare(3000, 1000, 1000, true);
    Doc().DocPaths[static_cast<size_t>(hidden)].DispFlags = core::kDispHidden;
    Doc().DocPaths[static_cast<size_t>(locked)].DispFlags = core::kDispLocked;
    core::StartHistoryWithDocument();
    Doc().AreaSelectRect = {0, 0, 8000, 8000};
    Input().HandlePoints[0] = {1000, 1000};
    std::vector<platform::MenuItem *> items = PathMenuItems();
    items.erase(items.begin(), items.begin() + 3);  // copy, cut and delete would take the paths
    std::vector<platform::MenuItem *> more = AnchorMenuItems();
    items.insert(items.end(), more.begin(), more.end());
    for (platform::MenuItem *item : items) {
        Hit(hidden, 0, hidden, 1);
        SelectAnchors({{locked, 3}, {hidden, 9}});
        core::SelectAllPaths();
        item->Trigger();
        ASSERT_GE(Doc().DocPathCount(), 1) << item->Caption().toStdString();
    }
}

}  // namespace
