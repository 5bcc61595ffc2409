#include "movie/morph_shapes.h"

#include "movie/tag_buffer.h"
#include "movie/movie_writer.h"
#include "movie/shape_encoder.h"
#include "platform/swf/tag_records.h"

#include <algorithm>
#include <unordered_map>

namespace movie {
namespace {

namespace swf = platform::swf;

// The fill style array, then the line style array, one entry of each per pair.
Bytes MorphStyles(const core::PathArray &startPaths, const core::PathArray &endPaths, int32_t count)
{
    BitBuffer fills;
    InitBitBuffer(fills);
    BitBuffer lines;
    InitBitBuffer(lines);
    swf::WriteStyleCount(fills, count);
    swf::WriteStyleCount(lines, count);
    for (size_t i = 1; i <= static_cast<size_t>(count); ++i) {
        WriteMorphStyles(fills, lines, startPaths[i], endPaths[i]);
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

void PadWithZeroEdges(BitBuffer &buffer, int32_t count)
{
    for (int32_t k = 0; k < count; ++k) {
        WriteStraightEdges(buffer, 0, 0);
    }
}

// A SHAPE's bytes from an edge buffer: EndShapeRecord and padding to the byte.
Bytes FinishEdges(BitBuffer &edges)
{
    swf::WriteEndShape(edges);
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

    BitBuffer startEdges;
    InitBitBuffer(startEdges);
    BitBuffer endEdges;
    InitBitBuffer(endEdges);
    constexpr int32_t kIndexBits = 15;  // the style indexes WritePlainPathRecords writes
    swf::WriteStyleIndexBits(startEdges, kIndexBits, kIndexBits);
    swf::WriteStyleIndexBits(endEdges, kIndexBits, kIndexBits);
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

    auto rect = [](const core::Rect32 &r) { return swf::RectRecord{r.Left, r.Right, r.Top, r.Bottom}; };
    Bytes body = swf::MorphShapeHeader(static_cast<uint16_t>(id), rect(startBounds), rect(endBounds),
                                       static_cast<uint32_t>(styles.size() + startBytes.size()));
    body.reserve(body.size() + styles.size() + startBytes.size() + endBytes.size());
    for (const Bytes *part : {&styles, &startBytes, &endBytes}) {
        body.insert(body.end(), part->begin(), part->end());
    }
    AppendLongTag(TagCode::DefineMorphShape, body);
}

}  // namespace movie
