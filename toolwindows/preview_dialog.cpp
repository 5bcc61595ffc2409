#include "toolwindows/preview_dialog.h"

#include "core/document.h"
#include "core/history.h"
#include "movie/canvas_movie.h"
#include "platform/base/number_text.h"
#include "platform/base/rounding.h"
#include "platform/forms/window_placement.h"

#include <QCloseEvent>
#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>

namespace toolwindows {

PreviewDialog::PreviewDialog(QWidget *owner, const QString &caption)
    : QWidget(owner, Qt::Tool), grid_(new QGridLayout(this))
{
    setWindowTitle(caption);
    setWindowModality(Qt::ApplicationModal);
}

std::pair<platform::ScrollBar *, platform::TextBox *> PreviewDialog::AddSliderRow(const char *label, int16_t min,
                                                                                   int16_t max, int16_t value)
{
    int row = static_cast<int>(rows_.size());
    auto *bar = new platform::ScrollBar(Qt::Horizontal, this);
    bar->SetMin(min);
    bar->SetMax(max);
    bar->SetValue(value);
    bar->setMinimumWidth(160);
    auto *box = new platform::TextBox(this);
    box->setFixedWidth(48);
    box->SetText(QString::number(value));
    grid_->addWidget(new QLabel(QString::fromUtf8(label), this), row, 0);
    grid_->addWidget(bar, row, 1);
    grid_->addWidget(box, row, 2);
    connect(bar, &platform::ScrollBar::Change, this, [this, row] { HScroll_Change(row); });
    connect(bar, &platform::ScrollBar::Scroll, this, [this, row] { HScroll_Change(row); });
    connect(box, &platform::TextBox::Change, this, [this, row] { Text_Change(row); });
    rows_.emplace_back(bar, box);
    return rows_.back();
}

void PreviewDialog::AddButtons()
{
    int row = static_cast<int>(rows_.size());
    Command1 = new QPushButton(QStringLiteral("適用(&A)"), this);
    Command2 = new QPushButton(QStringLiteral("ｷｬﾝｾﾙ(&C)"), this);
    grid_->addWidget(Command1, row, 1, Qt::AlignRight);
    grid_->addWidget(Command2, row, 2);
    connect(Command1, &QPushButton::clicked, this, &PreviewDialog::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &PreviewDialog::Command2_Click);
    setFixedSize(sizeHint());
}

void PreviewDialog::BeginPreviews()
{
    core::SavePathSnapshot();
    open_ = true;
}

void PreviewDialog::ShowAt(const QPoint &corner, Qt::Corner which)
{
    move(corner);
    show();
    if (which == Qt::BottomLeftCorner) {
        // Only the shown window knows the height of its frame.
        move(corner - QPoint(0, frameGeometry().height()));
    }
    platform::KeepInsideWorkArea(this);
    raise();
    activateWindow();
}

void PreviewDialog::HScroll_Change(int index)
{
    const auto &[bar, box] = rows_.at(static_cast<size_t>(index));
    box->SetText(QString::number(bar->Value()));
    if (open_) {
        Preview();
    }
}

void PreviewDialog::Text_Change(int index)
{
    const auto &[bar, box] = rows_.at(static_cast<size_t>(index));
    double value = platform::RoundHalfEven(platform::Val(box->Text().toStdString()));
    if (value >= bar->Min() && value <= bar->Max()) {
        bar->SetValue(static_cast<int>(value));
    }
}

void PreviewDialog::Command1_Click()
{
    if (!open_) {
        return;
    }
    open_ = false;
    hide();
    core::RecordHistory();
    emit Finished();
}

void PreviewDialog::Command2_Click()
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

void PreviewDialog::Form_KeyUp(int keyCode, int /*shift*/)
{
    if (keyCode == 27) {
        Command2_Click();
    }
}

void PreviewDialog::keyReleaseEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape) {
        Form_KeyUp(27, 0);
        return;
    }
    QWidget::keyReleaseEvent(event);
}

void PreviewDialog::closeEvent(QCloseEvent *event)
{
    Command2_Click();
    QWidget::closeEvent(event);
}

}  // namespace toolwindows
