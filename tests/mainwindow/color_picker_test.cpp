#include "mainwindow/color_picker.h"

#include "mainwindow/user_color_file.h"
#include "tests/mainwindow/panel_fixture.h"
#include "tests/support/test_support.h"

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

class FakeGradientEditor : public mainwindow::GradientColorTarget {
public:
    bool IsVisible() const override { return visible; }
    void GetFromColorPicker(uint32_t colour) override { received.push_back(colour); }
    bool visible = true;
    std::vector<uint32_t> received;
};

class ColorPickerTest : public testsupport::PanelFixture {
protected:
    void TearDown() override
    {
        mainwindow::SetGradientColorTarget(nullptr);
        PanelFixture::TearDown();
    }
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
    // Chooses the menu item with the caption when the user-colour menu pops up.
    void AnswerMenuWith(const QString &caption)
    {
        platform::SetPopupMenuHook([this, caption](QMenu *menu) -> QAction * {
            popups.push_back(menu);
            for (QAction *action : menu->actions()) {
                if (action->text() == caption) {
                    return action;
                }
            }
            return nullptr;
        });
    }
};

TEST_F(ColorPickerTest, PictureHoldsTheWebPaletteInAGrid)
{
    const QImage &picture = mainwindow::PickerPicture();
    ASSERT_EQ(picture.size(), QSize(337, 67));
    auto at = [&](int x, int y) { return platform::BgrFromRgb(picture.pixel(x, y)); };
    EXPECT_EQ(at(CellX(0), CellY(0)), kWhite);
    EXPECT_EQ(at(CellX(35), CellY(5)), 0u);
    EXPECT_EQ(at(CellX(1), CellY(0)), 0xCCFFFFu);  // blue falls within a red group
    EXPECT_EQ(at(CellX(6), CellY(1)), 0xFFCCCCu);  // red 204, green 204, blue 255
    EXPECT_EQ(at(CellX(40), CellY(3)), kWhite);    // user columns
    EXPECT_EQ(at(8, 5), 0u);
    EXPECT_EQ(at(5, 11), 0u);
    EXPECT_EQ(at(336, 66), 0u);
}

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

TEST_F(ColorPickerTest, NothingSelectedRecordsNoUndoStepButRedisplays)
{
    AddSquare(1000, 1000, 2000, false);
    int32_t before = HistoryPos();
    ForgetCanvasMovie();
    Click(testsupport::kLeft, 0, CellX(10), CellY(2));
    EXPECT_EQ(HistoryPos(), before);
    EXPECT_TRUE(CanvasMovieRendered());
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

TEST_F(ColorPickerTest, ClickingAUserCellChoosesItForTheSliders)
{
    Main().UserColors[2][4] = 0x112233;
    window->PicPicker_Paint();
    EXPECT_EQ(Pixel(window->PicPicker, CellX(40), CellY(2)), 0x112233u);
    Click(testsupport::kLeft, 0, CellX(40), CellY(2));
    EXPECT_EQ(Main().UserColorCol, 4);
    EXPECT_EQ(Main().UserColorRow, 2);
    EXPECT_EQ(Main().UserColors[2][4], 0x112233u);  // a click is a drop on itself
    EXPECT_TRUE(window->HScroll2[0]->isEnabled());
    EXPECT_EQ(window->Frame1->title(), QStringLiteral("色情報（ユーザー）"));
    EXPECT_EQ(window->HScroll2[0]->Value(), 0x33);
    EXPECT_EQ(window->HScroll2[2]->Value(), 0x11);
    EXPECT_EQ(Pixel(window->PicPicker, 8 * 40, 11 * 2 + 3), 0x0000FFu);  // red frame of the chosen cell

    window->HScroll2[1]->SetValue(0xAA);
    EXPECT_EQ(Main().UserColors[2][4], 0x11AA33u);
    EXPECT_EQ(window->Text1[1]->Text(), QStringLiteral("170"));
    EXPECT_EQ(Pixel(window->PicUserColor, 5, 5), 0x11AA33u);
    EXPECT_EQ(Pixel(window->PicPicker, CellX(40), CellY(2)), 0x11AA33u);
    window->Text1[0]->SetText(QStringLiteral("1"));
    EXPECT_EQ(Main().UserColors[2][4], 0x11AA01u);
}

TEST_F(ColorPickerTest, DraggingAColourOntoAUserCellStoresIt)
{
    window->PicPicker_MouseDown(testsupport::kLeft, 0, CellX(35), CellY(5));  // black
    EXPECT_TRUE(Main().PickerDragging);
    window->PicPicker_MouseUp(testsupport::kLeft, 0, CellX(39), CellY(2));  // user cell (3, 2)
    EXPECT_EQ(Main().UserColors[2][3], 0u);
    EXPECT_EQ(Main().UserColorCol, 3);
    EXPECT_FALSE(Main().PickerDragging);

    window->PicPicker_MouseDown(testsupport::kLeft, 0, CellX(0), CellY(5));
    window->PicPicker_MouseUp(testsupport::kLeft, 0, CellX(20), CellY(2));  // a palette cell
    window->PicPicker_MouseDown(testsupport::kLeft, 0, CellX(0), CellY(5));
    window->PicPicker_MouseUp(testsupport::kLeft, 0, 350.0f, CellY(2));  // beside the grid
    for (const UserColorRow &row : Main().UserColors) {
        for (uint32_t colour : row) {
            EXPECT_NE(colour, 0xFF00FFu);
        }
    }
}

TEST_F(ColorPickerTest, CtrlClickHandsTheColourToAnOpenGradientEditor)
{
    FakeGradientEditor editor;
    mainwindow::SetGradientColorTarget(&editor);
    Click(testsupport::kLeft, testsupport::kCtrl, CellX(6), CellY(0));
    EXPECT_EQ(Input().CurrentColors[0], 0xFF000000u);  // no current colour
    ASSERT_EQ(editor.received.size(), 1u);
    EXPECT_EQ(editor.received[0], 0xFFFFCCu);
    editor.visible = false;
    Click(testsupport::kLeft, testsupport::kCtrl, CellX(6), CellY(0));
    EXPECT_EQ(editor.received.size(), 1u);
}

TEST_F(ColorPickerTest, ColourBoxRestoresTheLastPickedColourAndOpensTheHexBox)
{
    Click(testsupport::kLeft, 0, CellX(40), CellY(0));  // choose user cell (4, 0)
    window->PicPicker_MouseDown(testsupport::kLeft, 0, CellX(7), CellY(1));  // picks 204, 204, 204
    window->PicPicker_MouseUp(testsupport::kLeft, 0, CellX(7), CellY(1));
    EXPECT_EQ(Main().UserColorCol, -1);
    Main().UserColorCol = 4;  // the cell chosen again, as by a click on it
    Main().UserColorRow = 0;
    window->PicUserColor_MouseDown(testsupport::kLeft, 0, 5, 30);
    EXPECT_EQ(Main().UserColors[0][4], 0xCCCCCCu);

    window->PicUserColor_MouseDown(testsupport::kLeft, 0, 5, 5);
    EXPECT_TRUE(window->Text3->isVisibleTo(window.get()));
    EXPECT_EQ(window->Text3->Text(), QStringLiteral("#CCCCCC"));
    EXPECT_EQ(window->Text3->selectedText(), QStringLiteral("#CCCCCC"));
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

TEST_F(ColorPickerTest, AddingAndCopyingSetsShowTheNewLastSet)
{
    ShowSets(2, 1);
    window->InsertUserColorSet(0);
    EXPECT_EQ(SetOrder(Main().UserColors), (std::vector<uint32_t>{1, 2, kWhite}));
    EXPECT_EQ(Main().UserColorTop, 12);
    EXPECT_EQ(window->VScroll2->Max(), 2);
    EXPECT_TRUE(window->VScroll2->isEnabled());
    window->VScroll2->SetValue(0);
    window->InsertUserColorSet(1);
    EXPECT_EQ(SetOrder(Main().UserColors), (std::vector<uint32_t>{1, 2, kWhite, 1}));
    EXPECT_EQ(Main().UserColorTop, 18);
    EXPECT_EQ(Pixel(window->PicPicker, CellX(41), CellY(5)), 1u);
}

TEST_F(ColorPickerTest, DeletingAsksFirstAndTheLastSetFallsBackToTheOneBefore)
{
    ShowSets(3, 2);
    std::vector<QString> prompts;
    int answer = platform::kMbNo;
    platform::SetMessageBoxHook([&](const platform::MessageBoxRequest &request) {
        prompts.push_back(request.prompt);
        EXPECT_EQ(request.style & 7, platform::kMbYesNo);
        return answer;
    });
    window->mnuUserColorDelete_Click();
    ASSERT_EQ(prompts.size(), 1u);
    EXPECT_EQ(prompts[0], QStringLiteral("現在のカラーセット(3) を削除しますか？"));
    EXPECT_EQ(SetOrder(Main().UserColors), (std::vector<uint32_t>{1, 2, 3}));
    answer = platform::kMbYes;
    window->mnuUserColorDelete_Click();
    EXPECT_EQ(SetOrder(Main().UserColors), (std::vector<uint32_t>{1, 2}));
    EXPECT_EQ(window->VScroll2->Value(), 1);
    EXPECT_EQ(Main().UserColorTop, 6);
    EXPECT_EQ(Pixel(window->PicPicker, CellX(36), CellY(0)), 2u);
    window->VScroll2->SetValue(0);
    window->mnuUserColorDelete_Click();
    EXPECT_EQ(SetOrder(Main().UserColors), (std::vector<uint32_t>{2}));
    EXPECT_FALSE(window->VScroll2->isEnabled());
    window->mnuUserColorDelete_Click();  // the only set stays
    EXPECT_EQ(SetOrder(Main().UserColors), (std::vector<uint32_t>{2}));
    EXPECT_EQ(prompts.size(), 3u);
}

TEST_F(ColorPickerTest, MovingSetsUpDownToTopAndBottom)
{
    ShowSets(4, 2);
    window->mnuUserColorMoveUp_Click();
    EXPECT_EQ(SetOrder(Main().UserColors), (std::vector<uint32_t>{1, 3, 2, 4}));
    EXPECT_EQ(Main().UserColorTop, 6);
    window->mnuUserColorMoveDown_Click();
    window->mnuUserColorMoveDown_Click();
    EXPECT_EQ(SetOrder(Main().UserColors), (std::vector<uint32_t>{1, 2, 4, 3}));
    EXPECT_EQ(Main().UserColorTop, 18);
    window->mnuUserColorMoveTop_Click();
    EXPECT_EQ(SetOrder(Main().UserColors), (std::vector<uint32_t>{3, 1, 2, 4}));
    EXPECT_EQ(Main().UserColorTop, 0);
    window->mnuUserColorMoveBottom_Click();
    EXPECT_EQ(SetOrder(Main().UserColors), (std::vector<uint32_t>{1, 2, 4, 3}));
    EXPECT_EQ(Main().UserColorTop, 18);
    window->mnuUserColorSet_Click(1);
    EXPECT_EQ(Main().UserColorTop, 6);
}

TEST_F(ColorPickerTest, MenuListsTheSetsAndEnablesOnlyPossibleMoves)
{
    AnswerMenuWith(QStringLiteral("&3 セット3"));
    ShowSets(3, 0);
    window->Command1_Click();
    ASSERT_EQ(popups.size(), 1u);
    EXPECT_TRUE(Input().PopupShown);
    const auto &items = window->menus;
    EXPECT_EQ(items.mnuUserColorSet->UBound(), 2);
    EXPECT_EQ(items.mnuUserColorSet->Item(1)->Caption(), QStringLiteral("&2 セット2"));
    EXPECT_TRUE(items.mnuUserColorDelete->Enabled());
    EXPECT_FALSE(items.mnuUserColorMoveUp->Enabled());
    EXPECT_FALSE(items.mnuUserColorMoveTop->Enabled());
    EXPECT_TRUE(items.mnuUserColorMoveDown->Enabled());
    EXPECT_EQ(Main().UserColorTop, 12);  // the chosen set item shows set 3

    AnswerMenuWith(QStringLiteral("no such item"));
    window->Command1_Click();
    EXPECT_EQ(items.mnuUserColor->defaultAction(), items.mnuUserColorSet->Item(2)->Action());
    EXPECT_TRUE(items.mnuUserColorMoveUp->Enabled());
    EXPECT_FALSE(items.mnuUserColorMoveDown->Enabled());
    EXPECT_FALSE(items.mnuUserColorMoveBottom->Enabled());

    ShowSets(1, 0);
    window->Command1_Click();
    EXPECT_EQ(items.mnuUserColorSet->UBound(), 0);
    EXPECT_FALSE(items.mnuUserColorDelete->Enabled());
    EXPECT_FALSE(items.mnuUserColorMove->Enabled());
}

TEST_F(ColorPickerTest, MenuCommandAddsASet)
{
    AnswerMenuWith(QStringLiteral("追加(&A)"));
    window->Command1_Click();
    EXPECT_EQ(Main().UserColors.size(), 12u);
    EXPECT_EQ(Main().UserColorTop, 6);
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
