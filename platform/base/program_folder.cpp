#include "platform/base/program_folder.h"

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <filesystem>
#include <string_view>
#include <unistd.h>

namespace platform {
namespace fs = std::filesystem;

namespace {

std::string ExecutableFolder()
{
    std::error_code error;
    fs::path exe = fs::read_symlink("/proc/self/exe", error);
    return error ? std::string() : exe.parent_path().string();
}

std::string DataHomeFolder()
{
    const char *xdg = std::getenv("XDG_DATA_HOME");
    if (xdg && *xdg) {
        return (fs::path(xdg) / "quillark").string();
    }
    const char *home = std::getenv("HOME");
    return (fs::path(home && *home ? home : "/tmp") / ".local" / "share" / "quillark").string();
}

std::string ChooseFolder()
{
    const char *configured = std::getenv("QUILLARK_HOME");
    if (configured && *configured) {
        return configured;
    }
    std::string exeFolder = ExecutableFolder();
    if (!exeFolder.empty() && access(exeFolder.c_str(), W_OK) == 0) {
        return exeFolder;
    }
    return DataHomeFolder();
}

// "_canvtemp.tmp" -> {"_canvtemp-", ".tmp"}: what goes before and after the process id.
std::pair<std::string, std::string> InstanceNameParts(const std::string &name)
{
    size_t dot = name.rfind('.');
    if (dot == std::string::npos || dot == 0) {
        return {name + "-", ""};
    }
    return {name.substr(0, dot) + "-", name.substr(dot)};
}

// The process id in an instance file's name; 0 when the name is not one of name's copies.
pid_t InstanceOf(std::string_view file, const std::pair<std::string, std::string> &parts)
{
    const auto &[before, after] = parts;
    if (file.size() <= before.size() + after.size() || !file.starts_with(before) || !file.ends_with(after)) {
        return 0;
    }
    std::string_view digits = file.substr(before.size(), file.size() - before.size() - after.size());
    if (digits.size() > 9 || digits.front() == '0') {
        return 0;
    }
    pid_t pid = 0;
    for (char c : digits) {
        if (c < '0' || c > '9') {
            return 0;
        }
        pid = pid * 10 + (c - '0');
    }
    return pid;
}

// Only a process that certainly does not exist has ended; one we may not signal still runs.
bool ProcessEnded(pid_t pid)
{
    return kill(pid, 0) != 0 && errno == ESRCH;
}

constexpr char kClaimFileName[] = "_owner.lock";

// This program's claim file, opened and locked on its first claim (again in a forked child).
struct ClaimFile {
    int fd = -1;
    pid_t owner = 0;
};

ClaimFile &Claims()
{
    static ClaimFile claims;
    return claims;
}

bool SameFile(int fd, const std::string &name)
{
    struct stat opened, named;
    return fstat(fd, &opened) == 0 && lstat(name.c_str(), &named) == 0 && opened.st_dev == named.st_dev &&
           opened.st_ino == named.st_ino;
}

// Opens the lock file name (created when missing; a link, pipe or anything else but a regular
// file there is replaced, never followed or opened so that it blocks) and takes its lock for as
// long as the descriptor stays open. -1 when another process holds it.
int TakeLockFile(const std::string &name, int extraFlags)
{
    for (int attempt = 0; attempt < 3; ++attempt) {
        int fd = open(name.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC | extraFlags, 0600);
        struct stat info;
        if (fd < 0 || fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
            if (fd >= 0) {
                close(fd);
            } else if (errno != ELOOP) {
                return -1;
            }
            unlink(name.c_str());
            continue;
        }
        if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
            close(fd);
            return -1;
        }
        // Whoever held it before may have removed the name meanwhile.
        if (SameFile(fd, name)) {
            return fd;
        }
        close(fd);
    }
    return -1;
}

// Opens and locks this program's claim file, emptied of what a program of the same id left.
int OpenOwnClaimFile()
{
    int fd = TakeLockFile(InstanceFile(kClaimFileName), O_APPEND);
    if (fd >= 0 && ftruncate(fd, 0) != 0) {
        close(fd);
        fd = -1;
    }
    return fd;
}

}  // namespace

void ClaimProgramFile(const std::string &name)
{
    ClaimFile &claims = Claims();
    if (claims.owner != getpid()) {
        claims.fd = OpenOwnClaimFile();  // an inherited descriptor stays with the parent's lock
        claims.owner = getpid();
    }
    const std::string line = name + "\n";
    if (claims.fd >= 0) {
        [[maybe_unused]] ssize_t written = write(claims.fd, line.data(), line.size());
    }
}

std::set<std::string> ClaimedByOtherPrograms()
{
    const auto parts = InstanceNameParts(kClaimFileName);
    std::set<std::string> claimed;
    std::error_code error;
    for (fs::directory_iterator it(ProgramFolder(), error), end; !error && it != end; it.increment(error)) {
        const std::string name = it->path().string();
        pid_t pid = InstanceOf(it->path().filename().native(), parts);
        if (pid <= 0 || pid == getpid()) {
            continue;
        }
        int fd = open(name.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
        struct stat info;
        if (fd < 0 || fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
            if (fd >= 0) {
                close(fd);
            }
            continue;
        }
        if (flock(fd, LOCK_SH | LOCK_NB) == 0) {
            if (SameFile(fd, name)) {
                unlink(name.c_str());  // its program has ended
            }
        } else {
            std::string text;
            char buffer[4096];
            ssize_t n;
            while ((n = read(fd, buffer, sizeof buffer)) > 0) {
                text.append(buffer, static_cast<size_t>(n));
            }
            for (size_t start = 0, newline; (newline = text.find('\n', start)) != std::string::npos;
                 start = newline + 1) {
                claimed.insert(text.substr(start, newline - start));
            }
        }
        close(fd);
    }
    return claimed;
}

std::string InstanceFile(const std::string &name)
{
    auto [before, after] = InstanceNameParts(name);
    return ProgramFile(before + std::to_string(getpid()) + after);
}

int RemoveStaleInstanceFiles(const std::string &name)
{
    const auto parts = InstanceNameParts(name);
    std::error_code error;
    int removed = 0;
    for (fs::directory_iterator it(ProgramFolder(), error), end; !error && it != end; it.increment(error)) {
        pid_t pid = InstanceOf(it->path().filename().native(), parts);
        if (pid > 0 && pid != getpid() && ProcessEnded(pid) && it->is_regular_file(error)) {
            std::error_code ignored;
            removed += fs::remove(it->path(), ignored) ? 1 : 0;
        }
    }
    return removed;
}

std::string ProgramFolder()
{
    std::string folder = ChooseFolder();
    while (folder.size() > 1 && folder.back() == '/') {
        folder.pop_back();
    }
    std::error_code error;
    fs::create_directories(folder, error);
    return folder;
}

std::string ProgramFile(const std::string &name)
{
    return ProgramFolder() + "/" + name;
}

ProgramFolderLock::ProgramFolderLock()
    : name_(ProgramFile("quillark.lock")), fd_(TakeLockFile(name_, 0))
{
}

ProgramFolderLock::~ProgramFolderLock()
{
    if (fd_ >= 0) {
        unlink(name_.c_str());  // while held: a program that opened it meanwhile finds it gone
        close(fd_);
    }
}

bool ProgramFolderLock::Held() const
{
    return fd_ >= 0;
}

}  // namespace platform
