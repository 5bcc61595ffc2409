#include "import/svg_shapes.h"

#include "import/svg_colors.h"
#include "import/svg_error.h"
#include "import/svg_gradients.h"
#include "import/svg_scanner.h"

#include <cmath>
#include <optional>
#include <string>
#include <vector>

namespace importer {
namespace {

// The style and own transforms of the element being read.
struct ShapeState {
    SvgStyle style;
    MatrixList own;
    std::optional<std::string> fillText;
    bool isLine = false;
};

void ApplyShapeAttr(std::string_view name, std::string_view value, ShapeState &state, const SvgContext &context)
{
    if (name == "fill") {
        if (!state.isLine) {
            state.fillText = std::string(value);
        }
    } else if (name == "style") {
        ApplyStyleText(value, state.fillText, state.style, context.names);
    } else if (name == "transform") {
        ParseTransform(value, state.own);
    } else if (!(state.isLine && (name == "stroke-linejoin" || name == "fill-opacity"))) {
        ApplyPresentationAttr(name, value, state.style);
    }
}

int32_t FillAlpha(const SvgStyle &style)
{
    return style.FillOpacity * style.Opacity / 255;
}

int32_t StrokeAlpha(const SvgStyle &style)
{
    return style.StrokeOpacity * style.Opacity / 255;
}

bool HasStroke(const SvgStyle &style)
{
    return style.StrokeColor >= 0 && style.StrokeWidth > 0;
}

void ApplyFill(QlkGroup &group, const ShapeState &state, SvgContext &context, GradientFrame frame)
{
    const SvgStyle &style = state.style;
    int32_t alpha = FillAlpha(style);
    if (!state.fillText) {
        if (style.FillColor >= 0) {
            group.FillMode = 1;
            group.FillColor = WithAlpha(style.FillColor, alpha);
        }
        return;
    }
    const std::string &fill = *state.fillText;
    if (fill == "none") {
        return;
    }
    if (fill.starts_with("url")) {
        if (const SvgGradientData *gradient = context.names.FindGradient(GetUrlId(fill))) {
            float invScale = style.Scale != 0 ? 1 / style.Scale : 0;
            ApplyGradient(group, *gradient, context, alpha, state.own, *style.Matrices, frame, invScale);
        }
        return;
    }
    group.FillMode = 1;
    group.FillColor = WithAlpha(GetSvgColor(fill), alpha);
}

void SetStroke(QlkGroup &group, const SvgStyle &style, int32_t width)
{
    group.blLineMode = true;
    group.LineColor = WithAlpha(style.StrokeColor, StrokeAlpha(style));
    group.LineWidth = width == 0 ? 1 : width;
    group.LineCap = style.LineCap;
    group.LineJoin = style.LineJoin;
}

int32_t CheckedSpan(int32_t from, int32_t to)
{
    return CheckedRound(static_cast<double>(to) - from);
}

double Distance(int32_t x1, int32_t y1, int32_t x2, int32_t y2)
{
    return std::hypot(static_cast<double>(x2) - x1, static_cast<double>(y2) - y1);
}

// Charges the context for moving the paths' points (start, bounds corners, nodes) through both
// lists, then moves them.
void TransformPaths(std::vector<QlkPath> &paths, const MatrixList &own, const MatrixList &inherited,
                    SvgContext &context)
{
    int64_t points = 0;
    for (const QlkPath &path : paths) {
        points += 5 + 2 * static_cast<int64_t>(path.count());
    }
    context.CountPointTransforms(points, own.size() + inherited.size());
    const std::vector<SvgMatrix> run = JoinMatrixLists(own, inherited);
    for (QlkPath &path : paths) {
        path.Transformation(run);
    }
}

// Path data interpreter state: the path being built and the last control point for S and T.
class PathDataReader {
public:
    PathDataReader(QlkGroup &group, SvgContext &context) : group_(group), context_(context) {}

    void Run(std::string_view data)
    {
        char previous = 'z';
        size_t i = 0;
        while (i < data.size()) {
            size_t blank = BlankLengthAt(data, i);
            if (blank > 0) {
                i += blank;
                continue;
            }
            char command = data[i++];
            if (command == 'Z' || command == 'z') {
                path_.blClosePath = true;
                path_.ReturnToStart();
            } else if (IsCommand(command)) {
                ParseNumberList(data, i, numbers_);
                context_.CountNumbers(numbers_.size());
                CheckGroups(command);
                Execute(command, previous);
            }
            previous = command;
        }
        FlushPath();
    }

private:
    static bool IsCommand(char c)
    {
        return std::string_view("MmLlHhVvCcSsQqTtAa").find(c) != std::string_view::npos;
    }

    void CheckGroups(char command) const
    {
        size_t groupSize = 1;
        switch (command) {
        case 'M': case 'm': case 'L': case 'l': case 'T': case 't': groupSize = 2; break;
        case 'S': case 's': case 'Q': case 'q': groupSize = 4; break;
        case 'C': case 'c': groupSize = 6; break;
        default: break;
        }
        if (numbers_.empty() || numbers_.size() % groupSize != 0) {
            throw SvgError(std::string("bad number count after path command ") + command);
        }
    }

    void FlushPath()
    {
        if (path_.count() > 0) {
            context_.CountHeld(1, 1 + path_.count());
            group_.colQLKPath.push_back(std::move(path_));
        }
        path_ = QlkPath();
    }

    int32_t X() const { return path_.CurrentX(); }
    int32_t Y() const { return path_.CurrentY(); }
    int32_t N(size_t i) const { return numbers_[i]; }
    // Mirror of the reflection point through the current point.
    int32_t MirrorX() const { return CheckedAdd(X(), CheckedSpan(reflectX_, X())); }
    int32_t MirrorY() const { return CheckedAdd(Y(), CheckedSpan(reflectY_, Y())); }

    void DrawCubic(int32_t x1, int32_t y1, int32_t x2, int32_t y2, int32_t x, int32_t y)
    {
        auto f = [](int32_t v) { return static_cast<float>(v); };
        auto points = CubicToQuadratic({f(X()), f(Y())}, {f(x1), f(y1)}, {f(x2), f(y2)}, {f(x), f(y)});
        for (size_t j = 0; j < 4; ++j) {
            const SvgPoint &control = points[2 * j];
            const SvgPoint &end = points[2 * j + 1];
            path_.DrawCurveTo(CheckedRound(control.x), CheckedRound(control.y), CheckedRound(end.x),
                              CheckedRound(end.y));
        }
        reflectX_ = x2;
        reflectY_ = y2;
    }

    void Execute(char command, char previous)
    {
        bool relative = command >= 'a' && command <= 'z';
        auto rx = [&](size_t i) { return relative ? CheckedAdd(X(), N(i)) : N(i); };
        auto ry = [&](size_t i) { return relative ? CheckedAdd(Y(), N(i)) : N(i); };
        size_t count = numbers_.size();
        switch (command) {
        case 'M': case 'm': {
            int32_t x = rx(0);
            int32_t y = ry(1);
            FlushPath();
            path_.MovePenTo(x, y);
            for (size_t i = 2; i < count; i += 2) {
                path_.DrawLineTo(rx(i), ry(i + 1));
            }
            break;
        }
        case 'L': case 'l':
            for (size_t i = 0; i < count; i += 2) {
                path_.DrawLineTo(rx(i), ry(i + 1));
            }
            break;
        case 'H': case 'h':
            for (size_t i = 0; i < count; ++i) {
                path_.DrawLineTo(rx(i), Y());
            }
            break;
        case 'V': case 'v':
            for (size_t i = 0; i < count; ++i) {
                path_.DrawLineTo(X(), ry(i));
            }
            break;
        case 'C': case 'c':
            for (size_t i = 0; i < count; i += 6) {
                DrawCubic(rx(i), ry(i + 1), rx(i + 2), ry(i + 3), rx(i + 4), ry(i + 5));
            }
            break;
        case 'S': case 's':
            if (std::string_view("CcSs").find(previous) == std::string_view::npos) {
                reflectX_ = X();
                reflectY_ = Y();
            }
            for (size_t i = 0; i < count; i += 4) {
                DrawCubic(MirrorX(), MirrorY(), rx(i), ry(i + 1), rx(i + 2), ry(i + 3));
            }
            break;
        case 'Q': case 'q':
            for (size_t i = 0; i < count; i += 4) {
                reflectX_ = rx(i);
                reflectY_ = ry(i + 1);
                path_.DrawCurveTo(reflectX_, reflectY_, rx(i + 2), ry(i + 3));
            }
            break;
        case 'T': case 't':
            if (std::string_view("QqTt").find(previous) == std::string_view::npos) {
                reflectX_ = X();
                reflectY_ = Y();
            }
            for (size_t i = 0; i < count; i += 2) {
                int32_t cx = MirrorX();
                int32_t cy = MirrorY();
                reflectX_ = cx;
                reflectY_ = cy;
                path_.DrawCurveTo(cx, cy, rx(i), ry(i + 1));
            }
            break;
        default:  // arcs draw nothing and leave the current point
            break;
        }
    }

    QlkGroup &group_;
    SvgContext &context_;
    QlkPath path_;
    std::vector<int32_t> numbers_;
    int32_t reflectX_ = 0;
    int32_t reflectY_ = 0;
};

void ReadPointList(QlkGroup &group, std::string_view data, bool close, SvgContext &context)
{
    std::vector<int32_t> numbers;
    size_t pos = 0;
    ParseNumberList(data, pos, numbers);
    context.CountNumbers(numbers.size());
    if (numbers.size() < 2) {
        return;
    }
    QlkPath path;
    path.MovePenTo(numbers[0], numbers[1]);
    for (size_t i = 2; i + 1 < numbers.size(); i += 2) {
        path.DrawLineTo(numbers[i], numbers[i + 1]);
    }
    path.blClosePath = close;
    context.CountHeld(1, 1 + path.count());
    group.colQLKPath.push_back(std::move(path));
}

}  // namespace

void ParsePathData(QlkGroup &group, std::string_view data, SvgContext &context)
{
    PathDataReader(group, context).Run(data);
}

std::pair<float, float> GetMatrixScale(const MatrixList &list1, const MatrixList &list2)
{
    double ux = 1, uy = 0, vx = 0, vy = 1;
    auto apply = [&](const MatrixList &list) {
        for (const SvgMatrix &m : list) {
            double nux = m.ScaleX * ux + m.Skew1 * uy;
            double nuy = m.Skew0 * ux + m.ScaleY * uy;
            double nvx = m.ScaleX * vx + m.Skew1 * vy;
            double nvy = m.Skew0 * vx + m.ScaleY * vy;
            ux = nux, uy = nuy, vx = nvx, vy = nvy;
        }
    };
    apply(list1);
    apply(list2);
    return {static_cast<float>(std::hypot(ux, uy)), static_cast<float>(std::hypot(vx, vy))};
}

int32_t ScaleLength(int32_t w, int32_t a, int32_t b, int32_t dx, int32_t dy)
{
    double sx = dx != 0 ? static_cast<double>(a) / dx : 0;
    double sy = dy != 0 ? static_cast<double>(b) / dy : 0;
    if (dx != 0 && dy != 0) {
        return CheckedRound((sx + sy) * w) / 2;
    }
    if (dx != 0) {
        return CheckedRound(sx * w);
    }
    if (dy != 0) {
        return CheckedRound(sy * w);
    }
    return w;
}

bool ReadLine(std::string_view text, size_t &pos, QlkGroup &group, const SvgStyle &parent, SvgContext &context)
{
    ShapeState state{parent, {}, std::nullopt, true};
    int32_t x1 = 0, y1 = 0, x2 = 0, y2 = 0;
    ForEachAttribute(text, pos, [&](std::string_view name, std::string_view value) {
        if (name == "x1") x1 = ParseLength(value, true).value;
        else if (name == "y1") y1 = ParseLength(value, true).value;
        else if (name == "x2") x2 = ParseLength(value, true).value;
        else if (name == "y2") y2 = ParseLength(value, true).value;
        else ApplyShapeAttr(name, value, state, context);
    });
    context.CountHeld(1, 2);
    group.colQLKPath.emplace_back();
    QlkPath &path = group.colQLKPath.back();
    path.MovePenTo(x1, y1);
    path.DrawLineTo(x2, y2);
    double length = Distance(x1, y1, x2, y2);
    TransformPaths(group.colQLKPath, state.own, *state.style.Matrices, context);
    const SvgStyle &style = state.style;
    if (style.StrokeColor >= 0 && style.StrokeWidth >= 1) {
        int32_t width = style.StrokeWidth;
        if (length > 0) {
            double transformed = std::hypot(static_cast<double>(path.BoundsWidth()), static_cast<double>(path.BoundsHeight()));
            width = CheckedRound(style.StrokeWidth * transformed / length);
        }
        SetStroke(group, style, width);
        group.LineMiter = style.MiterLimit;
    }
    return true;
}

bool ReadRect(std::string_view text, size_t &pos, QlkGroup &group, const SvgStyle &parent, SvgContext &context)
{
    ShapeState state{parent, {}, std::nullopt, false};
    int32_t x = 0, y = 0, width = 0, height = 0;
    ForEachAttribute(text, pos, [&](std::string_view name, std::string_view value) {
        if (name == "x") x = ParseLength(value, true).value;
        else if (name == "y") y = ParseLength(value, true).value;
        else if (name == "width") width = ParseLength(value, true).value;
        else if (name == "height") height = ParseLength(value, true).value;
        else if (name == "rx" || name == "ry") {
            // Corners are drawn square; a rounded rectangle gets round stroke joins instead.
            if (CheckedRound(ConvertDecimal(value)) > 0) {
                state.style.LineJoin = 0;
            }
        } else {
            ApplyShapeAttr(name, value, state, context);
        }
    });
    if (width == 0 && height == 0) {
        return false;
    }
    int32_t right = CheckedAdd(x, width);
    int32_t bottom = CheckedAdd(y, height);
    context.CountHeld(1, 5);
    group.colQLKPath.emplace_back();
    QlkPath &path = group.colQLKPath.back();
    path.MovePenTo(x, y);
    path.DrawLineTo(right, y);
    path.DrawLineTo(right, bottom);
    path.DrawLineTo(x, bottom);
    path.blClosePath = true;
    TransformPaths(group.colQLKPath, state.own, *state.style.Matrices, context);
    ApplyFill(group, state, context, {x, y, width, height});
    const SvgStyle &style = state.style;
    if (HasStroke(style)) {
        const PathNode &first = path.GetNode(0);
        const PathNode &third = path.GetNode(2);
        int32_t length1 = CheckedRound(Distance(path.StartX(), path.StartY(), first.EndX, first.EndY));
        int32_t length2 = CheckedRound(Distance(path.StartX(), path.StartY(), third.EndX, third.EndY));
        SetStroke(group, style, ScaleLength(style.StrokeWidth, length1, length2, width, height));
        if (group.LineJoin == 2) {
            group.LineMiter = CheckedRound(group.LineWidth * 1.41421356);
        }
    }
    return true;
}

bool ReadPathElement(std::string_view text, size_t &pos, QlkGroup &group, const SvgStyle &parent,
                     std::string_view elementName, SvgContext &context)
{
    ShapeState state{parent, {}, std::nullopt, false};
    std::optional<std::string_view> data;  // a view into text
    std::string_view dataName = elementName == "path" ? "d" : "points";
    ForEachAttribute(text, pos, [&](std::string_view name, std::string_view value) {
        if (name == dataName) {
            data = value;
        } else {
            ApplyShapeAttr(name, value, state, context);
        }
    });
    if (!data) {
        return false;
    }
    if (elementName == "path") {
        ParsePathData(group, *data, context);
    } else {
        ReadPointList(group, *data, elementName == "polygon", context);
    }
    core::Rect32 bounds = group.GetBounds();
    if (group.colQLKPath.empty() || (bounds.Left == bounds.Right && bounds.Top == bounds.Bottom)) {
        return false;
    }
    TransformPaths(group.colQLKPath, state.own, *state.style.Matrices, context);
    ApplyFill(group, state, context,
              {bounds.Left, bounds.Top, CheckedSpan(bounds.Left, bounds.Right), CheckedSpan(bounds.Top, bounds.Bottom)});
    const SvgStyle &style = state.style;
    if (HasStroke(style)) {
        auto [sx, sy] = GetMatrixScale(state.own, *style.Matrices);
        SetStroke(group, style, CheckedRound((static_cast<double>(sx) + sy) * style.StrokeWidth) / 2);
        group.LineMiter = style.MiterLimit;
    }
    return true;
}

}  // namespace importer
