#include "platform/glyphs/native_records.h"

#include "platform/glyphs/glyph_font.h"

#include <limits>

namespace platform {

void NativeRecordWriter::BeginContour(const FixedPoint &start)
{
    contourStart_ = bytes_.size();
    curveType_ = 0;
    PutU32(0);  // size, set by EndContour
    PutU32(kPolygonType);
    PutPoint(start);
}

namespace {

constexpr size_t kMaxRecordPoints = std::numeric_limits<uint16_t>::max();

}  // namespace

FixedPoint Midpoint(const FixedPoint &a, const FixedPoint &b)
{
    return FixedPoint{static_cast<int32_t>((int64_t{a.X} + b.X) / 2), static_cast<int32_t>((int64_t{a.Y} + b.Y) / 2)};
}

void NativeRecordWriter::Line(const FixedPoint &p)
{
    if (curveType_ != kCurveLine || curvePoints_ == kMaxRecordPoints) {
        BeginCurve(kCurveLine);
    }
    AddPoint(p);
}

void NativeRecordWriter::QSpline(const std::vector<FixedPoint> &controls, const FixedPoint &end)
{
    // A record holds at most 65535 points: a longer run is cut at the on-curve point implied
    // midway between two of its control points.
    size_t k = 0;
    while (controls.size() - k + 1 > kMaxRecordPoints) {
        BeginCurve(kCurveQSpline);
        for (size_t stop = k + kMaxRecordPoints - 1; k < stop; ++k) {
            AddPoint(controls[k]);
        }
        AddPoint(Midpoint(controls[k - 1], controls[k]));
    }
    BeginCurve(kCurveQSpline);
    for (; k < controls.size(); ++k) {
        AddPoint(controls[k]);
    }
    AddPoint(end);
    curveType_ = 0;  // a following line starts a record of its own
}

void NativeRecordWriter::EndContour()
{
    auto size = static_cast<uint32_t>(bytes_.size() - contourStart_);
    for (int b = 0; b < 4; ++b) {
        bytes_[contourStart_ + static_cast<size_t>(b)] = static_cast<uint8_t>(size >> (8 * b));
    }
    curveType_ = 0;
}

void NativeRecordWriter::BeginCurve(uint16_t type)
{
    curveStart_ = bytes_.size();
    curveType_ = type;
    curvePoints_ = 0;
    PutU16(type);
    PutU16(0);  // point count, kept up to date
}

void NativeRecordWriter::PutU16(uint16_t value)
{
    bytes_.push_back(static_cast<uint8_t>(value));
    bytes_.push_back(static_cast<uint8_t>(value >> 8));
}

void NativeRecordWriter::PutU32(uint32_t value)
{
    PutU16(static_cast<uint16_t>(value));
    PutU16(static_cast<uint16_t>(value >> 16));
}

void NativeRecordWriter::PutPoint(const FixedPoint &p)
{
    PutU32(static_cast<uint32_t>(p.X));
    PutU32(static_cast<uint32_t>(p.Y));
}

void NativeRecordWriter::AddPoint(const FixedPoint &p)
{
    PutPoint(p);
    ++curvePoints_;
    bytes_[curveStart_ + 2] = static_cast<uint8_t>(curvePoints_);
    bytes_[curveStart_ + 3] = static_cast<uint8_t>(curvePoints_ >> 8);
}

}  // namespace platform
