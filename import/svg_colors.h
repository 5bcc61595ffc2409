// SVG colour values: "#rgb", "#rrggbb", "rgb(r, g, b)" and the SVG 1.1 colour keywords.
#pragma once

#include <cstdint>
#include <string_view>

namespace importer {

// The colour as R + 256 G + 65536 B (opacity byte 0); text matching no form gives 0 (black).
// Components are clamped to 0..255. A malformed "#" or "rgb" text throws SvgError.
int32_t GetSvgColor(std::string_view text);

// Puts an opacity 0..255 (clamped) into the high byte of a colour.
uint32_t WithAlpha(int32_t color, int32_t alpha);

}  // namespace importer
