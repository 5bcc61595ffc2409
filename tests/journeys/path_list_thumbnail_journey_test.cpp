// The path list's thumbnail made on a worker while the user selects, moves and recolours paths:
// the pane keeps its last picture until the new one is ready, then shows exactly what a
// thumbnail drawn at once shows.
#include "core/document.h"
#include "tests/journeys/journey_fixture.h"
#include "toolwindows/path_list_window.h"
#include "toolwindows/thumbnail_maker.h"

#include <QApplication>
#include <QTest>

#include <limits>

namespace journeys {
namespace {

using toolwindows::PathGUI;

constexpr Rgb kRed = 0xFF0000;
constexpr Rgb kBlue = 0x0000FF;
constexpr Rgb kGreen = 0x00FF00;
constexpr Rgb kMint = 0x66FF99;

class PathListThumbnailJourney : public Journey {
protected:
    void SetUp() override
    {
        Journey::SetUp();
        PathGUI::SetImmediateThumbnailAnchorsForTest(0);  // every thumbnail is made on the worker
    }
    void TearDown() override
    {
        toolwindows::HoldThumbnailJobsForTest(false);
        PathGUI::SetImmediateThumbnailAnchorsForTest(-1);
        Journey::TearDown();
    }

    QImage Pane() const { return list->Picture1->grab().toImage(); }
    // The pane once the events are handled and the worker is done.
    QImage Made()
    {
        QApplication::processEvents();
        list->FlushThumbnail();
        return Pane();
    }
    // The pane with the thumbnail of the present selection drawn at once, on the main thread.
    QImage DrawnAtOnce()
    {
        PathGUI::SetImmediateThumbnailAnchorsForTest(std::numeric_limits<int64_t>::max());
        list->ThumbDisplay();
        QImage pane = Pane();
        PathGUI::SetImmediateThumbnailAnchorsForTest(0);
        list->ThumbDisplay();
        list->FlushThumbnail();
        return pane;
    }
    int Count(const QImage &pane, Rgb colour) const { return CountColor(pane, pane.rect(), colour, 8); }

    PathGUI *list = nullptr;
};

TEST_F(PathListThumbnailJourney, SelectingMovingAndRecolouringShowTheThumbnailOnceItIsMade)
{
    OpenDrawing(WriteDrawing("three.qlk", {Square(20, 20, 100, kRed), Square(180, 20, 100, kBlue),
                                           Square(20, 180, 100, kGreen)}));
    Menu({QStringLiteral("表示"), QStringLiteral("パス管理ツール")});
    list = toolwindows::PathListWindow();
    ASSERT_NE(list, nullptr);
    QListView *rows = list->List1;

    // The red square's row (path 1 is the last row).
    QTest::mouseClick(rows->viewport(), Qt::LeftButton, Qt::NoModifier,
                      rows->visualRect(rows->model()->index(2, 0)).center());
    QImage pane = Made();
    EXPECT_GT(Count(pane, kRed), 100);
    EXPECT_EQ(Count(pane, kBlue), 0);
    EXPECT_EQ(pane, DrawnAtOnce());

    // Everything selected: all three squares.
    Menu({QStringLiteral("編集"), QStringLiteral("全て選択")});
    pane = Made();
    for (Rgb colour : {kRed, kBlue, kGreen}) {
        EXPECT_GT(Count(pane, colour), 100) << std::hex << colour;
    }
    EXPECT_EQ(pane, DrawnAtOnce());

    // All moved together by a drag on the red square's edge: the same picture.
    const QImage beforeMove = pane;
    Drag({AtPixel(20, 70), AtPixel(40, 90), AtPixel(60, 110)});
    ASSERT_EQ(core::Doc().DocPaths[1].Anchors[0].X, 60 * 20);
    pane = Made();
    EXPECT_EQ(pane, beforeMove);
    EXPECT_EQ(pane, DrawnAtOnce());

    // Recoloured: while the worker is held the pane keeps the last thumbnail, then shows the new.
    toolwindows::HoldThumbnailJobsForTest(true);
    PickColor(kMint, Qt::RightButton);
    QApplication::processEvents();
    list->ThumbDisplay();  // the idle wait over: the worker takes the job and waits
    QApplication::processEvents();
    EXPECT_EQ(Pane(), beforeMove);
    toolwindows::HoldThumbnailJobsForTest(false);
    pane = Made();
    EXPECT_GT(Count(pane, kMint), 300);
    EXPECT_EQ(Count(pane, kRed), 0);
    EXPECT_EQ(pane, DrawnAtOnce());

    // Nothing selected: the pane is cleared at once.
    Key(Qt::Key_Escape);
    pane = Made();
    EXPECT_EQ(Count(pane, kMint), 0);
}

}  // namespace
}  // namespace journeys
