// Small routines around the anchor selection (SelectedAnchors, entries 1..) and the numeric
// position panel. The mean of the selected anchors, GetSelectedAnchorCenter, is in geometry.
#pragma once

#include "core/geometry.h"

#include <cstdint>
#include <string_view>

namespace core {

// Reads a ratio text "first:second": the number at the start of the text before the first colon
// goes to first, the one after it to second; without a colon both get the number of the whole
// text. A text that does not start with a number reads as 0.
void ParseRatioText(std::string_view text, float &second, float &first);

// Whether anchor k of path i is selected (entry 0 of SelectedAnchors never counts).
bool HitSelectedAnchor(int32_t i, int32_t k);

// Moves every selected anchor step places along its path, wrapping round at either end.
void StepAnchorSelection(int32_t step);

}  // namespace core
