// The animation preview: the movie built from selected drawings (read back with the player's
// format layer) and the window that plays it.
#include "core/document.h"
#include "core/drawing_file.h"
#include "core/host.h"
#include "movie/canvas_movie.h"
#include "movie/movie_writer.h"
#include "platform/forms/window_placement.h"
#include "tests/support/canvas_movie_fixture.h"
#include "tests/support/drawing_files.h"
#include "tests/support/movie_tags.h"
#include "tests/support/test_support.h"
#include "toolwindows/animation_preview.h"
#include "toolwindows/preview_window.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <variant>

namespace testsupport {
namespace {

namespace fs = std::filesystem;
using platform::swf::TagCode;

class PreviewHost : public core::Host {
public:
    bool underlay = false;
    bool inFront = false;
    std::vector<std::string> calls;

    bool UnderlayChecked() const override { return underlay; }
    bool UnderlayInFrontChecked() const override { return inFront; }
    void ShowStatus(const std::string &text) override { calls.push_back("status:" + text); }
    void ReloadCanvas() override { calls.push_back("ReloadCanvas"); }
    void RefreshList() override { calls.push_back("RefreshList"); }
    void RefreshPosition() override { calls.push_back("RefreshPosition"); }
    void RefreshGradient() override { calls.push_back("RefreshGradient"); }
};

class AnimationPreviewTest : public CanvasMovieFixture<PreviewHost> {
protected:
    void SetUp() override
    {
        CanvasMovieFixture::SetUp();
        folder = Home() / ("preview_" + std::to_string(++counter));
        fs::create_directories(folder);
        rows.folder = folder.string();
        moviePath = (Home() / "_preview.swf").string();
    }
    void TearDown() override
    {
        toolwindows::UnloadPreviewWindow();
        CanvasMovieFixture::TearDown();
    }

    // A drawing of one square whose corner lies at `offset` twips; listed as the next row.
    void AddDrawing(const std::string &name, int32_t width, int32_t height, uint8_t red = 255, int32_t offset = 0,
                    bool selected = true)
    {
        core::CanvasSettings settings = nextSettings;
        settings.Width = width;
        settings.Height = height;
        settings.BackColorR = red;
        core::PathRecord square;
        square.Anchors = {{offset, offset, core::kOnCurve},
                          {offset + 400, offset, core::kOnCurve},
                          {offset + 400, offset + 400, core::kOnCurve},
                          {offset, offset + 400, core::kOnCurve}};
        square.blClosed = true;
        square.FillType = core::kFillSolid;
        square.FillColor = 0xFF0000FF;
        testsupport::WriteDrawing((folder / name).string(), {square}, settings);
        AddRow(name, selected);
    }
    void AddRow(const std::string &name, bool selected = true)
    {
        rows.names.push_back(name);
        rows.selected.push_back(selected);
    }

    movietags::Movie Build(int mode)
    {
        toolwindows::MakePreviewMovie(moviePath, width, height, mode, rows, pace);
        return movietags::ReadMovie(ReadAll(moviePath));
    }

    // The definition of the id when it is of the kind.
    static const movietags::Tag *Find(const movietags::Movie &movie, uint16_t id, TagCode code)
    {
        const movietags::Tag *tag = movie.Definition(id);
        return tag && tag->code == code ? tag : nullptr;
    }
    static std::string CaptionText(const movietags::Movie &movie, uint16_t id)
    {
        const movietags::Tag *tag = Find(movie, id, TagCode::DefineEditText);
        return tag ? movietags::ReadEditText(*tag).initialText : std::string("(no caption)");
    }

    static inline int counter = 0;
    core::CanvasSettings nextSettings;  // the settings of the next drawing added
    fs::path folder;
    toolwindows::PreviewRows rows;
    toolwindows::PreviewPace pace{12, 20};  // the settings' defaults
    std::string moviePath;
    int32_t width = -1;
    int32_t height = -1;
};

TEST_F(AnimationPreviewTest, FrameAnimationShowsEachDrawingWithItsNameAndTheLargestSize)
{
    AddDrawing("a.qlk", 400, 100, 10);
    AddDrawing("skipped.qlk", 900, 900, 255, 0, false);
    AddDrawing("b.qlk", 200, 300, 20);
    AddRow("picture.png");  // not a drawing: neither sizes the movie nor makes a frame
    AddDrawing("c.qlk", 100, 100, 30);
    auto movie = Build(0);
    ASSERT_TRUE(movie.read);
    EXPECT_EQ(width, 400);
    EXPECT_EQ(height, 300);
    EXPECT_EQ(movie.header.frame, (platform::swf::RectRecord{0, 8000, 0, 6000}));
    EXPECT_EQ(movie.background, (platform::swf::Rgba{10, 255, 255}));  // the first drawing's
    ASSERT_EQ(movie.frames.size(), 3u);
    // Ids follow the row index, selected or not: rows 0, 2 and 4.
    const char *names[] = {"a.qlk", "b.qlk", "c.qlk"};
    const int rowsUsed[] = {0, 2, 4};
    for (int k = 0; k < 3; ++k) {
        const uint16_t first = static_cast<uint16_t>(5 * rowsUsed[k] + 1);
        EXPECT_TRUE(Find(movie, first, TagCode::DefineShape3)) << k;
        const movietags::Tag *caption = Find(movie, first + 4, TagCode::DefineEditText);
        ASSERT_TRUE(caption) << k;
        EXPECT_EQ(movietags::ReadEditText(*caption).initialText, names[k]);
        EXPECT_EQ(movietags::ReadEditText(*caption).fontHeight, 240);
    }
    EXPECT_FALSE(movie.Definition(6));  // the unselected row 1
    // Each frame clears layers 1-4 (depths 258-261), then places caption and drawing.
    const auto &tags = movie.frames[1];
    ASSERT_GE(tags.size(), 6u);
    EXPECT_TRUE(tags[0].remove);
    EXPECT_EQ(tags[0].place.depth, 258);
    EXPECT_EQ(tags[4].place.characterId, 15);
    EXPECT_EQ(tags[4].place.depth, 261);
    EXPECT_EQ(tags[5].place.characterId, 11);
    EXPECT_EQ(tags[5].place.depth, 259);
}

TEST_F(AnimationPreviewTest, MorphingMakesInBetweenFramesFromEachDrawingToTheNext)
{
    pace.MorphFrames = 20;
    AddDrawing("a.qlk", 100, 100, 255, 0);
    AddDrawing("b.qlk", 100, 100, 255, 600);
    AddDrawing("c.qlk", 100, 100, 255, 1200);
    auto movie = Build(1);
    ASSERT_TRUE(movie.read);
    ASSERT_EQ(movie.frames.size(), 40u);
    EXPECT_FALSE(movie.Definition(1));  // the first drawing alone gives nothing
    EXPECT_TRUE(Find(movie, 6, TagCode::DefineMorphShape));
    EXPECT_TRUE(Find(movie, 11, TagCode::DefineMorphShape));
    EXPECT_EQ(CaptionText(movie, 10), "a.qlk → b.qlk");
    EXPECT_EQ(CaptionText(movie, 15), "b.qlk → c.qlk");
    auto ratioOf = [&](size_t frame) {
        for (const movietags::DisplayChange &change : movie.frames[frame]) {
            if (change.place.depth == 259 && change.place.ratio) {
                return static_cast<int>(*change.place.ratio);
            }
        }
        return -1;
    };
    EXPECT_EQ(ratioOf(0), 0);
    EXPECT_EQ(ratioOf(19), 65535);
    EXPECT_EQ(ratioOf(20), 0);
    EXPECT_EQ(ratioOf(39), 65535);
}

TEST_F(AnimationPreviewTest, MorphingOneDrawingWritesAMovieWithoutFrames)
{
    AddDrawing("a.qlk", 120, 80);
    auto movie = Build(1);
    ASSERT_TRUE(movie.read);
    EXPECT_EQ(width, 120);
    EXPECT_EQ(height, 80);
    // No ShowFrame and a frame count of 0; the player shows it as one empty frame.
    ASSERT_EQ(movie.frames.size(), 1u);
    EXPECT_TRUE(movie.frames[0].empty());
    const std::string bytes = ReadAll(moviePath);
    EXPECT_EQ(bytes.substr(19, 2), std::string(2, '\0'));
    EXPECT_EQ(bytes.find(std::string("\x40\x00", 2)), std::string::npos);
    EXPECT_EQ(static_cast<size_t>(static_cast<uint8_t>(bytes[4])), bytes.size());
}

TEST_F(AnimationPreviewTest, TheUsersDocumentIsPutBackAndTheCanvasRedrawn)
{
    core::PathRecord mine;
    mine.Anchors = {{1, 2, core::kOnCurve}, {3, 4, core::kOnCurve}};
    mine.blSelected = true;
    core::Doc().DocPaths.push_back(mine);
    core::Doc().CurrentSettings.Width = 777;
    core::Doc().CurrentSettings.BackgroundFile = "under.png";
    const core::PathArray paths = core::Doc().DocPaths;
    const core::CanvasSettings settings = core::Doc().CurrentSettings;
    movie::Canvas().GridCache = {1, 2, 3};
    AddDrawing("a.qlk", 100, 100);
    AddDrawing("b.qlk", 100, 100);
    Build(0);
    EXPECT_EQ(core::Doc().DocPaths, paths);
    EXPECT_EQ(core::Doc().CurrentSettings, settings);
    EXPECT_TRUE(movie::Canvas().GridCache.empty());
    ASSERT_GE(host.calls.size(), 5u);
    EXPECT_EQ(host.calls.front(), "status:プレビューを生成中... ・・・・・・・・・");
    const std::vector<std::string> ending(host.calls.end() - 5, host.calls.end());
    EXPECT_EQ(ending, (std::vector<std::string>{"ReloadCanvas", "RefreshList", "RefreshPosition", "RefreshGradient",
                                                "status:"}));
}

TEST_F(AnimationPreviewTest, UnreadableDrawingsAreLeftOut)
{
    WriteAll((folder / "garbage.qlk").string(), std::string("\x00\xff\x13garbage", 10));
    AddRow("garbage.qlk");
    // Passes the probe (a canvas size) but breaks further on.
    WriteAll((folder / "broken.qlk").string(), "QLK030\r\n320,240,255,255,255\r\nnot a setting\r\n");
    AddRow("broken.qlk");
    AddDrawing("a.qlk", 100, 100, 40);
    AddRow("missing.qlk");
    AddDrawing("b.qlk", 100, 100);
    const core::PathArray paths = core::Doc().DocPaths;
    auto movie = Build(0);
    ASSERT_TRUE(movie.read);
    EXPECT_EQ(movie.frames.size(), 2u);
    EXPECT_EQ(movie.background, (platform::swf::Rgba{40, 255, 255}));
    EXPECT_EQ(core::Doc().DocPaths, paths);
}

// ---- the window ----

TEST_F(AnimationPreviewTest, AMovieWithoutFramesIsSafe)
{
    AddDrawing("a.qlk", 50, 50);
    Build(1);
    toolwindows::ShowPreviewWindow(moviePath, width, height, nullptr);
    toolwindows::PreviewWindow &window = *toolwindows::OpenPreviewWindow();
    window.Command1_Click();
    window.HScroll1->SetValue(1);
    window.ShockwaveFlash1->Tick(500);
    window.Timer1_Timer();
    EXPECT_EQ(window.HScroll1->Max(), 0);
    EXPECT_EQ(window.Command1Tag(), QStringLiteral("＞"));
}

}  // namespace
}  // namespace testsupport
