// The records of shapes and morph shapes: fill and line style arrays, gradients and the
// SHAPERECORDs (style changes, straight and curved edges), with one layout for writing and
// reading.
#pragma once

#include "platform/swf/basic_records.h"

#include <cstdint>
#include <vector>

namespace platform::swf {

// The type byte of a FILLSTYLE.
enum class FillStyleType : uint8_t {
    Solid = 0x00,
    LinearGradient = 0x10,
    RadialGradient = 0x12,
    FocalGradient = 0x13,
    RepeatingBitmap = 0x40,
    ClippedBitmap = 0x41,
    RoughRepeatingBitmap = 0x42,
    RoughClippedBitmap = 0x43,
};

bool IsGradientStyle(FillStyleType type);
bool IsBitmapStyle(FillStyleType type);

// What a shape tag's version decides about its style records.
struct ShapeVersion {
    bool extendedCounts = true;  // style array counts may use 0xFF and a UI16
    bool withAlpha = true;       // colours are RGBA, else RGB

    static ShapeVersion Of(uint16_t tagCode);
};

// A style array's count: one byte up to 254, else (extended) 0xFF and the count as UI16.
void WriteStyleCount(BitBuffer &buffer, int32_t count);
// Never more entries than bytes remain (every entry takes at least one).
size_t ReadStyleCount(BitReader &in, bool extended);

struct GradientRecord {
    uint8_t ratio = 0;
    Rgba colour;

    bool operator==(const GradientRecord &) const = default;
};

// The count byte of a GRADIENT (spread and interpolation modes 0) and its records.
void WriteGradientCount(BitBuffer &buffer, int32_t count);
void WriteGradientRecord(BitBuffer &buffer, const GradientRecord &record, bool withAlpha = true);

struct FillStyleRecord {
    FillStyleType type = FillStyleType::Solid;
    Rgba colour;                            // Solid
    MatrixRecord matrix;                    // gradient square or bitmap pixels -> shape twips
    std::vector<GradientRecord> gradient;   // gradients
    uint16_t bitmapId = 0;                  // bitmaps

    bool operator==(const FillStyleRecord &) const = default;
};

struct LineStyleRecord {
    uint16_t width = 0;  // twips
    Rgba colour;

    bool operator==(const LineStyleRecord &) const = default;
};

void WriteFillStyleType(BitBuffer &buffer, FillStyleType type);
// A line width as UI16, cut to 0..65535 twips.
void WriteLineWidth(BitBuffer &buffer, int32_t width);
void WriteLineStyle(BitBuffer &buffer, const LineStyleRecord &style, bool withAlpha = true);
void WriteFillStyle(BitBuffer &buffer, const FillStyleRecord &style, bool withAlpha = true,
                    const MatrixWidths &widths = {});

// A MORPHFILLSTYLE from the start and end values of one style (the type is start's; end gives
// colours, matrices and gradient records, as many as start has) and a MORPHLINESTYLE.
void WriteMorphFillStyle(BitBuffer &buffer, const FillStyleRecord &start, const FillStyleRecord &end,
                         const MatrixWidths &widths = {});
void WriteMorphLineStyle(BitBuffer &buffer, const LineStyleRecord &start, const LineStyleRecord &end);

// One FILLSTYLE; false for an unknown type, after which nothing more of the shape can be read.
bool ReadFillStyle(BitReader &in, bool withAlpha, FillStyleRecord &style);
LineStyleRecord ReadLineStyle(BitReader &in, bool withAlpha);
// FILLSTYLEARRAY and LINESTYLEARRAY; false when they could not be read whole.
bool ReadStyleArrays(BitReader &in, ShapeVersion version, std::vector<FillStyleRecord> &fills,
                     std::vector<LineStyleRecord> &lines);
// The morph shape's arrays: each MORPHFILLSTYLE and MORPHLINESTYLE into its start and end values.
bool ReadMorphStyleArrays(BitReader &in, std::vector<FillStyleRecord> &startFills,
                          std::vector<FillStyleRecord> &endFills, std::vector<LineStyleRecord> &startLines,
                          std::vector<LineStyleRecord> &endLines);

// NumFillBits and NumLineBits (4 bits each) before a shape's records.
void WriteStyleIndexBits(BitBuffer &buffer, int32_t fillBits, int32_t lineBits);
struct StyleIndexBits {
    int fill = 0;
    int line = 0;
};
StyleIndexBits ReadStyleIndexBits(BitReader &in);

// The state flags of a StyleChangeRecord.
enum StyleChangeFlags : uint8_t {
    kStateMoveTo = 0x01,
    kStateFillStyle0 = 0x02,
    kStateFillStyle1 = 0x04,
    kStateLineStyle = 0x08,
    kStateNewStyles = 0x10,
};

struct StyleChangeRecord {
    uint8_t flags = 0;  // StyleChangeFlags; none would be the EndShapeRecord
    int32_t moveBits = 0;  // written: the least width of the move fields (0 = as the values need)
    int32_t moveX = 0;
    int32_t moveY = 0;
    uint32_t fill0 = 0;
    uint32_t fill1 = 0;
    uint32_t line = 0;

    bool operator==(const StyleChangeRecord &) const = default;
};

// The bits before a record's fields: the type flag and five flags (or edge flags and NumBits).
constexpr int32_t kShapeRecordHeadBits = 6;
// Move fields hold 31 bits at most.
constexpr int32_t kMoveFieldBits = 31;

// A StyleChangeRecord with its style indexes in the given widths. New style arrays are the
// caller's to write after it.
void WriteStyleChange(BitBuffer &buffer, const StyleChangeRecord &record, int32_t fillBits, int32_t lineBits);
// The six bits of an EndShapeRecord.
void WriteEndShape(BitBuffer &buffer);

// A straight edge (general line) or a curved edge, as deltas from the pen.
struct EdgeRecord {
    bool straight = true;
    int32_t controlDx = 0;  // curved only
    int32_t controlDy = 0;
    int32_t anchorDx = 0;
    int32_t anchorDy = 0;

    bool operator==(const EdgeRecord &) const = default;
};

// Edge deltas fit 17 bits at most when written: the widest NumBits field (15) plus 2.
constexpr int32_t kMaxEdgeBits = 17;

// A StraightEdgeRecord as a general line (both deltas), as wide as they need (at least 2 bits).
void WriteStraightEdge(BitBuffer &buffer, int64_t dx, int64_t dy);
// A StraightEdgeRecord along one axis with the given width (2..17): a horizontal one moves by
// delta in x, a vertical one in y.
void WriteAxisEdge(BitBuffer &buffer, bool vertical, int64_t delta, int32_t bits);
void WriteCurvedEdge(BitBuffer &buffer, int64_t controlDx, int64_t controlDy, int64_t anchorDx, int64_t anchorDy);

// What starts a SHAPERECORD: an edge, or the state flags of a style change (none: the end).
struct ShapeRecordHead {
    bool edge = false;
    uint8_t flags = 0;
};
ShapeRecordHead ReadShapeRecordHead(BitReader &in);
// The rest of an edge record after its head.
EdgeRecord ReadEdge(BitReader &in);
// The fields of a style change after its head; fields not flagged keep their values in record.
void ReadStyleChange(BitReader &in, uint8_t flags, StyleIndexBits bits, StyleChangeRecord &record);

}  // namespace platform::swf
