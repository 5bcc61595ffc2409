// Files the user keeps are written whole to a temporary file beside the target and renamed over
// it only after every write succeeded; a failure leaves the old file as it was.
//
// Every file is read through ReadableFile: opening never blocks, and only regular files are read,
// so a pipe or a device named as a drawing or picture is refused at once.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace platform {

// Writes the bytes to path. Returns false (and a reason for the user in *error when given) on any
// failure.
// A symbolic link is written through to the file it names; an existing file keeps its permission
// bits and owner, and one that its mode marks read-only for this user is not replaced (decided by
// the mode bits, not by trying: the superuser, whom the kernel lets write anything, is refused a
// file without any write bit). The data goes to an unnamed file first, named beside the target
// only once synced and then renamed over it. Only a regular file is replaced: a pipe, device,
// socket or folder at the path is refused. A file with other hard links is written in place
// (every name sees the new bytes), after a journal of its old bytes beside it is synced; the
// journal goes once the new bytes are synced, and a failure puts the old bytes back.
//
// A save cut short at any instant (the program killed) leaves every name of the file reading
// whole, old or new, to whoever reads it next through ReadableFile: what the save left beside the
// file is settled first (its journal rolled back, its file to be renamed removed) when the
// program that wrote it no longer runs; while it still runs, the old bytes are read.
bool WriteFileAtomically(const std::string &path, std::string_view bytes, std::string *error = nullptr);

// A file of the program's own in the program folder (a temporary movie, a pending-change backup),
// written as WriteFileAtomically writes, except that whatever stands at the name (a symbolic
// link, a pipe, a file with other hard links) is replaced by the new file, never followed, opened
// or written into.
bool WriteProgramFile(const std::string &path, std::string_view bytes, std::string *error = nullptr);

// Creates such a file afresh for writing bit by bit (whatever stood at the name is removed first),
// private to this user; the descriptor, or -1 (errno) when it cannot be created.
int CreateProgramFile(const std::string &path);

// Settles what saves cut short left in the folder (as a read of each file would): at start-up, for
// the program folder.
void SettleInterruptedSaves(const std::string &folder);

// For tests: called before every step of a save that can fail or be cut short (each piece
// written, each sync, link, rename and removal); a false return fails that step. Empty: none.
void SetSaveStepHook(std::function<bool()> hook);

// A regular file opened for reading.
class ReadableFile {
public:
    explicit ReadableFile(const std::string &path);
    ~ReadableFile();
    ReadableFile(const ReadableFile &) = delete;
    ReadableFile &operator=(const ReadableFile &) = delete;

    bool IsOpen() const { return fd_ >= 0; }
    // The size when it was opened.
    int64_t Size() const { return size_; }
    // Up to count bytes from the current position: the number read, 0 at the end, -1 on an error.
    int64_t Read(char *into, size_t count);
    int Descriptor() const { return fd_; }
    // Hands the descriptor on to a reader that closes it.
    void Release() { fd_ = -1; }

private:
    int fd_ = -1;
    int64_t size_ = 0;
};

// Reads a whole regular file; false when it cannot be opened or read, is not a regular file or
// is larger than maxBytes.
bool ReadWholeFile(const std::string &path, std::string &bytes, int64_t maxBytes = INT64_MAX);

// Up to count bytes from the start of a regular file; empty when it cannot be read.
std::string ReadFileHead(const std::string &path, size_t count);

}  // namespace platform
