#include "import/svg_gradients.h"

#include "import/svg_colors.h"
#include "import/svg_error.h"
#include "import/svg_scanner.h"
#include "import/svg_styles.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <set>

namespace importer {
namespace {

constexpr double kPi = 3.14159265358979;
constexpr size_t kMaxMiddleStops = 6;

int32_t UnitToByte(std::string_view value)
{
    return CheckedRound(std::clamp(static_cast<double>(ParseNumber(value)), 0.0, 1.0) * 255);
}

void ApplyStopAttr(std::string_view name, std::string_view value, SvgGradientStop &stop)
{
    if (name == "stop-color") {
        stop.Color = GetSvgColor(value);
    } else if (name == "stop-opacity") {
        stop.Opacity = UnitToByte(value);
    }
}

// Reads one stop's attributes; the offset carries over from the previous stop when absent.
SvgGradientStop ReadStop(std::string_view text, size_t &pos, int32_t previousOffset)
{
    SvgGradientStop stop;
    stop.Position = previousOffset;
    ForEachAttribute(text, pos, [&](std::string_view name, std::string_view value) {
        if (name == "offset") {
            stop.Position = UnitToByte(value);
        } else if (name == "style") {
            size_t declPos = 0;
            std::string declValue;
            while (declPos < value.size()) {
                std::string decl = GetNextStyleDecl(value, declPos, declValue);
                ApplyStopAttr(decl, declValue, stop);
            }
        } else {
            ApplyStopAttr(name, value, stop);
        }
    });
    return stop;
}

// Reads the stops up to the gradient's closing tag. False when the text ran out.
bool ReadStops(std::string_view text, size_t &pos, std::vector<SvgGradientStop> &stops)
{
    for (;;) {
        std::string tag = GetNextTag(text, pos);
        if (tag.empty()) {
            return false;
        }
        if (tag == "/linearGradient" || tag == "/radialGradient") {
            ++pos;
            return true;
        }
        if (tag == "stop") {
            int32_t previous = stops.empty() ? 0 : stops.back().Position;
            SvgGradientStop stop = ReadStop(text, pos, previous);
            stop.Position = std::max(stop.Position, previous);
            stops.push_back(stop);
        }
        if (!SkipElement(text, pos, tag)) {
            return false;
        }
    }
}

void ReadGradientAttr(std::string_view name, std::string_view value, SvgGradientData &data)
{
    auto coordinate = [&](float &field) {
        field = ParseNumber(value);
        bool percent = value.ends_with('%');
        data.blRatio = data.IsRadial ? percent : (data.blRatio || percent);
    };
    if (name == "gradientUnits") {
        data.bluserSpaceOnUse = value == "userSpaceOnUse";
    } else if (name == "spreadMethod") {
        data.SpreadMethod = value == "reflect" ? 1 : (value == "repeat" ? 2 : 0);
    } else if (name == "gradientTransform") {
        ParseTransform(value, data.colGradientMatrix);
    } else if (name == "xlink:href") {
        data.linkName = value.empty() ? std::string() : std::string(value.substr(1));
    } else if (!data.IsRadial) {
        if (name == "x1") coordinate(data.StartPoint.x);
        else if (name == "y1") coordinate(data.StartPoint.y);
        else if (name == "x2") coordinate(data.EndPoint.x);
        else if (name == "y2") coordinate(data.EndPoint.y);
    } else {
        if (name == "cx") coordinate(data.StartPoint.x);
        else if (name == "cy") coordinate(data.StartPoint.y);
        else if (name == "r") coordinate(data.r);
        else if (name == "fx") coordinate(data.EndPoint.x);
        else if (name == "fy") coordinate(data.EndPoint.y);
    }
}

// The gradient's own stops, else those of the first gradient down its link chain that has any.
const std::vector<SvgGradientStop> *ResolveStops(const SvgGradientData &gradient, const SvgNameTable &names)
{
    const SvgGradientData *current = &gradient;
    std::set<const SvgGradientData *> visited;
    while (current->Stops.empty()) {
        if (!visited.insert(current).second || current->linkName.empty()) {
            return nullptr;
        }
        current = names.FindGradient(current->linkName);
        if (!current) {
            return nullptr;
        }
    }
    return &current->Stops;
}

// The stops kept for the path record: first and last, and at most six evenly chosen between.
std::vector<SvgGradientStop> KeptStops(const std::vector<SvgGradientStop> &stops)
{
    size_t middle = stops.size() - 2;
    if (stops.size() <= 2 || middle <= kMaxMiddleStops) {
        return stops;
    }
    std::vector<SvgGradientStop> kept{stops.front()};
    for (size_t i = 0; i < kMaxMiddleStops; ++i) {
        kept.push_back(stops[1 + i * middle / kMaxMiddleStops]);
    }
    kept.push_back(stops.back());
    return kept;
}

class GradientMapper {
public:
    GradientMapper(const SvgGradientData &gradient, const SvgContext &context, const MatrixList &elementMatrices,
                   const MatrixList &inheritedMatrices, GradientFrame frame, float invScale)
        : gradient_(gradient), context_(context), element_(elementMatrices), inherited_(inheritedMatrices),
          frame_(frame), invScale_(invScale)
    {
    }

    // A gradient coordinate in twips, before any transform.
    SvgPoint ToTwips(SvgPoint p) const
    {
        if (gradient_.bluserSpaceOnUse && gradient_.blRatio) {
            return {p.x * context_.width * invScale_, p.y * context_.height * invScale_};
        }
        if (gradient_.bluserSpaceOnUse) {
            return {p.x * 20, p.y * 20};
        }
        return {frame_.Left + p.x * frame_.Width, frame_.Top + p.y * frame_.Height};
    }

    // The gradient radius as lengths along x and y in twips.
    SvgPoint RadiusTwips(float r) const
    {
        if (gradient_.bluserSpaceOnUse && gradient_.blRatio) {
            return {r * context_.width * invScale_, r * context_.height * invScale_};
        }
        if (gradient_.bluserSpaceOnUse) {
            return {r * 20, r * 20};
        }
        return {r * frame_.Width, r * frame_.Height};
    }

    SvgPoint Transform(SvgPoint p) const
    {
        ApplyMatrixList(p.x, p.y, gradient_.colGradientMatrix);
        ApplyMatrixLists(p.x, p.y, element_, inherited_);
        return p;
    }

private:
    const SvgGradientData &gradient_;
    const SvgContext &context_;
    const MatrixList &element_;
    const MatrixList &inherited_;
    GradientFrame frame_;
    float invScale_;
};

float Distance(SvgPoint a, SvgPoint b)
{
    return static_cast<float>(std::hypot(static_cast<double>(b.x) - a.x, static_cast<double>(b.y) - a.y));
}

double NormalizedDegrees(double degrees)
{
    double result = std::fmod(degrees, 360.0);
    return result < 0 ? result + 360 : result;
}

void SetLinearGeometry(QlkGroup &group, const SvgGradientData &gradient, const GradientMapper &mapper)
{
    SvgPoint p1 = gradient.StartPoint;
    SvgPoint p2 = gradient.EndPoint;
    SvgPoint across = RotateVector(p2.x - p1.x, p2.y - p1.y, -90);
    SvgPoint p3{p1.x + across.x, p1.y + across.y};
    p1 = mapper.Transform(mapper.ToTwips(p1));
    p2 = mapper.Transform(mapper.ToTwips(p2));
    p3 = mapper.Transform(mapper.ToTwips(p3));

    double angle;
    float lengthX;
    if (gradient.blRatio && gradient.bluserSpaceOnUse) {
        angle = GetDirectionAngle(p2, p1) - 90.0;
        lengthX = Distance(p1, p2);
    } else {
        angle = GetDirectionAngle(p3, p1);
        lengthX = std::fabs(DistanceToAxis(p2.x - p1.x, p1.y - p2.y, static_cast<float>(angle + 90)));
        double turn = NormalizedDegrees(GetDirectionAngle(p2, p1) - angle);
        if (turn > 180) {
            angle = angle > 180 ? angle - 180 : angle + 180;
        }
    }
    float lengthY = std::fabs(p2.y - p1.y);
    group.FillMode = 2;
    group.GradCenterX = CheckedRound(static_cast<double>(p1.x) + p2.x) / 2;
    group.GradCenterY = CheckedRound(static_cast<double>(p1.y) + p2.y) / 2;
    group.GradAngle = static_cast<float>(angle);
    group.GradRatioX = lengthX / 32768;
    group.GradRatioY = lengthY / 32768;
}

// False when the gradient has no extent (zero radius or a transform that flattens it).
bool SetRadialGeometry(QlkGroup &group, const SvgGradientData &gradient, const GradientMapper &mapper)
{
    SvgPoint c = mapper.ToTwips(gradient.StartPoint);
    SvgPoint radius = mapper.RadiusTwips(gradient.r);
    SvgPoint r1 = mapper.Transform({c.x + radius.x, c.y});
    SvgPoint r2 = mapper.Transform({c.x, c.y + radius.y});
    c = mapper.Transform(c);

    double a1 = GetDirectionAngle(r1, c);
    double a2 = GetDirectionAngle(r2, c);
    double k = NormalizedDegrees(a2 - a1);
    double skew = (k > 180 ? 270 : 90) - k;
    double angle = a1 - 90;
    float rx = Distance(c, r1);
    float ry = std::fabs(DistanceToAxis(r2.x - c.x, c.y - r2.y, static_cast<float>(angle)));
    if (!(rx > 0) || !(ry > 0) || !std::isfinite(rx) || !std::isfinite(ry)) {
        return false;
    }
    double t = std::tan(skew * kPi / 180);
    double skewValue;
    if (gradient.blRatio && gradient.bluserSpaceOnUse) {
        rx = ry = (rx + ry) / 2;
        skewValue = t;
    } else {
        skewValue = t * ry / rx;
    }
    group.FillMode = 3;
    group.GradCenterX = CheckedRound(c.x);
    group.GradCenterY = CheckedRound(c.y);
    group.GradAngle = static_cast<float>(angle);
    group.GradRatioX = rx / 16384;
    group.GradRatioY = ry / 16384;
    group.GradSkewX = std::isfinite(skewValue) ? static_cast<float>(skewValue) : 0.0f;
    return true;
}

void SetSolidFill(QlkGroup &group, uint32_t color)
{
    group.FillMode = 1;
    group.FillColor = color;
}

}  // namespace

bool ReadGradient(std::string_view text, size_t &pos, bool radial, SvgContext &context)
{
    std::string id = GetIdAttribute(text, pos);
    auto data = std::make_shared<SvgGradientData>();
    data->IsRadial = radial;
    if (radial) {
        data->StartPoint = {0.5f, 0.5f};
        data->EndPoint = {0.5f, 0.5f};
    }
    bool ended = ForEachAttribute(text, pos, [&](std::string_view name, std::string_view value) {
        ReadGradientAttr(name, value, *data);
    });
    if (!ended) {
        return false;
    }
    size_t gt = text.find('>', pos);
    if (gt == std::string_view::npos) {
        return false;
    }
    bool empty = gt > 0 && text[gt - 1] == '/';
    pos = gt + 1;
    if (!empty && !ReadStops(text, pos, data->Stops)) {
        return false;
    }
    if (!id.empty()) {
        context.names.AddGradient(id, std::move(data));
    }
    return true;
}

bool ApplyGradient(QlkGroup &group, const SvgGradientData &gradient, SvgContext &context, int32_t alpha,
                   const MatrixList &elementMatrices, const MatrixList &inheritedMatrices, GradientFrame frame,
                   float invScale)
{
    const std::vector<SvgGradientStop> *found = ResolveStops(gradient, context.names);
    if (!found || found->empty()) {
        return false;
    }
    std::vector<SvgGradientStop> stops = KeptStops(*found);
    auto stopColor = [alpha](const SvgGradientStop &stop) {
        return WithAlpha(stop.Color, alpha * stop.Opacity / 255);
    };
    if (stops.size() == 1) {
        SetSolidFill(group, stopColor(stops.front()));
        return true;
    }
    // At most four points go through the gradient's own list and the shape's lists.
    context.CountPointTransforms(4, gradient.colGradientMatrix.size() + elementMatrices.size() +
                                        inheritedMatrices.size());
    GradientMapper mapper(gradient, context, elementMatrices, inheritedMatrices, frame, invScale);
    if (gradient.IsRadial) {
        if (!SetRadialGeometry(group, gradient, mapper)) {
            SetSolidFill(group, stopColor(stops.back()));
            return true;
        }
    } else {
        SetLinearGeometry(group, gradient, mapper);
    }
    group.SpreadMethod = gradient.SpreadMethod;
    group.ColorTbl.clear();
    group.ColorPosTbl.clear();
    for (const SvgGradientStop &stop : stops) {
        group.ColorTbl.push_back(stopColor(stop));
        group.ColorPosTbl.push_back(stop.Position);
    }
    return true;
}

}  // namespace importer
