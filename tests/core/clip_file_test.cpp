#include "core/clipboard.h"

#include "core/drawing_file.h"
#include "core/path_importers.h"
#include "editing_fixture.h"
#include "import/clip_importers.h"
#include "platform/base/file_names.h"
#include "tests/support/test_support.h"

#include <filesystem>
#include <string>
#include <vector>

using namespace core;
using namespace editingtest;

namespace {

class ClipFileTest : public EditingTest {
protected:
    std::string LastStatus() const
    {
        for (auto call = host.Calls.rbegin(); call != host.Calls.rend(); ++call) {
            if (call->rfind("ShowStatus: ", 0) == 0) {
                return call->substr(12);
            }
        }
        return {};
    }
    void FillClip()
    {
        PathRecord a = MakePath({{-100, 50}, {300, 400}, {0, 900}}, true);
        a.LineWidth = 40;
        a.GroupID = 2;
        a.blGroup = true;
        Clipboard().ClipPaths = {PathRecord(), a, MakePath({{1000, 1000}, {1200, 1500}})};
        Clipboard().ClipOriginX = 7;
        Clipboard().ClipOriginY = -8;
    }
};

TEST_F(ClipFileTest, ClipFileRoundTripKeepsPathsAndOrigin)
{
    FillClip();
    PathArray saved = Clipboard().ClipPaths;
    std::string file = testsupport::TempPath("round.QKCLIP");
    ASSERT_TRUE(SaveClipFile(file));
    EXPECT_EQ(LastStatus(), "クリップを [ " + file + "] に保存しました。");
    EXPECT_EQ(testsupport::ReadAll(file).substr(0, 11), "QKCLIP030\r\n");  // capitals: still the clip format

    ClearClip();
    ASSERT_TRUE(LoadClipFile(file));
    EXPECT_EQ(LastStatus(), "ファイル [round.QKCLIP] をクリップボードに読み込みました。");
    ASSERT_EQ(GetClipCount(), 2);
    EXPECT_EQ(Points(Clipboard().ClipPaths[1]), Points(saved[1]));
    EXPECT_EQ(Clipboard().ClipPaths[1].GroupID, 2);
    EXPECT_TRUE(Clipboard().ClipPaths[1].blClosed);
    EXPECT_EQ(Clipboard().ClipOriginX, 7);
    EXPECT_EQ(Clipboard().ClipOriginY, -8);
    EXPECT_EQ(Clipboard().PasteOffsetX, 0);
}

TEST_F(ClipFileTest, EmptyClipAndUnknownExtensionsWriteNothing)
{
    std::string file = testsupport::TempPath("empty.qkclip");
    EXPECT_FALSE(SaveClipFile(file));
    EXPECT_EQ(LastStatus(), "クリップを保存できません。");
    EXPECT_FALSE(std::filesystem::exists(file));

    FillClip();
    std::string kept = testsupport::TempPath("notes.txt");
    testsupport::WriteAll(kept, "keep me");
    EXPECT_FALSE(SaveClipFile(kept));
    EXPECT_EQ(testsupport::ReadAll(kept), "keep me");
    EXPECT_NE(LastStatus().find("クリップを保存できません。"), std::string::npos);

    EXPECT_FALSE(LoadClipFile(kept));
    EXPECT_EQ(GetClipCount(), 0);
    EXPECT_EQ(testsupport::ReadAll(kept), "keep me");
}

TEST_F(ClipFileTest, DrawingFileAsClipTakesBoundsAsOriginAndLeavesSettingsAlone)
{
    FillClip();
    Doc().CurrentSettings.Width = 640;
    Doc().CurrentSettings.BackColorR = 10;
    std::string file = testsupport::TempPath("clip.qlk");
    ASSERT_TRUE(SaveClipFile(file));
    EXPECT_EQ(testsupport::ReadAll(file).substr(0, 8), "QLK030\r\n");

    CanvasSettings before = Doc().CurrentSettings;
    before.Width = 100;
    before.BackColorR = 200;
    before.BackgroundFile = "under.png";
    Doc().CurrentSettings = before;
    ASSERT_TRUE(LoadClipFile(file));
    EXPECT_EQ(Doc().CurrentSettings, before);
    ASSERT_EQ(GetClipCount(), 2);
    EXPECT_EQ(Clipboard().ClipOriginX, -140);  // left of the bounds, widened by the line width
    EXPECT_EQ(Clipboard().ClipOriginY, 10);
}

TEST_F(ClipFileTest, BadFilesLeaveAnEmptyClipAndSayWhy)
{
    FillClip();
    std::string file = testsupport::TempPath("bad.qkclip");
    testsupport::WriteAll(file, "QLK030\r\n1,0,0\r\n");
    EXPECT_FALSE(LoadClipFile(file));
    EXPECT_EQ(GetClipCount(), 0);
    EXPECT_EQ(LastStatus(), "ファイル [bad.qkclip] は不正なQuillarkクリップファイルです。");

    testsupport::WriteAll(file, "QKCLIP030\r\n3,0,0\r\n");  // ends early
    EXPECT_FALSE(LoadClipFile(file));
    EXPECT_EQ(Clipboard().ClipOriginX, 0);

    EXPECT_FALSE(LoadClipFile(testsupport::TempPath("missing.qkclip")));
    std::string wmf = testsupport::TempPath("picture.wmf");
    testsupport::WriteAll(wmf, std::string(64, '\0'));
    EXPECT_FALSE(LoadClipFile(wmf));
    EXPECT_EQ(LastStatus(), "ファイル [picture.wmf] は不正なQuillarkクリップファイルです。");
}

// Readers that give one fixed path for any SVG or metafile, and record what they were asked.
class FixedImporters : public PathImporters {
public:
    std::vector<std::string> Asked;

    bool ReadSvgFile(const std::string &path, PathCollection &paths) override
    {
        Asked.push_back("svg " + platform::GetFileNamePart(path));
        paths = Fixed();
        return true;
    }
    PathCollection ReadMetafile(const std::string &bytes) override
    {
        Asked.push_back("wmf " + bytes);
        return Fixed();
    }
    static PathCollection Fixed()
    {
        PathCollection paths;
        paths.Paths.push_back(MakePath({{300, 700}, {900, 200}}));
        return paths;
    }
};

class ImportedClipTest : public ClipFileTest {
protected:
    void TearDown() override
    {
        importer::InstallPathImporters();
        ClipFileTest::TearDown();
    }
};

TEST_F(ImportedClipTest, SvgAndMetafilesAreReadThroughTheInstalledReaders)
{
    FixedImporters importers;
    SetPathImporters(&importers);
    for (const std::string name : {"a.svg", "b.SVGZ", "c.wmf"}) {
        std::string file = testsupport::TempPath(name);
        testsupport::WriteAll(file, "bytes");
        ASSERT_TRUE(LoadClipFile(file)) << name;
        EXPECT_EQ(GetClipCount(), 1);
        EXPECT_EQ(Clipboard().ClipOriginX, 280) << name;  // the bounds, line width included
        EXPECT_EQ(Clipboard().ClipOriginY, 180) << name;
        EXPECT_EQ(LastStatus(), "ファイル [" + name + "] をクリップボードに読み込みました。");
    }
    EXPECT_EQ(importers.Asked, (std::vector<std::string>{"svg a.svg", "svg b.SVGZ", "wmf bytes"}));
}

TEST_F(ImportedClipTest, WithoutReadersAForeignFileIsABadClip)
{
    SetPathImporters(nullptr);
    for (const std::string name : {"a.svg", "c.wmf"}) {
        std::string file = testsupport::TempPath(name);
        testsupport::WriteAll(file, "bytes");
        EXPECT_FALSE(LoadClipFile(file)) << name;
        EXPECT_EQ(GetClipCount(), 0);
        EXPECT_EQ(LastStatus(), "ファイル [" + name + "] は不正なQuillarkクリップファイルです。");
    }
}

}  // namespace
