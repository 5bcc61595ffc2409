#include "platform/base/atomic_file.h"

#include <cerrno>
#include <climits>
#include <fcntl.h>
#include <random>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {
namespace {

constexpr int kMaxLinkHops = 40;  // the kernel's own limit on nested symbolic links
constexpr int kNameAttempts = 100;

// What a system error number means, in the words of the program's messages.
std::string CauseOf(int number)
{
    switch (number) {
    case EACCES:
    case EPERM:
        return "アクセスが許可されていません";
    case ENOENT:
        return "ファイルまたはフォルダーがありません";
    case ENOTDIR:
        return "パスの途中にフォルダーでないものがあります";
    case EISDIR:
        return "フォルダーです";
    case EROFS:
        return "読み取り専用のディスクです";
    case ENOSPC:
        return "ディスクの空き容量が足りません";
    case EDQUOT:
        return "ディスクの使用量の上限を超えます";
    case EFBIG:
        return "ファイルが大きすぎます";
    case ENAMETOOLONG:
        return "ファイル名が長すぎます";
    case ELOOP:
        return "シンボリックリンクが循環しているか、深すぎます";
    case EBUSY:
    case ETXTBSY:
        return "ファイルが使用中です";
    case EIO:
        return "ディスクの読み書きに失敗しました";
    case EMFILE:
    case ENFILE:
        return "開いているファイルが多すぎます";
    case ENOMEM:
        return "メモリが足りません";
    case EEXIST:
        return "同じ名前のものがあります";
    default:
        return "システムエラー " + std::to_string(number);
    }
}

// A refusal the text says all of.
bool Refuse(std::string *error, const std::string &text)
{
    if (error) {
        *error = text;
    }
    return false;
}

// What failed, then why (errno).
bool Fail(std::string *error, const std::string &what)
{
    return Refuse(error, what + "。" + CauseOf(errno) + "。");
}

std::string FolderOf(const std::string &path)
{
    size_t slash = path.rfind('/');
    if (slash == std::string::npos) {
        return ".";
    }
    return slash == 0 ? "/" : path.substr(0, slash);
}

// The file a path names once symbolic links are followed; a dangling link names the file it
// would create. Empty (errno ELOOP) for a loop of links.
std::string FollowLinks(const std::string &path)
{
    std::string current = path;
    for (int hop = 0; hop < kMaxLinkHops; ++hop) {
        struct stat info;
        if (lstat(current.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) {
            return current;
        }
        std::string target(PATH_MAX, '\0');
        ssize_t length = readlink(current.c_str(), target.data(), target.size());
        if (length <= 0) {
            return current;
        }
        target.resize(static_cast<size_t>(length));
        current = target.front() == '/' ? target : FolderOf(current) + "/" + target;
    }
    errno = ELOOP;
    return {};
}

bool InGroup(gid_t group)
{
    if (group == getegid()) {
        return true;
    }
    gid_t groups[NGROUPS_MAX];
    int count = getgroups(NGROUPS_MAX, groups);
    for (int i = 0; i < count; ++i) {
        if (groups[i] == group) {
            return true;
        }
    }
    return false;
}

// Whether the mode bits let this user replace the file.
bool ModeAllows(const struct stat &info)
{
    uid_t user = geteuid();
    if (user == 0) {
        return (info.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) != 0;
    }
    if (info.st_uid == user) {
        return (info.st_mode & S_IWUSR) != 0;
    }
    return (info.st_mode & (InGroup(info.st_gid) ? S_IWGRP : S_IWOTH)) != 0;
}

// A short name for the temporary file, so that a target name of any legal length still leaves
// room for it: ".qk-" and six letters or digits.
std::string TemporaryName(const std::string &folder)
{
    static const char kLetters[] = "abcdefghijklmnopqrstuvwxyz0123456789";
    thread_local std::mt19937 random{std::random_device{}()};
    std::string name = folder + "/.qk-";
    for (int i = 0; i < 6; ++i) {
        name += kLetters[random() % (sizeof kLetters - 1)];
    }
    return name;
}

// The file being written: unnamed (O_TMPFILE) where the file system allows it, so a crash leaves
// nothing; it gets its temporary name only when every byte is on disk.
struct TemporaryFile {
    int fd = -1;
    std::string name;  // empty while unnamed

    ~TemporaryFile()
    {
        if (fd >= 0) {
            close(fd);
        }
        if (!name.empty()) {
            unlink(name.c_str());
        }
    }

    bool Create(const std::string &folder)
    {
        // The unnamed file is named later through /proc, so it is used only where /proc is there.
        if (access("/proc/self/fd", F_OK) == 0) {
            fd = open(folder.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0600);
        }
        for (int attempt = 0; fd < 0 && attempt < kNameAttempts; ++attempt) {
            std::string candidate = TemporaryName(folder);
            fd = open(candidate.c_str(), O_CREAT | O_EXCL | O_WRONLY | O_CLOEXEC, 0600);
            if (fd >= 0) {
                name = candidate;
            } else if (errno != EEXIST) {
                return false;
            }
        }
        return fd >= 0;
    }

    // Gives an unnamed file its temporary name.
    bool Name(const std::string &folder)
    {
        std::string self = "/proc/self/fd/" + std::to_string(fd);
        for (int attempt = 0; name.empty() && attempt < kNameAttempts; ++attempt) {
            std::string candidate = TemporaryName(folder);
            if (linkat(AT_FDCWD, self.c_str(), AT_FDCWD, candidate.c_str(), AT_SYMLINK_FOLLOW) == 0) {
                name = candidate;
            } else if (errno != EEXIST) {
                return false;
            }
        }
        return !name.empty();
    }

    // Flushes and closes; the descriptor is closed whatever fsync reports.
    bool Close()
    {
        bool synced = fsync(fd) == 0;
        int saved = errno;
        bool closed = close(fd) == 0;
        fd = -1;
        if (!synced) {
            errno = saved;
        }
        return synced && closed;
    }
};

bool WriteAll(int fd, std::string_view bytes)
{
    const char *data = bytes.data();
    size_t left = bytes.size();
    while (left > 0) {
        ssize_t written = write(fd, data, left);
        if (written < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        data += written;
        left -= static_cast<size_t>(written);
    }
    return true;
}

// Writes the bytes over the start of an open file and cuts it to their length; synced.
bool OverwriteAll(int fd, std::string_view bytes)
{
    return lseek(fd, 0, SEEK_SET) == 0 && WriteAll(fd, bytes) &&
           ftruncate(fd, static_cast<off_t>(bytes.size())) == 0 && fsync(fd) == 0;
}

// A file with other hard links is written in place, so that every name sees the new bytes. A
// synced copy of the old bytes stays beside it until the new ones are written and synced; when
// writing fails the old bytes are put back, and if even that fails the copy is kept and named.
bool WriteInPlace(const std::string &path, const std::string &target, const struct stat &existing,
                  std::string_view bytes, std::string *error)
{
    std::string old;
    if (!ReadWholeFile(target, old)) {
        return Fail(error, "[" + path + "] を読み込めません");
    }
    const std::string folder = FolderOf(target);
    TemporaryFile copy;
    if (!copy.Create(folder) || !WriteAll(copy.fd, old) || (copy.name.empty() && !copy.Name(folder)) ||
        !copy.Close()) {
        return Fail(error, "[" + path + "] の元の内容の控えを作れません");
    }
    // O_NONBLOCK and the identity check: the name may have been replaced since it was looked at.
    int fd = open(target.c_str(), O_WRONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    struct stat opened;
    if (fd < 0 || fstat(fd, &opened) != 0 || opened.st_ino != existing.st_ino || opened.st_dev != existing.st_dev) {
        if (fd >= 0) {
            close(fd);
            errno = EBUSY;
        }
        return Fail(error, "[" + path + "] に書き込めません");
    }
    if (OverwriteAll(fd, bytes)) {
        return close(fd) == 0 || Fail(error, "[" + path + "] に書き込めません");
    }
    const int cause = errno;
    const bool restored = OverwriteAll(fd, old);
    close(fd);
    errno = cause;
    if (!restored) {
        std::string kept = copy.name;
        copy.name.clear();  // the only whole copy of the old bytes
        return Fail(error, "[" + path + "] に書き込めません。元の内容は [" + kept + "] に残してあります");
    }
    return Fail(error, "[" + path + "] に書き込めません");
}

}  // namespace

bool WriteFileAtomically(const std::string &path, std::string_view bytes, std::string *error)
{
    const std::string target = FollowLinks(path);
    if (target.empty()) {
        return Fail(error, "[" + path + "] を置き換えられません");
    }
    struct stat existing;
    const bool exists = stat(target.c_str(), &existing) == 0;
    if (exists && !S_ISREG(existing.st_mode)) {
        // A pipe, a device, a socket or a folder would be replaced by a regular file.
        errno = EINVAL;
        return Refuse(error, "[" + path + "] は通常のファイルではありません。パイプやデバイス、フォルダーには保存できません。");
    }
    if (exists && !ModeAllows(existing)) {
        errno = EACCES;
        return Refuse(error, "[" + path + "] は読み取り専用のため置き換えられません。");
    }
    if (exists && existing.st_nlink > 1) {
        return WriteInPlace(path, target, existing, bytes, error);
    }
    mode_t mode = 0;
    if (exists) {
        mode = existing.st_mode & 07777;
    } else {
        mode_t mask = umask(0);
        umask(mask);
        mode = 0666 & ~mask;
    }

    const std::string folder = FolderOf(target);
    TemporaryFile temp;
    if (!temp.Create(folder)) {
        return Fail(error, "[" + path + "] と同じフォルダーにファイルを作れません");
    }
    if (exists) {
        // Keeps the owner where the user may (the superuser saving someone else's drawing).
        [[maybe_unused]] int ignored = fchown(temp.fd, existing.st_uid, existing.st_gid);
    }
    if (!WriteAll(temp.fd, bytes) || fchmod(temp.fd, mode) != 0 || (temp.name.empty() && !temp.Name(folder)) ||
        !temp.Close()) {
        return Fail(error, "[" + path + "] に書き込めません");
    }
    if (rename(temp.name.c_str(), target.c_str()) != 0) {
        return Fail(error, "[" + path + "] を置き換えられません");
    }
    temp.name.clear();
    return true;
}

ReadableFile::ReadableFile(const std::string &path)
{
    // O_NONBLOCK: opening a pipe would otherwise wait for a writer for ever.
    fd_ = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd_ < 0) {
        return;
    }
    struct stat info;
    if (fstat(fd_, &info) != 0 || !S_ISREG(info.st_mode)) {
        close(fd_);
        fd_ = -1;
        return;
    }
    size_ = info.st_size;
}

ReadableFile::~ReadableFile()
{
    if (fd_ >= 0) {
        close(fd_);
    }
}

int64_t ReadableFile::Read(char *into, size_t count)
{
    if (fd_ < 0) {
        return -1;
    }
    for (;;) {
        ssize_t n = read(fd_, into, count);
        if (n >= 0 || errno != EINTR) {
            return n;
        }
    }
}

bool ReadWholeFile(const std::string &path, std::string &bytes, int64_t maxBytes)
{
    bytes.clear();
    ReadableFile file(path);
    if (!file.IsOpen() || file.Size() > maxBytes) {
        return false;
    }
    bytes.reserve(static_cast<size_t>(file.Size()));
    char buffer[65536];
    int64_t n;
    while ((n = file.Read(buffer, sizeof buffer)) > 0) {
        if (static_cast<int64_t>(bytes.size()) + n > maxBytes) {
            bytes.clear();
            return false;
        }
        bytes.append(buffer, static_cast<size_t>(n));
    }
    return n == 0;
}

std::string ReadFileHead(const std::string &path, size_t count)
{
    ReadableFile file(path);
    std::string bytes(count, '\0');
    size_t filled = 0;
    int64_t n = 0;
    while (filled < count && (n = file.Read(bytes.data() + filled, count - filled)) > 0) {
        filled += static_cast<size_t>(n);
    }
    bytes.resize(filled);
    return bytes;
}

}  // namespace platform
