// Turning a path, taken as a centre line, into a filled outline whose width follows a brush profile.
#pragma once

#include <cstdint>

namespace core {

enum BrushType : int32_t {
    kBrushPen = 1,      // constant width
    kBrushThin = 2,     // straight taper from the ends to the middle
    kBrushThick = 3,    // parabolic: thin at the ends, full through the middle
    kBrushStroke = 4    // width follows the spacing of the anchors (the drawing speed)
};

// Replaces path i by its outline (other type values count as kBrushPen). A closed filled path keeps
// its fill as a stroke-less path at i with the outline at i + 1: then the result is true. Paths of
// fewer than two anchors and indices outside 1 .. DocPathCount are left alone (false).
bool MakeBrushOutline(int32_t i, int32_t brushType);

}  // namespace core
