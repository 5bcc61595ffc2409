#include "platform/base/atomic_file.h"

#include "tests/support/test_support.h"

#include <gtest/gtest.h>

#include <csignal>
#include <fcntl.h>
#include <filesystem>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <unistd.h>

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

TEST(WriteFileAtomically, WritesThroughSymbolicLinksAndKeepsTheMode)
{
    fs::path folder = FreshFolder("atomic-link");
    fs::create_directories(folder / "real");
    fs::path target = folder / "real" / "drawing.qlk";
    WriteAll(target.string(), "old");
    chmod(target.c_str(), 0604);
    fs::create_symlink("real/drawing.qlk", folder / "relative.qlk");
    fs::create_symlink(folder / "relative.qlk", folder / "chain.qlk");

    ASSERT_TRUE(WriteFileAtomically((folder / "chain.qlk").string(), "new"));
    EXPECT_TRUE(fs::is_symlink(folder / "chain.qlk"));
    EXPECT_TRUE(fs::is_symlink(folder / "relative.qlk"));
    EXPECT_EQ(ReadAll(target.string()), "new");
    EXPECT_EQ(ModeOf(target), 0604u);
    EXPECT_EQ(FolderEntries(folder / "real"), std::vector<std::string>{"drawing.qlk"});

    // A dangling link creates the file it names; a loop of links is refused.
    fs::create_symlink("real/later.qlk", folder / "dangling.qlk");
    ASSERT_TRUE(WriteFileAtomically((folder / "dangling.qlk").string(), "created"));
    EXPECT_EQ(ReadAll((folder / "real" / "later.qlk").string()), "created");
    fs::create_symlink("loop-b", folder / "loop-a");
    fs::create_symlink("loop-a", folder / "loop-b");
    EXPECT_FALSE(WriteFileAtomically((folder / "loop-a").string(), "x"));
    EXPECT_TRUE(fs::is_symlink(folder / "loop-a"));
}

// The tests run as the superuser, whom the kernel lets write anything; the refusal is decided by
// the file's mode bits (a file without any write bit is read-only for everyone), so it holds here.
TEST(WriteFileAtomically, RefusesToReplaceAReadOnlyFile)
{
    fs::path folder = FreshFolder("atomic-readonly");
    fs::path path = folder / "kept.qlk";
    WriteAll(path.string(), "the user's drawing");
    chmod(path.c_str(), 0444);
    std::string error;
    EXPECT_FALSE(WriteFileAtomically(path.string(), "replaced", &error));
    EXPECT_NE(error.find("読み取り専用"), std::string::npos) << error;
    EXPECT_EQ(ReadAll(path.string()), "the user's drawing");
    EXPECT_EQ(ModeOf(path), 0444u);
    EXPECT_EQ(FolderEntries(folder), std::vector<std::string>{"kept.qlk"});

    // One write bit is enough for the superuser; the owner needs the owner's.
    chmod(path.c_str(), 0464);
    EXPECT_EQ(WriteFileAtomically(path.string(), "replaced"), geteuid() == 0);
    chmod(path.c_str(), 0644);
    EXPECT_TRUE(WriteFileAtomically(path.string(), "replaced"));
    EXPECT_EQ(ReadAll(path.string()), "replaced");
}

TEST(WriteFileAtomically, SavesNamesOfTheLongestLegalLength)
{
    fs::path folder = FreshFolder("atomic-long");
    // 83 kanji of 3 bytes and "ab.qlk": 255 bytes, the longest name a file system holds.
    std::string name;
    for (int i = 0; i < 83; ++i) {
        name += "\xE6\xBC\xA2";  // 漢
    }
    name += "ab.qlk";
    ASSERT_EQ(name.size(), 255u);
    std::string error;
    ASSERT_TRUE(WriteFileAtomically((folder / name).string(), "drawing", &error)) << error;
    ASSERT_TRUE(WriteFileAtomically((folder / name).string(), "drawing 2", &error)) << error;
    EXPECT_EQ(ReadAll((folder / name).string()), "drawing 2");
    EXPECT_EQ(FolderEntries(folder), std::vector<std::string>{name});
}

TEST(WriteFileAtomically, AProcessKilledWhileWritingLeavesNoTemporaryFile)
{
    fs::path folder = FreshFolder("atomic-killed");
    std::string path = (folder / "drawing.qlk").string();
    WriteAll(path, "the old drawing");
    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        // Writing past the limit raises SIGXFSZ, whose default action ends the process in the
        // middle of the write, as a crash would.
        rlimit noCore{0, 0};
        setrlimit(RLIMIT_CORE, &noCore);
        std::signal(SIGXFSZ, SIG_DFL);
        rlimit limit{};
        getrlimit(RLIMIT_FSIZE, &limit);
        limit.rlim_cur = 4096;
        setrlimit(RLIMIT_FSIZE, &limit);
        WriteFileAtomically(path, std::string(100000, 'x'));
        _exit(0);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGXFSZ) << "the writer was not killed";
    EXPECT_EQ(ReadAll(path), "the old drawing");
    EXPECT_EQ(FolderEntries(folder), std::vector<std::string>{"drawing.qlk"});
}

TEST(WriteFileAtomically, FailuresCloseEveryDescriptor)
{
    fs::path folder = FreshFolder("atomic-descriptors");
    std::string path = (folder / "drawing.qlk").string();
    auto openDescriptors = [] {
        return std::distance(fs::directory_iterator("/proc/self/fd"), fs::directory_iterator());
    };
    auto before = openDescriptors();
    for (int i = 0; i < 20; ++i) {
        FileSizeLimit limit(4096);
        EXPECT_FALSE(WriteFileAtomically(path, std::string(100000, 'x')));
    }
    EXPECT_FALSE(WriteFileAtomically((folder / "missing" / "a.qlk").string(), "x"));
    EXPECT_EQ(openDescriptors(), before);
}

TEST(ReadableFile, PipesAndDevicesAreRefusedWithoutWaiting)
{
    fs::path folder = FreshFolder("read-fifo");
    fs::path fifo = folder / "pipe.qlk";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0644), 0);
    std::string bytes = "leftover";
    // No writer ever opens the pipe: an open that waited for one would never return.
    EXPECT_FALSE(ReadWholeFile(fifo.string(), bytes));
    EXPECT_TRUE(bytes.empty());
    EXPECT_EQ(ReadFileHead(fifo.string(), 16), "");
    EXPECT_FALSE(ReadableFile(fifo.string()).IsOpen());
    EXPECT_FALSE(ReadableFile("/dev/zero").IsOpen());

    WriteAll((folder / "small").string(), "0123456789");
    EXPECT_EQ(ReadFileHead((folder / "small").string(), 4), "0123");
    EXPECT_EQ(ReadFileHead((folder / "small").string(), 40), "0123456789");
    EXPECT_TRUE(ReadWholeFile((folder / "small").string(), bytes, 10));
    EXPECT_FALSE(ReadWholeFile((folder / "small").string(), bytes, 9)) << "larger than allowed";
    EXPECT_TRUE(bytes.empty());
}

// What stands at the target path before a save; each must survive the refused save unchanged.
struct SpecialTarget {
    const char *name;
    bool (*make)(const fs::path &path);
    bool (*intact)(const fs::path &path);
};

bool IsFifo(const fs::path &path)
{
    return fs::is_fifo(fs::symlink_status(path));
}

TEST(WriteFileAtomically, RefusesPipesDevicesSocketsAndFoldersWithAMessage)
{
    const SpecialTarget targets[] = {
        {"pipe", [](const fs::path &p) { return mkfifo(p.c_str(), 0644) == 0; }, IsFifo},
        {"device",
         [](const fs::path &p) { return mknod(p.c_str(), S_IFCHR | 0666, makedev(1, 3)) == 0; },
         [](const fs::path &p) { return fs::is_character_file(fs::symlink_status(p)); }},
        {"folder", [](const fs::path &p) { return fs::create_directory(p); },
         [](const fs::path &p) { return fs::is_directory(fs::symlink_status(p)); }},
        {"link to a pipe",
         [](const fs::path &p) {
             return mkfifo((p.string() + ".fifo").c_str(), 0644) == 0 &&
                    symlink((p.filename().string() + ".fifo").c_str(), p.c_str()) == 0;
         },
         [](const fs::path &p) { return fs::is_symlink(fs::symlink_status(p)) && IsFifo(p.string() + ".fifo"); }},
    };
    for (const SpecialTarget &target : targets) {
        SCOPED_TRACE(target.name);
        fs::path folder = FreshFolder("atomic-special");
        fs::path path = folder / "drawing.qlk";
        if (!target.make(path)) {
            continue;  // a device node needs a privilege the test may not have
        }
        const std::vector<std::string> before = FolderEntries(folder);
        const mode_t mode = ModeOf(path);
        std::string error;
        EXPECT_FALSE(WriteFileAtomically(path.string(), "QLK030\r\n", &error));
        EXPECT_NE(error.find("通常のファイルではありません"), std::string::npos) << error;
        EXPECT_NE(error.find(path.string()), std::string::npos) << error;
        EXPECT_TRUE(target.intact(path));
        EXPECT_EQ(ModeOf(path), mode);
        EXPECT_EQ(FolderEntries(folder), before);
    }
}

TEST(WriteFileAtomically, EveryHardLinkSeesTheSavedBytes)
{
    fs::path folder = FreshFolder("atomic-links");
    fs::path first = folder / "a.qlk";
    fs::path second = folder / "b.qlk";
    WriteAll(first.string(), "a longer old drawing than the new one");
    chmod(first.c_str(), 0640);
    fs::create_hard_link(first, second);
    struct stat before {};
    stat(first.c_str(), &before);

    // Shorter, then longer than the old bytes, written through either name.
    const std::pair<fs::path, std::string> saves[] = {{first, "new"}, {second, std::string(70000, 'z')}};
    for (const auto &[name, bytes] : saves) {
        std::string error;
        ASSERT_TRUE(WriteFileAtomically(name.string(), bytes, &error)) << error;
        EXPECT_EQ(ReadAll(first.string()), bytes);
        EXPECT_EQ(ReadAll(second.string()), bytes);
        struct stat after {};
        stat(first.c_str(), &after);
        EXPECT_EQ(after.st_ino, before.st_ino);
        EXPECT_EQ(after.st_nlink, 2u);
        EXPECT_EQ(ModeOf(first), 0640u);
        EXPECT_EQ(FolderEntries(folder), (std::vector<std::string>{"a.qlk", "b.qlk"}));
    }
}

TEST(WriteFileAtomically, AFailedWriteThroughAHardLinkPutsTheOldBytesBack)
{
    fs::path folder = FreshFolder("atomic-links-fail");
    fs::path first = folder / "a.qlk";
    fs::path second = folder / "b.qlk";
    const std::string old(3000, 'o');
    WriteAll(first.string(), old);
    fs::create_hard_link(first, second);
    std::string error;
    {
        // The copy of the old bytes fits under the limit; the new bytes do not.
        FileSizeLimit limit(4096);
        EXPECT_FALSE(WriteFileAtomically(first.string(), std::string(100000, 'n'), &error));
    }
    EXPECT_NE(error.find(first.string()), std::string::npos) << error;
    EXPECT_EQ(ReadAll(first.string()), old);
    EXPECT_EQ(ReadAll(second.string()), old);
    EXPECT_EQ(FolderEntries(folder), (std::vector<std::string>{"a.qlk", "b.qlk"}));
}

namespace {

// A drawing of several write pieces, different at every byte from the other one.
std::string Drawing(char fill, size_t size)
{
    std::string bytes(size, fill);
    for (size_t i = 0; i < size; i += 4096) {
        bytes[i] = static_cast<char>(i / 4096);
    }
    return bytes;
}

// What a save of names.front() that was cut short must leave: every name reading the old or the
// new bytes whole, the same through each, and no other file in the folder.
void ExpectOldOrNewWhole(const fs::path &folder, const std::vector<std::string> &names, const std::string &old,
                         const std::string &fresh, const std::string &when)
{
    std::string first;
    for (const std::string &name : names) {
        std::string bytes;
        ASSERT_TRUE(ReadWholeFile((folder / name).string(), bytes)) << when;
        EXPECT_TRUE(bytes == old || bytes == fresh) << when << ": " << name << " holds a mixture";
        if (name == names.front()) {
            first = bytes;
        }
        EXPECT_EQ(bytes == old, first == old) << when << ": the names differ";
    }
    EXPECT_EQ(FolderEntries(folder), names) << when;
}

// Counts the steps of one save, then cuts that save short at each: once by failing the step,
// once by killing a child process that saves just before the step.
void CutEveryStep(const fs::path &folder, const std::vector<std::string> &names)
{
    const std::string old = Drawing('o', 2'600'000);
    const std::string fresh = Drawing('n', 3'300'000);
    const std::string path = (folder / names.front()).string();
    auto reset = [&] {
        SetSaveStepHook({});
        ASSERT_TRUE(WriteFileAtomically(path, old));
        ASSERT_EQ(ReadAll(path), old);
    };
    reset();
    int steps = 0;
    SetSaveStepHook([&] { return ++steps, true; });
    ASSERT_TRUE(WriteFileAtomically(path, fresh));
    ASSERT_GT(steps, 4);

    for (int cut = 1; cut <= steps; ++cut) {
        reset();
        int step = 0;
        SetSaveStepHook([&] { return ++step != cut; });
        WriteFileAtomically(path, fresh);
        SetSaveStepHook({});
        ExpectOldOrNewWhole(folder, names, old, fresh, "failed at step " + std::to_string(cut));

        // Settled once as at the next start, once by reading the names alone.
        for (bool atStart : {true, false}) {
            reset();
            pid_t child = fork();
            ASSERT_GE(child, 0);
            if (child == 0) {
                int reached = 0;
                SetSaveStepHook([&] {
                    if (++reached == cut) {
                        raise(SIGKILL);
                    }
                    return true;
                });
                WriteFileAtomically(path, fresh);
                _exit(0);
            }
            int status = 0;
            ASSERT_EQ(waitpid(child, &status, 0), child);
            ASSERT_TRUE(WIFSIGNALED(status)) << "step " << cut;
            if (atStart) {
                SettleInterruptedSaves(folder.string());
                EXPECT_EQ(FolderEntries(folder), names) << "settled after a kill at step " << cut;
            }
            ExpectOldOrNewWhole(folder, names, old, fresh, "killed at step " + std::to_string(cut));
        }
    }
    SetSaveStepHook({});
}

}  // namespace

TEST(WriteFileAtomically, ASaveCutShortAtAnyStepLeavesTheOldOrTheNewDrawingWhole)
{
    fs::path folder = FreshFolder("atomic-cut");
    CutEveryStep(folder, {"single.qlk"});
}

TEST(WriteFileAtomically, ASaveThroughAHardLinkCutShortAtAnyStepLeavesBothNamesOldOrNewWhole)
{
    fs::path folder = FreshFolder("atomic-cut-links");
    WriteAll((folder / "a.qlk").string(), "x");
    fs::create_hard_link(folder / "a.qlk", folder / "b.qlk");
    CutEveryStep(folder, {"a.qlk", "b.qlk"});
}

// While a save through a hard link runs, a reader gets the old bytes whole, not the half-written
// file, and leaves the journal to its running save.
TEST(WriteFileAtomically, AFileBeingRewrittenInPlaceReadsAsItsOldBytes)
{
    fs::path folder = FreshFolder("atomic-reading-while-saving");
    const std::string a = (folder / "a.qlk").string();
    const std::string old = Drawing('o', 2'600'000);
    const std::string fresh = Drawing('n', 3'300'000);
    WriteAll(a, old);
    fs::create_hard_link(a, folder / "b.qlk");
    int reached[2], resume[2];
    ASSERT_EQ(pipe(reached), 0);
    ASSERT_EQ(pipe(resume), 0);
    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        // Waits once the first piece of the new bytes is over the file.
        bool waited = false;
        SetSaveStepHook([&] {
            char second = 0;
            int fd = open(a.c_str(), O_RDONLY);
            [[maybe_unused]] ssize_t n = pread(fd, &second, 1, 1);
            close(fd);
            if (!waited && second == 'n') {
                waited = true;
                char c = 1;
                [[maybe_unused]] ssize_t w = write(reached[1], &c, 1);
                [[maybe_unused]] ssize_t r = read(resume[0], &c, 1);
            }
            return true;
        });
        _exit(WriteFileAtomically(a, fresh) ? 0 : 1);
    }
    char c = 0;
    ASSERT_EQ(read(reached[0], &c, 1), 1);
    std::string bytes;
    ASSERT_TRUE(ReadWholeFile((folder / "b.qlk").string(), bytes));
    EXPECT_TRUE(bytes == old) << "a reader saw the file while it was rewritten";
    ASSERT_EQ(write(resume[1], &c, 1), 1);
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    EXPECT_EQ(ReadAll((folder / "b.qlk").string()), fresh);
    EXPECT_EQ(FolderEntries(folder), (std::vector<std::string>{"a.qlk", "b.qlk"}));
    for (int fd : {reached[0], reached[1], resume[0], resume[1]}) {
        close(fd);
    }
}

// The program's own files replace a link or a pipe planted at their name: never followed, never
// opened so that it blocks.
TEST(WriteProgramFile, ReplacesWhatStandsAtTheNameWithoutFollowingOrOpeningIt)
{
    fs::path folder = FreshFolder("program-files");
    fs::path elsewhere = FreshFolder("program-files-elsewhere");
    const std::string target = (elsewhere / "kept.qlk").string();
    WriteAll(target, "kept");
    for (int planted = 0; planted < 3; ++planted) {
        const std::string name = (folder / ("_canvtemp-" + std::to_string(planted) + ".tmp")).string();
        const std::string hardLinked = (elsewhere / "hard.qlk").string();
        if (planted == 0) {
            fs::create_symlink(target, name);
        } else if (planted == 1) {
            ASSERT_EQ(mkfifo(name.c_str(), 0600), 0);
        } else {
            WriteAll(hardLinked, "linked");
            fs::create_hard_link(hardLinked, name);
        }
        std::string error;
        ASSERT_TRUE(WriteProgramFile(name, "movie", &error)) << error;
        EXPECT_EQ(ReadAll(name), "movie");
        EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(name)));
        const std::string created = name + ".swf";
        if (planted == 0) {
            fs::create_symlink(target, created);
        } else if (planted == 1) {
            ASSERT_EQ(mkfifo(created.c_str(), 0600), 0);
        }
        int fd = CreateProgramFile(created);
        ASSERT_GE(fd, 0);
        EXPECT_EQ(write(fd, "swf", 3), 3);
        close(fd);
        EXPECT_EQ(ReadAll(created), "swf");
        if (planted == 2) {
            EXPECT_EQ(ReadAll(hardLinked), "linked");
        }
    }
    EXPECT_EQ(ReadAll(target), "kept");
    EXPECT_FALSE(WriteProgramFile(folder.string(), "x")) << "a folder stays";
}
