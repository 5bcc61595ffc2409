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

// Paths looked at by the searches so far.
struct HitSearchState {
    int64_t pathsLookedAt = 0;
};

HitSearchState &State()
{
    static HitSearchState state;
    return state;
}

// The front path in drawing order for which hit(index, path) holds among the searched paths
// whose grown bounds hold (x, y), or 0. The search runs from the front and stops there: the
// paths behind it cannot win.
template <typename Hit>
int32_t FrontPathNear(int32_t x, int32_t y, Hit hit)
{
    const Document &doc = Doc();
    int64_t &looked = State().pathsLookedAt;
    for (int32_t i = doc.DocPathCount(); i >= 1; --i) {
        const PathRecord &path = std::as_const(doc.DocPaths)[static_cast<size_t>(i)];
        ++looked;
        if (IsSearched(path) && GrownBoundsHold(path, x, y) && hit(i, path)) {
            return i;
        }
    }
    return 0;
}

}  // namespace

void FindAnchorNear(int32_t x, int32_t y, int32_t &path, int32_t &anchor)
{
    path = 0;
    anchor = 0;
    const float reach = HitReach();
    // The last anchor in reach of the front path with one.
    path = FrontPathNear(x, y, [&](int32_t, const PathRecord &record) {
        for (int32_t k = record.AnchorMax(); k >= 0; --k) {
            const AnchorPoint &a = record.Anchors[static_cast<size_t>(k)];
            float d = GetDistance(static_cast<double>(int64_t{a.X} - x), static_cast<double>(int64_t{a.Y} - y));
            if (reach > d) {
                anchor = k;
                return true;
            }
        }
        return false;
    });
}

void FindSegmentNear(int32_t x, int32_t y, int32_t &path, int32_t &anchor)
{
    path = 0;
    anchor = 0;
    const float reach = HitReach();
    // The last segment in reach of the front path with one.
    path = FrontPathNear(x, y, [&](int32_t, const PathRecord &record) {
        const int32_t count = record.AnchorMax() + 1;
        const int32_t lastSegment = record.blClosed ? count - 1 : count - 2;
        for (int32_t m = lastSegment; m >= 0; --m) {
            const AnchorPoint &a = record.Anchors[static_cast<size_t>(m)];
            const AnchorPoint &b = record.Anchors[static_cast<size_t>((m + 1) % count)];
            if (reach > GetSegmentDistance(a.X, a.Y, b.X, b.Y, x, y)) {
                anchor = m;
                return true;
            }
        }
        return false;
    });
}

int64_t PathsLookedAt()
{
    return State().pathsLookedAt;
}

}  // namespace core
