// Small helpers shared by the tests.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace testsupport {

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
