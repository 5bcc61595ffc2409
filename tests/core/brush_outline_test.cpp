#include "core/brush_outline.h"

#include "editing_fixture.h"

#include <cmath>

using namespace core;
using namespace editingtest;

namespace {

using PointList = std::vector<std::pair<int32_t, int32_t>>;

class BrushOutlineTest : public EditingTest {
protected:
    // A straight open line along x of the given width, as path 1, converted.
    PathRecord ConvertLine(int32_t brushType, int32_t width, int32_t length = 1000)
    {
        ResetDocumentForTest();
        PathRecord line = MakePath({{0, 0}, {length, 0}});
        line.LineWidth = width;
        line.LineColor = 0xFF0000FF;
        line.FillType = kFillLinear;
        line.GroupID = 3;
        AddPath(line);
        EXPECT_FALSE(MakeBrushOutline(1, brushType));
        EXPECT_EQ(Doc().DocPathCount(), 1);
        return Path(1);
    }
};

TEST_F(BrushOutlineTest, PenTurnsAStraightLineIntoACappedOutline)
{
    PathRecord outline = ConvertLine(kBrushPen, 100);
    // End cap, the minus side back to the start, start cap, the plus side to the end.
    EXPECT_EQ(Points(outline), (PointList{{1050, 0}, {1000, 50}, {0, 50}, {-50, 0}, {0, -50}, {1000, -50}}));
    EXPECT_TRUE(outline.blClosed);
    EXPECT_EQ(outline.LineMode, 0);
    EXPECT_EQ(outline.FillType, kFillSolid);
    EXPECT_EQ(outline.FillColor, 0xFF0000FFu);
    EXPECT_EQ(outline.LineWidth, 20);
    EXPECT_EQ(outline.GroupID, 3);

    // Unknown types draw like the pen.
    EXPECT_EQ(Points(ConvertLine(9, 100)), Points(outline));
    EXPECT_EQ(Points(ConvertLine(0, 100)), Points(outline));
}

TEST_F(BrushOutlineTest, TaperIsWidestInTheMiddleAndNeverZeroAtAnAnchor)
{
    PathRecord line = MakePath({});
    for (int32_t i = 0; i < 9; ++i) {
        line.Anchors.push_back(AnchorPoint{i * 1000, 0, kOnCurve});
    }
    line.LineWidth = 200;
    for (int32_t type : {kBrushThin, kBrushThick}) {
        ResetDocumentForTest();
        AddPath(line);
        MakeBrushOutline(1, type);
        const PathRecord &outline = Path(1);
        int32_t n = 10;  // anchors + 2
        std::vector<int32_t> widths;
        for (int32_t i = 1; i < n; ++i) {
            widths.push_back(outline.Anchors[static_cast<size_t>(n + i)].Y - outline.Anchors[static_cast<size_t>(n - i)].Y);
        }
        for (int32_t w : widths) {
            EXPECT_LT(w, 0) << type;  // plus side above, minus side below, never collapsed
        }
        EXPECT_EQ(widths[4], -200) << type;  // the middle anchor gets the full width
        EXPECT_EQ(widths.front(), widths.back()) << type;
        EXPECT_GT(widths.front(), widths[4]) << type;
    }
}

TEST_F(BrushOutlineTest, CornersWidenByTheBisectorUpToTenTimes)
{
    PathRecord corner = MakePath({{0, 0}, {1000, 0}, {1000, 1000}});
    corner.LineWidth = 100;
    AddPath(corner);
    MakeBrushOutline(1, kBrushPen);
    // N = 4: the corner anchor (slot 2) has its minus point at 2 and its plus point at 6.
    EXPECT_EQ(Points(Path(1))[2], (std::pair<int32_t, int32_t>{950, 50}));
    EXPECT_EQ(Points(Path(1))[6], (std::pair<int32_t, int32_t>{1050, -50}));

    // A hairpin: the sine is floored at 0.1, so the offset is at most ten half-widths.
    ResetDocumentForTest();
    PathRecord hairpin = MakePath({{0, 0}, {1000, 0}, {0, 10}});
    hairpin.LineWidth = 100;
    AddPath(hairpin);
    MakeBrushOutline(1, kBrushPen);
    const AnchorPoint &tip = Path(1).Anchors[6];
    double offset = std::hypot(tip.X - 1000.0, tip.Y - 0.0);
    EXPECT_GT(offset, 400.0);
    EXPECT_LE(offset, 501.0);
}

TEST_F(BrushOutlineTest, ClosedPathsBecomeRingsAndKeepTheirFillBehind)
{
    PathRecord square = MakePath({{0, 0}, {1000, 0}, {1000, 1000}, {0, 1000}}, true);
    square.LineWidth = 100;
    AddPath(square);
    EXPECT_FALSE(MakeBrushOutline(1, kBrushPen));
    const PathRecord &ring = Path(1);
    ASSERT_EQ(ring.AnchorMax(), 11);  // 2N anchors and the two seam points, N = 5
    // The seam: Q2 at 0 and N, Q1 at N + 1 and at the end.
    EXPECT_EQ(ring.Anchors[0], ring.Anchors[5]);
    EXPECT_EQ(ring.Anchors[6], ring.Anchors[11]);
    EXPECT_EQ(ring.Anchors[0].AnchorKind, kOnCurve);
    // Corner (0, 0): inner point (50, 50), outer point (-50, -50), on either side of the seam.
    EXPECT_EQ(Points(ring)[4], (std::pair<int32_t, int32_t>{50, 50}));
    EXPECT_EQ(Points(ring)[7], (std::pair<int32_t, int32_t>{-50, -50}));
    // The seam runs from the middle of the inner corners of the last and the first anchor.
    EXPECT_EQ(Points(ring)[0], (std::pair<int32_t, int32_t>{50, 500}));
    EXPECT_EQ(Points(ring)[6], (std::pair<int32_t, int32_t>{-50, 500}));

    ResetDocumentForTest();
    square.FillType = kFillSolid;
    square.FillColor = 0xFF00FF00;
    AddPath(Tagged(7));
    AddPath(square);
    AddPath(Tagged(8));
    EXPECT_TRUE(MakeBrushOutline(2, kBrushPen));
    ASSERT_EQ(Doc().DocPathCount(), 4);
    EXPECT_EQ(Points(Path(2)), Points(square));
    EXPECT_EQ(Path(2).LineMode, 0);
    EXPECT_EQ(Path(2).FillColor, 0xFF00FF00u);
    EXPECT_EQ(Path(3).AnchorMax(), 11);
    EXPECT_EQ(Path(4).Anchors[0].X, 8);
}

TEST_F(BrushOutlineTest, ShortPathsAndBadIndicesChangeNothing)
{
    AddPath(MakePath({}));
    AddPath(MakePath({{5, 5}}, true));
    for (int32_t i : {0, 1, 2, 3}) {
        EXPECT_FALSE(MakeBrushOutline(i, kBrushStroke)) << i;
    }
    EXPECT_EQ(Doc().DocPathCount(), 2);
    EXPECT_EQ(Points(Path(2)), (PointList{{5, 5}}));
}

TEST_F(BrushOutlineTest, ConvertSelectedSkipsTheOutlinesItInserts)
{
    PathRecord filled = MakePath({{0, 0}, {1000, 0}, {500, 800}}, true);
    filled.FillType = kFillSolid;
    filled.blSelected = true;
    AddPath(filled);
    AddPath(Tagged(5));
    AddPath(filled);
    ConvertSelectedToBrush(kBrushPen);
    ASSERT_EQ(Doc().DocPathCount(), 5);
    EXPECT_EQ(Path(1).AnchorMax(), 2);   // fill
    EXPECT_EQ(Path(2).AnchorMax(), 9);   // ring
    EXPECT_EQ(Path(3).Anchors[0].X, 5);  // unselected, untouched
    EXPECT_EQ(Path(4).AnchorMax(), 2);
    EXPECT_EQ(Path(5).AnchorMax(), 9);
}

}  // namespace
