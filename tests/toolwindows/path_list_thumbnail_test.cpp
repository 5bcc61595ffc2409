// The thumbnail of a large selection, made on the worker: the same movie and picture as one drawn
// at once, replaced by a newer change before it is shown, and safe to abandon by closing the
// window or the document.
#include "tests/toolwindows/path_list_fixture.h"

#include "core/document.h"
#include "core/document_lifecycle.h"
#include "movie/movie_writer.h"
#include "tests/support/test_support.h"
#include "toolwindows/thumbnail_maker.h"
#include "toolwindows/thumbnail_movies.h"

#include <QApplication>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <limits>
#include <thread>

using core::Doc;
using toolwindows::PathGUI;

namespace {

class PathListThumbnailTest : public testsupport::PathListFixture {
protected:
    void SetUp() override
    {
        PathListFixture::SetUp();
        PathGUI::SetImmediateThumbnailAnchorsForTest(0);
    }
    void TearDown() override
    {
        toolwindows::HoldThumbnailJobsForTest(false);
        toolwindows::WaitForThumbnailJobsForTest();
        PathGUI::SetImmediateThumbnailAnchorsForTest(-1);
        PathListFixture::TearDown();
    }

    // Six squares recorded as one step, then restyled: solid colours, path 2 hidden, path 3 a
    // linear gradient, path 5 in a compound with path 6.
    void AddStyledSquares()
    {
        AddSquares(6);
        for (size_t i = 1; i <= 6; ++i) {
            core::PathRecord &path = Doc().DocPaths[i];
            path.FillType = core::kFillSolid;
            path.FillColor = 0xFF000000u | static_cast<uint32_t>(i * 0x2A1F53u);
        }
        Doc().DocPaths[2].DispFlags = core::kDispHidden;
        Doc().DocPaths[3].FillType = core::kFillLinear;
        for (size_t i : {5u, 6u}) {
            Doc().DocPaths[i].blCompound = true;
            Doc().DocPaths[i].CompoundID = 4;
        }
    }
    static void Select(std::initializer_list<size_t> paths)
    {
        for (size_t i = 1; i < Doc().DocPaths.size(); ++i) {
            Doc().DocPaths[i].blSelected = std::find(paths.begin(), paths.end(), i) != paths.end();
        }
    }
    static void SelectAll()
    {
        for (size_t i = 1; i < Doc().DocPaths.size(); ++i) {
            Doc().DocPaths[i].blSelected = true;
        }
    }
    static void MoveBy(size_t i, int32_t dx, int32_t dy)
    {
        core::PathRecord &path = Doc().DocPaths[i];
        for (core::AnchorPoint &anchor : path.Anchors) {
            anchor.X += dx;
            anchor.Y += dy;
        }
    }
    // The pane once the worker has made the thumbnail of the selection.
    QImage OnWorker()
    {
        list->ThumbDisplay();
        list->FlushThumbnail();
        return list->Picture1->Image();
    }
    // The pane with the selection's thumbnail drawn at once.
    QImage AtOnce()
    {
        PathGUI::SetImmediateThumbnailAnchorsForTest(std::numeric_limits<int64_t>::max());
        list->ThumbDisplay();
        QImage pane = list->Picture1->Image();
        PathGUI::SetImmediateThumbnailAnchorsForTest(0);
        return pane;
    }
    QImage Cleared()
    {
        list->Picture1->Cls();
        return list->Picture1->Image();
    }
};

TEST_F(PathListThumbnailTest, ThumbnailMadeOnTheWorkerIsTheOneDrawnAtOnce)
{
    const struct {
        const char *name;
        std::function<void()> prepare;  // selects, after a first thumbnail when the case needs one
        bool drawn;
    } cases[] = {
        {"OnePath", [] { Select({4}); }, true},
        {"HiddenGradientAndCompound", [] { Select({2, 3, 5, 6}); }, true},
        {"Everything", [] { SelectAll(); }, true},
        {"AllMovedTogether",
         [this] {
             SelectAll();
             OnWorker();
             for (size_t i = 1; i <= 6; ++i) {
                 MoveBy(i, 37, -411);
             }
         },
         true},
        {"OneMovedApart",
         [this] {
             SelectAll();
             OnWorker();
             MoveBy(2, 0, 300);
         },
         true},
        {"NothingToDraw",
         [] {
             core::PathRecord point;
             point.Anchors = {{500, 500, 0}, {500, 500, 0}};
             Doc().DocPaths.push_back(point);
             Select({Doc().DocPaths.size() - 1});
         },
         false},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        Doc().DocPaths.assign(1, core::PathRecord());
        core::StartHistoryWithDocument();
        AddStyledSquares();
        c.prepare();
        const QImage made = OnWorker();
        EXPECT_EQ(made, AtOnce());
        EXPECT_EQ(made != Cleared(), c.drawn);
    }
}

TEST_F(PathListThumbnailTest, ANewerChangeReplacesAThumbnailNotYetMade)
{
    const struct {
        const char *name;
        std::function<void()> change;
    } cases[] = {
        {"Recoloured", [] { Doc().DocPaths[1].FillColor = 0xFF20C040u; }},
        {"OneMovedApart", [] { MoveBy(3, 200, 0); }},
        {"OtherSelection", [] { Select({1, 4}); }},
        {"NothingSelected", [] { Select({}); }},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        Doc().DocPaths.assign(1, core::PathRecord());
        core::StartHistoryWithDocument();
        AddStyledSquares();
        SelectAll();
        const QImage first = OnWorker();

        toolwindows::HoldThumbnailJobsForTest(true);
        MoveBy(6, 0, 200);
        list->RefreshSelect();
        list->ThumbDisplay();  // taken by the worker, which waits
        EXPECT_EQ(list->Picture1->Image(), first) << "the last thumbnail stays meanwhile";
        c.change();
        list->RefreshSelect();
        toolwindows::HoldThumbnailJobsForTest(false);
        list->FlushThumbnail();
        toolwindows::WaitForThumbnailJobsForTest();
        QApplication::processEvents();
        const QImage shown = list->Picture1->Image();
        EXPECT_EQ(shown, AtOnce());
    }
}

TEST_F(PathListThumbnailTest, ClosingTheWindowOrTheDocumentWhileAThumbnailIsMadeIsSafe)
{
    const struct {
        const char *name;
        std::function<void()> close;
        bool windowOpen;
    } cases[] = {
        {"Window", [this] { window->menus.mnuDispPathGUI->Trigger(); }, false},
        {"Document",
         [this] {
             core::NewDocument();
             list->RefreshList();
         },
         true},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        if (!toolwindows::PathListWindow()) {
            window->menus.mnuDispPathGUI->Trigger();
            list = toolwindows::PathListWindow();
            ASSERT_NE(list, nullptr);
        }
        Doc().DocPaths.assign(1, core::PathRecord());
        core::StartHistoryWithDocument();
        AddStyledSquares();
        SelectAll();
        toolwindows::HoldThumbnailJobsForTest(true);
        list->ThumbDisplay();
        c.close();
        QApplication::processEvents();
        toolwindows::HoldThumbnailJobsForTest(false);
        toolwindows::WaitForThumbnailJobsForTest();
        QApplication::processEvents();
        ASSERT_EQ(toolwindows::PathListWindow() != nullptr, c.windowOpen);
        if (c.windowOpen) {
            list->FlushThumbnail();
            EXPECT_EQ(list->Picture1->Image(), Cleared());
        }
    }
}

// (The bytes themselves are pinned by the written movies' digests.)
TEST_F(PathListThumbnailTest, ThumbnailMovieWrittenOnAnotherThreadHasTheBytesOfTheWindowsThread)
{
    AddStyledSquares();
    core::PathArray paths = Doc().DocPaths;
    const std::string written = toolwindows::ThumbnailMovieBytes(paths, 120, 90, 15, -30);
    ASSERT_FALSE(written.empty());

    // A thread with a writer of its own leaves the shared writer's units as they were.
    const size_t units = movie::Writer().Units.Size();
    std::string onThread;
    std::thread worker([&] {
        core::PathArray copies = paths;
        movie::ThreadWriter writer;
        onThread = toolwindows::ThumbnailMovieBytes(copies, 120, 90, 15, -30);
    });
    worker.join();
    EXPECT_EQ(onThread, written);
    EXPECT_EQ(movie::Writer().Units.Size(), units);
}

}  // namespace
