#include "canvastools/canvas_window.h"

#include "canvastools/canvas_input.h"
#include "canvastools/tool_palette.h"
#include "mainwindow/draw_gui.h"

#include <QApplication>

namespace canvastools {
namespace {

mainwindow::DrawGUI *g_window = nullptr;

}  // namespace

void AttachCanvasTools(mainwindow::DrawGUI &window)
{
    g_window = &window;
    platform::PictureBox *picture = window.Picture1;
    QObject::connect(picture, &platform::PictureBox::MouseDown, picture, &Picture1_MouseDown);
    QObject::connect(picture, &platform::PictureBox::MouseMove, picture, &Picture1_MouseMove);
    QObject::connect(picture, &platform::PictureBox::MouseUp, picture, &Picture1_MouseUp);
    // The window previews every key; the canvas acts on those pressed while it has the focus.
    QObject::connect(window.keyPreview, &platform::KeyPreview::KeyDown, picture, [picture](int keyCode, int shift) {
        if (QApplication::focusWidget() == picture) {
            Picture1_KeyDown(keyCode, shift);
        }
    });
    AttachToolPalette();
}

void DetachCanvasTools(const mainwindow::DrawGUI &window)
{
    if (g_window == &window) {
        g_window = nullptr;
    }
}

bool HasCanvasWindow()
{
    return g_window != nullptr;
}

mainwindow::DrawGUI &CanvasWindow()
{
    return *g_window;
}

}  // namespace canvastools
