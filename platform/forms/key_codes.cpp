#include "platform/forms/key_codes.h"

#include <QKeyEvent>

namespace platform {
namespace {

// Shifted symbols of the digit row, US and Japanese layouts, and the digit key they sit on.
int DigitOfShiftedSymbol(int qtKey)
{
    switch (qtKey) {
    case Qt::Key_Exclam:
        return '1';
    case Qt::Key_At:
    case Qt::Key_QuoteDbl:
        return '2';
    case Qt::Key_NumberSign:
        return '3';
    case Qt::Key_Dollar:
        return '4';
    case Qt::Key_Percent:
        return '5';
    case Qt::Key_AsciiCircum:
        return '6';
    case Qt::Key_Ampersand:
        return '7';
    case Qt::Key_Asterisk:
        return '8';
    case Qt::Key_ParenLeft:
        return '9';
    case Qt::Key_ParenRight:
        return '0';
    default:
        return 0;
    }
}

}  // namespace

int ShiftStateOf(Qt::KeyboardModifiers modifiers)
{
    return ((modifiers & Qt::ShiftModifier) ? kShiftMask : 0) | ((modifiers & Qt::ControlModifier) ? kCtrlMask : 0) |
           ((modifiers & Qt::AltModifier) ? kAltMask : 0);
}

int VirtualKeyOf(int qtKey)
{
    if ((qtKey >= Qt::Key_A && qtKey <= Qt::Key_Z) || (qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9)) {
        return qtKey;  // Qt's letter and digit codes are the ASCII upper case ones, as are the keys'
    }
    if (qtKey >= Qt::Key_F1 && qtKey <= Qt::Key_F24) {
        return kVkF1 + (qtKey - Qt::Key_F1);
    }
    if (int digit = DigitOfShiftedSymbol(qtKey)) {
        return digit;
    }
    switch (qtKey) {
    case Qt::Key_Backspace: return kVkBack;
    case Qt::Key_Tab: case Qt::Key_Backtab: return kVkTab;
    case Qt::Key_Return: case Qt::Key_Enter: return kVkReturn;
    case Qt::Key_Shift: return kVkShift;
    case Qt::Key_Control: return kVkControl;
    case Qt::Key_Alt: return kVkMenu;
    case Qt::Key_Escape: return kVkEscape;
    case Qt::Key_Space: return kVkSpace;
    case Qt::Key_PageUp: return kVkPageUp;
    case Qt::Key_PageDown: return kVkPageDown;
    case Qt::Key_End: return kVkEnd;
    case Qt::Key_Home: return kVkHome;
    case Qt::Key_Left: return kVkLeft;
    case Qt::Key_Up: return kVkUp;
    case Qt::Key_Right: return kVkRight;
    case Qt::Key_Down: return kVkDown;
    case Qt::Key_Insert: return kVkInsert;
    case Qt::Key_Delete: return kVkDelete;
    case Qt::Key_Semicolon: case Qt::Key_Colon: return kVkOem1;
    case Qt::Key_Equal: case Qt::Key_Plus: return kVkOemPlus;
    case Qt::Key_Comma: case Qt::Key_Less: return kVkOemComma;
    case Qt::Key_Minus: case Qt::Key_Underscore: return kVkOemMinus;
    case Qt::Key_Period: case Qt::Key_Greater: return kVkOemPeriod;
    default: return 0;
    }
}

int VirtualKeyOf(const QKeyEvent &event)
{
    return VirtualKeyOf(event.key());
}

}  // namespace platform
