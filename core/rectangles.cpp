#include "core/rectangles.h"

#include "core/document.h"
#include "core/geometry.h"
#include "core/path_builder.h"
#include "core/path_optimizer.h"
#include "platform/base/rounding.h"

#include <algorithm>
#include <cmath>

namespace core {
namespace {

constexpr double kShapeRadius = kShapeSize / 2.0;
// Corner size in twips when the size setting is 0 (20 canvas pixels).
constexpr int64_t kDefaultCornerSize = 400;

int32_t Offset(int32_t value, int64_t delta)
{
    return platform::SaturateInt<int32_t>(value + delta);
}

// Corner size in twips for the rectangle w x h: a fraction of the shorter side, or canvas pixels
// held to half of each side. A negative size gives square corners.
int64_t CornerSize(float s, int64_t w, int64_t h)
{
    double size = s;
    if (size > 0.0 && size <= 0.5) {
        return platform::RoundToInt32(size * static_cast<double>(h < w ? h : w));
    }
    int64_t d = platform::RoundToInt32(size * 20.0);
    if (d == 0) {
        d = kDefaultCornerSize;
    }
    d = std::max<int64_t>(d, 0);
    if (h < 2 * d) {
        d = h / 2;
    }
    if (w < 2 * d) {
        d = w / 2;
    }
    return d;
}

// Anchors of the rectangle's outline, corner by corner from the top left, counter-clockwise on
// screen: three per corner (edge point, middle, edge point) or two for a bevel.
std::vector<AnchorPoint> CornerAnchors(int32_t style, const Rect32 &box, int64_t d)
{
    struct Corner {
        int32_t x, y, sx, sy;
    };
    const Corner corners[4] = {{box.Left, box.Top, 1, 1},
                               {box.Left, box.Bottom, 1, -1},
                               {box.Right, box.Bottom, -1, -1},
                               {box.Right, box.Top, -1, 1}};
    std::vector<AnchorPoint> anchors;
    for (int i = 0; i < 4; ++i) {
        const Corner &c = corners[i];
        AnchorPoint horizontal{Offset(c.x, c.sx * d), c.y, kOnCurve};
        AnchorPoint vertical{c.x, Offset(c.y, c.sy * d), kOnCurve};
        AnchorPoint middle{c.x, c.y, kControlPoint};
        if (style != kCornerRounded) {
            middle = AnchorPoint{horizontal.X, vertical.Y, style == kCornerConcaveSquare ? kOnCurve : kControlPoint};
        }
        // Even corners run from the horizontal edge to the vertical one, odd corners back.
        const AnchorPoint &first = i % 2 == 0 ? horizontal : vertical;
        const AnchorPoint &last = i % 2 == 0 ? vertical : horizontal;
        anchors.push_back(first);
        if (style != kCornerBevel) {
            anchors.push_back(middle);
        }
        anchors.push_back(last);
    }
    return anchors;
}

Rect32 AnchorBounds(std::span<const AnchorPoint> anchors)
{
    Rect32 box{anchors[0].X, anchors[0].Y, anchors[0].X, anchors[0].Y};
    for (const AnchorPoint &a : anchors) {
        box.Left = std::min(box.Left, a.X);
        box.Right = std::max(box.Right, a.X);
        box.Top = std::min(box.Top, a.Y);
        box.Bottom = std::max(box.Bottom, a.Y);
    }
    return box;
}

}  // namespace

PathRecord NewShapePath(int32_t x, int32_t y, float width, int16_t lineMode, int16_t fillType,
                        const std::array<Color, 3> &colors)
{
    PathRecord path;
    path.blClosed = true;
    SetNewPathStyle(path, width, lineMode, fillType, colors);
    path.GradRatioX = path.GradRatioY = static_cast<float>(kShapeSize / 32768.0);
    path.GradCenterX = Offset(x, kShapeSize / 2);
    path.GradCenterY = Offset(y, kShapeSize / 2);
    path.blSelected = true;
    return path;
}

int32_t AppendShapePath(PathRecord path)
{
    Doc().DocPaths.push_back(std::move(path));
    return Doc().DocPathCount();
}

int32_t CreateRectanglePath(int32_t x, int32_t y, float width, int16_t lineMode, int16_t fillType,
                            const std::array<Color, 3> &colors)
{
    PathRecord path = NewShapePath(x, y, width, lineMode, fillType, colors);
    int32_t right = Offset(x, kShapeSize);
    int32_t bottom = Offset(y, kShapeSize);
    path.Anchors = {{x, y, kOnCurve}, {x, bottom, kOnCurve}, {right, bottom, kOnCurve}, {right, y, kOnCurve}};
    return AppendShapePath(std::move(path));
}

int32_t CreateRegularPolygon(int32_t x, int32_t y, float width, int16_t lineMode, int16_t fillType,
                             const std::array<Color, 3> &colors, int32_t n)
{
    n = std::clamp(n, kMinEllipseAnchors, kMaxEllipseAnchors);
    PathRecord path = NewShapePath(x, y, width, lineMode, fillType, colors);
    const double cx = x + kShapeRadius;
    const double cy = y + kShapeRadius;
    for (int32_t k = 0; k < n; ++k) {
        double theta = static_cast<float>((360.0 / n) * (k + 0.5) * kPi / 180.0);
        path.Anchors.push_back(AnchorPoint{platform::RoundToInt32(std::sin(theta) * kShapeRadius + cx),
                                           platform::RoundToInt32(cy - std::cos(theta) * kShapeRadius),
                                           kControlPoint});
    }
    return AppendShapePath(std::move(path));
}

void ApplyRectangleCorners(int32_t style, float s)
{
    int32_t last = Doc().DocPathCount();
    if (style < kCornerRounded || style > kCornerBevel || last < 1 || std::as_const(Doc().DocPaths)[static_cast<size_t>(last)].Anchors.empty()) {
        return;
    }
    PathRecord path = GetPath(last);
    Rect32 box = AnchorBounds(path.Anchors);
    int64_t d = CornerSize(s, int64_t{box.Right} - box.Left, int64_t{box.Bottom} - box.Top);
    path.Anchors = CornerAnchors(style, box, d);
    OptimizePath(path, 1.0f, 0.0f);
    SetPath(last, path);
}

}  // namespace core
