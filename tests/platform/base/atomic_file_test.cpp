#include "platform/base/atomic_file.h"

#include "tests/support/test_support.h"

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <sys/resource.h>
#include <sys/stat.h>

using namespace platform;
namespace fs = std::filesystem;
using testsupport::ReadAll;
using testsupport::WriteAll;

namespace {

// A fresh, empty folder for one test.
fs::path FreshFolder(const std::string &name)
{
    fs::path folder = testsupport::Home() / name;
    fs::remove_all(folder);
    fs::create_directories(folder);
    return folder;
}

std::vector<std::string> FolderEntries(const fs::path &folder)
{
    std::vector<std::string> names;
    for (const auto &entry : fs::directory_iterator(folder)) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

mode_t ModeOf(const fs::path &path)
{
    struct stat info {};
    stat(path.c_str(), &info);
    return info.st_mode & 07777;
}

// Makes writes past a size fail with EFBIG (works for root too), for the scope's life.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        getrlimit(RLIMIT_FSIZE, &old_);
        oldHandler_ = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit = old_;
        limit.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit()
    {
        setrlimit(RLIMIT_FSIZE, &old_);
        std::signal(SIGXFSZ, oldHandler_);
    }

private:
    rlimit old_{};
    void (*oldHandler_)(int);
};

}  // namespace

TEST(WriteFileAtomically, WritesNewAndReplacesOldFilesWhole)
{
    fs::path folder = FreshFolder("atomic-new");
    std::string path = (folder / "a.qlk").string();
    std::string bytes("QLK030\r\n\0\xff", 10);
    std::string error;
    ASSERT_TRUE(WriteFileAtomically(path, bytes, &error)) << error;
    EXPECT_EQ(ReadAll(path), bytes);

    ASSERT_TRUE(WriteFileAtomically(path, "short"));
    EXPECT_EQ(ReadAll(path), "short");
    ASSERT_TRUE(WriteFileAtomically(path, ""));
    EXPECT_EQ(ReadAll(path), "");
    EXPECT_EQ(FolderEntries(folder), std::vector<std::string>{"a.qlk"}) << "no temporary file is left";
}

TEST(WriteFileAtomically, KeepsTheModeOfAnExistingFile)
{
    fs::path folder = FreshFolder("atomic-mode");
    fs::path path = folder / "keep.qlk";
    WriteAll(path.string(), "old");
    chmod(path.c_str(), 0640);
    ASSERT_TRUE(WriteFileAtomically(path.string(), "new"));
    EXPECT_EQ(ModeOf(path), 0640u);

    mode_t mask = umask(022);
    ASSERT_TRUE(WriteFileAtomically((folder / "fresh.qlk").string(), "x"));
    umask(mask);
    EXPECT_EQ(ModeOf(folder / "fresh.qlk"), 0644u) << "a new file gets the usual mode, not the temporary one";
}

TEST(WriteFileAtomically, AFailedWriteLeavesTheOldFileAndNoTemporaryFile)
{
    fs::path folder = FreshFolder("atomic-fail");
    std::string path = (folder / "drawing.qlk").string();
    WriteAll(path, "the old drawing");
    std::string error;
    {
        FileSizeLimit limit(4096);
        EXPECT_FALSE(WriteFileAtomically(path, std::string(100000, 'x'), &error));
    }
    EXPECT_NE(error.find(path), std::string::npos) << error;
    EXPECT_EQ(ReadAll(path), "the old drawing");
    EXPECT_EQ(FolderEntries(folder), std::vector<std::string>{"drawing.qlk"});
}

TEST(WriteFileAtomically, FailsCleanlyWhenTheTargetCannotBeReplacedOrCreated)
{
    fs::path folder = FreshFolder("atomic-dir");
    fs::create_directories(folder / "taken" / "inside");
    std::string error;
    EXPECT_FALSE(WriteFileAtomically((folder / "taken").string(), "data", &error));
    EXPECT_FALSE(error.empty());
    EXPECT_TRUE(fs::is_directory(folder / "taken" / "inside"));
    EXPECT_EQ(FolderEntries(folder), std::vector<std::string>{"taken"});

    EXPECT_FALSE(WriteFileAtomically((folder / "missing" / "a.qlk").string(), "data", &error));
    EXPECT_FALSE(WriteFileAtomically((folder / "missing" / "a.qlk").string(), "data"));
}

TEST(ReadWholeFile, ReadsBytesAndReportsWhatCannotBeRead)
{
    fs::path folder = FreshFolder("read-whole");
    std::string bytes(200000, '\0');
    for (size_t i = 0; i < bytes.size(); ++i) {
        bytes[i] = static_cast<char>(i * 7);
    }
    WriteAll((folder / "big").string(), bytes);
    std::string read = "leftover";
    ASSERT_TRUE(ReadWholeFile((folder / "big").string(), read));
    EXPECT_EQ(read, bytes);
    EXPECT_FALSE(ReadWholeFile((folder / "nothing").string(), read));
    EXPECT_TRUE(read.empty());
    EXPECT_FALSE(ReadWholeFile(folder.string(), read)) << "a folder is not a file";
    EXPECT_FALSE(ReadWholeFile("/dev/zero", read)) << "a device that never ends is not read";
}
