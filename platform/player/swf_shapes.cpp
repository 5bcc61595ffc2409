// Shapes and morph shapes: their style arrays and edge records read into style groups, and the
// groups taken from the movies a player loaded before instead of being read or built again.
#include "platform/player/swf_shapes.h"

#include "platform/player/swf_parser.h"
#include "platform/base/parallel_for.h"
#include "platform/player/player_testing.h"
#include "platform/player/swf_path_pieces.h"
#include "platform/swf/shape_records.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstring>
#include <functional>
#include <limits>
#include <random>
#include <unordered_map>

namespace platform::swf {

namespace {

constexpr int kMorphTag = static_cast<int>(TagCode::DefineMorphShape);

FillStyle ToFillStyle(const FillStyleRecord &record)
{
    FillStyle style;
    if (IsGradientStyle(record.type)) {
        // A focal gradient is drawn as a plain radial gradient.
        style.kind = record.type == FillStyleType::LinearGradient ? FillKind::Linear : FillKind::Radial;
        style.matrix = ToTransform(record.matrix);
        for (const GradientRecord &entry : record.gradient) {
            style.stops.push_back({static_cast<double>(entry.ratio), ToQRgb(entry.colour)});
        }
    } else if (IsBitmapStyle(record.type)) {
        style.kind = FillKind::Bitmap;
        style.clipped = record.type == FillStyleType::ClippedBitmap || record.type == FillStyleType::RoughClippedBitmap;
        style.smoothed = record.type == FillStyleType::RepeatingBitmap || record.type == FillStyleType::ClippedBitmap;
        style.bitmapId = record.bitmapId;
        style.matrix = ToTransform(record.matrix);
    } else {
        style.color = ToQRgb(record.colour);
    }
    return style;
}

void ToStyles(const std::vector<FillStyleRecord> &fills, const std::vector<LineStyleRecord> &lines, StyleGroup &group)
{
    group.fills.clear();
    group.fills.reserve(fills.size());
    for (const FillStyleRecord &fill : fills) {
        group.fills.push_back(ToFillStyle(fill));
    }
    group.lines.clear();
    group.lines.reserve(lines.size());
    for (const LineStyleRecord &line : lines) {
        group.lines.push_back({static_cast<double>(line.width), ToQRgb(line.colour)});
    }
}

// FILLSTYLEARRAY and LINESTYLEARRAY of a shape; false when they could not be read whole. The
// records are read into buffers of the thread's own, kept from one style group to the next
// while they are small.
bool ReadStyleArrays(BitReader &in, int tagCode, StyleGroup &group)
{
    constexpr size_t kMostStylesKept = 256;
    thread_local std::vector<FillStyleRecord> fills;
    thread_local std::vector<LineStyleRecord> lines;
    const bool read = platform::swf::ReadStyleArrays(in, ShapeVersion::Of(static_cast<uint16_t>(tagCode)), fills, lines);
    if (read) {
        ToStyles(fills, lines, group);
    }
    if (fills.size() > kMostStylesKept || lines.size() > kMostStylesKept) {
        fills = {};
        lines = {};
    }
    return read;
}

bool ReadMorphStyleArrays(BitReader &in, StyleGroup &start, StyleGroup &end)
{
    std::vector<FillStyleRecord> startFills;
    std::vector<FillStyleRecord> endFills;
    std::vector<LineStyleRecord> startLines;
    std::vector<LineStyleRecord> endLines;
    if (!platform::swf::ReadMorphStyleArrays(in, startFills, endFills, startLines, endLines)) {
        return false;
    }
    ToStyles(startFills, startLines, start);
    ToStyles(endFills, endLines, end);
    return true;
}

// Where a style group's records start: the pen and the style indexes the record that brought
// its styles set.
struct GroupStart {
    int64_t x = 0;
    int64_t y = 0;
    int32_t fill0 = 0;
    int32_t fill1 = 0;
    int32_t line = 0;
};

// How the records of a style group ended.
enum class GroupEnd { End, NewStyles, Damaged };

// Reads SHAPERECORDs, a style group at a time: from the style bit counts after the group's style
// arrays up to the end record or the next record bringing new styles. Edges go into the group, or
// with scanning are only counted (no more than the budget allows). With keepAll every edge is kept
// (morph edges pair by index), else edges without any style are dropped.
class RecordReader {
public:
    RecordReader(BitReader &in, int tagCode, size_t &edgeBudget, bool keepAll)
        : in_(in), tagCode_(tagCode), edgeBudget_(edgeBudget), keepAll_(keepAll)
    {
    }

    void Start(const GroupStart &start)
    {
        x_ = start.x;
        y_ = start.y;
        fill0_ = start.fill0;
        fill1_ = start.fill1;
        line_ = start.line;
    }
    // The state the next group starts in, after a group that ended in new styles.
    GroupStart Next() const { return {x_, y_, fill0_, fill1_, line_}; }
    // Where the record that ended the last group starts: its bit position, the pen there and the
    // bit counts of the style indexes it holds.
    size_t EndBit() const { return endBit_; }
    void EndState(RawGroup &raw) const
    {
        raw.endX = endX_;
        raw.endY = endY_;
        raw.fillBits = static_cast<uint8_t>(bits_.fill);
        raw.lineBits = static_cast<uint8_t>(bits_.line);
    }

    // group null scans. After NewStyles the reader stands at the new style arrays.
    GroupEnd Read(StyleGroup *group)
    {
        scanned_ = 0;
        moves_ = RecordMoves::None;
        anyRecord_ = false;
        bits_ = ReadStyleIndexBits(in_);
        return ReadRecords(group);
    }
    // Where the records of the group read last moved the pen.
    RecordMoves Moves() const { return moves_; }
    // The edges a scan counted: those reading the group keeps.
    size_t Scanned() const { return scanned_; }

    // Reads the record that ended a group taken by its bytes, from the state kept with it.
    GroupEnd ReadEnd(const RawGroup &raw)
    {
        in_.SeekBit(in_.BitPos() + raw.bits);
        x_ = raw.endX;
        y_ = raw.endY;
        bits_ = {raw.fillBits, raw.lineBits};
        scanned_ = 0;
        return ReadRecords(nullptr);
    }

private:
    GroupEnd ReadRecords(StyleGroup *group)
    {
        while (!in_.Overrun()) {
            endBit_ = in_.BitPos();
            endX_ = x_;
            endY_ = y_;
            const ShapeRecordHead head = ReadShapeRecordHead(in_);
            if (head.edge || (head.flags != 0 && (head.flags & kStateNewStyles) == 0)) {
                NoteRecord(!head.edge && (head.flags & kStateMoveTo) != 0);
            }
            if (head.edge) {
                if (!ReadEdge(group)) {
                    return GroupEnd::Damaged;
                }
                continue;
            }
            if (head.flags == 0) {
                return in_.Overrun() ? GroupEnd::Damaged : GroupEnd::End;
            }
            ReadStyleChange(head.flags);
            if (head.flags & kStateNewStyles) {
                in_.Align();
                // Morph shapes cannot change their styles.
                return in_.Overrun() || tagCode_ == kMorphTag ? GroupEnd::Damaged : GroupEnd::NewStyles;
            }
        }
        return GroupEnd::Damaged;
    }

private:
    void NoteRecord(bool move)
    {
        if (move) {
            moves_ = anyRecord_ ? RecordMoves::Other : RecordMoves::First;
        }
        anyRecord_ = true;
    }

    void ReadStyleChange(uint8_t flags)
    {
        StyleChangeRecord record;
        platform::swf::ReadStyleChange(in_, flags, bits_, record);
        if (flags & kStateMoveTo) {
            x_ = record.moveX;
            y_ = record.moveY;
        }
        if (flags & kStateNewStyles) {
            fill0_ = fill1_ = line_ = 0;  // indexes into the new arrays
        }
        if (flags & kStateFillStyle0) {
            fill0_ = static_cast<int32_t>(record.fill0);
        }
        if (flags & kStateFillStyle1) {
            fill1_ = static_cast<int32_t>(record.fill1);
        }
        if (flags & kStateLineStyle) {
            line_ = static_cast<int32_t>(record.line);
        }
    }

    bool ReadEdge(StyleGroup *group)
    {
        if (edgeBudget_ == (group ? 0 : scanned_)) {
            return false;  // the movie's edges are spent
        }
        Edge edge;
        edge.from = QPointF(static_cast<double>(x_), static_cast<double>(y_));
        const EdgeRecord record = platform::swf::ReadEdge(in_);
        if (!record.straight) {
            x_ += record.controlDx;
            y_ += record.controlDy;
            edge.control = QPointF(static_cast<double>(x_), static_cast<double>(y_));
            edge.curved = true;
        }
        x_ += record.anchorDx;
        y_ += record.anchorDy;
        if (in_.Overrun()) {
            return false;
        }
        if (!keepAll_ && fill0_ == 0 && fill1_ == 0 && line_ == 0) {
            return true;
        }
        if (group == nullptr) {
            ++scanned_;
            return true;
        }
        edge.to = QPointF(static_cast<double>(x_), static_cast<double>(y_));
        edge.fill0 = fill0_;
        edge.fill1 = fill1_;
        edge.line = line_;
        group->edges.push_back(edge);
        --edgeBudget_;
        return true;
    }

    BitReader &in_;
    int tagCode_;
    size_t &edgeBudget_;
    bool keepAll_;
    int64_t x_ = 0;
    int64_t y_ = 0;
    int32_t fill0_ = 0;
    int32_t fill1_ = 0;
    int32_t line_ = 0;
    StyleIndexBits bits_;
    size_t endBit_ = 0;
    int64_t endX_ = 0;
    int64_t endY_ = 0;
    size_t scanned_ = 0;
    RecordMoves moves_ = RecordMoves::None;
    bool anyRecord_ = false;
};

}  // namespace

namespace {

// A value drawn once per process that every group hash starts from: the hashes of groups a file
// holds cannot be known when the file is made, so no file can crowd them into one part of an index.
uint64_t ProcessSeed()
{
    static const uint64_t seed = []() -> uint64_t {
        try {
            std::random_device device;
            return uint64_t{device()} << 32 ^ device();
        } catch (const std::exception &) {
            // No entropy source: the clock and where this process's data lies still vary.
            static const int local = 0;
            return static_cast<uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count()) ^
                   reinterpret_cast<uintptr_t>(&local);
        }
    }();
    return seed;
}

std::atomic<int> hashBitsKept{64};  // see KeepGroupHashBitsForTest

// The groups of a shape read whole are drawn in parts of this many, several parts at once.
constexpr size_t kGroupsPerPart = 512;
std::atomic<size_t> groupsPerPart{kGroupsPerPart};  // see SetShapeGroupsPerPartForTest

size_t GroupsPerPart()
{
    return groupsPerPart.load();
}

// A multiply-xorshift mix of values into a hash, a word at a time, from the process's seed.
class GroupHasher {
public:
    explicit GroupHasher(uint64_t salt) : hash_(salt ^ ProcessSeed())
    {
        hash_ = (hash_ ^ hash_ >> 31) * 0xBF58476D1CE4E5B9ull;
    }

    template <typename Value>
    void Mix(Value value)
    {
        static_assert(sizeof value <= sizeof(uint64_t));
        uint64_t word = 0;
        std::memcpy(&word, &value, sizeof value);
        hash_ = (hash_ ^ word) * 0x9E3779B97F4A7C15ull;
        hash_ ^= hash_ >> 29;
    }
    void Mix(const QPointF &point)
    {
        Mix(point.x());
        Mix(point.y());
    }
    uint64_t Value() const
    {
        const int bits = hashBitsKept.load(std::memory_order_relaxed);
        return bits >= 64 ? hash_ : hash_ & ((uint64_t{1} << bits) - 1);
    }

private:
    uint64_t hash_;
};

}  // namespace

}  // namespace platform::swf

void platform::KeepGroupHashBitsForTest(int bits)
{
    swf::hashBitsKept = std::clamp(bits, 0, 64);
}

void platform::SetShapeGroupsPerPartForTest(size_t groups)
{
    swf::groupsPerPart = groups == 0 ? swf::kGroupsPerPart : groups;
}

namespace platform::swf {

uint64_t HashGroupGeometry(const StyleGroup &group)
{
    GroupHasher hasher(0x13198A2E03707344ull);
    hasher.Mix(group.fills.size());
    for (const LineStyle &line : group.lines) {
        hasher.Mix(line.width);
    }
    hasher.Mix(-2);
    for (const Edge &edge : group.edges) {
        hasher.Mix(edge.from);
        hasher.Mix(edge.to);
        if (edge.curved) {
            hasher.Mix(edge.control);
        }
        hasher.Mix(static_cast<int64_t>(edge.fill0) << 33 ^ static_cast<int64_t>(edge.fill1) << 1 ^ edge.curved);
        hasher.Mix(edge.line);
    }
    return hasher.Value();
}

uint64_t HashGroup(const StyleGroup &group, uint64_t geometry)
{
    // Every style value that decides how the group looks, over the hash of its paths.
    GroupHasher hasher(0x243F6A8885A308D3ull);
    for (const FillStyle &fill : group.fills) {
        hasher.Mix(static_cast<int>(fill.kind));
        hasher.Mix(fill.color);
        for (double term : {fill.matrix.m11(), fill.matrix.m12(), fill.matrix.m21(), fill.matrix.m22(),
                            fill.matrix.dx(), fill.matrix.dy()}) {
            hasher.Mix(term);
        }
        for (const GradientStop &stop : fill.stops) {
            hasher.Mix(stop.ratio);
            hasher.Mix(stop.color);
        }
        hasher.Mix(fill.stops.size());
        hasher.Mix(fill.bitmapId);
        hasher.Mix(static_cast<int>(fill.clipped) * 2 + static_cast<int>(fill.smoothed));
    }
    hasher.Mix(-1);
    for (const LineStyle &line : group.lines) {
        hasher.Mix(line.color);
    }
    hasher.Mix(geometry);
    return hasher.Value();
}

uint64_t HashGroup(const StyleGroup &group)
{
    return HashGroup(group, HashGroupGeometry(group));
}

namespace {

// Exact comparisons of what the group hashes cover (QPointF's own comparison is fuzzy).
bool SamePoint(const QPointF &a, const QPointF &b)
{
    return a.x() == b.x() && a.y() == b.y();
}

bool SameMatrix(const QTransform &a, const QTransform &b)
{
    return a.m11() == b.m11() && a.m12() == b.m12() && a.m21() == b.m21() && a.m22() == b.m22() &&
           a.dx() == b.dx() && a.dy() == b.dy();
}

bool SameFill(const FillStyle &a, const FillStyle &b)
{
    return a.kind == b.kind && a.color == b.color && SameMatrix(a.matrix, b.matrix) && a.bitmapId == b.bitmapId &&
           a.clipped == b.clipped && a.smoothed == b.smoothed &&
           std::equal(a.stops.begin(), a.stops.end(), b.stops.begin(), b.stops.end(),
                      [](const GradientStop &x, const GradientStop &y) {
                          return x.ratio == y.ratio && x.color == y.color;
                      });
}

bool SameEdge(const Edge &a, const Edge &b)
{
    return a.curved == b.curved && SamePoint(a.from, b.from) && SamePoint(a.to, b.to) &&
           (!a.curved || SamePoint(a.control, b.control)) && a.fill0 == b.fill0 && a.fill1 == b.fill1 &&
           a.line == b.line;
}

}  // namespace

bool SameGeometry(const StyleGroup &a, const StyleGroup &b)
{
    return a.fills.size() == b.fills.size() &&
           std::equal(a.lines.begin(), a.lines.end(), b.lines.begin(), b.lines.end(),
                      [](const LineStyle &x, const LineStyle &y) { return x.width == y.width; }) &&
           std::equal(a.edges.begin(), a.edges.end(), b.edges.begin(), b.edges.end(), SameEdge);
}

namespace {

// The style values SameStyles compares, of a group read or drawn.
template <typename A, typename B>
bool SameStyleValues(const A &a, const B &b)
{
    return std::equal(a.fills.begin(), a.fills.end(), b.fills.begin(), b.fills.end(), SameFill) &&
           std::equal(a.lines.begin(), a.lines.end(), b.lines.begin(), b.lines.end(),
                      [](const LineStyle &x, const LineStyle &y) { return x.color == y.color; });
}

// Whether a group read has the style counts and line widths of a drawn one, which its paths
// depend on besides its edges.
bool SameStyleShape(const StyleGroup &group, const DrawnGroup &drawn)
{
    return group.fills.size() == drawn.fills.size() &&
           std::equal(group.lines.begin(), group.lines.end(), drawn.lines.begin(), drawn.lines.end(),
                      [](const LineStyle &x, const LineStyle &y) { return x.width == y.width; });
}

}  // namespace

bool SameStyles(const StyleGroup &a, const StyleGroup &b)
{
    return SameStyleValues(a, b);
}

namespace {

// A group drawn along the paths of another whose edges and line widths are the same: only its
// styles differ, and the paths (shared, not copied) do not depend on them.
DrawnGroup Restyled(const DrawnGroup &paths, const StyleGroup &group)
{
    DrawnGroup drawn = paths;
    drawn.fills = group.fills;
    drawn.lines = group.lines;
    return drawn;
}

// Moves the gradient and bitmap matrices of fills drawn from origin to (0, 0).
void FillsToOrigin(std::vector<FillStyle> &fills, const QPointF &origin)
{
    for (FillStyle &fill : fills) {
        if (fill.kind != FillKind::Solid) {
            const QTransform &m = fill.matrix;
            fill.matrix = QTransform(m.m11(), m.m12(), m.m21(), m.m22(), m.dx() - origin.x(), m.dy() - origin.y());
        }
    }
}

// Moves the group's own origin, the first point of its edges, to (0, 0) and returns where it was.
// Integer twips minus integer twips: the relative values are exact.
QPointF ToOwnOrigin(StyleGroup &group)
{
    const QPointF origin = group.edges.front().from;
    for (Edge &edge : group.edges) {
        edge.from -= origin;
        edge.to -= origin;
        if (edge.curved) {
            edge.control -= origin;
        }
    }
    FillsToOrigin(group.fills, origin);
    return origin;
}

// The bits of a style group in a movie: its whole bytes, and the last byte's used bits (the
// others zero) when it ends inside a byte.
struct GroupSpan {
    std::string_view whole;
    std::optional<uint8_t> last;
    size_t bits = 0;
};

GroupSpan SpanOf(std::string_view data, size_t beginByte, size_t endBit)
{
    const size_t bits = endBit - beginByte * 8;
    GroupSpan span{data.substr(beginByte, bits / 8), std::nullopt, bits};
    if (bits % 8 != 0) {
        const int used = static_cast<int>(bits % 8);
        span.last = static_cast<uint8_t>(static_cast<uint8_t>(data[endBit / 8]) & (0xFF00u >> used));
    }
    return span;
}

uint64_t HashRawGroup(const GroupSpan &span, const GroupStart &start, int tagCode)
{
    GroupHasher hasher(0xA4093822299F31D0ull);
    size_t i = 0;
    for (; i + 8 <= span.whole.size(); i += 8) {
        uint64_t word;
        std::memcpy(&word, span.whole.data() + i, sizeof word);
        hasher.Mix(word);
    }
    for (; i < span.whole.size(); ++i) {
        hasher.Mix(span.whole[i]);
    }
    hasher.Mix(span.last.value_or(0));
    hasher.Mix(span.bits);
    hasher.Mix(start.x);
    hasher.Mix(start.y);
    hasher.Mix(static_cast<int64_t>(start.fill0) << 32 ^ start.fill1);
    hasher.Mix(static_cast<int64_t>(start.line) << 32 ^ tagCode);
    return hasher.Value();
}

bool SameRawGroup(const RawGroup &raw, const MovieGroups &cache, const GroupSpan &span, const GroupStart &start,
                  int tagCode)
{
    if (raw.bits != span.bits || raw.tagCode != tagCode || raw.penX != start.x || raw.penY != start.y ||
        raw.fill0 != start.fill0 || raw.fill1 != start.fill1 || raw.line != start.line) {
        return false;
    }
    const std::string_view kept = cache.Bytes(raw);
    const unsigned usedBits = static_cast<unsigned>(raw.bits % 8);
    return kept.size() == (raw.bits + 7) / 8 && kept.substr(0, span.whole.size()) == span.whole &&
           (!span.last || (static_cast<uint8_t>(kept.back()) & (0xFF00u >> usedBits)) == *span.last);
}

// Whether bits [from, to) of a and b, counted from their first bytes' high bits, are the same.
// Both hold at least to bits.
bool SameBits(std::string_view a, std::string_view b, size_t from, size_t to)
{
    if (from >= to) {
        return true;
    }
    auto byteAt = [](std::string_view bytes, size_t index) { return static_cast<uint8_t>(bytes[index]); };
    const size_t first = from / 8;
    const size_t last = (to - 1) / 8;
    const unsigned head = 0xFFu >> (from % 8);                    // bits of the first byte from `from` on
    const unsigned used = 0xFF00u >> ((to - 1) % 8 + 1) & 0xFFu;  // bits of the last byte before `to`
    if (first == last) {
        return ((byteAt(a, first) ^ byteAt(b, first)) & head & used) == 0;
    }
    return ((byteAt(a, first) ^ byteAt(b, first)) & head) == 0 &&
           std::memcmp(a.data() + first + 1, b.data() + first + 1, last - first - 1) == 0 &&
           ((byteAt(a, last) ^ byteAt(b, last)) & used) == 0;
}

// The move of a group's first record, its records read from their first byte (the bit counts of
// style indexes): where its two fields start, in bits, their width and values. Nothing when the
// first record does not move the pen.
struct FirstMove {
    size_t at = 0;
    int bits = 0;
    int64_t x = 0;
    int64_t y = 0;
};

std::optional<FirstMove> FirstMoveOf(std::string_view records)
{
    BitReader in(records);
    ReadStyleIndexBits(in);
    const ShapeRecordHead head = ReadShapeRecordHead(in);
    if (head.edge || (head.flags & kStateMoveTo) == 0 || (head.flags & kStateNewStyles) != 0) {
        return std::nullopt;
    }
    FirstMove move;
    move.bits = static_cast<int>(in.UB(5));
    move.at = in.BitPos();
    move.x = in.SB(move.bits);
    move.y = in.SB(move.bits);
    if (in.Overrun()) {
        return std::nullopt;
    }
    return move;
}

// Reads the style groups of a shape. With the kept groups of the player's last movie, the groups
// of the same character there whose bits the new shape repeats at its start and at its end are
// taken whole, without looking at them one by one: only the part between is read. With caches, a
// group whose bytes and starting state a cache holds is taken from there after a scan of its
// records (edges counted, not kept); a group read whole is taken from there when its styles and
// edges relative to its origin are found.
class ShapeParser {
    // The caches groups are taken from, each with the position of the group expected next.
    struct Source {
        const MovieGroups *cache = nullptr;
        size_t following = 0;
    };

public:
    ShapeParser(BitReader &in, int tagCode, uint16_t id, size_t &edgeBudget, const GroupReuse &reuse)
        : in_(in), tagCode_(tagCode), id_(id), edgeBudget_(edgeBudget), reuse_(reuse),
          records_(in, tagCode, edgeBudget, false)
    {
        // Each cache expects the groups of its shape of this character first.
        auto firstOf = [&](const MovieGroups &cache) {
            const auto shape = cache.shapes.find(id);
            return shape == cache.shapes.end() ? size_t{0} : shape->second.first;
        };
        if (reuse.lastLoaded) {
            sources_.push_back({reuse.lastLoaded, firstOf(*reuse.lastLoaded)});
        }
        for (const MovieGroups *other : reuse.otherPlayers) {
            sources_.push_back({other, firstOf(*other)});
        }
        if (reuse.update) {
            tagBegin_ = static_cast<size_t>(in.Data().data() - reuse.body.data());
            firstKept_ = reuse.update->order.size();
        }
    }

    ShapeCharacter Parse()
    {
        ReadRect(in_);  // bounds: the edges say where the shape is
        in_.Align();
        groupsBegin_ = in_.BytePos();
        GroupStart start;
        GroupEnd end = GroupEnd::NewStyles;
        StartFromKept();
        ReuseUnchangedHead(start, end);
        while (end == GroupEnd::NewStyles) {
            const size_t begin = in_.BytePos();
            if (ReuseUnchangedTail(begin, start)) {
                end = GroupEnd::End;
                break;
            }
            if (!ReuseCachedGroup(begin, start, end) && !ReadLater(begin, start, end)) {
                in_.Seek(begin);
                records_.Start(start);
                group_.edges.clear();
                if (!ReadStyleArrays(in_, tagCode_, group_)) {
                    end = GroupEnd::Damaged;
                    break;
                }
                recordsAt_ = static_cast<uint32_t>((in_.BitPos() + 7) / 8 - begin);
                const size_t budget = edgeBudget_;
                end = records_.Read(&group_);
                ReadDone(begin, start, end, budget - edgeBudget_);
            }
            if (end == GroupEnd::NewStyles) {
                start = records_.Next();
            }
        }
        DrawPending();
        KeepShape(end);
        return Assembled();
    }

private:
    // Finds the kept shape of this character, when the movie it was kept for is the previous
    // one and its list of groups can be taken over, and compares its bytes with the new ones.
    void StartFromKept()
    {
        if (!reuse_.previous || !reuse_.update) {
            return;
        }
        const MovieGroups &kept = *reuse_.lastLoaded;
        const auto shape = kept.shapes.find(id_);
        const auto character = reuse_.previous->characters.find(id_);
        if (shape == kept.shapes.end() || !shape->second.complete || shape->second.tagCode != tagCode_ ||
            character == reuse_.previous->characters.end()) {
            return;
        }
        auto *previous = std::get_if<ShapeCharacter>(&character->second);
        if (previous == nullptr || previous->groups.size() != shape->second.count ||
            shape->second.groupsEnd > kept.body.size() || shape->second.groupsBegin > shape->second.groupsEnd) {
            return;
        }
        old_ = &shape->second;
        oldGroups_ = &previous->groups;
        // A shape written again whole (every path changed) has as many groups as the old one: its
        // lists are not grown in steps.
        shape_.groups.reserve(old_->count);
        const std::string_view now = in_.Data().substr(std::min(groupsBegin_, in_.Data().size()));
        const std::string_view was =
            std::string_view(kept.body).substr(old_->groupsBegin, old_->groupsEnd - old_->groupsBegin);
        sameHead_ = CommonPrefix(now, was);
        sameTail_ = CommonSuffix(now, was, std::min(now.size(), was.size()) - sameHead_);
        sizeChange_ = static_cast<int64_t>(now.size()) - static_cast<int64_t>(was.size());
    }

    // Where a kept group of the old shape starts, counted from the shape's first group.
    size_t OldOffset(size_t position) const { return reuse_.lastLoaded->At(position).byteBegin - old_->groupsBegin; }

    // Takes the leading groups of the old shape whose bits and the bits before them are
    // unchanged, and reads the record after the last of them as reading it would.
    void ReuseUnchangedHead(GroupStart &start, GroupEnd &end)
    {
        if (!old_) {
            return;
        }
        const MovieGroups &kept = *reuse_.lastLoaded;
        const size_t first = old_->first;
        // Groups are in byte order: those whose whole bytes lie within the common head come first.
        size_t taken = static_cast<size_t>(
            std::partition_point(kept.order.begin() + static_cast<ptrdiff_t>(first),
                                 kept.order.begin() + static_cast<ptrdiff_t>(first + old_->count),
                                 [&](uint32_t slot) {
                                     const RawGroup &raw = kept.rawGroups[slot];
                                     return raw.byteBegin - old_->groupsBegin + raw.bits / 8 <= sameHead_;
                                 }) -
            (kept.order.begin() + static_cast<ptrdiff_t>(first)));
        // The last may share its last byte with a changed record after it.
        auto fits = [&](size_t position) {
            const RawGroup &raw = kept.At(position);
            const size_t endBit = (groupsBegin_ + OldOffset(position)) * 8 + raw.bits;
            if (raw.edgesBefore + raw.edges > edgeBudget_ || !EndsGroup(in_.Data(), endBit)) {
                return false;
            }
            const unsigned mask = 0xFF00u >> (raw.bits % 8);
            return raw.bits % 8 == 0 || (static_cast<uint8_t>(in_.Data()[endBit / 8]) & mask) ==
                                            (static_cast<uint8_t>(kept.body[raw.byteBegin + raw.bits / 8]) & mask);
        };
        while (taken > 0 && !fits(first + taken - 1)) {
            --taken;
        }
        if (taken == 0) {
            return;
        }
        const RawGroup &last = kept.At(first + taken - 1);
        in_.Seek(groupsBegin_ + OldOffset(first + taken - 1));
        end = records_.ReadEnd(last);
        start = records_.Next();
        const size_t edges = last.edgesBefore + last.edges;
        edgeBudget_ -= edges;
        shapeEdges_ = edges;
        headTaken_ = taken;
        sources_.front().following = first + taken;
        EnterReusedRun(first, first + taken, static_cast<int64_t>(tagBegin_ + groupsBegin_) -
                                          static_cast<int64_t>(old_->groupsBegin), 0);
    }

    // Takes the rest of the old shape when the group starting at begin (from start) is one of it
    // and every byte from there to the end of the shape is unchanged.
    bool ReuseUnchangedTail(size_t begin, const GroupStart &start)
    {
        const size_t nowSize = in_.Data().size();
        if (!old_ || begin < groupsBegin_ || begin > nowSize || nowSize - begin > sameTail_) {
            return false;
        }
        const int64_t wasOffset = static_cast<int64_t>(begin - groupsBegin_) - sizeChange_;
        const MovieGroups &kept = *reuse_.lastLoaded;
        const size_t from = old_->first + headTaken_;
        const size_t to = old_->first + old_->count;
        const auto found = std::partition_point(
            kept.order.begin() + static_cast<ptrdiff_t>(from), kept.order.begin() + static_cast<ptrdiff_t>(to),
            [&](uint32_t slot) {
                return static_cast<int64_t>(kept.rawGroups[slot].byteBegin - old_->groupsBegin) < wasOffset;
            });
        const auto position = static_cast<size_t>(found - kept.order.begin());
        if (position == to || static_cast<int64_t>(OldOffset(position)) != wasOffset) {
            return false;
        }
        const RawGroup &raw = kept.At(position);
        const size_t edges = old_->edges - raw.edgesBefore;
        if (raw.tagCode != tagCode_ || raw.penX != start.x || raw.penY != start.y || raw.fill0 != start.fill0 ||
            raw.fill1 != start.fill1 || raw.line != start.line || edges > edgeBudget_) {
            return false;
        }
        edgeBudget_ -= edges;
        const int64_t edgeShift = static_cast<int64_t>(shapeEdges_) - static_cast<int64_t>(raw.edgesBefore);
        shapeEdges_ += edges;
        tailFrom_ = position - old_->first;
        EnterReusedRun(position, to,
                static_cast<int64_t>(tagBegin_ + groupsBegin_) - static_cast<int64_t>(old_->groupsBegin) + sizeChange_,
                edgeShift);
        return true;
    }

    // Enters a run of the kept movie's groups in the new movie, as they are.
    void EnterReusedRun(size_t begin, size_t end, int64_t byteShift, int64_t edgeShift)
    {
        GroupsUpdate &update = *reuse_.update;
        const int64_t positionShift = static_cast<int64_t>(update.order.size()) - static_cast<int64_t>(begin);
        update.reused.push_back({begin, end, byteShift, edgeShift, positionShift});
        const auto &order = reuse_.lastLoaded->order;
        update.order.insert(update.order.end(), order.begin() + static_cast<ptrdiff_t>(begin),
                            order.begin() + static_cast<ptrdiff_t>(end));
    }

    // The shape's groups: those read or taken one by one, between the old shape's runs taken
    // whole. The old list is taken over (moved when no one else holds it) and changed in place.
    ShapeCharacter Assembled()
    {
        if (!old_ || (headTaken_ == 0 && !tailFrom_)) {
            return std::move(shape_);
        }
        std::vector<PlacedGroup> middle = std::move(shape_.groups);
        const size_t head = headTaken_;
        const size_t tail = tailFrom_.value_or(old_->count);
        std::vector<PlacedGroup> &old = *oldGroups_;
        shape_.origin = ShapeCharacter::Origin{reuse_.previous->serial, old.size(), head, old.size() - tail};
        if (reuse_.previousOwned) {
            shape_.groups = std::move(old);
            std::vector<PlacedGroup> &groups = shape_.groups;
            const size_t common = std::min(tail - head, middle.size());
            std::move(middle.begin(), middle.begin() + static_cast<ptrdiff_t>(common),
                      groups.begin() + static_cast<ptrdiff_t>(head));
            if (middle.size() > common) {
                groups.insert(groups.begin() + static_cast<ptrdiff_t>(tail),
                              std::make_move_iterator(middle.begin() + static_cast<ptrdiff_t>(common)),
                              std::make_move_iterator(middle.end()));
            } else {
                groups.erase(groups.begin() + static_cast<ptrdiff_t>(head + common),
                             groups.begin() + static_cast<ptrdiff_t>(tail));
            }
        } else {
            std::vector<PlacedGroup> &groups = shape_.groups;
            groups.reserve(head + middle.size() + (old.size() - tail));
            groups.insert(groups.end(), old.begin(), old.begin() + static_cast<ptrdiff_t>(head));
            groups.insert(groups.end(), std::make_move_iterator(middle.begin()), std::make_move_iterator(middle.end()));
            groups.insert(groups.end(), old.begin() + static_cast<ptrdiff_t>(tail), old.end());
        }
        return std::move(shape_);
    }

    bool ReuseCachedGroup(size_t begin, const GroupStart &start, GroupEnd &end)
    {
        return ReuseFollowingGroup(begin, start, end) || ReuseSameRecords(begin, start, end) ||
               ReuseScannedGroup(begin, start, end);
    }

    // The group that followed the last one taken from a cache, when its bits come next here,
    // from the same state, and a record that ends a group follows them: then reading would end
    // the group there too. Without a scan, for the common case of a movie written again.
    bool ReuseFollowingGroup(size_t begin, const GroupStart &start, GroupEnd &end)
    {
        for (Source &source : sources_) {
            if (!source.cache || source.following >= source.cache->order.size()) {
                continue;
            }
            const RawGroup &raw = source.cache->At(source.following);
            const std::string_view data = in_.Data();
            const size_t endBit = begin * 8 + raw.bits;
            if (raw.edges > edgeBudget_ || endBit + 6 > data.size() * 8) {
                continue;
            }
            const GroupSpan span = SpanOf(data, begin, endBit);
            if (SameRawGroup(raw, *source.cache, span, start, tagCode_) && EndsGroup(data, endBit)) {
                end = records_.ReadEnd(raw);
                ++source.following;
                Take(raw, span, start);
                return true;
            }
        }
        return false;
    }

    // Whether the record at bit is an end record or brings new styles.
    static bool EndsGroup(std::string_view data, size_t bit)
    {
        BitReader record(data);
        record.SeekBit(bit);
        const ShapeRecordHead head = ReadShapeRecordHead(record);
        return !record.Overrun() && !head.edge && (head.flags == 0 || (head.flags & kStateNewStyles) != 0);
    }

    // What a scan of a group's records (its edges counted, not kept) told: how they ended, where
    // they start (from the group's first byte), the edges reading them keeps, and the hash of the
    // group's bits. Reader and records stand after the group, as reading it leaves them.
    struct Scan {
        size_t begin = 0;
        GroupEnd end = GroupEnd::End;
        uint32_t recordsAt = 0;
        size_t edges = 0;
        uint64_t rawKey = 0;
    };

    // Scans the group starting at begin (from start); nothing when it cannot be read whole.
    std::optional<Scan> ScanGroup(size_t begin, const GroupStart &start)
    {
        in_.Seek(begin);
        records_.Start(start);
        if (!ReadStyleArrays(in_, tagCode_, scratch_)) {
            return std::nullopt;
        }
        Scan scan;
        scan.begin = begin;
        scan.recordsAt = static_cast<uint32_t>((in_.BitPos() + 7) / 8 - begin);
        scan.end = records_.Read(nullptr);
        if (scan.end == GroupEnd::Damaged) {
            return std::nullopt;
        }
        scan.edges = records_.Scanned();
        scan.rawKey = HashRawGroup(SpanOf(in_.Data(), begin, records_.EndBit()), start, tagCode_);
        return scan;
    }

    // A group found by the hash of its bits, after a scan of its records has told where they end.
    // The scan of one not found is kept for reading it later.
    bool ReuseScannedGroup(size_t begin, const GroupStart &start, GroupEnd &end)
    {
        const bool anyKept = std::any_of(sources_.begin(), sources_.end(), [](const Source &source) {
            return source.cache && source.cache->size() > 0;
        });
        if (!anyKept || !(scan_ = ScanGroup(begin, start))) {
            return false;
        }
        end = scan_->end;
        const GroupSpan span = SpanOf(in_.Data(), begin, records_.EndBit());
        Source *source = nullptr;
        const RawGroup *raw = FindByBits(span, start, scan_->rawKey, source);
        if (raw) {
            scan_.reset();
            source->following = raw->position + 1;
            Take(*raw, span, start);
        }
        return raw != nullptr;
    }

    // A group no cache holds, read after the other groups of the shape, together with them in
    // parts on several threads: its records are scanned now (when looking it up did not scan
    // them already), which tells where it ends and the edges it charges; DrawPending makes what it
    // draws. False when it cannot be scanned whole (a damaged file): it is read now instead.
    bool ReadLater(size_t begin, const GroupStart &start, GroupEnd &end)
    {
        if (!scan_ || scan_->begin != begin) {
            scan_ = ScanGroup(begin, start);
        }
        const std::optional<Scan> scan = std::exchange(scan_, std::nullopt);
        if (!scan) {
            return false;
        }
        end = scan->end;
        if (scan->edges == 0) {
            return true;  // draws nothing, and is not kept (as ReadDone)
        }
        const size_t budget = edgeBudget_;
        edgeBudget_ -= scan->edges;
        recordsAt_ = scan->recordsAt;
        RawGroup raw = ReadState(start, scan->edges);
        const size_t index = shape_.groups.size();
        const std::optional<uint32_t> slot = Enter(begin, start, end, raw, scan->rawKey);
        pending_.push_back({begin, start, budget, index, slot});
        return true;
    }

    // The groups read later (see ReadLater), decoded and drawn in parts, several at once; each
    // takes its place in the shape and among the groups kept.
    void DrawPending()
    {
        if (pending_.empty()) {
            return;
        }
        std::vector<DrawnRead> drawn(pending_.size());
        const size_t perPart = GroupsPerPart();
        const size_t parts = pending_.size() / perPart + (pending_.size() % perPart != 0 ? 1 : 0);
        platform::ParallelFor(parts, [&](size_t part) {
            StyleGroup group;
            StyleGroup kept;
            const size_t first = part * perPart;
            for (size_t i = first; i < std::min(pending_.size(), first + perPart); ++i) {
                const PendingRead &read = pending_[i];
                BitReader in(in_.Data());
                in.Seek(read.begin);
                size_t budget = read.budget;
                RecordReader records(in, tagCode_, budget, false);
                records.Start(read.start);
                group.edges.clear();
                ReadStyleArrays(in, tagCode_, group);  // read whole by the scan before
                records.Read(&group);
                drawn[i] = Draw(group, kept);
            }
        });
        for (size_t i = 0; i < pending_.size(); ++i) {
            const PendingRead &read = pending_[i];
            if (drawn[i].built) {
                Count(&ParseCounts::groupsBuilt);
            }
            shape_.groups[read.index] = drawn[i].placed;
            if (read.slot) {
                drawn[i].Into(reuse_.lastLoaded->rawGroups[*read.slot]);
            }
        }
        pending_.clear();
    }

    // The kept group of exactly the span's bits read from start (key: their HashRawGroup), in any
    // cache, and its cache.
    const RawGroup *FindByBits(const GroupSpan &span, const GroupStart &start, uint64_t key, Source *&from)
    {
        for (Source &source : sources_) {
            const uint32_t slot = source.cache ? source.cache->rawIndex.Find(key, source.cache->RawKeys()) : GroupIndex::kNone;
            if (slot != GroupIndex::kNone && SameRawGroup(source.cache->rawGroups[slot], *source.cache, span, start, tagCode_)) {
                from = &source;
                return &source.cache->rawGroups[slot];
            }
        }
        return nullptr;
    }

    // The group a cache expects next, when a group read from start could repeat its records.
    const RawGroup *Expected(const Source &source, const GroupStart &start) const
    {
        if (!source.cache || source.following >= source.cache->order.size()) {
            return nullptr;
        }
        const RawGroup &raw = source.cache->At(source.following);
        const bool usable = raw.tagCode == tagCode_ && raw.fill0 == start.fill0 && raw.fill1 == start.fill1 &&
                            raw.line == start.line && raw.edges <= edgeBudget_ && raw.recordsAt > 0 &&
                            size_t{raw.recordsAt} * 8 <= raw.bits;
        return usable ? &raw : nullptr;
    }

    // How far the edges of records starting at byte recordsBegin (read from start) lie from those
    // of the kept group raw, when they are the same relative to their first point: the records'
    // bits are raw's (but for the place its first record moves to) and a record ending a group
    // follows them.
    std::optional<QPointF> RecordsShift(const RawGroup &raw, const MovieGroups &cache, size_t recordsBegin,
                                        const GroupStart &start) const
    {
        const size_t recordBits = raw.bits - size_t{raw.recordsAt} * 8;
        const std::string_view data = in_.Data();
        const size_t endBit = recordsBegin * 8 + recordBits;
        if (recordsBegin > data.size() || endBit + 6 > data.size() * 8) {
            return std::nullopt;
        }
        const std::string_view now = data.substr(recordsBegin, (recordBits + 7) / 8);
        const std::string_view was = cache.Bytes(raw).substr(raw.recordsAt);
        if (now.size() != was.size()) {
            return std::nullopt;
        }
        size_t skipFrom = recordBits;  // the bits of the first record's move, not compared
        size_t skipTo = recordBits;
        QPointF shift;
        switch (raw.moves) {
        case RecordMoves::None:
            shift = QPointF(static_cast<double>(start.x - raw.penX), static_cast<double>(start.y - raw.penY));
            break;
        case RecordMoves::First: {
            const std::optional<FirstMove> a = FirstMoveOf(now);
            const std::optional<FirstMove> b = FirstMoveOf(was);
            if (!a || !b || a->at != b->at || a->bits != b->bits || a->at + 2 * size_t(a->bits) > recordBits) {
                return std::nullopt;
            }
            skipFrom = a->at;
            skipTo = a->at + 2 * size_t(a->bits);
            shift = QPointF(static_cast<double>(a->x - b->x), static_cast<double>(a->y - b->y));
            break;
        }
        case RecordMoves::Other:
            if (start.x != raw.penX || start.y != raw.penY) {
                return std::nullopt;
            }
            break;
        }
        if (!SameBits(now, was, 0, skipFrom) || !SameBits(now, was, skipTo, recordBits) || !EndsGroup(data, endBit)) {
            return std::nullopt;
        }
        return shift;
    }

    // A group whose edge records repeat those of the group a cache expects next, read from a
    // state that puts its edges in the same places relative to their first point: its style
    // arrays are read and its records compared as bits, its edges not decoded. A group of exactly
    // its bits in any cache is taken as it is; else the expected group's paths are taken, at the
    // place the records put them, with the styles read. In stands at begin when none is taken.
    bool ReuseSameRecords(size_t begin, const GroupStart &start, GroupEnd &end)
    {
        if (std::none_of(sources_.begin(), sources_.end(),
                         [&](const Source &source) { return Expected(source, start) != nullptr; })) {
            return false;
        }
        const bool read = ReadStyleArrays(in_, tagCode_, group_);
        const size_t recordsBegin = (in_.BitPos() + 7) / 8;
        in_.Seek(begin);
        if (!read) {
            return false;
        }
        for (Source &source : sources_) {
            const RawGroup *expected = Expected(source, start);
            std::optional<QPointF> shift;
            if (expected == nullptr || !SameStyleShape(group_, *expected->placed.group) ||
                !(shift = RecordsShift(*expected, *source.cache, recordsBegin, start))) {
                continue;
            }
            RawGroup raw = *expected;  // a copy: slots may move as groups are kept
            raw.recordsAt = static_cast<uint32_t>(recordsBegin - begin);
            raw.bits = raw.bits - size_t{expected->recordsAt} * 8 + size_t{raw.recordsAt} * 8;
            raw.endX += static_cast<int64_t>(shift->x());
            raw.endY += static_cast<int64_t>(shift->y());
            const GroupSpan span = SpanOf(in_.Data(), begin, begin * 8 + raw.bits);
            const uint64_t key = HashRawGroup(span, start, tagCode_);
            Source *exactFrom = nullptr;
            if (const RawGroup *exact = FindByBits(span, start, key, exactFrom)) {
                end = records_.ReadEnd(*exact);
                exactFrom->following = exact->position + 1;
                Take(*exact, span, start);
                return true;
            }
            end = records_.ReadEnd(raw);
            Restyle(raw, *shift);
            for (Source &other : sources_) {
                ++other.following;  // past the group this one replaces
            }
            raw.penX = start.x;
            raw.penY = start.y;
            Count(&ParseCounts::groupsRead);
            edgeBudget_ -= raw.edges;
            shapeEdges_ += raw.edges;
            shape_.groups.push_back(raw.placed);
            Keep(span, raw, key);
            return true;
        }
        return false;
    }

    // Gives raw, a kept group whose paths the group read (its styles in group_) takes, the place
    // and styles of that group: its paths moved by shift, restyled unless its styles are the same.
    void Restyle(RawGroup &raw, const QPointF &shift)
    {
        raw.placed.offset += shift;
        FillsToOrigin(group_.fills, raw.placed.offset);
        raw.styleKey = HashGroup(group_, raw.geometryKey);
        const DrawnGroup &paths = *raw.placed.group;
        if (!SameStyleValues(group_, paths)) {
            raw.placed.group = std::make_shared<const DrawnGroup>(Restyled(paths, group_));
        }
    }

    void Take(const RawGroup &raw, const GroupSpan &span, const GroupStart &start)
    {
        Count(&ParseCounts::groupsTaken);
        edgeBudget_ -= std::min<size_t>(raw.edges, edgeBudget_);
        shapeEdges_ += raw.edges;
        shape_.groups.push_back(raw.placed);
        Keep(span, raw, HashRawGroup(span, start, tagCode_));
    }

    // The group just read (its edges in group_): taken from a cache or built, and kept for the
    // next movie.
    void ReadDone(size_t begin, const GroupStart &start, GroupEnd end, size_t charged)
    {
        if (group_.edges.empty()) {
            return;  // draws nothing, and is not kept: bytes without edges cost no memory
        }
        RawGroup raw = ReadState(start, charged);
        const DrawnRead drawn = Draw(group_, kept_);
        if (drawn.built) {
            Count(&ParseCounts::groupsBuilt);
        }
        drawn.Into(raw);
        Enter(begin, start, end, raw, std::nullopt);
    }

    // What is kept of a group read or scanned from start, its records charging edges, besides
    // what it draws.
    RawGroup ReadState(const GroupStart &start, size_t charged) const
    {
        RawGroup raw;
        raw.moves = records_.Moves();
        raw.recordsAt = recordsAt_;
        raw.penX = start.x;
        raw.penY = start.y;
        raw.fill0 = start.fill0;
        raw.fill1 = start.fill1;
        raw.line = start.line;
        raw.tagCode = static_cast<uint8_t>(tagCode_);
        raw.edges = static_cast<uint32_t>(charged);
        return raw;
    }

    // Enters the group read last (raw, with what it draws or a place for it) in the shape and in
    // the groups kept for the next movie (rawKey: the hash of its bits, when known); returns its
    // slot there when it is kept.
    std::optional<uint32_t> Enter(size_t begin, const GroupStart &start, GroupEnd end, RawGroup &raw,
                                  std::optional<uint64_t> rawKey)
    {
        Count(&ParseCounts::groupsRead);
        Count(&ParseCounts::groupsDecoded);
        shape_.groups.push_back(raw.placed);
        shapeEdges_ += raw.edges;
        for (Source &source : sources_) {
            ++source.following;  // taken for the group this one replaces
        }
        if (end == GroupEnd::Damaged) {  // a damaged file's last group is not kept
            allKept_ = false;
            return std::nullopt;
        }
        records_.EndState(raw);
        const GroupSpan span = SpanOf(in_.Data(), begin, records_.EndBit());
        return Keep(span, raw, rawKey ? *rawKey : HashRawGroup(span, start, tagCode_));
    }

    // A group read, as a shape draws it: where its own origin lies, its hashes, and the drawn
    // group, taken from a cache or built (then built is set).
    struct DrawnRead {
        PlacedGroup placed;
        uint64_t styleKey = 0;
        uint64_t geometryKey = 0;
        bool built = false;

        void Into(RawGroup &raw) const
        {
            raw.placed = placed;
            raw.styleKey = styleKey;
            raw.geometryKey = geometryKey;
        }
    };

    // Moves group (as read) to its own origin and draws it; kept is room for a kept group read
    // again. Reads the caches only, so groups are drawn on several threads at once.
    DrawnRead Draw(StyleGroup &group, StyleGroup &kept) const
    {
        DrawnRead drawn;
        drawn.placed.offset = ToOwnOrigin(group);
        drawn.geometryKey = HashGroupGeometry(group);
        drawn.styleKey = HashGroup(group, drawn.geometryKey);
        drawn.placed.group = Drawn(group, drawn.styleKey, drawn.geometryKey, kept, drawn.built);
        return drawn;
    }

    // A group read (at its own origin) as drawn: a kept group that draws the same, one with the
    // same paths restyled, or built anew (built is set then). A kept group found by a hash is read
    // again from its kept bytes (into kept) and compared first: two groups with one hash are never
    // taken for one.
    GroupPtr Drawn(const StyleGroup &group, uint64_t key, uint64_t geometry, StyleGroup &kept, bool &built) const
    {
        for (const Source &source : sources_) {
            const MovieGroups *cache = source.cache;
            if (!cache) {
                continue;
            }
            if (const uint32_t found = cache->groups.Find(key, cache->StyleKeys());
                found != GroupIndex::kNone && ReadKept(*cache, cache->rawGroups[found], kept) &&
                SameStyles(kept, group) && SameGeometry(kept, group)) {
                return cache->rawGroups[found].placed.group;
            }
            if (const uint32_t same = cache->geometry.Find(geometry, cache->GeometryKeys());
                same != GroupIndex::kNone && ReadKept(*cache, cache->rawGroups[same], kept) &&
                SameGeometry(kept, group)) {
                return std::make_shared<const DrawnGroup>(Restyled(*cache->rawGroups[same].placed.group, group));
            }
        }
        built = true;
        return std::make_shared<const DrawnGroup>(BuildDrawnGroup(group));
    }

    // Reads a kept group again from its bytes into kept, moved to its own origin as when it was
    // first read. False when its bytes no longer give a group (never for a group that was kept).
    static bool ReadKept(const MovieGroups &cache, const RawGroup &raw, StyleGroup &kept)
    {
        BitReader in(cache.Bytes(raw));
        size_t budget = raw.edges;
        RecordReader records(in, raw.tagCode, budget, false);
        records.Start({raw.penX, raw.penY, raw.fill0, raw.fill1, raw.line});
        kept.edges.clear();
        if (!ReadStyleArrays(in, raw.tagCode, kept)) {
            return false;
        }
        records.Read(&kept);
        if (kept.edges.empty()) {
            return false;
        }
        ToOwnOrigin(kept);
        return true;
    }

    void Count(int64_t ParseCounts::*counter)
    {
        if (reuse_.counts) {
            ++(reuse_.counts->*counter);
        }
    }

    // Enters the group in the groups the new movie keeps, its bits where they lie in its body
    // (rawKey: their HashRawGroup); returns its slot there.
    std::optional<uint32_t> Keep(const GroupSpan &span, const RawGroup &raw, uint64_t rawKey)
    {
        if (!reuse_.update || reuse_.lastLoaded->rawGroups.size() >= GroupIndex::kNone - 1) {
            allKept_ = false;
            return std::nullopt;
        }
        GroupsUpdate &update = *reuse_.update;
        RawGroup kept = raw;
        kept.byteBegin = tagBegin_ + static_cast<size_t>(span.whole.data() - in_.Data().data());
        kept.bits = span.bits;
        kept.edgesBefore = static_cast<uint32_t>(shapeEdges_ - kept.edges);
        kept.position = static_cast<uint32_t>(update.order.size());
        kept.rawKey = rawKey;
        const uint32_t slot = reuse_.lastLoaded->NewSlot(std::move(kept));
        update.order.push_back(slot);
        update.added.push_back(slot);
        return slot;
    }

    // Enters the shape in the groups the new movie keeps, for the next movie's shape of its id.
    void KeepShape(GroupEnd end)
    {
        if (!reuse_.update) {
            return;
        }
        GroupsUpdate &update = *reuse_.update;
        CachedShape shape;
        shape.tagCode = static_cast<uint8_t>(tagCode_);
        shape.groupsBegin = tagBegin_ + std::min(groupsBegin_, in_.Data().size());
        shape.groupsEnd = tagBegin_ + in_.Data().size();
        shape.first = firstKept_;
        shape.count = update.order.size() - firstKept_;
        shape.edges = shapeEdges_;
        shape.complete = end == GroupEnd::End && allKept_;
        update.shapes.try_emplace(id_, shape);
    }

    BitReader &in_;
    int tagCode_;
    uint16_t id_;
    size_t &edgeBudget_;
    const GroupReuse &reuse_;
    RecordReader records_;
    StyleGroup group_;
    StyleGroup scratch_;
    StyleGroup kept_;  // a kept group read again for comparison
    std::optional<Scan> scan_;  // of the group looked up last, when no cache held it
    // A group read later: where it starts, the state and edge budget it is read from, its place
    // in the shape's groups and its slot among those kept.
    struct PendingRead {
        size_t begin = 0;
        GroupStart start;
        size_t budget = 0;
        size_t index = 0;
        std::optional<uint32_t> slot;
    };
    std::vector<PendingRead> pending_;
    ShapeCharacter shape_;
    std::vector<Source> sources_;
    // Where the shape lies: its tag in the movie's body, its first group in the tag.
    size_t tagBegin_ = 0;
    size_t groupsBegin_ = 0;
    size_t firstKept_ = 0;   // where its groups start in the new movie's kept order
    uint32_t recordsAt_ = 0;  // where the records of the group read last start, from the group
    size_t shapeEdges_ = 0;  // charged by its groups so far
    bool allKept_ = true;
    // The old shape of this character and its list of groups, the bytes the two have in common
    // at the start and at the end, and how much longer the new one is.
    const CachedShape *old_ = nullptr;
    std::vector<PlacedGroup> *oldGroups_ = nullptr;
    size_t sameHead_ = 0;
    size_t sameTail_ = 0;
    int64_t sizeChange_ = 0;
    // The old groups taken whole: the first headTaken_, and those from tailFrom_ on.
    size_t headTaken_ = 0;
    std::optional<size_t> tailFrom_;
};

}  // namespace

ShapeCharacter ParseShape(BitReader &in, TagCode tagCode, uint16_t id, size_t &edgeBudget, const GroupReuse &reuse)
{
    return ShapeParser(in, static_cast<int>(tagCode), id, edgeBudget, reuse).Parse();
}

MorphCharacter ParseMorphShape(BitReader &in, size_t &edgeBudget)
{
    MorphCharacter morph;
    ReadRect(in);
    ReadRect(in);
    uint32_t offset = in.U32();
    size_t endEdgesAt = in.BytePos() + offset;
    if (!ReadMorphStyleArrays(in, morph.start, morph.end)) {
        return morph;
    }
    RecordReader(in, kMorphTag, edgeBudget, true).Read(&morph.start);
    in.Seek(endEdgesAt);
    RecordReader(in, kMorphTag, edgeBudget, true).Read(&morph.end);
    return morph;
}


}  // namespace platform::swf
