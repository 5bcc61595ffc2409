#include "core/document.h"
#include "core/geometry.h"

#include "tests/core/recording_host.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <vector>

using namespace core;

namespace {

PathRecord MakePath(std::initializer_list<AnchorPoint> anchors, int32_t lineWidth = 20)
{
    PathRecord path;
    path.Anchors = anchors;
    path.LineWidth = lineWidth;
    return path;
}

PathRecord PathWithAnchors(int count)
{
    PathRecord path;
    for (int i = 0; i < count; ++i) {
        path.Anchors.push_back(AnchorPoint{i * 100, i * 10, kOnCurve});
    }
    return path;
}

class DocumentTest : public testsupport::RecordingHostTest {
protected:
    void AddPath(const PathRecord &path) { Doc().DocPaths.push_back(path); }
};

}  // namespace

TEST_F(DocumentTest, AnchorIndexWrapsAroundThePath)
{
    AddPath(MakePath({{10, 20, kOnCurve}, {30, 40, kControlPoint}, {50, 60, kOnCurve}}, 40));
    int32_t x = 0, y = 0, w = 0;
    GetAnchor(x, y, w, 1, 1);
    EXPECT_EQ((std::vector<int32_t>{x, y, w}), (std::vector<int32_t>{30, 40, 40}));
    GetAnchor(x, y, w, 1, 3);  // AnchorMax + 1
    EXPECT_EQ((std::vector<int32_t>{x, y}), (std::vector<int32_t>{10, 20}));
    GetAnchor(x, y, w, 1, 6);  // 2 x (AnchorMax + 1)
    EXPECT_EQ((std::vector<int32_t>{x, y}), (std::vector<int32_t>{10, 20}));
    GetAnchor(x, y, w, 1, 5);
    EXPECT_EQ((std::vector<int32_t>{x, y}), (std::vector<int32_t>{50, 60}));

    MoveAnchor(5, -5, 1, 4);  // anchor 1
    EXPECT_EQ(Doc().DocPaths[1].Anchors[1], (AnchorPoint{35, 35, kControlPoint}));
}

TEST_F(DocumentTest, MoveAnchorSaturatesInsteadOfWrapping)
{
    AddPath(MakePath({{INT32_MAX - 10, INT32_MIN + 10, kOnCurve}, {0, 0, kOnCurve}}));
    MoveAnchor(100, -100, 1, 0);
    EXPECT_EQ(Doc().DocPaths[1].Anchors[0].X, INT32_MAX);
    EXPECT_EQ(Doc().DocPaths[1].Anchors[0].Y, INT32_MIN);
}

TEST_F(DocumentTest, AStalePathIndexReadsNothingAndChangesNothing)
{
    AddPath(PathWithAnchors(3));
    Doc().SelectedAnchors = {AnchorRef(), AnchorRef{7, 0}};  // a path deleted since
    int32_t x = 1, y = 1, width = 1;
    GetAnchor(x, y, width, 7, 0);
    EXPECT_EQ(x, 0);
    EXPECT_EQ(width, 0);
    GetAnchor(x, y, width, 0, 0);
    MoveAnchor(5, 5, -1, 0);
    SetPath(2, PathWithAnchors(2));
    EXPECT_EQ(GetPath(9).AnchorMax(), -1);
    EXPECT_EQ(Doc().DocPathCount(), 1);
    int32_t cx = 0, cy = 0;
    GetSelectedAnchorCenter(Doc().DocPaths, Doc().SelectedAnchors, cx, cy);
}

TEST_F(DocumentTest, FindAnchorsInRectIncludesEdgesAndSkipsHiddenAndLockedPaths)
{
    AddPath(MakePath({{0, 0, kOnCurve}, {100, 100, kOnCurve}, {200, 50, kControlPoint}}));
    AddPath(MakePath({{100, 0, kOnCurve}, {150, 150, kOnCurve}}));
    AddPath(MakePath({{50, 50, kOnCurve}, {60, 60, kOnCurve}}));
    AddPath(MakePath({{70, 70, kOnCurve}, {80, 80, kOnCurve}}));
    Doc().DocPaths[3].DispFlags = kDispHidden;
    Doc().DocPaths[4].DispFlags = kDispLocked;

    std::vector<AnchorRef> pairs;
    const std::vector<AnchorRef> expected{{1, 0}, {1, 1}, {2, 0}};
    EXPECT_EQ(FindAnchorsInRect(0, 0, 100, 100, pairs), 3);
    EXPECT_EQ(pairs, expected);
    EXPECT_EQ(FindAnchorsInRect(100, 100, 0, 0, pairs), 3) << "corners right-to-left and bottom-to-top";
    EXPECT_EQ(pairs, expected);
    EXPECT_EQ(FindAnchorsInRect(100, 0, 0, 100, pairs), 3);
    EXPECT_EQ(pairs, expected);

    pairs.assign(5, AnchorRef{9, 9});
    EXPECT_EQ(FindAnchorsInRect(1000, 1000, 2000, 2000, pairs), 0);
    EXPECT_EQ(pairs, std::vector<AnchorRef>{AnchorRef()}) << "one zeroed entry when nothing is found";

    EXPECT_EQ(FindAnchorsInRect(0, 0, 0, 0, pairs), 1);
    EXPECT_EQ(pairs, (std::vector<AnchorRef>{AnchorRef{1, 0}}));
}

TEST_F(DocumentTest, SnapshotRestoresOnlyWhenTheCountIsUnchanged)
{
    SavePathSnapshot();
    EXPECT_FALSE(Doc().PathSnapshot.has_value()) << "an empty document leaves no snapshot";
    RestorePathSnapshot();
    EXPECT_EQ(GetPathCount(), 0);

    AddPath(PathWithAnchors(2));
    AddPath(PathWithAnchors(3));
    SavePathSnapshot();
    ASSERT_TRUE(Doc().PathSnapshot.has_value());
    EXPECT_EQ(UpperBound(*Doc().PathSnapshot), 2);

    MoveAnchor(7, 7, 1, 0);
    MoveAnchor(7, 7, 2, 2);
    RestorePathSnapshot();
    EXPECT_EQ(Doc().DocPaths[1].Anchors[0], (AnchorPoint{0, 0, kOnCurve}));
    EXPECT_EQ(Doc().DocPaths[2].Anchors[2], (AnchorPoint{200, 20, kOnCurve}));

    MoveAnchor(7, 7, 1, 0);
    AddPath(PathWithAnchors(2));
    RestorePathSnapshot();
    EXPECT_EQ(Doc().DocPaths[1].Anchors[0], (AnchorPoint{7, 7, kOnCurve})) << "a different count changes nothing";
    EXPECT_EQ(GetPathCount(), 3);

    SavePathSnapshot();
    Doc().DocPaths.resize(1);
    SavePathSnapshot();
    EXPECT_FALSE(Doc().PathSnapshot.has_value()) << "taking a snapshot erases the old one";
}

TEST_F(DocumentTest, RemoveEmptyPathsDropsPathsWithFewerThanTwoAnchors)
{
    PathArray paths{PathRecord(), PathWithAnchors(1), PathWithAnchors(2), PathWithAnchors(1), PathWithAnchors(1)};
    paths[2].LineWidth = 77;
    EXPECT_EQ(RemoveEmptyPaths(paths), 1);
    ASSERT_EQ(paths.size(), 2u);
    EXPECT_EQ(paths[1].LineWidth, 77);

    PathArray mixed{PathRecord(), PathWithAnchors(0), PathWithAnchors(0), PathWithAnchors(3), PathWithAnchors(1),
                    PathWithAnchors(2)};
    EXPECT_EQ(RemoveEmptyPaths(mixed), 2);
    EXPECT_EQ(mixed[1].Anchors.size(), 3u);
    EXPECT_EQ(mixed[2].Anchors.size(), 2u);

    PathArray onlyElementZero{PathWithAnchors(0)};
    EXPECT_EQ(RemoveEmptyPaths(onlyElementZero), 0);
    EXPECT_EQ(onlyElementZero.size(), 1u) << "element 0 is never examined";
}

TEST_F(DocumentTest, AppendPathsPutsTheSourceBehindTheDestination)
{
    PathCollection destination;
    destination.Paths.push_back(PathWithAnchors(2));
    destination.SelAnchors.push_back(AnchorRef{1, 1});
    PathCollection empty;
    AppendPaths(destination, empty);
    EXPECT_EQ(destination.PathCount(), 1);

    PathCollection source;
    source.Paths.push_back(PathWithAnchors(3));
    source.Paths.push_back(PathWithAnchors(4));
    AppendPaths(destination, source);
    ASSERT_EQ(destination.PathCount(), 3);
    EXPECT_EQ(destination.Paths[2].Anchors.size(), 3u);
    EXPECT_EQ(destination.Paths[3].Anchors.size(), 4u);
    EXPECT_EQ(destination.SelAnchors.size(), 2u) << "SelAnchors are not touched";
    EXPECT_EQ(source.PathCount(), 2);

    PathCollection bare;
    bare.Paths.clear();
    AppendPaths(bare, source);
    EXPECT_EQ(bare.PathCount(), 2);

    // A collection that is not needed afterwards gives its paths up instead of copying them.
    const AnchorPoint *firstAnchor = source.Paths[1].Anchors.data();
    AppendPaths(destination, std::move(source));
    ASSERT_EQ(destination.PathCount(), 5);
    EXPECT_EQ(destination.Paths[4].Anchors.data(), firstAnchor);
    EXPECT_EQ(destination.Paths[5].Anchors.size(), 4u);
}

TEST_F(DocumentTest, PathsBoundsWidenEveryAnchorByTheFullLineWidth)
{
    EXPECT_EQ(GetPathsBounds(PathArray{PathRecord()}), Rect32());
    EXPECT_EQ(GetPathsBounds(PathArray{}), Rect32());
    EXPECT_EQ(GetPathsBounds(PathArray{PathRecord(), MakePath({{100, 50, kOnCurve}}, 20)}), (Rect32{80, 30, 120, 70}));

    PathArray negative{PathRecord(), MakePath({{-500, -400, kOnCurve}, {-300, -200, kControlPoint}}, 10),
                       MakePath({{-1000, -100, kOnCurve}}, 0)};
    EXPECT_EQ(GetPathsBounds(negative), (Rect32{-1000, -410, -290, -100})) << "the first anchor seeds the box";

    PathRecord hidden = MakePath({{5000, 5000, kOnCurve}}, 0);
    hidden.DispFlags = kDispHidden;
    hidden.LineMode = 0;
    EXPECT_EQ(GetPathsBounds(PathArray{PathRecord(), MakePath({{0, 0, kOnCurve}}, 0), hidden}), (Rect32{0, 0, 5000, 5000}));

    PathArray extreme{PathRecord(), MakePath({{INT32_MAX, INT32_MIN, kOnCurve}}, 100)};
    EXPECT_EQ(GetPathsBounds(extreme), (Rect32{INT32_MAX - 100, INT32_MIN, INT32_MAX, INT32_MIN + 100}));

    // One path alone: its own first anchor seeds the box (it matters with a negative width).
    EXPECT_EQ(GetPathBounds(negative[2]), (Rect32{-1000, -100, -1000, -100}));
    EXPECT_EQ(GetPathBounds(negative[1]), GetPathsBounds(PathArray{PathRecord(), negative[1]}));
    EXPECT_EQ(GetPathBounds(PathRecord()), Rect32());
    EXPECT_EQ(GetPathBounds(MakePath({{INT32_MIN, INT32_MAX, kOnCurve}}, INT32_MAX)),
              (Rect32{INT32_MIN, 0, -1, INT32_MAX}));
}
