#include "platform/base/atomic_file.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>
#include <functional>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace platform {
namespace {

constexpr int kMaxLinkHops = 40;  // the kernel's own limit on nested symbolic links

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

// ---- the steps of a save ----------------------------------------------------------------------

constexpr size_t kWriteChunk = size_t{1} << 20;  // bytes written by one write call

std::function<bool()> &StepHook()
{
    static std::function<bool()> hook;
    return hook;
}

// Comes before every step of a save that can fail or be cut short; false (errno EIO) when the
// test hook fails it.
bool Step()
{
    const std::function<bool()> &hook = StepHook();
    if (hook && !hook()) {
        errno = EIO;
        return false;
    }
    return true;
}

bool WriteAll(int fd, std::string_view bytes)
{
    while (!bytes.empty()) {
        if (!Step()) {
            return false;
        }
        ssize_t written = write(fd, bytes.data(), std::min(bytes.size(), kWriteChunk));
        if (written < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        bytes.remove_prefix(static_cast<size_t>(written));
    }
    return true;
}

bool Sync(int fd)
{
    return Step() && fsync(fd) == 0;
}

// Makes the folder's names (a file linked, renamed or removed) as lasting as the files' bytes.
bool SyncFolder(const std::string &folder)
{
    int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) {
        return false;
    }
    bool synced = Sync(fd);
    int cause = errno;
    close(fd);
    errno = cause;
    return synced;
}

// Writes the bytes over the start of an open file and cuts it to their length; synced.
bool OverwriteAll(int fd, std::string_view bytes)
{
    return lseek(fd, 0, SEEK_SET) == 0 && WriteAll(fd, bytes) && Step() &&
           ftruncate(fd, static_cast<off_t>(bytes.size())) == 0 && Sync(fd);
}

// ---- what an interrupted save leaves, and who settles it -------------------------------------
//
// A save's files beside its target are named so that whoever reads the target next finds them:
// the file being written goes under ".qk-" and a hash of the target's name just before it is
// renamed over the target, and the journal of a file rewritten in place (its old bytes) under
// ".qk-j", the device and the inode. The program writing one holds an exclusive lock on it until
// it is done; a file whose lock is free was left by a program that ended, and is settled by the
// next reader.

constexpr char kPendingPrefix[] = ".qk-";
constexpr char kJournalPrefix[] = ".qk-j";
constexpr char kJournalMagic[8] = {'Q', 'K', 'J', 'R', 'N', 'L', '1', '\n'};

std::string Hex(uint64_t value)
{
    static const char kDigits[] = "0123456789abcdef";
    std::string text(16, '0');
    for (int i = 15; i >= 0; --i, value >>= 4) {
        text[static_cast<size_t>(i)] = kDigits[value & 15];
    }
    return text;
}

// FNV-1a, 64 bits.
uint64_t Hash(std::string_view bytes, uint64_t hash = 0xcbf29ce484222325ull)
{
    for (unsigned char c : bytes) {
        hash = (hash ^ c) * 0x100000001b3ull;
    }
    return hash;
}

std::string NameOf(const std::string &path)
{
    size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// Short whatever the target's length, so that a name of any legal length still leaves room.
std::string PendingName(const std::string &target)
{
    return FolderOf(target) + "/" + kPendingPrefix + Hex(Hash(NameOf(target)));
}

std::string JournalName(const std::string &folder, const struct stat &file)
{
    return folder + "/" + kJournalPrefix + Hex(static_cast<uint64_t>(file.st_dev)) + "-" +
           Hex(static_cast<uint64_t>(file.st_ino));
}

bool SameFile(const struct stat &a, const struct stat &b)
{
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// A regular file another program may be writing, opened without following a link or waiting;
// -1 when there is none.
int OpenLeftFile(const std::string &name)
{
    int fd = open(name.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    struct stat info;
    if (fd >= 0 && (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode))) {
        close(fd);
        fd = -1;
    }
    return fd;
}

enum class LeftBy { kRunningSave, kEndedSave, kNothing };

// Who left the file open at fd under name. kEndedSave: its lock is now ours and the name still
// names it; kNothing: the save finished meanwhile.
LeftBy WhoLeft(int fd, const std::string &name)
{
    if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
        return LeftBy::kRunningSave;
    }
    struct stat opened, named;
    return fstat(fd, &opened) == 0 && opened.st_nlink > 0 && lstat(name.c_str(), &named) == 0 &&
                   SameFile(opened, named)
               ? LeftBy::kEndedSave
               : LeftBy::kNothing;
}

void RemoveIfLeftByEndedSave(const std::string &name)
{
    int fd = OpenLeftFile(name);
    if (fd >= 0) {
        if (WhoLeft(fd, name) == LeftBy::kEndedSave) {
            unlink(name.c_str());
        }
        close(fd);
    }
}

// The journal: a header (the magic, the file's device and inode, the old size and the old bytes'
// hash), then the old bytes.
struct JournalHeader {
    char magic[8];
    uint64_t device;
    uint64_t inode;
    uint64_t size;
    uint64_t hash;
};

JournalHeader HeaderFor(const struct stat &file, std::string_view old)
{
    JournalHeader header{};
    std::copy(std::begin(kJournalMagic), std::end(kJournalMagic), header.magic);
    header.device = static_cast<uint64_t>(file.st_dev);
    header.inode = static_cast<uint64_t>(file.st_ino);
    header.size = old.size();
    header.hash = Hash(old);
    return header;
}

enum class JournalRead { kWhole, kBroken, kUnreadable };

// Reads the old bytes a journal of the file holds. kBroken: it is not whole (its save ended
// before the file was touched).
JournalRead ReadJournal(int fd, const struct stat &file, std::string &old)
{
    JournalHeader header{};
    struct stat info;
    if (fstat(fd, &info) != 0 || pread(fd, &header, sizeof header, 0) < 0) {
        return JournalRead::kUnreadable;
    }
    if (static_cast<uint64_t>(info.st_size) < sizeof header ||
        !std::equal(std::begin(kJournalMagic), std::end(kJournalMagic), header.magic) ||
        header.device != static_cast<uint64_t>(file.st_dev) || header.inode != static_cast<uint64_t>(file.st_ino) ||
        header.size != static_cast<uint64_t>(info.st_size) - sizeof header) {
        return JournalRead::kBroken;
    }
    try {
        old.resize(header.size);
    } catch (const std::bad_alloc &) {
        return JournalRead::kUnreadable;
    }
    size_t filled = 0;
    while (filled < old.size()) {
        ssize_t n = pread(fd, old.data() + filled, old.size() - filled, static_cast<off_t>(sizeof header + filled));
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            return JournalRead::kUnreadable;
        }
        filled += static_cast<size_t>(n);
    }
    return Hash(old) == header.hash ? JournalRead::kWhole : JournalRead::kBroken;
}

// Puts a dead save's old bytes back into the file and removes its journal. False when the file
// cannot be written (the journal then stays, and readers read the old bytes from it).
bool RollBack(int journal, const std::string &journalName, const std::string &target, const struct stat &file)
{
    std::string old;
    switch (ReadJournal(journal, file, old)) {
    case JournalRead::kBroken:
        unlink(journalName.c_str());  // its save never touched the file
        return true;
    case JournalRead::kUnreadable:
        return false;
    case JournalRead::kWhole:
        break;
    }
    int fd = open(target.c_str(), O_WRONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    struct stat opened;
    bool restored = fd >= 0 && fstat(fd, &opened) == 0 && SameFile(opened, file) && OverwriteAll(fd, old);
    if (fd >= 0) {
        close(fd);
    }
    return restored && Step() && unlink(journalName.c_str()) == 0;
}

// Settles what an interrupted save of the file at path left beside it: a file that was to replace
// it is removed, a journal of a save that ended is rolled back. Returns a descriptor positioned
// at the file's old bytes when they must be read from the journal (a save of the file is running,
// or the rollback failed), with their count in oldSize; else -1.
int SettleInterruptedSave(const std::string &path, int64_t &oldSize)
{
    const std::string target = FollowLinks(path);
    struct stat file;
    if (target.empty() || stat(target.c_str(), &file) != 0 || !S_ISREG(file.st_mode)) {
        return -1;
    }
    RemoveIfLeftByEndedSave(PendingName(target));
    const std::string journalName = JournalName(FolderOf(target), file);
    int journal = OpenLeftFile(journalName);
    if (journal < 0) {
        return -1;
    }
    std::string old;
    const LeftBy left = WhoLeft(journal, journalName);
    if (left == LeftBy::kNothing || (left == LeftBy::kEndedSave && RollBack(journal, journalName, target, file)) ||
        ReadJournal(journal, file, old) != JournalRead::kWhole) {
        close(journal);
        return -1;
    }
    oldSize = static_cast<int64_t>(old.size());
    lseek(journal, sizeof(JournalHeader), SEEK_SET);
    return journal;
}

// ---- the files a save writes -----------------------------------------------------------------

// An unnamed file (O_TMPFILE) where the file system allows it, so a crash while writing leaves
// nothing; it is named only when every byte is on disk. Locked while it lives.
struct SaveFile {
    int fd = -1;
    std::string name;  // empty while unnamed

    ~SaveFile()
    {
        if (!name.empty()) {
            unlink(name.c_str());
        }
        if (fd >= 0) {
            close(fd);
        }
    }

    // A file in folder that gets the name wanted (no other save of it may be running).
    bool Create(const std::string &folder, const std::string &wanted)
    {
        // The unnamed file is named later through /proc, so it is used only where /proc is there.
        if (access("/proc/self/fd", F_OK) == 0) {
            fd = open(folder.c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0600);
        }
        if (fd >= 0) {
            return flock(fd, LOCK_EX) == 0;
        }
        fd = CreateNamed(wanted);
        if (fd < 0 && errno == EEXIST) {
            RemoveIfLeftByEndedSave(wanted);
            fd = CreateNamed(wanted);
        }
        if (fd < 0) {
            return Busy();
        }
        name = wanted;
        // Locked before anyone could take it for left over, or a reader has removed it already.
        struct stat opened, named;
        if (flock(fd, LOCK_EX | LOCK_NB) != 0 || fstat(fd, &opened) != 0 || lstat(wanted.c_str(), &named) != 0 ||
            !SameFile(opened, named)) {
            name.clear();
            errno = EBUSY;
            return false;
        }
        return true;
    }

    // Gives an unnamed file its name.
    bool Name(const std::string &wanted)
    {
        if (!name.empty()) {
            return true;
        }
        std::string self = "/proc/self/fd/" + std::to_string(fd);
        auto link = [&] {
            return Step() && linkat(AT_FDCWD, self.c_str(), AT_FDCWD, wanted.c_str(), AT_SYMLINK_FOLLOW) == 0;
        };
        bool linked = link();
        if (!linked && errno == EEXIST) {
            RemoveIfLeftByEndedSave(wanted);
            linked = link();
        }
        if (!linked) {
            return Busy();
        }
        name = wanted;
        return true;
    }

private:
    static int CreateNamed(const std::string &wanted)
    {
        return open(wanted.c_str(), O_CREAT | O_EXCL | O_RDWR | O_NOFOLLOW | O_CLOEXEC, 0600);
    }
    // Another program is saving the same file this instant.
    static bool Busy()
    {
        if (errno == EEXIST) {
            errno = EBUSY;
        }
        return false;
    }
};

// The old bytes of a file rewritten in place, synced before the file is touched.
struct Journal : SaveFile {
    bool Write(const std::string &folder, const struct stat &file, std::string_view old)
    {
        const std::string wanted = JournalName(folder, file);
        const JournalHeader header = HeaderFor(file, old);
        return Create(folder, wanted) &&
               WriteAll(fd, std::string_view(reinterpret_cast<const char *>(&header), sizeof header)) &&
               WriteAll(fd, old) && Sync(fd) && Name(wanted) && SyncFolder(folder);
    }

    // Once the new bytes are synced: the journal goes (or, when it cannot, is emptied, which makes
    // it one that never held anything). False when it stays whole.
    bool Discard()
    {
        bool gone = (Step() && unlink(name.c_str()) == 0) || (ftruncate(fd, 0) == 0 && fsync(fd) == 0);
        name.clear();
        return gone;
    }

    // Kept for the next reader to roll back.
    void Keep() { name.clear(); }
};

// A file with other hard links is written in place, so that every name sees the new bytes; its
// journal is there from before the file is touched until the new bytes are synced.
bool WriteInPlace(const std::string &path, const std::string &target, const struct stat &existing,
                  std::string_view bytes, std::string *error)
{
    std::string old;
    if (!ReadWholeFile(target, old)) {
        return Fail(error, "[" + path + "] を読み込めません");
    }
    Journal journal;
    if (!journal.Write(FolderOf(target), existing, old)) {
        return Fail(error, "[" + path + "] の元の内容の控えを作れません");
    }
    // O_NONBLOCK and the identity check: the name may have been replaced since it was looked at.
    int fd = open(target.c_str(), O_WRONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    struct stat opened;
    if (fd < 0 || fstat(fd, &opened) != 0 || !SameFile(opened, existing)) {
        if (fd >= 0) {
            close(fd);
            errno = EBUSY;
        }
        return Fail(error, "[" + path + "] に書き込めません");
    }
    const bool written = OverwriteAll(fd, bytes) && journal.Discard();
    const int cause = errno;
    if (written) {
        return close(fd) == 0 || Fail(error, "[" + path + "] に書き込めません");
    }
    if (OverwriteAll(fd, old)) {
        journal.Discard();
    } else {
        journal.Keep();  // the next reader puts the old bytes back
    }
    close(fd);
    errno = cause;
    return Fail(error, "[" + path + "] に書き込めません");
}

// Writes the bytes to an unnamed file beside target and renames it over target; existing (the
// file there, when one is) gives the mode and owner.
bool ReplaceWhole(const std::string &path, const std::string &target, const struct stat *existing,
                  std::string_view bytes, std::string *error)
{
    mode_t mode = 0;
    if (existing) {
        mode = existing->st_mode & 07777;
    } else {
        mode_t mask = umask(0);
        umask(mask);
        mode = 0666 & ~mask;
    }
    const std::string pending = PendingName(target);
    SaveFile temp;
    if (!temp.Create(FolderOf(target), pending)) {
        return Fail(error, "[" + path + "] と同じフォルダーにファイルを作れません");
    }
    if (existing) {
        // Keeps the owner where the user may (the superuser saving someone else's drawing).
        [[maybe_unused]] int ignored = fchown(temp.fd, existing->st_uid, existing->st_gid);
    }
    if (!WriteAll(temp.fd, bytes) || fchmod(temp.fd, mode) != 0 || !Sync(temp.fd) || !temp.Name(pending)) {
        return Fail(error, "[" + path + "] に書き込めません");
    }
    if (!Step() || rename(temp.name.c_str(), target.c_str()) != 0) {
        return Fail(error, "[" + path + "] を置き換えられません");
    }
    temp.name.clear();
    return true;
}

}  // namespace

void SetSaveStepHook(std::function<bool()> hook)
{
    StepHook() = std::move(hook);
}

void SettleInterruptedSaves(const std::string &folder)
{
    DIR *listing = opendir(folder.c_str());
    if (!listing) {
        return;
    }
    std::vector<std::string> journals;
    std::vector<std::string> names;
    while (const dirent *entry = readdir(listing)) {
        const std::string name = entry->d_name;
        if (name.starts_with(kJournalPrefix)) {
            journals.push_back(name);
        } else if (name.starts_with(kPendingPrefix)) {
            RemoveIfLeftByEndedSave(folder + "/" + name);
        } else {
            names.push_back(name);
        }
    }
    closedir(listing);
    // A journal is settled by reading a name of its file.
    for (const std::string &journal : journals) {
        for (const std::string &name : names) {
            struct stat file;
            if (lstat((folder + "/" + name).c_str(), &file) == 0 && S_ISREG(file.st_mode) &&
                JournalName(folder, file) == folder + "/" + journal) {
                ReadableFile settled(folder + "/" + name);
                break;
            }
        }
    }
}

bool WriteFileAtomically(const std::string &path, std::string_view bytes, std::string *error)
{
    const std::string target = FollowLinks(path);
    if (target.empty()) {
        return Fail(error, "[" + path + "] を置き換えられません");
    }
    {
        ReadableFile settled(target);  // an earlier save of it that was cut short goes first
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
    return ReplaceWhole(path, target, exists ? &existing : nullptr, bytes, error);
}

bool WriteProgramFile(const std::string &path, std::string_view bytes, std::string *error)
{
    struct stat existing;
    const bool exists = lstat(path.c_str(), &existing) == 0;
    if (exists && S_ISDIR(existing.st_mode)) {
        errno = EISDIR;
        return Fail(error, "[" + path + "] を置き換えられません");
    }
    return ReplaceWhole(path, path, exists && S_ISREG(existing.st_mode) ? &existing : nullptr, bytes, error);
}

int CreateProgramFile(const std::string &path)
{
    struct stat existing;
    if (lstat(path.c_str(), &existing) == 0 && !S_ISDIR(existing.st_mode)) {
        unlink(path.c_str());
    }
    return open(path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC, 0600);
}

ReadableFile::ReadableFile(const std::string &path)
{
    fd_ = SettleInterruptedSave(path, size_);
    if (fd_ >= 0) {
        return;
    }
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
