// Key codes as the windows' handlers take them: Windows virtual-key codes and the shift state
// (1 Shift, 2 Ctrl, 4 Alt).
#pragma once

#include <Qt>

class QKeyEvent;

namespace platform {

enum VirtualKey : int {
    kVkBack = 8, kVkTab = 9, kVkReturn = 13, kVkShift = 16, kVkControl = 17, kVkMenu = 18,
    kVkEscape = 27, kVkSpace = 32, kVkPageUp = 33, kVkPageDown = 34, kVkEnd = 35, kVkHome = 36,
    kVkLeft = 37, kVkUp = 38, kVkRight = 39, kVkDown = 40, kVkInsert = 45, kVkDelete = 46,
    kVkF1 = 112, kVkOem1 = 186, kVkOemPlus = 187, kVkOemComma = 188, kVkOemMinus = 189,
    kVkOemPeriod = 190,
};

enum ShiftBits : int { kShiftMask = 1, kCtrlMask = 2, kAltMask = 4 };

int ShiftStateOf(Qt::KeyboardModifiers modifiers);
// The virtual-key code of a Qt key (0 for keys without one). Shifted symbols of the digit row
// and the punctuation keys give the code of their key.
int VirtualKeyOf(int qtKey);
int VirtualKeyOf(const QKeyEvent &event);

}  // namespace platform
