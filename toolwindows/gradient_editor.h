// The gradient stop editor: the first selected path's gradient as a bar with its colour stops.
// It edits the drawing core's working stop list (EditGradStops) and asks the main window to copy
// the list into the selected paths.
#pragma once

#include "platform/forms/controls.h"
#include "toolwindows/tool_window.h"
#include "platform/forms/menus.h"
#include "platform/forms/picture_box.h"

#include <QGroupBox>
#include <QLabel>
#include <QPushButton>

#include <array>
#include <cstdint>
#include <functional>

namespace toolwindows {

inline constexpr int32_t kMaxEditStopEntries = 7;       // highest index: six middle stops
inline constexpr int32_t kMaxReflectedStopEntries = 3;  // two middle stops for fill type 3

class GradationGUI : public ToolWindow {
    Q_OBJECT
public:
    explicit GradationGUI(QWidget *owner);

    // Loads the stops of path id (0: none) into the working list and redraws.
    void InitalizeGrad(int32_t id);
    // Puts a colour picked in the main window's picker into the selected stop.
    void GetFromColorPicker(uint32_t co);

    void DrawGradientBar();
    // The middle entry under (x, y) of the bar, 0 when none.
    int16_t HitTestStop(int32_t x, int32_t y) const;
    void AddStop(int32_t pos);
    void DeleteStop(int32_t i);
    void LoadStopFields();
    void ShowFieldValues();
    void ApplyStopFields();
    // Whether another middle stop may be added (limits of the fill type).
    bool CanAddStop() const;

    void Picture1_MouseDown(int button, int shift, float x, float y);
    void Picture1_MouseMove(int button, int shift, float x, float y);
    void Picture1_MouseUp(int button, int shift, float x, float y);
    void Command1_Click();
    void Command2_Click();
    void Check1_Click();
    void HScroll2_Change(int index);
    void HScroll2_Scroll(int index);
    void Text1_KeyPress(int index, int keyAscii);
    void Text2_KeyPress(int keyAscii);
    void Text3_KeyPress(int keyAscii);
    void mnuAddColor_Click() { AddStop(LastDownX); }
    void mnuDeleteColor_Click() { DeleteStop(SelectedStop); }

    int16_t EditFillType = 0;
    int16_t SelectedStop = 0;
    bool StopDragging = false;
    int32_t LastDownX = 0;
    int32_t CollapsedHeight = 0;  // pixels: the window's height with the edit frame folded away

    platform::PictureBox *Picture1;
    QLabel *Label4;
    QLabel *Label3;
    QPushButton *Command1;
    QPushButton *Command2;
    platform::CheckBox *Check1;
    QGroupBox *Frame1;
    std::array<platform::ScrollBar *, 4> HScroll2{};
    std::array<platform::TextBox *, 4> Text1{};
    std::array<QLabel *, 4> Label1{};
    platform::TextBox *Text2;
    QLabel *Label2;
    platform::TextBox *Text3;
    platform::PictureBox *Picture2;
    platform::Menu *mnuGradient;
    platform::MenuItem *mnuAddColor;
    platform::MenuItem *mnuDeleteColor;

    // The main window's real-time check box (drags then update the paths as they go).
    std::function<bool()> RealtimeChecked;

signals:
    // Copy the working list into the selected paths; true records an undo step.
    void ApplyGradientRequested(bool flg);

private:
    void BuildFrame();
    void DrawGradientSegment(int32_t i);
    void DrawStopMarker(int32_t i);
    void ApplyGradient(bool flg) { emit ApplyGradientRequested(flg); }
    // Sets the colour fields without applying them to the stop.
    void SetColorFields(uint32_t colour, bool withOpacity);
    // A position kept one step inside the selected stop's neighbours.
    int32_t ClampBetweenNeighbours(int32_t pos) const;
    bool HasSelectedStop() const;

    bool filling_ = false;
};

}  // namespace toolwindows
