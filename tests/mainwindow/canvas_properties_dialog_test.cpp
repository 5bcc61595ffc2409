#include "mainwindow/canvas_properties_dialog.h"

#include "mainwindow/settings_file.h"
#include "tests/mainwindow/dialog_fixture.h"

#include <QKeyEvent>

#include <cfloat>
#include <climits>

using core::Doc;
using mainwindow::CanvasGUI;

namespace {

class CanvasDialogTest : public testsupport::DialogFixture {
protected:
    // Opens the dialog from the File menu; work runs while it is shown.
    void OpenFromMenu(std::function<void(CanvasGUI &)> work)
    {
        Answer<CanvasGUI>(std::move(work));
        window->menus.mnuPropertyCanvasFile->Click();
    }
};

core::CanvasSettings CustomSettings()
{
    core::CanvasSettings s;
    s.Width = 640;
    s.Height = 480;
    s.BackColorR = 10;
    s.BackColorG = 20;
    s.BackColorB = 30;
    s.OptimizeFlag = 2;
    s.OptimizePoint = 70;
    s.OptimizeLine = 35;
    s.Quality = 3;
    s.AutoConvertFlag = 1;
    s.AutoConvertValue = 2;
    s.GridWidth = 410;
    s.GridHeight = 300;
    s.GridPower = 40;
    s.FloodQuality = 4;
    s.FloodAccuracy = 5.5f;
    s.FloodChink = 3;
    s.FloodAcute = 12;
    s.DrawOutsideFlag = 0;
    s.ScrollMargin = 32;
    s.BackgroundFlag = 1;
    s.BackgroundFile = "/tmp/under lay.png";
    s.BackgroundX = -12;
    s.BackgroundY = 7;
    s.BackgroundScale = 0.25f;
    s.BackgroundOpacity = 200;
    return s;
}

}  // namespace

TEST_F(CanvasDialogTest, ShowsTheCurrentSettings)
{
    Doc().CurrentSettings = CustomSettings();
    CanvasGUI dialog(nullptr);
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("キャンバスのプロパティ"));
    EXPECT_EQ(dialog.Text1->Text(), "640");
    EXPECT_EQ(dialog.Text2->Text(), "480");
    EXPECT_EQ(dialog.Combo1->currentIndex(), 3);
    EXPECT_EQ(dialog.HScroll2[0]->Value(), 10);
    EXPECT_EQ(dialog.Text3[1]->Text(), "20");
    EXPECT_EQ(dialog.Text3[2]->Text(), "30");
    EXPECT_EQ(dialog.PicBackColor->palette().color(QPalette::Window), QColor(10, 20, 30));
    EXPECT_EQ(dialog.Check1->Value(), 0);
    EXPECT_EQ(dialog.Check2->Value(), 1);
    EXPECT_EQ(dialog.Text4->Text(), "70");
    EXPECT_EQ(dialog.Text5->Text(), "35");
    EXPECT_EQ(dialog.Check4->Value(), 1);
    EXPECT_TRUE(dialog.Option1[2]->Value());
    EXPECT_TRUE(dialog.Option1[0]->isEnabled());
    EXPECT_EQ(dialog.Check3->Value(), 1);
    EXPECT_FALSE(dialog.Frame6->isHidden());
    EXPECT_EQ(dialog.Text6->Text(), "/tmp/under lay.png");
    EXPECT_EQ(dialog.Text7->Text(), "-12");
    EXPECT_EQ(dialog.Text8->Text(), "7");
    EXPECT_EQ(dialog.Text9->Text(), "0.25");
    EXPECT_EQ(dialog.HScroll1->Value(), 200);
    EXPECT_EQ(dialog.Label10->text(), "200");
    EXPECT_EQ(dialog.Text10->Text(), "20.5");  // 410 twips
    EXPECT_EQ(dialog.Text11->Text(), "15");
    EXPECT_EQ(dialog.HScroll3->Value(), 40);
    EXPECT_EQ(dialog.Label11->text(), "40");
    EXPECT_EQ(dialog.Combo2->currentIndex(), 4);
    EXPECT_EQ(dialog.Text12->Text(), "5.5");
    EXPECT_TRUE(dialog.Text12->isEnabled());
    EXPECT_EQ(dialog.Check5->Value(), 0);
    EXPECT_EQ(dialog.Text15->Text(), "32");
}

TEST_F(CanvasDialogTest, OkWithUnchangedValuesKeepsTheSettings)
{
    Doc().CurrentSettings = CustomSettings();
    CanvasGUI dialog(nullptr);
    dialog.Command1->click();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(Doc().CurrentSettings, CustomSettings());
}

TEST_F(CanvasDialogTest, DefaultsHideTheUnderlayAndLockTheFillPreset)
{
    CanvasGUI dialog(nullptr);
    EXPECT_TRUE(dialog.Frame6->isHidden());
    EXPECT_FALSE(dialog.Option1[0]->isEnabled());
    EXPECT_EQ(dialog.Combo2->currentIndex(), 0);
    EXPECT_FALSE(dialog.Text13->isEnabled());
    dialog.Check3->SetValue(1);
    EXPECT_FALSE(dialog.Frame6->isHidden());
    dialog.Check4->SetValue(1);
    EXPECT_TRUE(dialog.Option1[3]->isEnabled());
}

TEST_F(CanvasDialogTest, FillPresetWinsOverStoredValues)
{
    Doc().CurrentSettings.FloodQuality = 2;
    Doc().CurrentSettings.FloodAccuracy = Doc().CurrentSettings.FloodChink = Doc().CurrentSettings.FloodAcute = 5;
    CanvasGUI dialog(nullptr);
    EXPECT_EQ(dialog.Text12->Text(), "6");
    EXPECT_EQ(dialog.Text13->Text(), "2");
    EXPECT_EQ(dialog.Text14->Text(), "20");
    EXPECT_FALSE(dialog.Text14->isEnabled());
    dialog.Command1_Click();
    EXPECT_EQ(Doc().CurrentSettings.FloodAccuracy, 6.0f);
    EXPECT_EQ(Doc().CurrentSettings.FloodChink, 2.0f);
    EXPECT_EQ(Doc().CurrentSettings.FloodAcute, 20.0f);
}

TEST_F(CanvasDialogTest, CustomFillUnlocksAndKeepsTheNumbers)
{
    Doc().CurrentSettings.FloodQuality = 3;
    CanvasGUI dialog(nullptr);
    dialog.Combo2->setCurrentIndex(4);
    dialog.Combo2_Click();
    EXPECT_TRUE(dialog.Text12->isEnabled());
    EXPECT_EQ(dialog.Text12->Text(), "8");
    dialog.Text13->SetText("0.5");
    dialog.Command1_Click();
    EXPECT_EQ(Doc().CurrentSettings.FloodQuality, 4);
    EXPECT_EQ(Doc().CurrentSettings.FloodAccuracy, 8.0f);
    EXPECT_EQ(Doc().CurrentSettings.FloodChink, 0.5f);
}

TEST_F(CanvasDialogTest, ColourBoxesAreClampedAndMoveTheirSliders)
{
    CanvasGUI dialog(nullptr);
    dialog.Text3[0]->SetText("300");
    EXPECT_EQ(dialog.Text3[0]->Text(), "255");
    EXPECT_EQ(dialog.HScroll2[0]->Value(), 255);
    dialog.Text3[1]->SetText("-5");
    EXPECT_EQ(dialog.Text3[1]->Text(), "0");
    EXPECT_EQ(dialog.HScroll2[1]->Value(), 0);
    dialog.Text3[2]->SetText(" 12.5xyz");
    EXPECT_EQ(dialog.Text3[2]->Text(), "12");
    EXPECT_EQ(dialog.PicBackColor->palette().color(QPalette::Window), QColor(255, 0, 12));
    dialog.HScroll2[2]->SetValue(99);
    EXPECT_EQ(dialog.Text3[2]->Text(), "99");
    dialog.Command1_Click();
    EXPECT_EQ(Doc().CurrentSettings.BackColorR, 255);
    EXPECT_EQ(Doc().CurrentSettings.BackColorG, 0);
    EXPECT_EQ(Doc().CurrentSettings.BackColorB, 99);
}

TEST_F(CanvasDialogTest, TypedNumbersAreRoundedAndClamped)
{
    CanvasGUI dialog(nullptr);
    dialog.Text1->SetText("300.5");
    dialog.Text2->SetText("301.5");
    dialog.Text4->SetText("1000");
    dialog.Text5->SetText("-3");
    dialog.Text10->SetText("20.5");
    dialog.Text11->SetText("abc");
    dialog.Text7->SetText("1e99");
    dialog.Text8->SetText("-1e99");
    dialog.Text9->SetText("1e300");
    dialog.Text15->SetText("  48 px");
    dialog.Check1->SetValue(0);
    dialog.Check2->SetValue(1);
    dialog.Command1_Click();
    const core::CanvasSettings &s = Doc().CurrentSettings;
    EXPECT_EQ(s.Width, 300);
    EXPECT_EQ(s.Height, 302);  // halves to even
    EXPECT_EQ(s.OptimizePoint, 400);
    EXPECT_EQ(s.OptimizeLine, 0);
    EXPECT_EQ(s.OptimizeFlag, 2);
    EXPECT_EQ(s.GridWidth, 410);
    EXPECT_EQ(s.GridHeight, 0);  // no number reads as 0; the canvas then shows no grid
    EXPECT_EQ(s.BackgroundX, INT32_MAX);
    EXPECT_EQ(s.BackgroundY, INT32_MIN);
    EXPECT_EQ(s.BackgroundScale, FLT_MAX);
    EXPECT_EQ(s.ScrollMargin, 48);
}

TEST_F(CanvasDialogTest, CanvasSizeStaysWithinWhatTheMovieShows)
{
    CanvasGUI dialog(nullptr);
    dialog.Text1->SetText("5000");
    dialog.Text2->SetText("not a number");
    dialog.Command1_Click();
    EXPECT_EQ(Doc().CurrentSettings.Width, 1638);
    EXPECT_EQ(Doc().CurrentSettings.Height, 1);
}

TEST_F(CanvasDialogTest, HiddenUnderlayValuesAreStillStored)
{
    Doc().CurrentSettings.BackgroundFlag = 1;
    CanvasGUI dialog(nullptr);
    dialog.Text7->SetText("15");
    dialog.HScroll1->SetValue(256);
    dialog.Check3->SetValue(0);
    EXPECT_TRUE(dialog.Frame6->isHidden());
    dialog.Command1_Click();
    EXPECT_EQ(Doc().CurrentSettings.BackgroundFlag, 0);
    EXPECT_EQ(Doc().CurrentSettings.BackgroundX, 15);
    EXPECT_EQ(Doc().CurrentSettings.BackgroundOpacity, 256);
}

TEST_F(CanvasDialogTest, ConversionKindComesFromTheChosenOption)
{
    CanvasGUI dialog(nullptr);
    dialog.Check4->SetValue(1);
    dialog.Option1[3]->SetValue(true);
    dialog.Command1_Click();
    EXPECT_EQ(Doc().CurrentSettings.AutoConvertFlag, 1);
    EXPECT_EQ(Doc().CurrentSettings.AutoConvertValue, 3);
}

TEST_F(CanvasDialogTest, UnusableStoredChoicesAreKept)
{
    Doc().CurrentSettings.Quality = 7;
    Doc().CurrentSettings.AutoConvertValue = 9;
    CanvasGUI dialog(nullptr);
    EXPECT_EQ(dialog.Combo1->currentIndex(), -1);
    dialog.Command1_Click();
    EXPECT_EQ(Doc().CurrentSettings.Quality, 7);
    EXPECT_EQ(Doc().CurrentSettings.AutoConvertValue, 9);
}

TEST_F(CanvasDialogTest, OkFromTheMenuAppliesAndRegeneratesTheCanvas)
{
    Start();
    OpenFromMenu([](CanvasGUI &dialog) {
        dialog.Text1->SetText("500");
        dialog.Text3[0]->SetText("0");
        dialog.Command1->click();
    });
    EXPECT_EQ(dialogsShown, 1);
    EXPECT_EQ(Doc().CurrentSettings.Width, 500);
    EXPECT_EQ(Doc().CurrentSettings.BackColorR, 0);
    EXPECT_EQ(Doc().ViewExtent.Right - Doc().ViewExtent.Left, 500);  // the new movie's canvas
    EXPECT_FALSE(movie::Canvas().BackColorCache.empty());  // rebuilt for the new colour
    EXPECT_FALSE(core::CanUndo());
    EXPECT_FALSE(core::Lifecycle().DocModified);
}

TEST_F(CanvasDialogTest, CancelAndEscapeChangeNothing)
{
    Start();
    Doc().CurrentSettings = CustomSettings();
    OpenFromMenu([](CanvasGUI &dialog) {
        dialog.Text1->SetText("100");
        dialog.Check5->SetValue(1);
        dialog.Combo2->setCurrentIndex(0);
        dialog.Combo2_Click();
        dialog.Command2->click();
    });
    EXPECT_EQ(Doc().CurrentSettings, CustomSettings());
    OpenFromMenu([](CanvasGUI &dialog) {
        dialog.Text2->SetText("100");
        QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
        QApplication::sendEvent(&dialog, &escape);
        EXPECT_EQ(dialog.result(), QDialog::Rejected);
    });
    EXPECT_EQ(Doc().CurrentSettings, CustomSettings());
    EXPECT_FALSE(std::filesystem::exists(platform::ProgramFile("default.dat")));
    // A dialog closed without a button (the window's close box) is cancelled as well.
    OpenFromMenu([](CanvasGUI &dialog) { dialog.Text2->SetText("100"); });
    EXPECT_EQ(Doc().CurrentSettings, CustomSettings());
}

TEST_F(CanvasDialogTest, SetAsDefaultWritesDefaultDatAndKeepsTheDrawing)
{
    Start();
    Doc().CurrentSettings = CustomSettings();
    OpenFromMenu([](CanvasGUI &dialog) {
        dialog.Text1->SetText("800");
        dialog.Text10->SetText("10");
        dialog.Text7->SetText("99");
        dialog.Command4->click();
        EXPECT_EQ(dialog.result(), QDialog::Rejected);  // still open: not closed by OK
        dialog.Command2->click();
    });
    EXPECT_EQ(Doc().CurrentSettings, CustomSettings());
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].title, QStringLiteral("Quillark"));
    EXPECT_EQ(messages[0].prompt,
              QStringLiteral("デフォルトのキャンバスに設定されました。\r\n新規作成時には現在の設定が使用されます。"));
    EXPECT_EQ(messages[0].style, platform::kMbInformation);

    core::CanvasSettings stored;
    mainwindow::LoadPreferenceSub(platform::ProgramFile("default.dat"), stored);
    core::CanvasSettings expected = CustomSettings();
    expected.Width = 800;
    expected.GridWidth = 200;
    // The underlay is not part of the default.
    expected.BackgroundFlag = stored.BackgroundFlag;
    expected.BackgroundFile = stored.BackgroundFile;
    expected.BackgroundX = stored.BackgroundX;
    expected.BackgroundY = stored.BackgroundY;
    expected.BackgroundScale = stored.BackgroundScale;
    expected.BackgroundOpacity = stored.BackgroundOpacity;
    expected.HistoryMax = stored.HistoryMax;
    EXPECT_EQ(stored, expected);
    EXPECT_EQ(stored.BackgroundX, 0);
}

TEST_F(CanvasDialogTest, DefaultThatCannotBeWrittenIsReported)
{
    std::filesystem::create_directory(platform::ProgramFile("default.dat"));  // a folder in its place
    Doc().CurrentSettings = CustomSettings();
    CanvasGUI dialog(nullptr);
    dialog.Text1->SetText("800");
    dialog.Command4_Click();
    std::filesystem::remove(platform::ProgramFile("default.dat"));
    EXPECT_EQ(Doc().CurrentSettings, CustomSettings());
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].style, platform::kMbExclamation);
}
