// The selected paths' edges gathered for the overlay are those of mapping every selected path
// anew, whatever changed since the last gathering; only the paths whose anchors changed other
// than by whole pixels (or all of them at a new zoom) are mapped again.
#include "canvastools/selected_edge_polylines.h"

#include <gtest/gtest.h>

#include <functional>
#include <random>

namespace {

using canvastools::EdgePolylines;
using canvastools::SelectedEdgePolylines;
using canvastools::ViewMetrics;

constexpr int kPaths = 60;

// Outlines of 3 to 9 anchors, open and closed, every other one selected, some reaching past
// the view.
core::PathArray Drawing(unsigned seed)
{
    std::mt19937 random(seed);
    std::uniform_int_distribution<int32_t> position(-2000, 14000);
    std::uniform_int_distribution<int32_t> step(-900, 900);
    std::uniform_int_distribution<int> anchors(3, 9);
    core::PathArray paths(1);
    for (int i = 0; i < kPaths; ++i) {
        core::PathRecord path;
        int32_t x = position(random), y = position(random);
        for (int k = anchors(random); k > 0; --k) {
            path.Anchors.push_back({x, y});
            x += step(random);
            y += step(random);
        }
        path.blClosed = i % 3 != 0;
        path.blSelected = i % 2 == 0;
        paths.push_back(std::move(path));
    }
    paths[5].Anchors.resize(1);  // selected, but a single anchor has no edge
    return paths;
}

ViewMetrics View()
{
    ViewMetrics view;
    view.scaleWidth = 500;
    view.scaleHeight = 400;
    view.canvasWidth = 640;
    view.canvasHeight = 640;
    return view;
}

void ExpectSameEdges(const EdgePolylines &got, const EdgePolylines &want)
{
    EXPECT_EQ(got.points, want.points);
    EXPECT_EQ(got.starts, want.starts);
    EXPECT_EQ(got.summaries, want.summaries);
}

void MoveBy(core::PathRecord &path, int32_t dx, int32_t dy)
{
    for (core::AnchorPoint &anchor : path.Anchors) {
        anchor.X += dx;
        anchor.Y += dy;
    }
}

TEST(SelectedEdgePolylines, AreThoseOfEveryPathMappedAnewMappingOnlyWhatChanged)
{
    using Edit = std::function<void(core::PathArray &, ViewMetrics &)>;
    const int selected = kPaths / 2 - 1;  // every other one, but the single anchor
    const struct {
        const char *name;
        Edit edit;
        int64_t mapped;
    } cases[] = {
        {"nothing", [](core::PathArray &, ViewMetrics &) {}, 0},
        {"recoloured", [](core::PathArray &paths, ViewMetrics &) { for (auto &p : paths) p.FillColor ^= 0xFF; }, 0},
        {"an anchor kind", [](core::PathArray &paths, ViewMetrics &) { paths[3].Anchors[1].AnchorKind = 1; }, 0},
        {"one moved", [](core::PathArray &paths, ViewMetrics &) { MoveBy(paths[7], 40, -20); }, 0},
        {"one moved by part of a pixel", [](core::PathArray &paths, ViewMetrics &) { MoveBy(paths[7], 45, -20); }, 1},
        {"one anchor moved", [](core::PathArray &paths, ViewMetrics &) { paths[9].Anchors[2].X += 1; }, 1},
        {"one opened", [](core::PathArray &paths, ViewMetrics &) { paths[11].blClosed = false; }, 1},
        {"all moved by whole pixels",
         [](core::PathArray &paths, ViewMetrics &) { for (auto &p : paths) MoveBy(p, 40, -60); }, 0},
        {"all moved by part of a pixel",
         [](core::PathArray &paths, ViewMetrics &) { for (auto &p : paths) MoveBy(p, 7, 0); }, selected},
        {"all moved at a zoom of 3/2", [](core::PathArray &paths, ViewMetrics &view) {
             view.zoom = 1.5f;
             for (auto &p : paths) MoveBy(p, 40, 0);
         }, selected},
        {"one more selected", [](core::PathArray &paths, ViewMetrics &) { paths[2].blSelected = true; }, 1},
        {"one less selected", [](core::PathArray &paths, ViewMetrics &) { paths[1].blSelected = false; }, 0},
        {"a selected path deleted", [](core::PathArray &paths, ViewMetrics &) { paths.erase(paths.begin() + 3); },
         0},
        {"an unselected path deleted",
         [](core::PathArray &paths, ViewMetrics &) { paths.erase(paths.begin() + 2); }, 0},
        {"a path inserted", [](core::PathArray &paths, ViewMetrics &) { paths.insert(paths.begin() + 4, paths[1]); },
         1},
        {"scrolled", [](core::PathArray &, ViewMetrics &view) { view.hScrollValue += 37, view.vScrollValue -= 5; },
         0},
        {"a wider view", [](core::PathArray &, ViewMetrics &view) { view.scaleWidth += 120; }, 0},
        {"zoomed", [](core::PathArray &, ViewMetrics &view) { view.zoom = 2.0f; }, selected},
    };
    for (unsigned seed = 1; seed <= 4; ++seed) {
        for (const auto &c : cases) {
            SCOPED_TRACE(testing::Message() << "seed " << seed << ": " << c.name);
            core::PathArray paths = Drawing(seed);
            ViewMetrics view = View();
            SelectedEdgePolylines kept;
            EXPECT_TRUE(kept.Gather(paths, view));
            c.edit(paths, view);
            const int64_t before = kept.PathsMapped();
            kept.Gather(paths, view);
            SelectedEdgePolylines fresh;
            fresh.Gather(paths, view);
            ExpectSameEdges(kept.Edges(), fresh.Edges());
            EXPECT_EQ(kept.PathsMapped() - before, c.mapped);
            // Taken back (an undo): the first edges again, with the same paths mapped; every
            // other time after the window, left idle, let go of the room kept for them.
            if (seed % 2 == 0) {
                kept.ReleaseRoom();
            }
            paths = Drawing(seed);
            view = View();
            const int64_t undone = kept.PathsMapped();
            kept.Gather(paths, view);
            SelectedEdgePolylines first;
            first.Gather(paths, view);
            ExpectSameEdges(kept.Edges(), first.Edges());
            EXPECT_LE(kept.PathsMapped() - undone, c.mapped + 1);
        }
    }
}

TEST(SelectedEdgePolylines, MovesAtAnyZoomGiveThePointsOfMappingAnew)
{
    for (float zoom : {0.25f, 0.3f, 0.5f, 1.5f, 3.0f, 7.77f, 12.5f}) {
        for (const QPoint by : {QPoint(20, 0), QPoint(40, -80), QPoint(7, 3), QPoint(-260, 1000), QPoint(1, 0)}) {
            SCOPED_TRACE(testing::Message() << "zoom " << zoom << " by " << by.x() << "," << by.y());
            core::PathArray paths = Drawing(9);
            ViewMetrics view = View();
            view.zoom = zoom;
            SelectedEdgePolylines kept;
            kept.Gather(paths, view);
            for (core::PathRecord &path : paths) {
                MoveBy(path, by.x(), by.y());
            }
            kept.Gather(paths, view);
            SelectedEdgePolylines fresh;
            fresh.Gather(paths, view);
            ExpectSameEdges(kept.Edges(), fresh.Edges());
        }
    }
}

TEST(SelectedEdgePolylines, NothingOrOnlySingleAnchorsSelected)
{
    core::PathArray paths = Drawing(3);
    for (core::PathRecord &path : paths) {
        path.blSelected = false;
    }
    SelectedEdgePolylines polylines;
    EXPECT_FALSE(polylines.Gather(paths, View()));
    EXPECT_EQ(polylines.Edges().Count(), 0u);
    paths[5].blSelected = true;  // one anchor: selected, no edge
    EXPECT_TRUE(polylines.Gather(paths, View()));
    EXPECT_EQ(polylines.Edges().Count(), 0u);
    EXPECT_FALSE(polylines.Gather(core::PathArray(1), View()));
}

}  // namespace
