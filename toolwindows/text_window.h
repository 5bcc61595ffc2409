// The text tool's window: the text, its font with bold and italic, and the circular layout.
// "OK" hands the font to the canvas; the text tool reads the text and layout when it creates text.
#pragma once

#include "core/text_outlines.h"
#include "platform/glyphs/glyph_font.h"

#include <QDialog>

#include <string>
#include <vector>

class QGroupBox;
class QPlainTextEdit;
class QPushButton;

namespace platform {
class CheckBox;
class ComboBox;
class TextBox;
}  // namespace platform

namespace toolwindows {

// The font list's names: vertical-writing names ("@...") only when they are wanted, sorted by
// binary comparison.
std::vector<std::string> OutlineFontNames(std::vector<std::string> names, bool useVerticalFont);

class TextFontGUI : public QDialog {
    Q_OBJECT
public:
    explicit TextFontGUI(QWidget *owner = nullptr);

    // Fills the font list from the installed outline fonts.
    void EnumTrueTypeFont(bool useVerticalFont);
    void SetFontNames(const std::vector<std::string> &names);

    // The text and layout the text tool uses, every number held to its bounds.
    core::TextToolValues Values() const;
    // The font "OK" last handed to the canvas (64 points; the family empty until then).
    const platform::FontRequest &CanvasFont() const { return canvasFont_; }

    void Check3_Click();
    void Check4_Click();
    void Command1_Click();
    void Command2_Click();
    // Escape and the close box cancel.
    void reject() override { Command2_Click(); }
    void Text1_GotFocus();
    void Text1_LostFocus();

    platform::ComboBox *Combo1 = nullptr;
    QPlainTextEdit *Text1 = nullptr;
    platform::CheckBox *Check1 = nullptr;
    platform::CheckBox *Check2 = nullptr;
    platform::CheckBox *Check3 = nullptr;
    platform::CheckBox *Check4 = nullptr;
    QGroupBox *Frame1 = nullptr;
    platform::CheckBox *Check5 = nullptr;
    platform::TextBox *Text2 = nullptr;
    platform::TextBox *Text3 = nullptr;
    platform::TextBox *Text4 = nullptr;
    platform::CheckBox *Check6 = nullptr;
    QPushButton *Command1 = nullptr;
    QPushButton *Command2 = nullptr;

    // The window's height with the layout frame folded away.
    int CollapsedHeight = 0;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void BuildControls();
    void BuildLayoutFrame();
    void ConnectHandlers();
    void ShowPlainText();

    std::vector<std::string> fontNames_;
    platform::FontRequest canvasFont_;
};

}  // namespace toolwindows
