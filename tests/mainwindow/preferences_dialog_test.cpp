#include "mainwindow/preferences_dialog.h"

#include "canvastools/tool_palette.h"
#include "mainwindow/about_box.h"
#include "mainwindow/splash_window.h"
#include "platform/profile/profile.h"
#include "tests/mainwindow/dialog_fixture.h"

#include <QDesktopServices>
#include <QImage>
#include <QKeyEvent>
#include <QPixmap>
#include <QUrl>

using mainwindow::Main;
using mainwindow::PreferenceGUI;
using mainwindow::VersionInfo;

namespace {

class PreferencesTest : public testsupport::DialogFixture {
protected:
    // Opens the dialog from the File menu; work runs while it is shown.
    void OpenFromMenu(std::function<void(PreferenceGUI &)> work)
    {
        Answer<PreferenceGUI>(std::move(work));
        window->menus.mnuPreference->Click();
    }

    // The preview values OK stores for the two typed texts.
    std::pair<float, int32_t> PreviewValuesFor(const QString &fps, const QString &morphFrames)
    {
        PreferenceGUI dialog(nullptr);
        dialog.Text1->SetText(fps);
        dialog.Text2->SetText(morphFrames);
        dialog.Command1_Click();
        return {Main().PreviewFPS, Main().PreviewMorphFrame};
    }
};

}  // namespace

TEST_F(PreferencesTest, ShowsTheFlagsAndPreviewValues)
{
    Main().NotChangeCursor = 1;
    Main().UseDefaultOpen = 1;
    Main().UseToolIcons = 0;
    Main().PreviewFPS = 7.5f;
    Main().PreviewMorphFrame = 9;
    PreferenceGUI dialog(nullptr);
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("詳細設定"));
    EXPECT_EQ(dialog.Check1->Value(), 0);
    EXPECT_EQ(dialog.Check2->Value(), 1);
    EXPECT_EQ(dialog.Check8->Value(), 1);
    EXPECT_EQ(dialog.Check9->Value(), 0);
    EXPECT_EQ(dialog.Check6->text(), QStringLiteral("文字ツールで縦書きフォントを使用する（再起動後有効）"));
    EXPECT_EQ(dialog.Text1->Text(), "7.5");
    EXPECT_EQ(dialog.Text2->Text(), "9");
}

TEST_F(PreferencesTest, PreviewNumbersAreReadAndKeptUsable)
{
    EXPECT_EQ(PreviewValuesFor("0", "1"), std::make_pair(12.0f, 2));
    EXPECT_EQ(PreviewValuesFor("fast", "2.5"), std::make_pair(12.0f, 2));
    EXPECT_EQ(PreviewValuesFor("7.5", "3.5"), std::make_pair(7.5f, 4));
    EXPECT_EQ(PreviewValuesFor(" 24fps", "-40"), std::make_pair(24.0f, 2));
    // A rate the preview cannot play is kept to 1..255 frames per second.
    EXPECT_EQ(PreviewValuesFor("-5", "1e20"), std::make_pair(1.0f, INT32_MAX));
    EXPECT_EQ(PreviewValuesFor("1000", "30"), std::make_pair(255.0f, 30));
}

TEST_F(PreferencesTest, OkStoresTheFlagsAndTheSettingsFileKeepsThem)
{
    Start();
    OpenFromMenu([](PreferenceGUI &dialog) {
        dialog.Check1->SetValue(1);
        dialog.Check7->SetValue(1);
        dialog.Check9->SetValue(0);
        dialog.Text1->SetText("30");
        dialog.Text2->SetText("5");
        dialog.Command1->click();
    });
    EXPECT_EQ(dialogsShown, 1);
    EXPECT_EQ(Main().NotResizeAnchorMark, 1);
    EXPECT_EQ(Main().DropQLKasClip, 1);
    EXPECT_EQ(Main().UseToolIcons, 0);
    EXPECT_EQ(Main().NotChangeCursor, 0);
    // The tool buttons turn into text buttons at once.
    EXPECT_FALSE(window->Option1[canvastools::kToolSelect]->text().isEmpty());
    EXPECT_TRUE(window->Option1[canvastools::kToolSelect]->icon().isNull());

    window->SaveSettings();
    platform::ProfileFile file(platform::ProgramFile("quillark.ini"));
    EXPECT_EQ(file.Get("Quillark", "NotResizeAnchorMark", ""), "1");
    EXPECT_EQ(file.Get("Quillark", "DropQLKasClip", ""), "1");
    EXPECT_EQ(file.Get("Quillark", "UseToolIcons", ""), "0");
    EXPECT_EQ(file.Get("Quillark", "NotChangeCursor", ""), "0");
    EXPECT_EQ(file.Get("PreviewWindow", "PreviewFPS", ""), "30");
    EXPECT_EQ(file.Get("PreviewWindow", "PreviewMorphFrame", ""), "5");
}

TEST_F(PreferencesTest, CancelAndEscapeLeaveEveryFlag)
{
    Start();
    const mainwindow::MainState before = Main();
    auto change = [](PreferenceGUI &dialog) {
        for (platform::CheckBox *check : {dialog.Check1, dialog.Check5, dialog.Check9}) {
            check->SetValue(1 - check->Value());
        }
        dialog.Text1->SetText("50");
        dialog.Text2->SetText("50");
    };
    OpenFromMenu([&](PreferenceGUI &dialog) {
        change(dialog);
        dialog.Command2->click();
    });
    OpenFromMenu([&](PreferenceGUI &dialog) {
        change(dialog);
        QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
        QApplication::sendEvent(&dialog, &escape);
        EXPECT_EQ(dialog.result(), QDialog::Rejected);
    });
    EXPECT_EQ(dialogsShown, 2);
    EXPECT_EQ(Main().NotResizeAnchorMark, before.NotResizeAnchorMark);
    EXPECT_EQ(Main().NotSnapInvisibleGrid, before.NotSnapInvisibleGrid);
    EXPECT_EQ(Main().UseToolIcons, before.UseToolIcons);
    EXPECT_EQ(Main().PreviewFPS, before.PreviewFPS);
    EXPECT_EQ(Main().PreviewMorphFrame, before.PreviewMorphFrame);
}

// ---- the about box ----

namespace {

// Receives the addresses the about box hands to the browser.
class BrowserStandIn : public QObject {
    Q_OBJECT
public:
    std::vector<QUrl> opened;
    Q_INVOKABLE void Open(const QUrl &url) { opened.push_back(url); }
};

}  // namespace

TEST_F(PreferencesTest, AboutBoxShowsVersionAndOpensTheHomePage)
{
    BrowserStandIn browser;
    QDesktopServices::setUrlHandler(QStringLiteral("https"), &browser, "Open");
    VersionInfo box(nullptr);
    EXPECT_EQ(box.windowTitle(), QStringLiteral("Quillark バージョン情報"));
    EXPECT_EQ(box.Label1->text(), QStringLiteral("Ver 0.3a5"));
    EXPECT_EQ(box.Label2->text(), QStringLiteral("Build: 20110109"));
    EXPECT_EQ(box.Command1->text(), QStringLiteral("OK"));
    box.Label4_Click();
    QDesktopServices::unsetUrlHandler(QStringLiteral("https"));
    ASSERT_EQ(browser.opened.size(), 1u);
    EXPECT_EQ(browser.opened[0], QUrl(QString::fromUtf8(mainwindow::kHomePageAddress)));
    EXPECT_EQ(box.Label4->text(), QString::fromUtf8(mainwindow::kHomePageAddress));
    EXPECT_EQ(box.Label4->palette().color(QPalette::WindowText), QColor(Qt::blue));
}

TEST_F(PreferencesTest, AboutBoxShowsACustomSplashPicture)
{
    QImage custom(123, 45, QImage::Format_RGB32);
    custom.fill(Qt::darkGreen);
    ASSERT_TRUE(custom.save(QString::fromStdString(platform::ProgramFile("quillark_splash.jpg")), "JPG"));
    VersionInfo box(nullptr);
    EXPECT_EQ(box.Picture1->pixmap().size(), QSize(123, 45));
}

TEST_F(PreferencesTest, HelpMenuShowsTheAboutBoxUntilOkOrEscape)
{
    Start();
    Answer<VersionInfo>([](VersionInfo &box) {
        box.Command1->click();
        EXPECT_EQ(box.result(), QDialog::Accepted);
    });
    window->menus.mnuVersion->Click();
    Answer<VersionInfo>([](VersionInfo &box) {
        QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
        QApplication::sendEvent(&box, &escape);
        EXPECT_EQ(box.result(), QDialog::Accepted);  // Esc does what OK does
    });
    window->menus.mnuVersion->Click();
    EXPECT_EQ(dialogsShown, 2);
}

#include "preferences_dialog_test.moc"
