#include "mainwindow/color_picker.h"

#include "mainwindow/user_color_file.h"
#include "tests/mainwindow/panel_fixture.h"
#include "tests/support/test_support.h"

#include <QApplication>
#include <QMouseEvent>

using canvastools::Input;
using core::Doc;
using mainwindow::Main;
using mainwindow::UserColorRow;
using mainwindow::UserColorTable;

namespace {

constexpr uint32_t kWhite = 0xFFFFFF;

// The picture coordinates of the middle of picker cell (column, row).
float CellX(int column)
{
    return 8.0f * column + 4.0f;
}
float CellY(int row)
{
    return 11.0f * row + 5.0f;
}

// A table of sets whose cells tell their set: set k holds k + 1 in every cell.
UserColorTable NumberedSets(int sets)
{
    UserColorTable table;
    for (int k = 0; k < sets; ++k) {
        for (int r = 0; r < 6; ++r) {
            table.push_back(UserColorRow{});
            table.back().fill(static_cast<uint32_t>(k + 1));
        }
    }
    return table;
}

// The set numbers of a table built from NumberedSets, in their order.
std::vector<uint32_t> SetOrder(const UserColorTable &table)
{
    std::vector<uint32_t> order;
    for (size_t row = 0; row < table.size(); row += 6) {
        order.push_back(table[row][0]);
    }
    return order;
}

class ColorPickerTest : public testsupport::PanelFixture {
protected:
    void Click(int button, int shift, float x, float y)
    {
        window->PicPicker_MouseDown(button, shift, x, y);
        window->PicPicker_MouseUp(button, shift, x, y);
    }
    void ShowSets(int sets, int shown)
    {
        Main().UserColors = NumberedSets(sets);
        window->PicPicker_Paint();
        window->VScroll2->SetValue(shown);
    }
};

TEST_F(ColorPickerTest, ClicksSetTheLineFillOrGradientColourKeepingOpacity)
{
    int32_t path = AddSquare(1000, 1000, 2000, true);
    Input().CurrentColors = {0x80000000u, 0xFFFFFF00u, 0x40FFFFFFu};
    window->PicColor_Paint();
    int32_t before = HistoryPos();

    Click(testsupport::kLeft, 0, CellX(6), CellY(0));  // 204, 255, 255
    EXPECT_EQ(Input().CurrentColors[0], 0x80FFFFCCu);
    EXPECT_EQ(Input().CurrentColors[1], 0xFFFFFF00u);
    EXPECT_EQ(Path(path).LineColor, 0x80FFFFCCu);
    EXPECT_EQ(HistoryPos(), before + 1);
    EXPECT_EQ(window->Text1[0]->Text(), QStringLiteral("204"));
    EXPECT_FALSE(window->HScroll2[0]->isEnabled());
    EXPECT_EQ(window->Frame1->title(), QStringLiteral("色情報"));
    EXPECT_EQ(Pixel(window->PicUserColor, 5, 30), 0xFFFFCCu);  // the last picked colour

    Click(testsupport::kRight, 0, CellX(35), CellY(5));
    EXPECT_EQ(Input().CurrentColors[1], 0xFF000000u);
    EXPECT_EQ(Path(path).FillColor, 0xFF000000u);
    Click(testsupport::kRight, testsupport::kShift, CellX(0), CellY(5));
    EXPECT_EQ(Input().CurrentColors[2], 0x40FF00FFu);  // red 255, green 0, blue 255
    EXPECT_EQ(HistoryPos(), before + 3);

    Click(testsupport::kLeft, testsupport::kShift, CellX(3), CellY(3));  // no colour for this one
    Click(testsupport::kLeft, testsupport::kAlt, CellX(3), CellY(3));
    EXPECT_EQ(Input().CurrentColors[0], 0x80FFFFCCu);
    EXPECT_EQ(HistoryPos(), before + 3);
}

TEST_F(ColorPickerTest, GridLinesSampleTheCellBeyondAndTheEdgesDoNothing)
{
    Click(testsupport::kLeft, 0, 8.0f, CellY(0));  // the line between columns 0 and 1
    EXPECT_EQ(Input().CurrentColors[0] & kWhite, 0xCCFFFFu);
    Input().CurrentColors[0] = 0xFF000000u;
    Click(testsupport::kLeft, 0, CellX(0), 11.0f);  // between rows 0 and 1
    EXPECT_EQ(Input().CurrentColors[0] & kWhite, 0xFFCCFFu);

    Main().UserColorCol = 3;
    window->PicPicker_MouseDown(testsupport::kLeft, 0, 336.0f, 10.0f);
    window->PicPicker_MouseDown(testsupport::kLeft, 0, 10.0f, 66.0f);
    window->PicPicker_MouseDown(testsupport::kLeft, 0, -1.0f, 10.0f);
    EXPECT_EQ(Main().UserColorCol, 3);
    EXPECT_FALSE(Main().PickerDragging);

    // Just left of the right edge rounds onto the last grid line: the last cell is taken.
    Click(testsupport::kLeft, 0, 335.6f, 65.6f);
    EXPECT_EQ(Main().UserColorCol, 5);
    EXPECT_EQ(Main().UserColorRow, 5);
    EXPECT_EQ(Input().CurrentColors[0] & kWhite, kWhite);
}

TEST_F(ColorPickerTest, FractionalClicksBesideAGridLinePickTheCellNotTheFrame)
{
    // A scaled screen gives fractional positions: the press and release as the widget gets them.
    auto click = [&](QPointF at) {
        for (QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) {
            QMouseEvent event(type, at, window->PicPicker->mapToGlobal(at), Qt::LeftButton,
                              type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton, Qt::NoModifier);
            QApplication::sendEvent(window->PicPicker, &event);
        }
    };
    click(QPointF(7.6, CellY(0)));  // rounds onto the line at 8: the cell right of it
    EXPECT_EQ(Input().CurrentColors[0] & kWhite, 0xCCFFFFu);
    click(QPointF(7.5, CellY(0)));  // a half rounds to the even 8 as well
    EXPECT_EQ(Input().CurrentColors[0] & kWhite, 0xCCFFFFu);
    click(QPointF(CellX(2), 21.7));  // onto the line at 22: the row below
    EXPECT_EQ(Input().CurrentColors[0] & kWhite, 0x9999FFu);  // red 255, green 153, blue 153
    click(QPointF(7.4, CellY(0)));  // still in the first cell
    EXPECT_EQ(Input().CurrentColors[0] & kWhite, kWhite);
}

TEST_F(ColorPickerTest, HexEntryReadsPairsOfDigits)
{
    auto enter = [&](const char *text) {
        window->Text3->show();
        window->Text3->SetText(QString::fromLatin1(text));
        window->Text3_KeyPress(13);
        EXPECT_FALSE(window->Text3->isVisibleTo(window.get())) << text;
        return std::array<int, 3>{window->HScroll2[0]->Value(), window->HScroll2[1]->Value(),
                                  window->HScroll2[2]->Value()};
    };
    EXPECT_EQ(enter("#00ff80"), (std::array<int, 3>{0, 255, 128}));
    EXPECT_EQ(enter("123456"), (std::array<int, 3>{0x12, 0x34, 0x56}));
    EXPECT_EQ(enter("00FF80"), (std::array<int, 3>{0, 255, 128}));
    EXPECT_EQ(enter("#00FF8"), (std::array<int, 3>{0, 15, 248}));
    EXPECT_EQ(enter("#ABCD"), (std::array<int, 3>{0, 15, 248}));  // wrong length: no change
    EXPECT_EQ(enter("zz1x9!"), (std::array<int, 3>{0, 1, 9}));
    window->Text3->show();
    window->Text3->SetText(QStringLiteral("#FFFFFF"));
    window->Text3_KeyPress(27);
    EXPECT_FALSE(window->Text3->isVisibleTo(window.get()));
    EXPECT_EQ(window->HScroll2[0]->Value(), 0);
    EXPECT_EQ(mainwindow::HexColorText(0x0A0B0C), QStringLiteral("#0C0B0A"));
}

TEST_F(ColorPickerTest, DroppedFileInsertsItsFirstSetBeforeTheSetOnShow)
{
    ShowSets(2, 1);
    std::string dropped = testsupport::TempPath("three_sets.dat");
    ASSERT_TRUE(mainwindow::SaveUserColorFile(dropped, NumberedSets(3)));
    window->PicPicker_OLEDragDrop({QString::fromStdString(dropped)});
    EXPECT_EQ(SetOrder(Main().UserColors), (std::vector<uint32_t>{1, 1, 2}));
    EXPECT_EQ(Main().UserColorTop, 6);
    window->PicPicker_OLEDragDrop({});  // no file: nothing
    EXPECT_EQ(Main().UserColors.size(), 18u);
}

TEST_F(ColorPickerTest, EditedSetsAreWrittenToTheUserColourFileAtShutDown)
{
    Click(testsupport::kLeft, 0, CellX(41), CellY(5));
    window->HScroll2[0]->SetValue(0x12);
    window->InsertUserColorSet(1);
    int cancel = 0;
    window->Form_Unload(cancel);
    ASSERT_EQ(cancel, 0);
    UserColorTable saved;
    mainwindow::LoadUserColorFile(platform::ProgramFile(mainwindow::kUserColorFileName), saved);
    ASSERT_EQ(saved.size(), 12u);
    EXPECT_EQ(saved[5][5], 0xFFFF12u);
    EXPECT_EQ(saved[11][5], 0xFFFF12u);
    EXPECT_EQ(saved[0][0], kWhite);
}

}  // namespace
