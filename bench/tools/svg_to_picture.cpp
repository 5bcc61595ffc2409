// svg_to_picture FILE.svg OUT.png: what the editor does to show an SVG file, in a process of its
// own so that its time and peak memory can be compared with another renderer's: the import, the
// canvas movie of the imported paths, the player's load and render, and the picture written.
#include "bench/bench_app.h"
#include "import/svg_reader.h"

#include <QImage>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>

int main(int argc, char **argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: svg_to_picture FILE.svg OUT.png\n");
        return 2;
    }
    QTemporaryDir home;
    qputenv("QUILLARK_HOME", home.path().toLocal8Bit());
    benchsupport::CanvasHost host;
    importer::SvgReader reader;
    if (!reader.LoadSvg(argv[1])) {
        std::fprintf(stderr, "cannot read %s\n", argv[1]);
        return 1;
    }
    const int width = std::clamp(reader.width(), 1, movie::kMaxFramePixels);
    const int height = std::clamp(reader.height(), 1, movie::kMaxFramePixels);
    benchsupport::StartCanvas(host, width, height);
    core::PathCollection paths = reader.GetPathRecords();
    core::Doc().DocPaths = std::move(paths.Paths);
    movie::MakeCanvasMovie();
    host.player.SetMovie(core::Doc().CanvasTempFile);
    QImage picture(width, height, QImage::Format_RGB32);
    host.player.Render(picture, picture.rect());
    core::SetHost(nullptr);
    return picture.save(argv[2], "PNG") ? 0 : 1;
}
