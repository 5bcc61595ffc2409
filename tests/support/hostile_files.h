// Small files that cost a reader much more than their size, and a measure of that cost that does
// not depend on the machine's speed: the growth of a process's peak memory.
#pragma once

#include <csetjmp>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

#include <jpeglib.h>

namespace testsupport {

inline int64_t StatusKilobytes(const char *field)
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind(field, 0) == 0) {
            return std::strtoll(line.c_str() + std::char_traits<char>::length(field), nullptr, 10);
        }
    }
    return -1;
}

// Runs work in a child process and returns how far the child's peak resident memory rose while it
// ran, in bytes; -1 when the child did not finish normally.
inline int64_t PeakMemoryGrowth(const std::function<void()> &work)
{
    int channel[2];
    if (pipe(channel) != 0) {
        return -1;
    }
    pid_t child = fork();
    if (child == 0) {
        close(channel[0]);
        std::ofstream("/proc/self/clear_refs") << "5";  // the peak starts again from here
        int64_t before = StatusKilobytes("VmHWM:");
        work();
        int64_t growth = (StatusKilobytes("VmHWM:") - before) * 1024;
        ssize_t written = write(channel[1], &growth, sizeof growth);
        _exit(written == sizeof growth ? 0 : 1);
    }
    close(channel[1]);
    int64_t growth = -1;
    if (read(channel[0], &growth, sizeof growth) != sizeof growth) {
        growth = -1;
    }
    close(channel[0]);
    int status = 0;
    waitpid(child, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? growth : -1;
}

// A grey 64 x 64 progressive JPEG whose first scan is repeated extraScans more times (the decoder
// takes each repetition as another scan).
inline std::string ProgressiveJpegWithScans(int extraScans)
{
    jpeg_compress_struct info{};
    jpeg_error_mgr errors{};
    info.err = jpeg_std_error(&errors);
    jpeg_create_compress(&info);
    unsigned char *buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&info, &buffer, &size);
    info.image_width = 64;
    info.image_height = 64;
    info.input_components = 1;
    info.in_color_space = JCS_GRAYSCALE;
    jpeg_set_defaults(&info);
    jpeg_simple_progression(&info);
    jpeg_start_compress(&info, TRUE);
    unsigned char row[64];
    while (info.next_scanline < info.image_height) {
        for (int x = 0; x < 64; ++x) {
            row[x] = static_cast<unsigned char>(x * 4 ^ info.next_scanline * 4);
        }
        JSAMPROW rows[1] = {row};
        jpeg_write_scanlines(&info, rows, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    std::string jpeg(reinterpret_cast<const char *>(buffer), size);
    std::free(buffer);

    // The first scan: its SOS segment and entropy-coded data, up to the next marker.
    size_t start = jpeg.find("\xFF\xDA");
    size_t end = start + 2;
    while (end + 1 < jpeg.size() &&
           !(static_cast<unsigned char>(jpeg[end]) == 0xFF && jpeg[end + 1] != '\0' &&
             (static_cast<unsigned char>(jpeg[end + 1]) < 0xD0 || static_cast<unsigned char>(jpeg[end + 1]) > 0xD7))) {
        ++end;
    }
    std::string scan = jpeg.substr(start, end - start);
    std::string copies;
    for (int i = 0; i < extraScans; ++i) {
        copies += scan;
    }
    return jpeg.insert(end, copies);
}

}  // namespace testsupport
