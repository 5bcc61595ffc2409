// Morph shapes, JPEG bitmaps and device-font text fields.
#include "platform/base/jpeg_guard.h"
#include "platform/player/swf_changed_area.h"
#include "platform/player/swf_parser.h"
#include "platform/player/swf_bitmaps.h"
#include "platform/player/swf_text.h"
#include "tests/support/hostile_files.h"
#include "jpeg_fixture.h"
#include "drawn_paths.h"
#include "player_test_util.h"

#include <cstdio>
#include <cstdlib>
#include <gtest/gtest.h>
#include <jpeglib.h>
#include <zlib.h>

using namespace swftest;

namespace {

int32_t Px(int pixels)
{
    return pixels * 20;
}

// DefineMorphShape: a square moving from (0..20 px) to (40..60 px) while turning red to blue.
std::string MorphBody(uint16_t id)
{
    Bits styles;
    styles.U8(1);  // fill styles
    styles.U8(0x00);
    styles.Rgba(0xFF0000FF);
    styles.Rgba(0x0000FFFF);
    styles.U8(1);  // line styles
    styles.U16(0);
    styles.U16(40);
    styles.Rgba(0x000000FF);
    styles.Rgba(0x000000FF);
    Records start;
    start.Box(0, 0, Px(20), Px(20), 1);
    Records end;
    end.Box(Px(40), Px(40), Px(60), Px(60));
    std::string startEdges = start.Finish();

    Bits body;
    body.U16(id);
    body.Rect(0, Px(20), 0, Px(20));
    body.Rect(Px(40), Px(60), Px(40), Px(60));
    body.U32(static_cast<uint32_t>(styles.bytes().size() + startEdges.size()));
    body.Raw(styles.bytes());
    body.Raw(startEdges);
    body.Raw(end.Finish());
    return body.bytes();
}

std::string MorphMovie(uint16_t ratio)
{
    Movie movie(100, 100);
    Place p;
    p.id = 1;
    p.ratio = ratio;
    movie.Tag(46, MorphBody(1)).PlaceObject(p).ShowFrame();
    return movie.Bytes();
}

TEST(PlayerMorph, DrawnAtItsRatio)
{
    QImage start = Play(MorphMovie(0), 100, 100);
    EXPECT_EQ(start.pixel(10, 10), kRed);
    EXPECT_EQ(start.pixel(30, 30), kWhite);

    QImage middle = Play(MorphMovie(32768), 100, 100);
    QRgb mixed = middle.pixel(30, 30);
    EXPECT_NEAR(qRed(mixed), 128, 1);
    EXPECT_EQ(qGreen(mixed), 0);
    EXPECT_NEAR(qBlue(mixed), 128, 1);
    EXPECT_EQ(middle.pixel(10, 10), kWhite);
    EXPECT_EQ(middle.pixel(50, 50), kWhite);
    EXPECT_EQ(Count(middle, [](QRgb p) { return qGreen(p) == 0 && qRed(p) > 100; }), 20 * 20);

    QImage end = Play(MorphMovie(65535), 100, 100);
    EXPECT_EQ(end.pixel(50, 50), kBlue);
    EXPECT_EQ(end.pixel(30, 30), kWhite);
}

TEST(PlayerMorph, UnequalEdgeListsAreDrawnSafely)
{
    Bits styles;
    styles.U8(1);
    styles.U8(0x00);
    styles.Rgba(0xFF0000FF);
    styles.Rgba(0x0000FFFF);
    styles.U8(0);
    Records start;
    start.Box(0, 0, Px(20), Px(20), 1);
    Records end;
    end.Move(Px(40), Px(40)).Line(Px(60), Px(40));  // one edge instead of four
    std::string startEdges = start.Finish();
    Bits body;
    body.U16(1);
    body.Rect(0, 0, 0, 0);
    body.Rect(0, 0, 0, 0);
    body.U32(static_cast<uint32_t>(styles.bytes().size() + startEdges.size()));
    body.Raw(styles.bytes());
    body.Raw(startEdges);
    body.Raw(end.Finish());
    for (uint16_t ratio : {0, 30000, 65535}) {
        Movie movie(100, 100);
        Place p;
        p.id = 1;
        p.ratio = ratio;
        movie.Tag(46, body.bytes()).PlaceObject(p).ShowFrame();
        QImage image = Play(movie.Bytes(), 100, 100);
        EXPECT_EQ(image.pixel(99, 99), kWhite);
    }
}

// ---- Bitmaps ----



std::string Jpeg3Body(uint16_t id, const std::string &jpeg, int pixels, uint8_t alpha)
{
    std::string plane(static_cast<size_t>(pixels), static_cast<char>(alpha));
    uLongf size = compressBound(static_cast<uLong>(plane.size()));
    std::string packed(size, '\0');
    compress(reinterpret_cast<Bytef *>(packed.data()), &size, reinterpret_cast<const Bytef *>(plane.data()),
             static_cast<uLong>(plane.size()));
    packed.resize(size);
    Bits body;
    body.U16(id);
    body.U32(static_cast<uint32_t>(jpeg.size() + 4));
    body.Raw(kBrokenStart + jpeg);
    body.Raw(packed);
    return body.bytes();
}

// A 10 x 10 px bitmap (id 2) shown by a rectangle shape (id 1) at 20..30 px.
std::string BitmapMovie(int tagCode, const std::string &bitmapBody)
{
    Movie movie(50, 50);
    Styles styles;
    styles.Bitmap(2, 20.0);
    Records records;
    records.Box(0, 0, Px(10), Px(10), 1);
    Place p;
    p.id = 1;
    p.translate = {Px(20), Px(20)};
    movie.Tag(tagCode, bitmapBody).Shape(1, styles, records).PlaceObject(p).ShowFrame();
    return movie.Bytes();
}

bool Near(QRgb a, QRgb b, int tolerance)
{
    return std::abs(qRed(a) - qRed(b)) <= tolerance && std::abs(qGreen(a) - qGreen(b)) <= tolerance &&
           std::abs(qBlue(a) - qBlue(b)) <= tolerance;
}

TEST(PlayerBitmaps, Jpeg2FillsItsRectangle)
{
    const QRgb teal = qRgb(20, 140, 160);
    std::string jpeg = EncodeJpeg(10, 10, teal);
    for (const char *quality : {"low", "best"}) {
        QImage image = Play(BitmapMovie(21, Jpeg2Body(2, jpeg)), 50, 50, quality);
        EXPECT_TRUE(Near(image.pixel(25, 25), teal, 4)) << quality;
        EXPECT_EQ(image.pixel(15, 25), kWhite) << quality;
        EXPECT_EQ(image.pixel(31, 25), kWhite) << quality;
    }
}

TEST(PlayerBitmaps, Jpeg3AlphaPlaneAndColourTransform)
{
    const QRgb teal = qRgb(20, 140, 160);
    std::string jpeg = EncodeJpeg(10, 10, teal);
    EXPECT_EQ(Play(BitmapMovie(35, Jpeg3Body(2, jpeg, 100, 0)), 50, 50).pixel(25, 25), kWhite);
    EXPECT_TRUE(Near(Play(BitmapMovie(35, Jpeg3Body(2, jpeg, 100, 255)), 50, 50).pixel(25, 25), teal, 4));
    // The colours are stored multiplied by alpha: over white each channel gains the uncovered
    // part of the white, and a channel above its alpha (JPEG noise, or data never premultiplied)
    // is capped at the alpha.
    QRgb half = Play(BitmapMovie(35, Jpeg3Body(2, jpeg, 100, 128)), 50, 50).pixel(25, 25);
    EXPECT_TRUE(Near(half, qRgb(20 + 127, 128 + 127, 128 + 127), 4));
    std::string premultiplied = EncodeJpeg(10, 10, qRgb(10, 70, 80));
    QRgb over = Play(BitmapMovie(35, Jpeg3Body(2, premultiplied, 100, 128)), 50, 50).pixel(25, 25);
    EXPECT_TRUE(Near(over, qRgb(10 + 127, 70 + 127, 80 + 127), 4));

    // A short alpha plane leaves the picture opaque.
    EXPECT_TRUE(Near(Play(BitmapMovie(35, Jpeg3Body(2, jpeg, 10, 0)), 50, 50).pixel(25, 25), teal, 4));
}

// A 20 x 20 px bitmap shown at half size in three rows, its left edge on x = 10.25, 10.5 and 10.75:
// anti-aliased, the columns its edges cross show it as much as its rectangle covers them.
TEST(PlayerBitmaps, EdgePixelsShowHowMuchTheyAreCovered)
{
    const QRgb teal = qRgb(20, 140, 160);
    Styles styles;
    Records records;
    const double lefts[] = {10.25, 10.5, 10.75};
    for (int i = 0; i < 3; ++i) {
        const int32_t left = static_cast<int32_t>(lefts[i] * 20);
        const int32_t top = Px(5 + 15 * i);
        styles.Bitmap(2, 10, 10, 0, 0, left, top);
        records.Box(left, top, left + Px(10), top + Px(10), i + 1);
    }
    Movie movie(40, 50);
    movie.Tag(21, Jpeg2Body(2, EncodeJpeg(20, 20, teal))).Shape(1, styles, records).Place(1, 1).ShowFrame();
    const QImage image = Play(movie.Bytes(), 40, 50, "high");
    auto over = [teal](double coverage) {
        auto channel = [coverage](int c) { return static_cast<int>(std::lround(255 + (c - 255) * coverage)); };
        return qRgb(channel(qRed(teal)), channel(qGreen(teal)), channel(qBlue(teal)));
    };
    for (int i = 0; i < 3; ++i) {
        const int y = 10 + 15 * i;
        const double part = lefts[i] - 10;
        EXPECT_TRUE(Near(image.pixel(10, y), over(1 - part), 4)) << lefts[i] << ": " << std::hex << image.pixel(10, y);
        EXPECT_TRUE(Near(image.pixel(20, y), over(part), 4)) << lefts[i] << ": " << std::hex << image.pixel(20, y);
        EXPECT_TRUE(Near(image.pixel(15, y), teal, 4)) << lefts[i];
    }
}

TEST(PlayerBitmaps, MissingOrBrokenBitmapDrawsNothing)
{
    std::string jpeg = EncodeJpeg(10, 10, qRgb(0, 0, 0));
    std::string broken = jpeg.substr(0, jpeg.size() / 3);
    EXPECT_EQ(Play(BitmapMovie(21, Jpeg2Body(2, broken)), 50, 50).pixel(25, 25), kWhite);
    EXPECT_EQ(Play(BitmapMovie(21, Jpeg2Body(7, jpeg)), 50, 50).pixel(25, 25), kWhite);
}

TEST(PlayerBitmaps, JpegWithMoreScansThanAnyEncoderWritesDrawsNothing)
{
    std::string fair = testsupport::ProgressiveJpegWithScans(10);
    std::string bomb = testsupport::ProgressiveJpegWithScans(platform::kMaxJpegScans);
    EXPECT_EQ(platform::swf::DecodeJpeg(fair).size(), QSize(64, 64));
    EXPECT_TRUE(platform::swf::DecodeJpeg(bomb).isNull());
    EXPECT_LT(qRed(Play(BitmapMovie(21, Jpeg2Body(2, fair)), 50, 50).pixel(25, 25)), 128);
    EXPECT_EQ(Play(BitmapMovie(21, Jpeg2Body(2, bomb)), 50, 50).pixel(25, 25), kWhite);
}

// ---- Text ----

std::string FontBody(uint16_t id, const std::string &name)
{
    Bits body;
    body.U16(id);
    body.U8(0x04);
    body.U8(name[0] == '_' && name.size() < 12 ? 1 : 2);
    body.U8(static_cast<uint8_t>(name.size()));
    body.Raw(name);
    body.U16(0);
    body.U16(2);
    return body.bytes();
}

std::string EditTextBody(uint16_t id, uint16_t fontId, const std::string &text, int width, int height)
{
    Bits body;
    body.U16(id);
    body.Rect(0, Px(width), 0, Px(height));
    uint16_t flags = 0x80 | 0x20 | 0x08 | 0x04 | 0x01;  // text, multiline, read-only, colour, font
    flags |= 0x3000;                                    // layout, no select
    if (width == 0 && height == 0) {
        flags |= 0x4000;  // auto size
    }
    body.U8(flags & 0xFF);
    body.U8(flags >> 8);
    body.U16(fontId);
    body.U16(240);
    body.Rgba(0x000000FF);
    body.U8(0);
    body.U16(0);
    body.U16(0);
    body.U16(0);
    body.U16(0);
    body.Raw(std::string(1, '\0'));
    body.Raw(text + std::string(1, '\0'));
    return body.bytes();
}

QImage TextMovie(const std::string &fontName, const std::string &text, int width, int height)
{
    Movie movie(100, 40);
    Place p;
    p.id = 3;
    p.translate = {Px(10), Px(5)};
    movie.Tag(48, FontBody(2, fontName)).Tag(37, EditTextBody(3, 2, text, width, height)).PlaceObject(p).ShowFrame();
    return Play(movie.Bytes(), 100, 40, "high");
}

bool Dark(QRgb p)
{
    return qGray(p) < 128;
}

TEST(PlayerText, DeviceFontsResolveToInstalledFamilies)
{
    EXPECT_EQ(platform::swf::ResolveDeviceFont(QStringLiteral("_ゴシック")), QStringLiteral("IPAGothic"));
    EXPECT_EQ(platform::swf::ResolveDeviceFont(QStringLiteral("_sans")), QStringLiteral("DejaVu Sans"));
    EXPECT_FALSE(platform::swf::ResolveDeviceFont(QStringLiteral("No Such Font Here")).isEmpty());
}

TEST(PlayerText, EditTextIsDrawnInsideItsField)
{
    QImage latin = TextMovie("_sans", "Hello", 60, 20);
    int dark = Count(latin, Dark);
    EXPECT_GT(dark, 30);
    // Nothing left of or above the field (placed at 10, 5 px).
    for (int y = 0; y < 40; ++y) {
        for (int x = 0; x < 40; ++x) {
            if (x < 10 || y < 5) {
                ASSERT_FALSE(Dark(latin.pixel(x, y))) << x << "," << y;
            }
        }
    }
    QImage japanese = TextMovie("_ゴシック", "日本語", 0, 0);  // automatic size
    EXPECT_GT(Count(japanese, Dark), 30);
    QImage clipped = TextMovie("_sans", "Hello", 1, 1);
    EXPECT_EQ(Count(clipped, Dark), 0);  // the field is too small for the gutter
}

}  // namespace

// ---- Hostile input ----

namespace {

// A movie using every kind of tag the player reads.
std::string EverythingMovie()
{
    Movie movie(64, 64);
    Styles styles;
    styles.Solid(0xFF0000FF)
        .Gradient(false, 0.05, Px(30), Px(30), {{0, 0x000000FF}, {128, 0x00FF00FF}, {255, 0xFFFFFFFF}})
        .Gradient(true, 0.03, Px(20), Px(40), {{0, 0xFF00FF80}, {255, 0x0000FFFF}})
        .Bitmap(5, 20.0)
        .Line(20, 0x000000FF)
        .Line(300, 0x00FF0080);
    Styles more;
    more.Solid(0x123456FF).Line(1, 0x808080FF);
    Records records;
    records.Box(Px(2), Px(2), Px(30), Px(30), 1, -1, 1).Box(Px(10), Px(10), Px(20), Px(20));
    records.Move(Px(30), Px(30), 2, 3, 2).Curve(Px(60), Px(30), Px(60), Px(60)).Line(Px(30), Px(60)).Line(Px(30), Px(30));
    records.Box(Px(40), Px(2), Px(50), Px(12), 4, 0, 0);
    records.NewStyles(more, Px(5), Px(40), 1, 1).Line(Px(25), Px(40)).Curve(Px(25), Px(60), Px(5), Px(60)).Line(Px(5), Px(40));
    Place clip;
    clip.id = 1;
    clip.depth = 2;
    clip.clipDepth = 4;
    clip.scale = 1.5;
    Place morph;
    morph.id = 3;
    morph.depth = 3;
    morph.ratio = 20000;
    morph.colorTransform = {{200, 100, 256, 180}, {10, -20, 30, 0}};
    Place moved;
    moved.depth = 3;
    moved.move = true;
    moved.ratio = 50000;
    moved.translate = {Px(3), Px(4)};
    Place text;
    text.id = 7;
    text.depth = 9;
    movie.Background(0x336699)
        .Tag(35, Jpeg3Body(5, EncodeJpeg(8, 8, qRgb(1, 2, 3)), 64, 77))
        .Tag(21, Jpeg2Body(6, EncodeJpeg(4, 4, qRgb(200, 100, 0))))
        .Shape(1, styles, records)
        .Tag(46, MorphBody(3))
        .Tag(48, FontBody(8, "_ゴシック"))
        .Tag(37, EditTextBody(7, 8, "text\rline", 0, 0))
        .Place(1, 1)
        .PlaceObject(clip)
        .PlaceObject(morph)
        .PlaceObject(text)
        .ShowFrame()
        .PlaceObject(moved)
        .Remove(1)
        .Place(99, 5)
        .Tag(777, "unknown")
        .ShowFrame();
    return movie.Bytes(2);
}

}  // namespace

// The work a parsed movie asks of the player: path elements to fill and stroke, morph edges,
// placements, and bitmap pixels (a pixel counted as a 64th of a path element).
int64_t ParsedWork(const std::string &bytes)
{
    std::unique_ptr<platform::swf::Movie> movie = platform::swf::ParseMovie(bytes);
    if (!movie) {
        return 0;
    }
    int64_t work = 0;
    for (const auto &[id, character] : movie->characters) {
        if (const auto *shape = std::get_if<platform::swf::ShapeCharacter>(&character)) {
            for (const platform::swf::PlacedGroup &placed : shape->groups) {
                for (const QPainterPath &path : swftest::MadePaths(*placed.group)) {  // outlines come when drawn
                    work += path.elementCount();
                }
            }
        } else if (const auto *morph = std::get_if<platform::swf::MorphCharacter>(&character)) {
            work += static_cast<int64_t>(morph->start.edges.size() + morph->end.edges.size());
        } else if (const auto *bitmap = std::get_if<platform::swf::BitmapCharacter>(&character)) {
            work += int64_t{bitmap->image.width()} * bitmap->image.height() / 64;
        }
    }
    for (const platform::swf::Frame &frame : movie->frames) {
        work += static_cast<int64_t>(frame.tags.size());
    }
    return work;
}

TEST(PlayerRobustness, MutatedAndTruncatedMoviesLoadAndRenderWithinBoundedWork)
{
    const std::string valid = EverythingMovie();
    std::srand(20240611);
    auto random = [](size_t bound) { return static_cast<size_t>(std::rand()) % bound; };
    const int64_t validWork = ParsedWork(valid);
    ASSERT_GT(validWork, 0);
    // One player also loads each damaged movie after the valid one and the valid one again, so
    // damage is read over the groups kept from the movie before it, and leaves nothing behind.
    platform::MoviePlayer kept;
    kept.SetMovieBytes("valid", valid);
    const QImage validPicture = Render(kept, 64, 64);
    for (int round = 0; round < 400; ++round) {
        std::string bytes = valid;
        switch (round % 4) {
        case 0:
            bytes.resize(random(bytes.size()));
            break;
        case 1:
            for (int i = 0; i < 1 + round % 7; ++i) {
                bytes[random(bytes.size())] = static_cast<char>(random(256));
            }
            break;
        case 2:
            bytes.insert(random(bytes.size()), std::string(1 + random(8), static_cast<char>(random(256))));
            break;
        default:
            bytes[8 + random(bytes.size() - 8)] ^= static_cast<char>(1u << random(8));
            bytes.resize(bytes.size() - random(bytes.size() / 2));
            break;
        }
        // Damage never makes a movie ask for much more than the whole movie did.
        ASSERT_LE(ParsedWork(bytes), 4 * validWork) << "round " << round;
        platform::MoviePlayer player;
        player.SetQuality2(round % 2 ? "low" : "high");
        Load(player, bytes, "fuzz.swf");
        Render(player, 64, 64);
        player.Play();
        player.Tick(1000);
        player.GotoFrame(0);
        Render(player, 64, 64);
        kept.SetMovieBytes("damaged", bytes);
        Render(kept, 64, 64);
        kept.SetMovieBytes("valid", valid);
        ASSERT_EQ(Render(kept, 64, 64), validPicture) << "round " << round;
    }
}
