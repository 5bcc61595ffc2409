#include "core/glyph_outlines.h"

#include "platform/base/rounding.h"

#include <QString>

namespace core {
namespace {

// Reads the little-endian native outline records.
class RecordReader {
public:
    explicit RecordReader(const std::vector<uint8_t> &bytes) : bytes_(bytes) {}

    bool Has(size_t offset, size_t count) const { return offset <= bytes_.size() && count <= bytes_.size() - offset; }
    uint16_t U16(size_t offset) const { return static_cast<uint16_t>(bytes_[offset] | bytes_[offset + 1] << 8); }
    uint32_t U32(size_t offset) const { return U16(offset) | static_cast<uint32_t>(U16(offset + 2)) << 16; }
    float FixedAt(size_t offset) const
    {
        return FixedToSingle(platform::Fixed{U16(offset), static_cast<int16_t>(U16(offset + 2))});
    }
    OutlinePoint PointAt(size_t offset) const { return OutlinePoint{FixedAt(offset), FixedAt(offset + 4)}; }

private:
    const std::vector<uint8_t> &bytes_;
};

// Appends the curve records between offset and end to the contour; returns the offset reached.
// A record that does not fit ends the walk.
size_t ReadCurves(const RecordReader &reader, size_t offset, size_t end, OutlineContour &contour)
{
    while (offset < end && reader.Has(offset, platform::kCurveHeaderSize)) {
        OutlineCurve curve;
        curve.CurveType = reader.U16(offset);
        size_t count = reader.U16(offset + 2);
        offset += platform::kCurveHeaderSize;
        if (!reader.Has(offset, count * platform::kFixedPointSize)) {
            return SIZE_MAX;
        }
        for (size_t k = 0; k < count; ++k, offset += platform::kFixedPointSize) {
            curve.CurvePoints.push_back(reader.PointAt(offset));
        }
        contour.Curves.push_back(std::move(curve));
    }
    return offset;
}

std::vector<OutlineContour> ReadContours(const std::vector<uint8_t> &bytes)
{
    std::vector<OutlineContour> contours;
    RecordReader reader(bytes);
    size_t offset = 0;
    while (offset < bytes.size() && reader.Has(offset, platform::kPolygonHeaderSize)) {
        size_t size = reader.U32(offset);
        size_t end = reader.Has(offset, size) ? offset + size : bytes.size();
        OutlineContour contour;
        contour.FirstX = reader.FixedAt(offset + 8);
        contour.FirstY = reader.FixedAt(offset + 12);
        offset = ReadCurves(reader, offset + platform::kPolygonHeaderSize, end, contour);
        contours.push_back(std::move(contour));
    }
    return contours;
}

int32_t AnchorCoordinate(float value, int32_t pen)
{
    return platform::RoundToInt32(static_cast<double>(value) + pen);
}

}  // namespace

float FixedToSingle(platform::Fixed value)
{
    return static_cast<float>(value.value + value.fract / 65536.0);
}

GlyphOutline GetCharOutline(const platform::GlyphFont &font, std::string_view text)
{
    std::u32string codes = QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())).toStdU32String();
    return codes.empty() ? GlyphOutline{} : GetCharOutline(font, codes[0]);
}

GlyphOutline GetCharOutline(const platform::GlyphFont &font, char32_t code)
{
    GlyphOutline outline;
    std::vector<uint8_t> records;
    if (font.GetGlyphOutline(code, outline.Metrics, &records) > 0) {
        outline.Contours = ReadContours(records);
    }
    return outline;
}

void OutlineToPoints(GlyphOutline &outline, float ox, float oy, float scale, bool flip, int32_t height)
{
    auto transform = [&](float &x, float &y) {
        x = static_cast<float>(static_cast<double>(scale) * x + ox);
        double up = flip ? static_cast<double>(height) - y : y;
        y = static_cast<float>(scale * up + oy);
    };
    for (OutlineContour &contour : outline.Contours) {
        transform(contour.FirstX, contour.FirstY);
        for (OutlineCurve &curve : contour.Curves) {
            for (OutlinePoint &point : curve.CurvePoints) {
                transform(point.x, point.y);
            }
        }
    }
}

std::vector<AnchorPoint> ContourToAnchors(const OutlineContour &contour, int32_t px, int32_t py)
{
    std::vector<AnchorPoint> anchors{{AnchorCoordinate(contour.FirstX, px), AnchorCoordinate(contour.FirstY, py), kOnCurve}};
    for (const OutlineCurve &curve : contour.Curves) {
        for (int32_t k = 0; k < curve.PointCount(); ++k) {
            bool control = curve.CurveType == platform::kCurveQSpline && k + 1 < curve.PointCount();
            const OutlinePoint &point = curve.CurvePoints[static_cast<size_t>(k)];
            anchors.push_back(AnchorPoint{AnchorCoordinate(point.x, px), AnchorCoordinate(point.y, py),
                                          control ? kControlPoint : kOnCurve});
        }
    }
    return anchors;
}

}  // namespace core
