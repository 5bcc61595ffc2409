// The canvas-properties dialog: edits the current drawing's canvas settings (size, quality,
// background colour, optimisation, conversion, underlay, grid, bucket fill, outside drawing and
// scroll margin) and can store them as the default for new drawings.
#pragma once

#include "platform/forms/controls.h"
#include "platform/forms/modal_dialog.h"

#include <QFrame>
#include <QGroupBox>
#include <QPushButton>

#include <array>

namespace mainwindow {

inline constexpr const char *kDefaultCanvasSetMessage =
    "デフォルトのキャンバスに設定されました。\r\n新規作成時には現在の設定が使用されます。";

class CanvasGUI : public platform::DialogForm {
    Q_OBJECT
public:
    // Builds the controls and fills them from the current settings.
    explicit CanvasGUI(QWidget *owner);

    void Form_Load();
    void Form_KeyPress(int keyAscii) override;
    // Writes the dialog into the current settings and empties the canvas movie's caches.
    void ApplyCanvasSettings();

    void Command1_Click();
    void Command2_Click();
    void Command3_Click();
    void Command4_Click();
    void Check3_Click();
    void Check4_Click();
    void Combo2_Click();
    void HScroll1_Change();
    void HScroll2_Change(int index);
    void HScroll3_Change();
    void Text3_Change(int index);

    // Size
    QGroupBox *Frame1;
    platform::TextBox *Text1, *Text2;
    platform::ComboBox *Combo1;
    // Background colour
    QGroupBox *Frame2;
    std::array<platform::ScrollBar *, 3> HScroll2{};
    std::array<platform::TextBox *, 3> Text3{};
    QFrame *PicBackColor;
    // Optimisation
    QGroupBox *Frame3, *Frame4, *Frame5;
    platform::CheckBox *Check1, *Check2;
    platform::TextBox *Text4, *Text5;
    // Underlay
    platform::CheckBox *Check3;
    QGroupBox *Frame6;
    platform::TextBox *Text6, *Text7, *Text8, *Text9;
    QPushButton *Command3;
    platform::ScrollBar *HScroll1;
    QLabel *Label10;
    // Line-to-fill conversion
    QGroupBox *Frame7;
    platform::CheckBox *Check4;
    std::array<platform::OptionButton *, 4> Option1{};
    // Grid
    QGroupBox *Frame8;
    platform::TextBox *Text10, *Text11;
    platform::ScrollBar *HScroll3;
    QLabel *Label11;
    // Bucket fill
    QGroupBox *Frame9;
    platform::ComboBox *Combo2;
    platform::TextBox *Text12, *Text13, *Text14;
    // Operation
    QGroupBox *Frame10;
    platform::CheckBox *Check5;
    platform::TextBox *Text15;
    // Buttons
    QPushButton *Command1, *Command2, *Command4;

private:
    void BuildControls();
    void ConnectHandlers();
    QWidget *BuildSizeFrame();
    QWidget *BuildBackColorFrame();
    QWidget *BuildOptimizeFrame();
    QWidget *BuildUnderlayFrame();
    QWidget *BuildConvertFrame();
    QWidget *BuildGridFrame();
    QWidget *BuildFloodFrame();
    QWidget *BuildOperationFrame();
};

}  // namespace mainwindow
