#include "core/hit_search.h"

#include "core/document.h"
#include "core/geometry.h"

namespace core {
namespace {

// Twips added around a path's bounds before its anchors are looked at; also the reach at zoom 1.
constexpr int64_t kHitMargin = 60;

bool IsSearched(const PathRecord &path)
{
    return !path.IsHidden() && !path.IsLocked() && path.AnchorMax() > 0;
}

// Whether (x, y) lies inside the path's bounds (every anchor widened by the line width, as the
// document's bounds are) grown by the hit margin.
bool GrownBoundsHold(const PathRecord &path, int64_t x, int64_t y)
{
    const Rect32 bounds = GetPathBounds(path);
    return bounds.Left - kHitMargin <= x && x <= bounds.Right + kHitMargin && bounds.Top - kHitMargin <= y
           && y <= bounds.Bottom + kHitMargin;
}

// Three screen pixels in twips at the current zoom.
float HitReach()
{
    return static_cast<float>(static_cast<double>(kHitMargin) / Doc().ZoomRate);
}

// Calls visit(index, path) for every searched path whose grown bounds hold (x, y), in drawing order.
template <typename Visit>
void ForEachPathNear(int32_t x, int32_t y, Visit visit)
{
    const Document &doc = Doc();
    for (int32_t i = 1; i <= doc.DocPathCount(); ++i) {
        const PathRecord &path = doc.DocPaths[static_cast<size_t>(i)];
        if (IsSearched(path) && GrownBoundsHold(path, x, y)) {
            visit(i, path);
        }
    }
}

}  // namespace

void FindAnchorNear(int32_t x, int32_t y, int32_t &path, int32_t &anchor)
{
    path = 0;
    anchor = 0;
    const float reach = HitReach();
    ForEachPathNear(x, y, [&](int32_t i, const PathRecord &record) {
        for (int32_t k = 0; k <= record.AnchorMax(); ++k) {
            const AnchorPoint &a = record.Anchors[static_cast<size_t>(k)];
            float d = GetDistance(static_cast<double>(int64_t{a.X} - x), static_cast<double>(int64_t{a.Y} - y));
            if (reach > d) {
                path = i;
                anchor = k;
            }
        }
    });
}

void FindSegmentNear(int32_t x, int32_t y, int32_t &path, int32_t &anchor)
{
    path = 0;
    anchor = 0;
    const float reach = HitReach();
    ForEachPathNear(x, y, [&](int32_t i, const PathRecord &record) {
        const int32_t count = record.AnchorMax() + 1;
        const int32_t lastSegment = record.blClosed ? count - 1 : count - 2;
        for (int32_t m = 0; m <= lastSegment; ++m) {
            const AnchorPoint &a = record.Anchors[static_cast<size_t>(m)];
            const AnchorPoint &b = record.Anchors[static_cast<size_t>((m + 1) % count)];
            if (reach > GetSegmentDistance(a.X, a.Y, b.X, b.Y, x, y)) {
                path = i;
                anchor = m;
            }
        }
    });
}

}  // namespace core
