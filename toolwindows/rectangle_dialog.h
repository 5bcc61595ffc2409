// The rectangle tool's corner size: the dialog, and the main window's command that fills it,
// shows it and reads it back.
#pragma once

#include <QDialog>

#include <cstdint>

class QLabel;
class QPushButton;

namespace platform {
class ComboBox;
class ScrollBar;
class TextBox;
}  // namespace platform

namespace toolwindows {

enum CornerUnit : int { kUnitPixels = 0, kUnitPercent = 1 };

// The largest corner size in pixels the dialog takes.
inline constexpr double kMaxCornerPixels = 32767.0;

class RectangleGUI : public QDialog {
    Q_OBJECT
public:
    explicit RectangleGUI(QWidget *owner = nullptr);

    void VScroll1_Change();
    void Command1_Click();
    void Command2_Click();
    // Escape and the close box cancel.
    void reject() override { Command2_Click(); }

    QLabel *Label1 = nullptr;
    platform::TextBox *Text1 = nullptr;
    platform::ScrollBar *VScroll1 = nullptr;
    platform::ComboBox *Combo1 = nullptr;
    QPushButton *Command1 = nullptr;
    QPushButton *Command2 = nullptr;

};

// Fills the dialog from the stored size (0 = not set yet: 20 pixels; up to 0.5 a fraction of
// the rectangle, shown in percent) and the corner style 1-4's caption.
void FillRectangleDialog(RectangleGUI &dialog, float size, int32_t cornerStyle);
// The size the dialog holds, or the stored one when its text is empty (cancelled).
float ReadRectangleDialog(const RectangleGUI &dialog, float stored);
// "矩形の設定(&O)...": the dialog beside the pointer, modal, then the owner repainted; the stored
// size is updated on OK. The dialog is kept between openings (a style-0 opening keeps the caption
// the last one showed) until Cancel or Escape unloads it.
void ShowRectangleSettings(QWidget *owner, float &size, int32_t cornerStyle);

}  // namespace toolwindows
