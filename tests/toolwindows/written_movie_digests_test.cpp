// The movies the program writes, pinned by their SHA-256 digests, one row per drawing and product:
// the canvas movie (with the grid, cold, redrawn and after a one-anchor edit), its export form,
// the plain DefineShape and the morph shape of a drawing, the thumbnail of a selection, the file
// browser's thumbnail, and the bitmap, text, sound and action movies. A change to how a tag or a
// record is laid out, or to how shapes are encoded or cached, that alters one byte shows here.
#include "core/document.h"
#include "core/drawing_file.h"
#include "core/host.h"
#include "import/svg_reader.h"
#include "movie/bitmap_tags.h"
#include "movie/canvas_movie.h"
#include "movie/edit_text.h"
#include "movie/morph_shapes.h"
#include "movie/movie_writer.h"
#include "movie/shape_encoder.h"
#include "movie/sound_stream.h"
#include "tests/support/test_support.h"
#include "toolwindows/thumbnail_movies.h"

#include <QCryptographicHash>
#include <QImage>

#include <cstdio>
#include <functional>
#include <gtest/gtest.h>
#include <map>
#include <set>
#include <string>

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
    EXPECT_TRUE(core::ReadDrawingFile(testsupport::DataPath(name), contents, message)) << message;
    return contents.Paths;
}

// A drawing file as the editor opens it: without its empty paths.
PathArray Opened(const char *name)
{
    PathArray paths = FromFile(name);
    core::RemoveEmptyPaths(paths);
    return paths;
}

// Drawings covering the record kinds the shape writer emits.
std::vector<std::pair<std::string, PathArray>> WriterDrawings()
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

// A deterministic drawing of every kind of path the encoder knows: solid and gradient fills with
// stops, open and closed outlines with curves, compound paths, hidden paths, a one-anchor path and
// anchors far outside the canvas (split and clamped edges).
core::PathArray MixedDrawing()
{
    uint32_t state = 12345;
    auto next = [&state](uint32_t range) {
        state = state * 1103515245u + 12345u;
        return static_cast<int32_t>((state >> 8) % range);
    };
    core::PathArray paths{core::PathRecord()};
    for (int i = 1; i <= 60; ++i) {
        core::PathRecord path;
        const int32_t cx = next(8000);
        const int32_t cy = next(8000);
        const int anchors = i == 17 ? 1 : 3 + next(9);
        for (int k = 0; k < anchors; ++k) {
            const int16_t kind = k % 3 == 1 ? core::kControlPoint : core::kOnCurve;
            path.Anchors.push_back({cx + next(1500), cy + next(1500), kind});
        }
        if (i % 13 == 0) {
            path.Anchors.push_back({cx + 900000000, cy - 700000, core::kControlPoint});
            path.Anchors.push_back({-2000000000, cy + 300000, core::kOnCurve});
        }
        path.blClosed = i % 5 != 0;
        path.LineMode = static_cast<int16_t>(i % 4 != 0);
        path.LineWidth = 20 + next(200);
        path.LineColor = 0xFF000000u | static_cast<uint32_t>(next(0xFFFFFF));
        path.FillType = static_cast<int16_t>(i % 5);
        path.FillColor = 0x80000000u | static_cast<uint32_t>(next(0xFFFFFF));
        path.GradColor = 0xFFFFFFFFu;
        path.GradCenterX = cx;
        path.GradCenterY = cy;
        path.GradAngle = static_cast<float>(next(360));
        path.GradRatioX = static_cast<float>(next(3000)) / 32768.0f;
        path.GradRatioY = static_cast<float>(next(3000)) / 32768.0f;
        path.SetStopCount(i % 8);
        for (int s = 1; s <= path.StopCount(); ++s) {
            path.Stops[static_cast<size_t>(s)] = {0xFF00FF00u + static_cast<uint32_t>(s), 30 * s};
        }
        if (i % 10 < 3) {
            path.blCompound = true;
            path.CompoundID = i / 10 + 1;
        }
        if (i % 11 == 0) {
            path.DispFlags = core::kDispHidden;
        }
        // Selected: whole compounds, members without their leader, and paths of their own.
        path.blSelected = (i % 3 == 0 && i % 10 >= 3) || (i >= 10 && i <= 12) || i == 21;
        paths.push_back(std::move(path));
    }
    return paths;
}

core::PathArray SvgPaths(const std::string &name)
{
    importer::SvgReader reader;
    EXPECT_TRUE(reader.LoadSvg(testsupport::DataPath(name)));
    return reader.GetPathRecords().Paths;
}

// The movies of a drawing by product name.
using Movies = std::map<std::string, std::string>;

class GridHost : public core::Host {
public:
    bool GridChecked() const override { return true; }
};

// Units per thread of the writer in the run under way: the writer's own, or 1 so that every
// shape with two units to encode has them encoded on threads.
size_t g_unitsPerThread = movie::WriterState().UnitsPerThread;

void ResetWriter()
{
    movie::ResetWriterForTest();
    movie::Writer().UnitsPerThread = g_unitsPerThread;
}

void ResetWriting()
{
    core::ResetDocumentForTest();
    ResetWriter();
    movie::ResetCanvasMovieForTest();
}

std::string CanvasMovieBytes()
{
    movie::MakeCanvasMovie();
    movie::EnsureCanvasMovieFile(core::Doc().CanvasTempFile);
    return testsupport::ReadAll(core::Doc().CanvasTempFile);
}

// The bytes of a one-frame movie: the definitions written by define, one placement of id
// (with a ratio when given), a frame and the End tag.
std::string TagMovie(const std::function<void()> &define, int32_t id, float ratio = -1.0f)
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

PathArray Shifted(PathArray paths, int32_t dx, int32_t dy)
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

// The writer's products on a 200 x 150 canvas with the grid shown: the canvas movie drawn outside
// the canvas and not (the export form), the drawing as one DefineShape and morphing to a shifted copy.
Movies WriterMovies(const PathArray &paths)
{
    ResetWriting();
    GridHost host;
    core::SetHost(&host);
    core::CanvasSettings &settings = core::Doc().CurrentSettings;
    settings.Width = 200;
    settings.Height = 150;
    settings.GridWidth = 400;
    settings.GridHeight = 300;
    settings.BackgroundFlag = 0;
    core::Doc().CanvasTempFile = testsupport::TempPath("_canvtemp.tmp");
    Movies movies;
    core::Doc().DocPaths = paths;
    settings.DrawOutsideFlag = 1;
    movies["grid canvas"] = CanvasMovieBytes();
    settings.DrawOutsideFlag = 0;
    movies["grid export"] = CanvasMovieBytes();
    PathArray plain = paths;
    movies["DefineShape"] = TagMovie([&] { movie::DefineShape(5, plain, false); }, 5);
    PathArray end = Shifted(paths, 700, -300);
    core::Rect32 startBox{0, 0, 4000, 3000};
    core::Rect32 endBox{700, -300, 4700, 2700};
    movies["morph"] = TagMovie([&] { movie::DefineMorphShape(6, paths, end, startBox, endBox); }, 6, 0.4f);
    core::SetHost(nullptr);
    return movies;
}

// The editor's products with the default canvas: the canvas movie cold (a redraw of the unchanged
// drawing must write the same bytes), its export form, the thumbnail of the selection (or of every
// path when none is selected), the canvas after moving one anchor, and the browser's thumbnail of
// the file when there is one.
Movies EditorMovies(const PathArray &paths, const std::string &file)
{
    ResetWriting();
    core::Doc().DocPaths = paths;
    Movies movies;
    movies["canvas"] = CanvasMovieBytes();
    EXPECT_EQ(CanvasMovieBytes(), movies["canvas"]) << "a redraw of the unchanged drawing writes the same movie";
    core::Doc().CurrentSettings.DrawOutsideFlag = 0;
    movies["export"] = CanvasMovieBytes();
    core::Doc().CurrentSettings.DrawOutsideFlag = 1;

    const bool none = core::CountSelectedPaths() == 0;
    PathArray selected{PathRecord()};
    for (size_t i = 1; i < core::Doc().DocPaths.size(); ++i) {
        if (core::Doc().DocPaths[i].blSelected || none) {
            selected.push_back(core::Doc().DocPaths[i]);
            selected.back().DispFlags = 0;
        }
    }
    movies["selection thumbnail"] = toolwindows::ThumbnailMovieBytes(selected, 120, 90, 15, -30);

    if (core::Doc().DocPathCount() >= 1) {
        core::MoveAnchor(35, -20, core::Doc().DocPathCount() / 2 + 1, 0);
        movies["edited canvas"] = CanvasMovieBytes();
    }
    if (!file.empty()) {
        movies["browser thumbnail"] = toolwindows::MakeDrawingThumbMovie(testsupport::DataPath(file), 96, 96);
    }
    return movies;
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

// Movies of single tags: bitmaps, device text, a sound stream, and clip actions with placements.
Movies TagMovies()
{
    ResetWriting();
    const std::string bmp = PictureFile("digest.bmp", "BMP", false);
    const std::string png = PictureFile("digest.png", "PNG", true);
    const std::pair<const char *, std::function<std::string()>> movies[] = {
        {"bitmap", [&] {
             return TagMovie([&] {
                 movie::DefineBitsJpeg3(2, bmp, 0, 0, 80, false, 0);
                 movie::DefineBitmapShape(3, 2, 37, 23);
             }, 3);
         }},
        {"keyed bitmap", [&] {
             return TagMovie([&] {
                 movie::DefineBitsJpeg3(2, bmp, movie::kBitmapColorKey | (1 << movie::kBitmapKeyModeShift),
                                        0x00161B, 60, true, 2);
                 movie::DefineBitmapShape(3, 2, 37, 23);
             }, 3);
         }},
        {"alpha bitmap", [&] {
             return TagMovie([&] {
                 movie::DefineBitsJpeg3(2, png, 0, 0, 90, true, 0);
                 movie::DefineBitmapShape(3, 2, 37, 23);
             }, 3);
         }},
        {"text", [&] {
             return TagMovie([&] {
                 movie::DefineDeviceFont(1, "_sans", movie::kFontBold | movie::kFontItalic);
                 movie::DefineDeviceFont(2, "IPAGothic", 0);
                 movie::DefineEditText(3, 1, 240, 40, "Hello\r\nworld", 120, 40, 1, 0x80204060, "v", 0, 0, false);
                 movie::DefineEditText(4, 2, 360, 0, "\xE6\x97\xA5\xE6\x9C\xAC", 0, 0, 2, 0xFF0000FF, "", 5, 12, true);
             }, 3);
         }},
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
         }},
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
         }},
    };
    Movies written;
    for (const auto &[name, write] : movies) {
        ResetWriter();
        written[name] = write();
    }
    return written;
}

// Every drawing with the products written of it.
std::vector<std::pair<std::string, Movies>> AllMovies()
{
    std::vector<std::pair<std::string, Movies>> all;
    for (const auto &[name, paths] : WriterDrawings()) {
        all.emplace_back(name, WriterMovies(paths));
    }
    for (const char *file : {"drawing_010.qlk", "drawing_020.qlk", "drawing_030.qlk"}) {
        const std::string name(file, std::string(file).find('.'));
        all.emplace_back(name + " opened", EditorMovies(Opened(file), file));
    }
    all.emplace_back("raster_curves", EditorMovies(SvgPaths("svg/raster_curves.svg"), ""));
    all.emplace_back("raster_shapes", EditorMovies(SvgPaths("svg/raster_shapes.svg"), ""));
    all.emplace_back("mixed", EditorMovies(MixedDrawing(), ""));
    all.emplace_back("tags", TagMovies());
    return all;
}

struct DigestRow {
    const char *drawing;
    const char *product;
    const char *digest;
};

const DigestRow kDigests[] = {
        {"drawing_010", "grid canvas", "73bb67822b4f5237b9e136c624a894c6b1e5473fd0b6f08a2246f21bcdc29f32"},
        {"drawing_010", "grid export", "b3c03da8b93adae8cef61aeb5bff53319bdf3710e289483ed3af745d81d30515"},
        {"drawing_010", "DefineShape", "ab5ec67b95a66484c94222270299787e663b7beebcaaa46ed264c722f51ceb1c"},
        {"drawing_010", "morph", "051d0b7b428854d57816da442768e7f05e16c4d1da4ecc70da5d923f69ac9a9d"},
        {"drawing_020", "grid canvas", "2718b01d95e5c917901f1bab300cfacb8b9bea4b959f9480863142dd047311ad"},
        {"drawing_020", "grid export", "20351ea9aca4699131f3ae68999da7bcff40554d369a64e19a1a12cfa4b37a7f"},
        {"drawing_020", "DefineShape", "4b04da512bf1b8c3190cd6ca31c9764250874523a96993fdcb5f59d0d3395d65"},
        {"drawing_020", "morph", "78d86d89cdd2255fc554f9c442a9ea7f58548a4d1043a17ffc2d1fd0180e3998"},
        {"drawing_030", "grid canvas", "d363e3a23105152caca88a54ebc7bcb3e57bf0efe25f8d5c580763a3d967021b"},
        {"drawing_030", "grid export", "1618886f2c2605b5c534f04bc55965b21905ad8b0cadbd5d9a4a3330f019c97c"},
        {"drawing_030", "DefineShape", "77ce70e990c6941f5a58fd42a0b83e72b344a53452b95a5828c04d27731c150a"},
        {"drawing_030", "morph", "1e193f36f53e049da413d761cf1f30fd88e47bcb01a3fd6b80aeff6f30d31607"},
        {"curves", "grid canvas", "e6b58b393e7336b110e20f24eee18690fd3696246c7539cee22de44e2628e6d3"},
        {"curves", "grid export", "e6b58b393e7336b110e20f24eee18690fd3696246c7539cee22de44e2628e6d3"},
        {"curves", "DefineShape", "fb7ac4a6885fa9b338ed0744046930504fa3207b5fe427f2feb0ac72311500f1"},
        {"curves", "morph", "2c5328c97839c3e5c2cd3629561ac4d71ca6b5bde824dbd6dce090370fec8ded"},
        {"gradients", "grid canvas", "40d009bfafb4d1e8022039b898d4802ad7a22b3644ed50ac05b8245b2216cb19"},
        {"gradients", "grid export", "40d009bfafb4d1e8022039b898d4802ad7a22b3644ed50ac05b8245b2216cb19"},
        {"gradients", "DefineShape", "96bd1b5f63a36b73049345015e4fb1097219f7386ad24d023ff5186d4c26547d"},
        {"gradients", "morph", "4ff273b2e32fc5b94b7bb024dd7bd4bb3c6d7851ffbf7983974ba0f7117bfc4d"},
        {"compound", "grid canvas", "f7b3ac0a2a4c7fbdeb9b08b2a9c58771f7bdca402274127e4490306ffae1910b"},
        {"compound", "grid export", "74c60e04db2a35832ac9c9f4549aa9a755ef9f41050f03d52b873415d6a32ab3"},
        {"compound", "DefineShape", "257eb4ddb9cad5837a74d60ad12444c05b1ca8077cc7de27c538b4172d4a711c"},
        {"compound", "morph", "6bc9d8767d6a29aabfb9cd4a2a8223b0b8de267f63129eb6c2c860b9ae10d8eb"},
        {"far", "grid canvas", "5b292e963f97f9c80dbff9c3584c9ade21f2e7962d3d2a1132e19a9c430929c5"},
        {"far", "grid export", "5b292e963f97f9c80dbff9c3584c9ade21f2e7962d3d2a1132e19a9c430929c5"},
        {"far", "DefineShape", "298c10499bf13b7f92f2fecfa30dbf0d47b004647d09334555312626ebd794a2"},
        {"far", "morph", "06427301f2352a7e28924750868a0183b39f876bf98961b6172a1a81827e1ad3"},
        {"many", "grid canvas", "352674ef2aae0cd592db16ccc16670e5b77909785886adc87cc3fb03411da7c6"},
        {"many", "grid export", "08fbf0dca07e7c2b371f59cfa0972696908a2026b59111eb5633cebe467a71e1"},
        {"many", "DefineShape", "8dce30ba24152e38e0258a1152e3f05faab73bd8ab6413c21b3ba883dc5ba524"},
        {"many", "morph", "8a1d5a78e67e44234b8bc9e3cd2bdd8a65e7659d3bf9b32ede9de1e202e58022"},
        {"drawing_010 opened", "canvas", "52e8bebcc357688bb686888d01288c16d129810dc0114b1bb2027ff8662fa9e9"},
        {"drawing_010 opened", "edited canvas", "dc0f151a356d8cadc29dc7a2340479134d2e07e174700f06937124ca9b546679"},
        {"drawing_010 opened", "export", "d1857f56f822dcee548bf95dc48790f315367b5e89d7c6ffc4d31e64a5f64c04"},
        {"drawing_010 opened", "selection thumbnail", "b63c3384044308dba7bca2b848e45ad5554b4913feb545433214e695ed7d07d0"},
        {"drawing_010 opened", "browser thumbnail", "5616bcbefaf077552859cb3c2afdaa9f858592941aa7dc9bec0232f938ffb263"},
        {"drawing_020 opened", "canvas", "abefd69d83bb8aaa0015338f2788ce0eb998e6b3677c8826e7a494b4035646fc"},
        {"drawing_020 opened", "edited canvas", "6eaddb98b7afba0d8ab9ecad0e653bf5ff8385c29c7ffbb2a204699208852ba3"},
        {"drawing_020 opened", "export", "c0cdb4f09981a10b30923e86a98225b17b45b5dc797b1439d71c75716215d4c9"},
        {"drawing_020 opened", "selection thumbnail", "94c8e2389364d1b89a02619df07c7151b73c6a44c22c2424b59a1cf4ae78b4aa"},
        {"drawing_020 opened", "browser thumbnail", "5171fe7fe80569c4a851371cd2adb5aa8142a07c34e85b9c10b93b1fcd834fed"},
        {"drawing_030 opened", "canvas", "4739414f3159b95e79f5cb80701971d4902e2249c63be4242a061878f97cebbe"},
        {"drawing_030 opened", "edited canvas", "408ebb07d887864d88216497f0f0b5e4a0d06b98a88b55fdd6fe0eb06fedae11"},
        {"drawing_030 opened", "export", "262c93e4e0da96c2cadbca7e768572299183008f3eef9736bd8660d9c0f2a37b"},
        {"drawing_030 opened", "selection thumbnail", "a3279429053e17b8dfa8bc91003e829a6d0b0757f5146f24a1cca76b06981363"},
        {"drawing_030 opened", "browser thumbnail", "96e29b245695159610c9c3d36e56d4713f9eb02b704f4295f8d4fa7bd6a8b137"},
        {"raster_curves", "canvas", "005017421530a4981a817c6b628501dcf50ea16758d8e1027d26ff9bcbc17215"},
        {"raster_curves", "edited canvas", "9ea47ab55bdd92a02e1473f8377e4cb8c631a1db121944304ff99b65268ab123"},
        {"raster_curves", "export", "005017421530a4981a817c6b628501dcf50ea16758d8e1027d26ff9bcbc17215"},
        {"raster_curves", "selection thumbnail", "5957290e614b8a0d38bcbc102ec020a75ec0c678ebf4644065bccfc1318237c8"},
        {"raster_shapes", "canvas", "832975237054822edb40ddbf9da1bf23e6ceae20ba1f11c5633163096f989e71"},
        {"raster_shapes", "edited canvas", "101367aa17c8cbc2f4c0afc447fad2bba91838833e46d6600dc5788ce9786d1f"},
        {"raster_shapes", "export", "832975237054822edb40ddbf9da1bf23e6ceae20ba1f11c5633163096f989e71"},
        {"raster_shapes", "selection thumbnail", "7a0bdd64f7f37126d7f3fe70430fc9652bf8a659b69f311bcfca98fa60d35c93"},
        {"mixed", "canvas", "5bc342fec4068f4ae0536a22420a1844f06449e0028736f3777f0e01de503b3d"},
        {"mixed", "edited canvas", "4cff41066ea6e8454b339435c6a4dc989e08935ad55831315ad52a9078e2d7a8"},
        {"mixed", "export", "5bc342fec4068f4ae0536a22420a1844f06449e0028736f3777f0e01de503b3d"},
        {"mixed", "selection thumbnail", "ca91aa8ff8f1bbc4969ee6f10162ed5e59e0c29d09015616ad76661fd76a1f7f"},
        {"tags", "bitmap", "b4a453b7ad6d7098f95e1b89f8a57e60b89833c6dcf1c9591ac6636dd9992e27"},
        {"tags", "keyed bitmap", "e50e9eadab5810ba9a0b214dc7501504f143b0cbbfffff16bf7df4eb36eda0d6"},
        {"tags", "alpha bitmap", "e792457403bb033de55daa9f70b78360ab63c88a1bea300bffe17773b06eaa5d"},
        {"tags", "text", "028353eacc0c8d2b6da2ca3cde824723e993cd3aa768902de9d59dbece235c30"},
        {"tags", "sound", "0c1a383ebb00d491fe292ca4fd7a632f15f598bc3ab109e6a8cbbc07d639d39b"},
        {"tags", "actions and placements", "41a0e6afbf89e6957fe7a4d634d4c49ce6f634e3837d509f7b6ade23a0720dbd"},
};

class WrittenMovieDigests : public testing::TestWithParam<size_t> {
protected:
    void SetUp() override { g_unitsPerThread = GetParam(); }
    void TearDown() override { g_unitsPerThread = movie::WriterState().UnitsPerThread; }
};

TEST_P(WrittenMovieDigests, EveryMovieKeepsItsBytes)
{
    std::set<std::pair<std::string, std::string>> pinned;
    for (const DigestRow &row : kDigests) {
        pinned.emplace(row.drawing, row.product);
    }
    std::set<std::pair<std::string, std::string>> written;
    for (const auto &[drawing, movies] : AllMovies()) {
        for (const auto &[product, bytes] : movies) {
            written.emplace(drawing, product);
            EXPECT_TRUE(pinned.count({drawing, product}))
                << drawing << " / " << product << " has no row: {\"" << drawing << "\", \"" << product << "\", \""
                << Sha256(bytes) << "\"},";
        }
        for (const DigestRow &row : kDigests) {
            if (row.drawing == drawing && movies.count(row.product)) {
                EXPECT_EQ(Sha256(movies.at(row.product)), row.digest)
                    << "row " << row.drawing << " / " << row.product << ": the movie's bytes changed";
            }
        }
    }
    for (const DigestRow &row : kDigests) {
        EXPECT_TRUE(written.count({row.drawing, row.product})) << "row " << row.drawing << " / " << row.product
                                                               << ": no such movie was written";
    }
}

// Units encoded one by one and units encoded on threads give the same bytes.
INSTANTIATE_TEST_SUITE_P(UnitsPerThread, WrittenMovieDigests,
                         testing::Values(movie::WriterState().UnitsPerThread, size_t{1}));

}  // namespace
