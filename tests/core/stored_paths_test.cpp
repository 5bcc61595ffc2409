#include "core/stored_paths.h"

#include "core/backup_file.h"
#include "core/document.h"
#include "core/document_lifecycle.h"
#include "core/drawing_file.h"
#include "platform/base/text_encoding.h"
#include "recording_host.h"
#include "tests/support/test_support.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace core;

namespace {

class StoredPathsTest : public testsupport::RecordingHostTest {
protected:
    void SetUp() override
    {
        RecordingHostTest::SetUp();
        ResetStoredPathsForTest();
        NewDocument();
    }
    void TearDown() override
    {
        ResetStoredPathsForTest();
        RecordingHostTest::TearDown();
    }
    std::string LastStatus() const
    {
        auto found = std::find_if(host.Calls.rbegin(), host.Calls.rend(),
                                  [](const std::string &call) { return call.rfind("ShowStatus: ", 0) == 0; });
        return found == host.Calls.rend() ? std::string() : found->substr(12);
    }
};

TEST(Cp932Paths, OnlyTextThatComesBackUnchangedFits)
{
    EXPECT_TRUE(platform::FitsCp932("/home/user/a.png"));
    EXPECT_TRUE(platform::FitsCp932("/home/user/下絵ｶﾅ～.png"));
    EXPECT_FALSE(platform::FitsCp932("/home/user/café.png"));
    EXPECT_FALSE(platform::FitsCp932("/home/user/〜.png"));  // stored as the full-width tilde
    EXPECT_FALSE(platform::FitsCp932("/home/user/\xF0\x9F\x98\x80.png"));
    EXPECT_FALSE(platform::FitsCp932("bad \xFF utf-8"));
}

// The file keeps its format (the nearest CP932 text), the user is told, and in this run the
// drawing and its pending change still name the real underlay.
TEST_F(StoredPathsTest, UnderlayPathTheCodePageCannotHoldIsReportedAndKeptForTheRun)
{
    const std::string underlay = "/home/user/café 〜 \xF0\x9F\x98\x80.png";
    Doc().CurrentSettings.BackgroundFile = underlay;
    Doc().CurrentSettings.BackgroundFlag = 1;
    const std::string path = testsupport::TempPath("underlay.qlk");
    ASSERT_TRUE(SaveDrawingFile(path));
    EXPECT_NE(LastStatus().find(kUnderlayPathNotStored), std::string::npos) << LastStatus();
    EXPECT_EQ(Doc().CurrentSettings.BackgroundFile, underlay);

    const std::string bytes = testsupport::ReadAll(path);
    EXPECT_NE(bytes.find("\"" + platform::Utf8ToCp932(underlay) + "\""), std::string::npos);
    DrawingFileContents contents;
    std::string message;
    ASSERT_TRUE(ReadDrawingFile(path, contents, message)) << message;
    EXPECT_EQ(contents.Settings.BackgroundFile, underlay);

    BackupRecord record;
    record.Settings = Doc().CurrentSettings;
    std::string backup;
    ASSERT_TRUE(EncodeBackupRecord(record, backup, message)) << message;
    BackupRecord read;
    ASSERT_TRUE(DecodeBackupRecord(backup, read, message)) << message;
    EXPECT_EQ(read.Settings.BackgroundFile, underlay);

    // The next run has only what the file holds.
    ResetStoredPathsForTest();
    ASSERT_TRUE(ReadDrawingFile(path, contents, message)) << message;
    EXPECT_EQ(contents.Settings.BackgroundFile, platform::Cp932ToUtf8(platform::Utf8ToCp932(underlay)));

    Doc().CurrentSettings.BackgroundFile = "/home/user/下絵.png";
    ASSERT_TRUE(SaveDrawingFile(path));
    EXPECT_EQ(LastStatus(), "ファイルを保存しました。");
}

}  // namespace
