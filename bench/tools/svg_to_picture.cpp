// svg_to_picture FILE.svg OUT.png: what the editor does to show an SVG file as a picture, in a
// process of its own so that its time and peak memory can be compared with another renderer's:
// the import, the canvas movie of the imported paths (exactly the canvas, no grid, as picture
// export makes it), the player's load and render over white, and the editor's PNG encoding. The
// picture has the drawing's size and is written plainly (no sync to disk), as the other
// renderer's is.
#include "bench/bench_app.h"
#include "import/png_file.h"
#include "import/svg_reader.h"

#include <QImage>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <vector>

namespace {

bool WritePng(const std::vector<uint8_t> &pixels, int width, int height, const char *path)
{
    const std::string bytes = importer::EncodePng(pixels, width, height, true);
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return !bytes.empty() && out.good();
}

}  // namespace

int main(int argc, char **argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: svg_to_picture FILE.svg OUT.png\n");
        return 2;
    }
    QTemporaryDir home;
    qputenv("QUILLARK_HOME", home.path().toLocal8Bit());
    benchsupport::CanvasHost host;
    host.grid = false;
    int width = 0;
    int height = 0;
    {
        // The reader's outlines are released before the movie is written.
        importer::SvgReader reader;
        if (!reader.LoadSvg(argv[1])) {
            std::fprintf(stderr, "cannot read %s\n", argv[1]);
            return 1;
        }
        width = std::clamp(reader.width(), 1, movie::kMaxFramePixels);
        height = std::clamp(reader.height(), 1, movie::kMaxFramePixels);
        benchsupport::StartCanvas(host, width, height);
        core::Doc().CurrentSettings.DrawOutsideFlag = 0;
        core::Doc().DocPaths = reader.GetPathRecords().Paths;
    }
    movie::MakeCanvasMovie();
    movie::LoadCanvasMovieInto(host.player, core::Doc().CanvasTempFile);
    QImage picture(width, height, QImage::Format_RGB32);
    picture.fill(Qt::white);
    host.player.Render(picture, picture.rect());
    host.player.SetMovie("a");  // releases the movie before the picture is written
    core::SetHost(nullptr);
    // The picture is opaque: its blue, green and red bytes (RGB32 keeps them in that order)
    // make a PNG without alpha, as the other renderer writes for an opaque picture.
    std::vector<uint8_t> pixels(static_cast<size_t>(width) * static_cast<size_t>(height) * 3);
    uint8_t *out = pixels.data();
    for (int y = 0; y < height; ++y) {
        const uint8_t *in = picture.constScanLine(y);
        for (int x = 0; x < width; ++x, in += 4, out += 3) {
            std::memcpy(out, in, 3);
        }
    }
    picture = QImage();
    return WritePng(pixels, width, height, argv[2]) ? 0 : 1;
}
