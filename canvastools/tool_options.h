// The preferences' option flags (0/1) the canvas tools follow. The main window keeps them with
// its other preferences and reads and writes them with its settings.
#pragma once

#include <cstdint>

namespace canvastools {

struct ToolOptions {
    int16_t NotResizeAnchorMark = 0;
    int16_t NotChangeCursor = 0;
    int16_t NotAnchorSelect = 0;
    int16_t NotReturnSelectMode = 0;
    int16_t NotSnapInvisibleGrid = 0;
    int16_t UseVerticalFont = 0;
    int16_t UseToolIcons = 1;
};

}  // namespace canvastools
