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

}  // namespace canvastools
