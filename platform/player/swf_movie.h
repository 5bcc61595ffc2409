// What the player keeps of a loaded movie: the character dictionary, the frames' placement tags
// and the display list they build. Internal to the player; MoviePlayer (movie_player.h) is the
// public face.
#pragma once

#include "platform/player/swf_movie_groups.h"
#include "platform/player/swf_limits.h"
#include "platform/swf/tag_records.h"

#include <QRectF>
#include <QString>

#include <map>
#include <optional>
#include <string_view>
#include <unordered_map>
#include <variant>

namespace platform::swf {

struct ShapeCharacter {
    std::vector<PlacedGroup> groups;
    // Set when the list was taken over from the shape of this character in the movie loaded
    // before (serial movie), which held before groups: the first head and the last tail of them
    // are that shape's groups as they were.
    struct Origin {
        uint64_t movie = 0;
        size_t before = 0;
        size_t head = 0;
        size_t tail = 0;
    };
    std::optional<Origin> origin;
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
    uint16_t flags = 0;  // EditTextFlags
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
    uint64_t serial = 0;  // unique to each movie parsed in the process
    QRectF frameRect;  // twips
    double frameRate = 12;
    std::optional<QRgb> background;  // SetBackgroundColor
    std::unordered_map<uint16_t, Character> characters;
    std::vector<Frame> frames;

    const Character *Find(uint16_t id) const;
};

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

}  // namespace platform::swf
