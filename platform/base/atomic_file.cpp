#include "platform/base/atomic_file.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {
namespace {

bool Fail(std::string *error, const std::string &what)
{
    if (error) {
        *error = what + ": " + std::strerror(errno);
    }
    return false;
}

}  // namespace

bool WriteFileAtomically(const std::string &path, std::string_view bytes, std::string *error)
{
    std::string temp = path + ".tmp-XXXXXX";
    int fd = mkstemp(temp.data());
    if (fd < 0) {
        return Fail(error, "cannot create a file beside " + path);
    }
    struct stat existing;
    mode_t mode = 0644;
    if (stat(path.c_str(), &existing) == 0) {
        mode = existing.st_mode & 07777;
    } else {
        mode_t mask = umask(0);
        umask(mask);
        mode = 0666 & ~mask;
    }
    fchmod(fd, mode);

    const char *data = bytes.data();
    size_t left = bytes.size();
    while (left > 0) {
        ssize_t written = write(fd, data, left);
        if (written < 0) {
            if (errno == EINTR) {
                continue;
            }
            int saved = errno;
            close(fd);
            unlink(temp.c_str());
            errno = saved;
            return Fail(error, "cannot write " + path);
        }
        data += written;
        left -= static_cast<size_t>(written);
    }
    if (fsync(fd) != 0 || close(fd) != 0) {
        int saved = errno;
        unlink(temp.c_str());
        errno = saved;
        return Fail(error, "cannot write " + path);
    }
    if (rename(temp.c_str(), path.c_str()) != 0) {
        int saved = errno;
        unlink(temp.c_str());
        errno = saved;
        return Fail(error, "cannot replace " + path);
    }
    return true;
}

bool ReadWholeFile(const std::string &path, std::string &bytes)
{
    bytes.clear();
    FILE *file = std::fopen(path.c_str(), "rb");
    if (!file) {
        return false;
    }
    // Only regular files: a device or a pipe may never end.
    struct stat status;
    if (fstat(fileno(file), &status) != 0 || !S_ISREG(status.st_mode)) {
        std::fclose(file);
        return false;
    }
    char buffer[65536];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, file)) > 0) {
        bytes.append(buffer, n);
    }
    bool ok = !std::ferror(file);
    std::fclose(file);
    return ok;
}

}  // namespace platform
