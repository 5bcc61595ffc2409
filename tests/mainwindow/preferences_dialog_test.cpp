#include "mainwindow/preferences_dialog.h"

#include "canvastools/tool_palette.h"
#include "platform/profile/profile.h"
#include "tests/mainwindow/dialog_fixture.h"

using mainwindow::Main;
using mainwindow::PreferenceGUI;

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
