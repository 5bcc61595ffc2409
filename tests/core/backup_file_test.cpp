#include "core/backup_file.h"
#include "core/document.h"
#include "core/document_lifecycle.h"
#include "core/drawing_file.h"
#include "core/history.h"
#include "movie/shape_encoder.h"
#include "platform/base/file_names.h"
#include "platform/base/program_folder.h"
#include "recording_host.h"
#include "tests/support/drawing_files.h"
#include "tests/support/test_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <random>

using namespace core;

namespace {

PathRecord Triangle(int32_t x)
{
    PathRecord path;
    path.Anchors = {{x, 0, kOnCurve}, {x + 400, 0, kControlPoint}, {x + 200, 300, kOnCurve}};
    path.blClosed = true;
    path.LineMode = 1;
    path.LineWidth = 40;
    path.LineColor = 0xFF102030;
    path.FillType = kFillRadial;
    path.FillColor = 0x80FF0000;
    path.GradColor = 0xFFFFFFFF;
    path.GradCenterX = x + 200;
    path.GradAngle = 30.5f;
    path.GradRatioX = 0.25f;
    path.GradRatioY = 0.125f;
    path.SetStopCount(2);
    path.Stops[1] = {0xFF00FF00, 64};
    path.Stops[2] = {0xFF0000FF, 200};
    return path;
}

bool Called(const testsupport::RecordingHost &host, const std::string &call)
{
    return std::find(host.Calls.begin(), host.Calls.end(), call) != host.Calls.end();
}

bool HasErrorMessage(const testsupport::RecordingHost &host)
{
    return std::any_of(host.Calls.begin(), host.Calls.end(),
                       [](const std::string &call) { return call.rfind("ShowErrorMessage", 0) == 0; });
}

int32_t ReadInt32At(const std::string &bytes, size_t at)
{
    uint32_t value = 0;
    for (size_t i = 0; i < 4; ++i) {
        value |= static_cast<uint32_t>(static_cast<uint8_t>(bytes[at + i])) << (8 * i);
    }
    return static_cast<int32_t>(value);
}

std::string Hex(const std::string &bytes, size_t at, size_t count)
{
    static const char digits[] = "0123456789ABCDEF";
    std::string text;
    for (size_t i = at; i < at + count && i < bytes.size(); ++i) {
        auto byte = static_cast<uint8_t>(bytes[i]);
        text += digits[byte >> 4];
        text += digits[byte & 15];
        text += ' ';
    }
    if (!text.empty()) {
        text.pop_back();
    }
    return text;
}

class BackupFileTest : public testsupport::RecordingHostTest {
protected:
    void SetUp() override
    {
        RecordingHostTest::SetUp();
        NewDocument();
        folder = testsupport::TempPath("browser");
        std::filesystem::create_directories(folder);
        host.PendingFolder = folder;  // the file browser lists this folder
    }

    // A drawing file of the browsed folder with the given canvas size.
    std::string WriteDrawing(const std::string &name, const std::vector<PathRecord> &paths, int32_t width = 640,
                             int32_t height = 480)
    {
        return testsupport::WriteDrawing(folder + "/" + name, paths, testsupport::CanvasOfSize(width, height));
    }

    // Adds a path to the document as one editing step.
    static void AddPathStep(const PathRecord &path)
    {
        Doc().DocPaths.push_back(path);
        RecordHistory();
    }

    // The record of a document with a few steps of history and one compound path.
    static BackupRecord SampleRecord()
    {
        BackupRecord record;
        record.Settings.Width = 800;
        record.Settings.BackgroundFile = "/home/user/下絵.png";
        record.Settings.FloodChink = 3.5f;
        record.Paths.push_back(Triangle(0));
        record.Paths.push_back(Triangle(1000));
        record.Paths[1].blCompound = true;
        record.Paths[1].CompoundID = 3;
        record.Paths[2].blCompound = true;
        record.Paths[2].CompoundID = 3;
        record.Paths[2].blSelected = true;
        record.Paths[2].DispFlags = kDispLocked;
        PathCollection step;
        step.Paths = record.Paths;
        step.SelAnchors.push_back({2, 1});
        record.History.push_back(step);
        record.History.push_back(step);
        record.History[2].Paths.pop_back();
        record.History[2].SelAnchors.resize(1);
        record.HistoryPos = 1;
        return record;
    }

    static std::string Encoded(const BackupRecord &record)
    {
        std::string bytes;
        std::string message;
        EXPECT_TRUE(EncodeBackupRecord(record, bytes, message)) << message;
        return bytes;
    }

    std::string folder;
};

TEST_F(BackupFileTest, SavingTheDrawingDeletesTheBackupTheBrowserWrote)
{
    std::string cat = WriteDrawing("cat.qlk", {Triangle(0)});
    OpenDrawingFile(cat);
    AddPathStep(Triangle(500));
    ASSERT_TRUE(SaveBackupFile(cat));
    ASSERT_TRUE(std::filesystem::exists(BackupFilePath(cat)));

    ASSERT_TRUE(SaveDrawingFile(cat));
    EXPECT_FALSE(std::filesystem::exists(BackupFilePath(cat)));
}

// Backups are named by the file name alone: a drawing of the same name in another folder than the
// listed one must neither write, read, apply nor delete the listed drawing's pending change.
TEST_F(BackupFileTest, SameNamedDrawingElsewhereNeverTouchesThePendingChange)
{
    std::string mine = WriteDrawing("twin.qlk", {Triangle(0)});
    OpenDrawingFile(mine);
    AddPathStep(Triangle(500));
    ASSERT_TRUE(SaveBackupFile(mine));
    const std::string pending = testsupport::ReadAll(BackupFilePath(mine));

    std::string elsewhere = testsupport::TempPath("elsewhere");
    std::filesystem::create_directories(elsewhere);
    const std::string other = elsewhere + "/twin.qlk";
    PathArray three{PathRecord(), Triangle(0), Triangle(900), Triangle(1800)};
    std::string message;
    ASSERT_TRUE(WriteDrawingFile(other, three, 3, CanvasSettings(), message)) << message;

    OpenWithBackup(other);  // the file itself, not the listed drawing's changes
    EXPECT_EQ(Doc().DocPathCount(), 3);
    EXPECT_EQ(Lifecycle().CurrentFileName, other);
    AddPathStep(Triangle(2700));
    EXPECT_FALSE(SaveBackupFile(other));
    ASSERT_TRUE(SaveDrawingFile(other));
    EXPECT_FALSE(ApplyBackupToFile(other));
    EXPECT_EQ(testsupport::ReadAll(BackupFilePath(mine)), pending);
    DrawingFileContents contents;
    ASSERT_TRUE(ReadDrawingFile(other, contents, message)) << message;
    EXPECT_EQ(UpperBound(contents.Paths), 4);

    // With no folder listed, no drawing has a pending change.
    host.PendingFolder.clear();
    ASSERT_TRUE(SaveDrawingFile(mine));
    EXPECT_EQ(testsupport::ReadAll(BackupFilePath(mine)), pending);
    EXPECT_FALSE(ApplyBackupToFile(mine));

    // The listed folder's drawing, named through another spelling of its folder, still has it.
    host.PendingFolder = folder + "/./";
    OpenWithBackup(folder + "/../" + platform::GetFileNamePart(folder) + "/twin.qlk");
    EXPECT_EQ(Doc().DocPathCount(), 2);
    EXPECT_TRUE(ApplyBackupToFile(mine));
    EXPECT_FALSE(std::filesystem::exists(BackupFilePath(mine)));
}

TEST_F(BackupFileTest, UnmodifiedDocumentLeavesAnOlderBackupAlone)
{
    std::string cat = WriteDrawing("calm.qlk", {Triangle(0)});
    OpenDrawingFile(cat);
    testsupport::WriteAll(BackupFilePath(cat), "older");

    EXPECT_FALSE(SaveBackupFile(cat));
    EXPECT_EQ(testsupport::ReadAll(BackupFilePath(cat)), "older");
}

TEST_F(BackupFileTest, LayoutOfSettingsAndPathArray)
{
    BackupRecord record;
    record.Settings.Width = 0x01020304;
    record.Settings.BackgroundFile = "絵";  // two bytes in CP932
    record.Paths.push_back(Triangle(0));
    record.Paths.push_back(Triangle(10));
    std::string bytes = Encoded(record);

    EXPECT_EQ(Hex(bytes, 0, 4), "04 03 02 01");
    // The settings are 85 bytes plus the underlay name's; the name sits after 67 bytes of fields.
    EXPECT_EQ(Hex(bytes, 67, 4), "02 00 8A 47");
    const size_t paths = 85 + 2;
    EXPECT_EQ(Hex(bytes, paths, 10), "01 00 03 00 00 00 00 00 00 00");
    // Element 0 is an empty record: never-sized anchors (AnchorMax at its initial 0), stops and
    // cache bytes, an empty mark.
    const size_t empty = paths + 10;
    EXPECT_EQ(Hex(bytes, empty, 2), "00 00");
    EXPECT_EQ(ReadInt32At(bytes, empty + 2), 0);
    EXPECT_EQ(Hex(bytes, empty + 52, 6), "00 00 00 00 00 00");
    // Path 1 follows the 84 bytes of the empty record: three anchors of 10 bytes.
    const size_t first = empty + 84;
    EXPECT_EQ(Hex(bytes, first, 10), "01 00 03 00 00 00 00 00 00 00");
    EXPECT_EQ(Hex(bytes, first + 10, 10), "00 00 00 00 00 00 00 00 00 00");
    EXPECT_EQ(Hex(bytes, first + 20, 10), "90 01 00 00 00 00 00 00 01 00");
    EXPECT_EQ(ReadInt32At(bytes, first + 40), 2);  // AnchorMax
    // The path count and the history close the record: one entry at position 0, that of a new
    // document: path count 0, paths never sized, entry 0 of its selection.
    const size_t entryBytes = 4 + 2 + 10 + 8;
    const size_t pathCountAt = bytes.size() - 4 - entryBytes - 10 - 4;
    EXPECT_EQ(ReadInt32At(bytes, pathCountAt), 2);
    EXPECT_EQ(Hex(bytes, pathCountAt + 4, 10), "01 00 01 00 00 00 00 00 00 00");
    EXPECT_EQ(Hex(bytes, pathCountAt + 14, 6), "00 00 00 00 00 00");
    EXPECT_EQ(ReadInt32At(bytes, bytes.size() - 4), 0);
}

TEST_F(BackupFileTest, RecordRoundTripsWithHistory)
{
    BackupRecord record = SampleRecord();
    BackupRecord read;
    std::string message;
    ASSERT_TRUE(DecodeBackupRecord(Encoded(record), read, message)) << message;
    EXPECT_EQ(read.Settings, record.Settings);
    EXPECT_EQ(read.Paths, record.Paths);
    ASSERT_EQ(read.History.size(), record.History.size());
    for (size_t i = 0; i < read.History.size(); ++i) {
        EXPECT_EQ(read.History[i].Paths, record.History[i].Paths) << i;
        EXPECT_EQ(read.History[i].SelAnchors, record.History[i].SelAnchors) << i;
    }
    EXPECT_EQ(read.HistoryPos, 1);
}

TEST_F(BackupFileTest, NeverSizedArraysReadAsEmptyEntries)
{
    // A history entry whose paths were never sized: count 0, dimension count 0, empty selection.
    BackupRecord record;
    std::string bytes = Encoded(record);
    const size_t entry = bytes.size() - 4 - (4 + 2 + 2 + 8 + 8);
    std::string neverSized = bytes.substr(0, entry) + std::string("\0\0\0\0\0\0\0\0", 8) + bytes.substr(bytes.size() - 4);
    BackupRecord read;
    std::string message;
    ASSERT_TRUE(DecodeBackupRecord(neverSized, read, message)) << message;
    ASSERT_EQ(read.History.size(), 1u);
    EXPECT_EQ(read.History[0].PathCount(), 0);
    EXPECT_EQ(read.History[0].Paths.size(), 1u);
    EXPECT_EQ(read.History[0].SelAnchors.size(), 1u);
}

TEST_F(BackupFileTest, ReaderRejectsInconsistentAndOversizedFields)
{
    const std::string good = Encoded(SampleRecord());
    const size_t paths = 85 + std::string("/home/user/").size() + 4 + 4;  // the name in CP932
    auto rejected = [](std::string bytes) {
        BackupRecord read = BackupRecord();
        read.Settings.Width = 7;
        std::string message;
        bool ok = DecodeBackupRecord(bytes, read, message);
        return !ok && !message.empty() && read.Settings.Width == 7;
    };
    auto patched = [&good](size_t at, std::initializer_list<uint8_t> values) {
        std::string bytes = good;
        for (uint8_t value : values) {
            bytes[at++] = static_cast<char>(value);
        }
        return bytes;
    };
    EXPECT_TRUE(rejected(patched(paths + 2, {0xFF, 0xFF, 0xFF, 0x7F})));  // 2^31 - 1 paths
    EXPECT_TRUE(rejected(patched(paths + 2, {0xFF, 0xFF, 0xFF, 0xFF})));  // negative count
    EXPECT_TRUE(rejected(patched(paths + 6, {1})));                        // lower bound 1
    EXPECT_TRUE(rejected(patched(paths, {2})));                            // two dimensions
    EXPECT_TRUE(rejected(patched(67, {0xFF, 0xFF})));                      // text past the end
    EXPECT_TRUE(rejected(patched(47, {0x00, 0x00, 0xC0, 0x7F})));          // FloodAccuracy NaN
    const size_t firstPath = paths + 10 + 84;
    EXPECT_TRUE(rejected(patched(firstPath + 40, {5})));                   // AnchorMax 5, 3 anchors
    EXPECT_TRUE(rejected(patched(firstPath + 86, {3})));                   // stop count 3, 2 stops
    EXPECT_TRUE(rejected(patched(firstPath + 90 + 34, {0xFF, 0xFF})));     // cache mark past the end
    // The cache is written empty: a mark of no characters, bytes never sized, two positions.
    const size_t cacheAt = firstPath + 90 + 34 + 2;
    EXPECT_EQ(Hex(good, cacheAt - 2, 2 + 2 + 8), "00 00 00 00 00 00 00 00 00 00 00 00");
    EXPECT_TRUE(rejected(patched(cacheAt + 2 + 4, {0xFF, 0x7F})));       // BytePos past no bytes

    // Values that only choose among kinds are brought into range instead.
    BackupRecord read;
    std::string message;
    std::string strays = patched(firstPath + 18, {2});           // anchor kind 2
    strays = strays.replace(firstPath + 56, 1, 1, '\x09');       // fill type 9
    strays = strays.replace(firstPath + 90 + 10 + 8 + 5, 1, 1, '\x01');  // stop position 256 + 64
    ASSERT_TRUE(DecodeBackupRecord(strays, read, message)) << message;
    EXPECT_EQ(read.Paths[1].Anchors[0].AnchorKind, kOnCurve);
    EXPECT_EQ(read.Paths[1].FillType, kFillNone);
    EXPECT_EQ(read.Paths[1].Stops[1].StopPos, 255);
    EXPECT_TRUE(rejected(good + std::string(1, '\0')));                   // bytes after the record
    EXPECT_TRUE(rejected(""));
}

// A few bytes per empty history entry must not become gigabytes of copies: the history holds no
// more entries than its own undo depth lets the program keep.
TEST_F(BackupFileTest, HistoryLongerThanItsDepthAllowsIsRefused)
{
    BackupRecord record = SampleRecord();
    record.Settings.HistoryMax = 2;  // at most 1 + 2 x 2 entries, one more allowed
    record.History.resize(6);
    std::string bytes = Encoded(record);
    const size_t historyMaxAt = 23;  // after the size, colour, optimiser and quality fields
    ASSERT_EQ(ReadInt32At(bytes, historyMaxAt), 2);
    BackupRecord read;
    std::string message;
    EXPECT_TRUE(DecodeBackupRecord(bytes, read, message)) << message;

    bytes[historyMaxAt] = 1;  // the same six entries with a depth of 1
    EXPECT_FALSE(DecodeBackupRecord(bytes, read, message));
    EXPECT_NE(message.find("バックアップに収まる数を超えています"), std::string::npos) << message;
    for (size_t i = 0; i < 4; ++i) {
        bytes[historyMaxAt + i] = '\xFF';  // -1: counts as a depth of 1
    }
    EXPECT_FALSE(DecodeBackupRecord(bytes, read, message));

    // The writer keeps to the same bound, so a backup it writes can always be read back.
    record.History.resize(7);
    EXPECT_FALSE(EncodeBackupRecord(record, bytes, message));
}

TEST_F(BackupFileTest, SelectionEntriesPointingAtNoAnchorAreDropped)
{
    BackupRecord record = SampleRecord();
    record.History[1].SelAnchors = {{0, 0}, {9, 0}, {2, 1}, {2, 3}, {-1, 0}};
    BackupRecord read;
    std::string message;
    ASSERT_TRUE(DecodeBackupRecord(Encoded(record), read, message)) << message;
    EXPECT_EQ(read.History[1].SelAnchors, (std::vector<AnchorRef>{{0, 0}, {2, 1}}));
}

TEST_F(BackupFileTest, ReaderSurvivesEveryTruncationAndRandomDamage)
{
    const std::string good = Encoded(SampleRecord());
    BackupRecord read;
    std::string message;
    for (size_t length = 0; length < good.size(); ++length) {
        ASSERT_FALSE(DecodeBackupRecord(std::string_view(good).substr(0, length), read, message)) << length;
    }
    std::mt19937 random(1234);
    for (int trial = 0; trial < 3000; ++trial) {
        std::string bytes = good;
        int changes = 1 + static_cast<int>(random() % 4);
        for (int k = 0; k < changes; ++k) {
            bytes[random() % bytes.size()] = static_cast<char>(random() % 256);
        }
        if (DecodeBackupRecord(bytes, read, message)) {
            // Whatever was accepted is consistent enough to be used as a document.
            for (const PathCollection &entry : read.History) {
                for (size_t j = 1; j < entry.SelAnchors.size(); ++j) {
                    const AnchorRef &ref = entry.SelAnchors[j];
                    ASSERT_GE(ref.PathIndex, 1);
                    ASSERT_LE(ref.AnchorIndex, entry.Paths.at(static_cast<size_t>(ref.PathIndex)).AnchorMax());
                }
            }
            ASSERT_LE(read.HistoryPos, UpperBound(read.History));
            movie::EncodeShapeCached(read.Paths);
        }
    }
}

TEST_F(BackupFileTest, BrowserReturnsToTheChangedDrawingWithItsUndoHistory)
{
    std::string cat = WriteDrawing("tabby.qlk", {Triangle(0)}, 1024, 768);
    std::string dog = WriteDrawing("dog.qlk", {Triangle(0), Triangle(900)}, 320, 320);
    OpenDrawingFile(cat);
    AddPathStep(Triangle(500));
    AddPathStep(Triangle(700));
    const PathArray changed = Doc().DocPaths;
    ASSERT_TRUE(SaveBackupFile(Lifecycle().CurrentFileName));

    OpenDrawingFile(dog);
    ASSERT_EQ(Doc().DocPathCount(), 2);
    host.Calls.clear();

    OpenWithBackup(cat);
    EXPECT_EQ(Doc().DocPaths, changed);
    EXPECT_EQ(Doc().CurrentSettings.Width, 1024);
    EXPECT_EQ(Lifecycle().CurrentFileName, cat);
    EXPECT_EQ(host.Caption, "[ tabby.qlk ] - Quillark *");
    EXPECT_FALSE(Lifecycle().DocModified);
    EXPECT_EQ(Doc().SelectedAnchors.size(), 1u);
    EXPECT_EQ(host.Calls, (std::vector<std::string>{"ReloadCanvas", "RefreshList", "RefreshPosition",
                                                    "RefreshGradient", "ShowFolderInBrowser: " + folder}));
    EXPECT_TRUE(std::filesystem::exists(BackupFilePath(cat)));  // the backup stays
    // Nothing changed since the backup was written, so leaving the drawing writes none.
    EXPECT_FALSE(SaveBackupFile(cat));

    // Undo runs back to the drawing as it was opened, and no further.
    UndoHistory();
    UndoHistory();
    EXPECT_EQ(Doc().DocPathCount(), 1);
    UndoHistory();
    EXPECT_EQ(Doc().DocPathCount(), 1);
    EXPECT_FALSE(CanUndo());
}

TEST_F(BackupFileTest, UnreadableBackupIsReportedAndTheFileOpened)
{
    std::string cat = WriteDrawing("broken.qlk", {Triangle(0), Triangle(600)});
    testsupport::WriteAll(BackupFilePath(cat), "QLK030\r\nnot a backup");

    OpenWithBackup(cat);
    EXPECT_TRUE(HasErrorMessage(host));
    EXPECT_EQ(Doc().DocPathCount(), 2);
    EXPECT_EQ(host.Caption, "[ broken.qlk ] - Quillark");
    EXPECT_TRUE(std::filesystem::exists(BackupFilePath(cat)));  // nothing is thrown away
}

TEST_F(BackupFileTest, ApplyingWritesTheBackupsOwnCanvasIntoTheFile)
{
    std::string cat = WriteDrawing("apply.qlk", {Triangle(0)}, 1000, 700);
    OpenDrawingFile(cat);
    Doc().CurrentSettings.BackColorR = 12;
    AddPathStep(Triangle(300));
    ASSERT_TRUE(SaveBackupFile(cat));

    std::string dog = WriteDrawing("other.qlk", {Triangle(50)}, 200, 100);
    OpenDrawingFile(dog);
    const PathArray open = Doc().DocPaths;
    host.Calls.clear();

    ASSERT_TRUE(ApplyBackupToFile(cat));
    EXPECT_FALSE(std::filesystem::exists(BackupFilePath(cat)));
    EXPECT_TRUE(Called(host, "ShowFolderInBrowser: " + folder));
    DrawingFileContents contents;
    std::string message;
    ASSERT_TRUE(ReadDrawingFile(cat, contents, message)) << message;
    EXPECT_EQ(contents.Settings.Width, 1000);
    EXPECT_EQ(contents.Settings.Height, 700);
    EXPECT_EQ(contents.Settings.BackColorR, 12);
    EXPECT_EQ(UpperBound(contents.Paths), 2);
    EXPECT_EQ(contents.Paths[2].Anchors, Triangle(300).Anchors);
    // The open drawing is another one and stays as it is.
    EXPECT_EQ(Doc().DocPaths, open);
    EXPECT_EQ(Doc().CurrentSettings.Width, 200);

    EXPECT_FALSE(ApplyBackupToFile(cat));  // nothing left to apply
}

TEST_F(BackupFileTest, FailedApplyKeepsTheBackup)
{
    std::string cat = WriteDrawing("locked.qlk", {Triangle(0)});
    OpenDrawingFile(cat);
    AddPathStep(Triangle(300));
    ASSERT_TRUE(SaveBackupFile(cat));
    std::string gone = folder + "/missing-folder/locked.qlk";  // cannot be created

    host.PendingFolder = platform::GetFolderPart(gone);
    EXPECT_FALSE(ApplyBackupToFile(gone));
    EXPECT_TRUE(HasErrorMessage(host));
    EXPECT_TRUE(std::filesystem::exists(BackupFilePath(cat)));
    host.PendingFolder = folder;

    testsupport::WriteAll(BackupFilePath(cat), "damaged");
    host.Calls.clear();
    EXPECT_FALSE(ApplyBackupToFile(cat));
    EXPECT_TRUE(HasErrorMessage(host));
    EXPECT_EQ(testsupport::ReadAll(cat).substr(0, 6), "QLK030");
}

TEST_F(BackupFileTest, FailedBackupWriteIsReported)
{
    std::string cat = WriteDrawing("blocked.qlk", {Triangle(0)});
    OpenDrawingFile(cat);
    AddPathStep(Triangle(300));
    std::filesystem::create_directories(BackupFilePath(cat) + "/inside");  // a folder in its place

    EXPECT_FALSE(SaveBackupFile(cat));
    EXPECT_TRUE(HasErrorMessage(host));
    EXPECT_TRUE(Lifecycle().DocModified);
}

TEST_F(BackupFileTest, DeletingAllBackupsTakesOnlyThoseOfDrawingFiles)
{
    for (const char *name : {"one.qlk.backup", "TWO.QLK.backup", "picture.png.backup", "note.txt"}) {
        testsupport::WriteAll(platform::ProgramFile(name), "x");
    }
    std::filesystem::create_directories(platform::ProgramFile("folder.qlk.backup"));

    DeleteAllBackups();
    EXPECT_FALSE(std::filesystem::exists(platform::ProgramFile("one.qlk.backup")));
    EXPECT_FALSE(std::filesystem::exists(platform::ProgramFile("TWO.QLK.backup")));
    EXPECT_TRUE(std::filesystem::exists(platform::ProgramFile("picture.png.backup")));
    EXPECT_TRUE(std::filesystem::exists(platform::ProgramFile("note.txt")));
    EXPECT_TRUE(std::filesystem::exists(platform::ProgramFile("folder.qlk.backup")));
}

}  // namespace
