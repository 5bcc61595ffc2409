// The colour picker: 36 columns of fixed palette colours and 6 columns showing one set of the
// user's colours, with the operations on the user colour sets.
#pragma once

#include "mainwindow/main_state.h"

#include <QImage>
#include <QString>

#include <cstdint>

namespace mainwindow {

inline constexpr int kPickerColumns = 42;  // 36 palette columns, then 6 user columns
inline constexpr int kPickerPaletteColumns = 36;
inline constexpr int kPickerRows = 6;
inline constexpr int kPickerCellWidth = 8;    // grid lines at every multiple of 8 ...
inline constexpr int kPickerCellHeight = 11;  // ... and of 11
// Sets beyond this cannot be shown by the set scroll bar; adding stops there.
inline constexpr int32_t kMaxUserColorSets = 32767;

// The picker's picture: black grid lines, palette colours whose channels are multiples of 51
// (white at the top left), the user columns white.
const QImage &PickerPicture();

// The text of the hexadecimal entry for a colour 0x00BBGGRR: "#RRGGBB", upper case.
QString HexColorText(uint32_t colour);
// Reads "#RRGGBB" or "RRGGBB" (pairs of hexadecimal digits; leading valid digits of a pair count,
// none gives 0) into a colour 0x00BBGGRR; false for a text of any other length.
bool ParseHexColor(const QString &text, uint32_t &colour);

// The whole sets of the table.
int32_t UserColorSetCount(const UserColorTable &table);

// The gradient stop editor takes a Ctrl+clicked picker colour while it is open.
class GradientColorTarget {
public:
    virtual ~GradientColorTarget() = default;
    virtual bool IsVisible() const = 0;
    virtual void GetFromColorPicker(uint32_t colour) = 0;
};
// The editor registers itself when it is built (nullptr when it goes away).
void SetGradientColorTarget(GradientColorTarget *target);
GradientColorTarget *GetGradientColorTarget();

}  // namespace mainwindow
