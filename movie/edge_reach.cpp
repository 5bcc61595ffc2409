#include "movie/edge_reach.h"

#include <algorithm>

namespace movie {

namespace {

constexpr int64_t kBudgetPerPath = 1024;
constexpr int64_t kBudgetPerAnchor = 64;

int64_t Clamp(int64_t value)
{
    return std::clamp(value, -kReachTwips, kReachTwips);
}

// Point on the segment a..b at t = num / den, rounded to the nearest twip.
ReachPoint At(ReachPoint a, ReachPoint b, double t)
{
    auto lerp = [t](int64_t p, int64_t q) {
        return p + static_cast<int64_t>(static_cast<double>(q - p) * t + (q >= p ? 0.5 : -0.5));
    };
    return {lerp(a.x, b.x), lerp(a.y, b.y)};
}

}  // namespace

int64_t EdgeRecordBudget(const core::PathRecord &path)
{
    return kBudgetPerPath + kBudgetPerAnchor * static_cast<int64_t>(path.Anchors.size());
}

ReachPoint ClampToReach(ReachPoint point)
{
    return {Clamp(point.x), Clamp(point.y)};
}

bool InsideReach(ReachPoint point)
{
    return ClampToReach(point) == point;
}

int ClampedLineCorners(ReachPoint a, ReachPoint b, ReachPoint corners[5])
{
    // Clamping is affine between the places where the edge crosses the lines of the square's
    // borders, so the image is straight between those crossings.
    double cuts[4];
    int cutCount = 0;
    auto addCut = [&](int64_t from, int64_t to, int64_t border) {
        if ((from < border && to > border) || (from > border && to < border)) {
            cuts[cutCount++] = static_cast<double>(border - from) / static_cast<double>(to - from);
        }
    };
    addCut(a.x, b.x, -kReachTwips);
    addCut(a.x, b.x, kReachTwips);
    addCut(a.y, b.y, -kReachTwips);
    addCut(a.y, b.y, kReachTwips);
    std::sort(cuts, cuts + cutCount);
    int count = 0;
    ReachPoint last = ClampToReach(a);
    auto add = [&](ReachPoint point) {
        if (point != last) {
            corners[count++] = point;
            last = point;
        }
    };
    for (int i = 0; i < cutCount; ++i) {
        add(ClampToReach(At(a, b, cuts[i])));
    }
    const ReachPoint end = ClampToReach(b);
    if (count == 0 || corners[count - 1] != end) {
        corners[count++] = end;  // also a zero-length edge keeps its one record
    }
    return count;
}

bool BeyondOneBorder(ReachPoint from, ReachPoint control, ReachPoint to)
{
    const ReachPoint points[] = {from, control, to};
    auto all = [&points](auto test) { return std::all_of(std::begin(points), std::end(points), test); };
    return all([](ReachPoint p) { return p.x <= -kReachTwips; }) ||
           all([](ReachPoint p) { return p.x >= kReachTwips; }) ||
           all([](ReachPoint p) { return p.y <= -kReachTwips; }) ||
           all([](ReachPoint p) { return p.y >= kReachTwips; });
}

}  // namespace movie
