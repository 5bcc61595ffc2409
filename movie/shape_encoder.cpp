#include "movie/shape_encoder.h"

#include "movie/edge_reach.h"
#include "movie/movie_writer.h"
#include "platform/base/bezier.h"
#include "platform/base/parallel_for.h"
#include "platform/swf/shape_records.h"
#include "platform/swf/tag_records.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <unordered_map>
#include <vector>

namespace movie {
namespace {

namespace swf = platform::swf;

constexpr int64_t kEdgeDeltaMax = (int64_t{1} << (swf::kMaxEdgeBits - 1)) - 1;  // widest delta of an edge field
constexpr int64_t kMoveMax = (int64_t{1} << (swf::kMoveFieldBits - 1)) - 1;
constexpr int32_t kMinMoveBits = 17;
// The unit's style indexes take one byte each; the plain body's 15 bits.
constexpr int32_t kUnitIndexBits = 8;
constexpr int32_t kPlainIndexBits = 15;
// Gradient matrices take fixed widths: 24-bit scale and rotate, 23-bit translation.
constexpr swf::MatrixWidths kGradientMatrixWidths{24, 23};
constexpr int32_t kPlainStyleLimit = 32767;  // 15-bit style indexes of the plain body
constexpr double kPi = 3.14159265358979;

bool FitsEdge(std::initializer_list<int64_t> deltas)
{
    for (int64_t d : deltas) {
        if (d < -kEdgeDeltaMax - 1 || d > kEdgeDeltaMax) {
            return false;
        }
    }
    return true;
}

// The records WriteStraightEdges takes for (dx, dy).
int64_t StraightEdgeRecords(int64_t dx, int64_t dy)
{
    return std::max<int64_t>({(std::abs(dx) + kEdgeDeltaMax - 1) / kEdgeDeltaMax,
                              (std::abs(dy) + kEdgeDeltaMax - 1) / kEdgeDeltaMax, 1});
}

// A quadratic curve in twips, measured from the pen.
using TwipCurve = platform::QuadraticCurve<platform::PointXY<int64_t>>;

// A curve halved this often that still does not fit is taken as its chord.
constexpr int kMaxCurveHalvings = 41;

bool CurveFits(const TwipCurve &curve)
{
    return FitsEdge({curve.control.x - curve.start.x, curve.control.y - curve.start.y,
                     curve.end.x - curve.control.x, curve.end.y - curve.control.y});
}

// Halves a quadratic curve (at integer midpoints, toward zero) until every delta fits 17 bits.
// piece(curve) gets each curve that fits and chord(dx, dy) each chord, both returning the records
// they take; the halving stops once limit records are reached.
template <typename Piece, typename Chord>
int64_t SplitCurve(const TwipCurve &curve, int64_t limit, const Piece &piece, const Chord &chord)
{
    int64_t records = 0;
    platform::HalveUntil(curve, kMaxCurveHalvings, CurveFits, [&](const TwipCurve &part) {
        records += CurveFits(part) ? piece(part) : chord(part.end.x - part.start.x, part.end.y - part.start.y);
        return records < limit;
    });
    return records;
}

// A quadratic curve from the pen (x0, y0) through control (cx, cy) to (ax, ay), halved until it
// fits. Returns the number of edge records written.
int32_t WriteCurvedEdges(BitBuffer &buffer, int64_t x0, int64_t y0, int64_t cx, int64_t cy, int64_t ax,
                        int64_t ay)
{
    auto piece = [&buffer](const TwipCurve &part) -> int64_t {
        swf::WriteCurvedEdge(buffer, part.control.x - part.start.x, part.control.y - part.start.y,
                             part.end.x - part.control.x, part.end.y - part.control.y);
        return 1;
    };
    auto chord = [&buffer](int64_t dx, int64_t dy) -> int64_t { return WriteStraightEdges(buffer, dx, dy); };
    return static_cast<int32_t>(
        SplitCurve({{x0, y0}, {cx, cy}, {ax, ay}}, std::numeric_limits<int64_t>::max(), piece, chord));
}

// The records WriteCurvedEdges takes for a curve, counted up to limit.
int64_t CurvedEdgeRecords(int64_t x0, int64_t y0, int64_t cx, int64_t cy, int64_t ax, int64_t ay, int64_t limit)
{
    auto piece = [](const TwipCurve &) -> int64_t { return 1; };
    auto chord = [](int64_t dx, int64_t dy) { return StraightEdgeRecords(dx, dy); };
    return SplitCurve({{x0, y0}, {cx, cy}, {ax, ay}}, limit, piece, chord);
}

// A coordinate as the shape carries it. Move records hold 31 bits, so every anchor is held to
// that range alike: the move, the edges measured from it and the bounds all see the same point.
int64_t ShapeCoord(int32_t value)
{
    return std::clamp<int64_t>(value, -kMoveMax - 1, kMoveMax);
}

// Calls line(x0, y0, x1, y1) and curve(x0, y0, cx, cy, x1, y1) for each edge of the outline in
// absolute twips, from the pen (the start point) on; the pen ends where the outline does.
template <typename Line, typename Curve>
void VisitEdges(const core::PathRecord &path, int64_t &penX, int64_t &penY, Line line, Curve curve)
{
    const auto &anchors = path.Anchors;
    int32_t last = path.AnchorMax();
    int32_t visits = path.blClosed ? last + 1 : last;
    for (int32_t v = 1; v <= visits; ++v) {
        int32_t index = v <= last ? v : 0;
        const core::AnchorPoint &anchor = anchors[static_cast<size_t>(index)];
        bool lastOfOpen = !path.blClosed && index == last;
        const int64_t x = ShapeCoord(anchor.X);
        const int64_t y = ShapeCoord(anchor.Y);
        if (anchor.AnchorKind == core::kOnCurve || lastOfOpen) {
            line(penX, penY, x, y);
            penX = x;
            penY = y;
        } else if (anchor.AnchorKind == core::kControlPoint) {
            int32_t k = (index + 1) % (last + 1);
            const core::AnchorPoint &next = anchors[static_cast<size_t>(k)];
            bool nextEndsOpen = !path.blClosed && k == last;
            int64_t ax = ShapeCoord(next.X);
            int64_t ay = ShapeCoord(next.Y);
            if (next.AnchorKind != core::kOnCurve && !nextEndsOpen) {
                ax = (x + ax) / 2;
                ay = (y + ay) / 2;
            }
            curve(penX, penY, x, y, ax, ay);
            penX = ax;
            penY = ay;
        }
    }
}

// Whether all anchors lie within one edge field's reach of each other. Every pen position and
// control point then lies in their box, so each edge takes one record: never more than the budget.
bool AnchorsWithinOneEdge(const core::PathRecord &path)
{
    auto [left, right] = std::minmax_element(path.Anchors.begin(), path.Anchors.end(),
                                             [](const auto &a, const auto &b) { return a.X < b.X; });
    auto [top, bottom] = std::minmax_element(path.Anchors.begin(), path.Anchors.end(),
                                             [](const auto &a, const auto &b) { return a.Y < b.Y; });
    return int64_t{right->X} - left->X <= kEdgeDeltaMax && int64_t{bottom->Y} - top->Y <= kEdgeDeltaMax;
}

// Whether the path's edges, split to fit the edge fields, take more records than its budget.
bool ExceedsEdgeBudget(const core::PathRecord &path)
{
    if (path.AnchorMax() < 1 || AnchorsWithinOneEdge(path)) {
        return false;
    }
    const int64_t budget = EdgeRecordBudget(path);
    int64_t records = 0;
    int64_t x;
    int64_t y;
    StartPoint(path, x, y);
    VisitEdges(
        path, x, y,
        [&](int64_t x0, int64_t y0, int64_t x1, int64_t y1) {
            records += StraightEdgeRecords(x1 - x0, y1 - y0);
        },
        [&](int64_t x0, int64_t y0, int64_t cx, int64_t cy, int64_t x1, int64_t y1) {
            if (records <= budget) {
                records += CurvedEdgeRecords(x0, y0, cx, cy, x1, y1, budget - records + 1);
            }
        });
    return records > budget;
}

// Where the outline's move-to record puts the pen: the start point, clamped with the outline.
ReachPoint MoveTarget(const core::PathRecord &path, int64_t x, int64_t y)
{
    return ExceedsEdgeBudget(path) ? ClampToReach({x, y}) : ReachPoint{x, y};
}

// The straight edge from a to b clamped to the reach: the edges between its corners.
int32_t WriteClampedLine(BitBuffer &buffer, ReachPoint a, ReachPoint b)
{
    ReachPoint corners[5];
    int count = ClampedLineCorners(a, b, corners);
    ReachPoint pen = ClampToReach(a);
    int32_t records = 0;
    for (int i = 0; i < count; ++i) {
        records += WriteStraightEdges(buffer, corners[i].x - pen.x, corners[i].y - pen.y);
        pen = corners[i];
    }
    return records;
}

// A curve clamped to the reach: kept where its control triangle lies inside, replaced by its
// clamped chord where the triangle lies beyond one border, halved elsewhere (a few times).
int32_t WriteClampedCurve(BitBuffer &buffer, ReachPoint from, ReachPoint control, ReachPoint to,
                          int32_t depth = 0)
{
    constexpr int32_t kMaxHalvings = 8;
    if (InsideReach(from) && InsideReach(control) && InsideReach(to)) {
        return WriteCurvedEdges(buffer, from.x, from.y, control.x, control.y, to.x, to.y);
    }
    if (depth >= kMaxHalvings || BeyondOneBorder(from, control, to)) {
        return WriteClampedLine(buffer, from, to);
    }
    ReachPoint c1{(from.x + control.x) / 2, (from.y + control.y) / 2};
    ReachPoint c2{(control.x + to.x) / 2, (control.y + to.y) / 2};
    ReachPoint middle{(c1.x + c2.x) / 2, (c1.y + c2.y) / 2};
    return WriteClampedCurve(buffer, from, c1, middle, depth + 1) +
           WriteClampedCurve(buffer, middle, c2, to, depth + 1);
}

bool HasDrawableAnchors(const core::PathRecord &path)
{
    return path.AnchorMax() >= 1;
}

constexpr core::Rect32 kNothingDrawn{1, 1, 0, 0};  // Left > Right: holds no point

bool Holds(const core::Rect32 &box)
{
    return box.Left <= box.Right;
}

void Widen(core::Rect32 &box, const core::Rect32 &more)
{
    if (!Holds(more)) {
        return;
    }
    if (!Holds(box)) {
        box = more;
        return;
    }
    box.Left = std::min(box.Left, more.Left);
    box.Top = std::min(box.Top, more.Top);
    box.Right = std::max(box.Right, more.Right);
    box.Bottom = std::max(box.Bottom, more.Bottom);
}

// What a path draws from the extremes of its anchors, which hold every edge and control point:
// them and half its line where it is stroked.
core::Rect32 DrawnFromExtremes(const core::PathRecord &path, const core::Rect32 &extremes)
{
    if (!HasDrawableAnchors(path)) {
        return kNothingDrawn;
    }
    // Clamping keeps the order, so the clamped extremes are the extremes of the clamped anchors.
    const int64_t half = EffectiveLineMode(path) > 0 ? (std::clamp(path.LineWidth, 0, 65535) + 1) / 2 : 0;
    return {static_cast<int32_t>(ShapeCoord(extremes.Left) - half), static_cast<int32_t>(ShapeCoord(extremes.Top) - half),
            static_cast<int32_t>(ShapeCoord(extremes.Right) + half),
            static_cast<int32_t>(ShapeCoord(extremes.Bottom) + half)};
}

core::Rect32 DrawnBounds(const core::PathRecord &path)
{
    if (!HasDrawableAnchors(path)) {
        return kNothingDrawn;
    }
    core::Rect32 extremes{path.Anchors[0].X, path.Anchors[0].Y, path.Anchors[0].X, path.Anchors[0].Y};
    for (const core::AnchorPoint &anchor : path.Anchors) {
        extremes.Left = std::min(extremes.Left, anchor.X);
        extremes.Right = std::max(extremes.Right, anchor.X);
        extremes.Top = std::min(extremes.Top, anchor.Y);
        extremes.Bottom = std::max(extremes.Bottom, anchor.Y);
    }
    return DrawnFromExtremes(path, extremes);
}

// The cache key of a path drawn as a unit of its own.
UnitKey SingleKey(const core::PathRecord &path)
{
    core::Rect32 extremes;
    UnitKey key;
    key.Hash = PathHash(path, extremes);
    key.AnchorCount = static_cast<int64_t>(path.Anchors.size());
    key.Bounds = DrawnFromExtremes(path, extremes);
    return key;
}

// The cache key of a compound's unit: its members' keys (keyOf(i) of member i) in order.
template <typename KeyOf>
UnitKey CompoundKey(const std::vector<size_t> &members, KeyOf keyOf)
{
    UnitKey key;
    key.Bounds = kNothingDrawn;
    for (size_t member : members) {
        const UnitKey &one = keyOf(member);
        key.Hash = ChainHash(key.Hash, one.Hash);
        key.AnchorCount += one.AnchorCount;
        Widen(key.Bounds, one.Bounds);
    }
    key.Hash = ChainHash(key.Hash, members.size());
    return key;
}

// The rectangle a shape tag declares: all zero when nothing is drawn.
core::Rect32 ShapeRect(const core::Rect32 &box)
{
    return Holds(box) ? box : core::Rect32{};
}

void ResetUnit(UnitScratch &s)
{
    InitBitBuffer(s.FillStyles);
    InitBitBuffer(s.LineStyles);
    InitBitBuffer(s.Records);
    s.FillCount = 0;
    s.LineCount = 0;
}

// The first StyleChangeRecord of a unit (new styles, fill and line index 0) and its fill array.
// The record's head takes the low bits of the unit's first byte: the bits before it are those
// AppendCachedBits leaves out.
void WriteUnitHeader(UnitScratch &s, const core::PathRecord &path)
{
    WriteBits(s.FillStyles, 0, 8 - swf::kShapeRecordHeadBits);
    swf::StyleChangeRecord header;
    header.flags = swf::kStateNewStyles | swf::kStateLineStyle | swf::kStateFillStyle0;
    swf::WriteStyleChange(s.FillStyles, header, kUnitIndexBits, kUnitIndexBits);
    int16_t fill = EffectiveFillType(path);
    if (fill >= core::kFillSolid && fill <= core::kFillRadial) {
        s.FillCount = 1;
        swf::WriteStyleCount(s.FillStyles, 1);
        WriteFillStyle(s.FillStyles, path, fill);
    } else {
        swf::WriteStyleCount(s.FillStyles, 0);
    }
}

void WriteLineStyle(BitBuffer &buffer, const core::PathRecord &path)
{
    swf::WriteLineStyle(buffer, LineStyleOf(path));
}

// The StyleChangeRecord that starts a path's outline: a move to its start point and, unless
// moveOnly, its fill and line style indexes.
void WriteOutlineStart(BitBuffer &buffer, int64_t x, int64_t y, bool moveOnly, uint32_t fill, uint32_t line,
                       int32_t indexBits)
{
    swf::StyleChangeRecord start;
    start.flags = moveOnly ? swf::kStateMoveTo : swf::kStateMoveTo | swf::kStateFillStyle0 | swf::kStateLineStyle;
    start.moveBits = kMinMoveBits;
    start.moveX = static_cast<int32_t>(std::clamp(x, -kMoveMax - 1, kMoveMax));
    start.moveY = static_cast<int32_t>(std::clamp(y, -kMoveMax - 1, kMoveMax));
    start.fill0 = fill;
    start.line = line;
    swf::WriteStyleChange(buffer, start, indexBits, indexBits);
}

// Line style, move-to record and edges of one path into the unit.
void WriteUnitRecords(UnitScratch &s, const core::PathRecord &path)
{
    bool stroked = EffectiveLineMode(path) > 0;
    if (stroked && s.LineCount < kMaxUnitLineStyles) {
        s.LineCount += 1;
        WriteLineStyle(s.LineStyles, path);
    }
    int64_t x;
    int64_t y;
    StartPoint(path, x, y);
    const ReachPoint move = MoveTarget(path, x, y);
    WriteOutlineStart(s.Records, move.x, move.y, false,
                      static_cast<uint32_t>(EffectiveFillType(path) > 0 ? s.FillCount : 0),
                      static_cast<uint32_t>(stroked ? s.LineCount : 0), kUnitIndexBits);
    WriteEdges(s.Records, path, x, y);
}

void AssembleUnit(UnitScratch &s, BitBuffer &out)
{
    MergeBits(out, s.FillStyles);
    swf::WriteStyleCount(out, s.LineCount);
    MergeBits(out, s.LineStyles);
    swf::WriteStyleIndexBits(out, kUnitIndexBits, kUnitIndexBits);
    MergeBits(out, s.Records);
}

// Encodes unit k of units into out (emptied first) in the scratch buffers given.
void EncodeUnit(UnitScratch &scratch, BitBuffer &out, const core::PathArray &paths, const ShapeUnits &units, size_t k)
{
    const size_t holder = units.Holders[k];
    InitBitBuffer(out);
    if (!paths[holder].blCompound) {
        EncodePathUnit(scratch, out, paths[holder], kUnitSingle);
        return;
    }
    const std::vector<size_t> &members = units.Compounds.at(paths[holder].CompoundID);
    EncodePathUnit(scratch, out, paths[holder], kUnitFirstMember);
    for (size_t m = 1; m < members.size(); ++m) {
        EncodePathUnit(scratch, out, paths[members[m]], kUnitFurtherMember);
    }
    EncodePathUnit(scratch, out, paths[holder], kUnitFinish);
}

// The bytes BufferBytes would give of a shape body.
size_t ShapeBodySize(const BitBuffer &shape)
{
    const int64_t bits = int64_t{shape.BytePos} * 8 + shape.BitPos;
    return bits <= 0 ? 0 : std::min(static_cast<size_t>((bits + 7) / 8), shape.Bytes.size());
}

int32_t Clamp8(int32_t value)
{
    return std::clamp(value, 0, 255);
}

// Gives shape the room the units found take when appended after what it holds, and a little
// more: a large body grows once instead of doubling step by step, each step copying what it
// held and touching new memory. A unit encoded as it is written may still grow it.
void ReserveForUnits(BitBuffer &shape, const std::vector<const BitBuffer *> &found)
{
    constexpr size_t kEndRoom = 512;  // the end record and a growth step beyond it
    size_t bytes = ShapeBodySize(shape) + kEndRoom;
    for (const BitBuffer *unit : found) {
        // A unit appends its first bits, then its remaining bytes from the next byte boundary.
        bytes += unit ? static_cast<size_t>(std::max(unit->BytePos, 0)) + 2 : 0;
    }
    shape.Bytes.reserve(bytes);
}

// The cached body of units into shape (emptied first, its memory kept); layout (when given)
// receives each unit's place.
void EncodeUnitsInto(BitBuffer &shape, const core::PathArray &paths, const ShapeUnits &units, ShapeLayout *layout)
{
    InitBitBuffer(shape);
    WriteCachedBodyStart(shape);
    std::vector<const BitBuffer *> found;
    EncodeMissingUnits(paths, units, {{0, units.Keys.size()}}, &found);
    const uint64_t generation = Writer().Units.Generation();
    ReserveForUnits(shape, found);
    BitBuffer scratch;
    if (layout) {
        layout->Keys = units.Keys;
        layout->Places.clear();
        layout->Places.reserve(units.Keys.size());
        layout->Replaceable = true;
    }
    for (size_t k = 0; k < units.Keys.size(); ++k) {
        const bool held = found[k] && Writer().Units.Generation() == generation;
        const BitBuffer &unit = held ? *found[k] : ShapeUnitBits(paths, units, k, scratch);
        if (!layout) {
            AppendCachedBits(shape, unit, swf::kShapeRecordHeadBits);
            continue;
        }
        const UnitPlace &place = layout->Places.emplace_back(AppendUnit(shape, unit));
        layout->Replaceable = layout->Replaceable && (place.Empty || place.RestBytes > 0);
    }
    if (layout) {
        layout->UnitsEndBit = static_cast<uint64_t>(shape.BytePos) * 8 + static_cast<uint64_t>(shape.BitPos);
    }
    Writer().Units.EndShape();
    swf::WriteEndShape(shape);
}

}  // namespace

namespace {

// The rectangle of the shape of units: of all their keys' bounds.
void SetUnitsBounds(ShapeUnits &units)
{
    core::Rect32 box = kNothingDrawn;
    for (const UnitKey &key : units.Keys) {
        Widen(box, key.Bounds);
    }
    units.Bounds = ShapeRect(box);
}

// One pass over the paths: a compound's unit takes the place of its first member (none when that
// one is hidden) and its key once every member is known.
template <typename KeyOf>
void ListUnits(const core::PathArray &paths, ShapeUnits &units, KeyOf keyOf)
{
    units.Compounds.clear();
    units.Keys.clear();
    units.Holders.clear();
    std::vector<std::pair<size_t, const std::vector<size_t> *>> compoundUnits;
    for (size_t i = 1; i < paths.size(); ++i) {
        const core::PathRecord &path = paths[i];
        if (path.blCompound) {
            std::vector<size_t> &members = units.Compounds[path.CompoundID];
            members.push_back(i);
            if (members.size() == 1 && !path.IsHidden()) {
                compoundUnits.emplace_back(units.Keys.size(), &members);
                units.Keys.emplace_back();
                units.Holders.push_back(i);
            }
        } else if (!path.IsHidden()) {
            units.Keys.push_back(keyOf(i));
            units.Holders.push_back(i);
        }
    }
    for (const auto &[k, members] : compoundUnits) {
        units.Keys[k] = CompoundKey(*members, keyOf);
    }
    SetUnitsBounds(units);
}

PathUnitKey PathUnitKeyOf(const core::PathRecord &path)
{
    return {SingleKey(path), path.blCompound ? path.CompoundID : 0, path.blCompound, path.IsHidden()};
}

// Paths whose keys are replaced one by one, at most, for every path of the drawing: beyond, the
// units are listed whole, which costs less.
constexpr size_t kPathsPerReplacedKey = 8;

// Puts the new keys of the paths replaced (their places and old values) into units listed
// before from keys; false, changing nothing, when one of them took another place among the units
// or too many were replaced.
template <typename KeyOf>
bool ReplaceUnitKeys(ShapeUnits &units, const std::vector<std::pair<size_t, PathUnitKey>> &replaced,
                     const MarkedPathValues<PathUnitKey> &keys, KeyOf keyOf)
{
    if (replaced.size() > units.ListedPaths / kPathsPerReplacedKey) {
        return false;
    }
    for (const auto &[i, was] : replaced) {
        const PathUnitKey &now = keys[i];
        if (now.InCompound != was.InCompound || now.CompoundID != was.CompoundID || now.Hidden != was.Hidden ||
            (now.InCompound && units.Compounds.count(now.CompoundID) == 0)) {
            return false;
        }
    }
    for (const auto &[i, was] : replaced) {
        const PathUnitKey &now = keys[i];
        if (!now.InCompound && now.Hidden) {
            continue;  // a hidden path has no unit
        }
        const std::vector<size_t> *members = now.InCompound ? &units.Compounds.at(now.CompoundID) : nullptr;
        const size_t holder = members ? members->front() : i;
        const auto at = std::lower_bound(units.Holders.begin(), units.Holders.end(), holder);
        if (at == units.Holders.end() || *at != holder) {
            continue;  // a compound whose first member is hidden has none either
        }
        units.Keys[static_cast<size_t>(at - units.Holders.begin())] = members ? CompoundKey(*members, keyOf) : keyOf(i);
    }
    if (!replaced.empty()) {
        SetUnitsBounds(units);
    }
    return true;
}

}  // namespace

void ListShapeUnits(const core::PathArray &paths, ShapeUnits &units)
{
    ListUnits(paths, units, [&paths](size_t i) { return SingleKey(paths[i]); });
}

void ListShapeUnits(const core::PathArray &paths, ShapeUnits &units, MarkedPathValues<PathUnitKey> &pathKeys)
{
    std::vector<std::pair<size_t, PathUnitKey>> replaced;
    const bool inPlace = pathKeys.Update(paths, PathUnitKeyOf, &replaced, paths.size() / kPathsPerReplacedKey);
    auto keyOf = [&pathKeys](size_t i) -> const UnitKey & { return pathKeys[i].Key; };
    if (inPlace && units.ListedPaths == paths.size() && ReplaceUnitKeys(units, replaced, pathKeys, keyOf)) {
        return;
    }
    units.ListedPaths = 0;  // until listed whole
    ListUnits(paths, units, keyOf);
    units.ListedPaths = paths.size();
}

const BitBuffer &ShapeUnitBits(const core::PathArray &paths, const ShapeUnits &units, size_t k, BitBuffer &scratch)
{
    const UnitKey &key = units.Keys[k];
    WriterState &w = Writer();
    if (const BitBuffer *unit = w.Units.Find(key)) {
        return *unit;
    }
    EncodeUnit(w.Unit, scratch, paths, units, k);
    return w.Units.Store(key, scratch);
}

size_t EncodeMissingUnits(const core::PathArray &paths, const ShapeUnits &units,
                          const std::vector<std::pair<size_t, size_t>> &ranges, std::vector<const BitBuffer *> *found)
{
    WriterState &w = Writer();
    std::vector<size_t> missing;
    if (found) {
        found->assign(units.Keys.size(), nullptr);
    }
    for (const auto &[begin, end] : ranges) {
        for (size_t k = begin; k < std::min(end, units.Keys.size()); ++k) {
            const BitBuffer *unit = w.Units.Find(units.Keys[k]);
            if (!unit) {
                missing.push_back(k);
            } else if (found) {
                (*found)[k] = unit;
            }
        }
    }
    if (missing.size() < 2 * w.UnitsPerThread) {
        return 0;  // encoded one by one as they are written
    }
    // Each unit's bits depend on its paths alone: the parts are encoded apart and kept in order.
    std::vector<BitBuffer> encoded(missing.size());
    platform::RunInParts(missing.size(), w.UnitsPerThread, [&](size_t, size_t begin, size_t end) {
        UnitScratch scratch;
        BitBuffer out;
        for (size_t i = begin; i < end; ++i) {
            EncodeUnit(scratch, out, paths, units, missing[i]);
            encoded[i] = MeaningfulBits(out);
        }
    });
    const uint64_t generation = w.Units.Generation();
    w.Units.Reserve(missing.size());
    for (size_t i = 0; i < missing.size(); ++i) {
        const BitBuffer &unit = w.Units.Adopt(units.Keys[missing[i]], std::move(encoded[i]));
        if (found) {
            (*found)[missing[i]] = &unit;
        }
    }
    if (found && w.Units.Generation() != generation) {
        found->assign(units.Keys.size(), nullptr);  // a unit gave way to another: each is looked up again
    }
    w.UnitsEncodedOnThreads += static_cast<int64_t>(missing.size());
    return missing.size();
}

uint64_t RestStart(const UnitPlace &place)
{
    return (place.StartBit + swf::kShapeRecordHeadBits - 1) / 8 + 1;
}

UnitPlace AppendUnit(BitBuffer &body, const BitBuffer &unit)
{
    UnitPlace place;
    place.StartBit = uint64_t(body.BytePos) * 8 + static_cast<uint64_t>(body.BitPos);
    const int64_t bits = int64_t{unit.BytePos} * 8 + unit.BitPos;
    if (bits <= 0 || unit.Bytes.empty()) {
        return place;
    }
    const int32_t rest = std::min<int32_t>(unit.BytePos, static_cast<int32_t>(unit.Bytes.size()) - 1);
    place.Empty = false;
    place.Head = static_cast<uint8_t>(unit.Bytes[0] & ((1u << swf::kShapeRecordHeadBits) - 1));
    place.RestBytes = static_cast<uint32_t>(std::max(rest, 0));
    place.EndBits = static_cast<uint8_t>(unit.BytePos == rest ? unit.BitPos : 8);
    AppendCachedBits(body, unit, swf::kShapeRecordHeadBits);
    return place;
}

UnitPlace AppendPlacedUnit(BitBuffer &body, const UnitPlace &place, const uint8_t *rest)
{
    if (place.Empty) {
        return AppendUnit(body, BitBuffer());
    }
    BitBuffer unit;
    unit.Bytes.resize(size_t{place.RestBytes} + 1);
    unit.Bytes[0] = place.Head;
    std::copy(rest, rest + place.RestBytes, unit.Bytes.begin() + 1);
    unit.BytePos = static_cast<int32_t>(place.RestBytes);
    unit.BitPos = place.EndBits;
    return AppendUnit(body, unit);
}

void WriteCachedBodyStart(BitBuffer &shape)
{
    swf::WriteStyleCount(shape, 0);  // no shape-level styles
    swf::WriteStyleCount(shape, 0);
    swf::WriteStyleIndexBits(shape, kUnitIndexBits, kUnitIndexBits);
}

Bytes CachedShapeHead(int32_t id, const core::Rect32 &bounds, size_t bodyBytes)
{
    constexpr int32_t kMinBoundsBits = 24;
    const swf::RectRecord rect{bounds.Left, bounds.Right, bounds.Top, bounds.Bottom};
    Bytes head = swf::ShapeTagBody(static_cast<uint16_t>(id), rect, swf::RectBits(rect, kMinBoundsBits), {});
    Bytes tag = swf::LongTagHeader(TagCode::DefineShape3, head.size() + bodyBytes);
    tag.insert(tag.end(), head.begin(), head.end());
    return tag;
}

void DefineShape(int32_t id, const core::PathArray &paths, bool grouped)
{
    if (!grouped) {
        constexpr int32_t kMinBoundsBits = 24;
        core::Rect32 bounds;
        Bytes shape = EncodeShapePlain(paths, &bounds);
        const swf::RectRecord rect{bounds.Left, bounds.Right, bounds.Top, bounds.Bottom};
        AppendLongTag(TagCode::DefineShape3,
                      swf::ShapeTagBody(static_cast<uint16_t>(id), rect, swf::RectBits(rect, kMinBoundsBits), shape));
        return;
    }
    ShapeUnits units;
    ListShapeUnits(paths, units);
    DefineShapeOfUnits(id, paths, units, nullptr);
}

void DefineShapeOfUnits(int32_t id, const core::PathArray &paths, const ShapeUnits &units, ShapeLayout *layout)
{
    // The cached body is assembled in the writer's own buffer and copied once, into the tag
    // buffer or straight into a movie written in memory: the drawing's bytes are neither copied
    // again nor put in new memory per movie.
    WriterState &w = Writer();
    EncodeUnitsInto(w.ShapeBits, paths, units, layout);
    const size_t shapeSize = ShapeBodySize(w.ShapeBits);
    const Bytes head = CachedShapeHead(id, units.Bounds, shapeSize);
    AppendToBuffer(head);
    if (w.InMemory) {
        WriteToMovie(w.ShapeBits.Bytes.data(), shapeSize);
    } else {
        w.TagBuffer.insert(w.TagBuffer.end(), w.ShapeBits.Bytes.begin(),
                           w.ShapeBits.Bytes.begin() + static_cast<std::ptrdiff_t>(shapeSize));
    }
    if (layout) {
        layout->HeadBytes = head.size();
        layout->BodyBytes = shapeSize;
    }
    // A large body is not kept: between movies it would be one more copy of the drawing's bytes.
    if (w.ShapeBits.Bytes.capacity() > kMostKeptShapeBytes) {
        w.ShapeBits = BitBuffer();
    }
}

Bytes EncodeShapeCached(const core::PathArray &paths, core::Rect32 *bounds)
{
    BitBuffer shape;
    core::Rect32 box;
    EncodeShapeCachedInto(shape, paths, box);
    if (bounds) {
        *bounds = box;
    }
    shape.Bytes.resize(ShapeBodySize(shape));
    return std::move(shape.Bytes);
}

void EncodeShapeCachedInto(BitBuffer &shape, const core::PathArray &paths, core::Rect32 &bounds)
{
    ShapeUnits units;
    ListShapeUnits(paths, units);
    EncodeUnitsInto(shape, paths, units, nullptr);
    bounds = units.Bounds;
}

Bytes EncodeShapePlain(const core::PathArray &paths, core::Rect32 *bounds)
{
    core::Rect32 box = kNothingDrawn;
    int32_t count = std::min(core::UpperBound(paths), kPlainStyleLimit);
    BitBuffer shape;
    InitBitBuffer(shape);
    BitBuffer lines;
    InitBitBuffer(lines);
    WriteStyleCount(shape, count);
    WriteStyleCount(lines, count);
    for (int32_t i = 1; i <= count; ++i) {
        const core::PathRecord &path = paths[static_cast<size_t>(i)];
        WriteFillStyle(shape, path, EffectiveFillType(path));
        WriteLineStyle(lines, path);
    }
    MergeBits(shape, lines);
    swf::WriteStyleIndexBits(shape, kPlainIndexBits, kPlainIndexBits);
    for (int32_t i = 1; i <= count; ++i) {
        WritePlainPathRecords(shape, paths[static_cast<size_t>(i)], i, false);
        Widen(box, DrawnBounds(paths[static_cast<size_t>(i)]));
    }
    swf::WriteEndShape(shape);
    if (bounds) {
        *bounds = ShapeRect(box);
    }
    return BufferBytes(shape);
}

void EncodePathUnit(BitBuffer &out, const core::PathRecord &path, int32_t mode)
{
    EncodePathUnit(Writer().Unit, out, path, mode);
}

void EncodePathUnit(UnitScratch &scratch, BitBuffer &out, const core::PathRecord &path, int32_t mode)
{
    if (mode == kUnitSingle || mode == kUnitFirstMember) {
        ResetUnit(scratch);
        // A single path without edges stays an empty unit; a compound's leader always opens
        // the unit so that its further members land in a valid record stream.
        if (mode == kUnitSingle && !HasDrawableAnchors(path)) {
            return;
        }
        WriteUnitHeader(scratch, path);
    }
    if (mode != kUnitFinish && HasDrawableAnchors(path)) {
        WriteUnitRecords(scratch, path);
    }
    if (mode == kUnitSingle || mode == kUnitFinish) {
        AssembleUnit(scratch, out);
    }
}

int16_t EffectiveFillType(const core::PathRecord &path)
{
    return path.blClosed ? path.FillType : static_cast<int16_t>(core::kFillNone);
}

int16_t EffectiveLineMode(const core::PathRecord &path)
{
    return path.blClosed ? path.LineMode : static_cast<int16_t>(1);
}

void StartPoint(const core::PathRecord &path, int64_t &x, int64_t &y)
{
    const auto &a = path.Anchors;
    x = ShapeCoord(a[0].X);
    y = ShapeCoord(a[0].Y);
    if (path.blClosed && a[0].AnchorKind == core::kControlPoint && a.size() > 1) {
        if (a[1].AnchorKind == core::kControlPoint) {
            x = (x + ShapeCoord(a[1].X)) / 2;
            y = (y + ShapeCoord(a[1].Y)) / 2;
        } else {
            x = ShapeCoord(a[1].X);
            y = ShapeCoord(a[1].Y);
        }
    }
}

int32_t WriteStraightEdges(BitBuffer &buffer, int64_t dx, int64_t dy)
{
    if (FitsEdge({dx, dy})) {
        swf::WriteStraightEdge(buffer, dx, dy);
        return 1;
    }
    int64_t pieces = StraightEdgeRecords(dx, dy);
    int64_t doneX = 0;
    int64_t doneY = 0;
    for (int64_t i = 1; i <= pieces; ++i) {
        int64_t x = dx / pieces * i + dx % pieces * i / pieces;
        int64_t y = dy / pieces * i + dy % pieces * i / pieces;
        swf::WriteStraightEdge(buffer, x - doneX, y - doneY);
        doneX = x;
        doneY = y;
    }
    return static_cast<int32_t>(pieces);
}

int32_t WriteEdges(BitBuffer &buffer, const core::PathRecord &path, int64_t &penX, int64_t &penY)
{
    if (path.AnchorMax() < 1) {
        return 0;
    }
    int32_t records = 0;
    if (ExceedsEdgeBudget(path)) {
        VisitEdges(
            path, penX, penY,
            [&](int64_t x0, int64_t y0, int64_t x1, int64_t y1) {
                records += WriteClampedLine(buffer, {x0, y0}, {x1, y1});
            },
            [&](int64_t x0, int64_t y0, int64_t cx, int64_t cy, int64_t x1, int64_t y1) {
                records += WriteClampedCurve(buffer, {x0, y0}, {cx, cy}, {x1, y1});
            });
        return records;
    }
    VisitEdges(
        path, penX, penY,
        [&](int64_t x0, int64_t y0, int64_t x1, int64_t y1) {
            records += WriteStraightEdges(buffer, x1 - x0, y1 - y0);
        },
        [&](int64_t x0, int64_t y0, int64_t cx, int64_t cy, int64_t x1, int64_t y1) {
            records += WriteCurvedEdges(buffer, x0, y0, cx, cy, x1, y1);
        });
    return records;
}

int32_t WritePlainPathRecords(BitBuffer &buffer, const core::PathRecord &path, int32_t styleIndex,
                              bool moveOnly)
{
    if (!HasDrawableAnchors(path)) {
        return 0;
    }
    int64_t x;
    int64_t y;
    StartPoint(path, x, y);
    const ReachPoint move = MoveTarget(path, x, y);
    WriteOutlineStart(buffer, move.x, move.y, moveOnly,
                      static_cast<uint32_t>(EffectiveFillType(path) > 0 ? styleIndex : 0),
                      static_cast<uint32_t>(EffectiveLineMode(path) > 0 ? styleIndex : 0), kPlainIndexBits);
    return WriteEdges(buffer, path, x, y);
}

swf::MatrixRecord PathGradientMatrix(const core::PathRecord &path)
{
    double angle = static_cast<double>(path.GradAngle) * kPi / 180.0;
    float c = static_cast<float>(std::cos(angle));
    float s = static_cast<float>(std::sin(angle));
    swf::MatrixRecord matrix;
    matrix.hasScale = matrix.hasRotate = true;  // both pairs always, in their fixed widths
    matrix.scaleX = static_cast<int32_t>(FixedValue(path.GradRatioX * c));
    matrix.scaleY = static_cast<int32_t>(FixedValue(path.GradRatioY * c));
    matrix.rotateSkew0 = static_cast<int32_t>(FixedValue(path.GradRatioX * s));
    matrix.rotateSkew1 = static_cast<int32_t>(FixedValue(-path.GradRatioY * s));
    matrix.translateX = path.GradCenterX;
    matrix.translateY = path.GradCenterY;
    return matrix;
}

GradientRamp PathGradientRamp(const core::PathRecord &path, int16_t fillType, int32_t stopCount)
{
    GradientRamp ramp;
    auto add = [&ramp](int32_t ratio, core::Color colour) {
        ramp.Entries[static_cast<size_t>(ramp.Count++)] = {ratio, colour};
    };
    const auto &stops = path.Stops;
    if (fillType == core::kFillReflected) {
        int32_t m = std::clamp(std::min(stopCount, path.StopCount()), 0, 2);
        add(0, path.FillColor);
        for (int32_t k = 1; k <= m; ++k) {
            add(Clamp8(stops[static_cast<size_t>(k)].StopPos) / 2, stops[static_cast<size_t>(k)].StopColor);
        }
        add(128, path.GradColor);
        for (int32_t k = m; k >= 1; --k) {
            add(255 - Clamp8(stops[static_cast<size_t>(k)].StopPos) / 2, stops[static_cast<size_t>(k)].StopColor);
        }
        add(255, path.FillColor);
        return ramp;
    }
    int32_t m = std::clamp(std::min(stopCount, path.StopCount()), 0, 6);
    add(0, path.FillColor);
    for (int32_t k = 1; k <= m; ++k) {
        add(stops[static_cast<size_t>(k)].StopPos, stops[static_cast<size_t>(k)].StopColor);
    }
    add(255, path.GradColor);
    return ramp;
}

bool IsGradientFill(int16_t fillType)
{
    return fillType == core::kFillLinear || fillType == core::kFillReflected || fillType == core::kFillRadial;
}

swf::Rgba RgbaOf(core::Color colour)
{
    return {static_cast<uint8_t>(colour), static_cast<uint8_t>(colour >> 8), static_cast<uint8_t>(colour >> 16),
            static_cast<uint8_t>(colour >> 24)};
}

swf::FillStyleRecord FillStyleOf(const core::PathRecord &path, int16_t fillType, int32_t stopCount)
{
    swf::FillStyleRecord style;
    if (!IsGradientFill(fillType)) {
        style.colour = RgbaOf(path.FillColor);
        return style;
    }
    style.type = fillType == core::kFillRadial ? swf::FillStyleType::RadialGradient : swf::FillStyleType::LinearGradient;
    style.matrix = PathGradientMatrix(path);
    GradientRamp ramp = PathGradientRamp(path, fillType, stopCount);
    for (int32_t k = 0; k < ramp.Count; ++k) {
        const GradientEntry &entry = ramp.Entries[static_cast<size_t>(k)];
        style.gradient.push_back({static_cast<uint8_t>(Clamp8(entry.Ratio)), RgbaOf(entry.Colour)});
    }
    return style;
}

swf::LineStyleRecord LineStyleOf(const core::PathRecord &path)
{
    return {static_cast<uint16_t>(std::clamp(path.LineWidth, 0, 65535)), RgbaOf(path.LineColor)};
}

void WriteFillStyle(BitBuffer &buffer, const core::PathRecord &path, int16_t fillType)
{
    swf::WriteFillStyle(buffer, FillStyleOf(path, fillType, path.StopCount()), true, kGradientMatrixWidths);
}

void WriteMorphStyles(BitBuffer &fills, BitBuffer &lines, const core::PathRecord &start, const core::PathRecord &end)
{
    const int16_t fillType = EffectiveFillType(start);
    // Both sides take the same number of middle stops, so their records pair up.
    const int32_t stops = std::min(start.StopCount(), end.StopCount());
    swf::WriteMorphFillStyle(fills, FillStyleOf(start, fillType, stops), FillStyleOf(end, fillType, stops),
                             kGradientMatrixWidths);
    swf::WriteMorphLineStyle(lines, LineStyleOf(start), LineStyleOf(end));
}

}  // namespace movie
