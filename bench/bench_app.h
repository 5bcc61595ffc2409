// What the rendering benchmarks share: a Qt application for the raster engine, and a canvas
// document with a host whose player is the canvas player.
#pragma once

#include "core/document.h"
#include "core/host.h"
#include "movie/canvas_movie.h"
#include "movie/movie_writer.h"
#include "platform/base/program_folder.h"
#include "platform/player/movie_player.h"

#include <QGuiApplication>

namespace benchsupport {

class CanvasHost : public core::Host {
public:
    platform::MoviePlayer player;
    bool grid = true;  // the canvas grid shows, as it does while editing
    bool GridChecked() const override { return grid; }
    platform::MoviePlayer *CanvasPlayer() override { return &player; }
};

// The player paints with Qt's raster engine, which wants an application object.
inline void EnsureApplication()
{
    static int argc = 1;
    static char name[] = "quillark_bench";
    static char *argv[] = {name, nullptr};
    if (QCoreApplication::instance() == nullptr) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        static QGuiApplication app(argc, argv);
    }
}

// An empty document of a width x height canvas at quality "high", with host installed and the
// movie writer's caches empty.
inline void StartCanvas(CanvasHost &host, int width, int height)
{
    EnsureApplication();
    core::SetHost(&host);
    movie::ResetWriterForTest();
    movie::ResetCanvasMovieForTest();
    core::ResetDocumentForTest();
    core::Document &doc = core::Doc();
    doc.CurrentSettings.Width = width;
    doc.CurrentSettings.Height = height;
    doc.CurrentSettings.Quality = 2;
    doc.CanvasTempFile = platform::ProgramFile("_canvtemp.tmp");
}

}  // namespace benchsupport
