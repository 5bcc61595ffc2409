#include "toolwindows/optimize_window.h"

#include "core/document.h"
#include "core/path_optimizer.h"
#include "movie/canvas_movie.h"

namespace toolwindows {

OptimizeGUI::OptimizeGUI(QWidget *owner) : PreviewDialog(owner, QStringLiteral("パスの最適化"))
{
    std::tie(HScroll1, Text1) = AddSliderRow("弱", 0, 400, 0);
    std::tie(HScroll2, Text2) = AddSliderRow("強", 0, 200, 0);
    AddButtons();
}

void OptimizeGUI::Open(int32_t pointTolerance, int32_t lineTolerance, const QPoint &topLeft)
{
    BeginPreviews();
    HScroll1->SetValue(pointTolerance);
    HScroll2->SetValue(lineTolerance);
    OptimizePreview();
    ShowAt(topLeft);
}

void OptimizeGUI::OptimizePreview()
{
    if (!Previewing()) {
        return;
    }
    core::RestorePathSnapshot();
    for (int32_t i = 1; i <= core::GetPathCount(); ++i) {
        core::PathRecord path = core::GetPath(i);
        if (path.blSelected) {
            core::OptimizePath(path, HScroll1->Value(), HScroll2->Value());
            core::SetPath(i, path);
        }
    }
    movie::MakeCanvasMovie();
    emit PreviewReady();
}

}  // namespace toolwindows
