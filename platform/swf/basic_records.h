// The small structures every tag is built from: RECT, RGB/RGBA, MATRIX and CXFORM(WITHALPHA),
// written into a BitBuffer and read back from a BitReader with the same layouts.
#pragma once

#include "platform/swf/bit_reader.h"
#include "platform/swf/bit_writer.h"

#include <cstdint>

namespace platform::swf {

struct RectRecord {
    int32_t xMin = 0;
    int32_t xMax = 0;
    int32_t yMin = 0;
    int32_t yMax = 0;

    bool operator==(const RectRecord &) const = default;
};

// RECT, MATRIX and CXFORM start and end at byte boundaries: the writers pad to the byte after them.

// A RECT whose four fields take bits (1..31) bits each; values beyond the field saturate.
void WriteRect(BitBuffer &buffer, const RectRecord &rect, int32_t bits);
// The bits WriteRect needs for rect: the widest field, at least minBits, at most 31.
int32_t RectBits(const RectRecord &rect, int32_t minBits);
// Reads a RECT from the next byte boundary and leaves the reader byte-aligned after it.
RectRecord ReadRect(BitReader &in);

struct Rgba {
    uint8_t r = 0;
    uint8_t g = 0;
    uint8_t b = 0;
    uint8_t a = 255;

    bool operator==(const Rgba &) const = default;
};

void WriteRgb(BitBuffer &buffer, const Rgba &colour);
void WriteRgba(BitBuffer &buffer, const Rgba &colour);
Rgba ReadRgb(BitReader &in);
Rgba ReadRgba(BitReader &in);

// MATRIX. Scale and rotate terms are 16.16 fixed-point values.
struct MatrixRecord {
    bool hasScale = false;
    int32_t scaleX = 1 << 16;
    int32_t scaleY = 1 << 16;
    bool hasRotate = false;
    int32_t rotateSkew0 = 0;
    int32_t rotateSkew1 = 0;
    int32_t translateX = 0;
    int32_t translateY = 0;

    bool operator==(const MatrixRecord &) const = default;
};

// The widths a MATRIX is written with: 0 picks them from the values (scale and rotate pairs as
// wide as their integer parts plus 16 bits, translation as its values need), else the pairs and
// the translation take exactly these widths, their values saturated to them.
struct MatrixWidths {
    int32_t pairBits = 0;
    int32_t translateBits = 0;
};

void WriteMatrix(BitBuffer &buffer, const MatrixRecord &matrix, const MatrixWidths &widths = {});
// Reads a MATRIX from the next byte boundary and leaves the reader byte-aligned after it.
MatrixRecord ReadMatrix(BitReader &in);

// CXFORM (without alpha) or CXFORMWITHALPHA: multipliers (256 = 1.0) and additions, red, green,
// blue, alpha.
struct CxformRecord {
    bool hasMult = false;
    bool hasAdd = false;
    int32_t mult[4] = {256, 256, 256, 256};
    int32_t add[4] = {0, 0, 0, 0};

    bool operator==(const CxformRecord &) const = default;
};

// Terms are saturated to 15 bits; all present terms take the width of the widest.
void WriteCxform(BitBuffer &buffer, const CxformRecord &cx, bool withAlpha);
// Reads from the next byte boundary and leaves the reader byte-aligned after it.
CxformRecord ReadCxform(BitReader &in, bool withAlpha);

// The structure a write into a fresh buffer gives, as bytes.
template <typename Write>
Bytes RecordBytes(const Write &write)
{
    BitBuffer buffer;
    InitBitBuffer(buffer);
    write(buffer);
    return BufferBytes(buffer);
}

}  // namespace platform::swf
