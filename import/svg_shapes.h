// The drawable SVG elements: line, rect, path, polyline and polygon, the path-data interpreter
// and the scaling of stroke widths by transforms.
#pragma once

#include "import/svg_context.h"
#include "import/svg_path_model.h"
#include "import/svg_styles.h"

#include <cstdint>
#include <string_view>
#include <utility>

namespace importer {

// Each reader starts just after the element name, reads the tag's attributes (pos ends on the
// tag's end) and fills the group; true when the group is to be drawn.
bool ReadLine(std::string_view text, size_t &pos, QlkGroup &group, const SvgStyle &parent, SvgContext &context);
bool ReadRect(std::string_view text, size_t &pos, QlkGroup &group, const SvgStyle &parent, SvgContext &context);
bool ReadPathElement(std::string_view text, size_t &pos, QlkGroup &group, const SvgStyle &parent,
                     std::string_view elementName, SvgContext &context);

// Appends the subpaths of path data to the group, in twips; throws SvgError on malformed data.
void ParsePathData(QlkGroup &group, std::string_view data, SvgContext &context);

// How the linear parts of both lists stretch the unit vectors along x and along y.
std::pair<float, float> GetMatrixScale(const MatrixList &list1, const MatrixList &list2);
// A stroke width w scaled by lengths a over dx and b over dy.
int32_t ScaleLength(int32_t w, int32_t a, int32_t b, int32_t dx, int32_t dy);

}  // namespace importer
