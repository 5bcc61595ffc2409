#include "toolwindows/position_window.h"

#include <QGridLayout>
#include <QLabel>

namespace toolwindows {

PositionGUI::PositionGUI(QWidget *owner) : ToolWindow(owner)
{
    auto *grid = new QGridLayout(this);
    grid->setContentsMargins(4, 4, 4, 4);
    grid->setSpacing(2);
    auto addField = [this, grid](int row, const char *label) {
        auto *box = new platform::TextBox(this);
        box->setFixedWidth(72);
        grid->addWidget(new QLabel(QString::fromUtf8(label), this), row, 0);
        grid->addWidget(box, row, 1);
        connect(box, &platform::TextBox::Change, this, &PositionGUI::Text_Change);
        return box;
    };
    Text1 = addField(0, "X");
    Text2 = addField(1, "Y");
    Text3 = addField(2, "ｻｲｽﾞ");
    Text4 = addField(3, "角度");

    auto *points = new QWidget(this);
    auto *pointGrid = new QGridLayout(points);
    pointGrid->setContentsMargins(0, 0, 0, 0);
    pointGrid->setSpacing(0);
    for (int i = 0; i < 9; ++i) {
        auto *option = new platform::OptionButton(QString(), points);
        option->SetGraphical(true);
        option->setFixedSize(14, 14);
        pointGrid->addWidget(option, i / 3, i % 3);
        Option1[static_cast<size_t>(i)] = option;
    }
    Option1[4]->SetValue(true);
    grid->addWidget(points, 0, 2, 3, 1, Qt::AlignCenter);

    Command1 = new QPushButton(QStringLiteral("適用(&A)"), this);
    grid->addWidget(Command1, 3, 2);
    connect(Command1, &QPushButton::clicked, this, &PositionGUI::Command1_Click);
    setFixedSize(sizeHint());
}

int PositionGUI::ChosenReferencePoint() const
{
    for (int i = 8; i >= 0; --i) {
        if (Option1[static_cast<size_t>(i)]->Value()) {
            return i;
        }
    }
    return -1;
}

void PositionGUI::Command1_Click()
{
    emit ApplyRequested();
    HistoryStore = false;
}

}  // namespace toolwindows
