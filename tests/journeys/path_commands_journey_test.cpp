// The commands on selected paths, as the select tool's pop-up menu, the Edit menu, the keys and
// the path list offer them: grouping, compound paths, the four path operations, alignment,
// stacking order, hiding and locking, copy and paste. Each is checked by what the canvas shows.
#include "canvastools/canvas_input_state.h"
#include "core/document.h"
#include "tests/journeys/journey_fixture.h"
#include "toolwindows/path_list_window.h"

#include <QApplication>
#include <QTest>

#include <algorithm>
#include <array>
#include <optional>

namespace journeys {
namespace {

constexpr Rgb kCyan = 0x00FFFF;
constexpr Rgb kRed = 0xFF0000;
constexpr Rgb kBlue = 0x0000FF;

class PathCommands : public Journey {
protected:
    // A square filled with the colour and no outline, left unselected.
    void Square(Rgb fill, double left, double top, double right, double bottom)
    {
        PickColor(fill, Qt::RightButton);
        DrawRectangle(AtPixel(left, top), AtPixel(right, bottom));
        Key(Qt::Key_Escape);
    }
    // Two overlapping squares: red 40..140 behind, blue 100..200 in front.
    void RedBehindBlue()
    {
        ChooseStyle(kFillOnly);
        Square(kRed, 40, 40, 140, 140);
        Square(kBlue, 100, 100, 200, 200);
    }
    // Selects the paths whose edges run through the canvas points: the first by a click, the
    // others added with Ctrl.
    void SelectAt(std::initializer_list<QPointF> edges)
    {
        Qt::KeyboardModifiers modifiers = Qt::NoModifier;
        for (QPointF p : edges) {
            ClickCanvas(AtPixel(p.x(), p.y()), Qt::LeftButton, modifiers);
            modifiers = Qt::ControlModifier;
        }
    }
    // Right-clicks a selected path's edge (away from the frame's handles) and chooses the pop-up
    // item along the captions.
    void PopupAt(QPointF edge, std::initializer_list<QString> captions)
    {
        AnswerPopup(captions);
        ClickCanvas(AtPixel(edge.x(), edge.y()), Qt::RightButton);
        EXPECT_TRUE(PopupsAnswered()) << "no pop-up menu at " << edge.x() << "," << edge.y();
    }
    // Every pixel of the area (canvas pixels) shows the colour.
    bool All(Rgb colour, double left, double top, double right, double bottom)
    {
        const QRect area(AtPixel(left, top), AtPixel(right, bottom));
        return CountColor(area, colour, 8) == area.width() * area.height();
    }
    // The one colour (white, red or blue) every pixel of the areas (canvas pixels: left, top,
    // right, bottom) shows, or none when they are not all alike.
    std::optional<Rgb> Uniform(std::initializer_list<std::array<double, 4>> areas)
    {
        for (Rgb colour : {kWhite, kRed, kBlue}) {
            if (std::all_of(areas.begin(), areas.end(),
                            [&](const std::array<double, 4> &a) { return All(colour, a[0], a[1], a[2], a[3]); })) {
                return colour;
            }
        }
        return std::nullopt;
    }

    // The path list window, opened from the View menu.
    toolwindows::PathGUI &OpenPathList()
    {
        Menu({"表示", "パス管理ツール"});
        toolwindows::PathGUI *list = toolwindows::PathListWindow();
        EXPECT_NE(list, nullptr);
        return *list;
    }
    // Clicks a row of the path list (row 0: the frontmost path).
    void ClickRow(toolwindows::PathGUI &list, int row, Qt::MouseButton button = Qt::LeftButton)
    {
        QListView *view = list.List1;
        const QRect rect = view->visualRect(view->model()->index(row, 0));
        ASSERT_FALSE(rect.isEmpty()) << "no row " << row;
        QTest::mouseClick(view->viewport(), button, Qt::NoModifier, rect.center());
        QApplication::processEvents();
    }
};

TEST_F(PathCommands, GroupedSquaresAreSelectedAndMovedTogether)
{
    ChooseStyle(kFillOnly);
    Square(kRed, 40, 40, 100, 100);
    Square(kBlue, 160, 40, 220, 100);
    SelectAt({{40, 55}, {220, 85}});
    PopupAt({40, 55}, {"グループ化する"});
    Key(Qt::Key_Escape);

    // One drag on the red square's edge takes the blue one along.
    Drag({AtPixel(40, 55), AtPixel(40, 105), AtPixel(40, 155)});
    EXPECT_TRUE(All(kRed, 45, 145, 95, 195));
    EXPECT_TRUE(All(kBlue, 165, 145, 215, 195));
    EXPECT_TRUE(All(kWhite, 45, 45, 215, 95));

    // Ungrouped again, the drag moves only the square it holds.
    Menu({"編集", "元に戻す"});
    Menu({"編集", "元に戻す"});
    ASSERT_TRUE(All(kBlue, 165, 45, 215, 95));
    Drag({AtPixel(40, 55), AtPixel(40, 155)});
    EXPECT_TRUE(All(kRed, 45, 145, 95, 195));
    EXPECT_TRUE(All(kBlue, 165, 45, 215, 95));
}

TEST_F(PathCommands, ACompoundPathCutsAHoleWhereItsPathsOverlap)
{
    ChooseStyle(kFillOnly);
    Square(kCyan, 40, 40, 200, 200);
    Square(kCyan, 80, 80, 160, 160);
    ASSERT_TRUE(All(kCyan, 90, 90, 150, 150));
    SelectAt({{80, 100}, {40, 100}});
    PopupAt({80, 100}, {"複合パス", "複合パス化する"});
    Key(Qt::Key_Escape);
    EXPECT_TRUE(All(kWhite, 90, 90, 150, 150));
    EXPECT_TRUE(All(kCyan, 50, 50, 70, 190));

    // Released again, the inner square fills its middle.
    SelectAt({{80, 100}});
    PopupAt({80, 100}, {"複合パス", "複合パス解除"});
    Key(Qt::Key_Escape);
    EXPECT_TRUE(All(kCyan, 90, 90, 150, 150));
}

struct Operation {
    const char *caption;
    // What shows afterwards at the red-only, the overlapping and the blue-only parts.
    bool redPart, overlap, bluePart;
};

void PrintTo(const Operation &op, std::ostream *os)
{
    *os << op.caption;
}

class PathOperations : public PathCommands, public testing::WithParamInterface<Operation> {};

TEST_P(PathOperations, TheOperationReshapesTheOverlappingSquaresAndUndoBringsThemBack)
{
    const Operation &op = GetParam();
    RedBehindBlue();
    SelectAt({{40, 70}, {200, 170}});
    PopupAt({200, 170}, {"パス演算", QString::fromUtf8(op.caption)});
    Key(Qt::Key_Escape);

    // Each part (the red square's own L, the overlap, the blue square's own L) shows one colour
    // over all of it, and the canvas around the squares stays white.
    const std::optional<Rgb> redShown = Uniform({{45, 45, 135, 95}, {45, 95, 95, 135}});
    const std::optional<Rgb> overlapShown = Uniform({{105, 105, 135, 135}});
    const std::optional<Rgb> blueShown = Uniform({{145, 105, 195, 195}, {105, 145, 145, 195}});
    ASSERT_TRUE(redShown && overlapShown && blueShown) << "a part is not one colour over all of it";
    const Rgb red = *redShown, overlap = *overlapShown, blue = *blueShown;
    EXPECT_EQ(red != kWhite, op.redPart);
    EXPECT_EQ(overlap != kWhite, op.overlap);
    EXPECT_EQ(blue != kWhite, op.bluePart);
    EXPECT_TRUE(All(kWhite, 4, 4, 316, 34) && All(kWhite, 4, 206, 316, 316) && All(kWhite, 4, 34, 34, 206) &&
                All(kWhite, 206, 34, 316, 206));
    if (op.redPart && op.bluePart) {
        EXPECT_EQ(red, blue);  // one path, one colour
        EXPECT_TRUE(All(red, 45, 45, 135, 135));
        EXPECT_TRUE(All(red, 105, 105, 195, 195));
    }
    EXPECT_TRUE(CaptionModified());

    Menu({"編集", "元に戻す"});
    EXPECT_TRUE(All(kRed, 45, 45, 95, 95));
    EXPECT_TRUE(All(kBlue, 105, 105, 195, 195));
}

const Operation kOperations[] = {{"結合", true, true, true},
                                  {"共通", false, true, false},
                                  {"切り取り(背面)", true, false, false},
                                  {"切り取り(前面)", false, false, true}};

std::string OperationName(const testing::TestParamInfo<Operation> &info)
{
    static const char *const names[] = {"Union", "Intersection", "FrontCutsBack", "BackCutsFront"};
    return names[info.index];
}

INSTANTIATE_TEST_SUITE_P(FourOperations, PathOperations, testing::ValuesIn(kOperations), OperationName);

TEST_F(PathCommands, AlignmentMovesTheSquaresAsItsSubmenusSay)
{
    ChooseStyle(kFillOnly);
    Square(kRed, 40, 40, 100, 100);
    Square(kBlue, 140, 150, 200, 210);
    SelectAt({{40, 55}, {200, 165}});
    PopupAt({200, 165}, {"配置", "左右", "左揃え"});
    EXPECT_TRUE(All(kBlue, 45, 155, 95, 205));
    EXPECT_TRUE(All(kWhite, 145, 155, 195, 205));
    EXPECT_TRUE(All(kRed, 45, 45, 95, 95));

    // Each square to the canvas' right edge (320 px).
    PopupAt({40, 55}, {"配置", "キャンバス", "右端"});
    Key(Qt::Key_Escape);
    EXPECT_TRUE(All(kRed, 265, 45, 315, 95));
    EXPECT_TRUE(All(kBlue, 265, 155, 315, 205));
    EXPECT_TRUE(All(kWhite, 45, 45, 95, 205));

    Key(Qt::Key_Z, Qt::ControlModifier);
    EXPECT_TRUE(All(kBlue, 45, 155, 95, 205));
    EXPECT_TRUE(All(kWhite, 265, 45, 315, 205));
}

TEST_F(PathCommands, StackingOrderCommandsBringTheBackSquareForwardAndBack)
{
    RedBehindBlue();
    ASSERT_TRUE(All(kBlue, 105, 105, 135, 135));
    SelectAt({{40, 70}});
    PopupAt({40, 70}, {"最前面へ移動"});
    EXPECT_TRUE(All(kRed, 105, 105, 135, 135));
    PopupAt({40, 70}, {"最背面へ移動"});
    EXPECT_TRUE(All(kBlue, 105, 105, 135, 135));
    PopupAt({40, 70}, {"ひとつ前面"});
    EXPECT_TRUE(All(kRed, 105, 105, 135, 135));
    PopupAt({40, 70}, {"ひとつ背面"});
    EXPECT_TRUE(All(kBlue, 105, 105, 135, 135));

    // The keys: "," one forward, "." one back, with Ctrl to the front and the back.
    Key(Qt::Key_Comma);
    EXPECT_TRUE(All(kRed, 105, 105, 135, 135));
    Key(Qt::Key_Period);
    EXPECT_TRUE(All(kBlue, 105, 105, 135, 135));
    Key(Qt::Key_Comma, Qt::ControlModifier);
    EXPECT_TRUE(All(kRed, 105, 105, 135, 135));

    Menu({"編集", "元に戻す"});
    EXPECT_TRUE(All(kBlue, 105, 105, 135, 135));
    Menu({"編集", "やり直す"});
    EXPECT_TRUE(All(kRed, 105, 105, 135, 135));
}

TEST_F(PathCommands, ThePathListHidesAndShowsAPath)
{
    RedBehindBlue();
    toolwindows::PathGUI &list = OpenPathList();
    ASSERT_EQ(list.ListCount(), 2);
    ClickRow(list, 1);  // the red square, behind
    AnswerPopup({"非表示にする"});
    ClickRow(list, 1, Qt::RightButton);
    ClickCanvas(AtPixel(280, 280));  // nothing selected
    EXPECT_TRUE(All(kWhite, 45, 45, 95, 95));
    EXPECT_TRUE(All(kBlue, 105, 105, 195, 195));
    // A hidden path takes no drag on the canvas: shown again, it is where it was.
    Drag({AtPixel(40, 70), AtPixel(40, 170)});
    EXPECT_TRUE(All(kWhite, 45, 45, 95, 95));

    AnswerPopup({"全てのパスを表示"});
    ClickRow(list, 0, Qt::RightButton);
    ClickCanvas(AtPixel(280, 280));
    EXPECT_TRUE(All(kRed, 45, 45, 95, 95));
    EXPECT_TRUE(All(kBlue, 105, 105, 195, 195));
}

// A row shows its path as it is after each edit and each undo: the hidden mark, the anchors
// added, the rows renumbered by a paste.
TEST_F(PathCommands, ThePathListRowsFollowEditsAndUndo)
{
    RedBehindBlue();
    toolwindows::PathGUI &list = OpenPathList();
    ASSERT_EQ(list.ListCount(), 2);
    auto rowImage = [&list](int row) {
        QListView *view = list.List1;
        return view->viewport()->grab(view->visualRect(view->model()->index(row, 0))).toImage();
    };
    const QImage shown = rowImage(1);
    ClickRow(list, 1);  // the red square, behind
    const QImage selected = rowImage(1);
    AnswerPopup({"非表示にする"});
    ClickRow(list, 1, Qt::RightButton);
    EXPECT_NE(rowImage(1), selected);
    EXPECT_TRUE(core::DocPath(1).IsHidden());
    EXPECT_EQ(list.RowText(1), toolwindows::FormatPathRow(1, core::DocPath(1), false));
    AnswerPopup({"全てのパスを表示"});
    ClickRow(list, 0, Qt::RightButton);
    EXPECT_EQ(list.RowText(1), toolwindows::FormatPathRow(1, core::DocPath(1), false));

    // Copied and pasted in front: three rows, the copy on top; undone, the two rows as they were.
    ClickRow(list, 1);
    Menu({"編集", "コピー"});
    Menu({"編集", "貼り付け"});
    ASSERT_EQ(list.ListCount(), 3);
    EXPECT_EQ(list.RowText(0), toolwindows::FormatPathRow(3, core::DocPath(3), false));
    Undo();
    ASSERT_EQ(list.ListCount(), 2);
    ClickCanvas(AtPixel(280, 280));  // nothing selected
    EXPECT_EQ(rowImage(1), shown);
    EXPECT_EQ(list.RowText(0), toolwindows::FormatPathRow(2, core::DocPath(2), false));
}

TEST_F(PathCommands, ALockedPathStaysWhereItIsWhenDragged)
{
    RedBehindBlue();
    toolwindows::PathGUI &list = OpenPathList();
    ClickRow(list, 0);  // the blue square, in front
    AnswerPopup({"パスのロック", "ロックする"});
    ClickRow(list, 0, Qt::RightButton);
    ClickCanvas(AtPixel(280, 280));

    Drag({AtPixel(200, 170), AtPixel(240, 170), AtPixel(280, 170)});
    EXPECT_TRUE(All(kBlue, 105, 105, 195, 195));
    EXPECT_TRUE(All(kWhite, 205, 105, 275, 195));
    EXPECT_TRUE(All(kRed, 45, 45, 95, 95));

    AnswerPopup({"パスのロック", "全てロック解除"});
    ClickRow(list, 0, Qt::RightButton);
    ClickCanvas(AtPixel(280, 280));
    Drag({AtPixel(200, 170), AtPixel(240, 170), AtPixel(280, 170)});
    EXPECT_TRUE(All(kBlue, 185, 105, 275, 195));
}

TEST_F(PathCommands, CopyAndPasteByTheEditMenuAndTheKeysAddOffsetCopies)
{
    ChooseStyle(kFillOnly);
    Square(kRed, 60, 60, 120, 120);
    SelectAt({{60, 75}});
    Menu({"編集", "コピー"});
    Menu({"編集", "貼り付け"});
    // The copy lands half a grid step (10 px) right of and below the square: 70..130. The checked
    // strips keep clear of the copy's frame handles.
    EXPECT_TRUE(All(kRed, 122, 75, 127, 95));
    EXPECT_TRUE(All(kRed, 75, 122, 95, 127));
    EXPECT_TRUE(All(kRed, 62, 62, 67, 67));  // the square stays
    EXPECT_EQ(core::Doc().DocPathCount(), 2);

    // Ctrl+V pastes the clip again, one more step on: 80..140.
    ASSERT_TRUE(All(kWhite, 133, 85, 137, 105));
    Key(Qt::Key_V, Qt::ControlModifier);
    EXPECT_TRUE(All(kRed, 133, 85, 137, 105));
    EXPECT_EQ(core::Doc().DocPathCount(), 3);

    // Ctrl+C copies the pasted copy, which is selected; Ctrl+V lands its copy at 90..150.
    Key(Qt::Key_C, Qt::ControlModifier);
    ASSERT_TRUE(All(kWhite, 143, 95, 147, 105));
    Key(Qt::Key_V, Qt::ControlModifier);
    EXPECT_TRUE(All(kRed, 143, 95, 147, 105));
    Menu({"編集", "元に戻す"});
    EXPECT_TRUE(All(kWhite, 143, 95, 147, 105));
    EXPECT_TRUE(All(kRed, 133, 85, 137, 105));
}

}  // namespace
}  // namespace journeys
