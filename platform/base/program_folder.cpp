#include "platform/base/program_folder.h"

#include <QLockFile>
#include <QString>

#include <cstdlib>
#include <filesystem>
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

}  // namespace

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
