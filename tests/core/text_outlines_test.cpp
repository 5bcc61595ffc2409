#include "core/document.h"
#include "core/geometry.h"
#include "core/glyph_outlines.h"
#include "core/text_outlines.h"
#include "editing_fixture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

using namespace core;
using editingtest::Path;

namespace {

const std::array<Color, 3> kColors{0xFF000000u, 0xFF336699u, 0xFFFFFFFFu};

const platform::GlyphFont &Gothic()
{
    static const platform::GlyphFont font(platform::FontRequest{"IPAGothic", 64.0f, false, false});
    return font;
}

OutlineCurve Curve(int32_t type, std::vector<OutlinePoint> points)
{
    return OutlineCurve{type, std::move(points)};
}

TEST(GlyphOutlineTest, OutlineToPointsScalesFlipsAndMoves)
{
    GlyphOutline outline;
    outline.Contours.push_back(OutlineContour{0, 75, {Curve(platform::kCurveLine, {{1, 0}, {2.5f, 10}})}});
    OutlineToPoints(outline, 0, 0, 16, true, 75);
    const OutlineContour &c = outline.Contours[0];
    EXPECT_EQ(c.FirstX, 0.0f);
    EXPECT_EQ(c.FirstY, 0.0f);  // the top of the ascent
    EXPECT_EQ(c.Curves[0].CurvePoints[0].x, 16.0f);
    EXPECT_EQ(c.Curves[0].CurvePoints[0].y, 1200.0f);  // the baseline
    EXPECT_EQ(c.Curves[0].CurvePoints[1].y, 1040.0f);
    OutlineToPoints(outline, 10, -5, 0.5f, false, 0);
    EXPECT_EQ(c.Curves[0].CurvePoints[1].x, 30.0f);
    EXPECT_EQ(c.Curves[0].CurvePoints[1].y, 515.0f);
}

TEST(GlyphOutlineTest, CharacterOutlineOfTheFontsGlyph)
{
    GlyphOutline square = GetCharOutline(Gothic(), "口です");
    ASSERT_EQ(square.ContourCount(), 2);
    for (const OutlineContour &contour : square.Contours) {
        for (const OutlineCurve &curve : contour.Curves) {
            EXPECT_EQ(curve.CurveType, platform::kCurveLine);
            for (const OutlinePoint &p : curve.CurvePoints) {
                EXPECT_GE(p.x, square.Metrics.GlyphOriginX);
                EXPECT_LE(p.x, square.Metrics.GlyphOriginX + static_cast<float>(square.Metrics.BlackBoxX));
                EXPECT_LE(p.y, square.Metrics.GlyphOriginY);
            }
        }
    }
    GlyphOutline round = GetCharOutline(Gothic(), "O");
    ASSERT_EQ(round.ContourCount(), 2);
    EXPECT_EQ(round.Contours[0].Curves[0].CurveType, platform::kCurveQSpline);

    GlyphOutline space = GetCharOutline(Gothic(), " ");
    EXPECT_EQ(space.ContourCount(), 0);
    EXPECT_EQ(space.Metrics.CellIncX, 42);
}

TEST(GlyphOutlineTest, EmptyTextOrClosedFontGiveNoContours)
{
    EXPECT_EQ(GetCharOutline(Gothic(), "").ContourCount(), 0);
    EXPECT_EQ(GetCharOutline(Gothic(), "").Metrics.CellIncX, 0);
    GlyphOutline none = GetCharOutline(platform::GlyphFont(), "A");
    EXPECT_EQ(none.ContourCount(), 0);
    EXPECT_EQ(none.Metrics.CellIncX, 0);
    // Bytes that are not UTF-8 are a replacement character, never read past the text.
    std::string broken("\xE3\x81", 2);
    GetCharOutline(Gothic(), broken);
}

class TextOutlinesTest : public editingtest::EditingTest {
protected:
    int32_t Create(const std::string &text, int32_t x = 300, int32_t y = 400)
    {
        values.Text = text;
        return CreateTextPaths(x, y, 1.0f, 1, 1, kColors, values, Gothic());
    }
    Rect32 BoundsOf(int32_t first, int32_t last)
    {
        PathArray paths{PathRecord()};
        for (int32_t i = first; i <= last; ++i) {
            paths.push_back(Path(i));
        }
        return GetPathsBounds(paths);
    }
    int32_t Ascent() { return Gothic().GetTextMetrics().Ascent; }
    int32_t AdvanceOf(char32_t code) { return GetCharOutline(Gothic(), code).Metrics.CellIncX; }

    TextToolValues values;
};

// The paths of the text, each moved by the same offset, as the glyph contours at their pens.
void ExpectGlyphAt(const PathRecord &path, const OutlineContour &contour, int32_t penX, int32_t penY,
                   int32_t dx, int32_t dy)
{
    std::vector<AnchorPoint> expected = ContourToAnchors(contour, penX, penY);
    for (AnchorPoint &a : expected) {
        a.X += dx;
        a.Y += dy;
    }
    EXPECT_EQ(path.Anchors, expected);
}

TEST_F(TextOutlinesTest, CharactersFollowEachOtherByTheirAdvance)
{
    ASSERT_EQ(Create("AB"), 2 + 3);  // A: outline and counter; B: outline and two counters
    GlyphOutline a = GetCharOutline(Gothic(), U'A');
    GlyphOutline b = GetCharOutline(Gothic(), U'B');
    OutlineToPoints(a, 0, 0, 16, true, Ascent());
    OutlineToPoints(b, 0, 0, 16, true, Ascent());
    ASSERT_EQ(a.ContourCount() + b.ContourCount(), Doc().DocPathCount());
    int32_t dx = Path(1).Anchors[0].X - ContourToAnchors(a.Contours[0], 300, 400)[0].X;
    int32_t dy = Path(1).Anchors[0].Y - ContourToAnchors(a.Contours[0], 300, 400)[0].Y;
    for (int32_t c = 0; c < a.ContourCount(); ++c) {
        ExpectGlyphAt(Path(1 + c), a.Contours[static_cast<size_t>(c)], 300, 400, dx, dy);
    }
    for (int32_t c = 0; c < b.ContourCount(); ++c) {
        ExpectGlyphAt(Path(1 + a.ContourCount() + c), b.Contours[static_cast<size_t>(c)],
                      300 + 16 * a.Metrics.CellIncX, 400, dx, dy);
    }
    Rect32 bounds = BoundsOf(1, Doc().DocPathCount());
    EXPECT_EQ(bounds.Left, 300);
    EXPECT_EQ(bounds.Top, 400);
}

TEST_F(TextOutlinesTest, JapaneseTextInTheDefaultFontGivesItsCurvedOutlines)
{
    if (Gothic().FamilyName() != "IPAGothic") {
        GTEST_SKIP() << "no Japanese font installed";
    }
    const platform::GlyphFont font(platform::FontRequest{"ＭＳ ゴシック", 64.0f, false, false});
    values.Text = "あいA";
    ASSERT_GT(CreateTextPaths(300, 400, 1.0f, 1, 1, kColors, values, font), 0);
    // A box would be four corners without a control point: every path of the two kana curves.
    const int32_t kanaContours = GetCharOutline(font, U'あ').ContourCount() + GetCharOutline(font, U'い').ContourCount();
    ASSERT_GE(Doc().DocPathCount(), kanaContours + 2);  // A: its outline and its counter
    for (int32_t i = 1; i <= kanaContours; ++i) {
        const AnchorArray &anchors = Path(i).Anchors;
        EXPECT_TRUE(std::any_of(anchors.begin(), anchors.end(), [](const AnchorPoint &a) { return a.AnchorKind == 1; }))
            << "path " << i;
    }
}

TEST_F(TextOutlinesTest, TextPathsAreClosedSelectedAndFitTheirGradient)
{
    Create("口");
    ASSERT_EQ(Doc().DocPathCount(), 2);
    for (int32_t i = 1; i <= 2; ++i) {
        const PathRecord &path = Path(i);
        EXPECT_TRUE(path.blClosed && path.blSelected);
        EXPECT_EQ(path.LineWidth, 20);
        EXPECT_EQ(path.FillColor, kColors[1]);
        EXPECT_EQ(path.GradAngle, 90.0f);
        PathRecord refit = path;
        FitGradientFrame(refit);
        EXPECT_EQ(refit.GradCenterX, path.GradCenterX);  // the frame fits where the path stands
        EXPECT_EQ(refit.GradCenterY, path.GradCenterY);
        EXPECT_EQ(refit.GradRatioX, path.GradRatioX);
    }
}

TEST_F(TextOutlinesTest, LineBreaksStartANewLineOneAscentLower)
{
    Create("I");
    PathRecord single = Path(1);
    for (const char *text : {"I\rI", "I\nI", "I\r\nI"}) {
        editingtest::EditingTest::SetUp();
        ASSERT_EQ(Create(text), 2) << text;
        EXPECT_EQ(Path(1).Anchors, single.Anchors) << text;
        for (size_t k = 0; k < single.Anchors.size(); ++k) {
            EXPECT_EQ(Path(2).Anchors[k].X, single.Anchors[k].X);
            EXPECT_EQ(Path(2).Anchors[k].Y, single.Anchors[k].Y + 16 * Ascent());
        }
    }
    editingtest::EditingTest::SetUp();
    Create("I\r\rI\tI");  // two breaks; the tab is skipped without an advance
    EXPECT_EQ(Path(2).Anchors[0].Y, single.Anchors[0].Y + 32 * Ascent());
    EXPECT_EQ(Path(3).Anchors[0].X, single.Anchors[0].X + 16 * AdvanceOf(U'I'));
}

TEST_F(TextOutlinesTest, GlyphsWithHolesBecomeOneGroupAndCompoundEach)
{
    PathRecord taken = editingtest::Tagged(1);
    taken.GroupID = 1;
    taken.CompoundID = 2;
    editingtest::AddPath(taken);
    Create("OIO");
    ASSERT_EQ(Doc().DocPathCount(), 6);
    for (int32_t i : {2, 3}) {
        EXPECT_TRUE(Path(i).blGroup && Path(i).blCompound);
        EXPECT_EQ(Path(i).GroupID, 2);
        EXPECT_EQ(Path(i).CompoundID, 1);
    }
    EXPECT_FALSE(Path(4).blGroup || Path(4).blCompound);  // "I": one contour
    EXPECT_EQ(Path(4).GroupID + Path(4).CompoundID, 0);
    for (int32_t i : {5, 6}) {
        EXPECT_EQ(Path(i).GroupID, 3);
        EXPECT_EQ(Path(i).CompoundID, 3);
    }
}

// Reference points of the characters on the arc, from their upright paths: every path of one
// character is the first character's moved by the difference of their reference points.
class ArcLayoutTest : public TextOutlinesTest {
protected:
    void SetUp() override
    {
        TextOutlinesTest::SetUp();
        values.ArcLayout = true;
    }
    AnchorPoint First(int32_t i) { return Path(i).Anchors[0]; }
};

TEST_F(ArcLayoutTest, FullCircleSpacesTheCharactersEvenly)
{
    values.KeepUpright = true;
    ASSERT_EQ(Create("IIII", 0, 0), 4);
    AnchorPoint p0 = First(1), p1 = First(2), p2 = First(3), p3 = First(4);
    double reach = p1.X - p0.X;  // from twelve to three o'clock
    EXPECT_GT(reach, 0);
    EXPECT_NEAR(p1.Y - p0.Y, reach, 1);
    EXPECT_NEAR(p2.X, p0.X, 1);
    EXPECT_NEAR(p2.Y - p0.Y, 2 * reach, 1);
    EXPECT_NEAR(p3.X - p0.X, -reach, 1);
    EXPECT_NEAR(p3.Y - p0.Y, reach, 1);
    for (size_t k = 0; k < Path(1).Anchors.size(); ++k) {  // upright: moved, never turned
        EXPECT_EQ(Path(3).Anchors[k].X - Path(1).Anchors[k].X, p2.X - p0.X);
    }
}

TEST_F(ArcLayoutTest, TurnedCharactersFaceOutwards)
{
    Create("IIII", 0, 0);
    // The character at six o'clock is the one at twelve turned half round.
    const PathRecord &top = Path(1);
    const PathRecord &bottom = Path(3);
    ASSERT_EQ(top.Anchors.size(), bottom.Anchors.size());
    auto centre = [](const PathRecord &path) {
        double x = 0, y = 0;
        for (const AnchorPoint &a : path.Anchors) {
            x += a.X;
            y += a.Y;
        }
        return std::pair(x / path.Anchors.size(), y / path.Anchors.size());
    };
    auto [tx, ty] = centre(top);
    auto [bx, by] = centre(bottom);
    for (size_t k = 0; k < top.Anchors.size(); ++k) {
        EXPECT_NEAR(bottom.Anchors[k].X - bx, -(top.Anchors[k].X - tx), 2);
        EXPECT_NEAR(bottom.Anchors[k].Y - by, -(top.Anchors[k].Y - ty), 2);
    }
    Rect32 bounds = BoundsOf(1, 4);
    EXPECT_EQ(bounds.Left, 0);
    EXPECT_EQ(bounds.Top, 0);
}

TEST_F(ArcLayoutTest, ArcAngleIsHeldToOneFullTurn)
{
    auto layout = [&](double arc) {
        editingtest::EditingTest::SetUp();
        values.ArcAngle = arc;
        Create("AOB");
        return Doc().DocPaths;
    };
    EXPECT_EQ(layout(400), layout(360));
    EXPECT_EQ(layout(-1000), layout(-360));
    EXPECT_EQ(layout(0), layout(1));
    EXPECT_NE(layout(90), layout(180));
}

TEST_F(ArcLayoutTest, ExtremeSettingsStaySafe)
{
    for (double setting : {1e300, -1e300, std::nan("")}) {
        editingtest::EditingTest::SetUp();
        values.Spacing = setting;
        values.FirstAngle = setting;
        values.ArcAngle = setting;
        EXPECT_EQ(Create("AO"), 4);
    }
}

}  // namespace
