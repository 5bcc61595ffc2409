// Reading a shape's style groups in parts on several threads gives exactly what reading them on
// one thread gives: the movie, the groups kept for the next one and the work counted,
// for fresh loads, loads over a kept movie or another player's groups, and damaged files.
#include "platform/player/player_testing.h"
#include "platform/player/swf_movie.h"
#include "platform/player/swf_parser.h"
#include "drawn_paths.h"
#include "player_test_util.h"
#include "tests/support/byte_mutator.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <iomanip>
#include <map>
#include <sstream>

using namespace swftest;

namespace {

using platform::swf::DrawnGroup;
using platform::swf::MovieGroups;
using platform::swf::ParseCounts;

constexpr int kSize = 240;

int32_t Px(int pixels)
{
    return pixels * 20;
}

// Style group k of a drawing: a curved outline whose look and size cycle with k, some with a
// gradient, a second fill inside or no line; shift moves it, tint recolours it.
void AddGroup(Records &records, int k, int shift, uint32_t tint, bool first)
{
    Styles styles;
    if (k % 5 == 3) {
        styles.Gradient(k % 2 == 0, 0.002 + k % 3 * 0.001, Px(k % 200), Px(k % 180),
                        {{0, 0xFF0000FF ^ tint}, {255, 0x00FF00FF}});
    } else {
        styles.Solid((0x102030FF + static_cast<uint32_t>(k) * 0x01050300u) ^ tint);
    }
    if (k % 7 == 2) {
        styles.Solid(0x804020FF ^ tint);
    }
    if (k % 4 != 1) {
        styles.Line(static_cast<uint16_t>(20 + k % 3 * 30), 0x202020FF);
    }
    const int32_t x = Px(k * 37 % 200) + shift;
    const int32_t y = Px(k * 53 % 200);
    const int32_t r = Px(6 + k % 9);
    const int line = k % 4 != 1 ? 1 : 0;
    if (first) {
        records.Move(x, y, 1, -1, line);
    } else {
        records.NewStyles(styles, x, y, 1, line);
    }
    records.Curve(x + r, y, x + r, y + r).Line(x, y + r + Px(k % 3)).Curve(x - r, y + r, x, y);
    if (k % 7 == 2) {  // an inner square with the second fill on its inside
        records.Move(x, y + Px(2), 1, 2, -1).Line(x + Px(2), y + Px(2)).Line(x + Px(2), y + Px(4));
        records.Line(x, y + Px(4)).Line(x, y + Px(2));
    }
    if (k % 11 == 6) {  // edges with no style at all: read, never kept
        records.Move(x, y, 0, 0, 0).Line(x + Px(3), y + Px(3));
    }
}

// A movie of groups style groups in one shape (character 1), and a small shape (character 2)
// whose tag comes first; the groups from changedFrom on are shifted and recoloured.
std::string Drawing(int groups, int changedFrom = INT32_MAX, int shift = 0, uint32_t tint = 0)
{
    Records records;
    Styles firstStyles;
    for (int k = 0; k < groups; ++k) {
        const bool changed = k >= changedFrom;
        if (k == 0) {
            firstStyles.Solid(0x102030FF ^ (changed ? tint : 0u)).Line(20, 0x202020FF);
        }
        AddGroup(records, k, changed ? shift : 0, changed ? tint : 0u, k == 0);
    }
    Styles badgeStyles;
    badgeStyles.Solid(0xFF8000FF);
    Records badge;
    badge.Box(Px(200), Px(200), Px(230), Px(230), 1);
    Movie movie(kSize, kSize);
    movie.Shape(2, badgeStyles, badge).Shape(1, firstStyles, records).Place(1, 1).Place(2, 2).ShowFrame();
    return movie.Bytes();
}

// Everything a parse produced, in text: the movie's characters, the groups kept and the work
// counted. Drawn groups and line outlines are numbered by first appearance over a whole run, so
// that which ones are shared (between movies, with a cache) is compared too.
class Description {
public:
    void Add(const platform::swf::Movie *movie, const MovieGroups &kept, const ParseCounts &counts)
    {
        out_ << std::setprecision(17) << "movie\n";
        if (movie == nullptr) {
            out_ << " none\n";
        } else {
            std::map<uint16_t, const platform::swf::Character *> characters;
            for (const auto &[id, character] : movie->characters) {
                characters[id] = &character;
            }
            for (const auto &[id, character] : characters) {
                out_ << " character " << id << " kind " << character->index() << "\n";
                if (const auto *shape = std::get_if<platform::swf::ShapeCharacter>(character)) {
                    for (const platform::swf::PlacedGroup &placed : shape->groups) {
                        Placed(placed);
                    }
                    if (shape->origin) {
                        out_ << "  origin " << shape->origin->before << " " << shape->origin->head << " "
                             << shape->origin->tail << "\n";
                    }
                }
            }
            out_ << " frames " << movie->frames.size() << " first " << movie->frames.front().tags.size() << "\n";
        }
        out_ << "kept " << kept.rawGroups.size() << " free " << kept.freeSlots.size() << "\n";
        for (uint32_t slot : kept.order) {
            const platform::swf::RawGroup &raw = kept.rawGroups[slot];
            out_ << " slot " << slot << " at " << raw.byteBegin << " bits " << raw.bits << " pen " << raw.penX << ","
                 << raw.penY << " styles " << raw.fill0 << "," << raw.fill1 << "," << raw.line << " tag "
                 << int{raw.tagCode} << " moves " << static_cast<int>(raw.moves) << " records " << raw.recordsAt
                 << " end " << int{raw.fillBits} << "," << int{raw.lineBits} << "," << raw.endX << "," << raw.endY
                 << " edges " << raw.edges << "+" << raw.edgesBefore << " position " << raw.position << " keys "
                 << raw.rawKey << "," << raw.styleKey << "," << raw.geometryKey << "\n";
            Placed(raw.placed);
        }
        std::map<uint16_t, platform::swf::CachedShape> shapes(kept.shapes.begin(), kept.shapes.end());
        for (const auto &[id, shape] : shapes) {
            out_ << " shape " << id << " " << int{shape.tagCode} << " " << shape.groupsBegin << " " << shape.groupsEnd
                 << " " << shape.first << " " << shape.count << " " << shape.edges << " " << shape.complete << "\n";
        }
        out_ << "counts " << counts.groupsRead << " " << counts.groupsBuilt << " " << counts.groupsTaken << " "
             << counts.groupsDecoded << "\n";
    }
    std::string Text() const { return out_.str(); }

private:
    void Placed(const platform::swf::PlacedGroup &placed)
    {
        out_ << "  at " << placed.offset.x() << "," << placed.offset.y() << " ";
        if (!placed.group) {
            out_ << "no group\n";
            return;
        }
        const auto [known, added] = groups_.try_emplace(placed.group.get(), groups_.size());
        out_ << "group " << known->second << "\n";
        if (added) {
            Group(*placed.group);
        }
    }

    void Path(const QPainterPath &path)
    {
        out_ << "   path " << path.fillRule() << " " << path.elementCount() << ":";
        for (int i = 0; i < path.elementCount(); ++i) {
            const QPainterPath::Element element = path.elementAt(i);
            out_ << " " << element.type << "," << element.x << "," << element.y;
        }
        out_ << "\n";
    }

    void Group(const DrawnGroup &group)
    {
        for (const platform::swf::FillStyle &fill : group.fills) {
            const QTransform &m = fill.matrix;
            out_ << "   fill " << static_cast<int>(fill.kind) << " " << fill.color << " " << m.m11() << " " << m.m12()
                 << " " << m.m21() << " " << m.m22() << " " << m.dx() << " " << m.dy() << " " << fill.bitmapId << " "
                 << fill.clipped << fill.smoothed;
            for (const platform::swf::GradientStop &stop : fill.stops) {
                out_ << " " << stop.ratio << ":" << stop.color;
            }
            out_ << "\n";
        }
        for (const platform::swf::LineStyle &line : group.lines) {
            out_ << "   line " << line.width << " " << line.color << "\n";
        }
        for (const QPainterPath &path : swftest::MadePaths(group)) {
            Path(path);
        }
        const auto outlines = outlines_.try_emplace(group.outlines.get(), outlines_.size()).first;
        const QRectF &b = group.bounds;
        out_ << "   bounds " << b.x() << " " << b.y() << " " << b.width() << " " << b.height() << " outlines "
             << outlines->second << " pieces " << (group.pieces != nullptr) << "\n";
    }

    std::ostringstream out_;
    std::map<const DrawnGroup *, size_t> groups_;
    std::map<const void *, size_t> outlines_;
};

// A run of loads through one player's kept groups (and, when others is given, another player's
// groups parsed from it first), in parts of perPart groups, described. The pixels follow from
// what is described, which the player's pixel tests check.
std::string Loads(const std::vector<std::string> &movies, size_t perPart, const std::string &others = {})
{
    platform::SetShapeGroupsPerPartForTest(perPart);
    Description description;
    MovieGroups otherGroups;
    std::vector<const MovieGroups *> otherSources;
    if (!others.empty()) {
        ParseCounts ignored;
        const auto parsed = platform::swf::ParseMovie(others, {&otherGroups, {}, &ignored});
        otherSources.push_back(&otherGroups);
    }
    MovieGroups kept;
    ParseCounts counts;
    std::shared_ptr<platform::swf::Movie> previous;
    for (const std::string &bytes : movies) {
        std::shared_ptr<platform::swf::Movie> movie = platform::swf::ParseMovie(
            bytes, {&kept, otherSources, &counts, previous.get(), previous.use_count() == 1});
        description.Add(movie.get(), kept, counts);
        previous = std::move(movie);
    }
    platform::SetShapeGroupsPerPartForTest(0);
    return description.Text();
}

// Each run in one part (on the calling thread) and in parts of 1 and 7 groups: all alike.
void ExpectPartsAlike(const std::vector<std::string> &movies, const std::string &others, const std::string &what)
{
    const std::string whole = Loads(movies, SIZE_MAX, others);
    for (size_t perPart : {size_t{1}, size_t{7}}) {
        EXPECT_EQ(Loads(movies, perPart, others), whole) << what << " in parts of " << perPart;
    }
}

}  // namespace

TEST(ParseInParts, GivesWhatOneThreadGives)
{
    const std::string base = Drawing(300);
    const struct {
        const char *what;
        std::vector<std::string> movies;
        std::string others;
    } cases[] = {
        {"fresh load", {base}, {}},
        {"the same movie again", {base, base}, {}},
        {"the second half moved", {base, Drawing(300, 150, Px(3))}, {}},
        {"the second half recoloured", {base, Drawing(300, 150, 0, 0x00FF0000u)}, {}},
        {"every group moved and recoloured", {base, Drawing(300, 0, Px(1), 0x0000FF00u)}, {}},
        {"more groups, then fewer", {base, Drawing(340), Drawing(120)}, {}},
        {"another player's groups", {Drawing(300, 100, Px(2))}, base},
        {"another player's groups and its own", {Drawing(200), Drawing(300, 100, 0, 0x00FF0000u)}, base},
    };
    for (const auto &c : cases) {
        ExpectPartsAlike(c.movies, c.others, c.what);
    }
}

TEST(ParseInParts, DamagedMoviesAreReadAlikeUpToTheDamage)
{
    const std::string base = Drawing(160);
    std::vector<std::string> damaged;
    for (size_t cut : {base.size() / 3, base.size() / 2 + 1, base.size() * 3 / 4 + 2, base.size() - 3}) {
        damaged.push_back(base.substr(0, cut));
    }
    testsupport::ByteMutator mutator(20261210, {std::string("\xFF\xFF\xFF\xFF", 4), std::string(8, '\0')});
    for (int i = 0; i < 12; ++i) {
        damaged.push_back(mutator.Mutate(base));
    }
    for (size_t i = 0; i < damaged.size(); ++i) {
        ExpectPartsAlike({damaged[i]}, {}, "damaged movie " + std::to_string(i));
        ExpectPartsAlike({base, damaged[i]}, {}, "damaged movie " + std::to_string(i) + " over the good one");
    }
}
