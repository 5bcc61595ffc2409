// The movies the writer produces, pinned by their SHA-256 digests: the canvas movie and the SWF
// export of a table of drawings, their plain shape and morph shape, and the bitmap, text, sound and
// action movies. Any change to how a tag or record is laid out shows here as a changed digest.
#include "core/document.h"
#include "core/drawing_file.h"
#include "core/host.h"
#include "movie/bitmap_tags.h"
#include "movie/canvas_movie.h"
#include "movie/edit_text.h"
#include "movie/morph_shapes.h"
#include "movie/movie_writer.h"
#include "movie/shape_encoder.h"
#include "movie/sound_stream.h"
#include "tests/support/test_support.h"

#include <QCryptographicHash>
#include <QImage>
#include <functional>
#include <gtest/gtest.h>

namespace {

using core::PathArray;
using core::PathRecord;

std::string Sha256(const std::string &bytes)
{
    return QCryptographicHash::hash(QByteArray::fromStdString(bytes), QCryptographicHash::Sha256).toHex().toStdString();
}

PathRecord Polygon(std::vector<core::AnchorPoint> anchors, bool closed, int16_t fill, core::Color fillColour,
                   int32_t lineWidth, core::Color lineColour)
{
    PathRecord path;
    path.Anchors = std::move(anchors);
    path.blClosed = closed;
    path.FillType = fill;
    path.FillColor = fillColour;
    path.LineMode = lineWidth > 0 ? 1 : 0;
    path.LineWidth = lineWidth;
    path.LineColor = lineColour;
    return path;
}

PathRecord Gradient(int16_t fill, int32_t stops, float angle)
{
    PathRecord path = Polygon({{100, 100}, {2100, 100}, {2100, 1500}, {100, 1500}}, true, fill, 0xFF2040E0, 40,
                              0x80102030);
    path.GradCenterX = 1100;
    path.GradCenterY = 800;
    path.GradAngle = angle;
    path.GradRatioX = 0.061f;
    path.GradRatioY = 0.043f;
    path.GradColor = 0xC000FF00;
    path.SetStopCount(stops);
    for (int32_t k = 1; k <= stops; ++k) {
        path.Stops[static_cast<size_t>(k)] = {0xFF000000u | static_cast<uint32_t>(k * 0x1F3A5B), k * 40};
    }
    return path;
}

PathArray Drawing(const std::vector<PathRecord> &paths)
{
    PathArray array{PathRecord()};
    array.insert(array.end(), paths.begin(), paths.end());
    return array;
}

PathArray FromFile(const char *name)
{
    core::DrawingFileContents contents;
    std::string message;
    EXPECT_TRUE(core::ReadDrawingFile(std::string(QUILLARK_TEST_DATA) + "/" + name, contents, message)) << message;
    return contents.Paths;
}

// Drawings covering the record kinds the shape writer emits.
std::vector<std::pair<std::string, PathArray>> FixtureDrawings()
{
    const int16_t curve = core::kControlPoint;
    PathRecord curved = Polygon({{300, 300}, {900, -200, curve}, {1500, 300}, {1800, 900, curve}, {1200, 1400, curve},
                                 {600, 1200}},
                                true, core::kFillSolid, 0xFF0000FF, 20, 0xFF000000);
    PathRecord open = Polygon({{0, 0}, {400, 800, curve}, {1200, 0}, {70000, 90000}}, false, core::kFillSolid,
                              0xFFFFFFFF, 100, 0xFF00FF00);
    PathRecord first = Polygon({{0, 0}, {3000, 0}, {3000, 3000}, {0, 3000}}, true, core::kFillSolid, 0xFF808000, 0, 0);
    PathRecord hole = Polygon({{1000, 1000}, {1000, 2000}, {2000, 2000}, {2000, 1000}}, true, core::kFillSolid,
                              0xFF808000, 0, 0);
    first.blCompound = hole.blCompound = true;
    first.CompoundID = hole.CompoundID = 7;
    PathRecord hidden = Polygon({{5, 5}, {50, 5}, {50, 50}}, true, core::kFillSolid, 0xFF123456, 10, 0xFF654321);
    hidden.DispFlags = core::kDispHidden;
    PathRecord far = Polygon({{-900000, -900000}, {900000, 5}, {8, 900000}}, true, core::kFillSolid, 0x40FF00FF,
                             65535 * 2, 0xFF0000FF);
    std::vector<PathRecord> many;
    for (int32_t i = 0; i < 300; ++i) {
        many.push_back(Polygon({{i * 30, 0}, {i * 30 + 20, 400}, {i * 30 + 10, 700}}, i % 3 != 0, core::kFillSolid,
                               0xFF000000u | static_cast<uint32_t>(i * 7919), i % 5 * 10, 0xFF00FFFF));
    }
    return {
        {"drawing_010", FromFile("drawing_010.qlk")},
        {"drawing_020", FromFile("drawing_020.qlk")},
        {"drawing_030", FromFile("drawing_030.qlk")},
        {"curves", Drawing({curved, open})},
        {"gradients", Drawing({Gradient(core::kFillLinear, 0, 0), Gradient(core::kFillLinear, 3, 30),
                               Gradient(core::kFillReflected, 2, 45), Gradient(core::kFillRadial, 6, -120)})},
        {"compound", Drawing({first, hole, hidden})},
        {"far", Drawing({far})},
        {"many", Drawing(many)},
    };
}

class CanvasHost : public core::Host {
public:
    bool GridChecked() const override { return true; }
};

class MovieDigest : public testing::Test {
protected:
    void SetUp() override
    {
        core::ResetDocumentForTest();
        movie::ResetWriterForTest();
        movie::ResetCanvasMovieForTest();
        core::SetHost(&host_);
        core::Doc().CanvasTempFile = testsupport::TempPath("_canvtemp.tmp");
        core::CanvasSettings &settings = core::Doc().CurrentSettings;
        settings.Width = 200;
        settings.Height = 150;
        settings.GridWidth = 400;
        settings.GridHeight = 300;
        settings.BackgroundFlag = 0;
    }
    void TearDown() override { core::SetHost(nullptr); }

    // The bytes of a one-frame movie: the definitions written by define, one placement of id
    // (with a ratio when given), a frame and the End tag.
    static std::string TagMovie(const std::function<void()> &define, int32_t id, float ratio = -1.0f)
    {
        std::string path = testsupport::TempPath("digest.swf");
        movie::BeginMovie(6, 320, 240, 12.0f);
        define();
        movie::ControlMovieFile(path, movie::kMovieOpen);
        movie::PlaceObject(id, 40, 60, 1.5f, 0.75f, 0.3f, 0x102030, 200, 0, "shape", "", movie::kNoClipLayer, ratio,
                           movie::ColorTransformSpec());
        movie::NextFrame();
        movie::ControlMovieFile(path, movie::kMovieFrames);
        movie::WriteEndTag();
        EXPECT_TRUE(movie::ControlMovieFile(path, movie::kMovieFinish));
        return testsupport::ReadAll(path);
    }

    static std::string CanvasMovie(const PathArray &paths, int32_t drawOutside)
    {
        core::Doc().DocPaths = paths;
        core::Doc().CurrentSettings.DrawOutsideFlag = drawOutside;
        movie::MakeCanvasMovie();
        return testsupport::ReadAll(core::Doc().CanvasTempFile);
    }

    static PathArray Shifted(PathArray paths, int32_t dx, int32_t dy)
    {
        for (size_t i = 1; i < paths.size(); ++i) {
            for (core::AnchorPoint &anchor : paths[i].Anchors) {
                anchor.X += dx;
                anchor.Y += dy;
            }
            paths[i].FillColor ^= 0x00FF00FFu;
            paths[i].LineWidth += 20;
        }
        return paths;
    }

    CanvasHost host_;
};

struct Expected {
    const char *drawing;
    const char *canvas;
    const char *exported;
    const char *plain;
    const char *morph;
};

// Digests of the movies written for each fixture drawing.
const Expected kDrawingDigests[] = {
    {"drawing_010", "73bb67822b4f5237b9e136c624a894c6b1e5473fd0b6f08a2246f21bcdc29f32",
     "b3c03da8b93adae8cef61aeb5bff53319bdf3710e289483ed3af745d81d30515",
     "ab5ec67b95a66484c94222270299787e663b7beebcaaa46ed264c722f51ceb1c",
     "051d0b7b428854d57816da442768e7f05e16c4d1da4ecc70da5d923f69ac9a9d"},
    {"drawing_020", "2718b01d95e5c917901f1bab300cfacb8b9bea4b959f9480863142dd047311ad",
     "20351ea9aca4699131f3ae68999da7bcff40554d369a64e19a1a12cfa4b37a7f",
     "4b04da512bf1b8c3190cd6ca31c9764250874523a96993fdcb5f59d0d3395d65",
     "78d86d89cdd2255fc554f9c442a9ea7f58548a4d1043a17ffc2d1fd0180e3998"},
    {"drawing_030", "d363e3a23105152caca88a54ebc7bcb3e57bf0efe25f8d5c580763a3d967021b",
     "1618886f2c2605b5c534f04bc55965b21905ad8b0cadbd5d9a4a3330f019c97c",
     "77ce70e990c6941f5a58fd42a0b83e72b344a53452b95a5828c04d27731c150a",
     "1e193f36f53e049da413d761cf1f30fd88e47bcb01a3fd6b80aeff6f30d31607"},
    {"curves", "e6b58b393e7336b110e20f24eee18690fd3696246c7539cee22de44e2628e6d3",
     "e6b58b393e7336b110e20f24eee18690fd3696246c7539cee22de44e2628e6d3",
     "fb7ac4a6885fa9b338ed0744046930504fa3207b5fe427f2feb0ac72311500f1",
     "2c5328c97839c3e5c2cd3629561ac4d71ca6b5bde824dbd6dce090370fec8ded"},
    {"gradients", "40d009bfafb4d1e8022039b898d4802ad7a22b3644ed50ac05b8245b2216cb19",
     "40d009bfafb4d1e8022039b898d4802ad7a22b3644ed50ac05b8245b2216cb19",
     "96bd1b5f63a36b73049345015e4fb1097219f7386ad24d023ff5186d4c26547d",
     "4ff273b2e32fc5b94b7bb024dd7bd4bb3c6d7851ffbf7983974ba0f7117bfc4d"},
    {"compound", "f7b3ac0a2a4c7fbdeb9b08b2a9c58771f7bdca402274127e4490306ffae1910b",
     "74c60e04db2a35832ac9c9f4549aa9a755ef9f41050f03d52b873415d6a32ab3",
     "257eb4ddb9cad5837a74d60ad12444c05b1ca8077cc7de27c538b4172d4a711c",
     "6bc9d8767d6a29aabfb9cd4a2a8223b0b8de267f63129eb6c2c860b9ae10d8eb"},
    {"far", "5b292e963f97f9c80dbff9c3584c9ade21f2e7962d3d2a1132e19a9c430929c5",
     "5b292e963f97f9c80dbff9c3584c9ade21f2e7962d3d2a1132e19a9c430929c5",
     "298c10499bf13b7f92f2fecfa30dbf0d47b004647d09334555312626ebd794a2",
     "06427301f2352a7e28924750868a0183b39f876bf98961b6172a1a81827e1ad3"},
    {"many", "352674ef2aae0cd592db16ccc16670e5b77909785886adc87cc3fb03411da7c6",
     "08fbf0dca07e7c2b371f59cfa0972696908a2026b59111eb5633cebe467a71e1",
     "8dce30ba24152e38e0258a1152e3f05faab73bd8ab6413c21b3ba883dc5ba524",
     "8a1d5a78e67e44234b8bc9e3cd2bdd8a65e7659d3bf9b32ede9de1e202e58022"},
};

TEST_F(MovieDigest, DrawingMoviesKeepTheirBytes)
{
    const auto drawings = FixtureDrawings();
    ASSERT_EQ(drawings.size(), std::size(kDrawingDigests));
    for (size_t i = 0; i < drawings.size(); ++i) {
        const auto &[name, paths] = drawings[i];
        const Expected &expected = kDrawingDigests[i];
        ASSERT_EQ(name, expected.drawing);
        EXPECT_EQ(Sha256(CanvasMovie(paths, 1)), expected.canvas) << name << " canvas";
        EXPECT_EQ(Sha256(CanvasMovie(paths, 0)), expected.exported) << name << " export";
        PathArray plain = paths;
        EXPECT_EQ(Sha256(TagMovie([&] { movie::DefineShape(5, plain, false); }, 5)), expected.plain)
            << name << " plain shape";
        PathArray end = Shifted(paths, 700, -300);
        core::Rect32 startBox{0, 0, 4000, 3000};
        core::Rect32 endBox{700, -300, 4700, 2700};
        EXPECT_EQ(Sha256(TagMovie([&] { movie::DefineMorphShape(6, paths, end, startBox, endBox); }, 6, 0.4f)),
                  expected.morph)
            << name << " morph";
    }
}

std::string PictureFile(const char *name, const char *format, bool alpha)
{
    QImage picture(37, 23, alpha ? QImage::Format_ARGB32 : QImage::Format_RGB32);
    for (int y = 0; y < picture.height(); ++y) {
        for (int x = 0; x < picture.width(); ++x) {
            picture.setPixel(x, y, qRgba(x * 7, y * 11, (x * y) & 0xFF, alpha ? (x * 13 + y) & 0xFF : 0xFF));
        }
    }
    std::string path = testsupport::TempPath(name);
    EXPECT_TRUE(picture.save(QString::fromStdString(path), format));
    return path;
}

TEST_F(MovieDigest, BitmapTextSoundAndActionMoviesKeepTheirBytes)
{
    const std::string bmp = PictureFile("digest.bmp", "BMP", false);
    const std::string png = PictureFile("digest.png", "PNG", true);
    struct Case {
        const char *name;
        std::function<std::string()> write;
        const char *digest;
    };
    const Case cases[] = {
        {"bitmap", [&] {
             return TagMovie([&] {
                 movie::DefineBitsJpeg3(2, bmp, 0, 0, 80, false, 0);
                 movie::DefineBitmapShape(3, 2, 37, 23);
             }, 3);
         }, "b4a453b7ad6d7098f95e1b89f8a57e60b89833c6dcf1c9591ac6636dd9992e27"},
        {"keyed bitmap", [&] {
             return TagMovie([&] {
                 movie::DefineBitsJpeg3(2, bmp, movie::kBitmapColorKey | (1 << movie::kBitmapKeyModeShift),
                                        0x00161B, 60, true, 2);
                 movie::DefineBitmapShape(3, 2, 37, 23);
             }, 3);
         }, "e50e9eadab5810ba9a0b214dc7501504f143b0cbbfffff16bf7df4eb36eda0d6"},
        {"alpha bitmap", [&] {
             return TagMovie([&] {
                 movie::DefineBitsJpeg3(2, png, 0, 0, 90, true, 0);
                 movie::DefineBitmapShape(3, 2, 37, 23);
             }, 3);
         }, "e792457403bb033de55daa9f70b78360ab63c88a1bea300bffe17773b06eaa5d"},
        {"text", [&] {
             return TagMovie([&] {
                 movie::DefineDeviceFont(1, "_sans", movie::kFontBold | movie::kFontItalic);
                 movie::DefineDeviceFont(2, "IPAGothic", 0);
                 movie::DefineEditText(3, 1, 240, 40, "Hello\r\nworld", 120, 40, 1, 0x80204060, "v", 0, 0, false);
                 movie::DefineEditText(4, 2, 360, 0, "\xE6\x97\xA5\xE6\x9C\xAC", 0, 0, 2, 0xFF0000FF, "", 5, 12, true);
             }, 3);
         }, "028353eacc0c8d2b6da2ca3cde824723e993cd3aa768902de9d59dbece235c30"},
        {"sound", [&] {
             std::string path = testsupport::TempPath("sound.swf");
             movie::BeginMovie(6, 100, 100, 12.0f);
             movie::SoundStreamState &sound = movie::SoundStream();
             for (int i = 0; i < 8; ++i) {
                 std::vector<uint8_t> frame(417, static_cast<uint8_t>(i + 1));
                 frame[0] = 0xFF;
                 frame[1] = 0xFB;
                 frame[2] = 0x90;
                 frame[3] = 0x44;
                 sound.SoundData.insert(sound.SoundData.end(), frame.begin(), frame.end());
             }
             sound.SoundPos = 0;
             sound.SamplesPerMp3Frame = 1152;
             sound.SoundSampleRate = 44100;
             movie::ControlMovieFile(path, movie::kMovieOpen);
             for (int frame = 0; frame < 3; ++frame) {
                 movie::NextFrame();
             }
             movie::ControlMovieFile(path, movie::kMovieFrames);
             movie::WriteEndTag();
             movie::ControlMovieFile(path, movie::kMovieFinish);
             return testsupport::ReadAll(path);
         }, "0c1a383ebb00d491fe292ca4fd7a632f15f598bc3ab109e6a8cbbc07d639d39b"},
        {"actions and placements", [&] {
             std::string path = testsupport::TempPath("actions.swf");
             movie::BeginMovie(6, 320, 240, 24.0f);
             movie::SetBackgroundColor(10, 20, 30);
             PathArray paths = Drawing({Gradient(core::kFillRadial, 2, 10)});
             movie::DefineShape(1, paths, true);
             movie::ControlMovieFile(path, movie::kMovieOpen);
             movie::PlaceObject(1, 0, 0, 1, 1, 0, 0, 256, 0, "clip",
                                "onClipEvent(load) {\r\n  x = 1;\r\n}\r\n-\r\non(keyPress \"<Left>\") {\r\n  "
                                "_root.y = x + 2;\r\n}\r\n",
                                movie::kNoClipLayer, -1.0f, movie::ColorTransformSpec());
             movie::ColorTransformSpec spec;
             spec.UseTransform = true;
             spec.RedMult = 0.5f;
             spec.GreenAdd = -40;
             spec.AlphaAdd = 300;
             movie::PlaceObject(1, -500, 700, -2.0f, 3.0f, -1.2f, 0x7F0040, 64, 3, "", "", 5, 0.25f, spec);
             movie::PlaceObject(1, 20, 20, 1, 1, 0, 0, 256, 5, "", "", movie::kNoClipLayer, -1.0f,
                                movie::ColorTransformSpec());
             movie::NextFrame();
             movie::PlaceObject(1, 90, 90, 1, 1, 0, 0, 256, 3, "", "", movie::kNoClipLayer, -1.0f,
                                movie::ColorTransformSpec());
             movie::RemoveObjects("0,5");
             movie::NextFrame();
             movie::RemoveObjects("ALL");
             movie::NextFrame();
             movie::ControlMovieFile(path, movie::kMovieFrames);
             movie::WriteEndTag();
             movie::ControlMovieFile(path, movie::kMovieFinish);
             return testsupport::ReadAll(path);
         }, "41a0e6afbf89e6957fe7a4d634d4c49ce6f634e3837d509f7b6ade23a0720dbd"},
    };
    for (const Case &c : cases) {
        movie::ResetWriterForTest();
        EXPECT_EQ(Sha256(c.write()), c.digest) << c.name;
    }
}

}  // namespace
