#include "platform/base/program_folder.h"

#include <QLockFile>
#include <QString>

#include <cerrno>
#include <csignal>
#include <cstdlib>
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

}  // namespace

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
    : lock_(std::make_unique<QLockFile>(QString::fromStdString(ProgramFile("quillark.lock"))))
{
    // Only a lock whose program no longer runs is stale, however old it is.
    lock_->setStaleLockTime(0);
    lock_->tryLock(0);
}

ProgramFolderLock::~ProgramFolderLock() = default;

bool ProgramFolderLock::Held() const
{
    return lock_->isLocked();
}

}  // namespace platform
