#include "toolwindows/optimize_window.h"

#include "core/document.h"
#include "core/history.h"
#include "core/path_optimizer.h"
#include "movie/canvas_movie.h"
#include "platform/base/number_text.h"
#include "platform/base/rounding.h"
#include "platform/forms/window_placement.h"

#include <QCloseEvent>
#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>

namespace toolwindows {

OptimizeGUI::OptimizeGUI(QWidget *owner) : QWidget(owner, Qt::Tool)
{
    setWindowTitle(QStringLiteral("パスの最適化"));
    setWindowModality(Qt::ApplicationModal);
    auto *grid = new QGridLayout(this);
    auto addRow = [this, grid](int row, const char *label, int16_t max) {
        auto *bar = new platform::ScrollBar(Qt::Horizontal, this);
        bar->SetMin(0);
        bar->SetMax(max);
        bar->setMinimumWidth(160);
        auto *box = new platform::TextBox(this);
        box->setFixedWidth(48);
        box->SetText(QStringLiteral("0"));
        grid->addWidget(new QLabel(QString::fromUtf8(label), this), row, 0);
        grid->addWidget(bar, row, 1);
        grid->addWidget(box, row, 2);
        connect(bar, &platform::ScrollBar::Change, this, [this, row] { HScroll_Change(row); });
        connect(bar, &platform::ScrollBar::Scroll, this, [this, row] { HScroll_Change(row); });
        connect(box, &platform::TextBox::Change, this, [this, row] { Text_Change(row); });
        return std::pair{bar, box};
    };
    std::tie(HScroll1, Text1) = addRow(0, "弱", 400);
    std::tie(HScroll2, Text2) = addRow(1, "強", 200);
    Command1 = new QPushButton(QStringLiteral("適用(&A)"), this);
    Command2 = new QPushButton(QStringLiteral("ｷｬﾝｾﾙ(&C)"), this);
    grid->addWidget(Command1, 2, 1, Qt::AlignRight);
    grid->addWidget(Command2, 2, 2);
    connect(Command1, &QPushButton::clicked, this, &OptimizeGUI::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &OptimizeGUI::Command2_Click);
    setFixedSize(sizeHint());
}

void OptimizeGUI::Open(int32_t pointTolerance, int32_t lineTolerance, const QPoint &topLeft)
{
    core::SavePathSnapshot();
    open_ = true;
    HScroll1->SetValue(pointTolerance);
    HScroll2->SetValue(lineTolerance);
    OptimizePreview();
    move(topLeft);
    show();
    platform::KeepInsideWorkArea(this);
    raise();
    activateWindow();
}

void OptimizeGUI::OptimizePreview()
{
    if (!open_) {
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

void OptimizeGUI::HScroll_Change(int index)
{
    platform::ScrollBar *bar = index == 0 ? HScroll1 : HScroll2;
    platform::TextBox *box = index == 0 ? Text1 : Text2;
    box->SetText(QString::number(bar->Value()));
    OptimizePreview();
}

void OptimizeGUI::Text_Change(int index)
{
    platform::ScrollBar *bar = index == 0 ? HScroll1 : HScroll2;
    platform::TextBox *box = index == 0 ? Text1 : Text2;
    double value = platform::RoundHalfEven(platform::Val(box->Text().toStdString()));
    if (value >= bar->Min() && value <= bar->Max()) {
        bar->SetValue(static_cast<int>(value));
    }
}

void OptimizeGUI::Command1_Click()
{
    if (!open_) {
        return;
    }
    open_ = false;
    hide();
    core::RecordHistory();
    emit Finished();
}

void OptimizeGUI::Command2_Click()
{
    if (!open_) {
        return;
    }
    open_ = false;
    core::RestorePathSnapshot();
    hide();
    // The canvas shows the restored drawing at once rather than the last preview.
    movie::MakeCanvasMovie();
    emit Restored();
    emit Finished();
}

void OptimizeGUI::Form_KeyUp(int keyCode, int /*shift*/)
{
    if (keyCode == 27) {
        Command2_Click();
    }
}

void OptimizeGUI::keyReleaseEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape) {
        Form_KeyUp(27, 0);
        return;
    }
    QWidget::keyReleaseEvent(event);
}

void OptimizeGUI::closeEvent(QCloseEvent *event)
{
    Command2_Click();
    QWidget::closeEvent(event);
}

}  // namespace toolwindows
