#include "tests/toolwindows/path_list_fixture.h"

#include "core/groups.h"
#include "core/host.h"
#include "core/path_attributes.h"
#include "movie/bit_writer.h"
#include "movie/shape_encoder.h"
#include "platform/base/program_folder.h"
#include "platform/forms/key_codes.h"
#include "platform/forms/window_placement.h"

#include <QElapsedTimer>

#include <filesystem>

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
    EXPECT_EQ(FormatPathRow(12, path), QStringLiteral("  12|■|3   |  |  |  |      |      |"));

    path.DispFlags = core::kDispHidden | core::kDispLocked;
    path.blClosed = true;
    path.LineMode = 1;
    path.FillType = core::kFillReflected;
    path.blGroup = true;
    path.GroupID = 7;
    EXPECT_EQ(FormatPathRow(1, path), QStringLiteral("   1|◇|3   |Y |Y |L2|(   7)|      |"));

    path.DispFlags = core::kDispHidden;
    EXPECT_TRUE(FormatPathRow(1, path).startsWith(QStringLiteral("   1|□|")));
    path.DispFlags = core::kDispLocked;
    EXPECT_TRUE(FormatPathRow(1, path).startsWith(QStringLiteral("   1|◆|")));
}

TEST(PathRowFormat, CompoundCarrierIsStarredAndLargeNumbersKeepTheirLastDigits)
{
    core::PathRecord path = PathWithAnchors(12345);
    path.blCompound = true;
    path.CompoundID = 3;
    path.CacheMark = "1";
    EXPECT_EQ(FormatPathRow(12345, path), QStringLiteral("2345|■|1234|  |  |  |      |    3*|"));
    path.CacheMark = "COMPO";
    EXPECT_TRUE(FormatPathRow(2, path).endsWith(QStringLiteral("|    3 |")));
    path.CacheMark.clear();
    EXPECT_TRUE(FormatPathRow(2, path).endsWith(QStringLiteral("|    3 |")));
    path.FillType = 9;  // a fill mode no file should hold shows as none
    EXPECT_TRUE(FormatPathRow(2, path).contains(QStringLiteral("|  |  |  |      |")));
}

TEST_F(PathListWindowTest, ViewCommandOpensWithHeaderAndClosesStoringPlacement)
{
    EXPECT_TRUE(window->menus.mnuDispPathGUI->Checked());
    EXPECT_EQ(Main().PathToolBoxVisible, 1);
    EXPECT_TRUE(list->isVisible());
    EXPECT_EQ(list->windowTitle(), QStringLiteral("パス管理"));
    ASSERT_EQ(list->List2->count(), 1);
    EXPECT_EQ(list->List2->item(0)->text(), QStringLiteral("    |  |ｱﾝｶｰ|閉|線|塗|ｸﾞﾙｰﾌﾟ|複合ID|"));
    EXPECT_EQ(list->imgSplitter2->y(), Main().PathToolBoxSplitter);

    list->resize(300, 420);
    QRect frame = platform::WindowRectTwips(list);
    window->menus.mnuDispPathGUI->Trigger();
    EXPECT_FALSE(window->menus.mnuDispPathGUI->Checked());
    EXPECT_EQ(Main().PathToolBoxVisible, 0);
    EXPECT_EQ(toolwindows::PathListWindow(), nullptr);
    EXPECT_EQ(Main().PathToolBoxWidth, frame.width());
    EXPECT_EQ(Main().PathToolBoxHeight, frame.height());
    EXPECT_GE(frame.width(), 300 * 15);
}

TEST_F(PathListWindowTest, CloseBoxUnchecksTheMenuAndOwnerClosingKeepsItOpenNextTime)
{
    list->close();
    EXPECT_FALSE(window->menus.mnuDispPathGUI->Checked());
    EXPECT_EQ(Main().PathToolBoxVisible, 0);
    EXPECT_EQ(toolwindows::PathListWindow(), nullptr);

    window->menus.mnuDispPathGUI->Trigger();
    list = toolwindows::PathListWindow();
    ASSERT_NE(list, nullptr);
    list->UnloadWindow(toolwindows::kUnloadByOwner);
    EXPECT_EQ(Main().PathToolBoxVisible, 1);
    EXPECT_TRUE(window->menus.mnuDispPathGUI->Checked());
    EXPECT_EQ(toolwindows::PathListWindow(), list);  // the main window may still cancel its closing
}

TEST_F(PathListWindowTest, OwnerClosingWhileHiddenClearsTheOpenFlag)
{
    list->hide();
    list->UnloadWindow(toolwindows::kUnloadByOwner);
    EXPECT_EQ(Main().PathToolBoxVisible, 0);
    EXPECT_EQ(toolwindows::PathListWindow(), list);
}

TEST_F(PathListWindowTest, ClosingTheMainWindowStoresTheOpenListForTheNextStart)
{
    list->resize(250, 400);
    list->SizePanes(120);
    window->close();
    EXPECT_EQ(Main().PathToolBoxVisible, 1);
    EXPECT_EQ(Main().PathToolBoxSplitter, 120);
    EXPECT_EQ(Main().PathToolBoxWidth, platform::WindowRectTwips(list).width());

    // The next start reads the settings and opens the list again.
    window.reset();
    EXPECT_EQ(toolwindows::PathListWindow(), nullptr);
    mainwindow::ResetMainStateForTest();
    window = std::make_unique<mainwindow::DrawGUI>();
    window->Form_Load(QString());
    ASSERT_NE(toolwindows::PathListWindow(), nullptr);
    EXPECT_TRUE(window->menus.mnuDispPathGUI->Checked());
    EXPECT_EQ(toolwindows::PathListWindow()->imgSplitter2->y(), 120);
}

TEST_F(PathListWindowTest, RowsFollowTheDocumentFrontmostOnTop)
{
    EXPECT_EQ(list->ListCount(), 0);
    AddSquares(12);
    ASSERT_EQ(list->ListCount(), 12);
    EXPECT_TRUE(list->RowText(0).startsWith(QStringLiteral("  12|")));
    EXPECT_TRUE(list->RowText(11).startsWith(QStringLiteral("   1|")));

    Doc().DocPaths.resize(6);
    core::RecordHistory();
    EXPECT_EQ(list->ListCount(), 5);
    EXPECT_TRUE(list->RowText(0).startsWith(QStringLiteral("   5|")));

    Doc().DocPaths.resize(1);
    core::RecordHistory();
    EXPECT_EQ(list->ListCount(), 0);
}

TEST_F(PathListWindowTest, ClosedWindowGetsNoRowsAndOpeningFillsThem)
{
    window->menus.mnuDispPathGUI->Trigger();
    AddSquares(3);
    window->menus.mnuDispPathGUI->Trigger();
    list = toolwindows::PathListWindow();
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(list->ListCount(), 3);
    list->hide();
    list->RefreshList();
    EXPECT_EQ(list->ListCount(), 0);
}

TEST_F(PathListWindowTest, DocumentSelectionIsMirroredOntoTheRows)
{
    AddSquares(4);
    Doc().DocPaths[2].blSelected = true;
    Doc().DocPaths[3].blSelected = true;
    core::GetHost().RefreshSelect();
    for (int32_t i = 1; i <= 4; ++i) {
        EXPECT_EQ(list->RowSelected(list->ListCount() - i), i == 2 || i == 3) << i;
    }
    core::DeselectAllPaths();
    for (int32_t row = 0; row < 4; ++row) {
        EXPECT_FALSE(list->RowSelected(row));
    }
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

TEST_F(PathListWindowTest, DoubleClickTogglesHiddenAndWithAltLockedWithoutUndoStep)
{
    AddSquares(2);
    ClickRows({2});
    int32_t step = HistoryPos();
    list->List1_MouseUp(kLeft, 0, 5, 5);
    list->List1_DblClick();
    EXPECT_TRUE(Path(2).IsHidden());
    EXPECT_TRUE(list->RowText(Row(2)).startsWith(QStringLiteral("   2|□|")));
    list->List1_DblClick();
    EXPECT_FALSE(Path(2).IsHidden());

    list->List1_MouseUp(kLeft, kAlt, 5, 5);
    EXPECT_EQ(list->AltAtMouseUp, 1);
    list->List1_DblClick();
    EXPECT_TRUE(Path(2).IsLocked());
    EXPECT_FALSE(Path(1).IsLocked());
    list->List1_MouseUp(kLeft, kAlt | kShift, 5, 5);
    EXPECT_EQ(list->AltAtMouseUp, 0);
    EXPECT_EQ(HistoryPos(), step);
}

TEST_F(PathListWindowTest, SplitterStopsSixtySixPixelsFromEitherEdge)
{
    list->resize(182, 386);
    list->SizePanes(150);
    EXPECT_EQ(list->Picture1->height(), 150);
    list->imgSplitter2_MouseDown(kLeft, 0, 5, 2);
    EXPECT_TRUE(list->SplitterDragging);
    EXPECT_TRUE(list->picSplitter2->isVisible());
    list->imgSplitter2_MouseMove(kLeft, 0, 5, -140);
    EXPECT_EQ(list->picSplitter2->y(), 66);
    list->imgSplitter2_MouseMove(kLeft, 0, 5, 500);
    EXPECT_EQ(list->picSplitter2->y(), 386 - 66);
    list->imgSplitter2_MouseMove(kLeft, 0, 5, 30);
    list->imgSplitter2_MouseUp(kLeft, 0, 5, 30);
    EXPECT_FALSE(list->SplitterDragging);
    EXPECT_FALSE(list->picSplitter2->isVisible());
    EXPECT_EQ(list->Picture1->height(), 180);
    EXPECT_EQ(list->imgSplitter2->y(), 180);
    EXPECT_EQ(list->List2->y(), 183);
    EXPECT_EQ(list->List1->y() + list->List1->height(), 386);

    list->SizePanes(10);
    EXPECT_EQ(list->Picture1->height(), 66);
}

TEST_F(PathListWindowTest, ThumbnailShowsSelectedPathsEvenHiddenOnes)
{
    AddSquares(2);
    Doc().DocPaths[1].FillType = core::kFillSolid;
    Doc().DocPaths[1].FillColor = 0xFF0000FF;  // opaque red
    Doc().DocPaths[1].DispFlags = core::kDispHidden;
    Doc().DocPaths[1].blSelected = true;
    list->RefreshSelect();
    const QImage &image = list->Picture1->Image();
    QColor centre = image.pixelColor(image.width() / 2, image.height() / 2);
    EXPECT_GT(centre.red(), 200);
    EXPECT_LT(centre.green(), 60);
    for (int digit = 0; digit < 10; ++digit) {
        EXPECT_FALSE(std::filesystem::exists(platform::ProgramFile(("_thumbtemp" + std::to_string(digit) + ".tmp").c_str())));
    }

    core::DeselectAllPaths();
    QColor cleared = list->Picture1->Image().pixelColor(image.width() / 2, image.height() / 2);
    EXPECT_EQ(cleared, QColor(Qt::white));
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

TEST_F(PathListWindowTest, ThumbnailHandsItsUnitsToTheDrawingAndKeepsItsImageWhileTheLookStays)
{
    AddSquares(3);
    for (int32_t i = 1; i <= 3; ++i) {
        Doc().DocPaths[static_cast<size_t>(i)].blSelected = true;
        Doc().DocPaths[static_cast<size_t>(i)].CacheMark.clear();
    }
    Doc().DocPaths[2].blCompound = true;  // a compound's unit depends on its members
    Doc().DocPaths[2].CompoundID = 7;
    list->RefreshSelect();
    core::BitBuffer expected;
    movie::InitBitBuffer(expected);
    movie::EncodePathUnit(expected, Doc().DocPaths[1], movie::kUnitSingle);
    EXPECT_EQ(Doc().DocPaths[1].CacheMark, "1");
    EXPECT_EQ(Doc().DocPaths[1].EdgeCache.Bytes, movie::BufferBytes(expected));
    EXPECT_EQ(Doc().DocPaths[3].CacheMark, "1");
    EXPECT_TRUE(Doc().DocPaths[2].CacheMark.empty());

    // Units going stale leave the picture as it was: it is not drawn again.
    QImage before = list->Picture1->Image();
    list->Picture1->Cls();
    Doc().DocPaths[1].CacheMark.clear();
    Doc().DocPaths[1].EdgeCache = core::BitBuffer();
    list->RefreshSelect();
    EXPECT_EQ(list->Picture1->Image(), before);
    EXPECT_TRUE(Doc().DocPaths[1].CacheMark.empty());  // nothing was encoded
}

TEST_F(PathListWindowTest, OtherKeysReachTheMainWindowAndHeaderClickReturnsToTheRows)
{
    float zoom = Doc().ZoomRate;
    list->Form_KeyUp(platform::kVkPageUp, 0);
    EXPECT_GT(Doc().ZoomRate, zoom);
    list->List2->item(0)->setSelected(true);
    list->List2_Click();
    EXPECT_TRUE(list->List2->selectedItems().isEmpty());
}

TEST_F(PathListWindowTest, TenThousandRowsAreWrittenAndSelectedQuickly)
{
    for (int i = 0; i < 10000; ++i) {
        core::PathRecord path;
        path.Anchors = {{i, 0, 0}, {i + 10, 10, 0}};
        path.LineMode = 1;
        path.LineWidth = 20;
        Doc().DocPaths.push_back(path);
    }
    QElapsedTimer timer;
    timer.start();
    list->RefreshList();
    ClickRows({10000, 1});
    list->RefreshSelect();
    EXPECT_EQ(list->ListCount(), 10000);
    EXPECT_TRUE(Selected(1));
    EXPECT_TRUE(Selected(10000));
    EXPECT_TRUE(list->RowSelected(0));
    EXPECT_TRUE(list->RowSelected(9999));
    EXPECT_LT(timer.elapsed(), 5000);
}

}  // namespace
