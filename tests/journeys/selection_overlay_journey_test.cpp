// A selection of many paths on a large canvas: the select tool shows every selected path's edge
// inverted over the canvas, also while the selection is dragged, after the move and after it is
// undone and redone, and the edges cut by the canvas view's border show up to that border.
#include "canvastools/canvas_input_state.h"
#include "core/document.h"
#include "tests/journeys/journey_fixture.h"

#include <QApplication>
#include <QPainter>

#include <cmath>

namespace journeys {
namespace {

constexpr int kCanvasPixels = 1200;
constexpr int kPitch = 50;     // pixels between the outlines' centres
constexpr int kRadius = 21;    // pixels
constexpr int kCorners = 16;   // anchors of each outline

// Closed outlines in a grid reaching past every side of the canvas, so that every side of the
// view cuts some of them.
std::vector<core::PathRecord> Outlines()
{
    std::vector<core::PathRecord> paths;
    for (int cy = -20; cy <= kCanvasPixels + 20; cy += kPitch) {
        for (int cx = -20; cx <= kCanvasPixels + 20; cx += kPitch) {
            core::PathRecord path;
            path.blClosed = true;
            path.LineMode = 1;
            path.LineWidth = 20;
            path.LineColor = 0xFF000000u;
            for (int k = 0; k < kCorners; ++k) {
                const double angle = 2.0 * M_PI * k / kCorners;
                const int radius = kRadius - (k % 2) * 6;  // a star: its edges cross no pixel twice
                path.Anchors.push_back({static_cast<int32_t>(std::lround((cx + radius * std::cos(angle)) * 20)),
                                        static_cast<int32_t>(std::lround((cy + radius * std::sin(angle)) * 20)),
                                        core::kOnCurve});
            }
            paths.push_back(std::move(path));
        }
    }
    return paths;
}

class SelectionOverlay : public Journey {
protected:
    // The canvas once the exact picture is in place.
    QImage Shown()
    {
        QApplication::processEvents();
        window->FinishPendingRender();
        QApplication::processEvents();
        return Canvas();
    }
    // What of it the scroll bars over its right and bottom edges leave to be seen.
    QImage Seen(const QImage &canvas) const { return canvas.copy(Uncovered()); }
    QRect Uncovered() const
    {
        return QRect(0, 0, window->VScroll1->x(), window->HScroll1->y());
    }
    // What is seen of the picture with every path's outline inverted by a one-pixel pen, drawn
    // one by one.
    QImage WithEdges(QImage picture) const
    {
        for (const core::PathRecord &path : core::Doc().DocPaths) {
            Invert(picture, path, 0);
        }
        return Seen(picture);
    }
    // The picture with the path's closed outline inverted by a pen of the width (0: one pixel),
    // flat ends: the last pixel of each line is left out.
    void Invert(QImage &picture, const core::PathRecord &path, int width) const
    {
        if (path.Anchors.empty()) {
            return;
        }
        QPainter painter(&picture);
        painter.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
        painter.setPen(QPen(QBrush(Qt::white), width, Qt::SolidLine, Qt::FlatCap, Qt::MiterJoin));
        QPolygon outline;
        for (const core::AnchorPoint &anchor : path.Anchors) {
            outline << At(anchor.X, anchor.Y);
        }
        outline << outline.front();
        painter.drawPolyline(outline);
    }
    void OpenGrid()
    {
        core::CanvasSettings settings;
        settings.Width = kCanvasPixels;
        settings.Height = kCanvasPixels;
        OpenDrawing(WriteDrawing("grid.qlk", Outlines(), settings));
        ChooseTool(canvastools::kToolSelect);
    }
};

TEST_F(SelectionOverlay, EveryEdgeOfALargeSelectionShowsInvertedThroughMovesUndoAndRedo)
{
    OpenGrid();
    // The view shows the middle of the canvas only: the selection's frame lies beyond it.
    const QRect view = Uncovered();
    ASSERT_FALSE(view.contains(AtPixel(-40, -40)));
    ASSERT_FALSE(view.contains(AtPixel(kCanvasPixels + 40, kCanvasPixels + 40)));
    const QImage unselected = Shown();

    Key(Qt::Key_A, Qt::ControlModifier);
    const QImage selected = Shown();
    EXPECT_EQ(Seen(selected), WithEdges(unselected));

    // Every path dragged by its edge 3 pixels right and 2 down, in small steps.
    const core::AnchorPoint grip = core::Doc().DocPaths[core::Doc().DocPathCount() / 2].Anchors[0];
    const QPoint from = At(grip.X, grip.Y);
    PressAndMove({from, from + QPoint(1, 1), from + QPoint(2, 1)});
    QApplication::processEvents();
    Release(window->Picture1, from + QPoint(3, 2));
    const QImage moved = Shown();
    EXPECT_NE(Seen(moved), Seen(selected));
    Key(Qt::Key_Escape);
    const QImage movedUnselected = Shown();
    Key(Qt::Key_A, Qt::ControlModifier);
    EXPECT_EQ(Seen(Shown()), WithEdges(movedUnselected));
    EXPECT_EQ(Seen(Shown()), Seen(moved));

    // Undone and redone (every path selected again after each).
    Undo();
    Key(Qt::Key_A, Qt::ControlModifier);
    EXPECT_EQ(Seen(Shown()), Seen(selected));
    Redo(true);
    Key(Qt::Key_A, Qt::ControlModifier);
    EXPECT_EQ(Seen(Shown()), Seen(moved));
    // Nothing selected: the canvas as it was without the edges.
    Key(Qt::Key_Escape);
    EXPECT_EQ(Seen(Shown()), Seen(movedUnselected));
}

TEST_F(SelectionOverlay, ALargeSelectionKeepsItsEdgesThroughARecolourAScrollAndAHover)
{
    OpenGrid();
    Key(Qt::Key_A, Qt::ControlModifier);
    Shown();
    // Every path takes a red line: the edges stay where they were.
    PickColor(0xFF0000, Qt::LeftButton);
    const QImage recoloured = Shown();
    Key(Qt::Key_Escape);
    EXPECT_EQ(Seen(recoloured), WithEdges(Shown()));

    Key(Qt::Key_A, Qt::ControlModifier);
    Shown();
    ClickScrollBar(window->HScroll1, QStyle::SC_ScrollBarAddLine);
    ClickScrollBar(window->VScroll1, QStyle::SC_ScrollBarAddPage);
    const QImage scrolled = Shown();
    Key(Qt::Key_Escape);
    const QImage scrolledUnselected = Shown();
    EXPECT_EQ(Seen(scrolled), WithEdges(scrolledUnselected));

    // The pointer over a path's edge marks that edge with a two-pixel pen over the selection.
    Key(Qt::Key_A, Qt::ControlModifier);
    const QImage selected = Shown();
    const size_t hovered = core::Doc().DocPathCount() / 2 + 3;
    const core::AnchorPoint on = core::Doc().DocPaths[hovered].Anchors[2];
    MoveTo(window->Picture1, At(on.X, on.Y));
    QApplication::processEvents();
    QImage marked = selected;
    Invert(marked, core::Doc().DocPaths[hovered], 2);
    EXPECT_EQ(Seen(Canvas()), Seen(marked));
    EXPECT_NE(Seen(Canvas()), Seen(selected));
}

}  // namespace
}  // namespace journeys
