// The gradient stop editor's working list of stops, kept by the drawing core so that the editor
// and the main window's gradient bridge share it.
#pragma once

#include "core/path_record.h"

#include <vector>

namespace core {

struct GradientEdit {
    // Entries 0 .. EditGradStopCount: entry 0 the start colour at position 0, the last entry the
    // end colour at position 255, the entries between them the middle stops in ascending position.
    std::vector<GradStop> EditGradStops{GradStop(), GradStop{0, 255}};
    int32_t EditGradStopCount = 1;  // the highest index of EditGradStops

    // Resizes the list to entries 0 .. count (count at least 1), keeping those there.
    void SetStopCount(int32_t count);
};

GradientEdit &GradEdit();
void ResetGradientEditForTest();

}  // namespace core
