// Writing outlines as native outline records (the layout is described in glyph_font.h).
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace platform {

// A point in 16.16 fixed point, as one 32-bit value per coordinate.
struct FixedPoint {
    int32_t X = 0;
    int32_t Y = 0;
};

FixedPoint Midpoint(const FixedPoint &a, const FixedPoint &b);

class NativeRecordWriter {
public:
    // Starts a contour's polygon header at the start point.
    void BeginContour(const FixedPoint &start);
    // A straight piece to p; consecutive line pieces share one line record.
    void Line(const FixedPoint &p);
    // A quadratic spline record: the control points, then the on-curve end point.
    void QSpline(const std::vector<FixedPoint> &controls, const FixedPoint &end);
    // Completes the contour's header with the size of its records.
    void EndContour();

    std::vector<uint8_t> Take() { return std::move(bytes_); }

private:
    void PutU16(uint16_t value);
    void PutU32(uint32_t value);
    void PutPoint(const FixedPoint &p);
    void AddPoint(const FixedPoint &p);  // to the open record, counting it
    void BeginCurve(uint16_t type);

    std::vector<uint8_t> bytes_;
    size_t contourStart_ = 0;
    size_t curveStart_ = 0;    // header of the record being written
    uint16_t curveType_ = 0;   // its type; 0 when none is open
    uint16_t curvePoints_ = 0;
};

}  // namespace platform
