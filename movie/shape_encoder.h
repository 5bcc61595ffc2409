// Shape encoding: an array of path records becomes one DefineShape3 tag.
//
// In the cached body every path (or compound path) is a self-contained unit that declares its
// own fill and line styles, so that its encoded bits can be kept by the writer (unit_cache.h) and
// appended at any bit alignment on the next redraw. Members of a compound path are encoded into
// the unit of its first member.
// The plain body keeps one fill and one line style per path in the shape-level arrays.
#pragma once

#include "core/path_record.h"
#include "movie/marked_path_values.h"
#include "movie/tag_buffer.h"
#include "movie/unit_cache.h"
#include "platform/swf/shape_records.h"

#include <array>
#include <cstdint>
#include <unordered_map>
#include <utility>
#include <vector>

namespace movie {

// EncodePathUnit modes.
enum UnitMode : int32_t {
    kUnitSingle = 0,         // a path of its own: reset, encode, assemble
    kUnitFirstMember = 1,    // first member of a compound path: reset, encode
    kUnitFinish = 2,         // assemble the compound's unit
    kUnitFurtherMember = 3   // further member: its line style and records
};

// The most line styles one unit declares (255 would be the extended-count escape).
constexpr int32_t kMaxUnitLineStyles = 254;

// Appends one DefineShape3 tag. grouped: the cached, compound-aware body (units of unchanged
// paths are taken from the writer's cache, hidden paths are left out); otherwise the plain body.
// Elements 1.. of paths are drawn. ShapeBounds are those of what is drawn, lines included (all
// zero when nothing is).
void DefineShape(int32_t id, const core::PathArray &paths, bool grouped);

// The units of a cached body in drawing order: each path drawn as a unit of its own, each compound
// path as the unit of its first member; hidden paths are left out.
struct ShapeUnits {
    std::vector<UnitKey> Keys;
    std::vector<size_t> Holders;  // the path of each unit (a compound's first member)
    std::unordered_map<int32_t, std::vector<size_t>> Compounds;  // members by CompoundID
    core::Rect32 Bounds;  // the rectangle the shape tag declares
    size_t ListedPaths = 0;  // the paths listed with their keys kept by marks (0: not so listed)
};
void ListShapeUnits(const core::PathArray &paths, ShapeUnits &units);
// What the units take of one path: its key and its place among them (a compound's member, or
// hidden). A path whose place stays changes the key of its unit alone.
struct PathUnitKey {
    UnitKey Key;
    int32_t CompoundID = 0;  // when InCompound
    bool InCompound = false;
    bool Hidden = false;

    bool operator==(const PathUnitKey &) const = default;
};
// The same, the paths' keys taken from pathKeys where their marks are those they had there (and
// kept there for the next listing). Units listed so before, for as many paths, are changed only
// where keys changed, while every path keeps its place among them.
void ListShapeUnits(const core::PathArray &paths, ShapeUnits &units, MarkedPathValues<PathUnitKey> &pathKeys);
// The bits of unit k: from the writer's cache, or encoded into scratch and kept there.
const BitBuffer &ShapeUnitBits(const core::PathArray &paths, const ShapeUnits &units, size_t k, BitBuffer &scratch);

// Encodes the units in the ranges [begin, end) of units that the writer's cache lacks, on several
// threads, and keeps them there for ShapeUnitBits, when there are at least twice the writer's
// UnitsPerThread of them; returns how many it encoded (0: they are left to ShapeUnitBits).
// found (when given) receives, by unit, the cache's bits of those in the ranges it holds now
// (nullptr for the others), valid as Find's are.
size_t EncodeMissingUnits(const core::PathArray &paths, const ShapeUnits &units,
                          const std::vector<std::pair<size_t, size_t>> &ranges,
                          std::vector<const BitBuffer *> *found = nullptr);

// Where a unit lies in a cached body: the bit its head starts at (from the body's first byte),
// its head (the low kShapeRecordHeadBits of its first byte) and the bytes that follow it from
// the next byte boundary on, the last holding EndBits bits. An empty unit writes nothing.
struct UnitPlace {
    uint64_t StartBit = 0;
    uint32_t RestBytes = 0;
    uint8_t Head = 0;
    uint8_t EndBits = 0;
    bool Empty = true;
};
// The byte (from the body's first) where a unit's rest starts.
uint64_t RestStart(const UnitPlace &place);
// Appends unit at the buffer's position as the cached body does and returns where it went.
UnitPlace AppendUnit(BitBuffer &body, const BitBuffer &unit);
// Appends the unit a place describes, its rest bytes taken from rest.
UnitPlace AppendPlacedUnit(BitBuffer &body, const UnitPlace &place, const uint8_t *rest);

// How a cached shape tag is laid out: its units' keys and places, the bit where the last unit
// ends, the bytes of the tag before the body (header, id, bounds) and of the body.
struct ShapeLayout {
    std::vector<UnitKey> Keys;
    std::vector<UnitPlace> Places;
    uint64_t UnitsEndBit = 0;
    size_t HeadBytes = 0;
    size_t BodyBytes = 0;
    // Every unit can be placed again at another alignment from its place alone.
    bool Replaceable = true;
};
// The DefineShape3 tag of the cached body of units; layout (when given) receives how it lies.
void DefineShapeOfUnits(int32_t id, const core::PathArray &paths, const ShapeUnits &units, ShapeLayout *layout);
// The long tag header, id and bounds of a cached shape tag whose body takes bodyBytes.
Bytes CachedShapeHead(int32_t id, const core::Rect32 &bounds, size_t bodyBytes);
// The bits of a cached body before its first unit.
void WriteCachedBodyStart(BitBuffer &shape);

// The SHAPEWITHSTYLE bodies; bounds (when given) receives the twips they cover: every anchor of
// the paths drawn, each stroked path widened by half its line.
Bytes EncodeShapeCached(const core::PathArray &paths, core::Rect32 *bounds = nullptr);
Bytes EncodeShapePlain(const core::PathArray &paths, core::Rect32 *bounds = nullptr);
// The cached body written into shape (emptied first, its memory kept), with its bounds.
void EncodeShapeCachedInto(BitBuffer &shape, const core::PathArray &paths, core::Rect32 &bounds);

// Encodes one unit into out (an empty buffer) for modes kUnitSingle and kUnitFinish.
void EncodePathUnit(BitBuffer &out, const core::PathRecord &path, int32_t mode);
// The same in scratch buffers of the caller's (a worker thread's).
void EncodePathUnit(UnitScratch &scratch, BitBuffer &out, const core::PathRecord &path, int32_t mode);

// An open path is never filled and always stroked.
int16_t EffectiveFillType(const core::PathRecord &path);
int16_t EffectiveLineMode(const core::PathRecord &path);

// Anchors beyond the 31-bit move range are written at its edge (the start, the edges and the
// bounds alike), so the outline's other anchors keep their places.
//
// The point where the outline starts: anchor 0, or for a closed path starting on a control point
// the curve's start (the midpoint of two leading control points, else anchor 1).
void StartPoint(const core::PathRecord &path, int64_t &x, int64_t &y);

// One edge record per visited anchor (1..AnchorMax, then 0 for a closed path); edges whose deltas
// need more than 17 bits are split into pieces that fit. A path whose pieces would exceed its
// EdgeRecordBudget is written clamped to the reach (edge_reach.h), its move-to record too. The pen
// follows the outline. Returns the number of edge records written.
int32_t WriteEdges(BitBuffer &buffer, const core::PathRecord &path, int64_t &penX, int64_t &penY);

// A straight edge by (dx, dy), split into pieces when it does not fit 17 bits; (0, 0) gives one
// zero-length edge. Returns the number of edge records written.
int32_t WriteStraightEdges(BitBuffer &buffer, int64_t dx, int64_t dy);

// A StyleChangeRecord moving to the start point (with 15-bit style indexes, or only the move
// when moveOnly) and the edges. Nothing for a path with fewer than two anchors. Returns the number
// of edge records written.
int32_t WritePlainPathRecords(BitBuffer &buffer, const core::PathRecord &path, int32_t styleIndex,
                              bool moveOnly);

// One FILLSTYLE (type byte and body) for a path's fill type: linear, reflected (as a mirrored
// linear gradient) or radial gradients; any other type a solid fill of FillColor.
void WriteFillStyle(BitBuffer &buffer, const core::PathRecord &path, int16_t fillType);
// Fill types 2, 3 and 4 are written as gradients (radial, else linear).
bool IsGradientFill(int16_t fillType);
// A colour 0xAABBGGRR as the record's channels.
platform::swf::Rgba RgbaOf(core::Color colour);
// The gradient MATRIX of a path from its centre, angle and ratios.
platform::swf::MatrixRecord PathGradientMatrix(const core::PathRecord &path);
// The fill style of a path for a fill type, a gradient with at most stopCount middle stops; its
// line style (the width cut to 0..65535 twips).
platform::swf::FillStyleRecord FillStyleOf(const core::PathRecord &path, int16_t fillType, int32_t stopCount);
platform::swf::LineStyleRecord LineStyleOf(const core::PathRecord &path);
// The MORPHFILLSTYLE (into fills) and MORPHLINESTYLE (into lines) of a pair of paths: the kind
// follows the start path's effective fill type, both gradients take the smaller stop count.
void WriteMorphStyles(BitBuffer &fills, BitBuffer &lines, const core::PathRecord &start, const core::PathRecord &end);

struct GradientEntry {
    int32_t Ratio = 0;  // 0..255 along the gradient (cut to that range when written)
    core::Color Colour = 0;
};

// The gradient records of a gradient fill, at most 8.
struct GradientRamp {
    std::array<GradientEntry, 8> Entries{};
    int32_t Count = 0;
};

// The records of a path's gradient with at most stopCount of its middle stops (linear and radial
// at most 6; reflected at most 2, mirrored about GradColor at ratio 128).
GradientRamp PathGradientRamp(const core::PathRecord &path, int16_t fillType, int32_t stopCount);

}  // namespace movie
