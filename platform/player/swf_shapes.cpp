// Shapes and morph shapes: their style arrays and edge records, and the paths built from them.
#include "platform/player/swf_parser.h"
#include "platform/player/swf_path_pieces.h"

#include <QPainterPathStroker>
#include <algorithm>
#include <cstring>
#include <functional>
#include <unordered_map>

namespace platform::swf {

namespace {

enum FillType : uint8_t {
    kSolid = 0x00,
    kLinearGradient = 0x10,
    kRadialGradient = 0x12,
    kFocalGradient = 0x13,
    kRepeatingBitmap = 0x40,
    kClippedBitmap = 0x41,
    kRoughRepeatingBitmap = 0x42,
    kRoughClippedBitmap = 0x43,
};

// Style array counts: one byte, or 0xFF and a 16-bit count where the tag allows it. Never more
// entries than bytes remain (every entry takes at least one).
size_t ReadStyleCount(BitReader &in, bool extended)
{
    size_t count = in.U8();
    if (count == 0xFF && extended) {
        count = in.U16();
    }
    return std::min(count, in.RemainingBytes());
}

void SetBitmapKind(FillStyle &style, uint8_t type)
{
    style.kind = FillKind::Bitmap;
    style.clipped = type == kClippedBitmap || type == kRoughClippedBitmap;
    style.smoothed = type == kRepeatingBitmap || type == kClippedBitmap;
}

bool IsGradientType(uint8_t type)
{
    return type == kLinearGradient || type == kRadialGradient || type == kFocalGradient;
}

bool IsBitmapType(uint8_t type)
{
    return type >= kRepeatingBitmap && type <= kRoughClippedBitmap;
}

// One FILLSTYLE; false for an unknown type, after which nothing more of the shape can be read.
bool ReadFillStyle(BitReader &in, bool withAlpha, FillStyle &style)
{
    uint8_t type = in.U8();
    if (type == kSolid) {
        style.color = withAlpha ? ReadRgba(in) : ReadRgb(in);
    } else if (IsGradientType(type)) {
        style.kind = type == kLinearGradient ? FillKind::Linear : FillKind::Radial;
        style.matrix = ReadMatrix(in);
        int count = in.U8() & 0x0F;
        for (int i = 0; i < count; ++i) {
            GradientStop stop;
            stop.ratio = in.U8();
            stop.color = withAlpha ? ReadRgba(in) : ReadRgb(in);
            style.stops.push_back(stop);
        }
        if (type == kFocalGradient) {
            in.U16();  // focal point: drawn as a plain radial gradient
        }
    } else if (IsBitmapType(type)) {
        SetBitmapKind(style, type);
        style.bitmapId = in.U16();
        style.matrix = ReadMatrix(in);
    } else {
        return false;
    }
    return !in.Overrun();
}

// One MORPHFILLSTYLE into its start and end values.
bool ReadMorphFillStyle(BitReader &in, FillStyle &start, FillStyle &end)
{
    uint8_t type = in.U8();
    if (type == kSolid) {
        start.color = ReadRgba(in);
        end.color = ReadRgba(in);
    } else if (IsGradientType(type)) {
        start.kind = end.kind = type == kLinearGradient ? FillKind::Linear : FillKind::Radial;
        start.matrix = ReadMatrix(in);
        end.matrix = ReadMatrix(in);
        int count = in.U8() & 0x0F;
        for (int i = 0; i < count; ++i) {
            GradientStop startStop;
            GradientStop endStop;
            startStop.ratio = in.U8();
            startStop.color = ReadRgba(in);
            endStop.ratio = in.U8();
            endStop.color = ReadRgba(in);
            start.stops.push_back(startStop);
            end.stops.push_back(endStop);
        }
    } else if (IsBitmapType(type)) {
        SetBitmapKind(start, type);
        SetBitmapKind(end, type);
        start.bitmapId = end.bitmapId = in.U16();
        start.matrix = ReadMatrix(in);
        end.matrix = ReadMatrix(in);
    } else {
        return false;
    }
    return !in.Overrun();
}

// FILLSTYLEARRAY and LINESTYLEARRAY of a shape; false when they could not be read whole.
bool ReadStyleArrays(BitReader &in, int tagCode, StyleGroup &group)
{
    const bool extended = tagCode != 2;
    const bool withAlpha = tagCode == 32;
    size_t fillCount = ReadStyleCount(in, extended);
    group.fills.assign(fillCount, FillStyle());
    for (FillStyle &style : group.fills) {
        if (!ReadFillStyle(in, withAlpha, style)) {
            return false;
        }
    }
    size_t lineCount = ReadStyleCount(in, extended);
    group.lines.assign(lineCount, LineStyle());
    for (LineStyle &style : group.lines) {
        style.width = in.U16();
        style.color = withAlpha ? ReadRgba(in) : ReadRgb(in);
    }
    return !in.Overrun();
}

bool ReadMorphStyleArrays(BitReader &in, StyleGroup &start, StyleGroup &end)
{
    size_t fillCount = ReadStyleCount(in, true);
    start.fills.resize(fillCount);
    end.fills.resize(fillCount);
    for (size_t i = 0; i < fillCount; ++i) {
        if (!ReadMorphFillStyle(in, start.fills[i], end.fills[i])) {
            return false;
        }
    }
    size_t lineCount = ReadStyleCount(in, true);
    start.lines.resize(lineCount);
    end.lines.resize(lineCount);
    for (size_t i = 0; i < lineCount; ++i) {
        start.lines[i].width = in.U16();
        end.lines[i].width = in.U16();
        start.lines[i].color = ReadRgba(in);
        end.lines[i].color = ReadRgba(in);
    }
    return !in.Overrun();
}

// Reads SHAPERECORDs up to the end record. current starts with the styles already read; each
// finished group (at a new-style record, when allowed, and at the end) is handed to groupDone,
// then current is reused for the next group. With keepAll every edge is kept (morph edges pair
// by index), else edges without any style are dropped.
using GroupDone = std::function<void(StyleGroup &)>;

class RecordReader {
public:
    RecordReader(BitReader &in, int tagCode, size_t &edgeBudget, bool keepAll)
        : in_(in), tagCode_(tagCode), edgeBudget_(edgeBudget), keepAll_(keepAll)
    {
    }

    void Read(StyleGroup &current, const GroupDone &groupDone)
    {
        in_.Align();
        int fillBits = static_cast<int>(in_.UB(4));
        int lineBits = static_cast<int>(in_.UB(4));
        while (!in_.Overrun()) {
            if (in_.UB(1) == 0) {
                uint32_t flags = in_.UB(5);
                if (flags == 0) {
                    break;
                }
                if (!ReadStyleChange(flags, fillBits, lineBits, current, groupDone)) {
                    break;
                }
            } else if (!ReadEdge(current)) {
                break;
            }
        }
        groupDone(current);
    }

private:
    bool ReadStyleChange(uint32_t flags, int &fillBits, int &lineBits, StyleGroup &current,
                         const GroupDone &groupDone)
    {
        if (flags & 0x01) {
            int bits = static_cast<int>(in_.UB(5));
            x_ = in_.SB(bits);
            y_ = in_.SB(bits);
        }
        std::optional<int32_t> fill0;
        std::optional<int32_t> fill1;
        std::optional<int32_t> line;
        if (flags & 0x02) {
            fill0 = static_cast<int32_t>(in_.UB(fillBits));
        }
        if (flags & 0x04) {
            fill1 = static_cast<int32_t>(in_.UB(fillBits));
        }
        if (flags & 0x08) {
            line = static_cast<int32_t>(in_.UB(lineBits));
        }
        if (flags & 0x10) {
            if (tagCode_ == kMorphTag) {
                return false;  // morph shapes cannot change their styles
            }
            groupDone(current);
            current.edges.clear();
            in_.Align();
            if (!ReadStyleArrays(in_, tagCode_, current)) {
                return false;
            }
            fillBits = static_cast<int>(in_.UB(4));
            lineBits = static_cast<int>(in_.UB(4));
            fill0_ = fill1_ = line_ = 0;
        }
        fill0_ = fill0.value_or(fill0_);
        fill1_ = fill1.value_or(fill1_);
        line_ = line.value_or(line_);
        return true;
    }

    bool ReadEdge(StyleGroup &current)
    {
        if (edgeBudget_ == 0) {
            return false;
        }
        Edge edge;
        edge.from = QPointF(static_cast<double>(x_), static_cast<double>(y_));
        bool straight = in_.UB(1) != 0;
        int bits = static_cast<int>(in_.UB(4)) + 2;
        if (straight) {
            int64_t dx = 0;
            int64_t dy = 0;
            if (in_.UB(1) != 0) {
                dx = in_.SB(bits);
                dy = in_.SB(bits);
            } else if (in_.UB(1) != 0) {
                dy = in_.SB(bits);
            } else {
                dx = in_.SB(bits);
            }
            x_ += dx;
            y_ += dy;
        } else {
            x_ += in_.SB(bits);
            y_ += in_.SB(bits);
            edge.control = QPointF(static_cast<double>(x_), static_cast<double>(y_));
            edge.curved = true;
            x_ += in_.SB(bits);
            y_ += in_.SB(bits);
        }
        edge.to = QPointF(static_cast<double>(x_), static_cast<double>(y_));
        edge.fill0 = fill0_;
        edge.fill1 = fill1_;
        edge.line = line_;
        if (in_.Overrun()) {
            return false;
        }
        if (keepAll_ || fill0_ != 0 || fill1_ != 0 || line_ != 0) {
            current.edges.push_back(edge);
            --edgeBudget_;
        }
        return true;
    }

    static constexpr int kMorphTag = 46;

    BitReader &in_;
    int tagCode_;
    size_t &edgeBudget_;
    bool keepAll_;
    int64_t x_ = 0;
    int64_t y_ = 0;
    int32_t fill0_ = 0;
    int32_t fill1_ = 0;
    int32_t line_ = 0;
};

// ---- Paths ----

struct Segment {
    QPointF from;
    QPointF control;
    QPointF to;
    bool curved = false;

    Segment Reversed() const { return {to, control, from, curved}; }
};
using Contour = std::vector<Segment>;

void AddContour(QPainterPath &path, const Contour &contour, bool close)
{
    path.moveTo(contour.front().from);
    for (const Segment &segment : contour) {
        if (segment.curved) {
            path.quadTo(segment.control, segment.to);
        } else {
            path.lineTo(segment.to);
        }
    }
    if (close) {
        path.closeSubpath();
    }
}

struct PointKey {
    double x;
    double y;
    bool operator==(const PointKey &) const = default;
};

struct PointKeyHash {
    size_t operator()(const PointKey &key) const
    {
        uint64_t a;
        uint64_t b;
        std::memcpy(&a, &key.x, sizeof a);
        std::memcpy(&b, &key.y, sizeof b);
        return std::hash<uint64_t>()(a * 0x9E3779B97F4A7C15ull ^ b);
    }
};

// Joins open fragments end to end (turning them round where needed) into as few contours as
// possible. Each fragment end is indexed once and taken once, so this stays linear.
std::vector<Contour> JoinFragments(std::vector<Contour> fragments)
{
    std::unordered_map<PointKey, std::vector<size_t>, PointKeyHash> ends;
    for (size_t i = 0; i < fragments.size(); ++i) {
        ends[{fragments[i].front().from.x(), fragments[i].front().from.y()}].push_back(i);
        ends[{fragments[i].back().to.x(), fragments[i].back().to.y()}].push_back(i);
    }
    std::vector<bool> used(fragments.size(), false);
    auto takeAt = [&](const QPointF &point) -> std::optional<size_t> {
        auto found = ends.find({point.x(), point.y()});
        if (found == ends.end()) {
            return std::nullopt;
        }
        std::vector<size_t> &candidates = found->second;
        while (!candidates.empty() && used[candidates.back()]) {
            candidates.pop_back();
        }
        if (candidates.empty()) {
            return std::nullopt;
        }
        return candidates.back();
    };

    std::vector<Contour> joined;
    for (size_t i = 0; i < fragments.size(); ++i) {
        if (used[i]) {
            continue;
        }
        used[i] = true;
        Contour contour = std::move(fragments[i]);
        while (contour.back().to != contour.front().from) {
            std::optional<size_t> next = takeAt(contour.back().to);
            if (!next) {
                break;
            }
            used[*next] = true;
            Contour &piece = fragments[*next];
            if (piece.front().from != contour.back().to) {
                std::reverse(piece.begin(), piece.end());
                for (Segment &segment : piece) {
                    segment = segment.Reversed();
                }
            }
            contour.insert(contour.end(), piece.begin(), piece.end());
        }
        joined.push_back(std::move(contour));
    }
    return joined;
}

Segment SegmentOf(const Edge &edge)
{
    return {edge.from, edge.control, edge.to, edge.curved};
}

// The fill of one style: its edges chained into contours, filled even-odd.
QPainterPath BuildFillPath(const std::vector<Edge> &edges, const std::vector<size_t> &indexes)
{
    QPainterPath path;
    path.setFillRule(Qt::OddEvenFill);
    path.reserve(static_cast<int>(indexes.size()) + 8);
    std::vector<Contour> open;
    Contour current;
    auto flush = [&]() {
        if (current.empty()) {
            return;
        }
        if (current.front().from == current.back().to) {
            AddContour(path, current, true);
        } else {
            open.push_back(std::move(current));
        }
        current.clear();
    };
    for (size_t index : indexes) {
        Segment segment = SegmentOf(edges[index]);
        if (!current.empty() && current.back().to != segment.from) {
            flush();
        }
        current.push_back(segment);
    }
    flush();
    for (const Contour &contour : JoinFragments(std::move(open))) {
        AddContour(path, contour, true);
    }
    return path;
}

// The stroke of one line style: its edges in record order, a move wherever they do not meet.
QPainterPath BuildLinePath(const std::vector<Edge> &edges, const std::vector<size_t> &indexes)
{
    QPainterPath path;
    path.reserve(static_cast<int>(indexes.size()) + 8);
    bool started = false;
    QPointF pen;
    for (size_t index : indexes) {
        const Edge &edge = edges[index];
        if (!started || pen != edge.from) {
            path.moveTo(edge.from);
            started = true;
        }
        if (edge.curved) {
            path.quadTo(edge.control, edge.to);
        } else {
            path.lineTo(edge.to);
        }
        pen = edge.to;
    }
    return path;
}

QRectF GroupBounds(const DrawnGroup &group)
{
    QRectF bounds;
    for (const QPainterPath &fill : group.fillPaths) {
        bounds |= fill.controlPointRect();
    }
    for (size_t i = 0; i < group.linePaths.size(); ++i) {
        double half = group.lines[i].width / 2;
        bounds |= group.linePaths[i].controlPointRect().adjusted(-half, -half, half, half);
    }
    return bounds;
}

bool ValidStyle(int32_t index, size_t count)
{
    return index >= 1 && static_cast<size_t>(index) <= count;
}

// ---- Morph interpolation ----

double Mix(double a, double b, double t)
{
    return a + (b - a) * t;
}

QPointF Mix(const QPointF &a, const QPointF &b, double t)
{
    return {Mix(a.x(), b.x(), t), Mix(a.y(), b.y(), t)};
}

QRgb Mix(QRgb a, QRgb b, double t)
{
    auto channel = [t](int x, int y) { return static_cast<int>(std::lround(Mix(double(x), double(y), t))); };
    return qRgba(channel(qRed(a), qRed(b)), channel(qGreen(a), qGreen(b)), channel(qBlue(a), qBlue(b)),
                 channel(qAlpha(a), qAlpha(b)));
}

QTransform Mix(const QTransform &a, const QTransform &b, double t)
{
    return QTransform(Mix(a.m11(), b.m11(), t), Mix(a.m12(), b.m12(), t), Mix(a.m21(), b.m21(), t),
                      Mix(a.m22(), b.m22(), t), Mix(a.dx(), b.dx(), t), Mix(a.dy(), b.dy(), t));
}

FillStyle Mix(const FillStyle &a, const FillStyle &b, double t)
{
    FillStyle result = a;
    result.color = Mix(a.color, b.color, t);
    result.matrix = Mix(a.matrix, b.matrix, t);
    for (size_t i = 0; i < result.stops.size() && i < b.stops.size(); ++i) {
        result.stops[i].ratio = Mix(a.stops[i].ratio, b.stops[i].ratio, t);
        result.stops[i].color = Mix(a.stops[i].color, b.stops[i].color, t);
    }
    return result;
}

// A straight edge as a curve with its control point midway, so it can blend with a curve.
Edge AsCurve(Edge edge)
{
    if (!edge.curved) {
        edge.control = (edge.from + edge.to) / 2;
        edge.curved = true;
    }
    return edge;
}

Edge Mix(const Edge &a, const Edge &b, double t)
{
    Edge first = a.curved == b.curved ? a : AsCurve(a);
    Edge second = a.curved == b.curved ? b : AsCurve(b);
    Edge result = first;
    result.from = Mix(first.from, second.from, t);
    result.control = Mix(first.control, second.control, t);
    result.to = Mix(first.to, second.to, t);
    return result;
}

}  // namespace

namespace {

// A multiply-xorshift mix of values into a hash, a word at a time.
class GroupHasher {
public:
    explicit GroupHasher(uint64_t seed) : hash_(seed) {}

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
    uint64_t Value() const { return hash_; }

private:
    uint64_t hash_;
};

}  // namespace

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

DrawnGroup BuildDrawnGroup(StyleGroup group)
{
    DrawnGroup drawn;
    drawn.fills = std::move(group.fills);
    drawn.lines = std::move(group.lines);
    std::vector<std::vector<size_t>> byFill(drawn.fills.size());
    std::vector<std::vector<size_t>> byLine(drawn.lines.size());
    for (size_t i = 0; i < group.edges.size(); ++i) {
        const Edge &edge = group.edges[i];
        // An edge with the same fill on both sides lies inside that fill and bounds nothing.
        if (edge.fill0 != edge.fill1) {
            if (ValidStyle(edge.fill0, byFill.size())) {
                byFill[edge.fill0 - 1].push_back(i);
            }
            if (ValidStyle(edge.fill1, byFill.size())) {
                byFill[edge.fill1 - 1].push_back(i);
            }
        }
        if (ValidStyle(edge.line, byLine.size())) {
            byLine[edge.line - 1].push_back(i);
        }
    }
    drawn.fillPaths.resize(byFill.size());
    for (size_t s = 0; s < byFill.size(); ++s) {
        if (!byFill[s].empty()) {
            drawn.fillPaths[s] = BuildFillPath(group.edges, byFill[s]);
        }
    }
    drawn.linePaths.resize(byLine.size());
    for (size_t s = 0; s < byLine.size(); ++s) {
        if (!byLine[s].empty()) {
            drawn.linePaths[s] = BuildLinePath(group.edges, byLine[s]);
        }
    }
    drawn.lineOutlines = std::make_shared<LineOutlines>(byLine.size());
    drawn.bounds = GroupBounds(drawn);
    drawn.pieces = BuildGroupPieces(drawn.fillPaths);
    return drawn;
}

// A group drawn along the paths of another whose edges and line widths are the same: only its
// styles differ, and the paths (shared, not copied) do not depend on them.
DrawnGroup Restyled(const DrawnGroup &paths, const StyleGroup &group)
{
    DrawnGroup drawn = paths;
    drawn.fills = group.fills;
    drawn.lines = group.lines;
    return drawn;
}

ShapeCharacter ParseShape(BitReader &in, int tagCode, size_t &edgeBudget, const GroupReuse &reuse)
{
    ReadRect(in);  // bounds: the edges say where the shape is
    ShapeCharacter shape;
    auto groupDone = [&](StyleGroup &group) {
        if (group.edges.empty()) {
            return;
        }
        const uint64_t geometry = HashGroupGeometry(group);
        const uint64_t key = HashGroup(group, geometry);
        GroupPtr drawn;
        for (const GroupCache *cache : {reuse.previous, reuse.lender}) {
            if (!cache || drawn) {
                continue;
            }
            if (auto found = cache->groups.find(key); found != cache->groups.end()) {
                drawn = found->second;
            } else if (auto same = cache->geometry.find(geometry); same != cache->geometry.end()) {
                drawn = std::make_shared<const DrawnGroup>(Restyled(*same->second, group));
            }
        }
        if (!drawn) {
            drawn = std::make_shared<const DrawnGroup>(BuildDrawnGroup(group));
        }
        if (reuse.next) {
            reuse.next->groups.emplace(key, drawn);
            reuse.next->geometry.emplace(geometry, drawn);
        }
        shape.groups.push_back(std::move(drawn));
    };
    StyleGroup current;
    if (ReadStyleArrays(in, tagCode, current)) {
        RecordReader(in, tagCode, edgeBudget, false).Read(current, groupDone);
    }
    return shape;
}

MorphCharacter ParseMorphShape(BitReader &in, size_t &edgeBudget)
{
    constexpr int kMorphTag = 46;
    MorphCharacter morph;
    ReadRect(in);
    ReadRect(in);
    uint32_t offset = in.U32();
    size_t endEdgesAt = in.BytePos() + offset;
    if (!ReadMorphStyleArrays(in, morph.start, morph.end)) {
        return morph;
    }
    StyleGroup edges;
    RecordReader(in, kMorphTag, edgeBudget, true).Read(edges, [&morph](StyleGroup &group) {
        morph.start.edges = std::move(group.edges);
    });
    in.Seek(endEdgesAt);
    RecordReader(in, kMorphTag, edgeBudget, true).Read(edges, [&morph](StyleGroup &group) {
        morph.end.edges = std::move(group.edges);
    });
    return morph;
}

GroupPtr MorphCharacter::AtRatio(uint16_t ratio) const
{
    if (cachedRatio == ratio) {
        return cached;
    }
    const double t = ratio / 65535.0;
    StyleGroup blend;
    blend.fills.reserve(start.fills.size());
    for (size_t i = 0; i < start.fills.size(); ++i) {
        blend.fills.push_back(Mix(start.fills[i], end.fills[i], t));
    }
    for (size_t i = 0; i < start.lines.size(); ++i) {
        blend.lines.push_back({Mix(start.lines[i].width, end.lines[i].width, t),
                               Mix(start.lines[i].color, end.lines[i].color, t)});
    }
    // Edges pair by index; start edges without a partner keep their own shape.
    blend.edges.reserve(start.edges.size());
    for (size_t i = 0; i < start.edges.size(); ++i) {
        blend.edges.push_back(i < end.edges.size() ? Mix(start.edges[i], end.edges[i], t) : start.edges[i]);
    }
    cached = std::make_shared<const DrawnGroup>(BuildDrawnGroup(std::move(blend)));
    cachedRatio = ratio;
    return cached;
}

}  // namespace platform::swf
