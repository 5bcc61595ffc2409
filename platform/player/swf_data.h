// Drawn groups: style groups turned into paths, where shapes place them, and the cache that
// shares them between the movies a player loads. Internal to the player.
#pragma once

#include <QPainterPath>
#include <QRectF>
#include <QTransform>

#include "platform/player/swf_compact_paths.h"
#include "platform/player/swf_group_index.h"
#include "platform/player/swf_limits.h"
#include "platform/player/swf_render_counts.h"
#include "platform/player/swf_styles.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace platform::swf {

struct GroupPieces;  // swf_path_pieces.h

// A copy of a shared path to draw or stroke: it shares the path's elements but not its header, so
// the painter's vector form of the path (about 3 KB however short the path is) is made for this
// drawing and freed with the copy instead of being kept with the movie, and threads drawing the
// same path at once never write to it.
QPainterPath ToDraw(const QPainterPath &path);

// Budgets of line outlines (the area a line covers at full width, round caps and joins): one
// outline is built only when its estimated size fits kMaxOutlineElements path elements (else its
// line is drawn one device pixel wide), and outlines are kept for later renders while all kept
// ones together, in every loaded movie, fit kMaxHeldOutlineBytes in the compact form they are
// kept in (else they are built again when drawn). Kept, an element takes at most
// kKeptOutlineElementBytes (a byte of kind and a point of two floats; a cubic curve's three
// elements take 25 bytes), where a QPainterPath takes 24.
//
// Every outline is drawn with its points rounded to floats, kept or not, so that it draws the
// same either way. Outlines are in their group's coordinates, relative to its origin: a group
// within the largest canvas (65,535 twips a side) has its outlines' points within 2^16 twips of
// it, kept to within 2^-9 twip, at most 1/100 of a device pixel at the largest zoom (10,000 %,
// 5 pixels a twip) and below the rasteriser's 1/64 (a point up to 2^17 twips away, as a line's
// half width can add, to within 1/50).
constexpr int64_t kMaxOutlineElements = 2 << 20;
constexpr int64_t kMaxHeldOutlineBytes = 24 << 20;
constexpr int64_t kKeptOutlineElementBytes = 1 + 2 * sizeof(float);

// Outlines are built for scales in steps of two: the scale (device pixels per twip) an outline
// drawn at scale is built for, the next power of two at or above it. An outline depends on its
// line, width and this scale only, whatever was drawn before.
double OutlineScale(double scale);
// A generous estimate of the elements of a line's outline drawn at scale device pixels per twip;
// above kMaxOutlineElements it is not built.
int64_t EstimatedOutlineElements(const QPainterPath &line, double width, double scale);
// The area a line of width twips covers, round caps and joins, exact to within a tenth of a
// device pixel at OutlineScale(scale) and below, as it is drawn (its points rounded to floats).
QPainterPath LineOutline(const QPainterPath &line, double width, double scale);

// A line readied for its outline at scale: its estimate (as EstimatedOutlineElements gives it)
// is known before the outline is built, from one look at its curves. The line must outlive it.
class OutlineCut {
public:
    OutlineCut(const QPainterPath &line, double width, double scale);
    int64_t Estimate() const { return estimate_; }
    // The outline as the stroker makes it (LineOutline is this in the form it is kept in).
    QPainterPath Stroke() const;

private:
    const QPainterPath *line_;
    double width_;
    double largestTurn_;
    int64_t estimate_ = 0;
    int64_t curves_ = 0;
    int64_t pieces_ = 0;  // of curves_ cut to turn little enough
};

// A line to outline: its path and width (twips); no path for one drawn without an outline.
struct OutlinedLine {
    const QPainterPath *path = nullptr;
    double width = 0;
};

// The outlines of a group's lines, built when first drawn and kept within the budget above for
// the last scale they were readied for with any line wide, in one compact allocation (a path per
// line style, empty where none is kept). Shared by the groups that have the same paths, and so by renders on
// several threads: the renderer readies them and takes a copy of the kept ones (sharing their
// allocation) under a lock of its own before drawing starts, and makes each outline into a
// QPainterPath where its group is drawn.
class LineOutlines {
public:
    LineOutlines() = default;
    ~LineOutlines();
    LineOutlines(const LineOutlines &) = delete;
    LineOutlines &operator=(const LineOutlines &) = delete;

    // The outlines kept for OutlineScale(scale), by line style, or nullptr.
    const CompactPaths *Held(double scale) const;
    // Readies the lines (by line style) for OutlineScale(scale): unless none is to be outlined,
    // drops the outlines kept for another scale, then builds and keeps the outline of each line
    // whose estimate fits the budgets. The others are outlined anew whenever drawn, until room
    // is given back (see Readied). The work is added to counts; builder is room for making the
    // kept form.
    void Hold(const std::vector<OutlinedLine> &lines, double scale, RenderCounts &counts,
              CompactPaths::Builder &builder);

    // Whether the lines are readied for OutlineScale(scale): they were, and none was refused
    // for want of room that the budget may have now.
    bool Readied(double scale) const;
    // The bytes held for the outlines, kept ones included (those charged to the budget).
    size_t HeldBytes() const;

private:
    void Drop();

    CompactPaths kept_;
    double keptScale_ = 0;  // the OutlineScale kept_ was built for
    double readiedScale_ = 0;
    std::optional<uint64_t> refusedEpoch_;  // when a line was last refused room, if one was
};

// A style group turned into paths: one even-odd path per fill style and one per line style,
// kept compactly and made as QPainterPaths where they are drawn or read.
struct DrawnGroup {
    std::vector<FillStyle> fills;
    std::vector<LineStyle> lines;
    CompactPaths paths;  // the fills' (index = style - 1), then the lines'
    std::shared_ptr<LineOutlines> lineOutlines;  // by line style
    QRectF bounds;  // twips, lines included
    std::shared_ptr<const GroupPieces> pieces;  // of the long fills; null when there are none

    bool FillEmpty(size_t index) const { return paths.IsEmpty(index); }
    bool LineEmpty(size_t index) const { return paths.IsEmpty(fills.size() + index); }
    // The path of fill (line) index, made into made (or kept as made in a large group).
    const QPainterPath &FillPath(size_t index, PathsMade &made) const { return made.Of(paths, index); }
    const QPainterPath &LinePath(size_t index, PathsMade &made) const { return made.Of(paths, fills.size() + index); }
};

// made, when given, receives the group's paths as they were made (the fills', then the lines').
DrawnGroup BuildDrawnGroup(StyleGroup group, std::vector<QPainterPath> *made = nullptr);
// The bytes a drawn group holds: itself, its styles, paths (one shared by a fill and a line
// counted once) and line outlines, as allocated for it. Long fills' pieces are not counted.
size_t HeldBytes(const DrawnGroup &group);

using GroupPtr = std::shared_ptr<const DrawnGroup>;

// A drawn group where a shape draws it. Groups are built relative to their own origin (the first
// point of their edges, gradient and bitmap matrices included), so that one group serves every
// place the same drawing appears: moved, it keeps its paths and outlines.
struct PlacedGroup {
    GroupPtr group;
    QPointF offset;  // the group's origin in shape twips

    // The transform of group coordinates for a shape drawn through transform.
    QTransform At(const QTransform &transform) const
    {
        return QTransform::fromTranslate(offset.x(), offset.y()) * transform;
    }
    QRectF Bounds() const { return group->bounds.translated(offset); }
};

// Where a style group's records move the pen to a point: nowhere (its edges lie where the pen
// stood before it), only in its first record (its edges lie where that record says), or elsewhere.
enum class RecordMoves : uint8_t { None, First, Other };

// A style group as its bits in a movie: where they lie in the kept movie's body, the reader's
// state where it starts, and what was made of it. The same bits read from the same state give
// the same group, so a later movie holding them takes it without reading its edges again.
struct RawGroup {
    size_t byteBegin = 0;  // in MovieGroups::body
    size_t bits = 0;
    int64_t penX = 0;
    int64_t penY = 0;
    // Where the record after the span starts: the pen there and the bit counts of style indexes.
    int64_t endX = 0;
    int64_t endY = 0;
    int32_t fill0 = 0;
    int32_t fill1 = 0;
    int32_t line = 0;
    uint32_t recordsAt = 0;  // bytes from byteBegin to its records (after its style arrays)
    // Edges and positions are bounded by the movie's edge budget and its groups' slots.
    uint32_t edges = 0;        // charged to the movie's edge budget
    uint32_t edgesBefore = 0;  // charged by the groups of its shape before it
    uint32_t position = 0;     // in MovieGroups::order
    uint8_t tagCode = 0;
    RecordMoves moves = RecordMoves::None;
    uint8_t fillBits = 0;
    uint8_t lineBits = 0;
    PlacedGroup placed;
    uint64_t rawKey = 0;       // the hash of its bits and starting state
    uint64_t styleKey = 0;     // the group's HashGroup
    uint64_t geometryKey = 0;  // and HashGroupGeometry
};
static_assert(kMaxEdgesPerMovie <= UINT32_MAX, "a group's edge counts are kept in 32 bits");

// The groups of one shape tag of a kept movie, for the next movie's tag of the same character.
struct KeptShape {
    uint8_t tagCode = 0;
    size_t groupsBegin = 0;  // in MovieGroups::body: where its first group starts, after the bounds
    size_t groupsEnd = 0;    // the end of the tag
    size_t first = 0;        // its groups: MovieGroups::order[first, first + count)
    size_t count = 0;
    size_t edges = 0;        // charged by all of them
    bool complete = false;   // read up to its end record, every group with edges kept
};

// What a movie being loaded keeps, put into its player's MovieGroups once the movie is read.
struct GroupsUpdate {
    // A run of the kept movie's groups taken whole: positions in its order, and how far their
    // bytes, the edges charged before them and their positions moved.
    struct Run {
        size_t begin = 0;
        size_t end = 0;
        int64_t byteShift = 0;
        int64_t edgeShift = 0;
        int64_t positionShift = 0;
    };
    std::vector<uint32_t> order;
    std::unordered_map<uint16_t, KeptShape> shapes;
    std::vector<Run> reused;
    std::vector<uint32_t> added;  // slots of the groups read or taken one by one
};

// The drawn groups of the last movie a player loaded, for the movies loaded after it (by any
// player sharing them): runs of a shape unchanged in the bytes are taken whole, a span of bytes
// unchanged is not read again, a group whose styles and edges are unchanged (wherever it lies) is
// not built again, and one whose edges and line widths are unchanged takes the paths of the old
// one with its new styles. Every hit is confirmed by the bytes or by the values its hash covers.
// The groups refer into the movie's body, kept once; a load changes only what the movie changed.
struct MovieGroups {
    std::string body;   // the kept movie's tag stream (inflated)
    std::string spare;  // the next movie's while it loads
    std::vector<RawGroup> rawGroups;  // the kept groups, by slot; a free slot holds none
    std::vector<uint32_t> freeSlots;
    std::vector<uint32_t> order;  // the movie's groups in order, as slots
    std::unordered_map<uint16_t, KeptShape> shapes;  // by character id
    uint64_t movie = 0;  // the serial of the movie they were kept for (0: none)
    // Slots by the hash of a group's bytes, its HashGroup and its HashGroupGeometry.
    GroupIndex rawIndex;
    GroupIndex groups;
    GroupIndex geometry;
    // The keys the indexes hold a slot under: the kept group's hashes.
    struct KeyOf {
        const std::vector<RawGroup> *kept;
        uint64_t RawGroup::*key;
        uint64_t operator()(uint32_t slot) const { return (*kept)[slot].*key; }
    };
    KeyOf RawKeys() const { return {&rawGroups, &RawGroup::rawKey}; }
    KeyOf StyleKeys() const { return {&rawGroups, &RawGroup::styleKey}; }
    KeyOf GeometryKeys() const { return {&rawGroups, &RawGroup::geometryKey}; }

    size_t size() const { return order.size(); }
    const RawGroup &At(size_t position) const { return rawGroups[order[position]]; }
    // The bytes a kept group's bits lie in (the last one's unused bits belong to the next record).
    std::string_view Bytes(const RawGroup &raw) const
    {
        return std::string_view(body).substr(raw.byteBegin, (raw.bits + 7) / 8);
    }
    void clear() { *this = MovieGroups(); }
    // The bytes held besides the drawn groups: the bodies, the slots, the order and the indexes.
    size_t HeldBytes() const;
    // A slot holding raw, for a group of the movie being loaded.
    uint32_t NewSlot(RawGroup raw);
    // Makes the loaded movie's groups (of serial movie, its body in spare) the kept ones: frees
    // the groups it did not take, moves those it took whole and enters the new ones.
    void Commit(GroupsUpdate &update, uint64_t movie);
    // Gives back the room kept for loads to come: the slots are laid out in movie order, as many
    // as there are groups, and the indexes hold room for them alone. The next load that replaces
    // every group grows them again.
    void Trim();
};
// The hash of what decides a group's paths: its edges, the number of fill styles and the widths
// of its line styles. Group hashes are seeded once per process, so that no file can be made to
// collide in the indexes.
uint64_t HashGroupGeometry(const StyleGroup &group);
// The hash of everything that decides how a group looks (geometry: its HashGroupGeometry).
uint64_t HashGroup(const StyleGroup &group, uint64_t geometry);
uint64_t HashGroup(const StyleGroup &group);
// Whether two groups agree in all their HashGroupGeometry covers, and in the rest of the styles.
bool SameGeometry(const StyleGroup &a, const StyleGroup &b);
bool SameStyles(const StyleGroup &a, const StyleGroup &b);

// Work done by the shape parser for one player: style groups with edges whose records were read
// (not taken from a cache by their bytes), groups whose paths were built, and groups taken from a
// cache one by one, each by comparing its bytes (not in a run of unchanged ones taken whole); and
// of the groups read, those whose edge records were decoded: the others have the edge records of
// a kept group, whose paths they take with their own styles and place.
struct ParseCounts {
    int64_t groupsRead = 0;
    int64_t groupsBuilt = 0;
    int64_t groupsTaken = 0;
    int64_t groupsDecoded = 0;
};

struct Movie;

// Where the groups of a movie being parsed come from and go: taken from own (the groups of the
// player's last movie) or else from others (those of other players, left as they are); own holds
// exactly the groups of the new movie afterwards. counts, when given, is increased by the work
// done. previous is the movie own was kept for, when the caller still has it: its shapes' lists
// of groups are taken over (moved when previousOwned, as no one else holds it, else copied).
struct GroupSources {
    MovieGroups *own = nullptr;
    std::vector<const MovieGroups *> others;
    ParseCounts *counts = nullptr;
    Movie *previous = nullptr;
    bool previousOwned = false;
};

}  // namespace platform::swf
