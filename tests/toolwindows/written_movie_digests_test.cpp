// The bytes of the movies written for the test drawings: the canvas movie (cold, redrawn, after a
// one-anchor edit), its export form (limited to the canvas), the thumbnail of a selection and the
// file browser's thumbnail. Their SHA-256 digests are fixed in the table: a change to how shapes
// are encoded or cached that alters one byte of any of them fails here.
#include "core/document.h"
#include "core/drawing_file.h"
#include "import/svg_reader.h"
#include "movie/canvas_movie.h"
#include "movie/movie_writer.h"
#include "toolwindows/thumbnail_movies.h"
#include "tests/support/test_support.h"

#include <QCryptographicHash>

#include <cstdio>
#include <functional>
#include <gtest/gtest.h>
#include <map>
#include <string>

namespace {

std::string Sha256(const std::string &bytes)
{
    return QCryptographicHash::hash(QByteArray::fromStdString(bytes), QCryptographicHash::Sha256)
        .toHex()
        .toStdString();
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

core::PathArray DrawingFilePaths(const std::string &name)
{
    core::DrawingFileContents contents;
    std::string message;
    EXPECT_TRUE(core::ReadDrawingFile(testsupport::DataPath(name), contents, message)) << message;
    core::RemoveEmptyPaths(contents.Paths);
    return std::move(contents.Paths);
}

core::PathArray SvgPaths(const std::string &name)
{
    importer::SvgReader reader;
    EXPECT_TRUE(reader.LoadSvg(testsupport::DataPath(name)));
    return reader.GetPathRecords().Paths;
}

std::string CanvasMovieBytes()
{
    movie::MakeCanvasMovie();
    return testsupport::ReadAll(core::Doc().CanvasTempFile);
}

// Digests of one drawing's movies by what they show.
std::map<std::string, std::string> MovieDigests(const core::PathArray &paths, const std::string &file)
{
    core::ResetDocumentForTest();
    movie::ResetCanvasMovieForTest();
    movie::ResetWriterForTest();
    core::Doc().DocPaths = paths;
    std::map<std::string, std::string> digests;
    const std::string cold = CanvasMovieBytes();
    digests["canvas"] = Sha256(cold);
    EXPECT_EQ(CanvasMovieBytes(), cold) << "a redraw of the unchanged drawing writes the same movie";

    core::Doc().CurrentSettings.DrawOutsideFlag = 0;
    digests["export"] = Sha256(CanvasMovieBytes());
    core::Doc().CurrentSettings.DrawOutsideFlag = 1;

    // The thumbnail of the selection, or of every path when none is selected.
    const bool none = core::CountSelectedPaths() == 0;
    core::PathArray selected{core::PathRecord()};
    for (size_t i = 1; i < core::Doc().DocPaths.size(); ++i) {
        if (core::Doc().DocPaths[i].blSelected || none) {
            selected.push_back(core::Doc().DocPaths[i]);
            selected.back().DispFlags = 0;
        }
    }
    const std::string thumb = toolwindows::WriteThumbnailMovie(selected, 120, 90, 15, -30);
    digests["thumbnail"] = Sha256(testsupport::ReadAll(thumb));
    std::remove(thumb.c_str());

    if (core::Doc().DocPathCount() >= 1) {
        core::MoveAnchor(35, -20, core::Doc().DocPathCount() / 2 + 1, 0);
        digests["edited"] = Sha256(CanvasMovieBytes());
    }
    if (!file.empty()) {
        const std::string browsed = toolwindows::MakeDrawingThumbMovie(testsupport::DataPath(file), 96, 96);
        digests["browser"] = Sha256(testsupport::ReadAll(browsed));
        std::remove(browsed.c_str());
    }
    return digests;
}

struct DrawingCase {
    const char *name;
    std::function<core::PathArray()> paths;
    const char *file;  // the drawing file the browser reads, or ""
    std::map<std::string, std::string> digests;
};

TEST(WrittenMovieDigests, EveryMovieOfTheTestDrawingsKeepsItsBytes)
{
    const std::vector<DrawingCase> cases = {
        {"drawing_010", [] { return DrawingFilePaths("drawing_010.qlk"); }, "drawing_010.qlk",
         {
          {"browser", "5616bcbefaf077552859cb3c2afdaa9f858592941aa7dc9bec0232f938ffb263"},
          {"canvas", "52e8bebcc357688bb686888d01288c16d129810dc0114b1bb2027ff8662fa9e9"},
          {"edited", "dc0f151a356d8cadc29dc7a2340479134d2e07e174700f06937124ca9b546679"},
          {"export", "d1857f56f822dcee548bf95dc48790f315367b5e89d7c6ffc4d31e64a5f64c04"},
          {"thumbnail", "b63c3384044308dba7bca2b848e45ad5554b4913feb545433214e695ed7d07d0"},
         }},
        {"drawing_020", [] { return DrawingFilePaths("drawing_020.qlk"); }, "drawing_020.qlk",
         {
          {"browser", "5171fe7fe80569c4a851371cd2adb5aa8142a07c34e85b9c10b93b1fcd834fed"},
          {"canvas", "abefd69d83bb8aaa0015338f2788ce0eb998e6b3677c8826e7a494b4035646fc"},
          {"edited", "6eaddb98b7afba0d8ab9ecad0e653bf5ff8385c29c7ffbb2a204699208852ba3"},
          {"export", "c0cdb4f09981a10b30923e86a98225b17b45b5dc797b1439d71c75716215d4c9"},
          {"thumbnail", "94c8e2389364d1b89a02619df07c7151b73c6a44c22c2424b59a1cf4ae78b4aa"},
         }},
        {"drawing_030", [] { return DrawingFilePaths("drawing_030.qlk"); }, "drawing_030.qlk",
         {
          {"browser", "96e29b245695159610c9c3d36e56d4713f9eb02b704f4295f8d4fa7bd6a8b137"},
          {"canvas", "4739414f3159b95e79f5cb80701971d4902e2249c63be4242a061878f97cebbe"},
          {"edited", "408ebb07d887864d88216497f0f0b5e4a0d06b98a88b55fdd6fe0eb06fedae11"},
          {"export", "262c93e4e0da96c2cadbca7e768572299183008f3eef9736bd8660d9c0f2a37b"},
          {"thumbnail", "a3279429053e17b8dfa8bc91003e829a6d0b0757f5146f24a1cca76b06981363"},
         }},
        {"raster_curves", [] { return SvgPaths("svg/raster_curves.svg"); }, "",
         {
          {"canvas", "005017421530a4981a817c6b628501dcf50ea16758d8e1027d26ff9bcbc17215"},
          {"edited", "9ea47ab55bdd92a02e1473f8377e4cb8c631a1db121944304ff99b65268ab123"},
          {"export", "005017421530a4981a817c6b628501dcf50ea16758d8e1027d26ff9bcbc17215"},
          {"thumbnail", "5957290e614b8a0d38bcbc102ec020a75ec0c678ebf4644065bccfc1318237c8"},
         }},
        {"raster_shapes", [] { return SvgPaths("svg/raster_shapes.svg"); }, "",
         {
          {"canvas", "832975237054822edb40ddbf9da1bf23e6ceae20ba1f11c5633163096f989e71"},
          {"edited", "101367aa17c8cbc2f4c0afc447fad2bba91838833e46d6600dc5788ce9786d1f"},
          {"export", "832975237054822edb40ddbf9da1bf23e6ceae20ba1f11c5633163096f989e71"},
          {"thumbnail", "7a0bdd64f7f37126d7f3fe70430fc9652bf8a659b69f311bcfca98fa60d35c93"},
         }},
        {"mixed", MixedDrawing, "",
         {
          {"canvas", "5bc342fec4068f4ae0536a22420a1844f06449e0028736f3777f0e01de503b3d"},
          {"edited", "4cff41066ea6e8454b339435c6a4dc989e08935ad55831315ad52a9078e2d7a8"},
          {"export", "5bc342fec4068f4ae0536a22420a1844f06449e0028736f3777f0e01de503b3d"},
          {"thumbnail", "ca91aa8ff8f1bbc4969ee6f10162ed5e59e0c29d09015616ad76661fd76a1f7f"},
         }},
    };
    for (const DrawingCase &drawing : cases) {
        SCOPED_TRACE(drawing.name);
        const std::map<std::string, std::string> digests = MovieDigests(drawing.paths(), drawing.file);
        for (const auto &[movie, digest] : digests) {
            auto expected = drawing.digests.find(movie);
            EXPECT_TRUE(expected != drawing.digests.end() && expected->second == digest)
                << "{\"" << movie << "\", \"" << digest << "\"},";
        }
    }
}

}  // namespace
