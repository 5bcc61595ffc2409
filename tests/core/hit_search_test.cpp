#include "core/document.h"
#include "core/hit_search.h"

#include "core/geometry.h"

#include <gtest/gtest.h>

#include <functional>
#include <random>

using namespace core;

namespace {

class HitSearch : public ::testing::Test {
protected:
    void SetUp() override { ResetDocumentForTest(); }

    // Adds a path through the given points and returns its index.
    int32_t AddPath(std::initializer_list<AnchorPoint> anchors, bool closed = false, int32_t flags = 0)
    {
        PathRecord path;
        path.Anchors = anchors;
        path.blClosed = closed;
        path.DispFlags = flags;
        Doc().DocPaths.push_back(path);
        return Doc().DocPathCount();
    }

    AnchorRef Anchor(int32_t x, int32_t y)
    {
        AnchorRef hit;
        FindAnchorNear(x, y, hit.PathIndex, hit.AnchorIndex);
        return hit;
    }

    AnchorRef Segment(int32_t x, int32_t y)
    {
        AnchorRef hit;
        FindSegmentNear(x, y, hit.PathIndex, hit.AnchorIndex);
        return hit;
    }
};

}  // namespace

TEST_F(HitSearch, TheFrontPathAndTheHighestAnchorWin)
{
    AddPath({{1000, 1000}, {2000, 1000}});
    int32_t front = AddPath({{1000, 1000}, {1010, 1000}, {3000, 3000}});
    EXPECT_EQ(Anchor(1005, 1000), (AnchorRef{front, 1}));
    EXPECT_EQ(Anchor(2000, 1020), (AnchorRef{1, 1}));
    EXPECT_EQ(Anchor(5000, 5000), (AnchorRef{0, 0}));
}

TEST_F(HitSearch, HiddenLockedAndSingleAnchorPathsAreNeverFound)
{
    AddPath({{1000, 1000}, {2000, 1000}}, false, kDispHidden);
    AddPath({{1000, 1000}, {2000, 1000}}, false, kDispLocked);
    AddPath({{1000, 1000}});
    for (float zoom : {1.0f, 8.0f}) {
        Doc().ZoomRate = zoom;
        EXPECT_EQ(Anchor(1000, 1000), (AnchorRef{0, 0})) << zoom;
        EXPECT_EQ(Segment(1500, 1000), (AnchorRef{0, 0})) << zoom;
    }
    int32_t visible = AddPath({{1000, 1000}, {2000, 1000}}, false, 4);  // other bits do not hide
    EXPECT_EQ(Anchor(1000, 1000), (AnchorRef{visible, 0}));
    EXPECT_EQ(Segment(1500, 1000), (AnchorRef{visible, 0}));
}

TEST_F(HitSearch, ReachIsThreeScreenPixels)
{
    int32_t p = AddPath({{1000, 1000}, {2000, 1000}});
    Doc().ZoomRate = 1.0f;
    EXPECT_EQ(Anchor(1000, 1059), (AnchorRef{p, 0}));
    EXPECT_EQ(Anchor(1000, 1060), (AnchorRef{0, 0}));  // strict comparison
    EXPECT_EQ(Segment(1500, 1059), (AnchorRef{p, 0}));
    EXPECT_EQ(Segment(1500, 1060), (AnchorRef{0, 0}));

    Doc().ZoomRate = 2.0f;
    EXPECT_EQ(Anchor(1000, 1031), (AnchorRef{0, 0}));
    EXPECT_EQ(Anchor(1000, 1029), (AnchorRef{p, 0}));

    Doc().ZoomRate = 8.0f;  // reach 7.5 twips
    EXPECT_EQ(Anchor(1007, 1000), (AnchorRef{p, 0}));
    EXPECT_EQ(Anchor(1008, 1000), (AnchorRef{0, 0}));
    EXPECT_EQ(Segment(1500, 1007), (AnchorRef{p, 0}));
    EXPECT_EQ(Segment(1500, 1008), (AnchorRef{0, 0}));
    EXPECT_EQ(Segment(2007, 1000), (AnchorRef{p, 0}));  // beyond the end: distance to the end
}

TEST_F(HitSearch, TheBoundsMarginStaysSixtyTwipsWhenZoomedOut)
{
    int32_t p = AddPath({{1000, 1000}, {2000, 1000}});
    Doc().ZoomRate = 0.5f;  // reach 120
    EXPECT_EQ(Anchor(1000, 1059), (AnchorRef{p, 0}));
    EXPECT_EQ(Anchor(1000, 1100), (AnchorRef{0, 0}));  // within reach, outside the grown bounds

    Doc().DocPaths[1].LineWidth = 40;  // the line width widens the bounds
    EXPECT_EQ(Anchor(1000, 1100), (AnchorRef{p, 0}));
}

TEST_F(HitSearch, ClosedPathsHaveTheSegmentBackToTheFirstAnchor)
{
    int32_t triangle = AddPath({{0, 0}, {1000, 0}, {0, 1000}}, true);
    EXPECT_EQ(Segment(500, 10), (AnchorRef{triangle, 0}));
    EXPECT_EQ(Segment(510, 500), (AnchorRef{triangle, 1}));
    EXPECT_EQ(Segment(10, 500), (AnchorRef{triangle, 2}));

    Doc().DocPaths[static_cast<size_t>(triangle)].blClosed = false;
    EXPECT_EQ(Segment(10, 500), (AnchorRef{0, 0}));
}

TEST_F(HitSearch, ExtremeCoordinatesAreSafe)
{
    int32_t p = AddPath({{INT32_MIN, INT32_MIN}, {INT32_MAX, INT32_MAX}});
    Doc().DocPaths[1].LineWidth = INT32_MAX;
    EXPECT_EQ(Anchor(INT32_MAX, INT32_MAX), (AnchorRef{p, 1}));
    EXPECT_EQ(Segment(0, 0), (AnchorRef{p, 0}));
    EXPECT_EQ(Segment(INT32_MIN, INT32_MAX), (AnchorRef{0, 0}));
}

namespace {

// The searches as one pass over every path in drawing order, the last hit winning.
bool GrownBoundsHold(const PathRecord &path, int32_t x, int32_t y)
{
    const Rect32 b = GetPathBounds(path);
    return int64_t{b.Left} - 60 <= x && x <= int64_t{b.Right} + 60 && int64_t{b.Top} - 60 <= y &&
           y <= int64_t{b.Bottom} + 60;
}

AnchorRef LinearSearch(int32_t x, int32_t y, bool segments)
{
    AnchorRef hit;
    const float reach = static_cast<float>(60.0 / Doc().ZoomRate);
    for (int32_t i = 1; i <= Doc().DocPathCount(); ++i) {
        const PathRecord &path = Doc().DocPaths[static_cast<size_t>(i)];
        if (path.IsHidden() || path.IsLocked() || path.AnchorMax() < 1 || !GrownBoundsHold(path, x, y)) {
            continue;
        }
        const int32_t count = path.AnchorMax() + 1;
        const int32_t last = segments ? (path.blClosed ? count - 1 : count - 2) : count - 1;
        for (int32_t k = 0; k <= last; ++k) {
            const AnchorPoint &a = path.Anchors[static_cast<size_t>(k)];
            const AnchorPoint &b = path.Anchors[static_cast<size_t>((k + 1) % count)];
            const float d = segments ? GetSegmentDistance(a.X, a.Y, b.X, b.Y, x, y)
                                     : GetDistance(double(a.X) - x, double(a.Y) - y);
            if (reach > d) {
                hit = {i, k};
            }
        }
    }
    return hit;
}

// Overlapping outlines of 2 to 8 anchors, open and closed, over a 6000-twip square.
PathArray SeededDrawing(unsigned seed, int count)
{
    std::mt19937 random(seed);
    std::uniform_int_distribution<int32_t> position(0, 6000);
    std::uniform_int_distribution<int32_t> step(-700, 700);
    std::uniform_int_distribution<int> anchors(2, 8);
    PathArray paths(1);
    for (int i = 0; i < count; ++i) {
        PathRecord path;
        int32_t x = position(random), y = position(random);
        for (int k = anchors(random); k > 0; --k) {
            path.Anchors.push_back({x, y});
            x += step(random);
            y += step(random);
        }
        path.blClosed = i % 2 == 0;
        path.LineWidth = i % 3 * 20;
        paths.push_back(std::move(path));
    }
    return paths;
}

// Pointer positions: on anchors, on segments' middles, near them and anywhere.
std::vector<std::pair<int32_t, int32_t>> Pointers(unsigned seed)
{
    std::mt19937 random(seed * 31 + 7);
    std::uniform_int_distribution<int32_t> anywhere(-200, 6200);
    std::uniform_int_distribution<int32_t> near(-70, 70);
    std::vector<std::pair<int32_t, int32_t>> pointers;
    const PathArray &paths = Doc().DocPaths;
    for (size_t i = 1; i < paths.size(); i += 3) {
        const AnchorPoint &a = paths[i].Anchors.front();
        const AnchorPoint &b = paths[i].Anchors.back();
        pointers.push_back({a.X, a.Y});
        pointers.push_back({a.X / 2 + b.X / 2, a.Y / 2 + b.Y / 2});
        pointers.push_back({b.X + near(random), b.Y + near(random)});
    }
    for (int k = 0; k < 40; ++k) {
        pointers.push_back({anywhere(random), anywhere(random)});
    }
    return pointers;
}

}  // namespace

TEST_F(HitSearch, FindsWhatAPassOverEveryPathFindsLookingOnlyDownToTheFrontHit)
{
    using Edit = std::function<void(PathArray &)>;
    auto move = [](PathRecord &path, int32_t dx, int32_t dy) {
        for (AnchorPoint &a : path.Anchors) {
            a.X += dx;
            a.Y += dy;
        }
    };
    const struct {
        const char *name;
        Edit edit;
    } edits[] = {
        {"as drawn", [](PathArray &) {}},
        {"some moved", [&](PathArray &p) { for (size_t i = 1; i < p.size(); i += 4) move(p[i], 90, -45); }},
        {"all moved", [&](PathArray &p) { for (PathRecord &path : p) move(path, -30, 20); }},
        {"some deleted", [](PathArray &p) { for (int i = static_cast<int>(p.size()) - 1; i >= 1; i -= 5) p.erase(p.begin() + i); }},
        {"some hidden or locked",
         [](PathArray &p) { for (size_t i = 1; i < p.size(); i += 3) p[i].DispFlags = i % 2 ? kDispHidden : kDispLocked; }},
        {"an anchor dragged", [](PathArray &p) { p[p.size() / 2].Anchors[0].X += 400; }},
    };
    for (unsigned seed = 1; seed <= 3; ++seed) {
        const PathArray drawn = SeededDrawing(seed, 80);
        for (const auto &e : edits) {
            for (float zoom : {1.0f, 0.5f, 4.0f}) {
                for (bool undone : {false, true}) {
                    SCOPED_TRACE(testing::Message() << "seed " << seed << ", " << e.name << (undone ? " and undone" : "")
                                                    << ", zoom " << zoom);
                    Doc().DocPaths = drawn;
                    Doc().ZoomRate = zoom;
                    e.edit(Doc().DocPaths);
                    if (undone) {
                        Doc().DocPaths = drawn;
                    }
                    const int32_t count = Doc().DocPathCount();
                    for (const auto &[x, y] : Pointers(seed)) {
                        for (bool segments : {true, false}) {
                            const int64_t before = PathsLookedAt();
                            const AnchorRef found = segments ? Segment(x, y) : Anchor(x, y);
                            ASSERT_EQ(found, LinearSearch(x, y, segments)) << x << "," << y;
                            // From the front path down to the one found, or every path.
                            EXPECT_EQ(PathsLookedAt() - before, found.PathIndex > 0 ? count - found.PathIndex + 1 : count);
                        }
                    }
                }
            }
        }
    }
}
