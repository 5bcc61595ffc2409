// A started main window for the side-panel tests: the canvas fixture over a program folder
// without data files, with helpers for the panels.
#pragma once

#include "movie/canvas_movie.h"
#include "platform/base/program_folder.h"
#include "tests/canvastools/canvas_fixture.h"

#include <QEvent>
#include <filesystem>

namespace testsupport {

class PanelFixture : public CanvasFixture {
protected:
    void SetUp() override
    {
        for (const char *name : {"quillark.ini", "default.dat", "brush.dat", "usercolor.dat", "_canvtemp.tmp"}) {
            std::filesystem::remove(platform::ProgramFile(name));
        }
        CanvasFixture::SetUp();
    }

    // The status line after the mouse enters a control.
    QString HintOf(QWidget *control)
    {
        QEvent enter(QEvent::Enter);
        QApplication::sendEvent(control, &enter);
        return window->StatusLabel1->text();
    }
    // Counts the canvas movies made so that a test can see whether the next step makes a new one.
    void ForgetCanvasMovie() { moviesMade_ = movie::Canvas().MoviesMade; }
    bool CanvasMovieRendered() const { return movie::Canvas().MoviesMade > moviesMade_; }
    uint32_t Pixel(const platform::PictureBox *box, int x, int y) const
    {
        return static_cast<uint32_t>(box->Point(x, y));
    }

private:
    int64_t moviesMade_ = 0;
};

}  // namespace testsupport
