// What the player keeps of a loaded movie: the character dictionary, the frames' placement tags
// and the display list, plus the parser and renderer entry points that work on them. Internal to
// the player; MoviePlayer (movie_player.h) is the public face.
#pragma once

#include <QImage>
#include <QPainterPath>
#include <QRectF>
#include <QString>
#include <QTransform>
#include <QtGui/qrgb.h>

#include "platform/player/swf_group_index.h"

#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <variant>
#include <vector>

class QPainter;

namespace platform::swf {

struct GroupPieces;  // swf_path_pieces.h

// Limits that keep hostile files cheap: every count read from a file is also bounded by the
// bytes that remain, these cap what the bytes could still multiply into.
constexpr size_t kMaxMovieBytes = 128u << 20;     // inflated size of a compressed movie
constexpr size_t kMaxEdgesPerMovie = 4u << 20;    // shape edges over all characters
constexpr size_t kMaxFrames = 65535;
// Display-list operations (placements and removals) kept in one frame and in the whole movie; a
// movie with more is read up to there, as if it were cut off.
constexpr size_t kMaxPlacementsPerFrame = 1u << 17;
constexpr size_t kMaxPlacementsPerMovie = 1u << 19;
constexpr int64_t kMaxBitmapPixels = 32ll << 20;  // decoded bitmap size
constexpr int kMaxBitmapSide = 16384;

// Colour transform with alpha: channel' = clamp(channel * mult / 256 + add).
struct ColorTransform {
    int32_t mult[4] = {256, 256, 256, 256};  // red, green, blue, alpha; 256 = unchanged
    int32_t add[4] = {0, 0, 0, 0};

    bool IsIdentity() const;
    // Only the alpha multiplier differs from identity (drawn with painter opacity).
    bool IsAlphaScaleOnly() const;
    QRgb Apply(QRgb color) const;
    QImage Apply(const QImage &image) const;

    bool operator==(const ColorTransform &) const = default;
};

enum class FillKind { Solid, Linear, Radial, Bitmap };

struct GradientStop {
    double ratio = 0;  // 0..255
    QRgb color = 0;
};

struct FillStyle {
    FillKind kind = FillKind::Solid;
    QRgb color = 0;
    QTransform matrix;                 // gradient square or bitmap pixels -> shape twips
    std::vector<GradientStop> stops;
    uint16_t bitmapId = 0;
    bool clipped = true;               // bitmap drawn once, not tiled
    bool smoothed = true;
};

struct LineStyle {
    double width = 0;  // twips
    QRgb color = 0;
};

// One edge in absolute shape twips, with the styles on its two sides and its line.
struct Edge {
    QPointF from;
    QPointF control;
    QPointF to;
    bool curved = false;
    int32_t fill0 = 0;  // 1-based style indexes into the group's arrays; 0 = none
    int32_t fill1 = 0;
    int32_t line = 0;
};

// Edges between two new-style records, with the style arrays they index.
struct StyleGroup {
    std::vector<FillStyle> fills;
    std::vector<LineStyle> lines;
    std::vector<Edge> edges;
};

// Budgets of line outlines (the area a line covers at full width, round caps and joins), in path
// elements of 24 bytes: one outline is built only when its estimated size fits kMaxOutlineElements
// (else its line is drawn one device pixel wide), and outlines are kept for later renders while all
// kept ones together fit kMaxHeldOutlineElements (else they are built again when drawn).
constexpr int64_t kMaxOutlineElements = 2 << 20;
constexpr int64_t kMaxHeldOutlineElements = 4 << 20;

// The outline elements kept by all groups, and those built since the program started.
struct OutlineCounts {
    int64_t held = 0;
    int64_t built = 0;
};
OutlineCounts CurrentOutlineCounts();

// Outlines are built for scales in steps of two: the scale (device pixels per twip) an outline
// drawn at scale is built for, the next power of two at or above it. An outline depends on its
// line, width and this scale only, whatever was drawn before.
double OutlineScale(double scale);
// A generous estimate of the elements of a line's outline drawn at scale device pixels per twip;
// above kMaxOutlineElements it is not built.
int64_t EstimatedOutlineElements(const QPainterPath &line, double width, double scale);
// The area a line of width twips covers, round caps and joins, exact to within a tenth of a
// device pixel at OutlineScale(scale) and below.
QPainterPath LineOutline(const QPainterPath &line, double width, double scale);

// The outlines of a group's lines, built when first drawn and kept within the budget above, and
// the largest scale they were readied for. Shared by the groups that have the same paths; filled
// in before the drawing threads start (each object by one thread), read by them.
class LineOutlines {
public:
    explicit LineOutlines(size_t count) : outlines_(count), scales_(count, 0.0), tried_(count, false) {}
    ~LineOutlines();
    LineOutlines(const LineOutlines &) = delete;
    LineOutlines &operator=(const LineOutlines &) = delete;

    // The kept outline of line index built for OutlineScale(scale), or nullptr.
    const QPainterPath *Held(size_t index, double scale) const;
    // Builds and keeps the outline for OutlineScale(scale) (replacing one built for another) when
    // the budgets allow; returns it or nullptr. A line whose outline did not fit is not tried
    // again: it is outlined anew whenever it is drawn.
    const QPainterPath *Hold(size_t index, const QPainterPath &line, double width, double scale);

    // The OutlineScale the outlines were last readied for: tried for every line wide there.
    double ReadiedScale() const { return readiedScale_; }
    void SetReadiedScale(double scale) { readiedScale_ = scale; }

private:
    std::vector<std::optional<QPainterPath>> outlines_;
    std::vector<double> scales_;  // the scale each kept outline was built for
    std::vector<bool> tried_;
    int64_t held_ = 0;
    double readiedScale_ = 0;
};

// A style group turned into paths: one even-odd path per fill style and one per line style.
struct DrawnGroup {
    std::vector<FillStyle> fills;
    std::vector<LineStyle> lines;
    std::vector<QPainterPath> fillPaths;  // index = style - 1
    std::vector<QPainterPath> linePaths;
    std::shared_ptr<LineOutlines> lineOutlines;  // by line style, as linePaths
    QRectF bounds;  // twips, lines included
    std::shared_ptr<const GroupPieces> pieces;  // of the long fills; null when there are none
};

DrawnGroup BuildDrawnGroup(StyleGroup group);

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

// A style group as its bytes in a movie: the bits it spans (kept in MovieGroups::bytes), the
// reader's state where it starts, and what was made of it. The same bits read from the same state
// give the same group, so a later movie holding them takes it without reading its edges again.
struct RawGroup {
    size_t byteBegin = 0;  // in MovieGroups::bytes; the last byte's unused bits are zero
    size_t bits = 0;
    int64_t penX = 0;
    int64_t penY = 0;
    int32_t fill0 = 0;
    int32_t fill1 = 0;
    int32_t line = 0;
    uint8_t tagCode = 0;
    // Where the record after the span starts: the pen there and the bit counts of style indexes.
    uint8_t fillBits = 0;
    uint8_t lineBits = 0;
    int64_t endX = 0;
    int64_t endY = 0;
    size_t edges = 0;  // charged to the movie's edge budget
    PlacedGroup placed;
    uint64_t styleKey = 0;     // the group's HashGroup
    uint64_t geometryKey = 0;  // and HashGroupGeometry
};

// The drawn groups of the last movie a player loaded, for the movies loaded after it (by any
// player sharing them): a span of bytes unchanged is not read again, a group whose styles and
// edges are unchanged (wherever it lies) is not built again, and one whose edges and line widths
// are unchanged takes the paths of the old one with its new styles. Every hit is confirmed by
// the bytes or by the values its hash covers.
struct MovieGroups {
    std::vector<RawGroup> raw;  // the groups of the movie, in order
    std::string bytes;          // their spans
    // Indexes into raw by the hash of a group's bytes, its HashGroup and its HashGroupGeometry.
    GroupIndex rawIndex;
    GroupIndex groups;
    GroupIndex geometry;

    size_t size() const { return groups.size(); }
    void clear() { *this = MovieGroups(); }
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
// (not taken from a cache by their bytes), and groups whose paths were built.
struct ParseCounts {
    int64_t groupsRead = 0;
    int64_t groupsBuilt = 0;
};

// Where the groups of a movie being parsed come from and go: taken from own (the groups of the
// player's last movie) or else from others (those of other players, left as they are); own holds
// exactly the groups of the new movie afterwards. counts, when given, is increased by the work done.
struct GroupSources {
    MovieGroups *own = nullptr;
    std::vector<const MovieGroups *> others;
    ParseCounts *counts = nullptr;
};

struct ShapeCharacter {
    std::vector<PlacedGroup> groups;
};

struct MorphCharacter {
    StyleGroup start;  // styles and edges at ratio 0
    StyleGroup end;    // the same styles' end values; edges paired with start's by index
    // The shape last built, for the ratio it was built at.
    mutable int32_t cachedRatio = -1;
    mutable GroupPtr cached;

    GroupPtr AtRatio(uint16_t ratio) const;
};

struct BitmapCharacter {
    QImage image;  // ARGB32 premultiplied
};

struct FontCharacter {
    QString family;  // installed family the device font name resolved to
    bool bold = false;
    bool italic = false;
};

struct EditTextCharacter {
    QRectF bounds;  // twips
    uint16_t flags = 0;
    uint16_t fontId = 0;
    bool hasFont = false;
    double height = 240;  // twips
    QRgb color = 0xFF000000;
    int32_t align = 0;  // 0 left, 1 right, 2 centre, 3 justify
    double leftMargin = 0;
    double rightMargin = 0;
    double indent = 0;
    double leading = 0;
    QString text;

    enum Flag : uint16_t {
        kWordWrap = 0x4000,
        kMultiline = 0x2000,
        kAutoSize = 0x0040,
        kBorder = 0x0008,
        kHtml = 0x0002,
    };
};

using Character = std::variant<ShapeCharacter, MorphCharacter, BitmapCharacter, FontCharacter, EditTextCharacter>;

// PlaceObject/PlaceObject2 or RemoveObject/RemoveObject2 as read from a frame.
struct PlaceTag {
    bool remove = false;
    uint16_t depth = 0;
    bool move = false;
    std::optional<uint16_t> characterId;
    std::optional<QTransform> matrix;
    std::optional<ColorTransform> colorTransform;
    std::optional<uint16_t> ratio;
    std::optional<uint16_t> clipDepth;
};

struct Frame {
    std::vector<PlaceTag> tags;
};

struct Movie {
    QRectF frameRect;  // twips
    double frameRate = 12;
    std::optional<QRgb> background;  // SetBackgroundColor
    std::unordered_map<uint16_t, Character> characters;
    std::vector<Frame> frames;

    const Character *Find(uint16_t id) const;
};

// Parses a whole movie file. A file that is not a movie gives nullptr; a damaged one gives what
// could be read before the damage. Groups found in sources are reused (see GroupSources).
std::unique_ptr<Movie> ParseMovie(std::string_view bytes, const GroupSources &sources = {});

// Characters placed on the stage, by depth.
struct DisplayObject {
    uint16_t characterId = 0;
    QTransform matrix;
    ColorTransform colorTransform;
    uint16_t ratio = 0;
    uint16_t clipDepth = 0;
};
using DisplayList = std::map<uint16_t, DisplayObject>;

void ApplyFrame(const Frame &frame, DisplayList &list);

enum class Quality { Low, Medium, High, Best };

// A range of paint items (numbered as PaintItems numbers them), end excluded.
struct ItemRange {
    size_t begin = 0;
    size_t end = SIZE_MAX;
};

// Draws the display list into the part clip of the picture area of target through view (movie
// twips -> device pixels). Large pictures are drawn in horizontal bands on several threads; the
// bands depend on the picture area only, so a part repainted gives the pixels of a whole render.
// Only the paint items in range are drawn (clip layers always apply), so that drawing the items
// of consecutive ranges one after another gives the pixels of drawing them all at once.
void RenderDisplayList(const Movie &movie, const DisplayList &list, QImage &target, const QRect &picture,
                       const QRect &clip, const QTransform &view, Quality quality, const ItemRange &range = {});

// Device pixels around a shape's bounds that its drawing may still touch (anti-aliasing,
// one-pixel lines): shapes are culled, and changed areas widened, by this margin.
constexpr double kPaintMargin = 2;

// One thing the renderer paints, in painting order, for telling where the pictures of two display
// lists differ: a shape group at its placement (a clip layer's mask when clipDepth > 0), or
// something without a shared group (text), which is never taken for unchanged.
struct PaintItem {
    GroupPtr group;  // kept alive so that an equal pointer means the same group
    QTransform matrix;  // group -> movie twips: the placement, with the group's offset
    ColorTransform colorTransform;
    uint16_t depth = 0;
    uint16_t clipDepth = 0;
    bool comparable = false;  // false when drawn from data read anew with each movie (bitmaps, text)

    bool SameAs(const PaintItem &other) const;
};

std::vector<PaintItem> PaintItems(const Movie &movie, const DisplayList &list);

// How many leading items of the two lists paint the same.
size_t UnchangedHead(const std::vector<PaintItem> &before, const std::vector<PaintItem> &after);

// The device area (within area) where the pictures of the two item lists, drawn through view,
// can differ: all of area when a clip layer or something of unknown extent changed. It spans
// whole rows of area where a gradient or bitmap fill lies in it, so that what is repainted
// equals a whole render bit for bit.
QRect ChangedArea(const std::vector<PaintItem> &before, const std::vector<PaintItem> &after,
                  const QTransform &view, const QRect &area);

// Bitmap and text support (swf_bitmaps.cpp, swf_text.cpp).
QImage DecodeJpeg(std::string_view data);
// The picture with its alpha plane; the picture's colours are already multiplied by that alpha.
QImage ApplyAlphaPlane(const QImage &image, std::string_view zlibAlpha);
QString ResolveDeviceFont(const QString &name);
void DrawEditText(const Movie &movie, const EditTextCharacter &text, QPainter &painter, const ColorTransform &cx,
                  Quality quality);

}  // namespace platform::swf
