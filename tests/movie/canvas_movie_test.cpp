// The canvas movie: its tags, ids, depths and placements, the view extent, the three caches, the
// underlay, and what the player draws from it.
#include "core/document.h"
#include "core/drawing_file.h"
#include "core/host.h"
#include "movie/canvas_movie.h"
#include "movie/movie_writer.h"
#include "movie/shape_encoder.h"
#include "platform/player/movie_player.h"
#include "tests/support/canvas_movie_fixture.h"
#include "tests/support/hostile_files.h"
#include "tests/support/movie_tags.h"
#include "tests/support/test_support.h"

#include <QImage>
#include <array>
#include <filesystem>
#include <gtest/gtest.h>

namespace {

using movietags::Tag;
using platform::swf::TagCode;

std::vector<Tag> ReadTags(const std::string &file)
{
    return movietags::ReadMovie(file).tags;
}

// "code:id" of definitions, "place:depth" of placements, "show" and "end".
std::vector<std::string> Outline(const std::vector<Tag> &tags)
{
    std::vector<std::string> outline;
    for (const Tag &tag : tags) {
        platform::swf::BitReader body = tag.Reader();
        switch (tag.code) {
        case TagCode::PlaceObject2:
            outline.push_back("place:" + std::to_string(platform::swf::ReadPlaceObject2(body).depth));
            break;
        case TagCode::ShowFrame:
            outline.push_back("show");
            break;
        case TagCode::End:
            outline.push_back("end");
            break;
        default:
            outline.push_back(std::to_string(static_cast<int>(tag.code)) + ":" + std::to_string(tag.Id()));
            break;
        }
    }
    return outline;
}

core::PathRecord Square(int32_t left, int32_t top, int32_t size, core::Color fill)
{
    core::PathRecord path;
    path.Anchors = {{left, top}, {left + size, top}, {left + size, top + size}, {left, top + size}};
    path.blClosed = true;
    path.FillType = core::kFillSolid;
    path.FillColor = fill;
    path.LineMode = 0;
    path.LineWidth = 0;
    return path;
}

class CanvasMovieTest : public testsupport::CanvasMovieFixture<> {
protected:
    void SetUp() override
    {
        CanvasMovieFixture::SetUp();
        core::CanvasSettings &settings = Settings();
        settings.Width = 100;
        settings.Height = 80;
        settings.BackColorR = 255;
        settings.BackColorG = 0;
        settings.BackColorB = 0;
        settings.GridWidth = 400;
        settings.GridHeight = 400;
        settings.DrawOutsideFlag = 1;
        settings.BackgroundFlag = 0;
        settings.Quality = 0;
    }

    static core::CanvasSettings &Settings() { return core::Doc().CurrentSettings; }
    static void AddPath(const core::PathRecord &path) { core::Doc().DocPaths.push_back(path); }
    static std::string MovieBytes()
    {
        movie::EnsureCanvasMovieFile(core::Doc().CanvasTempFile);
        return testsupport::ReadAll(core::Doc().CanvasTempFile);
    }
    static movietags::Movie ParsedMovie() { return movietags::ReadMovie(MovieBytes()); }
    // The placement at a depth in the movie's only frame.
    static platform::swf::PlaceObjectRecord Placement(uint16_t depth) { return ParsedMovie().PlacementAt(depth); }
    QImage Rendered()
    {
        movie::EnsureCanvasMovieFile(core::Doc().CanvasTempFile);
        host.player.SetMovie(core::Doc().CanvasTempFile);
        const core::Rect32 &view = core::Doc().ViewExtent;
        QImage image(view.Right - view.Left, view.Bottom - view.Top, QImage::Format_RGB32);
        host.player.Render(image, image.rect());
        return image;
    }
    std::string WriteUnderlayDrawing(const core::PathArray &paths)
    {
        std::string path = testsupport::TempPath("underlay.qlk");
        std::string message;
        EXPECT_TRUE(core::WriteDrawingFile(path, paths, core::UpperBound(paths), Settings(), message)) << message;
        return path;
    }
};

TEST_F(CanvasMovieTest, TagsIdsAndDepthsInOrder)
{
    AddPath(Square(200, 200, 400, 0xFFFF0000));
    Settings().BackgroundFlag = 1;
    Settings().BackgroundFile = WriteUnderlayDrawing({core::PathRecord(), Square(0, 0, 600, 0xFF00FF00)});
    host.underlay = true;
    host.grid = true;
    movie::MakeCanvasMovie();

    std::string bytes = MovieBytes();
    ASSERT_GE(bytes.size(), 21u);
    EXPECT_EQ(bytes.substr(0, 4), std::string("FWS\x06", 4));
    EXPECT_EQ(Outline(ReadTags(bytes)),
              (std::vector<std::string>{"32:10", "place:2", "32:3", "place:256", "place:255", "32:4", "place:512",
                                        "32:1", "place:257", "show", "end"}));

    // The underlay at half opacity, masked by the canvas rectangle up to its own depth.
    platform::swf::PlaceObjectRecord underlay = Placement(256);
    EXPECT_EQ(underlay.characterId, 3);
    ASSERT_TRUE(underlay.cxform);
    EXPECT_EQ(underlay.cxform->mult[3], 128);
    platform::swf::PlaceObjectRecord mask = Placement(255);
    EXPECT_EQ(mask.characterId, 10);
    EXPECT_EQ(mask.clipDepth, 256);
    EXPECT_FALSE(mask.cxform);
    EXPECT_EQ(Placement(257).characterId, 1);
    EXPECT_FALSE(Placement(257).matrix);  // the canvas starts at the movie's origin
    EXPECT_EQ(core::Doc().ViewExtent, (core::Rect32{0, 0, 100, 80}));
}

TEST_F(CanvasMovieTest, UnderlayInFrontAndWithoutOutsideDrawing)
{
    Settings().BackgroundFlag = 1;
    Settings().BackgroundFile = WriteUnderlayDrawing({core::PathRecord(), Square(0, 0, 600, 0xFF00FF00)});
    Settings().BackgroundOpacity = 256;
    host.underlay = true;
    host.inFront = true;
    movie::MakeCanvasMovie();
    EXPECT_EQ(Outline(ReadTags(MovieBytes())),
              (std::vector<std::string>{"32:10", "place:2", "32:3", "place:259", "place:258", "32:1", "place:257",
                                        "show", "end"}));
    EXPECT_EQ(Placement(258).clipDepth, 259);
    EXPECT_FALSE(Placement(259).cxform);  // opaque: no colour transform

    Settings().DrawOutsideFlag = 0;
    movie::MakeCanvasMovie();
    EXPECT_EQ(Outline(ReadTags(MovieBytes())),
              (std::vector<std::string>{"32:10", "place:2", "32:3", "place:259", "32:1", "place:257", "show", "end"}));
}

TEST_F(CanvasMovieTest, ViewExtentFollowsTheDrawingOutsideTheCanvas)
{
    movie::MakeCanvasMovie();
    EXPECT_EQ(core::Doc().ViewExtent, (core::Rect32{0, 0, 100, 80}));

    // Bounds reaching x = -1 twip give left = -1 pixel: everything shifts right by 20 twips.
    AddPath(Square(-1, 100, 200, 0xFF0000FF));
    movie::MakeCanvasMovie();
    EXPECT_EQ(core::Doc().ViewExtent, (core::Rect32{-1, 0, 100, 80}));
    for (uint16_t depth : {2, 257}) {
        platform::swf::PlaceObjectRecord tag = Placement(depth);
        ASSERT_TRUE(tag.matrix) << depth;
        EXPECT_EQ(tag.matrix->translateX, 20) << depth;
        EXPECT_EQ(tag.matrix->translateY, 0) << depth;
    }
    EXPECT_EQ(ParsedMovie().header.frame, (platform::swf::RectRecord{0, 101 * 20, 0, 80 * 20}));

    // Not drawing outside: the canvas.
    Settings().DrawOutsideFlag = 0;
    movie::MakeCanvasMovie();
    EXPECT_EQ(core::Doc().ViewExtent, (core::Rect32{0, 0, 100, 80}));

    // Wider than 1638 pixels: the canvas again.
    Settings().DrawOutsideFlag = 1;
    AddPath(Square(0, 0, 1700 * 20, 0xFF0000FF));
    movie::MakeCanvasMovie();
    EXPECT_EQ(core::Doc().ViewExtent, (core::Rect32{0, 0, 100, 80}));
}

// The part of the plane the canvas movie shows: its frame while that holds the view extent, the
// whole extent past the frame's 1638 pixels (where the frame stops at its 16-bit fields).
TEST_F(CanvasMovieTest, TheShownAreaIsTheFrameOrTheWholeLargerCanvas)
{
    struct Case {
        int32_t width, height;
        platform::swf::RectRecord frame;  // twips: left, right, top, bottom
    };
    for (const Case &c : {Case{100, 80, {0, 100 * 20, 0, 80 * 20}},
                          Case{1638, 1638, {0, 1638 * 20, 0, 1638 * 20}},
                          Case{2000, 1800, {0, 1638 * 20, 0, 1638 * 20}},
                          Case{3276, 900, {0, 1638 * 20, 0, 900 * 20}}}) {
        SCOPED_TRACE(c.width);
        Settings().Width = c.width;
        Settings().Height = c.height;
        movie::ClearBackColorCache();
        movie::MakeCanvasMovie();
        EXPECT_EQ(core::Doc().ViewExtent, (core::Rect32{0, 0, c.width, c.height}));
        EXPECT_EQ(ParsedMovie().header.frame, c.frame);
        EXPECT_EQ(movie::CanvasMovieArea(core::Doc().ViewExtent), QRectF(0, 0, c.width * 20.0, c.height * 20.0));
    }
    EXPECT_EQ(movie::CanvasMovieArea(core::Rect32{5, 5, 5, 5}), QRectF(0, 0, 20, 20));  // as the frame: one pixel
}

TEST_F(CanvasMovieTest, GridLinesAndTheOpaqueCentreLine)
{
    Settings().Width = 320;
    Settings().Height = 300;
    host.grid = true;
    movie::MakeCanvasMovie();
    const std::vector<uint8_t> &cache = movie::Canvas().GridCache;
    ASSERT_FALSE(cache.empty());
    // Read the cached tags back as a movie of their own.
    std::string bytes = MovieBytes().substr(0, 21) + std::string(cache.begin(), cache.end());
    const movietags::Movie parsed = movietags::ReadMovie(bytes);
    ASSERT_TRUE(parsed.Definition(4));
    const movietags::ShapeRead grid = movietags::ReadShape(*parsed.Definition(4));
    int vertical = 0;
    int horizontal = 0;
    std::vector<double> opaqueAt;
    for (const movietags::ShapeEdge &edge : grid.edges) {
        const platform::swf::LineStyleRecord *style = grid.LineOf(edge);
        ASSERT_TRUE(style);
        ASSERT_TRUE(edge.straight);
        bool isVertical = edge.x0 == edge.x1;
        (isVertical ? vertical : horizontal) += 1;
        EXPECT_EQ(style->width, 1);
        if (style->colour.a == 255) {
            opaqueAt.push_back(isVertical ? edge.x0 : -edge.y0);
        } else {
            EXPECT_EQ(style->colour, (platform::swf::Rgba{128, 128, 128, 128}));
        }
    }
    EXPECT_EQ(vertical, 16);    // 0, 400, ..., 6000
    EXPECT_EQ(horizontal, 15);  // 0, 400, ..., 5600
    EXPECT_EQ(opaqueAt, std::vector<double>{3200});  // 3000 is not on the grid

    // At low quality the line on the boundary x = 20 px lights column 19, as other players draw it.
    QImage image = Rendered();
    EXPECT_NE(image.pixel(19, 7), qRgb(255, 0, 0));
    EXPECT_EQ(image.pixel(20, 7), qRgb(255, 0, 0));
    EXPECT_EQ(image.pixel(18, 7), qRgb(255, 0, 0));
}

TEST_F(CanvasMovieTest, CachesAreReusedUntilCleared)
{
    movie::MakeCanvasMovie();
    EXPECT_EQ(Rendered().pixel(50, 40), qRgb(255, 0, 0));
    Settings().BackColorB = 255;
    movie::MakeCanvasMovie();
    EXPECT_EQ(Rendered().pixel(50, 40), qRgb(255, 0, 0));  // the cached rectangle
    movie::ClearBackColorCache();
    movie::MakeCanvasMovie();
    EXPECT_EQ(Rendered().pixel(50, 40), qRgb(255, 0, 255));

    // The grid is built only while shown, then kept.
    EXPECT_TRUE(movie::Canvas().GridCache.empty());
    host.grid = true;
    movie::MakeCanvasMovie();
    EXPECT_FALSE(movie::Canvas().GridCache.empty());
    Settings().GridWidth = 0;
    movie::MakeCanvasMovie();
    EXPECT_FALSE(movie::Canvas().GridCache.empty());
    movie::ClearGridCache();
    movie::MakeCanvasMovie();
    EXPECT_TRUE(movie::Canvas().GridCache.empty());  // no grid for a zero spacing
}

TEST_F(CanvasMovieTest, PictureUnderlayIsCachedAndPlacedAtItsPosition)
{
    std::string picture = testsupport::TempPath("under.jpg");
    QImage green(10, 10, QImage::Format_RGB32);
    green.fill(qRgb(0, 255, 0));
    ASSERT_TRUE(green.save(QString::fromStdString(picture), "JPG", 95));
    Settings().BackgroundFlag = 1;
    Settings().BackgroundFile = picture;
    Settings().BackgroundX = 30;
    Settings().BackgroundY = 20;
    Settings().BackgroundScale = 2.0f;
    Settings().BackgroundOpacity = 256;
    host.underlay = true;
    movie::MakeCanvasMovie();
    EXPECT_EQ(Outline(ReadTags(MovieBytes())),
              (std::vector<std::string>{"32:10", "place:2", "21:2", "2:3", "place:256", "place:255", "32:1",
                                        "place:257", "show", "end"}));
    platform::swf::PlaceObjectRecord tag = Placement(256);
    ASSERT_TRUE(tag.matrix);
    EXPECT_EQ(tag.matrix->translateX, 600);
    EXPECT_EQ(tag.matrix->translateY, 400);
    EXPECT_EQ(tag.matrix->scaleX, 2 << 16);

    // Still shown after the file went, until the cache is cleared.
    std::filesystem::remove(picture);
    movie::MakeCanvasMovie();
    EXPECT_GT(qGreen(Rendered().pixel(40, 30)), 245);
    movie::ClearBackgroundCache();
    movie::MakeCanvasMovie();
    EXPECT_TRUE(movie::Canvas().BackgroundCache.empty());
    EXPECT_EQ(Rendered().pixel(40, 30), qRgb(255, 0, 0));
}

// A 202-byte BMP claiming 6 x 4,194,308 pixels: taller than a JPEG can be, so it never converts.
std::string TallBitmapFile()
{
    auto le32 = [](uint32_t v) {
        return std::string{static_cast<char>(v), static_cast<char>(v >> 8), static_cast<char>(v >> 16),
                           static_cast<char>(v >> 24)};
    };
    std::string bmp = "BM" + le32(202) + le32(0) + le32(54) + le32(40) + le32(6) + le32(4194308);
    bmp += std::string("\x01\x00\x18\x00", 4) + le32(0) + le32(0) + le32(2835) + le32(2835) + le32(0) + le32(0);
    bmp += std::string(202 - bmp.size(), '\x7F');
    return bmp;
}

TEST_F(CanvasMovieTest, UnderlayThatFailsToConvertIsNotConvertedAgainUntilTheFileChanges)
{
    std::string picture = testsupport::TempPath("tall.bmp");
    testsupport::WriteAll(picture, TallBitmapFile());
    Settings().BackgroundFlag = 1;
    Settings().BackgroundFile = picture;
    host.underlay = true;
    int64_t growth = testsupport::PeakMemoryGrowth([] { movie::MakeCanvasMovie(); });
    EXPECT_GE(growth, 0);
    EXPECT_LT(growth, 32 << 20) << "the picture's side is checked before it is decoded";

    for (int edit = 0; edit < 3; ++edit) {
        movie::MakeCanvasMovie();
    }
    EXPECT_EQ(movie::Canvas().UnderlayConversions, 1);
    EXPECT_TRUE(movie::Canvas().BackgroundCache.empty());
    EXPECT_EQ(Outline(ReadTags(MovieBytes())),
              (std::vector<std::string>{"32:10", "place:2", "32:1", "place:257", "show", "end"}));
    movie::ClearBackgroundCache();  // a reload keeps what is known of the file
    movie::MakeCanvasMovie();
    EXPECT_EQ(movie::Canvas().UnderlayConversions, 1);

    // Another file, or the same file changed, is converted again.
    QImage green(10, 10, QImage::Format_RGB32);
    green.fill(qRgb(0, 255, 0));
    ASSERT_TRUE(green.save(QString::fromStdString(picture), "BMP"));
    movie::MakeCanvasMovie();
    EXPECT_EQ(movie::Canvas().UnderlayConversions, 2);
    EXPECT_FALSE(movie::Canvas().BackgroundCache.empty());
    EXPECT_TRUE(movie::Canvas().FailedUnderlay.empty());
}

// The RECT at the start of a shape tag's body (after the id): left, right, top, bottom.
std::array<int64_t, 4> ShapeRect(const Tag &tag)
{
    const platform::swf::RectRecord rect = movietags::ReadShape(tag).bounds;
    return {rect.xMin, rect.xMax, rect.yMin, rect.yMax};
}

TEST_F(CanvasMovieTest, AMovedDrawingIsDrawnFromTheGroupsAlreadyBuilt)
{
    // Squares with gradients and wide lines, all moved right by shift pixels.
    auto drawing = [](int32_t shift) {
        core::PathArray paths{core::PathRecord()};
        for (int i = 0; i < 6; ++i) {
            core::PathRecord path = Square(100 + i * 220 + shift * 20, 200 + (i % 3) * 400, 300, 0xFF2040E0);
            path.FillType = i % 2 == 0 ? core::kFillLinear : core::kFillRadial;
            path.GradColor = 0xFFE0C020;
            path.GradCenterX = 250 + i * 220 + shift * 20;
            path.GradCenterY = 350 + (i % 3) * 400;
            path.GradRatioX = 0.008f;
            path.GradRatioY = 0.006f;
            path.GradAngle = 30.0f * static_cast<float>(i);
            path.LineMode = 1;
            path.LineWidth = 40 + 10 * i;
            path.LineColor = 0xFF000000;
            paths.push_back(path);
        }
        return paths;
    };
    core::Doc().DocPaths = drawing(0);
    movie::MakeCanvasMovie();
    const QImage before = Rendered();

    core::Doc().DocPaths = drawing(3);
    movie::MakeCanvasMovie();
    const platform::PlayerStats start = host.player.Stats();
    const QImage moved = Rendered();  // repaints what changed over the kept picture
    EXPECT_EQ(host.player.Stats().groupsBuilt - start.groupsBuilt, 0) << "no outline built again";

    platform::MoviePlayer fresh;
    fresh.SetQuality2("low");
    movie::EnsureCanvasMovieFile(core::Doc().CanvasTempFile);
    fresh.SetMovie(core::Doc().CanvasTempFile);
    QImage expected(moved.size(), QImage::Format_RGB32);
    fresh.Render(expected, expected.rect());
    EXPECT_EQ(moved, expected);
    // Gradients and lines moved with their shapes: the picture is the first one three pixels on.
    int differing = 0;
    for (int y = 0; y < moved.height(); ++y) {
        for (int x = 3; x < moved.width(); ++x) {
            const QRgb a = moved.pixel(x, y);
            const QRgb b = before.pixel(x - 3, y);
            differing += std::abs(qRed(a) - qRed(b)) > 8 || std::abs(qGreen(a) - qGreen(b)) > 8 ||
                         std::abs(qBlue(a) - qBlue(b)) > 8;
        }
    }
    EXPECT_EQ(differing, 0);
}

TEST_F(CanvasMovieTest, DrawingShapeDeclaresTheBoundsOfEveryEdgeAndHalfTheWidestLine)
{
    auto drawing = [this]() -> Tag {
        movie::MakeCanvasMovie();
        for (const Tag &tag : ReadTags(MovieBytes())) {
            if (tag.code == TagCode::DefineShape3 && tag.Id() == 1) {
                return tag;
            }
        }
        ADD_FAILURE() << "no drawing shape";
        return {};
    };
    // Every group the player reads (its edges and half its line) lies inside the declared bounds.
    auto holdsEveryEdge = [](const Tag &tag) {
        const movietags::ShapeRead shape = movietags::ReadShape(tag);
        const platform::swf::RectRecord &rect = shape.bounds;
        for (const movietags::ShapeEdge &edge : shape.edges) {
            const platform::swf::LineStyleRecord *style = shape.LineOf(edge);
            const int32_t half = style ? style->width / 2 : 0;
            for (auto [x, y] : {std::pair{edge.x0, edge.y0}, std::pair{edge.cx, edge.cy}, std::pair{edge.x1, edge.y1}}) {
                EXPECT_TRUE(x - half >= rect.xMin && x + half <= rect.xMax && y - half >= rect.yMin &&
                            y + half <= rect.yMax)
                    << x << " " << y << " half line " << half;
            }
        }
    };
    EXPECT_EQ(ShapeRect(drawing()), (std::array<int64_t, 4>{0, 0, 0, 0}));  // nothing drawn

    core::PathRecord curve = Square(-300, 100, 400, 0xFF0000FF);
    curve.Anchors[1].AnchorKind = core::kControlPoint;  // bulges up to its control point
    curve.Anchors[1].Y = -500;
    curve.LineMode = 1;
    curve.LineWidth = 60;
    core::PathRecord hidden = Square(5000, 5000, 100, 0xFF00FF00);
    hidden.DispFlags = core::kDispHidden;
    core::PathRecord open = Square(200, 300, 800, 0xFF00FF00);
    open.blClosed = false;  // stroked however its line mode is set
    open.LineWidth = 41;
    AddPath(curve);
    AddPath(hidden);
    AddPath(open);
    Tag shape = drawing();
    EXPECT_EQ(ShapeRect(shape), (std::array<int64_t, 4>{-330, 1021, -530, 1121}));
    holdsEveryEdge(shape);

    // One path changed (the warm redraw re-encodes it alone): the bounds follow it.
    core::Doc().DocPaths[3].Anchors[2].X = 3000;
    shape = drawing();
    EXPECT_EQ(ShapeRect(shape), (std::array<int64_t, 4>{-330, 3021, -530, 1121}));
    holdsEveryEdge(shape);

    // Compound members are drawn with their leader, hidden or not.
    core::Doc().DocPaths[2].blCompound = core::Doc().DocPaths[3].blCompound = true;
    core::Doc().DocPaths[2].CompoundID = core::Doc().DocPaths[3].CompoundID = 7;
    core::Doc().DocPaths[2].DispFlags = 0;
    core::Doc().DocPaths[3].DispFlags = core::kDispHidden;
    shape = drawing();
    EXPECT_EQ(ShapeRect(shape), (std::array<int64_t, 4>{-330, 5100, -530, 5100}));
    holdsEveryEdge(shape);
}

TEST_F(CanvasMovieTest, UnderlayDrawingReader)
{
    EXPECT_EQ(movie::ReadUnderlayDrawing(testsupport::TempPath("missing.qlk")), -1);

    std::string bad = testsupport::TempPath("bad.qlk");
    testsupport::WriteAll(bad, "QLK030\r\n1,2,3\r\n");
    EXPECT_EQ(movie::ReadUnderlayDrawing(bad), -1);
    EXPECT_EQ(core::UpperBound(movie::Canvas().UnderlayPaths), 0);

    core::PathRecord single;
    single.Anchors = {{5, 5}};
    std::string good = WriteUnderlayDrawing(
        {core::PathRecord(), Square(0, 0, 100, 0xFF0000FF), single, Square(200, 0, 100, 0xFF00FF00)});
    EXPECT_EQ(movie::ReadUnderlayDrawing(good), 0);
    ASSERT_EQ(core::UpperBound(movie::Canvas().UnderlayPaths), 2);  // the one-anchor path dropped
    EXPECT_EQ(movie::Canvas().UnderlayPaths[2].FillColor, 0xFF00FF00u);

    // An unreadable underlay drawing leaves the cache empty and nothing placed.
    Settings().BackgroundFlag = 1;
    Settings().BackgroundFile = bad;
    host.underlay = true;
    movie::MakeCanvasMovie();
    EXPECT_TRUE(movie::Canvas().BackgroundCache.empty());
    EXPECT_EQ(Outline(ReadTags(MovieBytes())),
              (std::vector<std::string>{"32:10", "place:2", "32:1", "place:257", "show", "end"}));
}

}  // namespace

TEST_F(CanvasMovieTest, TheMovieMadeIsKeptInMemoryForTheCanvasPlayer)
{
    AddPath(Square(200, 200, 400, 0xFFFF0000));
    const std::string file = core::Doc().CanvasTempFile;
    movie::MakeCanvasMovie();
    EXPECT_EQ(movie::CanvasMovieBytes(testsupport::TempPath("other.tmp")), "");  // another movie's name
    movie::MakeCanvasMovie();
    EXPECT_EQ(movie::CanvasMovieBytes(file), MovieBytes());  // length and frame count patched as in the file
    EXPECT_EQ(movie::CanvasMovieBytes(file), MovieBytes());  // kept for the next reader

    // A movie whose file cannot be written is kept all the same; asking for the file reports it.
    core::Doc().CanvasTempFile = testsupport::TempPath("no such folder/_canvtemp.tmp");
    movie::MakeCanvasMovie();
    EXPECT_NE(movie::CanvasMovieBytes(core::Doc().CanvasTempFile), "");
    EXPECT_FALSE(movie::EnsureCanvasMovieFile(core::Doc().CanvasTempFile));
}

namespace {

void ShiftPath(core::PathRecord &path, int32_t dx, int32_t dy)
{
    for (core::AnchorPoint &anchor : path.Anchors) {
        anchor.X += dx;
        anchor.Y += dy;
    }
}

}  // namespace

// A canvas movie written after an edit, from the units kept for the movies before it (another
// shape written in between, as a thumbnail is), equals the movie written with nothing kept, byte
// for byte; the copy kept in memory equals the file. However long the edits go on, the writer keeps
// no more units than the last shapes drew, twice over, and a fixed spare.
TEST_F(CanvasMovieTest, AMovieWrittenAfterAnEditEqualsOneWrittenCold)
{
    auto drawing = [] {
        core::PathArray paths{core::PathRecord()};
        for (int i = 0; i < 24; ++i) {
            core::PathRecord path = Square(40 + (i % 6) * 300, 40 + (i / 6) * 300, 200 + i * 7, 0xFF102030u + i);
            path.FillType = static_cast<int16_t>(i % 5);
            path.GradColor = 0xFFE0C020;
            path.GradCenterX = path.Anchors[0].X + 100;
            path.GradCenterY = path.Anchors[0].Y + 100;
            path.GradRatioX = 0.008f;
            path.GradRatioY = 0.006f;
            path.LineMode = static_cast<int16_t>(i % 3 == 0);
            path.LineWidth = 20 + i;
            path.Anchors[1].AnchorKind = i % 4 == 1 ? core::kControlPoint : core::kOnCurve;
            paths.push_back(path);
        }
        paths[5].blGroup = paths[6].blGroup = true;
        paths[5].GroupID = paths[6].GroupID = 1;
        paths[9].blCompound = paths[14].blCompound = true;
        paths[9].CompoundID = paths[14].CompoundID = 2;
        return paths;
    };
    using Edit = void (*)(core::PathArray &);
    const struct {
        const char *name;
        Edit edit;
    } edits[] = {
        {"move one", [](core::PathArray &p) { ShiftPath(p[12], 40, -20); }},
        {"move all", [](core::PathArray &p) { for (size_t i = 1; i < p.size(); ++i) ShiftPath(p[i], 20, 20); }},
        {"recolour", [](core::PathArray &p) { p[3].FillColor = 0xFF00FF00; p[4].GradColor = 0xFF0000FF; }},
        {"line width", [](core::PathArray &p) { p[1].LineWidth = 300; }},
        {"delete", [](core::PathArray &p) { p.erase(p.begin() + 7); }},
        {"insert a copy", [](core::PathArray &p) { p.insert(p.begin() + 2, p[20]); }},
        {"hide", [](core::PathArray &p) { p[8].DispFlags = core::kDispHidden; }},
        {"compound member moved", [](core::PathArray &p) { ShiftPath(p[14], 0, 60); }},
        {"compound made", [](core::PathArray &p) {
             p[17].blCompound = p[18].blCompound = true;
             p[17].CompoundID = p[18].CompoundID = 3;
         }},
        {"group moved", [](core::PathArray &p) { ShiftPath(p[5], 10, 0); ShiftPath(p[6], 10, 0); }},
        {"to the back", [](core::PathArray &p) { std::rotate(p.begin() + 1, p.begin() + 24, p.end()); }},
        {"all deleted", [](core::PathArray &p) { p.resize(1); }},
    };
    const core::PathArray thumbnail{core::PathRecord(), Square(10, 10, 50, 0xFF0000FF)};
    auto write = [](const core::PathArray &paths) {
        core::Doc().DocPaths = paths;
        movie::MakeCanvasMovie();
        const std::string bytes = MovieBytes();
        EXPECT_EQ(movie::CanvasMovieBytes(core::Doc().CanvasTempFile), bytes);
        return bytes;
    };
    auto cold = [&write](const core::PathArray &paths) {
        movie::ResetWriterForTest();
        movie::ResetCanvasMovieForTest();
        return write(paths);
    };
    size_t mostDrawn = 0;
    for (const auto &edit : edits) {
        SCOPED_TRACE(edit.name);
        const core::PathArray before = drawing();
        core::PathArray after = before;
        edit.edit(after);
        mostDrawn = std::max(mostDrawn, before.size());
        write(before);
        movie::EncodeShapeCached(thumbnail);
        const std::string warm = write(after);
        EXPECT_EQ(warm, cold(after));
        write(after);
        const std::string undone = write(before);  // its units were kept from the first movie
        EXPECT_EQ(undone, cold(before));
    }
    // A session of edits: every path moved at each step.
    core::PathArray session = drawing();
    for (int step = 0; step < 300; ++step) {
        for (size_t i = 1; i < session.size(); ++i) {
            ShiftPath(session[i], step % 2 == 0 ? 20 : -19, 0);
        }
        write(session);
    }
    EXPECT_LE(movie::Writer().Units.Size(), 2 * 2 * mostDrawn + 4096);
    EXPECT_EQ(write(session), cold(session));
}

// Between movies the writer keeps no large copy of the drawing's bytes: once a shape larger than
// kMostKeptShapeBytes is in the movie, the shape's buffer is given back (the movie in memory is
// the one copy), while a small drawing's buffer stays for the next shape. Either way the next
// movie, after an edit, equals one written cold.
TEST_F(CanvasMovieTest, TheWriterKeepsNoLargeCopyOfTheDrawingBetweenMovies)
{
    for (const int count : {4, 6000}) {
        SCOPED_TRACE(count);
        core::PathArray paths{core::PathRecord()};
        for (int i = 0; i < count; ++i) {
            core::PathRecord zigzag = Square(0, 0, 0, 0xFF000000u | static_cast<uint32_t>(i));
            zigzag.Anchors.clear();
            for (int k = 0; k < 200; ++k) {
                zigzag.Anchors.push_back({40 + k * 9, 40 + (i % 300) * 60 + (k % 2) * 50 + i % 7});
            }
            paths.push_back(zigzag);
        }
        core::Doc().DocPaths = paths;
        movie::MakeCanvasMovie();
        const size_t movieBytes = movie::CanvasMovieBytes(core::Doc().CanvasTempFile).size();
        const size_t kept = movie::Writer().ShapeBits.Bytes.capacity();
        if (count > 100) {
            ASSERT_GT(movieBytes, 2 * movie::kMostKeptShapeBytes);
            EXPECT_EQ(kept, 0u);
        } else {
            EXPECT_GT(kept, 0u);
            EXPECT_LE(kept, movie::kMostKeptShapeBytes);
        }
        paths[1].FillColor = 0xFF00FF00u;
        paths[count].Anchors[0].X += 20;
        core::Doc().DocPaths = paths;
        movie::MakeCanvasMovie();
        const std::string warm = MovieBytes();
        movie::ResetWriterForTest();
        movie::ResetCanvasMovieForTest();
        movie::MakeCanvasMovie();
        EXPECT_EQ(warm, MovieBytes());
    }
}
