#include "core/geometry.h"

#include "platform/base/rounding.h"

#include <algorithm>
#include <cmath>

namespace core {
namespace {

// Products of two coordinate differences need 65 bits; their differences 66.
__extension__ using Int128 = __int128;

using platform::RoundToInt32;

int64_t Diff(int32_t a, int32_t b)
{
    return int64_t{a} - int64_t{b};
}

// The z component of the cross product (ax, ay) x (bx, by), exact.
Int128 Cross(int64_t ax, int64_t ay, int64_t bx, int64_t by)
{
    return Int128{ax} * by - Int128{ay} * bx;
}

// The dot product (ax, ay) . (bx, by), exact.
Int128 Dot(int64_t ax, int64_t ay, int64_t bx, int64_t by)
{
    return Int128{ax} * bx + Int128{ay} * by;
}

// Whether point a lies on the closed segment b1-b2 (exact).
bool LiesOnSegment(const AnchorPoint &a, const AnchorPoint &b1, const AnchorPoint &b2)
{
    if (Cross(Diff(b2.X, b1.X), Diff(b2.Y, b1.Y), Diff(a.X, b1.X), Diff(a.Y, b1.Y)) != 0) {
        return false;
    }
    return a.X >= std::min(b1.X, b2.X) && a.X <= std::max(b1.X, b2.X) && a.Y >= std::min(b1.Y, b2.Y)
           && a.Y <= std::max(b1.Y, b2.Y);
}

// start + delta * num / den in double from the exact numerator, rounded to single precision.
float PointAlong(int32_t start, int64_t delta, Int128 num, Int128 den)
{
    Int128 scaled = Int128{start} * den + Int128{delta} * num;
    return static_cast<float>(static_cast<double>(scaled) / static_cast<double>(den));
}

// Handles 2, 8 (and 4, 6 with the axes swapped): scales one coordinate about its origin, then
// shears the other one in proportion to how far the scaled coordinate moved from the origin.
void ScaleThenShear(int32_t &scaled, int32_t &sheared, int32_t scaledOrigin, int32_t shearedOrigin,
                    float ratio, int32_t scaledRef, int32_t shearedRef)
{
    int64_t divisor = Diff(scaledRef, scaledOrigin);
    if (divisor == 0) {
        return;
    }
    int32_t newScaled = RoundToInt32(ratio * static_cast<double>(Diff(scaled, scaledOrigin)) + scaledOrigin);
    Int128 product = Int128{Diff(newScaled, scaledOrigin)} * Diff(shearedRef, shearedOrigin);
    sheared = RoundToInt32(static_cast<double>(product) / static_cast<double>(divisor) + sheared);
    scaled = newScaled;
}

// Corner handles: moves one coordinate towards its origin by (1 - ratio), in proportion to how far
// the other coordinate lies from its origin relative to the reference point.
void Taper(int32_t &moved, int32_t movedOrigin, float ratio, int32_t other, int32_t otherOrigin,
           int32_t otherRef)
{
    int64_t divisor = Diff(otherRef, otherOrigin);
    if (divisor == 0) {
        return;
    }
    double offset = static_cast<double>(Diff(moved, movedOrigin));
    double shift = (offset - ratio * offset) * static_cast<double>(Diff(other, otherOrigin));
    moved = RoundToInt32(moved - shift / static_cast<double>(divisor));
}

// The perspective factor for depth z (twips) on a canvas `width` pixels wide; 1 when the point is
// at or behind the eye or the factor is not a finite number.
float PerspectiveFactor(int32_t width, int32_t z, float s)
{
    double denominator = width + z / 20.0;
    if (!(denominator > 0) || !std::isfinite(denominator)) {
        return 1.0f;
    }
    double factor = static_cast<double>(s) * width / denominator + (1 - static_cast<double>(s));
    return std::isfinite(factor) ? static_cast<float>(factor) : 1.0f;
}

}  // namespace

float GetDistance(double dx, double dy)
{
    return static_cast<float>(std::sqrt(dx * dx + dy * dy));
}

float GetSegmentDistance(int32_t x1, int32_t y1, int32_t x2, int32_t y2, int32_t px, int32_t py)
{
    if (Dot(Diff(x1, x2), Diff(y1, y2), Diff(px, x2), Diff(py, y2)) <= 0) {  // beyond S2
        return GetDistance(static_cast<double>(Diff(px, x2)), static_cast<double>(Diff(py, y2)));
    }
    if (Dot(Diff(x2, x1), Diff(y2, y1), Diff(px, x1), Diff(py, y1)) <= 0) {  // beyond S1
        return GetDistance(static_cast<double>(Diff(px, x1)), static_cast<double>(Diff(py, y1)));
    }
    float length = GetDistance(static_cast<double>(Diff(x2, x1)), static_cast<double>(Diff(y2, y1)));
    Int128 c = Cross(Diff(px, x1), Diff(py, y1), Diff(x2, x1), Diff(y2, y1));
    if (c < 0) {
        c = -c;
    }
    return static_cast<float>(static_cast<double>(c) / length);
}

float GetAngle(int32_t x1, int32_t y1, int32_t x2, int32_t y2)
{
    int64_t dx = Diff(x2, x1);
    int64_t dy = Diff(y2, y1);
    if (dx == 0) {
        return dy >= 0 ? 90.0f : -90.0f;
    }
    float angle = static_cast<float>(std::atan(static_cast<double>(dy) / static_cast<double>(dx))
                                     / kRadiansPerDegree);
    if (dx < 0) {
        angle += 180.0f;
    }
    return angle;
}

void RotatePoint(int32_t &x, int32_t &y, int32_t cx, int32_t cy, float angle)
{
    double u = static_cast<double>(Diff(x, cx));
    double v = static_cast<double>(Diff(y, cy));
    double c = std::cos(static_cast<double>(angle));
    double s = std::sin(static_cast<double>(angle));
    x = RoundToInt32((-s) * v + u * c + cx);
    y = RoundToInt32(v * c + u * s + cy);
}

void ScaleByHandle(int32_t &x, int32_t &y, int32_t ox, int32_t oy, float rx, float ry, int32_t ex,
                   int32_t ey, int32_t handle)
{
    switch (handle) {
    case 2:
    case 8:
        ScaleThenShear(y, x, oy, ox, ry, ey, ex);
        return;
    case 4:
    case 6:
        ScaleThenShear(x, y, ox, oy, rx, ex, ey);
        return;
    default:
        if (ry == 1.0f) {
            Taper(x, ox, rx, y, oy, ey);
        } else if (rx == 1.0f) {
            Taper(y, oy, ry, x, ox, ex);
        }
        return;
    }
}

void Transform3DPoint(int32_t &x, int32_t &y, int32_t cx, int32_t cy, float a1, float a2, float a3,
                      float s, int32_t canvasWidth)
{
    // About the viewing axis.
    double u = static_cast<double>(Diff(x, cx));
    double v = static_cast<double>(Diff(y, cy));
    double cos1 = std::cos(static_cast<double>(a1));
    double sin1 = std::sin(static_cast<double>(a1));
    int32_t x1 = RoundToInt32(u * cos1 - sin1 * v + cx);
    int32_t y1 = RoundToInt32(u * sin1 + v * cos1 + cy);

    // About the vertical axis, starting at depth 0.
    u = static_cast<double>(Diff(x1, cx));
    int32_t x2 = RoundToInt32(u * std::cos(static_cast<double>(a2)) + cx);
    int32_t z1 = RoundToInt32(u * std::sin(static_cast<double>(a2)));

    // About the horizontal axis.
    v = static_cast<double>(Diff(y1, cy));
    double cos3 = std::cos(static_cast<double>(a3));
    double sin3 = std::sin(static_cast<double>(a3));
    int32_t y2 = RoundToInt32(v * cos3 - sin3 * z1 + cy);
    int32_t z2 = RoundToInt32(v * sin3 + z1 * cos3);

    float f = PerspectiveFactor(canvasWidth, z2, s);
    x = RoundToInt32(f * static_cast<double>(Diff(x2, cx)) + cx);
    y = RoundToInt32(f * static_cast<double>(Diff(y2, cy)) + cy);
}

bool IntersectSegments(const AnchorPoint &p1, const AnchorPoint &p2, const AnchorPoint &q1,
                       const AnchorPoint &q2, float &ix, float &iy)
{
    int64_t rx = Diff(p2.X, p1.X);
    int64_t ry = Diff(p2.Y, p1.Y);
    int64_t sx = Diff(q2.X, q1.X);
    int64_t sy = Diff(q2.Y, q1.Y);
    if (rx == 0 && sx == 0) {
        return false;  // both vertical, even when they overlap
    }
    bool pIsPoint = rx == 0 && ry == 0;
    bool qIsPoint = sx == 0 && sy == 0;
    if (pIsPoint || qIsPoint) {
        const AnchorPoint &point = pIsPoint ? p1 : q1;
        bool meets = pIsPoint ? LiesOnSegment(p1, q1, q2) : LiesOnSegment(q1, p1, p2);
        ix = static_cast<float>(point.X);
        iy = static_cast<float>(point.Y);
        return meets;
    }

    Int128 denominator = Cross(rx, ry, sx, sy);
    if (denominator == 0) {
        return false;  // parallel, collinear overlaps included
    }
    // p1 + t * r = q1 + u * s with t = tNum / denominator and u = uNum / denominator.
    int64_t wx = Diff(q1.X, p1.X);
    int64_t wy = Diff(q1.Y, p1.Y);
    Int128 tNum = Cross(wx, wy, sx, sy);
    Int128 uNum = Cross(wx, wy, rx, ry);
    if (denominator < 0) {
        denominator = -denominator;
        tNum = -tNum;
        uNum = -uNum;
    }
    if (tNum < 0 || tNum > denominator || uNum < 0 || uNum > denominator) {
        return false;
    }

    // Axis-parallel segments give their own coordinate exactly.
    ix = rx == 0 ? static_cast<float>(p1.X)
         : sx == 0 ? static_cast<float>(q1.X)
                   : PointAlong(p1.X, rx, tNum, denominator);
    iy = ry == 0 ? static_cast<float>(p1.Y)
         : sy == 0 ? static_cast<float>(q1.Y)
                   : PointAlong(p1.Y, ry, tNum, denominator);
    return true;
}

int32_t PointInPaths(int32_t px, int32_t py, const PathCollection &paths, const Rect32 &bounds)
{
    if (px < bounds.Left || px > bounds.Right || py < bounds.Top || py > bounds.Bottom) {
        return -1;
    }
    const AnchorPoint p{px, py};
    const AnchorPoint r{bounds.Right, py};
    int32_t count = 0;
    bool onEdge = false;
    float maxX = static_cast<float>(int64_t{px} - 1);

    for (int32_t i = 1; i <= paths.PathCount(); ++i) {
        const AnchorArray &anchors = paths.Paths[static_cast<size_t>(i)].Anchors;
        const size_t n = anchors.size();
        if (n < 3) {
            continue;
        }
        for (size_t k = 0; k < n; ++k) {
            const AnchorPoint &a = anchors[k];
            const AnchorPoint &b = anchors[(k + 1) % n];
            float ix = 0;
            float iy = 0;
            if (a.Y == py || !IntersectSegments(p, r, a, b, ix, iy)) {
                continue;
            }
            // The ray is horizontal, so the crossing lies at B exactly when B is on the ray's line.
            if (b.Y != py) {
                if (static_cast<double>(ix) == px) {
                    onEdge = true;
                }
                ++count;
            } else {
                // The crossing is at a vertex: count it when the boundary goes on to the other
                // side of the ray's line (the first anchor after B off that line; A at the latest).
                size_t next = (k + 2) % n;
                while (anchors[next].Y == py) {
                    next = (next + 1) % n;
                }
                if ((anchors[next].Y > py) != (a.Y > py)) {
                    ++count;
                }
            }
            maxX = std::max(maxX, ix);
        }
    }
    if (static_cast<double>(maxX) == px && onEdge) {
        return 0;
    }
    return count % 2 != 0 ? 1 : -1;
}

const AnchorPoint *FindAnchor(const PathArray &paths, int32_t i, int32_t k)
{
    if (i < 1 || i > UpperBound(paths)) {
        return nullptr;
    }
    const AnchorArray &anchors = paths[static_cast<size_t>(i)].Anchors;
    const int32_t count = static_cast<int32_t>(anchors.size());
    if (count <= 0) {
        return nullptr;
    }
    int32_t wrapped = k % count;
    return &anchors[static_cast<size_t>(wrapped < 0 ? wrapped + count : wrapped)];
}

void GetSelectedAnchorCenter(const PathArray &paths, const std::vector<AnchorRef> &selected, int32_t &x,
                             int32_t &y)
{
    const int32_t n = UpperBound(selected);
    if (n < 1) {
        return;
    }
    int64_t sumX = 0;
    int64_t sumY = 0;
    for (int32_t e = 1; e <= n; ++e) {
        const AnchorRef &ref = selected[static_cast<size_t>(e)];
        if (const AnchorPoint *anchor = FindAnchor(paths, ref.PathIndex, ref.AnchorIndex)) {
            sumX += anchor->X;
            sumY += anchor->Y;
        }
    }
    x = static_cast<int32_t>(sumX / n);
    y = static_cast<int32_t>(sumY / n);
}

}  // namespace core
