#include "canvastools/canvas_window.h"

#include "canvastools/canvas_input.h"
#include "canvastools/tool_palette.h"
#include "platform/forms/key_preview.h"
#include "platform/forms/picture_box.h"

#include <QApplication>

namespace canvastools {
namespace {

CanvasView *g_view = nullptr;

}  // namespace

void AttachCanvasTools(CanvasView &view)
{
    g_view = &view;
    platform::PictureBox *picture = &view.Picture();
    QObject::connect(picture, &platform::PictureBox::MouseDown, picture, &Picture1_MouseDown);
    QObject::connect(picture, &platform::PictureBox::MouseMove, picture, &Picture1_MouseMove);
    QObject::connect(picture, &platform::PictureBox::MouseUp, picture, &Picture1_MouseUp);
    // The window previews every key; the canvas acts on those pressed while it has the focus.
    QObject::connect(&view.KeyPreview(), &platform::KeyPreview::KeyDown, picture, [picture](int keyCode, int shift) {
        if (QApplication::focusWidget() == picture) {
            Picture1_KeyDown(keyCode, shift);
        }
    });
    AttachToolPalette();
}

void DetachCanvasTools(const CanvasView &view)
{
    if (g_view == &view) {
        g_view = nullptr;
    }
}

bool HasCanvasWindow()
{
    return g_view != nullptr;
}

CanvasView &CanvasWindow()
{
    return *g_view;
}

}  // namespace canvastools
