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

TEST_F(BrushListFixture, DefaultBrushesAreFourRoundAndFourSquare)
{
    SetupDefaultBrushes();
    const BrushList &list = Brushes();
    ASSERT_EQ(list.BrushCount, 8);
    EXPECT_EQ(list.CurrentBrush, 1);
    EXPECT_EQ(host.menuRefreshes, 1);
    EXPECT_EQ(host.paletteSetups, 1);
    for (int k = 1; k <= 4; ++k) {
        const PathRecord &round = list.BrushPaths[static_cast<size_t>(k)];
        EXPECT_EQ(round.AnchorMax(), 4 * k + 3);
        EXPECT_TRUE(round.blClosed);
        for (const AnchorPoint &a : round.Anchors) {
            EXPECT_EQ(a.AnchorKind, kControlPoint);
            EXPECT_NEAR(std::hypot(a.X, a.Y), 100.0 * k, 0.8);
        }
    }
    // First anchor of the 10 px brush: 22.5 degrees past 12 o'clock, clockwise.
    EXPECT_EQ(list.BrushPaths[1].Anchors[0], (AnchorPoint{38, 92, kControlPoint}));
    const PathRecord &square1 = list.BrushPaths[5];
    ASSERT_EQ(square1.AnchorMax(), 3);
    EXPECT_EQ(square1.Anchors[0], (AnchorPoint{71, 71, kOnCurve}));
    EXPECT_EQ(square1.Anchors[1], (AnchorPoint{71, -71, kOnCurve}));
    EXPECT_EQ(square1.Anchors[2], (AnchorPoint{-71, -71, kOnCurve}));
    EXPECT_EQ(square1.Anchors[3], (AnchorPoint{-71, 71, kOnCurve}));
    EXPECT_EQ(list.BrushPaths[8].Anchors[0], (AnchorPoint{283, 283, kOnCurve}));
    EXPECT_EQ(list.BrushPaths[6].Anchors[0].X, 141);
    EXPECT_EQ(list.BrushPaths[7].Anchors[0].X, 212);

    std::vector<std::string> captions = BrushMenuCaptions();
    ASSERT_EQ(captions.size(), 8u);
    EXPECT_EQ(captions[0], "&1　丸(10px)");
    EXPECT_EQ(captions[3], "&4　丸(40px)");
    EXPECT_EQ(captions[4], "&5　四角(7px)");
    EXPECT_EQ(captions[7], "&8　四角(28px)");
}

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
