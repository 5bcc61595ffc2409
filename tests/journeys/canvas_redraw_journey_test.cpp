// The canvas redraws only what an edit changed: after a path among others is moved, the move is
// undone and redone, or the path recoloured, what the canvas shows is exactly a whole render of
// the canvas movie, also after the window was left idle. The same holds once the window is idle
// when the exact pictures are drawn on the worker thread, and a picture drawn there for an older
// edit never shows.
#include "core/canvas_settings.h"
#include "core/document.h"
#include "mainwindow/view_geometry.h"
#include "movie/canvas_movie.h"
#include "platform/player/movie_player.h"
#include "platform/player/player_testing.h"

#include <QApplication>
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <functional>
#include <vector>
#include "tests/journeys/journey_fixture.h"
#include "tests/support/image_compare.h"

namespace journeys {
namespace {

class CanvasRedraw : public Journey {
protected:
    // Overlapping rectangles with solid and gradient fills, each drawn in a colour of its own.
    void DrawOverlappingRectangles()
    {
        const struct {
            StyleRow fill;
            Rgb colour;
            int left;
        } rectangles[] = {{kSolid, 0xFF0000, 40},   {kLinear1, 0x00FF00, 70}, {kSolid, 0x0000FF, 100},
                          {kRadial, 0xFFCC00, 130}, {kSolid, 0x993366, 160}};
        ChooseStyle(kLineAndFill);
        for (const auto &rectangle : rectangles) {
            ChooseStyle(rectangle.fill);
            PickColor(rectangle.colour, Qt::RightButton);
            DrawRectangle(AtPixel(rectangle.left, rectangle.left), AtPixel(rectangle.left + 80, rectangle.left + 60));
            Key(Qt::Key_Escape);
        }
    }

    // What a player that never drew before shows of the canvas movie, where the canvas shows it,
    // with the paths' fill colours and the canvas colour where the document puts them.
    void ExpectAWholeRender(const char *step) { ExpectNearAWholeRender(step, 0); }

    // The same within `levels` of each channel.
    void ExpectNearAWholeRender(const char *step, int levels)
    {
        Key(Qt::Key_Escape);  // no selection frame over the picture
        ExpectDocumentShown(step);
        const core::Document &doc = core::Doc();
        platform::MoviePlayer fresh;
        fresh.SetQuality2(core::QualityName(doc.CurrentSettings.Quality));
        fresh.SetBackgroundColor(static_cast<int32_t>(doc.PlayerBackColor & 0xFFFFFF));
        movie::EnsureCanvasMovieFile(doc.CanvasTempFile);
        fresh.SetMovie(doc.CanvasTempFile);
        const QImage shown = Canvas();
        QImage whole(shown.size(), QImage::Format_RGB32);
        const mainwindow::ImageRect image =
            mainwindow::CanvasImageRect(window->CurrentViewMetrics(), doc.ViewExtent);
        const QRect rect(image.x0, image.y0, image.x1 - image.x0, image.y1 - image.y0);
        fresh.Render(whole, rect);
        const QRect visible = rect.intersected(CanvasUncovered());
        ASSERT_FALSE(visible.isEmpty()) << step;
        const int largest = testsupport::LargestChannelDifference(shown, whole, visible);
        EXPECT_LE(largest, levels) << step;
    }
};

TEST_F(CanvasRedraw, MovedUndoneRedoneAndRecolouredPathsShowAsAWholeRender)
{
    DrawOverlappingRectangles();
    ExpectAWholeRender("drawn");
    // The middle rectangle (100..180 x 100..160 px) by its top edge, moved in drag steps.
    Drag({AtPixel(120, 100), AtPixel(125, 104), AtPixel(131, 110), AtPixel(140, 117)});
    EXPECT_EQ(PixelAt(AtPixel(195, 122)), 0x0000FFu);  // blue where nothing was before
    EXPECT_EQ(PixelAt(AtPixel(105, 150)), kWhite);      // and the canvas where it was alone
    ExpectAWholeRender("moved");
    Undo();
    EXPECT_EQ(PixelAt(AtPixel(105, 150)), 0x0000FFu);
    ExpectAWholeRender("undone");
    Redo(true);
    ExpectAWholeRender("redone");
    ClickCanvas(AtPixel(140, 117));
    PickColor(0x66FF99, Qt::RightButton);
    Key(Qt::Key_Escape);
    EXPECT_EQ(PixelAt(AtPixel(195, 122)), 0x66FF99u);  // the new colour where only it lies
    ExpectAWholeRender("recoloured");
    // Left idle, the window gives back the room it keeps for later edits; they show as before.
    const uint64_t releases = window->IdleRelease().Releases();
    window->IdleRelease().ReleaseIfPending();
    ASSERT_EQ(window->IdleRelease().Releases(), releases + 1);
    ExpectAWholeRender("left idle");
    // The bottom rectangle (40..120 x 40..100 px) next, then the middle one again.
    Drag({AtPixel(60, 40), AtPixel(57, 37), AtPixel(53, 33)});
    ExpectAWholeRender("bottom moved");
    Drag({AtPixel(140, 117), AtPixel(145, 120)});
    ExpectAWholeRender("middle moved again");
}

// Every canvas render is drawn on the worker thread, however small.
class CanvasRedrawOnWorker : public CanvasRedraw {
protected:
    void SetUp() override
    {
        platform::SetMostWorkOnTheSpotForTest(0);
        CanvasRedraw::SetUp();
    }
    void TearDown() override
    {
        platform::HoldWorkerRendersForTest(false);
        CanvasRedraw::TearDown();
        platform::SetMostWorkOnTheSpotForTest(-1);
    }

    // Holds the worker's renders from the next edit on, so that what shows before the exact
    // picture can be looked at; the exact picture is drawn once ExpectAWholeRenderOnceDrawn asks.
    void HoldWorker() { platform::HoldWorkerRendersForTest(true); }

    void ExpectAWholeRenderOnceDrawn(const char *step)
    {
        platform::HoldWorkerRendersForTest(false);
        window->FinishPendingRender();
        ExpectAWholeRender(step);
    }
};

TEST_F(CanvasRedrawOnWorker, MovedUndoneRedoneAndRecolouredPathsShowAsAWholeRenderOnceDrawn)
{
    DrawOverlappingRectangles();
    ExpectAWholeRenderOnceDrawn("drawn");
    Drag({AtPixel(120, 100), AtPixel(125, 104), AtPixel(131, 110), AtPixel(140, 117)});
    ExpectAWholeRenderOnceDrawn("one moved");
    EXPECT_EQ(PixelAt(AtPixel(195, 122)), 0x0000FFu);
    Undo();
    ExpectAWholeRenderOnceDrawn("undone");
    Redo(true);
    ExpectAWholeRenderOnceDrawn("redone");
    ClickCanvas(AtPixel(140, 117));
    PickColor(0x66FF99, Qt::RightButton);
    ExpectAWholeRenderOnceDrawn("recoloured");
    // Every path, moved by whole pixels (the preview shifts the kept pixels), then back.
    Key(Qt::Key_A, Qt::ControlModifier);
    Drag({AtPixel(140, 117), AtPixel(146, 121), AtPixel(152, 129)});
    ExpectAWholeRenderOnceDrawn("all moved");
    EXPECT_EQ(PixelAt(AtPixel(207, 134)), 0x66FF99u);  // the middle rectangle, moved again
    Undo(true);
    ExpectAWholeRenderOnceDrawn("all moved back");
    Redo();
    ExpectAWholeRenderOnceDrawn("all moved again");
}

// While the worker draws, a recoloured path and a path moved by a fraction of a device pixel (a
// drag at 150 %) already show as they will be, within one level of the exact picture.
TEST_F(CanvasRedrawOnWorker, ARecolourAndAMoveByAFractionOfAPixelShowBeforeTheExactPicture)
{
    DrawOverlappingRectangles();
    window->FinishPendingRender();
    ClickCanvas(AtPixel(120, 100));  // the middle rectangle, by its top edge
    HoldWorker();
    PickColor(0x3366CC, Qt::RightButton);
    EXPECT_EQ(PixelAt(AtPixel(110, 110)), 0x3366CCu) << "the new colour at once";
    ExpectNearAWholeRender("recoloured, before the exact picture", 1);
    ExpectAWholeRenderOnceDrawn("recoloured");

    TypeIntoCombo(window->Combo2, QStringLiteral("150%"));
    window->FinishPendingRender();
    ExpectAWholeRender("zoomed");
    // Each screen pixel of the drag is 13.3 twips: the move is no whole number of device pixels.
    ClickCanvas(AtPixel(120, 100));
    HoldWorker();
    Drag({AtPixel(120, 100), AtPixel(123, 102), AtPixel(127.3, 104.6)});
    ExpectNearAWholeRender("moved by a fraction, before the exact picture", 1);
    ExpectAWholeRenderOnceDrawn("moved by a fraction");
    HoldWorker();
    Undo();
    ExpectNearAWholeRender("undone, before the exact picture", 1);
    ExpectAWholeRenderOnceDrawn("undone");
}

// Every path moved by whole pixels, the move undone and redone: before the exact picture the
// canvas already shows the kept pixels shifted, within one level of it.
TEST_F(CanvasRedrawOnWorker, EveryPathMovedShowsShiftedBeforeTheExactPicture)
{
    DrawOverlappingRectangles();
    window->FinishPendingRender();
    ClickCanvas(AtPixel(120, 100));  // the middle rectangle, by its top edge
    Key(Qt::Key_A, Qt::ControlModifier);
    HoldWorker();
    Drag({AtPixel(120, 100), AtPixel(123, 102), AtPixel(130, 104)});
    ExpectNearAWholeRender("all moved, before the exact picture", 1);
    ExpectAWholeRenderOnceDrawn("all moved");
    EXPECT_EQ(PixelAt(AtPixel(185, 110)), 0x0000FFu);  // the middle rectangle, moved right
    for (const bool redo : {false, true}) {
        HoldWorker();
        redo ? Redo() : Undo();
        ExpectNearAWholeRender(redo ? "redone, before the exact picture" : "undone, before the exact picture", 1);
        ExpectAWholeRenderOnceDrawn(redo ? "redone" : "undone");
    }
}

// A scroll shows the kept pixels moved along with the drawing, the strip it uncovers drawn; a
// zoom shows the kept picture scaled: both at once, before the exact picture.
TEST_F(CanvasRedrawOnWorker, ScrollsAndZoomsShowTheDrawingInItsNewPlaceBeforeTheExactPicture)
{
    DrawOverlappingRectangles();
    TypeIntoCombo(window->Combo2, QStringLiteral("300%"));
    ExpectAWholeRenderOnceDrawn("zoomed in");
    // The strips a scroll uncovers are drawn at once, the rest of the picture is not.
    platform::SetMostWorkOnTheSpotForTest(100);
    for (const auto &[bar, part] : {std::pair{window->VScroll1, QStyle::SC_ScrollBarAddLine},
                                    std::pair{window->HScroll1, QStyle::SC_ScrollBarSubLine},
                                    std::pair{window->VScroll1, QStyle::SC_ScrollBarSubLine}}) {
        HoldWorker();
        const int value = bar->value();
        ClickScrollBar(bar, part);
        ASSERT_NE(bar->value(), value);
        EXPECT_EQ(PixelAt(AtPixel(115, 115)), 0x0000FFu) << "the blue rectangle where it now shows";
        EXPECT_EQ(PixelAt(AtPixel(200, 200)), 0x993366u) << "the purple one";
        EXPECT_EQ(window->ShockwaveFlash1.LastPreview(), platform::PreviewKind::ScrolledView);
        ExpectNearAWholeRender("scrolled, before the exact picture", 2);
        ExpectAWholeRenderOnceDrawn("scrolled");
    }
    platform::SetMostWorkOnTheSpotForTest(0);
    HoldWorker();
    TypeIntoCombo(window->Combo2, QStringLiteral("100%"));
    EXPECT_EQ(window->ShockwaveFlash1.LastPreview(), platform::PreviewKind::ScaledView);
    EXPECT_EQ(PixelAt(AtPixel(115, 115)), 0x0000FFu) << "the kept picture, scaled";
    EXPECT_EQ(PixelAt(AtPixel(200, 200)), 0x993366u);
    ExpectAWholeRenderOnceDrawn("zoomed out");
}

TEST_F(CanvasRedrawOnWorker, AnEditArrivingWhileTheWorkerDrawsReplacesItsPicture)
{
    DrawOverlappingRectangles();
    window->FinishPendingRender();
    ClickCanvas(AtPixel(120, 100));  // the middle rectangle, by its top edge
    // The first colour's picture is being drawn (or waits to be shown) when the second comes.
    PickColor(0x66FF99, Qt::RightButton);
    PickColor(0x3366CC, Qt::RightButton);
    ExpectAWholeRenderOnceDrawn("second colour");
    EXPECT_EQ(PixelAt(AtPixel(110, 110)), 0x3366CCu);
    // Whatever the worker still reports about the first colour changes nothing.
    QApplication::processEvents();
    ExpectAWholeRender("after the reports");
    EXPECT_EQ(PixelAt(AtPixel(110, 110)), 0x3366CCu);
}

// Renders the worker cannot get the memory for fail as renders: the canvas keeps what it showed,
// the status line says so once however many fail, and the edits stay in the drawing: once memory
// is there again the next edit shows exactly, and a later failure is told again.
TEST_F(CanvasRedrawOnWorker, RendersRefusedMemoryAreToldOnceAndTheCanvasKeepsItsPicture)
{
    struct RefusedMemory {
        RefusedMemory() { platform::RefuseWorkerRenderMemoryForTest(true); }
        ~RefusedMemory() { platform::RefuseWorkerRenderMemoryForTest(false); }
    };
    const QString told = QStringLiteral("メモリが足りないため、キャンバスの表示を更新できません。");
    DrawOverlappingRectangles();
    window->FinishPendingRender();
    for (const char *episode : {"first", "second"}) {
        ClickCanvas(AtPixel(120, 100));  // the middle rectangle, by its top edge
        {
            RefusedMemory refused;
            PickColor(0x3366CC, Qt::RightButton);
            window->FinishPendingRender();
            QApplication::processEvents();
            EXPECT_EQ(window->StatusLabel1->text(), told) << episode;
            EXPECT_EQ(PixelAt(AtPixel(110, 110)), 0x3366CCu) << episode << ": the preview stays";
            MoveTo(window->Picture1, AtPixel(150, 150));  // the pointer's place on the status line
            ASSERT_NE(window->StatusLabel1->text(), told) << episode;
            PickColor(0x66FF99, Qt::RightButton);
            window->FinishPendingRender();
            QApplication::processEvents();
            EXPECT_NE(window->StatusLabel1->text(), told) << episode << ": told once";
            EXPECT_EQ(PixelAt(AtPixel(110, 110)), 0x66FF99u) << episode << ": the preview stays";
        }
        PickColor(0xFFCC00, Qt::RightButton);
        ExpectAWholeRenderOnceDrawn(episode);
        EXPECT_EQ(PixelAt(AtPixel(110, 110)), 0xFFCC00u) << episode;
    }
}

// Another drawing of the same size opened, then a new canvas made, while the worker still draws
// the exact picture: meanwhile the canvas shows its paper, never the drawing shown before. Each
// drawing is too much to repaint for a preview: many squares over one half of the canvas.
TEST_F(CanvasRedrawOnWorker, ADrawingOpenedOrANewCanvasShowsThePaperUntilItsPicture)
{
    constexpr Rgb kRed = 0xFF0000;
    constexpr Rgb kBlue = 0x0000FF;
    constexpr Rgb kPaper = 0xFFFFCC;  // the canvas colour of both drawings, not the window's white
    core::CanvasSettings settings;
    settings.BackColorB = 0xCC;
    std::vector<core::PathRecord> first;
    std::vector<core::PathRecord> second;
    for (int i = 0; i < 1200; ++i) {
        const int x = 10 + i * 7 % 190;
        const int y = 10 + i * 11 % 60;
        first.push_back(Square(x, y, 60, kRed));
        second.push_back(Square(x, y + 180, 60, kBlue));
    }
    const QPoint onFirst = AtPixel(100, 100);
    const QPoint onSecond = AtPixel(100, 280);
    // Every canvas pixel (but the paper's anti-aliased rim) in the paper's colour.
    auto allPaper = [&] {
        const QRect paper = AreaTwips(40, 40, 320 * 20 - 40, 320 * 20 - 40).intersected(Canvas().rect());
        return !paper.isEmpty() && CountColor(paper, kPaper, 0) == paper.width() * paper.height();
    };
    OpenDrawing(WriteDrawing("first.qlk", first, settings));
    ExpectAWholeRenderOnceDrawn("first opened");
    ASSERT_EQ(PixelAt(onFirst), kRed);

    const struct {
        const char *step;
        std::function<void()> command;
        Rgb atSecond;  // once the exact picture shows
    } steps[] = {
        {"second opened", [&] { OpenDrawing(WriteDrawing("second.qlk", second, settings)); }, kBlue},
        {"new canvas", [&] { Menu({QStringLiteral("ファイル"), QStringLiteral("新規作成")}); }, kPaper},
    };
    for (const auto &step : steps) {
        platform::HoldWorkerRendersForTest(true);
        step.command();
        const Rgb shownAtFirst = PixelAt(onFirst);
        const Rgb shownAtSecond = PixelAt(onSecond);
        const bool paperShown = allPaper();
        platform::HoldWorkerRendersForTest(false);
        EXPECT_EQ(shownAtFirst, kPaper) << step.step << ", before the exact picture";
        EXPECT_EQ(shownAtSecond, kPaper) << step.step << ", before the exact picture";
        EXPECT_TRUE(paperShown) << step.step << ", before the exact picture";
        ExpectAWholeRenderOnceDrawn(step.step);
        EXPECT_EQ(PixelAt(onFirst), kPaper) << step.step;
        EXPECT_EQ(PixelAt(onSecond), step.atSecond) << step.step;
    }
}

// A drawing of many outlined paths with solid and gradient fills, opened through File > Open,
// whose shape groups are read in parts on several threads: once idle the canvas shows exactly what
// a player reading the canvas movie on one thread renders.
TEST_F(CanvasRedraw, ADrawingReadInPartsShowsWhatReadingItOnOneThreadShows)
{
    std::vector<core::PathRecord> paths;
    for (int i = 0; i < 700; ++i) {
        core::PathRecord path = Square(5 + i * 13 % 290, 5 + i * 29 % 290, 8 + i % 17, 0x102030 + i * 0x030507);
        path.FillType = static_cast<int16_t>(i % 5);
        path.LineMode = i % 3 == 0 ? 0 : 1;
        path.LineWidth = 20 + i % 3 * 20;
        path.LineColor = 0xFF203040u;
        paths.push_back(path);
    }
    platform::SetShapeGroupsPerPartForTest(3);
    OpenDrawing(WriteDrawing("many.qlk", paths, core::CanvasSettings()));
    window->FinishPendingRender();
    platform::SetShapeGroupsPerPartForTest(SIZE_MAX);  // the whole render's player reads on one thread
    ExpectAWholeRender("opened");
    platform::SetShapeGroupsPerPartForTest(0);
    const QRect drawn(AtPixel(10, 10), AtPixel(290, 290));
    EXPECT_LT(CountColor(drawn, 0xFFFFFF, 0), drawn.width() * drawn.height() / 4);  // the paths show
}

}  // namespace
}  // namespace journeys
