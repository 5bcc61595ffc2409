#include "core/brush_outline.h"

#include "core/anchor_editing.h"
#include "core/document.h"
#include "core/geometry.h"
#include "platform/base/rounding.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace core {
namespace {


float AngleBetween(const AnchorPoint &from, const AnchorPoint &to)
{
    return GetAngle(from.X, from.Y, to.X, to.Y);
}

// The point half a line width beyond `end`, opposite the direction towards `inner`.
AnchorPoint CapPoint(const AnchorPoint &end, const AnchorPoint &inner, int32_t width)
{
    double theta = AngleBetween(end, inner) * kRadiansPerDegree;
    AnchorPoint cap = end;
    cap.X = platform::RoundToInt32(end.X - width * std::cos(theta) / 2.0);
    cap.Y = platform::RoundToInt32(end.Y - width * std::sin(theta) / 2.0);
    return cap;
}

// The path's anchors in slots 1 .. n + 1 with their neighbours in slots 0 and N = n + 2: the cap
// points of an open path, the wrapped-around anchors of a closed one.
std::vector<AnchorPoint> WorkingSlots(const PathRecord &path)
{
    std::vector<AnchorPoint> slots;
    slots.reserve(path.Anchors.size() + 2);
    slots.push_back(path.Anchors.front());
    slots.insert(slots.end(), path.Anchors.begin(), path.Anchors.end());
    slots.push_back(path.Anchors.back());
    size_t last = slots.size() - 1;
    if (path.blClosed) {
        slots[last] = slots[1];
        slots[0] = slots[last - 1];
    } else {
        slots[0] = CapPoint(slots[1], slots[2], path.LineWidth);
        slots[last] = CapPoint(slots[last - 1], slots[last - 2], path.LineWidth);
    }
    return slots;
}

// Half the stroke width at slot i of N by the brush profile, before the corner correction.
float HalfWidth(int32_t brushType, const std::vector<AnchorPoint> &slots, size_t i, int32_t lineWidth)
{
    double w = lineWidth;
    double n = static_cast<double>(slots.size() - 1);
    double fromMiddle = static_cast<double>(i) - n / 2.0;
    switch (brushType) {
    case kBrushThin:
        return static_cast<float>((1.0 - std::abs(fromMiddle) / (n / 2.0)) * w / 2.0);
    case kBrushThick:
        return static_cast<float>((1.0 - fromMiddle * fromMiddle / (n * n / 4.0)) * w / 2.0);
    case kBrushStroke: {
        const AnchorPoint &before = slots[i - 1];
        const AnchorPoint &after = slots[i + 1];
        double d = GetDistance(static_cast<double>(after.X) - before.X, static_cast<double>(after.Y) - before.Y);
        return static_cast<float>(std::min(d * w / 2000.0, w));
    }
    default:
        return static_cast<float>(w / 2.0);
    }
}

// Places the two side points of slot i, along the bisector of its neighbouring segments: at
// outline[N - i] (minus side) and outline[N + i] (plus side), with the anchor's kind.
void OffsetAnchor(const std::vector<AnchorPoint> &slots, size_t i, float halfWidth, AnchorArray &outline)
{
    size_t n = slots.size() - 1;
    const AnchorPoint &p = slots[i];
    float a1 = AngleBetween(p, slots[i - 1]);
    float a2 = AngleBetween(p, slots[i + 1]);
    double middle = (static_cast<double>(a1) + a2) / 2.0;
    // At a sharp corner the offset grows as 1 / sin of half the angle, up to ten times.
    double s = std::abs(std::sin((static_cast<double>(a2) - a1) / 2.0 * kRadiansPerDegree));
    s = std::max(s, 0.1);
    float h = static_cast<float>(halfWidth / s);
    int64_t dx = platform::RoundToInt32(std::cos(middle * kRadiansPerDegree) * h);
    int64_t dy = platform::RoundToInt32(std::sin(middle * kRadiansPerDegree) * h);
    if (a1 > a2) {
        dx = -dx;
        dy = -dy;
    }
    outline[n - i] = AnchorPoint{platform::SaturateInt<int32_t>(p.X - dx), platform::SaturateInt<int32_t>(p.Y - dy),
                                 p.AnchorKind};
    outline[n + i] = AnchorPoint{platform::SaturateInt<int32_t>(p.X + dx), platform::SaturateInt<int32_t>(p.Y + dy),
                                 p.AnchorKind};
}

AnchorPoint Midpoint(const AnchorPoint &a, const AnchorPoint &b)
{
    return AnchorPoint{static_cast<int32_t>((int64_t{a.X} + b.X) / 2), static_cast<int32_t>((int64_t{a.Y} + b.Y) / 2),
                       kOnCurve};
}

// A ring has no cap points: the inner and outer edges are joined by a seam at the first anchor,
// run twice in opposite directions.
void JoinRingSides(PathRecord &outline, size_t n)
{
    AnchorPoint q1 = Midpoint(outline.Anchors[2 * n - 1], outline.Anchors[n + 1]);
    AnchorPoint q2 = Midpoint(outline.Anchors[1], outline.Anchors[n - 1]);
    outline.Anchors[n] = q2;
    InsertAnchor(outline, q1, static_cast<int32_t>(n) + 1);
    outline.Anchors[0] = q2;
    InsertAnchor(outline, q1, outline.AnchorMax() + 1);
}

PathRecord BuildOutline(const PathRecord &path, int32_t brushType)
{
    std::vector<AnchorPoint> slots = WorkingSlots(path);
    size_t n = slots.size() - 1;
    PathRecord outline = path;
    outline.Anchors.assign(2 * n, AnchorPoint());
    outline.Anchors[0] = slots[n];
    outline.Anchors[n] = slots[0];
    for (size_t i = 1; i < n; ++i) {
        OffsetAnchor(slots, i, HalfWidth(brushType, slots, i, path.LineWidth), outline.Anchors);
    }
    if (path.blClosed) {
        JoinRingSides(outline, n);
    }
    outline.blClosed = true;
    outline.LineMode = 0;
    outline.FillType = kFillSolid;
    outline.FillColor = path.LineColor;
    outline.LineWidth = 20;
    return outline;
}

}  // namespace

bool MakeBrushOutline(int32_t i, int32_t brushType)
{
    if (i < 1 || i > Doc().DocPathCount()) {
        return false;
    }
    auto &paths = Doc().DocPaths;
    PathRecord &source = paths[static_cast<size_t>(i)];
    if (source.AnchorMax() < 1) {
        return false;
    }
    PathRecord outline = BuildOutline(source, brushType);
    if (!source.blClosed || source.FillType < kFillSolid) {
        source = std::move(outline);
        return false;
    }
    source.LineMode = 0;
    paths.insert(paths.begin() + i + 1, std::move(outline));
    return true;
}

}  // namespace core
