#include "toolwindows/transform_window.h"

#include "movie/canvas_movie.h"

#include <utility>

namespace toolwindows {

TransformGUI::TransformGUI(QWidget *owner, TurnInDepth turn)
    : PreviewDialog(owner, QStringLiteral("パース変形")), turn_(std::move(turn))
{
    std::tie(HScroll1, Text1) = AddSliderRow("X-Y", -180, 180, 0);
    std::tie(HScroll2, Text2) = AddSliderRow("X-Z", -180, 180, 0);
    std::tie(HScroll3, Text3) = AddSliderRow("Y-Z", -180, 180, 0);
    std::tie(HScroll4, Text4) = AddSliderRow("奥行", 0, 150, 50);
    AddButtons();
    Command1->setDefault(true);
}

void TransformGUI::Open(const QPoint &bottomLeft)
{
    BeginPreviews();
    TransformPreview();
    ShowAt(bottomLeft, Qt::BottomLeftCorner);
}

void TransformGUI::TransformPreview()
{
    if (!Previewing()) {
        return;
    }
    turn_(HScroll1->Value(), HScroll2->Value(), HScroll3->Value(), HScroll4->Value());
    movie::MakeCanvasMovie();
    emit PreviewReady();
}

}  // namespace toolwindows
