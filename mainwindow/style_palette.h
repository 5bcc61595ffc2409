// The style palette: how new paths are painted (stroke, fill or both, and the kind of fill),
// chosen by clicking its icons and applied to the selected paths.
#pragma once

#include <QString>

#include <cstdint>
#include <optional>

namespace mainwindow {

struct PaintStyle {
    int16_t lineMode = 1;  // 1 stroked, 0 not
    int16_t fillType = 0;  // 0 none, 1 solid, 2 linear, 3 reflected linear, 4 radial gradient

    bool operator==(const PaintStyle &) const = default;
};

// The paint mode row: 0 stroke only, 1 fill only, 2 stroke and fill; -1 for neither.
int PaintModeIndex(const PaintStyle &style);
// The style a left click at y (palette pixels) chooses, starting from the current one; nothing
// when the click lies outside both groups of icons.
std::optional<PaintStyle> StyleChosenAt(double y, const PaintStyle &current);
// "[スタイルパレット] <paint mode>" and, with a fill, ":<fill kind>".
QString StyleDescription(const PaintStyle &style);

}  // namespace mainwindow
