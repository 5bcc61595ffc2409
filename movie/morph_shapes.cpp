#include "movie/morph_shapes.h"

#include "movie/bit_writer.h"
#include "movie/movie_writer.h"
#include "movie/shape_encoder.h"

#include <algorithm>
#include <unordered_map>

namespace movie {
namespace {

constexpr int32_t kTagDefineMorphShape = 46;

// One MORPHFILLSTYLE: the kind follows the start path's effective fill type.
void WriteMorphFillStyle(core::BitBuffer &buffer, const core::PathRecord &start, const core::PathRecord &end)
{
    int16_t fillType = EffectiveFillType(start);
    if (!IsGradientFill(fillType)) {
        WriteBits(buffer, 0x00, 8);
        WriteRgba(buffer, start.FillColor);
        WriteRgba(buffer, end.FillColor);
        return;
    }
    WriteBits(buffer, GradientTypeByte(fillType), 8);
    WritePathGradientMatrix(buffer, start);
    WritePathGradientMatrix(buffer, end);
    // Both sides take the same number of middle stops, so their records pair up.
    int32_t stops = std::min(start.StopCount(), end.StopCount());
    GradientRamp startRamp = PathGradientRamp(start, fillType, stops);
    GradientRamp endRamp = PathGradientRamp(end, fillType, stops);
    WriteBits(buffer, startRamp.Count, 8);
    for (size_t k = 0; k < static_cast<size_t>(startRamp.Count); ++k) {
        WriteGradientRecord(buffer, startRamp.Entries[k].Ratio, startRamp.Entries[k].Colour);
        WriteGradientRecord(buffer, endRamp.Entries[k].Ratio, endRamp.Entries[k].Colour);
    }
}

void WriteMorphLineStyle(core::BitBuffer &buffer, const core::PathRecord &start, const core::PathRecord &end)
{
    WriteLineWidth(buffer, start.LineWidth);
    WriteLineWidth(buffer, end.LineWidth);
    WriteRgba(buffer, start.LineColor);
    WriteRgba(buffer, end.LineColor);
}

// The fill style array, then the line style array, one entry of each per pair.
Bytes MorphStyles(const core::PathArray &startPaths, const core::PathArray &endPaths, int32_t count)
{
    core::BitBuffer fills;
    InitBitBuffer(fills);
    core::BitBuffer lines;
    InitBitBuffer(lines);
    WriteStyleCount(fills, count);
    WriteStyleCount(lines, count);
    for (size_t i = 1; i <= static_cast<size_t>(count); ++i) {
        WriteMorphFillStyle(fills, startPaths[i], endPaths[i]);
        WriteMorphLineStyle(lines, startPaths[i], endPaths[i]);
    }
    MergeBits(fills, lines);
    return BufferBytes(fills);
}

// The style index of each start path: its own, or for a compound member that of the compound's
// first member.
std::vector<int32_t> StartStyleIndexes(const core::PathArray &startPaths, int32_t count)
{
    std::vector<int32_t> indexes(static_cast<size_t>(count) + 1);
    std::unordered_map<int32_t, int32_t> firstMember;
    for (int32_t i = 1; i <= count; ++i) {
        const core::PathRecord &path = startPaths[static_cast<size_t>(i)];
        indexes[static_cast<size_t>(i)] =
            path.blCompound ? firstMember.try_emplace(path.CompoundID, i).first->second : i;
    }
    return indexes;
}

// A path without edges (fewer than two anchors) facing one with edges takes part as a point: two
// on-curve anchors at its own anchor, or without one at the other path's first anchor.
const core::PathRecord &PairablePath(const core::PathRecord &path, const core::PathRecord &partner,
                                     core::PathRecord &point)
{
    if (path.AnchorMax() >= 1 || partner.AnchorMax() < 1) {
        return path;
    }
    const core::AnchorPoint &at = path.Anchors.empty() ? partner.Anchors[0] : path.Anchors[0];
    point = core::PathRecord();
    point.Anchors = {{at.X, at.Y, core::kOnCurve}, {at.X, at.Y, core::kOnCurve}};
    point.blClosed = path.blClosed;
    point.FillType = path.FillType;
    point.LineMode = path.LineMode;
    return point;
}

void PadWithZeroEdges(core::BitBuffer &buffer, int32_t count)
{
    for (int32_t k = 0; k < count; ++k) {
        WriteStraightEdge(buffer, 0, 0);
    }
}

// A SHAPE's bytes from an edge buffer: EndShapeRecord and padding to the byte.
Bytes FinishEdges(core::BitBuffer &edges)
{
    WriteBits(edges, 0, 6);
    AlignToByte(edges);
    return BufferBytes(edges);
}

}  // namespace

void DefineMorphShape(int32_t id, const core::PathArray &startPaths, const core::PathArray &endPaths,
                      const core::Rect32 &startBounds, const core::Rect32 &endBounds)
{
    int32_t n = core::UpperBound(startPaths);
    if (n == 0 || n != core::UpperBound(endPaths)) {
        return;
    }
    int32_t count = std::min(n, kMaxMorphPairs);
    Bytes styles = MorphStyles(startPaths, endPaths, count);

    core::BitBuffer startEdges;
    InitBitBuffer(startEdges);
    core::BitBuffer endEdges;
    InitBitBuffer(endEdges);
    WriteBits(startEdges, 0xFF, 8);  // NumFillBits 15, NumLineBits 15
    WriteBits(endEdges, 0xFF, 8);
    std::vector<int32_t> styleIndexes = StartStyleIndexes(startPaths, count);
    core::PathRecord startPoint;
    core::PathRecord endPoint;
    for (size_t i = 1; i <= static_cast<size_t>(count); ++i) {
        const core::PathRecord &start = PairablePath(startPaths[i], endPaths[i], startPoint);
        const core::PathRecord &end = PairablePath(endPaths[i], startPaths[i], endPoint);
        int32_t startRecords = WritePlainPathRecords(startEdges, start, styleIndexes[i], false);
        int32_t endRecords = WritePlainPathRecords(endEdges, end, 0, true);
        PadWithZeroEdges(startEdges, endRecords - startRecords);
        PadWithZeroEdges(endEdges, startRecords - endRecords);
    }
    Bytes startBytes = FinishEdges(startEdges);
    Bytes endBytes = FinishEdges(endEdges);

    Bytes body;
    body.reserve(36 + styles.size() + startBytes.size() + endBytes.size());
    AppendWord(body, id);
    for (const core::Rect32 &bounds : {startBounds, endBounds}) {
        Bytes rect = WriteRect24(bounds.Left, bounds.Right, bounds.Top, bounds.Bottom);
        body.insert(body.end(), rect.begin(), rect.end());
    }
    AppendLong(body, static_cast<int64_t>(styles.size() + startBytes.size()));  // offset of EndEdges
    for (const Bytes *part : {&styles, &startBytes, &endBytes}) {
        body.insert(body.end(), part->begin(), part->end());
    }
    AppendLongTag(kTagDefineMorphShape, body);
}

}  // namespace movie
