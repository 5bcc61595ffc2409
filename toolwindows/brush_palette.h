// The brush palette: the brush list as a strip of square cells, with the commands that choose,
// register, delete, rename, move and reset brushes. The list itself is the drawing core's.
#pragma once

#include "platform/forms/controls.h"
#include "toolwindows/tool_window.h"
#include "platform/forms/menus.h"
#include "platform/forms/picture_box.h"

#include <QMenuBar>

#include <cstdint>

namespace toolwindows {

class BrushGUI : public ToolWindow {
    Q_OBJECT
public:
    explicit BrushGUI(QWidget *owner);
    ~BrushGUI() override;

    // Brings the current brush into view and redraws the strip (while the window is open).
    void SetupBrushList();
    void DrawBrushCells();
    void Form_Resize();
    // The side of a cell: the strip's inner height.
    int32_t CellSide() const { return Picture1->ScaleHeight(); }

    void Picture1_MouseDown(int button, int shift, float x, float y);
    void mnuBrushMenu_Click();
    void mnuBrushSetPath_Click();
    void mnuBrushDelete_Click();
    void mnuBrushInit_Click();
    void mnuBrushChangeName_Click();
    void MoveBrush(int32_t d);
    void Text1_KeyPress(int keyAscii);
    void Text1_LostFocus() { Text1->hide(); }

    QMenuBar *menuBar;
    platform::Menu *mnuBrushMenu;
    platform::MenuItem *mnuBrushSetPath;
    platform::MenuItem *mnuBrushDelete;
    platform::MenuItem *mnuBrushInit;
    platform::Menu *mnuBrushName;
    platform::MenuItem *mnuBrushChangeName;
    QAction *mnuBrushLeft;
    QAction *mnuBrushRight;
    platform::PictureBox *Picture1;
    platform::ScrollBar *HScroll1;
    platform::TextBox *Text1;

signals:
    // A brush was chosen on the strip: the canvas takes the focus back.
    void FocusCanvas();

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    // After the list changed: the brush menu, the view and the scroll range follow.
    void ListChanged();
};

}  // namespace toolwindows
