#include "platform/swf/shape_records.h"

#include "platform/swf/tag_codes.h"

#include <algorithm>

namespace platform::swf {
namespace {

constexpr int32_t kExtendedCount = 0xFF;
constexpr int32_t kMaxShortCount = 254;
constexpr int32_t kGradientCountMask = 0x0F;
constexpr int32_t kMinEdgeBits = 2;

void WriteColour(BitBuffer &buffer, const Rgba &colour, bool withAlpha)
{
    if (withAlpha) {
        WriteRgba(buffer, colour);
    } else {
        WriteRgb(buffer, colour);
    }
}

Rgba ReadColour(BitReader &in, bool withAlpha)
{
    return withAlpha ? ReadRgba(in) : ReadRgb(in);
}

// The head of an edge record: edge and straight flags and NumBits - 2.
void WriteEdgeHead(BitBuffer &buffer, bool straight, int32_t bits)
{
    WriteBits(buffer, 1, 1);
    WriteBits(buffer, straight ? 1 : 0, 1);
    WriteBits(buffer, bits - kMinEdgeBits, 4);
}

// The part of a MORPHFILLSTYLE after its type: start and end values interleaved.
bool ReadMorphFillStyle(BitReader &in, FillStyleRecord &start, FillStyleRecord &end)
{
    start.type = end.type = static_cast<FillStyleType>(in.U8());
    if (start.type == FillStyleType::Solid) {
        start.colour = ReadRgba(in);
        end.colour = ReadRgba(in);
    } else if (IsGradientStyle(start.type)) {
        start.matrix = ReadMatrix(in);
        end.matrix = ReadMatrix(in);
        int count = in.U8() & kGradientCountMask;
        for (int i = 0; i < count; ++i) {
            GradientRecord first;
            first.ratio = in.U8();
            first.colour = ReadRgba(in);
            GradientRecord second;
            second.ratio = in.U8();
            second.colour = ReadRgba(in);
            start.gradient.push_back(first);
            end.gradient.push_back(second);
        }
    } else if (IsBitmapStyle(start.type)) {
        start.bitmapId = end.bitmapId = in.U16();
        start.matrix = ReadMatrix(in);
        end.matrix = ReadMatrix(in);
    } else {
        return false;
    }
    return !in.Overrun();
}

}  // namespace

bool IsGradientStyle(FillStyleType type)
{
    return type == FillStyleType::LinearGradient || type == FillStyleType::RadialGradient ||
           type == FillStyleType::FocalGradient;
}

bool IsBitmapStyle(FillStyleType type)
{
    return type >= FillStyleType::RepeatingBitmap && type <= FillStyleType::RoughClippedBitmap;
}

ShapeVersion ShapeVersion::Of(uint16_t tagCode)
{
    const auto code = static_cast<TagCode>(tagCode);
    return {code != TagCode::DefineShape, code == TagCode::DefineShape3 || code == TagCode::DefineMorphShape};
}

void WriteStyleCount(BitBuffer &buffer, int32_t count)
{
    if (count <= kMaxShortCount) {
        WriteBits(buffer, count, 8);
    } else {
        WriteBits(buffer, kExtendedCount, 8);
        WriteBits(buffer, count & 255, 8);
        WriteBits(buffer, count >> 8, 8);
    }
}

size_t ReadStyleCount(BitReader &in, bool extended)
{
    size_t count = in.U8();
    if (count == kExtendedCount && extended) {
        count = in.U16();
    }
    return std::min(count, in.RemainingBytes());
}

void WriteGradientCount(BitBuffer &buffer, int32_t count)
{
    WriteBits(buffer, count, 8);
}

void WriteGradientRecord(BitBuffer &buffer, const GradientRecord &record, bool withAlpha)
{
    WriteBits(buffer, record.ratio, 8);
    WriteColour(buffer, record.colour, withAlpha);
}

void WriteFillStyleType(BitBuffer &buffer, FillStyleType type)
{
    WriteBits(buffer, static_cast<uint8_t>(type), 8);
}

void WriteLineWidth(BitBuffer &buffer, int32_t width)
{
    int32_t clamped = std::clamp(width, 0, 65535);
    WriteBits(buffer, clamped & 255, 8);
    WriteBits(buffer, clamped >> 8, 8);
}

void WriteLineStyle(BitBuffer &buffer, const LineStyleRecord &style, bool withAlpha)
{
    WriteLineWidth(buffer, style.width);
    WriteColour(buffer, style.colour, withAlpha);
}

void WriteFillStyle(BitBuffer &buffer, const FillStyleRecord &style, bool withAlpha, const MatrixWidths &widths)
{
    WriteFillStyleType(buffer, style.type);
    if (IsGradientStyle(style.type)) {
        WriteMatrix(buffer, style.matrix, widths);
        WriteGradientCount(buffer, static_cast<int32_t>(style.gradient.size()));
        for (const GradientRecord &record : style.gradient) {
            WriteGradientRecord(buffer, record, withAlpha);
        }
    } else if (IsBitmapStyle(style.type)) {
        WriteBits(buffer, style.bitmapId & 255, 8);
        WriteBits(buffer, style.bitmapId >> 8, 8);
        WriteMatrix(buffer, style.matrix, widths);
    } else {
        WriteColour(buffer, style.colour, withAlpha);
    }
}

void WriteMorphFillStyle(BitBuffer &buffer, const FillStyleRecord &start, const FillStyleRecord &end,
                         const MatrixWidths &widths)
{
    WriteFillStyleType(buffer, start.type);
    if (IsGradientStyle(start.type)) {
        WriteMatrix(buffer, start.matrix, widths);
        WriteMatrix(buffer, end.matrix, widths);
        WriteGradientCount(buffer, static_cast<int32_t>(start.gradient.size()));
        for (size_t k = 0; k < start.gradient.size(); ++k) {
            WriteGradientRecord(buffer, start.gradient[k]);
            WriteGradientRecord(buffer, k < end.gradient.size() ? end.gradient[k] : start.gradient[k]);
        }
    } else if (IsBitmapStyle(start.type)) {
        WriteBits(buffer, start.bitmapId & 255, 8);
        WriteBits(buffer, start.bitmapId >> 8, 8);
        WriteMatrix(buffer, start.matrix, widths);
        WriteMatrix(buffer, end.matrix, widths);
    } else {
        WriteRgba(buffer, start.colour);
        WriteRgba(buffer, end.colour);
    }
}

void WriteMorphLineStyle(BitBuffer &buffer, const LineStyleRecord &start, const LineStyleRecord &end)
{
    WriteLineWidth(buffer, start.width);
    WriteLineWidth(buffer, end.width);
    WriteRgba(buffer, start.colour);
    WriteRgba(buffer, end.colour);
}

bool ReadFillStyle(BitReader &in, bool withAlpha, FillStyleRecord &style)
{
    style.type = static_cast<FillStyleType>(in.U8());
    if (style.type == FillStyleType::Solid) {
        style.colour = ReadColour(in, withAlpha);
    } else if (IsGradientStyle(style.type)) {
        style.matrix = ReadMatrix(in);
        int count = in.U8() & kGradientCountMask;
        for (int i = 0; i < count; ++i) {
            GradientRecord record;
            record.ratio = in.U8();
            record.colour = ReadColour(in, withAlpha);
            style.gradient.push_back(record);
        }
        if (style.type == FillStyleType::FocalGradient) {
            in.U16();  // focal point
        }
    } else if (IsBitmapStyle(style.type)) {
        style.bitmapId = in.U16();
        style.matrix = ReadMatrix(in);
    } else {
        return false;
    }
    return !in.Overrun();
}

LineStyleRecord ReadLineStyle(BitReader &in, bool withAlpha)
{
    LineStyleRecord style;
    style.width = in.U16();
    style.colour = ReadColour(in, withAlpha);
    return style;
}

bool ReadStyleArrays(BitReader &in, ShapeVersion version, std::vector<FillStyleRecord> &fills,
                     std::vector<LineStyleRecord> &lines)
{
    fills.assign(ReadStyleCount(in, version.extendedCounts), FillStyleRecord());
    for (FillStyleRecord &style : fills) {
        if (!ReadFillStyle(in, version.withAlpha, style)) {
            return false;
        }
    }
    lines.resize(ReadStyleCount(in, version.extendedCounts));
    for (LineStyleRecord &style : lines) {
        style = ReadLineStyle(in, version.withAlpha);
    }
    return !in.Overrun();
}

bool ReadMorphStyleArrays(BitReader &in, std::vector<FillStyleRecord> &startFills,
                          std::vector<FillStyleRecord> &endFills, std::vector<LineStyleRecord> &startLines,
                          std::vector<LineStyleRecord> &endLines)
{
    size_t fillCount = ReadStyleCount(in, true);
    startFills.assign(fillCount, FillStyleRecord());
    endFills.assign(fillCount, FillStyleRecord());
    for (size_t i = 0; i < fillCount; ++i) {
        if (!ReadMorphFillStyle(in, startFills[i], endFills[i])) {
            return false;
        }
    }
    size_t lineCount = ReadStyleCount(in, true);
    startLines.resize(lineCount);
    endLines.resize(lineCount);
    for (size_t i = 0; i < lineCount; ++i) {
        startLines[i].width = in.U16();
        endLines[i].width = in.U16();
        startLines[i].colour = ReadRgba(in);
        endLines[i].colour = ReadRgba(in);
    }
    return !in.Overrun();
}

void WriteStyleIndexBits(BitBuffer &buffer, int32_t fillBits, int32_t lineBits)
{
    WriteBits(buffer, fillBits, 4);
    WriteBits(buffer, lineBits, 4);
}

StyleIndexBits ReadStyleIndexBits(BitReader &in)
{
    in.Align();
    StyleIndexBits bits;
    bits.fill = static_cast<int>(in.UB(4));
    bits.line = static_cast<int>(in.UB(4));
    return bits;
}

void WriteStyleChange(BitBuffer &buffer, const StyleChangeRecord &record, int32_t fillBits, int32_t lineBits)
{
    WriteBits(buffer, 0, 1);
    WriteBits(buffer, record.flags, 5);
    if (record.flags & kStateMoveTo) {
        int64_t x = SaturateToBits(record.moveX, kMoveFieldBits);
        int64_t y = SaturateToBits(record.moveY, kMoveFieldBits);
        int32_t n = std::max(CountSignedBits({x, y}), record.moveBits);
        WriteBits(buffer, n, 5);
        WriteBits(buffer, x, n);
        WriteBits(buffer, y, n);
    }
    if (record.flags & kStateFillStyle0) {
        WriteBits(buffer, record.fill0, fillBits);
    }
    if (record.flags & kStateFillStyle1) {
        WriteBits(buffer, record.fill1, fillBits);
    }
    if (record.flags & kStateLineStyle) {
        WriteBits(buffer, record.line, lineBits);
    }
}

void WriteEndShape(BitBuffer &buffer)
{
    WriteBits(buffer, 0, 6);
}

void WriteStraightEdge(BitBuffer &buffer, int64_t dx, int64_t dy)
{
    int32_t n = std::max(CountSignedBits({dx, dy}), kMinEdgeBits);
    WriteEdgeHead(buffer, true, n);
    WriteBits(buffer, 1, 1);  // general line
    WriteBits(buffer, dx, n);
    WriteBits(buffer, dy, n);
}

void WriteAxisEdge(BitBuffer &buffer, bool vertical, int64_t delta, int32_t bits)
{
    bits = std::clamp(bits, kMinEdgeBits, kMaxEdgeBits);
    WriteEdgeHead(buffer, true, bits);
    WriteBits(buffer, 0, 1);  // along one axis
    WriteBits(buffer, vertical ? 1 : 0, 1);
    WriteBits(buffer, delta, bits);
}

void WriteCurvedEdge(BitBuffer &buffer, int64_t controlDx, int64_t controlDy, int64_t anchorDx, int64_t anchorDy)
{
    int32_t n = std::max(CountSignedBits({controlDx, controlDy, anchorDx, anchorDy}), kMinEdgeBits);
    WriteEdgeHead(buffer, false, n);
    for (int64_t delta : {controlDx, controlDy, anchorDx, anchorDy}) {
        WriteBits(buffer, delta, n);
    }
}

ShapeRecordHead ReadShapeRecordHead(BitReader &in)
{
    ShapeRecordHead head;
    head.edge = in.UB(1) != 0;
    if (!head.edge) {
        head.flags = static_cast<uint8_t>(in.UB(5));
    }
    return head;
}

EdgeRecord ReadEdge(BitReader &in)
{
    EdgeRecord edge;
    edge.straight = in.UB(1) != 0;
    int bits = static_cast<int>(in.UB(4)) + kMinEdgeBits;
    if (!edge.straight) {
        edge.controlDx = in.SB(bits);
        edge.controlDy = in.SB(bits);
        edge.anchorDx = in.SB(bits);
        edge.anchorDy = in.SB(bits);
    } else if (in.UB(1) != 0) {
        edge.anchorDx = in.SB(bits);
        edge.anchorDy = in.SB(bits);
    } else if (in.UB(1) != 0) {
        edge.anchorDy = in.SB(bits);
    } else {
        edge.anchorDx = in.SB(bits);
    }
    return edge;
}

void ReadStyleChange(BitReader &in, uint8_t flags, StyleIndexBits bits, StyleChangeRecord &record)
{
    record.flags = flags;
    if (flags & kStateMoveTo) {
        int moveBits = static_cast<int>(in.UB(5));
        record.moveX = in.SB(moveBits);
        record.moveY = in.SB(moveBits);
    }
    if (flags & kStateFillStyle0) {
        record.fill0 = in.UB(bits.fill);
    }
    if (flags & kStateFillStyle1) {
        record.fill1 = in.UB(bits.fill);
    }
    if (flags & kStateLineStyle) {
        record.line = in.UB(bits.line);
    }
}

}  // namespace platform::swf
