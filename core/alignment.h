// Lining up the selected paths with each other or with the canvas, and spreading them evenly.
#pragma once

#include <cstdint>

namespace core {

// Codes of AlignPaths, as the alignment menus number their items.
enum AlignCode : int16_t {
    kAlignLeft = 1,
    kAlignCentre = 2,
    kAlignRight = 3,
    kDistributeHorizontally = 4,
    kAlignTop = 5,
    kAlignMiddle = 6,
    kAlignBottom = 7,
    kDistributeVertically = 8,
    kAlignCanvasLeft = 9,
    kAlignCanvasCentre = 10,
    kAlignCanvasRight = 11,
    kAlignCanvasTop = 12,
    kAlignCanvasMiddle = 13,
    kAlignCanvasBottom = 14
};

// Moves the selected paths by an AlignCode; other codes move nothing. Each selected path outside
// an active group is one item, the selected members of one active group another, boxed by their
// anchors (line widths ignored). Anchors and gradient centres move; no redraw, no undo step.
void AlignPaths(int16_t code);

}  // namespace core
