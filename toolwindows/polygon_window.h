// The polygon tool's window: corner count, star shape, star depth and rounding, with a preview.
// The polygon tool reads its values each time it creates a polygon.
#pragma once

#include "core/polygons.h"

#include <QDialog>
#include <QPainterPath>

class QGroupBox;
class QPushButton;

namespace platform {
class CheckBox;
class Label;
class PictureBox;
class ScrollBar;
class TextBox;
}  // namespace platform

namespace toolwindows {

// The preview's outline of an n-cornered polygon or star of radius 50 pixels about (cx, cy):
// mode bit 1 star, bit 2 round the inner corners, bit 4 round the outer ones; depth in percent.
QPainterPath PolygonPreviewPath(int32_t n, int32_t mode, int32_t depth, int32_t cx, int32_t cy);

class PolygonGUI : public QDialog {
    Q_OBJECT
public:
    explicit PolygonGUI(QWidget *owner = nullptr);

    // The values the polygon tool uses, every number held to its bounds.
    core::PolygonToolValues Values() const;
    // The typed corner count (the number at the start of the text, 0 when there is none).
    double CornerCount() const;

    void Check1_Click();
    void HScroll1_Change();
    void VScroll1_Change();
    void Command1_Click();
    void Command2_Click();
    // Escape and the close box cancel.
    void reject() override { Command2_Click(); }
    void DrawPolygonPreview();

    platform::TextBox *Text1 = nullptr;
    platform::ScrollBar *VScroll1 = nullptr;
    platform::CheckBox *Check1 = nullptr;
    QGroupBox *Frame1 = nullptr;
    platform::ScrollBar *HScroll1 = nullptr;
    platform::Label *Label2 = nullptr;
    platform::CheckBox *Check2 = nullptr;
    platform::CheckBox *Check3 = nullptr;
    platform::PictureBox *Picture1 = nullptr;
    QPushButton *Command1 = nullptr;
    QPushButton *Command2 = nullptr;

private:
    void BuildControls();
    void ConnectHandlers();
};

}  // namespace toolwindows
