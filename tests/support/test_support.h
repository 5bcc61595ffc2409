// Small helpers shared by the tests.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <sys/resource.h>
#include <unistd.h>

namespace testsupport {

// Whether this build can run under a limit of its address space: the sanitizers' shadow memory
// takes more than any such limit allows, so the tests that need one are skipped under them.
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
inline constexpr bool kAddressSpaceLimits = false;
#else
inline constexpr bool kAddressSpaceLimits = true;
#endif

// Limits this process's address space to what it takes now and headroom bytes more, for good (in
// a child process: the limit stays). False when it could not.
inline bool LimitAddressSpace(size_t headroom)
{
    long pages = 0;
    std::ifstream statm("/proc/self/statm");
    if (!(statm >> pages) || pages <= 0) {
        return false;
    }
    const auto held = static_cast<rlim_t>(pages) * static_cast<rlim_t>(sysconf(_SC_PAGESIZE));
    const rlimit limit{held + headroom, held + headroom};
    return setrlimit(RLIMIT_AS, &limit) == 0;
}

// The program folder of this test run (a fresh temporary folder).
inline std::filesystem::path Home()
{
    const char *home = std::getenv("QUILLARK_HOME");
    return home ? std::filesystem::path(home) : std::filesystem::temp_directory_path();
}

// A path inside the program folder for a file the test writes.
inline std::string TempPath(const std::string &name)
{
    return (Home() / name).string();
}

inline std::string ReadAll(const std::string &path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void WriteAll(const std::string &path, const std::string &bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

inline std::string DataPath(const std::string &name)
{
    return std::string(QUILLARK_TEST_DATA) + "/" + name;
}

}  // namespace testsupport
