#include "core/polygons.h"

#include "core/geometry.h"
#include "core/rectangles.h"
#include "platform/base/rounding.h"

#include <algorithm>
#include <cmath>

namespace core {
namespace {

int32_t VertexCount(double typed)
{
    double count = platform::RoundHalfEven(typed);
    if (std::isnan(count)) {
        return kMinPolygonVertices;
    }
    return static_cast<int32_t>(std::clamp(count, static_cast<double>(kMinPolygonVertices),
                                           static_cast<double>(kMaxPolygonVertices)));
}

}  // namespace

int32_t CreatePolygonPath(int32_t x, int32_t y, float width, int16_t lineMode, int16_t fillType,
                          const std::array<Color, 3> &colors, const PolygonToolValues &values)
{
    const int32_t n = VertexCount(values.VertexCount) * (values.Star ? 2 : 1);
    const float innerRatio = static_cast<float>((100 - std::clamp(values.Depth, 0, 100)) / 100.0);
    const double radius = kShapeSize / 2.0;
    const double cx = x + radius;
    const double cy = y + radius;
    PathRecord path = NewShapePath(x, y, width, lineMode, fillType, colors);
    for (int32_t i = 0; i < n; ++i) {
        double theta = static_cast<float>((360.0 / n) * i * kPi / 180.0);
        bool inner = values.Star && i % 2 == 1;
        double r = inner ? innerRatio : 1.0;
        bool rounded = inner ? values.RoundInner : values.RoundOuter;
        path.Anchors.push_back(AnchorPoint{platform::RoundToInt32(cx + std::sin(theta) * radius * r),
                                           platform::RoundToInt32(cy - std::cos(theta) * radius * r),
                                           rounded ? kControlPoint : kOnCurve});
    }
    return AppendShapePath(std::move(path));
}

}  // namespace core
