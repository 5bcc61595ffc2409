#include "core/memory_guard.h"

#include "core/clipboard.h"
#include "core/drawing_file.h"
#include "core/path_importers.h"
#include "editing_fixture.h"
#include "import/clip_importers.h"
#include "import/svg_context.h"
#include "recording_host.h"
#include "tests/support/test_support.h"

#include <algorithm>
#include <fstream>
#include <new>

using namespace core;
using editingtest::MakePath;

namespace {

class MemoryGuardTest : public testsupport::RecordingHostTest {
protected:
    void SetUp() override
    {
        RecordingHostTest::SetUp();
        ResetClipboardForTest();
        importer::InstallPathImporters();
        // A named drawing of two paths with one undo step, unmodified, and a clip of one path.
        Doc().DocPaths = {PathRecord(), MakePath({{0, 0}, {100, 100}}), MakePath({{5, 5}, {50, 500}}, true)};
        StartHistoryWithDocument();
        Doc().DocPaths[2].blSelected = true;
        RecordHistory();
        Lifecycle().CurrentFileName = "/drawings/kept.qlk";
        SetNamedCaption(Lifecycle().CurrentFileName);
        SetModified(false);
        Clipboard().ClipPaths = {PathRecord(), MakePath({{7, 7}, {70, 70}})};
        Clipboard().PasteOffsetX = 30;
        host.Calls.clear();
    }
    void TearDown() override
    {
        importer::SvgLimits::SetDefaultHeldBytes(0);
        SetPathImporters(nullptr);
        RecordingHostTest::TearDown();
    }
    int MessagesShown() const
    {
        return static_cast<int>(std::count_if(host.Calls.begin(), host.Calls.end(), [](const std::string &call) {
            return call.starts_with(std::string("ShowErrorMessage: ") + kOutOfMemoryTitle);
        }));
    }
};

// Commands that change the document in different ways before memory runs out.
struct FailingCommand {
    const char *name;
    std::function<void()> run;
};

TEST_F(MemoryGuardTest, AFailedAllocationTakesTheWholeCommandBack)
{
    const std::string drawing = (testsupport::Home() / "guard-other.qlk").string();
    std::string message;
    ASSERT_TRUE(WriteDrawingFile(drawing, {PathRecord(), MakePath({{1, 1}, {2, 2}})}, 1, CanvasSettings(), message));
    const std::string svg = (testsupport::Home() / "guard-many.svg").string();
    {
        std::ofstream out(svg);
        out << "<svg width=\"100\" height=\"100\"><path stroke=\"#000\" d=\"";
        for (int i = 0; i < 500; ++i) {
            out << "M0 0 L100 100 ";
        }
        out << "\"/></svg>";
    }
    const FailingCommand commands[] = {
        {"paste, recorded, then out of memory",
         [] {
             PastePaths(0, 0, true, -1);
             RecordHistory();
             throw std::bad_alloc();
         }},
        {"open, then out of memory",
         [&] {
             OpenDrawingFile(drawing);
             Doc().CurrentSettings.Width = 999;
             throw std::bad_alloc();
         }},
        {"a drawing in the document half built",
         [] {
             Doc().DocPaths.resize(4);
             Doc().SelectedAnchors.assign(3, AnchorRef());
             SetModified(true);
             throw std::bad_alloc();
         }},
        {"an SVG clip past the reader's budget",
         [&] {
             importer::SvgLimits::SetDefaultHeldBytes(10'000);
             LoadClipFile(svg);
         }},
    };
    const PathArray paths = Doc().DocPaths;
    const CanvasSettings settings = Doc().CurrentSettings;
    const int32_t position = History().HistoryPos;
    const size_t entries = History().HistoryEntries.size();
    const std::string caption = host.Caption;
    for (const FailingCommand &command : commands) {
        SCOPED_TRACE(command.name);
        host.Calls.clear();
        EXPECT_FALSE(RunWithinMemory(command.run));
        EXPECT_EQ(Doc().DocPaths, paths);
        EXPECT_EQ(Doc().SelectedAnchors.size(), 1u);
        EXPECT_EQ(Doc().CurrentSettings, settings);
        EXPECT_EQ(History().HistoryPos, position);
        EXPECT_EQ(History().HistoryEntries.size(), entries);
        EXPECT_TRUE(History().HistoryEntries.back().Paths == paths);
        EXPECT_EQ(Lifecycle().CurrentFileName, "/drawings/kept.qlk");
        EXPECT_FALSE(Lifecycle().DocModified);
        EXPECT_EQ(host.Caption, caption);
        EXPECT_EQ(Clipboard().PasteOffsetX, 30);
        EXPECT_EQ(MessagesShown(), 1);
        EXPECT_NE(std::find(host.Calls.begin(), host.Calls.end(), "ReloadCanvas"), host.Calls.end());
        // Undo still steps back to the drawing before its last change.
        UndoHistory();
        EXPECT_EQ(Doc().DocPathCount(), 2);
        EXPECT_FALSE(Doc().DocPaths[2].blSelected);
        RedoHistory();
        SetModified(false);
    }

    // Within memory the command runs as it is and nothing is said.
    host.Calls.clear();
    importer::SvgLimits::SetDefaultHeldBytes(0);
    EXPECT_TRUE(RunWithinMemory([&] { EXPECT_TRUE(LoadClipFile(svg)); }));
    EXPECT_EQ(GetClipCount(), 500);
    EXPECT_EQ(MessagesShown(), 0);
}

}  // namespace
