#include "tests/toolwindows/path_list_fixture.h"

#include "core/groups.h"
#include "core/path_attributes.h"
#include "tests/support/path_edits.h"
#include "movie/canvas_movie.h"
#include "movie/movie_writer.h"
#include "platform/forms/key_codes.h"
#include "platform/player/movie_player.h"

#include <QApplication>


using core::Doc;
using namespace testsupport;
using mainwindow::Main;
using toolwindows::FormatPathRow;

namespace {

class PathListWindowTest : public testsupport::PathListFixture {};

core::PathRecord PathWithAnchors(int count)
{
    core::PathRecord path;
    for (int i = 0; i < count; ++i) {
        path.Anchors.push_back({100 * i, 100, 0});
    }
    return path;
}

TEST(PathRowFormat, ColumnsLineUpForEveryState)
{
    core::PathRecord path = PathWithAnchors(3);
    EXPECT_EQ(FormatPathRow(12, path, false), QStringLiteral("  12|■|3   |  |  |  |      |      |"));

    path.DispFlags = core::kDispHidden | core::kDispLocked;
    path.blClosed = true;
    path.LineMode = 1;
    path.FillType = core::kFillReflected;
    path.blGroup = true;
    path.GroupID = 7;
    EXPECT_EQ(FormatPathRow(1, path, false), QStringLiteral("   1|◇|3   |Y |Y |L2|(   7)|      |"));

    path.DispFlags = core::kDispHidden;
    EXPECT_TRUE(FormatPathRow(1, path, false).startsWith(QStringLiteral("   1|□|")));
    path.DispFlags = core::kDispLocked;
    EXPECT_TRUE(FormatPathRow(1, path, false).startsWith(QStringLiteral("   1|◆|")));
}

TEST(PathRowFormat, CompoundCarrierIsStarredAndLargeNumbersKeepTheirLastDigits)
{
    core::PathRecord path = PathWithAnchors(12345);
    path.blCompound = true;
    path.CompoundID = 3;
    EXPECT_EQ(FormatPathRow(12345, path, true), QStringLiteral("2345|■|1234|  |  |  |      |    3*|"));
    EXPECT_TRUE(FormatPathRow(2, path, false).endsWith(QStringLiteral("|    3 |")));
    path.FillType = 9;  // a fill mode no file should hold shows as none
    EXPECT_TRUE(FormatPathRow(2, path, false).contains(QStringLiteral("|  |  |  |      |")));
}

TEST_F(PathListWindowTest, ClickingRowsSelectsPathsAndGroupMembersTogether)
{
    AddSquares(5);
    ClickRows({1, 4});
    EXPECT_TRUE(Selected(1));
    EXPECT_TRUE(Selected(4));
    EXPECT_FALSE(Selected(2));

    Doc().DocPaths[2].blSelected = Doc().DocPaths[3].blSelected = true;
    Doc().DocPaths[1].blSelected = Doc().DocPaths[4].blSelected = false;
    core::MakeGroup(true);
    core::DeselectAllPaths();
    ClickRows({3});
    EXPECT_TRUE(Selected(2));
    EXPECT_TRUE(Selected(3));
    EXPECT_TRUE(list->RowSelected(Row(2)));  // the other member's row follows
    EXPECT_FALSE(Selected(5));
}

TEST_F(PathListWindowTest, ThumbnailFollowsAChangeOfTheSelectedPath)
{
    AddSquares(1);
    Doc().DocPaths[1].FillType = core::kFillSolid;
    Doc().DocPaths[1].FillColor = 0xFF0000FF;
    Doc().DocPaths[1].blSelected = true;
    list->RefreshSelect();
    list->RefreshSelect();  // the same picture again, from the kept image
    const QImage &image = list->Picture1->Image();
    EXPECT_GT(image.pixelColor(image.width() / 2, image.height() / 2).red(), 200);

    Doc().DocPaths[1].FillColor = 0xFFFF0000;  // opaque blue
    list->RefreshSelect();
    QColor centre = list->Picture1->Image().pixelColor(image.width() / 2, image.height() / 2);
    EXPECT_GT(centre.blue(), 200);
    EXPECT_LT(centre.red(), 60);
}

TEST_F(PathListWindowTest, ThumbnailSharesItsUnitsWithTheCanvasAndKeepsItsImageWhileTheLookStays)
{
    AddSquares(3);
    for (int32_t i = 1; i <= 3; ++i) {
        Doc().DocPaths[static_cast<size_t>(i)].blSelected = true;
    }
    Doc().DocPaths[2].blCompound = true;  // a compound's unit depends on its members
    Doc().DocPaths[2].CompoundID = 7;
    movie::ResetWriterForTest();
    const movie::UnitCache &units = movie::Writer().Units;
    list->RefreshSelect();
    EXPECT_EQ(units.Size(), 3u);
    // The canvas movie written next draws the same three units: none is encoded again.
    movie::MakeCanvasMovie();
    EXPECT_EQ(units.Size(), 3u);

    // Nothing changed: the picture is kept, not drawn again.
    QImage before = list->Picture1->Image();
    list->Picture1->Cls();
    list->RefreshSelect();
    EXPECT_EQ(list->Picture1->Image(), before);
    EXPECT_EQ(units.Size(), 3u);
}

TEST_F(PathListWindowTest, ThumbnailOfALargeSelectionIsDrawnOnceTheWindowIsIdle)
{
    AddSquares(2);
    Doc().DocPaths[1].FillType = core::kFillSolid;
    Doc().DocPaths[1].FillColor = 0xFF0000FF;
    // Path 2 holds more anchors than a thumbnail is drawn at once for: a fine zigzag along its
    // top edge.
    core::PathRecord &large = Doc().DocPaths[2];
    large.FillType = core::kFillSolid;
    large.FillColor = 0xFFFF0000;
    const core::AnchorPoint left = large.Anchors[0];
    const core::AnchorPoint right = large.Anchors[1];
    std::vector<core::AnchorPoint> anchors{left};
    constexpr int kSteps = 25000;
    for (int k = 1; k < kSteps; ++k) {
        anchors.push_back({left.X + (right.X - left.X) * k / kSteps, left.Y + k % 2, core::kOnCurve});
    }
    anchors.insert(anchors.end(), large.Anchors.begin() + 1, large.Anchors.end());
    large.Anchors = std::move(anchors);

    Doc().DocPaths[1].blSelected = true;
    list->RefreshSelect();  // small: drawn at once
    const QImage small = list->Picture1->Image();
    list->FlushThumbnail();
    EXPECT_EQ(list->Picture1->Image(), small);

    Doc().DocPaths[2].blSelected = true;
    list->RefreshSelect();
    EXPECT_EQ(list->Picture1->Image(), small) << "the edit does not wait for the thumbnail";
    list->FlushThumbnail();
    const QImage idle = list->Picture1->Image();
    EXPECT_NE(idle, small);
    list->ThumbDisplay();
    EXPECT_EQ(list->Picture1->Image(), idle) << "what the window shows when idle is the thumbnail";

    // Back to a small selection: drawn at once, and no late picture replaces it.
    Doc().DocPaths[2].blSelected = false;
    list->RefreshSelect();
    EXPECT_EQ(list->Picture1->Image(), small);
    list->FlushThumbnail();
    EXPECT_EQ(list->Picture1->Image(), small);
}

TEST_F(PathListWindowTest, RecolouredSelectionIsReadOnceForTheThumbnailAndTheCanvas)
{
    AddSquares(3);
    Doc().DocPaths[2].FillType = core::kFillLinear;
    Doc().DocPaths[3].FillType = core::kFillRadial;
    window->mnuSelectAllEdit_Click();
    QApplication::processEvents();

    // The thumbnail is drawn before the canvas: it reads the three recoloured groups, and the
    // canvas takes them from it instead of reading them again.
    const platform::PlayerStats canvasStart = window->ShockwaveFlash1.Stats();
    const platform::PlayerStats thumbnailStart = list->ShockwaveFlash2.Stats();
    canvastools::Input().CurrentColors[0] = 0xFF2040E0u;
    window->PicColor_MouseDown(kLeft, 0, 1, 1);
    QApplication::processEvents();
    EXPECT_LE(list->ShockwaveFlash2.Stats().groupsRead - thumbnailStart.groupsRead +
                  window->ShockwaveFlash1.Stats().groupsRead - canvasStart.groupsRead,
              3);
    EXPECT_EQ(window->ShockwaveFlash1.Stats().groupsBuilt - canvasStart.groupsBuilt, 0);
    EXPECT_EQ(Doc().DocPaths[1].LineColor, 0xFF2040E0u);

    // The canvas shows what a player of its own shows of the same movie.
    platform::MoviePlayer fresh;
    fresh.SetBackgroundColor(window->ShockwaveFlash1.BackgroundColor());
    fresh.SetQuality2(window->ShockwaveFlash1.Quality2());
    movie::EnsureCanvasMovieFile(Doc().CanvasTempFile);
    fresh.SetMovie(Doc().CanvasTempFile);
    QImage shown(240, 160, QImage::Format_RGB32);
    QImage expected(shown.size(), QImage::Format_RGB32);
    window->ShockwaveFlash1.Render(shown, shown.rect());
    fresh.Render(expected, expected.rect());
    EXPECT_EQ(shown, expected);
}

TEST_F(PathListWindowTest, ThumbnailOfASelectionMovedAsAWholeIsKeptAndRedrawnWhenItsShapeChanges)
{
    AddSquares(3);
    for (int32_t i = 1; i <= 3; ++i) {
        core::PathRecord &path = Doc().DocPaths[static_cast<size_t>(i)];
        path.FillType = core::kFillSolid;
        path.FillColor = 0xFF0000FFu | static_cast<uint32_t>(i * 60) << 8;
        path.blSelected = true;
    }
    list->RefreshSelect();
    const QImage before = list->Picture1->Image();
    auto moveBy = [](int32_t i, int32_t dx, int32_t dy) {
        testsupport::ShiftPath(Doc().DocPaths[static_cast<size_t>(i)], dx, dy);
    };
    const movie::UnitCache &units = movie::Writer().Units;
    const size_t encoded = units.Size();

    // All moved alike (by less than a pixel too): the picture stays, nothing is encoded.
    for (auto [dx, dy] : {std::pair{37, 11}, std::pair{-7, 400}, std::pair{-30, -411}}) {
        for (int32_t i = 1; i <= 3; ++i) {
            moveBy(i, dx, dy);
        }
        list->Picture1->Cls();
        list->RefreshSelect();
        EXPECT_EQ(list->Picture1->Image(), before);
        EXPECT_EQ(units.Size(), encoded);
    }

    // One path moved apart from the others: the picture is drawn again.
    moveBy(2, 0, 300);
    list->RefreshSelect();
    EXPECT_NE(list->Picture1->Image(), before);
    EXPECT_GT(units.Size(), encoded);
    moveBy(2, 0, -300);
    list->RefreshSelect();
    EXPECT_EQ(list->Picture1->Image(), before);
}

TEST_F(PathListWindowTest, TenThousandRowsAreWrittenAndSelectedFormattingOnlyTheRowsShown)
{
    for (int i = 0; i < 10000; ++i) {
        core::PathRecord path;
        path.Anchors = {{i, 0, 0}, {i + 10, 10, 0}};
        path.LineMode = 1;
        path.LineWidth = 20;
        Doc().DocPaths.push_back(path);
    }
    const auto *model = static_cast<const toolwindows::PathRowModel *>(list->List1->model());
    const int64_t formattedBefore = model->RowsFormatted();
    list->show();
    list->RefreshList();
    ClickRows({10000, 1});
    list->RefreshSelect();
    EXPECT_EQ(list->ListCount(), 10000);
    EXPECT_TRUE(Selected(1));
    EXPECT_TRUE(Selected(10000));
    EXPECT_TRUE(list->RowSelected(0));
    EXPECT_TRUE(list->RowSelected(9999));
    QApplication::processEvents();  // the rows on screen are drawn
    EXPECT_GT(model->RowsFormatted(), formattedBefore);
    EXPECT_LT(model->RowsFormatted() - formattedBefore, 2000) << "rows off screen are never formatted";
}

}  // namespace
