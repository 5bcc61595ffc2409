// Commands that act on every selected path at once: open or closed, line and fill modes, line
// width, colours, hiding and locking, and the stacking order. All of them do nothing on an empty
// document. Only the three whose comment says so record an undo step; none redraws.
#pragma once

#include "core/path_record.h"

#include <array>
#include <cstdint>

namespace core {

// Codes of SetPathVisibleLock.
enum VisibleLockCode : int16_t {
    kShowSelected = 1,
    kHideSelected = 2,
    kShowAll = 3,
    kShowOnlySelected = 4,
    kToggleHiddenSelected = 5,
    kUnlockSelected = 11,
    kLockSelected = 12,
    kUnlockAll = 13,
    kLockAllButSelected = 14,
    kToggleLockedSelected = 15
};

// Codes of ChangePathOrder. Path 1 is at the back, the last path in front.
enum PathOrderCode : int16_t {
    kOrderToBack = 1,
    kOrderToFront = 2,
    kOrderForwardOne = 3,
    kOrderBackwardOne = 4
};

// The selected paths become closed (true) or open (false). No undo step.
void SetSelectedClosed(bool flag);
// The selected paths take the line mode and fill type; one undo step when a path was selected.
void SetSelectedPaintModes(int16_t lineMode, int16_t fillType);
// The selected paths take the width (canvas pixels) as round(width x 20) twips; one undo step when
// a path was selected.
void SetSelectedLineWidth(float width);
// The selected paths take colours[0] as line, [1] as fill and [2] as gradient colour, each only
// when its flag is set; one undo step when a path was selected, whatever the flags.
void SetSelectedColors(const std::array<Color, 3> &colours, bool setLine, bool setFill, bool setGradient);

// The four bytes of the colour (red lowest); returns the opacity.
int32_t SplitColor(Color colour, int32_t &red, int32_t &green, int32_t &blue, int32_t &opacity);
// The selected paths' line, fill and gradient colours averaged byte by byte (truncating) into
// colours[0..2]; left as they are when no path is selected.
void GetSelectedColors(std::array<Color, 3> &colours);

// Shows, hides, locks or unlocks paths by a VisibleLockCode; other codes do nothing. No undo step.
void SetPathVisibleLock(int16_t code);
// Moves the selected paths in the stacking order by a PathOrderCode, keeping the relative order of
// the selected and of the other paths. The anchor selection and the hit paths follow their paths;
// a path being drawn that would leave the front is finished first. No undo step of its own.
void ChangePathOrder(int16_t code);

}  // namespace core
