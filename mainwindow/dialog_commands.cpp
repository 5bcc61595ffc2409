// The menu commands that open the canvas-properties dialog, the preferences dialog and the about
// box.
#include "core/memory_guard.h"
#include "mainwindow/about_box.h"
#include "mainwindow/canvas_properties_dialog.h"
#include "mainwindow/draw_gui.h"
#include "mainwindow/preferences_dialog.h"
#include "movie/canvas_movie.h"
#include "platform/forms/modal_dialog.h"

namespace mainwindow {

void DrawGUI::ConnectDialogs()
{
    connect(menus.mnuPropertyCanvasFile, &platform::MenuItem::Click, this, &DrawGUI::mnuPropertyCanvasFile_Click);
    connect(menus.mnuPropertyCanvas, &platform::MenuItem::Click, this, &DrawGUI::mnuPropertyCanvas_Click);
    connect(menus.mnuPreference, &platform::MenuItem::Click, this, &DrawGUI::mnuPreference_Click);
    connect(menus.mnuVersion, &platform::MenuItem::Click, this, &DrawGUI::mnuVersion_Click);
}

void DrawGUI::ShowCanvasDialog(QDialog &dialog)
{
    dialog.move(frameGeometry().topLeft());
    platform::ShowModal(dialog);
    movie::MakeCanvasMovie();
    DispShape(1);
}

void DrawGUI::mnuPropertyCanvas_Click()
{
    // An underlay chosen here that memory cannot hold is refused: the settings stay as they were.
    core::RunWithinMemory([&] {
        CanvasGUI dialog(this);
        ShowCanvasDialog(dialog);
    });
}

void DrawGUI::mnuPreference_Click()
{
    PreferenceGUI dialog(this);
    ShowCanvasDialog(dialog);
}

void DrawGUI::mnuVersion_Click()
{
    VersionInfo dialog(this);
    platform::ShowModal(dialog);
    update();
}

}  // namespace mainwindow
