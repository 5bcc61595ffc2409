#include "core/bucket_fill.h"
#include "core/canvas_services.h"
#include "core/history.h"
#include "editing_fixture.h"
#include "movie/canvas_movie.h"
#include "movie/canvas_movie_services.h"

#include <QPainter>

#include <cmath>
#include <cstdlib>
#include <limits>
#include <string>
#include <vector>

using core::Doc;
using editingtest::AddPath;
using editingtest::MakePath;
using editingtest::Path;

namespace {

const std::array<core::Color, 3> kColors{0xFF112233u, 0xFF445566u, 0xFF778899u};

bool Near(const core::AnchorPoint &a, int32_t x, int32_t y, int32_t reach)
{
    return std::abs(a.X - x) <= reach && std::abs(a.Y - y) <= reach;
}

// Every corner is within reach of one of the expected points and every point has a corner.
void ExpectCorners(const core::PathRecord &path, std::initializer_list<std::pair<int32_t, int32_t>> expected,
                   int32_t reach)
{
    ASSERT_EQ(path.Anchors.size(), expected.size());
    for (const auto &[x, y] : expected) {
        bool found = std::any_of(path.Anchors.begin(), path.Anchors.end(),
                                 [&](const core::AnchorPoint &a) { return Near(a, x, y, reach); });
        EXPECT_TRUE(found) << "no corner near (" << x << ", " << y << ")";
    }
}

class BucketFillTest : public editingtest::EditingTest {
protected:
    void SetUp() override
    {
        EditingTest::SetUp();
        movie::ResetCanvasMovieForTest();
        core::CanvasSettings &settings = Doc().CurrentSettings;
        settings.Width = 100;
        settings.Height = 100;
        settings.DrawOutsideFlag = 1;
        settings.Quality = 2;
        settings.GridWidth = 400;
        settings.BackColorR = 10;  // a coloured background must not leak into the trace
    }

    // A filled square ring from 20 to 80 canvas pixels, one pixel wide.
    int32_t AddRing(int32_t lineWidth = 20)
    {
        core::PathRecord ring = MakePath({{400, 400}, {1600, 400}, {1600, 1600}, {400, 1600}}, true);
        ring.LineWidth = lineWidth;
        ring.LineColor = 0xFF00FF00u;
        ring.FillType = core::kFillSolid;
        ring.FillColor = 0xFF0000FFu;
        int32_t index = AddPath(ring);
        core::StartHistoryWithDocument();
        return index;
    }

    void Fill(int32_t x, int32_t y, int16_t fillType = core::kFillNone)
    {
        core::TraceFloodPath(x, y, 1.0f, 1, fillType, kColors);
    }
};

TEST_F(BucketFillTest, InsideARingTracesItsInnerEdgeAsANewFilledPath)
{
    int32_t ring = AddRing();
    core::PathRecord before = Path(ring);
    core::CanvasSettings settingsBefore = Doc().CurrentSettings;
    Fill(1000, 1000);

    ASSERT_EQ(Doc().DocPathCount(), 2);
    const core::PathRecord &traced = Path(2);
    // The black pixels just inside the one-pixel line, at their centres.
    ExpectCorners(traced, {{415, 415}, {1585, 415}, {1585, 1585}, {415, 1585}}, 15);
    EXPECT_TRUE(traced.blClosed);
    EXPECT_EQ(traced.LineMode, 0);
    EXPECT_EQ(traced.LineWidth, 20);
    EXPECT_EQ(traced.FillType, core::kFillSolid);  // no fill asked: solid
    EXPECT_EQ(traced.LineColor, kColors[0]);
    EXPECT_EQ(traced.FillColor, kColors[1]);
    EXPECT_EQ(traced.GradColor, kColors[2]);
    EXPECT_FALSE(traced.blSelected);
    EXPECT_EQ(traced.GroupID, 0);
    EXPECT_EQ(traced.CompoundID, 0);
    EXPECT_EQ(traced.GradCenterX, 1000);
    EXPECT_EQ(traced.GradCenterY, 1000);

    // The drawing and the settings are those from before the trace render.
    EXPECT_EQ(Path(ring).LineColor, before.LineColor);
    EXPECT_EQ(Path(ring).FillType, before.FillType);
    EXPECT_EQ(Path(ring).Anchors, before.Anchors);
    EXPECT_EQ(Doc().CurrentSettings, settingsBefore);
    EXPECT_EQ(core::History().HistoryPos, 1);
    EXPECT_EQ(core::History().HistoryEntries[1].PathCount(), 2);
}

TEST_F(BucketFillTest, ARegionOpenToTheCanvasEdgeIsBoundedHalfAPixelOutside)
{
    AddRing();
    Fill(100, 100);
    ASSERT_EQ(Doc().DocPathCount(), 2);
    // Anchors on the centres of the bitmap pixels just outside: half a bitmap pixel (5 twips at
    // accuracy 2) beyond the canvas.
    ExpectCorners(Path(2), {{-5, -5}, {2005, -5}, {2005, 2005}, {-5, 2005}}, 10);
}

TEST_F(BucketFillTest, AThinLineStillClosesTheRegion)
{
    AddRing(1);
    Fill(1000, 1000);
    ASSERT_EQ(Doc().DocPathCount(), 2);
    EXPECT_GT(Path(2).Anchors[0].X, 380);  // inside the ring, not the canvas outline
    EXPECT_LT(Path(2).Anchors[0].X, 1620);
}

TEST_F(BucketFillTest, EmptyDocumentDoesNothing)
{
    Fill(1000, 1000);
    EXPECT_EQ(Doc().DocPathCount(), 0);
    EXPECT_TRUE(host.Calls.empty());
}

// A setting below the lowest accuracy (typed as 1, or not a number) traces at 2 and says why.
TEST_F(BucketFillTest, AnAccuracyBelowTwoTracesAtTwoAndSaysSo)
{
    AddRing();
    core::StartHistoryWithDocument();
    Fill(1000, 1000);
    ASSERT_EQ(Doc().DocPathCount(), 2);
    const core::PathRecord atTwo = Path(2);
    for (float setting : {1.0f, 1.5f, 0.0f, -3.0f, std::numeric_limits<float>::quiet_NaN()}) {
        Doc().DocPaths.pop_back();
        Doc().CurrentSettings.FloodAccuracy = setting;
        Fill(1000, 1000);
        ASSERT_EQ(Doc().DocPathCount(), 2) << setting;
        EXPECT_EQ(Path(2).Anchors, atTwo.Anchors) << setting;
        EXPECT_TRUE(std::isnan(setting) || Doc().CurrentSettings.FloodAccuracy == setting) << "the setting stays";
    }
    EXPECT_EQ(CountCalls("ShowStatus: 精度の設定が2未満のため 精度[2] で実行しました。"), 5);
}

// A canvas wider and taller than the movie's 1638-pixel frame: the trace covers the whole canvas,
// so a ring at its far corner is filled where it is.
TEST_F(BucketFillTest, ARingPastTheMovieFrameOfALargeCanvasIsTraced)
{
    core::CanvasSettings &settings = Doc().CurrentSettings;
    settings.Width = 2000;
    settings.Height = 1800;
    core::PathRecord ring = MakePath({{38000, 34000}, {39600, 34000}, {39600, 35600}, {38000, 35600}}, true);
    ring.LineWidth = 20;
    AddPath(ring);
    core::StartHistoryWithDocument();
    Fill(38800, 34800);
    ASSERT_EQ(Doc().DocPathCount(), 2);
    ExpectCorners(Path(2), {{38015, 34015}, {39585, 34015}, {39585, 35585}, {38015, 35585}}, 15);
}

TEST_F(BucketFillTest, AnAccuracyTooLargeForTheBitmapRunsLowerAndSaysSo)
{
    core::CanvasSettings &settings = Doc().CurrentSettings;
    settings.Width = settings.Height = 1638;
    settings.FloodAccuracy = 5.0f;  // 8190 x 8190 pixels exceed the bitmap limit; 4 fits
    AddRing();
    Fill(1000, 1000);
    EXPECT_EQ(Doc().DocPathCount(), 2);
    EXPECT_EQ(CountCalls("ShowStatus: 画像が大きくなりすぎるため 精度[4] で実行しました。"), 1);
    EXPECT_EQ(CountCalls("ShowStatus: メモリが不足しているため 精度[4] で実行しました。"), 0) << "memory was not short";

    // A setting no bitmap could hold runs at the largest accuracy that fits, found at once.
    settings.FloodAccuracy = 1e30f;
    Fill(1000, 1000);
    EXPECT_EQ(Doc().DocPathCount(), 3);
    EXPECT_EQ(CountCalls("ShowStatus: 画像が大きくなりすぎるため 精度[4] で実行しました。"), 2);
}

// The canvas services as the bucket uses them: every call recorded, and a render that draws a
// black square ring from 20 to 80 canvas pixels (one pixel wide) at the bitmap's scale.
class RingCanvas : public core::CanvasServices {
public:
    std::vector<std::string> Calls;

    void MakeCanvasMovie() override { Calls.push_back("MakeCanvasMovie"); }
    void ClearGridCache() override { Calls.push_back("ClearGridCache"); }
    void ClearBackColorCache() override { Calls.push_back("ClearBackColorCache"); }
    bool RenderCanvasMovie(QImage &bitmap) override
    {
        Calls.push_back("Render");
        const int scale = bitmap.width() / 100;
        QPainter painter(&bitmap);
        painter.fillRect(QRect(QPoint(20, 20) * scale, QPoint(80, 80) * scale - QPoint(1, 1)), Qt::black);
        painter.fillRect(QRect(QPoint(21, 21) * scale, QPoint(79, 79) * scale - QPoint(1, 1)), Qt::white);
        return true;
    }
};

class BucketServicesTest : public BucketFillTest {
protected:
    void TearDown() override
    {
        movie::InstallCanvasServices();
        BucketFillTest::TearDown();
    }
};

TEST_F(BucketServicesTest, TheTraceAsksTheInstalledCanvasForItsMovieAndItsPicture)
{
    RingCanvas canvas;
    core::SetCanvasServices(&canvas);
    AddPath(MakePath({{0, 0}, {100, 100}}));
    Fill(1000, 1000);
    ASSERT_EQ(Doc().DocPathCount(), 2);
    // At accuracy 2 the black pixels just inside the ring are rows and columns 41 and 158.
    ExpectCorners(Path(2), {{415, 415}, {1585, 415}, {1585, 1585}, {415, 1585}}, 15);
    const std::vector<std::string> expected{"ClearGridCache", "ClearBackColorCache", "MakeCanvasMovie",
                                            "Render",         "ClearBackColorCache", "MakeCanvasMovie"};
    EXPECT_EQ(canvas.Calls, expected);
}

TEST_F(BucketServicesTest, WithoutACanvasNothingIsTracedOrRecorded)
{
    core::SetCanvasServices(nullptr);
    AddRing();
    Fill(1000, 1000);
    EXPECT_EQ(Doc().DocPathCount(), 1);
    EXPECT_EQ(core::History().HistoryPos, 0);
}

// ---- the boundary walk on hand-made bitmaps ----

QImage WhiteBitmap(int width, int height)
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(QColor(Qt::white));
    return image;
}

void Blacken(QImage &image, int left, int top, int right, int bottom)
{
    for (int y = top; y <= bottom; ++y) {
        for (int x = left; x <= right; ++x) {
            image.setPixel(x, y, qRgb(0, 0, 0));
        }
    }
}

TEST(TraceWhiteRegionTest, AShapeStraightAboveTheClickIsTheTracedBoundary)
{
    QImage image = WhiteBitmap(40, 40);
    Blacken(image, 15, 5, 19, 9);
    std::vector<QPoint> corners = core::TraceWhiteRegion(image, 17, 30);
    ASSERT_GE(corners.size(), 4u);
    for (const QPoint &p : corners) {
        bool onBox = p.x() >= 15 && p.x() <= 19 && p.y() >= 5 && p.y() <= 9;
        bool onBorder = p.x() == 15 || p.x() == 19 || p.y() == 5 || p.y() == 9;
        EXPECT_TRUE(onBox && onBorder) << p.x() << "," << p.y();
    }
}

TEST(TraceWhiteRegionTest, AnEmptyBitmapIsBoundedByTheRingAroundIt)
{
    QImage image = WhiteBitmap(10, 6);
    std::vector<QPoint> corners = core::TraceWhiteRegion(image, 3, 3);
    ASSERT_FALSE(corners.empty());
    for (const QPoint &p : corners) {
        EXPECT_TRUE(p.x() == -1 || p.x() == 10 || p.y() == -1 || p.y() == 6) << p.x() << "," << p.y();
    }
}

TEST(TraceWhiteRegionTest, WalksThatCannotCloseGiveNothing)
{
    QImage image = WhiteBitmap(20, 20);
    image.setPixel(5, 5, qRgb(0, 0, 0));  // a lone pixel: every neighbour is white
    EXPECT_TRUE(core::TraceWhiteRegion(image, 5, 12).empty());
    EXPECT_TRUE(core::TraceWhiteRegion(image, 5, 5).empty());     // not white
    EXPECT_TRUE(core::TraceWhiteRegion(image, -3, 5).empty());    // outside
    EXPECT_TRUE(core::TraceWhiteRegion(image, 5, INT64_MAX).empty());
    image.setPixel(6, 5, qRgb(255, 255, 254));  // nearly white is not white
    EXPECT_FALSE(core::IsTraceWhite(image, 6, 5));
    EXPECT_TRUE(core::IsTraceWhite(image, 7, 5));
}

}  // namespace
