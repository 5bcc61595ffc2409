#include "core/path_boolean_commands.h"

#include "boolean_test_support.h"
#include "core/document.h"
#include "core/path_boolean.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

using namespace booleantest;
using core::Doc;
using core::PathCollection;
using core::PathRecord;

class PathBooleanCommandsTest : public testing::Test {
protected:
    void SetUp() override { core::ResetDocumentForTest(); }
    void TearDown() override { core::ResetDocumentForTest(); }

    static int32_t Add(PathRecord path, bool selected = false, int32_t compoundId = 0)
    {
        path.blSelected = selected;
        if (compoundId > 0) {
            path.blCompound = true;
            path.CompoundID = compoundId;
        }
        Doc().DocPaths.push_back(std::move(path));
        return Doc().DocPathCount();
    }

    static const PathRecord &Path(int32_t i) { return Doc().DocPaths.at(static_cast<size_t>(i)); }

    static PathCollection Document()
    {
        PathCollection all;
        all.Paths = Doc().DocPaths;
        return all;
    }

    // A diamond brush print of the given half-size around (0, 0).
    static PathRecord Brush(int32_t r)
    {
        PathRecord brush = MakePath({{0, -r}, {r, 0}, {0, r}, {-r, 0}});
        brush.FillColor = 0xFF112233;
        return brush;
    }
};

// ---------------------------------------------------------------------------------------------

TEST_F(PathBooleanCommandsTest, TakeCompoundLiftsEveryActiveMember)
{
    Add(Square(0, 0, 10, 10), false, 3);
    Add(Square(20, 0, 30, 10));
    PathRecord released = Square(40, 0, 50, 10);
    released.CompoundID = 3;  // keeps the id but is no member
    Add(released);
    Add(Square(60, 0, 70, 10), false, 3);

    PathCollection taken = core::TakeCompound(4);
    ASSERT_EQ(taken.PathCount(), 2);
    EXPECT_EQ(taken.Paths[1].Anchors[0].X, 0);
    EXPECT_EQ(taken.Paths[2].Anchors[0].X, 60);
    ASSERT_EQ(Doc().DocPathCount(), 2);
    EXPECT_EQ(Path(1).Anchors[0].X, 20);
    EXPECT_EQ(Path(2).Anchors[0].X, 40);

    EXPECT_EQ(core::TakeCompound(1).PathCount(), 1);
    EXPECT_EQ(Doc().DocPathCount(), 1);
    EXPECT_EQ(core::TakeCompound(0).PathCount(), 0);
    EXPECT_EQ(core::TakeCompound(5).PathCount(), 0);
}

// ---------------------------------------------------------------------------------------------

TEST_F(PathBooleanCommandsTest, ApplyFragmentNeedsTwoSelectedCompounds)
{
    Add(Square(0, 0, 100, 100), true);
    core::ApplyFragment(core::kFragmentUnion);
    EXPECT_EQ(Doc().DocPathCount(), 1);

    // Two selected members of one compound and an unselected path: nothing is lost.
    Add(Square(50, 50, 150, 150));
    Doc().DocPaths[1].blCompound = true;
    Doc().DocPaths[1].CompoundID = 2;
    Add(Square(500, 0, 600, 100), true, 2);
    PathCollection before = Document();
    for (int32_t code = 1; code <= 4; ++code) {
        core::ApplyFragment(code);
        EXPECT_EQ(Doc().DocPaths, before.Paths) << code;
    }
}

TEST_F(PathBooleanCommandsTest, UnionOfOverlappingSquaresTakesTheBackPathsPlace)
{
    Add(Square(-500, -500, -400, -400));
    Add(Square(0, 0, 100, 100), true);
    Add(Square(1000, 1000, 1100, 1100));
    Add(Square(50, 50, 150, 150), true);
    core::ApplyFragment(core::kFragmentUnion);
    ASSERT_EQ(Doc().DocPathCount(), 3);
    EXPECT_EQ(Path(1).Anchors[0].X, -500);
    EXPECT_TRUE(Path(2).blSelected);
    EXPECT_DOUBLE_EQ(EvenOddArea(Collection({Path(2)})), 17500);
    EXPECT_EQ(Path(3).Anchors[0].X, 1000);
}

TEST_F(PathBooleanCommandsTest, UnionOfSeparatePathsComesBackInReverseOrder)
{
    Add(Square(0, 0, 10, 10));
    Add(Square(100, 0, 110, 10), true);
    Add(Square(200, 0, 210, 10), true);
    Add(Square(300, 0, 310, 10), true);
    core::ApplyFragment(core::kFragmentUnion);
    ASSERT_EQ(Doc().DocPathCount(), 4);
    EXPECT_EQ(Path(1).Anchors[0].X, 0);
    EXPECT_EQ(Path(2).Anchors[0].X, 300);
    EXPECT_EQ(Path(3).Anchors[0].X, 200);
    EXPECT_EQ(Path(4).Anchors[0].X, 100);
    for (int32_t i = 2; i <= 4; ++i) {
        EXPECT_TRUE(Path(i).blSelected);
    }
}

TEST_F(PathBooleanCommandsTest, EmptyUnionKeepsTheOperands)
{
    // Two crossing straight lines: their zero-width union thins away to nothing.
    PathRecord first = MakePath({{0, 0}, {100, 100}}, false);
    PathRecord second = MakePath({{0, 100}, {100, 0}}, false);
    Add(first, true);
    Add(second, true);
    core::ApplyFragment(core::kFragmentUnion);
    ASSERT_EQ(Doc().DocPathCount(), 2);
    EXPECT_EQ(Path(1).Anchors, second.Anchors);
    EXPECT_EQ(Path(2).Anchors, first.Anchors);
}

TEST_F(PathBooleanCommandsTest, CutByTheFrontPathKeepsTheOrderOfTheCutPaths)
{
    Add(Square(0, 0, 100, 100), true);
    Add(Square(1000, 1000, 1100, 1100));
    Add(Square(150, 0, 250, 100), true);
    Add(Square(50, -50, 200, 150), true);  // the cutter, front-most
    core::ApplyFragment(core::kFragmentCutBack);
    ASSERT_EQ(Doc().DocPathCount(), 3);
    EXPECT_EQ(Path(1).Anchors[0].X, 1000);
    EXPECT_DOUBLE_EQ(EvenOddArea(Collection({Path(2)})), 5000);
    EXPECT_DOUBLE_EQ(EvenOddArea(Collection({Path(3)})), 5000);
    EXPECT_LT(Path(2).Anchors[0].X, 100);
    EXPECT_GT(Path(3).Anchors[0].X, 150);
}

// ---------------------------------------------------------------------------------------------

TEST_F(PathBooleanCommandsTest, EraserLeavesHiddenAndLockedPathsAndDeselects)
{
    PathRecord hidden = Square(0, 0, 100, 100);
    hidden.DispFlags = core::kDispHidden;
    Add(hidden, true);
    PathRecord locked = Square(0, 0, 100, 100);
    locked.DispFlags = core::kDispLocked;
    Add(locked, true, 4);
    Add(Square(10, 10, 90, 90), true, 4);  // follows its compound's locked first path
    Add(Square(0, 0, 100, 100), true);
    core::EraseWithPath(Brush(30), 50, 50);
    ASSERT_EQ(Doc().DocPathCount(), 5);
    EXPECT_EQ(Path(1).Anchors, hidden.Anchors);
    EXPECT_EQ(Path(2).Anchors, locked.Anchors);
    EXPECT_EQ(Path(3).Anchors[0].X, 10);
    // The print inside the last square becomes a hole of it.
    EXPECT_DOUBLE_EQ(EvenOddArea(Collection({Path(4), Path(5)})), 10000 - 1800);
    EXPECT_TRUE(Path(4).blCompound && Path(5).blCompound);
    for (int32_t i = 1; i <= 5; ++i) {
        EXPECT_FALSE(Path(i).blSelected);
    }
}

TEST_F(PathBooleanCommandsTest, EraserAcrossACompound)
{
    // A frame with a hole, erased by a print lying across the frame's inner edge.
    Add(Square(0, 0, 300, 300), false, 1);
    Add(Square(100, 100, 200, 200), false, 1);
    PathCollection before = Document();
    PathRecord brush = Brush(40);
    core::EraseWithPath(brush, 100, 150);
    PathCollection eraser = Collection({brush});
    for (core::AnchorPoint &p : eraser.Paths[1].Anchors) {
        p.X += 100;
        p.Y += 150;
    }
    EXPECT_DOUBLE_EQ(EvenOddArea(Document()), ClipperArea(before, eraser, core::kFragmentCutBack));
    EXPECT_DOUBLE_EQ(EvenOddArea(Document()), 80000 - 1600);
    for (int32_t i = 1; i <= Doc().DocPathCount(); ++i) {
        EXPECT_TRUE(Path(i).blCompound);
        EXPECT_EQ(Path(i).CompoundID, 1);
    }
}

TEST_F(PathBooleanCommandsTest, ErasingAReleasedMemberKeepsItsCompoundId)
{
    Add(Square(0, 0, 100, 100));
    Doc().DocPaths[1].CompoundID = 6;  // a released compound's member
    core::EraseWithPath(Brush(20), 100, 50);
    ASSERT_EQ(Doc().DocPathCount(), 1);
    EXPECT_FALSE(Path(1).blCompound);
    EXPECT_EQ(Path(1).CompoundID, 6);
    EXPECT_DOUBLE_EQ(EvenOddArea(Document()), 10000 - 400);
}

// ---------------------------------------------------------------------------------------------

TEST_F(PathBooleanCommandsTest, StampDownAppendsAPlainPrint)
{
    core::StampPath(Brush(10), 100, 200, core::kStampMove);  // empty document: a first print
    ASSERT_EQ(Doc().DocPathCount(), 1);
    EXPECT_EQ(Path(1).Anchors[0].X, 100);
    EXPECT_EQ(Path(1).Anchors[0].Y, 190);
    core::StampPath(Brush(10), 500, 500, core::kStampDown);
    ASSERT_EQ(Doc().DocPathCount(), 2);
    EXPECT_FALSE(Path(2).blSelected);
    EXPECT_FALSE(Path(2).blCompound);
}

TEST_F(PathBooleanCommandsTest, StrokeOfPrintsIsTheirUnion)
{
    Add(Square(-5000, -5000, -4000, -4000));  // an older path stays behind
    PathRecord brush = Brush(100);
    PathCollection prints;
    core::StampPath(brush, 0, 0, core::kStampDown);
    prints.Paths.push_back(Path(2));
    for (int32_t k = 1; k <= 20; ++k) {
        int32_t x = k * 37;
        int32_t y = (k * k * 13) % 150;
        core::StampPath(brush, x, y, core::kStampMove);
        PathRecord print = brush;
        for (core::AnchorPoint &p : print.Anchors) {
            p.X += x;
            p.Y += y;
        }
        prints.Paths.push_back(print);
    }
    ASSERT_EQ(Doc().DocPathCount(), 2);
    EXPECT_EQ(Path(2).FillColor, 0xFF112233u);
    for (PathRecord &print : prints.Paths) {
        std::reverse(print.Anchors.begin(), print.Anchors.end());  // Clipper's outer orientation
    }
    double expected = CoveredArea(prints);
    EXPECT_NEAR(EvenOddArea(Collection({Path(2)})), expected, 0.005 * expected);

    core::StampPath(brush, 0, 0, core::kStampUp);
    ASSERT_EQ(Doc().DocPathCount(), 2);
    EXPECT_FALSE(Path(2).blCompound);
    EXPECT_FALSE(Path(2).blGroup);
    EXPECT_GT(Path(2).GradRatioX, 0.0f);
    EXPECT_EQ(Path(1).Anchors[0].X, -5000);
}

TEST_F(PathBooleanCommandsTest, StrokeInSeveralPiecesBecomesOneGroupAndCompound)
{
    Add(Square(0, 0, 10, 10), false, 1);
    Doc().DocPaths[1].GroupID = 1;
    PathRecord brush = Brush(100);
    core::StampPath(brush, 1000, 0, core::kStampDown);
    core::StampPath(brush, 3000, 0, core::kStampMove);  // does not touch the first print
    core::StampPath(brush, 3000, 0, core::kStampUp);
    ASSERT_EQ(Doc().DocPathCount(), 3);
    // The ids are taken before the stroke leaves the document: its old ids 2 are still in use.
    for (int32_t i = 2; i <= 3; ++i) {
        EXPECT_TRUE(Path(i).blCompound);
        EXPECT_TRUE(Path(i).blGroup);
        EXPECT_EQ(Path(i).CompoundID, 3);
        EXPECT_EQ(Path(i).GroupID, 3);
    }
}

// ---------------------------------------------------------------------------------------------

TEST_F(PathBooleanCommandsTest, ClipOutSelectionKeepsWhatLiesInside)
{
    Add(Square(0, 0, 1000, 1000));
    Add(Square(2000, 0, 3000, 1000), false, 5);
    Add(Square(2200, 200, 2800, 800), false, 5);
    Add(Square(5000, 5000, 6000, 6000));
    PathCollection before = Document();
    core::ClipOutSelection(500, 500, 2500, 2500);
    PathCollection window = Collection({Square(500, 500, 2500, 2500)});
    EXPECT_DOUBLE_EQ(EvenOddArea(Document()), ClipperArea(before, window, core::kFragmentIntersection));
    EXPECT_DOUBLE_EQ(EvenOddArea(Document()), 500.0 * 500 + 500.0 * 500 - 300.0 * 300);
    for (int32_t i = 1; i <= Doc().DocPathCount(); ++i) {
        EXPECT_TRUE(Path(i).blSelected);
    }
}

}  // namespace
