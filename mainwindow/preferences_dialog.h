// The preferences dialog: the program's nine option flags and the animation preview's frame rate
// and in-between frame count, kept in the main state (the settings file stores them at shut-down).
#pragma once

#include "platform/forms/controls.h"
#include "platform/forms/modal_dialog.h"

#include <QGroupBox>
#include <QPushButton>

#include <array>

namespace mainwindow {

// Preview values: 0 (or no number) gives the usual rate; rates are kept to what a movie can play,
// as the settings file's reader keeps them.
inline constexpr float kFallbackPreviewFps = 12;
inline constexpr float kMinPreviewFps = 1;
inline constexpr float kMaxPreviewFps = 255;
inline constexpr int32_t kMinPreviewMorphFrames = 2;

class PreferenceGUI : public platform::DialogForm {
    Q_OBJECT
public:
    // Builds the controls and fills them from the main state.
    explicit PreferenceGUI(QWidget *owner);

    void Form_Load();
    void Form_KeyPress(int keyAscii) override;
    void Command1_Click();
    void Command2_Click();

    platform::CheckBox *Check1, *Check2, *Check3, *Check4, *Check5, *Check6, *Check7, *Check8, *Check9;
    QGroupBox *Frame1;
    platform::TextBox *Text1, *Text2;
    QPushButton *Command1, *Command2;

private:
    void BuildControls();
    // Check1 .. Check9, in the order of the flags.
    std::array<platform::CheckBox *, 9> FlagChecks() const;
};

}  // namespace mainwindow
