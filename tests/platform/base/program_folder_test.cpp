#include "platform/base/program_folder.h"

#include "tests/support/test_support.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

using namespace platform;
namespace fs = std::filesystem;

namespace {

// Sets an environment variable for one test and puts the old value back.
class ScopedEnv {
public:
    ScopedEnv(const char *name, const char *value) : name_(name)
    {
        const char *old = std::getenv(name);
        hadOld_ = old != nullptr;
        old_ = old ? old : "";
        if (value) {
            setenv(name, value, 1);
        } else {
            unsetenv(name);
        }
    }
    ~ScopedEnv()
    {
        if (hadOld_) {
            setenv(name_, old_.c_str(), 1);
        } else {
            unsetenv(name_);
        }
    }

private:
    const char *name_;
    bool hadOld_;
    std::string old_;
};

}  // namespace

TEST(ProgramFolder, IsQuillarkHomeWhenSetAndIsCreated)
{
    fs::path home = testsupport::Home() / "nested" / "home";
    ScopedEnv env("QUILLARK_HOME", (home.string() + "//").c_str());
    EXPECT_EQ(ProgramFolder(), home.string()) << "no trailing slash";
    EXPECT_TRUE(fs::is_directory(home));
    EXPECT_EQ(ProgramFile("quillark.ini"), (home / "quillark.ini").string());
}

TEST(ProgramFolder, WithoutQuillarkHomeIsTheWritableExecutableFolder)
{
    ScopedEnv env("QUILLARK_HOME", nullptr);
    fs::path exeFolder = fs::read_symlink("/proc/self/exe").parent_path();
    // The test program is built into a writable folder.
    EXPECT_EQ(ProgramFolder(), exeFolder.string());
}

// A pipe or a link planted as the folder's lock file neither blocks the program nor lets it touch
// what the link names; the lock is held until its holder goes, and taken by the next one.
TEST(ProgramFolderLock, APlantedPipeOrLinkIsReplacedNotOpened)
{
    const std::string lock = ProgramFile("quillark.lock");
    const fs::path outside = fs::temp_directory_path() / ("quillark-lock-target-" + std::to_string(getpid()));
    testsupport::WriteAll(outside.string(), "not a lock");
    for (bool pipe : {true, false}) {
        fs::remove(lock);
        if (pipe) {
            ASSERT_EQ(mkfifo(lock.c_str(), 0600), 0);
        } else {
            fs::create_symlink(outside, lock);
        }
        {
            ProgramFolderLock first;
            EXPECT_TRUE(first.Held()) << (pipe ? "pipe" : "link");
            ProgramFolderLock second;
            EXPECT_FALSE(second.Held());
        }
        ProgramFolderLock after;
        EXPECT_TRUE(after.Held());
        EXPECT_EQ(testsupport::ReadAll(outside.string()), "not a lock");
    }
    fs::remove(outside);
}
