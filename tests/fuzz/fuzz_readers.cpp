// Fuzzing campaign for every file reader: seeds written by our own writers (or taken from the test
// data) are damaged at random and fed to one reader for a given time. Build with the sanitizers
// (-DQUILLARK_SANITIZE=ON -DQUILLARK_FUZZ=ON) and run
//   fuzz_readers <reader> <seconds> <seed> <out folder>     a campaign
//   fuzz_readers <reader> replay <file> <out folder>          one input again
//   fuzz_readers list                                         the reader names
// The input being read is always on disk in <out>/<reader>/input.*; on a sanitizer report it is
// copied to crash-*.  An input that takes longer than the hang limit is kept as slow-* (and the
// run stops after 30 s of it); the resident size beyond 1.5 GB is kept as memory-* and stops the
// run. Allocations over 1 GB fail in the sanitizer itself (max_allocation_size_mb=1024).
#include "core/backup_file.h"
#include "core/brush_list.h"
#include "core/canvas_settings.h"
#include "core/clipboard.h"
#include "core/drawing_file.h"
#include "import/clip_importers.h"
#include "import/jpeg_file.h"
#include "import/picture_file.h"
#include "import/png_file.h"
#include "import/svg_reader.h"
#include "import/wmf_importer.h"
#include "mainwindow/brush_file.h"
#include "mainwindow/main_state.h"
#include "mainwindow/settings_file.h"
#include "mainwindow/user_color_file.h"
#include "movie/audio_file.h"
#include "movie/bitmap_tags.h"
#include "movie/canvas_movie.h"
#include "movie/canvas_movie_services.h"
#include "movie/clip_actions.h"
#include "movie/edit_text.h"
#include "movie/morph_shapes.h"
#include "movie/movie_writer.h"
#include "movie/shape_encoder.h"
#include "platform/actionscript/action_compiler.h"
#include "platform/player/movie_player.h"
#include "platform/profile/profile.h"
#include "toolwindows/thumbnail_movies.h"

#include "tests/fuzz/fuzz_mutator.h"
#include "tests/import/wmf_test_support.h"

#include <QApplication>
#include <QImage>

#include <sanitizer/common_interface_defs.h>
#include <zlib.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iostream>
#include <map>
#include <mutex>
#include <sstream>
#include <thread>
#include <unistd.h>

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {

std::string ReadFileBytes(const std::string &path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

void WriteFileBytes(const std::string &path, const std::string &bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::string DataFile(const std::string &name)
{
    return std::string(QUILLARK_TEST_DATA) + "/" + name;
}

std::string HomeFile(const std::string &name)
{
    return (fs::path(std::getenv("QUILLARK_HOME")) / name).string();
}

// ---- seeds ---------------------------------------------------------------------------------

core::PathArray DrawingPaths()
{
    core::DrawingFileContents contents;
    std::string message;
    core::ReadDrawingFile(DataFile("drawing_030.qlk"), contents, message);
    return contents.Paths;
}

std::vector<std::string> DrawingSeeds()
{
    return {ReadFileBytes(DataFile("drawing_010.qlk")), ReadFileBytes(DataFile("drawing_020.qlk")),
            ReadFileBytes(DataFile("drawing_030.qlk"))};
}

std::vector<std::string> ClipSeeds()
{
    return {ReadFileBytes(DataFile("clip_010.qkclip")), ReadFileBytes(DataFile("clip_020.qkclip")),
            ReadFileBytes(DataFile("clip_030.qkclip"))};
}

std::vector<std::string> BackupSeeds()
{
    core::BackupRecord record;
    core::DrawingFileContents contents;
    std::string message;
    core::ReadDrawingFile(DataFile("drawing_030.qlk"), contents, message);
    record.Settings = contents.Settings;
    record.Paths = contents.Paths;
    core::PathCollection step;
    step.Paths = contents.Paths;
    record.History = {core::PathCollection(), step};
    record.HistoryPos = 1;
    std::string bytes;
    core::EncodeBackupRecord(record, bytes, message);
    core::BackupRecord empty;
    std::string small;
    core::EncodeBackupRecord(empty, small, message);
    return {bytes, small};
}

std::vector<std::string> SvgSeeds()
{
    return {ReadFileBytes(DataFile("svg/raster_curves.svg")), ReadFileBytes(DataFile("svg/raster_shapes.svg"))};
}

std::vector<std::string> SvgzSeeds()
{
    return {ReadFileBytes(DataFile("svg/shapes_gzip.svgz")), ReadFileBytes(DataFile("svg/shapes_zlib.svgz"))};
}

// Plain SVG text packed as a gzip (or, with zlibHeader, a raw zlib) stream.
std::string Deflated(const std::string &text, bool zlibHeader)
{
    z_stream stream{};
    deflateInit2(&stream, 6, Z_DEFLATED, zlibHeader ? 15 : 31, 8, Z_DEFAULT_STRATEGY);
    std::string out(deflateBound(&stream, text.size()) + 32, '\0');
    stream.next_in = reinterpret_cast<Bytef *>(const_cast<char *>(text.data()));
    stream.avail_in = static_cast<uInt>(text.size());
    stream.next_out = reinterpret_cast<Bytef *>(out.data());
    stream.avail_out = static_cast<uInt>(out.size());
    deflate(&stream, Z_FINISH);
    out.resize(stream.total_out);
    deflateEnd(&stream);
    return out;
}

std::vector<std::string> WmfSeeds()
{
    wmftest::MetafileBuilder full;
    full.PictureBox(0, 0, 120, 80)
        .Objects(3)
        .WindowExtent(-80, 120)
        .Pen(53, 0x00112233)
        .Select(0)
        .Brush(0, 0x000000FF)
        .Select(1)
        .Polygon({{0, 0}, {120, 0}, {120, -80}, {0, 0}})
        .Select(1)
        .Delete(2)
        .Polyline({{0, -40}, {60, -40}, {120, -70}})
        .PolyPolygon({{{5, -5}, {50, -5}, {50, -50}}, {{10, -10}, {20, -10}, {20, -20}}});
    wmftest::MetafileBuilder plain;
    plain.Objects(1).Brush(0, 0x00FF0000).Select(0).PolyPolygon({{{0, 0}, {100, 0}, {100, 100}}});
    return {full.Bytes(), plain.Bytes()};
}

std::vector<uint8_t> TestPixels(int w, int h, bool alpha)
{
    std::vector<uint8_t> pixels(static_cast<size_t>(w * h * 4));
    for (int i = 0; i < w * h; ++i) {
        pixels[static_cast<size_t>(i * 4)] = static_cast<uint8_t>(i * 7);
        pixels[static_cast<size_t>(i * 4 + 1)] = static_cast<uint8_t>(i * 3);
        pixels[static_cast<size_t>(i * 4 + 2)] = static_cast<uint8_t>(i);
        pixels[static_cast<size_t>(i * 4 + 3)] = alpha ? static_cast<uint8_t>(i * 11) : 255;
    }
    return pixels;
}

std::string PngSeed(bool alpha)
{
    std::string path = HomeFile(alpha ? "seed_alpha.png" : "seed.png");
    importer::SavePng(TestPixels(13, 9, alpha), 13, 9, path);
    return ReadFileBytes(path);
}

std::string QtPictureSeed(const char *format, int w, int h, QImage::Format pixelFormat)
{
    QImage image(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            image.setPixel(x, y, qRgb(x * 20, y * 30, (x * y) & 0xFF));
        }
    }
    if (pixelFormat != QImage::Format_RGB32) {
        image = image.convertToFormat(pixelFormat);
    }
    std::string path = HomeFile(std::string("seed.") + format);
    image.save(QString::fromStdString(path), format);
    return ReadFileBytes(path);
}

// A 3 x 2 GIF with a four-colour table (Qt reads GIF but does not write it).
std::string GifSeed()
{
    static const unsigned char kGif[] = {
        'G', 'I', 'F', '8', '9', 'a', 3, 0, 2, 0, 0x81, 0, 0, 0xFF, 0, 0, 0, 0xFF, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF,
        0x21, 0xF9, 4, 1, 0, 0, 3, 0, 0x2C, 0, 0, 0, 0, 3, 0, 2, 0, 0, 2, 3, 0x84, 0x51, 0, 0, 0x3B};
    return std::string(reinterpret_cast<const char *>(kGif), sizeof(kGif));
}

struct PictureSeed {
    std::string bytes;
    std::string extension;
};

std::vector<PictureSeed> PictureSeeds()
{
    std::vector<PictureSeed> seeds = {{PngSeed(false), "png"},
                                      {PngSeed(true), "png"},
                                      {QtPictureSeed("jpg", 17, 11, QImage::Format_RGB32), "jpg"},
                                      {QtPictureSeed("bmp", 7, 5, QImage::Format_RGB32), "bmp"},
                                      {QtPictureSeed("bmp", 6, 4, QImage::Format_Indexed8), "bmp"},
                                      {GifSeed(), "gif"}};
    for (const std::string &wmf : WmfSeeds()) {
        seeds.push_back({wmf, "wmf"});
    }
    return seeds;
}

// Movies as our writer makes them: shapes with gradients, a bitmap with alpha, a morph, a device
// font with an edit text, several frames with moves and removals.
std::string RichMovieSeed()
{
    std::string png = HomeFile("seed_movie.png");
    importer::SavePng(TestPixels(8, 8, true), 8, 8, png);
    std::string path = HomeFile("seed_rich.swf");
    core::PathArray paths = DrawingPaths();
    movie::Writer().TagBuffer.clear();
    movie::BeginMovie(6, 200, 150, 12.0f);
    movie::SetBackgroundColor(0x10, 0x80, 0xF0);
    movie::ControlMovieFile(path, movie::kMovieOpen);
    movie::DefineShape(1, paths, false);
    movie::DefineBitsJpeg3(2, png, 0, 0, 80, true, 0);
    movie::DefineBitmapShape(3, 2, 8, 8);
    core::PathArray start(2), end(2);
    start[1] = paths.size() > 1 ? paths[1] : core::PathRecord();
    end[1] = paths.size() > 2 ? paths[2] : start[1];
    movie::DefineMorphShape(4, start, end, core::Rect32{0, 0, 4000, 3000}, core::Rect32{0, 0, 4000, 3000});
    movie::DefineDeviceFont(5, "_sans", 0);
    movie::DefineEditText(6, 5, 240, 0, "Quillark\r\nテキスト", 0, 0, 0, 0xFF0000FF, "v", 0, 4, false);
    movie::ControlMovieFile(path, movie::kMovieFlush);
    movie::ColorTransformSpec spec;
    movie::PlaceObject(1, 0, 0, 1, 1, 0, 0, 256, 1, "", "", movie::kNoClipLayer, -1, spec);
    movie::PlaceObject(3, 100, 100, 2, 2, 0.5f, 0, 200, 2, "b", "", movie::kNoClipLayer, -1, spec);
    movie::PlaceObject(4, 0, 0, 1, 1, 0, 0, 256, 3, "", "", movie::kNoClipLayer, 0.25f, spec);
    movie::PlaceObject(6, 10, 10, 1, 1, 0, 0, 256, 4, "", "", movie::kNoClipLayer, -1, spec);
    movie::NextFrame();
    spec.UseTransform = true;
    spec.RedMult = 0.5f;
    spec.BlueAdd = 40;
    movie::PlaceObject(4, 0, 0, 1, 1, 0, 0, 256, 3, "", "", movie::kNoClipLayer, 0.75f, spec);
    movie::NextFrame();
    movie::RemoveObject(2);
    movie::NextFrame();
    movie::ControlMovieFile(path, movie::kMovieFrames);
    movie::WriteEndTag();
    movie::ControlMovieFile(path, movie::kMovieFinish);
    return ReadFileBytes(path);
}

std::string ThumbMovieSeed()
{
    core::PathArray paths = DrawingPaths();
    return toolwindows::ThumbnailMovieBytes(paths, 120, 90, 0, 0);
}

std::vector<std::string> SwfSeeds()
{
    return {RichMovieSeed(), ThumbMovieSeed()};
}

std::vector<std::string> IniSeeds()
{
    platform::ProfileFile file;
    mainwindow::SettingsExtras extras;
    extras.Window = {2, 120, 340, 9000, 7000};
    extras.RecentFiles[0] = "/home/user/絵.qlk";
    extras.RecentFiles[1] = "/tmp/b.qlk";
    mainwindow::WriteSettings(file, extras, mainwindow::MainState(), core::CanvasSettings());
    std::string text = file.Text();
    return {text, text.substr(0, text.size() / 2) + "[x]\r\n=\r\nkey\r\n[\r\n"};
}

std::vector<std::string> DefaultDatSeeds()
{
    std::string path = HomeFile("seed_default.dat");
    mainwindow::SavePreferenceSub(path, core::CanvasSettings());
    return {ReadFileBytes(path)};
}

std::vector<std::string> BrushSeeds()
{
    core::SetupDefaultBrushes();
    return {mainwindow::BrushFileBytes(core::Brushes())};
}

std::vector<std::string> UserColorSeeds()
{
    mainwindow::UserColorTable table(6);
    for (size_t r = 0; r < table.size(); ++r) {
        for (size_t c = 0; c < 6; ++c) {
            table[r][c] = static_cast<uint32_t>(r * 0x102030 + c * 0x0F0F0F) & 0xFFFFFF;
        }
    }
    return {mainwindow::UserColorFileText(table)};
}

void PutLe(std::string &bytes, uint32_t value, int size)
{
    for (int i = 0; i < size; ++i) {
        bytes += static_cast<char>((value >> (8 * i)) & 0xFF);
    }
}

std::vector<std::string> AudioSeeds()
{
    std::string wav = "RIFF";
    PutLe(wav, 36 + 64, 4);
    wav += "WAVEfmt ";
    PutLe(wav, 16, 4);
    PutLe(wav, 1, 2);
    PutLe(wav, 2, 2);
    PutLe(wav, 22050, 4);
    PutLe(wav, 22050 * 4, 4);
    PutLe(wav, 4, 2);
    PutLe(wav, 16, 2);
    wav += "data";
    PutLe(wav, 64, 4);
    for (int i = 0; i < 64; ++i) {
        wav += static_cast<char>(i * 5);
    }
    // Three MPEG-1 Layer III frames, 128 kbit/s at 44.1 kHz (417 bytes each), joint stereo.
    std::string mp3;
    for (int frame = 0; frame < 3; ++frame) {
        std::string one = "\xFF\xFB\x90\x40";
        one.resize(417, static_cast<char>(frame + 1));
        mp3 += one;
    }
    std::string id3 = "ID3\x03\x00\x00\x00\x00\x00\x0A" + std::string(10, '\0') + mp3;
    return {wav, mp3, id3, "MMMD0000", "melo0000", "MThd\x00\x00\x00\x06"};
}

std::vector<std::string> ScriptSeeds()
{
    return {
        "var a = 1;\r\nfor (var i = 0; i < 10; i++) {\r\n  a += i * 2;\r\n  if (a > 5 && !b) { trace(\"big\"); }\r\n}\r\n"
        "function f(x, y) { return x + y; }\r\n_root.clip._x = f(a, 3);\r\ngotoAndPlay(\"label\");\r\n",
        "onClipEvent(load, enterFrame) {\r\n  this._rotation += 5;\r\n  if (this._alpha < 50) { stop(); }\r\n}\r\n-\r\n"
        "on(press, keyPress \"<Left>\") {\r\n  startDrag(this, true);\r\n  s = new Array(1, 2, \"x\");\r\n"
        "  while (n-- > 0) { s[n] = n % 3; }\r\n}\r\n-\r\non(release) { stopDrag(); getURL(\"a.html\", \"_blank\"); }\r\n"};
}

// ---- the readers -----------------------------------------------------------------------------

struct Input {
    std::string bytes;
    std::string extension;  // as the seed had it
};

// Returns whether the reader accepted the input (accepted inputs join the pool).
using ReaderFn = std::function<bool(const std::string &path, const Input &input)>;

struct Reader {
    std::function<std::vector<Input>()> seeds;
    ReaderFn read;
    std::vector<std::string> tokens;
};

std::vector<Input> WithExtension(const std::vector<std::string> &seeds, const std::string &extension)
{
    std::vector<Input> inputs;
    for (const std::string &bytes : seeds) {
        inputs.push_back({bytes, extension});
    }
    return inputs;
}

void RenderAllFrames(platform::MoviePlayer &player)
{
    QImage image(64, 48, QImage::Format_RGB32);
    int32_t frames = std::min<int32_t>(player.TotalFrames(), 40);
    for (int32_t frame = 1; frame <= frames; ++frame) {
        player.GotoFrame(frame);
        player.Render(image, QRect(0, 0, 64, 48));
    }
    player.Play();
    player.Tick(500);
    player.Render(image, QRect(0, 0, 64, 48));
}

const std::vector<std::string> kTextTokens = {"\r\n", "\n", "\r", ",", ",,", "\"", "=", "[", "]", "#TRUE#",
                                              "#FALSE#", "\x82\xa0", "\x81", "\xff", "\t", " "};

std::map<std::string, Reader> Readers()
{
    std::map<std::string, Reader> readers;
    readers["qlk"] = {[] { return WithExtension(DrawingSeeds(), "qlk"); },
                      [](const std::string &path, const Input &) {
                          core::DrawingFileContents contents;
                          std::string message;
                          return core::ReadDrawingFile(path, contents, message);
                      },
                      kTextTokens};
    readers["qkclip"] = {[] { return WithExtension(ClipSeeds(), "qkclip"); },
                         [](const std::string &path, const Input &) {
                             core::ResetClipboardForTest();
                             core::ClipFileContents contents;
                             std::string message;
                             bool ok = core::ReadClipFile(path, contents, message);
                             core::LoadClipFile(path);
                             return ok;
                         },
                         kTextTokens};
    readers["backup"] = {[] { return WithExtension(BackupSeeds(), "backup"); },
                         [](const std::string &, const Input &input) {
                             core::BackupRecord record;
                             std::string message;
                             return core::DecodeBackupRecord(input.bytes, record, message);
                         },
                         {}};
    auto svg = [](const std::string &path, const Input &) {
        importer::SvgReader reader;
        bool ok = reader.LoadSvg(path);
        if (ok) {
            reader.GetPathRecords();
        }
        importer::GetImageInfo(path, importer::kProbeContent);
        return ok;
    };
    const std::vector<std::string> svgTokens = {"<", ">", "/>", "\"", "<g>", "</g>", "<use xlink:href=\"#a\"/>",
                                                " id=\"a\"", "<!--", "<![CDATA[", "<!DOCTYPE svg [<!ENTITY e \"&e;&e;\">]>",
                                                "&e;", "url(#a)", "matrix(", "M", "C", "A", "z", "%",
                                                "viewBox=\"0 0 0 0\"", "</svg>", "<svg "};
    readers["svg"] = {[] { return WithExtension(SvgSeeds(), "svg"); }, svg, svgTokens};
    // Compressed files: damaged as they are, and (extension "svgzplain") damaged as text and then
    // packed, which reaches the SVG reader behind the decompression.
    readers["svgz"] = {[] {
                           std::vector<Input> inputs = WithExtension(SvgzSeeds(), "svgz");
                           for (Input &plain : WithExtension(SvgSeeds(), "svgzplain")) {
                               inputs.push_back(plain);
                           }
                           return inputs;
                       },
                       [svg](const std::string &path, const Input &input) {
                           if (input.extension == "svgzplain") {
                               WriteFileBytes(path, Deflated(input.bytes, input.bytes.size() % 2 == 0));
                           }
                           return svg(path, input);
                       },
                       svgTokens};
    readers["wmf"] = {[] { return WithExtension(WmfSeeds(), "wmf"); },
                      [](const std::string &, const Input &input) {
                          core::PathCollection paths;
                          std::string error;
                          bool ok = importer::ReadWmfPaths(input.bytes, paths, error);
                          importer::DrawMetafilePicture(input.bytes);
                          importer::MetafileInfo(input.bytes);
                          return ok;
                      },
                      {}};
    readers["picture"] = {[] {
                              std::vector<Input> inputs;
                              for (const PictureSeed &seed : PictureSeeds()) {
                                  inputs.push_back({seed.bytes, seed.extension});
                              }
                              return inputs;
                          },
                          [](const std::string &path, const Input &) {
                              importer::ImageInfo byContent = importer::GetImageInfo(path, importer::kProbeContent);
                              importer::GetImageInfo(path, importer::kProbeExtension);
                              std::vector<uint8_t> alpha;
                              QImage image = importer::LoadPictureFile(path, alpha);
                              movie::Writer().TagBuffer.clear();
                              movie::DefineBitsJpeg3(9, path, movie::kBitmapColorKey | (1 << movie::kBitmapKeyModeShift),
                                                     0xFFFFFF, 60, false, 2);
                              movie::Writer().TagBuffer.clear();
                              return !image.isNull() || byContent.ImageWidth > 0;
                          },
                          {"IHDR", "IDAT", "IEND", "PLTE", "tRNS", "\xFF\xD8", "\xFF\xC0", "\xFF\xDA", "BM", "GIF89a"}};
    readers["swf"] = {[] { return WithExtension(SwfSeeds(), "swf"); },
                      [](const std::string &path, const Input &) {
                          platform::MoviePlayer player;
                          player.SetMovie(path);
                          RenderAllFrames(player);
                          return player.TotalFrames() > 0;
                      },
                      {}};
    readers["ini"] = {[] { return WithExtension(IniSeeds(), "ini"); },
                      [](const std::string &path, const Input &) {
                          platform::ProfileFile file(path);
                          mainwindow::SettingsExtras extras;
                          mainwindow::MainState state;
                          core::CanvasSettings settings;
                          mainwindow::ReadSettings(file, extras, state, settings);
                          file.Set("Main", "HistoryMax", "5");
                          file.Text();
                          return true;
                      },
                      kTextTokens};
    readers["defaultdat"] = {[] { return WithExtension(DefaultDatSeeds(), "dat"); },
                             [](const std::string &path, const Input &) {
                                 core::CanvasSettings settings;
                                 mainwindow::LoadPreferenceSub(path, settings);
                                 return true;
                             },
                             kTextTokens};
    readers["brush"] = {[] { return WithExtension(BrushSeeds(), "dat"); },
                        [](const std::string &path, const Input &) {
                            core::PathArray paths;
                            std::vector<std::string> names;
                            int32_t skipped = 0;
                            return mainwindow::ReadBrushFile(path, paths, names, skipped);
                        },
                        kTextTokens};
    readers["usercolor"] = {[] { return WithExtension(UserColorSeeds(), "dat"); },
                            [](const std::string &path, const Input &) {
                                mainwindow::UserColorTable table;
                                mainwindow::LoadUserColorFile(path, table);
                                return true;
                            },
                            kTextTokens};
    readers["underlay"] = {[] { return WithExtension(DrawingSeeds(), "qlk"); },
                           [](const std::string &path, const Input &) {
                               movie::ResetCanvasMovieForTest();
                               bool ok = movie::ReadUnderlayDrawing(path) == 0;
                               movie::ResetCanvasMovieForTest();
                               return ok;
                           },
                           kTextTokens};
    readers["audio"] = {[] { return WithExtension(AudioSeeds(), "bin"); },
                        [](const std::string &, const Input &input) {
                            std::span<const uint8_t> span(reinterpret_cast<const uint8_t *>(input.bytes.data()),
                                                          input.bytes.size());
                            int32_t kind = 0, bitRate = 0, sampleRate = 0, stereo = 0;
                            bool ok = movie::GetSoundInfo(span, kind, bitRate, sampleRate, stereo);
                            movie::Bytes bytes(span.begin(), span.end());
                            int32_t bits = 0, channels = 0;
                            movie::ReadWavFormat(bytes, bits, sampleRate, channels);
                            movie::Bytes all(span.begin(), span.end());
                            int32_t position = 0;
                            movie::Bytes frame;
                            for (int i = 0; i < 100000 && movie::GetNextMp3Frame(all, position, 417, frame); ++i) {
                            }
                            return ok;
                        },
                        {"RIFF", "WAVE", "fmt ", "data", "\xFF\xFB", "\xFF\xF3", "ID3"}};
    readers["script"] = {[] { return WithExtension(ScriptSeeds(), "as"); },
                         [](const std::string &, const Input &input) {
                             std::vector<uint8_t> out;
                             return platform::CompileSwfActionCode(input.bytes.c_str(), 6, out) >= 0;
                         },
                         {"{", "}", "(", ")", ";", "\"", "'", "/*", "*/", "//", "\\", "function", "var", "new",
                          "[", "]", ".", "++", "--", "+=", "?", ":", "0x", "1e400", "if", "else", "while", "for",
                          "in", "with", "return", "break", "continue", "delete", "typeof", "this", "tellTarget"}};
    readers["clipactions"] = {[] { return WithExtension(ScriptSeeds(), "as"); },
                              [](const std::string &, const Input &input) {
                                  std::string script = input.bytes;
                                  int32_t lines = 0;
                                  bool any = false;
                                  for (int i = 0; i < 1000 && !script.empty(); ++i) {
                                      movie::Bytes bytes;
                                      int32_t flags = 0, key = 0;
                                      std::string before = script;
                                      any |= movie::CompileClipActions(script, bytes, flags, lines, key) > 0;
                                      if (script == before) {
                                          break;
                                      }
                                  }
                                  return any;
                              },
                              {"onClipEvent(", "on(", "-\r\n", "keyPress \"<Left>\"", "keyPress \"", "press",
                               "enterFrame", "{", "}", "\"<", ">\"", "#file \"a.as\"\r\n"}};
    readers["thumbs"] = {[] {
                             std::vector<Input> inputs = WithExtension(DrawingSeeds(), "qlk");
                             for (Input &clip : WithExtension(ClipSeeds(), "qkclip")) {
                                 inputs.push_back(clip);
                             }
                             for (Input &svgSeed : WithExtension(SvgSeeds(), "svg")) {
                                 inputs.push_back(svgSeed);
                             }
                             return inputs;
                         },
                         [](const std::string &path, const Input &input) {
                             std::string movie = input.extension == "qlk"      ? toolwindows::MakeDrawingThumbMovie(path, 80, 60)
                                                 : input.extension == "qkclip" ? toolwindows::MakeClipThumbMovie(path, 80, 60)
                                                                               : toolwindows::MakeSvgThumbMovie(path, 80, 60);
                             if (movie.empty()) {
                                 return false;
                             }
                             platform::MoviePlayer player;
                             toolwindows::RenderThumbnailMovie(player, movie, 0xFFFFFF, 80, 60, 80, 60);
                             return true;
                         },
                         kTextTokens};
    return readers;
}

// ---- watching one input --------------------------------------------------------------------

std::string g_inputPath;
std::string g_outFolder;
std::atomic<int64_t> g_startedMs{-1};
std::atomic<bool> g_slowKept{false};
double g_hangSeconds = 2.0;

int64_t NowMs()
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now().time_since_epoch()).count();
}

std::string Stamp()
{
    return std::to_string(NowMs()) + "_" + std::to_string(getpid());
}

void KeepInput(const std::string &kind)
{
    if (g_inputPath.empty()) {
        return;
    }
    std::error_code ignored;
    std::string target = g_outFolder + "/" + kind + "-" + Stamp() + fs::path(g_inputPath).extension().string();
    fs::copy_file(g_inputPath, target, fs::copy_options::overwrite_existing, ignored);
    std::fprintf(stderr, "\n*** %s input kept as %s\n", kind.c_str(), target.c_str());
}

void OnSanitizerDeath()
{
    KeepInput("crash");
}

int64_t ResidentBytes()
{
    std::ifstream statm("/proc/self/statm");
    int64_t size = 0, resident = 0;
    statm >> size >> resident;
    return resident * sysconf(_SC_PAGESIZE);
}

void Watchdog()
{
    for (;;) {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        int64_t started = g_startedMs.load();
        if (started >= 0) {
            double seconds = static_cast<double>(NowMs() - started) / 1000.0;
            if (seconds > g_hangSeconds && !g_slowKept.exchange(true)) {
                KeepInput("slow");
            }
            if (seconds > 30.0) {
                KeepInput("hang");
                std::fflush(stderr);
                std::_Exit(3);
            }
        }
        if (ResidentBytes() > (int64_t(3) << 29)) {
            KeepInput("memory");
            std::fflush(stderr);
            std::_Exit(4);
        }
    }
}

// Runs one input; returns the reader's result and the time it took.
bool RunOne(const Reader &reader, const Input &input, double &seconds)
{
    WriteFileBytes(g_inputPath, input.bytes);
    g_slowKept = false;
    auto started = Clock::now();
    g_startedMs = NowMs();
    bool ok = reader.read(g_inputPath, input);
    g_startedMs = -1;
    seconds = std::chrono::duration<double>(Clock::now() - started).count();
    return ok;
}

int Campaign(const std::string &name, const Reader &reader, double limitSeconds, uint32_t seed)
{
    std::vector<Input> seeds = reader.seeds();
    std::vector<Input> pool = seeds;
    for (const Input &s : seeds) {
        if (s.bytes.empty()) {
            std::fprintf(stderr, "%s: an empty seed\n", name.c_str());
        }
    }
    size_t maxSize = 0;
    for (const Input &s : seeds) {
        maxSize = std::max(maxSize, s.bytes.size());
    }
    fuzz::FuzzMutator mutator(seed, reader.tokens, std::max<size_t>(maxSize * 4, 4096));
    std::mt19937 random(seed * 2654435761u);
    auto end = Clock::now() + std::chrono::duration<double>(limitSeconds);
    int64_t runs = 0, accepted = 0, slow = 0;
    double slowest = 0;
    size_t slowestSize = 0;
    while (Clock::now() < end) {
        const Input &base = pool[random() % pool.size()];
        const Input &other = pool[random() % pool.size()];
        Input input{mutator.Mutate(base.bytes, other.bytes), base.extension};
        g_inputPath = g_outFolder + "/input." + input.extension;
        double seconds = 0;
        bool ok = RunOne(reader, input, seconds);
        ++runs;
        if (ok) {
            ++accepted;
            if (pool.size() < 300) {
                pool.push_back(input);
            } else if (random() % 4 == 0) {
                pool[seeds.size() + random() % (pool.size() - seeds.size())] = input;
            }
        }
        if (seconds > 1.0) {
            ++slow;
            if (!g_slowKept) {
                KeepInput("slow1s");
            }
            std::fprintf(stderr, "%s: %.2f s for %zu bytes\n", name.c_str(), seconds, input.bytes.size());
        }
        if (seconds > slowest) {
            slowest = seconds;
            slowestSize = input.bytes.size();
        }
    }
    std::printf("%s: %lld inputs, %lld accepted, %lld over 1 s, slowest %.3f s (%zu bytes)\n", name.c_str(),
                static_cast<long long>(runs), static_cast<long long>(accepted), static_cast<long long>(slow), slowest,
                slowestSize);
    return 0;
}

}  // namespace

int main(int argc, char **argv)
{
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    std::map<std::string, Reader> readers = Readers();
    if (argc == 2 && std::string(argv[1]) == "list") {
        for (const auto &entry : readers) {
            std::printf("%s\n", entry.first.c_str());
        }
        return 0;
    }
    if (argc != 5 || !readers.count(argv[1])) {
        std::fprintf(stderr, "usage: fuzz_readers <reader> <seconds>|replay <seed>|<file> <out folder>\n");
        return 2;
    }
    const std::string name = argv[1];
    g_outFolder = (fs::path(argv[4]) / name).string();
    fs::create_directories(g_outFolder);
    std::string home = g_outFolder + "/home-" + std::to_string(getpid());
    fs::create_directories(home);
    setenv("QUILLARK_HOME", home.c_str(), 1);
    if (const char *limit = std::getenv("FUZZ_HANG_SECONDS")) {
        g_hangSeconds = std::atof(limit);
    }
    QApplication app(argc, argv);
    importer::InstallPathImporters();
    movie::InstallCanvasServices();
    __sanitizer_set_death_callback(OnSanitizerDeath);
    std::thread(Watchdog).detach();
    const Reader &reader = readers.at(name);
    int result = 0;
    if (std::string(argv[2]) == "replay") {
        Input input{ReadFileBytes(argv[3]), fs::path(argv[3]).extension().string().substr(1)};
        g_inputPath = g_outFolder + "/replay-" + std::to_string(getpid()) + "." + input.extension;
        double seconds = 0;
        bool ok = RunOne(reader, input, seconds);
        std::printf("%s: %s in %.3f s\n", name.c_str(), ok ? "accepted" : "rejected", seconds);
        fs::remove(g_inputPath);
    } else {
        result = Campaign(name, reader, std::atof(argv[2]), static_cast<uint32_t>(std::strtoul(argv[3], nullptr, 10)));
    }
    std::error_code ignored;
    fs::remove_all(home, ignored);
    return result;
}
