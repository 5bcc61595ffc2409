// SVG linear and radial gradients: reading their definitions into the name table and turning a
// shape's url(#id) fill into the fill of its group.
#pragma once

#include "import/svg_context.h"
#include "import/svg_geometry.h"
#include "import/svg_path_model.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace importer {

struct SvgGradientStop {
    int32_t Color = 0;     // 0x00BBGGRR
    int32_t Opacity = 255; // 0..255
    int32_t Position = 0;  // 0..255
};

struct SvgGradientData {
    bool bluserSpaceOnUse = false;
    int32_t SpreadMethod = 0;  // 0 pad, 1 reflect, 2 repeat
    bool blRatio = false;      // coordinates given in percent
    bool IsRadial = false;
    SvgPoint StartPoint{0, 0};  // (x1, y1) or (cx, cy)
    SvgPoint EndPoint{1, 0};    // (x2, y2) or the focal point
    float r = 0.5f;
    MatrixList colGradientMatrix;
    std::vector<SvgGradientStop> Stops;  // offsets clamped to 0..255 and non-decreasing
    std::string linkName;                // the gradient whose stops are used when there are none here

    std::string GradName() const { return IsRadial ? "Radial" : "Linear"; }
};

// Reads a linearGradient or radialGradient element whole (pos just after its name) and files it
// under its id when it has one. False when the text ran out inside it.
bool ReadGradient(std::string_view text, size_t &pos, bool radial, SvgContext &context);

// The shape's untransformed bounding box in twips.
struct GradientFrame {
    int32_t Left = 0;
    int32_t Top = 0;
    int32_t Width = 0;
    int32_t Height = 0;
};

// Fills the group with the gradient: alpha 0..255 is the shape's fill opacity; the matrix lists
// are the shape's own and the inherited ones; invScale is 1 / the style's viewBox scale. False
// (group unchanged) when no stops can be found; one stop gives a solid fill.
bool ApplyGradient(QlkGroup &group, const SvgGradientData &gradient, SvgContext &context, int32_t alpha,
                   const MatrixList &elementMatrices, const MatrixList &inheritedMatrices, GradientFrame frame,
                   float invScale);

}  // namespace importer
