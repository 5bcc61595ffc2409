#include "core/text_outlines.h"

#include "core/document.h"
#include "core/geometry.h"
#include "core/glyph_outlines.h"
#include "core/groups.h"
#include "core/path_builder.h"
#include "core/rectangles.h"
#include "platform/base/rounding.h"

#include <QString>

#include <algorithm>
#include <cmath>
#include <optional>

namespace core {
namespace {

constexpr char32_t kCarriageReturn = 13;
constexpr char32_t kLineFeed = 10;
constexpr char32_t kLastControlCode = 31;

// The circle the characters stand on and the angle of the next one.
struct ArcLayout {
    double Radius = 0;  // R: the circle of the advances; the glyph centres lie half an ascent outside
    double Angle = 0;   // radians clockwise from twelve o'clock
    double Step = 0;    // radians between neighbouring characters
};

struct PathStyle {
    float Width;
    int16_t LineMode;
    int16_t FillType;
    std::array<Color, 3> Colors;
};

int64_t Advance(const platform::GlyphMetrics &metrics)
{
    return int64_t{kGlyphUnit} * metrics.CellIncX;
}

float ClampArcAngle(double arcAngle)
{
    auto arc = static_cast<float>(arcAngle);
    if (arc == 0.0f) {
        return 1.0f;
    }
    return std::clamp(arc, -360.0f, 360.0f);
}

// The arc spans |arc| degrees of a circle whose length over those degrees is the characters'
// advances scaled by the spacing. Unless the arc closes the circle, the first and last characters
// stand at its two ends.
ArcLayout SetUpArc(const std::u32string &codes, const TextToolValues &values, const platform::GlyphFont &font)
{
    int64_t total = 0;
    for (char32_t code : codes) {
        if (code > kLastControlCode) {
            platform::GlyphMetrics metrics;
            font.GetGlyphOutline(code, metrics, nullptr);
            total += Advance(metrics);
        }
    }
    float arc = ClampArcAngle(values.ArcAngle);
    double magnitude = std::fabs(static_cast<double>(arc));
    ArcLayout layout;
    layout.Radius = static_cast<float>((360.0 / magnitude) * values.Spacing / 100.0 * static_cast<double>(total) / kPi / 2.0);
    layout.Angle = values.FirstAngle * kPi / 180.0;
    auto gaps = static_cast<int64_t>(codes.size());
    if (std::fmod(platform::RoundHalfEven(magnitude), 360.0) != 0.0) {
        --gaps;
    }
    layout.Step = (static_cast<double>(arc) * kPi / 180.0) / static_cast<double>(std::max<int64_t>(gaps, 1));
    return layout;
}

// Builds the glyph's contour paths at the pen, turned about pivot by angle when given; a glyph of
// several contours gets the group and compound ids.
void AddGlyphPaths(const GlyphOutline &outline, int32_t penX, int32_t penY, const PathStyle &style,
                   std::optional<float> turn, AnchorPoint pivot, int32_t groupId, int32_t compoundId,
                   PathArray &paths)
{
    for (const OutlineContour &contour : outline.Contours) {
        PathRecord path = NewShapePath(0, 0, style.Width, style.LineMode, style.FillType, style.Colors);
        path.Anchors = ContourToAnchors(contour, penX, penY);
        if (turn) {
            for (AnchorPoint &anchor : path.Anchors) {
                RotatePoint(anchor.X, anchor.Y, pivot.X, pivot.Y, *turn);
            }
        }
        path.blGroup = path.blCompound = groupId != 0;
        path.GroupID = groupId;
        path.CompoundID = compoundId;
        paths.push_back(std::move(path));
    }
}

bool IsLineBreak(char32_t code, char32_t previous)
{
    return code == kCarriageReturn || (code == kLineFeed && previous != kCarriageReturn);
}

// Moves the paths first .. last of the document so that their bounds start at (x, y), and fits
// each one's gradient frame to where it now stands.
void PlaceTextPaths(int32_t first, const PathArray &added, int32_t x, int32_t y)
{
    Rect32 bounds = GetPathsBounds(added);
    int32_t dx = platform::SaturateInt<int32_t>(int64_t{x} - bounds.Left);
    int32_t dy = platform::SaturateInt<int32_t>(int64_t{y} - bounds.Top);
    for (int32_t i = first; i <= Doc().DocPathCount(); ++i) {
        for (int32_t k = 0; k <= std::as_const(Doc().DocPaths)[static_cast<size_t>(i)].AnchorMax(); ++k) {
            MoveAnchor(dx, dy, i, k);
        }
        PathRecord &path = Doc().DocPaths[static_cast<size_t>(i)];
        FitGradientFrame(path);
        path.GradAngle = 90.0f;
    }
}

}  // namespace

int32_t CreateTextPaths(int32_t x, int32_t y, float width, int16_t lineMode, int16_t fillType,
                        const std::array<Color, 3> &colors, const TextToolValues &values,
                        const platform::GlyphFont &font)
{
    std::u32string codes = QString::fromUtf8(values.Text.data(), static_cast<qsizetype>(values.Text.size())).toStdU32String();
    if (codes.empty() || !font.IsOpen()) {
        return 0;
    }
    const int64_t ascent = font.GetTextMetrics().Ascent;
    const int64_t lineHeight = kGlyphUnit * ascent;
    const PathStyle style{width, lineMode, fillType, colors};
    std::optional<ArcLayout> arc;
    if (values.ArcLayout) {
        arc = SetUpArc(codes, values, font);
    }
    UsedIds groupIds(&PathRecord::GroupID);
    UsedIds compoundIds(&PathRecord::CompoundID);
    int32_t lastGroupId = 0;
    int32_t lastCompoundId = 0;

    PathArray added{PathRecord()};
    int64_t penX = x;
    int64_t penY = y;
    char32_t previous = 0;
    for (char32_t code : codes) {
        bool lineBreak = IsLineBreak(code, previous);
        previous = code;
        if (lineBreak) {
            penX = x;
            penY += lineHeight;
            continue;
        }
        if (code <= kLastControlCode) {
            continue;
        }
        GlyphOutline outline = GetCharOutline(font, code);
        OutlineToPoints(outline, 0.0f, 0.0f, static_cast<float>(kGlyphUnit), true, static_cast<int32_t>(ascent));
        std::erase_if(outline.Contours, [](const OutlineContour &contour) { return contour.CurveCount() == 0; });
        int32_t groupId = 0;
        int32_t compoundId = 0;
        if (outline.ContourCount() >= 2) {
            groupId = lastGroupId = groupIds.NextFree(lastGroupId + 1);
            compoundId = lastCompoundId = compoundIds.NextFree(lastCompoundId + 1);
        }
        AnchorPoint pivot;
        std::optional<float> turn;
        if (arc) {
            double reach = arc->Radius + 8.0 * static_cast<double>(ascent);
            pivot.X = platform::RoundToInt32(arc->Radius + std::sin(arc->Angle) * reach + x);
            pivot.Y = platform::RoundToInt32(arc->Radius - std::cos(arc->Angle) * reach + y);
            penX = pivot.X - int64_t{8} * outline.Metrics.CellIncX;
            penY = pivot.Y - 8 * ascent;
            if (!values.KeepUpright) {
                turn = static_cast<float>(arc->Angle);
            }
        }
        AddGlyphPaths(outline, platform::SaturateInt<int32_t>(penX), platform::SaturateInt<int32_t>(penY), style,
                      turn, pivot, groupId, compoundId, added);
        penX += Advance(outline.Metrics);
        if (arc) {
            arc->Angle += arc->Step;
        }
    }
    if (added.size() == 1) {
        return 0;
    }
    int32_t first = Doc().DocPathCount() + 1;
    Doc().DocPaths.insert(Doc().DocPaths.end(), added.begin() + 1, added.end());
    PlaceTextPaths(first, added, x, y);
    return Doc().DocPathCount();
}

}  // namespace core
