// Every SVG of the Adwaita icon theme imports without error, crash or hang.
#include "import/svg_reader.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

using namespace importer;

namespace {

const char *const kIconFolder = "/usr/share/icons/Adwaita";

std::vector<std::string> IconFiles()
{
    std::vector<std::string> files;
    std::error_code error;
    for (auto it = std::filesystem::recursive_directory_iterator(kIconFolder, error);
         !error && it != std::filesystem::recursive_directory_iterator(); it.increment(error)) {
        std::string name = it->path().string();
        if (it->is_regular_file() && (name.ends_with(".svg") || name.ends_with(".svgz"))) {
            files.push_back(name);
        }
    }
    return files;
}

}  // namespace

TEST(SvgIconTheme, EveryAdwaitaIconImports)
{
    if (!std::filesystem::is_directory(kIconFolder)) {
        GTEST_SKIP() << "adwaita-icon-theme is not installed";
    }
    std::vector<std::string> files = IconFiles();
    ASSERT_FALSE(files.empty());
    size_t loaded = 0;
    for (const std::string &file : files) {
        auto started = std::chrono::steady_clock::now();
        SvgReader reader;
        bool ok = reader.LoadSvg(file);
        auto elapsed = std::chrono::steady_clock::now() - started;
        EXPECT_LT(elapsed, std::chrono::seconds(2)) << file;
        EXPECT_TRUE(ok) << file;
        if (ok) {
            ++loaded;
            core::PathCollection paths = reader.GetPathRecords();
            EXPECT_GT(paths.PathCount(), 0) << file;
            EXPECT_GT(reader.width(), 0) << file;
            EXPECT_GT(reader.height(), 0) << file;
        }
    }
    EXPECT_EQ(loaded, files.size());
}
