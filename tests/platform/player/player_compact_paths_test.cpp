// A drawn group keeps its paths compactly: every path made from what it keeps is element for
// element the path made when the group was built, whatever its coordinates.
#include "platform/player/swf_movie.h"
#include "drawn_paths.h"
#include "tests/support/test_support.h"

#include <QPainterPathStroker>
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <new>
#include <optional>
#include <sys/wait.h>

namespace {

using platform::swf::DrawnGroup;
using platform::swf::Edge;
using platform::swf::StyleGroup;

Edge EdgeOf(QPointF from, QPointF to, int32_t fill1, int32_t line, std::optional<QPointF> control = std::nullopt,
            int32_t fill0 = 0)
{
    Edge edge;
    edge.from = from;
    edge.to = to;
    edge.curved = control.has_value();
    edge.control = control.value_or(to);
    edge.fill0 = fill0;
    edge.fill1 = fill1;
    edge.line = line;
    return edge;
}

// A closed contour through corners, each side curved out by bulge (straight when 0), with fill
// on its right and the line.
std::vector<Edge> Contour(const std::vector<QPointF> &corners, double bulge, int32_t fill1, int32_t line)
{
    std::vector<Edge> edges;
    for (size_t i = 0; i < corners.size(); ++i) {
        const QPointF from = corners[i];
        const QPointF to = corners[(i + 1) % corners.size()];
        const QPointF middle = (from + to) / 2 + QPointF(to.y() - from.y(), from.x() - to.x()) * bulge;
        edges.push_back(EdgeOf(from, to, fill1, line, bulge != 0 ? std::optional<QPointF>(middle) : std::nullopt));
    }
    return edges;
}

// A group of fills solid fills and the lines of the given widths, with edges.
StyleGroup Group(size_t fills, std::vector<double> widths, std::vector<Edge> edges)
{
    StyleGroup group;
    group.fills.resize(fills);
    for (double width : widths) {
        group.lines.push_back({width, 0xFF000000});
    }
    group.edges = std::move(edges);
    return group;
}

std::vector<Edge> Joined(std::vector<Edge> a, const std::vector<Edge> &b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// Corners of a square of side at (x, y).
std::vector<QPointF> Square(double x, double y, double side)
{
    return {{x, y}, {x + side, y}, {x + side, y + side}, {x, y + side}};
}

struct Case {
    const char *name;
    std::function<StyleGroup()> group;
};

const Case kCases[] = {
    {"StraightClosedWithItsLine", [] { return Group(1, {20}, Contour(Square(0, 0, 100), 0, 1, 1)); }},
    {"CurvedContoursOneLined",
     [] {
         return Group(1, {40},
                      Joined(Contour(Square(0, 0, 300), 0.2, 1, 1),
                             Contour({{50, 50}, {90, 60}, {70, 95}}, -0.3, 1, 0)));
     }},
    {"FragmentsJoinedOutOfOrder",
     [] {
         std::vector<Edge> edges = Contour(Square(10, 10, 200), 0.1, 1, 1);
         std::swap(edges[0], edges[2]);
         std::swap(edges[1].from, edges[1].to);  // walked backwards: the fill on its left
         std::swap(edges[1].fill0, edges[1].fill1);
         return Group(1, {20}, edges);
     }},
    {"TwoFillsSharingAnEdgeAndTwoLines",
     [] {
         std::vector<Edge> edges = Contour({{0, 0}, {100, 0}, {100, 100}}, 0.15, 1, 1);
         for (const Edge &edge : Contour({{100, 100}, {100, 0}, {200, 50}}, 0, 2, 2)) {
             edges.push_back(edge);
         }
         edges.push_back(EdgeOf({0, 0}, {100, 100}, 2, 2, QPointF(30, 70), 1));
         return Group(2, {10, 60}, edges);
     }},
    {"DegenerateEdgesAndUnusedStyles",
     [] {
         return Group(3, {20, 30},
                      {EdgeOf({5, 5}, {5, 5}, 1, 1), EdgeOf({7, 7}, {7, 7}, 2, 0, QPointF(7, 7)),
                       EdgeOf({0, 0}, {50, 0}, 0, 1), EdgeOf({50, 0}, {50, 0}, 0, 1, QPointF(50, 0))});
     }},
    {"LinesOnly",
     [] {
         return Group(0, {0, 80}, Joined(Contour(Square(0, 0, 10), 0.5, 0, 1), Contour(Square(20, 20, 1), 0, 0, 2)));
     }},
    {"FractionsAsMorphsBlend",
     [] {
         return Group(1, {12.5},
                      Contour({{0, 0}, {1.0 / 3, -0.25}, {1e-9, 2.5}, {-0.0, 1e15 + 0.5}}, 0.37, 1, 1));
     }},
    {"AtTheEndsOf16Bits", [] { return Group(1, {20}, Contour({{0, 0}, {32767, -32768}, {-32768, 32767}}, 0, 1, 1)); }},
    {"JustPast16Bits", [] { return Group(1, {20}, Contour({{0, 0}, {32768, 5}, {-32769, 300}}, 0.25, 1, 1)); }},
    // Whole points one past either end of 16 bits, every other point within them.
    {"OnePastTheTopOf16Bits", [] { return Group(1, {20}, Contour({{0, 0}, {32768, 5}, {-300, 300}}, 0, 1, 1)); }},
    {"OnePastTheBottomOf16Bits", [] { return Group(1, {20}, Contour({{0, 0}, {5, -32769}, {300, -300}}, 0, 1, 1)); }},
    {"AtTheEndsOf32Bits",
     [] { return Group(1, {20}, Contour({{0, 0}, {2147483647.0, -2147483648.0}, {-2147483648.0, 1}}, 0, 1, 1)); }},
    {"FarBeyond32Bits",
     [] {
         // As far as edges can reach within a movie's edge budget, and beyond.
         const double reach = std::ldexp(1.0, 40);
         return Group(1, {20}, Contour({{0, 0}, {reach, -reach}, {std::ldexp(1.0, 53), 1e300}}, 0.5, 1, 1));
     }},
    {"LargeGroupKeptAsMade",
     [] {
         std::vector<QPointF> corners;
         for (int i = 0; i < 6000; ++i) {
             const double angle = i * 2 * M_PI / 6000;
             corners.emplace_back(std::round(30000 * std::cos(angle)), std::round(30000 * std::sin(angle)));
         }
         return Group(1, {20}, Joined(Contour(corners, 0.05, 1, 0), Contour(Square(0, 0, 50), 0, 0, 1)));
     }},
};

TEST(CompactPaths, EveryPathIsMadeElementForElementAsWhenItsGroupWasBuilt)
{
    platform::swf::PathsMade scratch;  // its room reused from group to group, as a renderer does
    for (const Case &c : kCases) {
        SCOPED_TRACE(c.name);
        std::vector<QPainterPath> made;
        const DrawnGroup group = platform::swf::BuildDrawnGroup(c.group(), &made);
        ASSERT_EQ(made.size(), group.fills.size() + group.lines.size());
        for (int pass = 0; pass < 2; ++pass) {
            for (size_t i = 0; i < made.size(); ++i) {
                SCOPED_TRACE(i);
                const bool fill = i < group.fills.size();
                const size_t style = fill ? i : i - group.fills.size();
                EXPECT_EQ(fill ? group.FillEmpty(style) : group.LineEmpty(style), made[i].isEmpty());
                EXPECT_TRUE(swftest::SameElements(
                    fill ? group.FillPath(style, scratch) : group.LinePath(style, scratch), made[i]));
            }
        }
        // Copies of the group (restyled ones) make the same paths.
        const DrawnGroup copy = group;
        const std::vector<QPainterPath> again = swftest::MadePaths(copy);
        for (size_t i = 0; i < made.size(); ++i) {
            EXPECT_TRUE(swftest::SameElements(again[i], made[i]));
        }
    }
}

// A small closed curved outline with its line, as drawings hold by the thousand, keeps its paths
// in a fraction of the bytes of the paths made from them.
TEST(CompactPaths, ASmallCurvedOutlineHoldsAFractionOfItsMadePaths)
{
    std::vector<Edge> edges;
    auto at = [](int k, double reach) {  // whole twips, as a movie's (never -0)
        const double angle = k * M_PI / 10;
        return QPointF(std::round(reach * std::cos(angle)) + 0.0, std::round(reach * std::sin(angle)) + 0.0);
    };
    for (int k = 0; k < 20; k += 2) {
        edges.push_back(EdgeOf(at(k, 600), at(k + 2, 600), 1, 1, at(k + 1, 660)));
    }
    std::vector<QPainterPath> made;
    const DrawnGroup group = platform::swf::BuildDrawnGroup(Group(1, {40}, edges), &made);
    const size_t madeBytes = made[0].elementCount() * sizeof(QPainterPath::Element);
    EXPECT_EQ(made[0].elementCount(), 31);
    EXPECT_LE(group.paths.HeldBytes() * 4, madeBytes) << group.paths.HeldBytes();
}

// Paths kept with their points as floats (as line outlines are) are made as their points rounded
// to floats make them, whether kept first or rounded where they lie, element for element: curves,
// points that rounding brings together, and points beyond the range of floats.
TEST(CompactPaths, PathsKeptAsFloatsAreMadeAsTheirRoundedPointsMakeThem)
{
    using platform::swf::CompactPaths;
    QPainterPathStroker stroker;
    stroker.setWidth(40);
    stroker.setCapStyle(Qt::RoundCap);
    stroker.setJoinStyle(Qt::RoundJoin);
    QPainterPath wave(QPointF(0, 0));
    wave.quadTo(150, -300, 300, 0);
    wave.quadTo(450, 300, 600, 0);
    QPainterPath together(QPointF(60000, 0));  // lines shorter than a float's step there
    together.lineTo(60000.0001, 0);
    together.lineTo(60000.0002, 0.00001);
    together.lineTo(60100, 50);
    QPainterPath far(QPointF(0, 0));
    far.lineTo(1e100, -1e100);
    far.lineTo(1e20, 3);
    const struct {
        const char *name;
        QPainterPath path;
    } cases[] = {{"StrokedWave", stroker.createStroke(wave)},
                 {"PointsBroughtTogether", together},
                 {"BeyondFloats", far},
                 {"Empty", QPainterPath()}};
    CompactPaths::Builder builder;
    for (const auto &c : cases) {
        builder.Record(c.path);
    }
    const CompactPaths kept = builder.Finish({}, CompactPaths::Points::Float);
    QPainterPath room;
    for (size_t i = 0; i < std::size(cases); ++i) {
        SCOPED_TRACE(cases[i].name);
        QPainterPath made = cases[i].path;
        CompactPaths::RoundToFloats(made);
        EXPECT_TRUE(swftest::SameElements(kept.Make(i, room), made));
        EXPECT_EQ(kept.IsEmpty(i), cases[i].path.isEmpty());
    }
}

// Qt goes on with a null pointer when a path's elements cannot be allocated: a group whose paths
// memory cannot hold throws std::bad_alloc instead of ending the program. The child process
// holds the group's edges, then gets far less room than the paths of a million curves take
// (72 MB at least), though more than what the build itself asks for.
TEST(CompactPaths, AGroupWhosePathsMemoryCannotHoldThrowsBadAlloc)
{
    if (!testsupport::kAddressSpaceLimits) {
        GTEST_SKIP() << "the sanitizers' shadow memory does not fit under an address-space limit";
    }
    std::vector<Edge> edges;
    constexpr int kCurves = 1'000'000;
    edges.reserve(kCurves);
    for (int i = 0; i < kCurves; ++i) {
        const double x = i % 1000 * 20;
        const double y = i / 1000 * 20;
        edges.push_back(EdgeOf(QPointF(x, y), QPointF(x + 20, y), 1, 0, QPointF(x + 10, y + 7)));
    }
    StyleGroup group = Group(1, {}, std::move(edges));
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        if (!testsupport::LimitAddressSpace(48u << 20)) {
            _exit(3);
        }
        try {
            platform::swf::BuildDrawnGroup(std::move(group));
        } catch (const std::bad_alloc &) {
            _exit(0);
        }
        _exit(2);  // it fitted: the room left was not too little
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_FALSE(WIFSIGNALED(status)) << "ended by signal " << WTERMSIG(status);
    EXPECT_EQ(WEXITSTATUS(status), 0);
}

}  // namespace
