// The text tool: text turned into closed outline paths, one per glyph contour, laid out in lines
// or along a circular arc and placed with the top-left corner of its bounds at the clicked point.
#pragma once

#include "core/path_record.h"
#include "platform/glyphs/glyph_font.h"

#include <array>
#include <cstdint>
#include <string>

namespace core {

// Twips per pixel of the font's outlines.
inline constexpr int32_t kGlyphUnit = 16;

// The text tool window's settings, read each time text is created.
struct TextToolValues {
    std::string Text;          // UTF-8; CR, LF or CR LF breaks the line, other control codes are skipped
    bool ArcLayout = false;    // lay the characters out on a circular arc
    bool KeepUpright = false;  // on the arc, move the characters without turning them
    double FirstAngle = 0;     // degrees clockwise from twelve o'clock of the first character
    double ArcAngle = 360;     // degrees of arc the text spans (0 taken as 1, held to -360 .. 360)
    double Spacing = 100;      // character spacing along the arc, in percent
};

// Appends the text's outline paths in the font (line width in canvas pixels; colours line, fill,
// second gradient colour). A glyph of several contours becomes one group and one compound path.
// Returns the document's path count, or 0 when nothing was added (an empty text, only spaces or
// control codes, or a font that is not open).
int32_t CreateTextPaths(int32_t x, int32_t y, float width, int16_t lineMode, int16_t fillType,
                        const std::array<Color, 3> &colors, const TextToolValues &values,
                        const platform::GlyphFont &font);

}  // namespace core
