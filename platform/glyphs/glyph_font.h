// Fonts for text to outlines: a font chosen by family, size and style through fontconfig, its
// text metrics, and each character's outline in the native outline records (TrueType polygon
// headers with line and quadratic spline records, 16.16 fixed point), from FreeType. Units are
// the pixels of a 96 dots-per-inch device, y growing upwards, the origin at the glyph origin on
// the baseline. Cubic outlines (CFF and OpenType fonts) are handed over as quadratic splines.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace platform {

// A 16.16 fixed-point value as the outline records store it: value + fract / 65536.
struct Fixed {
    uint16_t fract = 0;
    int16_t value = 0;
};

// Layout of the native outline records (little-endian):
//   polygon header: total size of the contour's records including the header (uint32),
//                   type kPolygonType (uint32), start point x, y (Fixed each);
//   curve header:   type kCurveLine or kCurveQSpline (uint16), point count n (uint16),
//                   then n points x, y (Fixed each).
inline constexpr uint32_t kPolygonType = 24;
inline constexpr uint16_t kCurveLine = 1;
inline constexpr uint16_t kCurveQSpline = 2;
inline constexpr size_t kPolygonHeaderSize = 16;
inline constexpr size_t kCurveHeaderSize = 4;
inline constexpr size_t kFixedPointSize = 8;

// One character's box and advance, in whole pixels.
struct GlyphMetrics {
    uint32_t BlackBoxX = 0;   // width and height of the outline's bounds
    uint32_t BlackBoxY = 0;
    int32_t GlyphOriginX = 0;  // top-left corner of those bounds
    int32_t GlyphOriginY = 0;
    int16_t CellIncX = 0;  // advance to the next character's origin
    int16_t CellIncY = 0;
};

struct TextMetrics {
    int32_t Height = 0;   // Ascent + Descent
    int32_t Ascent = 0;   // baseline to the top of the character cell
    int32_t Descent = 0;  // baseline to the bottom of the cell
};

struct FontRequest {
    std::string Family;       // UTF-8; empty or unknown: the system's default outline font
    float PointSize = 64.0f;  // points of 1/72 inch on the 96 dots-per-inch device
    bool Bold = false;
    bool Italic = false;
};

// Largest and smallest pixel size a font is opened at.
inline constexpr int32_t kMinPixelSize = 1;
inline constexpr int32_t kMaxPixelSize = 4096;

class GlyphFont {
public:
    // A font that is not open: no metrics, every outline fails.
    GlyphFont();
    // Opens the outline font that fontconfig matches to the request (a family this system lacks,
    // such as ＭＳ ゴシック, through the installed family that stands for it). Bold and italic are
    // made from the regular face when the family has no such face.
    explicit GlyphFont(const FontRequest &request);
    ~GlyphFont();
    GlyphFont(GlyphFont &&) noexcept;
    GlyphFont &operator=(GlyphFont &&) noexcept;

    bool IsOpen() const;
    // The family actually opened (it differs from the request when that is not installed).
    std::string FamilyName() const;
    int32_t PixelSize() const;
    TextMetrics GetTextMetrics() const;

    // The outline of one character (a Unicode code point): returns the size in bytes of its
    // native records, 0 when it has no outline (a space), -1 when the font is not open or the
    // glyph cannot be loaded. metrics is always set (zero on failure); when records is given it
    // receives the records. A character the font lacks comes from the installed font closest to
    // the request that has it; only when none has it, the font's missing-character glyph.
    int32_t GetGlyphOutline(char32_t code, GlyphMetrics &metrics, std::vector<uint8_t> *records) const;

private:
    struct Face;
    std::unique_ptr<Face> face_;
};

// Family names of the installed outline fonts, sorted, each once.
std::vector<std::string> ListOutlineFontFamilies();

}  // namespace platform
