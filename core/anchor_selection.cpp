#include "core/anchor_selection.h"

#include "core/document.h"
#include "platform/base/number_text.h"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <vector>

namespace core {
namespace {

// The number at the start of the text in single precision; a finite value beyond its range
// becomes the largest single of its sign.
float ReadSingle(std::string_view text)
{
    const double value = platform::Val(text);
    if (std::isfinite(value)) {
        return static_cast<float>(std::clamp(value, -double{FLT_MAX}, double{FLT_MAX}));
    }
    return static_cast<float>(value);
}

}  // namespace

void ParseRatioText(std::string_view text, float &second, float &first)
{
    const size_t colon = text.find(':');
    if (colon == std::string_view::npos) {
        first = second = ReadSingle(text);
        return;
    }
    first = ReadSingle(text.substr(0, colon));
    second = ReadSingle(text.substr(colon + 1));
}

bool HitSelectedAnchor(int32_t i, int32_t k)
{
    const std::vector<AnchorRef> &selected = Doc().SelectedAnchors;
    return std::find(selected.begin() + std::min<size_t>(1, selected.size()), selected.end(),
                     AnchorRef{i, k}) != selected.end();
}

void StepAnchorSelection(int32_t step)
{
    Document &doc = Doc();
    for (size_t e = 1; e < doc.SelectedAnchors.size(); ++e) {
        AnchorRef &entry = doc.SelectedAnchors[e];
        if (entry.PathIndex < 1 || entry.PathIndex > doc.DocPathCount()) {
            continue;  // names no path: nothing to step along
        }
        const int64_t count = int64_t{std::as_const(doc.DocPaths)[static_cast<size_t>(entry.PathIndex)].AnchorMax()} + 1;
        if (count < 1) {
            continue;
        }
        int64_t index = (int64_t{entry.AnchorIndex} + step) % count;
        entry.AnchorIndex = static_cast<int32_t>(index < 0 ? index + count : index);
    }
}

}  // namespace core
