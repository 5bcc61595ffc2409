#include "mainwindow/window_status.h"

#include "mainwindow/draw_gui.h"

namespace mainwindow {

canvastools::DisplayToggles DisplayTogglesOf(const DrawGUI &window)
{
    return canvastools::DisplayToggles{window.Check3->Value() == 1, window.Check4->Value() == 1,
                                       window.Check5->Value() == 1, window.Check6->Value() == 1};
}

void ShowStatusLine(DrawGUI &window, const QString &text)
{
    window.StatusLabel1->setText(text);
    window.StatusLabel1->repaint();
}

}  // namespace mainwindow
