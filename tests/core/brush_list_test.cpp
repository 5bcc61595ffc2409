#include "core/brush_list.h"

#include "core/document.h"
#include "core/host.h"

#include <cmath>
#include <gtest/gtest.h>

using namespace core;

namespace {

struct CountingHost : Host {
    int menuRefreshes = 0;
    int paletteSetups = 0;
    void RefreshBrushMenu() override { ++menuRefreshes; }
    void SetupBrushList() override { ++paletteSetups; }
};

struct BrushListFixture : testing::Test {
    BrushListFixture()
    {
        ResetBrushesForTest();
        ResetDocumentForTest();
        SetHost(&host);
    }
    ~BrushListFixture() override { SetHost(nullptr); }

    // Adds a path to the document and returns its index.
    int32_t AddPath(std::vector<AnchorPoint> anchors, bool closed, bool selected, int32_t lineWidth = 0)
    {
        PathRecord path;
        path.Anchors = std::move(anchors);
        path.blClosed = closed;
        path.blSelected = selected;
        path.LineWidth = lineWidth;
        Doc().DocPaths.push_back(path);
        return Doc().DocPathCount();
    }

    CountingHost host;
};

}  // namespace

TEST_F(BrushListFixture, ReplaceRejectsMismatchedLists)
{
    SetupDefaultBrushes();
    EXPECT_FALSE(ReplaceBrushes(PathArray{PathRecord(), PathRecord()}, {"", "a", "b"}));
    EXPECT_FALSE(ReplaceBrushes(PathArray{PathRecord()}, {""}));
    EXPECT_EQ(Brushes().BrushCount, 8);
    ASSERT_TRUE(ReplaceBrushes(PathArray{PathRecord(), PathRecord()}, {"", "one"}));
    EXPECT_EQ(BrushMenuCaptions(), std::vector<std::string>({"&1　one"}));
}

TEST_F(BrushListFixture, SelectedClosedPathBecomesTheCurrentBrushCentredOnWidenedBounds)
{
    SetupDefaultBrushes();
    Brushes().CurrentBrush = 3;
    AddPath({{0, 0}, {100, 0}}, false, false);
    AddPath({{1000, 2000}, {1400, 2000}, {1400, 2200}}, true, true, 40);
    SetPathAsBrush();
    const PathRecord &brush = Brushes().BrushPaths[3];
    // Bounds widened by the line width: 960..1440 x 1960..2240, so the centre is (1200, 2100).
    ASSERT_EQ(brush.AnchorMax(), 2);
    EXPECT_EQ(brush.Anchors[0], (AnchorPoint{-200, -100, kOnCurve}));
    EXPECT_EQ(brush.Anchors[2], (AnchorPoint{200, 100, kOnCurve}));
    EXPECT_EQ(Brushes().BrushNames[3], "パターン3(24px)");
    EXPECT_EQ(Brushes().BrushCount, 8);
}

TEST_F(BrushListFixture, PatternBrushNeedsExactlyOneClosedSelectedPath)
{
    SetupDefaultBrushes();
    PathRecord before = Brushes().BrushPaths[1];
    int32_t open = AddPath({{0, 0}, {100, 0}, {100, 100}}, false, true);
    SetPathAsBrush();
    EXPECT_EQ(Brushes().BrushPaths[1].Anchors, before.Anchors);
    Doc().DocPaths[static_cast<size_t>(open)].blClosed = true;
    AddPath({{0, 0}, {50, 0}, {50, 50}}, true, true);
    SetPathAsBrush();  // two selected
    EXPECT_EQ(Brushes().BrushPaths[1].Anchors, before.Anchors);
    EXPECT_EQ(Brushes().BrushNames[1], "丸(10px)");
}
