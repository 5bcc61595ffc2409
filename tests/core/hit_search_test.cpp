#include "core/document.h"
#include "core/hit_search.h"

#include <gtest/gtest.h>

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
