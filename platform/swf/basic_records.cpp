#include "platform/swf/basic_records.h"

#include <algorithm>

namespace platform::swf {
namespace {

constexpr int32_t kWidestField = 31;  // a 5-bit width field holds 31
constexpr int32_t kCxformTermBits = 15;
constexpr int32_t kFixedFractionBits = 16;

// A scale or rotate pair: the width in 5 bits and both values. Without a fixed width, that of
// the integer parts plus 16, the form every player expects.
void WritePair(BitBuffer &buffer, int64_t first, int64_t second, int32_t fixedBits)
{
    int32_t n = fixedBits;
    if (n == 0) {
        n = CountSignedBits({first >> kFixedFractionBits, second >> kFixedFractionBits}) + kFixedFractionBits;
    } else {
        first = SaturateToBits(first, n);
        second = SaturateToBits(second, n);
    }
    WriteBits(buffer, 1, 1);
    WriteBits(buffer, n, 5);
    WriteBits(buffer, first, n);
    WriteBits(buffer, second, n);
}

}  // namespace

void WriteRect(BitBuffer &buffer, const RectRecord &rect, int32_t bits)
{
    bits = std::clamp(bits, 1, kWidestField);
    WriteBits(buffer, bits, 5);
    for (int32_t value : {rect.xMin, rect.xMax, rect.yMin, rect.yMax}) {
        WriteBits(buffer, SaturateToBits(value, bits), bits);
    }
    AlignToByte(buffer);
}

int32_t RectBits(const RectRecord &rect, int32_t minBits)
{
    return std::clamp(CountSignedBits({rect.xMin, rect.xMax, rect.yMin, rect.yMax}), minBits, kWidestField);
}

RectRecord ReadRect(BitReader &in)
{
    in.Align();
    int bits = static_cast<int>(in.UB(5));
    RectRecord rect;
    rect.xMin = in.SB(bits);
    rect.xMax = in.SB(bits);
    rect.yMin = in.SB(bits);
    rect.yMax = in.SB(bits);
    in.Align();
    return rect;
}

void WriteRgb(BitBuffer &buffer, const Rgba &colour)
{
    for (uint8_t channel : {colour.r, colour.g, colour.b}) {
        WriteBits(buffer, channel, 8);
    }
}

void WriteRgba(BitBuffer &buffer, const Rgba &colour)
{
    WriteRgb(buffer, colour);
    WriteBits(buffer, colour.a, 8);
}

Rgba ReadRgb(BitReader &in)
{
    Rgba colour;
    colour.r = in.U8();
    colour.g = in.U8();
    colour.b = in.U8();
    return colour;
}

Rgba ReadRgba(BitReader &in)
{
    Rgba colour = ReadRgb(in);
    colour.a = in.U8();
    return colour;
}

void WriteMatrix(BitBuffer &buffer, const MatrixRecord &matrix, const MatrixWidths &widths)
{
    if (matrix.hasScale) {
        WritePair(buffer, matrix.scaleX, matrix.scaleY, widths.pairBits);
    } else {
        WriteBits(buffer, 0, 1);
    }
    if (matrix.hasRotate) {
        WritePair(buffer, matrix.rotateSkew0, matrix.rotateSkew1, widths.pairBits);
    } else {
        WriteBits(buffer, 0, 1);
    }
    int32_t n = widths.translateBits;
    int64_t tx = matrix.translateX;
    int64_t ty = matrix.translateY;
    if (n == 0) {
        tx = SaturateToBits(tx, kWidestField);
        ty = SaturateToBits(ty, kWidestField);
        n = CountSignedBits({tx, ty});
    } else {
        tx = SaturateToBits(tx, n);
        ty = SaturateToBits(ty, n);
    }
    WriteBits(buffer, n, 5);
    WriteBits(buffer, tx, n);
    WriteBits(buffer, ty, n);
    AlignToByte(buffer);
}

MatrixRecord ReadMatrix(BitReader &in)
{
    in.Align();
    MatrixRecord matrix;
    matrix.hasScale = in.UB(1) != 0;
    if (matrix.hasScale) {
        int bits = static_cast<int>(in.UB(5));
        matrix.scaleX = in.SB(bits);
        matrix.scaleY = in.SB(bits);
    }
    matrix.hasRotate = in.UB(1) != 0;
    if (matrix.hasRotate) {
        int bits = static_cast<int>(in.UB(5));
        matrix.rotateSkew0 = in.SB(bits);
        matrix.rotateSkew1 = in.SB(bits);
    }
    int bits = static_cast<int>(in.UB(5));
    matrix.translateX = in.SB(bits);
    matrix.translateY = in.SB(bits);
    in.Align();
    return matrix;
}

void WriteCxform(BitBuffer &buffer, const CxformRecord &cx, bool withAlpha)
{
    const int channels = withAlpha ? 4 : 3;
    int64_t terms[8];
    int count = 0;
    for (int i = 0; cx.hasMult && i < channels; ++i) {
        terms[count++] = SaturateToBits(cx.mult[i], kCxformTermBits);
    }
    for (int i = 0; cx.hasAdd && i < channels; ++i) {
        terms[count++] = SaturateToBits(cx.add[i], kCxformTermBits);
    }
    int32_t n = 1;
    for (int i = 0; i < count; ++i) {
        n = std::max(n, CountSignedBits({terms[i]}));
    }
    WriteBits(buffer, cx.hasAdd ? 1 : 0, 1);
    WriteBits(buffer, cx.hasMult ? 1 : 0, 1);
    WriteBits(buffer, n, 4);
    for (int i = 0; i < count; ++i) {
        WriteBits(buffer, terms[i], n);
    }
    AlignToByte(buffer);
}

CxformRecord ReadCxform(BitReader &in, bool withAlpha)
{
    in.Align();
    CxformRecord cx;
    cx.hasAdd = in.UB(1) != 0;
    cx.hasMult = in.UB(1) != 0;
    int bits = static_cast<int>(in.UB(4));
    const int channels = withAlpha ? 4 : 3;
    for (int i = 0; cx.hasMult && i < channels; ++i) {
        cx.mult[i] = in.SB(bits);
    }
    for (int i = 0; cx.hasAdd && i < channels; ++i) {
        cx.add[i] = in.SB(bits);
    }
    in.Align();
    return cx;
}

}  // namespace platform::swf
