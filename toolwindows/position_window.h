// The numeric position window: X, Y, size and angle of the selection with the reference point.
// The main window fills the fields and applies them; the window keeps the pending-edit flag.
#pragma once

#include "platform/forms/controls.h"
#include "toolwindows/tool_window.h"

#include <QPushButton>

#include <array>

namespace toolwindows {

class PositionGUI : public ToolWindow {
    Q_OBJECT
public:
    explicit PositionGUI(QWidget *owner);

    void SetHistoryStore(bool f) { HistoryStore = f; }
    bool GetHistoryStore() const { return HistoryStore; }

    // The chosen reference point (the last set of 0..8), -1 when none is set.
    int ChosenReferencePoint() const;

    void Text_Change() { HistoryStore = true; }
    void Command1_Click();

    platform::TextBox *Text1;  // X (canvas pixels)
    platform::TextBox *Text2;  // Y
    platform::TextBox *Text3;  // size: one factor or "v:h"
    platform::TextBox *Text4;  // angle (degrees)
    std::array<platform::OptionButton *, 9> Option1{};
    QPushButton *Command1;

signals:
    // The apply button was pressed: the main window applies the fields.
    void ApplyRequested();

private:
    bool HistoryStore = false;
};

}  // namespace toolwindows
