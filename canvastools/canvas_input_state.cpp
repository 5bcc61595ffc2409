#include "canvastools/canvas_input_state.h"

namespace canvastools {
namespace {

CanvasInputState g_input;

}  // namespace

CanvasInputState &Input()
{
    return g_input;
}

void ResetInputForTest()
{
    g_input = CanvasInputState();
}

void ArmDrag(int32_t x, int32_t y)
{
    g_input.DragArmed = true;
    g_input.DragChanged = false;
    g_input.DragOriginX = x;
    g_input.DragOriginY = y;
}

}  // namespace canvastools
