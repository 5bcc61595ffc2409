#include "core/canvas_settings.h"

#include <algorithm>

namespace core {

int32_t ClampCanvasSide(int64_t pixels)
{
    return static_cast<int32_t>(std::clamp<int64_t>(pixels, kMinCanvasPixels, kMaxCanvasPixels));
}

void ClampCanvasSize(CanvasSettings &settings)
{
    settings.Width = ClampCanvasSide(settings.Width);
    settings.Height = ClampCanvasSide(settings.Height);
}

const char *QualityName(int16_t quality)
{
    switch (quality) {
    case 0:
        return "low";
    case 1:
        return "medium";
    case 3:
        return "best";
    default:
        return "high";
    }
}

}  // namespace core
