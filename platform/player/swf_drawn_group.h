// Drawn groups: style groups turned into paths, and where shapes place them. Internal to the
// player.
#pragma once

#include "platform/player/swf_compact_paths.h"
#include "platform/player/swf_outline_cache.h"
#include "platform/player/swf_styles.h"

#include <QPainterPath>
#include <QRectF>
#include <QTransform>

#include <cstddef>
#include <memory>
#include <vector>

namespace platform::swf {

struct GroupPieces;  // swf_path_pieces.h

// A style group turned into paths: one even-odd path per fill style and one per line style,
// kept compactly and made as QPainterPaths where they are drawn or read.
struct DrawnGroup {
    std::vector<FillStyle> fills;
    std::vector<LineStyle> lines;
    CompactPaths paths;  // the fills' (index = style - 1), then the lines'
    std::shared_ptr<OutlineCache> outlines;  // of the lines, by line style; guarded by its own lock
    QRectF bounds;  // twips, lines included
    std::shared_ptr<const GroupPieces> pieces;  // of the long fills; null when there are none

    bool FillEmpty(size_t index) const { return paths.IsEmpty(index); }
    bool LineEmpty(size_t index) const { return paths.IsEmpty(fills.size() + index); }
    // The path of fill (line) index, made into made (or kept as made in a large group).
    const QPainterPath &FillPath(size_t index, PathsMade &made) const { return made.Of(paths, index); }
    const QPainterPath &LinePath(size_t index, PathsMade &made) const { return made.Of(paths, fills.size() + index); }
};

// made, when given, receives the group's paths as they were made (the fills', then the lines').
DrawnGroup BuildDrawnGroup(StyleGroup group, std::vector<QPainterPath> *made = nullptr);
// The bytes a drawn group holds: itself, its styles, paths (one shared by a fill and a line
// counted once) and line outlines, as allocated for it. Long fills' pieces are not counted.
size_t HeldBytes(const DrawnGroup &group);
// Whether one of the group's fills paints a bitmap.
bool HasBitmapFill(const DrawnGroup &group);

using GroupPtr = std::shared_ptr<const DrawnGroup>;

// A drawn group where a shape draws it. Groups are built relative to their own origin (the first
// point of their edges, gradient and bitmap matrices included), so that one group serves every
// place the same drawing appears: moved, it keeps its paths and outlines.
struct PlacedGroup {
    GroupPtr group;
    QPointF offset;  // the group's origin in shape twips

    // The transform of group coordinates for a shape drawn through transform.
    QTransform At(const QTransform &transform) const
    {
        return QTransform::fromTranslate(offset.x(), offset.y()) * transform;
    }
    QRectF Bounds() const { return group->bounds.translated(offset); }
};

}  // namespace platform::swf
