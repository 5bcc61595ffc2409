#include "mainwindow/side_panels.h"

#include "tests/mainwindow/panel_fixture.h"

using canvastools::Input;
using core::Doc;
using mainwindow::Main;

namespace {

class SidePanelTest : public testsupport::PanelFixture {};

TEST_F(SidePanelTest, RealTimeBoxMirrorsIntoTheRealTimeFlag)
{
    EXPECT_FALSE(Input().RealtimeMode);
    window->Check1->SetValue(1);
    EXPECT_TRUE(Input().RealtimeMode);
    window->Check1->SetValue(0);
    EXPECT_FALSE(Input().RealtimeMode);
}

TEST_F(SidePanelTest, OpacityBoxShowsItsFrameAndMovesThePanelsAlong)
{
    auto rightOf = [](const QWidget *w) { return w->x() + w->width() + 2; };
    EXPECT_FALSE(window->Frame2->isVisibleTo(window.get()));
    EXPECT_EQ(window->PicPicker->x(), rightOf(window->PicColor));
    EXPECT_EQ(window->Frame1->x(), rightOf(window->PicPicker));

    window->Check2->SetValue(1);
    EXPECT_TRUE(window->Frame2->isVisibleTo(window.get()));
    EXPECT_EQ(window->PicPicker->x(), rightOf(window->Frame2));
    EXPECT_EQ(window->PicPicker->x(), rightOf(window->PicColor) + window->Frame2->width() + 2);
    EXPECT_EQ(window->Frame1->x(), rightOf(window->PicPicker));

    window->Check2->SetValue(0);
    EXPECT_FALSE(window->Frame2->isVisibleTo(window.get()));
    EXPECT_EQ(window->PicPicker->x(), rightOf(window->PicColor));
    EXPECT_EQ(window->Frame1->x(), rightOf(window->PicPicker));
}

TEST_F(SidePanelTest, DisplayBoxesRenderTheCanvasAgainAndSnapOnlyMovesTheFocus)
{
    for (platform::CheckBox *box : {window->Check3, window->Check4, window->Check5}) {
        ForgetCanvasMovie();
        box->SetValue(1);
        EXPECT_TRUE(CanvasMovieRendered()) << box->text().toStdString();
    }
    ForgetCanvasMovie();
    window->Check6->SetValue(1);
    EXPECT_FALSE(CanvasMovieRendered());
}

TEST_F(SidePanelTest, UnderlayInFrontBoxRedrawsItsOwnFace)
{
    Main().UseToolIcons = 1;
    window->Check4->SetValue(0);
    qint64 unticked = window->Check4->icon().cacheKey();
    window->Check4->SetValue(1);
    EXPECT_NE(window->Check4->icon().cacheKey(), unticked);
    EXPECT_TRUE(window->Check4->text().isEmpty());
}

TEST_F(SidePanelTest, HintsOfTheDisplayBoxes)
{
    EXPECT_EQ(HintOf(window->Check1), QStringLiteral("[リアルタイム描画]　描画をﾘｱﾙﾀｲﾑに行う　(R)"));
    EXPECT_EQ(HintOf(window->Check3), QStringLiteral("[下絵を表示]　ｷｬﾝﾊﾞｽのﾌﾟﾛﾊﾟﾃｨで設定した下絵を表示する　(B)"));
    EXPECT_EQ(HintOf(window->Check4), QStringLiteral("[下絵を前面に表示]　下絵を全てのパスより前面に表示する　(F)"));
    EXPECT_EQ(HintOf(window->Check5),
              QStringLiteral("[グリッドを表示]　ｷｬﾝﾊﾞｽのﾌﾟﾛﾊﾟﾃｨで設定したｸﾞﾘｯﾄﾞを表示　(Ctrl+G)"));
    Main().NotSnapInvisibleGrid = 0;
    EXPECT_EQ(HintOf(window->Check6), QStringLiteral("[グリッド吸着]　ｸﾞﾘｯﾄﾞに吸着する　(G)"));
    Main().NotSnapInvisibleGrid = 1;
    EXPECT_EQ(HintOf(window->Check6), QStringLiteral("[グリッド吸着]　ｸﾞﾘｯﾄﾞ表示中のみｸﾞﾘｯﾄﾞに吸着する　(G)"));
}

TEST_F(SidePanelTest, LineWidthTextIsReadAsItsLeadingNumberAndClamped)
{
    EXPECT_EQ(mainwindow::LineWidthFromText(QStringLiteral("1.5 pt")), 1.5f);
    EXPECT_EQ(mainwindow::LineWidthFromText(QStringLiteral("  7pt")), 7.0f);
    EXPECT_EQ(mainwindow::LineWidthFromText(QStringLiteral("0")), 0.0f);
    EXPECT_EQ(mainwindow::LineWidthFromText(QStringLiteral("-3")), 1.0f);
    EXPECT_EQ(mainwindow::LineWidthFromText(QStringLiteral("abc")), 0.0f);
    EXPECT_EQ(mainwindow::LineWidthFromText(QStringLiteral("1e9")), mainwindow::kMaxLineWidth);
    EXPECT_EQ(mainwindow::LineWidthFromText(QStringLiteral("1e999")), mainwindow::kMaxLineWidth);
    EXPECT_EQ(mainwindow::SingleText(0.1f), QStringLiteral("0.1"));
    EXPECT_EQ(mainwindow::SingleText(2.0f), QStringLiteral("2"));
}

TEST_F(SidePanelTest, ChoosingALineWidthSetsTheCurrentWidthAndTheSelection)
{
    int32_t path = AddSquare(1000, 1000, 2000, true);
    int32_t before = HistoryPos();
    window->Combo1->SetText(QStringLiteral("1.5 pt"));
    window->Combo1_Click();
    EXPECT_EQ(Input().CurrentLineWidth, 1.5f);
    EXPECT_EQ(window->Combo1->Text(), QStringLiteral("1.5 pt"));
    EXPECT_EQ(Path(path).LineWidth, 30);
    EXPECT_EQ(HistoryPos(), before + 1);

    window->Combo1->SetText(QStringLiteral("-3"));
    emit window->Combo1->KeyPress(13);  // Enter in the box chooses the typed width
    EXPECT_EQ(window->Combo1->Text(), QStringLiteral("1 pt"));
    EXPECT_EQ(Input().CurrentLineWidth, 1.0f);
    EXPECT_EQ(Path(path).LineWidth, 20);

    window->Combo1->SetText(QStringLiteral("letters"));
    window->Combo1_Click();
    EXPECT_EQ(window->Combo1->Text(), QStringLiteral("0 pt"));
    EXPECT_EQ(Path(path).LineWidth, 0);
}

TEST_F(SidePanelTest, LineWidthWithNothingSelectedRecordsNoUndoStepButRenders)
{
    AddSquare(1000, 1000, 2000, false);
    int32_t before = HistoryPos();
    ForgetCanvasMovie();
    window->Combo1->SetText(QStringLiteral("12 pt"));
    window->Combo1_Click();
    EXPECT_EQ(HistoryPos(), before);
    EXPECT_TRUE(CanvasMovieRendered());
    EXPECT_EQ(Path(1).LineWidth, 20);
    EXPECT_EQ(Input().CurrentLineWidth, 12.0f);
}

TEST_F(SidePanelTest, TypedZoomWithoutUpperListLimit)
{
    window->Combo2->SetText(QStringLiteral("1000"));
    window->Combo2_Click();
    EXPECT_EQ(window->Combo2->Text(), QStringLiteral("1000%"));
    EXPECT_EQ(Doc().ZoomRate, 10.0f);
    window->Combo2->SetText(QStringLiteral("0"));
    window->Combo2_Click();
    EXPECT_EQ(window->Combo2->Text(), QStringLiteral("100%"));
}

TEST_F(SidePanelTest, TypingIntoABoxSwitchesTheWindowsShortcutsOff)
{
    emit window->Combo1->GotFocus();
    EXPECT_FALSE(window->keyPreview->Enabled());
    emit window->Combo1->LostFocus();
    EXPECT_TRUE(window->keyPreview->Enabled());
    emit window->Text2[0]->GotFocus();
    EXPECT_FALSE(window->keyPreview->Enabled());
    emit window->Text2[0]->LostFocus();
    EXPECT_TRUE(window->keyPreview->Enabled());
}

}  // namespace
