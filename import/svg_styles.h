// SVG presentation attributes, style declarations, lengths, numbers, viewBox and transform lists:
// the inherited style record of the element walk and the affine matrix lists.
#pragma once

#include "import/svg_context.h"
#include "import/svg_geometry.h"

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace importer {

// The inherited style. Copies share one matrix list along a branch of the tree; the walk removes
// from its front what a container added when the container ends.
struct SvgStyle {
    std::string FillText = "black";
    int32_t FillColor = 0;         // 0x00BBGGRR, -1 none
    int32_t FillOpacity = 255;
    int32_t StrokeColor = -1;      // -1 none
    int32_t StrokeOpacity = 255;
    int32_t StrokeWidth = 20;      // twips
    int32_t LineCap = 1;           // 0 round, 1 butt, 2 square
    int32_t LineJoin = 2;          // 0 round, 1 bevel, 2 miter
    int32_t MiterLimit = 1024;     // x 256
    int32_t Opacity = 255;
    std::shared_ptr<MatrixList> Matrices = std::make_shared<MatrixList>();
    float Scale = 1;               // product of the viewBox scales met so far
};

struct ParsedLength {
    int32_t value = 0;
    size_t end = 0;  // position after the number
};

// A number with an optional unit (pt pc mm cm in em ex; anything else counts as px), in twips
// when toTwips is set. No number at the start gives 0 with end 0. Throws SvgError on a malformed
// or out-of-range number.
ParsedLength ParseLength(std::string_view text, bool toTwips);
// A number with an optional unit or "%" (50% gives 0.5); an exponent belongs to the number.
float ParseNumber(std::string_view text);
// min-x, min-y, width, height in twips; missing numbers are 0.
std::array<int32_t, 4> ParseViewBox(std::string_view text);
// Adds the transforms of a transform list to the front of the list (the rightmost ends first).
void ParseTransform(std::string_view text, MatrixList &matrices);

// The numbers from pos on (blanks and commas between them) in twips, up to the first character
// that neither separates nor starts a number; pos ends on that character. "10-20" and ".5.5" are
// two numbers each.
void ParseNumberList(std::string_view text, size_t &pos, std::vector<int32_t> &numbers);

int32_t GetLineCapCode(std::string_view text);
int32_t GetLineJoinCode(std::string_view text);

// Applies one stroke or opacity attribute shared by containers, use and shapes; false when the
// name is not one of them.
bool ApplyPresentationAttr(std::string_view name, std::string_view value, SvgStyle &style);
// "fill" on a container or use: the text, and a colour unless it is a url reference.
void ApplyContainerFill(std::string_view value, SvgStyle &style);
// A style attribute; its "fill" declaration is handed back in fillText, not applied. A style that
// is exactly "&name;" is replaced by that entity's text.
void ApplyStyleText(std::string_view styleText, std::optional<std::string> &fillText, SvgStyle &style,
                    const SvgNameTable &names);
// Reads the attributes of an svg, g or symbol tag into style (and for svg the drawing size into
// the context); pos ends on the tag's end. Returns the id ("" when none).
std::string ReadContainerAttrs(std::string_view text, size_t &pos, SvgStyle &style, std::string_view elementName,
                               SvgContext &context);

}  // namespace importer
