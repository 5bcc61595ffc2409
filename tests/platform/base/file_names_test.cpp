#include "platform/base/file_names.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

namespace {

struct SplitCase {
    std::string path;
    std::string folder;
    std::string name;
    std::string extension;
};

class FileNameParts : public ::testing::TestWithParam<SplitCase> {};

TEST_P(FileNameParts, SplitAtTheLastSlashAndDot)
{
    const SplitCase &c = GetParam();
    EXPECT_EQ(platform::GetFolderPart(c.path), c.folder);
    EXPECT_EQ(platform::GetFileNamePart(c.path), c.name);
    EXPECT_EQ(platform::GetExtensionPart(c.path), c.extension);
}

INSTANTIATE_TEST_SUITE_P(
    Paths, FileNameParts,
    ::testing::Values(SplitCase{"/home/user/drawing.qlk", "/home/user", "drawing.qlk", "qlk"},
                      SplitCase{"/drawing.QLK", "/", "drawing.QLK", "QLK"},  // the root keeps its slash; case kept
                      SplitCase{"drawing", "", "drawing", ""},
                      SplitCase{"a.b/c", "a.b", "c", ""},  // a dot in a folder name is no extension
                      SplitCase{"pic.svg.svgz", "", "pic.svg.svgz", "svgz"},
                      SplitCase{"folder/", "folder", "", ""},
                      SplitCase{"", "", "", ""}));

TEST(NormalFolder, OneFormForEveryWayOfWritingAFolder)
{
    const std::string current = std::filesystem::current_path().string();
    EXPECT_EQ(platform::NormalFolder(""), "");
    EXPECT_EQ(platform::NormalFolder("/"), "/");
    EXPECT_EQ(platform::NormalFolder("/a/./b/../c/"), "/a/c");
    EXPECT_EQ(platform::NormalFolder("/a//b///"), "/a/b");
    EXPECT_EQ(platform::NormalFolder("rel"), current + "/rel");
}

}  // namespace
