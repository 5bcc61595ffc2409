#include "core/document.h"
#include "core/document_lifecycle.h"
#include "core/drawing_file.h"
#include "core/history.h"
#include "platform/base/program_folder.h"
#include "recording_host.h"
#include "tests/support/drawing_files.h"
#include "tests/support/test_support.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <algorithm>
#include <filesystem>

using namespace core;

namespace {

PathRecord TwoAnchorPath(int32_t x)
{
    PathRecord path;
    path.Anchors = {AnchorPoint{x, 10, kOnCurve}, AnchorPoint{x + 100, 200, kControlPoint}};
    path.LineWidth = 20;
    path.LineMode = 1;
    path.LineColor = 0xFF0000FF;
    return path;
}

bool Called(const testsupport::RecordingHost &host, const std::string &call)
{
    return std::find(host.Calls.begin(), host.Calls.end(), call) != host.Calls.end();
}

class OpenSaveTest : public testsupport::RecordingHostTest {
protected:
    void SetUp() override
    {
        RecordingHostTest::SetUp();
        NewDocument();
        folder = testsupport::TempPath("drawings");
        std::filesystem::create_directories(folder);
    }

    // Writes a drawing of the given paths with a canvas (by default 640 x 480) of a background no
    // new drawing has.
    std::string WriteDrawing(const std::string &name, const std::vector<PathRecord> &paths, int32_t width = 640,
                             int32_t height = 480)
    {
        CanvasSettings settings = testsupport::CanvasOfSize(width, height);
        settings.BackColorG = 0;
        return testsupport::WriteDrawing(folder + "/" + name, paths, settings);
    }

    std::string folder;
};

}  // namespace

TEST_F(OpenSaveTest, OpeningAGoodDrawingMakesTwoEqualHistoryEntries)
{
    const std::string path = WriteDrawing("cat.qlk", {TwoAnchorPath(0), TwoAnchorPath(500)});
    Doc().SelectedAnchors.push_back(AnchorRef{1, 0});
    host.Calls.clear();

    EXPECT_TRUE(OpenDrawingFile(path));
    EXPECT_EQ(Doc().DocPathCount(), 2);
    EXPECT_EQ(Doc().DocPaths[2].Anchors, TwoAnchorPath(500).Anchors);
    EXPECT_EQ(Doc().CurrentSettings.Width, 640);
    EXPECT_EQ(Doc().CurrentSettings.BackColorG, 0);
    EXPECT_EQ(Doc().SelectedAnchors.size(), 1u);
    EXPECT_EQ(Lifecycle().CurrentFileName, path);
    EXPECT_EQ(host.Caption, "[ cat.qlk ] - Quillark");
    EXPECT_FALSE(Lifecycle().DocModified);
    EXPECT_EQ(Lifecycle().RecentFiles[1], path);
    EXPECT_TRUE(Called(host, "ReloadCanvas"));
    EXPECT_TRUE(Called(host, "RefreshList"));
    EXPECT_TRUE(Called(host, "ShowFolderInBrowser: " + folder));

    EXPECT_EQ(History().HistoryPos, 1);
    ASSERT_EQ(History().HistoryEntries.size(), 2u);
    EXPECT_EQ(History().HistoryEntries[0].PathCount(), 2);
    EXPECT_EQ(History().HistoryEntries[1].PathCount(), 2);
    EXPECT_EQ(History().HistoryEntries[0].Paths[1].Anchors, History().HistoryEntries[1].Paths[1].Anchors);

    UndoHistory();  // once, to the same drawing
    EXPECT_EQ(Doc().DocPathCount(), 2);
    EXPECT_EQ(Doc().DocPaths[1].Anchors, TwoAnchorPath(0).Anchors);
    EXPECT_FALSE(CanUndo());
}

// The opened drawing's two history entries hold one set of records, not two copies of the drawing.
TEST_F(OpenSaveTest, OpeningSharesEveryRecordBetweenTheTwoEntries)
{
    EXPECT_TRUE(OpenDrawingFile(WriteDrawing("cat.qlk", {TwoAnchorPath(0), TwoAnchorPath(500), TwoAnchorPath(900)})));

    ASSERT_EQ(History().HistoryEntries.size(), 2u);
    const SharedPathArray &opened = History().HistoryEntries[0].Paths;
    const SharedPathArray &recorded = History().HistoryEntries[1].Paths;
    ASSERT_EQ(recorded.size(), 4u);
    for (size_t i = 0; i < recorded.size(); ++i) {
        EXPECT_TRUE(recorded.SharesRecord(opened, i)) << i;
    }
    EXPECT_TRUE(opened == Doc().DocPaths);

    UndoHistory();  // the opened drawing again
    EXPECT_EQ(Doc().DocPaths[3].Anchors, TwoAnchorPath(900).Anchors);
}

TEST_F(OpenSaveTest, AStoredCanvasBeyondWhatTheMovieShowsOpensWithinIt)
{
    OpenDrawingFile(WriteDrawing("wide.qlk", {TwoAnchorPath(0)}, 4000, 0));
    EXPECT_EQ(Doc().CurrentSettings.Width, kMaxCanvasPixels);
    EXPECT_EQ(Doc().CurrentSettings.Height, kMinCanvasPixels);
    OpenDrawingFile(WriteDrawing("tall.qlk", {TwoAnchorPath(0)}, -5, kMaxCanvasPixels + 1));
    EXPECT_EQ(Doc().CurrentSettings.Width, kMinCanvasPixels);
    EXPECT_EQ(Doc().CurrentSettings.Height, kMaxCanvasPixels);
    // Larger than the movie's 1638-pixel frame but within what its shapes hold: kept as stored.
    OpenDrawingFile(WriteDrawing("large.qlk", {TwoAnchorPath(0)}, 2000, 1800));
    EXPECT_EQ(Doc().CurrentSettings.Width, 2000);
    EXPECT_EQ(Doc().CurrentSettings.Height, 1800);
}

TEST_F(OpenSaveTest, UndoAndRedoStayWithinTheOpenedDrawing)
{
    RecordHistory();  // a change to the previous document
    const std::string path = WriteDrawing("dog.qlk", {TwoAnchorPath(0)});
    OpenDrawingFile(path);
    Doc().DocPaths.push_back(TwoAnchorPath(900));
    RecordHistory();
    EXPECT_EQ(host.Caption, "[ dog.qlk ] - Quillark *");

    UndoHistory();
    UndoHistory();
    EXPECT_FALSE(CanUndo());
    EXPECT_EQ(Doc().DocPathCount(), 1);
    RedoHistory();
    RedoHistory();
    EXPECT_EQ(Doc().DocPathCount(), 2);
    EXPECT_FALSE(CanRedo());
}

TEST_F(OpenSaveTest, PathsOfASingleAnchorAreDroppedOnOpening)
{
    PathRecord single;
    single.Anchors = {AnchorPoint{5, 5}};
    const std::string path = WriteDrawing("dots.qlk", {single, TwoAnchorPath(300), single});
    OpenDrawingFile(path);
    EXPECT_EQ(Doc().DocPathCount(), 1);
    EXPECT_EQ(Doc().DocPaths[1].Anchors[0].X, 300);
    EXPECT_EQ(History().HistoryEntries[0].PathCount(), 1);
}

TEST_F(OpenSaveTest, ABadFileLeavesAnEmptyUntitledDocumentWithTheDefaultCanvas)
{
    const std::string bad = folder + "/bad.qlk";
    testsupport::WriteAll(bad, "QLX030\r\n640,480,0,0,0,1,60,30,2\r\n");
    const std::string missing = folder + "/missing.qlk";
    for (const std::string &path : {bad, missing}) {
        Doc().CurrentSettings.Width = 999;
        Doc().CurrentSettings.BackColorB = 7;
        Doc().CurrentSettings.HistoryMax = 5;
        Doc().CurrentSettings.GridWidth = 123;
        host.Calls.clear();

        EXPECT_FALSE(OpenDrawingFile(path));
        EXPECT_TRUE(Called(host, "ShowErrorMessage: ファイルオープンエラー: ファイル [" + path
                                     + "] は不正なQuillarkファイルです。"));
        EXPECT_FALSE(Called(host, "RefreshList"));  // no history step for a bad file
        EXPECT_TRUE(Called(host, "ReloadCanvas"));
        EXPECT_EQ(Doc().DocPathCount(), 0);
        EXPECT_EQ(Lifecycle().CurrentFileName, "");
        EXPECT_EQ(host.Caption, "(新規) - Quillark");
        EXPECT_EQ(Doc().CurrentSettings.Width, 320);
        EXPECT_EQ(Doc().CurrentSettings.Height, 320);
        EXPECT_EQ(Doc().CurrentSettings.BackColorB, 255);
        EXPECT_EQ(Doc().CurrentSettings.HistoryMax, 5);  // not a file setting: kept
        EXPECT_EQ(Doc().CurrentSettings.GridWidth, 123);
        EXPECT_FALSE(CanUndo());
        EXPECT_EQ(Lifecycle().RecentFiles[1], path);
    }
}

TEST_F(OpenSaveTest, SavingWritesTheDrawingAndClearsTheMark)
{
    Doc().DocPaths.push_back(TwoAnchorPath(40));
    RecordHistory();
    const std::string path = folder + "/saved.qlk";
    const std::string backup = platform::ProgramFile("saved.qlk.backup");
    testsupport::WriteAll(backup, "pending");
    host.PendingFolder = folder;  // the file browser lists the drawing's folder
    host.Calls.clear();

    EXPECT_TRUE(SaveDrawingFile(path));
    EXPECT_FALSE(std::filesystem::exists(backup));
    EXPECT_TRUE(Called(host, "ShowStatus: ファイルを保存しました。"));
    EXPECT_TRUE(Called(host, "ShowFolderInBrowser: " + folder));
    EXPECT_EQ(host.Caption, "(新規) - Quillark");  // the name is the save-as command's
    EXPECT_FALSE(Lifecycle().DocModified);

    DrawingFileContents contents;
    std::string message;
    ASSERT_TRUE(ReadDrawingFile(path, contents, message)) << message;
    ASSERT_EQ(UpperBound(contents.Paths), 1);
    EXPECT_EQ(contents.Paths[1].Anchors, TwoAnchorPath(40).Anchors);
}

TEST_F(OpenSaveTest, AFailedSaveKeepsTheMarkAndTheBackup)
{
    Doc().DocPaths.push_back(TwoAnchorPath(2));
    RecordHistory();
    const std::string backup = platform::ProgramFile("kept.qlk.backup");
    testsupport::WriteAll(backup, "pending");
    host.Calls.clear();

    EXPECT_FALSE(SaveDrawingFile(folder + "/no/such/folder/kept.qlk"));
    EXPECT_TRUE(std::filesystem::exists(backup));
    EXPECT_EQ(host.Caption, "(新規) - Quillark *");
    EXPECT_TRUE(Lifecycle().DocModified);
    ASSERT_EQ(host.Calls.size(), 2u);
    EXPECT_EQ(host.Calls[0], "ShowStatus: ファイルを保存できませんでした。");
    EXPECT_EQ(host.Calls[1].rfind("ShowErrorMessage: ファイル保存エラー: ", 0), 0u) << host.Calls[1];

    // A drawing its mode marks read-only is not replaced (decided by the mode bits, so also when
    // the tests run as the superuser, whom the kernel would let write it).
    const std::string readOnly = folder + "/kept.qlk";
    testsupport::WriteAll(readOnly, "the old drawing");
    chmod(readOnly.c_str(), 0444);
    host.Calls.clear();
    EXPECT_FALSE(SaveDrawingFile(readOnly));
    EXPECT_EQ(testsupport::ReadAll(readOnly), "the old drawing");
    EXPECT_TRUE(std::filesystem::exists(backup));
    EXPECT_TRUE(Lifecycle().DocModified);
    ASSERT_EQ(host.Calls.size(), 2u);
    EXPECT_EQ(host.Calls[0], "ShowStatus: ファイルを保存できませんでした。");
    EXPECT_EQ(host.Calls[1].rfind("ShowErrorMessage: ファイル保存エラー: ", 0), 0u) << host.Calls[1];
    EXPECT_NE(host.Calls[1].find("読み取り専用"), std::string::npos) << host.Calls[1];
    chmod(readOnly.c_str(), 0644);
}
