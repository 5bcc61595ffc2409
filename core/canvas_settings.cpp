#include "core/canvas_settings.h"

namespace core {

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
