// A canvas movie written over the last one, where only some paths changed, equals the movie
// written from nothing, byte for byte, after every kind of edit; the file is written only when
// something asks for it.
#include "core/anchor_editing.h"
#include "core/clipboard.h"
#include "core/document.h"
#include "core/groups.h"
#include "core/history.h"
#include "core/host.h"
#include "core/path_attributes.h"
#include "core/path_boolean.h"
#include "core/path_boolean_commands.h"
#include "movie/canvas_movie.h"
#include "movie/movie_writer.h"
#include "platform/player/movie_player.h"
#include "tests/support/canvas_movie_fixture.h"
#include "tests/support/path_edits.h"
#include "tests/support/test_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <limits>
#include <random>
#include <string>
#include <utility>

namespace {

// A path of every kind in turn: filled, stroked, both, open; solid and gradient fills with and
// without middle stops; straight and curved edges, some longer than one edge record holds.
core::PathRecord MixedPath(int i)
{
    core::PathRecord path;
    const int32_t x = 200 + (i * 137) % 30000;
    const int32_t y = 200 + (i * 311) % 30000;
    const int32_t size = 100 + (i * 53) % 3000 + (i % 17 == 0 ? 70000 : 0);
    path.Anchors = {{x, y}, {x + size, y}, {x + size, y + size}, {x + size / 2, y + size + i % 7}, {x, y + size}};
    if (i % 3 == 1) {
        path.Anchors[1].AnchorKind = core::kControlPoint;
    }
    if (i % 5 == 2) {
        path.Anchors[3].AnchorKind = core::kControlPoint;
    }
    path.blClosed = i % 11 != 4;
    path.FillType = static_cast<int16_t>(i % 5);
    path.FillColor = 0xFF000000u | static_cast<uint32_t>(i * 2654435761u >> 8);
    path.GradColor = 0xFF20C0E0u;
    path.GradCenterX = x + size / 2;
    path.GradCenterY = y + size / 2;
    path.GradAngle = static_cast<float>(i % 90);
    path.GradRatioX = 0.01f + static_cast<float>(i % 7) * 0.003f;
    path.GradRatioY = 0.02f;
    if (i % 4 == 3) {
        path.SetStopCount(1 + i % 3);
        for (int32_t s = 1; s <= path.StopCount(); ++s) {
            path.Stops[static_cast<size_t>(s)] = {0xFF808000u + static_cast<uint32_t>(s), s * 60};
        }
    }
    path.LineMode = static_cast<int16_t>(i % 3 != 0);
    path.LineWidth = 20 * (i % 9);
    path.LineColor = 0xFF0000FFu + static_cast<uint32_t>(i);
    return path;
}

core::PathArray MixedDrawing(int count)
{
    core::PathArray paths{core::PathRecord()};
    for (int i = 0; i < count; ++i) {
        paths.push_back(MixedPath(i));
    }
    paths[20].blCompound = paths[21].blCompound = paths[40].blCompound = true;
    paths[20].CompoundID = paths[21].CompoundID = paths[40].CompoundID = 7;
    paths[30].DispFlags = core::kDispHidden;
    paths[50].Anchors.resize(1);  // draws nothing
    return paths;
}

using testsupport::CanvasMovieHost;
using testsupport::ShiftPath;

class CanvasMovieSpliceTest : public testsupport::CanvasMovieFixture<> {
protected:
    void SetUp() override
    {
        CanvasMovieFixture::SetUp();
        std::filesystem::remove(core::Doc().CanvasTempFile);
        core::CanvasSettings &settings = core::Doc().CurrentSettings;
        settings.Width = 1600;
        settings.Height = 1600;
        settings.GridWidth = 2000;
        settings.GridHeight = 2000;
        settings.DrawOutsideFlag = 0;
        host.grid = true;
        movie::Writer().UnitsPerThread = unitsPerThread;
    }

    // The movie made after the last one, and the movie made for the same paths with nothing kept,
    // every unit encoded in turn; the state kept for the next movie is left as the first made it.
    std::pair<std::string, std::string> MadeAndCold()
    {
        movie::MakeCanvasMovie();
        const std::string made(movie::CanvasMovieBytes(core::Doc().CanvasTempFile));
        encodedOnThreads += std::exchange(movie::Writer().UnitsEncodedOnThreads, 0);
        movie::CanvasMovieState kept = movie::Canvas();
        movie::ResetWriterForTest();
        movie::ResetCanvasMovieForTest();
        movie::Writer().UnitsPerThread = kNeverOnThreads;
        movie::MakeCanvasMovie();
        const std::string cold(movie::CanvasMovieBytes(core::Doc().CanvasTempFile));
        movie::Canvas() = std::move(kept);
        movie::Writer().UnitsPerThread = unitsPerThread;
        return {made, cold};
    }

    static constexpr size_t kNeverOnThreads = std::numeric_limits<size_t>::max() / 4;
    size_t unitsPerThread = movie::WriterState().UnitsPerThread;
    int64_t encodedOnThreads = 0;
};

// The same, with the units of the movies made after the first encoded as the writer does (param
// 512) or on threads whenever two are to be encoded (param 1).
class CanvasMovieSpliceThreads : public CanvasMovieSpliceTest, public testing::WithParamInterface<size_t> {
protected:
    void SetUp() override
    {
        unitsPerThread = GetParam();
        CanvasMovieSpliceTest::SetUp();
    }
    void TearDown() override
    {
        if (GetParam() == 1) {
            EXPECT_GT(encodedOnThreads, 0) << "no unit was encoded on a thread";
        }
        CanvasMovieSpliceTest::TearDown();
    }
};

TEST_P(CanvasMovieSpliceThreads, EveryEditWrittenOverTheLastMovieEqualsAMovieWrittenFromNothing)
{
    using Edit = void (*)(core::PathArray &);
    const struct {
        const char *name;
        Edit edit;
        bool spliced;  // few enough units changed to write over the last movie
    } edits[] = {
        {"nothing", [](core::PathArray &) {}, true},
        {"move one", [](core::PathArray &p) { ShiftPath(p[12], 40, -20); }, true},
        {"move the first", [](core::PathArray &p) { ShiftPath(p[1], 7, 3); }, true},
        {"move the last", [](core::PathArray &p) { ShiftPath(p.back(), -300, 5); }, true},
        {"widen the shape's bounds", [](core::PathArray &p) { ShiftPath(p[60], 2000000, 1000000); }, true},
        {"line width of one", [](core::PathArray &p) { p[33].LineWidth = 65535; p[33].LineMode = 1; }, true},
        {"recolour one", [](core::PathArray &p) { p[14].FillColor = 0xFF00FF00; }, true},
        {"recolour scattered", [](core::PathArray &p) {
             for (size_t i = 5; i < p.size(); i += 37) p[i].FillType = core::kFillRadial;
         }, true},
        {"more stops", [](core::PathArray &p) { p[71].SetStopCount(4); }, true},
        {"an edge made curved", [](core::PathArray &p) { p[9].Anchors[2].AnchorKind = core::kControlPoint; }, true},
        {"anchors added", [](core::PathArray &p) {
             p[45].Anchors.insert(p[45].Anchors.begin() + 2, {p[45].Anchors[1].X + 5000, p[45].Anchors[1].Y + 9});
         }, true},
        {"delete one", [](core::PathArray &p) { p.erase(p.begin() + 70); }, true},
        {"delete the first", [](core::PathArray &p) { p.erase(p.begin() + 1); }, true},
        {"insert a copy", [](core::PathArray &p) { p.insert(p.begin() + 90, p[3]); }, true},
        {"paste at the end", [](core::PathArray &p) { p.push_back(p[5]); ShiftPath(p.back(), 100, 100); }, true},
        {"group", [](core::PathArray &p) {
             p[80].blGroup = p[81].blGroup = true;
             p[80].GroupID = p[81].GroupID = 4;
         }, true},
        {"compound made", [](core::PathArray &p) {
             p[100].blCompound = p[101].blCompound = true;
             p[100].CompoundID = p[101].CompoundID = 9;
         }, true},
        {"compound member moved", [](core::PathArray &p) { ShiftPath(p[40], 0, 60); }, true},
        {"compound's first member moved", [](core::PathArray &p) { ShiftPath(p[20], -30, 0); }, true},
        {"hidden one moved", [](core::PathArray &p) { ShiftPath(p[30], 500, 500); }, true},
        {"compound's first member hidden", [](core::PathArray &p) { p[20].DispFlags = core::kDispHidden; }, true},
        {"member of a compound without a unit moved", [](core::PathArray &p) { ShiftPath(p[21], 90, 0); }, true},
        {"compound's first member shown", [](core::PathArray &p) { p[20].DispFlags = 0; }, true},
        {"compound broken", [](core::PathArray &p) { p[100].blCompound = p[101].blCompound = false; }, true},
        {"hide", [](core::PathArray &p) { p[8].DispFlags = core::kDispHidden; }, true},
        {"show", [](core::PathArray &p) { p[8].DispFlags = 0; }, true},
        {"to the front", [](core::PathArray &p) { std::rotate(p.begin() + 390, p.begin() + 391, p.end()); }, true},
        {"to the back", [](core::PathArray &p) { std::rotate(p.begin() + 1, p.begin() + 200, p.begin() + 201); }, false},
        {"move all", [](core::PathArray &p) { for (size_t i = 1; i < p.size(); ++i) ShiftPath(p[i], 20, 20); }, false},
        {"recolour all", [](core::PathArray &p) { for (auto &path : p) path.FillColor ^= 0x00FFFF; }, false},
        {"recolour all back", [](core::PathArray &p) { for (auto &path : p) path.FillColor ^= 0x00FFFF; }, false},
        {"move one after all", [](core::PathArray &p) { ShiftPath(p[120], 1, 1); }, true},
        {"all deleted", [](core::PathArray &p) { p.resize(1); }, false},
        {"one drawn", [](core::PathArray &p) { p.push_back(MixedPath(3)); }, true},
    };
    core::Doc().DocPaths = MixedDrawing(400);
    movie::MakeCanvasMovie();
    const core::PathArray start = core::Doc().DocPaths;
    for (const auto &edit : edits) {
        SCOPED_TRACE(edit.name);
        edit.edit(core::Doc().DocPaths);
        const int64_t splicedBefore = movie::Canvas().MoviesSpliced;
        const auto [made, cold] = MadeAndCold();
        EXPECT_EQ(movie::Canvas().MoviesSpliced - splicedBefore, edit.spliced ? 1 : 0);
        ASSERT_EQ(made, cold);
    }
    // Undo: back to the first drawing in one step.
    core::Doc().DocPaths = start;
    const auto [made, cold] = MadeAndCold();
    EXPECT_EQ(made, cold);
}

// The same after the document's commands, each movie made after the last; undo and redo give back
// the very document each step recorded.
TEST_P(CanvasMovieSpliceThreads, EveryCommandKeepsTheMovieExactAndUndoRestoresTheDocument)
{
    enum Kind { kNoStep, kStep, kUndoOrRedo };
    auto moveSelected = [](int32_t dx, int32_t dy) {
        for (int32_t i = 1; i <= core::Doc().DocPathCount(); ++i) {
            for (int32_t k = 0; core::DocPath(i).blSelected && k <= core::DocPath(i).AnchorMax(); ++k) {
                core::MoveAnchor(dx, dy, i, k);
            }
        }
    };
    const struct {
        const char *name;
        std::function<void()> command;
        Kind kind;
    } commands[] = {
        {"select one", [] { core::SelectPathOrGroup(12, true); }, kNoStep},
        {"move it", [&] { moveSelected(300, -40); core::RecordHistory(); }, kStep},
        {"recolour it", [] { core::SetSelectedColors({0xFF0000FFu, 0xFF00FF00u, 0xFFFF0000u}, true, true, true); }, kStep},
        {"an anchor added", [] {
             const core::AnchorPoint a = core::DocPath(12).Anchors[0];
             core::AddAnchorOnSegment(12, 0, 1, a.X + 50, a.Y + 5);
             core::RecordHistory();
         }, kStep},
        {"undo", core::UndoHistory, kUndoOrRedo},
        {"undo again", core::UndoHistory, kUndoOrRedo},
        {"redo", core::RedoHistory, kUndoOrRedo},
        {"copy and paste", [] {
             core::CopySelectedPaths(0, 0);
             core::PastePaths(500, 700, false, -1);
             core::RecordHistory();
         }, kStep},
        {"union of two", [] {
             core::DeselectAllPaths();
             core::SelectPathOrGroup(60, true);
             core::SelectPathOrGroup(61, true);
             core::ApplyFragment(core::kFragmentUnion);
             core::RecordHistory();
         }, kStep},
        {"a group made", [] {
             core::SelectPathOrGroup(90, true);
             core::MakeGroup(true);
             core::RecordHistory();
         }, kStep},
        {"to the front", [] {
             core::ChangePathOrder(core::kOrderToFront);
             core::RecordHistory();
         }, kStep},
        {"hidden", [] {
             core::SetPathVisibleLock(core::kHideSelected);
             core::RecordHistory();
         }, kStep},
        {"deleted", [] {
             core::DeleteSelectedPaths();
             core::RecordHistory();
         }, kStep},
        {"undo the deletion", core::UndoHistory, kUndoOrRedo},
        {"undo the hiding", core::UndoHistory, kUndoOrRedo},
        {"undo the order", core::UndoHistory, kUndoOrRedo},
        {"redo the order", core::RedoHistory, kUndoOrRedo},
        {"redo the hiding", core::RedoHistory, kUndoOrRedo},
        {"redo the deletion", core::RedoHistory, kUndoOrRedo},
        {"a drag put back", [&] {
             core::SelectPathOrGroup(33, true);
             core::SavePathSnapshot();
             moveSelected(40, 40);
             core::RestorePathSnapshot();
         }, kNoStep},
        {"move all", [&] {
             core::SelectAllPaths();
             moveSelected(-20, 10);
             core::RecordHistory();
         }, kStep},
        {"undo the move of all", core::UndoHistory, kUndoOrRedo},
        {"move one after all", [&] {
             core::DeselectAllPaths();
             core::SelectPathOrGroup(150, true);
             moveSelected(7, 7);
             core::RecordHistory();
         }, kStep},
    };
    core::ResetHistoryForTest();
    core::ResetClipboardForTest();
    core::Doc().DocPaths = MixedDrawing(400);
    core::StartHistoryWithDocument();
    movie::MakeCanvasMovie();
    std::vector<core::PathArray> recorded{core::Doc().DocPaths};  // the document each entry holds
    for (const auto &command : commands) {
        SCOPED_TRACE(command.name);
        command.command();
        const auto pos = static_cast<size_t>(core::History().HistoryPos);
        if (command.kind == kStep) {
            ASSERT_TRUE(pos >= 1 && pos <= recorded.size());
            recorded.resize(pos);  // the redo tail is dropped
            recorded.push_back(core::Doc().DocPaths);
        } else if (command.kind == kUndoOrRedo) {
            ASSERT_LT(pos, recorded.size());
            EXPECT_EQ(core::Doc().DocPaths, recorded[pos]);
        }
        const auto [made, cold] = MadeAndCold();
        ASSERT_EQ(made, cold);
    }
    core::ResetHistoryForTest();
    core::ResetClipboardForTest();
}

// A long run of small random edits at every bit alignment: each movie equals one written from
// nothing.
TEST_P(CanvasMovieSpliceThreads, RandomSmallEditsKeepTheMovieExact)
{
    core::Doc().DocPaths = MixedDrawing(150);
    movie::MakeCanvasMovie();
    std::mt19937 random(12345);
    auto pick = [&random](size_t count) { return 1 + random() % (count - 1); };
    for (int step = 0; step < 300; ++step) {
        core::PathArray &paths = core::Doc().DocPaths;
        switch (random() % 6) {
        case 0:
            ShiftPath(paths[pick(paths.size())], static_cast<int32_t>(random() % 4001) - 2000, static_cast<int32_t>(random() % 31));
            break;
        case 1:
            paths[pick(paths.size())].LineWidth = static_cast<int32_t>(random() % 400);
            break;
        case 2:
            paths[pick(paths.size())] = MixedPath(static_cast<int>(random() % 1000));
            break;
        case 3:
            if (paths.size() > 20) {
                paths.erase(paths.begin() + static_cast<ptrdiff_t>(pick(paths.size())));
            }
            break;
        case 4:
            paths.insert(paths.begin() + static_cast<ptrdiff_t>(pick(paths.size())), MixedPath(static_cast<int>(random() % 1000)));
            break;
        default:
            paths[pick(paths.size())].Anchors.push_back({static_cast<int32_t>(random() % 40000), 100});
            break;
        }
        SCOPED_TRACE(step);
        const auto [made, cold] = MadeAndCold();
        ASSERT_EQ(made, cold);
    }
    EXPECT_GT(movie::Canvas().MoviesSpliced, 250);
}

// Anything around the drawing changed makes the whole movie again.
TEST_F(CanvasMovieSpliceTest, AChangeAroundTheDrawingWritesTheWholeMovie)
{
    using Change = void (*)(CanvasMovieHost &);
    const struct {
        const char *name;
        Change change;
    } changes[] = {
        {"grid hidden", [](CanvasMovieHost &h) { h.grid = false; }},
        {"grid shown", [](CanvasMovieHost &h) { h.grid = true; }},
        {"background colour", [](CanvasMovieHost &) {
             core::Doc().CurrentSettings.BackColorG = 99;
             movie::ClearBackColorCache();
         }},
        {"canvas size", [](CanvasMovieHost &) {
             core::Doc().CurrentSettings.Width = 900;
             movie::ClearBackColorCache();
             movie::ClearGridCache();
         }},
        {"canvas height", [](CanvasMovieHost &) {
             core::Doc().CurrentSettings.Height = 700;
             movie::ClearBackColorCache();
             movie::ClearGridCache();
         }},
    };
    core::Doc().DocPaths = MixedDrawing(100);
    movie::MakeCanvasMovie();
    for (const auto &change : changes) {
        SCOPED_TRACE(change.name);
        change.change(host);
        ShiftPath(core::Doc().DocPaths[5], 10, 10);
        const int64_t splicedBefore = movie::Canvas().MoviesSpliced;
        const auto [made, cold] = MadeAndCold();
        EXPECT_EQ(movie::Canvas().MoviesSpliced, splicedBefore);
        ASSERT_EQ(made, cold);
    }
}

TEST_F(CanvasMovieSpliceTest, TheFileIsWrittenOnlyWhenAskedFor)
{
    const std::string file = core::Doc().CanvasTempFile;
    core::Doc().DocPaths = MixedDrawing(60);
    movie::MakeCanvasMovie();
    EXPECT_FALSE(std::filesystem::exists(file));  // an edit writes no file
    EXPECT_TRUE(movie::EnsureCanvasMovieFile(file));
    EXPECT_EQ(testsupport::ReadAll(file), std::string(movie::CanvasMovieBytes(file)));
    const auto written = std::filesystem::last_write_time(file);
    EXPECT_TRUE(movie::EnsureCanvasMovieFile(file));  // already there: not written again
    EXPECT_EQ(std::filesystem::last_write_time(file), written);

    ShiftPath(core::Doc().DocPaths[3], 100, 0);
    movie::MakeCanvasMovie();
    EXPECT_NE(testsupport::ReadAll(file), std::string(movie::CanvasMovieBytes(file)));  // not rewritten by the edit
    EXPECT_TRUE(movie::EnsureCanvasMovieFile(file));
    EXPECT_EQ(testsupport::ReadAll(file), std::string(movie::CanvasMovieBytes(file)));

    // Another movie's name gets nothing; a file that cannot be written is reported, the movie kept.
    const std::string other = testsupport::TempPath("other.tmp");
    EXPECT_TRUE(movie::CanvasMovieBytes(other).empty());
    EXPECT_FALSE(movie::EnsureCanvasMovieFile(other));
    EXPECT_FALSE(std::filesystem::exists(other));
    core::Doc().CanvasTempFile = testsupport::TempPath("no such folder/_canvtemp.tmp");
    movie::MakeCanvasMovie();
    EXPECT_FALSE(movie::EnsureCanvasMovieFile(core::Doc().CanvasTempFile));
    EXPECT_FALSE(movie::CanvasMovieBytes(core::Doc().CanvasTempFile).empty());
}

INSTANTIATE_TEST_SUITE_P(UnitsPerThread, CanvasMovieSpliceThreads,
                         testing::Values(movie::WriterState().UnitsPerThread, size_t{1}));

}  // namespace
