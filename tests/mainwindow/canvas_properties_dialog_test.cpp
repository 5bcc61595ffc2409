#include "mainwindow/canvas_properties_dialog.h"

#include "mainwindow/settings_file.h"
#include "platform/forms/file_dialogs.h"
#include "tests/mainwindow/dialog_fixture.h"

#include <QKeyEvent>
#include <QLabel>
#include <QTest>

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

// The movie's shape records hold a side of at most 65535 twips: 3276 pixels.
TEST_F(CanvasDialogTest, CanvasSizeStaysWithinWhatTheMovieShows)
{
    const struct {
        const char *width, *height;
        int32_t keptWidth, keptHeight;
    } cases[] = {
        {"5000", "not a number", 3276, 1},
        {"3276", "3276", 3276, 3276},
        {"3277", "3277", 3276, 3276},
        {"3275.5", "1e9", 3276, 3276},
        {"0", "-5", 1, 1},
        {"1", "1", 1, 1},
    };
    for (const auto &c : cases) {
        CanvasGUI dialog(nullptr);
        dialog.Text1->SetText(c.width);
        dialog.Text2->SetText(c.height);
        dialog.Command1_Click();
        EXPECT_EQ(Doc().CurrentSettings.Width, c.keptWidth) << c.width;
        EXPECT_EQ(Doc().CurrentSettings.Height, c.keptHeight) << c.height;
    }
}

TEST_F(CanvasDialogTest, ACanvasLargerThanTheMovieFrameIsKeptAsTyped)
{
    CanvasGUI dialog(nullptr);
    dialog.Text1->SetText("2000");
    dialog.Text2->SetText("1800");
    dialog.Command1_Click();
    EXPECT_EQ(Doc().CurrentSettings.Width, 2000);
    EXPECT_EQ(Doc().CurrentSettings.Height, 1800);
    CanvasGUI again(nullptr);  // and shown so when the dialog opens again
    EXPECT_EQ(again.Text1->Text(), QStringLiteral("2000"));
    EXPECT_EQ(again.Text2->Text(), QStringLiteral("1800"));
}

TEST_F(CanvasDialogTest, TheColourBoxBesideEachLabelEditsItsChannel)
{
    CanvasGUI dialog(nullptr);
    dialog.show();
    QApplication::processEvents();
    // The row of a control: its vertical middle in the dialog.
    auto middle = [&](const QWidget *control) { return control->mapTo(&dialog, control->rect().center()).y(); };
    auto spans = [&](const QWidget *control, int y) {
        int top = control->mapTo(&dialog, QPoint(0, 0)).y();
        return y >= top && y < top + control->height();
    };
    const QList<QLabel *> labels = dialog.Frame2->findChildren<QLabel *>();
    for (int i = 0; i < 3; ++i) {
        const QString caption = QString(QLatin1Char("RGB"[i]));
        auto label = std::find_if(labels.begin(), labels.end(), [&](QLabel *l) { return l->text() == caption; });
        ASSERT_NE(label, labels.end()) << i;
        const int row = middle(*label);
        EXPECT_TRUE(spans(dialog.HScroll2[static_cast<size_t>(i)], row)) << i;
        platform::TextBox *box = nullptr;
        for (platform::TextBox *candidate : dialog.Text3) {
            if (spans(candidate, row)) {
                box = candidate;
            }
        }
        ASSERT_NE(box, nullptr) << "no box beside " << caption.toStdString();
        box->setFocus();
        box->selectAll();
        QTest::keyClicks(box, QString::number(100 + i));
        EXPECT_EQ(dialog.HScroll2[static_cast<size_t>(i)]->Value(), 100 + i) << caption.toStdString();
    }
}

TEST_F(CanvasDialogTest, TheUnderlayButtonAsksThroughTheProgramsOpenDialog)
{
    std::vector<platform::OpenFileName> asked;
    QString reply = QStringLiteral("/tmp/under.png");
    platform::SetFileDialogHook([&](platform::FileDialogKind kind, platform::OpenFileName &record) {
        EXPECT_EQ(kind, platform::FileDialogKind::Open);
        asked.push_back(record);
        record.lpstrFile = reply;
        return reply.isEmpty() ? 0 : 1;
    });
    CanvasGUI dialog(nullptr);
    dialog.Check3->SetValue(1);
    dialog.Text6->SetText(QString());
    dialog.show();
    QTest::mouseClick(dialog.Command3, Qt::LeftButton);
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(asked[0].hwndOwner, &dialog);
    EXPECT_EQ(asked[0].lpstrDefExt, QStringLiteral("qlk"));
    EXPECT_EQ(asked[0].lpstrInitialDir, QString::fromStdString(platform::ProgramFolder()));
    const std::vector<platform::FileFilter> filters = platform::SplitFilterString(asked[0].lpstrFilter);
    ASSERT_EQ(filters.size(), 1u);
    EXPECT_EQ(filters[0].pattern, QStringLiteral("*.qlk;*.jpg;*.jpeg;*.bmp;*.png"));
    EXPECT_EQ(platform::NameFilterText(filters[0]), QStringLiteral("画像ﾌｧｲﾙ (*.qlk *.jpg *.jpeg *.bmp *.png)"));
    EXPECT_EQ(dialog.Text6->Text(), reply);

    reply.clear();  // Cancel: the path stays, and the dialog starts at it
    QTest::mouseClick(dialog.Command3, Qt::LeftButton);
    ASSERT_EQ(asked.size(), 2u);
    EXPECT_EQ(asked[1].lpstrInitialDir, QStringLiteral("/tmp/under.png"));
    EXPECT_EQ(dialog.Text6->Text(), QStringLiteral("/tmp/under.png"));
    platform::SetFileDialogHook(nullptr);
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
