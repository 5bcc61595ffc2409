// Window placements read back from the settings file, brought inside the screen's work area
// before any window is moved or sized by them: a damaged or hand-edited value (a width of
// 2147483647 twips, a left of -1e30) must not make a window larger than the screen or put it
// where nobody can reach it.
#pragma once

#include <QRect>

namespace platform {

// A frame in twips as stored; a width or height of 0 or less means the window keeps its own size.
struct StoredPlacement {
    double Left = 0;
    double Top = 0;
    double Width = 0;
    double Height = 0;
};

// The placement with its size no larger than the work area (pixels) and its top left where the
// frame (at least one pixel when its size is not stored) lies inside it. Values already inside are
// returned unchanged; any numbers (infinite, huge, negative) are safe.
StoredPlacement ClampToWorkArea(const StoredPlacement &placement, const QRect &workArea);

// A splitter top stored in pixels of the client area, kept within 0 .. the work area's height.
int ClampSplitterToWorkArea(double splitter, const QRect &workArea);

}  // namespace platform
