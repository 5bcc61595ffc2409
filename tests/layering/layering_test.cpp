// The folders' layering, read from the sources: which folder may include which. The engine
// (core, movie, import and the platform stand-ins below the windows) never includes a widget
// header, and the core stands on the platform alone.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <ostream>
#include <regex>
#include <set>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

const std::vector<std::string> kWindowFolders = {"platform/forms/", "mainwindow/", "canvastools/", "toolwindows/",
                                                 "app/"};

struct Include {
    std::string file;    // relative to the source folder
    std::string header;  // as written between the quotes or angle brackets
    bool angled = false;
};

// Every #include of the folder's sources (sub-folders not included).
std::vector<Include> IncludesOf(const std::string &folder)
{
    static const std::regex kInclude(R"(^\s*#\s*include\s*([<"])([^>"]+)[>"])");
    std::vector<Include> includes;
    const fs::path root(QUILLARK_SOURCE_DIR);
    for (const fs::directory_entry &entry : fs::directory_iterator(root / folder)) {
        const std::string extension = entry.path().extension().string();
        if (!entry.is_regular_file() || (extension != ".cpp" && extension != ".h")) {
            continue;
        }
        std::ifstream in(entry.path());
        std::string line;
        std::smatch match;
        while (std::getline(in, line)) {
            if (std::regex_search(line, match, kInclude)) {
                includes.push_back({folder + entry.path().filename().string(), match[2].str(), match[1] == "<"});
            }
        }
    }
    return includes;
}

std::vector<std::string> With(std::vector<std::string> list, const std::vector<std::string> &more)
{
    list.insert(list.end(), more.begin(), more.end());
    return list;
}

struct Layer {
    std::string folder;
    std::vector<std::string> forbidden;  // folders (or single headers) it must not include
};

// Test output names the folder instead of dumping the parameter's bytes.
void PrintTo(const Layer &layer, std::ostream *os)
{
    *os << layer.folder;
}

std::vector<Layer> Layers()
{
    const std::vector<std::string> aboveCore = With(kWindowFolders, {"movie/", "import/", "platform/player/"});
    const std::vector<std::string> enginesAbovePlatform = With(kWindowFolders, {"core/", "movie/", "import/"});
    return {
        {"core/", aboveCore},
        {"import/", With(kWindowFolders, {"movie/"})},
        {"movie/", kWindowFolders},
        {"platform/base/", With(enginesAbovePlatform, {"platform/profile/", "platform/player/", "platform/glyphs/",
                                                      "platform/actionscript/", "platform/swf/"})},
        // The format layer stands on the standard library alone.
        {"platform/swf/", With(enginesAbovePlatform, {"platform/base/", "platform/profile/", "platform/player/",
                                                     "platform/glyphs/", "platform/actionscript/"})},
        {"platform/profile/", enginesAbovePlatform},
        {"platform/glyphs/", enginesAbovePlatform},
        {"platform/player/", enginesAbovePlatform},
        {"platform/actionscript/", enginesAbovePlatform},
        // The canvas tools reach the main window through their CanvasView and the tool windows
        // through their ShapeToolWindows only: no main-window or tool-window header.
        {"canvastools/", {"app/", "mainwindow/", "toolwindows/"}},
        // The tool windows reach the main window through their MainWindowLink only, and nothing of
        // the canvas tools.
        {"toolwindows/", {"app/", "mainwindow/", "canvastools/"}},
    };
}

class FolderLayering : public ::testing::TestWithParam<Layer> {};

TEST_P(FolderLayering, IncludesNothingAboveIt)
{
    const Layer &layer = GetParam();
    const std::vector<Include> includes = IncludesOf(layer.folder);
    ASSERT_FALSE(includes.empty()) << "no sources read in " << layer.folder;
    for (const Include &include : includes) {
        if (include.angled) {
            continue;
        }
        for (const std::string &forbidden : layer.forbidden) {
            EXPECT_NE(include.header.rfind(forbidden, 0), 0u) << include.file << " includes " << include.header;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Folders, FolderLayering, ::testing::ValuesIn(Layers()),
                         [](const ::testing::TestParamInfo<Layer> &info) {
                             std::string name;
                             for (char c : info.param.folder) {
                                 if (std::isalnum(static_cast<unsigned char>(c))) {
                                     name += c;
                                 }
                             }
                             return name;
                         });

// Every source folder below root (a path relative to the source folder, ending in '/'), itself included.
std::vector<std::string> FoldersBelow(const std::string &root)
{
    std::vector<std::string> folders{root};
    for (const fs::directory_entry &entry : fs::recursive_directory_iterator(fs::path(QUILLARK_SOURCE_DIR) / root)) {
        if (entry.is_directory()) {
            folders.push_back(fs::relative(entry.path(), QUILLARK_SOURCE_DIR).generic_string() + "/");
        }
    }
    return folders;
}

// Outside its own folder (and its own tests), the player is used through its public headers: the
// player itself, the group cache the main window hands to its players and the painter of figures
// drawn outside a movie.
TEST(PlayerLayering, OnlyThePublicHeadersAreIncludedFromOutside)
{
    const std::string player = "platform/player/";
    // The player itself, the cache its players share, the switches tests may set in it, and the
    // figures a metafile's picture is drawn with.
    const std::set<std::string> publicHeaders{player + "movie_player.h", player + "group_cache.h",
                                              player + "player_testing.h", player + "figure_painter.h"};
    std::vector<std::string> folders = FoldersBelow("tests/");
    for (const char *folder : {"core/", "movie/", "import/", "platform/base/", "platform/profile/", "platform/glyphs/",
                               "platform/actionscript/", "platform/swf/", "platform/forms/", "mainwindow/",
                               "canvastools/", "toolwindows/", "app/", "bench/"}) {
        folders.push_back(folder);
    }
    size_t read = 0;
    for (const std::string &folder : folders) {
        if (folder.rfind("tests/platform/player/", 0) == 0) {
            continue;  // the player's own tests may test its modules
        }
        for (const Include &include : IncludesOf(folder)) {
            ++read;
            EXPECT_TRUE(include.header.rfind(player, 0) != 0 || publicHeaders.count(include.header))
                << include.file << " includes " << include.header;
        }
    }
    EXPECT_GT(read, 1000u) << "too few includes read: is the source folder right?";
}

// The names of the toolkit's widget headers (QWidget, QLabel, QtWidgets, ...).
std::set<std::string> WidgetHeaders()
{
    std::set<std::string> names{"QtWidgets"};
    for (const fs::directory_entry &entry : fs::directory_iterator(QUILLARK_WIDGET_HEADERS)) {
        names.insert(entry.path().filename().string());
    }
    return names;
}

TEST(EngineLayering, NoEngineFolderIncludesAWidgetHeader)
{
    const std::set<std::string> widgetHeaders = WidgetHeaders();
    ASSERT_TRUE(widgetHeaders.count("QWidget"));
    for (const char *folder : {"core/", "movie/", "import/", "platform/base/", "platform/profile/", "platform/glyphs/",
                               "platform/player/", "platform/actionscript/", "platform/swf/"}) {
        for (const Include &include : IncludesOf(folder)) {
            const std::string name = include.header.substr(include.header.rfind('/') + 1);
            const bool widgets = include.header.rfind("QtWidgets/", 0) == 0 || widgetHeaders.count(name) > 0;
            EXPECT_FALSE(include.angled && widgets) << include.file << " includes <" << include.header << ">";
        }
    }
}

}  // namespace
